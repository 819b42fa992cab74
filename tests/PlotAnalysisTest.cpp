// What the plot works out beyond the picture, without a window: the
// functions of the box, the table of values and the notable points.
#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "analysis/Constant.h"
#include "analysis/NotablePoints.h"
#include "analysis/PlotFunctions.h"
#include "analysis/ValueTable.h"

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
        for (const analysis::TFunctionText& f : analysis::SplitFunctions(text))
            Trees.push_back(std::make_shared<const TExpression>(Parser, f.Text));
    }
    ~TPlotEngine() { SetAngleUnitQuery(nullptr); }
    std::shared_ptr<TMathParser> Parser = std::make_shared<TMathParser>();
    TMathParser& P = *Parser;
    analysis::TFunctionList Trees;
};

// A number typed for the tangent, an area's end or the table: any
// expression that reads x neither itself nor through a notebook function.
TEST(Constant, ANumberWithoutXThroughTheNotebooksFunctions)
{
    TPlotEngine plot("x");
    plot.P.DefineVariable("a", 3);
    plot.P.DefineFunctions({{"h", {"t"}, "t*x", 1}, {"g", {"t"}, "h(t)+1", 2}, {"k", {"t"}, "t*a", 3}});
    struct Case {
        const char* text;
        bool ok;
        long double value;
        const char* problem;
    };
    const Case cases[] = {
        {"a/2", true, 1.5L, ""},
        {"k(2)", true, 6, ""},
        {"pi/4", true, 3.14159265358979323846L / 4, ""},
        {"x+1", false, 0, "no puede depender de x"},
        {"h(1)", false, 0, "no puede depender de x"}, // x read in h's body
        {"g(1)", false, 0, "no puede depender de x"}, // and through another function
        {"2*", false, 0, "Falta el argumento a la derecha o izquierda"},
        {"1/0", false, 0, "División por cero"},
        {"zz", false, 0, "Valor desconocido"},
    };
    for (const Case& c : cases) {
        long double value = 0;
        std::string problem;
        EXPECT_EQ(analysis::EvaluateConstant(plot.P, c.text, value, problem), c.ok) << c.text;
        EXPECT_EQ(problem, c.problem) << c.text;
        if (c.ok) EXPECT_LE(std::fabs(value - c.value), 1e-18L) << c.text;
    }
}

TEST(PlotFunctions, SplitAtSemicolonsKeepingPositions)
{
    struct Case {
        const char* text;
        std::vector<analysis::TFunctionText> expected;
    };
    const Case cases[] = {
        {"x^2; 2*x+3", {{"x^2", 0}, {" 2*x+3", 4}}},
        {"x;", {{"x", 0}}},
        {";; x ; ;", {{" x ", 2}}},
        {"", {{"", 0}}},     // nothing to split: the whole text, read as 0
        {" ; ", {{" ; ", 0}}},
        {"\xC3\xB1+x;x", {{"\xC3\xB1+x", 0}, {"x", 4}}}, // positions count characters, not bytes
        {"1;2;3;4;5;6;7", {{"1", 0}, {"2", 2}, {"3", 4}, {"4", 6}, {"5", 8}, {"6", 10}, {"7", 12}}},
        {"V(x;2); f(x)", {{"V(x;2)", 0}, {" f(x)", 7}}},
        {"g((x;1));x", {{"g((x;1))", 0}, {"x", 9}}},
        {"x);2;(3", {{"x)", 0}, {"2", 3}, {"(3", 5}}}, // unbalanced: as written
    };
    for (const Case& c : cases) EXPECT_EQ(analysis::SplitFunctions(c.text), c.expected) << c.text;
    EXPECT_EQ(analysis::Trimmed(" \t2*x+3 "), "2*x+3");
}

// A range typed as three plain numbers, as the table's dialog reads it.
analysis::TTableRange Decimals(const char* from, const char* to, const char* step)
{
    analysis::TTableRange range;
    analysis::TDecimal d;
    EXPECT_TRUE(ParseDecimal(from, range.From) && ParseDecimal(to, range.To) && ParseDecimal(step, range.Step));
    if (analysis::ReadDecimal(from, d)) range.ExactFrom = d;
    if (analysis::ReadDecimal(to, d)) range.ExactTo = d;
    if (analysis::ReadDecimal(step, d)) range.ExactStep = d;
    return range;
}

