#include "analysis/Quadrature.h"

#include "analysis/Searches.h"
#include "engine/NumberFormat.h"

#include <utility>

namespace analysis::quadrature {

namespace {

// The 15-point Kronrod rule on [-1, 1]: its nodes from the outside in and
// their weights; the nodes 1, 3, 5 and the centre are the 7-point Gauss
// rule's, with the weights kGauss.
constexpr long double kNode[8] = {
    0.991455371120812639206854697526329L, 0.949107912342758524526189684047851L,
    0.864864423359769072789712788640926L, 0.741531185599394439863864773280788L,
    0.586087235467691130294144845693013L, 0.405845151377397166906606412076961L,
    0.207784955007898467600689403773245L, 0.0L};
constexpr long double kWeight[8] = {
    0.022935322010529224963732008058970L, 0.063092092629978553290700663189204L,
    0.104790010322250183839876322541518L, 0.140653259715525918745189590510238L,
    0.169004726639267902826583426598550L, 0.190350578064785409913256402421014L,
    0.204432940075298892414161999234649L, 0.209482141084727828012999174891714L};
constexpr long double kGauss[4] = {0.129484966168869693270611432679082L, 0.279705391489276667901467771423780L,
                                   0.381830050505118944950369775488975L, 0.417959183673469387755102040816327L};

// The step between nodes that is more than this many times every other one
// marks a jump between them.
constexpr long double kDominance = 4;

// f at the nodes of the rule on one stretch, x increasing; the Gauss rule's
// are those of odd index.
struct TNodes {
    long double X[15], Y[15];
};

// f at the Gauss nodes (`gauss`) or at the others; false, with the node,
// where f fails.
bool Sample(TContext& c, long double a, long double b, bool gauss, TNodes& n, long double* failedAt)
{
    for (int i = gauss ? 1 : 0; i < 15; i += 2) {
        n.X[i] = RuleNode(a, b, i);
        if (!c.Eval(n.X[i], n.Y[i])) {
            if (failedAt != nullptr) *failedAt = n.X[i];
            return false;
        }
    }
    return true;
}

long double GaussValue(long double a, long double b, const TNodes& n)
{
    long double sum = kGauss[3] * n.Y[7];
    for (int i = 1; i < 7; i += 2) sum += kGauss[i / 2] * (n.Y[i] + n.Y[14 - i]);
    return sum * ((b - a) / 2);
}

signed char DominantStep(const long double* v)
{
    long double first = 0, second = 0;
    int at = -1;
    for (int i = 0; i < 14; ++i) {
        const long double d = std::fabs(v[i + 1] - v[i]);
        if (d > first) {
            second = first;
            first = d;
            at = i;
        } else if (d > second) {
            second = d;
        }
    }
    return first > 0 && first > kDominance * second ? static_cast<signed char>(at) : -1;
}

// The Kronrod rule from f at all 15 nodes.
TRule Combine(long double a, long double b, const TNodes& n)
{
    TRule r;
    const long double* v = n.Y;
    long double sum = kWeight[7] * v[7], abs = kWeight[7] * std::fabs(v[7]), moved = 0;
    long double lo = v[7], hi = v[7];
    for (int i = 0; i < 7; ++i) {
        sum += kWeight[i] * (v[i] + v[14 - i]);
        abs += kWeight[i] * (std::fabs(v[i]) + std::fabs(v[14 - i]));
        lo = std::min({lo, v[i], v[14 - i]});
        hi = std::max({hi, v[i], v[14 - i]});
    }
    for (int i = 0; i < 14; ++i)
        moved += std::fabs(v[i + 1] - v[i]) * std::max(std::fabs(n.X[i]), std::fabs(n.X[i + 1]));
    const long double h = (b - a) / 2;
    r.Value = sum * h;
    r.Abs = abs * std::fabs(h);
    r.Noise = 0x1p-63L * moved;
    r.Min = static_cast<double>(lo);
    r.Max = static_cast<double>(hi);
    r.Jump = DominantStep(v);
    r.Failed = !std::isfinite(r.Value) || !std::isfinite(r.Abs) || !std::isfinite(r.Noise);
    return r;
}

// The samples of f that a segment has besides its nodes: the survey's
// inside it (not at a split, an end of its piece where f may jump; the
// interval's own ends are fine) and its ends'.
template <class Visit>
void ForSamples(const TSegment& s, const TSamples* samples, Visit visit)
{
    if (s.HasA) visit(s.A, s.AtA);
    if (samples != nullptr) {
        const auto first = std::lower_bound(samples->X.begin(), samples->X.end(), s.A);
        for (auto it = first; it != samples->X.end() && *it <= s.B; ++it) {
            const auto i = static_cast<std::size_t>(it - samples->X.begin());
            const bool split = (*it == s.A && s.PieceA) || (*it == s.B && s.PieceB);
            if (!samples->Ok[i] || (split && i != 0 && i + 1 != samples->X.size())) continue;
            visit(*it, samples->Y[i]);
        }
    }
    if (s.HasB) visit(s.B, s.AtB);
}

// f at the nodes a segment's rules have read so far.
using TPoints = std::vector<std::pair<long double, long double>>;

void AddNodes(const TNodes& n, bool gauss, TPoints& points)
{
    for (int i = gauss ? 1 : 0; i < 15; i += 2) points.emplace_back(n.X[i], n.Y[i]);
}

// How far a sample y = f(x) lies from what the nodes of one half (every
// `step`-th from the first Gauss node, or all) let expect there, beyond what
// that expectation may miss: the polynomial through the six nodes nearest
// x, which may be off by four times as much as the one through the five
// nearest differs from it (or by rounding).  `span` receives the width a
// feature the nodes do not see may hide in: x's distance from the nearest
// node, or the gap between the two around it.  A kink, a step or a bend
// between the outermost node and the end of a segment shows so in f at
// that end.
long double Surprise(const TNodes& n, int step, long double x, long double y, long double& span)
{
    constexpr int kTaken = 6;
    const int first = step == 2 ? 1 : 0, last = 14 - first;
    int lo = first; // the nearest node, then the window grown towards the nearer neighbour
    for (int i = first; i <= last; i += step)
        if (std::fabs(n.X[i] - x) < std::fabs(n.X[lo] - x)) lo = i;
    int hi = lo;
    span = std::fabs(x - n.X[lo]);
    // The nodes taken, the divided differences ending at the last one, and
    // Newton's coefficients f[x0], f[x0, x1], ...
    long double xs[kTaken], t[kTaken], c[kTaken], largest = std::fabs(y);
    for (int k = 0; k < kTaken; ++k) {
        int next = hi;
        if (k > 0) {
            const bool down = hi + step > last ||
                              (lo - step >= first && std::fabs(n.X[lo - step] - x) < std::fabs(n.X[hi + step] - x));
            next = down ? (lo -= step) : (hi += step);
        }
        xs[k] = n.X[next];
        t[k] = n.Y[next];
        largest = std::max(largest, std::fabs(t[k]));
        for (int i = k - 1; i >= 0; --i) {
            if (!(xs[k] != xs[i])) return 0; // nodes too close to tell
            t[i] = (t[i + 1] - t[i]) / (xs[k] - xs[i]);
        }
        c[k] = t[0];
    }
    if (x > n.X[lo] && x < n.X[hi]) span = std::max(span, std::fabs(xs[1] - xs[0]));
    long double lower = c[kTaken - 2]; // the polynomial through kTaken - 1 nodes, by Horner's rule
    for (int i = kTaken - 3; i >= 0; --i) lower = lower * (x - xs[i]) + c[i];
    long double product = 1;
    for (int i = 0; i < kTaken - 1; ++i) product *= x - xs[i];
    const long double higher = lower + product * c[kTaken - 1];
    const long double slack = std::fabs(higher - lower) + 0x1p-50L * largest;
    return std::max(0.0L, std::fabs(y - higher) - 4 * slack);
}

// What the samples other than the nodes say is missed, as an error: how far
// they lie outside the range [lo, hi] of f at the nodes, beyond that range's
// own width, times the width of s; and for those beyond the outermost nodes
// of the half they are in, how far they lie from what those nodes let expect
// (Surprise), times its span.
long double Excess(const TSegment& s, const TSamples* samples, long double lo, long double hi, const TNodes& l,
                   const TNodes& r, int step)
{
    const long double slack = (hi - lo) + 0x1p-52L * std::max(std::fabs(lo), std::fabs(hi));
    const long double m = Cut(s.A, s.B);
    long double excess = 0;
    const int first = step == 2 ? 1 : 0, last = 14 - first;
    ForSamples(s, samples, [&](long double x, long double y) {
        excess = std::max({excess, lo - slack - y, y - hi - slack});
        // Between a half's nodes a sample tells only of a peak; beyond its
        // outermost ones, of what they cannot see.
        const TNodes& n = x <= m ? l : r;
        long double span = 0;
        if (x < n.X[first] || x > n.X[last])
            excess = std::max(excess, Surprise(n, step, x, y, span) * span / (s.B - s.A));
    });
    return excess * (s.B - s.A);
}

// For an area: the brackets where f changes sign among the nodes read and
// the other samples; true when there is one.
bool SignChanges(const TSegment& s, TPoints points, const TSamples* samples, std::vector<TBracket>& out)
{
    ForSamples(s, samples, [&](long double x, long double y) { points.emplace_back(x, y); });
    std::sort(points.begin(), points.end());
    const std::pair<long double, long double>* last = nullptr; // the last sample not 0
    for (const auto& p : points) {
        if (p.second == 0) continue;
        if (last != nullptr && (last->second < 0) != (p.second < 0) && last->first < p.first)
            out.push_back({last->first, last->second, p.first, p.second});
        last = &p;
    }
    return !out.empty();
}

// For an area: whether f at the nodes read so far (between lo and hi: all of
// `whole`'s when given, and of the halves' `halves` = 1 their Gauss nodes,
// 2 all) and at the other samples changes sign; true, with the brackets,
// when it does.  Most segments keep one sign: they are told by lo and hi.
bool SignsChange(const TSegment& s, long double lo, long double hi, const TNodes* whole, const TNodes* l,
                 const TNodes* r, int halves, const TSamples* samples, std::vector<TBracket>& out)
{
    bool negative = lo < 0, positive = hi > 0;
    ForSamples(s, samples, [&](long double, long double y) {
        negative = negative || y < 0;
        positive = positive || y > 0;
    });
    if (!negative || !positive) return false;
    TPoints points;
    if (whole != nullptr) AddNodes(*whole, true, points), AddNodes(*whole, false, points);
    for (const TNodes* n : {l, r}) {
        if (halves >= 1) AddNodes(*n, true, points);
        if (halves == 2) AddNodes(*n, false, points);
    }
    return SignChanges(s, points, samples, out);
}

// Each rule's sum is rounded (a few units of the last place of |f|'s), and
// f is read at nodes rounded to long doubles.
long double Rounding(const TRule& r)
{
    return 4 * kEpsilon * r.Abs + r.Noise;
}

// Rounding that excuses a disagreement must be small beside the segment's
// |f|: next to a singular point the rounding of the nodes' x is large, and
// rules that agree within it may all be far off.  A stretch beside a
// singular point keeps its distance from it, and its rounding is what it is.
bool Excused(const TSegment& s, long double rounding, long double abs)
{
    return s.Stretch || rounding <= 0x1p-24L * abs;
}

void Fail(TSegment& s, long double at)
{
    s.Failed = true;
    s.FailedAt = at;
    s.Value = s.Abs = 0;
    s.Error = s.Reducible = INFINITY;
}

// The segment's value, its error and the part of it halving can lower,
// from its halves' Kronrod rules.
void Assess(TSegment& s, long double excess, bool area)
{
    const long double sum = s.Left.Value + s.Right.Value;
    s.Abs = s.Left.Abs + s.Right.Abs;
    s.Value = area ? std::fabs(sum) : sum;
    const long double rounding =
        std::max(Rounding(s.Whole), 4 * kEpsilon * s.Abs + s.Left.Noise + s.Right.Noise);
    const long double reducible = std::max(std::fabs(s.Whole.Value - sum), excess);
    s.Reducible = reducible > rounding || !Excused(s, rounding, s.Abs) ? reducible : 0;
    s.Error = std::max(reducible, rounding);
}

// The first check of a built segment: its Kronrod value against the sum of
// its halves' Gauss rules.  True, with the segment taken, when they agree
// to rounding and no sample lies outside what the nodes saw.
bool TakeOnGauss(TSegment& s, long double gauss, long double excess, bool area)
{
    const long double rounding = Rounding(s.Whole);
    if (std::fabs(s.Whole.Value - gauss) > rounding || excess > rounding ||
        !Excused(s, rounding, s.Whole.Abs))
        return false;
    s.Value = area ? std::fabs(s.Whole.Value) : s.Whole.Value;
    s.Abs = s.Whole.Abs;
    s.Error = rounding;
    s.Reducible = 0;
    return true;
}

} // namespace

TContext::TContext(const TIntegrand& f, const std::atomic<bool>* stop, std::function<void(int)> progress,
                   long double scale)
    : FF(f), FStop(stop), FProgress(std::move(progress)), FScale(scale)
{
}

bool TContext::Eval(long double x, long double& y)
{
    if ((FCount++ & 1023) == 0 && FStop != nullptr && FStop->load(std::memory_order_relaxed)) FHalted = true;
    return FF(x, y) && std::isfinite(y);
}

void TContext::Report(int percent)
{
    if (percent <= FReported) return;
    FReported = percent;
    if (FProgress) FProgress(percent);
}

long double Cut(long double a, long double b)
{
    return a + (b - a) * kCut;
}

long double RuleNode(long double a, long double b, int i)
{
    const long double h = (b - a) / 2, m = a + h;
    return i < 7 ? m - h * kNode[i] : i == 7 ? m : m + h * kNode[14 - i];
}

TRule Rule(TContext& c, long double a, long double b, long double* values, long double* failedAt)
{
    TNodes n;
    if (!Sample(c, a, b, true, n, failedAt) || !Sample(c, a, b, false, n, failedAt)) {
        TRule failed;
        failed.Failed = true;
        return failed;
    }
    const TRule r = Combine(a, b, n);
    if (r.Failed && failedAt != nullptr) *failedAt = a + (b - a) / 2;
    if (values != nullptr) std::copy(n.Y, n.Y + 15, values);
    return r;
}

void Build(TContext& c, TSegment& s, const TRule* whole, const TSamples* samples, bool area,
           std::vector<TBracket>* crossings)
{
    TNodes w, l, r;
    long double at = 0;
    const long double m = Cut(s.A, s.B);
    const bool signs = area && crossings != nullptr;
    const TNodes* read = whole == nullptr ? &w : nullptr; // Whole's nodes, when read here
    s.Partial = s.Failed = s.Halves = false;
    if (whole == nullptr) {
        if (!Sample(c, s.A, s.B, true, w, &at) || !Sample(c, s.A, s.B, false, w, &at)) return Fail(s, at);
        s.Whole = Combine(s.A, s.B, w);
        if (s.Whole.Failed) return Fail(s, m);
    } else {
        s.Whole = *whole;
    }
    long double lo = s.Whole.Min, hi = s.Whole.Max;
    // An area's segment whose samples change sign is split at once: its halves are not needed.
    if (signs && read != nullptr && SignsChange(s, lo, hi, read, &l, &r, 0, samples, *crossings)) {
        s.Partial = true;
        return;
    }
    if (!Sample(c, s.A, m, true, l, &at) || !Sample(c, m, s.B, true, r, &at)) return Fail(s, at);
    for (const TNodes* n : {&l, &r})
        for (int i = 1; i < 15; i += 2) lo = std::min(lo, n->Y[i]), hi = std::max(hi, n->Y[i]);
    if (signs && SignsChange(s, lo, hi, read, &l, &r, 1, samples, *crossings)) {
        s.Partial = true;
        return;
    }
    const long double gauss = GaussValue(s.A, m, l) + GaussValue(m, s.B, r);
    if (TakeOnGauss(s, gauss, Excess(s, samples, lo, hi, l, r, 2), area)) return;
    if (!Sample(c, s.A, m, false, l, &at) || !Sample(c, m, s.B, false, r, &at)) return Fail(s, at);
    s.Left = Combine(s.A, m, l);
    s.Right = Combine(m, s.B, r);
    if (s.Left.Failed || s.Right.Failed) return Fail(s, m);
    s.Halves = true;
    lo = std::min({lo, static_cast<long double>(s.Left.Min), static_cast<long double>(s.Right.Min)});
    hi = std::max({hi, static_cast<long double>(s.Left.Max), static_cast<long double>(s.Right.Max)});
    if (signs) SignsChange(s, lo, hi, read, &l, &r, 2, samples, *crossings);
    Assess(s, Excess(s, samples, lo, hi, l, r, 1), area);
}

void Halve(TContext& c, const TSegment& s, const TSamples* samples, bool area, TSegment& left,
           std::vector<TBracket>& leftCrossings, TSegment& right, std::vector<TBracket>& rightCrossings)
{
    const long double m = Cut(s.A, s.B);
    long double fm = 0;
    const bool hasM = c.Eval(m, fm);
    for (TSegment* half : {&left, &right}) {
        *half = TSegment{};
        half->PieceWidth = s.PieceWidth;
        half->Depth = s.Depth + 1;
        half->Tried = s.Tried;
        half->Approached = s.Approached;
        half->Stretch = s.Stretch;
        half->ParentError = s.Error;
        half->GrandError = s.ParentError;
    }
    left.A = s.A, left.B = m, left.AtA = s.AtA, left.HasA = s.HasA, left.PieceA = s.PieceA;
    left.AtB = fm, left.HasB = hasM;
    right.A = m, right.B = s.B, right.AtB = s.AtB, right.HasB = s.HasB, right.PieceB = s.PieceB;
    right.AtA = fm, right.HasA = hasM;
    Build(c, left, &s.Left, samples, area, &leftCrossings);
    Build(c, right, &s.Right, samples, area, &rightCrossings);
}

bool Slow(const TSegment& s)
{
    return s.GrandError == INFINITY || s.Error >= s.GrandError / 8;
}

long double LeftOpen(const TSegment& s)
{
    const bool unresolved = s.Reducible > 0 && (Slow(s) || s.Reducible > 0x1p-10L * s.Abs);
    return unresolved ? std::max(s.Error, 2 * s.Abs) : s.Error;
}

TSettled Settle(TContext& c, long double a, long double b, int halvings, const TSamples* samples)
{
    TSettled out;
    std::vector<TSegment> heap(1);
    TSegment& root = heap[0];
    root.A = a, root.B = b, root.PieceA = root.PieceB = true, root.PieceWidth = b - a, root.Stretch = true;
    root.HasA = c.Eval(a, root.AtA);
    root.HasB = c.Eval(b, root.AtB);
    Build(c, root, nullptr, samples, false, nullptr);
    std::vector<TBracket> none;
    bool spent = false; // the halvings, before the error is down
    for (int k = 0;; ++k) {
        if (heap.front().Failed) {
            out.Failed = true;
            out.FailedAt = heap.front().FailedAt;
            return out;
        }
        long double open = 0, value = 0;
        for (const TSegment& s : heap) open += s.Reducible, value += s.Value;
        if (heap.front().Reducible == 0 || open <= 0x1p-66L * std::fabs(value)) break;
        if ((spent = k == halvings || c.Halted())) break;
        std::pop_heap(heap.begin(), heap.end());
        const TSegment worst = heap.back();
        heap.pop_back();
        const long double m = Cut(worst.A, worst.B);
        if (!(m > worst.A && m < worst.B)) { // adjacent values: nothing to halve
            heap.push_back(worst);
            heap.back().Reducible = 0;
            std::push_heap(heap.begin(), heap.end());
            continue;
        }
        out.Rough = out.Rough || worst.B - worst.A <= 0x1p-12L * (b - a);
        heap.resize(heap.size() + 2);
        Halve(c, worst, samples, false, heap[heap.size() - 2], none, heap.back(), none);
        std::push_heap(heap.begin(), heap.end() - 1);
        std::push_heap(heap.begin(), heap.end());
    }
    TSum value, abs;
    for (const TSegment& s : heap) {
        value.Add(s.Value);
        abs.Add(s.Abs);
        out.Error += spent ? LeftOpen(s) : s.Error;
    }
    out.Value = value.Value();
    out.Abs = abs.Value();
    return out;
}

TStep LocateStep(TContext& c, long double l, long double fl, long double r, long double fr)
{
    TStep s;
    for (int guard = 0; guard < 400; ++guard) {
        const long double m = l + (r - l) / 2;
        if (!(m > l && m < r) || r - l <= 0x1p-80L * c.Scale()) break;
        long double fm = 0;
        if (!c.Eval(m, fm)) {
            s.Fails = true;
            s.FailsAt = m;
            break;
        }
        if (std::fabs(fm - fl) >= std::fabs(fr - fm)) r = m, fr = fm;
        else l = m, fl = fm;
    }
    s.L = l, s.R = r, s.FL = fl, s.FR = fr;
    return s;
}

TCrossing LocateCrossing(TContext& c, long double l, long double fl, long double r, long double fr,
                         long double negligible, bool classify)
{
    TCrossing out;
    const long double start = std::max(std::fabs(fl), std::fabs(fr));
    long double gl = fl, gr = fr; // the values the secant reads: Illinois halves the one kept twice
    long double width = r - l;
    int side = 0, stalled = 0;
    for (int guard = 0; guard < 400; ++guard) {
        const long double height = std::max(std::fabs(fl), std::fabs(fr));
        if (r - l <= 0x1p-80L * c.Scale() || 2 * height * (r - l) <= negligible) break;
        if (classify && std::min(std::fabs(fl), std::fabs(fr)) <= start * kShrink) break; // a zero: enough
        long double x = stalled >= 2 ? l + (r - l) / 2 : l - gl * ((r - l) / (gr - gl));
        if (!(x > l && x < r)) x = l + (r - l) / 2;
        if (!(x > l && x < r)) break; // adjacent values
        long double fx = 0;
        const bool defined = c.Eval(x, fx);
        if (!defined || fx == 0) {
            out.End = defined ? TCrossing::Zero : TCrossing::Fails;
            out.X = x;
            return out;
        }
        if ((fx < 0) == (fl < 0)) {
            l = x, fl = gl = fx;
            if (side == -1) gr /= 2;
            side = -1;
        } else {
            r = x, fr = gr = fx;
            if (side == +1) gl /= 2;
            side = +1;
        }
        // Close to a simple zero the crossing lies within |f(x)| over the
        // slope from x: cutting there moves at most about f(x)^2 / slope.
        const long double slope = std::fabs(fr - fl) / (r - l), near = 4 * fx * fx / slope;
        if (!classify && slope > 0 && near <= negligible && std::fabs(fx) <= start * kShrink) {
            out.X = x, out.Error = near;
            return out;
        }
        if (r - l > width / 2) ++stalled;
        else stalled = 0, width = r - l;
    }
    const long double height = std::max(std::fabs(fl), std::fabs(fr));
    out.End = height <= start * kShrink || (classify && std::min(std::fabs(fl), std::fabs(fr)) <= start * kShrink)
                  ? TCrossing::Zero
                  : TCrossing::Jump;
    out.X = std::fabs(fl) <= std::fabs(fr) ? l : r;
    out.Error = 2 * height * (r - l);
    return out;
}

void NarrowEdge(TContext& c, long double& in, long double& out)
{
    HalveToEdge([&c](long double x, long double& y) { return c.Eval(x, y); }, in, out, 0x1p-17L * c.Scale());
}

long double ShortestDecimal(long double a, long double b)
{
    if (a > b) std::swap(a, b);
    if (a <= 0 && b >= 0) return 0;
    for (int digits = 2; digits <= 18; ++digits)
        for (long double v : {a + (b - a) / 2, a, b}) {
            long double t = 0;
            if (ParseDecimal(FormatGeneral(v, digits), t) && t >= a && t <= b) return t;
        }
    return a + (b - a) / 2;
}

long double SnapTop(TContext& c, long double p, long double height)
{
    const long double reach = 0x1p-60L * std::max(std::fabs(p), c.Scale());
    const long double q = ShortestDecimal(p - reach, p + reach);
    long double y = 0;
    return q != p && (!c.Eval(q, y) || std::fabs(y) >= height) ? q : p;
}

TGap GapAround(TContext& c, long double left, long double q, long double right)
{
    TGap gap;
    long double in = left, out = q;
    NarrowEdge(c, in, out);
    gap.From = ShortestDecimal(in, out);
    long double in2 = right, out2 = q;
    NarrowEdge(c, in2, out2);
    gap.To = ShortestDecimal(out2, in2);
    gap.Width = in2 - in;
    return gap;
}

} // namespace analysis::quadrature
