// The integrator's tools (analysis/Integral.h tells the design): f read with
// the stop flag, the 15-point Kronrod rule, segments checked by their two
// halves and by the survey's samples, a small adaptive integration of one
// stretch, and the searches along x that place a jump, a crossing or an
// edge of the domain.
#pragma once

#include "engine/CompensatedSum.h"

#include "analysis/Integral.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <vector>

namespace analysis::quadrature {

constexpr long double kEpsilon = 0x1p-64L; // half the spacing of long doubles above 1
// A stretch where f fails that is at most this part of the interval's scale
// wide is a point (x/(exp x - 1) fails on ]0, 2^-64]), not a gap.
constexpr long double kPointWidth = 0x1p-56L;

// f as the stages read it, the stop flag, the progress and the interval's
// scale (max(|a|, |b|, b - a)).
class TContext {
public:
    TContext(const TIntegrand& f, const std::atomic<bool>* stop, std::function<void(int)> progress, long double scale);
    // f(x) where it is finite; false where f fails or is infinite.
    bool Eval(long double x, long double& y);
    // Once the stop flag was seen raised (it is read every 1024 values of f).
    bool Halted() const { return FHalted; }
    long double Scale() const { return FScale; }
    // Reports `percent` when it is above what was reported.
    void Report(int percent);
    unsigned long long Evaluations() const { return FCount; }

private:
    const TIntegrand& FF;
    const std::atomic<bool>* FStop;
    std::function<void(int)> FProgress;
    long double FScale;
    unsigned long long FCount = 0;
    int FReported = -1;
    bool FHalted = false;
};

// The 15-point Kronrod rule on one stretch.
struct TRule {
    long double Value = 0, Abs = 0; // of f and of |f|
    // What the rounding of the nodes' x can change in Value: 2^-63 times
    // the sum of |f(x_i+1) - f(x_i)| max(|x_i|, |x_i+1|) over the nodes.
    long double Noise = 0;
    double Min = 0, Max = 0;        // f at the nodes
    // i when f(x_i) to f(x_i+1) is one step far larger than all others
    // between the nodes (a jump between them), else -1.
    signed char Jump = -1;
    bool Failed = false;
};
// Where a segment [a, b] is cut in two: a little left of its middle, at
// kCut of its width, so that the parts' rules do not repeat the pattern of
// the whole's where f repeats itself (floor x on [0, 2000]: the rules on
// [0, 2000] and on its two exact halves all miss by the same 104.7).
constexpr long double kCut = 0.4763932022500210303590826331268724L; // 1/2 - (sqrt 5 - 2)/10
long double Cut(long double a, long double b);
// The i-th node (0..14, x increasing) of the rule on [a, b].
long double RuleNode(long double a, long double b, int i);
// `values`, when given, receives f at the 15 nodes; `failedAt` the node where f failed.
TRule Rule(TContext& c, long double a, long double b, long double* values = nullptr, long double* failedAt = nullptr);

// The survey's samples of f, x increasing.
struct TSamples {
    std::vector<long double> X, Y;
    std::vector<char> Ok;
};

// A stretch of a piece of the interval, with the Kronrod rule on it (Whole)
// and on its halves (the two parts either side of Cut): a segment is taken
// only once its halves agree with it.
// First the halves' embedded 7-point Gauss rules are read: when their sum
// agrees with Whole to rounding, Whole is the value.  Else the halves'
// Kronrod rules are completed: the value is their sum and its error how far
// Whole is from it.  The error grows when a sample of f inside (the
// survey's, or its ends') lies outside what the nodes saw, so that a peak
// seen once is not lost, or, beyond the outermost nodes of a half, far from
// the polynomial through the nearest of them (a kink near an end).
struct TSegment {
    long double A = 0, B = 0;
    long double PieceWidth = 0;         // of the piece it lies in
    TRule Whole, Left, Right;
    long double AtA = 0, AtB = 0;       // f at the ends, where HasA, HasB
    bool HasA = false, HasB = false;
    bool PieceA = false, PieceB = false; // A, B is an end of the piece
    bool Failed = false;
    long double FailedAt = 0;           // where f failed, when Failed
    bool Partial = false;               // only Whole is made (an area's segment to be split)
    bool Halves = false;                // Left and Right are made (else Value is Whole's)
    long double Value = 0, Abs = 0;     // Whole's or the halves' sum (an area: its size), and that of |f|
    long double Error = 0;              // estimated error of Value
    long double Reducible = 0;          // the part of Error that halving can lower (0: rounding only)
    long double ParentError = INFINITY, GrandError = INFINITY; // of the segments it was halved from
    int Depth = 0;                      // halvings from its piece
    int Tried = -8;                     // the depth at which a jump was last looked for inside
    int Approached = -8;                // the depth at which an approach to a point of it was last refused
    bool Stretch = false;               // of a stretch beside a singular point (Settle)
    bool operator<(const TSegment& o) const { return Reducible < o.Reducible; } // largest on top
};

// A change of sign between two samples of f.
struct TBracket {
    long double L, FL, R, FR;
};

// Fills s (A, B and the ends' fields set) with its rules (Whole taken from
// `whole` when given) and its error.  `samples` are checked when given.
// For an area, `crossings` receives the brackets where the samples inside
// change sign (the segment's value is then not yet its area, and when the
// nodes of a new Whole change sign, s is left Partial: only Whole made).
void Build(TContext& c, TSegment& s, const TRule* whole, const TSamples* samples, bool area,
           std::vector<TBracket>* crossings);
// The halves of s, built; f at the cut is the end sample of both.
void Halve(TContext& c, const TSegment& s, const TSamples* samples, bool area, TSegment& left,
           std::vector<TBracket>& leftCrossings, TSegment& right, std::vector<TBracket>& rightCrossings);

// Its error fell less than 8 times over the last two halvings (a kink's
// falls 16 times, a jump's 4 times, a resolved stretch's far more).
bool Slow(const TSegment& s);
// The error of a segment left open when the halvings are spent: its own,
// unless f is not resolved there (its error still falls slowly, or its
// halves disagree by more than 2^-10 of its |f|: the rules may agree or not
// by chance), then twice its |f|.
long double LeftOpen(const TSegment& s);

// One stretch integrated alone, by halving at most `halvings` times, to
// about 20 digits of its |f|; f at its ends and `samples` (when given)
// check its segments.
struct TSettled {
    long double Value = 0, Abs = 0, Error = 0;
    bool Failed = false;
    long double FailedAt = 0;
    // It halved down to 2^-12 of its width: f is not smooth inside (a
    // stretch beside a singular point should be), and the rules' agreement
    // there tells little.
    bool Rough = false;
};
TSettled Settle(TContext& c, long double a, long double b, int halvings, const TSamples* samples = nullptr);

// Halves [l, r] keeping the half where f changes more, down to adjacent
// values (or 2^-80 of the scale): a jump ends with its step between FL and
// FR, a steep slope with next to none.  Fails: f has no value at FailsAt.
struct TStep {
    long double L = 0, R = 0, FL = 0, FR = 0;
    bool Fails = false;
    long double FailsAt = 0;
};
TStep LocateStep(TContext& c, long double l, long double fl, long double r, long double fr);

// The sign change [l, r] (fl, fr of opposite signs) narrowed by Illinois
// steps, halvings where they stall.  It ends at adjacent values (or 2^-80
// of the scale), at a point where f is 0 or fails, once cutting an area at
// the point found moves it by at most `negligible` (twice |f| times the
// bracket, or near a simple zero four times f^2 over the slope), or, to
// `classify` only, once |f| has shrunk 2^10 times: a zero, no pole.
struct TCrossing {
    enum TEnd { Zero, Jump, Fails } End = Zero; // Jump: |f| did not shrink (a pole or a jump)
    long double X = 0;                          // the point
    long double Error = 0;                      // what cutting at X rather than at the crossing may move
};
TCrossing LocateCrossing(TContext& c, long double l, long double fl, long double r, long double fr,
                         long double negligible, bool classify = false);

// Narrows [in, out] (f defined at `in`, not at `out`) down to adjacent
// values, or 2^-63 of |out|, or 2^-80 of the scale.
void NarrowEdge(TContext& c, long double& in, long double& out);
// The number of fewest significant digits in [a, b] (0 when it holds 0),
// to name an edge found by halving: 0 rather than -3.6E-4951.
long double ShortestDecimal(long double a, long double b);

// A singular point found by climbing to the top of |f| lies within a few
// spacings of x of the true one, or near 0 only within 2^-143 of the scale,
// where x^-0.95 still holds 0.16 of its integral: the shortest decimal
// within 2^-60 of the scale of p (0 near 0), when f fails there or is at
// least `height` there, is the point.
long double SnapTop(TContext& c, long double p, long double height);

// The stretch where f fails around q, between `left` and `right` where f
// has values: its ends, named by ShortestDecimal, and its width.
struct TGap {
    long double From = 0, To = 0, Width = 0;
};
TGap GapAround(TContext& c, long double left, long double q, long double right);

// Neumaier's compensated sum.
using TSum = TCompensatedSum;

} // namespace analysis::quadrature
