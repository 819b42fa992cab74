// Compiling a tree into its postfix program and planning the program as
// runs of steps.
#include "engine/Program.h"

#include "engine/BoundScan.h"
#include "engine/DerivativeRules.h"
#include "engine/PerThread.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace engine_detail {

namespace {

// Where a compiled operand is: a leaf's value read in place, the stored
// value of an earlier step (an argument of a call, not taken from the
// stack by its use), or the value on top of the stack.
struct TRef {
    const long double* Value = nullptr;
    const TParseNode* Leaf = nullptr;
    int32_t Step = -1;
    bool Stacked = false;
    bool Present = true;
};

// The parameters of the body being compiled, bound to their arguments.
struct TFrame {
    const TFunctionDefinition* Function = nullptr;
    std::vector<TRef> Arguments;
    const TCallSite* Site = nullptr;
};

enum TWork : uint8_t { kVisit, kEmit, kEnterBody, kLeaveBody, kBindLet, kEndLet };
struct TItem {
    TWork Work;
    const TParseNode* Node;
    std::size_t Frame;
    std::size_t Mark; // kEnterBody: where the arguments start; kLeaveBody: the stored arguments
};

const TParseNode& OneLeaf()
{
    static const TParseNode leaf = [] {
        TParseNode n;
        n.Value = 1;
        n.Present = 1;
        return n;
    }();
    return leaf;
}

// The values bound by the lets being compiled (a derivative's shared
// values), by the named value each binds; and what a let's end restores.
using TBindings = std::unordered_map<const TVariableEntry*, TRef>;
struct TBound {
    const TVariableEntry* Variable;
    bool HadOuter;
    TRef Outer;
    bool Stored; // the value was computed here and is stored until the let ends
};

// A leaf's operand: the argument of a parameter, a value bound by a let, or
// its value in place.
TRef LeafRef(const TFrame& frame, const TBindings& bindings, const TParseNode* node)
{
    // A list's leaf holds the statistic of its call, whatever else binds
    // the list's name.
    if (node->Variable != nullptr && node->Variable->List != nullptr) {
        TRef ref;
        ref.Value = &node->Value;
        ref.Leaf = node;
        ref.Present = node->Present != 0;
        return ref;
    }
    if (frame.Function != nullptr && node->Variable != nullptr) {
        const auto& params = frame.Function->ParameterEntries;
        const auto it = std::find(params.begin(), params.end(), node->Variable);
        if (it != params.end()) return frame.Arguments[static_cast<std::size_t>(it - params.begin())];
    }
    if (!bindings.empty() && node->Variable != nullptr) {
        const auto it = bindings.find(node->Variable);
        if (it != bindings.end()) return it->second;
    }
    TRef ref;
    ref.Value = node->Variable != nullptr ? &node->Variable->Value : &node->Value;
    ref.Leaf = node;
    ref.Present = node->Present != 0;
    return ref;
}

// The arguments of a call are compiled (they end `values` from item.Mark
// on): its body follows in a frame of its own, then the body's end.
void EnterBody(TProgram& program, const TItem& item, std::deque<TFrame>& frames, std::vector<TRef>& values,
               std::vector<TItem>& pending)
{
    const TParseNode* node = item.Node;
    // The arguments computed here stay stored until the body is done.
    TFrame frame;
    frame.Function = node->Op->Function;
    std::size_t stored = 0;
    for (std::size_t k = item.Mark; k < values.size(); ++k) {
        TRef arg = values[k];
        if (arg.Stacked) arg.Stacked = false, ++stored;
        frame.Arguments.push_back(arg);
    }
    values.resize(item.Mark);
    const TFrame& outer = frames[item.Frame];
    TCallSite site;
    site.Call = outer.Site != nullptr ? outer.Site->Call : node;
    site.Outer = outer.Site;
    site.Function = frame.Function;
    program.Sites.push_back(site);
    frame.Site = &program.Sites.back();
    frames.push_back(std::move(frame));
    pending.push_back({kLeaveBody, node, frames.size() - 1, stored});
    pending.push_back({kVisit, frames.back().Function->Body, frames.size() - 1, 0});
}

} // namespace

std::string CallPrefix(const TCallSite* site)
{
    std::vector<const TFunctionDefinition*> functions;
    for (; site != nullptr; site = site->Outer) functions.push_back(site->Function);
    std::string prefix;
    for (auto it = functions.rbegin(); it != functions.rend(); ++it) prefix += "en " + (*it)->Name + ": ";
    return prefix;
}

namespace {

// Compiles a tree into a program's steps: nodes in post-order, left subtree
// before right, without recursion; leaves are read in place by their
// parent's step; a call's body and a let's body in place too.
class TCompiler {
public:
    TCompiler(TProgram& program, const TParseNode* root)
        : P(program), Pending(PerThread<std::vector<TItem>>()), Values(PerThread<std::vector<TRef>>()), Frames(1)
    {
        Pending.assign(1, {kVisit, root, 0, 0});
        Values.clear();
    }

