// Checks the reference parser against hand-worked parses before it is
// trusted as an oracle for the engine.
#include "ReferenceParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct CatalogueEntry {
    std::u32string name;
    int sides;
    int priority;
};

// Function group, then operator group, names lower-cased.
const std::vector<CatalogueEntry>& Catalogue() {
    static const std::vector<CatalogueEntry> entries = {
        {U"max", 3, 3},     {U"min", 3, 3},      {U"arccosh", 2, 4}, {U"arccot", 2, 4},
        {U"arccoth", 2, 4}, {U"arccsc", 2, 4},   {U"arccsch", 2, 4}, {U"arcsec", 2, 4},
        {U"arcsech", 2, 4}, {U"arcsinh", 2, 4},  {U"arctanh", 2, 4}, {U"arctan2", 3, 3},
        {U"cot", 2, 4},     {U"cotan", 2, 4},    {U"coth", 2, 4},    {U"csc", 2, 4},
        {U"csch", 2, 4},    {U"hypot", 3, 3},    {U"sec", 2, 4},     {U"sech", 2, 4},
        {U"random", 0, 6},  {U"nsqrt", 3, 3},

        {U"+", 3, 0},       {U"-", 3, 1},        {U"*", 3, 2},       {U"/", 3, 2},
        {U"sin", 2, 4},     {U"cos", 2, 4},      {U"tan", 2, 4},     {U"sqrt", 2, 4},
        {U"^", 3, 3},       {U"log", 3, 3},      {U"ln", 2, 4},      {U"arccos", 2, 4},
        {U"arcsin", 2, 4},  {U"arctan", 2, 4},   {U"sinh", 2, 4},    {U"cosh", 2, 4},
        {U"tanh", 2, 4},    {U"div", 3, 3},      {U"mod", 3, 3},     {U"abs", 2, 4},
        {U"floor", 2, 4},   {U"ceil", 2, 4},     {U"exp", 2, 4},     {U"!", 1, 5},
    };
    return entries;
}

// Catalogue plus "pi" plus extraVars; withAngles adds the angle conversions.
zref::Names MakeNames(std::vector<std::u32string> extraVars, bool withAngles = false) {
    std::vector<CatalogueEntry> ops = Catalogue();
    if (withAngles) {
        for (const char32_t* n : {U"degtorad", U"degtocycle", U"degtograd", U"radtodeg",
                                  U"radtocycle", U"radtograd", U"gradtocycle", U"gradtorad",
                                  U"gradtodeg"})
            ops.push_back({n, 2, 4});
    }
    extraVars.push_back(U"pi");
    zref::Names names;
    names.isVariable = [extraVars](const std::u32string& n) {
        return std::find(extraVars.begin(), extraVars.end(), n) != extraVars.end();
    };
    names.findOperator = [ops](const std::u32string& n) -> std::optional<zref::OpInfo> {
        for (const auto& e : ops)
            if (e.name == n) return zref::OpInfo{e.sides, e.priority};
        return std::nullopt;
    };
    return names;
}

struct TreeCase {
    std::u32string text;
    std::vector<std::u32string> vars;
    std::string dump;
    bool withAngles = false;
};

