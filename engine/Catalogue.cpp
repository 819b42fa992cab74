// The catalogue groups: operators, functions and angle conversions, each a
// computation following the TOperatorFunc protocol.
//
// Arithmetic faults (overflow, division by zero, invalid operations) are not
// reported here: the evaluator reads the floating-point status flags after
// every computation.  A computation only reports the conditions it checks.
#include "engine/MathParser.h"
#include "engine/BoundScan.h"
#include "engine/ErrorCodes.h"
#include "engine/Computations.h"
#include "engine/DerivativeRules.h"
#include "engine/Kernels.h"
#include "engine/Probability.h"
#include "engine/Program.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace {

using ld = long double;
using namespace engine_detail;

constexpr uint8_t kLeft = 1;
constexpr uint8_t kRight = 2;

const char* const kRightMissing = "Falta el argumento a la derecha";
const char* const kLeftMissing = "Falta el argumento a la izquierda";
const char* const kEitherMissing = "Falta el argumento a la derecha o izquierda";

// Missing-operand tests.  Each sets kMissingArgument with the operator blamed.
inline bool MissRight(uint8_t sides, uint8_t& code, std::string& msg, const char* text)
{
    if (sides & kRight) return false;
    code = error_code::kMissingArgument;
    msg = text;
    return true;
}
inline bool MissBoth(uint8_t sides, uint8_t& code, std::string& msg, const char* text)
{
    if (sides == (kLeft | kRight)) return false;
    code = error_code::kMissingArgument;
    msg = text;
    return true;
}
inline bool MissAny(uint8_t sides, uint8_t& code, std::string& msg, const char* text)
{
    if (sides != 0) return false;
    code = error_code::kMissingArgument;
    msg = text;
    return true;
}
inline ld Fail(uint8_t& code, std::string& msg, uint8_t& blame, uint8_t c, uint8_t b, const char* text)
{
    code = c;
    blame = b;
    msg = text;
    return 0;
}

// The extended value nearest to pi/2.
constexpr ld kHalfPi = 0xC90FDAA22168C235p-63L;
// pi one unit in the last place below the extended value nearest to pi.
constexpr ld kPi = 0xC90FDAA22168C234p-62L;

constexpr ld kInf = std::numeric_limits<ld>::infinity();

inline bool CountsAsZero(ld x) { return std::fabs(x) <= 1E-16L; }
inline bool CountsAsSame(ld x, ld y)
{
    const ld tol = std::fmax(std::fmin(std::fabs(x), std::fabs(y)) * 1E-16L, 1E-16L);
    return std::fabs(x - y) <= tol;
}

// The hyperbolic functions and the inverse functions are computed in forms
// that keep every digit of their arguments: the library's extended functions,
// 1 - x^2 and x^2 - 1 through 1 - x, x - 1 and x + 1, odd symmetry, and
// reciprocal arguments only where the function of the reciprocal is well
// conditioned.  The results are within a few units in the last place.  An
// infinite argument gives what the defining formula gives in IEEE
// arithmetic: tanh, arcsinh (of -inf), arccosh and arccoth meet inf - inf or
// inf/inf there, an invalid operation.
ld Sinh(ld x) { return CountsAsZero(x) ? 0 : zmath::sinh(x); }
ld Cosh(ld x) { return CountsAsZero(x) ? 1 : zmath::cosh(x); }
ld Tanh(ld x)
{
    if (CountsAsZero(x)) return 0;
    // sinh x / cosh x: where sinh overflows, at about 11357.2, so does tanh.
    if (std::fabs(x) > 11357) {
        const ld s = Sinh(x);
        if (!std::isfinite(s)) return s / Cosh(x);
    }
    return zmath::tanh(x);
}
ld ArcSin(ld y) { return zmath::asin(y); }
ld ArcCos(ld y) { return zmath::acos(y); }

