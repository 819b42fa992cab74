// The entries that only derivatives use: the marks of the points where a
// slope is missing, the checks that tell a corner or a jump from a point
// where the rules merely cannot see the slope, and the binding of a value
// computed once.  Each has its computation and its own derivative rule.
#include "engine/Derivative.h"
#include "engine/DerivativeRules.h"
#include "engine/Computations.h"
#include "engine/Program.h"

#include <cmath>
#include <cstring>

namespace engine_detail {

long double Mark(uint64_t payload)
{
    // x87 extended: the explicit integer bit and the quiet bit, then the payload.
    const uint64_t significand = 0xC000000000000000ULL | payload;
    const uint16_t exponent = 0x7FFF;
    unsigned char bytes[sizeof(long double)] = {};
    std::memcpy(bytes, &significand, 8);
    std::memcpy(bytes + 8, &exponent, 2);
    long double value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

uint64_t MarkOf(long double value)
{
    if (!std::isnan(value)) return 0;
    uint64_t significand;
    std::memcpy(&significand, &value, 8);
    const uint64_t payload = significand & 0x3FFFFFFFFFFFFFFFULL;
    return payload != 0 ? payload : kMarkUnknown;
}

namespace {

using ld = long double;

bool IsMark(ld x) { return std::isnan(x); }
// A mark that leaves f continuous, so that a factor 0 cancels its term.
bool Continuous(ld x)
{
    const uint64_t m = MarkOf(x);
    return m == kMarkCorner || m == kMarkVertical || m == kMarkUnknown;
}
bool Whole(ld x) { return std::isfinite(x) && std::trunc(x) == x; }

// Which way u leaves the point going left and going right, each -1
// (down), +1 (up) or 0 (not known), coded as 3 (left + 1) + (right + 1).
ld Directions(ld du, ld ddu)
{
    if (IsMark(du)) return du;
    if (du > 0) return 3 * 0 + 2;
    if (du < 0) return 3 * 2 + 0;
    if (MarkOf(ddu) == kMarkSecond) return ddu;
    if (IsMark(ddu)) return 3 * 1 + 1;
    if (ddu > 0) return 3 * 2 + 2;
    if (ddu < 0) return 3 * 0 + 0;
    return 3 * 1 + 1;
}
int LeftOf(ld dirs) { return static_cast<int>(dirs) / 3 - 1; }
int RightOf(ld dirs) { return static_cast<int>(dirs) % 3 - 1; }

// The whole part (towards 0) of u just beside the point, on the left or
// the right, u leaving it in the directions `dirs`.  Where they are not
// known it is u's own whole part, and WholeCheck marks the point.
ld TruncBeside(ld u, ld dirs, bool left)
{
    if (!Whole(u) || IsMark(dirs)) return std::trunc(u);
    const int way = left ? LeftOf(dirs) : RightOf(dirs);
    if (way > 0) return u >= 0 ? u : u + 1;
    if (way < 0) return u > 0 ? u - 1 : u;
    return u;
}

// The mark of a point where u is whole and the way it leaves is not known.
ld Undecided(ld dirs)
{
    return MarkOf(dirs) == kMarkSecond ? dirs : Mark(kMarkUndecided);
}

// A step function that stays put where u leaves in the directions `dirs`
// on both sides with `up` (floor: up on both sides; ceil: down).
ld StepCheck(ld u, ld dirs, int stays)
{
    if (IsMark(u)) return u;
    if (!Whole(u)) return 0;
    if (IsMark(dirs)) return Undecided(dirs);
    const int l = LeftOf(dirs), r = RightOf(dirs);
    if (l == 0 || r == 0) return Mark(kMarkUndecided);
    return l == stays && r == stays ? 0 : Mark(kMarkJump);
}

// The class of a power u^v at u = 0 whose slope grows without bound.
uint64_t PowerClass(ld v)
{
    return v > 0.5L ? kMarkPowerAbove : v == 0.5L ? kMarkPowerHalf : kMarkPowerBelow;
}

// The computations, each in the protocol of the catalogue's entries; they
// report no error of their own (a fault shows in the flags).
#define ZENTROVA_INTERNAL(name) ld name(ld l, ld r, uint8_t, uint8_t&, std::string&, uint8_t&)

ZENTROVA_INTERNAL(OpLet)
{
    (void)l;
    return r;
}
ZENTROVA_INTERNAL(OpWithin)
{
    if (IsMark(r)) return r;
    return std::isfinite(r) ? l : Mark(kMarkJump);
}
ZENTROVA_INTERNAL(OpScale) { return l == 0 && (Continuous(r) || !IsMark(r)) ? 0 : l * r; }
ZENTROVA_INTERNAL(OpChain) { return l == 0 && (MarkOf(r) == kMarkCorner || !IsMark(r)) ? 0 : l * r; }
ZENTROVA_INTERNAL(OpKeep) { return IsMark(l) ? l : r; }
ZENTROVA_INTERNAL(OpAbsSlope)
{
    if (IsMark(l)) return l;
    if (l > 0) return r;
    if (l < 0) return -r;
    if (IsMark(r)) return r;
    return r == 0 ? 0 : Mark(kMarkCorner);
}
ZENTROVA_INTERNAL(OpAbsCurve)
{
    if (IsMark(l)) return l;
    if (l > 0) return r;
    if (l < 0) return -r;
    return IsMark(r) ? r : Mark(kMarkUnknown);
}
ZENTROVA_INTERNAL(OpDirections) { return Directions(l, r); }
ZENTROVA_INTERNAL(OpFloorCheck) { return StepCheck(l, r, +1); }
ZENTROVA_INTERNAL(OpCeilCheck) { return StepCheck(l, r, -1); }
ZENTROVA_INTERNAL(OpTruncLeft) { return TruncBeside(l, r, true); }
ZENTROVA_INTERNAL(OpTruncRight) { return TruncBeside(l, r, false); }
ZENTROVA_INTERNAL(OpWholeCheck)
{
    if (IsMark(l)) return l;
    if (!Whole(l)) return 0;
    if (IsMark(r)) return Undecided(r);
    return LeftOf(r) == 0 || RightOf(r) == 0 ? Mark(kMarkUndecided) : 0;
}
ZENTROVA_INTERNAL(OpSameCheck)
{
    if (IsMark(l)) return l;
    if (IsMark(r)) return r;
    return l == r ? 0 : Mark(kMarkJump);
}
// arccot jumps from -pi/2 to pi/2 where u crosses 0 upwards or comes back
// down; it is continuous where u touches 0 from above.
ZENTROVA_INTERNAL(OpArcCotCheck)
{
    if (IsMark(l)) return l;
    if (std::fabs(l) > 1E-16L) return 0;
    if (IsMark(r)) return Undecided(r);
    const int left = LeftOf(r), right = RightOf(r);
    if (left == 0 || right == 0) return Mark(kMarkUndecided);
    return left > 0 && right > 0 ? 0 : Mark(kMarkJump);
}
ZENTROVA_INTERNAL(OpOnCut)
{
    if (!(l == 0 && r < 0)) return 0;
    return std::signbit(l) ? 2 : 1;
}
// On the cut of arctan2 (l = 0, r < 0) the value is pi for l = +0 and -pi
// for l = -0; it stays where l leaves 0 on both sides with its sign.
ZENTROVA_INTERNAL(OpCutCheck)
{
    if (l == 0) return 0;
    if (IsMark(r)) return Undecided(r);
    const int left = LeftOf(r), right = RightOf(r);
    if (left == 0 || right == 0) return Mark(kMarkUndecided);
    const int sign = l == 2 ? -1 : +1;
    return left == sign && right == sign ? 0 : Mark(kMarkJump);
}
ZENTROVA_INTERNAL(OpSelectAbove) { return IsMark(l) ? l : l > 0 ? r : l < 0 ? 0 : r / 2; }
ZENTROVA_INTERNAL(OpSelectBelow) { return IsMark(l) ? l : l < 0 ? r : l > 0 ? 0 : r / 2; }
ZENTROVA_INTERNAL(OpCornerCheck)
{
    if (IsMark(l)) return l;
    if (l != 0) return 0;
    if (IsMark(r)) return r;
    return r == 0 ? 0 : Mark(kMarkCorner);
}
// v u^(v-1): at u = 0 it is 0 for v > 1, 1 for v = 1, and for 0 < v < 1 a
// mark that MulSlope decides.
ZENTROVA_INTERNAL(OpPowSlope)
{
    if (IsMark(l)) return l;
    if (l == 0 && r > 0 && r < 1) return Mark(PowerClass(r));
    if (r == 1) return 1;
    return r * PowerChecked(l, r - 1, nullptr);
}
ZENTROVA_INTERNAL(OpRootSlope)
{
    if (l == 0) return Mark(kMarkPowerHalf);
    return 0.5L / r;
}
// A du: a power's slope at u = 0 is vertical where u moves (du != 0); where
// u stands (du = 0) the second derivative decides (SecondCheck).
ZENTROVA_INTERNAL(OpMulSlope)
{
    const uint64_t m = MarkOf(l);
    if (m < kMarkPowerAbove || m > kMarkPowerBelow) return l * r;
    if (IsMark(r)) return r;
    if (r != 0) return Mark(kMarkVertical);
    return Mark(m - kMarkPowerAbove + kMarkPendingAbove);
}
// u = 0 and du = 0: u = ddu h^2/2 + o(h^2) near the point, so u^v is
// o(h) for v > 1/2; sqrt u is |h| sqrt(ddu/2), a corner unless ddu = 0; for
// v < 1/2 the slope grows without bound unless ddu = 0, which says nothing.
ZENTROVA_INTERNAL(OpSecondCheck)
{
    const uint64_t m = MarkOf(l);
    if (m < kMarkPendingAbove || m > kMarkPendingBelow) return l;
    if (MarkOf(r) == kMarkSecond) return r;
    if (IsMark(r)) return Mark(kMarkUndecided);
    if (m == kMarkPendingAbove) return 0;
    if (m == kMarkPendingHalf) return r == 0 ? 0 : Mark(kMarkCorner);
    return r == 0 ? Mark(kMarkUndecided) : Mark(kMarkVertical);
}
ZENTROVA_INTERNAL(OpTanRadians)
{
    (void)l;
    return zmath::tan(r);
}

#undef ZENTROVA_INTERNAL

// ---- Their derivatives ----

using C = const TRuleContext&;

TParseNode* DWithin(C c) { return c.Internal(TInternal::Within, c.DU(), c.V()); }
TParseNode* DScale(C c) { return c.Add(c.Mul(c.DU(), c.V()), c.Scale(c.U(), c.DV())); }
TParseNode* DChain(C c) { return c.Add(c.Mul(c.DU(), c.V()), c.Chain(c.U(), c.DV())); }
TParseNode* DKeep(C c) { return c.Internal(TInternal::Keep, c.U(), c.DV()); }
TParseNode* DAbsSlope(C c)
{
    return c.Internal(TInternal::Keep, c.Self(), c.Internal(TInternal::AbsCurve, c.U(), c.DV()));
}
TParseNode* DAbsCurve(C c) { return DAbsSlope(c); }
TParseNode* DZero(C c) { return c.Num(0); }
TParseNode* DItself(C c) { return c.Self(); }
TParseNode* DSelectAbove(C c)
{
    return c.Internal(TInternal::Keep, c.Self(), c.Internal(TInternal::SelectAbove, c.U(), c.DV()));
}
TParseNode* DSelectBelow(C c)
{
    return c.Internal(TInternal::Keep, c.Self(), c.Internal(TInternal::SelectBelow, c.U(), c.DV()));
}
// (v u^(v-1))' = v (v-1) u^(v-2) u', v a constant.
TParseNode* DPowSlope(C c)
{
    if (c.VDepends()) c.NoRule("La derivada de una potencia se ha vuelto demasiado complicada");
    TParseNode* lower = c.Internal(TInternal::PowSlope, c.U(), c.Sub(c.V(), c.Num(1)));
    return c.Internal(TInternal::Keep, c.Self(),
                      c.Mul(c.V(), c.Internal(TInternal::MulSlope, lower, c.DU())));
}
// (1/(2F))' = -F'/(2F^2).
TParseNode* DRootSlope(C c)
{
    return c.Internal(TInternal::Keep, c.Self(),
                      c.Neg(c.Div(c.Mul(c.Self(), c.DV()), c.V())));
}
TParseNode* DMulSlope(C c)
{
    return c.Internal(TInternal::Keep, c.Self(), c.Add(c.Mul(c.DU(), c.V()), c.Mul(c.U(), c.DV())));
}
TParseNode* DSecondCheck(C c) { return c.Internal(TInternal::Keep, c.Self(), c.DU()); }
TParseNode* DTanRadians(C c) { return c.Chain(c.Add(c.Num(1), c.Mul(c.Self(), c.Self())), c.DV()); }
TParseNode* DLet(C c) { c.NoRule("La función contiene una parte que no se sabe derivar"); }

struct TInternalDef {
    const char* Name;
    TOperatorFunc Func;
    uint8_t Sides;
    TDerivativeRule Rule;
};

const TInternalDef kInternals[] = {
    {"let", OpLet, 3, {DLet, 0}},
    {"within", OpWithin, 3, {DWithin, 0}},
    {"scale", OpScale, 3, {DScale, 0}},
    {"chain", OpChain, 3, {DChain, 0}},
    {"keep", OpKeep, 3, {DKeep, 0}},
    {"absslope", OpAbsSlope, 3, {DAbsSlope, 0}},
    {"abscurve", OpAbsCurve, 3, {DAbsCurve, 0}},
    {"directions", OpDirections, 3, {DZero, 0}},
    {"floorcheck", OpFloorCheck, 3, {DItself, 0}},
    {"ceilcheck", OpCeilCheck, 3, {DItself, 0}},
    {"truncleft", OpTruncLeft, 3, {DZero, 0}},
    {"truncright", OpTruncRight, 3, {DZero, 0}},
    {"wholecheck", OpWholeCheck, 3, {DItself, 0}},
    {"samecheck", OpSameCheck, 3, {DItself, 0}},
    {"arccotcheck", OpArcCotCheck, 3, {DItself, 0}},
    {"oncut", OpOnCut, 3, {DZero, 0}},
    {"cutcheck", OpCutCheck, 3, {DItself, 0}},
    {"selectabove", OpSelectAbove, 3, {DSelectAbove, 0}},
    {"selectbelow", OpSelectBelow, 3, {DSelectBelow, 0}},
    {"cornercheck", OpCornerCheck, 3, {DItself, 0}},
    {"powslope", OpPowSlope, 3, {DPowSlope, 0}},
    {"rootslope", OpRootSlope, 3, {DRootSlope, 0}},
    {"mulslope", OpMulSlope, 3, {DMulSlope, 0}},
    {"secondcheck", OpSecondCheck, 3, {DSecondCheck, 0}},
    {"tanradians", OpTanRadians, 2, {DTanRadians, 0}},
};
static_assert(sizeof kInternals / sizeof kInternals[0] == static_cast<std::size_t>(TInternal::Count));

struct TInternalTable {
    TOperatorEntry Entries[static_cast<std::size_t>(TInternal::Count)];
    TInternalTable()
    {
        for (std::size_t i = 0; i < static_cast<std::size_t>(TInternal::Count); ++i) {
            TOperatorEntry& e = Entries[i];
            e.Name = kInternals[i].Name;
            e.Func = kInternals[i].Func;
            e.Sides = kInternals[i].Sides;
            e.Priority = -2; // written with parentheses around compound operands
            e.NameLength = static_cast<int32_t>(e.Name.size());
            e.Derivative = &kInternals[i].Rule;
        }
    }
};

const TInternalTable& Table()
{
    static const TInternalTable table;
    return table;
}

} // namespace

const TOperatorEntry& InternalEntry(TInternal op)
{
    return Table().Entries[static_cast<std::size_t>(op)];
}

TInternal InternalOf(const TOperatorEntry* op)
{
    const TOperatorEntry* first = Table().Entries;
    if (op < first || op >= first + static_cast<std::size_t>(TInternal::Count)) return TInternal::Count;
    return static_cast<TInternal>(op - first);
}

TOperatorFunc LetComputation()
{
    return OpLet;
}

} // namespace engine_detail

TDerivativeMark DerivativeMark(long double value)
{
    using namespace engine_detail;
    switch (MarkOf(value)) {
    case 0: return TDerivativeMark::None;
    case kMarkCorner: return TDerivativeMark::Corner;
    case kMarkVertical: return TDerivativeMark::Vertical;
    case kMarkJump: return TDerivativeMark::Jump;
    case kMarkSecond: return TDerivativeMark::NeedsSecondOrder;
    default: return TDerivativeMark::Unknown;
    }
}
