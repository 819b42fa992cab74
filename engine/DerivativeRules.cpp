// The derivative rule of each entry of the catalogue, which registers it
// beside the entry (Catalogue.cpp).  u and v are the operands' values, du and
// dv their derivatives; "value" below is the node's own value.
#include "engine/DerivativeRules.h"
#include "engine/Computations.h"

#include <map>
#include <string>

namespace engine_detail {

namespace {

using C = const TRuleContext&;

// The factors of the angle conversions, as the catalogue computes them.
constexpr long double kDegToRad = 0.017453292519943295769L;
constexpr long double kRadToDeg = 57.295779513082320877L;
constexpr long double kTwoPi = 6.283185307179586477L;
constexpr long double kRadToGrad = 63.661977236758134305L;
constexpr long double kGradToRad = 0.015707963267948966192L;
constexpr long double kLn10 = 2.30258509299404568401799145468436421L;

// 1 - v^2 and v^2 - 1 keeping every digit of v near 1.
TParseNode* OneMinusSquare(C c, TParseNode* v) { return c.Mul(c.Sub(c.Num(1), v), c.Add(c.Num(1), v)); }
TParseNode* SquareMinusOne(C c, TParseNode* v) { return c.Mul(c.Sub(v, c.Num(1)), c.Add(v, c.Num(1))); }
TParseNode* Square(C c, TParseNode* v) { return c.Mul(v, v); }
// The factor of sin, cos and tan in the unit they are evaluated in.
TParseNode* AngleFactor(C c, TParseNode* t) { return c.Degrees() ? c.Mul(t, c.Num(kDegreeFactor)) : t; }

TParseNode* RuleAdd(C c) { return c.Add(c.DU(), c.DV()); }
TParseNode* RuleSub(C c) { return c.Sub(c.DU(), c.DV()); }
TParseNode* RuleMul(C c) { return c.Add(c.Scale(c.V(), c.DU()), c.Scale(c.U(), c.DV())); }
// (u' - (u/v) v') / v: no v^2 to overflow.
TParseNode* RuleDiv(C c)
{
    if (!c.VDepends()) return c.Div(c.DU(), c.V());
    return c.Div(c.Sub(c.DU(), c.Scale(c.Self(), c.DV())), c.V());
}
TParseNode* RuleSin(C c) { return c.Chain(AngleFactor(c, c.Fn("cos", c.V())), c.DV()); }
TParseNode* RuleCos(C c) { return c.Chain(c.Neg(AngleFactor(c, c.Fn("sin", c.V()))), c.DV()); }
TParseNode* RuleTan(C c)
{
    return c.Chain(AngleFactor(c, c.Add(c.Num(1), Square(c, c.Self()))), c.DV());
}

// A power of an operand at 0 may still have a slope; MulSlope and
// SecondCheck tell (DerivativeOps.cpp).
TParseNode* PowerSlope(C c, TParseNode* slopeFactor, TParseNode* du, TParseNode* ddu)
{
    return c.Internal(TInternal::SecondCheck, c.Internal(TInternal::MulSlope, slopeFactor, du), ddu);
}
TParseNode* RuleSqrt(C c)
{
    return PowerSlope(c, c.Internal(TInternal::RootSlope, c.V(), c.Self()), c.DV(), c.DDV());
}
bool WholeAtLeastOne(const TParseNode* n)
{
    return n->Kind == 0 && n->Variable == nullptr && n->Value >= 1 && n->Value <= 64 && std::trunc(n->Value) == n->Value;
}
TParseNode* RulePower(C c)
{
    TParseNode* u = c.U();
    TParseNode* v = c.V();
    if (!c.VDepends()) {
        if (!c.UDepends()) return c.Num(0);
        // A written whole exponent: v u^(v - 1) u', as the evaluator would.
        if (WholeAtLeastOne(v)) {
            const long double lower = v->Value - 1;
            TParseNode* power = lower == 0 ? c.Num(1) : lower == 1 ? u : c.Apply("^", u, c.Num(lower));
            return c.Chain(c.Mul(v, power), c.DU());
        }
        return PowerSlope(c, c.Internal(TInternal::PowSlope, u, v), c.DU(), c.DDU());
    }
    if (!c.UDepends()) return c.Chain(c.Mul(c.Self(), c.Fn("ln", u)), c.DV()); // a^v: a^v ln a v'
    // u^v (v' ln u + v u'/u)
    return c.Mul(c.Self(), c.Add(c.Mul(c.DV(), c.Fn("ln", u)), c.Div(c.Mul(v, c.DU()), u)));
}
// u log v = ln v / ln u: v'/(v ln u) - ln v u' / (u (ln u)^2); with no u,
// the decimal logarithm.
TParseNode* RuleLog10(C c) { return c.Div(c.DV(), c.Mul(c.V(), c.Num(kLn10))); }
TParseNode* RuleLog(C c)
{
    if (!c.Node()->Left->Present) return RuleLog10(c);
    TParseNode* lnU = c.Fn("ln", c.U());
    TParseNode* first = c.Div(c.DV(), c.Mul(c.V(), lnU));
    if (!c.UDepends()) return first;
    return c.Sub(first, c.Div(c.Mul(c.Fn("ln", c.V()), c.DU()), c.Mul(c.U(), Square(c, lnU))));
}
TParseNode* RuleLn(C c) { return c.Div(c.DV(), c.V()); }
TParseNode* RuleArcCos(C c) { return c.Neg(c.Div(c.DV(), c.Fn("sqrt", OneMinusSquare(c, c.V())))); }
TParseNode* RuleArcSin(C c) { return c.Div(c.DV(), c.Fn("sqrt", OneMinusSquare(c, c.V()))); }
TParseNode* RuleArcTan(C c) { return c.Div(c.DV(), c.Add(c.Num(1), Square(c, c.V()))); }
TParseNode* RuleSinh(C c) { return c.Chain(c.Fn("cosh", c.V()), c.DV()); }
TParseNode* RuleCosh(C c) { return c.Chain(c.Fn("sinh", c.V()), c.DV()); }
TParseNode* RuleTanh(C c) { return c.Div(c.DV(), Square(c, c.Fn("cosh", c.V()))); }
TParseNode* RuleAbs(C c) { return c.Internal(TInternal::AbsSlope, c.V(), c.DV()); }
TParseNode* RuleExp(C c) { return c.Chain(c.Self(), c.DV()); }
TParseNode* RuleFactorialSign(C c) { return c.Chain(c.Self(), c.DU()); } // e raised to the left operand
TParseNode* RuleFloor(C c) { return c.Internal(TInternal::FloorCheck, c.V(), c.DirectionsOf(1)); }
TParseNode* RuleCeil(C c) { return c.Internal(TInternal::CeilCheck, c.V(), c.DirectionsOf(1)); }

// div and mod read the whole parts (towards 0) of their operands: the node
// is constant where those stay put, and where one of them changes the
// value just left and just right of the point is worked out and compared.
TParseNode* RuleWholeParts(C c)
{
    TParseNode* sides[2];
    TParseNode* checks = c.Num(0);
    for (int side = 0; side < 2; ++side) {
        TParseNode* operands[2];
        for (int k = 0; k < 2; ++k) {
            TParseNode* value = k == 0 ? c.U() : c.V();
            const bool depends = k == 0 ? c.UDepends() : c.VDepends();
            if (!depends) {
                operands[k] = value;
                continue;
            }
            TParseNode* dirs = c.DirectionsOf(k);
            operands[k] = c.Internal(side == 0 ? TInternal::TruncLeft : TInternal::TruncRight, value, dirs);
            if (side == 0) checks = c.Add(checks, c.Internal(TInternal::WholeCheck, value, dirs));
        }
        sides[side] = c.Internal(TInternal::SameCheck, c.Self(), c.Apply(*c.Node()->Op, operands[0], operands[1]));
    }
    return c.Add(c.Add(sides[0], sides[1]), checks);
}

// max and min: the slope of the operand that is larger (smaller); where
// both are equal, their common slope, or a corner when the slopes differ.
TParseNode* Larger(C c, TParseNode* w, TParseNode* dAbove, TParseNode* dBelow)
{
    TParseNode* chosen = c.Add(c.Internal(TInternal::SelectAbove, w, dAbove), c.Internal(TInternal::SelectBelow, w, dBelow));
    return c.Add(chosen, c.Internal(TInternal::CornerCheck, w, c.Sub(c.DU(), c.DV())));
}
TParseNode* RuleMax(C c) { return Larger(c, c.Sub(c.U(), c.V()), c.DU(), c.DV()); }
TParseNode* RuleMin(C c) { return Larger(c, c.Sub(c.U(), c.V()), c.DV(), c.DU()); }

TParseNode* RuleArcCosh(C c) { return c.Div(c.DV(), c.Fn("sqrt", SquareMinusOne(c, c.V()))); }
// arccot v = arctan(1/v) jumps where v crosses 0.
TParseNode* RuleArcCot(C c)
{
    TParseNode* slope = c.Neg(c.Div(c.DV(), c.Add(c.Num(1), Square(c, c.V()))));
    return c.Add(slope, c.Internal(TInternal::ArcCotCheck, c.V(), c.DirectionsOf(1)));
}
TParseNode* RuleArcTanh(C c) { return c.Div(c.DV(), OneMinusSquare(c, c.V())); }
TParseNode* RuleArcCsc(C c)
{
    return c.Neg(c.Div(c.DV(), c.Mul(c.Fn("abs", c.V()), c.Fn("sqrt", SquareMinusOne(c, c.V())))));
}
TParseNode* RuleArcSec(C c)
{
    return c.Div(c.DV(), c.Mul(c.Fn("abs", c.V()), c.Fn("sqrt", SquareMinusOne(c, c.V()))));
}
TParseNode* RuleArcCsch(C c)
{
    return c.Neg(c.Div(c.DV(), c.Mul(c.Fn("abs", c.V()), c.Fn("sqrt", c.Add(c.Num(1), Square(c, c.V()))))));
}
TParseNode* RuleArcSech(C c)
{
    return c.Neg(c.Div(c.DV(), c.Mul(c.V(), c.Fn("sqrt", OneMinusSquare(c, c.V())))));
}
TParseNode* RuleArcSinh(C c) { return c.Div(c.DV(), c.Fn("sqrt", c.Add(c.Num(1), Square(c, c.V())))); }
// u arctan2 v, the angle of (v, u): it jumps by 2 pi where u crosses 0 with v < 0.
TParseNode* RuleArcTan2(C c)
{
    TParseNode* slope = c.Div(c.Sub(c.Mul(c.V(), c.DU()), c.Mul(c.U(), c.DV())), c.Add(Square(c, c.U()), Square(c, c.V())));
    if (!c.UDepends()) return slope;
    return c.Add(slope, c.Internal(TInternal::CutCheck, c.Internal(TInternal::OnCut, c.U(), c.V()), c.DirectionsOf(0)));
}
TParseNode* RuleCot(C c) { return c.Neg(c.Chain(Square(c, c.Fn("csc", c.V())), c.DV())); }
TParseNode* RuleCoth(C c) { return c.Neg(c.Chain(Square(c, c.Fn("csch", c.V())), c.DV())); }
TParseNode* RuleCsc(C c) { return c.Neg(c.Chain(c.Mul(c.Self(), c.Fn("cot", c.V())), c.DV())); }
TParseNode* RuleCsch(C c) { return c.Neg(c.Chain(c.Mul(c.Self(), c.Fn("coth", c.V())), c.DV())); }
TParseNode* RuleHypot(C c)
{
    return c.Div(c.Add(c.Mul(c.U(), c.DU()), c.Mul(c.V(), c.DV())), c.Self());
}
TParseNode* RuleSec(C c)
{
    return c.Chain(c.Mul(c.Self(), c.Internal(TInternal::TanRadians, nullptr, c.V())), c.DV());
}
TParseNode* RuleSech(C c) { return c.Neg(c.Chain(c.Mul(c.Self(), c.Fn("tanh", c.V())), c.DV())); }
TParseNode* RuleRandom(C c) { c.NoRule("La función usa «random», que no tiene derivada"); }
TParseNode* RuleSeparator(C c) { c.NoRule("El «;» solo separa los argumentos de una función"); }
// The name a node was written with ("comb" for a call's calculation).
std::string WrittenName(C c)
{
    const TOperatorEntry* op = c.Node()->Op;
    return op->CalledAs != nullptr ? op->CalledAs->Name : op->Name;
}
// Functions of whole numbers, and steps: constant, or no derivative.
TParseNode* RuleWholeNumbers(C c)
{
    if (!c.UDepends() && !c.VDepends()) return c.Num(0);
    c.NoRule("La función usa «" + WrittenName(c) + "», que no tiene derivada");
}
TParseNode* RuleNoneKnown(C c)
{
    if (!c.UDepends() && !c.VDepends()) return c.Num(0);
    c.NoRule("La función usa «" + WrittenName(c) + "», cuya derivada no se calcula");
}
// normal: P(Z <= u/v), whose derivative is the density at u/v over v
// times (u' - (u/v) v'); normaldens: f(u/v)/v, times -(z (u' - z v') + v')/v.
TParseNode* RuleNormal(C c)
{
    TParseNode* z = c.Div(c.U(), c.V());
    return c.Mul(c.Apply("normaldens#", c.U(), c.V()), c.Sub(c.DU(), c.Mul(z, c.DV())));
}
TParseNode* RuleNormalDensity(C c)
{
    TParseNode* z = c.Div(c.U(), c.V());
    return c.Mul(c.Self(), c.Neg(c.Div(c.Add(c.Mul(z, c.Sub(c.DU(), c.Mul(z, c.DV()))), c.DV()), c.V())));
}
// v Q(u), Q the standard quantile: Q' = 1/f(Q).
TParseNode* RuleScaledQuantile(C c)
{
    TParseNode* q = c.Div(c.Self(), c.V());
    TParseNode* density = c.Apply("normaldens#", q, c.Num(1));
    return c.Add(c.Div(c.Mul(c.DU(), c.V()), density), c.Mul(c.DV(), q));
}

// u nsqrt v = v^(1/u).
TParseNode* RuleNthRoot(C c)
{
    TParseNode* slope = c.Num(0);
    if (c.VDepends()) {
        TParseNode* exponent = c.Div(c.Num(1), c.U());
        slope = PowerSlope(c, c.Internal(TInternal::PowSlope, c.V(), exponent), c.DV(), c.DDV());
    }
    if (!c.UDepends()) return slope;
    // -v^(1/u) ln v u' / u^2
    return c.Sub(slope, c.Mul(c.Mul(c.Self(), c.Fn("ln", c.V())), c.Div(c.DU(), Square(c, c.U()))));
}

// The angle conversions: their factors in the order the catalogue applies
// them (f1, then times or divided by f2 when f2 is not 0).
TParseNode* Conversion(C c, long double f1, long double f2, bool divide)
{
    TParseNode* d = c.Mul(c.DV(), c.Num(f1));
    if (f2 == 0) return d;
    return divide ? c.Div(d, c.Num(f2)) : c.Mul(d, c.Num(f2));
}

const std::map<std::string, TDerivativeRule>& Rules()
{
    static const std::map<std::string, TDerivativeRule> rules = {
        {"+", {RuleAdd}}, {"-", {RuleSub}}, {"*", {RuleMul}}, {"/", {RuleDiv}},
        {"sin", {RuleSin}}, {"cos", {RuleCos}}, {"tan", {RuleTan}}, {"sqrt", {RuleSqrt, 2, true}},
        {"^", {RulePower, 1, true}}, {"log", {RuleLog}}, {"ln", {RuleLn}}, {"arccos", {RuleArcCos}},
        {"arcsin", {RuleArcSin}}, {"arctan", {RuleArcTan}}, {"sinh", {RuleSinh}}, {"cosh", {RuleCosh}},
        {"tanh", {RuleTanh}}, {"div", {RuleWholeParts, 3, true}}, {"mod", {RuleWholeParts, 3, true}}, {"abs", {RuleAbs, 0, true}},
        {"floor", {RuleFloor, 2, true}}, {"ceil", {RuleCeil, 2, true}}, {"exp", {RuleExp}}, {"!", {RuleFactorialSign}},
        {"max", {RuleMax, 0, true}}, {"min", {RuleMin, 0, true}}, {"arccosh", {RuleArcCosh}}, {"arccot", {RuleArcCot, 2, true}},
        {"arccoth", {RuleArcTanh}}, {"arccsc", {RuleArcCsc}}, {"arccsch", {RuleArcCsch}}, {"arcsec", {RuleArcSec}},
        {"arcsech", {RuleArcSech}}, {"arcsinh", {RuleArcSinh}}, {"arctanh", {RuleArcTanh}},
        {"arctan2", {RuleArcTan2, 1, true}}, {"cot", {RuleCot}}, {"cotan", {RuleCot}}, {"coth", {RuleCoth}},
        {"csc", {RuleCsc}}, {"csch", {RuleCsch}}, {"hypot", {RuleHypot}}, {"sec", {RuleSec}}, {"sech", {RuleSech}},
        {"random", {RuleRandom}}, {"nsqrt", {RuleNthRoot, 2, true}}, {";", {RuleSeparator}},
        {"fact", {RuleWholeNumbers}}, {"gamma", {RuleNoneKnown}}, {"signo", {RuleWholeNumbers}},
        {"log10", {RuleLog10}}, {"#call", {RuleWholeNumbers}}, {"comb#", {RuleWholeNumbers}},
        {"perm#", {RuleWholeNumbers}}, {"binomial#", {RuleWholeNumbers}}, {"binomial;#", {RuleWholeNumbers}},
        {"binomialac#", {RuleWholeNumbers}}, {"binomialac;#", {RuleWholeNumbers}}, {"poisson#", {RuleWholeNumbers}},
        {"poissonac#", {RuleWholeNumbers}}, {"normal#", {RuleNormal}}, {"normal;#", {RuleSub}},
        {"normaldens#", {RuleNormalDensity}}, {"normaldens;#", {RuleSub}}, {"normalinv#", {RuleAdd}},
        {"normalinv;#", {RuleScaledQuantile}}, {"redondear#", {RuleWholeNumbers}}, {"truncar#", {RuleWholeNumbers}},
        {"mcd#", {RuleWholeNumbers}}, {"mcm#", {RuleWholeNumbers}},
        {"degtorad", {+[](C c) { return Conversion(c, kDegToRad, 0, false); }}},
        {"degtocycle", {+[](C c) { return Conversion(c, kDegToRad, kTwoPi, true); }}},
        {"degtograd", {+[](C c) { return Conversion(c, kDegToRad, kRadToGrad, false); }}},
        {"radtodeg", {+[](C c) { return Conversion(c, kRadToDeg, 0, false); }}},
        {"radtocycle", {+[](C c) { return Conversion(c, 1, kTwoPi, true); }}},
        {"radtograd", {+[](C c) { return Conversion(c, kRadToGrad, 0, false); }}},
        {"gradtocycle", {+[](C c) { return Conversion(c, kGradToRad, kTwoPi, true); }}},
        {"gradtorad", {+[](C c) { return Conversion(c, kGradToRad, 0, false); }}},
        {"gradtodeg", {+[](C c) { return Conversion(c, kGradToRad, kRadToDeg, false); }}},
    };
    return rules;
}

} // namespace

const TDerivativeRule* CatalogueRule(std::string_view name)
{
    const auto& rules = Rules();
    const auto it = rules.find(std::string(name));
    return it == rules.end() ? nullptr : &it->second;
}

} // namespace engine_detail
