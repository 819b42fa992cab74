// The computations that the interpreter also runs in place, each defined
// here once: the catalogue's entries apply them after their operand checks,
// and the interpreter inlines them in its loops over samples.  Internal to
// the engine.
#pragma once

#include "engine/Computations.h"

#include <cmath>

namespace engine_detail {

inline long double Sum(long double l, long double r) { return l + r; }
inline long double Difference(long double l, long double r) { return l - r; }
inline long double Product(long double l, long double r) { return l * r; }

// "/" fails for a zero divisor, and only then (code 7, the divisor blamed).
inline bool QuotientFails(long double r) { return r == 0; }
inline long double Quotient(long double l, long double r) { return l / r; }

// `suspicious`, when given, is set where a fault may have left no trace in
// the result.
inline long double Power(long double b, long double x, bool* suspicious = nullptr)
{
    return PowerChecked(b, x, suspicious);
}
// b^2: one product, which is what Power gives for an exponent of 2.
inline long double Square(long double b) { return b * b; }

// "sin" and "cos" of an angle in the evaluation's unit.
inline long double Sine(long double r, bool degrees) { return zmath::sin(degrees ? r * kDegreeFactor : r); }
inline long double Cosine(long double r, bool degrees) { return zmath::cos(degrees ? r * kDegreeFactor : r); }

inline long double Exponential(long double r) { return zmath::exp(r); }

// "ln" fails for a number that is not positive (code 2, the argument blamed).
inline bool LogarithmFails(long double r) { return r <= 0; }
inline long double Logarithm(long double r) { return zmath::log(r); }

inline long double Absolute(long double r) { return std::fabs(r); }

} // namespace engine_detail
