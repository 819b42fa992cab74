#include "analysis/NotablePoints.h"

#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "analysis/Derivative.h"
#include "analysis/PointFeatures.h"
#include "analysis/Searches.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace analysis {

namespace {


// A function (or a difference of two) on the grid.
struct TSeries {
    std::vector<long double> Y;
    std::unique_ptr<bool[]> Ok;
};

// The significant digits of `value` known to within `uncertainty` (1..18).
int KnownDigits(long double value, long double uncertainty)
{
    if (value == 0 || !(uncertainty > 0)) return 18;
    const long double ratio = std::fabs(value) / (2 * uncertainty);
    if (!(ratio >= 10)) return 1;
    return static_cast<int>(std::min<long double>(std::floor(std::log10(ratio)), 18));
}

// The shortest decimal in [lo, hi], else `fallback`.
long double ShortestBetween(long double lo, long double hi, long double fallback)
{
    if (lo <= 0 && hi >= 0) return 0;
    const long double mid = lo + (hi - lo) / 2;
    for (int digits = 1; digits <= 18; ++digits) {
        long double c;
        if (ParseDecimal(FormatGeneral(mid, std::max(digits, 2)), c) && c >= lo && c <= hi) return c;
    }
    return fallback;
}

// The zero in the sign change [a, b], to adjacent values of x; false for a
// pole or a jump (|f| does not shrink on both sides).
bool ShrinkSignChange(const TFunctionOfX& f, long double a, long double fa, long double b, long double fb,
                      long double& x)
{
    const TSignChange change = HalveSignChange(f, a, fa, b, fb);
    x = change.X;
    return change.End == TSignChangeEnd::Zero;
}

// The end of f's domain between the defined sample `in` and the undefined
// `out`, halved down to adjacent values: a zero when |f| shrinks towards it.
bool EdgeZero(const TFunctionOfX& f, long double in, long double fin, long double out, long double& edge)
{
    if (fin == 0) return false; // the sample is the zero
    long double fe = fin;
    for (int guard = 0; guard < 20000; ++guard) {
        const long double m = in + (out - in) / 2;
        if (m == in || m == out) break;
        long double fm;
        if (f(m, fm)) {
            in = m;
            fe = fm;
        } else {
            out = m;
        }
    }
    if (!(std::fabs(fe) <= std::fabs(fin) * kShrink)) return false;
    edge = ShortestBetween(std::min(in, out), std::max(in, out), in);
    long double fv;
    if (f(edge, fv)) return true;
    // The end is a short decimal where f has no value (x ln x at 0): f
    // only tends to 0 there and has no zero.  Else the shortest decimal is
    // merely the undefined neighbour of the last value, which is the zero.
    if (std::fabs(edge) < 1 || FormatGeneral(edge, 16).size() < FormatGeneral(edge, 18).size()) return false;
    edge = in;
    return true;
}

struct TExtreme {
    long double X, Y;
    bool Maximum;
    bool IsZero;
    long double Width;           // half-width of the top: x is known to it
    long double Uncertainty;     // of Y, from f's rounding
    std::size_t Left, Right;     // the samples on either side of X
};

// The search for an extreme: g is f for a maximum and -f for a minimum.
class TClimb {
public:
    TClimb(const TFunctionOfX& f, bool maximum, long double step) : F(f), Maximum(maximum), Step(step) {}

    bool G(long double x, long double& g) const
    {
        if (!F(x, g)) return false;
        if (!Maximum) g = -g;
        return true;
    }

    // Golden section from a < m < b with g(m) above g(a) and g(b); `pole`
    // when g kept climbing as fast or faster while the bracket shrank (a
    // smooth top levels off, a pole does not).
    bool Search(long double a, long double m, long double b, long double drop, long double& gm, bool& pole) const
    {
        std::vector<long double> history;
        const TFunctionOfX g = [this](long double x, long double& y) { return G(x, y); };
        if (!ClimbToTop(g, a, m, b, gm, 0x1p-64L, Step, [&history](long double top) { history.push_back(top); }))
            return false;
        Found = m;
        const std::size_t k = history.size();
        pole = false;
        if (k >= 26) {
            const long double early = history[k - 13] - history[k - 26], late = history[k - 1] - history[k - 13];
            pole = late > 0x1p-40L * (std::fabs(gm) + drop) && late >= early / 2;
        }
        return true;
    }

