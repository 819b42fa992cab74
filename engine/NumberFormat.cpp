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
    // Correctly rounded scientific form "d.ddde+XX" of the magnitude.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, digits - 1);
    std::string mantissa;
    const char* p = buf;
    for (; p != res.ptr && *p != 'e'; ++p)
        if (*p != '.') mantissa.push_back(*p);
    const int exponent10 = std::atoi(std::string(static_cast<const char*>(p + 1), static_cast<const char*>(res.ptr)).c_str());
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