// The n-th root of r >= 0: r to the exponent 1/n.  The reciprocal e of n
// is rounded; r^(1/n) = r^e * r^(1/n - e), and the second factor is
// 1 + (1/n - e) ln r to far below the last place, since |(1/n - e) ln r| is
// at most 2^-64 |e ln r| and |e ln r| stays below 11400 where r^e is in range.
ld NthRoot(ld n, ld r)
{
    const ld e = 1 / n;
    const ld p = Power(r, e);
    const ld magnitude = std::fabs(n);
    if (p == 0 || !std::isfinite(p) || r == 1 || !std::isfinite(r) || !(magnitude >= 0x1p-8000L) ||
        !(magnitude <= 0x1p8000L))
        return p;
    ld rest;
    const ld product = ExactProduct(n, e, rest);
    const ld error = ((1 - product) - rest) / n; // 1/n - e, from the exact 1 - n*e
    return p + p * (error * zmath::log(r));
}

// Truncation to a signed 64-bit integer; false outside its range.
bool TruncInt64(ld x, int64_t& out)
{
    const ld t = std::trunc(x);
    if (!(t >= -0x1p63L && t < 0x1p63L)) return false;
    out = static_cast<int64_t>(t);
    return true;
}

// Integer division and remainder; arithmetic-fault texts for the faults.
ld IntDivMod(ld l, ld r, bool remainder, uint8_t& code, std::string& msg)
{
    int64_t a, b;
    if (!TruncInt64(l, a) || !TruncInt64(r, b)) {
        code = error_code::kArithmeticFault;
        msg = "Invalid floating point operation";
        return 0;
    }
    if (b == 0) {
        code = error_code::kArithmeticFault;
        msg = "Division by zero";
        return 0;
    }
    if (a == INT64_MIN && b == -1) return remainder ? 0.0L : 0x1p63L; // the one quotient beyond int64
    return remainder ? static_cast<ld>(a % b) : static_cast<ld>(a / b);
}

// ---- RegisterOperators ----

ld OpAdd(ld l, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissRight(s, c, m, "right argument is missing")) return 0;
    return Sum(l, r);
}
ld OpSub(ld l, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissRight(s, c, m, kRightMissing)) return 0;
    return Difference(l, r);
}
ld OpMul(ld l, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissBoth(s, c, m, kEitherMissing)) return 0;
    return Product(l, r);
}
ld OpDiv(ld l, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    if (MissBoth(s, c, m, kEitherMissing)) return 0;
    if (QuotientFails(r)) {
        c = error_code::kDivisionByZero;
        b = kRight;
        return 0;
    }
    return Quotient(l, r);
}
ld OpSin(ld, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissAny(s, c, m, kRightMissing)) return 0;
    return Sine(r, AngleUnitIsDegrees());
}
ld OpCos(ld, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissAny(s, c, m, kRightMissing)) return 0;
    return Cosine(r, AngleUnitIsDegrees());
}
ld OpTan(ld, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    if (MissAny(s, c, m, kRightMissing)) return 0;
    const char* const outOfRange = "El argumento a la derecha esta fuera del rango";
    if (zmath::cos(r) == 0) return Fail(c, m, b, error_code::kDivisionByZero, 2, outOfRange);
    if (AngleUnitIsDegrees()) {
        // Odd multiples of 90 degrees have no tangent; the converted argument
        // would only come close to pi/2 and give a huge finite value.
        if (std::isfinite(r) && std::fabs(zmath::fmod(r, 180.0L)) == 90) return Fail(c, m, b, error_code::kDivisionByZero, 2, outOfRange);
        return zmath::tan(r * kDegreeFactor);
    }
    return zmath::tan(r);
}
ld OpSqrt(ld, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    if (MissAny(s, c, m, kRightMissing)) return 0;
    if (r < 0) return Fail(c, m, b, error_code::kInvalidArgument, 2, "El argumento debe ser mayor o igual que 0");
    return zmath::sqrt(r);
}
ld OpPower(ld l, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissAny(s, c, m, kLeftMissing)) return 0;
    return Power(l, r);
}
ld OpLog(ld l, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    // With no base, the decimal logarithm: "log 1000" is 3.
    if (s == kRight) {
        if (LogarithmFails(r)) return Fail(c, m, b, error_code::kInvalidArgument, 2, "El argumento a la derecha debe ser mayor que 0");
        return DecimalLogarithm(r);
    }
    if (MissBoth(s, c, m, kEitherMissing)) return 0;
    if (l == 1) return Fail(c, m, b, error_code::kDivisionByZero, 1, "División por cero: el argumento a la izquierda no debe ser 1");
    if (l <= 0) return Fail(c, m, b, error_code::kInvalidArgument, 1, "El argumento a la izquierda debe ser mayor que 0");
    return zmath::log2(r) / zmath::log2(l);
}
ld OpLn(ld, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    if (MissRight(s, c, m, kRightMissing)) return 0;
    if (LogarithmFails(r)) {
        c = error_code::kInvalidArgument;
        b = kRight;
        return 0;
    }
    return Logarithm(r);
}
ld OpArcCos(ld, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    if (MissAny(s, c, m, kRightMissing)) return 0;
    if (r < -1 || r > 1) return Fail(c, m, b, error_code::kInvalidArgument, 2, "El argumento a la derecha debe ser entre -1 y 1");
    return ArcCos(r);
}
ld OpArcSin(ld, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    if (MissAny(s, c, m, kRightMissing)) return 0;
    if (r < -1 || r > 1) return Fail(c, m, b, error_code::kInvalidArgument, 2, "El argumento a la derecha debe ser entre -1 y 1");
    return ArcSin(r);
}

