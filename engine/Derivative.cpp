// Building a derivative: the tree of f is copied into a graph (a value
// bound by a let of an earlier derivative becomes the node that computes
// it), every node that depends on the variable is differentiated by its
// entry's rule, children first, without recursion, and the graph of the
// result is written back as a tree in which each value used more than once
// is bound by a let where all its uses meet (its dominator).  The calls of
// notebook functions become calls of derivative functions, whose bodies are
// built the same way after the expression, from a queue.
#include "engine/Derivative.h"
#include "engine/CallFacts.h"
#include "engine/DerivativeRules.h"
#include "engine/DerivedFunctions.h"
#include "engine/Program.h"
#include "engine/Utf8.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>
#include <vector>

namespace engine_detail {

namespace {

// Nodes a derivative may make at most (about 80 bytes each), and the
// operator nodes of f and the bodies it calls that may be differentiated
// (checked before anything is built).
constexpr std::size_t kMaxNodes = 3000000;
constexpr std::size_t kMaxSourceOperators = kMaxNodes / 15;
// Steps of a derivative with its calls expanded, as for any expression.
constexpr std::size_t kMaxSteps = 1000000;

// Flags in TParseNode::Scratch while a derivative is built.
constexpr uint8_t kDepends = 1; // the value depends on the variable
constexpr uint8_t kMayMark = 2; // the value may be a mark
constexpr uint8_t kSeen = 4;    // reached when writing the tree
constexpr uint8_t kShared = 8;  // reached twice or more
constexpr uint8_t kKept = 16;   // part of a tree that was written

const char* const kUnknownPart = "La función contiene una parte que no se sabe derivar";
const char* const kTooLarge = "La derivada sería demasiado grande";

struct TNoDerivative {
    std::string Why;
};

// The standard catalogue's entries by name, for the rules to build with.
const TOperatorEntry& StandardEntry(std::string_view name)
{
    static TMathParser* const parser = [] {
        auto* p = new TMathParser(); // lives as long as the process
        p->RegisterAngleConversions();
        return p;
    }();
    static const std::unordered_map<std::string, const TOperatorEntry*> entries = [] {
        std::unordered_map<std::string, const TOperatorEntry*> m;
        for (int i = 0; i < parser->OperatorCount(); ++i) m.emplace(parser->Operator(i).Name, &parser->Operator(i));
        return m;
    }();
    return *entries.at(std::string(name));
}

bool IsNumber(const TParseNode* n, long double value)
{
    return n->Kind == 0 && n->Variable == nullptr && n->Present && n->Value == value;
}

} // namespace

class TDerivativeBuilder {
public:
    TDerivativeBuilder(TMathParser& parser, bool degrees, bool exact)
        : Degrees(degrees), P(parser), Exact(exact)
    {
        if (!P.FDerived) P.FDerived = std::make_unique<TDerivedFunctions>();
        const int separator = P.FindOperator(";");
        Separator = separator >= 0 ? &P.Operator(separator) : nullptr;
    }

    // The derivative of the tree `root` by `variable`, as a tree of the
    // parser: f' where f has a value, f's mark or a jump where it has none.
    TParseNode* Expression(const TParseNode* root, const TVariableEntry* variable)
    {
        TParseNode* tree = nullptr;
        try {
            CheckSize(root);
            Begin(variable, true);
            TParseNode* f = Import(root);
            tree = Finish(Internal(TInternal::Within, D(f), f, f));
            BuildQueued();
            CountSteps();
            if (TreeSteps(tree) > kMaxSteps)
                throw TNoDerivative{"La derivada es demasiado grande con sus funciones desarrolladas"};
        } catch (const TNoDerivative& e) {
            if (tree != nullptr) P.FreeTree(tree);
            Abandon(e.Why);
            throw;
        } catch (...) {
            if (tree != nullptr) P.FreeTree(tree);
            Abandon(kTooLarge);
            throw;
        }
        return tree;
    }

