// The table of values of the plotted functions, free of any toolkit: the
// rows from a start to an end with a step, each function's values computed
// a block of rows at a time on first need, through the batch evaluator,
// and the table written as text for the clipboard or a CSV file.
#pragma once

#include "plot/Functions.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plot {

constexpr int64_t kMaxTableRows = 100000;

// How the rows of a table are laid out: x = From + i Step, from From
// towards To; the last row is To itself when To lies on the steps (within
// rounding).
struct TTableRange {
    long double From = -10, To = 10, Step = 1;
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
    // The functions are expressions in "x" of one parser.  `rows` comes
    // from CheckTableRange.
    TValueTable(TFunctionList functions, const TTableRange& range, int64_t rows);
    ~TValueTable();

    int64_t Rows() const { return FRows; }
    int Functions() const { return static_cast<int>(FFunctions.size()); }
    long double X(int64_t row) const;
    // Function `f` at `row`: false for a failed sample.
    bool Value(int64_t row, int f, long double& value);
    // The engine's message for a failed sample, empty for a good one.
    std::string FailureReason(int64_t row, int f);

    // Rows [first, end) as text: a header row ("x" and `headers`), then
    // each row's numbers in the general format with `digits` significant
    // digits and `decimalMark` for the point; fields split by `separator`
    // (quoted when they hold it, a quote or a line break); a failed sample
    // is an empty field; every line ends with "\n".
    std::string Text(int64_t first, int64_t end, const std::vector<std::string>& headers, int digits,
                     const std::string& decimalMark, const std::string& separator);

private:
    struct TBlock;
    TBlock& BlockOf(int64_t row);

    TFunctionList FFunctions;
    TTableRange FRange;
    int64_t FRows;
    std::vector<std::unique_ptr<TBlock>> FBlocks;
};

} // namespace plot
