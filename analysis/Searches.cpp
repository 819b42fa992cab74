#include "analysis/Searches.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

// Enough halvings to go from one end of the long double range to the other.
constexpr int kHalvings = 20000;

} // namespace

long double Resolution(long double x, long double step)
{
    return 0x1p-63L * std::max(std::fabs(x), step);
}

TSignChange HalveSignChange(const TFunctionOfX& f, long double a, long double fa, long double b, long double fb)
{
    TSignChange out;
    const long double start = std::max(std::fabs(fa), std::fabs(fb));
    for (int guard = 0; guard < kHalvings; ++guard) {
        const long double m = a + (b - a) / 2;
        if (!(m > a && m < b) && !(m < a && m > b)) break; // adjacent values
        long double fm;
        const bool defined = f(m, fm);
        if (!defined || fm == 0) {
            out.End = defined ? TSignChangeEnd::Zero : TSignChangeEnd::Fails;
            out.X = m;
            return out;
        }
        if ((fm < 0) == (fa < 0)) {
            a = m;
            fa = fm;
        } else {
            b = m;
            fb = fm;
        }
    }
    out.End = std::max(std::fabs(fa), std::fabs(fb)) <= start * kShrink ? TSignChangeEnd::Zero : TSignChangeEnd::Jump;
    out.X = std::fabs(fa) <= std::fabs(fb) ? a : b;
    return out;
}

void HalveToEdge(const TFunctionOfX& f, long double& in, long double& out, long double step)
{
    for (int guard = 0; guard < kHalvings; ++guard) {
        const long double m = in + (out - in) / 2;
        if (m == in || m == out || std::fabs(out - in) <= Resolution(out, step)) break;
        long double v;
        (f(m, v) ? in : out) = m;
    }
}

bool ClimbToTop(const TFunctionOfX& g, long double a, long double& m, long double b, long double& gm,
                long double fineness, long double step, const std::function<void(long double gm)>& each)
{
    for (int k = 0; k < 400 && b - a > fineness * std::max(std::fabs(m), step); ++k) {
        const bool right = b - m > m - a;
        const long double t = right ? m + kGolden * (b - m) : m - kGolden * (m - a);
        if (t == m || t == a || t == b) break;
        long double gt;
        if (!g(t, gt)) {
            m = t;
            return false;
        }
        if (gt > gm) {
            (right ? a : b) = m;
            m = t;
            gm = gt;
        } else {
            (right ? b : a) = t;
        }
        if (each) each(gm);
    }
    return true;
}

} // namespace analysis
