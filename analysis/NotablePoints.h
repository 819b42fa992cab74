// The notable points of the plotted functions, free of any toolkit: for x
// in [-S, S], the zeros and the local maxima and minima of each function and
// the intersections of every pair, each refined with the 80-bit evaluator
// on the function itself (never on pixels).
//
// The functions are sampled through the batch evaluator on a grid of step
// 0.01 (wider only past 400,000 steps); then
// - a sign change between two samples is shrunk by halving to two adjacent
//   representable values of x.  It is a zero only if |f| shrank with the
//   bracket on both sides: when |f| grows or stays on either side (a pole
//   such as 1/x, a jump such as floor(x) - 0.9999) or an evaluation in the
//   bracket fails, nothing is reported.  A sample that is exactly 0 is a
//   zero; a run of such samples is a flat stretch (no zero) unless f is not
//   0 between them (x (x - 0.01): both samples are zeros);
// - where a sample is defined and its neighbour is not, the end of the
//   domain is located by halving between them; when |f| shrinks towards it
//   (sqrt(5 - x^2), sqrt(x - pi)) the end is a zero;
// - a sample above (below) both neighbours, or two equal ones, brackets a
//   maximum (minimum), searched by golden section on the values.  x is
//   then the shortest decimal near the found point whose value is as good
//   (x = 1 for the minimum of x^3 - 3x, not 1.00000000003...).  A search
//   that fails an evaluation or keeps climbing ever faster as the bracket
//   shrinks (a pole) is dropped, as are flat stretches; a narrow smooth
//   peak levels off and is kept;
// - an extreme whose value is 0 within the rounding of f near it is a
//   (double) zero too; a minimum below 0 between samples that are not
//   below 0 (a maximum above 0 between samples not above 0) brings two
//   zeros, one on each side, shrunk as sign changes;
// - intersections are the zeros of f - g found the same way, tangencies
//   included.
//
// With the derivative, an extreme is the zero of f' between f's samples
// around it, halved down to adjacent values, and x is known to f''s
// rounding there over f''; inflection points are found the same way as
// sign changes of f''.
//
// Each point carries the significant digits its x and y are known to: 18
// for a zero shrunk to adjacent values; for an extreme (and a tangency)
// the half-width of the top where f's rounding hides the slope, about half
// the digits.
#pragma once

#include "engine/MathParser.h"
#include "analysis/Functions.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class TSampler;


namespace analysis {

// The kinds of point; plot/PointKinds.h names them and gives their marks.
enum class TPointKind { Zero, Maximum, Minimum, Intersection, Inflection, YIntercept, Asymptote, DomainEnd };

struct TNotablePoint {
    TPointKind Kind;
    int Function;   // the function, or the first one of an intersection
    int Other;      // the second function of an intersection, else -1
    long double X, Y;
    int XDigits = 18, YDigits = 18; // significant digits known, 1..18
};

struct TNotablePoints {
    // Each function's zeros, then its extremes, then the intersections of
    // each pair; by increasing x within each group.
    std::vector<TNotablePoint> Points;
    // Some function or pair had more than kMaxPointsEach points, of which
    // only the first (from the left) are listed.
    bool Truncated = false;
    // The functions that change sign or turn more often than the grid can
    // follow (turns two samples apart or closer, again and again): their
    // list may miss points.
    std::vector<int> Coarse;
    // The search was stopped before its end: the points are not all there.
    bool Stopped = false;
};

constexpr std::size_t kMaxPointsEach = 500;
constexpr int64_t kMaxNotableSteps = 400000;

// `functions` are expressions in "x" of one parser; S = `range`.  Where a
// function has a derivative (`slopes`, made here when not given), its
// extremes are the zeros of f' where f' changes sign, to full precision,
// and its inflection points the zeros of f'' where f'' changes sign.  On
// the parser's thread, in the angle unit of the moment, without the kinds
// of TAnalysisControl::MoreKinds.
struct TSlopes;
TNotablePoints FindNotablePoints(const TFunctionList& functions, int range,
                                 const std::vector<TSlopes>* slopes = nullptr);

// How a search on another thread runs: the stop flag it reads, where it
// tells how far it got (0..100, on the searching thread), and whether it
// adds each function's y-intercept, vertical asymptotes and ends of the
// domain (plot/PointFeatures.h) after its extremes.
struct TAnalysisControl {
    const std::atomic<bool>* Stop = nullptr;
    std::function<void(int percent)> Progress;
    bool MoreKinds = true;
    // Each function's f' and f'' where it has them (SlopeSamplers), made on
    // the parser's thread: its extremes are then the zeros of f' where f'
    // changes sign, to full precision, and its inflection points the zeros
    // of f'' where f'' changes sign.
    std::vector<std::optional<TSampler>> FirstSlopes, SecondSlopes;
};

struct TSlopes;
// Samplers of each function's f' and f'' into `control`.
void SlopeSamplers(const std::vector<TSlopes>& slopes, bool degrees, TAnalysisControl& control);

// The same from samplers of the functions over "x" (made on the parser's
// thread), on any thread.  Once the stop flag is raised the search ends
// soon, with Stopped set.
TNotablePoints FindNotablePoints(const std::vector<TSampler>& samplers, int range, const TAnalysisControl& control);

} // namespace analysis
