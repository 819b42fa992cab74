#include "analysis/Derivative.h"

#include "engine/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace analysis {

namespace {

// Trees deeper than this are not differentiated (the rules recurse), and
// derivative texts longer than this are given up.
constexpr int kMaxDepth = 1000;
constexpr std::size_t kMaxText = 4000000;

// The factor of sin, cos and tan in degrees, as the evaluator multiplies by
// it, and the factors of the angle conversions, written as the catalogue
// holds them (each text reads back as the same 80-bit value).
constexpr const char* kDegree = "0.0174532925199433";
constexpr const char* kDegToRad = "0.017453292519943295769";
constexpr const char* kRadToDeg = "57.295779513082320877";
constexpr const char* kTwoPi = "6.283185307179586477";
constexpr const char* kRadToGrad = "63.661977236758134305";
constexpr const char* kGradToRad = "0.015707963267948966192";

// A piece of the derivative: its text, and whether it is the constant 0 or 1
// (so that products and sums with them are left out).
struct TTerm {
    std::string Text;
    int Value = -1; // 0, 1, or -1 for anything else
};

const TTerm kZero{"0", 0};
const TTerm kOne{"1", 1};

TTerm Atom(std::string text) { return {std::move(text), -1}; }

// Every compound text is in parentheses, so that no priority of the
// engine's operators matters where it is used.
TTerm Add(const TTerm& a, const TTerm& b)
{
    if (a.Value == 0) return b;
    if (b.Value == 0) return a;
    return Atom("(" + a.Text + "+" + b.Text + ")");
}
TTerm Neg(const TTerm& a)
{
    if (a.Value == 0) return a;
    return Atom("(-" + a.Text + ")");
}
TTerm Sub(const TTerm& a, const TTerm& b)
{
    if (b.Value == 0) return a;
    if (a.Value == 0) return Neg(b);
    return Atom("(" + a.Text + "-" + b.Text + ")");
}
TTerm Mul(const TTerm& a, const TTerm& b)
{
    if (a.Value == 0 || b.Value == 0) return kZero;
    if (a.Value == 1) return b;
    if (b.Value == 1) return a;
    return Atom("(" + a.Text + "*" + b.Text + ")");
}
TTerm Div(const TTerm& a, const TTerm& b)
{
    if (a.Value == 0) return kZero;
    if (b.Value == 1) return a;
    return Atom("(" + a.Text + "/" + b.Text + ")");
}
TTerm Fn(const char* name, const TTerm& a) { return Atom(std::string("(") + name + "(" + a.Text + "))"); }
TTerm Square(const TTerm& a) { return Atom("(" + a.Text + "^2)"); }
TTerm Lit(const char* text) { return Atom(text); }

// A number as a plain decimal that the engine reads back as the same value
// (its reader takes no exponent after a name-like "e+").
std::string NumberText(long double value)
{
    std::string buffer(5000, '\0');
    const long double magnitude = std::fabs(value);
    const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, std::chars_format::fixed);
    buffer.resize(static_cast<std::size_t>(r.ptr - buffer.data()));
    return std::signbit(value) && value != 0 ? "(-" + buffer + ")" : buffer;
}

// The standard catalogue's computations by name: an entry of another
// parser is differentiated only when it is the standard one.
const std::map<std::string, TOperatorFunc>& StandardEntries()
{
    static const std::map<std::string, TOperatorFunc> entries = [] {
        TMathParser parser;
        parser.RegisterAngleConversions();
        std::map<std::string, TOperatorFunc> m;
        for (int i = 0; i < parser.OperatorCount(); ++i) m.emplace(parser.Operator(i).Name, parser.Operator(i).Func);
        return m;
    }();
    return entries;
}

struct TNoDerivative {
    std::string Why;
};

class TDifferentiator {
public:
    TDifferentiator(std::string variable, bool degrees) : FVariable(std::move(variable)), FDegrees(degrees) {}

