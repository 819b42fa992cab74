// The slopes of the plotted functions, from the engine's exact derivative
// (engine/Derivative.h): each function's first and second derivatives, the
// slope at one point with the reason where there is none, and the tangent
// line's equation.
#pragma once

#include "engine/Derivative.h"
#include "analysis/Functions.h"

#include <string>
#include <vector>

namespace analysis {

// A plotted function's first and second derivatives in x (null where there
// is none), made for one angle unit.
struct TSlopes {
    TFunction First, Second;
    std::string WhyNot; // why First is null
};
std::vector<TSlopes> Slopes(const TFunctionList& functions, bool degrees);

// The slope of f at x0, in the angle unit `degrees`: f' where it has a
// value; where the quick derivative cannot decide (NeedsSecondOrder) the
// exact one is made and asked.  On the thread of f's parser.
enum class TSlopeOutcome {
    Value,     // Slope holds f'(x0)
    NoValue,   // f has no value at x0
    NoSlope,   // f has no derivative at x0 (a corner, a jump, a vertical tangent)
    Unknown,   // the rules cannot tell
    NoFormula, // f has no derivative formula at all (WhyNot says why)
};
struct TSlopeAt {
    TSlopeOutcome Outcome = TSlopeOutcome::Value;
    long double Value = 0; // f(x0) where it has one
    long double Slope = 0;
    TDerivativeMark Mark = TDerivativeMark::None; // for NoSlope and Unknown
    std::string WhyNot;
};
TSlopeAt SlopeAt(const TExpression& f, const TExpression* quick, long double x0, bool degrees);

// The tangent line's equation "y = m·x + b" with `digits` significant digits:
// "y = x - 2", "y = -3·x", "y = 4" (no term that is 0, no factor 1).
std::string TangentEquation(long double m, long double b, int digits);

} // namespace analysis
