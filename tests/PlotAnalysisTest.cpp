// What the plot works out beyond the picture, without a window: the
// functions of the box, the table of values and the notable points.
#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "plot/NotablePoints.h"
#include "plot/PlotFunctions.h"
#include "plot/ValueTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// A plot engine as the main window makes it, with the functions of `text`.
class TPlotEngine {
public:
    explicit TPlotEngine(const std::string& text, bool degrees = true)
    {
        SetAngleUnitQuery([degrees] { return degrees; });
        P.RegisterFunctions();
        P.RegisterAngleConversions();
        P.DefineVariable("x", 0);
        for (const plot::TFunctionText& f : plot::SplitFunctions(text))
            Trees.push_back(std::make_shared<const TExpression>(Parser, f.Text));
    }
    ~TPlotEngine() { SetAngleUnitQuery(nullptr); }
    std::shared_ptr<TMathParser> Parser = std::make_shared<TMathParser>();
    TMathParser& P = *Parser;
    plot::TFunctionList Trees;
};

TEST(PlotFunctions, SplitAtSemicolonsKeepingPositions)
{
    struct Case {
        const char* text;
        std::vector<plot::TFunctionText> expected;
    };
    const Case cases[] = {
        {"x^2; 2*x+3", {{"x^2", 0}, {" 2*x+3", 4}}},
        {"x;", {{"x", 0}}},
        {";; x ; ;", {{" x ", 2}}},
        {"", {{"", 0}}},     // nothing to split: the whole text, read as 0
        {" ; ", {{" ; ", 0}}},
        {"\xC3\xB1+x;x", {{"\xC3\xB1+x", 0}, {"x", 4}}}, // positions count characters, not bytes
        {"1;2;3;4;5;6;7", {{"1", 0}, {"2", 2}, {"3", 4}, {"4", 6}, {"5", 8}, {"6", 10}, {"7", 12}}},
    };
    for (const Case& c : cases) EXPECT_EQ(plot::SplitFunctions(c.text), c.expected) << c.text;
    EXPECT_EQ(plot::Trimmed(" \t2*x+3 "), "2*x+3");
}

TEST(ValueTable, RowsFromStartToEndWithStep)
{
    using plot::TTableCheck;
    struct Case {
        long double from, to, step;
        TTableCheck check;
        int64_t rows;
    };
    const long double inf = INFINITY;
    const Case cases[] = {
        {-2, 2, 1, TTableCheck::Ok, 5},
        {-2, 2, 0.1L, TTableCheck::Ok, 41},   // 4 / 0.1 a little under 40
        {0, 1, 0.3L, TTableCheck::Ok, 4},     // 0, 0.3, 0.6, 0.9: the end is not on the steps
        {2, -2, -0.5L, TTableCheck::Ok, 9},   // downwards
        {3, 3, 0, TTableCheck::Ok, 1},
        {-1, 1, 0, TTableCheck::ZeroStep, 0},
        {2, -2, 1, TTableCheck::WrongWay, 0},
        {0, 99999, 1, TTableCheck::Ok, 100000},
        {0, 100000, 1, TTableCheck::TooManyRows, 100001},
        {0, 1e30L, 1e-30L, TTableCheck::TooManyRows, INT64_MAX},
        {-inf, 1, 1, TTableCheck::NotFinite, 0},
        {0, 1, NAN, TTableCheck::NotFinite, 0},
    };
    for (const Case& c : cases) {
        int64_t rows = -1;
        EXPECT_EQ(plot::CheckTableRange({c.from, c.to, c.step}, rows), c.check)
            << c.from << " " << c.to << " " << c.step;
        EXPECT_EQ(rows, c.rows) << c.from << " " << c.to << " " << c.step;
    }
}

