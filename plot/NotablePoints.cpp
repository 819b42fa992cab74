#include "plot/NotablePoints.h"

#include "engine/Expression.h"
#include "engine/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace plot {

namespace {

// f(x) through the evaluator: false when the evaluation fails.
using TFunctionOfX = std::function<bool(long double x, long double& y)>;

// |f| must shrink at least this much from the sign change's samples to the
// adjacent values around the zero; a pole grows, a jump stays.
constexpr long double kShrink = 0x1p-10L;
constexpr long double kGolden = 0.381966011250105151795L; // 2 - the golden ratio

// A function (or a difference of two) on the grid.
struct TSeries {
    std::vector<long double> Y;
    std::unique_ptr<bool[]> Ok;
};

// Halves the sign change [a, b] down to two adjacent values of x; false for
// a pole or a jump.
bool ShrinkSignChange(const TFunctionOfX& f, long double a, long double fa, long double b, long double fb,
                      long double& x)
{
    const long double start = std::max(std::fabs(fa), std::fabs(fb));
    for (int guard = 0; guard < 20000; ++guard) {
        const long double m = a + (b - a) / 2;
        if (!(m > a && m < b)) break; // adjacent values
        long double fm;
        if (!f(m, fm)) return false;
        if (fm == 0) {
            x = m;
            return true;
        }
        if ((fm < 0) == (fa < 0)) {
            a = m;
            fa = fm;
        } else {
            b = m;
            fb = fm;
        }
    }
    if (!(std::min(std::fabs(fa), std::fabs(fb)) <= start * kShrink)) return false;
    x = std::fabs(fa) <= std::fabs(fb) ? a : b;
    return true;
}

struct TExtreme {
    long double X, Y;
    bool Maximum;
    bool IsZero;
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

    // Golden section from a < m < b with g(m) above g(a) and g(b).
    bool Search(long double a, long double m, long double b, long double& gm) const
    {
        for (int k = 0; k < 400 && b - a > 0x1p-64L * std::max(std::fabs(m), Step); ++k) {
            const bool right = b - m > m - a;
            const long double t = right ? m + kGolden * (b - m) : m - kGolden * (m - a);
            if (t == m || t == a || t == b) break;
            long double gt;
            if (!G(t, gt)) return false;
            if (gt > gm) {
                (right ? a : b) = m;
                m = t;
                gm = gt;
            } else {
                (right ? b : a) = t;
            }
        }
        Found = m;
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

    // The value is 0 within the precision of x: smaller than the change of
    // f across it.
    bool ValueIsZero(long double x, long double y) const
    {
        if (y == 0) return true;
        const long double d = 0x1p-30L * std::max(std::fabs(x), Step);
        long double left, right;
        if (!F(x - d, left) || !F(x + d, right)) return false;
        return std::fabs(y) <= 16 * std::max(std::fabs(left - y), std::fabs(right - y));
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
    if (!climb.Search(x[0], x[1], x[2], g)) return false;
    // A smooth extreme lies within a fraction of the samples' drop above
    // the best sample; a climb far beyond it went up a pole.
    if (g - g0 > 4 * drop) return false;
    long double at = climb.Found;
    climb.Snap(at, g);
    out = {at, sign * g, maximum, climb.ValueIsZero(at, sign * g)};
    return true;
}

void ScanZeros(const std::vector<long double>& xs, const TSeries& s, const TFunctionOfX& f,
               std::vector<long double>& zeros, bool& truncated)
{
    const std::size_t n = xs.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (zeros.size() > kMaxPointsEach) break;
        if (s.Ok[i] && s.Y[i] == 0) {
            std::size_t j = i;
            while (j + 1 < n && s.Ok[j + 1] && s.Y[j + 1] == 0) ++j;
            if (j == i) zeros.push_back(xs[i]); // a run of zeros is a flat stretch
            i = j;
            continue;
        }
        long double x;
        if (i + 1 < n && s.Ok[i] && s.Ok[i + 1] && s.Y[i + 1] != 0 && (s.Y[i] < 0) != (s.Y[i + 1] < 0) &&
            ShrinkSignChange(f, xs[i], s.Y[i], xs[i + 1], s.Y[i + 1], x))
            zeros.push_back(x);
    }
    if (zeros.size() > kMaxPointsEach) {
        zeros.resize(kMaxPointsEach);
        truncated = true;
    }
}

// With `nearZero`, only the extremes that may have the value 0 are refined
// (a sample within the drop to its neighbours of 0).
void ScanExtremes(const std::vector<long double>& xs, const TSeries& s, long double step, const TFunctionOfX& f,
                  bool nearZero, std::vector<TExtreme>& extremes, bool& truncated)
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
                RefineExtreme(f, maximum, step, {xs[i - 1], xs[i], xs[j + 1]}, {left, here, right}, e))
                extremes.push_back(e);
        }
        i = j + 1;
    }
    if (extremes.size() > kMaxPointsEach) {
        extremes.resize(kMaxPointsEach);
        truncated = true;
    }
}

