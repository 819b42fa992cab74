#include "analysis/Equations.h"

#include "analysis/Integral.h"
#include "analysis/Searches.h"
#include "engine/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace analysis {

namespace {

using TPoly = std::vector<long double>; // coefficients, lowest first

long double Horner(const TPoly& p, long double x)
{
    long double y = 0;
    for (auto it = p.rbegin(); it != p.rend(); ++it) y = y * x + *it;
    return y;
}

TPoly Slope(const TPoly& p)
{
    TPoly d;
    for (std::size_t k = 1; k < p.size(); ++k) d.push_back(p[k] * static_cast<long double>(k));
    return d;
}

// Whether f agrees with the polynomial p, within a rounding far larger
// than the fit's, at points near and far, out to the bound of p's roots.
bool Agrees(const TBoundFunction& f, const TPoly& p)
{
    std::vector<long double> xs{3.5L, -2.75L, 0x1p20L, -0x1p20L, 0x1p40L, -0x1p40L};
    if (p.size() >= 2 && p.back() != 0) {
        long double bound = 0;
        for (std::size_t k = 0; k + 1 < p.size(); ++k) bound = std::max(bound, std::fabs(p[k] / p.back()));
        bound = 2 * (bound + 1);
        for (long double x : {bound, -bound, bound / 3, -bound / 5}) xs.push_back(x);
    }
    for (long double x : xs) {
        long double y;
        if (!std::isfinite(x) || !f(x, y) || !std::isfinite(y)) continue;
        long double terms = 0, power = 1;
        for (long double c : p) terms += std::fabs(c) * power, power *= std::fabs(x);
        if (!std::isfinite(terms)) continue;
        if (std::fabs(y - Horner(p, x)) > std::max(terms, std::fabs(y)) * 0x1p-40L) return false;
    }
    return true;
}

// The coefficients of f, a polynomial of degree `degree`, from its values
// at -2, -1, 0, 1, 2 (exact for whole coefficients of moderate size, close
// otherwise: they only place the turning points).
bool Coefficients(const TBoundFunction& f, int degree, TPoly& p)
{
    long double y[5];
    for (int k = 0; k < 5; ++k)
        if (!f(static_cast<long double>(k - 2), y[k])) return false;
    const long double m2 = y[0], m1 = y[1], z = y[2], p1 = y[3], p2 = y[4];
    p.assign(5, 0);
    p[0] = z;
    p[1] = (8 * (p1 - m1) - (p2 - m2)) / 12;
    p[2] = (16 * (p1 + m1) - (p2 + m2) - 30 * z) / 24;
    p[3] = ((p2 - m2) - 2 * (p1 - m1)) / 12;
    p[4] = ((p2 + m2) - 4 * (p1 + m1) + 6 * z) / 24;
    p.resize(static_cast<std::size_t>(degree) + 1);
    while (p.size() > 1 && p.back() == 0) p.pop_back();
    // The leading coefficient may be rounding only (x^4 that cancels) or
    // lost in it (a huge constant): the highest degree whose polynomial
    // agrees with f far from the points of the fit, none if no degree does.
    for (;;) {
        if (Agrees(f, p)) return true;
        if (p.size() == 1) return false;
        p.pop_back();
    }
}

// The real roots of the polynomial p (its own values), increasing.
std::vector<long double> PolyRoots(const TPoly& p)
{
    std::vector<long double> roots;
    if (p.size() < 2) return roots;
    const long double lead = p.back();
    long double bound = 0;
    for (std::size_t k = 0; k + 1 < p.size(); ++k) bound = std::max(bound, std::fabs(p[k] / lead));
    bound += 1;
    std::vector<long double> points{-bound};
    for (long double c : PolyRoots(Slope(p))) points.push_back(c);
    points.push_back(bound);
    const TFunctionOfX g = [&p](long double x, long double& y) {
        y = Horner(p, x);
        return true;
    };
    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
        const long double a = points[k], b = points[k + 1];
        const long double fa = Horner(p, a), fb = Horner(p, b);
        if (fa == 0) roots.push_back(a);
        else if (fb != 0 && (fa < 0) != (fb < 0)) roots.push_back(HalveSignChange(g, a, fa, b, fb).X);
    }
    return roots;
}

bool SameSign(long double a, long double b)
{
    return (a < 0) == (b < 0);
}

