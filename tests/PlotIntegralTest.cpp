// The plot's calculus without a window: integrals and areas against
// references computed to 40 digits, the error estimate against the error
// made, the text of a result, the points found without derivatives
// (y-intercept, vertical asymptotes, ends of the domain), and the searches
// stopped from another thread.
#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "analysis/Integral.h"
#include "analysis/NotablePoints.h"
#include "analysis/PlotFunctions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using analysis::TIntegral;
using O = analysis::TIntegralOutcome;

// Expressions in x of a plot engine, in radians, and samplers of them.
struct TEngine {
    explicit TEngine(const std::string& text)
    {
        Parser->RegisterFunctions();
        Parser->RegisterAngleConversions();
        Parser->DefineVariable("x", 0);
        for (const analysis::TFunctionText& f : analysis::SplitFunctions(text)) {
            Functions.push_back(std::make_shared<const TExpression>(Parser, f.Text));
            Samplers.push_back(Functions.back()->Sampler("x", false));
        }
    }
    analysis::TIntegrand F(std::size_t i)
    {
        return [this, i](long double x, long double& y) { return Samplers[i].Evaluate(x, y); };
    }
    std::shared_ptr<TMathParser> Parser = std::make_shared<TMathParser>();
    analysis::TFunctionList Functions;
    std::vector<TSampler> Samplers;
};

const long double kPi = 3.14159265358979323846264338327950288L;
const long double kE = 2.71828182845904523536028747135266250L;
const long double kSqrtPi = 1.772453850905516027298167483341145183L;

TIntegral Integral(const std::string& f, long double a, long double b)
{
    TEngine e(f);
    return analysis::Integrate(e.F(0), a, b);
}

TIntegral Area(const std::string& functions, long double a, long double b)
{
    TEngine e(functions);
    return analysis::AreaBetween(e.F(0), e.F(1), a, b);
}

// The result is Done with at least `digits` digits, its error estimate
// bounds the error made (up to the rounding of the constants typed in f, a
// few units of the 19th digit), and the value written with Digits() digits
// is at most one unit of its last digit from the reference.
void ExpectKnown(const TIntegral& r, long double exact, int digits, const std::string& what)
{
    ASSERT_EQ(r.Outcome, O::Done) << what << ": " << analysis::IntegralText(r, "", 18);
    EXPECT_LE(std::fabs(r.Value - exact), r.Error + 2e-18L * std::fabs(exact))
        << what << " = " << FormatGeneral(r.Value, 18) << ", error estimated " << FormatGeneral(r.Error, 3);
    EXPECT_GE(r.Digits(), digits) << what << " error " << FormatGeneral(r.Error, 3);
    if (r.Digits() == 0 || exact == 0) return;
    long double shown = 0;
    ASSERT_TRUE(ParseDecimal(FormatGeneral(r.Value, r.Digits()), shown));
    const long double unit = std::pow(10.0L, std::floor(std::log10(std::fabs(exact))) - r.Digits() + 1);
    EXPECT_LE(std::fabs(shown - exact), unit * 1.000001L) << what << " shows " << FormatGeneral(r.Value, r.Digits());
}

