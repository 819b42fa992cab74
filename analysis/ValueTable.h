// The table of values of the plotted functions, free of any toolkit: the
// rows from a start to an end with a step, each function's values computed
// a block of rows at a time on first need, through the batch evaluator,
// and the table written as text for the clipboard or a CSV file.
#pragma once

#include "analysis/Functions.h"

class TSampler;

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace analysis {

constexpr int64_t kMaxTableRows = 100000;

// A number written in decimal, held exactly: Digits x 10^Exponent.
struct TDecimal {
    __int128 Digits = 0;
    int Exponent = 0;
};

// `text` as an exact decimal when it is a plain number ("0.1", "-2.5e-3",
// blanks around); false for anything else: an expression ("pi/2", "1/10"),
// more than 36 significant digits, an exponent beyond +-100000.
bool ReadDecimal(std::string_view text, TDecimal& value);
// The 80-bit value nearest `decimal`, as the engine reads a typed number;
// false when it overflows.
bool DecimalValue(const TDecimal& decimal, long double& value);

// How the rows of a table are laid out: x = From + i Step, from From
// towards To; the last row is To itself when To lies on the steps (within
// rounding).
//
// When From and Step were typed as plain decimals (ExactFrom, ExactStep),
// each row's x is From + i Step worked out in decimal and then read as the
// engine reads a typed number (the 80-bit value nearest that decimal): the
// row shown "0.3" is the x of the typed number 0.3, and -0.9 + 9 x 0.1 is
// exactly 0.  With ExactTo too, the number of rows is counted in decimal.
// Otherwise (a bound such as pi/2) x is computed in binary from the values.
struct TTableRange {
    TTableRange() = default;
    TTableRange(long double from, long double to, long double step) : From(from), To(to), Step(step) {}

    long double From = -10, To = 10, Step = 1;
    std::optional<TDecimal> ExactFrom, ExactTo, ExactStep;
};

enum class TTableCheck {
    Ok,
    NotFinite,     // a bound or the step is infinite or not a number
    ZeroStep,      // the step is 0 and the bounds differ
    WrongWay,      // the step leads away from To
    TooManyRows,   // more than kMaxTableRows
};

// The number of rows of `range` (at least 1), or why there is no table;
// `rows` is set for TooManyRows too (saturated at the 64-bit limit).
TTableCheck CheckTableRange(const TTableRange& range, int64_t& rows);

class TValueTable {
public:
    // The functions are expressions in "x" of one parser, evaluated through
    // it when a row is first asked for.  `rows` comes from CheckTableRange.
    TValueTable(TFunctionList functions, const TTableRange& range, int64_t rows);
    // A table of `columns` columns whose rows are computed elsewhere, a
    // block at a time (BlockXs, Evaluate, SetBlock): on another thread,
    // through samplers.
    TValueTable(int columns, const TTableRange& range, int64_t rows);
    ~TValueTable();

    int64_t Rows() const { return FRows; }
    int Functions() const { return FColumns; }
    long double X(int64_t row) const;
    // Function `f` at `row`: false for a failed sample (or a row not computed).
    bool Value(int64_t row, int f, long double& value);
    // The engine's message for a failed sample, empty for a good one
    // (tables of functions only).
    std::string FailureReason(int64_t row, int f);

    // The rows are computed in blocks of kBlockRows.
    static constexpr int64_t kBlockRows = 1024;
    int64_t Blocks() const { return static_cast<int64_t>(FBlocks.size()); }
    bool Ready(int64_t block) const { return FBlocks[static_cast<std::size_t>(block)] != nullptr; }
    std::vector<long double> BlockXs(int64_t block) const;
    // Each column's values at `xs` (column after column) and whether each
    // could be computed; a value that is no number (a derivative's mark)
    // could not.
    struct TBlockValues {
        std::vector<long double> Values;
        std::vector<char> Ok;
    };
    // A column without a sampler has no value anywhere.
    static TBlockValues Evaluate(std::vector<std::optional<TSampler>>& columns, const std::vector<long double>& xs);
    void SetBlock(int64_t block, TBlockValues values);

    // Rows [first, end) as text: a header row ("x" and `headers`), then
    // each row's numbers in the general format with `digits` significant
    // digits and `decimalMark` for the point; fields split by `separator`
    // (quoted when they hold it, a quote or a line break); a failed sample
    // is an empty field; every line ends with "\n".
    std::string Text(int64_t first, int64_t end, const std::vector<std::string>& headers, int digits,
                     const std::string& decimalMark, const std::string& separator);

private:
    struct TBlock;
    TBlock* BlockOf(int64_t row);

    TFunctionList FFunctions;
    int FColumns;
    TTableRange FRange;
    int64_t FRows;
    // From and Step on one decimal exponent, when the rows are decimals.
    bool FDecimalRows = false;
    __int128 FDecimalFrom = 0, FDecimalStep = 0;
    int FDecimalExponent = 0;
    std::vector<std::unique_ptr<TBlock>> FBlocks;
};

} // namespace analysis
