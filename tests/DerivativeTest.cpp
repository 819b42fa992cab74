// The exact derivative of a plotted function against the closed form of
// each catalogue function's derivative, in radians and degrees, through
// compositions, where it has no value, and where there is none.
#include "analysis/Derivative.h"
#include "engine/Derivative.h"
#include "engine/Expression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

using ld = long double;
constexpr ld kDeg = 0.0174532925199433L; // the factor sin, cos and tan use in degrees

class TEngine {
public:
    explicit TEngine(bool degrees) : Degrees(degrees)
    {
        SetAngleUnitQuery([degrees] { return degrees; });
        Parser->RegisterFunctions();
        Parser->RegisterAngleConversions();
        Parser->DefineVariable("x", 0);
        Parser->DefineVariable("a", 3);
    }
    ~TEngine() { SetAngleUnitQuery(nullptr); }
    // f' at x, false where it has no value.
    bool Slope(const TExpression& d, ld x, ld& y) const
    {
        Parser->SetConstant("x", x);
        return d.TryEvaluate(y);
    }
    std::shared_ptr<TMathParser> Parser = std::make_shared<TMathParser>();
    bool Degrees;
};

struct TCase {
    const char* f;
    std::function<ld(ld)> slope; // the closed form of f'
    std::vector<ld> xs;
    bool degrees = false;
};

void ExpectSlopes(const std::vector<TCase>& cases)
{
    for (const TCase& c : cases) {
        TEngine e(c.degrees);
        const TExpression f(e.Parser, c.f);
        std::string why;
        const std::optional<TExpression> d = Derivative(f, "x", c.degrees, &why);
        ASSERT_TRUE(d.has_value()) << c.f << ": " << why;
        for (ld x : c.xs) {
            ld got = 0;
            const ld want = c.slope(x);
            ASSERT_TRUE(e.Slope(*d, x, got)) << c.f << " at " << static_cast<double>(x) << ": " << d->Text();
            // A wrong rule or factor is off by far more than rounding (pi/180
            // for the 15-digit degree factor is off by 2.6e-16).
            EXPECT_LE(std::fabs(got - want), 5e-17L * std::max<ld>(1, std::fabs(want)))
                << c.f << (c.degrees ? " (grados)" : "") << " at " << static_cast<double>(x) << ": "
                << static_cast<double>(got) << " != " << static_cast<double>(want);
        }
    }
}

const std::vector<ld> kAny = {-7.5L, -2, -0.3L, 0.001L, 0.7L, 1.9L, 4.25L};
const std::vector<ld> kPositive = {0.01L, 0.3L, 1, 2.5L, 17, 1000};
const std::vector<ld> kInside = {-0.97L, -0.5L, 0.01L, 0.3L, 0.8L, 0.999L};
const std::vector<ld> kOutside = {-50, -3, -1.2L, 1.001L, 2, 40};