// One-operand functions of the right operand with the missing test "any"
// and no domain check.
template <ld (*F)(ld)>
ld Unary(ld, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissAny(s, c, m, kRightMissing)) return 0;
    return F(r);
}

ld Atan(ld x) { return zmath::atan(x); }
ld Abs(ld x) { return Absolute(x); }
ld Floor(ld x) { return std::floor(x); }
ld Ceil(ld x) { return std::ceil(x); }
ld Exp(ld x) { return Exponential(x); }

ld OpDiv64(ld l, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissAny(s, c, m, kEitherMissing)) return 0;
    return IntDivMod(l, r, false, c, m);
}
ld OpMod64(ld l, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissAny(s, c, m, kEitherMissing)) return 0;
    return IntDivMod(l, r, true, c, m);
}
ld OpFactorialSign(ld l, ld, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissAny(s, c, m, kLeftMissing)) return 0;
    return zmath::exp(l);
}

// ---- RegisterFunctions ----

ld OpMax(ld l, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissAny(s, c, m, kEitherMissing)) return 0;
    return r >= l ? r : l;
}
ld OpMin(ld l, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissAny(s, c, m, kEitherMissing)) return 0;
    return r <= l ? r : l;
}
ld OpArcCosh(ld, ld x, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    if (MissAny(s, c, m, kRightMissing)) return 0;
    if (x < 1) return Fail(c, m, b, error_code::kInvalidArgument, 2, "El argumento a la derecha debe ser mayor o igual que 1");
    if (std::isinf(x)) return zmath::log(x + (x + 1) * zmath::sqrt((x - 1) / (x + 1))); // inf/inf: invalid
    return zmath::acosh(x);
}
ld ArcCot(ld x) { return CountsAsZero(x) ? kHalfPi : zmath::atan(1 / x); }
// arccoth x = 1/2 ln((x + 1)/(x - 1)) = 1/2 ln(1 + 2/(x - 1)) for x > 1, odd;
// for |x| < 1 the logarithm's argument is negative: an invalid operation.
ld ArcCoth(ld x)
{
    if (CountsAsSame(x, 1)) return kInf;
    if (CountsAsSame(x, -1)) return -kInf;
    if (std::isinf(x)) return 0.5L * zmath::log((x + 1) / (x - 1)); // inf/inf: invalid
    const ld a = std::fabs(x);
    return std::copysign(0.5L * zmath::log1p(2 / (a - 1)), x);
}
// arccsc x = arcsin(1/x) = arctan(1/sqrt(x^2 - 1)) with the sign of x; the
// square root fails for |x| < 1 with an invalid operation.
ld ArcCsc(ld x)
{
    if (CountsAsZero(x)) return kInf;
    const ld a = std::fabs(x);
    return std::copysign(zmath::atan2(1.0L, zmath::sqrt(a - 1) * zmath::sqrt(a + 1)), x);
}
// arccsch x = arcsinh(1/x); below 2^-16000 in magnitude 1/x would overflow,
// and there arcsinh(1/x) = ln 2 - ln|x| to far below the last place.
ld ArcCsch(ld x)
{
    constexpr ld kLn2 = 0xB17217F7D1CF79ACp-64L;
    if (x != 0 && std::fabs(x) < 0x1p-16000L) return std::copysign(kLn2 - zmath::log(std::fabs(x)), x);
    return zmath::asinh(1 / x);
}
// arcsec x = arccos(1/x) = 2 arctan(sqrt((x - 1)/(x + 1))) for x >= 1, and
// the complement to pi of arcsec |x| for x <= -1; the square roots fail for
// |x| < 1 with an invalid operation.
ld ArcSec(ld x)
{
    if (CountsAsZero(x)) return kInf;
    const ld a = std::fabs(x);
    const ld below = zmath::sqrt(a - 1), above = zmath::sqrt(a + 1);
    return 2 * (x > 0 ? zmath::atan2(below, above) : zmath::atan2(above, below));
}
// arcsech x = arccosh(1/x) = 2 arcsinh(sqrt((1 - x)/(2x))); the square root
// fails outside 0 < x <= 1 with an invalid operation.
ld ArcSech(ld x)
{
    if (CountsAsZero(x)) return kInf;
    if (CountsAsSame(x, 1)) return 0;
    return 2 * zmath::asinh(zmath::sqrt((1 - x) / (2 * x)));
}
ld ArcSinh(ld x)
{
    if (std::isinf(x)) return zmath::log(x + zmath::sqrt(x * x + 1)); // -inf + inf: invalid
    return zmath::asinh(x);
}
ld OpArcTanh(ld, ld x, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    if (MissAny(s, c, m, kRightMissing)) return 0;
    if (x < -1 || x > 1) return Fail(c, m, b, error_code::kInvalidArgument, 2, "El argumento a la derecha debe ser entre -1 y 1");
    if (CountsAsSame(x, 1)) return kInf;
    if (CountsAsSame(x, -1)) return -kInf;
    return zmath::atanh(x);
}
ld OpArcTan2(ld l, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    if (MissAny(s, c, m, kEitherMissing)) return 0;
    if (r == 0) return Fail(c, m, b, error_code::kInvalidArgument, 2, "El argumento a la derecha no debe ser 0");
    return zmath::atan2(l, r);
}
ld Cot(ld x) { return 1 / zmath::tan(x); }
ld OpCotan(ld, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    if (MissAny(s, c, m, kRightMissing)) return 0;
    if (r == 0) return Fail(c, m, b, error_code::kInvalidArgument, 2, "El argumento a la derecha no debe ser 0");
    return 1 / zmath::tan(r);
}
ld Coth(ld x) { return 1 / Tanh(x); }
ld Csc(ld x) { return 1 / zmath::sin(x); }
ld Csch(ld x) { return 1 / Sinh(x); }
ld OpHypot(ld l, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissAny(s, c, m, kEitherMissing)) return 0;
    const ld a = std::fmax(std::fabs(l), std::fabs(r));
    const ld b = std::fmin(std::fabs(l), std::fabs(r));
    if (a == 0) return 0;
    const ld q = b / a;
    return a * zmath::sqrt(1 + q * q);
}
ld Sec(ld x) { return 1 / zmath::cos(x); }
ld Sech(ld x) { return 1 / Cosh(x); }