TEST(Integral, ClosedFormsToFifteenDigitsAndMore)
{
    struct Case {
        const char* function;
        long double a, b, exact;
    };
    const Case cases[] = {
        {"x^2", 0, 1, 1.0L / 3},
        {"x^2", 1, 0, -1.0L / 3}, // the other way round
        {"3*x^5-2*x+7", -2, 3, 3.0L / 6 * (729 - 64) - (9 - 4) + 35},
        {"sin x", 0, kPi, 2},
        {"exp x", 0, 1, kE - 1},
        {"exp(-x^2)", -10, 10, kSqrtPi},
        {"1/x", 1, kE, 1},
        {"sqrt x", 0, 1, 2.0L / 3}, // its derivative is infinite at 0
        {"ln x", 0, 1, -1},         // f fails at 0: integrable
        {"1/sqrt(x)", 0, 4, 4},
        {"abs(x-1/3)", 0, 1, 5.0L / 18}, // a kink off the grid
        {"floor x", 0, 3.5L, 0 + 1 + 2 + 1.5L}, // jumps
        {"1/(1+x^2)", -1000, 1000, 2 * std::atan(1000.0L)},
        {"1/(1+x^2)", 0, 1, kPi / 4},
        // A narrow peak: 1000 (atan(2000/3) + atan(1000/3)).
        {"1/((x-1/3)^2+10^(-6))", 0, 1, 3137.092663714743120027510611666987666L},
    };
    for (const Case& c : cases) ExpectKnown(Integral(c.function, c.a, c.b), c.exact, 15, c.function);
    const TIntegral third = Integral("x^2", 0, 1);
    EXPECT_EQ(FormatGeneral(third.Value, third.Digits()), "0.333333333333333333");
    // An integral that cancels to rounding is 0, with its error.
    const TIntegral period = Integral("sin x", 0, 2 * kPi);
    ASSERT_EQ(period.Outcome, O::Done);
    EXPECT_EQ(period.Value, 0);
    EXPECT_LT(period.Error, 1e-17L);
    EXPECT_EQ(analysis::IntegralText(period, "I", 18).substr(0, 5), "I = 0");
}

// Jumps (floor, ceil, mod, div, steps made with abs, x/abs x) are found from
// the survey and placed by halving: the rule's nodes pairing up across them
// and agreeing on a wrong value no longer passes.
TEST(Integral, JumpsAreSplitWhereTheyAre)
{
    struct Case {
        const char* function;
        long double a, b, exact;
    };
    const Case cases[] = {
        {"floor x", 0, 7.3L, 23.1L},        // was 23.2, all 17 digits shown
        {"floor x", 0, 100.5L, 5000},       // was 5001.0078125
        // Two jumps between samples; the rules on [0, 2000] and on its halves all miss by 104.7.
        {"floor x", 0, 2000, 1999000},
        {"ceil x", -2.5L, 3.25L, -2 * 0.5L - 1 + 0 + 1 + 2 + 3 + 4 * 0.25L},
        {"x-floor x", 0, 5.5L, 2.625L},     // a saw-tooth: was "diverges"
        {"x mod 3", 0, 10.5L, 9.5L},        // of the whole part: 0, 1, 2, 0, 1, 2, ...
        {"x div 2", -3.3L, 7.7L, 9.8L},     // -1.3 + 0 + 1 x 2 + 2 x 2 + 3 x 1.7
        {"x/abs x", -1, 2.5L, 1.5L},
        {"(1+abs(x-2.2)/(x-2.2))/2", 0, 5, 2.8L}, // a step at 2.2
        {"floor(x)*sin(x)", 0, 10, 6.973267544308618437738755828673089973L},
        // 385 jumps, each small beside the value it jumps from.
        {"floor(40*(x-1.867))*exp(-x/5)", -0.25L, 9.375L, 220.2847678470723500487960369315487346L},
    };
    for (const Case& c : cases) ExpectKnown(Integral(c.function, c.a, c.b), c.exact, 16, c.function);
    // Every upper bound from 1.1 to 20 by 0.1 (70 of them were wrong).
    TEngine floor("floor x");
    for (int k = 11; k <= 200; ++k) {
        const long double b = static_cast<long double>(k) / 10;
        const int n = k / 10;
        const long double exact = n * (n - 1) / 2 + static_cast<long double>(n * (k - 10 * n)) / 10;
        ExpectKnown(analysis::Integrate(floor.F(0), 0, b), exact, 16, "floor x up to " + FormatGeneral(b, 3));
    }
}

