// Compiling a tree into its postfix program and planning the program as
// runs of steps.
#include "engine/Program.h"

#include <algorithm>
#include <utility>

namespace engine_detail {

void TProgram::Compile(const TParseNode* root)
{
    Root = root;
    Steps.clear();
    Careful = Angular = false;
    Result = nullptr;
    Depth = 0;
    if (root->Kind == 0) {
        Result = root->Variable != nullptr ? &root->Variable->Value : &root->Value;
        Plan(nullptr);
        return;
    }
    auto source = [](const TParseNode* n) -> const long double* {
        if (n->Kind != 0) return nullptr;
        return n->Variable != nullptr ? &n->Variable->Value : &n->Value;
    };
    // Operator nodes in post-order, left subtree before right, without
    // recursion; leaves are read in place by their parent's step.
    static thread_local std::vector<std::pair<const TParseNode*, bool>> pending;
    pending.assign(1, {root, false});
    while (!pending.empty()) {
        auto [node, expanded] = pending.back();
        pending.pop_back();
        if (!expanded) {
            pending.push_back({node, true});
            if (node->Right->Kind != 0) pending.push_back({node->Right, false});
            if (node->Left->Kind != 0) pending.push_back({node->Left, false});
            continue;
        }
        TStep step;
        step.Left = source(node->Left);
        step.Right = source(node->Right);
        step.Node = const_cast<TParseNode*>(node);
        step.Func = node->Op->Func;
        step.Sides = static_cast<uint8_t>((node->Left->Present ? 1 : 0) | (node->Right->Present ? 2 : 0));
        step.Fast = FastOpOf(step.Func, step.Sides);
        step.ShowsFaults = ComputationShowsFaults(step.Func);
        Steps.push_back(step);
        if (!ComputationIsRepeatable(step.Func)) Careful = true;
        if (ComputationUsesAngleUnit(step.Func)) Angular = true;
    }
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
    for (const TStep& step : Steps) {
        TOperand left, right; // kFromRun unless set
        const bool head = step.Left != nullptr && step.Right != nullptr;
        if (head) {
            // Two leaves: a new run; the value on top is stored first.
            endRun();
            left = leaf(step.Left, step.Node->Left);
            right = leaf(step.Right, step.Node->Right);
            Runs.push_back({Planned.size(), 0, depth, {}});
            ++depth;
            maxDepth = std::max<std::size_t>(maxDepth, depth);
        } else if (step.Left != nullptr) {
            left = leaf(step.Left, step.Node->Left); // the top of the stack, the run's value, on the right
        } else if (step.Right != nullptr) {
            right = leaf(step.Right, step.Node->Right);
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
    }
    endRun();
    Depth = maxDepth;
}

} // namespace engine_detail