    // Whether copies of calls that bind a name may be made (the derivative
    // is kept with the call's own expression, which frees it first).
    bool KeepsBound = false;

    // Rule helpers (TRuleContext).
    bool Depends(const TParseNode* n) const { return (n->Scratch & kDepends) != 0; }
    bool MayMark(const TParseNode* n) const { return (n->Scratch & kMayMark) != 0; }
    TParseNode* Value(TParseNode* n) { return n->Present ? n : Zero; }
    TParseNode* DerivativeOf(TParseNode* n) const
    {
        if (!Depends(n)) return Zero;
        return FD.at(n);
    }
    TParseNode* SecondOf(TParseNode* n) const
    {
        if (!Exact) return SecondMark;
        return DerivativeOf(DerivativeOf(n));
    }
    TParseNode* Number(long double value)
    {
        TParseNode* n = Make();
        n->Present = 1;
        n->Value = value;
        if (std::isnan(value)) n->Scratch = kMayMark;
        return n;
    }
    TParseNode* Node(const TOperatorEntry& op, TParseNode* l, TParseNode* r, const TParseNode* from);
    TParseNode* Internal(TInternal op, TParseNode* l, TParseNode* r, const TParseNode* from)
    {
        return Node(InternalEntry(op), l, r, from);
    }
    TParseNode* Zero = nullptr;
    TParseNode* One = nullptr;
    const bool Degrees;

private:
    TParseNode* Make()
    {
        if (++Made > kMaxNodes) throw TNoDerivative{kTooLarge};
        TParseNode* n = P.NewNode();
        Allocated.push_back(n);
        return n;
    }
    void Begin(const TVariableEntry* variable, bool free);
    void Abandon(const std::string& why);
    TParseNode* Import(const TParseNode* root);
    TParseNode* Copy(const TParseNode* n, TParseNode* l, TParseNode* r);
    void SetFlags(TParseNode* n);
    TParseNode* D(TParseNode* root);
    TParseNode* CallRule(TParseNode* call);
    TParseNode* Call(const TFunctionDefinition& f, const std::vector<TParseNode*>& args, const TParseNode* from);
    const TFunctionDefinition& Derived(const TFunctionDefinition& f, const TVariableEntry* by);
    // Whether f's body reads `v` itself or through the functions it calls;
    // a parameter is bound in its own function's body and unseen elsewhere.
    bool Reads(const TFunctionDefinition& f, const TVariableEntry* v)
    {
        return v != nullptr && FreeVariable && Facts.Reads(f, v);
    }
    bool Marks(const TFunctionDefinition& f) { return Facts.Marks(f); }
    void CheckSize(const TParseNode* root);
    TParseNode* Finish(TParseNode* root);
    void KeepOnly(TParseNode* tree);
    void BuildQueued();
    void CountSteps();
    std::size_t TreeSteps(const TParseNode* root) const;

