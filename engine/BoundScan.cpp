// Parsing the calls that bind a name: deriv, integral, suma, producto and
// resolver.  Before the text is parsed, a scan finds those calls and makes
// each bound name known for the length of the parse (so that "x^2" parses
// where no value is named x), and the "=" of an equation.  After it, each
// call becomes its node and site, and every leaf of a bound name is given
// the site of the innermost call around it that binds it; outside any, the
// notebook's value of that name, or an error.
#include "engine/BoundScan.h"

#include "engine/BoundCalls.h"

#include "engine/DerivativeRules.h"
#include "engine/ErrorCodes.h"
#include "engine/Program.h"
#include "engine/Utf8.h"

#include <algorithm>

using engine_detail::FailWith;

namespace {

bool NameStart(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || c == U'_' || c >= 0xC0;
}
bool NameChar(char32_t c)
{
    return NameStart(c) || (c >= U'0' && c <= U'9');
}

struct TKindName {
    const char32_t* Name;
    TBoundKind Kind;
};
constexpr TKindName kKinds[] = {{U"deriv", kBoundDeriv},
                                {U"integral", kBoundIntegral},
                                {U"suma", kBoundSum},
                                {U"producto", kBoundProduct},
                                {U"resolver", kBoundSolve}};

} // namespace

const char* BoundSignature(TBoundKind kind)
{
    switch (kind) {
    case kBoundDeriv: return "deriv(expr; x; x0)";
    case kBoundIntegral: return "integral(expr; x; a; b)";
    case kBoundSum: return "suma(expr; k; a; b)";
    case kBoundProduct: return "producto(expr; k; a; b)";
    case kBoundSolve: return "resolver(lado = lado; x; a; b)";
    default: return "";
    }
}

TBoundScan::TBoundScan(TMathParser& parser, const std::u32string& text) : Text(text), P(parser)
{
    const int n = static_cast<int>(text.size());
    for (int i = 0; i < n; ++i) {
        if (!NameStart(text[static_cast<std::size_t>(i)]) || (i > 0 && NameChar(text[static_cast<std::size_t>(i - 1)])))
            continue;
        int end = i;
        while (end < n && NameChar(text[static_cast<std::size_t>(end)])) ++end;
        const std::u32string word = utf8::LowerAscii(text.substr(static_cast<std::size_t>(i), static_cast<std::size_t>(end - i)));
        TBoundKind kind = kBoundNone;
        for (const TKindName& k : kKinds)
            if (word == k.Name) kind = k.Kind;
        int open = end;
        while (open < n && text[static_cast<std::size_t>(open)] == U' ') ++open;
        if (kind == kBoundNone || open >= n || text[static_cast<std::size_t>(open)] != U'(') {
            i = end - 1;
            continue;
        }
        ScanCall(text, kind, i, open);
        i = end - 1;
    }
    if (Names.empty()) return;
    Known = true;
    for (TName& name : Names) {
        name.Node = P.TrieInsert(name.Lowered);
        name.SavedVariable = P.FTrie[static_cast<std::size_t>(name.Node)].Variable;
        P.FVariables.push_back({utf8::Encode(name.Lowered), 0});
        P.FVariables.back().BoundName = true;
        name.Entry = &P.FVariables.back();
        P.FTrie[static_cast<std::size_t>(name.Node)].Variable = static_cast<int>(P.FVariables.size()) - 1;
    }
    if (Equation) {
        EqualsNode = P.TrieInsert(U"=");
        SavedEqualsOperator = P.FTrie[static_cast<std::size_t>(EqualsNode)].Operator;
        for (int k = P.OperatorCount() - 1; k >= 0; --k)
            if (P.FOperators[static_cast<std::size_t>(k)]->Name == "=") {
                P.FTrie[static_cast<std::size_t>(EqualsNode)].Operator = k;
                Equals = P.FOperators[static_cast<std::size_t>(k)];
                break;
            }
    }
}