// A kink, or a bend, between the outermost node of a segment and its end
// is seen by no rule: f at that end, or a survey sample there, against the
// polynomial through the nearest nodes, tells of it.
TEST(Integral, KinksNearTheEndsOfSegmentsAreSeen)
{
    struct Case {
        const char* function;
        long double a, b, exact;
    };
    const Case cases[] = {
        {"abs(sin(2*x))", 0, 10, 6.295958969093304006968866069536177521L},                     // was off by 3.8E-8
        {"abs(sin(40*x-4.505))", 2.375L, 5.375L, 1.904526672673358466389728912885976245L},      // a kink 2E-4 from b
        {"abs(sin(40*x-2.816))", -2.125L, 5.25L, 4.699400729351133101812652039442122775L},
        {"((x-0.8975+abs(x-0.8975))/2)^2", -4.375L, 2.75L, 2.119109484375L}, // f'' jumps: (2.75 - 0.8975)^3 / 3
    };
    for (const Case& c : cases) ExpectKnown(Integral(c.function, c.a, c.b), c.exact, 16, c.function);
}

TEST(Integral, APeakTheSurveySawIsNeverLost)
{
    // exp(-x^2) on [-10^6, 10^6] showed 0 "error estimado: menor que 1E-4900",
    // on [-10^4, 10^4] half of sqrt(pi).
    ExpectKnown(Integral("exp(-x^2)", -10000, 10000), kSqrtPi, 17, "exp(-x^2) on 10^4");
    ExpectKnown(Integral("exp(-x^2)", -1000000, 1000000), kSqrtPi, 17, "exp(-x^2) on 10^6");
}

// Singular points anywhere in the interval, at its ends or inside, found by
// the survey or by the halving closing in on them; the stretches beside
// them summed and their geometric tail extrapolated.
TEST(Integral, IntegrableSingularitiesConverge)
{
    struct Case {
        const char* function;
        long double a, b, exact;
        int digits;
    };
    const Case cases[] = {
        {"1/sqrt(1-x^2)", -1, 1, kPi, 12},
        {"1/sqrt(1-x)", 0, 1, 2, 15},
        {"1/sqrt(abs(x-0.3))", 0, 1, 2.768765168078483322877119655515621393L, 12}, // 2 sqrt 0.3 + 2 sqrt 0.7
        {"ln(abs(x-0.3))", 0, 1, -1.610864302054893463034857385007121943L, 15},    // 0.3 ln 0.3 + 0.7 ln 0.7 - 1
        {"abs(x-0.3)^(-0.9)", 0, 1, 18.51529245685030943612821398818304447L, 12},  // (0.3^0.1 + 0.7^0.1) / 0.1
        {"x^(-0.95)", 0, 1, 20, 17},
        {"x^(-0.99)", 0, 1, 100, 17},  // the stretches shrink by 2^-0.01 a level
        {"x^(-0.93)", 0, 1, 14.28571428571428571428571428571428571L, 17}, // was off by 10 times its estimate
        // Fails on ]0, 2^-64] only: it was "undefined".
        {"x/(exp(x)-1)", 0, 1, 0.7775046341122482764175865454257105072L, 17},
        {"1/sqrt(abs(x))", -1, 1, 4, 17},
        // At 0 inside: the top climbed to is 1E-42 or so, and [0, 1E-42] holds 0.16 of it.
        {"abs(x)^(-0.95)", -1.75L, 7, 42.61123916395163596945941193950L, 15},
        // A cusp and a logarithm inside, where |f| has no top the survey sees.
        {"sqrt(abs(x-1.417))*cos(x)", 1.125L, 10.875L, -3.762052992712731846161453771127170989L, 16},
        {"ln(abs(x-2.427))", -4.75L, 2.5L, 6.703953702888964898098975216290L, 14},
    };
    for (const Case& c : cases) ExpectKnown(Integral(c.function, c.a, c.b), c.exact, c.digits, c.function);
}