TEST(Derivative, EveryFunctionOfTheCatalogue)
{
    using std::cos, std::sin, std::tan, std::exp, std::log, std::sqrt, std::cosh, std::sinh, std::tanh;
    auto sq = [](ld v) { return v * v; };
    ExpectSlopes({
        {"x", [](ld) { return 1.0L; }, kAny},
        {"a*x+a", [](ld) { return 3.0L; }, kAny}, // another named value is a constant
        {"-x", [](ld) { return -1.0L; }, kAny},
        {"+x*2", [](ld) { return 2.0L; }, kAny},
        {"x*x*x-3*x", [](ld x) { return 3 * x * x - 3; }, kAny},
        {"1/x", [](ld x) { return -1 / (x * x); }, kAny},
        {"x/(1+x^2)", [&](ld x) { return (1 - x * x) / sq(1 + x * x); }, kAny},
        {"sin x", [](ld x) { return cos(x); }, kAny},
        {"cos x", [](ld x) { return -sin(x); }, kAny},
        {"tan x", [&](ld x) { return 1 / sq(cos(x)); }, kAny},
        {"sin x", [](ld x) { return cos(x * kDeg) * kDeg; }, {-300, -45, 0, 30, 90, 1000}, true},
        {"cos x", [](ld x) { return -sin(x * kDeg) * kDeg; }, {-300, -45, 0, 30, 90, 1000}, true},
        {"tan x", [&](ld x) { return kDeg / sq(cos(x * kDeg)); }, {-300, -45, 0, 30, 89, 1000}, true},
        {"sqrt x", [](ld x) { return 1 / (2 * sqrtl(x)); }, kPositive},
        {"x^2", [](ld x) { return 2 * x; }, kAny},
        {"x^3", [](ld x) { return 3 * x * x; }, kAny},
        {"x^(-2)", [](ld x) { return -2 / (x * x * x); }, kAny},
        {"x^0.5", [](ld x) { return 0.5L / sqrt(x); }, kPositive},
        {"x^0", [](ld) { return 0.0L; }, kAny},
        {"2^x", [](ld x) { return powl(2, x) * log(2.0L); }, kAny},
        {"x^x", [](ld x) { return powl(x, x) * (log(x) + 1); }, kPositive},
        {"10 log x", [](ld x) { return 1 / (x * log(10.0L)); }, kPositive},
        {"x log 8", [&](ld x) { return -log(8.0L) / (x * sq(log(x))); }, {0.3L, 2.5L, 17}},
        {"ln x", [](ld x) { return 1 / x; }, kPositive},
        {"exp x", [](ld x) { return exp(x); }, kAny},
        {"x!", [](ld x) { return exp(x); }, kAny}, // e raised to x
        {"arcsin x", [](ld x) { return 1 / sqrt(1 - x * x); }, kInside},
        {"arccos x", [](ld x) { return -1 / sqrt(1 - x * x); }, kInside},
        {"arctan x", [](ld x) { return 1 / (1 + x * x); }, kAny},
        {"sinh x", [](ld x) { return cosh(x); }, kAny},
        {"cosh x", [](ld x) { return sinh(x); }, kAny},
        {"tanh x", [&](ld x) { return 1 / sq(cosh(x)); }, kAny},
        {"abs x", [](ld x) { return x < 0 ? -1.0L : 1.0L; }, kAny},
        {"floor x", [](ld) { return 0.0L; }, {-7.5L, -0.3L, 0.001L, 4.25L}},
        {"ceil(3*x)", [](ld) { return 0.0L; }, {-7.5L, 0.7L, 1.9L}},
        {"x div 2", [](ld) { return 0.0L; }, {-7.5L, 0.7L, 4.25L}},
        {"7 mod x", [](ld) { return 0.0L; }, {-7.5L, 1.9L, 4.25L}},
        {"x max 1", [](ld x) { return x > 1 ? 1.0L : 0.0L; }, kAny},
        {"x min 1", [](ld x) { return x < 1 ? 1.0L : 0.0L; }, kAny},
        {"arccosh x", [](ld x) { return 1 / sqrt(x * x - 1); }, {1.001L, 2, 40}},
        {"arccot x", [](ld x) { return -1 / (1 + x * x); }, kAny},
        {"arccoth x", [](ld x) { return 1 / (1 - x * x); }, kOutside},
        {"arccsc x", [](ld x) { return -1 / (std::fabs(x) * sqrt(x * x - 1)); }, kOutside},
        {"arccsch x", [](ld x) { return -1 / (std::fabs(x) * sqrt(1 + x * x)); }, kAny},
        {"arcsec x", [](ld x) { return 1 / (std::fabs(x) * sqrt(x * x - 1)); }, kOutside},
        {"arcsech x", [](ld x) { return -1 / (x * sqrt(1 - x * x)); }, {0.01L, 0.3L, 0.8L, 0.999L}},
        {"arcsinh x", [](ld x) { return 1 / sqrt(1 + x * x); }, kAny},
        {"arctanh x", [](ld x) { return 1 / (1 - x * x); }, kInside},
        {"x arctan2 2", [](ld x) { return 2 / (x * x + 4); }, kAny},
        {"1 arctan2 x", [](ld x) { return -1 / (1 + x * x); }, {-7.5L, -2, -0.3L, 0.7L, 4.25L}},
        {"cot x", [&](ld x) { return -1 / sq(sin(x)); }, kAny},
        {"cotan x", [&](ld x) { return -1 / sq(sin(x)); }, kAny},
        {"coth x", [&](ld x) { return -1 / sq(sinh(x)); }, kAny},
        {"csc x", [&](ld x) { return -cos(x) / sq(sin(x)); }, kAny},
        {"csch x", [&](ld x) { return -cosh(x) / sq(sinh(x)); }, kAny},
        {"x hypot 3", [](ld x) { return x / sqrt(x * x + 9); }, kAny},
        {"sec x", [&](ld x) { return sin(x) / sq(cos(x)); }, kAny},
        {"sec x", [&](ld x) { return sin(x) / sq(cos(x)); }, {-7.5L, 0, 0.7L, 4.25L}, true}, // radians always
        {"csc x", [&](ld x) { return -cos(x) / sq(sin(x)); }, {-7.5L, 0.7L, 4.25L}, true},
        {"sech x", [&](ld x) { return -sinh(x) / sq(cosh(x)); }, kAny},
        {"3 nsqrt x", [](ld x) { return powl(x, -2.0L / 3) / 3; }, kPositive},
        {"x nsqrt 8", [](ld x) { return -powl(8, 1 / x) * log(8.0L) / (x * x); }, kPositive},
        {"DegToRad x", [](ld) { return 0.017453292519943295769L; }, kAny},
        {"RadToDeg x", [](ld) { return 57.295779513082320877L; }, kAny},
        {"RadToCycle x", [](ld) { return 1 / 6.283185307179586477L; }, kAny},
        {"GradToDeg x", [](ld) { return 0.015707963267948966192L * 57.295779513082320877L; }, kAny},
        {"DegToCycle x + DegToGrad x + RadToGrad x + GradToCycle x + GradToRad x",
         [](ld) {
             return 0.017453292519943295769L / 6.283185307179586477L +
                    0.017453292519943295769L * 63.661977236758134305L + 63.661977236758134305L +
                    0.015707963267948966192L / 6.283185307179586477L + 0.015707963267948966192L;
         },
         kAny},
    });
}