// The process-wide pseudo-random generator, seeded once with fresh entropy
// so that engines created in quick succession draw independent values.  It
// is not guarded: only the window's thread draws from it (a tree that
// draws random numbers is evaluated there, sample by sample, never by the
// plot's worker threads).
std::mt19937_64& RandomGenerator()
{
    static std::mt19937_64 generator = [] {
        std::random_device device;
        std::seed_seq seq{device(), device(), device(), device(),
                          static_cast<unsigned>(std::chrono::high_resolution_clock::now().time_since_epoch().count())};
        return std::mt19937_64(seq);
    }();
    return generator;
}

ld OpRandom(ld, ld, uint8_t, uint8_t&, std::string&, uint8_t&)
{
    std::uniform_int_distribution<int> k(0, 999);
    return static_cast<ld>(k(RandomGenerator())) / 1000 + 0.001L;
}
ld OpNthRoot(ld l, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    if (MissAny(s, c, m, kEitherMissing)) return 0;
    if (r < 0) return Fail(c, m, b, error_code::kInvalidArgument, 2, "El argumento a la derecha debe ser mayor o igual que 0");
    if (l < 0) return Fail(c, m, b, error_code::kInvalidArgument, 1, "El argumento a la izquierda debe ser mayor o igual que 0");
    return NthRoot(l, r);
}

