// The calculation core: notebook lines, text definitions and the result line.
#include "calc/CalcCore.h"
#include "engine/ErrorCodes.h"

#include "TestSupport.h"
#include "codec/PlainText.h"

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
    // 255 characters count; "ñ" is one character of two bytes.
    std::string longLine = "v=" + std::string(252, '1') + "9999";
    EXPECT_EQ(calc::ReadNotebookLine(longLine).valueText.size(), 253u);
    std::string accented = "ñ=" + std::string(260, '2');
    EXPECT_EQ(calc::ReadNotebookLine(accented).valueText.size(), 253u);
}

TEST(Core, ReplaceAllIsPlainAndNonOverlapping)
{
    EXPECT_EQ(calc::ReplaceAll("tan(a)", "a", "b+1"), "tb+1n(b+1)");
    EXPECT_EQ(calc::ReplaceAll("aaa", "aa", "a"), "aa");
    EXPECT_EQ(calc::ReplaceAll("x+X", "X", "2"), "x+2");
    EXPECT_EQ(calc::ReplaceAll("abc", "", "z"), "abc");
    EXPECT_EQ(calc::ReplaceAll("a", "a", "aa"), "aa");
}

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
        CalcCase{{"a=3", "x=a+1"}, "2*x", "2 * a + 1 =   7", "2*a+1"},
        CalcCase{{"a=b+1"}, "tan(a)", nullptr, "tb+1n(b+1)"}, CalcCase{{"X=b"}, "x+1", nullptr, "x+1"},
        CalcCase{{"base="}, "base*2", nullptr, "*2"}, CalcCase{{"a=1", "a=2"}, "a", "a =   1", "a"},
        CalcCase{{"pi=3"}, "pi", "pi =   3.14159265", "pi"}, CalcCase{{"=5", "=x"}, "1", "1 =   1", "1"},
        CalcCase{{"Título del cuaderno", "", "nota: área"}, "2", "2 =   2", "2"},
        // A later text definition applies to what an earlier one inserted, not the reverse.
        CalcCase{{"p=q*2", "q=r+1", "r=5"}, "p", "r + 1 * 2 =   7", "r+1*2"},
        CalcCase{{"q=r+1", "p=q*2", "r=5"}, "p", nullptr, "q*2"},
        CalcCase{{"x=5E"}, "x", "x =   5", "x"}, CalcCase{{}, "1/3", "1 / 3 =   0.333333333", "1/3"},
        CalcCase{{}, "1/3", "1 / 3 =   0.33", "1/3", 2}, CalcCase{{}, "10^20", "10 ^ 20 =   1E20", "10^20"},
        CalcCase{{}, "arcsec 0", "arcsec 0 =   INF", "arcsec 0"},
        CalcCase{{"año=2"}, "año*3", "año * 3 =   6", "año*3"}));

TEST(Core, ErrorIsReportedInCharactersOfTheSubstitutedExpression)
{
    TMathParser parser;
    const calc::TCalcOutcome r = calc::RunCalculation(parser, {"d=ñ+1"}, "2*d", 9);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.expression, "2*ñ+1");
    EXPECT_EQ(r.errorCode, error_code::kUnknownValue);
    EXPECT_EQ(r.errorPosition, 2); // the run "*ñ", which has no known suffix
    EXPECT_EQ(r.errorLength, 2);
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
    // Each line doubles the expression: line 20 would make it 2^20
    // characters, beyond the limit; nothing of the calculation happens.
    std::vector<std::string> doubling(32, "a=aa");
    TMathParser parser;
    const calc::TCalcOutcome r = calc::RunCalculation(parser, doubling, "a", 9);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.tooLongLine, 20);
    EXPECT_EQ(r.errorMessage, "La expresión pasaría de 1000000 caracteres al aplicar la línea 20 del cuaderno");
    EXPECT_EQ(r.expression, "a");
    EXPECT_FALSE(r.expressionChanged);
    EXPECT_EQ(r.errorCode, error_code::kNone);
    // Up to the limit exactly is allowed, counted in characters, not bytes.
    std::string value;
    for (int i = 0; i < 250; ++i) value += "ñ";
    for (std::size_t digits : {999749u, 999750u}) {
        TMathParser exact;
        const calc::TCalcOutcome e = calc::RunCalculation(exact, {"b=" + value}, "b+" + std::string(digits, '1'), 9);
        EXPECT_EQ(e.tooLongLine, digits == 999749u ? 0 : 1);
        if (e.tooLongLine == 0) {
            EXPECT_EQ(e.expression.size(), 500u + 1u + digits);
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

TEST(Core, LongNotebookLineValueEndsAtTheCut)
{
    TMathParser parser;
    // The value text is cut after the line's 255th character.
    const std::string line = "v=1+" + std::string(251, '0') + "7";
    const calc::TCalcOutcome r = calc::RunCalculation(parser, {line}, "v", 9);
    EXPECT_EQ(r.expression, "1+" + std::string(251, '0'));
    EXPECT_EQ(r.resultLine, "1 + 0 =   1");
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
