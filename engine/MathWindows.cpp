// The engine's extended-precision functions on Windows (see SystemMath.h):
// MinGW-w64's, with the floating-point flags that IEEE arithmetic gives
// (an infinity from finite arguments is an overflow, or a division by zero
// at a pole; a NaN from numbers is an invalid operation), and, where theirs
// lose digits, forms that keep them.
#include "engine/Computations.h"
#include "engine/SystemMath.h"

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using ld = long double;

// pi/2 as the nearest extended value and the rest.
constexpr ld kHalfPiHigh = 0xC90FDAA22168C235p-63L;
constexpr ld kHalfPiLow = -0x3B399D747F23E32Fp-127L;

enum class Pole { No, Yes };

// The flags of a result computed from numbers `a` (and `b`).
ld Flagged(ld result, ld a, ld b = 0, Pole pole = Pole::No)
{
    if (std::isnan(a) || std::isnan(b)) return result;
    if (std::isnan(result)) std::feraiseexcept(FE_INVALID);
    else if (std::isinf(result) && std::isfinite(a) && std::isfinite(b))
        std::feraiseexcept(pole == Pole::Yes ? FE_DIVBYZERO : FE_OVERFLOW);
    return result;
}

// |b|^n for an integral n >= 1, carried as an unevaluated sum hi + lo of
// about twice the extended precision with the binary exponent apart, so that
// no intermediate leaves the range: within a unit in the last place where
// the result is normal.
ld ScaledPower(ld b, uint32_t n)
{
    int e = 0;
    const ld m = std::frexp(std::fabs(b), &e); // |b| = m 2^e, m in [1/2, 1)
    ld hi = m, lo = 0;
    int64_t scale = 0; // hi + lo carries 2^scale besides
    const auto normalise = [&] {
        int k = 0;
        hi = std::frexp(hi, &k);
        lo = std::ldexp(lo, -k);
        scale += k;
    };
    for (int bit = std::bit_width(n) - 2; bit >= 0; --bit) {
        ld rest;
        const ld square = ExactProduct(hi, hi, rest);
        const ld error = rest + 2 * hi * lo;
        hi = square + error;
        lo = error - (hi - square);
        scale *= 2;
        normalise();
        if ((n >> bit) & 1U) {
            const ld product = ExactProduct(hi, m, rest);
            const ld error2 = rest + lo * m;
            hi = product + error2;
            lo = error2 - (hi - product);
            normalise();
        }
    }
    const int64_t exponent = scale + static_cast<int64_t>(e) * n;
    if (exponent > 16384) return std::numeric_limits<ld>::max() * 2; // overflows, with its flag
    if (exponent < -16500) return std::numeric_limits<ld>::min() * std::numeric_limits<ld>::min(); // vanishes
    return std::ldexp(hi + lo, static_cast<int>(exponent));
}

// b^x for a finite b > 0 and a finite x that is not integral: 2^(e x) m^x
// for b = m 2^e, with e x carried exactly as hi + lo, so that only m^x,
// which stays in range, is left to the library.
ld PositivePower(ld b, ld x)
{
    int e = 0;
    const ld m = std::frexp(b, &e);
    ld rest;
    const ld t = ExactProduct(static_cast<ld>(e), x, rest);
    if (!(std::fabs(t) < 20000)) return Flagged(std::pow(b, x), b, x); // far out of range
    const ld k = std::floor(t);
    const ld f = (t - k) + rest; // t - k is exact
    return Flagged(std::ldexp(std::exp2(f) * std::pow(m, x), static_cast<int>(k)), b, x);
}

// pi/2 in three parts: 33 and 32 significant bits (so that k times each is
// exact for |k| < 2^31) and the rest.
constexpr ld kHalfPi1 = 0x1921FB544p-32L;
constexpr ld kHalfPi2 = 0x42D18469p-64L;
constexpr ld kHalfPi3 = 0x898CC51701B839A2p-128L;