TEST(ValueTable, PlainNumbersAreReadAsExactDecimals)
{
    struct Case {
        const char* text;
        bool plain;
        long long digits;
        int exponent;
    };
    const Case cases[] = {
        {"0.1", true, 1, -1},       {" -2.50e-3 ", true, -250, -5}, {"007", true, 7, 0},
        {".5", true, 5, -1},        {"5.", true, 5, 0},             {"+1E+3", true, 1, 3},
        {"0.000", true, 0, -3},     {"- 0.9", true, -9, -1},        {"pi/2", false, 0, 0},
        {"1/10", false, 0, 0},      {"", false, 0, 0},              {".", false, 0, 0},
        {"1e", false, 0, 0},        {"--1", false, 0, 0},           {"1.2.3", false, 0, 0},
        {"1e100001", false, 0, 0},  {"2x", false, 0, 0},
        {"1234567890123456789012345678901234567", false, 0, 0}, // 37 digits
    };
    for (const Case& c : cases) {
        analysis::TDecimal d;
        ASSERT_EQ(analysis::ReadDecimal(c.text, d), c.plain) << c.text;
        if (!c.plain) continue;
        EXPECT_TRUE(d.Digits == c.digits) << c.text;
        EXPECT_EQ(d.Exponent, c.exponent) << c.text;
    }
    // 36 digits fit, and the value is the nearest 80-bit one.
    analysis::TDecimal d;
    long double v = 0;
    ASSERT_TRUE(analysis::ReadDecimal("0.123456789012345678901234567890123456", d));
    EXPECT_TRUE(analysis::DecimalValue(d, v));
    EXPECT_EQ(v, 0.123456789012345678901234567890123456L);
    EXPECT_FALSE(analysis::DecimalValue({1, 5000}, v)); // overflows
}

TEST(ValueTable, DecimalRowsAreTheTypedNumbers)
{
    // Every row is the number a user would type for it: -0.9 + 9 x 0.1 is
    // 0, where 1/x fails; floor and ceil of 10 x are whole tenths.
    TPlotEngine plot("1/x; floor(10*x); ceil(10*x)");
    analysis::TTableRange range = Decimals("-0.9", "0.9", "0.1");
    int64_t rows = 0;
    ASSERT_EQ(analysis::CheckTableRange(range, rows), analysis::TTableCheck::Ok);
    ASSERT_EQ(rows, 19);
    analysis::TValueTable table(plot.Trees, range, rows);
    EXPECT_EQ(table.X(9), 0.0L);
    long double v = 0;
    EXPECT_FALSE(table.Value(9, 0, v));
    EXPECT_FALSE(table.FailureReason(9, 0).empty());
    EXPECT_EQ(table.Text(9, 10, {"1/x", "f", "c"}, 9, ".", ","), "x,1/x,f,c\n0,,0,0\n");

    range = Decimals("-1", "1", "0.1");
    ASSERT_EQ(analysis::CheckTableRange(range, rows), analysis::TTableCheck::Ok);
    ASSERT_EQ(rows, 21);
    analysis::TValueTable tenths(plot.Trees, range, rows);
    for (int64_t i = 0; i < rows; ++i) {
        long double typed = 0;
        ASSERT_TRUE(ParseDecimal(std::to_string(i - 10) + "e-1", typed));
        EXPECT_EQ(tenths.X(i), typed) << i;
        ASSERT_TRUE(tenths.Value(i, 1, v));
        EXPECT_EQ(v, i - 10) << "floor at row " << i;
        ASSERT_TRUE(tenths.Value(i, 2, v));
        EXPECT_EQ(v, i - 10) << "ceil at row " << i;
    }
    EXPECT_EQ(tenths.Text(11, 12, {"1/x", "f", "c"}, 9, ".", ","), "x,1/x,f,c\n0.1,10,1,1\n");
    EXPECT_EQ(tenths.Text(14, 15, {"1/x", "f", "c"}, 9, ".", ","), "x,1/x,f,c\n0.4,2.5,4,4\n");
}