// ---- Functions of the notebook ----

// A call is expanded when its tree is compiled; its own computation only
// tells whether the arguments are written.
ld OpCall(ld, ld, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissAny(s, c, m, kRightMissing)) return 0;
    return 0;
}
ld OpSeparator(ld, ld, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissBoth(s, c, m, kEitherMissing)) return 0;
    c = error_code::kUnexpectedArgument;
    m = "El «;» solo separa los argumentos de una función";
    return 0;
}

// ---- RegisterAngleConversions ----

constexpr ld kDegToRad = 0.017453292519943295769L;
constexpr ld kRadToDeg = 57.295779513082320877L;
constexpr ld kTwoPi = 6.283185307179586477L;
constexpr ld kRadToGrad = 63.661977236758134305L;
constexpr ld kGradToRad = 0.015707963267948966192L;

ld DegToRad(ld x) { return x * kDegToRad; }
ld DegToCycle(ld x) { return (x * kDegToRad) / kTwoPi; }
ld DegToGrad(ld x) { return (x * kDegToRad) * kRadToGrad; }
ld RadToDeg(ld x) { return x * kRadToDeg; }
ld RadToCycle(ld x) { return x / kTwoPi; }
ld RadToGrad(ld x) { return x * kRadToGrad; }
ld GradToCycle(ld x) { return (x * kGradToRad) / kTwoPi; }
ld GradToRad(ld x) { return x * kGradToRad; }
ld GradToDeg(ld x) { return (x * kGradToRad) * kRadToDeg; }

std::function<bool()> gAngleQuery;

} // namespace

TOperatorFunc engine_detail::CallComputation() { return OpCall; }
TOperatorFunc engine_detail::SeparatorComputation() { return OpSeparator; }
TOperatorFunc engine_detail::ProductComputation() { return OpMul; }

bool engine_detail::ComputationIsRepeatable(TOperatorFunc func)
{
    return func != OpRandom;
}