// The zeros of a series: its sign changes and exact zeros, and the
// extremes whose value is 0.  `extremes` receives every extreme.
std::vector<long double> Zeros(const std::vector<long double>& xs, const TSeries& s, long double step,
                               const TFunctionOfX& f, bool tangenciesOnly, std::vector<TExtreme>& extremes,
                               bool& truncated)
{
    std::vector<long double> zeros;
    ScanZeros(xs, s, f, zeros, truncated);
    ScanExtremes(xs, s, step, f, tangenciesOnly, extremes, truncated);
    const std::size_t found = zeros.size();
    for (const TExtreme& e : extremes) {
        if (!e.IsZero) continue;
        const bool known = std::any_of(zeros.begin(), zeros.begin() + static_cast<std::ptrdiff_t>(found),
                                       [&](long double z) { return std::fabs(z - e.X) <= step / 4; });
        if (!known) zeros.push_back(e.X);
    }
    std::sort(zeros.begin(), zeros.end());
    if (zeros.size() > kMaxPointsEach) {
        zeros.resize(kMaxPointsEach);
        truncated = true;
    }
    return zeros;
}

// f(x) at single points, from the function's own compiled program: the
// parser's x and error state stay as they are.
TFunctionOfX Sampler(const TExpression& function, bool degrees)
{
    auto sampler = std::make_shared<TSampler>(function.Sampler("x", degrees));
    return [sampler](long double x, long double& y) { return sampler->Evaluate(x, y); };
}

} // namespace

TNotablePoints FindNotablePoints(const TFunctionList& functions, int range)
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
    std::vector<TSeries> series(count);
    std::vector<TFunctionOfX> samplers;
    const bool degrees = AngleUnitIsDegrees();
    for (std::size_t f = 0; f < count; ++f) {
        series[f].Y.resize(xs.size());
        series[f].Ok.reset(new bool[xs.size()]);
        functions[f]->EvaluateBatch("x", xs.data(), xs.size(), series[f].Y.data(), series[f].Ok.get());
        samplers.push_back(Sampler(*functions[f], degrees));
    }

    for (std::size_t f = 0; f < count; ++f) {
        std::vector<TExtreme> extremes;
        const int index = static_cast<int>(f);
        for (long double z : Zeros(xs, series[f], step, samplers[f], false, extremes, result.Truncated))
            result.Points.push_back({TPointKind::Zero, index, -1, z, 0});
        for (const TExtreme& e : extremes)
            result.Points.push_back({e.Maximum ? TPointKind::Maximum : TPointKind::Minimum, index, -1, e.X, e.Y});
    }

    for (std::size_t f = 0; f < count; ++f)
        for (std::size_t g = f + 1; g < count; ++g) {
            TSeries d;
            d.Y.resize(xs.size());
            d.Ok.reset(new bool[xs.size()]);
            for (std::size_t i = 0; i < xs.size(); ++i) {
                d.Ok[i] = series[f].Ok[i] && series[g].Ok[i];
                d.Y[i] = d.Ok[i] ? series[f].Y[i] - series[g].Y[i] : 0;
            }
            const TFunctionOfX& first = samplers[f];
            const TFunctionOfX& second = samplers[g];
            const TFunctionOfX difference = [&](long double x, long double& y) {
                long double a, b;
                if (!first(x, a) || !second(x, b)) return false;
                y = a - b;
                return true;
            };
            std::vector<TExtreme> tangencies;
            for (long double z : Zeros(xs, d, step, difference, true, tangencies, result.Truncated)) {
                long double y;
                if (first(z, y) || second(z, y))
                    result.Points.push_back({TPointKind::Intersection, static_cast<int>(f), static_cast<int>(g), z, y});
            }
        }
    return result;
}

} // namespace plot
