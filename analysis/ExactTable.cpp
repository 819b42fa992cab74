#include "analysis/ExactTable.h"

#include "engine/Utf8.h"

#include <cmath>

namespace analysis {

namespace {

// The exact value of `text` in `parser`, a calculation of numbers.
std::optional<TFraction> ExactOf(TMathParser& parser, const std::string& text)
{
    try {
        const TExpression e(parser, text);
        long double value;
        if (!e.TryEvaluate(value)) return std::nullopt;
        return ExactRational(e.Tree(), utf8::Decode(text), {}, value);
    } catch (const EMathParserException&) {
        return std::nullopt;
    }
}

} // namespace

TExactRows::TExactRows(const std::string& from, const std::string& step)
    : FFrom(from), FStep(step), FParser(std::make_unique<TMathParser>())
{
    FExact = ExactOf(*FParser, from).has_value() && ExactOf(*FParser, step).has_value();
}

std::optional<TFraction> TExactRows::X(int64_t row) const
{
    if (!FExact) return std::nullopt;
    return ExactOf(*FParser, "(" + FFrom + ")+" + std::to_string(row) + "*(" + FStep + ")");
}

TExactColumn::TExactColumn(const TExpression& f) : FParser(f.SharedParser())
{
    if (!FParser || f.Tree() == nullptr) return;
    const std::string text = f.Text();
    try {
        FCopy.emplace(FParser, text);
        FText = utf8::Decode(text);
    } catch (const EMathParserException&) {
        FCopy.reset();
    }
}

std::optional<TFraction> TExactColumn::At(const TFraction& x, long double value, long double near) const
{
    if (!FCopy) return std::nullopt;
    FParser->SetConstant("x", value);
    long double y;
    if (!FCopy->TryEvaluate(y)) return std::nullopt;
    const std::string xText = (x.Negative ? "-" : "") + x.Numerator + "/" + x.Denominator;
    const TValueTextOf given = [&xText](const TVariableEntry& entry) -> const std::string* {
        return entry.Name == "x" ? &xText : nullptr;
    };
    return ExactRational(FCopy->Tree(), FText, given, y, near);
}

std::optional<TFraction> ExactZero(const TExpression& f, long double x)
{
    if (!std::isfinite(x) || x == std::floor(x) || std::fabs(x) > 1e12L) return std::nullopt;
    const TExactColumn column(f);
    // Convergents p/q of x: h(k) = a(k) h(k-1) + h(k-2), the same for k.
    long double rest = x;
    long long h0 = 1, h1 = 0, k0 = 0, k1 = 1; // h(-1), h(-2), k(-1), k(-2)
    for (int step = 0; step < 40; ++step) {
        const long double a = std::floor(rest);
        if (std::fabs(a) > 1e12L) break;
        const long long ai = static_cast<long long>(a);
        const long long h = ai * h0 + h1, k = ai * k0 + k1;
        if (k > 1000000) break;
        h1 = h0, h0 = h, k1 = k0, k0 = k;
        const long double value = static_cast<long double>(h) / static_cast<long double>(k);
        if (k > 1 && std::fabs(value - x) <= std::fabs(x) * 0x1p-40L) {
            TFraction candidate;
            candidate.Negative = h < 0;
            candidate.Numerator = std::to_string(h < 0 ? -h : h);
            candidate.Denominator = std::to_string(k);
            // f at the extended x is a rounding off 0.
            const std::optional<TFraction> y = column.At(candidate, value, 1e-9L);
            if (y && y->Text() == "0") {
                candidate.Whole = std::to_string((h < 0 ? -h : h) / k);
                candidate.Remainder = std::to_string((h < 0 ? -h : h) % k);
                return candidate;
            }
        }
        const long double fraction = rest - a;
        if (fraction == 0) break;
        rest = 1 / fraction;
    }
    return std::nullopt;
}

} // namespace analysis
