// The exact value of a calculation made of decimal numbers and the
// operations that keep fractions fractions: + - * /, whole powers,
// parentheses, signs, abs, max, min, mod, div, floor, ceil, fact, comb,
// perm and calls of notebook functions built from those.  It is computed
// in rationals of big integers beside the extended value, which it never
// changes, and gives up (no fraction) on anything else or past a size.
#pragma once

#include "engine/MathParser.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Rationals past this many decimal digits (numerator or denominator) are
// not followed: the calculation is then decimal only.
constexpr int kExactDigits = 2000;
// The largest denominator shown as a fraction, in digits.
constexpr int kFractionDenominatorDigits = 10;

// A fraction in lowest terms (a whole number has the denominator 1).
struct TFraction {
    bool Negative = false;
    std::string Numerator;   // of the improper fraction, without sign
    std::string Denominator; // at most kFractionDenominatorDigits digits
    std::string Whole;       // the whole part of the mixed number ("0" below 1)
    std::string Remainder;   // its numerator: Whole*Denominator + Remainder = Numerator

    // "7/2", "-1/3"; a whole number as itself ("-4").
    std::string Text() const;
    // "3 1/2", "-3 1/2"; the fraction itself below 1 ("1/3").
    std::string Mixed() const;
};

// The text of a named value as the notebook has it ("0.75"), or a
// fraction's text ("7/3"); null when the value is not one of those (a
// constant, a computed value).
using TValueTextOf = std::function<const std::string*(const TVariableEntry&)>;

// The exact value of `root`, parsed from `text` by `parser`, when it is a
// fraction to show: every number in it written in decimal (a named value's
// text given by `valueText`), every operation one of the list above, the
// sizes within kExactDigits, the value not whole, its denominator within
// kFractionDenominatorDigits, and agreeing with `extended`, the value the
// engine computed.  Otherwise nothing.
std::optional<TFraction> ExactFraction(const TParseNode* root, std::u32string_view text, const TValueTextOf& valueText,
                                       long double extended);

// The exact value of `root` as ExactFraction reads it, whole or not and
// whatever its denominator (within kExactDigits), agreeing with `extended`
// to the extended format's rounding or within `near` (for an exact 0 whose
// extended value is a rounding off it); nothing where it cannot be followed.
std::optional<TFraction> ExactRational(const TParseNode* root, std::u32string_view text, const TValueTextOf& valueText,
                                       long double extended, long double near = 0);