    // The text of the subtree, as the engine reads it back.
    TTerm Source(const TParseNode* n)
    {
        if (auto it = FSource.find(n); it != FSource.end()) return it->second;
        TTerm t;
        if (const TBinding* b = Bound(n)) {
            t = b->Source;
        } else if (IsCall(n)) {
            std::string s = "(" + n->Op->Function->Name + "(";
            const std::vector<const TParseNode*> arguments = CallArguments(n);
            for (std::size_t i = 0; i < arguments.size(); ++i) s += (i ? "; " : "") + Source(arguments[i]).Text;
            t = Atom(s + "))");
        } else if (n->Kind == 0) {
            if (n->Variable != nullptr) t = Atom(n->Variable->Name);
            else t = Atom(NumberText(n->Value));
            if (n->Variable == nullptr && n->Value == 0) t.Value = 0;
            if (n->Variable == nullptr && n->Value == 1) t.Value = 1;
        } else {
            Check(n);
            const TOperatorEntry* op = n->Op;
            std::string s = "(";
            if ((op->Sides & 1) && n->Left->Present) s += Source(n->Left).Text + " ";
            s += op->Name;
            if ((op->Sides & 2) && n->Right->Present) s += " " + Source(n->Right).Text;
            t = Atom(s + ")");
        }
        Limit(t.Text);
        return FSource.emplace(n, t).first->second;
    }

    bool Depends(const TParseNode* n)
    {
        if (n == nullptr || !n->Present) return false;
        if (auto it = FDepends.find(n); it != FDepends.end()) return it->second;
        bool d = false;
        if (const TBinding* b = Bound(n)) d = b->Depends;
        else if (IsCall(n))
            for (const TParseNode* argument : CallArguments(n)) d = Depends(argument) || d;
        else if (n->Kind == 0) d = n->Variable != nullptr && n->Variable->Name == FVariable;
        else if (n->Kind == 1) d = Depends(n->Left) || Depends(n->Right);
        else throw TNoDerivative{"La función contiene una parte que no se sabe derivar"};
        return FDepends[n] = d;
    }

    TTerm D(const TParseNode* n)
    {
        if (!Depends(n)) return kZero;
        if (const TBinding* b = Bound(n)) return b->Slope;
        if (IsCall(n)) return CallRule(n);
        if (n->Kind == 0) return kOne;
        Check(n);
        TTerm t = Rule(n);
        Limit(t.Text);
        return t;
    }

private:
    // A parameter of a notebook function being differentiated: the text
    // of its argument, the argument's derivative, whether it depends on x.
    struct TBinding {
        TTerm Source, Slope;
        bool Depends;
    };
    const TBinding* Bound(const TParseNode* n) const
    {
        if (FBound.empty() || n->Kind != 0 || n->Variable == nullptr) return nullptr;
        const auto it = FBound.find(n->Variable);
        return it == FBound.end() ? nullptr : &it->second;
    }
    // A call of a notebook function: its body differentiated with each
    // parameter standing for its argument (the chain rule for each one).
    TTerm CallRule(const TParseNode* n)
    {
        const TFunctionDefinition& function = *n->Op->Function;
        const std::vector<const TParseNode*> arguments = CallArguments(n);
        if (function.Body == nullptr || !function.Error.empty() ||
            arguments.size() != function.ParameterEntries.size())
            throw TNoDerivative{"«" + function.Name + "» no tiene una derivada conocida"};
        TDifferentiator body(FVariable, FDegrees);
        for (std::size_t i = 0; i < arguments.size(); ++i)
            body.FBound[function.ParameterEntries[i]] = {Atom("(" + Source(arguments[i]).Text + ")"), D(arguments[i]),
                                                         Depends(arguments[i])};
        return body.D(function.Body);
    }

    void Check(const TParseNode* n)
    {
        if (n->Kind != 1 || n->Op == nullptr)
            throw TNoDerivative{"La función contiene una parte que no se sabe derivar"};
        const auto& standard = StandardEntries();
        const auto it = standard.find(n->Op->Name);
        if (it == standard.end() || it->second != n->Op->Func)
            throw TNoDerivative{"«" + n->Op->Name + "» no tiene una derivada conocida"};
        if (n->Op->Name == "random") throw TNoDerivative{"La función usa «random», que no tiene derivada"};
    }
    void Limit(const std::string& text)
    {
        if (text.size() > kMaxText) throw TNoDerivative{"La derivada sería demasiado larga"};
    }

    // The operand as a term: a missing one is 0, as the engine reads it.
    TTerm Operand(const TParseNode* n) { return n->Present ? Source(n) : kZero; }

