// Reading decimal texts with MinGW-w64, whose C library has no strtold_l.
// Its strtold rounds correctly to the 80-bit format but reads the decimal
// point of the process locale, so the point is written as that locale's.
#include "engine/NumberFormat.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>

bool ParseDecimal(const std::string& ascii, long double& value)
{
    // The text holds only digits, ".", "e" and signs.
    std::string text = ascii;
    const char* point = std::localeconv()->decimal_point;
    if (point && *point && std::strcmp(point, ".") != 0) {
        const std::size_t at = text.find('.');
        if (at != std::string::npos) text.replace(at, 1, point);
    }
    errno = 0;
    char* end = nullptr;
    const long double v = std::strtold(text.c_str(), &end);
    if (errno == ERANGE && std::isinf(v)) return false;
    value = v;
    return true;
}