    TMathParser& P;
    const bool Exact;
    const TOperatorEntry* Separator;
    const TVariableEntry* Variable = nullptr;
    bool FreeVariable = true; // a named value, not a parameter of the body being differentiated
    TParseNode* SecondMark = nullptr;
    std::size_t Made = 0;
    std::vector<TParseNode*> Allocated; // the nodes of this pass
    std::unordered_map<const TParseNode*, TParseNode*> FD;
    std::unordered_map<const TVariableEntry*, TParseNode*> Bound; // let bindings being copied
    TCallFacts Facts;
    struct TQueued {
        TFunctionDefinition* Derived;
        const TFunctionDefinition* Of;
        const TVariableEntry* By;
    };
    std::vector<TQueued> Queue;
    std::vector<TFunctionDefinition*> New; // made by this builder
};

// ---------------------------------------------------------------------------
// Rule context

TParseNode* TRuleContext::U() const { return B.Value(N->Left); }
TParseNode* TRuleContext::V() const { return B.Value(N->Right); }
bool TRuleContext::UDepends() const { return B.Depends(N->Left); }
bool TRuleContext::VDepends() const { return B.Depends(N->Right); }
TParseNode* TRuleContext::DU() const { return B.DerivativeOf(N->Left); }
TParseNode* TRuleContext::DV() const { return B.DerivativeOf(N->Right); }
TParseNode* TRuleContext::DDU() const { return B.Depends(N->Left) ? B.SecondOf(N->Left) : B.Zero; }
TParseNode* TRuleContext::DDV() const { return B.Depends(N->Right) ? B.SecondOf(N->Right) : B.Zero; }
bool TRuleContext::Degrees() const { return B.Degrees; }
TParseNode* TRuleContext::Num(long double value) const
{
    if (value == 0 && !std::signbit(value)) return B.Zero;
    if (value == 1) return B.One;
    return B.Number(value);
}
TParseNode* TRuleContext::Apply(std::string_view standardName, TParseNode* l, TParseNode* r) const
{
    return B.Node(StandardEntry(standardName), l, r, N);
}
TParseNode* TRuleContext::Apply(const TOperatorEntry& op, TParseNode* l, TParseNode* r) const
{
    return B.Node(op, l, r, N);
}
TParseNode* TRuleContext::Internal(TInternal op, TParseNode* l, TParseNode* r) const
{
    return B.Internal(op, l, r, N);
}
TParseNode* TRuleContext::Fn(std::string_view standardName, TParseNode* u) const
{
    return Apply(standardName, nullptr, u);
}
TParseNode* TRuleContext::Add(TParseNode* a, TParseNode* b) const
{
    if (IsNumber(a, 0)) return b;
    if (IsNumber(b, 0)) return a;
    return Apply("+", a, b);
}
TParseNode* TRuleContext::Sub(TParseNode* a, TParseNode* b) const
{
    if (IsNumber(b, 0)) return a;
    if (IsNumber(a, 0)) return Neg(b);
    return Apply("-", a, b);
}
TParseNode* TRuleContext::Neg(TParseNode* a) const
{
    if (IsNumber(a, 0)) return a;
    if (a->Kind == 0 && a->Variable == nullptr && a->Present && !std::isnan(a->Value)) return Num(-a->Value);
    return Apply("-", nullptr, a);
}
TParseNode* TRuleContext::Mul(TParseNode* a, TParseNode* b) const
{
    if (IsNumber(a, 0) || IsNumber(b, 0)) return B.Zero;
    if (IsNumber(a, 1)) return b;
    if (IsNumber(b, 1)) return a;
    return Apply("*", a, b);
}
TParseNode* TRuleContext::Div(TParseNode* a, TParseNode* b) const
{
    if (IsNumber(a, 0)) return B.Zero;
    if (IsNumber(b, 1)) return a;
    return Apply("/", a, b);
}
TParseNode* TRuleContext::Scale(TParseNode* value, TParseNode* derivative) const
{
    if (IsNumber(value, 0) || IsNumber(derivative, 0)) return B.Zero;
    if (IsNumber(value, 1)) return derivative;
    if (!B.MayMark(derivative)) return Mul(value, derivative);
    return Internal(TInternal::Scale, value, derivative);
}
TParseNode* TRuleContext::Chain(TParseNode* outer, TParseNode* derivative) const
{
    if (IsNumber(outer, 0) || IsNumber(derivative, 0)) return B.Zero;
    if (IsNumber(derivative, 1)) return outer;
    if (!B.MayMark(derivative)) return Mul(outer, derivative);
    return Internal(TInternal::Chain, outer, derivative);
}
TParseNode* TRuleContext::DirectionsOf(int side) const
{
    return side == 0 ? Internal(TInternal::Directions, DU(), DDU()) : Internal(TInternal::Directions, DV(), DDV());
}
void TRuleContext::NoRule(const std::string& why) const
{
    throw TNoDerivative{why};
}

// ---------------------------------------------------------------------------
// The graph

TParseNode* TDerivativeBuilder::Node(const TOperatorEntry& op, TParseNode* l, TParseNode* r, const TParseNode* from)
{
    TParseNode* n = Make();
    n->Kind = 1;
    n->Op = const_cast<TOperatorEntry*>(&op);
    n->Present = 1;
    n->Left = l != nullptr ? l : Make();
    n->Right = r != nullptr ? r : Make();
    if (from != nullptr) {
        n->OpPos = from->OpPos;
        n->LeftPos = from->LeftPos;
        n->LeftLen = from->LeftLen;
        n->RightPos = from->RightPos;
        n->RightLen = from->RightLen;
    }
    SetFlags(n);
    if (InternalOf(&op) != TInternal::Count) n->Scratch |= kMayMark;
    return n;
}

void TDerivativeBuilder::SetFlags(TParseNode* n)
{
    n->Scratch = 0;
    if (n->Kind == 0) {
        if (n->Variable != nullptr && n->Variable == Variable) n->Scratch |= kDepends;
        if (n->Variable == nullptr && std::isnan(n->Value)) n->Scratch |= kMayMark;
        return;
    }
    n->Scratch = static_cast<uint8_t>((n->Left->Scratch | n->Right->Scratch) & (kDepends | kMayMark));
    if (const TBoundSite* site = BoundSite(n)) {
        // A call that binds a name depends on the values its expression reads.
        if (Variable != nullptr && ReadsValue(site->Body, Variable)) n->Scratch |= kDepends;
    } else if (IsCall(n)) {
        const TFunctionDefinition& f = *n->Op->Function;
        if (Reads(f, Variable)) n->Scratch |= kDepends;
        if (f.Origin != nullptr && Marks(*f.Origin)) n->Scratch |= kMayMark; // a derivative's values may be marks
    } else if (InternalOf(n->Op) != TInternal::Count) {
        n->Scratch |= kMayMark;
    } else if (!ComputationIsRepeatable(n->Op->Func)) {
        n->Scratch |= kDepends; // random draws anew: its rule says there is no derivative
    }
}

void TDerivativeBuilder::Begin(const TVariableEntry* variable, bool free)
{
    Variable = variable;
    FreeVariable = free;
    FD.clear();
    Bound.clear();
    Allocated.clear();
    Zero = Number(0);
    One = Number(1);
    SecondMark = Number(Mark(kMarkSecond));
}

// After a failure: the nodes of the pass go, and the derivative functions
// asked for and not built are forgotten (the one that failed keeps why).
void TDerivativeBuilder::Abandon(const std::string& why)
{
    for (TParseNode* n : Allocated) P.FreeNode(n);
    Allocated.clear();
    FD.clear();
    (void)why;
    for (const TQueued& q : Queue) {
        auto& byKey = P.FDerived->ByKey;
        for (auto it = byKey.begin(); it != byKey.end(); ++it)
            if (it->second == q.Derived) {
                byKey.erase(it);
                break;
            }
    }
    Queue.clear();
}

TParseNode* TDerivativeBuilder::Copy(const TParseNode* n, TParseNode* l, TParseNode* r)
{
    TParseNode* c = Make();
    *c = *n;
    c->Left = l;
    c->Right = r;
    SetFlags(c);
    return c;
}

// f's tree as a graph of new nodes: a let's value becomes the node that
// computes it wherever its named value is read.
TParseNode* TDerivativeBuilder::Import(const TParseNode* root)
{
    const TOperatorEntry* let = &InternalEntry(TInternal::Let);
    struct TItem {
        const TParseNode* Node;
        int Stage;
    };
    std::vector<TItem> pending{{root, 0}};
    std::unordered_map<const TParseNode*, TParseNode*> made;
    while (!pending.empty()) {
        const TItem item = pending.back();
        const TParseNode* n = item.Node;
        if (n->Kind == 0) {
            pending.pop_back();
            const auto bound = n->Variable != nullptr ? Bound.find(n->Variable) : Bound.end();
            made[n] = bound != Bound.end() ? bound->second : Copy(n, nullptr, nullptr);
            continue;
        }
        if (n->Kind != 1 || n->Op == nullptr || n->Left == nullptr || n->Right == nullptr)
            throw TNoDerivative{kUnknownPart};
        if (item.Stage == 0) {
            // A copy of a call that binds a name would share its expression
            // with the tree it came from, and outlive it: only the parser's
            // own derivatives of such expressions keep them.
            if (!KeepsBound && BoundSite(n) != nullptr)
                throw TNoDerivative{"«" + n->Op->Name + "» no tiene una derivada conocida"};
            pending.back().Stage = 1;
            pending.push_back({n->Left, 0});
        } else if (item.Stage == 1) {
            if (n->Op == let) Bound[n->Variable] = made.at(n->Left);
            pending.back().Stage = 2;
            pending.push_back({n->Right, 0});
        } else {
            pending.pop_back();
            made[n] = n->Op == let ? made.at(n->Right) : Copy(n, made.at(n->Left), made.at(n->Right));
        }
    }
    return made.at(root);
}

// The derivative of every node of the graph below `root` that depends on
// the variable, children first; the second derivatives a rule asks for
// when exact.
TParseNode* TDerivativeBuilder::D(TParseNode* root)
{
    struct TItem {
        TParseNode* Node;
        int Stage;
    };
    std::vector<TItem> pending{{root, 0}};
    auto need = [&](TParseNode* n) {
        if (Depends(n) && FD.find(n) == FD.end()) pending.push_back({n, 0});
    };
    while (!pending.empty()) {
        const std::size_t top = pending.size() - 1;
        TParseNode* n = pending[top].Node;
        if (FD.find(n) != FD.end()) {
            pending.pop_back();
            continue;
        }
        if (!Depends(n)) {
            FD[n] = Zero;
            pending.pop_back();
            continue;
        }
        if (n->Kind == 0) {
            FD[n] = One; // the variable itself
            pending.pop_back();
            continue;
        }
        const TDerivativeRule* rule = IsCall(n) ? nullptr : n->Op->Derivative;
        if (!IsCall(n) && (rule == nullptr || rule->Build == nullptr))
            throw TNoDerivative{"«" + n->Op->Name + "» no tiene una derivada conocida"};
        const int stage = pending[top].Stage++;
        if (stage == 0 && IsCall(n)) {
            for (const TParseNode* a : CallArguments(n)) need(const_cast<TParseNode*>(a));
        } else if (stage == 0) {
            need(n->Left);
            need(n->Right);
        } else if (stage == 1) {
            if (Exact && rule != nullptr && (rule->Second & 1) && Depends(n->Left)) need(FD.at(n->Left));
            if (Exact && rule != nullptr && (rule->Second & 2) && Depends(n->Right)) need(FD.at(n->Right));
        } else {
            FD[n] = IsCall(n) ? CallRule(n) : rule->Build(TRuleContext(*this, n));
            pending.pop_back();
        }
    }
    return FD.at(root);
}

// ---------------------------------------------------------------------------
// Calls of notebook functions

// f(a1; ...; ak)' = sum of f_i(a1; ...; ak) ai' over the arguments that
// depend on the variable, f_i the derivative of f by its i-th parameter;
// plus f_x(a1; ...; ak) where f's body reads the variable itself.
TParseNode* TDerivativeBuilder::CallRule(TParseNode* call)
{
    const TFunctionDefinition& f = *call->Op->Function;
    if (f.Body == nullptr || !f.Error.empty())
        throw TNoDerivative{"«" + f.Name + "» no tiene una derivada conocida"};
    std::vector<TParseNode*> args;
    for (const TParseNode* a : CallArguments(call)) args.push_back(const_cast<TParseNode*>(a));
    if (args.size() != f.ParameterEntries.size()) throw TNoDerivative{kUnknownPart};
    const TRuleContext c(*this, call);
    TParseNode* sum = Zero;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (!Depends(args[i])) continue;
        TParseNode* partial = Call(Derived(f, f.ParameterEntries[i]), args, call);
        sum = c.Add(sum, c.Chain(partial, FD.at(args[i])));
    }
    if (FreeVariable && Reads(f, Variable)) sum = c.Add(sum, Call(Derived(f, Variable), args, call));
    return sum;
}

