// The plot's calculus without a window: integrals and areas against closed
// forms, the points found without derivatives (y-intercept, vertical
// asymptotes, ends of the domain), the labels' layout, and the search
// stopped from another thread.
#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "analysis/Integral.h"
#include "analysis/NotablePoints.h"
#include "analysis/PlotFunctions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

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
        {"sin x", 0, 2 * kPi, 0},
        {"exp x", 0, 1, kE - 1},
        {"exp(-x^2)", -10, 10, 1.77245385090551602729816748334114518L}, // sqrt(pi)
        {"1/x", 1, kE, 1},
        {"sqrt x", 0, 1, 2.0L / 3}, // its derivative is infinite at 0
        {"ln x", 0, 1, -1},         // f fails at 0: integrable
        {"1/sqrt(x)", 0, 4, 4},
        {"abs(x-1/3)", 0, 1, 5.0L / 18}, // a kink off the grid
        {"floor x", 0, 3.5L, 0 + 1 + 2 + 1.5L}, // jumps
        {"1/(1+x^2)", -1000, 1000, 2 * std::atan(1000.0L)},
    };
    for (const Case& c : cases) {
        TEngine e(c.function);
        const analysis::TIntegral r = analysis::Integrate(e.F(0), c.a, c.b);
        ASSERT_EQ(r.Outcome, analysis::TIntegralOutcome::Done) << c.function;
        const long double tolerance = 1e-15L * std::max(1.0L, std::fabs(c.exact));
        EXPECT_NEAR(static_cast<double>(r.Value - c.exact), 0, static_cast<double>(tolerance))
            << c.function << " " << FormatGeneral(r.Value, 18);
        // The error estimate is honest: no smaller than the error made.
        EXPECT_LE(std::fabs(r.Value - c.exact), std::max(r.Error, 1e-18L * std::fabs(c.exact)) * 4)
            << c.function << " error " << FormatGeneral(r.Error, 3);
    }
    TEngine square("x^2");
    const analysis::TIntegral third = analysis::Integrate(square.F(0), 0, 1);
    EXPECT_EQ(FormatGeneral(third.Value, third.Digits()), "0.333333333333333333");
}

TEST(Integral, AreasBetweenCurves)
{
    struct Case {
        const char* functions;
        long double a, b, exact;
    };
    const Case cases[] = {
        {"x^2; x+2", -1, 2, 4.5L},                   // between the intersections
        {"x^2; x+2", -3, 3, 15},                     // crossing twice inside
        {"sin x; 0", 0, 2 * kPi, 4},                 // |sin| over a period
        {"x; x^3", -1, 1, 0.5L},
    };
    for (const Case& c : cases) {
        TEngine e(c.functions);
        const analysis::TIntegral r = analysis::AreaBetween(e.F(0), e.F(1), c.a, c.b);
        ASSERT_EQ(r.Outcome, analysis::TIntegralOutcome::Done) << c.functions;
        EXPECT_NEAR(static_cast<double>(r.Value - c.exact), 0, 1e-15 * static_cast<double>(c.exact)) << c.functions;
    }
    TEngine e("x^2; x+2");
    const analysis::TIntegral r = analysis::AreaBetween(e.F(0), e.F(1), -1, 2);
    EXPECT_EQ(FormatGeneral(r.Value, r.Digits()), "4.5");
}

TEST(Integral, DivergenceAndUndefinedPartsAreSaid)
{
    using O = analysis::TIntegralOutcome;
    struct Case {
        const char* function;
        long double a, b;
        O outcome;
        long double where; // At, or From of the stretch
    };
    const Case cases[] = {
        {"1/x", -1, 1, O::Diverges, 0},
        {"1/x^2", 0, 1, O::Diverges, 0},
        {"1/x", 0, 1, O::Diverges, 0},
        {"tan x", 0, 2, O::Diverges, kPi / 2},
        {"1/(x-0.3)^2", 0, 1, O::Diverges, 0.3L}, // off the grid, no sign change
        {"sqrt x", -1, 1, O::Undefined, -1},
        {"sqrt(x^2-1)", -2, 2, O::Undefined, -1},
        {"ln x", -1, 1, O::Undefined, -1},
    };
    for (const Case& c : cases) {
        TEngine e(c.function);
        const analysis::TIntegral r = analysis::Integrate(e.F(0), c.a, c.b);
        ASSERT_EQ(r.Outcome, c.outcome) << c.function;
        const long double where = c.outcome == O::Diverges ? r.At : r.From;
        EXPECT_NEAR(static_cast<double>(where), static_cast<double>(c.where), 1e-9) << c.function;
    }
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
        const analysis::TIntegral r = g.empty() ? analysis::Integrate(e.F(0), a, b) : analysis::AreaBetween(e.F(0), e.F(1), a, b);
        const std::string shown = r.Outcome == analysis::TIntegralOutcome::Diverges    ? "diverge"
                                  : r.Outcome == analysis::TIntegralOutcome::Undefined ? "no definida"
                                                                                   : FormatGeneral(r.Value, r.Digits());
        EXPECT_EQ(shown, expected) << f << " " << g;
    }
    EXPECT_GE(examples, 7);
}

TEST(Integral, AStopFlagEndsIt)
{
    TEngine e("sin(1/x)*x");
    std::atomic<bool> stop{true};
    EXPECT_EQ(analysis::Integrate(e.F(0), -1, 1, &stop).Outcome, analysis::TIntegralOutcome::Stopped);
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