    // A named value read where the pointer says, as a let's value is.
    void Give(const TVariableEntry* variable, const long double* value)
    {
        TParseNode& leaf = P.GivenLeaves.emplace_back();
        leaf.Variable = const_cast<TVariableEntry*>(variable);
        leaf.Present = 1;
        TRef ref;
        ref.Value = value;
        ref.Leaf = &leaf;
        Bindings[variable] = ref;
    }

    // The result's operand once every item is done.
    TRef Run()
    {
        while (!Pending.empty()) {
            const TItem item = Pending.back();
            Pending.pop_back();
            switch (item.Work) {
            case kVisit: Visit(item); break;
            case kEmit: {
                const TRef right = Pop();
                const TRef left = Pop();
                Emit(item.Node, item.Node->Op->Func, left, right, item.Frame);
                break;
            }
            case kEnterBody: EnterBody(P, item, Frames, Values, Pending); break;
            case kLeaveBody: EndScope(item, item.Mark); break;
            case kBindLet: BindLet(item); break;
            case kEndLet: EndLet(item); break;
            }
        }
        return Values.back();
    }

private:
    TRef Pop()
    {
        const TRef r = Values.back();
        Values.pop_back();
        return r;
    }

    void Visit(const TItem& item)
    {
        const TParseNode* node = item.Node;
        if (node->Kind == 0) {
            Values.push_back(LeafRef(Frames[item.Frame], Bindings, node));
        } else if (node->Op->Func == Let) {
            Pending.push_back({kEndLet, node, item.Frame, 0});
            Pending.push_back({kVisit, node->Right, item.Frame, 0});
            Pending.push_back({kBindLet, node, item.Frame, 0});
            Pending.push_back({kVisit, node->Left, item.Frame, 0});
        } else if (IsCall(node)) {
            Pending.push_back({kEnterBody, node, item.Frame, Values.size()});
            const std::vector<const TParseNode*> args = CallArguments(node);
            for (auto it = args.rbegin(); it != args.rend(); ++it) Pending.push_back({kVisit, *it, item.Frame, 0});
        } else {
            Pending.push_back({kEmit, node, item.Frame, 0});
            Pending.push_back({kVisit, node->Right, item.Frame, 0});
            Pending.push_back({kVisit, node->Left, item.Frame, 0});
        }
    }

    void Emit(const TParseNode* node, TOperatorFunc func, const TRef& left, const TRef& right, std::size_t frame)
    {
        TStep step;
        step.Left = left.Stacked ? nullptr : left.Value;
        step.Right = right.Stacked ? nullptr : right.Value;
        step.LeftFrom = left.Stacked ? -1 : left.Step;
        step.RightFrom = right.Stacked ? -1 : right.Step;
        step.LeftLeaf = left.Leaf;
        step.RightLeaf = right.Leaf;
        step.Node = const_cast<TParseNode*>(node);
        step.Func = func;
        step.Sides = static_cast<uint8_t>((left.Present ? 1 : 0) | (right.Present ? 2 : 0));
        step.Fast = FastOpOf(step.Func, step.Sides);
        step.ShowsFaults = ComputationShowsFaults(step.Func);
        step.Site = Frames[frame].Site;
        if (IsBoundComputation(func)) Capture(step, node, frame);
        P.Steps.push_back(step);
        if (!ComputationIsRepeatable(step.Func)) P.Careful = true;
        if (ComputationUsesAngleUnit(step.Func)) P.Angular = true;
        TRef out;
        out.Step = static_cast<int32_t>(P.Steps.size() - 1);
        out.Stacked = true;
        Values.push_back(out);
    }