// A root of f in [a, b], where f changes sign, down to adjacent values.
bool RefineChange(const TBoundFunction& f, long double a, long double fa, long double b, long double fb, long double& x)
{
    const TSignChange c = HalveSignChange(f, a, fa, b, fb);
    x = c.X;
    return c.End == TSignChangeEnd::Zero;
}

// The low point of |f| near m, inside [a, b], where f does not change
// sign: the zero of f' when e.Slope changes sign there (exact: true), else
// the top of -|f| climbed by golden section (about half the digits).
bool LowPoint(const TEquation& e, long double a, long double m, long double b, long double& x)
{
    x = m;
    long double sa, sb;
    if (e.Slope && e.Slope(a, sa) && e.Slope(b, sb) && sa != 0 && sb != 0 && !SameSign(sa, sb)) {
        const TSignChange c = HalveSignChange(e.Slope, a, sa, b, sb);
        if (c.End == TSignChangeEnd::Zero) {
            x = c.X;
            return true;
        }
    }
    long double gm;
    if (!e.F(m, gm)) return false;
    gm = -std::fabs(gm);
    const TFunctionOfX g = [&e](long double t, long double& y) {
        if (!e.F(t, y)) return false;
        y = -std::fabs(y);
        return true;
    };
    ClimbToTop(g, a, x, b, gm, 0x1p-60L, b - a);
    return false;
}

// The spacing of extended values at x.
long double Ulp(long double x)
{
    return std::nextafter(std::fabs(x), std::numeric_limits<long double>::infinity()) - std::fabs(x);
}

void Tidy(std::vector<long double>& roots)
{
    for (long double& r : roots)
        if (r == 0) r = 0; // no -0
    std::sort(roots.begin(), roots.end());
    std::vector<long double> kept;
    for (long double r : roots)
        if (kept.empty() || (r != kept.back() && std::nextafter(kept.back(), r) != r)) kept.push_back(r);
    roots.swap(kept);
}

bool SolvePolynomial(const TEquation& e, std::vector<long double>& roots, int& digits, std::string& why)
{
    TPoly p;
    if (!Coefficients(e.F, e.Degree, p)) return false;
    if (p.size() < 2) {
        why = p[0] == 0 ? "resolver: la ecuación se cumple para todo valor de la incógnita" : "resolver: sin solución real";
        return true;
    }
    const long double lead = p.back();
    long double bound = 0;
    for (std::size_t k = 0; k + 1 < p.size(); ++k) bound = std::max(bound, std::fabs(p[k] / lead));
    bound = 2 * (bound + 1);
    std::vector<long double> points{-bound};
    for (long double c : PolyRoots(Slope(p))) points.push_back(c);
    points.push_back(bound);
    std::vector<long double> ys(points.size());
    for (std::size_t k = 0; k < points.size(); ++k)
        if (!e.F(points[k], ys[k])) return false;
    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
        long double x;
        if (ys[k] == 0) roots.push_back(points[k]);
        else if (ys[k + 1] != 0 && !SameSign(ys[k], ys[k + 1]) && RefineChange(e.F, points[k], ys[k], points[k + 1], ys[k + 1], x))
            roots.push_back(x);
    }
    // Turning points where the polynomial touches 0: kept when f is 0 there
    // within the rounding of its terms.
    for (std::size_t k = 1; k + 1 < points.size(); ++k) {
        if (ys[k] == 0 || !SameSign(ys[k - 1], ys[k]) || !SameSign(ys[k], ys[k + 1])) continue;
        long double x, y;
        const bool exact = LowPoint(e, points[k - 1], points[k], points[k + 1], x);
        long double terms = 0;
        for (std::size_t j = 0; j < p.size(); ++j) terms += std::fabs(p[j]) * std::pow(std::fabs(x), static_cast<long double>(j));
        if (!e.F(x, y) || std::fabs(y) > terms * 0x1p-61L) continue;
        roots.push_back(x);
        if (!exact) digits = std::min(digits, 9);
    }
    if (e.Bounded)
        roots.erase(std::remove_if(roots.begin(), roots.end(), [&](long double r) { return r < e.A || r > e.B; }), roots.end());
    return true;
}

