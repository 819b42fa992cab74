#include "analysis/SingularPoint.h"

#include <algorithm>
#include <cmath>

namespace analysis::quadrature {

namespace {

constexpr std::size_t kWindow = 16;        // levels whose ratios give the tail
constexpr std::size_t kDivergeWindow = 16; // levels that must not shrink for a divergence
constexpr int kMaxLevels = 8000;           // x^-0.99 beside 0 needs about 1500
constexpr int kStretchHalvings = 40;       // of one stretch, by Settle
// How much a ratio of two stretches' integrals moves by rounding alone.
constexpr long double kRatioNoise = 0x1p-58L;

long double Geometric(long double r)
{
    return r / (1 - r);
}

// The last kDivergeWindow stretches keep one sign and do not shrink, their
// integrals known well enough (to 2^-16) to tell.
bool Diverging(const std::vector<long double>& pieces, const std::vector<long double>& errors)
{
    if (pieces.size() <= kDivergeWindow) return false;
    for (std::size_t j = pieces.size() - kDivergeWindow; j < pieces.size(); ++j) {
        const long double noise = errors[j] / std::fabs(pieces[j]) + errors[j - 1] / std::fabs(pieces[j - 1]);
        if (!(noise <= 0x1p-16L && pieces[j] / pieces[j - 1] >= 1 - 0x1p-30L - noise)) return false;
    }
    return true;
}

// The rest when the pieces change sign: bounded only while their size
// falls fast (16 times over half the window).
TTail Envelope(const std::vector<long double>& pieces, std::size_t first, std::size_t k)
{
    TTail t;
    const std::size_t middle = first + kWindow / 2;
    long double early = 0, late = 0;
    for (std::size_t j = first; j <= k; ++j) {
        long double& half = j < middle ? early : late;
        half = std::max(half, std::fabs(pieces[j]));
    }
    if (late <= early / 16) {
        t.Bounded = true;
        t.Error = 8 * late;
    }
    return t;
}

// f fails at q in the stretch [near, far] beside p.  True, with `out`
// Undefined, when it fails there on more than a point.
bool GapBeside(TContext& c, long double p, long double near, long double far, long double q, TApproach& out)
{
    const long double point = kPointWidth * c.Scale();
    if (std::fabs(far - p) <= point) return false;
    long double y = 0;
    long double outer = far, outerOut = q, inner = p, innerOut = p;
    if (c.Eval(far, y)) NarrowEdge(c, outer, outerOut);
    if (c.Eval(near, y)) {
        inner = near, innerOut = q;
        NarrowEdge(c, inner, innerOut);
    }
    if (std::fabs(inner - outer) <= point) return false;
    out.End = TApproach::Undefined;
    const long double a = ShortestDecimal(outer, outerOut), b = inner == p ? p : ShortestDecimal(inner, innerOut);
    out.From = std::min(a, b);
    out.To = std::max(a, b);
    return true;
}

// A stretch that is not smooth: another singular point lies beside p, and
// the approach knows nothing.
TApproach& Rough(TApproach& out)
{
    out.End = TApproach::Unbounded;
    return out;
}

// The sum up to the level whose tail leaves the smallest error.
void Conclude(const std::vector<long double>& pieces, const std::vector<long double>& own,
              const std::vector<long double>& sums, const std::vector<long double>& errors, long double abs,
              TApproach& out)
{
    std::size_t best = pieces.size();
    long double bestError = INFINITY;
    TTail bestTail;
    for (std::size_t k = kWindow; k < pieces.size(); ++k) {
        const TTail t = Tail(pieces, own, k);
        if (t.Bounded && errors[k] + t.Error <= bestError) best = k, bestError = errors[k] + t.Error, bestTail = t;
    }
    if (best == pieces.size()) {
        // Too few levels for a window: only pieces that fell far below their first bound the rest.
        long double largest = 0;
        for (long double v : pieces) largest = std::max(largest, std::fabs(v));
        if (pieces.size() < 4 || pieces.size() > kWindow || !(std::fabs(pieces.back()) <= 0x1p-20L * largest)) {
            out.End = TApproach::Unbounded;
            return;
        }
        best = pieces.size() - 1;
        bestTail.Error = 8 * std::fabs(pieces.back());
        bestError = errors[best] + bestTail.Error;
    }
    out.Value = sums[best] + bestTail.Value;
    out.Error = bestError;
    out.Abs = abs + std::fabs(bestTail.Value);
}

} // namespace

TTail Tail(const std::vector<long double>& pieces, const std::vector<long double>& errors, std::size_t k)
{
    TTail t;
    if (k < kWindow || k >= pieces.size()) return t;
    const std::size_t first = k - kWindow;
    bool zero = true, sameSign = true;
    for (std::size_t j = first; j <= k; ++j) {
        zero = zero && pieces[j] == 0;
        sameSign = sameSign && pieces[j] != 0 && (pieces[j] < 0) == (pieces[k] < 0);
    }
    if (zero) {
        t.Bounded = true;
        return t;
    }
    if (!sameSign) return Envelope(pieces, first, k);
    long double highest = -INFINITY, early = -INFINITY, late = -INFINITY;
    long double previous = 0, change = INFINITY, previousNoise = 0;
    long double ratio = 0, drift = INFINITY; // the ratio of the level whose estimate of the limit is closest
    bool settling = true; // each change of the ratio at most 3/4 of the one before, or its noise
    for (std::size_t j = first + 1; j <= k; ++j) {
        const long double r = pieces[j] / pieces[j - 1];
        const long double noise =
            r * (errors[j] / std::fabs(pieces[j]) + errors[j - 1] / std::fabs(pieces[j - 1])) + kRatioNoise;
        highest = std::max(highest, r);
        long double& half = j <= first + kWindow / 2 ? early : late;
        half = std::max(half, r);
        if (j > first + 1) {
            const long double now = std::fabs(r - previous);
            if (now > 0.75L * change + noise + previousNoise) settling = false;
            change = now;
            // The true changes shrink by 3/4 a level at least: the limit lies within 3 of them.
            const long double reach = 3 * (now + noise + previousNoise) + noise;
            if (reach < drift) ratio = r, drift = reach;
        }
        previous = r;
        previousNoise = noise;
    }
    if (!(highest < 1)) return t;
    if (settling && ratio + drift < 1) {
        t.Bounded = true;
        t.Value = pieces[k] * Geometric(ratio);
        t.Error = std::fabs(pieces[k]) * (Geometric(ratio + drift) - Geometric(ratio));
    } else if (late <= early) {
        // The ratio does not rise: the rest lies between 0 and its bound.
        t.Bounded = true;
        t.Value = pieces[k] * Geometric(highest) / 2;
        t.Error = std::fabs(t.Value);
    }
    return t;
}

TApproach Approach(TContext& c, long double p, int side, long double width, const TSamples* samples)
{
    TApproach out;
    std::vector<long double> pieces, own, sums, errors; // own: each piece's error; errors: of the sums
    TSum sum;
    long double abs = 0, error = 0;
    // The stretches' ends p + side 2^j are exact, so that their integrals
    // keep the ratio of f's: the rest of the width first, on its own.
    long double w = std::exp2(std::floor(std::log2(width)));
    if (w < width) {
        const long double inner = p + side * w, outer = p + side * width;
        const TSettled s = Settle(c, std::min(inner, outer), std::max(inner, outer), kStretchHalvings, samples);
        if (s.Failed && GapBeside(c, p, inner, outer, s.FailedAt, out)) return out;
        if (s.Rough) return Rough(out);
        if (s.Failed) w = width; // f fails at a point there: no exact ends, the stretches as they come
        else sum.Add(s.Value), abs += s.Abs, error += s.Error;
    }
    for (int level = 0; level < kMaxLevels; ++level, w /= 2) {
        const long double near = p + side * (w / 2), far = p + side * w;
        if (near == p || w / 2 <= 0x1p-58L * std::fabs(p) || w < 0x1p-16300L) break; // as close as x gets
        if (c.Halted()) {
            out.End = TApproach::Stopped;
            return out;
        }
        const TSettled s = Settle(c, std::min(near, far), std::max(near, far), kStretchHalvings, samples);
        if (s.Failed) {
            if (GapBeside(c, p, near, far, s.FailedAt, out)) return out;
            break; // f fails on a point's width beside p: the rest is the tail
        }
        if (s.Rough && w / 2 > 0x1p-40L * std::fabs(p)) return Rough(out);
        if (s.Rough) break; // so close to p that x's rounding makes the stretch rough: the rest is the tail
        pieces.push_back(s.Value);
        own.push_back(s.Error);
        sum.Add(s.Value);
        abs += s.Abs;
        error += s.Error;
        sums.push_back(sum.Value());
        errors.push_back(error);
        out.Levels = level + 1;
        if (Diverging(pieces, own)) {
            out.End = TApproach::Diverges;
            return out;
        }
        const TTail t = Tail(pieces, own, pieces.size() - 1);
        if (t.Bounded && t.Error <= 0x1p-68L * std::max(std::fabs(sums.back()), abs)) break;
    }
    Conclude(pieces, own, sums, errors, abs, out);
    return out;
}

} // namespace analysis::quadrature