TEST(ValueTable, DecimalRangesAreCountedExactly)
{
    using analysis::TTableCheck;
    struct Case {
        const char *from, *to, *step;
        TTableCheck check;
        int64_t rows;
    };
    const Case cases[] = {
        {"0", "1", "0.1", TTableCheck::Ok, 11},
        {"0", "0.3", "0.1", TTableCheck::Ok, 4},
        {"0", "1", "0.3", TTableCheck::Ok, 4},
        {"0.5", "-0.5", "-0.25", TTableCheck::Ok, 5},
        {"1e-30", "2e-30", "1e-31", TTableCheck::Ok, 11},
        {"2", "2", "0", TTableCheck::Ok, 1},
        {"0", "1", "0", TTableCheck::ZeroStep, 0},
        {"0", "-1", "0.1", TTableCheck::WrongWay, 0},
        {"0", "9999.9", "0.1", TTableCheck::Ok, 100000},
        {"0", "10000", "0.1", TTableCheck::TooManyRows, 100001},
        {"0", "1e30", "1e-30", TTableCheck::TooManyRows, INT64_MAX}, // beyond 128 bits: counted in binary
    };
    for (const Case& c : cases) {
        int64_t rows = -1;
        EXPECT_EQ(analysis::CheckTableRange(Decimals(c.from, c.to, c.step), rows), c.check) << c.from << " " << c.to;
        EXPECT_EQ(rows, c.rows) << c.from << " " << c.to << " " << c.step;
    }
    // The last of the rows from 1e-30 is the typed 2e-30.
    TPlotEngine plot("x");
    analysis::TValueTable table(plot.Trees, Decimals("1e-30", "2e-30", "1e-31"), 11);
    EXPECT_EQ(table.X(10), 2e-30L);
    EXPECT_EQ(table.X(3), 1.3e-30L);
}

TEST(ValueTable, RowsFromStartToEndWithStep)
{
    using analysis::TTableCheck;
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
        EXPECT_EQ(analysis::CheckTableRange({c.from, c.to, c.step}, rows), c.check)
            << c.from << " " << c.to << " " << c.step;
        EXPECT_EQ(rows, c.rows) << c.from << " " << c.to << " " << c.step;
    }
}

TEST(ValueTable, TextOfTheRowsInEachFormat)
{
    TPlotEngine plot("x^2; sqrt x");
    analysis::TValueTable table(plot.Trees, {-2, 2, 0.5L}, 9);
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
    // Typed as decimals, the row shown 0.3 is the typed number 0.3; from
    // bounds that are expressions, x is computed in binary.
    analysis::TValueTable small(plot.Trees, Decimals("0", "1", "0.1"), 11);
    EXPECT_EQ(small.X(10), 1.0L);
    EXPECT_EQ(small.X(3), 0.3L);
    analysis::TValueTable binary(plot.Trees, {0, 1, 0.1L}, 11);
    EXPECT_EQ(binary.X(10), 1.0L);
    EXPECT_EQ(binary.X(3), 0.1L * 3);
    analysis::TValueTable big(plot.Trees, {-50000, 49999, 1}, analysis::kMaxTableRows);
    long double v = 0;
    EXPECT_TRUE(big.Value(analysis::kMaxTableRows - 1, 0, v));
    EXPECT_EQ(v, 49999 * 3);
    EXPECT_TRUE(big.Value(0, 0, v));
    EXPECT_EQ(v, -150000);
}

