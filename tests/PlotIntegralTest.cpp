// The plot's calculus without a window: integrals and areas against closed
// forms, the points found without derivatives (y-intercept, vertical
// asymptotes, ends of the domain), the labels' layout, and the search
// stopped from another thread.
#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "plot/Integral.h"
#include "plot/LabelLayout.h"
#include "plot/NotablePoints.h"
#include "plot/PlotFunctions.h"

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
        for (const plot::TFunctionText& f : plot::SplitFunctions(text)) {
            Functions.push_back(std::make_shared<const TExpression>(Parser, f.Text));
            Samplers.push_back(Functions.back()->Sampler("x", false));
        }
    }
    plot::TIntegrand F(std::size_t i)
    {
        return [this, i](long double x, long double& y) { return Samplers[i].Evaluate(x, y); };
    }
    std::shared_ptr<TMathParser> Parser = std::make_shared<TMathParser>();
    plot::TFunctionList Functions;
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
        const plot::TIntegral r = plot::Integrate(e.F(0), c.a, c.b);
        ASSERT_EQ(r.Outcome, plot::TIntegralOutcome::Done) << c.function;
        const long double tolerance = 1e-15L * std::max(1.0L, std::fabs(c.exact));
        EXPECT_NEAR(static_cast<double>(r.Value - c.exact), 0, static_cast<double>(tolerance))
            << c.function << " " << FormatGeneral(r.Value, 18);
        // The error estimate is honest: no smaller than the error made.
        EXPECT_LE(std::fabs(r.Value - c.exact), std::max(r.Error, 1e-18L * std::fabs(c.exact)) * 4)
            << c.function << " error " << FormatGeneral(r.Error, 3);
    }
    TEngine square("x^2");
    const plot::TIntegral third = plot::Integrate(square.F(0), 0, 1);
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
        const plot::TIntegral r = plot::AreaBetween(e.F(0), e.F(1), c.a, c.b);
        ASSERT_EQ(r.Outcome, plot::TIntegralOutcome::Done) << c.functions;
        EXPECT_NEAR(static_cast<double>(r.Value - c.exact), 0, 1e-15 * static_cast<double>(c.exact)) << c.functions;
    }
    TEngine e("x^2; x+2");
    const plot::TIntegral r = plot::AreaBetween(e.F(0), e.F(1), -1, 2);
    EXPECT_EQ(FormatGeneral(r.Value, r.Digits()), "4.5");
}

TEST(Integral, DivergenceAndUndefinedPartsAreSaid)
{
    using O = plot::TIntegralOutcome;
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
        const plot::TIntegral r = plot::Integrate(e.F(0), c.a, c.b);
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
        const plot::TIntegral r = g.empty() ? plot::Integrate(e.F(0), a, b) : plot::AreaBetween(e.F(0), e.F(1), a, b);
        const std::string shown = r.Outcome == plot::TIntegralOutcome::Diverges    ? "diverge"
                                  : r.Outcome == plot::TIntegralOutcome::Undefined ? "no definida"
                                                                                   : FormatGeneral(r.Value, r.Digits());
        EXPECT_EQ(shown, expected) << f << " " << g;
    }
    EXPECT_GE(examples, 7);
}

TEST(Integral, AStopFlagEndsIt)
{
    TEngine e("sin(1/x)*x");
    std::atomic<bool> stop{true};
    EXPECT_EQ(plot::Integrate(e.F(0), -1, 1, &stop).Outcome, plot::TIntegralOutcome::Stopped);
}

// The points of the kinds found without derivatives, as text.
std::vector<std::string> Features(const std::string& function, int range)
{
    TEngine e(function);
    plot::TAnalysisControl control;
    const plot::TNotablePoints found = plot::FindNotablePoints(e.Samplers, range, control);
    std::vector<std::string> out;
    for (const plot::TNotablePoint& p : found.Points) {
        const char* kind = p.Kind == plot::TPointKind::YIntercept  ? "y0"
                           : p.Kind == plot::TPointKind::Asymptote ? "asym"
                           : p.Kind == plot::TPointKind::DomainEnd ? "end"
                                                                   : nullptr;
        if (kind == nullptr) continue;
        out.push_back(std::string(kind) + " " + FormatGeneral(p.X, p.XDigits) +
                      (p.Kind == plot::TPointKind::Asymptote ? "" : " " + FormatGeneral(p.Y, p.YDigits)));
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
    plot::TAnalysisControl control;
    control.Stop = &stop;
    control.Progress = [&](int percent) {
        progress.push_back(percent);
        if (percent > 0) stop = true; // as the window's thread would, while it runs
    };
    const plot::TNotablePoints found = plot::FindNotablePoints(e.Samplers, 2000, control);
    EXPECT_TRUE(found.Stopped);
    ASSERT_FALSE(progress.empty());
    EXPECT_LT(progress.back(), 100);
    // Run through, it reports progress up to 100 and is not stopped.
    std::atomic<bool> never{false};
    control.Stop = &never;
    progress.clear();
    control.Progress = [&](int percent) { progress.push_back(percent); };
    TEngine small("sin x; cos x");
    EXPECT_FALSE(plot::FindNotablePoints(small.Samplers, 10, control).Stopped);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST(LabelLayout, LabelsCoverNoMarkNoAxisNumberAndNoOtherLabel)
{
    // A crowd of points around one place, the axis numbers of a 300 x 200
    // picture and a legend.
    std::vector<plot::TBox> obstacles = {{0, 0, 80, 30}}; // the legend
    for (int i = 1; i <= 9; ++i) {
        obstacles.push_back({150 + i * 15 - 4, 102, 8, 14}); // numbers under the x axis
        obstacles.push_back({154, 100 - i * 10 - 7, 12, 14}); // beside the y axis
    }
    std::vector<plot::TLabelRequest> labels;
    for (int i = 0; i < 30; ++i) labels.push_back({140 + (i % 6) * 6, 90 + (i / 6) * 5, 60, 14});
    labels.push_back({299, 199, 60, 14}); // in the corner: only up and left fit
    labels.push_back({2, 100, 500, 14});  // wider than the picture: left out
    const std::vector<std::optional<plot::TBox>> placed = plot::LayOutLabels(300, 200, labels, obstacles);
    ASSERT_EQ(placed.size(), labels.size());
    std::vector<plot::TBox> kept;
    for (const auto& box : placed) {
        if (!box) continue;
        EXPECT_TRUE(box->Left >= 0 && box->Top >= 0 && box->Right() <= 300 && box->Bottom() <= 200);
        for (const plot::TBox& o : obstacles) EXPECT_FALSE(box->Intersects(o));
        for (const plot::TBox& k : kept) EXPECT_FALSE(box->Intersects(k));
        kept.push_back(*box);
    }
    EXPECT_GE(kept.size(), 4u); // some fit, the rest are left out
    EXPECT_LT(kept.size(), 30u);
    ASSERT_TRUE(placed[30]);
    EXPECT_EQ(placed[30]->Right(), 299 - 5);
    EXPECT_FALSE(placed[31]);
    // A lone point gets the place above right, as the marks always had it.
    const auto lone = plot::LayOutLabels(300, 200, {{100, 100, 40, 14}}, {});
    ASSERT_TRUE(lone[0]);
    EXPECT_EQ(lone[0]->Left, 105);
    EXPECT_EQ(lone[0]->Top, 100 - 5 - 14);
}

} // namespace
