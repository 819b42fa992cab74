// The engine's parser against a plain, literal reference parser on many
// generated texts: the same trees, or the same error and span.
#include "TestSupport.h"
#include "engine/Expression.h"

#include "engine/Utf8.h"
#include "reference/ReferenceParser.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>

namespace {

std::string Dump(const TParseNode* node)
{
    if (node->Kind == 0) {
        if (!node->Present) return "_";
        if (node->Variable) return "V:" + node->Variable->Name;
        return "N:" + FormatGeneral(node->Value, 18);
    }
    return "(" + node->Op->Name + "@" + std::to_string(node->OpPos) + " L" + std::to_string(node->LeftPos) + "," +
           std::to_string(node->LeftLen) + " R" + std::to_string(node->RightPos) + "," +
           std::to_string(node->RightLen) + " " + Dump(node->Left) + " " + Dump(node->Right) + ")";
}

// The reference writes number leaves as their text; write them as values.
std::string NormaliseNumbers(const std::string& dump)
{
    std::string out;
    std::size_t i = 0;
    while (i < dump.size()) {
        if (dump.compare(i, 2, "N:") == 0 && (i == 0 || dump[i - 1] == ' ' || dump[i - 1] == '(')) {
            std::size_t j = i + 2;
            while (j < dump.size() && dump[j] != ' ' && dump[j] != ')') ++j;
            std::string text = dump.substr(i + 2, j - i - 2);
            if (text == ".") text = "0";
            if (!text.empty() && text[0] == '.') text = "0" + text;
            out += "N:" + FormatGeneral(std::strtold(text.c_str(), nullptr), 18);
            i = j;
        } else {
            out += dump[i++];
        }
    }
    return out;
}

void CompareWithReference(bool controlCharacterNames, unsigned seed, int rounds = 30000, int maxPieces = 12)
{
    TMathParser parser;
    parser.DefineVariable("x", 1);
    parser.DefineVariable("e", 2);
    parser.DefineVariable("Ab", 3);
    if (controlCharacterNames) {
        // Names ending in a character that trimming removes.
        parser.DefineVariable("\t", 4);
        parser.DefineVariable("x\t", 5);
        parser.DefineVariable("+\t", 6);
    }
    zref::Names names;
    names.isVariable = [&](const std::u32string& n) { return parser.FindVariable(utf8::Encode(n)) >= 0; };
    names.findOperator = [&](const std::u32string& n) -> std::optional<zref::OpInfo> {
        const int i = parser.FindOperator(utf8::Encode(n));
        if (i < 0) return std::nullopt;
        return zref::OpInfo{parser.Operator(i).Sides, parser.Operator(i).Priority};
    };

    const char* pieces[] = {"1",   "2",   "0",   ".",   "5",      " ",    " ",   "(",  ")",   "(",   ")",
                            "+",   "-",   "*",   "/",   "^",      "!",    "sin", "pi", "x",   "ln",  "max",
                            "arctan", "arctan2", "e", "q", "mod", "\t", ",", "random", "sinh", "COS", "ab",
                            "ñ",   "3",   "h",   "n",   "a",      "b"};
    const int pieceCount = static_cast<int>(sizeof pieces / sizeof pieces[0]);
    std::mt19937 rng(seed);
    int parsed = 0, failed = 0;
    for (int round = 0; round < rounds; ++round) {
        std::string text;
        const int length = 1 + static_cast<int>(rng() % static_cast<unsigned>(maxPieces));
        for (int k = 0; k < length; ++k) text += pieces[rng() % pieceCount];
        const zref::Outcome expected = zref::ParseAndDump(utf8::Decode(text), names);
        try {
            const TExpression tree(parser, text);
            const std::string got = Dump(tree.Tree());
            ASSERT_TRUE(expected.ok) << "text [" << text << "] parsed as " << got << " but the reference fails with "
                                     << expected.code << " at " << expected.position << "+" << expected.length;
            ASSERT_EQ(got, NormaliseNumbers(expected.dump)) << "text [" << text << "]";
            ++parsed;
        } catch (const EMathParserException& e) {
            ASSERT_FALSE(expected.ok) << "text [" << text << "] fails with " << int(e.ErrorCode) << " at "
                                      << e.ErrorPosition << "+" << e.ErrorLength << " but the reference gives "
                                      << expected.dump;
            ASSERT_EQ(int(e.ErrorCode), expected.code) << "text [" << text << "]";
            ASSERT_EQ(e.ErrorPosition, expected.position) << "text [" << text << "]";
            ASSERT_EQ(e.ErrorLength, expected.length) << "text [" << text << "]";
            ++failed;
        }
    }
    // Both outcomes must be well represented for the comparison to mean much.
    EXPECT_GT(parsed, rounds / 20);
    EXPECT_GT(failed, rounds / 20);
}

TEST(Differential, ParserMatchesTheReference)
{
    CompareWithReference(false, 20261207);
}

TEST(Differential, ParserMatchesTheReferenceWithControlCharacterNames)
{
    CompareWithReference(true, 7);
    CompareWithReference(true, 8, 20000, 24); // longer texts: sides trimmed inside sides
}

} // namespace
