// The interpreter: the plan of a program executed over n samples at once,
// each run of steps a tight loop with the run's value in a register, the
// fault flags read once at the end.  A single evaluation is n = 1; the
// careful run (one sample, each step through its entry's computation, the
// flags read after every step) finds the operator at fault.
#include "engine/FaultFlags.h"
#include "engine/ErrorCodes.h"
#include "engine/Kernels.h"
#include "engine/Program.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <vector>

namespace engine_detail {

namespace {

// A failed sample goes on through the rest of the plan with this value,
// which no in-place computation turns into a fault.
constexpr long double kFailedValue = 1;

// An operand for a loop over the samples: one value for every sample, or
// one per sample.
struct TLane {
    const long double* Values;
    bool PerSample;
};

// out[i] = f(i, a[i], b[i]) for the n samples, with the loop specialised for
// operands that are the same for every sample; returns the last value.
template <typename F>
inline __attribute__((always_inline)) long double Map(const TLane& a, const TLane& b, long double* out, std::size_t n,
                                                      bool store, F f)
{
    long double v = 0;
    if (a.PerSample && b.PerSample) {
        for (std::size_t i = 0; i < n; ++i) out[i] = v = f(i, a.Values[i], b.Values[i]);
    } else if (a.PerSample) {
        const long double bv = *b.Values;
        for (std::size_t i = 0; i < n; ++i) out[i] = v = f(i, a.Values[i], bv);
    } else if (b.PerSample) {
        const long double av = *a.Values;
        for (std::size_t i = 0; i < n; ++i) out[i] = v = f(i, av, b.Values[i]);
    } else if (store) {
        const long double av = *a.Values, bv = *b.Values;
        for (std::size_t i = 0; i < n; ++i) out[i] = v = f(i, av, bv);
    } else {
        v = f(0, *a.Values, *b.Values); // one value, kept in a register
    }
    return v;
}

#define ZENTROVA_INLINE inline __attribute__((always_inline))

// The interpreter over `n` samples whose sampled values are x[0..n).
// Stored blocks are `Stride` values apart; with a stride of 1 there is one
// sample.  Not Careful: every sample is computed; scratch.Failed[i] marks a
// sample whose computation reported an error, and faults show in the flags.
// A single value also records its first error in scratch.Failure and notes
// in MayHideFault whether a fault could have left no trace in its value.
// Careful (one sample): every step runs its entry's computation and the
// flags are read after each; the first error or fault stops the run and is
// described in scratch.Failure.
template <bool Careful, std::size_t Stride> class TInterpreter {
    static constexpr bool kOne = Stride == 1;
    static constexpr bool kSingle = kOne && !Careful;

public:
    // `results` receives the values of a block of samples (none for one).
    TInterpreter(const TProgram& program, TScratch& scratch, const long double* x, std::size_t n, bool degrees,
                 long double* results = nullptr)
        : P(program), S(scratch), X(x), Samples(n), Degrees(degrees), Blocks(scratch.Blocks.data()), Results(results)
    {
    }

    bool MayHideFault = false;
    bool Failed = false; // a single value failed (its first error in S.Failure)

    // The value of the last sample; the careful run stops at an error.
    long double Run()
    {
        if constexpr (!kOne) std::fill(S.Failed, S.Failed + Count(), false);
        long double value = 0;
        const TRun* const last = P.Runs.data() + P.Runs.size() - 1;
        for (const TRun* run = P.Runs.data(); run <= last; ++run) {
            // The last run writes the results where the caller wants them;
            // one sample's result needs no block at all.
            const bool store = !kOne || run != last;
            long double* const out = run == last && !kOne ? Results : Block(run->OutBlock);
            // A run of one step has loops of its own over a block.
            value = !kOne && run->End - run->First == 1 ? RunOne(*run, out, store) : RunSeveral(*run, out, store);
            if constexpr (Careful) {
                if (S.Failure.Code != 0) break;
            }
        }
        return value;
    }

private:
    // The samples: one, known when compiling, for a stride of 1.
    ZENTROVA_INLINE std::size_t Count() const { return kOne ? 1 : Samples; }
    ZENTROVA_INLINE long double* Block(uint32_t index) const { return Blocks + Stride * index; }

    ZENTROVA_INLINE TLane Lane(const TOperand& o) const
    {
        switch (o.Source) {
        case kFromSample: return {X, true};
        case kFromBlock: return {Block(o.Block), true};
        default: return {o.Number, false};
        }
    }

    ZENTROVA_INLINE long double Value(const TOperand& o, std::size_t i) const
    {
        switch (o.Source) {
        case kFromSample: return X[i];
        case kFromBlock: return Block(o.Block)[i];
        case kFromDouble: return static_cast<long double>(o.Double);
        default: return *o.Number;
        }
    }

    // A value that may be the trace of a fault.
    ZENTROVA_INLINE long double Watch(long double value)
    {
        if constexpr (kSingle) {
            if (!(value - value == 0)) MayHideFault = true;
        }
        return value;
    }

    void Record(const TStep& step, uint8_t code, uint8_t blame, unsigned flags)
    {
        TFailure& f = S.Failure;
        f.Node = step.Node;
        f.Site = step.Site;
        f.Code = code;
        f.Blame = blame;
        f.Flags = flags;
        if (flags != 0) f.Message.clear();
        else f.Message.assign(S.Message);
    }

    // Sample i failed in `step` on the operands l and r.  A single value
    // keeps the first error, as the step's computation reports it.
    __attribute__((noinline)) long double Fail(std::size_t i, const TStep& step, long double l, long double r)
    {
        if constexpr (kSingle) {
            if (!Failed) {
                uint8_t code = 0, blame = 0;
                S.Message.clear();
                step.Func(l, r, step.Sides, code, S.Message, blame);
                Record(step, code, blame, 0);
                Failed = true;
            }
        } else {
            S.Failed[i] = true;
        }
        return kFailedValue;
    }

    // The entry's computation of one step on its two operands.
    __attribute__((noinline)) long double Compute(const TStep& step, std::size_t i, long double l, long double r)
    {
        uint8_t code = 0, blame = 0;
        if (!S.Message.empty()) S.Message.clear();
        const long double result = step.Bound ? ComputeBound(step, i, l, r, code, blame)
                                              : step.Func(l, r, step.Sides, code, S.Message, blame);
        if constexpr (Careful) {
            if (const unsigned flags = RaisedFaults()) Record(step, error_code::kArithmeticFault, 0, flags);
            else if (code != 0) Record(step, code, blame, 0);
            return result;
        } else {
            if (code != 0) {
                if constexpr (kSingle) {
                    if (!Failed) Record(step, code, blame, 0);
                    Failed = true;
                } else {
                    S.Failed[i] = true;
                }
                return kFailedValue;
            }
            if (kSingle && (!step.ShowsFaults || !std::isfinite(result))) MayHideFault = true;
            return result;
        }
    }

    // A call that binds a name, given its node and the values it captures.
    long double ComputeBound(const TStep& step, std::size_t i, long double l, long double r, uint8_t& code,
                             uint8_t& blame)
    {
        std::vector<long double> values(step.Captures);
        for (uint32_t k = 0; k < step.Captures; ++k) values[k] = Value(P.CaptureOperands[step.CaptureFirst + k], i);
        struct TContextScope {
            TBoundContext Outer = tBoundContext;
            ~TContextScope() { tBoundContext = Outer; }
        } scope;
        tBoundContext = {step.Node, P.CaptureEntries.data() + step.CaptureFirst, values.data(), values.size(), Degrees};
        return step.Func(l, r, step.Sides, code, S.Message, blame);
    }

    // One step on its two operands, in place where it can be.
    ZENTROVA_INLINE long double Apply(const TStep& step, std::size_t i, long double l, long double r)
    {
        if constexpr (Careful) return Compute(step, i, l, r);
        switch (step.Fast) {
        case kFastAdd: return Watch(Sum(l, r));
        case kFastSub: return Watch(Difference(l, r));
        case kFastMul: return Watch(Product(l, r));
        case kFastDiv: return QuotientFails(r) ? Fail(i, step, l, r) : Watch(Quotient(l, r));
        case kFastPow: return Watch(Power(l, r, kSingle ? &MayHideFault : nullptr));
        case kFastSin: return Watch(Sine(r, Degrees));
        case kFastCos: return Watch(Cosine(r, Degrees));
        case kFastExp: return Watch(Exponential(r));
        case kFastLn: return LogarithmFails(r) ? Fail(i, step, l, r) : Logarithm(r);
        case kFastAbs: return Absolute(r);
        default: return Compute(step, i, l, r);
        }
    }

    // A run of one step: a loop of its own for the commonest computations.
    long double RunOne(const TRun& run, long double* out, bool store)
    {
        const TPlannedStep& p = P.Planned[run.First];
        const TStep& step = *p.Step;
        const TLane start = Lane(run.Start), other = Lane(p.Other);
        const TLane& l = p.RunOnRight ? other : start;
        const TLane& r = p.RunOnRight ? start : other;
        if constexpr (!Careful) {
            switch (step.Fast) {
            case kFastAdd:
                return Watch(Map(l, r, out, Count(), store, [](std::size_t, long double a, long double c) { return Sum(a, c); }));
            case kFastSub:
                return Watch(Map(l, r, out, Count(), store, [](std::size_t, long double a, long double c) {
                    return Difference(a, c);
                }));
            case kFastMul:
                return Watch(Map(l, r, out, Count(), store, [](std::size_t, long double a, long double c) {
                    return Product(a, c);
                }));
            default:
                break;
            }
        }
        return Map(l, r, out, Count(), store, [&](std::size_t i, long double a, long double c) { return Apply(step, i, a, c); });
    }

    // A run of several steps, the run's value from step to step in a register.
    // It starts from the sample or from a value that every sample shares.
    ZENTROVA_INLINE long double RunSeveral(const TRun& run, long double* out, bool store)
    {
        if (run.Start.Source == kFromSample)
            return RunFrom(run, out, store, [this](std::size_t i) { return X[i]; });
        if (run.Start.Source == kFromBlock) {
            // An argument of a call, stored per sample.
            const long double* const from = Block(run.Start.Block);
            return RunFrom(run, out, store, [from](std::size_t i) { return from[i]; });
        }
        const long double start = Value(run.Start, 0);
        return RunFrom(run, out, store, [start](std::size_t) { return start; });
    }

    template <typename Start>
    ZENTROVA_INLINE long double RunFrom(const TRun& run, long double* out, bool store, Start startOf)
    {
        const TPlannedStep* const first = P.Planned.data() + run.First;
        const TPlannedStep* const end = P.Planned.data() + run.End;
        long double value = 0;
        for (std::size_t i = 0; i < Count(); ++i) {
            value = startOf(i);
            for (const TPlannedStep* b = first; b != end; ++b) {
                if constexpr (Careful) {
                    value = General(*b, i, value);
                    if (S.Failure.Code != 0) return value;
                } else {
                    value = Watch(Step(*b, i, value));
                }
            }
            if (!kOne || store) out[i] = value;
        }
        return value;
    }

    ZENTROVA_INLINE long double General(const TPlannedStep& b, std::size_t i, long double value)
    {
        const long double other = Value(b.Other, i);
        return b.RunOnRight ? Apply(*b.Step, i, other, value) : Apply(*b.Step, i, value, other);
    }

    ZENTROVA_INLINE long double Step(const TPlannedStep& b, std::size_t i, long double value)
    {
        switch (b.Code) {
#define ZENTROVA_PLAN_CASES(from, other)                                                                               \
    case kAdd * 4 + from: return Sum(value, other);                                                                    \
    case kSub * 4 + from: return Difference(value, other);                                                             \
    case kSubR * 4 + from: return Difference(other, value);                                                            \
    case kMul * 4 + from: return Product(value, other);                                                                \
    case kDiv * 4 + from: {                                                                                            \
        const long double divisor = other;                                                                             \
        return QuotientFails(divisor) ? Fail(i, *b.Step, value, divisor) : Quotient(value, divisor);                   \
    }                                                                                                                  \
    case kDivR * 4 + from: {                                                                                           \
        const long double dividend = other;                                                                            \
        return QuotientFails(value) ? Fail(i, *b.Step, dividend, value) : Quotient(dividend, value);                   \
    }
            ZENTROVA_PLAN_CASES(0, X[i])
            ZENTROVA_PLAN_CASES(1, Block(b.Other.Block)[i])
            ZENTROVA_PLAN_CASES(2, static_cast<long double>(b.Other.Double))
            ZENTROVA_PLAN_CASES(3, *b.Other.Number)
#undef ZENTROVA_PLAN_CASES
        case kSquare: return Square(value);
        case kExp: return Exponential(value);
        case kSin: return Sine(value, Degrees);
        case kCos: return Cosine(value, Degrees);
        case kLn: return LogarithmFails(value) ? Fail(i, *b.Step, Value(b.Other, i), value) : Logarithm(value);
        case kAbs: return Absolute(value);
        default: return General(b, i, value);
        }
    }

    const TProgram& P;
    TScratch& S;
    const long double* const X;
    const std::size_t Samples;
    const bool Degrees;
    long double* const Blocks;
    long double* const Results;
};

#undef ZENTROVA_INLINE

void Reserve(const TProgram& program, TScratch& scratch, std::size_t stride)
{
    const std::size_t size = (program.Depth + 1) * stride;
    if (scratch.Blocks.size() < size) scratch.Blocks.resize(size);
}

// The careful run of one sample, with the flags cleared first.
bool EvaluateCarefully(const TProgram& program, TScratch& scratch, const long double* x, bool degrees,
                       long double& value)
{
    std::feclearexcept(kFaultFlags);
    TFailure& f = scratch.Failure;
    f.Node = nullptr;
    f.Site = nullptr;
    f.Code = f.Blame = 0;
    f.Flags = 0;
    const long double result = TInterpreter<true, 1>(program, scratch, x, 1, degrees).Run();
    if (scratch.Failure.Code != 0) {
        if (scratch.Failure.Code == error_code::kArithmeticFault) std::feclearexcept(kFaultFlags);
        return false;
    }
    value = result;
    return true;
}

} // namespace

void PrepareOne(const TProgram& program, TScratch& scratch)
{
    Reserve(program, scratch, 1);
}

bool EvaluateOne(const TProgram& program, TScratch& scratch, const long double* x, bool degrees, long double& value)
{
    if (program.Result != nullptr) {
        value = program.Result == program.Sampled ? *x : *program.Result;
        return true;
    }
    if (!program.Careful) {
        // Flags left over from earlier work only cost the careful run.
        TInterpreter<false, 1> run(program, scratch, x, 1, degrees);
        const long double result = run.Run();
        if (!run.Failed) {
            if (!run.MayHideFault || RaisedFaults() == 0) {
                value = result;
                return true;
            }
        } else if (RaisedFaults() == 0) {
            return false; // the first error, with no fault before it
        }
    }
    return EvaluateCarefully(program, scratch, x, degrees, value);
}

void EvaluateSamples(const TProgram& program, TScratch& scratch, const long double* xs, std::size_t count,
                     bool degrees, long double* results, bool* ok)
{
    if (program.Result != nullptr) {
        // A tree of one leaf is its value.
        for (std::size_t i = 0; i < count; ++i) {
            results[i] = program.Result == program.Sampled ? xs[i] : *program.Result;
            ok[i] = true;
        }
        return;
    }
    const TAngleUnitScope unit(program.Angular, degrees);
    auto oneByOne = [&](std::size_t first, std::size_t end, const bool* skip) {
        for (std::size_t i = first; i < end; ++i) {
            if (skip != nullptr && skip[i - first]) continue;
            ok[i] = EvaluateCarefully(program, scratch, xs + i, degrees, results[i]);
            if (!ok[i]) results[i] = 0;
        }
    };
    if (program.Careful) {
        // Random draws stay in the order of single evaluations.
        Reserve(program, scratch, 1);
        oneByOne(0, count, nullptr);
        return;
    }
    Reserve(program, scratch, kBlock);
    for (std::size_t first = 0; first < count; first += kBlock) {
        const std::size_t n = std::min(kBlock, count - first);
        std::feclearexcept(kFaultFlags);
        TInterpreter<false, kBlock>(program, scratch, xs + first, n, degrees, results + first).Run();
        for (std::size_t i = 0; i < n; ++i) {
            ok[first + i] = !scratch.Failed[i];
            if (scratch.Failed[i]) results[first + i] = 0;
        }
        // A fault somewhere in the block: find the samples that raised it.
        if (RaisedFaults() != 0) {
            bool skip[kBlock];
            std::copy(scratch.Failed, scratch.Failed + n, skip);
            oneByOne(first, first + n, skip);
        }
    }
}

} // namespace engine_detail
