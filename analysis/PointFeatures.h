// The notable points of a function that need neither its zeros nor its
// turns: where its curve meets the y axis, its vertical asymptotes and the
// ends of its domain.  No Qt here.
//
// From the samples of the notable-point grid:
// - the y-intercept is f(0), when f is defined there;
// - where a defined sample has an undefined neighbour, the end of the
//   domain between them is halved down to adjacent values.  When |f|
//   grows without bound towards it (1/x at 0, ln x at 0) it is a vertical
//   asymptote, otherwise an end of the domain (sqrt(4 - x^2) at -2 and 2);
// - a sign change between samples where |f| is larger than one step
//   further out on both sides (1/(x - 1), tan x) is halved down to
//   adjacent values, and a sample where |f| peaks at more than twice a
//   neighbour (1/x^2) is searched by golden section on |f|; either is an
//   asymptote when |f| grows without bound towards the point from both
//   sides, not when it levels off (a narrow smooth peak) or keeps its size
//   (a jump).
// "Grows without bound": |f| at distances h, h 2^-20, h 2^-40 and h 2^-60
// from the point grows each time, to at least 4 times the first, and still
// by a tenth over the last step (a logarithm does; a bounded f does not).
#pragma once

#include "analysis/NotablePoints.h"

#include <functional>
#include <vector>

namespace analysis {

// f(x): false when f cannot be evaluated at x.
using TPointFunction = std::function<bool(long double x, long double& y)>;

// Appends to `points` function `function`'s y-intercept, then its vertical
// asymptotes (y unknown: YDigits 0), then the ends of its domain, each by
// increasing x, from its samples `ys` (defined where `ok`) at `xs`, `step`
// apart, and from f itself; at most kMaxPointsEach of each kind, from the
// left (true when some were left out).
bool FindFeaturePoints(const std::vector<long double>& xs, const long double* ys, const bool* ok, long double step,
                       const TPointFunction& f, int function, std::vector<TNotablePoint>& points);

// Whether |f| grows without bound towards p from the side `side` (+1: from
// the right, -1: from the left), starting `h` away.
bool GrowsWithoutBound(const TPointFunction& f, long double p, int side, long double h, long double step);

} // namespace analysis