TParseNode* TDerivativeBuilder::Call(const TFunctionDefinition& f, const std::vector<TParseNode*>& args,
                                     const TParseNode* from)
{
    const TOperatorEntry* entry = P.FDerived->EntryOf.at(&f);
    TParseNode* list = args.front();
    for (std::size_t i = 1; i < args.size(); ++i) list = Node(*Separator, list, args[i], from);
    return Node(*entry, nullptr, list, from);
}

// The derivative function of f by `by` (one of its parameters, or the
// variable its body reads), made once per parser; its body is built later.
const TFunctionDefinition& TDerivativeBuilder::Derived(const TFunctionDefinition& f, const TVariableEntry* by)
{
    TDerivedFunctions& derived = *P.FDerived;
    const TDerivedFunctions::TKey key{&f, by, Degrees, Exact};
    if (const auto it = derived.ByKey.find(key); it != derived.ByKey.end()) {
        if (!it->second->Error.empty()) throw TNoDerivative{FunctionError(*it->second)};
        return *it->second;
    }
    if (Separator == nullptr) throw TNoDerivative{kUnknownPart};
    TFunctionDefinition& d = derived.Functions.emplace_back();
    d.Name = f.Name + "′";
    d.Parameters = f.Parameters;
    d.ParameterEntries = f.ParameterEntries;
    d.Line = f.Line;
    d.Origin = f.Origin != nullptr ? f.Origin : &f;
    TOperatorEntry& e = derived.Entries.emplace_back();
    e.Name = d.Name;
    e.Func = CallComputation();
    e.Sides = 2;
    e.Priority = 4;
    e.NameLength = static_cast<int32_t>(utf8::Length(d.Name));
    e.Function = &d;
    derived.EntryOf[&d] = &e;
    derived.ByKey[key] = &d;
    Queue.push_back({&d, &f, by});
    New.push_back(&d);
    return d;
}

