// The exact derivative of a parsed expression: its tree is differentiated
// rule by rule into another tree of the same parser (sum, product,
// quotient, powers, the chain rule through every entry of the catalogue,
// each entry's rule registered beside it), so f' is evaluated by the same
// evaluator as f and is as accurate as f is; it is not a difference
// quotient.
//
// Parts that f uses more than once are computed once (the derivative of a
// product reads its factors again): the derivative is built as a graph and
// written as a tree whose shared values are bound once, so its size grows
// in step with f.  A call of a notebook function is differentiated into
// calls of derivative functions (one for each parameter, and one for the
// variable where the body reads it directly), made once per parser and
// shared by every call site, so nested calls cost no more than their
// bodies.
//
// Where f has no value, neither has f'.  Where f has a corner, a jump or a
// vertical tangent, f' has no value either, and the value it gives instead
// is a mark that tells which (DerivativeMark): abs x at 0, floor x at the
// whole numbers, sqrt x at 0, arccot x at 0.  Where the rules meet such a
// point but f is smooth after all (x*abs x, sqrt(x^4) and floor(x^2) at 0,
// x div 2 at 3) the derivative has its value.  Some of those points need
// the second derivative of an operand to be told apart; a derivative built
// without `exact` leaves them marked NeedsSecondOrder (cheaper to sample),
// and one built with `exact` decides them.
#pragma once

#include "engine/Expression.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What a value of a derivative says when it is not a number.
enum class TDerivativeMark {
    None,             // a number: the slope
    Corner,           // f is continuous and has no slope there (abs x at 0)
    Vertical,         // f is continuous and its slope grows without bound (sqrt x at 0)
    Jump,             // f jumps there (floor x at 1, arccot x at 0)
    Unknown,          // the rules cannot tell whether f has a slope there
    NeedsSecondOrder, // a derivative built without `exact` cannot tell; one built with it can
};
TDerivativeMark DerivativeMark(long double value);

// The derivative of `f` with respect to its named value `variable`, with
// sin, cos and tan in degrees when `degrees` (the unit f is evaluated in;
// the derivative must be evaluated in the same one).  None, with the reason
// in Spanish in `whyNot` when given, when f has no derivative formula (it
// draws random numbers, uses an entry without a rule) or the derivative
// would be too large.  Differentiating a derivative gives the second one.
// The work is bounded before anything is built: any expression the engine
// accepts gives a derivative or a reason.  On the thread that owns f's
// parser.
std::optional<TExpression> Derivative(const TExpression& f, std::string_view variable, bool degrees,
                                      std::string* whyNot = nullptr, bool exact = false);
