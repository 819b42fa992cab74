// Exact fractions beside the extended result: which calculations have one,
// its text, the cycle of the result line, and the extended value the same
// to the last bit with fractions asked for or not.
#include "calc/CalcCore.h"
#include "engine/ExactValue.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct TCase {
    const char* expression;
    const char* fraction; // "" when none is shown
    const char* mixed;
};

calc::TCalcOutcome Calculate(const std::vector<std::string>& notebook, const std::string& expression, bool fractions)
{
    TMathParser parser;
    return calc::RunCalculation(parser, notebook, expression, 9, fractions);
}

void Check(const std::vector<std::string>& notebook, const std::vector<TCase>& cases)
{
    for (const TCase& c : cases) {
        const calc::TCalcOutcome exact = Calculate(notebook, c.expression, true);
        const calc::TCalcOutcome plain = Calculate(notebook, c.expression, false);
        ASSERT_TRUE(exact.ok && plain.ok) << c.expression << ": " << exact.errorMessage;
        // The extended path is the same whichever way.
        EXPECT_EQ(exact.value, plain.value) << c.expression;
        EXPECT_EQ(exact.resultLine, plain.resultLine) << c.expression;
        EXPECT_FALSE(plain.fraction.has_value()) << c.expression;
        EXPECT_EQ(exact.fraction ? exact.fraction->Text() : "", c.fraction) << c.expression;
        if (exact.fraction) {
            EXPECT_EQ(exact.fraction->Mixed(), c.mixed) << c.expression;
        }
    }
}

TEST(ExactFractions, OfTheOperationsThatKeepThem)
{
    Check({}, {
                  {"1/3+1/6", "1/2", "1/2"},
                  {"0.75*4/9", "1/3", "1/3"},
                  {"2^(-3)", "1/8", "1/8"},
                  {"7/2", "7/2", "3 1/2"},
                  {"-7/2", "-7/2", "-3 1/2"},
                  {"0.1+0.2", "3/10", "3/10"},
                  {"fact 25 / fact 27", "1/702", "1/702"},
                  {"(2/3)^3 - 1", "-19/27", "-19/27"},
                  {"abs(-1/3) + 2", "7/3", "2 1/3"},
                  {"(1/3) max (1/4) + (1/5) min 1", "8/15", "8/15"},
                  {"comb(5; 2)/4 + perm(4; 2)/7", "59/14", "4 3/14"},
                  {"(7 mod 3)/2 + (7 div 2)/4", "5/4", "1 1/4"},
                  {"floor(7/2)/4 + ceil(7/2)/3", "25/12", "2 1/12"},
                  {"1/1234567890", "1/1234567890", "1/1234567890"},
                  {"1E-3 / 3", "1/3000", "1/3000"},
                  {"(((1/3)))", "1/3", "1/3"},
              });
}

TEST(ExactFractions, NoneWhereTheValueIsNotOneToShow)
{
    Check({}, {
                  {"1/3*3", "", ""},              // whole
                  {"2^-3", "", ""},               // 2^0 - 3: an empty exponent is 0
                  {"fact 25 / fact 23", "", ""},  // whole: 600
                  {"sqrt 2", "", ""},             // outside the list
                  {"pi/2", "", ""},               // a constant, not a decimal
                  {"sin(30)/3", "", ""},          // outside the list
                  {"1/12345678901", "", ""},      // 11 digits below
                  {"2^10000/3", "", ""},          // past the size bound
                  {"1E-3000 + 1/3", "", ""},      // a decimal past the size bound
                  {"2^0.5/3", "", ""},            // not a whole power
                  {"(1/3 + 1E20) - 1E20", "", ""}, // the extended value lost it
              });
}

TEST(ExactFractions, NotebookValuesFunctionsAndTextDefinitions)
{
    Check({"a=0.25", "b=3", "f(t)=t/3 + a", "c=a*2", "k=pi"},
          {
              {"a/b", "1/12", "1/12"},
              {"f(1) + f(0.5)", "", ""}, // 1/3 + 1/4 + 1/6 + 1/4 = 1: whole, none
              {"f(2)", "11/12", "11/12"},
              {"c/3", "1/6", "1/6"},
              {"k/3", "", ""}, // a value that is a constant's
          });
}

TEST(ExactFractions, TheResultLineCycles)
{
    const calc::TCalcOutcome r = Calculate({}, "7/2", true);
    ASSERT_TRUE(r.fraction.has_value());
    using calc::TValueShown;
    TValueShown shown = TValueShown::Decimal;
    std::vector<std::string> lines;
    for (int k = 0; k < 4; ++k) {
        lines.push_back(calc::ResultLineShown(r, shown));
        shown = calc::NextShown(r, shown);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"7 / 2 =   3.5", "7 / 2 =   7/2", "7 / 2 =   3 1/2", "7 / 2 =   3.5"}));
    // Below 1 the mixed number is the fraction: it is skipped.
    const calc::TCalcOutcome third = Calculate({}, "1/3", true);
    EXPECT_EQ(calc::NextShown(third, TValueShown::Fraction), TValueShown::Decimal);
    // A fraction shown is read back exactly.
    const calc::TCalcOutcome back = Calculate({}, "(" + r.fraction->Text() + ")*2/7", true);
    EXPECT_EQ(back.value, 1);
}

TEST(ExactFractions, LongSumsUpToTheBounds)
{
    // A hundred terms are followed; a text past the bound is decimal only.
    auto sum = [](int terms) {
        std::string text = "1/3";
        for (int k = 0; k < terms; ++k) text += "+0.5";
        return text;
    };
    const calc::TCalcOutcome hundred = Calculate({}, sum(100), true);
    ASSERT_TRUE(hundred.fraction.has_value());
    EXPECT_EQ(hundred.fraction->Text(), "151/3");
    EXPECT_FALSE(Calculate({}, sum(1000), true).fraction.has_value());
}

} // namespace
