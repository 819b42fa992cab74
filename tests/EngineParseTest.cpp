// Parsing: tokens, splits, write-back and syntax errors.
#include "TestSupport.h"
#include "engine/ErrorCodes.h"
#include "engine/Expression.h"
#include "engine/NumberFormat.h"

#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <thread>

namespace {

struct WriteBackCase {
    const char* text;
    const char* written;
};

void PrintTo(const WriteBackCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class WriteBack : public ::testing::TestWithParam<WriteBackCase> {};

TEST_P(WriteBack, TreeIsWrittenBackCanonically)
{
    TMathParser parser;
    parser.RegisterAngleConversions();
    parser.DefineVariable("x", 1);
    parser.DefineVariable("e", 2);
    {
        const TExpression tree(parser, GetParam().text);
        EXPECT_EQ(tree.Text(), GetParam().written);
    }
    EXPECT_EQ(parser.CurrentTree(), nullptr); // the expression took its tree with it
}

INSTANTIATE_TEST_SUITE_P(
    Engine, WriteBack,
    ::testing::Values(WriteBackCase{"2*(3+4)", "2 * (3 + 4)"}, WriteBackCase{"(2+3)*4", "(2 + 3) * 4"},
                      WriteBackCase{"2-(3-4)", "2 - (3 - 4)"}, WriteBackCase{"2+(3-4)", "2 + 3 - 4"},
                      WriteBackCase{"sin(x+1)", "sin (x + 1)"}, WriteBackCase{"sin(30)", "sin 30"},
                      WriteBackCase{"-5", "0 - 5"}, WriteBackCase{"PI", "pi"}, WriteBackCase{"1.50", "1.5"},
                      WriteBackCase{"DegToRad 180", "degtorad 180"}, WriteBackCase{"2-3-4", "2 - 3 - 4"},
                      WriteBackCase{"2^3^2", "2 ^ 3 ^ 2"}, WriteBackCase{"2^(3^2)", "2 ^ (3 ^ 2)"},
                      WriteBackCase{"2*8 div 3", "2 * 8 div 3"}, WriteBackCase{"(2*8) div 3", "(2 * 8) div 3"},
                      WriteBackCase{"2+-5", "2 + 0 - 5"}, WriteBackCase{"3*pi", "3 * pi"},
                      WriteBackCase{"sinpi", "sin pi"}, WriteBackCase{"3!", "3 !"}, WriteBackCase{"", "0"},
                      WriteBackCase{"   ", "0"}, WriteBackCase{"()", "0"}, WriteBackCase{"((1+2))", "1 + 2"},
                      WriteBackCase{"( ( 7 ) )", "7"}, WriteBackCase{"1e5", "100000"},
                      WriteBackCase{"100000000000000000000", "1E20"}, WriteBackCase{"0.000015", "1.5E-5"},
                      WriteBackCase{"1 ARCTAN2 1", "1 arctan2 1"}, WriteBackCase{"3 max 4 + 1", "3 max 4 + 1"},
                      WriteBackCase{"random", "random"}, WriteBackCase{".", "0"}, WriteBackCase{".5", "0.5"},
                      WriteBackCase{"5.", "5"}, WriteBackCase{"sin()", "sin 0"},
                      // A side the operator does not take is parsed but not written.
                      WriteBackCase{"x sin 1", "sin 1"}));

struct ErrorCase {
    const char* text;
    int code;
    int position;
    int length;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class SyntaxError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(SyntaxError, ReportsCodeAndSpan)
{
    TMathParser parser;
    try {
        parser.Parse(GetParam().text);
        FAIL() << "parsed: " << GetParam().text;
    } catch (const EMathParserException& e) {
        EXPECT_EQ(e.ErrorCode, GetParam().code);
        EXPECT_EQ(e.ErrorPosition, GetParam().position);
        EXPECT_EQ(e.ErrorLength, GetParam().length);
        EXPECT_STREQ(e.what(), "");
        // The parser's own state holds the same values.
        EXPECT_EQ(parser.ErrorCode(), e.ErrorCode);
        EXPECT_EQ(parser.ErrorPosition(), e.ErrorPosition);
        EXPECT_EQ(parser.ErrorLength(), e.ErrorLength);
        EXPECT_EQ(parser.ErrorMessage(), e.ErrorMessage);
        EXPECT_EQ(parser.CurrentTree(), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Engine, SyntaxError,
    ::testing::Values(ErrorCase{"(1+2", error_code::kMissingClosing, 5, 0}, ErrorCase{"1+2)", error_code::kUnmatchedClosing, 4, 1}, ErrorCase{")(", error_code::kUnmatchedClosing, 1, 1},
                      ErrorCase{"2 sin 30", error_code::kUnexpectedArgument, 1, 1}, ErrorCase{"3! 2", error_code::kUnexpectedArgument, 4, 1}, ErrorCase{"2pi", error_code::kInvalidArgument, 1, 3},
                      ErrorCase{"2x", error_code::kUnknownValue, 2, 1}, ErrorCase{"1,5", error_code::kInvalidArgument, 1, 3}, ErrorCase{"2e", error_code::kInvalidArgument, 1, 2},
                      ErrorCase{"1..5", error_code::kInvalidArgument, 1, 4}, ErrorCase{"1 2", error_code::kInvalidArgument, 1, 3}, ErrorCase{"random 5", error_code::kUnexpectedArgument, 1, 0},
                      // The rightmost unknown run of a level is the one reported; a
                      // run with no known suffix is unknown as a whole.
                      ErrorCase{"foo+bar", error_code::kUnknownValue, 1, 7}, ErrorCase{"foo+(bar)", error_code::kUnknownValue, 1, 3},
                      ErrorCase{"2*(3+zz)", error_code::kUnknownValue, 5, 3},
                      // Digits end a name: the run is "x", not the variable "x1".
                      ErrorCase{"x1+1", error_code::kUnknownValue, 1, 1}, ErrorCase{"(1)(2)", error_code::kInvalidArgument, 2, 4},
                      ErrorCase{"año+1", error_code::kUnknownValue, 1, 3}, ErrorCase{"  (  3  ", error_code::kMissingClosing, 9, 0}, ErrorCase{"2 + 3 4", error_code::kInvalidArgument, 5, 3}));

// Scientific notation is a number wherever one can be typed, read as the
// decimal text reads (strtold); a name is never split for it.
TEST(Engine, ScientificNotationIsANumberAndNamesStayWhole)
{
    const struct {
        const char* text;
        const char* decimal; // the value's own text, for the reference
        long double factor;
    } numbers[] = {{"6.02E23*2", "6.02E23", 2}, {"1.6e-19", "1.6e-19", 1}, {"1e7+1", "10000001", 1},
                   {"2.5E+3", "2500", 1},       {"(1E-3)", "0.001", 1},     {"3*1.5e2", "150", 3},
                   {"1e4932", "1e4932", 1},     {"2e-4951", "2e-4951", 1}};
    for (const auto& c : numbers) {
        TMathParser parser;
        const TExpression e(parser, c.text);
        long double want = 0;
        ASSERT_TRUE(ParseDecimal(c.decimal, want)) << c.decimal;
        EXPECT_EQ(e.Evaluate(), want * c.factor) << c.text;
    }
    const struct {
        const char* text;
        uint8_t code;
        int position, length;
    } names[] = {// "e" is the number e: these read as "pi3", "2pi", "x1pi5", "1pi5x" and "1pi+" do.
                 {"e3", error_code::kInvalidArgument, 1, 2},   {"2e", error_code::kInvalidArgument, 1, 2},
                 {"x1e5", error_code::kInvalidArgument, 1, 4}, {"1e5x", error_code::kInvalidArgument, 1, 4},
                 {"1e+", error_code::kInvalidArgument, 1, 2}};
    for (const auto& c : names) {
        TMathParser parser;
        parser.DefineVariable("x", 1);
        try {
            parser.Parse(c.text);
            ADD_FAILURE() << "parsed: " << c.text;
        } catch (const EMathParserException& e) {
            EXPECT_EQ(e.ErrorCode, c.code) << c.text;
            EXPECT_EQ(e.ErrorPosition, c.position) << c.text;
            EXPECT_EQ(e.ErrorLength, c.length) << c.text;
        }
    }
}

TEST(Engine, SpansCountCharactersNotBytes)
{
    TMathParser parser;
    testsupport::Failure f;
    // "é" is two bytes in UTF-8 but one character.
    EXPECT_EQ(testsupport::Calc(parser, "é+1/0", &f), "error");
    EXPECT_EQ(f.code, error_code::kUnknownValue);
    EXPECT_EQ(f.position, 1);
    parser.DefineVariable("año", 2);
    EXPECT_EQ(testsupport::Calc(parser, "AÑO", &f), "error"); // Ñ is not folded
    EXPECT_EQ(testsupport::Calc(parser, "año*3", &f), "6");
    EXPECT_EQ(testsupport::Calc(parser, "ñ+1/0", &f), "error");
    EXPECT_EQ(f.code, error_code::kUnknownValue);
    EXPECT_EQ(testsupport::Calc(parser, "año/0", &f), "error");
    EXPECT_EQ(f.code, error_code::kDivisionByZero);
    EXPECT_EQ(f.position, 5);
}

TEST(Engine, NamedValuesAndCatalogue)
{
    TMathParser parser;
    // The functions, the operators, then the third group: ";", four
    // functions of one operand and 13 called with arguments, each with the
    // one or two entries its calls become, which have no name to find;
    // the five calls that bind a name and the "=" of their equations; the
    // ten statistics of a list, and three of two lists with their entries.
    EXPECT_EQ(parser.OperatorCount(), 104);
    EXPECT_EQ(parser.Operator(parser.FindOperator("media")).ListStat, kStatMean);
    EXPECT_EQ(parser.Operator(parser.FindOperator("pendiente")).Arguments, 2);
    EXPECT_EQ(parser.Operator(parser.FindOperator("integral")).Bound, kBoundIntegral);
    EXPECT_EQ(parser.FindOperator("="), -1);
    EXPECT_EQ(parser.Operator(0).Name, "max");  // functions come first
    EXPECT_EQ(parser.Operator(22).Name, "+");
    EXPECT_EQ(parser.Operator(45).Name, "!");
    EXPECT_EQ(parser.Operator(46).Name, ";");
    EXPECT_EQ(parser.Operator(parser.FindOperator("comb")).Arguments, 2);
    EXPECT_EQ(parser.Operator(parser.FindOperator("normalinv")).Arguments, 3);
    EXPECT_EQ(parser.FindOperator("comb#"), -1);
    EXPECT_EQ(parser.FindVariable("E"), 1);
    EXPECT_EQ(parser.FindOperator("NSqrt"), 21);
    EXPECT_EQ(parser.FindOperator("degtorad"), -1);
    EXPECT_EQ(parser.FindVariable("Pi"), 0);
    parser.RegisterAngleConversions();
    EXPECT_EQ(parser.FindOperator("DEGTORAD"), 104);
    parser.RegisterOperators(); // a second group is appended but never found
    EXPECT_EQ(parser.FindOperator("+"), 22);
    EXPECT_EQ(parser.OperatorCount(), 104 + 9 + 24);

    parser.DefineVariable("A", 1);
    parser.DefineVariable("a", 2);
    testsupport::Failure f;
    EXPECT_EQ(testsupport::Calc(parser, "a+A", &f), "2");
    parser.SetConstant("PI", 3);
    EXPECT_EQ(testsupport::Calc(parser, "pi", &f), "3");
    try {
        parser.SetConstant("y", 1);
        FAIL();
    } catch (const EMathParserException&) {
        FAIL() << "not an engine error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "There is no constant named \"y\".");
    }
    EXPECT_EQ(testsupport::Calc(parser, "a*2", &f), "2"); // still usable
    // A named value hides a function of the same name.
    parser.DefineVariable("sin", 5);
    EXPECT_EQ(testsupport::Calc(parser, "sin", &f), "5");
    EXPECT_EQ(testsupport::Calc(parser, "sin 30", &f), "error");
}

TEST(Engine, SetConstantChangesAnExistingTree)
{
    TMathParser parser;
    parser.DefineVariable("x", 0);
    const TExpression tree(parser, "x^2+1");
    long double v = 0;
    for (int i = -3; i <= 3; ++i) {
        parser.SetConstant("X", i);
        ASSERT_TRUE(tree.TryEvaluate(v));
        EXPECT_EQ(v, i * i + 1);
    }
    parser.FreeCurrentTree();
    EXPECT_EQ(parser.CurrentTree(), nullptr);
}

TEST(Engine, ErrorStateLifecycle)
{
    TMathParser parser;
    EXPECT_EQ(parser.ErrorCode(), error_code::kNone);
    EXPECT_EQ(parser.ErrorPosition(), -1);
    EXPECT_EQ(parser.ErrorLength(), 0);
    EXPECT_THROW(parser.Parse("1+2)"), EMathParserException);
    // Parse clears code, message and position, but keeps the length.
    const TExpression tree(parser, "1/0");
    EXPECT_EQ(parser.ErrorCode(), error_code::kNone);
    EXPECT_EQ(parser.ErrorMessage(), "");
    EXPECT_EQ(parser.ErrorPosition(), -1);
    EXPECT_EQ(parser.ErrorLength(), 1);
    EXPECT_THROW(tree.Evaluate(), EMathParserException);
    EXPECT_EQ(parser.ErrorCode(), error_code::kDivisionByZero);
    EXPECT_EQ(parser.CurrentTree(), tree.Tree()); // a failed evaluation keeps the tree
    // A null tree evaluates to 0 and leaves the error state alone.
    EXPECT_EQ(parser.Evaluate(nullptr), 0);
    EXPECT_EQ(parser.ErrorCode(), error_code::kDivisionByZero);
    EXPECT_EQ(parser.TreeToText(nullptr), "");
    parser.FreeTree(nullptr);
    parser.FreeCurrentTree();
    // A failed parse leaves the current tree as it was.
    const TExpression kept(parser, "2");
    EXPECT_THROW(parser.Parse("2+)"), EMathParserException);
    EXPECT_EQ(parser.CurrentTree(), kept.Tree());
}

TEST(Engine, SetErrorCodeStoresDefaultTexts)
{
    TMathParser parser;
    const char* texts[] = {"", "Valor desconocido", "Argumento invalido", "Falta argumento",
                           "Argumento no previsto", "No se ha cerrado el paréntesis",
                           "Debe cerrarse el paréntesis", "División por cero"};
    for (int code = error_code::kNone; code <= error_code::kLastWithText; ++code) {
        parser.SetErrorMessage("x");
        parser.SetErrorCode(static_cast<uint8_t>(code));
        EXPECT_EQ(parser.ErrorMessage(), texts[code]);
    }
    parser.SetErrorMessage("kept");
    parser.SetErrorCode(error_code::kArithmeticFault);
    EXPECT_EQ(parser.ErrorMessage(), "kept");
    EXPECT_EQ(parser.ErrorCode(), error_code::kArithmeticFault);
}

// The engine keeps memory and buffers per thread. Worker threads that
// calculate and end, one of them handing its parser to this thread, must
// end cleanly and leave this thread's calculations right (on Windows the
// end of such a thread once freed its buffers out of freed memory).
TEST(Engine, WorkerThreadsCalculateAndEnd)
{
    auto calculate = [](TMathParser& parser, const char* text) {
        TParseNode* tree = parser.Parse(text);
        const long double value = parser.Evaluate(tree);
        parser.FreeTree(tree);
        return value;
    };
    TMathParser here;
    EXPECT_EQ(calculate(here, "1+2*3"), 7);
    for (int round = 0; round < 20; ++round) {
        std::unique_ptr<TMathParser> handed;
        long double seen = 0;
        std::thread worker([&] {
            {
                TMathParser own;
                seen = calculate(own, "2^10-(3+4)*5");
            }
            handed = std::make_unique<TMathParser>();
            calculate(*handed, "sqrt(16)");
        });
        worker.join();
        EXPECT_EQ(seen, 989);
        EXPECT_EQ(calculate(*handed, "sqrt(16)+1"), 5);
        handed.reset();
        EXPECT_EQ(calculate(here, "(1+2)*(3+4)"), 21);
    }
}

} // namespace