TEST(Derivative, CompositionsAndTheChainRule)
{
    using std::cos, std::sin, std::exp, std::log, std::sqrt;
    ExpectSlopes({
        {"sin(x^2)", [](ld x) { return 2 * x * cos(x * x); }, kAny},
        {"exp(sin x)*ln x", [](ld x) { return exp(sin(x)) * (cos(x) * log(x) + 1 / x); }, kPositive},
        {"sqrt(1+cos(x)^2)", [](ld x) { return -cos(x) * sin(x) / sqrt(1 + cos(x) * cos(x)); }, kAny},
        {"(x-1)*(x-2)*(x-3)*(x-4)*(x-5)",
         [](ld x) { return (((5 * x - 60) * x + 255) * x - 450) * x + 274; }, {0.5L, 1.3L, 2.5L, 3, 4.6L}},
        {"sin(DegToRad(x))", [](ld x) { return cos(x * 0.017453292519943295769L) * 0.017453292519943295769L; },
         kAny},
        {"sin(2*x)^2", [](ld x) { return 4 * sin(2 * x * kDeg) * cos(2 * x * kDeg) * kDeg; }, {-40, 10, 100}, true},
        {"ln(abs(x))", [](ld x) { return 1 / x; }, kAny},
        {"1/(1+exp(-x))", [](ld x) { return exp(-x) / ((1 + exp(-x)) * (1 + exp(-x))); }, kAny},
        {"(x^2+1)^(1/3)", [](ld x) { return 2 * x / (3 * powl(x * x + 1, 2.0L / 3)); }, kAny},
        {"X^2", [](ld x) { return 2 * x; }, kAny}, // names are case-insensitive
    });
}

