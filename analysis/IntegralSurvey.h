// The integrator's first look at the interval: f on a grid of 1025 points.
// It names a stretch where f has no value, and finds where the interval is
// to be split: points where f fails, sign changes where |f| does not shrink
// (a pole, a jump across 0), jumps (floor x, x mod 3, x/abs x), each placed
// by halving down to adjacent values, lone peaks climbed to a singular
// point, and for an area every crossing the grid sees.  Its samples stay,
// for the segments to be checked against.
#pragma once

#include "analysis/Quadrature.h"

#include <vector>

namespace analysis::quadrature {

constexpr int kSurveyGrid = 1024;

struct TSurvey {
    TSamples Samples;
    std::vector<long double> Splits; // inside ]a, b[, increasing
    long double AbsEstimate = 0;     // the trapezoids of |f| on the grid
    long double SplitError = 0;      // from the brackets of the splits
    long double BoundError = 0;      // |f(a)| ulp(a)/2 + |f(b)| ulp(b)/2: a and b are rounded too
    bool Undefined = false;          // f fails on [From, To], wider than a point
    long double From = 0, To = 0;
};

// Looks at f on [a, b] (a < b); `area`: the crossings split too.
TSurvey Survey(TContext& c, long double a, long double b, bool area);

} // namespace analysis::quadrature
