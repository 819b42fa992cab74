#include "analysis/ValueTable.h"

#include "engine/MathParser.h"
#include "engine/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

constexpr int64_t kBlockRows = TValueTable::kBlockRows;

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

// a x 10^by, false on overflow.
bool Scale(__int128 a, int by, __int128& out)
{
    if (by < 0 || by > 38) return false;
    for (int k = 0; k < by; ++k)
        if (__builtin_mul_overflow(a, 10, &a)) return false;
    out = a;
    return true;
}

// `a` and `b` on the smaller of their exponents.
bool Align(const TDecimal& a, const TDecimal& b, __int128& da, __int128& db, int& exponent)
{
    exponent = std::min(a.Exponent, b.Exponent);
    return Scale(a.Digits, a.Exponent - exponent, da) && Scale(b.Digits, b.Exponent - exponent, db);
}

std::string DecimalText(__int128 digits, int exponent)
{
    const bool negative = digits < 0;
    unsigned __int128 magnitude = negative ? -static_cast<unsigned __int128>(digits) : digits;
    std::string text;
    do {
        text.insert(text.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    return (negative ? "-" : "") + text + "e" + std::to_string(exponent);
}

// The rows of an all-decimal range counted exactly; false when the numbers
// do not fit (then the binary count applies).
bool CheckDecimalRange(const TTableRange& range, TTableCheck& check, int64_t& rows)
{
    if (!range.ExactFrom || !range.ExactTo || !range.ExactStep) return false;
    __int128 from, to, step, ignored;
    int exponent, e2;
    if (!Align(*range.ExactFrom, *range.ExactTo, from, to, exponent)) return false;
    if (!Align({0, exponent}, *range.ExactStep, ignored, step, e2)) return false;
    if (e2 < exponent && (!Scale(from, exponent - e2, from) || !Scale(to, exponent - e2, to))) return false;
    __int128 span;
    if (__builtin_sub_overflow(to, from, &span)) return false;
    if (span == 0) {
        check = TTableCheck::Ok;
        rows = 1;
    } else if (step == 0) {
        check = TTableCheck::ZeroStep;
    } else if ((span < 0) != (step < 0)) {
        check = TTableCheck::WrongWay;
    } else {
        const __int128 whole = span / step;
        check = whole < kMaxTableRows ? TTableCheck::Ok : TTableCheck::TooManyRows;
        rows = whole < INT64_MAX ? static_cast<int64_t>(whole) + 1 : INT64_MAX;
    }
    return true;
}

} // namespace

bool ReadDecimal(std::string_view text, TDecimal& value)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    const auto blanks = [&] {
        while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    };
    blanks();
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        negative = text[i++] == '-';
        blanks();
    }
    __int128 digits = 0;
    int exponent = 0, significant = 0;
    bool any = false, point = false;
    for (; i < n; ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') break;
        any = true;
        if (point) --exponent;
        if (digits == 0 && c == '0') continue;
        if (++significant > 36) return false;
        digits = digits * 10 + (c - '0');
    }
    if (!any) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool down = i < n && text[i] == '-';
        if (i < n && (text[i] == '-' || text[i] == '+')) ++i;
        int power = 0;
        const std::size_t start = i;
        for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
            power = power * 10 + (text[i] - '0');
            if (power > 100000) return false;
        }
        if (i == start) return false;
        exponent += down ? -power : power;
    }
    blanks();
    if (i != n) return false;
    value = {negative ? -digits : digits, exponent};
    return true;
}

bool DecimalValue(const TDecimal& decimal, long double& value)
{
    return ParseDecimal(DecimalText(decimal.Digits, decimal.Exponent), value);
}

TTableCheck CheckTableRange(const TTableRange& range, int64_t& rows)
{
    rows = 0;
    TTableCheck decimal;
    if (CheckDecimalRange(range, decimal, rows)) return decimal;
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
    std::vector<char> Ok;
};

TValueTable::TValueTable(TFunctionList functions, const TTableRange& range, int64_t rows)
    : TValueTable(static_cast<int>(functions.size()), range, rows)
{
    FFunctions = std::move(functions);
}

