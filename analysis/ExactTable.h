// The table of values in fractions: each row's x worked out exactly from
// the start and the step as typed ("0", "1/3"), and a function's value at
// it computed exactly where the function keeps fractions fractions (see
// engine/ExactValue.h).  On the thread that owns the functions' parser.
#pragma once

#include "engine/ExactValue.h"
#include "engine/Expression.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace analysis {

// x = from + row * step, exactly, from their texts (numbers, or
// calculations of numbers such as "1/3" or "-2.5"); nothing when either is
// not exact.
class TExactRows {
public:
    TExactRows(const std::string& from, const std::string& step);
    bool Exact() const { return FExact; }
    std::optional<TFraction> X(int64_t row) const;

private:
    std::string FFrom, FStep;
    bool FExact = false;
    std::unique_ptr<TMathParser> FParser;
};

// A function of x whose values are asked for exactly.
class TExactColumn {
public:
    explicit TExactColumn(const TExpression& f);
    // f at x (whose extended value is `value`), exactly; nothing when f
    // does not keep it a fraction there.
    // `near`: how far the extended value may be from an exact 0 (ExactRational).
    std::optional<TFraction> At(const TFraction& x, long double value, long double near = 0) const;

private:
    std::shared_ptr<TMathParser> FParser;
    std::optional<TExpression> FCopy; // f's tree written back and parsed again, with its text
    std::u32string FText;
};

// The zero of f near x as a fraction that is not whole: the continued
// fraction's approximations of x up to the denominator 10^6, each checked
// by computing f there exactly; nothing when no such fraction is a zero.
std::optional<TFraction> ExactZero(const TExpression& f, long double x);

} // namespace analysis
