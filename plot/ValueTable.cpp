#include "plot/ValueTable.h"

#include "engine/MathParser.h"
#include "engine/NumberFormat.h"

#include <cmath>

namespace plot {

namespace {

constexpr int64_t kBlockRows = 1024;

std::string Field(const std::string& text, const std::string& separator)
{
    if (text.find(separator) == std::string::npos && text.find_first_of("\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

TTableCheck CheckTableRange(const TTableRange& range, int64_t& rows)
{
    rows = 0;
    if (!std::isfinite(range.From) || !std::isfinite(range.To) || !std::isfinite(range.Step))
        return TTableCheck::NotFinite;
    if (range.From == range.To) {
        rows = 1;
        return TTableCheck::Ok;
    }
    if (range.Step == 0) return TTableCheck::ZeroStep;
    const long double steps = (range.To - range.From) / range.Step;
    if (steps < 0) return TTableCheck::WrongWay;
    // A quotient a little under a whole number is that number: -2 to 2 in
    // steps of 0.1 has 41 rows.
    const long double whole = std::floor(steps * (1 + 0x1p-50L) + 0x1p-50L);
    if (!(whole < static_cast<long double>(kMaxTableRows))) {
        rows = whole < 0x1p62L ? static_cast<int64_t>(whole) + 1 : INT64_MAX;
        return TTableCheck::TooManyRows;
    }
    rows = static_cast<int64_t>(whole) + 1;
    return TTableCheck::Ok;
}

struct TValueTable::TBlock {
    std::vector<long double> Values; // function by function, kBlockRows each
    std::unique_ptr<bool[]> Ok;
};

TValueTable::TValueTable(TFunctionList functions, const TTableRange& range,
                         int64_t rows)
    : FFunctions(std::move(functions)), FRange(range), FRows(rows),
      FBlocks(static_cast<std::size_t>((rows + kBlockRows - 1) / kBlockRows))
{
}

TValueTable::~TValueTable() = default;

long double TValueTable::X(int64_t row) const
{
    const long double x = FRange.From + static_cast<long double>(row) * FRange.Step;
    // The last row ends the table on To when it lies on the steps.
    if (row == FRows - 1 && std::fabs(x - FRange.To) <= std::fabs(FRange.Step) * 0x1p-40L) return FRange.To;
    return x;
}

TValueTable::TBlock& TValueTable::BlockOf(int64_t row)
{
    std::unique_ptr<TBlock>& block = FBlocks[static_cast<std::size_t>(row / kBlockRows)];
    if (block) return *block;
    block = std::make_unique<TBlock>();
    const int64_t first = row / kBlockRows * kBlockRows;
    const auto count = static_cast<std::size_t>(std::min(kBlockRows, FRows - first));
    std::vector<long double> xs(count);
    for (std::size_t k = 0; k < count; ++k) xs[k] = X(first + static_cast<int64_t>(k));
    block->Values.resize(FFunctions.size() * kBlockRows);
    block->Ok.reset(new bool[FFunctions.size() * kBlockRows]());
    for (std::size_t f = 0; f < FFunctions.size(); ++f)
        FFunctions[f]->EvaluateBatch("x", xs.data(), count, block->Values.data() + f * kBlockRows,
                              block->Ok.get() + f * kBlockRows);
    return *block;
}

bool TValueTable::Value(int64_t row, int f, long double& value)
{
    TBlock& block = BlockOf(row);
    const std::size_t at = static_cast<std::size_t>(f) * kBlockRows + static_cast<std::size_t>(row % kBlockRows);
    value = block.Values[at];
    return block.Ok[at];
}

std::string TValueTable::FailureReason(int64_t row, int f)
{
    long double value;
    if (Value(row, f, value)) return {};
    const TExpression& function = *FFunctions[static_cast<std::size_t>(f)];
    function.Parser()->SetConstant("x", X(row));
    if (function.TryEvaluate(value)) return {};
    return function.Parser()->ErrorMessage();
}

std::string TValueTable::Text(int64_t first, int64_t end, const std::vector<std::string>& headers, int digits,
                              const std::string& decimalMark, const std::string& separator)
{
    auto number = [&](long double v) {
        std::string text = FormatGeneral(v, digits);
        const std::size_t point = text.find('.');
        if (point != std::string::npos) text.replace(point, 1, decimalMark);
        return Field(text, separator);
    };
    std::string out = "x";
    for (const std::string& h : headers) out += separator + Field(h, separator);
    out += '\n';
    for (int64_t row = first; row < end; ++row) {
        out += number(X(row));
        for (int f = 0; f < Functions(); ++f) {
            out += separator;
            long double v;
            if (Value(row, f, v)) out += number(v);
        }
        out += '\n';
    }
    return out;
}

} // namespace plot
