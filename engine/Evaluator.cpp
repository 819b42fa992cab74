// The evaluator: a tree compiled once into a flat postfix program, run with
// the top of the value stack in a register, arithmetic faults found from
// the floating-point status flags.
#include "engine/Computations.h"
#include "engine/FaultFlags.h"
#include "engine/MathParser.h"
#include "engine/Recycled.h"

#include <cfenv>
#include <cmath>
#include <utility>

using engine_detail::Recycled;
using engine_detail::RecycledStore;

long double TMathParser::Evaluate(TParseNode* root)
{
    long double value;
    if (!TryEvaluate(root, value))
        throw EMathParserException(FErrorCode, FErrorPosition, FErrorLength, FErrorMessage);
    return value;
}

using engine_detail::kFaultFlags;
using engine_detail::RaisedFaults;

void TMathParser::Compile(const TParseNode* root)
{
    if (FProgram.capacity() == 0) {
        Recycled& r = RecycledStore();
        FProgram.swap(r.Program);
        if (FValues.capacity() == 0) FValues.swap(r.Values);
    }
    FProgram.clear();
    ++FProgramGeneration;
    FProgramCareful = false;
    FProgramResult = nullptr;
    FProgramRoot = root;
    if (root->Kind == 0) {
        FProgramResult = root->Variable != nullptr ? &root->Variable->Value : &root->Value;
        return;
    }
    auto source = [](const TParseNode* n) -> const long double* {
        if (n->Kind != 0) return nullptr;
        return n->Variable != nullptr ? &n->Variable->Value : &n->Value;
    };
    // Operator nodes in post-order, left subtree before right, without
    // recursion; leaves are read in place by their parent's step.
    std::size_t depth = 0, maxDepth = 1;
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
        FProgram.push_back(step);
        // Operands from the stack are replaced by the result.
        const std::size_t popped = (step.Left == nullptr) + (step.Right == nullptr);
        depth = depth - popped + 1;
        maxDepth = std::max(maxDepth, depth);
        if (!ComputationIsRepeatable(step.Func)) FProgramCareful = true;
    }
    if (FValues.size() < maxDepth + 1) FValues.resize(maxDepth + 1);
    FProgramDepth = maxDepth;
}

bool TMathParser::Fault(const TStep& step, unsigned flags)
{
    TParseNode* node = step.Node;
    if (flags != 0) {
        // With several flags raised, report the fault that comes first in a
        // computation: an overflow or a division by zero produces the
        // infinities that later make an operation invalid.
        std::feclearexcept(kFaultFlags);
        SetErrorCode(8);
        SetErrorPosition(node->OpPos);
        SetErrorLength(node->Op->NameLength);
        SetErrorMessage((flags & FE_OVERFLOW)    ? "Floating point overflow"
                        : (flags & FE_DIVBYZERO) ? "Floating point division by zero"
                                                 : "Invalid floating point operation");
        return false;
    }
    return true;
}

bool TMathParser::TryEvaluate(TParseNode* root, long double& value)
{
    value = 0;
    if (root == nullptr) return true;
    if (FProgramRoot != root) Compile(root);
    // Reading the flags waits for every pending operation, so a tree whose
    // computations are repeatable is run with at most one look at the end
    // (none when only the arithmetic operators ran and gave finite values);
    // only when a fault shows is it run again, step by step, to find the
    // operator that raised it.  Flags left over from earlier work only cost
    // that second run.
    if (!FProgramCareful) {
        const int result = Run(false, value);
        if (result >= 0) return result == 1;
    }
    std::feclearexcept(kFaultFlags);
    return Run(true, value) == 1;
}

// Runs the program: 1 on success, 0 on an error (state set), -1 when a
// fault was raised somewhere and `careful` was false.
int TMathParser::Run(bool careful, long double& value)
{
    // The value on top of the stack stays in `acc` (a register), the ones
    // below it in FValues.
    long double* below = FValues.data(); // one past the last value below the top
    long double acc = 0;
    bool hasAcc = false;
    bool checkFlags = false; // a computation may have raised a fault
    int degrees = -1;        // the angle unit, asked once per evaluation
    for (const TStep& step : FProgram) {
        long double left, right;
        if (step.Right != nullptr) {
            right = *step.Right;
            if (step.Left != nullptr) {
                left = *step.Left;
                if (hasAcc) *below++ = acc; // the result becomes the new top
            } else {
                left = acc;
            }
        } else {
            right = acc;
            left = step.Left != nullptr ? *step.Left : *--below;
        }
        hasAcc = true;
        switch (step.Fast) {
        case kFastAdd:
            acc = left + right;
            break;
        case kFastSub:
            acc = left - right;
            break;
        case kFastMul:
            acc = left * right;
            break;
        case kFastDiv:
            if (right != 0) {
                acc = left / right;
                break;
            }
            goto general;
        case kFastPow:
            acc = PowerChecked(left, right, &checkFlags);
            break;
        case kFastSin:
        case kFastCos:
            if (degrees < 0) degrees = AngleUnitIsDegrees() ? 1 : 0;
            if (degrees) right *= kDegreeFactor;
            acc = step.Fast == kFastSin ? std::sin(right) : std::cos(right);
            break;
        case kFastExp:
            acc = std::exp(right);
            break;
        default:
        general: {
            uint8_t code = 0, blame = 0;
            if (!FComputeMessage.empty()) FComputeMessage.clear();
            const long double result = step.Func(left, right, step.Sides, code, FComputeMessage, blame);
            if (careful) {
                if (const unsigned flags = RaisedFaults()) return Fault(step, flags) ? 1 : 0;
            }
            if (code != 0) {
                if (!careful && RaisedFaults() != 0) return -1; // a fault came first
                TParseNode* node = step.Node;
                SetErrorCode(code);
                if (!FComputeMessage.empty()) SetErrorMessage(FComputeMessage);
                if (blame & 2) {
                    SetErrorPosition(node->RightPos);
                    SetErrorLength(node->RightLen);
                } else if (blame & 1) {
                    SetErrorPosition(node->LeftPos);
                    SetErrorLength(node->LeftLen);
                } else {
                    SetErrorPosition(node->OpPos);
                    SetErrorLength(node->Op->NameLength);
                }
                return 0;
            }
            acc = result;
            if (!step.ShowsFaults || !std::isfinite(result)) checkFlags = true;
            continue;
        }
        }
        if (careful) {
            if (const unsigned flags = RaisedFaults()) return Fault(step, flags) ? 1 : 0;
        } else if (!(acc - acc == 0)) {
            // Not finite: overflow and invalid operations show here.  (The
            // subtraction may raise the invalid flag for an infinity; that
            // only sends the tree to the careful run.)
            checkFlags = true;
        }
    }
    if (!careful && checkFlags && RaisedFaults() != 0) return -1;
    value = FProgramResult != nullptr ? *FProgramResult : acc;
    return 1;
}