// The operator nodes of `root` and of every body it reaches through calls,
// each body once: the derivative is refused before it is built when they
// are too many.
void TDerivativeBuilder::CheckSize(const TParseNode* root)
{
    if (ReachedOperators(root, kMaxSourceOperators) > kMaxSourceOperators) throw TNoDerivative{kTooLarge};
}

void TDerivativeBuilder::BuildQueued()
{
    while (!Queue.empty()) {
        const TQueued q = Queue.back();
        Queue.pop_back();
        try {
            if (q.Of->Body == nullptr || !q.Of->Error.empty())
                throw TNoDerivative{"«" + q.Of->Name + "» no tiene una derivada conocida"};
            const auto& parameters = q.Of->ParameterEntries;
            Begin(q.By, std::find(parameters.begin(), parameters.end(), q.By) == parameters.end());
            // A derivative function is kept as long as the parser: it holds
            // no copies of calls that bind a name.
            const bool keeps = std::exchange(KeepsBound, false);
            TParseNode* body = Import(q.Of->Body);
            KeepsBound = keeps;
            q.Derived->Body = Finish(D(body));
        } catch (const TNoDerivative& e) {
            q.Derived->Error = e.Why;
            throw;
        }
    }
}

// The expanded steps of the new derivative functions, each after those it calls.
void TDerivativeBuilder::CountSteps()
{
    std::unordered_map<const TFunctionDefinition*, bool> done;
    const std::unordered_map<const TFunctionDefinition*, bool> fresh = [this] {
        std::unordered_map<const TFunctionDefinition*, bool> m;
        for (const TFunctionDefinition* f : New) m[f] = true;
        return m;
    }();
    for (TFunctionDefinition* f : New) {
        std::vector<TFunctionDefinition*> path{f};
        while (!path.empty()) {
            TFunctionDefinition* g = path.back();
            if (done.count(g) || g->Body == nullptr) {
                path.pop_back();
                continue;
            }
            bool waiting = false;
            std::vector<const TParseNode*> nodes{g->Body};
            while (!nodes.empty()) {
                const TParseNode* n = nodes.back();
                nodes.pop_back();
                if (n->Kind != 1) continue;
                if (IsCall(n) && fresh.count(n->Op->Function) && !done.count(n->Op->Function)) {
                    path.push_back(const_cast<TFunctionDefinition*>(n->Op->Function));
                    waiting = true;
                }
                nodes.push_back(n->Left);
                nodes.push_back(n->Right);
            }
            if (waiting) continue;
            g->Steps = TreeSteps(g->Body);
            done[g] = true;
            path.pop_back();
        }
    }
}

