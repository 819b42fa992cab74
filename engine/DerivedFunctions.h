// The derivative functions a parser has made of its notebook's functions:
// one for each function, named value it is differentiated by, angle unit
// and kind (exact or not), shared by every derivative that calls it.
// Internal to the engine.
#pragma once

#include "engine/MathParser.h"

#include <deque>
#include <map>
#include <tuple>
#include <unordered_map>

namespace engine_detail {

struct TDerivedFunctions {
    using TKey = std::tuple<const TFunctionDefinition*, const TVariableEntry*, bool, bool>;
    std::map<TKey, TFunctionDefinition*> ByKey;
    std::deque<TFunctionDefinition> Functions;
    std::deque<TOperatorEntry> Entries; // their calls
    std::unordered_map<const TFunctionDefinition*, const TOperatorEntry*> EntryOf;
};

} // namespace engine_detail
