// The plot's geometry without a window: frames, labelled values, read-out,
// mark texts and the tracing of samples into segments.
#include "analysis/CurveSampling.h"
#include "engine/Expression.h"
#include "plot/LabelLayout.h"
#include "plot/PlotGeometry.h"
#include "TestSupport.h"

#include "engine/MathParser.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The scale is Cx / S exactly, not a whole number of pixels: the picture
// shows -S..S at every range, and the drawing, the read-out and a click
// share it.
TEST(PlotGeometry, TheFrameScalesToTheRangeAtEveryRange)
{
    const plot::TFrame f = plot::MakeFrame(538, 401, 10);
    EXPECT_EQ(f.Cx, 269);
    EXPECT_EQ(f.Cy, 200);
    EXPECT_EQ(f.Ux, 26.9L);
    EXPECT_EQ(f.Uy, 20);
    for (int range : {10, 276, 300, 1000, 123456789, plot::kMaxRange}) {
        const plot::TFrame g = plot::MakeFrame(538, 400, range);
        EXPECT_GT(g.Ux, 0) << range; // a whole-pixel step would be 0 from 270 on
        EXPECT_EQ(g.PlaneX(0), -range);
        EXPECT_EQ(g.PlaneX(g.Cx), 0);
        EXPECT_EQ(g.PlaneY(0), range);
        EXPECT_NEAR(static_cast<double>(g.PixelX(range)), 2 * g.Cx, 1e-9);
    }
}

TEST(PlotGeometry, TheRangeStepsThroughOneTwoFive)
{
    struct Case {
        int range, wider, narrower;
    };
    const Case cases[] = {{1, 2, 1},       {2, 5, 1},          {5, 10, 2},
                          {10, 20, 5},     {12, 20, 10},       {20, 50, 10},
                          {50, 100, 20},   {100, 200, 50},     {999, 1000, 500},
                          {1000000, 2000000, 500000}, {plot::kMaxRange, plot::kMaxRange, 1000000000}};
    for (const Case& c : cases) {
        EXPECT_EQ(plot::WiderRange(c.range), c.wider) << c.range;
        EXPECT_EQ(plot::NarrowerRange(c.range), c.narrower) << c.range;
    }
    // From 10 to 100 in three notches.
    EXPECT_EQ(plot::WiderRange(plot::WiderRange(plot::WiderRange(10))), 100);
}

// Labels about as wide as the paint area's font makes them (Verdana, 12
// pixels): 7 a digit, 8 the minus sign.
int LabelWidth(long double value)
{
    const std::string text = plot::TickText(value);
    return 7 * static_cast<int>(text.size()) + (value < 0 ? 1 : 0);
}

TEST(PlotGeometry, TicksOnOneTwoFiveThatNeverOverprint)
{
    // At the opening range every whole number has its label, but for the
    // two at the very edges, which pushed inside would meet -9 and 9.
    const plot::TFrame opening = plot::MakeFrame(538, 400, 10);
    std::vector<long double> all;
    for (int i = -9; i <= 9; ++i)
        if (i != 0) all.push_back(i);
    EXPECT_EQ(plot::TickValues(opening, true, LabelWidth, 15), all);
    EXPECT_EQ(plot::TickValues(opening, false, LabelWidth, 15), all);
    // At every range: a step of 1, 2 or 5 times a power of ten, symmetric,
    // labels apart, at least one on each side.
    for (int range = 1; range < plot::kMaxRange / 3; range = range * 3 + 1) {
        for (const auto& [w, h] : {std::pair{538, 400}, std::pair{300, 180}, std::pair{1600, 900}}) {
            const plot::TFrame f = plot::MakeFrame(w, h, range);
            for (const bool horizontal : {true, false}) {
                const std::vector<long double> v = plot::TickValues(f, horizontal, LabelWidth, 15);
                ASSERT_FALSE(v.empty()) << range << (horizontal ? " x" : " y");
                const long double step = v.size() >= 3 ? v.back() - v[v.size() - 2] : v.back();
                const long double power = std::pow(10.0L, std::floor(std::log10(step)));
                const long double digit = step / power;
                EXPECT_TRUE(digit == 1 || digit == 2 || digit == 5) << range;
                EXPECT_EQ(v.front(), -v.back());
                // The labels where they are drawn, pushed inside at the edges.
                const int extent = horizontal ? f.W : f.H;
                auto start = [&](long double value) {
                    const int size = horizontal ? LabelWidth(value) : 15;
                    const long double centre = horizontal ? f.PixelX(value) : f.PixelY(value);
                    return std::clamp<long double>(std::floor(centre) - size / 2, 0, extent - size);
                };
                for (std::size_t i = 0; i + 1 < v.size(); ++i) {
                    const long double gap = horizontal ? start(v[i + 1]) - start(v[i]) - LabelWidth(v[i])
                                                       : start(v[i]) - start(v[i + 1]) - 15;
                    EXPECT_GT(gap, 0) << "S = " << range << " between " << static_cast<double>(v[i]);
                }
            }
        }
    }
    // Two more than fit at 10 and the step doubles.
    const std::vector<long double> twelve = plot::TickValues(plot::MakeFrame(538, 400, 12), true, LabelWidth, 15);
    EXPECT_EQ(twelve.back() - twelve[twelve.size() - 2], 2);
}

