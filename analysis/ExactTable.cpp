#include "analysis/ExactTable.h"

#include "engine/Utf8.h"

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

std::optional<TFraction> TExactColumn::At(const TFraction& x, long double value) const
{
    if (!FCopy) return std::nullopt;
    FParser->SetConstant("x", value);
    long double y;
    if (!FCopy->TryEvaluate(y)) return std::nullopt;
    const std::string xText = (x.Negative ? "-" : "") + x.Numerator + "/" + x.Denominator;
    const TValueTextOf given = [&xText](const TVariableEntry& entry) -> const std::string* {
        return entry.Name == "x" ? &xText : nullptr;
    };
    return ExactRational(FCopy->Tree(), FText, given, y);
}

} // namespace analysis
