// Evaluation of one tree for many values of one named value (a plot's x).
//
// The compiled postfix program is run one step at a time over a block of
// samples instead of one sample at a time through the whole program: every
// step becomes a tight loop, and the floating-point status flags are read
// once per block.  A block whose flags show a fault is run again sample by
// sample through TryEvaluate, which finds the samples that fault.  Engine
// errors (a division by zero, a domain check) are known per sample from the
// computation's code and need no second run.
#include "engine/Computations.h"
#include "engine/FaultFlags.h"
#include "engine/MathParser.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <stdexcept>

namespace {

constexpr std::size_t kBlock = 256;

// Where an operand of a step comes from: one value for every sample (a
// number, a named value other than the sampled one) or one per sample (the
// sampled value, a result on the stack).
struct TOperand {
    const long double* Values;
    bool PerSample;
};

// out[i] = f(i, a[i], b[i]) for the n samples of a block, with the loop
// specialised for operands that are the same for every sample.  `out` may
// be one of the operands' own blocks.
template <typename F> inline void Map(const TOperand& a, const TOperand& b, long double* out, std::size_t n, F f)
{
    if (a.PerSample && b.PerSample) {
        for (std::size_t i = 0; i < n; ++i) out[i] = f(i, a.Values[i], b.Values[i]);
    } else if (a.PerSample) {
        const long double bv = *b.Values;
        for (std::size_t i = 0; i < n; ++i) out[i] = f(i, a.Values[i], bv);
    } else if (b.PerSample) {
        const long double av = *a.Values;
        for (std::size_t i = 0; i < n; ++i) out[i] = f(i, av, b.Values[i]);
    } else {
        const long double av = *a.Values, bv = *b.Values;
        for (std::size_t i = 0; i < n; ++i) out[i] = f(i, av, bv);
    }
}

// A failed sample goes on through the rest of the program with this value,
// which no in-place computation turns into a fault.
constexpr long double kFailedValue = 1;

// How a step of a run is computed.  Codes below kSquare are a computation
// of the run's value with the other operand (kAdd: value + other, kSubR:
// other - value, ...) times 4 plus where the other operand comes from (0 the
// sampled value, 1 a stored block, 2 a number held as a double, 3 any other
// number); kSquare multiplies the value by itself; kExp, kSin, kCos, kLn
// and kAbs apply their function to the value (the right operand; "ln"
// fails for a value that is not positive, as its computation does);
// kGeneral runs the step's computation.
enum TBatchOp : uint8_t { kAdd, kSub, kSubR, kMul, kDiv, kDivR };
constexpr uint8_t kSquare = 24, kExp = 25, kSin = 26, kCos = 27, kLn = 28, kAbs = 29, kGeneral = 30;

} // namespace