TEST(Integral, DivergenceAndUndefinedPartsAreSaid)
{
    struct Case {
        const char* function;
        long double a, b;
        O outcome;
        long double where; // At, or From of the stretch
    };
    const Case cases[] = {
        {"1/x", -1, 1, O::Diverges, 0},
        {"1/x^2", -1, 1, O::Diverges, 0},
        {"1/x^2", 0, 1, O::Diverges, 0},
        {"1/x", 0, 1, O::Diverges, 0},
        {"x^(-1.001)", 0, 1, O::Diverges, 0},
        {"tan x", 0, 2, O::Diverges, kPi / 2},
        {"1/(x-0.3)^2", 0, 1, O::Diverges, 0.3L}, // off the grid, no sign change
        {"abs(x-7.44)^(-1)", 2, 10.5L, O::Diverges, 7.44L}, // ln 2 a stretch, known to 2^-16 only
        {"sqrt x", -1, 1, O::Undefined, -1},
        {"sqrt(x^2-1)", -2, 2, O::Undefined, -1},
        {"ln x", -1, 1, O::Undefined, -1},
        {"sqrt(sin(100*x))", 0, 1, O::Undefined, kPi / 100}, // a gap, never a divergence
    };
    for (const Case& c : cases) {
        const TIntegral r = Integral(c.function, c.a, c.b);
        ASSERT_EQ(r.Outcome, c.outcome) << c.function << ": " << analysis::IntegralText(r, "", 18);
        const long double where = c.outcome == O::Diverges ? r.At : r.From;
        EXPECT_NEAR(static_cast<double>(where), static_cast<double>(c.where), 1e-9) << c.function;
    }
    // The edges of a stretch are named by the shortest decimal of their last
    // bracket: 0, not -3.6E-4951.
    const TIntegral root = Integral("sqrt x", -1, 1);
    EXPECT_EQ(root.From, -1);
    EXPECT_EQ(root.To, 0);
    const TIntegral hyperbola = Integral("sqrt(x^2-1)", -2, 2);
    EXPECT_EQ(hyperbola.From, -1);
    EXPECT_EQ(hyperbola.To, 1);
}

// A gap narrower than the survey's step, found while halving, is named as
// the survey would; the points where the interval was split are given; an
// area splits at jumps across the other curve and diverges at a pole.
TEST(Integral, GapsSplitsAndAreasOfJumpsAndPoles)
{
    const TIntegral gap = Integral("sqrt(abs(x-0.3)-0.0001)", 0, 1); // no sample of the grid falls in it
    ASSERT_EQ(gap.Outcome, O::Undefined);
    EXPECT_EQ(gap.From, 0.2999L);
    EXPECT_EQ(gap.To, 0.3001L);
    const TIntegral steps = Integral("floor x", 0, 3.5L);
    EXPECT_EQ(steps.Splits, (std::vector<long double>{1, 2, 3}));
    const TIntegral across = Area("floor(x); 0.5", 0, 3); // 0.5 + 0.5 + 1.5
    ExpectKnown(across, 2.5L, 17, "floor x and 0.5");
    ASSERT_EQ(across.Splits.size(), 2u); // at 1 and 2, each to adjacent values
    for (std::size_t i = 0; i < 2; ++i) EXPECT_NEAR(static_cast<double>(across.Splits[i]), i + 1.0, 1e-18);
    const TIntegral pole = Area("1/x; 0", -1, 1);
    EXPECT_EQ(pole.Outcome, O::Diverges);
    EXPECT_EQ(pole.At, 0);
}

// The error estimate bounds the error made; when it can only be large, the
// digits shown are few, and with no digit known there is no number.
TEST(Integral, TheErrorBoundsTheErrorMade)
{
    // The bound 1.5707963 is rounded: tan x there times half its spacing is
    // part of the error (17 digits were shown, 13.6 right).
    const TIntegral tan = Integral("tan x", 0, 1.5707963L);
    ExpectKnown(tan, 17.43505439221822472610168487269972720L, 11, "tan x");
    EXPECT_LE(tan.Digits(), 14);
    // "= -6.3 (error estimado: 4.9E2)" before: now right to the digits shown.
    const TIntegral fresnel = Integral("sin(x^2)", 0, 1000);
    ExpectKnown(fresnel, 0.6261886926814822800350149959119337398L, 8, "sin(x^2)");
    // Where no bound holds, the digits that are known, or no number at all:
    // a tail that shrinks too slowly (1/ln 2), and oscillations that close
    // in on 0 without end (sin 1 + cos 1 + Si(1) - pi/2).
    struct Case {
        const char* function;
        long double a, b, exact;
    };
    const Case hard[] = {
        {"1/(x*ln(x)^2)", 0, 0.5L, 1.442695040888963407359924681001892137L},
        {"x*sin(1/x)", -1, 1, 0.757060034248322619763470551257L},
    };
    for (const Case& c : hard) {
        const TIntegral r = Integral(c.function, c.a, c.b);
        if (r.Outcome == O::Done) ExpectKnown(r, c.exact, 1, c.function);
        else EXPECT_EQ(r.Outcome, O::NoConvergence) << c.function;
    }
}

