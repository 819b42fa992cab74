// The integral beside a point p where f is singular, fails or jumps: the
// stretches [p + w 2^-(k+1), p + w 2^-k] (k = 0, 1, ...) integrated one by
// one, as close to p as x can get, and the rest up to p from how their
// integrals shrink.
//
// Beside an integrable singularity (x^-0.99, 1/sqrt x, ln x, a jump) the
// integrals of the stretches shrink geometrically, by a ratio that settles
// to a constant (2^(a-1) for x^-a); beside a divergence (1/x, 1/x^2, tan x
// at a pole) they do not shrink.  The rest up to p is the geometric tail
// I_k r / (1 - r).  Its error comes from how much r may still move: the
// ratio counts as checked only when its changes shrink level after level
// over a window of many levels; otherwise the tail is at most its bound
// from the largest ratio seen and adds no digits (its error is all of it),
// and when not even that bound holds, the integral cannot be bounded.
#pragma once

#include "analysis/Quadrature.h"

#include <vector>

namespace analysis::quadrature {

struct TApproach {
    enum TEnd {
        Converges, // Value with Error
        Diverges,  // the stretches' integrals do not shrink
        Undefined, // f fails on [From, To] beside p, wider than a point
        Unbounded, // no bound for the rest up to p, or a stretch beside p that is not smooth
        Stopped,
    } End = Converges;
    long double Value = 0, Abs = 0, Error = 0;
    long double From = 0, To = 0;
    int Levels = 0; // stretches integrated
};

// The integral of f over the stretch between p and p + side * width (side
// +1 or -1), x increasing; `samples`, when given, check the stretches.
TApproach Approach(TContext& c, long double p, int side, long double width, const TSamples* samples = nullptr);

// The rest of the sum beyond pieces[k] from pieces[0..k] and their errors.
struct TTail {
    bool Bounded = false;
    long double Value = 0, Error = 0;
};
TTail Tail(const std::vector<long double>& pieces, const std::vector<long double>& errors, std::size_t k);

} // namespace analysis::quadrature
