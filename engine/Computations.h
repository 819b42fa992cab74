// Computations shared by the catalogue and the evaluator, which runs the
// commonest ones in place.
#pragma once

#include <cmath>
#include <cstdint>

// Base b to the exponent x: 1 for x = 0, 0 for b = 0 and x > 0, integral
// exponents up to 2^31 - 1 in magnitude by repeated squaring (the reciprocal
// for negative ones), the rest as e^(x ln b).  Sets *suspicious, when given,
// where an arithmetic fault may have left no trace in the result.
inline long double PowerChecked(long double b, long double x, bool* suspicious)
{
    if (x == 0) return 1;
    if (b == 0 && x > 0) return 0;
    const long double magnitude = std::fabs(x);
    // Integral when adding and taking away 2^63 (where the spacing of
    // extended values is 1) leaves it unchanged; this avoids an x87 integer
    // conversion, which switches the rounding mode twice.  The conversion
    // through double is exact below 2^31.
    if (magnitude <= 2147483647.0L && (magnitude + 0x1p63L) - 0x1p63L == magnitude) {
        auto n = static_cast<uint32_t>(static_cast<double>(magnitude));
        long double result = 1, square = b;
        for (;;) {
            if (n & 1U) result *= square;
            n >>= 1;
            if (n == 0) break;
            square *= square;
        }
        if (x >= 0) return result;
        // An overflow before the reciprocal would vanish in it.
        if (suspicious != nullptr && !std::isfinite(result)) *suspicious = true;
        return 1 / result;
    }
    const long double product = x * std::log(b);
    if (suspicious != nullptr && !std::isfinite(product)) *suspicious = true;
    return std::exp(product);
}

// Factor of "sin", "cos" and "tan" in degrees: the 15-digit value, not pi/180.
constexpr long double kDegreeFactor = 0.0174532925199433L;