TEST(Integral, AreasBetweenCurves)
{
    struct Case {
        const char* functions;
        long double a, b, exact;
        int digits;
    };
    const Case cases[] = {
        {"x^2; x+2", -1, 2, 4.5L, 17},                   // between the intersections
        {"x^2; x+2", -3, 3, 15, 17},                     // crossing twice inside
        {"sin x; 0", 0, 2 * kPi, 4, 17},                 // |sin| over a period
        {"x; x^3", -1, 1, 0.5L, 17},
        {"x; abs x", -1, 1, 1, 17},                      // the same curve on [0, 1]
        // 3183 crossings, three to a step of the survey (1.822 was shown).
        {"sin(1000*x); 0", 0, 10, 6.366047844631740985148759613239336694L, 14},
    };
    for (const Case& c : cases) ExpectKnown(Area(c.functions, c.a, c.b), c.exact, c.digits, c.functions);
    const TIntegral r = Area("x^2; x+2", -1, 2);
    EXPECT_EQ(FormatGeneral(r.Value, r.Digits()), "4.5");
    const TIntegral fast = Integral("sin(1000*x)", 0, 10);
    ExpectKnown(fast, 0.001952155368259014851240386760663306001L, 11, "sin(1000 x)");
}

TEST(Integral, DigitsLeaveHalfAUnitOfTheLastOneForTheError)
{
    struct Case {
        long double value, error;
        int digits;
    };
    const Case cases[] = {
        {1.0L / 3, 2.4e-19L, 18},   {1.0L / 3, 6e-19L, 17}, {2, 1e-18L, 18},
        {17.43505439222L, 8.3e-12L, 12}, // half a unit of the 12th digit is 5E-11
        {6.3L, 0.3L, 1},            {6.3L, 0.6L, 0},        {-6.3L, 490, 0},
        {99.4L, 0.4L, 2},           {1e-300L, 1e-310L, 10}, {5, 0, 18},
        {0, 0, 18},                 {0, 1e-19L, 0},
    };
    for (const Case& c : cases) {
        TIntegral r;
        r.Value = c.value;
        r.Error = c.error;
        EXPECT_EQ(r.Digits(), c.digits) << FormatGeneral(c.value, 18) << " +- " << FormatGeneral(c.error, 3);
    }
    TIntegral diverges;
    diverges.Outcome = O::Diverges;
    EXPECT_EQ(diverges.Digits(), 0);
}

