#include "analysis/IntegralAdapt.h"

#include "analysis/Searches.h"
#include "analysis/SingularPoint.h"
#include "engine/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>

namespace analysis::quadrature {

namespace {

constexpr std::size_t kMaxHalvings = 100000; // about 6 million values of f
constexpr std::size_t kMaxOpen = 60000;      // segments kept open at once
// A segment at an end of its piece that is this part of the piece wide
// hands the end to Approach.
constexpr long double kEndWidth = 0x1p-5L;
// A segment inside its piece this part of it wide that holds at least a
// 64th of the error left closes in on a singular point, and so does one
// this part of its distance from 0 wide.
constexpr long double kStuckWidth = 0x1p-20L;
constexpr long double kPositionWidth = 0x1p-38L;

using TPending = std::pair<TSegment, std::vector<TBracket>>;

bool Worth(const TApproach& r, const TSegment& s, bool dominant);

class TAdaptive {
public:
    TAdaptive(TContext& c, const TSurvey& survey, long double a, long double b, bool area)
        : C(c), S(survey), FA(a), FB(b), FArea(area)
    {
    }
    TIntegral Run();

private:
    void Drain();
    void Push(const TSegment& s);
    TSegment Pop();
    void Close(const TSegment& s);
    void Recount();
    bool Step();
    void Treat(TSegment s, long double left);
    bool TryJump(TSegment& s);
    bool Stuck(const TSegment& s);
    // g(x, f(x)): how far f stands out at x.
    using THeight = std::function<long double(long double x, long double y)>;
    bool Climb(const TSegment& s, const long double* v, const THeight& g, long double& top);
    void Failure(const TSegment& s, long double q);
    void SplitAt(const TSegment& s, std::vector<long double> points);
    void Crossings(const TSegment& s, const std::vector<TBracket>& brackets);
    void ApproachFrom(long double p, int side, long double width);
    void Take(const TApproach& r, long double p);
    void End(TIntegralOutcome outcome);
    void Progress();
    TIntegral Finish();
    long double AbsSoFar() const { return FAbs.Value() + FOpenAbs; }

