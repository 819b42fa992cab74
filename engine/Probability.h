// Combinatorics, probability distributions and decimal rounding for the
// catalogue's third group, in extended precision.  Internal to the engine.
//
// Each function takes arguments the catalogue has already checked (whole
// numbers where it says so, probabilities in range) and is accurate to a few
// units in the last place, also in the tails, where the error is relative.
// A result beyond the extended range overflows (the status flag is raised).
#pragma once

namespace engine_detail {

// n! for whole 0 <= n <= 1754, correctly rounded: exact while it fits.
long double Factorial(long double n);
// The gamma function; whole arguments from 1 to 1755 through Factorial.
// `pole` is set for 0 and the negative whole numbers.
long double Gamma(long double x, bool& pole);
// C(n, k) and n!/(n - k)! for whole 0 <= n < 2^64 and whole k: 0 for k < 0
// or k > n; exact integers while they fit, correctly rounded beyond.
long double Combinations(long double n, long double k);
long double Variations(long double n, long double k);
// P(X = k) and P(X <= k) for X ~ B(n, p): whole k, whole 0 <= n < 2^31,
// 0 <= p <= 1.
long double BinomialMass(long double k, long double n, long double p);
long double BinomialCumulative(long double k, long double n, long double p);
// The same for X ~ Poisson(m), whole k, m >= 0.
long double PoissonMass(long double k, long double m);
long double PoissonCumulative(long double k, long double m);
// The standard normal distribution: P(Z <= z), the density at z, and the z
// with P(Z <= z) = p for 0 < p < 1.
long double NormalCumulative(long double z);
long double NormalDensity(long double z);
long double NormalQuantile(long double p);
// The decimal logarithm of x > 0, exact for the powers of ten.
long double DecimalLogarithm(long double x);
// x rounded (half away from zero) or cut to `decimals` decimal places (a
// whole number, negative for tens, hundreds...), as the decimal of x with 18
// significant digits rounds: 2.675 gives 2.68 at 2 decimals.
long double RoundDecimal(long double x, long double decimals, bool cut);
// The greatest common divisor and the least common multiple of whole
// numbers up to 2^64 in magnitude (both 0 when either is 0 for the multiple).
long double GreatestCommonDivisor(long double a, long double b);
long double LeastCommonMultiple(long double a, long double b);

} // namespace engine_detail