    // sin, cos and tan in the unit of f.
    TTerm AngleFactor() const { return FDegrees ? Lit(kDegree) : kOne; }
    // tan of an angle in radians whatever the unit.
    TTerm TanRadians(const TTerm& u) const
    {
        return FDegrees ? Fn("tan", Div(u, Lit(kDegree))) : Fn("tan", u);
    }
    // 0 where the operand is not a whole number, none where it is: the
    // slope of a function constant between whole values of `u`.
    static TTerm StepSlope(const TTerm& u) { return Div(Lit("0"), Sub(u, Fn("floor", u))); }
    // u / |u|: the sign, with no value at 0.
    static TTerm Sign(const TTerm& u) { return Div(u, Fn("abs", u)); }

    TTerm Rule(const TParseNode* n);
    TTerm PowerRule(const TParseNode* n);
    TTerm UnaryRule(const std::string& name, const TParseNode* n);
    TTerm ConversionRule(const std::string& name, const TTerm& du, bool& known);

    std::string FVariable;
    bool FDegrees;
    std::unordered_map<const TParseNode*, TTerm> FSource;
    std::unordered_map<const TParseNode*, bool> FDepends;
    std::unordered_map<const TVariableEntry*, TBinding> FBound;
};

TTerm TDifferentiator::PowerRule(const TParseNode* n)
{
    const TTerm u = Operand(n->Left), v = Operand(n->Right);
    const TParseNode* r = n->Right;
    if (!Depends(r)) {
        // v u^(v - 1) u'; a written exponent gives v - 1 as the evaluator would.
        if (r->Present && r->Kind == 0 && r->Variable == nullptr) {
            if (r->Value == 0) return kZero;
            const long double less = r->Value - 1;
            const TTerm lower = less == 1 ? kOne : Atom(NumberText(less));
            const TTerm power = less == 0 ? kOne : (less == 1 ? u : Atom("(" + u.Text + "^" + lower.Text + ")"));
            return Mul(Mul(v, power), D(n->Left));
        }
        return Mul(Mul(v, Atom("(" + u.Text + "^" + Sub(v, kOne).Text + ")")), D(n->Left));
    }
    const TTerm f = Source(n);
    if (!Depends(n->Left)) return Mul(Mul(f, Fn("ln", u)), D(r)); // a^v: a^v ln a v'
    // u^v (v' ln u + v u'/u)
    return Mul(f, Add(Mul(D(r), Fn("ln", u)), Div(Mul(v, D(n->Left)), u)));
}

TTerm TDifferentiator::ConversionRule(const std::string& name, const TTerm& du, bool& known)
{
    known = true;
    if (name == "degtorad") return Mul(du, Lit(kDegToRad));
    if (name == "degtocycle") return Div(Mul(du, Lit(kDegToRad)), Lit(kTwoPi));
    if (name == "degtograd") return Mul(Mul(du, Lit(kDegToRad)), Lit(kRadToGrad));
    if (name == "radtodeg") return Mul(du, Lit(kRadToDeg));
    if (name == "radtocycle") return Div(du, Lit(kTwoPi));
    if (name == "radtograd") return Mul(du, Lit(kRadToGrad));
    if (name == "gradtocycle") return Div(Mul(du, Lit(kGradToRad)), Lit(kTwoPi));
    if (name == "gradtorad") return Mul(du, Lit(kGradToRad));
    if (name == "gradtodeg") return Mul(Mul(du, Lit(kGradToRad)), Lit(kRadToDeg));
    known = false;
    return kZero;
}