// The notable points as text: kind, function(s), x and y with 18 digits.
std::vector<std::string> Notable(const std::string& functions, int range, bool degrees = true,
                                 bool* truncated = nullptr)
{
    TPlotEngine plot(functions, degrees);
    const analysis::TNotablePoints found = analysis::FindNotablePoints(plot.Trees, range);
    if (truncated != nullptr) *truncated = found.Truncated;
    static const char* kinds[] = {"zero", "max", "min", "cut", "infl"};
    std::vector<std::string> out;
    for (const analysis::TNotablePoint& p : found.Points) {
        std::string who = std::to_string(p.Function) + (p.Other >= 0 ? "&" + std::to_string(p.Other) : "");
        out.push_back(std::string(kinds[static_cast<int>(p.Kind)]) + " " + who + " " + FormatGeneral(p.X, p.XDigits) +
                      " " + FormatGeneral(p.Y, p.YDigits));
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
          "min 0 1 -2", "infl 0 0 0"}},
        // Double roots: the minimum of value 0 is a zero too, on the grid or off it.
        {"(x-1)^2", 10, true, {"zero 0 1 0", "min 0 1 0"}},
        {"(x-1/3)^2", 10, true, {"zero 0 0.333333333333333333 0", "min 0 0.333333333333333333 0"}},
        {"abs(x)-1", 10, true, {"zero 0 -1 0", "zero 0 1 0", "min 0 0 -1"}},
        {"sqrt x", 10, true, {"zero 0 0 0"}},
        {"sin x", 100, true, {"zero 0 0 0", "min 0 -90 -1", "max 0 90 1", "infl 0 0 0"}},
        {"tan x", 10, false,
         {"zero 0 -9.42477796076937972 0", "zero 0 -6.28318530717958648 0", "zero 0 -3.14159265358979324 0",
          "zero 0 0 0", "zero 0 3.14159265358979324 0", "zero 0 6.28318530717958648 0",
          "zero 0 9.42477796076937972 0", "infl 0 -9.42477796076937972 0",
          "infl 0 -6.28318530717958648 0", "infl 0 -3.14159265358979324 0", "infl 0 0 0",
          "infl 0 3.14159265358979324 0", "infl 0 6.28318530717958648 0", "infl 0 9.42477796076937972 0"}},
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
    const analysis::TNotablePoints found = analysis::FindNotablePoints(plot.Trees, 5);
    ASSERT_FALSE(found.Points.empty());
    const analysis::TNotablePoint& touch = found.Points.back();
    EXPECT_EQ(touch.Kind, analysis::TPointKind::Intersection);
    EXPECT_NEAR(static_cast<double>(touch.X), 1.0 / 3, 1e-9);
    EXPECT_NEAR(static_cast<double>(touch.Y), 1.0 / 9, 1e-9);
    // More zeros than a list holds: the first ones from the left.
    bool truncated = false;
    const std::vector<std::string> many = Notable("sin(x*100)", 10, false, &truncated);
    EXPECT_TRUE(truncated);
    EXPECT_EQ(std::count_if(many.begin(), many.end(), [](const std::string& s) { return s.rfind("zero", 0) == 0; }),
              static_cast<long>(analysis::kMaxPointsEach));
    EXPECT_EQ(many.front(), "zero 0 -9.9902646384155425 0"); // -3.18 pi
}

