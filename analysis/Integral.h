// Definite integrals of the plotted functions, free of any toolkit: the
// integral of f from a to b and the area between two curves, in 80-bit
// extended precision, with an error estimate meant to bound the error made,
// and never a digit shown that the estimate does not vouch for.
//
// 1. The survey (IntegralSurvey.h) samples f on a grid of 1025 points.  A
//    stretch where f has no value ends the integral, named from where to
//    where (its ends by the shortest decimal in the final bracket: 0, not
//    -3.6E-4951); a point where it fails (1/x at 0, x/(exp x - 1) on
//    ]0, 2^-64]) splits the interval.  So do sign changes where |f| does
//    not shrink (a pole, a jump across 0), lone large steps between samples
//    that halving down to adjacent values shows to be jumps (floor x,
//    x mod 3, steps made with abs, x/abs x), lone peaks whose top, climbed
//    by golden section, is a singular point, and for an area every crossing.
// 2. Each piece is cut into segments (Quadrature.h).  A segment holds the
//    15-point Kronrod rule on it and on its two halves (cut a little left of
//    the middle, so that where f repeats itself the halves' rules do not
//    repeat the whole's error): no segment is taken before its halves agree
//    with it, first by their embedded 7-point Gauss rules, else by their
//    Kronrod rules, whose sum is then its value.  A survey sample inside
//    it, or f at its ends, that lies outside what its nodes saw adds to its
//    error: a peak seen once is not lost; so does one beyond the outermost
//    nodes that lies far from the polynomial through the nearest ones (a
//    kink between the last node and the end).  The segment with the largest
//    error that halving can lower is halved first, until the error left is
//    below about 19 digits of the value, or only rounding is left (of the
//    sums, and of the nodes' x: f read at a rounded x), or 100000 halvings
//    are spent.
// 3. On the way, a segment whose error falls slowly and whose nodes show
//    one lone step is split where halving places that step; for an area a
//    segment is split at every crossing among its samples, recursively, so
//    that crossings closer than the grid's step are all found.  A segment at
//    an end of its piece that gets below 2^-5 of the piece, and a narrow
//    segment inside it that keeps much of the error (around the top of |f|,
//    or of f's distance from a chord, found by golden section and taken to
//    the shortest decimal next to it, 0 for x^-0.95), hand the point to
//    SingularPoint.h: the stretches halving their distance to it,
//    integrated one by one, and the rest extrapolated from the ratio of
//    their integrals when that ratio is checked over many levels.  Stretches
//    that do not shrink make the integral diverge there; a jump never does.
//    An approach is taken only when it knows more than the segment did and
//    its stretches are smooth; else the segment is halved as any other.
// 4. The error adds up the segments', the singular points' tails, the
//    brackets of the splits, the rounding of the sums, and what the rounding
//    of a and b themselves changes, |f(a)| ulp(a)/2 + |f(b)| ulp(b)/2.  A
//    value with no digit known is NoConvergence, unless it is 0 within the
//    rounding of the integral of |f| (sin x over a period): then it is 0.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace analysis {

// f(x): false when f cannot be evaluated at x.  Called on the integrating
// thread only.
using TIntegrand = std::function<bool(long double x, long double& y)>;

enum class TIntegralOutcome {
    Done,          // Value, with the error estimate Error
    Diverges,      // the integral grows without bound near At
    Undefined,     // f cannot be evaluated on [From, To]
    NoConvergence, // not one digit of the value is known: Reason says why
    Stopped,       // the stop flag was raised
};

struct TIntegral {
    TIntegralOutcome Outcome = TIntegralOutcome::Done;
    long double Value = 0;
    long double Error = 0; // estimated bound of |Value - the integral|
    long double Abs = 0;   // the integral of |f| (of |f - g| for an area)
    long double At = 0;    // Diverges: where; NoConvergence: the point it is about, when Reason names one
    long double From = 0, To = 0; // Undefined: the stretch
    // Where the interval was split (failed points, poles, jumps, singular
    // points and, for an area, crossings), in increasing order.
    std::vector<long double> Splits;
    std::string Reason; // NoConvergence: why, in Spanish, to follow "La integral no converge: "
    // The significant digits of Value that Error vouches for: the largest d
    // (1..18) for which Error is at most half a unit of the d-th significant
    // digit of Value, 0 when there is none (and for Value 0, unless Error is
    // 0 too: then 18).  Value written with Digits() digits is then at most
    // one unit of its last digit from the integral.
    int Digits() const;
};

// The integral of f from a to b (b < a gives the opposite of that from b
// to a).  `stop`, when given, is read now and then: once it is true the
// result is Stopped.  `progress`, when given, is told the percentage done
// now and then, increasing, on the integrating thread.
TIntegral Integrate(const TIntegrand& f, long double a, long double b, const std::atomic<bool>* stop = nullptr,
                    const std::function<void(int percent)>& progress = {});
// The area between the curves of f and g for x from a to b: the integral of
// |f - g|, split where the curves cross.
TIntegral AreaBetween(const TIntegrand& f, const TIntegrand& g, long double a, long double b,
                      const std::atomic<bool>* stop = nullptr, const std::function<void(int percent)>& progress = {});

// The text that shows a result: for Done, `what` = the value with at most
// min(digits, Digits()) significant digits and the error estimate; for the
// other outcomes the sentence that says what happened, with its points in
// at most `digits` (and 15) digits.  No value is shown without a digit known.
std::string IntegralText(const TIntegral& r, const std::string& what, int digits);

} // namespace analysis