std::size_t TDerivativeBuilder::TreeSteps(const TParseNode* root) const
{
    const TOperatorFunc separator = SeparatorComputation();
    const TOperatorEntry* let = &InternalEntry(TInternal::Let);
    std::size_t steps = 0;
    std::vector<const TParseNode*> nodes{root};
    while (!nodes.empty() && steps <= kMaxSteps) {
        const TParseNode* n = nodes.back();
        nodes.pop_back();
        if (n->Kind != 1) continue;
        if (IsCall(n)) steps += n->Op->Function->Steps + 1;
        else if (n->Op != let && n->Op->Func != separator) ++steps;
        nodes.push_back(n->Left);
        nodes.push_back(n->Right);
    }
    return steps;
}

// ---------------------------------------------------------------------------
// From the graph to a tree

// The nodes below `root` in post-order, those reached twice marked shared.
static std::vector<TParseNode*> PostOrder(TParseNode* root)
{
    std::vector<TParseNode*> order;
    std::vector<std::pair<TParseNode*, bool>> pending{{root, false}};
    while (!pending.empty()) {
        auto [n, expanded] = pending.back();
        pending.pop_back();
        if (expanded) {
            order.push_back(n);
            continue;
        }
        if (n->Scratch & kSeen) {
            n->Scratch |= kShared;
            continue;
        }
        n->Scratch |= kSeen;
        pending.push_back({n, true});
        if (n->Kind == 1) {
            pending.push_back({n->Right, false});
            pending.push_back({n->Left, false});
        }
    }
    return order;
}