// Where the slope is missing the derivative says why, and where the rules
// meet a corner, a jump or a vertical tangent that the function does not
// have (a factor 0, a power that leaves 0 fast enough, a step that stays
// put) it has its value.
TEST(Derivative, CornersJumpsAndTheSlopesTheRulesMustNotMiss)
{
    using O = analysis::TSlopeOutcome;
    using M = TDerivativeMark;
    struct Case {
        const char* f;
        ld x;
        O outcome;
        M mark = M::None;
        ld slope = 0;
        bool degrees = false;
    };
    const Case cases[] = {
        {"ln x", -1, O::NoValue},          // f has no value: the formula 1/x would
        {"arccosh x", -2, O::NoValue},     // likewise 1/sqrt(x^2 - 1)
        {"arctanh x", 2, O::NoValue},
        {"10 log x", -3, O::NoValue},
        {"1/x", 0, O::NoValue},
        {"tan x", 90, O::NoValue, M::None, 0, true},
        {"sqrt x", 0, O::NoSlope, M::Vertical},
        {"x^0.5", 0, O::NoSlope, M::Vertical},
        {"arcsin x", 1, O::NoSlope, M::Vertical},
        {"abs x", 0, O::NoSlope, M::Corner},
        {"sqrt(x^2)", 0, O::NoSlope, M::Corner},
        {"x max 1", 1, O::NoSlope, M::Corner},
        {"x min (x^2)", 0, O::NoSlope, M::Corner},
        {"x min x^2", 0, O::Value, M::None, 0},          // (x min x)^2: "^" splits first
        {"floor x", 2, O::NoSlope, M::Jump},
        {"ceil(x/2)", -4, O::NoSlope, M::Jump},
        {"x mod 3", 3, O::NoSlope, M::Jump},
        {"8 div x", 2, O::NoSlope, M::Jump},
        {"arccot x", 0, O::NoSlope, M::Jump},            // arctan(1/x) jumps from -pi/2 to pi/2
        {"x arctan2 (-1)", 0, O::NoSlope, M::Jump},      // the angle jumps from pi to -pi
        {"arcsec x", 0, O::NoSlope, M::Jump},            // an infinite value
        {"x*abs x", 0, O::Value, M::None, 0},            // a corner times 0
        {"abs(x)*sin x", 0, O::Value, M::None, 0},
        {"sqrt(x^4)", 0, O::Value, M::None, 0},          // x^2 after all
        {"sqrt(x^6)+x", 0, O::Value, M::None, 1},
        {"(x^2)^0.75", 0, O::Value, M::None, 0},         // |x|^1.5
        {"x^1.5", 0, O::Value, M::None, 0},              // from the right, where it is defined
        {"floor(x^2)", 0, O::Value, M::None, 0},         // x^2 stays in [0, 1)
        {"ceil(-x^2)", 0, O::Value, M::None, 0},
        {"floor(-x^2)", 0, O::NoSlope, M::Jump},
        {"x div 2", 3, O::Value, M::None, 0},            // 2 div 2 = 3 div 2
        {"x div 2", 2, O::NoSlope, M::Jump},             // 1 div 2 != 2 div 2
        {"x mod 1", 0, O::Value, M::None, 0},            // the whole part of x is 0 on (-1, 1)
        {"arccot(x^2)", 0, O::Value, M::None, 0},        // touches 0 from above: no jump
        {"(x^2) arctan2 (-1)", 0, O::Value, M::None, 0}, // stays on one side of the cut
        {"x max 1", 3, O::Value, M::None, 1},
        {"x max (2*x-1)", 1, O::NoSlope, M::Corner},
        {"(x^3) max (x^3)", 0.5L, O::Value, M::None, 0.75L},
        {"cos(abs x)", 0, O::Value, M::None, 0},          // a corner inside a flat top
        {"sin(x)", 0, O::Value, M::None, 1},
    };
    for (const Case& c : cases) {
        TEngine e(c.degrees);
        const TExpression f(e.Parser, c.f);
        const analysis::TSlopeAt at = analysis::SlopeAt(f, nullptr, c.x, c.degrees);
        EXPECT_EQ(at.Outcome, c.outcome) << c.f << " at " << static_cast<double>(c.x) << ": " << at.WhyNot;
        if (c.outcome == O::NoSlope) {
            EXPECT_EQ(at.Mark, c.mark) << c.f;
        } else if (c.outcome == O::Value) {
            EXPECT_EQ(at.Slope, c.slope) << c.f;
        }
    }
}