TEST(Integral, TheTextShowsOnlyTheDigitsKnown)
{
    auto done = [](long double value, long double error) {
        TIntegral r;
        r.Value = value;
        r.Error = error;
        return r;
    };
    auto other = [](O outcome, long double a, long double b, const std::string& reason) {
        TIntegral r;
        r.Outcome = outcome;
        r.At = r.From = a;
        r.To = b;
        r.Reason = reason;
        return r;
    };
    struct Case {
        TIntegral result;
        int digits;
        std::string text;
    };
    const Case cases[] = {
        {done(1.0L / 3, 2.4e-19L), 18, "I = 0.333333333333333333 (error estimado: 2.4E-19)"},
        {done(1.0L / 3, 2.4e-19L), 5, "I = 0.33333 (error estimado: 2.4E-19)"},
        {done(17.4350543922201152L, 8.3e-12L), 18, "I = 17.4350543922 (error estimado: 8.3E-12)"},
        {done(1999104.74L, 3e3L), 18, "I = 2E6 (error estimado: 3E3)"}, // no zeros that are not known
        {done(6.3L, 0.3L), 18, "I = 6 (error estimado: 0.3)"},         // one digit
        {done(0.96L, 0.04L), 18, "I = 1 (error estimado: 0.04)"},
        {done(-6.3L, 490), 18, "La integral no converge: no se sabe ninguna cifra del valor."},
        {done(0, 5e-19L), 18, "I = 0 (error estimado: 5E-19)"},
        {other(O::Diverges, kPi / 2, 0, ""), 18,
         "La integral diverge: la función crece sin límite cerca de x = 1.5707963267949."},
        {other(O::Undefined, -1, 0, ""), 18,
         "La función no está definida en una parte del intervalo: de x = -1 a x = 0."},
        {other(O::NoConvergence, 0, 0, "la razón"), 18, "La integral no converge: la razón."},
        {other(O::Stopped, 0, 0, ""), 18, "Cálculo detenido."},
    };
    for (const Case& c : cases) EXPECT_EQ(analysis::IntegralText(c.result, "I", c.digits), c.text);
    EXPECT_EQ(analysis::IntegralText(done(4.5L, 1e-18L), "", 18), "4.5 (error estimado: 1E-18)");
}

TEST(Integral, TheManualsExamplesGiveWhatItPrints)
{
    std::ifstream file(ZENTROVA_HELP_DIR "/Zentrova4.html", std::ios::binary);
    ASSERT_TRUE(file);
    std::stringstream content;
    content << file.rdbuf();
    const std::string html = content.str();
    std::smatch table;
    ASSERT_TRUE(std::regex_search(html, table, std::regex("<table class=\"ejemplos-area\">([\\s\\S]*?)</table>")));
    const std::string rows = table[1];
    const std::regex row("<tr><td>([^<]*)</td><td>([^<]*)</td><td>([^<]*)</td><td>([^<]*)</td><td>([^<]*)</td></tr>");
    int examples = 0;
    for (auto it = std::sregex_iterator(rows.begin(), rows.end(), row); it != std::sregex_iterator(); ++it, ++examples) {
        const std::string f = (*it)[1], g = (*it)[2], expected = (*it)[5];
        TEngine e(g.empty() ? f : f + ";" + g);
        long double a = 0, b = 0;
        ASSERT_TRUE(TExpression(e.Parser, (*it)[3].str()).TryEvaluate(a) && TExpression(e.Parser, (*it)[4].str()).TryEvaluate(b));
        const TIntegral r = g.empty() ? analysis::Integrate(e.F(0), a, b) : analysis::AreaBetween(e.F(0), e.F(1), a, b);
        const std::string shown = r.Outcome == O::Diverges    ? "diverge"
                                  : r.Outcome == O::Undefined ? "no definida"
                                                              : FormatGeneral(r.Value, r.Digits());
        EXPECT_EQ(shown, expected) << f << " " << g;
    }
    EXPECT_GE(examples, 7);
}