    // The shortest decimal near the found x whose value is as good.
    void Snap(long double& x, long double& gx) const
    {
        for (int digits = 1; digits <= 19; ++digits) {
            long double c = 0; // first 0, then x rounded to 1..18 digits
            if (digits > 1 && !ParseDecimal(FormatGeneral(x, digits - 1), c)) continue;
            long double gc;
            if (std::fabs(c - x) <= Step / 4 && G(c, gc) && gc >= gx) {
                x = c;
                gx = gc;
                return;
            }
        }
    }

    // How far f strays from y within a few units in the last place of x:
    // its rounding there (infinite when an evaluation fails).
    long double Spread(long double x, long double y) const
    {
        const long double d = Resolution(x, Step);
        long double spread = 0;
        for (int j = -4; j <= 4; ++j) {
            long double v;
            if (j == 0) continue;
            if (!F(x + j * d, v)) return INFINITY;
            spread = std::max(spread, std::fabs(v - y));
        }
        return spread;
    }

    // Half the width of the top around x within which f's rounding `noise`
    // hides the drop: sqrt(2 noise / |f''|), f'' from values near x.
    long double TopWidth(long double x, long double y, long double noise) const
    {
        const long double h = 0x1p-16L * std::max(std::fabs(x), Step);
        long double left, right;
        const long double floor = 4 * Resolution(x, Step);
        if (!F(x - h, left) || !F(x + h, right)) return Step;
        const long double curvature = std::fabs(left - 2 * y + right) / (h * h);
        noise = std::max(noise, 0x1p-63L * std::fabs(y));
        if (!(curvature > 0)) return Step;
        return std::min(Step, std::max(floor, std::sqrt(2 * noise / curvature)));
    }

