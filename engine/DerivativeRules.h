// How each entry of the catalogue is differentiated, and the entries that
// only derivatives use.  Internal to the engine.
//
// A rule builds the derivative of one node from the values of its operands
// (u, v), their derivatives (du, dv) and, where it asks for them, their
// second derivatives, as nodes of the graph being built (Derivative.cpp).
// A derivative's value may be a mark instead of a number (a quiet NaN whose
// payload says why, DerivativeMark): marks pass through + - * / unchanged,
// the more serious one winning when two meet (x87 keeps the larger payload),
// and the entries below read them where they can decide better.
#pragma once

#include "engine/MathParser.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine_detail {

class TDerivativeBuilder;

// The payloads of the marks, the more serious the larger.
enum TMarkPayload : uint64_t {
    kMarkCorner = 1,      // continuous, bounded slopes on either side
    kMarkVertical = 2,    // continuous, no bound on the slope
    kMarkUnknown = 3,     // continuous, the rest unknown
    kMarkJump = 4,        // not continuous
    kMarkUndecided = 5,   // perhaps not continuous
    kMarkSecond = 6,      // needs the second derivative of an operand
    // Between two entries of a power's rule only (PowSlope to SecondCheck):
    // u^v at u = 0 with 0 < v < 1, by how fast it leaves 0.
    kMarkPowerAbove = 0x21, // v > 1/2
    kMarkPowerHalf = 0x22,  // v = 1/2
    kMarkPowerBelow = 0x23, // v < 1/2
    kMarkPendingAbove = 0x31, // the same once du was found to be 0
    kMarkPendingHalf = 0x32,
    kMarkPendingBelow = 0x33,
};
long double Mark(uint64_t payload);
// The payload of a mark, 0 for a number (or an infinity).
uint64_t MarkOf(long double value);

// The entries that derivatives use besides the catalogue's (names that
// cannot be typed; TreeToText writes them).
enum class TInternal : uint8_t {
    Let,         // binds its left value to its Variable for its right operand
    Within,      // s within F: s where F is a finite number, else F's mark (or a jump)
    Scale,       // a * d, a a value, d a derivative: 0 where a is 0 and d a mark of a continuous f
    Chain,       // a * d for the chain rule: 0 where a is 0 and d marks a corner
    Keep,        // x keep y: x where x is a mark, else y
    AbsSlope,    // u absslope du: the slope of |u|
    AbsCurve,    // u abscurve ddu: the second derivative of |u| where the first exists
    Directions,  // du directions ddu: which way u leaves the point on each side (0..8, 4 neither)
    FloorCheck,  // u floorcheck dirs: 0 where floor u stays put, else a jump
    CeilCheck,   // likewise for ceil
    TruncLeft,   // u truncleft dirs: the whole part (towards 0) of u just left of the point
    TruncRight,  // and just right of it
    WholeCheck,  // u wholecheck dirs: a mark where u is whole and dirs are not known, else 0
    SameCheck,   // c samecheck w: 0 where w = c, else a jump
    ArcCotCheck, // u arccotcheck dirs: a jump where u crosses 0 (arccot)
    OnCut,       // l oncut r: 1 (l = +0) or 2 (l = -0) where r < 0, else 0 (arctan2)
    CutCheck,    // cut cutcheck dirs: a jump where arctan2 crosses its cut
    SelectAbove, // w selectabove a: a where w > 0, 0 where w < 0, a/2 where w = 0
    SelectBelow, // w selectbelow b: b where w < 0, ...
    CornerCheck, // w cornercheck q: a corner where w = 0 and q is not 0, else 0
    PowSlope,    // u powslope v: v u^(v-1), marked at u = 0 for 0 < v < 1
    RootSlope,   // u rootslope F: 1/(2F) for F = sqrt u, marked at u = 0
    MulSlope,    // A mulslope du: A du, deciding a power's mark by du
    SecondCheck, // X secondcheck ddu: a power's pending mark decided by ddu
    TanRadians,  // tanradians u: the tangent of u in radians whatever the unit
    Count
};
const TOperatorEntry& InternalEntry(TInternal op);
// The computation of Let, by which the compiler knows a binding.
TOperatorFunc LetComputation();
// The internal entry of a node, or Count when it is not one.
TInternal InternalOf(const TOperatorEntry* op);