void TMathParser::PlanBatch(const long double* sampled)
{
    FBatchSteps.clear();
    FBatchRuns.clear();
    // Stack positions: the top may be the current run's value (not stored);
    // every value below it is stored in the block of its position.
    std::size_t depth = 0;
    bool topInRun = false;
    // A number written in the text may be copied as a double when one holds
    // it exactly; a named value is read where it lives, as it may change
    // between calls.
    auto leaf = [sampled](const long double* value, const TParseNode* node) -> TBatchOperand {
        if (value == sampled) return {1, false, 0, nullptr, 0};
        const auto d = static_cast<double>(*value);
        if (node->Variable == nullptr && static_cast<long double>(d) == *value) return {3, true, d, value, 0};
        return {3, false, 0, value, 0};
    };
    auto endRun = [&] {
        if (topInRun) FBatchRuns.back().End = FBatchSteps.size();
        topInRun = false;
    };
    for (const TStep& step : FProgram) {
        TBatchStep b{};
        b.Step = &step;
        if (step.Left != nullptr && step.Right != nullptr) {
            // Two leaves: a new run; the value on top is stored first.
            endRun();
            b.Left = leaf(step.Left, step.Node->Left);
            b.Right = leaf(step.Right, step.Node->Right);
            FBatchRuns.push_back({FBatchSteps.size(), 0, depth});
            ++depth;
        } else if (step.Left != nullptr || step.Right != nullptr) {
            // The top of the stack, which is the run's value, and a leaf.
            (step.Left != nullptr ? b.Left : b.Right) = step.Left != nullptr ? leaf(step.Left, step.Node->Left)
                                                                              : leaf(step.Right, step.Node->Right);
            (step.Left != nullptr ? b.Right : b.Left) = {0, false, 0, nullptr, 0};
        } else {
            // The run's value on the right, the stored value below it on the left.
            b.Left = {2, false, 0, nullptr, depth - 2}; // where, resolved for each block of samples
            b.Right = {0, false, 0, nullptr, 0};
            --depth;
            FBatchRuns.back().OutBlock = depth - 1;
        }
        // The computation with the run's value (for the first step of a run,
        // its left operand).
        const bool head = b.Left.Kind != 0 && b.Right.Kind != 0;
        const bool prefix = step.Fast == kFastExp || step.Fast == kFastSin || step.Fast == kFastCos ||
                            step.Fast == kFastLn || step.Fast == kFastAbs;
        bool runLeft = head ? !prefix : b.Left.Kind == 0;
        int op = -1;
        switch (step.Fast) {
        case kFastAdd:
        case kFastMul:
            // The same in either order.
            if (!runLeft) std::swap(b.Left, b.Right);
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
        b.RunOnRight = !runLeft;
        const TBatchOperand& other = runLeft ? b.Right : b.Left;
        b.OtherDouble = other.Double;
        b.Other = other.Values;
        const int from = other.Kind == 1 ? 0 : other.Kind == 2 ? 1 : other.Exact ? 2 : 3;
        b.Code = op >= 0 ? static_cast<uint8_t>(op * 4 + from) : kGeneral;
        if (prefix && !runLeft) {
            switch (step.Fast) {
            case kFastExp: b.Code = kExp; break;
            case kFastSin: b.Code = kSin; break;
            case kFastCos: b.Code = kCos; break;
            case kFastLn: b.Code = kLn; break;
            default: b.Code = kAbs; break;
            }
        }
        // Repeated squaring of an exponent of 2 is one product.
        if (step.Fast == kFastPow && runLeft && other.Kind == 3 && other.Exact && other.Double == 2) b.Code = kSquare;
        FBatchSteps.push_back(b);
        topInRun = true;
    }
    endRun();
    if (FBatchValues.size() < (FProgramDepth + 1) * kBlock) FBatchValues.resize((FProgramDepth + 1) * kBlock);
    FBatchGeneration = FProgramGeneration;
    FBatchSampled = sampled;
}

namespace {

inline TOperand Operand(const TMathParser::TBatchOperand& o, const long double* x)
{
    if (o.Kind == 1) return {x, true};
    if (o.Kind == 2) return {o.Values, true};
    return {o.Values, false};
}

} // namespace

void TMathParser::EvaluateBatch(TParseNode* root, std::string_view name, const long double* xs, std::size_t count,
                                long double* results, bool* ok)
{
    const int index = FindVariable(name);
    if (index < 0) throw std::runtime_error("There is no constant named \"" + std::string(name) + "\".");
    long double* const sampled = &FVariables[static_cast<std::size_t>(index)].Value;
    if (count == 0) return;
    if (root != nullptr && FProgramRoot != root) Compile(root);

    // Sample by sample: a tree that draws random numbers (the draws stay in
    // the order of single evaluations), and blocks with a fault.  The error
    // state of the failures is not kept.
    const uint8_t savedCode = FErrorCode;
    const int32_t savedPosition = FErrorPosition, savedLength = FErrorLength;
    const std::string savedMessage = FErrorMessage;
    auto oneByOne = [&](std::size_t first, std::size_t end, const bool* skip) {
        for (std::size_t i = first; i < end; ++i) {
            if (skip != nullptr && skip[i - first]) continue;
            *sampled = xs[i];
            ok[i] = TryEvaluate(root, results[i]);
        }
        FErrorCode = savedCode;
        FErrorPosition = savedPosition;
        FErrorLength = savedLength;
        FErrorMessage = savedMessage;
    };

    if (root == nullptr || FProgramResult != nullptr) {
        // An empty tree is 0; a tree of one leaf is its value.
        for (std::size_t i = 0; i < count; ++i) {
            results[i] = root == nullptr ? 0 : FProgramResult == sampled ? xs[i] : *FProgramResult;
            ok[i] = true;
        }
        *sampled = xs[count - 1];
        return;
    }
    if (FProgramCareful) {
        oneByOne(0, count, nullptr);
        return;
    }
    if (FBatchGeneration != FProgramGeneration || FBatchSampled != sampled) PlanBatch(sampled);

    int degrees = -1; // the angle unit, asked once
    bool failed[kBlock];
    std::string message;
    // One computation of a step on its two operands.
    auto compute = [&](const TStep& step, std::size_t i, long double l, long double r) __attribute__((noinline)) -> long double {
        switch (step.Fast) {
        case kFastAdd:
            return l + r;
        case kFastSub:
            return l - r;
        case kFastMul:
            return l * r;
        case kFastDiv:
            if (r != 0) return l / r;
            break; // "/" fails exactly for a zero divisor
        case kFastPow:
            return PowerChecked(l, r, nullptr);
        case kFastSin:
        case kFastCos:
            if (degrees) r *= kDegreeFactor;
            return step.Fast == kFastSin ? std::sin(r) : std::cos(r);
        case kFastExp:
            return std::exp(r);
        default: {
            uint8_t code = 0, blame = 0;
            if (!message.empty()) message.clear();
            const long double result = step.Func(l, r, step.Sides, code, message, blame);
            if (code == 0) return result;
            break;
        }
        }
        failed[i] = true;
        return kFailedValue;
    };
    auto Failed = [&failed](std::size_t i) {
        failed[i] = true;
        return kFailedValue;
    };
    for (const TBatchStep& b : FBatchSteps)
        if (b.Step->Fast == kFastSin || b.Step->Fast == kFastCos) degrees = AngleUnitIsDegrees() ? 1 : 0;

    long double* const blocks = FBatchValues.data();
    for (std::size_t first = 0; first < count; first += kBlock) {
        const std::size_t n = std::min(kBlock, count - first);
        const long double* const x = xs + first;
        std::fill(failed, failed + n, false);
        // The program's result is at the bottom of the stack: that block is
        // the caller's results, so that the last run writes them directly.
        auto block = [&](std::size_t index) { return index == 0 ? results + first : blocks + kBlock * index; };
        for (TBatchStep& b : FBatchSteps) {
            for (TBatchOperand* o : {&b.Left, &b.Right})
                if (o->Kind == 2) o->Values = block(o->Block);
            b.Other = (b.RunOnRight ? b.Left : b.Right).Values;
        }
        std::feclearexcept(engine_detail::kFaultFlags);
        for (const TBatchRun& run : FBatchRuns) {
            long double* const out = block(run.OutBlock);
            const TBatchStep* const steps = FBatchSteps.data() + run.First;
            const std::size_t length = run.End - run.First;
            if (length == 1) {
                // One step: a loop of its own for the commonest computations.
                const TStep& step = *steps[0].Step;
                const TOperand l = Operand(steps[0].Left, x), r = Operand(steps[0].Right, x);
                switch (step.Fast) {
                case kFastAdd:
                    Map(l, r, out, n, [](std::size_t, long double a, long double c) { return a + c; });
                    continue;
                case kFastSub:
                    Map(l, r, out, n, [](std::size_t, long double a, long double c) { return a - c; });
                    continue;
                case kFastMul:
                    Map(l, r, out, n, [](std::size_t, long double a, long double c) { return a * c; });
                    continue;
                default:
                    Map(l, r, out, n, [&](std::size_t i, long double a, long double c) { return compute(step, i, a, c); });
                    continue;
                }
            }
            // The run's value goes from step to step in a register.
            const TBatchStep* const end = steps + length;
            const TBatchOperand& start = steps[0].RunOnRight ? steps[0].Right : steps[0].Left;
            const long double degreeFactor = degrees > 0 ? kDegreeFactor : 1;
            for (std::size_t i = 0; i < n; ++i) {
                long double value = start.Kind == 1 ? x[i] : start.Exact ? static_cast<long double>(start.Double) : *start.Values;
                for (const TBatchStep* b = steps; b != end; ++b) {
                    switch (b->Code) {
#define ZENTROVA_BATCH_CASES(from, other)                                                                              \
    case kAdd * 4 + from:                                                                                              \
        value += other;                                                                                                \
        break;                                                                                                         \
    case kSub * 4 + from:                                                                                              \
        value -= other;                                                                                                \
        break;                                                                                                         \
    case kSubR * 4 + from:                                                                                             \
        value = other - value;                                                                                         \
        break;                                                                                                         \
    case kMul * 4 + from:                                                                                              \
        value *= other;                                                                                                \
        break;                                                                                                         \
    case kDiv * 4 + from: {                                                                                            \
        const long double divisor = other;                                                                             \
        value = divisor != 0 ? value / divisor : Failed(i);                                                            \
        break;                                                                                                         \
    }                                                                                                                  \
    case kDivR * 4 + from:                                                                                             \
        value = value != 0 ? other / value : Failed(i);                                                                \
        break;
                        ZENTROVA_BATCH_CASES(0, x[i])
                        ZENTROVA_BATCH_CASES(1, b->Other[i])
                        ZENTROVA_BATCH_CASES(2, static_cast<long double>(b->OtherDouble))
                        ZENTROVA_BATCH_CASES(3, *b->Other)
#undef ZENTROVA_BATCH_CASES
                    case kSquare:
                        value *= value;
                        break;
                    case kExp:
                        value = std::exp(value);
                        break;
                    case kSin:
                        value = degrees > 0 ? std::sin(value * degreeFactor) : std::sin(value);
                        break;
                    case kCos:
                        value = degrees > 0 ? std::cos(value * degreeFactor) : std::cos(value);
                        break;
                    case kLn:
                        value = value <= 0 ? Failed(i) : std::log(value);
                        break;
                    case kAbs:
                        value = std::fabs(value);
                        break;
                    default: {
                        const TBatchOperand& o = b->RunOnRight ? b->Left : b->Right;
                        const long double other = o.Kind == 1   ? x[i]
                                                  : o.Kind == 2 ? o.Values[i]
                                                  : o.Exact     ? static_cast<long double>(o.Double)
                                                                : *o.Values;
                        value = b->RunOnRight ? compute(*b->Step, i, other, value) : compute(*b->Step, i, value, other);
                        break;
                    }
                    }
                }
                out[i] = value;
            }
        }
        for (std::size_t i = 0; i < n; ++i) {
            ok[first + i] = !failed[i];
            if (failed[i]) results[first + i] = 0;
        }
        // A fault somewhere in the block: find the samples that raised it.
        if (engine_detail::RaisedFaults() != 0) oneByOne(first, first + n, failed);
    }
    *sampled = xs[count - 1];
}
