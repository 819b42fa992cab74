// Computations shared by the catalogue and the evaluator, which runs the
// commonest ones in place.
#pragma once

#include "engine/SystemMath.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

// v = high + low with halves of 32 significant bits each (Veltkamp), so that
// products of halves are exact; |v| must stay below 2^16350.
inline void SplitHalves(long double v, long double& high, long double& low)
{
    const long double t = v * (0x1p32L + 1);
    high = t - (t - v);
    low = v - high;
}

// a*b rounded, with the rounding error in `rest`: a*b = result + rest exactly
// (Dekker) while the products of the halves stay in the normal range.
inline long double ExactProduct(long double a, long double b, long double& rest)
{
    long double ah, al, bh, bl;
    SplitHalves(a, ah, al);
    SplitHalves(b, bh, bl);
    const long double product = a * b;
    rest = ((ah * bh - product) + ah * bl + al * bh) + al * bl;
    return product;
}

// b^n for 2 <= n <= 64 and 2^-250 <= |b| <= 2^250, so that nothing leaves
// the normal range: the powers are carried as unevaluated sums hi + lo of
// about twice the extended precision, with exact products.  Returns hi, the
// correctly rounded value of the sum, and the rest in lo.
inline long double CompensatedPower(long double b, uint32_t n, long double& lo)
{
    long double bh, bl;
    SplitHalves(b, bh, bl);
    long double hi = b;
    lo = 0;
    for (int bit = std::bit_width(n) - 2; bit >= 0; --bit) {
        long double h, l;
        SplitHalves(hi, h, l);
        long double p = hi * hi;
        long double e = ((h * h - p) + 2 * h * l) + l * l + 2 * hi * lo;
        hi = p + e;
        lo = e - (hi - p);
        if ((n >> bit) & 1U) {
            SplitHalves(hi, h, l);
            p = hi * b;
            e = ((h * bh - p) + h * bl + l * bh) + l * bl + lo * b;
            hi = p + e;
            lo = e - (hi - p);
        }
    }
    return hi;
}

// 1/(hi + lo) for a sum as CompensatedPower leaves it: the reciprocal q of hi
// corrected by the residual 1 - (hi + lo) q, where 1 - hi*q is exact.
inline long double CompensatedReciprocal(long double hi, long double lo)
{
    const long double q = 1 / hi;
    long double rest;
    const long double p = ExactProduct(hi, q, rest);
    return q + q * (((1 - p) - rest) - lo * q);
}

// Base b to the exponent x, within a few units in the last place:
// - 1 for x = 0, 0 for b = 0 and x > 0;
// - an integral exponent up to 2^31 - 1 in magnitude works for any base, and
//   a negative one gives the reciprocal of b^|x|: it overflows where b^|x|
//   does and divides by zero where b^|x| vanishes;
// - any other exponent needs b >= 0 (a negative base is an invalid
//   operation); an infinite one is taken as e^(x ln b).
// Sets *suspicious, when given, where an arithmetic fault may have left no
// trace in the result.
inline long double PowerChecked(long double b, long double x, bool* suspicious)
{
    if (x == 0) return 1;
    if (b == 0 && x > 0) return 0;
    const long double magnitude = std::fabs(x);
    // Integral when adding and taking away 2^63 (where the spacing of
    // extended values is 1) leaves it unchanged; this avoids an x87 integer
    // conversion, which switches the rounding mode twice (the conversion
    // through double below is exact).
    if (magnitude <= 2147483647.0L && (magnitude + 0x1p63L) - 0x1p63L == magnitude) {
        long double power;
        const auto n = static_cast<uint32_t>(static_cast<double>(magnitude)); // exact below 2^31
        if (n <= 4) {
            // At most two multiplications, the first rounding doubled at
            // most once: within 3 units in the last place (b*b is correctly
            // rounded).
            if (n == 1) power = b;
            else if (n == 2) power = b * b;
            else if (n == 3) power = b * b * b;
            else {
                power = b * b;
                power *= power;
            }
            if (x > 0) return power;
        } else if (n <= 64 && std::fabs(b) >= 0x1p-250L && std::fabs(b) <= 0x1p250L) {
            // Within a unit in the last place, and no fault can occur.
            long double lo;
            const long double hi = CompensatedPower(b, n, lo);
            return x > 0 ? hi : CompensatedReciprocal(hi, lo);
        } else {
            if (x > 0) return zmath::pow(b, x);
            power = zmath::pow(b, magnitude);
        }
        // A subnormal b^|x| has lost digits; its reciprocal, where that is
        // finite, is better taken directly.
        if (power != 0 && std::fabs(power) < std::numeric_limits<long double>::min() && std::isfinite(1 / power))
            return zmath::pow(b, x);
        // An overflow before the reciprocal would vanish in it.
        if (suspicious != nullptr && !std::isfinite(power)) *suspicious = true;
        return 1 / power;
    }
    if (b < 0 || !std::isfinite(x)) {
        // The logarithm of a negative base is the invalid operation; an
        // infinite exponent keeps the limits of e^(x ln b), where 1^inf is
        // invalid and 0^-inf a division by zero.
        const long double product = x * zmath::log(b);
        if (suspicious != nullptr && !std::isfinite(product)) *suspicious = true;
        return zmath::exp(product);
    }
    if (x == 0.5L) return zmath::sqrt(b);
    return zmath::pow(b, x);
}

// Factor of "sin", "cos" and "tan" in degrees: the 15-digit value, not pi/180.
constexpr long double kDegreeFactor = 0.0174532925199433L;