    TContext& C;
    const TSurvey& S;
    const long double FA, FB;
    const bool FArea;
    std::vector<TSegment> FHeap;
    std::vector<TPending> FPending; // built, not yet judged
    TSum FValue, FAbs;              // of the closed segments and the approaches
    long double FError = 0;
    long double FOpenValue = 0, FOpenAbs = 0, FOpenReducible = 0; // of the heap
    long double FFirstReducible = 0;
    std::vector<long double> FSplits;
    std::size_t FHalvings = 0, FSteps = 0;
    bool FCapped = false, FEnded = false;
    TIntegral FResult;
};

void TAdaptive::Drain()
{
    while (!FPending.empty() && !FEnded) {
        TPending item = std::move(FPending.back());
        FPending.pop_back();
        const TSegment& s = item.first;
        if (s.Failed) Failure(s, s.FailedAt);
        else if (!item.second.empty()) Crossings(s, item.second);
        else if (s.Reducible <= 0x1p-68L * AbsSoFar() * ((s.B - s.A) / (FB - FA))) Close(s);
        else Push(s);
    }
}

void TAdaptive::Push(const TSegment& s)
{
    FHeap.push_back(s);
    std::push_heap(FHeap.begin(), FHeap.end());
    FOpenValue += s.Value, FOpenAbs += s.Abs, FOpenReducible += s.Reducible;
}

TSegment TAdaptive::Pop()
{
    std::pop_heap(FHeap.begin(), FHeap.end());
    TSegment s = FHeap.back();
    FHeap.pop_back();
    FOpenValue -= s.Value, FOpenAbs -= s.Abs, FOpenReducible -= s.Reducible;
    return s;
}

void TAdaptive::Close(const TSegment& s)
{
    FValue.Add(s.Value);
    FAbs.Add(s.Abs);
    FError += s.Error;
}

void TAdaptive::Recount()
{
    TSum value, abs, reducible;
    for (const TSegment& s : FHeap) value.Add(s.Value), abs.Add(s.Abs), reducible.Add(s.Reducible);
    FOpenValue = value.Value(), FOpenAbs = abs.Value(), FOpenReducible = reducible.Value();
}

// One segment dealt with: the one whose error halving can lower most.
bool TAdaptive::Step()
{
    if (FHeap.empty() || FEnded) return false;
    if (C.Halted()) {
        End(TIntegralOutcome::Stopped);
        return false;
    }
    const long double target = 0x1p-65L * std::fabs(FValue.Value() + FOpenValue);
    if (FOpenReducible <= target) Recount();
    if (FOpenReducible <= target || FHeap.front().Reducible == 0) return false;
    if (FHalvings >= kMaxHalvings || FHeap.size() >= kMaxOpen) {
        FCapped = true;
        return false;
    }
    if (++FSteps % 128 == 0) Progress();
    const long double left = FOpenReducible;
    Treat(Pop(), left);
    Drain();
    return true;
}

// The segment s, taken off the heap while `left` was the error halving could
// lower: its end approached, a jump in it split, a singular point in it
// approached, or else halved.
void TAdaptive::Treat(TSegment s, long double left)
{
    const long double width = s.B - s.A, m = Cut(s.A, s.B);
    const bool again = s.Depth >= s.Approached + 8; // an approach refused is tried again 8 halvings on
    if ((s.PieceA || s.PieceB) && width <= kEndWidth * s.PieceWidth && again) {
        s.Approached = s.Depth;
        const long double p = s.PieceA ? s.A : s.B;
        const TApproach end = Approach(C, p, s.PieceA ? +1 : -1, width, &S.Samples);
        if (Worth(end, s, s.Reducible >= left / 4)) return Take(end, p);
    }
    if (!(m > s.A && m < s.B)) return Close(s); // adjacent values: it stays as it is
    if (TryJump(s)) return;
    const bool narrow = width <= kPositionWidth * std::max(std::fabs(s.A), std::fabs(s.B)) ||
                        (width <= kStuckWidth * s.PieceWidth && s.Reducible >= left / 64 && Slow(s));
    if (narrow && again) {
        s.Approached = s.Depth;
        if (Stuck(s)) return;
    }
    FPending.resize(FPending.size() + 2);
    TPending& l = FPending[FPending.size() - 2];
    TPending& r = FPending.back();
    Halve(C, s, &S.Samples, FArea, l.first, l.second, r.first, r.second);
    ++FHalvings;
}

// A segment whose error falls slowly and whose nodes show one step far
// above the others: the step halved down to adjacent values, and the
// segment split there when it is a jump.
bool TAdaptive::TryJump(TSegment& s)
{
    if (s.Whole.Jump < 0 || s.Depth < s.Tried + 3 || !Slow(s)) return false;
    s.Tried = s.Depth;
    const long double l = RuleNode(s.A, s.B, s.Whole.Jump), r = RuleNode(s.A, s.B, s.Whole.Jump + 1);
    long double fl = 0, fr = 0;
    if (!C.Eval(l, fl) || !C.Eval(r, fr)) return false;
    const TStep found = LocateStep(C, l, fl, r, fr);
    if (found.Fails) {
        Failure(s, found.FailsAt);
        return true;
    }
    if (!(std::fabs(found.FR - found.FL) >= std::fabs(fr - fl) / 4)) return false;
    FError += std::fabs(found.FR - found.FL) * (found.R - found.L);
    SplitAt(s, {found.R});
    return true;
}

// Climbs from the node of s where g is largest (g of f at the 15 nodes,
// `v`) to the top of g between its neighbours; false when f fails at a point
// tried, which is then the top.
bool TAdaptive::Climb(const TSegment& s, const long double* v, const THeight& g, long double& top)
{
    int best = 0;
    for (int i = 1; i < 15; ++i)
        if (g(RuleNode(s.A, s.B, i), v[i]) > g(RuleNode(s.A, s.B, best), v[best])) best = i;
    top = RuleNode(s.A, s.B, best);
    long double size = g(top, v[best]);
    const TFunctionOfX height = [&](long double x, long double& y) {
        const bool ok = C.Eval(x, y);
        y = g(x, y);
        return ok;
    };
    return ClimbToTop(height, best > 0 ? RuleNode(s.A, s.B, best - 1) : s.A, top,
                      best < 14 ? RuleNode(s.A, s.B, best + 1) : s.B, size, 0x1p-63L, 0x1p-80L * C.Scale());
}

// A narrow segment that keeps much of the error: the top of |f| inside it
// (a pole, or where f fails), else the point where f stands out most from
// the chord between its outermost nodes (a cusp's or a kink's tip), found by
// golden section, is approached from both sides.  False when neither lies
// well inside s: no singular point there.
bool TAdaptive::Stuck(const TSegment& s)
{
    long double v[15], failedAt = 0;
    if (Rule(C, s.A, s.B, v, &failedAt).Failed) {
        Failure(s, failedAt);
        return true;
    }
    const long double margin = 0x1p-20L * (s.B - s.A);
    const auto inside = [&](long double p) { return p - s.A > margin && s.B - p > margin; };
    const long double x0 = RuleNode(s.A, s.B, 0), slope = (v[14] - v[0]) / (RuleNode(s.A, s.B, 14) - x0);
    long double p = 0, atP = 0;
    const bool defined = Climb(s, v, [](long double, long double y) { return std::fabs(y); }, p);
    const THeight fromChord = [&](long double x, long double y) { return std::fabs(y - v[0] - slope * (x - x0)); };
    if (defined && !inside(p)) Climb(s, v, fromChord, p);
    if (C.Eval(p, atP)) p = SnapTop(C, p, std::fabs(atP));
    if (!inside(p)) return false;
    const TApproach left = Approach(C, p, -1, p - s.A, &S.Samples);
    const TApproach right = left.End == TApproach::Converges ? Approach(C, p, +1, s.B - p, &S.Samples) : TApproach{};
    if (!Worth(left, s, true) || !Worth(right, s, true)) return false;
    FSplits.push_back(p);
    Take(left, p);
    if (!FEnded) Take(right, p);
    return true;
}

// f fails at q inside s: a gap ends the integral; a point splits s there,
// or hands its end to Approach when q lies at that end.
void TAdaptive::Failure(const TSegment& s, long double q)
{
    const TSamples& p = S.Samples;
    const auto n = static_cast<long>(p.X.size());
    long right = std::upper_bound(p.X.begin(), p.X.end(), q) - p.X.begin(), left = right - 1;
    while (left >= 0 && !p.Ok[static_cast<std::size_t>(left)]) --left;
    while (right < n && !p.Ok[static_cast<std::size_t>(right)]) ++right;
    const TGap gap = GapAround(C, left >= 0 ? p.X[static_cast<std::size_t>(left)] : FA, q,
                               right < n ? p.X[static_cast<std::size_t>(right)] : FB);
    const long double point = kPointWidth * C.Scale();
    if (gap.Width > point) {
        FResult.From = gap.From;
        FResult.To = gap.To;
        End(TIntegralOutcome::Undefined);
    } else if (s.PieceA && q - s.A <= 2 * gap.Width + point) {
        ApproachFrom(s.A, +1, s.B - s.A);
    } else if (s.PieceB && s.B - q <= 2 * gap.Width + point) {
        ApproachFrom(s.B, -1, s.B - s.A);
    } else {
        SplitAt(s, {q});
    }
}

// s cut into new pieces at `points`.
void TAdaptive::SplitAt(const TSegment& s, std::vector<long double> points)
{
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    points.erase(std::remove_if(points.begin(), points.end(), [&](long double x) { return !(x > s.A && x < s.B); }),
                 points.end());
    if (points.empty()) { // no crossing inside after all: s as it is
        TPending same{s, {}};
        if (s.Partial) Build(C, same.first, &s.Whole, &S.Samples, FArea, nullptr);
        FPending.push_back(std::move(same));
        return;
    }
    long double from = s.A;
    for (std::size_t i = 0; i <= points.size(); ++i) {
        const bool first = i == 0, last = i == points.size();
        TPending piece;
        TSegment& t = piece.first;
        t.A = from, t.B = last ? s.B : points[i];
        t.PieceA = first ? s.PieceA : true, t.PieceB = last ? s.PieceB : true;
        t.HasA = first && s.HasA, t.AtA = s.AtA, t.HasB = last && s.HasB, t.AtB = s.AtB;
        t.PieceWidth = t.B - t.A;
        Build(C, t, nullptr, &S.Samples, FArea, &piece.second);
        FPending.push_back(std::move(piece));
        from = t.B;
    }
    FSplits.insert(FSplits.end(), points.begin(), points.end());
}

// An area's segment whose samples change sign, cut at the crossings.
void TAdaptive::Crossings(const TSegment& s, const std::vector<TBracket>& brackets)
{
    std::vector<long double> points;
    const long double negligible = 0x1p-76L * std::max(S.AbsEstimate, AbsSoFar());
    for (const TBracket& b : brackets) {
        const TCrossing x = LocateCrossing(C, b.L, b.FL, b.R, b.FR, negligible);
        if (x.End == TCrossing::Fails) {
            Failure(s, x.X);
            return;
        }
        points.push_back(x.X);
        FError += x.Error;
    }
    SplitAt(s, points);
}

// Whether an approach to a point of s is taken: its verdict, or a value that
// knows about 9 digits, or one far better than s had while s holds much of
// the error (a singular point that x can get only so close to).  Else s is
// halved as any other (sin(x^2) at x = 1000: its end is no singular point).
bool Worth(const TApproach& r, const TSegment& s, bool dominant)
{
    if (r.End == TApproach::Unbounded) return false;
    if (r.End != TApproach::Converges || r.Error <= 0x1p-30L * (r.Abs + std::fabs(r.Value))) return true;
    return dominant && r.Error < s.Error / 16;
}

void TAdaptive::ApproachFrom(long double p, int side, long double width)
{
    Take(Approach(C, p, side, width, &S.Samples), p);
}

void TAdaptive::Take(const TApproach& r, long double p)
{
    switch (r.End) {
    case TApproach::Converges:
        FValue.Add(FArea ? std::fabs(r.Value) : r.Value);
        FAbs.Add(r.Abs);
        FError += r.Error;
        return;
    case TApproach::Diverges:
        FResult.At = p;
        End(TIntegralOutcome::Diverges);
        return;
    case TApproach::Undefined:
        FResult.From = r.From;
        FResult.To = r.To;
        End(TIntegralOutcome::Undefined);
        return;
    case TApproach::Unbounded:
        FResult.At = p;
        FResult.Reason = "cerca de x = " + FormatGeneral(p, 15) +
                         " no se puede acotar: sus partes, cada vez más cerca de ese punto, no menguan de forma "
                         "regular";
        End(TIntegralOutcome::NoConvergence);
        return;
    case TApproach::Stopped:
        End(TIntegralOutcome::Stopped);
        return;
    }
}

void TAdaptive::End(TIntegralOutcome outcome)
{
    FResult.Outcome = outcome;
    FEnded = true;
}

void TAdaptive::Progress()
{
    const long double target = std::max(0x1p-65L * std::fabs(FValue.Value() + FOpenValue), 0x1p-16000L);
    if (FFirstReducible == 0) FFirstReducible = FOpenReducible;
    long double done = static_cast<long double>(FHalvings) / kMaxHalvings;
    if (FFirstReducible > target && FOpenReducible > 0)
        done = std::max(done, std::log(FFirstReducible / std::max(FOpenReducible, target)) /
                                  std::log(FFirstReducible / target));
    C.Report(5 + static_cast<int>(90 * std::clamp(done, 0.0L, 1.0L)));
}

TIntegral TAdaptive::Finish()
{
    for (const TSegment& s : FHeap) {
        FValue.Add(s.Value);
        FAbs.Add(s.Abs);
        FError += FCapped ? LeftOpen(s) : s.Error;
    }
    TIntegral r = FResult;
    r.Value = FValue.Value();
    r.Abs = FAbs.Value();
    r.Error = FError + S.SplitError + S.BoundError + 2 * kEpsilon * r.Abs;
    if (FCapped)
        r.Reason = "ni partiendo el intervalo en " + std::to_string(FHalvings + FHeap.size()) +
                   " trozos se llega a una cifra segura: la función oscila o cambia demasiado deprisa";
    return r;
}

TIntegral TAdaptive::Run()
{
    std::vector<long double> ends{FA};
    ends.insert(ends.end(), S.Splits.begin(), S.Splits.end());
    ends.push_back(FB);
    for (std::size_t i = 0; i + 1 < ends.size(); ++i) {
        TPending piece;
        TSegment& t = piece.first;
        t.A = ends[i], t.B = ends[i + 1], t.PieceA = t.PieceB = true, t.PieceWidth = t.B - t.A;
        Build(C, t, nullptr, &S.Samples, FArea, &piece.second);
        FPending.push_back(std::move(piece));
    }
    Drain();
    while (Step()) {
    }
    TIntegral r = FEnded ? FResult : Finish();
    r.Splits = S.Splits;
    r.Splits.insert(r.Splits.end(), FSplits.begin(), FSplits.end());
    std::sort(r.Splits.begin(), r.Splits.end());
    r.Splits.erase(std::unique(r.Splits.begin(), r.Splits.end()), r.Splits.end());
    return r;
}

} // namespace

TIntegral Adapt(TContext& c, const TSurvey& survey, long double a, long double b, bool area)
{
    return TAdaptive(c, survey, a, b, area).Run();
}

} // namespace analysis::quadrature