// The functions of the right operand: g(u)' = g'(u) u'.
TTerm TDifferentiator::UnaryRule(const std::string& name, const TParseNode* n)
{
    const TTerm u = Operand(n->Right), du = D(n->Right), f = Source(n);
    const TTerm one = kOne;
    auto oneMinusSquare = [&] { return Mul(Sub(one, u), Add(one, u)); }; // 1 - u^2 keeping its digits
    auto squareMinusOne = [&] { return Mul(Sub(u, one), Add(u, one)); };
    if (name == "sin") return Mul(Mul(Fn("cos", u), AngleFactor()), du);
    if (name == "cos") return Neg(Mul(Mul(Fn("sin", u), AngleFactor()), du));
    if (name == "tan") return Mul(Mul(Add(one, Square(Fn("tan", u))), AngleFactor()), du);
    if (name == "sqrt") return Div(du, Mul(Lit("2"), f));
    if (name == "ln") return Div(du, u);
    if (name == "exp") return Mul(f, du);
    if (name == "arcsin") return Div(du, Fn("sqrt", oneMinusSquare()));
    if (name == "arccos") return Neg(Div(du, Fn("sqrt", oneMinusSquare())));
    if (name == "arctan") return Div(du, Add(one, Square(u)));
    if (name == "sinh") return Mul(Fn("cosh", u), du);
    if (name == "cosh") return Mul(Fn("sinh", u), du);
    if (name == "tanh") return Div(du, Square(Fn("cosh", u)));
    if (name == "abs") return Mul(du, Sign(u));
    if (name == "floor" || name == "ceil") return StepSlope(u);
    if (name == "arccosh") return Div(du, Fn("sqrt", squareMinusOne()));
    if (name == "arccot") return Neg(Div(du, Add(one, Square(u))));
    if (name == "arccoth" || name == "arctanh") return Div(du, oneMinusSquare());
    if (name == "arccsc") return Neg(Div(du, Mul(Fn("abs", u), Fn("sqrt", squareMinusOne()))));
    if (name == "arcsec") return Div(du, Mul(Fn("abs", u), Fn("sqrt", squareMinusOne())));
    if (name == "arccsch") return Neg(Div(du, Mul(Fn("abs", u), Fn("sqrt", Add(one, Square(u))))));
    if (name == "arcsech") return Neg(Div(du, Mul(u, Fn("sqrt", oneMinusSquare()))));
    if (name == "arcsinh") return Div(du, Fn("sqrt", Add(one, Square(u))));
    if (name == "cot" || name == "cotan") return Neg(Mul(du, Square(Fn("csc", u))));
    if (name == "coth") return Neg(Mul(du, Square(Fn("csch", u))));
    if (name == "csc") return Neg(Mul(du, Mul(Fn("csc", u), Fn("cot", u))));
    if (name == "csch") return Neg(Mul(du, Mul(Fn("csch", u), Fn("coth", u))));
    if (name == "sec") return Mul(du, Mul(f, TanRadians(u)));
    if (name == "sech") return Neg(Mul(du, Mul(f, Fn("tanh", u))));
    bool known;
    const TTerm converted = ConversionRule(name, du, known);
    if (known) return converted;
    throw TNoDerivative{"«" + name + "» no tiene una derivada conocida"};
}

TTerm TDifferentiator::Rule(const TParseNode* n)
{
    const std::string& name = n->Op->Name;
    const TParseNode* l = n->Left;
    const TParseNode* r = n->Right;
    if (n->Op->Sides == 2) return UnaryRule(name, n);
    const TTerm u = Operand(l), v = Operand(r);
    if (name == "+") return Add(D(l), D(r));
    if (name == "-") return Sub(D(l), D(r));
    if (name == "*") return Add(Mul(D(l), v), Mul(u, D(r)));
    if (name == "/") {
        // (u' - (u/v) v') / v: no v^2 to overflow.
        if (!Depends(r)) return Div(D(l), v);
        return Div(Sub(D(l), Mul(Source(n), D(r))), v);
    }
    if (name == "^") return PowerRule(n);
    if (name == "!") return Mul(Source(n), D(l)); // e raised to the operand
    if (name == "log") {
        // ln v / ln u: v'/(v ln u) - ln v u' / (u (ln u)^2)
        const TTerm lnU = Fn("ln", u);
        const TTerm first = Div(D(r), Mul(v, lnU));
        if (!Depends(l)) return first;
        return Sub(first, Div(Mul(Fn("ln", v), D(l)), Mul(u, Square(lnU))));
    }
    if (name == "div" || name == "mod") {
        // Whole parts of the operands: constant between whole values.
        TTerm slope = kZero;
        if (Depends(l)) slope = StepSlope(u);
        if (Depends(r)) slope = Add(slope, StepSlope(v));
        return slope.Value == 0 ? Lit("0") : slope;
    }
    if (name == "max" || name == "min") {
        // max = (u + v + |u - v|)/2: u' (1 + s)/2 + v' (1 - s)/2, s the sign of u - v.
        const TTerm s = Sign(Sub(u, v));
        const TTerm sU = name == "max" ? s : Neg(s);
        const TTerm half = Lit("0.5");
        return Add(Mul(D(l), Mul(Add(kOne, sU), half)), Mul(D(r), Mul(Sub(kOne, sU), half)));
    }
    if (name == "arctan2") return Div(Sub(Mul(v, D(l)), Mul(u, D(r))), Add(Square(u), Square(v)));
    if (name == "hypot") return Div(Add(Mul(u, D(l)), Mul(v, D(r))), Source(n));
    if (name == "nsqrt") {
        // u nsqrt v = v^(1/u): f (v'/(u v) - u' ln v / u^2)
        const TTerm f = Source(n);
        const TTerm first = Div(Mul(f, D(r)), Mul(u, v));
        if (!Depends(l)) return first;
        return Sub(first, Div(Mul(Mul(f, Fn("ln", v)), D(l)), Square(u)));
    }
    throw TNoDerivative{"«" + name + "» no tiene una derivada conocida"};
}