// Corners and jumps are seen through notebook functions too, however deep
// the entry that makes them; a function without such an entry gives its
// slope as the typed formula would.
TEST(Derivative, MarksReachThroughFunctionCalls)
{
    using O = analysis::TSlopeOutcome;
    using M = TDerivativeMark;
    TEngine e(false);
    e.Parser->DefineFunctions({{"g", {"t"}, "abs t", 1}, {"h", {"t"}, "g(t)*3+t", 2}, {"k", {"t"}, "h(t)-t", 3},
                               {"s", {"t"}, "sin(t)*2", 4}, {"u", {"t"}, "s(t)+s(2*t)", 5}, {"j", {"t"}, "floor(t)", 6}});
    const struct {
        const char* f;
        ld x;
        O outcome;
        M mark;
        ld slope;
    } cases[] = {
        {"h(x)", 0, O::NoSlope, M::Corner, 0},
        {"k(x)", 0, O::NoSlope, M::Corner, 0},
        {"k(x)", 2, O::Value, M::None, 3},
        {"x*g(x)", 0, O::Value, M::None, 0}, // a corner times 0, as x*abs x
        {"k(x)*sin(x)", 0, O::Value, M::None, 0},
        {"u(x)", 0, O::Value, M::None, 6},
        {"u(x)*j(x)", 0.5L, O::Value, M::None, 0}, // j is flat at 0.5 and j(0.5) = 0
        {"j(x)+x", 1, O::NoSlope, M::Jump, 0},
    };
    for (const auto& c : cases) {
        const TExpression f(e.Parser, c.f);
        const analysis::TSlopeAt at = analysis::SlopeAt(f, nullptr, c.x, false);
        EXPECT_EQ(at.Outcome, c.outcome) << c.f << " at " << static_cast<double>(c.x) << ": " << at.WhyNot;
        if (c.outcome == O::NoSlope) EXPECT_EQ(at.Mark, c.mark) << c.f;
        if (c.outcome == O::Value) EXPECT_EQ(at.Slope, c.slope) << c.f;
    }
}

TEST(Derivative, EveryEntryOfTheCatalogueHasARule)
{
    TEngine e(false);
    e.Parser->DefineFunctions({{"f", {"t"}, "t^2", 1}}); // and the ";" of the calls
    for (int i = 0; i < e.Parser->OperatorCount(); ++i) {
        const TOperatorEntry& op = e.Parser->Operator(i);
        if (op.Function != nullptr) continue; // calls are differentiated into derivative functions
        if (op.Bound != kBoundNone) continue;  // deriv, integral...: refused with their name
        EXPECT_NE(op.Derivative, nullptr) << op.Name;
    }
}

// A function called in a function called in ...: its derivatives are
// functions shared by every call, so their cost grows in step with f's.
TEST(Derivative, NestedCallsCostInStepWithTheFunction)
{
    TEngine e(false);
    e.Parser->DefineFunctions({{"g", {"t"}, "t*t+t", 1}});
    const TExpression f(e.Parser, "g(g(g(g(g(g(x))))))");
    const std::optional<TExpression> d = Derivative(f, "x", false);
    ASSERT_TRUE(d.has_value());
    const std::optional<TExpression> dd = Derivative(*d, "x", false);
    ASSERT_TRUE(dd.has_value());
    EXPECT_LE(dd->CompiledSteps(), 10 * f.CompiledSteps());
    // The values against the chain rule worked out here.
    const ld x = 0.0625L;
    std::vector<ld> v{x}, s{1}, c{0}; // g^k(x), its first and second derivatives
    for (int k = 0; k < 6; ++k) {
        const ld u = v.back(), du = s.back(), ddu = c.back();
        v.push_back(u * u + u);
        s.push_back((2 * u + 1) * du);
        c.push_back(2 * du * du + (2 * u + 1) * ddu);
    }
    ld got;
    ASSERT_TRUE(e.Slope(*d, x, got));
    EXPECT_LE(std::fabs(got - s.back()), 1e-18L * s.back());
    ASSERT_TRUE(e.Slope(*dd, x, got));
    EXPECT_LE(std::fabs(got - c.back()), 1e-18L * c.back());
}