    // Every named value that the expression of a call binding a name
    // reads, with the reference the program has for it: the parameters of
    // the body it is in, the values of lets, the names of the calls it is
    // in, and the notebook's values, which a sampler gives from its own
    // table.  Its own name and those of the calls inside it are not; nor
    // are the parameters of the notebook functions it calls.
    void Capture(TStep& step, const TParseNode* node, std::size_t frame)
    {
        step.Bound = true;
        P.Angular = true; // its expression may read the unit: the evaluation fixes it
        step.CaptureFirst = static_cast<uint32_t>(P.CaptureEntries.size());
        const TFrame& f = Frames[frame];
        std::vector<const TParseNode*> nodes{node};
        std::vector<const TVariableEntry*> own;
        std::vector<const TFunctionDefinition*> called;
        while (!nodes.empty()) {
            const TParseNode* n = nodes.back();
            nodes.pop_back();
            if (n == nullptr) continue;
            if (n->Kind == 1) {
                if (const TBoundSite* site = BoundSite(n)) {
                    own.push_back(site);
                    nodes.push_back(site->Body);
                }
                if (IsCall(n) && std::find(called.begin(), called.end(), n->Op->Function) == called.end()) {
                    called.push_back(n->Op->Function);
                    own.insert(own.end(), n->Op->Function->ParameterEntries.begin(),
                               n->Op->Function->ParameterEntries.end());
                    if (n->Op->Function->Body != nullptr) nodes.push_back(n->Op->Function->Body);
                }
                if (n != node) nodes.push_back(n->Left), nodes.push_back(n->Right);
                continue;
            }
            const TVariableEntry* v = n->Variable;
            // A list's leaf holds its own constant: nothing to capture.
            if (v == nullptr || v->List != nullptr || std::find(P.CaptureEntries.begin() + step.CaptureFirst, P.CaptureEntries.end(), v) !=
                                    P.CaptureEntries.end())
                continue;
            P.CaptureEntries.push_back(v);
            const TRef ref = LeafRef(f, Bindings, n);
            P.CaptureRefs.push_back({ref.Value, ref.Leaf, ref.Step});
        }
        // The names bound inside are theirs, not captures.
        for (std::size_t k = step.CaptureFirst; k < P.CaptureEntries.size();) {
            if (std::find(own.begin(), own.end(), P.CaptureEntries[k]) != own.end() && Bindings.count(P.CaptureEntries[k]) == 0) {
                P.CaptureEntries.erase(P.CaptureEntries.begin() + static_cast<std::ptrdiff_t>(k));
                P.CaptureRefs.erase(P.CaptureRefs.begin() + static_cast<std::ptrdiff_t>(k));
            } else {
                ++k;
            }
        }
        step.Captures = static_cast<uint32_t>(P.CaptureEntries.size()) - step.CaptureFirst;
    }

    // The end of a body (a call's or a let's) that stored `stored` values:
    // the body's value takes their place, a value read in place copied
    // there first (times 1, exact).
    void EndScope(const TItem& item, std::size_t stored)
    {
        if (stored == 0) return;
        if (!Values.back().Stacked) {
            const TRef value = Pop();
            TRef one;
            one.Value = &OneLeaf().Value;
            one.Leaf = &OneLeaf();
            Emit(item.Node, ProductComputation(), value, one, item.Frame);
        }
        P.Steps.back().Drop += static_cast<uint32_t>(stored);
    }

    // A let's value stays stored (or is read where it is) for its body.
    void BindLet(const TItem& item)
    {
        TRef value = Pop();
        const bool stored = value.Stacked;
        value.Stacked = false;
        const TVariableEntry* variable = item.Node->Variable;
        const auto it = Bindings.find(variable);
        Bound.push_back({variable, it != Bindings.end(), it != Bindings.end() ? it->second : TRef(), stored});
        Bindings[variable] = value;
    }

    void EndLet(const TItem& item)
    {
        const TBound b = Bound.back();
        Bound.pop_back();
        if (b.HadOuter) Bindings[b.Variable] = b.Outer;
        else Bindings.erase(b.Variable);
        EndScope(item, b.Stored ? 1 : 0);
    }

    TProgram& P;
    std::vector<TItem>& Pending;
    std::vector<TRef>& Values;
    std::deque<TFrame> Frames;
    TBindings Bindings;
    std::vector<TBound> Bound;
    const TOperatorFunc Let = LetComputation();
};

} // namespace

void TProgram::Compile(const TParseNode* root)
{
    Compile(root, {});
}

void TProgram::Compile(const TParseNode* root, const TGiven& given)
{
    Root = root;
    Steps.clear();
    Sites.clear();
    CaptureEntries.clear();
    CaptureRefs.clear();
    CaptureOperands.clear();
    GivenLeaves.clear();
    Careful = Angular = false;
    Result = nullptr;
    Depth = 0;
    if (root->Kind == 0) {
        Result = root->Variable != nullptr ? &root->Variable->Value : &root->Value;
        for (const auto& [variable, value] : given)
            if (variable == root->Variable) Result = value;
        Plan(nullptr);
        return;
    }
    TCompiler compiler(*this, root);
    for (const auto& [variable, value] : given) compiler.Give(variable, value);
    const TRef result = compiler.Run();
    if (!result.Stacked && result.Step < 0) Result = result.Value; // a call of a body that is a leaf
    Plan(nullptr);
}