// One call at `start` whose "(" is at `open` (0-based): its bound name,
// the second argument, must be a name that is not the catalogue's.
void TBoundScan::ScanCall(const std::u32string& text, TBoundKind kind, int start, int open)
{
    const int n = static_cast<int>(text.size());
    int depth = 0, close = -1;
    std::vector<int> separators;
    bool equals = false;
    for (int j = open; j < n && close < 0; ++j) {
        const char32_t c = text[static_cast<std::size_t>(j)];
        if (c == U'(') ++depth;
        else if (c == U')' && --depth == 0) close = j;
        else if (depth == 1 && c == U';') separators.push_back(j);
        else if (c == U'=' && separators.empty()) equals = true;
    }
    if (close < 0) return; // the parse reports the parenthesis
    if (kind == kBoundSolve && equals) Equation = true;
    if (separators.empty()) return; // the count is reported after the parse
    int a = separators[0] + 1, b = separators.size() > 1 ? separators[1] : close;
    while (a < b && text[static_cast<std::size_t>(a)] <= U' ') ++a;
    while (b > a && text[static_cast<std::size_t>(b - 1)] <= U' ') --b;
    const std::u32string name = text.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a));
    const std::string callName = utf8::Encode(utf8::LowerAscii(text.substr(static_cast<std::size_t>(start),
                                                                           static_cast<std::size_t>(open - start))));
    bool valid = !name.empty() && NameStart(name[0]);
    for (char32_t c : name) valid = valid && NameChar(c);
    const std::u32string lowered = utf8::LowerAscii(name);
    const int node = valid ? P.TrieFind(lowered) : -1;
    if (!valid || (node > 0 && P.FTrie[static_cast<std::size_t>(node)].Operator >= 0)) {
        std::string why = name.empty() ? "Falta el nombre de la variable de " + callName + ": " + BoundSignature(kind)
                                       : "«" + utf8::Encode(name) + "» no es un nombre de variable: el segundo argumento de " +
                                             callName + " es la variable, " + BoundSignature(kind);
        FailWith(P, error_code::kInvalidArgument, name.empty() ? separators[0] + 1 : a + 1,
             name.empty() ? 1 : static_cast<int32_t>(name.size()), why);
    }
    for (const TName& known : Names)
        if (known.Lowered == lowered) return;
    Names.push_back({lowered});
}

TBoundScan::~TBoundScan()
{
    if (!Known) return;
    if (EqualsNode >= 0) P.FTrie[static_cast<std::size_t>(EqualsNode)].Operator = SavedEqualsOperator;
    for (auto it = Names.rbegin(); it != Names.rend(); ++it) {
        P.FTrie[static_cast<std::size_t>(it->Node)].Variable = it->SavedVariable;
        P.FVariables.pop_back();
    }
}

const TBoundScan::TName* TBoundScan::NameOf(const TVariableEntry* entry) const
{
    for (const TName& name : Names)
        if (name.Entry == entry) return &name;
    return nullptr;
}

const TVariableEntry* TBoundScan::Outside(const TName& name) const
{
    return name.SavedVariable >= 0 ? &P.FVariables[static_cast<std::size_t>(name.SavedVariable)] : nullptr;
}

std::string BoundKindName(TBoundKind kind)
{
    for (const TKindName& k : kKinds)
        if (k.Kind == kind) return utf8::Encode(k.Name);
    return {};
}

namespace {

struct TArgumentSpan {
    TParseNode* Node;
    int32_t Position, Length;
};

// The arguments of a bound call, first to last, and the separators between
// them; throws on an empty argument.
void SplitArguments(TMathParser& parser, TParseNode* node, std::vector<TArgumentSpan>& args,
                    std::vector<TParseNode*>& separators)
{
    const TOperatorFunc separator = engine_detail::SeparatorComputation();
    TParseNode* list = node->Right;
    TArgumentSpan last{list, node->RightPos, node->RightLen};
    while (list->Present && list->Kind == 1 && list->Op->Func == separator) {
        if (!list->Left->Present || !list->Right->Present)
            FailWith(parser, error_code::kMissingArgument, list->OpPos, 1, "Falta un argumento junto al «;»");
        separators.push_back(list);
        args.push_back({list->Right, list->RightPos, list->RightLen});
        last = {list->Left, list->LeftPos, list->LeftLen};
        list = list->Left;
    }
    if (list->Present) args.push_back(last);
    std::reverse(args.begin(), args.end());
}

std::string CountMessage(TBoundKind kind)
{
    if (kind == kBoundSolve)
        return "La función resolver necesita 2 o 4 argumentos, separados por «;»: resolver(lado = lado; x) o "
               "resolver(lado = lado; x; a; b)";
    const int count = kind == kBoundDeriv ? 3 : 4;
    return "La función " + BoundKindName(kind) + " necesita " + std::to_string(count) +
           " argumentos, separados por «;»: " + BoundSignature(kind);
}

} // namespace