TValueTable::TValueTable(int columns, const TTableRange& range, int64_t rows)
    : FColumns(columns), FRange(range), FRows(rows), FBlocks(static_cast<std::size_t>((rows + kBlockRows - 1) / kBlockRows))
{
    __int128 last;
    FDecimalRows = FRange.ExactFrom && FRange.ExactStep &&
                   Align(*FRange.ExactFrom, *FRange.ExactStep, FDecimalFrom, FDecimalStep, FDecimalExponent) &&
                   !__builtin_mul_overflow(FDecimalStep, static_cast<__int128>(std::max<int64_t>(rows, 1)), &last) &&
                   !__builtin_add_overflow(FDecimalFrom, last, &last);
}

TValueTable::~TValueTable() = default;

long double TValueTable::X(int64_t row) const
{
    long double x;
    if (!FDecimalRows || !ParseDecimal(DecimalText(FDecimalFrom + row * FDecimalStep, FDecimalExponent), x))
        x = FRange.From + static_cast<long double>(row) * FRange.Step;
    // The last row ends the table on To when it lies on the steps.
    if (row == FRows - 1 && std::fabs(x - FRange.To) <= std::fabs(FRange.Step) * 0x1p-40L) return FRange.To;
    return x;
}

std::vector<long double> TValueTable::BlockXs(int64_t block) const
{
    const int64_t first = block * kBlockRows;
    std::vector<long double> xs(static_cast<std::size_t>(std::min(kBlockRows, FRows - first)));
    for (std::size_t k = 0; k < xs.size(); ++k) xs[k] = X(first + static_cast<int64_t>(k));
    return xs;
}

TValueTable::TBlockValues TValueTable::Evaluate(std::vector<std::optional<TSampler>>& columns,
                                                const std::vector<long double>& xs)
{
    TBlockValues out;
    out.Values.resize(columns.size() * kBlockRows);
    out.Ok.assign(columns.size() * kBlockRows, 0);
    std::unique_ptr<bool[]> ok(new bool[xs.size()]);
    for (std::size_t f = 0; f < columns.size(); ++f) {
        long double* values = out.Values.data() + f * kBlockRows;
        if (!columns[f]) continue;
        columns[f]->Evaluate(xs.data(), xs.size(), values, ok.get());
        for (std::size_t k = 0; k < xs.size(); ++k) out.Ok[f * kBlockRows + k] = ok[k] && !std::isnan(values[k]);
    }
    return out;
}

void TValueTable::SetBlock(int64_t block, TBlockValues values)
{
    auto b = std::make_unique<TBlock>();
    b->Values = std::move(values.Values);
    b->Ok = std::move(values.Ok);
    FBlocks[static_cast<std::size_t>(block)] = std::move(b);
}

// The block of `row`, computed through the functions' parser when this
// table has them; null when it is not computed yet.
TValueTable::TBlock* TValueTable::BlockOf(int64_t row)
{
    std::unique_ptr<TBlock>& block = FBlocks[static_cast<std::size_t>(row / kBlockRows)];
    if (block || FFunctions.empty()) return block.get();
    block = std::make_unique<TBlock>();
    const std::vector<long double> xs = BlockXs(row / kBlockRows);
    const std::size_t count = xs.size();
    block->Values.resize(FFunctions.size() * kBlockRows);
    std::unique_ptr<bool[]> ok(new bool[count]);
    block->Ok.assign(FFunctions.size() * kBlockRows, 0);
    for (std::size_t f = 0; f < FFunctions.size(); ++f) {
        FFunctions[f]->EvaluateBatch("x", xs.data(), count, block->Values.data() + f * kBlockRows, ok.get());
        for (std::size_t k = 0; k < count; ++k) block->Ok[f * kBlockRows + k] = ok[k];
    }
    return block.get();
}

bool TValueTable::Value(int64_t row, int f, long double& value)
{
    TBlock* block = BlockOf(row);
    value = 0;
    if (block == nullptr) return false;
    const std::size_t at = static_cast<std::size_t>(f) * kBlockRows + static_cast<std::size_t>(row % kBlockRows);
    value = block->Values[at];
    return block->Ok[at] && !std::isnan(value); // a derivative's mark is no value
}

std::string TValueTable::FailureReason(int64_t row, int f)
{
    long double value;
    if (Value(row, f, value) || FFunctions.empty()) return {};
    const TExpression& function = *FFunctions[static_cast<std::size_t>(f)];
    function.Parser()->SetConstant("x", X(row));
    if (function.TryEvaluate(value)) return std::isnan(value) ? "No tiene derivada en este punto" : std::string();
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

} // namespace analysis