class TRuleContext {
public:
    TRuleContext(TDerivativeBuilder& builder, TParseNode* node) : B(builder), N(node) {}

    // The node differentiated, and its entry.
    const TParseNode* Node() const { return N; }
    // Its value and the values of its operands (0 for an absent one).
    TParseNode* Self() const { return N; }
    TParseNode* U() const;
    TParseNode* V() const;
    bool UDepends() const;
    bool VDepends() const;
    // Their derivatives, and second derivatives (for a rule that asks for
    // them; a derivative built without `exact` reads a mark instead).
    TParseNode* DU() const;
    TParseNode* DV() const;
    TParseNode* DDU() const;
    TParseNode* DDV() const;
    bool Degrees() const;

    // New nodes of the derivative.  Add, Sub, Neg, Mul and Div leave out
    // the terms that are the constant 0 or factors 1.
    TParseNode* Num(long double value) const;
    TParseNode* Apply(std::string_view standardName, TParseNode* l, TParseNode* r) const;
    TParseNode* Apply(const TOperatorEntry& op, TParseNode* l, TParseNode* r) const;
    TParseNode* Internal(TInternal op, TParseNode* l, TParseNode* r) const;
    TParseNode* Fn(std::string_view standardName, TParseNode* u) const; // a function of its right operand
    TParseNode* Add(TParseNode* a, TParseNode* b) const;
    TParseNode* Sub(TParseNode* a, TParseNode* b) const;
    TParseNode* Neg(TParseNode* a) const;
    TParseNode* Mul(TParseNode* a, TParseNode* b) const;
    TParseNode* Div(TParseNode* a, TParseNode* b) const;
    // A value times a derivative in the product rule: where the value is 0
    // the term is 0, whatever mark of a continuous function the derivative
    // holds ((u v)' = u' v where u = 0 and v is continuous).
    TParseNode* Scale(TParseNode* value, TParseNode* derivative) const;
    // g'(u) times u' in the chain rule: where g'(u) is 0 the term is 0 if u
    // has a corner there (u changes by O(h), g by O(h^2)).
    TParseNode* Chain(TParseNode* outer, TParseNode* derivative) const;
    // Which way an operand leaves the point on each side (Directions of its
    // first and second derivatives): 0 for the left operand, 1 the right.
    TParseNode* DirectionsOf(int side) const;
    // The rule cannot differentiate this node.
    [[noreturn]] void NoRule(const std::string& why) const;

private:
    TDerivativeBuilder& B;
    TParseNode* N;
};

} // namespace engine_detail

// How an entry is differentiated: Build makes the derivative of a node of
// it; Second says which operands' second derivatives it reads (1 the
// left, 2 the right).
struct TDerivativeRule {
    TParseNode* (*Build)(const engine_detail::TRuleContext& c) = nullptr;
    uint8_t Second = 0;
    // The derivative may hold a mark (a corner, a jump): the rule reads
    // its points (abs, floor, sqrt...).
    bool Marks = false;
};

namespace engine_detail {
// The rules of the catalogue's entries by computation, for the catalogue
// to register beside each entry (DerivativeRules.cpp).
const TDerivativeRule* CatalogueRule(std::string_view name);
// The derivative of `root` by `variable` (exact, in the unit `degrees`) as
// a tree of `parser`, or null with the reason in `why`.
TParseNode* DeriveBound(TMathParser& parser, const TParseNode* root, const TVariableEntry* variable, bool degrees,
                        std::string& why);
} // namespace engine_detail