// Whatever the engine accepts gives a derivative or a reason, never a
// crash: long chains of functions, deep nesting, long products.
TEST(Derivative, LongChainsDeepNestingAndLongProducts)
{
    TEngine e(false);
    std::vector<TFunctionSource> chain{{"c1", {"t"}, "t+x", 1}};
    for (int k = 2; k <= 50000; ++k)
        chain.push_back({"c" + std::to_string(k), {"t"}, "c" + std::to_string(k - 1) + "(t)+t", k});
    e.Parser->DefineFunctions(chain);
    const TExpression f(e.Parser, "c50000(x)");
    std::string why;
    const std::optional<TExpression> d = Derivative(f, "x", false, &why);
    if (d) {
        ld got;
        ASSERT_TRUE(e.Slope(*d, 2, got));
        EXPECT_EQ(got, 50001);
    } else {
        EXPECT_FALSE(why.empty());
    }
    std::string deep = "x", product = "x";
    for (int i = 0; i < 3000; ++i) deep = "sin(" + deep + ")";
    for (int i = 1; i < 900; ++i) product += "*x";
    const TExpression sines(e.Parser, deep), powers(e.Parser, product);
    const std::optional<TExpression> ds = Derivative(sines, "x", false);
    const std::optional<TExpression> dp = Derivative(powers, "x", false);
    ASSERT_TRUE(ds && dp);
    ld got;
    ASSERT_TRUE(e.Slope(*ds, 0, got));
    EXPECT_EQ(got, 1);
    ASSERT_TRUE(e.Slope(*dp, 1, got));
    EXPECT_EQ(got, 900);
    EXPECT_LE(dp->CompiledSteps(), 4 * powers.CompiledSteps());
}

// Sixteen levels of h(x) = g(x)*0.5 + g(x)*0.5: 65536 calls of sin per
// value, the derivative as many of cos.
TEST(Derivative, AHeavyFunctionByItsCalls)
{
    TEngine e(false);
    std::vector<TFunctionSource> levels{{"h0", {"t"}, "sin t", 1}};
    for (int k = 1; k <= 16; ++k)
        levels.push_back({"h" + std::to_string(k), {"t"}, "h" + std::to_string(k - 1) + "(t)*0.5+h" + std::to_string(k - 1) + "(t)*0.5", k + 1});
    e.Parser->DefineFunctions(levels);
    const TExpression f(e.Parser, "h16(x)");
    const std::optional<TExpression> d = Derivative(f, "x", false);
    ASSERT_TRUE(d.has_value());
    ld got;
    ASSERT_TRUE(e.Slope(*d, 0.5L, got));
    EXPECT_LE(std::fabs(got - std::cos(0.5L)), 1e-17L);
    EXPECT_LE(d->CompiledSteps(), 4 * f.CompiledSteps());
}

ld Nothing(ld, ld, uint8_t, uint8_t&, std::string&, uint8_t&) { return 0; }

TEST(Derivative, NoneWithAReasonWhereTheRulesDoNotReach)
{
    TEngine e(false);
    e.Parser->AddOperator("doble", Nothing, 2, 4);
    for (const char* text : {"random*x", "x + random", "doble x"}) {
        const TExpression f(e.Parser, text);
        std::string why;
        EXPECT_FALSE(Derivative(f, "x", false, &why).has_value()) << text;
        EXPECT_FALSE(why.empty()) << text;
    }
    // A tree with a node of a kind the rules do not know.
    TExpression f(e.Parser, "x+1");
    const_cast<TParseNode*>(f.Tree())->Right->Kind = 7;
    std::string why;
    EXPECT_FALSE(Derivative(f, "x", false, &why).has_value());
    const_cast<TParseNode*>(f.Tree())->Right->Kind = 0;
    // A constant, a blank text and an empty expression have the slope 0.
    for (const char* text : {"a^2+pi", " "}) {
        const TExpression c(e.Parser, text);
        const std::optional<TExpression> d = Derivative(c, "x", false);
        ASSERT_TRUE(d.has_value());
        ld y = 1;
        EXPECT_TRUE(e.Slope(*d, 4, y));
        EXPECT_EQ(y, 0);
    }
}

