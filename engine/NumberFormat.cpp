#include "engine/NumberFormat.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace {

constexpr uint64_t kPow10[20] = {1ULL,
                                 10ULL,
                                 100ULL,
                                 1000ULL,
                                 10000ULL,
                                 100000ULL,
                                 1000000ULL,
                                 10000000ULL,
                                 100000000ULL,
                                 1000000000ULL,
                                 10000000000ULL,
                                 100000000000ULL,
                                 1000000000000ULL,
                                 10000000000000ULL,
                                 100000000000000ULL,
                                 1000000000000000ULL,
                                 10000000000000000ULL,
                                 100000000000000000ULL,
                                 1000000000000000000ULL,
                                 10000000000000000000ULL};

// The first `digits` significant digits of a positive value, rounded half
// away from zero, by exact integer arithmetic on the 64-bit significand of
// the x87 extended format: false when the value is out of this method's
// reach (the caller then takes the general way).
bool RoundedDigits(long double magnitude, int digits, std::string& mantissa, int& exponent10)
{
#if defined(__x86_64__) || defined(__i386__)
    static_assert(std::numeric_limits<long double>::digits == 64);
    struct {
        uint64_t significand;
        uint16_t signExponent;
    } bits{};
    std::memcpy(&bits, &magnitude, 10);
    const int biased = bits.signExponent & 0x7FFF;
    if (biased == 0 || bits.significand == 0) return false; // zero or denormal
    const int shift = -(biased - 16383 - 63);               // magnitude = significand / 2^shift
    if (shift <= 0 || shift > 127) return false;
    // e: number of digits before the point; estimated from the binary
    // exponent and corrected below.
    int e = static_cast<int>(std::floor((biased - 16383) * 0.30102999566398119521)) + 1;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int scale = digits - e; // the digits kept are floor(magnitude x 10^scale)
        if (scale < 0 || scale > 19) return false;
        const unsigned __int128 product = static_cast<unsigned __int128>(bits.significand) * kPow10[scale];
        const unsigned __int128 mask = (static_cast<unsigned __int128>(1) << shift) - 1;
        const unsigned __int128 wide = product >> shift;
        if (wide >= kPow10[digits]) {
            ++e;
            continue;
        }
        if (wide < kPow10[digits - 1]) {
            --e;
            continue;
        }
        auto kept = static_cast<uint64_t>(wide);
        const unsigned __int128 rest = product & mask;
        const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
        if (rest >= half) ++kept; // half-way rounds away from zero
        if (kept == kPow10[digits]) {
            kept /= 10;
            ++e;
        }
        mantissa = std::to_string(kept);
        exponent10 = e - 1;
        return true;
    }
#else
    (void)magnitude, (void)digits, (void)mantissa, (void)exponent10;
#endif
    return false;
}

} // namespace

namespace {

// The digits of `magnitude` rounded to `digits` significant ones, half-way
// away from zero, from its shortest exact decimal texts: three digits beyond
// the last one kept tell on which side of half-way the value lies, unless
// they read 500 or 499: then 70 digits show whether it lies exactly
// half-way (ending in 5 and zeros).
void RoundedFromDecimalText(long double magnitude, int digits, std::string& mantissa, int& exponent10)
{
    auto digitsOf = [&](int precision, std::string& all) {
        char buf[128];
        const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, precision);
        const char* p = buf;
        for (; p != res.ptr && *p != 'e'; ++p)
            if (*p != '.') all.push_back(*p);
        int exponent = 0;
        std::from_chars(p + (p[1] == '+' ? 2 : 1), res.ptr, exponent);
        return exponent;
    };
    std::string all;
    exponent10 = digitsOf(digits + 2, all);
    const std::string extra = all.substr(static_cast<std::size_t>(digits));
    if (extra == "500" || extra == "499") {
        all.clear();
        exponent10 = digitsOf(69, all);
    }
    mantissa = all.substr(0, static_cast<std::size_t>(digits));
    if (all[static_cast<std::size_t>(digits)] >= '5') {
        int k = digits - 1;
        while (k >= 0 && mantissa[static_cast<std::size_t>(k)] == '9') mantissa[static_cast<std::size_t>(k--)] = '0';
        if (k >= 0) {
            ++mantissa[static_cast<std::size_t>(k)];
        } else {
            mantissa.insert(mantissa.begin(), '1');
            mantissa.pop_back();
            ++exponent10;
        }
    }
}

// The significant digits laid out in fixed or scientific notation, where
// e is the exponent of the value written as 0.d1d2d3... x 10^e.
std::string LayOut(const std::string& mantissa, int e, int digits, bool negative)
{
    std::string out = negative ? "-" : "";
    if (e >= -3 && e <= digits) {
        if (e <= 0) {
            out += "0.";
            out.append(static_cast<std::size_t>(-e), '0');
            out += mantissa;
        } else {
            const auto whole = static_cast<std::size_t>(e);
            if (mantissa.size() <= whole) {
                out += mantissa;
                out.append(whole - mantissa.size(), '0');
            } else {
                out.append(mantissa, 0, whole);
                out += '.';
                out.append(mantissa, whole, std::string::npos);
            }
        }
        return out;
    }
    out += mantissa[0];
    if (mantissa.size() > 1) {
        out += '.';
        out.append(mantissa, 1, std::string::npos);
    }
    out += 'E';
    out += std::to_string(e - 1);
    return out;
}

} // namespace

std::string FormatGeneral(long double value, int digits)
{
    if (digits < 2) digits = 2;
    if (digits > 18) digits = 18;
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";

    const long double magnitude = std::fabs(value);
    std::string mantissa; // significant digits, rounded to `digits`
    int exponent10;       // value = d.ddd x 10^exponent10

    static const long double kLimit[19] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L, 1e9L,
                                           1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L};
    if (magnitude < kLimit[digits] && (magnitude + 0x1p63L) - 0x1p63L == magnitude) {
        // A whole number of at most `digits` digits is written as it is.
        mantissa = std::to_string(static_cast<unsigned long long>(magnitude));
        exponent10 = static_cast<int>(mantissa.size()) - 1;
    } else if (!RoundedDigits(magnitude, digits, mantissa, exponent10)) {
        RoundedFromDecimalText(magnitude, digits, mantissa, exponent10);
    }
    while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
    return LayOut(mantissa, exponent10 + 1, digits, value < 0);
}

std::string FormatRoundTrip(long double value)
{
    if (!std::isfinite(value)) return {};
    long double back = 0;
    for (int digits = 2; digits <= 18; ++digits) {
        const std::string text = FormatGeneral(value, digits);
        if (!ParseDecimal(text, back) || back != value) continue;
        // Written out in full ("1500", not "1.5E3") where 18 digits allow it.
        for (int wider = digits; wider <= 18 && text.find('E') != std::string::npos; ++wider) {
            const std::string fixed = FormatGeneral(value, wider);
            if (fixed.find('E') == std::string::npos && ParseDecimal(fixed, back) && back == value) return fixed;
        }
        return text;
    }
    // Some extended values need up to 21 significant digits.
    std::string text;
    for (int digits = 19; digits <= 21; ++digits) {
        std::string mantissa;
        int exponent10 = 0;
        RoundedFromDecimalText(std::fabs(value), digits, mantissa, exponent10);
        while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
        text = LayOut(mantissa, exponent10 + 1, digits, value < 0);
        if (ParseDecimal(text, back) && back == value) break;
    }
    return text;
}