    mutable long double Found = 0;

private:
    const TFunctionOfX& F;
    bool Maximum;
    long double Step;
};

// Refines the extreme bracketed by the samples a < m < b (g(m) above both).
bool RefineExtreme(const TFunctionOfX& f, bool maximum, long double step, const long double (&x)[3],
                   const long double (&y)[3], TExtreme& out)
{
    const TClimb climb(f, maximum, step);
    const long double sign = maximum ? 1 : -1;
    const long double g0 = sign * y[1], drop = g0 - std::min(sign * y[0], sign * y[2]);
    long double g = g0;
    bool pole = false;
    if (!climb.Search(x[0], x[1], x[2], drop, g, pole) || pole) return false;
    long double at = climb.Found;
    climb.Snap(at, g);
    const long double value = sign * g, spread = climb.Spread(at, value);
    if (std::isinf(spread)) return false;
    out.X = at;
    out.Y = value;
    out.Maximum = maximum;
    out.IsZero = value == 0 || std::fabs(value) <= 4 * spread;
    out.Width = climb.TopWidth(at, value, spread);
    // Y is off by f's rounding near x and by what its terms lose when they
    // cancel: an ulp of x (as of each term's inputs) times the slope beside it.
    const long double slope = std::max(std::fabs(y[1] - y[0]) / (x[1] - x[0]), std::fabs(y[2] - y[1]) / (x[2] - x[1]));
    out.Uncertainty = spread + Resolution(value, 0) + Resolution(at, 0) * slope;
    return true;
}

// A run of samples that are exactly 0 from i to j: each is a zero unless f
// is 0 between it and its neighbours in the run too (a flat stretch).
void RunOfZeros(const std::vector<long double>& xs, std::size_t i, std::size_t j, const TFunctionOfX& f,
                std::vector<long double>& zeros)
{
    if (i == j) {
        zeros.push_back(xs[i]);
        return;
    }
    std::vector<bool> between(j - i); // f is not 0 between samples k and k + 1
    for (std::size_t k = i; k < j; ++k) {
        long double v;
        between[k - i] = f(xs[k] + (xs[k + 1] - xs[k]) / 2, v) && v != 0;
    }
    for (std::size_t k = i; k <= j; ++k) {
        const bool left = k == i || between[k - i - 1], right = k == j || between[k - i];
        if (left && right) zeros.push_back(xs[k]);
    }
}

void ScanZeros(const std::vector<long double>& xs, const TSeries& s, const TFunctionOfX& f,
               std::vector<long double>& zeros)
{
    const std::size_t n = xs.size();
    for (std::size_t i = 0; i < n && zeros.size() <= kMaxPointsEach; ++i) {
        long double x;
        if (i + 1 < n && s.Ok[i] != s.Ok[i + 1]) { // an end of the domain
            const std::size_t in = s.Ok[i] ? i : i + 1, out = s.Ok[i] ? i + 1 : i;
            if (EdgeZero(f, xs[in], s.Y[in], xs[out], x)) zeros.push_back(x);
        }
        if (s.Ok[i] && s.Y[i] == 0) {
            std::size_t j = i;
            while (j + 1 < n && s.Ok[j + 1] && s.Y[j + 1] == 0) ++j;
            RunOfZeros(xs, i, j, f, zeros);
            i = j;
            continue;
        }
        if (i + 1 < n && s.Ok[i] && s.Ok[i + 1] && s.Y[i + 1] != 0 && (s.Y[i] < 0) != (s.Y[i + 1] < 0) &&
            ShrinkSignChange(f, xs[i], s.Y[i], xs[i + 1], s.Y[i + 1], x))
            zeros.push_back(x);
    }
}

// With `nearZero`, only the extremes that may have the value 0 are refined
// (a sample within the drop to its neighbours of 0).
void ScanExtremes(const std::vector<long double>& xs, const TSeries& s, long double step, const TFunctionOfX& f,
                  bool nearZero, std::vector<TExtreme>& extremes)
{
    const std::size_t n = xs.size();
    for (std::size_t i = 1; i + 1 < n && extremes.size() <= kMaxPointsEach;) {
        if (!s.Ok[i] || !s.Ok[i - 1]) {
            ++i;
            continue;
        }
        // The run of equal samples from i; one or two make an extreme.
        std::size_t j = i;
        while (j + 1 < n && s.Ok[j + 1] && s.Y[j + 1] == s.Y[i]) ++j;
        if (j + 1 < n && s.Ok[j + 1] && j - i <= 1) {
            const long double left = s.Y[i - 1], here = s.Y[i], right = s.Y[j + 1];
            const bool maximum = here > left && here > right, minimum = here < left && here < right;
            const long double drop = std::max(std::fabs(here - left), std::fabs(here - right));
            TExtreme e;
            if ((maximum || minimum) && (!nearZero || std::fabs(here) <= 4 * drop) &&
                RefineExtreme(f, maximum, step, {xs[i - 1], xs[i], xs[j + 1]}, {left, here, right}, e)) {
                e.Left = i - 1;
                while (e.Left + 1 <= j + 1 && xs[e.Left + 1] < e.X) ++e.Left;
                e.Right = e.Left + 1;
                extremes.push_back(e);
            }
        }
        i = j + 1;
    }
}

// Two zeros around an extreme beyond 0 between samples that are not: a
// minimum below 0 between samples at or above 0 (a maximum likewise).
void ZerosAroundExtreme(const std::vector<long double>& xs, const TSeries& s, const TFunctionOfX& f,
                        const TExtreme& e, std::vector<long double>& zeros)
{
    if (e.IsZero || e.Y == 0 || e.Right >= xs.size() || !(xs[e.Left] < e.X && e.X < xs[e.Right])) return;
    const auto beyond = [&](long double v) { return e.Maximum ? v > 0 : v < 0; };
    const long double yl = s.Y[e.Left], yr = s.Y[e.Right];
    if (!beyond(e.Y) || beyond(yl) || beyond(yr)) return;
    long double x;
    if (yl != 0 && ShrinkSignChange(f, xs[e.Left], yl, e.X, e.Y, x)) zeros.push_back(x);
    if (yr != 0 && ShrinkSignChange(f, e.X, e.Y, xs[e.Right], yr, x)) zeros.push_back(x);
}

// ---- With the derivative ----

// Where `g` (f' or f'') is 0 at the zero z of its sign change: x is known to
// g's rounding near z over g's own slope there, plus a unit in the last place.
long double ZeroUncertainty(const TFunctionOfX& g, long double z, long double step)
{
    const long double d = Resolution(z, step), h = 0x1p-20L * std::max(std::fabs(z), step);
    long double gz, left, right;
    if (!g(z, gz) || !g(z - h, left) || !g(z + h, right)) return step;
    const long double rate = std::fabs(right - left) / (2 * h);
    if (!(rate > 0)) return step;
    long double noise = std::fabs(gz);
    for (int j = -4; j <= 4; ++j) {
        long double v;
        if (j != 0 && g(z + j * d, v)) noise = std::max(noise, std::fabs(v - gz) - std::abs(j) * d * rate);
    }
    return std::min(step, d + noise / rate);
}

// The shortest decimal within `width` of z.
long double Snapped(long double z, long double width)
{
    return ShortestBetween(z - width, z + width, z);
}

// The extreme found on the values, moved to the zero of f' beside it when f'
// changes sign there as the extreme's kind says (else it stays as found).
void RefineBySlope(const TFunctionOfX& f, const TFunctionOfX& slope, const std::vector<long double>& xs,
                   long double step, TExtreme& e)
{
    const long double a = e.X - step, b = e.X + step;
    long double sa, sb, z, y;
    if (!slope(a, sa) || !slope(b, sb)) return;
    if (e.Maximum ? !(sa > 0 && sb < 0) : !(sa < 0 && sb > 0)) return;
    if (!ShrinkSignChange(slope, a, sa, b, sb, z)) return;
    long double width = ZeroUncertainty(slope, z, step);
    z = Snapped(z, width);
    if (!f(z, y)) return;
    // A short decimal on the top whose value is as good is the point meant
    // (sin x in degrees, whose factor is not pi/180, turns 2E-14 from 90):
    // x is then known to the distance between them.
    for (int digits = 1; digits <= 6; ++digits) {
        long double c = 0, fc;
        if (digits > 1 && !ParseDecimal(FormatGeneral(z, digits), c)) continue;
        if (c != z && std::fabs(c - z) <= e.Width && f(c, fc) && (e.Maximum ? fc >= y : fc <= y)) {
            width = std::max(width, std::fabs(c - z));
            z = c;
            y = fc;
            break;
        }
    }
    const long double spread = TClimb(f, e.Maximum, step).Spread(z, y);
    if (std::isinf(spread)) return;
    e.X = z;
    e.Y = y;
    e.Width = width;
    // What f's terms lose when they cancel stays as the values showed it.
    e.Uncertainty = std::max(e.Uncertainty, spread + Resolution(y, 0));
    e.IsZero = y == 0 || std::fabs(y) <= 4 * spread;
    while (e.Left > 0 && xs[e.Left] >= z) --e.Left;
    while (e.Left + 2 < xs.size() && xs[e.Left + 1] < z) ++e.Left;
    e.Right = e.Left + 1;
}

// Where f'' changes sign between a and b (values ga, gb): the point, to
// adjacent values of x, if f has an inflection there: f'' is 0 there, or
// has no value (a jump of f'', x abs x at 0) while f and f' are continuous
// across (not the pole of tan x).
bool InflectionBetween(const TFunctionOfX& f, const TFunctionOfX& slope, const TFunctionOfX& g, long double a,
                       long double ga, long double b, long double gb, long double& z)
{
    const TSignChange change = HalveSignChange(g, a, ga, b, gb);
    z = change.X;
    if (change.End == TSignChangeEnd::Zero) return true;
    const long double d = Resolution(z, 0);
    long double f0, f1, s0, s1, sa, sb;
    if (!f(z - d, f0) || !f(z + d, f1) || !slope(z - d, s0) || !slope(z + d, s1) || !slope(a, sa) || !slope(b, sb))
        return false;
    // Across two adjacent values f and f' change by far less than across the grid step.
    long double fa, fb;
    if (!f(a, fa) || !f(b, fb)) return false;
    return std::fabs(f1 - f0) <= kShrink * std::fabs(fb - fa) + 4 * Resolution(f1, 0) &&
           std::fabs(s1 - s0) <= kShrink * std::fabs(sb - sa) + 4 * Resolution(s1, 0);
}

// Two sign changes of f'' between three samples of one sign, where |f''|
// dips towards 0 at the middle one: the extreme of f'' between them, and
// the two zeros on each side of it when it lies across 0.
void InflectionPair(const TFunctionOfX& f, const TFunctionOfX& slope, const TFunctionOfX& g, const long double (&x)[3],
                    const long double (&y)[3], long double step, std::vector<long double>& found)
{
    const long double sign = y[1] > 0 ? -1 : 1; // climbs towards the other sign
    const TFunctionOfX h = [&g, sign](long double t, long double& v) {
        if (!g(t, v)) return false;
        v *= sign;
        return true;
    };
    long double m = x[1], hm = sign * y[1];
    if (!ClimbToTop(h, x[0], m, x[2], hm, 0x1p-64L, step) || !(hm > 0)) return;
    long double z;
    if (InflectionBetween(f, slope, g, x[0], y[0], m, sign * hm, z)) found.push_back(z);
    if (InflectionBetween(f, slope, g, m, sign * hm, x[2], y[2], z)) found.push_back(z);
}

// The inflection points of f: where f'' changes sign (or is 0 between
// samples of opposite signs), also twice between two samples, and f has a value.
void Inflections(const std::vector<long double>& xs, long double step, const TFunctionOfX& f,
                 const TFunctionOfX& slope, const TSampler& second, int index, TNotablePoints& result)
{
    const std::size_t n = xs.size();
    std::vector<long double> y(n);
    std::unique_ptr<bool[]> ok(new bool[n]);
    TSampler sampler = second;
    sampler.Evaluate(xs.data(), n, y.data(), ok.get());
    for (std::size_t i = 0; i < n; ++i) ok[i] = ok[i] && !std::isnan(y[i]);
    const TFunctionOfX g = [&sampler](long double x, long double& v) { return sampler.Evaluate(x, v) && !std::isnan(v); };
    std::vector<long double> points;
    for (std::size_t i = 0; i + 1 < n && points.size() <= kMaxPointsEach; ++i) {
        long double z;
        if (ok[i] && ok[i + 1] && y[i] != 0 && y[i + 1] != 0 && (y[i] < 0) != (y[i + 1] < 0)) {
            if (InflectionBetween(f, slope, g, xs[i], y[i], xs[i + 1], y[i + 1], z)) points.push_back(z);
        } else if (i > 0 && ok[i - 1] && ok[i] && ok[i + 1] && y[i] == 0 && y[i - 1] != 0 && y[i + 1] != 0 &&
                   (y[i - 1] < 0) != (y[i + 1] < 0)) {
            points.push_back(xs[i]);
        } else if (i > 0 && ok[i - 1] && !ok[i] && ok[i + 1] && y[i - 1] != 0 && y[i + 1] != 0 &&
                   (y[i - 1] < 0) != (y[i + 1] < 0)) {
            // f'' has no value at the sample between (x abs x at 0).
            if (InflectionBetween(f, slope, g, xs[i - 1], y[i - 1], xs[i + 1], y[i + 1], z)) points.push_back(z);
        } else if (i > 0 && ok[i - 1] && ok[i] && ok[i + 1] && y[i] != 0 && (y[i - 1] < 0) == (y[i] < 0) &&
                   (y[i + 1] < 0) == (y[i] < 0) && std::fabs(y[i]) < std::fabs(y[i - 1]) &&
                   std::fabs(y[i]) < std::fabs(y[i + 1])) {
            InflectionPair(f, slope, g, {xs[i - 1], xs[i], xs[i + 1]}, {y[i - 1], y[i], y[i + 1]}, step, points);
        }
    }
    std::sort(points.begin(), points.end());
    std::size_t emitted = 0;
    for (long double z : points) {
        long double fz, sz, gz;
        // Where f'' has no value the halving found the point to adjacent values.
        const long double width = g(z, gz) ? ZeroUncertainty(g, z, step) : 2 * Resolution(z, step);
        z = Snapped(z, width);
        if (!f(z, fz)) continue;
        if (++emitted > kMaxPointsEach) {
            result.Truncated = true;
            return;
        }
        // y is off by f's rounding and by the slope times x's uncertainty
        // (a few units in the last place of x): within that of 0 it is 0.
        const long double spread = TClimb(f, true, step).Spread(z, fz);
        const long double rise = slope(z, sz) ? std::fabs(sz) * std::max(width, 4 * Resolution(z, step)) : 0;
        const long double uncertainty = (std::isinf(spread) ? 0 : spread) + rise + Resolution(fz, 0);
        if (std::fabs(fz) <= uncertainty) fz = 0;
        result.Points.push_back(
            {TPointKind::Inflection, index, -1, z, fz, KnownDigits(z, width), KnownDigits(fz, uncertainty)});
    }
}

struct TZero {
    long double X;
    int Digits;
    long double Width; // x is known to it: 0 for a shrunk sign change
};

// The zeros of a series: its sign changes, exact zeros and ends of the
// domain, the extremes whose value is 0 and the pairs of zeros around an
// extreme beyond 0.  `extremes` receives every extreme.
std::vector<TZero> Zeros(const std::vector<long double>& xs, const TSeries& s, long double step,
                         const TFunctionOfX& f, bool tangenciesOnly, std::vector<TExtreme>& extremes,
                         bool& truncated, const TFunctionOfX* slope = nullptr)
{
    std::vector<long double> simple;
    ScanZeros(xs, s, f, simple);
    ScanExtremes(xs, s, step, f, tangenciesOnly, extremes);
    if (slope != nullptr)
        for (TExtreme& e : extremes) RefineBySlope(f, *slope, xs, step, e);
    for (const TExtreme& e : extremes) ZerosAroundExtreme(xs, s, f, e, simple);
    std::sort(simple.begin(), simple.end());
    simple.erase(std::unique(simple.begin(), simple.end()), simple.end());
    std::vector<TZero> zeros;
    for (long double z : simple) zeros.push_back({z, 18, 0});
    for (const TExtreme& e : extremes) {
        if (!e.IsZero) continue;
        const bool known = std::any_of(simple.begin(), simple.end(),
                                       [&](long double z) { return std::fabs(z - e.X) <= step / 4; });
        if (!known) zeros.push_back({e.X, KnownDigits(e.X, e.Width), e.Width});
    }
    std::sort(zeros.begin(), zeros.end(), [](const TZero& a, const TZero& b) { return a.X < b.X; });
    // Past the last extreme listed, the double zeros are not known.
    if (extremes.size() > kMaxPointsEach) {
        const long double limit = extremes[kMaxPointsEach].X;
        extremes.resize(kMaxPointsEach);
        zeros.erase(std::find_if(zeros.begin(), zeros.end(), [&](const TZero& z) { return z.X >= limit; }),
                    zeros.end());
        truncated = true;
    }
    if (zeros.size() > kMaxPointsEach) {
        zeros.resize(kMaxPointsEach);
        truncated = true;
    }
    return zeros;
}

// The samples turn two samples apart or closer again and again: the grid
// is too coarse for the function.
bool TooCoarse(const TSeries& s, std::size_t n)
{
    int close = 0;
    std::size_t last = 0;
    bool any = false;
    for (std::size_t i = 1; i + 1 < n; ++i) {
        if (!s.Ok[i - 1] || !s.Ok[i] || !s.Ok[i + 1]) continue;
        const long double before = s.Y[i] - s.Y[i - 1], after = s.Y[i + 1] - s.Y[i];
        // Turns within the rounding of the values (f = 0 up to noise) do not count.
        const long double noise = 0x1p-40L * (std::fabs(s.Y[i - 1]) + std::fabs(s.Y[i]) + std::fabs(s.Y[i + 1]));
        if (!(before * after < 0) || std::fabs(before) <= noise || std::fabs(after) <= noise) continue;
        if (any && i - last <= 2 && ++close >= 3) return true;
        last = i;
        any = true;
    }
    return false;
}

// f(x) at single points, from a copy of the function's sampler: the
// parser's x and error state stay as they are.  Once the stop flag is
// raised every evaluation fails, so that each search ends at once.
TFunctionOfX Sampler(const TSampler& sampler, const std::atomic<bool>* stop)
{
    auto own = std::make_shared<TSampler>(sampler);
    struct TWatch {
        unsigned Calls = 0;
        bool Stopped = false;
    };
    auto watch = std::make_shared<TWatch>();
    return [own, watch, stop](long double x, long double& y) {
        // A look at the flag every 256 evaluations; once raised it stays.
        if (stop != nullptr && (++watch->Calls & 255) == 0 && stop->load(std::memory_order_relaxed))
            watch->Stopped = true;
        if (watch->Stopped) return false;
        // A derivative's mark (a corner, a jump) is no value to search with.
        return own->Evaluate(x, y) && !std::isnan(y);
    };
}

// The intersections of functions f and g, from the zeros of f - g.
void Intersections(const std::vector<long double>& xs, const TSeries& sf, const TSeries& sg, long double step,
                   const TFunctionOfX& first, const TFunctionOfX& second, int f, int g, TNotablePoints& result,
                   const TFunctionOfX* firstSlope, const TFunctionOfX* secondSlope)
{
    TSeries d;
    d.Y.resize(xs.size());
    d.Ok.reset(new bool[xs.size()]);
    for (std::size_t i = 0; i < xs.size(); ++i) {
        d.Ok[i] = sf.Ok[i] && sg.Ok[i];
        d.Y[i] = d.Ok[i] ? sf.Y[i] - sg.Y[i] : 0;
    }
    const TFunctionOfX difference = [&](long double x, long double& y) {
        long double a, b;
        if (!first(x, a) || !second(x, b)) return false;
        y = a - b;
        return true;
    };
    // (f - g)' where both have a derivative: tangencies to full precision.
    const TFunctionOfX slope = [&](long double x, long double& y) {
        long double a, b;
        if (!(*firstSlope)(x, a) || !(*secondSlope)(x, b)) return false;
        y = a - b;
        return true;
    };
    const bool sloped = firstSlope != nullptr && secondSlope != nullptr;
    std::vector<TExtreme> tangencies;
    for (const TZero& z :
         Zeros(xs, d, step, difference, true, tangencies, result.Truncated, sloped ? &slope : nullptr)) {
        long double y;
        if (!first(z.X, y) && !second(z.X, y)) continue;
        TNotablePoint p{TPointKind::Intersection, f, g, z.X, y, z.Digits, 18};
        // A tangency's x is known to its top's width: y to the slope times that.
        long double left, right;
        const long double h = 0x1p-16L * std::max(std::fabs(z.X), step);
        if (z.Width > 0 && first(z.X - h, left) && first(z.X + h, right))
            p.YDigits = KnownDigits(y, std::fabs(right - left) / (2 * h) * z.Width + Resolution(y, 0));
        result.Points.push_back(p);
    }
}

} // namespace