void TMathParser::RegisterBoundFunctions()
{
    for (const TKindName& k : kKinds) {
        const auto kind = static_cast<TBoundKind>(k.Kind);
        AddOperator(utf8::Encode(k.Name), engine_detail::BoundComputation(kind), 2, 4, nullptr);
        TOperatorEntry& entry = *FOperators.back();
        entry.Bound = kind;
        entry.Signature = BoundSignature(kind);
    }
    // The "=" of an equation: known only while a text with one is parsed.
    TOperatorEntry equals;
    equals.Name = "=";
    equals.Sides = 3;
    equals.Priority = -1;
    equals.NameLength = 1;
    equals.Func = FOperators[static_cast<std::size_t>(FindOperator("-"))]->Func;
    equals.Derivative = engine_detail::CatalogueRule("-");
    FOwnOperators.push_back(std::move(equals));
    FOperators.push_back(&FOwnOperators.back());
}

// One call at `node`, `depth` calls deep: its arguments checked, its site
// made, its node rewritten (Left and Right its other arguments).
TBoundSite* TBoundScan::BindCall(TParseNode* node, int depth, const TName*& name)
{
    const auto kind = static_cast<TBoundKind>(node->Op->Bound);
    if (node->Left->Present) FailWith(P, error_code::kUnexpectedArgument, node->LeftPos, node->LeftLen, "Argumento no previsto");
    const int32_t callPosition = node->OpPos, callLength = node->RightPos + node->RightLen - node->OpPos;
    std::vector<TArgumentSpan> args;
    std::vector<TParseNode*> separators;
    SplitArguments(P, node, args, separators);
    const std::size_t wanted = kind == kBoundDeriv ? 3 : 4;
    if (args.size() != wanted && !(kind == kBoundSolve && args.size() == 2))
        FailWith(P, args.size() < wanted ? error_code::kMissingArgument : error_code::kUnexpectedArgument, callPosition,
                 callLength, CountMessage(kind));
    name = args[1].Node->Kind == 0 && args[1].Node->Variable != nullptr ? NameOf(args[1].Node->Variable) : nullptr;
    if (name == nullptr)
        FailWith(P, error_code::kInvalidArgument, args[1].Position, args[1].Length,
                 "El segundo argumento de " + BoundKindName(kind) + " es el nombre de la variable: " + BoundSignature(kind));
    if (depth > kMaxBoundNesting)
        FailWith(P, error_code::kInvalidArgument, callPosition, callLength,
                 "Demasiados cálculos anidados: deriv, integral, suma, producto y resolver van como mucho " +
                     std::to_string(kMaxBoundNesting) + " uno dentro de otro");
    TParseNode* body = args[0].Node;
    if (kind == kBoundSolve) {
        if (body->Kind != 1 || body->Op != Equals)
            FailWith(P, error_code::kInvalidArgument, args[0].Position, args[0].Length,
                     "La ecuación de resolver necesita un «=»: resolver(lado = lado; x)");
        if (!body->Left->Present || !body->Right->Present)
            FailWith(P, error_code::kMissingArgument, body->OpPos, 1, "Falta un lado de la ecuación junto al «=»");
    }
    auto* site = new TBoundSite;
    site->Name = utf8::Encode(name->Lowered);
    site->Written = Span(args[1].Position, args[1].Length);
    site->BoundName = true;
    site->Body = body;
    site->Owner = node;
    P.FSites.push_back(site);
    P.FreeNode(args[1].Node);
    for (TParseNode* s : separators) P.FreeNode(s);
    const auto place = [this](TParseNode*& slot, int32_t& position, int32_t& length, const TArgumentSpan* arg) {
        if (arg != nullptr) {
            slot = arg->Node;
            position = arg->Position;
            length = arg->Length;
        } else {
            slot = P.NewNode();
            position = length = 0;
        }
    };
    place(node->Left, node->LeftPos, node->LeftLen, args.size() > 2 ? &args[2] : nullptr);
    place(node->Right, node->RightPos, node->RightLen, args.size() > 3 ? &args[3] : nullptr);
    node->Variable = site;
    Sites.push_back({site, callPosition, callLength, args[0].Position, args[0].Length});
    return site;
}

std::string TBoundScan::Span(int32_t position, int32_t length) const
{
    return utf8::Encode(Text.substr(static_cast<std::size_t>(std::max(position - 1, 0)),
                                    static_cast<std::size_t>(std::max(length, 0))));
}