TEST(PlotGeometry, ReadOutUsesTheDrawingsScaleAndNeedsAnOrigin)
{
    const plot::TFrame f = plot::MakeFrame(538, 400, 10);
    EXPECT_EQ(plot::ReadOut(f, 0, 0)->X, -10.0);
    EXPECT_EQ(plot::ReadOut(f, 0, 0)->Y, 10.0);
    EXPECT_EQ(plot::ReadOut(f, f.Cx, f.Cy)->X, 0.0);
    EXPECT_EQ(plot::ReadOut(f, f.Cx, f.Cy)->Y, 0.0);
    // The tick labelled 7 is drawn at the column that reads 7 (to a column's width).
    const int column = static_cast<int>(std::floor(f.PixelX(7)));
    EXPECT_NEAR(plot::ReadOut(f, column, f.Cy)->X, 7, 1 / static_cast<double>(f.Ux));
    // An area squeezed under two pixels has no origin away from its edge.
    EXPECT_FALSE(plot::ReadOut(plot::MakeFrame(1, 400, 10), 0, 5).has_value());
    EXPECT_FALSE(plot::ReadOut(plot::MakeFrame(538, 0, 10), 5, 0).has_value());
}

TEST(PlotGeometry, MarkNumbers)
{
    struct Case {
        double value;
        const char* separator;
        const char* expected;
    };
    const Case cases[] = {
        {0, ",", "0.00"},
        {-0.001, ",", "0.00"},
        {1.005, ",", "1.01"},    // 1.0050 after four decimals, half away from zero
        {1.00449, ",", "1.00"},  // 1.0045 after four decimals, then 1.00
        {-2.5, ",", "-2.50"},
        {1234.567, ",", "1,234.57"},
        {-1234567.891, ",", "-1,234,567.89"},
        {1234.567, ".", "1\u00A0234.57"}, // a separator that is also the decimal point
        {1234.567, "", "1234.57"},
        {999.999, ",", "1,000.00"},
    };
    for (const Case& c : cases) EXPECT_EQ(plot::MarkNumber(c.value, c.separator), c.expected) << c.value;
}

