// The calculation core: notebook lines, text definitions and the result line.
#include "calc/CalcCore.h"
#include "engine/ErrorCodes.h"

#include "TestSupport.h"
#include "codec/PlainText.h"
#include "engine/Utf8.h"

#include <gtest/gtest.h>

namespace {

struct ConvertCase {
    const char* text;
    bool converts;
    long double value;
};

void PrintTo(const ConvertCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ValueText : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ValueText, Converts)
{
    long double v = -999;
    EXPECT_EQ(calc::ConvertValueText(GetParam().text, v), GetParam().converts) << GetParam().text;
    if (GetParam().converts) {
        EXPECT_EQ(v, GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Core, ValueText,
    ::testing::Values(ConvertCase{"5", true, 5}, ConvertCase{"  5  ", true, 5}, ConvertCase{"-2.5", true, -2.5L},
                      ConvertCase{"+3", true, 3}, ConvertCase{"5.", true, 5}, ConvertCase{".5", true, 0.5L},
                      ConvertCase{"5E", true, 5}, ConvertCase{"5e3", true, 5000}, ConvertCase{"5E-2", true, 0.05L},
                      ConvertCase{"6.674E-11", true, 6.674E-11L}, ConvertCase{"1e-99999", true, 0},
                      ConvertCase{"", false, 0}, ConvertCase{" ", false, 0}, ConvertCase{".", false, 0},
                      ConvertCase{"1,5", false, 0}, ConvertCase{"2*3", false, 0}, ConvertCase{"- 5", false, 0},
                      ConvertCase{"5 5", false, 0}, ConvertCase{"\t5", false, 0}, ConvertCase{"1e99999", false, 0},
                      ConvertCase{"0x10", false, 0}, ConvertCase{"inf", false, 0}, ConvertCase{"e5", false, 0}));

TEST(Core, NotebookLineIsCutAndSplitAtTheFirstEquals)
{
    using calc::TNotebookLine;
    EXPECT_EQ(calc::ReadNotebookLine("nota sin igual").kind, TNotebookLine::Note);
    const TNotebookLine a = calc::ReadNotebookLine("a = 5");
    EXPECT_EQ(a.kind, TNotebookLine::Numeric);
    EXPECT_EQ(a.name, "a ");
    EXPECT_EQ(a.valueText, " 5");
    const TNotebookLine b = calc::ReadNotebookLine("x=y=2");
    EXPECT_EQ(b.kind, TNotebookLine::Text);
    EXPECT_EQ(b.name, "x");
    EXPECT_EQ(b.valueText, "y=2");
    EXPECT_EQ(calc::ReadNotebookLine("base=").kind, TNotebookLine::Text);
    EXPECT_EQ(calc::ReadNotebookLine("=3").name, "");
    // The whole line counts, however long.
    std::string longLine = "v=" + std::string(252, '1') + "9999";
    EXPECT_EQ(calc::ReadNotebookLine(longLine).valueText.size(), 256u);
    std::string accented = "ñ=" + std::string(260, '2');
    EXPECT_EQ(calc::ReadNotebookLine(accented).valueText.size(), 260u);
}

struct ReplaceCase {
    const char* text;
    const char* name;
    const char* value;
    const char* replaced;
};

void PrintTo(const ReplaceCase& c, std::ostream* os) { *os << '"' << c.text << "\" with " << c.name << '=' << c.value; }

class WholeNames : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(WholeNames, AreReplacedWhereTheyStandWhole)
{
    EXPECT_EQ(calc::ReplaceAll(GetParam().text, GetParam().name, GetParam().value), GetParam().replaced);
}

INSTANTIATE_TEST_SUITE_P(
    Core, WholeNames,
    ::testing::Values(
        // Inside other names: letters, Spanish letters, digits and "_" continue a name.
        ReplaceCase{"tan(a)", "a", "b+1", "tan(b+1)"}, ReplaceCase{"tan 45", "a", "pi*r^2", "tan 45"},
        ReplaceCase{"año+a", "a", "2", "año+2"}, ReplaceCase{"ña*a", "a", "2", "ña*2"},
        ReplaceCase{"aü+á+a", "a", "2", "aü+á+2"}, ReplaceCase{"a2+2a+a", "a", "3", "a2+2a+3"},
        ReplaceCase{"a_b+a", "a", "3", "a_b+3"}, ReplaceCase{"Ωa+a", "a", "3", "Ωa+3"},
        ReplaceCase{"a\u0301+a", "a", "3", "a\u0301+3"}, // "a" with a combining accent is another name
        ReplaceCase{"atra+atr", "atr", "x", "atra+x"}, ReplaceCase{"ñ*ñañ+ñ", "ñ", "2", "2*ñañ+2"},
        // Blanks, operators, parentheses and symbols end a name.
        ReplaceCase{"a+a*a/a^a!", "a", "b", "b+b*b/b^b!"}, ReplaceCase{"(a) a\ta", "a", "b", "(b) b\tb"},
        ReplaceCase{"a.5+a,5", "a", "b", "b.5+b,5"}, ReplaceCase{"a€+a²", "a", "b", "b€+b²"},
        ReplaceCase{"v(t)+2*v(t)", "v(t)", "x", "x+2*x"}, ReplaceCase{"av(t)", "v(t)", "x", "av(t)"},
        // Sides of the name that are not name characters may touch anything.
        ReplaceCase{"x+y+x+2", "x+", "z", "zy+z2"}, ReplaceCase{"b(a)c", "(a)", "1", "b1c"},
        ReplaceCase{"ax+", "x+", "z", "ax+"},
        // Case-sensitive, left to right, non-overlapping, not scanned again.
        ReplaceCase{"x+X", "X", "2", "x+2"}, ReplaceCase{"aaa", "aa", "a", "aaa"}, ReplaceCase{"aa aa", "aa", "a", "a a"},
        ReplaceCase{"abc", "", "z", "abc"}, ReplaceCase{"a", "a", "a a", "a a"}, ReplaceCase{"", "a", "b", ""},
        // Malformed bytes are characters of their own, not letters.
        ReplaceCase{"\x80" "a\xC3", "a", "b", "\x80" "b\xC3"}));

struct ShapeCase {
    const char* value;
    bool parentheses;
};

void PrintTo(const ShapeCase& c, std::ostream* os) { *os << '"' << c.value << '"'; }

class ValueShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ValueShape, DecidesTheParentheses)
{
    TMathParser parser;
    parser.DefineVariable("r", 2);
    EXPECT_EQ(calc::ValueNeedsParentheses(parser, GetParam().value), GetParam().parentheses);
    EXPECT_EQ(parser.CurrentTree(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Core, ValueShape,
    ::testing::Values(
        // Complete expressions, also with names nobody knows yet.
        ShapeCase{"pi*r^2", true}, ShapeCase{"b+1", true}, ShapeCase{"a+b", true}, ShapeCase{"-b", true},
        ShapeCase{"base*altura/2", true}, ShapeCase{"sin x", true}, ShapeCase{"x!", true}, ShapeCase{"2^", true},
        ShapeCase{"atr*h", true}, ShapeCase{"q+w+e+r+t+y+u+i+o", true}, ShapeCase{"(a+b)*(c+d)", true},
        ShapeCase{" b + 1 ", true}, ShapeCase{"1/2*(btma+btme)*htr", true}, ShapeCase{"random", true},
        // One name or number: parentheses would change nothing.
        ShapeCase{"b", false}, ShapeCase{"r", false}, ShapeCase{"pi", false}, ShapeCase{"ññ", false},
        ShapeCase{"(b+1)", false}, ShapeCase{" (b+1) ", false}, ShapeCase{"((b))", false},
        // Empty values and fragments go in as written.
        ShapeCase{"", false}, ShapeCase{"  ", false}, ShapeCase{"2*", false}, ShapeCase{"b*", false},
        ShapeCase{"*b", false}, ShapeCase{"sin(", false}, ShapeCase{"sin()", false}, ShapeCase{"b)", false},
        ShapeCase{"1,5", false}, ShapeCase{"2 sin 30", false}, ShapeCase{"2b", false}, ShapeCase{"(a+b)*", false},
        ShapeCase{"y=2", false}, ShapeCase{"b+1/0*", false}));

struct CalcCase {
    std::vector<std::string> notebook;
    const char* expression;
    const char* resultLine; // or nullptr when the engine fails
    const char* expressionAfter;
    int digits = 9;
};

void PrintTo(const CalcCase& c, std::ostream* os) { *os << '"' << c.expression << '"'; }

class Calculation : public ::testing::TestWithParam<CalcCase> {};

TEST_P(Calculation, FollowsTheNotebookProtocol)
{
    TMathParser parser;
    const auto& c = GetParam();
    const calc::TCalcOutcome r = calc::RunCalculation(parser, c.notebook, c.expression, c.digits);
    EXPECT_EQ(r.expression, c.expressionAfter);
    EXPECT_EQ(r.expressionChanged, std::string(c.expression) != c.expressionAfter);
    if (c.resultLine) {
        EXPECT_TRUE(r.ok) << r.errorMessage;
        EXPECT_EQ(r.resultLine, c.resultLine);
    } else {
        EXPECT_FALSE(r.ok) << r.resultLine;
    }
    EXPECT_EQ(parser.CurrentTree(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Core, Calculation,
    ::testing::Values(
        CalcCase{{}, "2+3", "2 + 3 =   5", "2+3"}, CalcCase{{}, "", "0 =   0", ""},
        CalcCase{{"r=2"}, "pi*r^2", "pi * r ^ 2 =   12.5663706", "pi*r^2"},
        CalcCase{{"a = 5"}, "a*2", nullptr, "a*2"},
        CalcCase{{"atr=base*altura/2", "base=3", "altura=4"}, "atr", "base * altura / 2 =   6", "base*altura/2"},
        CalcCase{{"a=3", "x=a+1"}, "2*x", "2 * (a + 1) =   8", "2*(a+1)"},
        CalcCase{{"a=b+1"}, "tan(a)", nullptr, "tan(b+1)"}, CalcCase{{"X=b"}, "x+1", nullptr, "x+1"},
        CalcCase{{"base="}, "base*2", nullptr, "*2"}, CalcCase{{"a=1", "a=2"}, "a", "a =   1", "a"},
        CalcCase{{"pi=3"}, "pi", "pi =   3.14159265", "pi"}, CalcCase{{"=5", "=x"}, "1", "1 =   1", "1"},
        CalcCase{{"Título del cuaderno", "", "nota: área"}, "2", "2 =   2", "2"},
        // Text definitions use each other in any order.
        CalcCase{{"p=q*2", "q=r+1", "r=5"}, "p", "(r + 1) * 2 =   12", "(r+1)*2"},
        CalcCase{{"q=r+1", "p=q*2", "r=5"}, "p", "(r + 1) * 2 =   12", "(r+1)*2"},
        CalcCase{{"x=5E"}, "x", "x =   5", "x"}, CalcCase{{}, "1/3", "1 / 3 =   0.333333333", "1/3"},
        CalcCase{{}, "1/3", "1 / 3 =   0.33", "1/3", 2}, CalcCase{{}, "10^20", "10 ^ 20 =   1E20", "10^20"},
        CalcCase{{}, "arcsec 0", "arcsec 0 =   INF", "arcsec 0"},
        CalcCase{{"año=2"}, "año*3", "año * 3 =   6", "año*3"},
        // A complete value goes in as a block; names inside other names stay.
        CalcCase{{"a=b+1", "b=44"}, "tan(a)", "tan (b + 1) =   1", "tan(b+1)"},
        CalcCase{{"a=pi*r^2", "r=2"}, "tan 45", "tan 45 =   1", "tan 45"},
        CalcCase{{"d=a+b", "a=1", "b=2"}, "2*d", "2 * (a + b) =   6", "2*(a+b)"},
        CalcCase{{"atr=base*altura/2", "base=3", "altura=4"}, "1/atr", "1 / (base * altura / 2) =   0.166666667",
                 "1/(base*altura/2)"},
        CalcCase{{"x=a-1", "a=5"}, "10-x", "10 - (a - 1) =   6", "10-(a-1)"},
        CalcCase{{"x=-a", "a=2"}, "3^x", "3 ^ (0 - a) =   0.111111111", "3^(-a)"},
        CalcCase{{"a=b+1", "b=1", "año=5"}, "año*a+a_1", nullptr, "año*(b+1)+a_1"},
        CalcCase{{"a=b+1", "b=1", "año=5"}, "año*a", "año * (b + 1) =   10", "año*(b+1)"},
        CalcCase{{"x1=a+1", "a=1"}, "2*x1", "2 * (a + 1) =   4", "2*(a+1)"},
        // No parentheses where they would change nothing.
        CalcCase{{"x=a+1", "a=2"}, " x ", "a + 1 =   3", " a+1 "},
        CalcCase{{"x=a+1", "a=2"}, "sqrt( x )*(x)", "sqrt (a + 1) * (a + 1) =   5.19615242", "sqrt( a+1 )*(a+1)"},
        CalcCase{{"x=(a+1)", "a=2"}, "2*x", "2 * (a + 1) =   6", "2*(a+1)"},
        CalcCase{{"x=a", "a=2"}, "3*x", "3 * a =   6", "3*a"},
        // Empty values and fragments go in as written.
        CalcCase{{"atr=base*altura/2", "base=", "altura=4"}, "atr", nullptr, "*altura/2"},
        CalcCase{{"m=2*"}, "m 3", "2 * 3 =   6", "2* 3"},
        // In any order, each name once replaced everywhere it stands.
        CalcCase{{"v=atr*h", "atr=base*altura/2", "base=3", "altura=4", "h=10"}, "v", "base * altura / 2 * h =   60",
                 "(base*altura/2)*h"},
        CalcCase{{"atr=base*altura/2", "v=atr*h", "base=3", "altura=4", "h=10"}, "v+atr",
                 "base * altura / 2 * h + base * altura / 2 =   66", "((base*altura/2)*h)+(base*altura/2)"},
        CalcCase{{"d=a+b", "a=c*2", "c=3", "b=1"}, "2*d", "2 * (c * 2 + b) =   14", "2*((c*2)+b)"},
        CalcCase{{"atr=base*altura/2", "atra=1/2*(btma+btme)*htr", "btma=4", "btme=2", "htr=3"}, "atra",
                 "1 / 2 * (btma + btme) * htr =   9", "1/2*(btma+btme)*htr"},
        CalcCase{{"a=b", "b=a", "c=2"}, "c", "c =   2", "c"}));

struct CycleCase {
    std::vector<std::string> notebook;
    const char* expression;
    int line;
    const char* message;
};

void PrintTo(const CycleCase& c, std::ostream* os) { *os << '"' << c.expression << '"'; }

class Cycle : public ::testing::TestWithParam<CycleCase> {};

TEST_P(Cycle, StopsWithTheLinesThatUseThemselves)
{
    TMathParser parser;
    const auto& c = GetParam();
    const calc::TCalcOutcome r = calc::RunCalculation(parser, c.notebook, c.expression, 9);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.cycleLine, c.line);
    EXPECT_EQ(r.tooLongLine, 0);
    EXPECT_TRUE(r.definitionsFailed());
    EXPECT_EQ(r.errorMessage, c.message);
    EXPECT_EQ(r.expression, c.expression); // as typed
    EXPECT_FALSE(r.expressionChanged);
    EXPECT_EQ(r.errorCode, error_code::kNone);
    EXPECT_EQ(parser.CurrentTree(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Core, Cycle,
    ::testing::Values(
        CycleCase{{"a=a+1"}, "2*a", 1, "La definición de la línea 1 del cuaderno se usa a sí misma"},
        CycleCase{{"a=a"}, "a", 1, "La definición de la línea 1 del cuaderno se usa a sí misma"},
        CycleCase{{"a=b", "b=a"}, "a", 1, "La definición de la línea 1 del cuaderno se usa a sí misma a través de la línea 2"},
        CycleCase{{"b=a", "a=b"}, "a", 1, "La definición de la línea 1 del cuaderno se usa a sí misma a través de la línea 2"},
        CycleCase{{"Nota", "x=y+1", "y=z*2", "z=x-3"}, "x", 2,
                  "La definición de la línea 2 del cuaderno se usa a sí misma a través de las líneas 3 y 4"},
        CycleCase{{"z=x-3", "y=z*2", "x=y+1"}, "x", 1,
                  "La definición de la línea 1 del cuaderno se usa a sí misma a través de las líneas 3 y 2"},
        CycleCase{{"a=b+1", "b=c+1", "c=d+1", "d=a+1"}, "c", 1,
                  "La definición de la línea 1 del cuaderno se usa a sí misma a través de las líneas 2, 3 y 4"},
        // Reached through a definition outside the cycle.
        CycleCase{{"x=a*2", "a=b", "b=a", "q=1"}, "x+q", 2,
                  "La definición de la línea 2 del cuaderno se usa a sí misma a través de la línea 3"},
        // The name inside its own value, among many definitions.
        CycleCase{{"p=1", "n=n*2+p", "k=n"}, "k", 2, "La definición de la línea 2 del cuaderno se usa a sí misma"}));

TEST(Core, ErrorIsReportedInCharactersOfTheSubstitutedExpression)
{
    TMathParser parser;
    const calc::TCalcOutcome r = calc::RunCalculation(parser, {"ñ=2", "d=ñ+ß"}, "2*d", 9);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.expression, "2*(ñ+ß)");
    EXPECT_EQ(r.errorCode, error_code::kUnknownValue);
    EXPECT_EQ(r.errorPosition, 4); // the run "ñ+ß", which has no known suffix
    EXPECT_EQ(r.errorLength, 3);
    EXPECT_EQ(r.errorMessage, "Valor desconocido");

    TMathParser second;
    const calc::TCalcOutcome z = calc::RunCalculation(second, {"cero=0"}, "1/cero", 9);
    EXPECT_EQ(z.errorCode, error_code::kDivisionByZero);
    EXPECT_EQ(z.errorPosition, 3);
    EXPECT_EQ(z.errorLength, 4);
    EXPECT_EQ(z.errorMessage, "División por cero");
    EXPECT_EQ(second.CurrentTree(), nullptr);
}

TEST(Core, TextDefinitionsStopBeforeTheExpressionPassesTheLimit)
{
    // Each line doubles the expression ("a" becomes "a a"): line 19 would
    // make it 2^20 - 1 characters, beyond the limit; nothing of the
    // calculation happens.
    std::vector<std::string> doubling(32, "a=a a");
    TMathParser parser;
    const calc::TCalcOutcome r = calc::RunCalculation(parser, doubling, "a", 9);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.tooLongLine, 19);
    EXPECT_EQ(r.cycleLine, 0);
    EXPECT_EQ(r.errorMessage, "La expresión pasaría de 1000000 caracteres al aplicar la línea 19 del cuaderno");
    EXPECT_EQ(r.expression, "a");
    EXPECT_FALSE(r.expressionChanged);
    EXPECT_EQ(r.errorCode, error_code::kNone);
    // A chain of definitions, each using the next twice, grows the same way.
    std::vector<std::string> chain;
    for (int k = 0; k < 30; ++k) chain.push_back("x" + std::to_string(k) + "=x" + std::to_string(k + 1) + "+x" + std::to_string(k + 1));
    TMathParser second;
    EXPECT_GT(calc::RunCalculation(second, chain, "x0", 9).tooLongLine, 10);
    // Up to the limit exactly is allowed, counted in characters, not bytes,
    // the parentheses around a complete value included.
    std::string name, sum;
    for (int i = 0; i < 250; ++i) name += "ñ";
    for (int i = 0; i < 124; ++i) sum += "ñ";
    sum += "+" + sum + "ñ"; // 250 characters
    struct Case {
        std::string value, expression;
        std::size_t length; // of the result, or 0 when too long
    };
    const Case cases[] = {
        {name, "b+" + std::string(999749, '1'), 1000000},
        {name, "b+" + std::string(999750, '1'), 0},
        {sum, "2*b+" + std::string(999745, '1'), 1000000},
        {sum, "2*b+" + std::string(999746, '1'), 0},
        {sum, "b+" + std::string(999748, '1'), 0},
        {sum, "b" + std::string(999750, ' '), 1000000}, // alone: no parentheses
    };
    for (const Case& c : cases) {
        TMathParser exact;
        const calc::TCalcOutcome e = calc::RunCalculation(exact, {"b=" + c.value}, c.expression, 9);
        EXPECT_EQ(e.tooLongLine, c.length == 0 ? 1 : 0) << c.expression.size();
        if (c.length > 0) {
            EXPECT_EQ(utf8::Length(e.expression), c.length);
        }
    }
}

TEST(Core, LineBreaksInTheExpressionAreBlanks)
{
    struct Case {
        const char* expression;
        const char* line;      // the result line, or
        int code, position, length; // the error and its span, in characters of the text
    };
    const Case cases[] = {
        {"2\n+3", "2 + 3 =   5", 0, 0, 0},
        {"2\r\n*\r\n3", "2 * 3 =   6", 0, 0, 0},
        {"ñ\u2028*2", "ñ * 2 =   8", 0, 0, 0},
        {"sqrt\n(0-4)", nullptr, 2, 6, 5},
    };
    for (const Case& c : cases) {
        TMathParser parser;
        const calc::TCalcOutcome r = calc::RunCalculation(parser, {"ñ=4"}, c.expression, 9);
        EXPECT_EQ(r.expression, c.expression); // the text as shown keeps its breaks
        if (c.line) {
            EXPECT_TRUE(r.ok) << c.expression << ": " << r.errorMessage;
            EXPECT_EQ(r.resultLine, c.line);
        } else {
            EXPECT_EQ(r.errorCode, c.code);
            EXPECT_EQ(r.errorPosition, c.position);
            EXPECT_EQ(r.errorLength, c.length);
        }
    }
}

// A long notebook line is computed whole: a value, a text definition and
// a function past 255 characters, the sums written out in the test.
TEST(Core, LongNotebookLinesCountWhole)
{
    std::string ones = "1", terms = "x";
    for (int i = 1; i < 300; ++i) ones += "+1";
    for (int k = 1; k <= 99999; k = k * 10 + 9) terms += "+" + std::to_string(k); // x+1+19+199+1999+19999
    const struct {
        std::vector<std::string> notebook;
        const char* expression;
        const char* result;
    } cases[] = {
        {{"v=" + ones}, "v", "300"},                             // a text definition of 599 characters
        {{"f(x)=" + terms + "+" + std::string(250, '0') + "7"}, "f(0)", "22224"}, // 1+19+199+1999+19999+7
        {{"w=" + std::string(298, '0') + "42"}, "w", "42"},        // a numeric value of 300 digits
    };
    for (const auto& c : cases) {
        TMathParser parser;
        const calc::TCalcOutcome r = calc::RunCalculation(parser, c.notebook, c.expression, 18);
        EXPECT_TRUE(r.ok) << c.expression << ": " << r.errorMessage;
        EXPECT_EQ(r.resultLine.substr(r.resultLine.rfind(' ') + 1), c.result) << c.expression;
    }
}

struct DecodeCase {
    std::string bytes;
    std::vector<std::string> lines;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.bytes.size() << " bytes, " << c.lines.size() << " lines"; }

class PlainNotebook : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(PlainNotebook, DecodesAndSplits)
{
    EXPECT_EQ(notebook::SplitLines(notebook::DecodeText(GetParam().bytes)), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Core, PlainNotebook,
    ::testing::Values(DecodeCase{"a=2\r\nb=3\r\n", {"a=2", "b=3"}}, DecodeCase{"a=2\nb=3", {"a=2", "b=3"}},
                      DecodeCase{"a=2\rb=3\r\r", {"a=2", "b=3", ""}}, DecodeCase{"\xEF\xBB\xBFx=1", {"x=1"}},
                      DecodeCase{"A\xF1o=1\n\x80", {"Año=1", "€"}}, DecodeCase{"a\xC3\xB1o=1", {"año=1"}},
                      DecodeCase{"\x93q\x94\x81", {"“q”\xC2\x81"}}, DecodeCase{"", {}}));

} // namespace