bool engine_detail::ComputationShowsFaults(TOperatorFunc func)
{
    // Each of these either checks its domain or ends in the operation that
    // can fault, so an overflow or invalid operation reaches the result as
    // an infinity or not-a-number.
    // (The reciprocals "sech" and "csch" are not: 1/cosh and 1/sinh turn an
    // overflow into 0.)
    static const TOperatorFunc kShowing[] = {
        OpSin,           OpCos,          OpTan,          OpSqrt,          OpLn,          OpArcSin,
        OpArcCos,        Unary<Atan>,    Unary<Sinh>,    Unary<Cosh>,     Unary<Tanh>,   Unary<Coth>,
        Unary<Abs>,      Unary<Floor>,   Unary<Ceil>,    Unary<Exp>,      OpFactorialSign, OpMax,
        OpMin,           OpArcTan2,      Unary<ArcSinh>, OpArcCosh,       OpArcTanh,     Unary<ArcCoth>,
        Unary<ArcCsc>,   Unary<ArcCsch>, Unary<ArcSec>,  Unary<ArcSech>};
    for (TOperatorFunc f : kShowing)
        if (f == func) return true;
    return ExamComputationShowsFaults(func) || IsBoundComputation(func);
}

engine_detail::TFastOp engine_detail::FastOpOf(TOperatorFunc func, uint8_t sidesPresent)
{
    if (sidesPresent == 3) {
        if (func == OpPower) return kFastPow;
        if (func == OpAdd) return kFastAdd;
        if (func == OpSub) return kFastSub;
        if (func == OpMul) return kFastMul;
        if (func == OpDiv) return kFastDiv;
    }
    if (sidesPresent & 2) {
        if (func == OpSin) return kFastSin;
        if (func == OpCos) return kFastCos;
        if (func == Unary<Exp>) return kFastExp;
        if (func == OpLn) return kFastLn;
        if (func == Unary<Abs>) return kFastAbs;
    }
    return kFastNone;
}

void SetAngleUnitQuery(std::function<bool()> inDegrees)
{
    gAngleQuery = std::move(inDegrees);
}

bool AngleUnitIsDegrees()
{
    if (engine_detail::tAngleUnit >= 0) return engine_detail::tAngleUnit == 1;
    return gAngleQuery ? gAngleQuery() : true;
}

bool engine_detail::ComputationUsesAngleUnit(TOperatorFunc func)
{
    return func == OpSin || func == OpCos || func == OpTan;
}

void TMathParser::RegisterOperators()
{
    AddOperator("+", OpAdd, 3, 0, CatalogueRule("+"));
    AddOperator("-", OpSub, 3, 1, CatalogueRule("-"));
    AddOperator("*", OpMul, 3, 2, CatalogueRule("*"));
    AddOperator("/", OpDiv, 3, 2, CatalogueRule("/"));
    AddOperator("sin", OpSin, 2, 4, CatalogueRule("sin"));
    AddOperator("cos", OpCos, 2, 4, CatalogueRule("cos"));
    AddOperator("tan", OpTan, 2, 4, CatalogueRule("tan"));
    AddOperator("sqrt", OpSqrt, 2, 4, CatalogueRule("sqrt"));
    AddOperator("^", OpPower, 3, 3, CatalogueRule("^"));
    AddOperator("log", OpLog, 3, 3, CatalogueRule("log"));
    AddOperator("ln", OpLn, 2, 4, CatalogueRule("ln"));
    AddOperator("arccos", OpArcCos, 2, 4, CatalogueRule("arccos"));
    AddOperator("arcsin", OpArcSin, 2, 4, CatalogueRule("arcsin"));
    AddOperator("arctan", Unary<Atan>, 2, 4, CatalogueRule("arctan"));
    AddOperator("sinh", Unary<Sinh>, 2, 4, CatalogueRule("sinh"));
    AddOperator("cosh", Unary<Cosh>, 2, 4, CatalogueRule("cosh"));
    AddOperator("tanh", Unary<Tanh>, 2, 4, CatalogueRule("tanh"));
    AddOperator("div", OpDiv64, 3, 3, CatalogueRule("div"));
    AddOperator("mod", OpMod64, 3, 3, CatalogueRule("mod"));
    AddOperator("abs", Unary<Abs>, 2, 4, CatalogueRule("abs"));
    AddOperator("floor", Unary<Floor>, 2, 4, CatalogueRule("floor"));
    AddOperator("ceil", Unary<Ceil>, 2, 4, CatalogueRule("ceil"));
    AddOperator("exp", Unary<Exp>, 2, 4, CatalogueRule("exp"));
    AddOperator("!", OpFactorialSign, 1, 5, CatalogueRule("!"));
    DefineVariable("pi", kPi);
}

