// Inputs far larger than anyone types: nothing may recurse with the input's
// size, and every path must free what it built.
#include "TestSupport.h"
#include "engine/ErrorCodes.h"
#include "engine/Expression.h"

#include "calc/CalcCore.h"

#include <gtest/gtest.h>

namespace {

std::string Repeat(const std::string& piece, int times)
{
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

TEST(Robustness, DeepNestedParentheses)
{
    TMathParser parser;
    const int depth = 200000;
    const std::string text = std::string(depth, '(') + "1" + std::string(depth, ')');
    TExpression tree(parser, text);
    EXPECT_EQ(tree.Evaluate(), 1);
    EXPECT_EQ(tree.Text(), "1");

    // Nested operators: every level holds one split, so the tree is as deep
    // as the text is long.
    const std::string nested = Repeat("(1+", depth) + "1" + std::string(depth, ')');
    tree = TExpression(parser, nested);
    EXPECT_EQ(tree.Evaluate(), depth + 1);
    const std::string written = tree.Text();
    EXPECT_EQ(written.substr(0, 10), "1 + (1 + (");
    EXPECT_EQ(written.size(), static_cast<std::size_t>(depth) * 6 - 1); // "1 + (" and ")" per level

    const std::string nestedRight = Repeat("1^(", 5000) + "1" + std::string(5000, ')');
    tree = TExpression(parser, nestedRight);
    EXPECT_EQ(tree.Evaluate(), 1);
    EXPECT_EQ(tree.Text().substr(0, 9), "1 ^ (1 ^ ");
}

TEST(Robustness, MillionOperators)
{
    TMathParser parser;
    parser.DefineVariable("x", 3);
    const std::string text = "x" + Repeat("-x", 1000000);
    TExpression tree(parser, text);
    EXPECT_EQ(tree.Evaluate(), 3.0L - 1000000 * 3.0L);
    EXPECT_EQ(tree.Text().size(), 1 + 1000000 * 4u);

    const std::string sum = "1" + Repeat("+1", 1000000);
    tree = TExpression(parser, sum);
    EXPECT_EQ(tree.Evaluate(), 1000001);
}

TEST(Robustness, LongRunsOfLetters)
{
    TMathParser parser;
    testsupport::Failure f;
    const std::string letters(100000, 'q');
    EXPECT_EQ(testsupport::Calc(parser, letters, &f), "error");
    EXPECT_EQ(f.code, error_code::kUnknownValue);
    EXPECT_EQ(f.position, 1);
    EXPECT_EQ(f.length, 100000);
    // A run made entirely of known names: every token is a suffix of it.  The
    // leftmost "sin" stands alone (equal priorities split at the rightmost)
    // and fails for want of an operand.
    EXPECT_EQ(testsupport::Calc(parser, Repeat("sin", 30000) + " 0", &f), "error");
    EXPECT_EQ(f.code, error_code::kMissingArgument);
    EXPECT_EQ(f.position, 1);
    EXPECT_EQ(testsupport::Calc(parser, Repeat("sin(", 30000) + "0" + std::string(30000, ')'), &f), "0");
    parser.DefineVariable("q", 2);
    EXPECT_EQ(testsupport::Calc(parser, letters, &f), "error"); // a leaf "qq...q" is no number
    EXPECT_EQ(f.code, error_code::kInvalidArgument);
    EXPECT_EQ(testsupport::Calc(parser, Repeat("q*", 50000) + "1", &f), "error"); // overflow of 2^50000
    EXPECT_EQ(f.code, error_code::kArithmeticFault);
}

TEST(Robustness, LongNumbersAndErrorsFreeTheirTrees)
{
    TMathParser parser;
    testsupport::Failure f;
    EXPECT_EQ(testsupport::Calc(parser, std::string(1000000, '0') + "1", &f), "1");
    EXPECT_EQ(testsupport::Calc(parser, "0." + std::string(1000000, '3'), &f), "0.333333333333333");
    EXPECT_EQ(testsupport::Calc(parser, "1" + std::string(5000, '0'), &f), "error");
    EXPECT_EQ(f.code, error_code::kInvalidArgument);
    // An error deep in a large tree: the partial tree is released.
    EXPECT_EQ(testsupport::Calc(parser, Repeat("(1+", 100000) + "zz" + std::string(100000, ')'), &f), "error");
    EXPECT_EQ(f.code, error_code::kUnknownValue);
    EXPECT_EQ(testsupport::Calc(parser, Repeat("1+", 100000) + "1/0", &f), "error");
    EXPECT_EQ(f.code, error_code::kDivisionByZero);
}

TEST(Robustness, NamesEndingInControlCharactersStayLinear)
{
    // Each left side loses a tab to trimming, so its scan changes at its end.
    TMathParser parser;
    parser.DefineVariable("x\t", 1);
    parser.DefineVariable("x", 2);
    std::string text = "x\t";
    for (int i = 0; i < 200000; ++i) text += (i % 3 ? "+x\t" : "*x\t");
    const TExpression tree(parser, text);
    long double value = 0;
    ASSERT_TRUE(tree.TryEvaluate(value));
    EXPECT_GT(value, 0);
}

TEST(Robustness, LargeNotebook)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 10000; ++i) lines.push_back("v" + std::string(1, static_cast<char>('a' + i % 26)) + std::to_string(i) + "=" + std::to_string(i));
    lines.push_back("zz=7");
    TMathParser parser;
    const calc::TCalcOutcome r = calc::RunCalculation(parser, lines, "zz*2", 9);
    EXPECT_EQ(r.resultLine, "zz * 2 =   14");
}

} // namespace