TEST(ReferenceParser, BuildsTrees) {
    const std::vector<TreeCase> cases = {
        // Splitting and sub-expression positions.
        {U"2*(3+4)", {}, "(*@2 L1,1 R3,5 N:2 (+@5 L4,1 R6,1 N:3 N:4))"},
        {U"(2+3)*4", {}, "(*@6 L1,5 R7,1 (+@3 L2,1 R4,1 N:2 N:3) N:4)"},
        {U"2-(3-4)", {}, "(-@2 L1,1 R3,5 N:2 (-@5 L4,1 R6,1 N:3 N:4))"},
        {U"2+(3-4)", {}, "(+@2 L1,1 R3,5 N:2 (-@5 L4,1 R6,1 N:3 N:4))"},
        {U"sin(x+1)", {U"x"}, "(sin@1 L1,0 R4,5 _ (+@6 L5,1 R7,1 V:x N:1))"},
        {U"sin(30)", {}, "(sin@1 L1,0 R4,4 _ N:30)"},
        {U"-5", {}, "(-@1 L1,0 R2,1 _ N:5)"},
        {U"PI", {}, "V:pi"},
        {U"1.50", {}, "N:1.50"},
        {U"DegToRad 180", {}, "(degtorad@1 L1,0 R10,3 _ N:180)", true},
        {U"SIN 30", {}, "(sin@1 L1,0 R5,2 _ N:30)"},
        // Priorities and associativity.
        {U"2-3-4", {}, "(-@4 L1,3 R5,1 (-@2 L1,1 R3,1 N:2 N:3) N:4)"},
        {U"2^3^2", {}, "(^@4 L1,3 R5,1 (^@2 L1,1 R3,1 N:2 N:3) N:2)"},
        {U"2-3+4", {}, "(+@4 L1,3 R5,1 (-@2 L1,1 R3,1 N:2 N:3) N:4)"},
        {U"2*8 div 3", {}, "(*@2 L1,1 R3,7 N:2 (div@5 L3,1 R9,1 N:8 N:3))"},
        {U"3 max 4 + 1", {}, "(+@9 L1,7 R11,1 (max@3 L1,1 R7,1 N:3 N:4) N:1)"},
        {U"3!+1", {}, "(+@3 L1,2 R4,1 (!@2 L1,1 R3,0 N:3 _) N:1)"},
        // Signs: the run "+-" yields "-" first, then "+".
        {U"2+-5", {}, "(+@2 L1,1 R3,2 N:2 (-@3 L3,0 R4,1 _ N:5))"},
        {U"2*-5", {}, "(-@3 L1,2 R4,1 (*@2 L1,1 R3,0 N:2 _) N:5)"},
        {U"2*(-5)", {}, "(*@2 L1,1 R3,4 N:2 (-@4 L4,0 R5,1 _ N:5))"},
        // Known suffixes of a run; variables are skipped as split points.
        {U"3*pi", {}, "(*@2 L1,1 R3,2 N:3 V:pi)"},
        {U"sinpi", {}, "(sin@1 L1,0 R4,2 _ V:pi)"},
        {U"x1", {U"x", U"x1"}, "V:x1"},
        {U"pi sin 30", {}, "(sin@4 L1,2 R8,2 V:pi N:30)"},
        {U"2*arcsinh 1", {}, "(*@2 L1,1 R3,9 N:2 (arcsinh@3 L3,0 R11,1 _ N:1))"},
        // Number leaves reached through a skipped variable token.
        {U"1e5", {U"e"}, "N:1e5"},
        {U"1E5", {U"e"}, "N:1E5"},
        {U"1e-99999", {U"e-"}, "N:1e-99999"},
        {U".e5", {U"e"}, "N:.e5"},
        {U".", {}, "N:."},
        {U".5", {}, "N:.5"},
        {U"5.", {}, "N:5."},
        {U" 7 ", {}, "N:7"},
        // Empty operands and unwrapping.
        {U"", {}, "_"},
        {U"   ", {}, "_"},
        {U"()", {}, "_"},
        {U" ( ) ", {}, "_"},
        {U"sin()", {}, "(sin@1 L1,0 R4,2 _ _)"},
        {U"((1+2))", {}, "(+@4 L3,1 R5,1 N:1 N:2)"},
        {U"(1)+(2)", {}, "(+@4 L1,3 R5,3 N:1 N:2)"},
        {U"ln (0)", {}, "(ln@1 L1,0 R4,3 _ N:0)"},
        {U"(1+2)\t", {}, "(+@3 L2,1 R4,1 N:1 N:2)"},
        // Catalogue names ending in digits.
        {U"1 arctan2 1", {}, "(arctan2@3 L1,1 R11,1 N:1 N:1)"},
        {U"2 ARCTAN2 3", {}, "(arctan2@3 L1,1 R11,1 N:2 N:3)"},
        {U"arctan21", {}, "(arctan2@1 L1,0 R8,1 _ N:1)"},
        {U"arctan 2", {}, "(arctan@1 L1,0 R8,1 _ N:2)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(zref::ToUtf8(c.text));
        const zref::Outcome out = zref::ParseAndDump(c.text, MakeNames(c.vars, c.withAngles));
        EXPECT_TRUE(out.ok) << "code " << out.code << " at " << out.position;
        EXPECT_EQ(out.dump, c.dump);
        EXPECT_EQ(out.code, 0);
        EXPECT_EQ(out.position, -1);
    }
}

// Digit-tail names: longest letter part first, then longest digit tail.
TEST(ReferenceParser, PrefersLongestDigitTailName) {
    zref::Names names;
    names.isVariable = [](const std::u32string&) { return false; };
    names.findOperator = [](const std::u32string& n) -> std::optional<zref::OpInfo> {
        if (n == U"ab1" || n == U"ab12" || n == U"b123") return zref::OpInfo{3, 3};
        return std::nullopt;
    };
    const zref::Outcome out = zref::ParseAndDump(U"ab123", names);
    EXPECT_TRUE(out.ok);
    EXPECT_EQ(out.dump, "(ab12@1 L1,0 R5,1 _ N:3)");
}

struct ErrorCase {
    std::u32string text;
    std::vector<std::u32string> vars;
    int code;
    int position;
    int length;
};

TEST(ReferenceParser, ReportsErrors) {
    const std::vector<ErrorCase> cases = {
        // Parentheses.
        {U"(1+2", {}, 6, 5, 0},
        {U"1+2)", {}, 5, 4, 1},
        {U")(", {}, 5, 1, 1},
        // Operand on a side the operator does not take.
        {U"2 sin 30", {}, 4, 1, 1},
        {U"3! 2", {}, 4, 4, 1},
        {U"3!   2", {}, 4, 6, 1},
        {U"random 5", {}, 4, 1, 0},
        {U"1 random 2", {}, 4, 1, 1},
        // No implicit multiplication.
        {U"2pi", {}, 2, 1, 3},
        {U"2x", {}, 1, 2, 1},
        {U"2x", {U"x"}, 2, 1, 2},
        {U"x1", {U"x1"}, 1, 1, 1},
        // Numbers.
        {U"1,5", {}, 2, 1, 3},
        {U"1e", {}, 1, 2, 1},
        {U"x1e5", {U"x"}, 1, 3, 1},
        {U"1e99999", {U"e"}, 2, 1, 7},
        {U"1 2", {}, 2, 1, 3},
        {U"1..2", {}, 2, 1, 4},
        // Unknown names: rightmost first, whole unknown run, code points.
        {U"foo + bar", {}, 1, 7, 3},
        {U"2*(3+foo)", {}, 1, 5, 4},
        {U"\t5", {}, 1, 1, 1},
        {U"\t1,5", {U"\t"}, 2, 1, 4},
        // A tab is a name character; as a variable it is skipped, and the
        // leaf text keeps it, so it is no number.
        {U"\t5", {U"\t"}, 2, 1, 2},
        {U"(1)foo", {}, 1, 4, 3},
        // Unwraps to "1)(foo 2": "(" does not end the run "(foo".
        {U"(1)(foo 2)", {}, 1, 4, 4},
        {U"2\u00D73", {}, 1, 2, 1},
        {U"\u00D1+1", {U"\u00F1"}, 1, 1, 1},
        // Nested positions and order: left operand before right.
        {U"2*(3+1.2.3)", {}, 2, 6, 5},
        {U"1.2.3+(foo)", {}, 2, 1, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(zref::ToUtf8(c.text));
        const zref::Outcome out = zref::ParseAndDump(c.text, MakeNames(c.vars));
        EXPECT_FALSE(out.ok) << out.dump;
        EXPECT_EQ(out.code, c.code);
        EXPECT_EQ(out.position, c.position);
        EXPECT_EQ(out.length, c.length);
        EXPECT_EQ(out.dump, "");
    }
}

}  // namespace
