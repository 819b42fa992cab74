// The C library's extended-precision functions as the engine calls them.
// glibc's are taken as they are.  MinGW-w64's raise no overflow or
// invalid-operation flag in some functions (sinh 20000 is a silent
// infinity, the logarithm or the square root of -1 a silent NaN) and lose
// digits in others (arccos near 1, arccosh near 1, powers with large
// results, sin, cos and tan of large arguments), so the Windows build calls
// its own versions of these (MathWindows.cpp).  Internal to the engine.
#pragma once

#include <cmath>

#ifdef _WIN32
namespace zmath {
using std::atan;
using std::fmod;
long double acos(long double x);
long double acosh(long double x);
long double asin(long double x);
long double asinh(long double x);
long double atan2(long double y, long double x);
long double atanh(long double x);
long double cos(long double x);
long double cosh(long double x);
long double exp(long double x);
long double log(long double x);
long double log1p(long double x);
long double log2(long double x);
long double pow(long double b, long double x);
long double sin(long double x);
long double sinh(long double x);
long double sqrt(long double x);
long double tan(long double x);
long double tanh(long double x);
} // namespace zmath
#else
namespace zmath {
using std::acos, std::acosh, std::asin, std::asinh, std::atan, std::atan2, std::atanh, std::cos, std::cosh, std::exp,
    std::fmod, std::log, std::log1p, std::log2, std::pow, std::sin, std::sinh, std::sqrt, std::tan, std::tanh;
} // namespace zmath
#endif