TEST(PlotGeometry, TracerBreaksStrokesMergesColumnsAndClipsHugeCoordinates)
{
    std::vector<plot::TSegment> drawn;
    {
        plot::TCurveTracer t(100, 100, [&](const plot::TSegment& s) { drawn.push_back(s); });
        t.Point(10, 10);
        t.Point(11, 12);
        t.Point(11, 30); // same column: one vertical run 12..40
        t.Point(11, 40);
        t.Point(11, 20);
        t.Point(12, 21);
        t.Break();
        t.Point(50, 50); // a stroke of one point draws nothing
        t.Break();
        t.Point(60, 50);
        t.Point(61, int64_t{1} << 62);    // far below: clipped to the margin
        t.Point(62, -(int64_t{1} << 62)); // far above: a jump across, not joined
        t.Point(63, 50);                  // back in from far above: clipped
        t.Point(-(int64_t{1} << 40), 10); // far left: clipped
        t.Point(-(int64_t{1} << 40), 90); // invisible vertical run
    }
    const std::vector<plot::TSegment> expected = {{10, 10, 11, 12}, {11, 12, 11, 40}, {11, 20, 12, 21}};
    // Then the three segments that reach the area from far away, clipped;
    // the ones wholly outside it are left out, and the jump is not drawn.
    ASSERT_EQ(drawn.size(), 6u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_TRUE(drawn[i] == expected[i]) << i;
    EXPECT_EQ(drawn[3].X0, 60);
    EXPECT_EQ(drawn[3].Y0, 50);
    EXPECT_EQ(drawn[4].X1, 63);
    EXPECT_EQ(drawn[4].Y1, 50);
    for (const plot::TSegment& s : drawn) {
        for (int v : {s.X0, s.Y0, s.X1, s.Y1}) EXPECT_TRUE(v >= -1024 && v <= 1124) << v;
        EXPECT_FALSE(plot::JumpsAcross(s.Y0, s.Y1, 100));
    }
}

TEST(PlotGeometry, StrokesAreNotJoinedAcrossTheWholePicture)
{
    // Samples (y only, one column apart) of a 100-pixel-high area, and the
    // strokes drawn: -1 is above the top, 100 below the bottom.
    struct Case {
        std::vector<int64_t> ys;
        int segments;
    };
    const Case cases[] = {
        {{50, -1, 100, 50}, 2},     // up out of the top, in again from the bottom: two strokes
        {{50, 100, -1, 50}, 2},     // and the other way
        {{-5, 99}, 1},              // from above to the last row: joined
        {{0, 100}, 1},              // from the first row to below: joined
        {{-1000, -1}, 0},           // above on both sides: nothing visible
        {{100, 1000000, 200}, 0},   // below on both sides
        {{-(int64_t{1} << 62), int64_t{1} << 62}, 0},
        {{10, 20, 30}, 2},
    };
    for (const Case& c : cases) {
        for (bool merge : {false, true}) {
            int segments = 0;
            {
                plot::TCurveTracer t(100, 100, [&](const plot::TSegment&) { ++segments; }, merge);
                for (std::size_t i = 0; i < c.ys.size(); ++i) t.Point(static_cast<int64_t>(i) * 5, c.ys[i]);
            }
            EXPECT_EQ(segments, c.segments) << c.ys.front() << " " << c.ys.back() << " merge " << merge;
        }
    }
    // In one pixel column too (a steep jump drawn as a vertical run).
    std::vector<plot::TSegment> drawn;
    {
        plot::TCurveTracer t(100, 100, [&](const plot::TSegment& s) { drawn.push_back(s); });
        t.Point(5, 40);
        t.Point(5, -3);
        t.Point(5, 250);
        t.Point(5, 60);
    }
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_TRUE(drawn[0] == (plot::TSegment{5, -3, 5, 40}));
    EXPECT_TRUE(drawn[1] == (plot::TSegment{5, 60, 5, 250}));
}

// The samples: every hundredth while that is at most 8 a pixel column,
// wider steps beyond, always covering the picture; the curve drawn at any
// range.
TEST(PlotGeometry, SamplesCoverThePictureAtEveryRange)
{
    TMathParser parser;
    parser.DefineVariable("x", 0);
    const TExpression tree(parser, "x/2");
    const TSampler sampler = tree.Sampler("x", false);
    const plot::TFrame opening = plot::MakeFrame(538, 400, 10);
    const plot::TSampleGrid grid = plot::SampleGrid(opening);
    EXPECT_EQ(grid.Hundredths, 1);
    EXPECT_LE(grid.First, -1000);
    EXPECT_GE(grid.Last, 1000);
    for (int range : {10, 276, 1000, 1000000, plot::kMaxRange}) {
        const plot::TFrame f = plot::MakeFrame(538, 400, range);
        const plot::TSampleGrid g = plot::SampleGrid(f);
        const long double step = g.Hundredths / 100.0L;
        EXPECT_LE(g.First * step, -range);
        EXPECT_GE(g.Last * step, range);
        EXPECT_LE(g.Count(), 8 * 540 + 4) << range;
        std::vector<plot::TSegment> drawn;
        plot::TCurveTracer t(f.W, f.H, [&](const plot::TSegment& s) { drawn.push_back(s); }, false);
        EXPECT_EQ(plot::TraceCurve(sampler, f, t), g.Count());
        // The line y = x/2 crosses the whole picture, through the origin.
        int leftmost = f.W, rightmost = 0;
        bool throughOrigin = false;
        for (const plot::TSegment& s : drawn) {
            leftmost = std::min({leftmost, s.X0, s.X1});
            rightmost = std::max({rightmost, s.X0, s.X1});
            throughOrigin |= (s.X1 == f.Cx && s.Y1 == f.Cy) || (s.X0 == f.Cx && s.Y0 == f.Cy);
        }
        EXPECT_LE(leftmost, 1) << range;
        EXPECT_GE(rightmost, f.W - 2) << range;
        EXPECT_TRUE(throughOrigin) << range;
    }
}

} // namespace

