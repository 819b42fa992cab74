// Reading decimal texts where the C library has per-call locales (glibc).
#include "engine/NumberFormat.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <locale.h>

bool ParseDecimal(const std::string& ascii, long double& value)
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    errno = 0;
    char* end = nullptr;
    const long double v = strtold_l(ascii.c_str(), &end, c);
    if (errno == ERANGE && std::isinf(v)) return false;
    value = v;
    return true;
}