// Where each shared value of the graph is bound: at its dominator (Cooper,
// Harvey and Kennedy; in one pass, since in reverse post-order every node
// comes after all the nodes that reach it), and never between the
// arguments of a call.  The lets of each node, innermost last.
static std::unordered_map<const TParseNode*, std::vector<TParseNode*>> Placement(const std::vector<TParseNode*>& order)
{
    std::unordered_map<const TParseNode*, int> number;
    for (std::size_t i = 0; i < order.size(); ++i) number[order[i]] = static_cast<int>(i);
    const int root = static_cast<int>(order.size()) - 1;
    std::vector<int> dominator(order.size(), -1);
    dominator[root] = root;
    auto meet = [&](int a, int b) {
        while (a != b) {
            while (a < b) a = dominator[a];
            while (b < a) b = dominator[b];
        }
        return a;
    };
    for (int i = root; i >= 0; --i) {
        const TParseNode* n = order[i];
        if (n->Kind != 1) continue;
        for (const TParseNode* child : {n->Left, n->Right}) {
            const int c = number.at(child);
            dominator[c] = dominator[c] < 0 ? i : meet(i, dominator[c]);
        }
    }
    const TOperatorFunc separator = SeparatorComputation();
    std::unordered_map<const TParseNode*, std::vector<TParseNode*>> lets;
    for (int i = 0; i < root; ++i) {
        TParseNode* n = order[i];
        if (n->Kind != 1 || !(n->Scratch & kShared)) continue;
        int at = dominator[i];
        while (order[at]->Op->Func == separator) at = dominator[at];
        lets[order[at]].push_back(n);
    }
    return lets;
}