int Depth(const TParseNode* root)
{
    int deepest = 0;
    std::vector<std::pair<const TParseNode*, int>> pending{{root, 1}};
    while (!pending.empty()) {
        const auto [n, d] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, d);
        if (deepest > kMaxDepth) return deepest;
        if (n->Kind != 0) {
            if (n->Left != nullptr) pending.push_back({n->Left, d + 1});
            if (n->Right != nullptr) pending.push_back({n->Right, d + 1});
        }
    }
    return deepest;
}

} // namespace

std::string DerivativeText(const TExpression& f, std::string_view variable, bool degrees, std::string* whyNot)
{
    auto fail = [whyNot](std::string why) {
        if (whyNot != nullptr) *whyNot = std::move(why);
        return std::string();
    };
    const TParseNode* root = f.Tree();
    if (f.Parser() == nullptr || root == nullptr) return "0";
    if (Depth(root) > kMaxDepth) return fail("La función es demasiado larga para derivarla");
    try {
        std::string name(variable);
        for (char& c : name)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        TDifferentiator d(name, degrees);
        const TTerm slope = d.D(root);
        // Plus 0 times f: no value where f has none.
        const std::string text = "(" + slope.Text + "+(0*" + d.Source(root).Text + "))";
        if (text.size() > kMaxText) return fail("La derivada sería demasiado larga");
        return text;
    } catch (const TNoDerivative& e) {
        return fail(e.Why);
    }
}

std::optional<TExpression> Derivative(const TExpression& f, std::string_view variable, bool degrees,
                                      std::string* whyNot)
{
    const std::string text = DerivativeText(f, variable, degrees, whyNot);
    if (text.empty()) return std::nullopt;
    if (f.Parser() == nullptr) return TExpression();
    try {
        return TExpression(f.SharedParser(), text);
    } catch (const EMathParserException&) {
        if (whyNot != nullptr) *whyNot = "La derivada usa funciones que este cálculo no conoce";
        return std::nullopt;
    }
}

std::vector<TSlopes> Slopes(const TFunctionList& functions, bool degrees)
{
    std::vector<TSlopes> slopes(functions.size());
    for (std::size_t i = 0; i < functions.size(); ++i) {
        if (functions[i] == nullptr) continue;
        std::optional<TExpression> first = Derivative(*functions[i], "x", degrees, &slopes[i].WhyNot);
        if (!first) continue;
        std::optional<TExpression> second = Derivative(*first, "x", degrees);
        slopes[i].First = std::make_shared<const TExpression>(std::move(*first));
        if (second) slopes[i].Second = std::make_shared<const TExpression>(std::move(*second));
    }
    return slopes;
}

std::string TangentEquation(long double m, long double b, int digits)
{
    const std::string slope = FormatGeneral(m, digits), intercept = FormatGeneral(std::fabs(b), digits);
    std::string text = "y = ";
    if (slope == "0") return text + FormatGeneral(b, digits);
    if (slope == "1") text += "x";
    else if (slope == "-1") text += "-x";
    else text += slope + "·x";
    if (intercept == "0") return text;
    return text + (b < 0 ? " - " : " + ") + intercept;
}

} // namespace analysis
