#include "analysis/IntegralSurvey.h"

#include "analysis/Searches.h"

#include <algorithm>
#include <cmath>

namespace analysis::quadrature {

namespace {

// A step between two samples more than this many times both steps beside it
// is looked at closely: a jump, a pole or a narrow peak may lie there.
constexpr long double kLoneStep = 2;

void Sample(TContext& c, long double a, long double b, TSamples& s)
{
    s.X.resize(kSurveyGrid + 1);
    s.Y.assign(kSurveyGrid + 1, 0);
    s.Ok.assign(kSurveyGrid + 1, 0);
    for (int i = 0; i <= kSurveyGrid; ++i) {
        s.X[i] = i == kSurveyGrid ? b : a + (b - a) * static_cast<long double>(i) / kSurveyGrid;
        s.Ok[i] = c.Eval(s.X[i], s.Y[i]);
        if (!s.Ok[i]) s.Y[i] = 0;
    }
}

// The stretches where the samples fail: a stretch wider than a point makes
// the survey Undefined; a point inside the interval is a split.
bool FailingRuns(TContext& c, long double a, long double b, TSurvey& s)
{
    const TSamples& p = s.Samples;
    for (int i = 0; i <= kSurveyGrid; ++i) {
        if (p.Ok[i]) continue;
        int j = i;
        while (j < kSurveyGrid && !p.Ok[j + 1]) ++j;
        long double fromIn = a, fromOut = a, toIn = b, toOut = b;
        if (i > 0) fromIn = p.X[i - 1], fromOut = p.X[i], NarrowEdge(c, fromIn, fromOut);
        if (j < kSurveyGrid) toIn = p.X[j + 1], toOut = p.X[j], NarrowEdge(c, toIn, toOut);
        if (toIn - fromIn > kPointWidth * c.Scale()) {
            s.Undefined = true;
            s.From = i == 0 ? a : ShortestDecimal(fromIn, fromOut);
            s.To = j == kSurveyGrid ? b : ShortestDecimal(toOut, toIn);
            return false;
        }
        if (i > 0 && j < kSurveyGrid) s.Splits.push_back(p.X[i]);
        i = j;
    }
    return true;
}

// f fails at q between the samples `left` and `right`: Undefined, or a split.
bool FailsBetween(TContext& c, long double left, long double q, long double right, TSurvey& s)
{
    const TGap gap = GapAround(c, left, q, right);
    if (gap.Width > kPointWidth * c.Scale()) {
        s.Undefined = true;
        s.From = gap.From;
        s.To = gap.To;
        return false;
    }
    s.Splits.push_back(q);
    return true;
}

// Sign changes between neighbouring samples: a pole or a jump across 0
// splits; for an area, a crossing too.  `split[i]`: a split lies between
// samples i and i + 1.
bool SignChanges(TContext& c, bool area, TSurvey& s, std::vector<char>& split)
{
    const TSamples& p = s.Samples;
    const long double negligible = 0x1p-76L * s.AbsEstimate;
    int last = -1; // the last defined sample that is not 0
    for (int i = 0; i <= kSurveyGrid; ++i) {
        if (!p.Ok[i]) last = -1;
        if (!p.Ok[i] || p.Y[i] == 0) continue;
        if (last >= 0 && (p.Y[last] < 0) != (p.Y[i] < 0)) {
            if (last + 1 < i) { // zeros between
                if (area) s.Splits.push_back(p.X[last + 1]);
            } else {
                // An integral needs to know only whether it is a zero; an area, where.
                const TCrossing x =
                    LocateCrossing(c, p.X[last], p.Y[last], p.X[i], p.Y[i], area ? negligible : 0, !area);
                if (x.End == TCrossing::Fails && !FailsBetween(c, p.X[last], x.X, p.X[i], s)) return false;
                if (x.End == TCrossing::Jump || (area && x.End == TCrossing::Zero)) {
                    s.Splits.push_back(x.X);
                    s.SplitError += x.Error;
                }
                split[static_cast<std::size_t>(last)] = 1;
            }
        }
        last = i;
    }
    return true;
}

// Jumps: a step between samples far larger than those beside it, halved
// down to adjacent values; a jump, a pole or a point where f fails splits.
bool Steps(TContext& c, TSurvey& s, std::vector<char>& split)
{
    const TSamples& p = s.Samples;
    auto step = [&p](int i) {
        return i >= 0 && i < kSurveyGrid && p.Ok[i] && p.Ok[i + 1] ? std::fabs(p.Y[i + 1] - p.Y[i]) : 0.0L;
    };
    for (int i = 0; i < kSurveyGrid; ++i) {
        const long double d = step(i);
        const bool lone = d > kLoneStep * std::max(step(i - 1), step(i + 1));
        if (!(d > 0) || split[static_cast<std::size_t>(i)] || !lone) continue;
        const TStep found = LocateStep(c, p.X[i], p.Y[i], p.X[i + 1], p.Y[i + 1]);
        if (found.Fails) {
            if (!FailsBetween(c, p.X[i], found.FailsAt, p.X[i + 1], s)) return false;
        } else if (std::fabs(found.FR - found.FL) >= d / 4) {
            s.Splits.push_back(found.R);
            s.SplitError += std::fabs(found.FR - found.FL) * (found.R - found.L);
        }
        split[static_cast<std::size_t>(i)] = 1;
        if (c.Halted()) return true;
    }
    return true;
}

// Lone peaks: a sample whose |f| is more than twice its neighbours', climbed
// by golden section; a point where f fails, or whose |f| towers 2^20 times
// above the sample's (1/sqrt(abs(x - 0.3)) near 0.3), splits.
bool Peaks(TContext& c, TSurvey& s, const std::vector<char>& split)
{
    const TSamples& p = s.Samples;
    const TFunctionOfX magnitude = [&c](long double x, long double& y) {
        const bool ok = c.Eval(x, y);
        y = std::fabs(y);
        return ok;
    };
    for (int i = 1; i < kSurveyGrid && !c.Halted(); ++i) {
        if (!p.Ok[i - 1] || !p.Ok[i] || !p.Ok[i + 1] || split[static_cast<std::size_t>(i - 1)] ||
            split[static_cast<std::size_t>(i)])
            continue;
        const long double height = std::fabs(p.Y[i]);
        if (!(height > 2 * std::max(std::fabs(p.Y[i - 1]), std::fabs(p.Y[i + 1])))) continue;
        long double top = p.X[i], size = height;
        const bool defined = ClimbToTop(magnitude, p.X[i - 1], top, p.X[i + 1], size, 0x1p-63L, 0x1p-80L * c.Scale());
        if (!defined && !FailsBetween(c, p.X[i - 1], top, p.X[i + 1], s)) return false;
        if (defined && size >= 0x1p20L * height) s.Splits.push_back(SnapTop(c, top, size));
    }
    return true;
}

long double HalfSpacing(long double x)
{
    return (std::nextafter(std::fabs(x), INFINITY) - std::fabs(x)) / 2;
}

} // namespace

TSurvey Survey(TContext& c, long double a, long double b, bool area)
{
    TSurvey s;
    Sample(c, a, b, s.Samples);
    if (c.Halted() || !FailingRuns(c, a, b, s)) return s;
    const TSamples& p = s.Samples;
    for (int i = 0; i < kSurveyGrid; ++i)
        if (p.Ok[i] && p.Ok[i + 1])
            s.AbsEstimate += (std::fabs(p.Y[i]) + std::fabs(p.Y[i + 1])) / 2 * (p.X[i + 1] - p.X[i]);
    std::vector<char> split(kSurveyGrid, 0);
    if (!SignChanges(c, area, s, split) || !Steps(c, s, split) || !Peaks(c, s, split)) return s;
    if (p.Ok[0]) s.BoundError += std::fabs(p.Y[0]) * HalfSpacing(a);
    if (p.Ok[kSurveyGrid]) s.BoundError += std::fabs(p.Y[kSurveyGrid]) * HalfSpacing(b);
    std::sort(s.Splits.begin(), s.Splits.end());
    s.Splits.erase(std::unique(s.Splits.begin(), s.Splits.end()), s.Splits.end());
    s.Splits.erase(std::remove_if(s.Splits.begin(), s.Splits.end(), [&](long double x) { return !(x > a && x < b); }),
                   s.Splits.end());
    return s;
}

} // namespace analysis::quadrature
