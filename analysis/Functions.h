// The functions of the plot: parsed expressions in x, shared read-only by
// the view, its table of values and whatever else reads them.
#pragma once

#include "engine/Expression.h"

#include <memory>
#include <vector>

namespace analysis {

using TFunction = std::shared_ptr<const TExpression>;
using TFunctionList = std::vector<TFunction>;

} // namespace analysis
