// Helpers shared by the engine tests.
#pragma once

#include "engine/MathParser.h"
#include "engine/Expression.h"
#include "engine/NumberFormat.h"

#include <gtest/gtest.h>
#include <string>

namespace testsupport {

struct Failure {
    int code = 0;
    int position = 0;
    int length = 0;
    std::string message;
};

// Parses and evaluates `text` in `parser`; returns the value written with
// 15 digits, or "error" and fills `failure`.
inline std::string Calc(TMathParser& parser, const std::string& text, Failure* failure = nullptr,
                        long double* value = nullptr)
{
    try {
        const TExpression tree(parser, text);
        const long double v = tree.Evaluate();
        if (value) *value = v;
        return FormatGeneral(v, 15);
    } catch (const EMathParserException& e) {
        if (failure) *failure = {e.ErrorCode, e.ErrorPosition, e.ErrorLength, e.ErrorMessage};
        return "error";
    }
}

// The extended value nearest to a decimal text, as the engine reads it.
inline long double Decimal(const char* text)
{
    long double v = 0;
    EXPECT_TRUE(ParseDecimal(text, v)) << text;
    return v;
}

// Restores degrees after a test that switched the angle unit.
struct AngleUnit {
    explicit AngleUnit(bool degrees) { SetAngleUnitQuery([degrees] { return degrees; }); }
    ~AngleUnit() { SetAngleUnitQuery(nullptr); }
};

} // namespace testsupport
