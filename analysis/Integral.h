// Definite integrals of the plotted functions, free of any toolkit: the
// integral of f from a to b and the area between two curves, in 80-bit
// extended precision, with an estimate of the error.
//
// The interval is first sampled on a grid.  Where f fails on a stretch of
// it, the integral is not taken and the stretch is named; where it fails at
// a point only (1/x at 0, a sample on a pole), and where the samples change
// sign without |f| shrinking (a pole, a jump across 0), the interval is
// split there, the point found by halving down to adjacent values.  For an
// area the interval is split at every intersection too.  Each piece is then
// integrated by adaptive Gauss-Kronrod quadrature (7-point Gauss rule,
// 15-point Kronrod rule, never evaluated at a piece's ends), the piece with
// the largest error halved first, until the error estimate is below about
// 18 significant digits or no piece can be halved further.  A piece that
// cannot be halved further with a large error left is a singular point:
// the integrals over the stretches [p + h 2^-(k+1), p + h 2^-k] beside it
// shrink geometrically where the integral converges (ln x, 1/sqrt(x), a
// jump) and do not where it diverges (1/x, 1/x^2).
#pragma once

#include <atomic>
#include <functional>
#include <vector>

namespace analysis {

// f(x): false when f cannot be evaluated at x.  Called on the integrating
// thread only.
using TIntegrand = std::function<bool(long double x, long double& y)>;

enum class TIntegralOutcome {
    Done,      // Value, with the error estimate Error
    Diverges,  // the integral grows without bound near At
    Undefined, // f cannot be evaluated on [From, To]
    Stopped,   // the stop flag was raised
};

struct TIntegral {
    TIntegralOutcome Outcome = TIntegralOutcome::Done;
    long double Value = 0;
    long double Error = 0; // estimated absolute error of Value
    long double At = 0;    // Diverges: where
    long double From = 0, To = 0; // Undefined: the stretch
    // Where the interval was split (failed points, poles, jumps and, for an
    // area, intersections), in increasing order.
    std::vector<long double> Splits;
    // The significant digits of Value that the error estimate leaves (1..18).
    int Digits() const;
};

// The integral of f from a to b (b < a gives the opposite of that from b
// to a).  `stop`, when given, is read now and then: once it is true the
// result is Stopped.
TIntegral Integrate(const TIntegrand& f, long double a, long double b, const std::atomic<bool>* stop = nullptr);
// The area between the curves of f and g for x from a to b: the integral of
// |f - g|, split where the curves cross.
TIntegral AreaBetween(const TIntegrand& f, const TIntegrand& g, long double a, long double b,
                      const std::atomic<bool>* stop = nullptr);

} // namespace analysis