void TMathParser::BindBoundCalls(TParseNode*& root, TBoundScan& scan)
{
    // The calls around a part of the tree, innermost last.
    struct TScope {
        const TBoundScan::TName* Name;
        TBoundSite* Site;
        int Outer;
        int Depth;
    };
    std::vector<TScope> scopes;
    struct TItem {
        TParseNode* Node;
        int32_t Position, Length;
        int Scope;
    };
    std::vector<TItem> pending{{root, 1, static_cast<int32_t>(scan.Text.size()), -1}};
    while (!pending.empty()) {
        const TItem item = pending.back();
        pending.pop_back();
        TParseNode* node = item.Node;
        if (node == nullptr) continue;
        if (node->Kind == 0) {
            // A bound name: the innermost call binding it, else the notebook's value.
            const TBoundScan::TName* name = node->Variable != nullptr ? scan.NameOf(node->Variable) : nullptr;
            if (name == nullptr) continue;
            int s = item.Scope;
            while (s >= 0 && scopes[static_cast<std::size_t>(s)].Name != name) s = scopes[static_cast<std::size_t>(s)].Outer;
            if (s >= 0) node->Variable = scopes[static_cast<std::size_t>(s)].Site;
            else if (const TVariableEntry* outside = scan.Outside(*name)) node->Variable = const_cast<TVariableEntry*>(outside);
            else
                FailWith(*this, error_code::kUnknownValue, item.Position, item.Length,
                         "La variable " + scan.Span(item.Position, item.Length) +
                             " solo tiene valor dentro del cálculo que la nombra (deriv, integral, suma, producto o resolver)");
            continue;
        }
        if (node->Op == scan.Equals)
            FailWith(*this, error_code::kUnexpectedArgument, node->OpPos, 1,
                     "El «=» solo va en la ecuación de resolver(lado = lado; x)");
        if (node->Op->Bound != kBoundNone) {
            const int depth = (item.Scope >= 0 ? scopes[static_cast<std::size_t>(item.Scope)].Depth : 0) + 1;
            const TBoundScan::TName* name = nullptr;
            TBoundSite* site = scan.BindCall(node, depth, name);
            scopes.push_back({name, site, item.Scope, depth});
            const int inner = static_cast<int>(scopes.size()) - 1;
            TParseNode* body = site->Body;
            if (node->Op->Bound == kBoundSolve) {
                // The equation's sides; its "=" is the difference of them.
                pending.push_back({body->Right, body->RightPos, body->RightLen, inner});
                pending.push_back({body->Left, body->LeftPos, body->LeftLen, inner});
            } else {
                pending.push_back({body, scan.Sites.back().BodyPosition, scan.Sites.back().BodyLength, inner});
            }
        }
        pending.push_back({node->Right, node->RightPos, node->RightLen, item.Scope});
        pending.push_back({node->Left, node->LeftPos, node->LeftLen, item.Scope});
    }
}

void BuildBoundSlopes(TMathParser& parser, TBoundScan& scan)
{
    // Inner calls were bound last: their derivatives are built first.
    for (auto it = scan.Sites.rbegin(); it != scan.Sites.rend(); ++it) {
        TBoundSite* site = it->Site;
        const auto kind = static_cast<TBoundKind>(site->Owner->Op->Bound);
        if (kind != kBoundDeriv && kind != kBoundSolve) continue;
        for (int degrees = 0; degrees < 2; ++degrees) {
            std::string why;
            site->Slope[degrees] = engine_detail::DeriveBound(parser, site->Body, site, degrees == 1, why);
            if (site->Slope[degrees] == nullptr && kind == kBoundDeriv)
                FailWith(parser, error_code::kInvalidArgument, it->Position, it->Length,
                     "deriv no puede derivar la expresión: " + why);
        }
    }
}

bool TMathParser::IsLiveSite(const TBoundSite* site) const noexcept
{
    return std::find(FSites.begin(), FSites.end(), site) != FSites.end();
}

void TMathParser::FreeSite(const TBoundSite* site) noexcept
{
    const auto it = std::find(FSites.begin(), FSites.end(), site);
    if (it == FSites.end()) return;
    FSites.erase(it);
    // The derivatives first: they may hold copies of the calls inside the
    // expression, whose own expressions go with it.
    FreeTree(site->Slope[0]);
    FreeTree(site->Slope[1]);
    FreeTree(site->Body);
    delete site;
}