TNotablePoints FindNotablePoints(const TFunctionList& functions, int range, const std::vector<TSlopes>* given)
{
    std::vector<TSampler> samplers;
    const bool degrees = AngleUnitIsDegrees();
    for (const TFunction& f : functions) samplers.push_back(f->Sampler("x", degrees));
    TAnalysisControl control;
    control.MoreKinds = false;
    const std::vector<TSlopes> slopes = given != nullptr ? *given : Slopes(functions, degrees);
    SlopeSamplers(slopes, degrees, control);
    return FindNotablePoints(samplers, range, control);
}

void SlopeSamplers(const std::vector<TSlopes>& slopes, bool degrees, TAnalysisControl& control)
{
    control.FirstSlopes.clear();
    control.SecondSlopes.clear();
    control.FirstSlopes.resize(slopes.size());
    control.SecondSlopes.resize(slopes.size());
    for (std::size_t f = 0; f < slopes.size(); ++f) {
        if (slopes[f].First) control.FirstSlopes[f].emplace(slopes[f].First->Sampler("x", degrees));
        if (slopes[f].Second) control.SecondSlopes[f].emplace(slopes[f].Second->Sampler("x", degrees));
    }
}

TNotablePoints FindNotablePoints(const std::vector<TSampler>& functions, int range, const TAnalysisControl& control)
{
    TNotablePoints result;
    const int64_t s = std::max(1, range);
    const int64_t steps = std::min<int64_t>(200 * s, kMaxNotableSteps); // even
    const long double step = static_cast<long double>(2 * s) / static_cast<long double>(steps);
    std::vector<long double> xs(static_cast<std::size_t>(steps + 1));
    for (int64_t i = 0; i <= steps; ++i)
        xs[static_cast<std::size_t>(i)] =
            static_cast<long double>(i - steps / 2) * static_cast<long double>(2 * s) / static_cast<long double>(steps);

    const std::size_t count = functions.size();
    // Sampling is a share of the work, each function's points one, each pair one.
    const std::size_t units = 2 * count + count * (count - (count > 0)) / 2;
    std::size_t unitsDone = 0;
    const auto advance = [&] {
        ++unitsDone;
        if (control.Progress) control.Progress(static_cast<int>(100 * unitsDone / std::max<std::size_t>(units, 1)));
    };
    const auto stopped = [&] { return control.Stop != nullptr && control.Stop->load(std::memory_order_relaxed); };
    std::vector<TSeries> series(count);
    std::vector<TFunctionOfX> samplers;
    constexpr std::size_t kChunk = 16384; // samples between two looks at the stop flag
    for (std::size_t f = 0; f < count; ++f) {
        series[f].Y.resize(xs.size());
        series[f].Ok.reset(new bool[xs.size()]);
        TSampler own = functions[f];
        for (std::size_t at = 0; at < xs.size() && !stopped(); at += kChunk)
            own.Evaluate(xs.data() + at, std::min(kChunk, xs.size() - at), series[f].Y.data() + at,
                         series[f].Ok.get() + at);
        samplers.push_back(Sampler(functions[f], control.Stop));
        advance();
    }
    std::vector<std::optional<TFunctionOfX>> slopeOf(count);
    for (std::size_t f = 0; f < count && f < control.FirstSlopes.size(); ++f)
        if (control.FirstSlopes[f]) slopeOf[f] = Sampler(*control.FirstSlopes[f], control.Stop);

    for (std::size_t f = 0; f < count && !stopped(); ++f) {
        std::vector<TExtreme> extremes;
        const int index = static_cast<int>(f);
        if (TooCoarse(series[f], xs.size())) result.Coarse.push_back(index);
        const TFunctionOfX* slope = slopeOf[f] ? &*slopeOf[f] : nullptr;
        for (const TZero& z : Zeros(xs, series[f], step, samplers[f], false, extremes, result.Truncated, slope))
            result.Points.push_back({TPointKind::Zero, index, -1, z.X, 0, z.Digits, 18});
        for (const TExtreme& e : extremes)
            result.Points.push_back({e.Maximum ? TPointKind::Maximum : TPointKind::Minimum, index, -1, e.X, e.Y,
                                     KnownDigits(e.X, e.Width), KnownDigits(e.Y, e.Uncertainty)});
        if (slope != nullptr && f < control.SecondSlopes.size() && control.SecondSlopes[f])
            Inflections(xs, step, samplers[f], *slope, *control.SecondSlopes[f], index, result);
        if (control.MoreKinds &&
            FindFeaturePoints(xs, series[f].Y.data(), series[f].Ok.get(), step, samplers[f], index, result.Points))
            result.Truncated = true;
        advance();
    }

    for (std::size_t f = 0; f < count; ++f)
        for (std::size_t g = f + 1; g < count && !stopped(); ++g) {
            Intersections(xs, series[f], series[g], step, samplers[f], samplers[g], static_cast<int>(f),
                          static_cast<int>(g), result, slopeOf[f] ? &*slopeOf[f] : nullptr,
                          slopeOf[g] ? &*slopeOf[g] : nullptr);
            advance();
        }
    result.Stopped = stopped();
    return result;
}

} // namespace analysis