TEST(Derivative, SecondDerivativesAndTheirDomain)
{
    struct Case {
        const char* f;
        std::function<ld(ld)> second;
    };
    const Case cases[] = {
        {"x^3", [](ld x) { return 6 * x; }},
        {"sin x", [](ld x) { return -std::sin(x); }},
        {"x*exp(x)", [](ld x) { return (x + 2) * std::exp(x); }},
        {"1/x", [](ld x) { return 2 / (x * x * x); }},
    };
    for (const Case& c : cases) {
        TEngine e(false);
        const TExpression f(e.Parser, c.f);
        const std::optional<TExpression> d = Derivative(f, "x", false);
        ASSERT_TRUE(d.has_value());
        const std::optional<TExpression> dd = Derivative(*d, "x", false);
        ASSERT_TRUE(dd.has_value()) << c.f;
        for (ld x : kAny) {
            ld y = 0;
            ASSERT_TRUE(e.Slope(*dd, x, y)) << c.f;
            EXPECT_LE(std::fabs(y - c.second(x)), 1e-16L * std::max<ld>(1, std::fabs(c.second(x)))) << c.f;
        }
    }
    // sqrt(x)'' has no value where sqrt has none.
    TEngine e(false);
    const TExpression f(e.Parser, "sqrt(x)");
    const std::optional<TExpression> dd = Derivative(*Derivative(f, "x", false), "x", false);
    ASSERT_TRUE(dd.has_value());
    ld y;
    EXPECT_FALSE(e.Slope(*dd, -1, y));
    EXPECT_TRUE(e.Slope(*dd, 4, y));
    EXPECT_LE(std::fabs(y + 1.0L / 32), 1e-18L);
}

} // namespace

namespace {

TEST(Derivative, CallsOfNotebookFunctionsByTheChainRule)
{
    using std::cos, std::sin;
    struct TCallCase {
        const char* f;
        std::function<ld(ld)> slope;
    };
    const TCallCase cases[] = {
        {"f(sin x)", [](ld x) { return 2 * sin(x) * cos(x); }},
        {"V(x;2)", [](ld x) { return 4 * x; }},            // V(r;h) = r^2*h
        {"V(2;x^2)", [](ld x) { return 8 * x; }},          // the other parameter
        {"V(x;x)", [](ld x) { return 3 * x * x; }},        // both at once
        {"g(x^3)", [](ld x) { return (2 * x * x * x + 1) * 3 * x * x; }}, // g(t) = f(t)+t: a call in a body
        {"h(x)", [](ld x) { return 2 * x; }},              // h(t) = t*x reads the plot's x
        {"k*f(x)+f(a)", [](ld x) { return 2 * 3 * x; }},   // k = 3, and a constant call
        {"f(f(x))", [](ld x) { return 4 * x * x * x; }},
    };
    TEngine e(false);
    e.Parser->DefineVariable("k", 3);
    e.Parser->DefineFunctions({{"f", {"t"}, "t^2", 1},
                               {"V", {"r", "h"}, "r^2*h", 2},
                               {"g", {"t"}, "f(t)+t", 3},
                               {"h", {"t"}, "t*x", 4}});
    for (const TCallCase& c : cases) {
        const TExpression f(e.Parser, c.f);
        std::string why;
        const std::optional<TExpression> d = Derivative(f, "x", false, &why);
        ASSERT_TRUE(d.has_value()) << c.f << ": " << why;
        for (ld x : kAny) {
            ld got = 0;
            ASSERT_TRUE(e.Slope(*d, x, got)) << c.f << ": " << d->Text();
            EXPECT_LE(std::fabs(got - c.slope(x)), 1e-16L * std::max<ld>(1, std::fabs(c.slope(x))))
                << c.f << " at " << static_cast<double>(x) << ": " << d->Text();
        }
    }
}

} // namespace
