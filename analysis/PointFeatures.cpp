#include "analysis/PointFeatures.h"

#include "engine/NumberFormat.h"
#include "analysis/Searches.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

// The shortest decimal in [lo, hi], else `fallback`.
long double Shortest(long double lo, long double hi, long double fallback)
{
    if (lo <= 0 && hi >= 0) return 0;
    const long double mid = lo + (hi - lo) / 2;
    for (int digits = 2; digits <= 18; ++digits) {
        long double c;
        if (ParseDecimal(FormatGeneral(mid, digits), c) && c >= lo && c <= hi) return c;
    }
    return fallback;
}

// The top of |f| in [a, b] around the sample m; a point where f fails is
// the top.
long double TopOfMagnitude(const TPointFunction& f, long double a, long double m, long double b, long double gm,
                           long double step)
{
    const TFunctionOfX magnitude = [&f](long double x, long double& y) {
        if (!f(x, y)) return false;
        y = std::fabs(y);
        return true;
    };
    ClimbToTop(magnitude, a, m, b, gm, 0x1p-63L, step);
    return m;
}

bool Defined(const bool* ok, std::size_t n, std::size_t i)
{
    return i < n && ok[i];
}

// The vertical asymptotes inside the grid: sign changes and peaks of |f|
// that grow without bound from both sides.
void ScanPoles(const std::vector<long double>& xs, const long double* ys, const bool* ok, long double step,
               const TPointFunction& f, std::vector<long double>& poles)
{
    const std::size_t n = xs.size();
    const auto magnitude = [&](std::size_t i) { return std::fabs(ys[i]); };
    for (std::size_t i = 1; i + 2 < n; ++i) {
        if (!ok[i] || !ok[i + 1]) continue;
        long double p;
        const bool outerLeft = Defined(ok, n, i - 1), outerRight = Defined(ok, n, i + 2);
        if (ys[i] != 0 && ys[i + 1] != 0 && (ys[i] < 0) != (ys[i + 1] < 0)) {
            // Larger at the change than a step further out: not the way of a zero.
            if (outerLeft && magnitude(i - 1) > magnitude(i)) continue;
            if (outerRight && magnitude(i + 2) > magnitude(i + 1)) continue;
            p = HalveSignChange(f, xs[i], ys[i], xs[i + 1], ys[i + 1]).X;
        } else if (outerLeft && magnitude(i) >= magnitude(i - 1) && magnitude(i) >= magnitude(i + 1) &&
                   magnitude(i) > 2 * std::min(magnitude(i - 1), magnitude(i + 1)) &&
                   (ys[i - 1] < 0) == (ys[i] < 0) && (ys[i + 1] < 0) == (ys[i] < 0)) {
            p = TopOfMagnitude(f, xs[i - 1], xs[i], xs[i + 1], magnitude(i), step);
        } else {
            continue;
        }
        const long double h = step / 2;
        if (GrowsWithoutBound(f, p, -1, h, step) && GrowsWithoutBound(f, p, +1, h, step)) poles.push_back(p);
    }
}

} // namespace

bool GrowsWithoutBound(const TPointFunction& f, long double p, int side, long double h, long double step)
{
    long double v[4];
    const long double closest = 2 * Resolution(p, step);
    for (int k = 0; k < 4; ++k) {
        const long double d = std::max(std::ldexp(h, -20 * k), closest);
        long double y;
        if (!f(p + side * d, y)) {
            if (k == 0) return false;
            v[k] = INFINITY;
        } else {
            v[k] = std::fabs(y);
        }
    }
    if (std::isinf(v[3]) && v[1] >= v[0]) return true;
    return v[3] >= 4 * v[0] && v[3] >= v[2] && v[2] >= v[1] && v[1] >= v[0] && v[3] - v[2] >= v[3] / 10;
}

bool FindFeaturePoints(const std::vector<long double>& xs, const long double* ys, const bool* ok, long double step,
                       const TPointFunction& f, int function, std::vector<TNotablePoint>& points)
{
    long double y0;
    if (f(0, y0)) points.push_back({TPointKind::YIntercept, function, -1, 0, y0, 18, 18});

    std::vector<long double> poles;
    struct TEnd {
        long double X, Y;
    };
    std::vector<TEnd> ends;
    const std::size_t n = xs.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        if (ok[i] == ok[i + 1]) continue;
        const std::size_t sample = ok[i] ? i : i + 1;
        long double in = xs[sample], out = xs[ok[i] ? i + 1 : i];
        const int towards = in < out ? -1 : +1; // from the edge back into the domain
        HalveToEdge(f, in, out, step);
        if (GrowsWithoutBound(f, out, towards, std::fabs(xs[i + 1] - xs[i]) / 2, step)) {
            poles.push_back(out);
            continue;
        }
        long double x = Shortest(std::min(in, out), std::max(in, out), in), y;
        if (!f(x, y)) {
            x = in;
            f(in, y);
        }
        if (std::fabs(y) <= std::fabs(ys[sample]) * 0x1p-10L) y = 0; // f tends to 0 there
        if (!ends.empty() && std::fabs(ends.back().X - x) <= step / 2) continue; // a hole: one point
        ends.push_back({x, y});
    }
    ScanPoles(xs, ys, ok, step, f, poles);
    std::sort(poles.begin(), poles.end());
    long double last = -INFINITY;
    std::size_t listed = 0;
    bool truncated = false;
    for (long double p : poles) {
        if (p - last <= step / 2) continue; // the same pole seen from both sides
        last = p;
        if (++listed > kMaxPointsEach) {
            truncated = true;
            break;
        }
        points.push_back({TPointKind::Asymptote, function, -1, p, 0, 18, 0});
    }
    if (ends.size() > kMaxPointsEach) {
        ends.resize(kMaxPointsEach);
        truncated = true;
    }
    for (const TEnd& e : ends) points.push_back({TPointKind::DomainEnd, function, -1, e.X, e.Y, 18, 18});
    return truncated;
}

} // namespace analysis