void SolveSurvey(const TEquation& e, std::vector<long double>& roots, std::string& warning)
{
    const int n = kSurvey;
    std::vector<long double> xs(n + 1), ys(n + 1);
    std::vector<char> ok(n + 1);
    for (int i = 0; i <= n; ++i) {
        xs[i] = i == n ? e.B : e.A + (e.B - e.A) * static_cast<long double>(i) / n;
        ok[i] = e.F(xs[i], ys[i]);
        if (i % 256 == 0) {
            if (BoundStopped()) return;
            ReportBoundProgress(i * 100 / n);
        }
    }
    int lastChange = -10;
    bool crowded = false, gaps = false, nearMiss = false;
    for (int i = 0; i <= n; ++i) {
        if (!ok[i]) {
            gaps = true;
            continue;
        }
        if (ys[i] == 0) {
            roots.push_back(xs[i]);
            continue;
        }
        if (i == n || !ok[i + 1] || ys[i + 1] == 0) continue;
        if (!SameSign(ys[i], ys[i + 1])) {
            long double x;
            if (RefineChange(e.F, xs[i], ys[i], xs[i + 1], ys[i + 1], x)) {
                if (i - lastChange <= 1) crowded = true;
                lastChange = i;
                roots.push_back(x);
            }
        } else if (i > 0 && ok[i - 1] && ys[i - 1] != 0 && SameSign(ys[i - 1], ys[i]) &&
                   std::fabs(ys[i]) < std::fabs(ys[i - 1]) && std::fabs(ys[i]) <= std::fabs(ys[i + 1])) {
            // A low point of |f|: a double zero when f there is no more than
            // its curvature allows within a few values of x of one.
            long double x, y, left, right;
            const long double h = xs[i + 1] - xs[i];
            const long double curvature = std::fabs(ys[i - 1] - 2 * ys[i] + ys[i + 1]) / (h * h);
            const bool exact = LowPoint(e, xs[i - 1], xs[i], xs[i + 1], x);
            const bool valued = e.F(x, y);
            if (valued && y != 0 && !SameSign(y, ys[i])) {
                // Two solutions closer than the survey's step, one each side.
                if (RefineChange(e.F, xs[i - 1], ys[i - 1], x, y, left)) roots.push_back(left);
                if (RefineChange(e.F, x, y, xs[i + 1], ys[i + 1], right)) roots.push_back(right);
            } else if (exact && valued && (y == 0 || std::fabs(y) <= 16 * curvature * Ulp(x) * Ulp(x)))
                roots.push_back(x);
            else if (std::fabs(ys[i]) < 1e-6L * std::max(std::fabs(ys[i - 1]), std::fabs(ys[i + 1])))
                nearMiss = true;
        }
    }
    if (crowded) warning = "puede haber más soluciones entre las halladas, muy juntas";
    else if (nearMiss) warning = "la ecuación casi se cumple en algún punto sin solución hallada";
    else if (gaps) warning = "la ecuación no tiene valor en parte del intervalo";
}

} // namespace

bool SolveEquation(const TEquation& e, TSolutions& out, std::string& why)
{
    std::vector<long double>& roots = out.Roots;
    std::string& warning = out.Warning;
    roots.clear();
    warning.clear();
    why.clear();
    out.Digits = 18;
    if (e.Degree >= 0 && SolvePolynomial(e, roots, out.Digits, why)) {
        Tidy(roots);
    } else {
        roots.clear();
        why.clear();
        out.Digits = 18;
        SolveSurvey(e, roots, warning);
        Tidy(roots);
        if (roots.empty())
            why = "resolver: sin solución real en [" + FormatGeneral(e.A, 15) + "; " + FormatGeneral(e.B, 15) + "]";
    }
    if (roots.size() > kMaxSolutions) {
        warning = "hay " + std::to_string(roots.size()) + " soluciones; se muestran las " + std::to_string(kMaxSolutions) +
                  " primeras";
        roots.resize(kMaxSolutions);
    }
    if (roots.empty() && why.empty()) why = "resolver: sin solución real";
    return !roots.empty();
}

void InstallExpressionCalculus()
{
    if (HasBoundCalculus()) return;
    TBoundCalculus calculus;
    calculus.Integral = [](const TBoundFunction& f, long double a, long double b, long double& value, int& digits,
                           std::string& why) {
        const TIntegral r = Integrate(f, a, b, BoundStopFlag(), ReportBoundProgress);
        if (r.Outcome == TIntegralOutcome::Done && (r.Digits() > 0 || r.Value == 0)) {
            value = r.Value;
            digits = r.Value == 0 ? 18 : r.Digits(); // 0 within the rounding of the integral of |f|
            return true;
        }
        why = IntegralText(r, "", 15);
        if (!why.empty() && why.back() == '.') why.pop_back();
        return false;
    };
    calculus.Solve = SolveEquation;
    SetBoundCalculus(std::move(calculus));
}

} // namespace analysis
