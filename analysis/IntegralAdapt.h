// The integrator's adaptive stage: the pieces between the survey's splits,
// cut into segments, the one whose error halving can lower most halved
// first.  On the way a segment may instead be split at a jump found between
// its nodes, at a point where f fails, at a singular point it closes in on,
// or (an area) at the crossings among its samples; a segment at a piece's
// end that keeps being halved towards it hands that end to Approach.
#pragma once

#include "analysis/IntegralSurvey.h"

namespace analysis::quadrature {

// The integral (area: of |f|) over [a, b], a < b, after the survey.  Abs
// receives the integral of |f|.  The outcome is Done, Diverges, Undefined,
// NoConvergence (the reason given) or Stopped; Done may still leave no digit.
TIntegral Adapt(TContext& c, const TSurvey& survey, long double a, long double b, bool area);

} // namespace analysis::quadrature