// ---------------------------------------------------------------------------
// Samples on several threads

namespace {

struct Samples {
    std::vector<long double> Xs, Ys;
    std::vector<bool> Ok;
};

Samples Collect(const TSampler& sampler, int64_t first, int64_t last, unsigned threads)
{
    Samples s;
    analysis::SampleCurve(sampler, first, last, threads,
                      [&](const long double* xs, const long double* ys, const bool* ok, std::size_t n) {
                          s.Xs.insert(s.Xs.end(), xs, xs + n);
                          s.Ys.insert(s.Ys.end(), ys, ys + n);
                          s.Ok.insert(s.Ok.end(), ok, ok + n);
                      });
    return s;
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

TEST(CurveSampling, AnyNumberOfThreadsGivesTheBatchValuesToTheLastBitInOrder)
{
    TMathParser parser;
    parser.RegisterAngleConversions();
    parser.DefineVariable("x", 0);
    for (const char* text : {"sin x * x^2 + 1", "exp(x/3)*cos(5*x) - ln(abs x + 1)", "1/x", "sqrt(4 - x^2)",
                             "tan x", "x^x", "exp(x*100)"}) {
        const TExpression tree(parser, text);
        const TSampler sampler = tree.Sampler("x", false);
        const Samples one = Collect(sampler, -40000, 40001, 1);
        ASSERT_EQ(one.Xs.size(), 80002u);
        // The batch evaluator over the same values, as the reference.
        std::vector<long double> ys(one.Xs.size());
        std::unique_ptr<bool[]> ok(new bool[one.Xs.size()]);
        {
            testsupport::AngleUnit radians(false);
            tree.EvaluateBatch("x", one.Xs.data(), one.Xs.size(), ys.data(), ok.get());
        }
        for (unsigned threads : {1u, 2u, 3u, 8u}) {
            const Samples many = threads == 1 ? one : Collect(sampler, -40000, 40001, threads);
            ASSERT_EQ(many.Xs.size(), one.Xs.size());
            for (std::size_t i = 0; i < one.Xs.size(); ++i) {
                ASSERT_EQ(many.Xs[i], static_cast<long double>(static_cast<int64_t>(i) - 40000) / 100) << text;
                ASSERT_EQ(many.Ok[i], ok[i]) << text << " at " << static_cast<double>(many.Xs[i]);
                ASSERT_EQ(std::memcmp(&many.Ys[i], &ys[i], 10), 0) << text << " at " << static_cast<double>(many.Xs[i]);
            }
        }
    }
}

TEST(CurveSampling, TheAngleUnitIsTheSamplersAndRandomStaysInOrder)
{
    TMathParser parser;
    parser.DefineVariable("x", 0);
    TExpression tree(parser, "sin x");
    testsupport::AngleUnit radians(false);
    const Samples degrees = Collect(tree.Sampler("x", true), 9000, 9000, 4);
    EXPECT_NEAR(static_cast<double>(degrees.Ys[0]), 1.0, 1E-12); // sin 90 degrees
    // Random draws: one thread, every chunk in order, every value from its set.
    tree = TExpression(parser, "random + x*0");
    const Samples drawn = Collect(tree.Sampler("x", false), -30000, 30000, 4);
    ASSERT_EQ(drawn.Xs.size(), 60001u);
    EXPECT_TRUE(std::is_sorted(drawn.Xs.begin(), drawn.Xs.end()));
    EXPECT_TRUE(std::all_of(drawn.Ok.begin(), drawn.Ok.end(), [](bool b) { return b; }));
}
