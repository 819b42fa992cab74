// The real solutions of one equation in one unknown, f(x) = 0, and the
// integral and the solver that the expression language's calls use
// (integral(...), resolver(...)), installed into the engine.
#pragma once

#include "engine/BoundCalls.h"

#include <string>
#include <vector>

namespace analysis {

// The real solutions of e, increasing, each refined down to adjacent values
// of x.  A polynomial of degree up to 4 gives all of them: its turning
// points split the line into stretches where it is monotonic, and each
// stretch holds at most one solution, found by halving; a turning point
// where it touches 0 within the rounding of its terms is a solution too.
// Any other equation is surveyed on [e.A, e.B] at kSurvey points: every
// sign change where |f| shrinks is halved, and every low point of |f| that
// does not change sign is found as the zero of f' (e.Slope) and kept when
// f there is no larger than its curvature allows within a few values of x
// of a double zero.  The warning says where solutions may have been missed;
// `why` why there is none.  At most kMaxSolutions are kept.
constexpr int kSurvey = 20000;
constexpr std::size_t kMaxSolutions = 100;
bool SolveEquation(const TEquation& e, TSolutions& out, std::string& why);

// Installs Integrate and SolveEquation into the engine (once, any thread).
void InstallExpressionCalculus();

} // namespace analysis
