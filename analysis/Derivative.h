// The exact derivative of an expression, free of any toolkit: the parsed
// tree is differentiated rule by rule (sum, product, quotient, powers, the
// chain rule through every function of the catalogue) into a text, which is
// parsed in the same parser.  So f' is evaluated by the same evaluator as f
// and is as accurate as f is, not a difference quotient.
//
// Where f has no value, neither has f' (the derivative carries f's domain);
// where f has a corner, a jump or a vertical slope (abs x at 0, floor x at
// the integers, sqrt x at 0) f' has no value either.  Functions that are
// constant between their jumps (floor, ceil, div, mod) have the derivative
// 0 there.  A tree that draws random numbers, or holds a node or an entry
// that the rules do not know, has no derivative.
#pragma once

#include "engine/Expression.h"
#include "analysis/Functions.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace analysis {

// The derivative of `f` with respect to the named value `variable`, with
// sin, cos and tan in degrees when `degrees` (the unit f is evaluated in);
// none, with the reason in Spanish in `whyNot` when given, when f has no
// derivative formula.
std::optional<TExpression> Derivative(const TExpression& f, std::string_view variable, bool degrees,
                                      std::string* whyNot = nullptr);

// The text of that derivative in f's parser (fully parenthesised, lightly
// simplified); empty when there is none.
std::string DerivativeText(const TExpression& f, std::string_view variable, bool degrees,
                           std::string* whyNot = nullptr);

// A plotted function's first and second derivatives in x (null where there
// is none), made for one angle unit.
struct TSlopes {
    TFunction First, Second;
    std::string WhyNot; // why First is null
};
std::vector<TSlopes> Slopes(const TFunctionList& functions, bool degrees);

// The tangent line's equation "y = m·x + b" with `digits` significant digits:
// "y = x - 2", "y = -3·x", "y = 4" (no term that is 0, no factor 1).
std::string TangentEquation(long double m, long double b, int digits);

} // namespace analysis