void TMathParser::RegisterFunctions()
{
    AddOperator("max", OpMax, 3, 3, CatalogueRule("max"));
    AddOperator("min", OpMin, 3, 3, CatalogueRule("min"));
    AddOperator("arccosh", OpArcCosh, 2, 4, CatalogueRule("arccosh"));
    AddOperator("arccot", Unary<ArcCot>, 2, 4, CatalogueRule("arccot"));
    AddOperator("arccoth", Unary<ArcCoth>, 2, 4, CatalogueRule("arccoth"));
    AddOperator("arccsc", Unary<ArcCsc>, 2, 4, CatalogueRule("arccsc"));
    AddOperator("arccsch", Unary<ArcCsch>, 2, 4, CatalogueRule("arccsch"));
    AddOperator("arcsec", Unary<ArcSec>, 2, 4, CatalogueRule("arcsec"));
    AddOperator("arcsech", Unary<ArcSech>, 2, 4, CatalogueRule("arcsech"));
    AddOperator("arcsinh", Unary<ArcSinh>, 2, 4, CatalogueRule("arcsinh"));
    AddOperator("arctanh", OpArcTanh, 2, 4, CatalogueRule("arctanh"));
    AddOperator("arctan2", OpArcTan2, 3, 3, CatalogueRule("arctan2"));
    AddOperator("cot", Unary<Cot>, 2, 4, CatalogueRule("cot"));
    AddOperator("cotan", OpCotan, 2, 4, CatalogueRule("cotan"));
    AddOperator("coth", Unary<Coth>, 2, 4, CatalogueRule("coth"));
    AddOperator("csc", Unary<Csc>, 2, 4, CatalogueRule("csc"));
    AddOperator("csch", Unary<Csch>, 2, 4, CatalogueRule("csch"));
    AddOperator("hypot", OpHypot, 3, 3, CatalogueRule("hypot"));
    AddOperator("sec", Unary<Sec>, 2, 4, CatalogueRule("sec"));
    AddOperator("sech", Unary<Sech>, 2, 4, CatalogueRule("sech"));
    AddOperator("random", OpRandom, 0, 6, CatalogueRule("random"));
    AddOperator("nsqrt", OpNthRoot, 3, 3, CatalogueRule("nsqrt"));
    RandomGenerator(); // seeded once per process
}

void TMathParser::RegisterAngleConversions()
{
    AddOperator("DegToRad", Unary<DegToRad>, 2, 4, CatalogueRule("degtorad"));
    AddOperator("DegToCycle", Unary<DegToCycle>, 2, 4, CatalogueRule("degtocycle"));
    AddOperator("DegToGrad", Unary<DegToGrad>, 2, 4, CatalogueRule("degtograd"));
    AddOperator("RadToDeg", Unary<RadToDeg>, 2, 4, CatalogueRule("radtodeg"));
    AddOperator("RadToCycle", Unary<RadToCycle>, 2, 4, CatalogueRule("radtocycle"));
    AddOperator("RadToGrad", Unary<RadToGrad>, 2, 4, CatalogueRule("radtograd"));
    AddOperator("GradToCycle", Unary<GradToCycle>, 2, 4, CatalogueRule("gradtocycle"));
    AddOperator("GradToRad", Unary<GradToRad>, 2, 4, CatalogueRule("gradtorad"));
    AddOperator("GradToDeg", Unary<GradToDeg>, 2, 4, CatalogueRule("gradtodeg"));
}