TEST(Integral, AStopFlagEndsIt)
{
    TEngine e("sin(1/x)*x");
    std::atomic<bool> stop{true};
    EXPECT_EQ(analysis::Integrate(e.F(0), -1, 1, &stop).Outcome, O::Stopped);
    // Raised from another thread while it runs (sin(x^2) on [0, 10^4] would
    // take seconds): it ends soon after, its progress short of 100.
    TEngine fresnel("sin(x^2)");
    std::atomic<bool> raise{false};
    std::vector<int> progress;
    std::thread raiser([&] {
        while (!raise) std::this_thread::yield();
        stop = true;
    });
    stop = false;
    const TIntegral r = analysis::Integrate(fresnel.F(0), 0, 10000, &stop, [&](int percent) {
        progress.push_back(percent);
        if (percent > 5) raise = true;
    });
    raise = true;
    raiser.join();
    EXPECT_EQ(r.Outcome, O::Stopped);
    ASSERT_FALSE(progress.empty());
    EXPECT_LT(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    // Run through, it reports up to 100.
    progress.clear();
    TEngine smooth("sin(100*x)*x");
    const auto note = [&](int percent) { progress.push_back(percent); };
    EXPECT_EQ(analysis::Integrate(smooth.F(0), 0, 100, nullptr, note).Outcome, O::Done);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

// The points of the kinds found without derivatives, as text.
std::vector<std::string> Features(const std::string& function, int range)
{
    TEngine e(function);
    analysis::TAnalysisControl control;
    const analysis::TNotablePoints found = analysis::FindNotablePoints(e.Samplers, range, control);
    std::vector<std::string> out;
    for (const analysis::TNotablePoint& p : found.Points) {
        const char* kind = p.Kind == analysis::TPointKind::YIntercept  ? "y0"
                           : p.Kind == analysis::TPointKind::Asymptote ? "asym"
                           : p.Kind == analysis::TPointKind::DomainEnd ? "end"
                                                                   : nullptr;
        if (kind == nullptr) continue;
        out.push_back(std::string(kind) + " " + FormatGeneral(p.X, p.XDigits) +
                      (p.Kind == analysis::TPointKind::Asymptote ? "" : " " + FormatGeneral(p.Y, p.YDigits)));
    }
    return out;
}

TEST(NotablePoints, InterceptAsymptotesAndEndsOfTheDomain)
{
    struct Case {
        const char* function;
        int range;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"x^2-2", 10, {"y0 0 -2"}},
        {"1/(x-1)", 10, {"y0 0 -1", "asym 1"}},
        {"1/x", 10, {"asym 0"}},
        {"1/(x-0.005)^2", 3, {"y0 0 40000", "asym 0.005"}},
        {"tan x", 5,
         {"y0 0 0", "asym -4.71238898038468986", "asym -1.57079632679489662", "asym 1.57079632679489662",
          "asym 4.71238898038468986"}},
        {"ln x", 10, {"asym 0"}},
        {"sqrt(x-pi)", 10, {"end 3.14159265358979324 0"}},
        {"sqrt(4-x^2)", 10, {"y0 0 2", "end -2 0", "end 2 0"}},
        // No asymptote at a jump, at a narrow smooth peak, at a zero.
        {"floor(x)-0.5", 3, {"y0 0 -0.5"}},
        {"1/((x-1/3)^2+10^(-6))", 3, {"y0 0 8.99991900072899344"}},
        {"(x^2-1)/(x-1)", 3, {"y0 0 1", "end 1 2"}}, // a hole
    };
    for (const Case& c : cases) EXPECT_EQ(Features(c.function, c.range), c.expected) << c.function;
}

TEST(NotablePoints, TheSearchStopsWhenAskedFromAnotherThread)
{
    TEngine e("sin(50*x); cos(51*x); sin(52*x)*x; cos(53*x)/2; sin(54*x)+0.1; cos(55*x)-0.1");
    std::atomic<bool> stop{false};
    std::vector<int> progress;
    analysis::TAnalysisControl control;
    control.Stop = &stop;
    control.Progress = [&](int percent) {
        progress.push_back(percent);
        if (percent > 0) stop = true; // as the window's thread would, while it runs
    };
    const analysis::TNotablePoints found = analysis::FindNotablePoints(e.Samplers, 2000, control);
    EXPECT_TRUE(found.Stopped);
    ASSERT_FALSE(progress.empty());
    EXPECT_LT(progress.back(), 100);
    // Run through, it reports progress up to 100 and is not stopped.
    std::atomic<bool> never{false};
    control.Stop = &never;
    progress.clear();
    control.Progress = [&](int percent) { progress.push_back(percent); };
    TEngine small("sin x; cos x");
    EXPECT_FALSE(analysis::FindNotablePoints(small.Samplers, 10, control).Stopped);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

} // namespace
