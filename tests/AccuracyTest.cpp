// Accuracy of the hyperbolic, inverse and power functions where their
// defining formulas lose digits: tiny, huge and negative arguments, arguments
// near +-1, near the tolerances and near the ends of the extended range.  The
// references are the functions of the exact extended arguments, worked out to
// 21 digits with arbitrary-precision arithmetic.
#include "TestSupport.h"
#include "engine/ErrorCodes.h"
#include "engine/Expression.h"

#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iomanip>
#include <limits>
#include <utility>

namespace {

constexpr unsigned kFaultFlags = FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID;
constexpr long double kInf = std::numeric_limits<long double>::infinity();

// Evaluates `text` with the named value x; fails the test on an engine error
// or on fault flags left raised by a successful evaluation.
long double Evaluate(const char* text, long double x)
{
    TMathParser parser;
    parser.DefineVariable("x", x);
    const TExpression tree(parser, text);
    std::feclearexcept(kFaultFlags);
    long double value = 0;
    const bool ok = tree.TryEvaluate(value);
    const int flags = std::fetestexcept(kFaultFlags);
    EXPECT_TRUE(ok) << text << ": " << int(parser.ErrorCode()) << " " << parser.ErrorMessage();
    EXPECT_EQ(flags, 0) << text << ": fault flags left raised";
    return value;
}

struct AccuracyCase {
    const char* text;
    const char* x; // the value of x in the text, as strtold reads it; or none
    long double reference;
};

void PrintTo(const AccuracyCase& c, std::ostream* os) { *os << '"' << c.text << '"' << (c.x ? " x=" : "") << (c.x ? c.x : ""); }

class Accuracy : public ::testing::TestWithParam<AccuracyCase> {};

// sin, cos and tan of arguments far from 0 in radians, reduced by pi/2 to
// the last place (glibc does so; the Windows build does its own reduction).
TEST(Accuracy, TrigonometryOfLargeArgumentsInRadians)
{
    SetAngleUnitQuery([] { return false; });
    const std::pair<const char*, long double> cases[] = {
        {"sin 1000", 8.26879540532002560256e-1L},        {"cos 1000000", 9.36752127533144786939e-1L},
        {"tan 100000", -3.57716629528987734113e-2L},     {"sin 12345", -9.93771636455681168009e-1L},
        {"cos (0-1000)", 5.62379076290702991078e-1L},     {"sin 1000000000", 5.45843449448699564244e-1L},
    };
    for (const auto& [text, reference] : cases) {
        const long double v = Evaluate(text, 0);
        EXPECT_LT(std::fabs(v - reference) / std::fabs(reference), 4E-19L)
            << text << ": " << std::setprecision(21) << v << " instead of " << reference;
    }
    SetAngleUnitQuery(nullptr);
}

TEST_P(Accuracy, WithinAFewUnitsInTheLastPlace)
{
    const AccuracyCase& c = GetParam();
    const long double v = Evaluate(c.text, c.x ? std::strtold(c.x, nullptr) : 0);
    EXPECT_LT(std::fabs(v - c.reference) / std::fabs(c.reference), 4E-19L)
        << std::setprecision(21) << v << " instead of " << c.reference;
}

const AccuracyCase kCases[] = {
    // The rows of the audit that found the losses.
    {"arcsinh(-1000000000)", nullptr, -2.14164130175063564658e1L},
    {"arcsinh(-5000000000)", nullptr, -2.30258509299404568402e1L},
    {"arccsch(-0.00000000000001)", nullptr, -3.29293384824765848857e1L},
    {"sinh 0.00000000000001", nullptr, 9.99999999999999999975e-15L},
    {"sinh 11357", nullptr, 9.58078246712971282993e4931L},
    {"cosh 11357", nullptr, 9.58078246712971282993e4931L},
    {"arccos 0.9999999999", nullptr, 1.41421356224268438502e-5L},
    {"arctanh 0.0000001", nullptr, 1.00000000000000333332e-7L},
    {"1.0000001^2147483647", nullptr, 1.83664458919971160638e93L},
    {"arccosh 1.00000000000000001", nullptr, 4.46646616171367423386e-9L},
    // Tiny, huge and negative arguments, near +-1, the tolerances and the ends of the range.
    {"sinh x", "1.0000000000000001E-16", 1.00000000000000010001e-16L},
    {"sinh x", "-11357.2", -1.17019941306848300095e4932L},
    {"sinh x", "30", 5.34323729076223107350e12L},
    {"cosh x", "1E-8", 1.00000000000000005000L},
    {"cosh x", "11357.2", 1.17019941306848300095e4932L},
    {"tanh x", "1E-10", 1.00000000000000000002e-10L},
    {"tanh x", "20", 9.99999999999999991503e-1L},
    {"tanh x", "-11357", -1.00000000000000000000L},
    {"coth x", "1.0000000000000001E-16", 9.99999999999999899990e15L},
    {"coth x", "-0.3", -3.43273843032174158934L},
    {"coth x", "1E-10", 9.99999999999999999985e9L},
    {"coth x", "20", 1.00000000000000000850L},
    {"sech x", "1E-5", 9.99999999950000000002e-1L},
    {"sech x", "-11000", 1.15273388583363673925e-4777L},
    {"csch x", "1E-10", 9.99999999999999999980e9L},
    {"csch x", "-11000", -1.15273388583363673925e-4777L},
    {"arcsinh x", "1E-10", 1.00000000000000000002e-10L},
    {"arcsinh x", "1E4000", 9.21103351915674268138e3L},
    {"arcsinh x", "-1E-300", -9.99999999999999999965e-301L},
    {"arccosh x", "1E4000", 9.21103351915674268138e3L},
    {"arccosh x", "1.5", 9.62423650119206894996e-1L},
    {"arccosh x", "1.0000000000000000002", 6.58544507982719246659e-10L},
    {"arccosh x", "1.0000001", 4.47213591773062278348e-4L},
    {"arctanh x", "0.9999999999999998", 1.84207280193998846904e1L},
    {"arctanh x", "-0.99999999999999989", -1.87196341982853151571e1L},
    {"arctanh x", "1E-300", 9.99999999999999999965e-301L},
    {"arctanh x", "-0.5", -5.49306144334054845698e-1L},
    {"arccoth x", "1.0000000000000002", 1.84205924996809361707e1L},
    {"arccoth x", "-1.00000000000000011", -1.87193878321803060754e1L},
    {"arccoth x", "1E10", 1.00000000000000000000e-10L},
    {"arccoth x", "-3", -3.46573590279972654709e-1L},
    {"arccoth x", "1E4000", 1.00000000000000000000e-4000L},
    {"arcsech x", "0.99999999999999985", 1.73204717351098470129e-8L},
    {"arcsech x", "1.1E-16", 3.74391984886603513937e1L},
    {"arcsech x", "0.9999999999", 1.41421356228982483709e-5L},
    {"arccsch x", "1E-4000", 9.21103351915674268138e3L},
    {"arccsch x", "1E4000", 1.00000000000000000000e-4000L},
    {"arccsch x", "-0.5", -1.44363547517881034249L},
    {"arccsch x", "-1E-4940", -1.13754635065711495711e4L},
    {"arcsin x", "0.9999999999", 1.57078218465927419239L},
    {"arcsin x", "-0.9999999999999999999", -1.57079632632923533192L},
    {"arcsin x", "1E-10", 1.00000000000000000002e-10L},
    {"arccos x", "-0.9999999999", 3.14157851145417081162L},
    {"arccos x", "0.9999999999999999999", 4.65661287307739257817e-10L},
    {"arccos x", "1E-10", 1.57079632669489661923L},
    {"arcsec x", "1.0000000001", 1.41421356255529706104e-5L},
    {"arcsec x", "-1.0000000001", 3.14157851145416768549L},
    {"arcsec x", "1E10", 1.57079632669489661923L},
    {"arcsec x", "1E4000", 1.57079632679489661923L},
    {"arcsec x", "-2", 2.09439510239319549231L},
    {"arccsc x", "1.0000000001", 1.57078218465927106626L},
    {"arccsc x", "-1E10", -1.00000000000000000000e-10L},
    {"arccsc x", "1E4000", 1.00000000000000000000e-4000L},
    {"arccsc x", "1.0000000000000000002", 1.57079632613635211125L},
    {"1.0000001^(0-2147483647)", nullptr, 5.44471154561119495447e-94L},
    {"1.1^1000", nullptr, 2.46993291800582638281e41L},
    {"2.5^(0-700)", nullptr, 2.76690297027581201465e-279L},
    {"10^4931", nullptr, 1.00000000000000000000e4931L},
    {"0.1^(0-4931)", nullptr, 9.99999999999999933172e4930L},
    {"1.5^4", nullptr, 5.06250000000000000000L},
    {"(-3)^(0-5)", nullptr, -4.11522633744855967078e-3L},
    {"7^0.5", nullptr, 2.64575131106459059050L},
    {"0.999999999^3000000000", nullptr, 4.97870682908316126460e-2L},
    {"x^2.5", "1E1000", 9.99999999999999999933e2499L},
    {"x^(0-0.3)", "12345.678", 5.92305160321153314822e-2L},
    {"3 nsqrt x", "1E4000", 2.15443469003188372176e1333L},
    {"7 nsqrt 2", nullptr, 1.10408951367381233765L},
    {"0.3 nsqrt 5", nullptr, 2.13746993334587123628e2L},
    {"3 nsqrt 8", nullptr, 2.00000000000000000000L},
    {"2 nsqrt x", "1E-4940", 9.99999999998026626001e-2471L}};

INSTANTIATE_TEST_SUITE_P(Engine, Accuracy, ::testing::ValuesIn(kCases));

// The references above are for the arguments as strtold reads them.
TEST(Accuracy, LiteralsAreReadAsStrtoldReadsThem)
{
    for (const char* literal : {"0.00000000000001", "0.9999999999", "0.0000001", "1.0000001", "1.00000000000000001",
                                "1.1", "2.5", "0.1", "0.999999999", "0.3"})
        EXPECT_EQ(Evaluate(literal, 0), std::strtold(literal, nullptr)) << literal;
}

// The values the tolerances give, and exact results, are kept exactly.
TEST(Accuracy, SpecialValuesAreExact)
{
    const struct {
        const char* text;
        long double value;
    } cases[] = {{"sinh 0.0000000000000001", 0}, {"sinh (0-0.0000000000000001)", 0}, {"tanh 0.0000000000000001", 0},
                 {"cosh (0-0.0000000000000001)", 1}, {"tanh 11357", 1}, {"tanh (0-11357)", -1},
                 {"arctanh 0.99999999999999991", kInf}, {"arctanh (0-0.99999999999999991)", -kInf},
                 {"arccoth 1.00000000000000009", kInf}, {"arccoth (0-1.00000000000000009)", -kInf},
                 {"arcsech 1.00000000000000009", 0}, {"arcsech 0.0000000000000001", kInf},
                 {"arcsec (0-0.0000000000000001)", kInf}, {"arccsc 0.0000000000000001", kInf},
                 {"arccot 0.0000000000000001", 0xC90FDAA22168C235p-63L}, {"arcsec 1", 0}, {"arccosh 1", 0},
                 {"(-1.5)^3", -3.375L}, {"0.5^16445", 0x1p-16445L}, {"2^(0-16383)", 0x1p-16383L},
                 {"1.001^(0-2147483647.5)", 0}, // no reciprocal for a fractional exponent
                 {"2 nsqrt 9", 3}};
    for (const auto& c : cases) EXPECT_EQ(Evaluate(c.text, 0), c.value) << c.text;
}

// Arithmetic faults: where the true result leaves the extended range, where
// the argument leaves the domain, for reciprocals of zero, and where an
// infinite argument makes the defining formula undefined.
TEST(Accuracy, FaultsAreKept)
{
    const char* const overflow = "Floating point overflow";
    const char* const zeroDivide = "Floating point division by zero";
    const char* const invalid = "Invalid floating point operation";
    const struct {
        const char* text;
        const char* message;
    } cases[] = {{"sinh 11357.3", overflow}, {"cosh (0-11357.3)", overflow}, {"tanh 11357.3", overflow},
                 {"coth (0-11357.3)", overflow}, {"csch 11357.3", overflow}, {"sech 11357.3", overflow},
                 {"10^(0-4933)", overflow}, {"0.1^(0-4933)", overflow},
                 {"1.001^(0-2147483647)", overflow}, // the reciprocal of an overflowing power
                 {"(-1)^2147483648", invalid},       // a negative base beyond the integral exponents
                 {"(-2)^2.5", invalid}, {"arcsech 1.0000000000000002", invalid}, {"arcsech (0-0.5)", invalid},
                 {"arccoth 0.9999999999999998", invalid}, {"arccoth 0", invalid},
                 {"arcsec 0.9999999999999999", invalid}, {"arccsc (0-0.5)", invalid}, {"tanh (arcsec 0)", invalid},
                 {"arcsinh (0-arcsec 0)", invalid}, {"arccosh (arcsec 0)", invalid},
                 {"arccoth (0-arcsec 0)", invalid}, {"coth 0.0000000000000001", zeroDivide},
                 {"csch (0-0.0000000000000001)", zeroDivide}, {"arccsch 0", zeroDivide}};
    TMathParser parser;
    testsupport::Failure f;
    for (const auto& c : cases) {
        EXPECT_EQ(testsupport::Calc(parser, c.text, &f), "error") << c.text;
        EXPECT_EQ(f.code, error_code::kArithmeticFault) << c.text;
        EXPECT_EQ(f.message, c.message) << c.text;
    }
}

} // namespace
