#include "engine/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

std::string FormatGeneral(long double value, int digits)
{
    if (digits < 2) digits = 2;
    if (digits > 18) digits = 18;
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";

    const bool negative = value < 0;
    const long double magnitude = std::fabs(value);
    std::string mantissa; // significant digits, rounded to `digits`
    int exponent10;       // value = d.ddd x 10^exponent10

    static const long double kLimit[19] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L, 1e9L,
                                           1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L};
    if (magnitude < kLimit[digits] && (magnitude + 0x1p63L) - 0x1p63L == magnitude) {
        // A whole number of at most `digits` digits is written as it is.
        mantissa = std::to_string(static_cast<unsigned long long>(magnitude));
        exponent10 = static_cast<int>(mantissa.size()) - 1;
    } else {
        // 70 significant digits show whether the value lies exactly half-way
        // between two roundings (it then ends in 5 and zeros), which rounds
        // away from zero.
        char buf[128];
        const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 69);
        std::string all;
        const char* p = buf;
        for (; p != res.ptr && *p != 'e'; ++p)
            if (*p != '.') all.push_back(*p);
        exponent10 = std::atoi(std::string(static_cast<const char*>(p + 1), static_cast<const char*>(res.ptr)).c_str());
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
    while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();

    // e: the exponent of the value written as 0.d1d2d3... x 10^e.
    const int e = exponent10 + 1;
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
    } else {
        out += mantissa[0];
        if (mantissa.size() > 1) {
            out += '.';
            out.append(mantissa, 1, std::string::npos);
        }
        out += 'E';
        out += std::to_string(e - 1);
    }
    return out;
}