// The graph below `root` as a tree: a value reached more than once is
// computed by a let at its dominator (where every way to it meets) and read
// from its named value; a leaf reached more than once is copied.  The nodes
// of the pass that are not in the tree are freed.
TParseNode* TDerivativeBuilder::Finish(TParseNode* root)
{
    const std::vector<TParseNode*> order = PostOrder(root);
    const auto lets = Placement(order);
    std::unordered_map<const TParseNode*, TVariableEntry*> names;
    for (const auto& [at, bound] : lets)
        for (TParseNode* n : bound) {
            P.FBindings.push_back({"#" + std::to_string(P.FBindings.size() + 1), 0});
            names[n] = &P.FBindings.back();
        }
    // Each node's tree, children first: a shared value is read by name, a
    // shared leaf copied at every use but the first.
    std::unordered_map<const TParseNode*, TParseNode*> tree;
    for (TParseNode* n : order) {
        if (n->Kind == 1)
            for (TParseNode** slot : {&n->Left, &n->Right}) {
                TParseNode* child = *slot;
                if (child->Kind == 1 && (child->Scratch & kShared)) {
                    TParseNode* read = Make();
                    *read = *child;
                    read->Kind = 0;
                    read->Op = nullptr;
                    read->Left = read->Right = nullptr;
                    read->Variable = names.at(child);
                    *slot = read;
                } else if (child->Kind == 1) {
                    *slot = tree.at(child);
                } else if (child->Scratch & kKept) {
                    TParseNode* copy = Make();
                    *copy = *child;
                    *slot = copy;
                } else {
                    child->Scratch |= kKept;
                }
            }
        TParseNode* top = n;
        if (const auto bound = lets.find(n); bound != lets.end())
            for (auto it = bound->second.rbegin(); it != bound->second.rend(); ++it) {
                TParseNode* let = Node(InternalEntry(TInternal::Let), tree.at(*it), top, nullptr);
                let->Variable = names.at(*it);
                top = let;
            }
        tree[n] = top;
    }
    TParseNode* result = tree.at(root);
    KeepOnly(result);
    return result;
}

// The nodes of the pass that `tree` holds stay; the others go.
void TDerivativeBuilder::KeepOnly(TParseNode* tree)
{
    for (TParseNode* n : Allocated) n->Scratch &= static_cast<uint8_t>(~kKept);
    std::vector<TParseNode*> nodes{tree};
    while (!nodes.empty()) {
        TParseNode* n = nodes.back();
        nodes.pop_back();
        n->Scratch = kKept;
        if (n->Kind == 1) {
            nodes.push_back(n->Left);
            nodes.push_back(n->Right);
        }
    }
    for (TParseNode* n : Allocated) {
        if (n->Scratch & kKept) n->Scratch = 0;
        else P.FreeNode(n);
    }
    Allocated.clear();
    FD.clear();
}

TParseNode* DeriveBound(TMathParser& parser, const TParseNode* root, const TVariableEntry* variable, bool degrees,
                        std::string& why)
{
    try {
        TDerivativeBuilder builder(parser, degrees, true);
        builder.KeepsBound = true;
        return builder.Expression(root, variable);
    } catch (const TNoDerivative& e) {
        why = e.Why;
        return nullptr;
    }
}

} // namespace engine_detail

std::optional<TExpression> Derivative(const TExpression& f, std::string_view variable, bool degrees,
                                      std::string* whyNot, bool exact)
{
    TMathParser* parser = f.Parser();
    if (parser == nullptr || f.Tree() == nullptr) return TExpression();
    const int index = parser->FindVariable(variable);
    if (index < 0) {
        if (whyNot != nullptr) *whyNot = "No hay ningún valor llamado " + std::string(variable);
        return std::nullopt;
    }
    try {
        engine_detail::TDerivativeBuilder builder(*parser, degrees, exact);
        TParseNode* tree = builder.Expression(f.Tree(), &parser->Variable(index));
        return TExpression(f.SharedParser(), tree, TExpression::TAdopt{});
    } catch (const engine_detail::TNoDerivative& e) {
        if (whyNot != nullptr) *whyNot = e.Why;
        return std::nullopt;
    }
}
