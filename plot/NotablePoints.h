// The notable points of the plotted functions, free of any toolkit: for x
// in [-S, S], the zeros and the local maxima and minima of each function and
// the intersections of every pair, each refined with the 80-bit evaluator
// on the function itself (never on pixels).
//
// The functions are sampled through the batch evaluator on a grid of step
// 0.01 (wider only past 400,000 steps); then
// - a sign change between two samples is shrunk by halving to two adjacent
//   representable values of x.  It is a zero only if |f| shrank with the
//   bracket: when |f| grows or stays (a pole such as 1/x, a jump) or an
//   evaluation in the bracket fails, nothing is reported.  A sample that is
//   exactly 0 is a zero; a run of such samples (f = 0 on a stretch) is not;
// - a sample above (below) both neighbours, or two equal ones, brackets a
//   maximum (minimum), searched by golden section on the values.  x is
//   then the shortest decimal near the found point whose value is as good
//   (x = 1 for the minimum of x^3 - 3x, not 1.00000000003...).  A search
//   that fails an evaluation or climbs far beyond the samples (a pole) is
//   dropped, as are flat stretches;
// - an extreme whose value is 0 within the precision of its x (smaller
//   than the change of f across that precision) is a zero too;
// - intersections are the zeros of f - g found the same way, tangencies
//   included.
#pragma once

#include "plot/Functions.h"

#include <cstddef>
#include <cstdint>
#include <vector>


namespace plot {

enum class TPointKind { Zero, Maximum, Minimum, Intersection };

struct TNotablePoint {
    TPointKind Kind;
    int Function;   // the function, or the first one of an intersection
    int Other;      // the second function of an intersection, else -1
    long double X, Y;
};

struct TNotablePoints {
    // Each function's zeros, then its extremes, then the intersections of
    // each pair; by increasing x within each group.
    std::vector<TNotablePoint> Points;
    // Some function or pair had more than kMaxPointsEach points, of which
    // only the first (from the left) are listed.
    bool Truncated = false;
};

constexpr std::size_t kMaxPointsEach = 500;
constexpr int64_t kMaxNotableSteps = 400000;

// `functions` are expressions in "x" of one parser; S = `range`.
TNotablePoints FindNotablePoints(const TFunctionList& functions, int range);

} // namespace plot