// The digits printed for `value` (`digits` of them) are those of `exact`:
// within one unit of the last digit printed.
testing::AssertionResult DigitsRight(long double value, int digits, long double exact)
{
    const std::string text = FormatGeneral(value, digits);
    long double printed = 0;
    ParseDecimal(text, printed);
    const long double unit =
        printed == 0 ? 0 : std::pow(10.0L, std::floor(std::log10(std::fabs(printed))) - std::max(2, digits) + 1);
    if (std::fabs(printed - exact) <= unit * (1 + 0x1p-50L)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << text << " (" << digits << " digits) for " << FormatGeneral(exact, 18);
}

TEST(NotablePoints, NothingMissedNothingFalseEveryDigitRight)
{
    using K = analysis::TPointKind;
    struct TExpected {
        K kind;
        long double x, y;
        int xDigits; // at least this many digits of x are given
    };
    const long double pi = 3.14159265358979323846264338327950288L, third = 1.0L / 3;
    // The quintic (x-1)...(x-5) = u (u^2 - 1)(u^2 - 4) with u = x - 3 turns
    // where u^2 = (15 -+ sqrt 145) / 10.
    const long double u1 = std::sqrt((15 - std::sqrt(145.0L)) / 10), u2 = std::sqrt((15 + std::sqrt(145.0L)) / 10);
    const auto quintic = [](long double u) { return u * (u * u - 1) * (u * u - 4); };
    struct Case {
        const char* function;
        int range;
        std::vector<TExpected> points; // zeros, then extremes, each by x
    };
    const Case cases[] = {
        // Zeros where the domain ends.
        {"sqrt(5-x^2)", 10,
         {{K::Zero, -std::sqrt(5.0L), 0, 18}, {K::Zero, std::sqrt(5.0L), 0, 18}, {K::Maximum, 0, std::sqrt(5.0L), 1}}},
        {"sqrt(4.5-x^2)", 10,
         {{K::Zero, -std::sqrt(4.5L), 0, 18}, {K::Zero, std::sqrt(4.5L), 0, 18}, {K::Maximum, 0, std::sqrt(4.5L), 1}}},
        {"sqrt(x-pi)", 10, {{K::Zero, pi, 0, 18}}},
        {"sqrt(x-0.005)", 10, {{K::Zero, 0.005L, 0, 18}}},
        // Beside a sample that is exactly 0, and two in one step of the grid.
        {"(x-1)*(x-1.004)", 10, {{K::Zero, 1, 0, 18}, {K::Zero, 1.004L, 0, 18}, {K::Minimum, 1.002L, -4e-6L, 8}}},
        {"x*(x-0.01)", 10, {{K::Zero, 0, 0, 18}, {K::Zero, 0.01L, 0, 18}, {K::Minimum, 0.005L, -2.5e-5L, 8}}},
        {"(x-1/3)^2-10^(-16)", 10,
         {{K::Zero, third - 1e-8L, 0, 17}, {K::Zero, third + 1e-8L, 0, 17}, {K::Minimum, third, -1e-16L, 8}}},
        {"-(x-2.5)^2+10^(-16)", 10,
         {{K::Zero, 2.5L - 1e-8L, 0, 17}, {K::Zero, 2.5L + 1e-8L, 0, 17}, {K::Maximum, 2.5L, 1e-16L, 8}}},
        // No false points: minima just above 0, a jump across 0, a narrow peak.
        {"x^2+10^(-22)", 10, {{K::Minimum, 0, 1e-22L, 1}}},
        {"(x-1)^2+10^(-18)", 10, {{K::Minimum, 1, 1e-18L, 1}}},
        {"floor(x)-0.9999", 3, {}},
        {"1/((x-1/3)^2+10^(-6))", 3, {{K::Maximum, third, 1e6L, 8}}},
        // Extremes as zeros of f' and inflections as zeros of f'', to full
        // precision: f'' = 20 u^3 - 30 u is 0 at u = 0 and u^2 = 3/2.
        {"(x-1)*(x-2)*(x-3)*(x-4)*(x-5)", 10,
         {{K::Zero, 1, 0, 18},
          {K::Zero, 2, 0, 18},
          {K::Zero, 3, 0, 18},
          {K::Zero, 4, 0, 18},
          {K::Zero, 5, 0, 18},
          {K::Maximum, 3 - u2, quintic(-u2), 17},
          {K::Minimum, 3 - u1, quintic(-u1), 17},
          {K::Maximum, 3 + u1, quintic(u1), 17},
          {K::Minimum, 3 + u2, quintic(u2), 17},
          {K::Inflection, 3 - std::sqrt(1.5L), quintic(-std::sqrt(1.5L)), 17},
          {K::Inflection, 3, 0, 18},
          {K::Inflection, 3 + std::sqrt(1.5L), quintic(std::sqrt(1.5L)), 17}}},
        // Inflections: x^3 at 0, sin x at k pi (radians); none for a parabola
        // nor where f'' changes sign at a pole (1/x).
        {"x^3", 2, {{K::Zero, 0, 0, 18}, {K::Inflection, 0, 0, 18}}},
        {"sin x", 4,
         {{K::Zero, -pi, 0, 18}, {K::Zero, 0, 0, 18}, {K::Zero, pi, 0, 18}, {K::Minimum, -pi / 2, -1, 17},
          {K::Maximum, pi / 2, 1, 17},
          {K::Inflection, -pi, 0, 18}, {K::Inflection, 0, 0, 18}, {K::Inflection, pi, 0, 18}}},
        {"x^2-1", 3, {{K::Zero, -1, 0, 18}, {K::Zero, 1, 0, 18}, {K::Minimum, 0, -1, 18}}},
        {"1/x", 3, {}},
        {"x*exp(x)", 3, {{K::Zero, 0, 0, 18}, {K::Minimum, -1, -1 / std::exp(1.0L), 17},
                         {K::Inflection, -2, -2 / std::exp(2.0L), 17}}},
        // Where f'' jumps and f' is continuous: x abs x bends at 0.
        {"x*abs(x)", 2, {{K::Zero, 0, 0, 18}, {K::Inflection, 0, 0, 18}}},
        // Two inflections between two samples: f'' = (x - 0.302)(x - 0.305)
        // is positive at 0.30 and 0.31 and dips below 0 between them.
        {"x^4/12-0.607*x^3/6+0.09211*x^2/2", 1,
         {{K::Zero, 0, 0, 18}, {K::Minimum, 0, 0, 18}, {K::Inflection, 0.302L, 0.302L * 0.302L * (0.302L * 0.302L / 12 - 0.607L * 0.302L / 6 + 0.09211L / 2), 14},
          {K::Inflection, 0.305L, 0.305L * 0.305L * (0.305L * 0.305L / 12 - 0.607L * 0.305L / 6 + 0.09211L / 2), 14}}},
        // No zero where f has no value: x ln x only tends to 0 at 0.
        {"x*ln(x)", 2, {{K::Zero, 1, 0, 18}, {K::Minimum, 1 / std::exp(1.0L), -1 / std::exp(1.0L), 17}}},
    };
    for (const Case& c : cases) {
        TPlotEngine plot(c.function, false);
        const analysis::TNotablePoints found = analysis::FindNotablePoints(plot.Trees, c.range);
        EXPECT_FALSE(found.Truncated) << c.function;
        EXPECT_TRUE(found.Coarse.empty()) << c.function;
        ASSERT_EQ(found.Points.size(), c.points.size()) << c.function << ": " << testing::PrintToString(Notable(c.function, c.range, false));
        for (std::size_t k = 0; k < c.points.size(); ++k) {
            const analysis::TNotablePoint& p = found.Points[k];
            const TExpected& e = c.points[k];
            EXPECT_EQ(p.Kind, e.kind) << c.function << " #" << k;
            EXPECT_TRUE(DigitsRight(p.X, p.XDigits, e.x)) << c.function << " x #" << k;
            EXPECT_TRUE(DigitsRight(p.Y, p.YDigits, e.y)) << c.function << " y #" << k;
            EXPECT_GE(p.XDigits, e.xDigits) << c.function << " #" << k;
        }
    }
}

TEST(NotablePoints, ATangencyGivesTheDigitsItKnowsAndCoarseSamplingIsSaid)
{
    // Each pair touches once: x from the values alone, y to the digits that
    // x gives it.
    struct Touch {
        const char* functions;
        long double x, y;
    };
    const Touch touches[] = {{"x^2; 2*x-1", 1, 1}, {"x^2; 2/3*x-1/9", 1.0L / 3, 1.0L / 9}, {"x^2+2; 2*x+1", 1, 3}};
    for (const Touch& t : touches) {
        TPlotEngine plot(t.functions, false);
        const analysis::TNotablePoints found = analysis::FindNotablePoints(plot.Trees, 5);
        ASSERT_FALSE(found.Points.empty());
        const analysis::TNotablePoint& touch = found.Points.back();
        ASSERT_EQ(touch.Kind, analysis::TPointKind::Intersection) << t.functions;
        EXPECT_TRUE(DigitsRight(touch.X, touch.XDigits, t.x)) << t.functions;
        EXPECT_TRUE(DigitsRight(touch.Y, touch.YDigits, t.y)) << t.functions;
        EXPECT_GE(touch.YDigits, 8) << t.functions;
    }
    // In degrees the factor is 0.0174532925199433, not pi/180: the top of
    // sin x is at (pi/2)/factor = 90.00000000000001965..., and the extremes
    // are given with the digits known of that, not 18.
    {
        TPlotEngine degrees("sin x; cos x", true);
        const long double factor = 0.0174532925199433L, halfPi = 1.57079632679489661923132169163975144L;
        const analysis::TNotablePoints found = analysis::FindNotablePoints(degrees.Trees, 200);
        int checked = 0;
        for (const analysis::TNotablePoint& p : found.Points) {
            if (p.Kind != analysis::TPointKind::Maximum && p.Kind != analysis::TPointKind::Minimum) continue;
            const long double exact = std::round(p.X * factor / halfPi) * halfPi / factor;
            EXPECT_TRUE(DigitsRight(p.X, p.XDigits, exact)) << static_cast<double>(p.X) << " with " << p.XDigits;
            if (exact != 0) EXPECT_LE(p.XDigits, 17); // 90 is not the top to 18 digits
            ++checked;
        }
        EXPECT_EQ(checked, 5); // sin at -90 and 90, cos at -180, 0 and 180
    }
    // sin(400 x) turns about every 1.3 samples: said, for that function only.
    TPlotEngine plot("sin(400*x); sin(x)", false);
    EXPECT_EQ(analysis::FindNotablePoints(plot.Trees, 1).Coarse, std::vector<int>{0});
}

} // namespace