// x - k pi/2 for the k nearest x/(pi/2), in [-pi/4, pi/4] to the last
// place; false where |x| is too large for it (the library reduces those).
bool Reduced(ld x, ld& r, int64_t& k)
{
    if (!(std::fabs(x) > 0.78L) || !(std::fabs(x) < 0x1p30L)) return false;
    // The nearest integer by adding 1.5 * 2^63 and taking it away again:
    // MinGW-w64's nearbyintl clears the flags raised before it.
    const ld q = (x / kHalfPiHigh + 0x3p62L) - 0x3p62L;
    k = static_cast<int64_t>(q);
    r = ((x - q * kHalfPi1) - q * kHalfPi2) - q * kHalfPi3;
    return true;
}

} // namespace

namespace zmath {

ld sin(ld x)
{
    ld r;
    int64_t k;
    if (!Reduced(x, r, k)) return Flagged(std::sin(x), x);
    switch (k & 3) {
    case 0: return std::sin(r);
    case 1: return std::cos(r);
    case 2: return -std::sin(r);
    default: return -std::cos(r);
    }
}

ld cos(ld x)
{
    ld r;
    int64_t k;
    if (!Reduced(x, r, k)) return Flagged(std::cos(x), x);
    switch (k & 3) {
    case 0: return std::cos(r);
    case 1: return -std::sin(r);
    case 2: return -std::cos(r);
    default: return std::sin(r);
    }
}

ld tan(ld x)
{
    ld r;
    int64_t k;
    if (!Reduced(x, r, k)) return Flagged(std::tan(x), x);
    return (k & 1) ? -1 / std::tan(r) : std::tan(r);
}

// asin and acos through the half angle near ±1, where 1 - |x| is exact.
ld asin(ld x)
{
    const ld a = std::fabs(x);
    if (!(a > 0.5L) || a > 1) return Flagged(std::asin(x), x);
    const ld half = 2 * std::asin(std::sqrt((1 - a) / 2));
    return std::copysign((kHalfPiHigh - half) + kHalfPiLow, x);
}

ld acos(ld x)
{
    const ld a = std::fabs(x);
    if (!(a <= 1)) return Flagged(std::acos(x), x);
    if (a <= 0.5L) return (kHalfPiHigh - std::asin(x)) + kHalfPiLow;
    const ld half = 2 * std::asin(std::sqrt((1 - a) / 2));
    return x > 0 ? half : (2 * kHalfPiHigh - half) + 2 * kHalfPiLow;
}

// acosh near 1 through x - 1, exact there.
ld acosh(ld x)
{
    if (x >= 1 && x < 2) {
        const ld t = x - 1;
        return std::log1p(t + std::sqrt(2 * t + t * t));
    }
    return Flagged(std::acosh(x), x);
}

ld asinh(ld x) { return Flagged(std::asinh(x), x); }
ld atan2(ld y, ld x) { return Flagged(std::atan2(y, x), y, x); }
ld atanh(ld x) { return Flagged(std::atanh(x), x, 0, Pole::Yes); }
ld cosh(ld x) { return Flagged(std::cosh(x), x); }
ld exp(ld x) { return Flagged(std::exp(x), x); }
ld log(ld x) { return Flagged(std::log(x), x, 0, Pole::Yes); }
ld log1p(ld x) { return Flagged(std::log1p(x), x, 0, Pole::Yes); }
ld log2(ld x) { return Flagged(std::log2(x), x, 0, Pole::Yes); }
ld sinh(ld x) { return Flagged(std::sinh(x), x); }
ld sqrt(ld x) { return Flagged(std::sqrt(x), x); }
ld tanh(ld x) { return Flagged(std::tanh(x), x); }

ld pow(ld b, ld x)
{
    const ld magnitude = std::fabs(x);
    if (std::isfinite(b) && b != 0 && magnitude >= 1 && magnitude <= 4294967295.0L &&
        (magnitude + 0x1p63L) - 0x1p63L == magnitude) {
        const auto n = static_cast<uint32_t>(static_cast<double>(magnitude)); // exact below 2^32
        ld p = ScaledPower(b, n);
        if (b < 0 && (n & 1U)) p = -p;
        return x > 0 ? p : 1 / p;
    }
    if (b > 0 && std::isfinite(b) && std::isfinite(x)) return PositivePower(b, x);
    return Flagged(std::pow(b, x), b, x, b == 0 ? Pole::Yes : Pole::No);
}

} // namespace zmath