namespace {

bool IsPrefix(uint8_t fast)
{
    return fast == kFastExp || fast == kFastSin || fast == kFastCos || fast == kFastLn || fast == kFastAbs;
}

// The code of a planned step (see TPlanOp), given which side the run's
// value is on; swaps the operands of "+" and "*" to keep the run's value on
// the left.
uint8_t PlanCode(const TStep& step, bool head, TOperand& left, TOperand& right, bool& runLeft)
{
    const bool prefix = IsPrefix(step.Fast);
    runLeft = head ? !prefix : left.Source == kFromRun;
    int op = -1;
    switch (step.Fast) {
    case kFastAdd:
    case kFastMul:
        // The same in either order.
        if (!runLeft) std::swap(left, right);
        runLeft = true;
        op = step.Fast == kFastAdd ? kAdd : kMul;
        break;
    case kFastSub:
        op = runLeft ? kSub : kSubR;
        break;
    case kFastDiv:
        op = runLeft ? kDiv : kDivR;
        break;
    default:
        break;
    }
    const TOperand& other = runLeft ? right : left;
    const int from = other.Source == kFromSample ? 0 : other.Source == kFromBlock ? 1 : other.Source == kFromDouble ? 2 : 3;
    if (prefix && !runLeft) {
        switch (step.Fast) {
        case kFastExp: return kExp;
        case kFastSin: return kSin;
        case kFastCos: return kCos;
        case kFastLn: return kLn;
        default: return kAbs;
        }
    }
    // An exponent of 2 is one product.
    if (step.Fast == kFastPow && runLeft && other.Source == kFromDouble && other.Double == 2) return kSquare;
    return op >= 0 ? static_cast<uint8_t>(op * 4 + from) : kGeneral;
}

} // namespace

void TProgram::Plan(const long double* sampled)
{
    Sampled = sampled;
    Planned.clear();
    Runs.clear();
    CaptureOperands.clear();
    // Stack positions: the top may be the current run's value (not stored);
    // every value below it is stored in the block of its position.
    uint32_t depth = 0;
    std::size_t maxDepth = 1;
    bool topInRun = false;
    // A number written in the text may be copied as a double when one holds
    // it exactly; a named value is read where it lives, as it may change
    // between evaluations.
    auto leaf = [sampled](const long double* value, const TParseNode* node) {
        TOperand o;
        o.Number = value;
        if (value == sampled) {
            o.Source = kFromSample;
        } else if (node->Variable == nullptr && static_cast<long double>(static_cast<double>(*value)) == *value) {
            o.Source = kFromDouble;
            o.Double = static_cast<double>(*value);
        } else {
            o.Source = kFromNumber;
        }
        return o;
    };
    auto endRun = [&] {
        if (topInRun) Runs.back().End = Planned.size();
        topInRun = false;
    };
    // The stack position of each step's value.
    struct Positions;
    std::vector<uint32_t>& positions = engine_detail::PerThread<std::vector<uint32_t>, Positions>();
    positions.resize(Steps.size());
    auto operand = [&](const long double* value, const TParseNode* node, int32_t from) {
        if (from < 0) return leaf(value, node);
        TOperand o;
        o.Source = kFromBlock;
        o.Block = positions[static_cast<std::size_t>(from)];
        return o;
    };
    for (const TStep& step : Steps) {
        TOperand left, right; // kFromRun unless set
        const bool leftAside = step.Left != nullptr || step.LeftFrom >= 0;
        const bool rightAside = step.Right != nullptr || step.RightFrom >= 0;
        const bool head = leftAside && rightAside;
        if (head) {
            // Two leaves: a new run; the value on top is stored first.
            endRun();
            left = operand(step.Left, step.LeftLeaf, step.LeftFrom);
            right = operand(step.Right, step.RightLeaf, step.RightFrom);
            Runs.push_back({Planned.size(), 0, depth, {}});
            ++depth;
            maxDepth = std::max<std::size_t>(maxDepth, depth);
        } else if (leftAside) {
            left = operand(step.Left, step.LeftLeaf, step.LeftFrom); // the top of the stack, the run's value, on the right
        } else if (rightAside) {
            right = operand(step.Right, step.RightLeaf, step.RightFrom);
        } else {
            // The run's value on the right, the stored value below it on the left.
            left.Source = kFromBlock;
            left.Block = depth - 2;
            --depth;
            Runs.back().OutBlock = depth - 1;
        }
        bool runLeft;
        TPlannedStep p{&step, {}, PlanCode(step, head, left, right, runLeft), !runLeft};
        p.Other = runLeft ? right : left;
        if (head) Runs.back().Start = runLeft ? left : right;
        Planned.push_back(p);
        topInRun = true;
        if (step.Drop > 0) {
            // The arguments of a call go; its value takes the first one's place.
            depth -= step.Drop;
            Runs.back().OutBlock = depth - 1;
        }
        positions[static_cast<std::size_t>(&step - Steps.data())] = depth - 1;
        for (uint32_t k = step.CaptureFirst; k < step.CaptureFirst + step.Captures; ++k) {
            const TCapture& c = CaptureRefs[k];
            CaptureOperands.push_back(operand(c.Value, c.Leaf, c.Step));
        }
    }
    endRun();
    Depth = maxDepth;
}

} // namespace engine_detail
