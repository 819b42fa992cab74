#include "analysis/Integral.h"

#include "analysis/Searches.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace analysis {

namespace {

// The 15-point Kronrod rule on [-1, 1]: its nodes from the outside in (the
// odd ones, counted from 0, and the centre are the 7-point Gauss rule's),
// its weights, and the Gauss weights of nodes 1, 3, 5 and the centre.
constexpr long double kNode[8] = {
    0.991455371120812639206854697526329L, 0.949107912342758524526189684047851L,
    0.864864423359769072789712788640926L, 0.741531185599394439863864773280788L,
    0.586087235467691130294144845693013L, 0.405845151377397166906606412076961L,
    0.207784955007898467600689403773245L, 0.0L};
constexpr long double kKronrod[8] = {
    0.022935322010529224963732008058970L, 0.063092092629978553290700663189204L,
    0.104790010322250183839876322541518L, 0.140653259715525918745189590510238L,
    0.169004726639267902826583426598550L, 0.190350578064785409913256402421014L,
    0.204432940075298892414161999234649L, 0.209482141084727828012999174891714L};
constexpr long double kGauss[4] = {0.129484966168869693270611432679082L, 0.279705391489276667901467771423780L,
                                   0.381830050505118944950369775488975L, 0.417959183673469387755102040816327L};

constexpr long double kEpsilon = 0x1p-64L;
constexpr int kGrid = 1024;                // samples of the first look at the interval
constexpr std::size_t kMaxSegments = 6000; // halvings at most
constexpr int kDyadicLevels = 24;          // stretches beside a singular point needed to judge it

struct TSegment {
    long double A = 0, B = 0;
    long double Value = 0, Error = 0, Abs = 0; // Abs: the integral of |f|
    std::size_t Piece = 0;
    bool Failed = false;
    bool operator<(const TSegment& o) const { return Error < o.Error; } // the largest error on top
};

// The Gauss-Kronrod rule on [a, b]; the error estimated from the
// difference of the two rules, scaled as their agreement suggests, and
// never below the rounding of the sum.
TSegment Rule(const TIntegrand& f, long double a, long double b, std::size_t piece)
{
    TSegment s;
    s.A = a;
    s.B = b;
    s.Piece = piece;
    const long double c = a + (b - a) / 2, h = (b - a) / 2;
    long double v[15];
    for (int i = 0; i < 15; ++i) {
        const long double x = i < 7 ? c - h * kNode[i] : i == 7 ? c : c + h * kNode[14 - i];
        if (!f(x, v[i]) || !std::isfinite(v[i])) {
            s.Failed = true;
            s.Error = INFINITY;
            return s;
        }
    }
    long double kronrod = kKronrod[7] * v[7], gauss = kGauss[3] * v[7], abs = kKronrod[7] * std::fabs(v[7]);
    for (int i = 0; i < 7; ++i) {
        kronrod += kKronrod[i] * (v[i] + v[14 - i]);
        abs += kKronrod[i] * (std::fabs(v[i]) + std::fabs(v[14 - i]));
        if (i % 2 == 1) gauss += kGauss[i / 2] * (v[i] + v[14 - i]);
    }
    const long double mean = kronrod / 2;
    long double spread = kKronrod[7] * std::fabs(v[7] - mean);
    for (int i = 0; i < 7; ++i) spread += kKronrod[i] * (std::fabs(v[i] - mean) + std::fabs(v[14 - i] - mean));
    const long double w = std::fabs(h);
    s.Value = kronrod * h;
    s.Abs = abs * w;
    spread *= w;
    long double error = std::fabs((kronrod - gauss) * h);
    if (spread != 0 && error != 0) error = spread * std::min(1.0L, std::pow(200 * error / spread, 1.5L));
    s.Error = std::max(error, 8 * kEpsilon * s.Abs);
    if (!std::isfinite(s.Value) || !std::isfinite(s.Error)) {
        s.Failed = true;
        s.Error = INFINITY;
    }
    return s;
}

bool Stopped(const std::atomic<bool>* stop)
{
    return stop != nullptr && stop->load(std::memory_order_relaxed);
}

// f where it has a finite value.
TIntegrand Finite(const TIntegrand& f)
{
    return [&f](long double x, long double& y) { return f(x, y) && std::isfinite(y); };
}

// Halves [ok, bad] (f defined at ok, not at bad) down to adjacent values;
// returns the last undefined point.
long double UndefinedEdge(const TIntegrand& f, long double ok, long double bad)
{
    HalveToEdge(Finite(f), ok, bad, 0);
    return bad;
}

// Halves the sign change [a, b] down to adjacent values: where f changes
// sign (or fails) and whether |f| shrank there (a zero, not a pole or jump).
long double SignChange(const TIntegrand& f, long double a, long double fa, long double b, long double fb, bool& zero)
{
    const TSignChange change = HalveSignChange(Finite(f), a, fa, b, fb);
    zero = change.End == TSignChangeEnd::Zero;
    return change.X;
}

// The first look: f on a grid of [a, b].  Fills `splits` with the points
// where the interval is to be split (and, with `atZeros`, the zeros of f);
// false with [from, to] when f is undefined on a stretch.
bool Survey(const TIntegrand& f, long double a, long double b, bool atZeros, const std::atomic<bool>* stop,
            std::vector<long double>& splits, long double& from, long double& to)
{
    std::vector<long double> xs(kGrid + 1), ys(kGrid + 1);
    std::vector<char> ok(kGrid + 1);
    for (int i = 0; i <= kGrid; ++i) {
        xs[i] = i == kGrid ? b : a + (b - a) * static_cast<long double>(i) / kGrid;
        ok[i] = f(xs[i], ys[i]) && std::isfinite(ys[i]);
        if (i % 64 == 0 && Stopped(stop)) return true;
    }
    const long double scale = std::max({std::fabs(a), std::fabs(b), b - a});
    for (int i = 0; i <= kGrid; ++i) {
        if (ok[i]) continue;
        int j = i;
        while (j < kGrid && !ok[j + 1]) ++j;
        from = i == 0 ? a : UndefinedEdge(f, xs[i - 1], xs[i]);
        to = j == kGrid ? b : UndefinedEdge(f, xs[j + 1], xs[j]);
        // One point (1/x at 0) splits the interval; a stretch leaves no integral.
        if (to - from > 0x1p-56L * std::max({std::fabs(from), std::fabs(to), 0x1p-60L * scale})) return false;
        splits.push_back(from + (to - from) / 2);
        i = j;
    }
    int last = -1; // the last sample that is defined and not 0
    for (int i = 0; i <= kGrid; ++i) {
        if (!ok[i]) {
            last = -1;
            continue;
        }
        if (ys[i] == 0) continue;
        if (last >= 0 && (ys[last] < 0) != (ys[i] < 0)) {
            bool zero = false;
            const long double x =
                last + 1 < i ? xs[last + 1] : SignChange(f, xs[last], ys[last], xs[i], ys[i], zero);
            if (last + 1 < i) zero = true;
            if (!zero || atZeros) splits.push_back(x);
        }
        last = i;
    }
    return true;
}

// The stretches [p + w 2^-(k+1), p + w 2^-k] beside p on the side `side`
// (+1 right, -1 left), halving from `width` down to what x can resolve
// near p, each by the rule.
struct TApproach {
    std::vector<long double> Pieces; // |integral| of each stretch
    long double Value = 0, Error = 0; // of their sum, the rest of the way to p bounded
    bool Failed = false;
};
TApproach Approach(const TIntegrand& f, long double p, int side, long double width)
{
    TApproach a;
    const long double closest = 0x1p-62L * std::fabs(p) + 0x1p-16000L;
    long double w = width;
    for (; w / 2 >= closest && a.Pieces.size() < 400; w /= 2) {
        const long double near = p + side * (w / 2), far = p + side * w;
        const TSegment s = Rule(f, std::min(near, far), std::max(near, far), 0);
        if (s.Failed) {
            a.Failed = true;
            return a;
        }
        a.Pieces.push_back(std::fabs(s.Value));
        a.Value += s.Value;
        a.Error += s.Error;
        // Far below what the sum can hold: the rest is smaller still.
        const std::size_t k = a.Pieces.size();
        if (k >= kDyadicLevels && a.Pieces[k - 1] <= kEpsilon * kEpsilon * std::fabs(a.Value) &&
            a.Pieces[k - 1] <= a.Pieces[k - 2])
            break;
    }
    // What is left between p and the last stretch: about as much as that
    // stretch where the pieces shrink, bounded by it.
    if (!a.Pieces.empty()) a.Error += 2 * a.Pieces.back();
    return a;
}

// Whether the integral grows without bound at p from the side `side`: the
// integrals of the stretches beside it do not shrink geometrically.
bool Diverges(const TIntegrand& f, long double p, int side, long double width)
{
    const TApproach a = Approach(f, p, side, width);
    if (a.Failed) return true;
    const std::size_t k = a.Pieces.size();
    if (k < kDyadicLevels) return false;
    const long double late = a.Pieces[k - 1], early = a.Pieces[k - 17];
    return late > 0 && late >= early / 2;
}

struct TPieces {
    std::vector<long double> Ends; // piece i is [Ends[i], Ends[i + 1]]
    bool IsEnd(long double x) const { return std::binary_search(Ends.begin(), Ends.end(), x); }
};

// The adaptive loop over every piece; the singular points judged at the
// end.  `absolute` sums |integral| piece by piece (an area).
TIntegral Adapt(const TIntegrand& f, const TPieces& pieces, bool absolute, const std::atomic<bool>* stop)
{
    TIntegral result;
    const long double a = pieces.Ends.front(), b = pieces.Ends.back();
    const long double scale = std::max({std::fabs(a), std::fabs(b), b - a});
    const long double smallest = 0x1p-58L * scale;
    std::vector<TSegment> heap, done, stuck; // heap: the segments still open, by error
    auto push = [&heap](TSegment s) {
        heap.push_back(s);
        std::push_heap(heap.begin(), heap.end());
    };
    for (std::size_t i = 0; i + 1 < pieces.Ends.size(); ++i) push(Rule(f, pieces.Ends[i], pieces.Ends[i + 1], i));
    long double closedValue = 0, closedAbs = 0; // of the stuck segments
    for (std::size_t halvings = 0; !heap.empty() && halvings < kMaxSegments; ++halvings) {
        if (Stopped(stop)) {
            result.Outcome = TIntegralOutcome::Stopped;
            return result;
        }
        // The largest error is on top: while it is infinite the sums need not be made.
        if (std::isfinite(heap.front().Error)) {
            long double value = closedValue, abs = closedAbs, open = 0;
            for (const TSegment& s : heap) value += s.Value, abs += s.Abs, open += s.Error;
            if (open <= std::max(0x1p-60L * std::fabs(value), 0x1p-59L * abs)) break;
        }
        std::pop_heap(heap.begin(), heap.end());
        const TSegment worst = heap.back();
        heap.pop_back();
        const long double m = worst.A + (worst.B - worst.A) / 2;
        if (!(m > worst.A && m < worst.B) || worst.B - worst.A <= smallest) {
            stuck.push_back(worst);
            if (!worst.Failed) closedValue += worst.Value, closedAbs += worst.Abs;
            continue;
        }
        push(Rule(f, worst.A, m, worst.Piece));
        push(Rule(f, m, worst.B, worst.Piece));
    }
    done = std::move(heap);
    // A segment that could not be halved further: a point where f is
    // singular, or fails, within it or at its end.
    for (const TSegment& s : stuck) {
        const bool atA = pieces.IsEnd(s.A), atB = pieces.IsEnd(s.B);
        const long double p = atA ? s.A : atB ? s.B : s.A + (s.B - s.A) / 2;
        const long double width = std::max(smallest, (b - a) / 64);
        const bool right = p < b && Diverges(f, p, +1, std::min(width, b - p));
        const bool left = p > a && Diverges(f, p, -1, std::min(width, p - a));
        if (right || left) {
            result.Outcome = TIntegralOutcome::Diverges;
            result.At = p;
            return result;
        }
        // It converges: the segment again, as the stretches beside p.
        TSegment again = s;
        again.Value = 0;
        again.Error = 0;
        std::vector<TApproach> parts;
        if (atA) parts.push_back(Approach(f, s.A, +1, s.B - s.A));
        else if (atB) parts.push_back(Approach(f, s.B, -1, s.B - s.A));
        else
            for (int side : {-1, +1}) parts.push_back(Approach(f, p, side, (s.B - s.A) / 2));
        bool failed = false;
        for (const TApproach& part : parts) {
            failed = failed || part.Failed;
            again.Value += part.Value;
            again.Error += part.Error;
        }
        if (!failed) done.push_back(again);
        else if (!s.Failed) done.push_back(s); // else a point where f fails, of no width to speak of
    }
    std::vector<long double> sums(pieces.Ends.size(), 0);
    for (const TSegment& s : done) {
        sums[s.Piece] += s.Value;
        result.Error += s.Error;
    }
    for (long double v : sums) result.Value += absolute ? std::fabs(v) : v;
    return result;
}

TIntegral Run(const TIntegrand& f, long double a, long double b, bool area, const std::atomic<bool>* stop)
{
    TIntegral result;
    if (a == b) return result;
    const bool reversed = b < a;
    if (reversed) std::swap(a, b);
    std::vector<long double> splits;
    if (!Survey(f, a, b, area, stop, splits, result.From, result.To)) {
        result.Outcome = TIntegralOutcome::Undefined;
        return result;
    }
    if (Stopped(stop)) {
        result.Outcome = TIntegralOutcome::Stopped;
        return result;
    }
    TPieces pieces;
    pieces.Ends.push_back(a);
    std::sort(splits.begin(), splits.end());
    for (long double x : splits)
        if (x > pieces.Ends.back() && x < b) pieces.Ends.push_back(x);
    pieces.Ends.push_back(b);
    TIntegral adapted = Adapt(f, pieces, area, stop);
    adapted.Splits.assign(pieces.Ends.begin() + 1, pieces.Ends.end() - 1);
    if (reversed && !area) adapted.Value = -adapted.Value;
    return adapted;
}

} // namespace

int TIntegral::Digits() const
{
    if (Value == 0 || !(Error > 0)) return 18;
    const long double ratio = std::fabs(Value) / (2 * Error);
    if (!(ratio >= 10)) return 1;
    return static_cast<int>(std::min<long double>(std::floor(std::log10(ratio)), 18));
}

TIntegral Integrate(const TIntegrand& f, long double a, long double b, const std::atomic<bool>* stop)
{
    return Run(f, a, b, false, stop);
}

TIntegral AreaBetween(const TIntegrand& f, const TIntegrand& g, long double a, long double b,
                      const std::atomic<bool>* stop)
{
    const TIntegrand difference = [&](long double x, long double& y) {
        long double u, v;
        if (!f(x, u) || !g(x, v)) return false;
        y = u - v;
        return true;
    };
    return Run(difference, a, b, true, stop);
}

} // namespace analysis