TEST(ValueTable, TextOfTheRowsInEachFormat)
{
    TPlotEngine plot("x^2; sqrt x");
    plot::TValueTable table(plot.Trees, {-2, 2, 0.5L}, 9);
    const std::vector<std::string> headers = {"x^2", "sqrt x"};
    struct Case {
        int64_t first, end;
        int digits;
        const char* mark;
        const char* separator;
        const char* expected;
    };
    const Case cases[] = {
        {0, 3, 9, ".", ",", "x,x^2,sqrt x\n-2,4,\n-1.5,2.25,\n-1,1,\n"},
        {4, 7, 9, ",", ";", "x;x^2;sqrt x\n0;0;0\n0,5;0,25;0,707106781\n1;1;1\n"},
        {5, 6, 4, ",", "\t", "x\tx^2\tsqrt x\n0,5\t0,25\t0,7071\n"},
        {8, 9, 18, ".", ",", "x,x^2,sqrt x\n2,4,1.41421356237309505\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(table.Text(c.first, c.end, headers, c.digits, c.mark, c.separator), c.expected) << c.first;
    // A failed sample: no value, and the engine's reason.
    long double v;
    EXPECT_FALSE(table.Value(0, 1, v));
    EXPECT_FALSE(table.FailureReason(0, 1).empty());
    EXPECT_TRUE(table.FailureReason(0, 0).empty());
    // Headers holding the separator or a quote are quoted.
    EXPECT_EQ(table.Text(0, 0, {"a,b", "say \"hi\""}, 9, ".", ","), "x,\"a,b\",\"say \"\"hi\"\"\"\n");
}

TEST(ValueTable, TheLastRowEndsOnTheEndAndBlocksAreComputedOnDemand)
{
    TPlotEngine plot("x*3");
    plot::TValueTable small(plot.Trees, {0, 1, 0.1L}, 11);
    EXPECT_EQ(small.X(10), 1.0L);
    EXPECT_EQ(small.X(3), 0.1L * 3);
    plot::TValueTable big(plot.Trees, {-50000, 49999, 1}, plot::kMaxTableRows);
    long double v = 0;
    EXPECT_TRUE(big.Value(plot::kMaxTableRows - 1, 0, v));
    EXPECT_EQ(v, 49999 * 3);
    EXPECT_TRUE(big.Value(0, 0, v));
    EXPECT_EQ(v, -150000);
}

// The notable points as text: kind, function(s), x and y with 18 digits.
std::vector<std::string> Notable(const std::string& functions, int range, bool degrees = true,
                                 bool* truncated = nullptr)
{
    TPlotEngine plot(functions, degrees);
    const plot::TNotablePoints found = plot::FindNotablePoints(plot.Trees, range);
    if (truncated != nullptr) *truncated = found.Truncated;
    static const char* kinds[] = {"zero", "max", "min", "cut"};
    std::vector<std::string> out;
    for (const plot::TNotablePoint& p : found.Points) {
        std::string who = std::to_string(p.Function) + (p.Other >= 0 ? "&" + std::to_string(p.Other) : "");
        out.push_back(std::string(kinds[static_cast<int>(p.Kind)]) + " " + who + " " + FormatGeneral(p.X, 18) + " " +
                      FormatGeneral(p.Y, 18));
    }
    return out;
}

TEST(NotablePoints, ZerosExtremesAndIntersections)
{
    struct Case {
        const char* functions;
        int range;
        bool degrees;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"x^2-2; 2*x+1", 10, true,
         {"zero 0 -1.41421356237309505 0", "zero 0 1.41421356237309505 0", "min 0 0 -2", "zero 1 -0.5 0",
          "cut 0&1 -1 -1", "cut 0&1 3 7"}},
        {"x^3-3*x", 10, true,
         {"zero 0 -1.73205080756887729 0", "zero 0 0 0", "zero 0 1.73205080756887729 0", "max 0 -1 2",
          "min 0 1 -2"}},
        // Double roots: the minimum of value 0 is a zero too, on the grid or off it.
        {"(x-1)^2", 10, true, {"zero 0 1 0", "min 0 1 0"}},
        {"(x-1/3)^2", 10, true, {"zero 0 0.333333333333333333 0", "min 0 0.333333333333333333 0"}},
        {"abs(x)-1", 10, true, {"zero 0 -1 0", "zero 0 1 0", "min 0 0 -1"}},
        {"sqrt x", 10, true, {"zero 0 0 0"}},
        {"sin x", 100, true, {"zero 0 0 0", "min 0 -90 -1", "max 0 90 1"}},
        {"tan x", 10, false,
         {"zero 0 -9.42477796076937972 0", "zero 0 -6.28318530717958648 0", "zero 0 -3.14159265358979324 0",
          "zero 0 0 0", "zero 0 3.14159265358979324 0", "zero 0 6.28318530717958648 0",
          "zero 0 9.42477796076937972 0"}},
        // Poles and jumps: a sign change where |f| does not shrink is no zero,
        // and a climb up a pole is no extreme.
        {"1/x", 10, true, {}},
        {"1/(x-0.005)", 10, true, {}},
        {"1/(x-0.005)^2", 3, true, {}},
        {"(x-0.005)/abs(x-0.005)", 3, true, {}},
        // Constant on a stretch: no zeros or extremes there.
        {"5", 10, true, {}},
        {"x max 0", 3, true, {}},
        {"x; x", 3, true, {"zero 0 0 0", "zero 1 0 0"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Notable(c.functions, c.range, c.degrees), c.expected) << c.functions;
}

TEST(NotablePoints, TangentsAndLongLists)
{
    // x^2 touches its tangent at 1/3 without crossing it: found as the
    // zero-valued extreme of the difference, x to about 10 digits.
    TPlotEngine plot("x^2; 2/3*x-1/9");
    const plot::TNotablePoints found = plot::FindNotablePoints(plot.Trees, 5);
    ASSERT_FALSE(found.Points.empty());
    const plot::TNotablePoint& touch = found.Points.back();
    EXPECT_EQ(touch.Kind, plot::TPointKind::Intersection);
    EXPECT_NEAR(static_cast<double>(touch.X), 1.0 / 3, 1e-9);
    EXPECT_NEAR(static_cast<double>(touch.Y), 1.0 / 9, 1e-9);
    // More zeros than a list holds: the first ones from the left.
    bool truncated = false;
    const std::vector<std::string> many = Notable("sin(x*100)", 10, false, &truncated);
    EXPECT_TRUE(truncated);
    EXPECT_EQ(std::count_if(many.begin(), many.end(), [](const std::string& s) { return s.rfind("zero", 0) == 0; }),
              static_cast<long>(plot::kMaxPointsEach));
    EXPECT_EQ(many.front(), "zero 0 -9.9902646384155425 0"); // -3.18 pi
}

} // namespace
