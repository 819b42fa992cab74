// The compiled form of a tree and the one interpreter that runs it, for a
// single value or a block of samples.  Internal to the engine.
//
// A tree is compiled once into a postfix program (one step per operator
// node; an operand that is a leaf is read where its value lives).  The
// program is then planned as runs of steps in which each step takes the
// previous one's result, so that a sample's value stays in a register
// through a run; the value of a run that another one follows waits in a
// stored block.  The interpreter executes the plan over n samples of one
// named value: n = 1 for a single evaluation, a block of samples for a
// plot.  Arithmetic faults are found from the floating-point status flags,
// read once at the end; only when they show a fault is a sample run again
// carefully, step by step, to find the operator that raised it.
#pragma once

#include "engine/MathParser.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace engine_detail {

// Samples run together through the plan.
constexpr std::size_t kBlock = 256;

// The computations the interpreter runs in place (Kernels.h); the others
// run the entry's computation.
enum TFastOp : uint8_t {
    kFastNone, kFastAdd, kFastSub, kFastMul, kFastDiv, kFastPow, kFastSin, kFastCos, kFastExp, kFastLn, kFastAbs
};
TFastOp FastOpOf(TOperatorFunc func, uint8_t sidesPresent);
// False for a computation that may give another value when run again with
// the same operands ("random"): such a program runs sample by sample.
bool ComputationIsRepeatable(TOperatorFunc func);
// True for a computation whose arithmetic faults always leave an infinity
// or not-a-number in its result, so that a finite result needs no look at
// the floating-point flags.
bool ComputationShowsFaults(TOperatorFunc func);
// The same for the third group's computations (CatalogueExam.cpp): each
// ends in its result or in an infinity raised on purpose.
bool ExamComputationShowsFaults(TOperatorFunc func);
// True for "sin", "cos" and "tan", which read the angle unit.
bool ComputationUsesAngleUnit(TOperatorFunc func);
// The computations of a call of a notebook function, of the ";" between
// its arguments, and of "*".
TOperatorFunc CallComputation();
TOperatorFunc SeparatorComputation();
TOperatorFunc ProductComputation();

// The unit of the evaluation running on this thread (0 radians, 1 degrees),
// -1 when none is: then AngleUnitIsDegrees asks the application.
inline thread_local int tAngleUnit = -1;

// The angle unit that AngleUnitIsDegrees answers on this thread while the
// scope lives, instead of asking the application (when `active`): threads
// that evaluate for a plot never ask it.
class TAngleUnitScope {
public:
    TAngleUnitScope(bool active, bool degrees)
    {
        if (!active) return;
        FSaved = tAngleUnit;
        tAngleUnit = degrees ? 1 : 0;
    }
    ~TAngleUnitScope()
    {
        if (FSaved != kInactive) tAngleUnit = FSaved;
    }
    TAngleUnitScope(const TAngleUnitScope&) = delete;
    TAngleUnitScope& operator=(const TAngleUnitScope&) = delete;

private:
    static constexpr int kInactive = -2;
    int FSaved = kInactive;
};

// A call of a notebook function whose body's steps are in the program:
// the call in the tree that was compiled (outermost, when calls nest), the
// call it is in, if any, and its function.
struct TCallSite {
    const TParseNode* Call = nullptr;
    const TCallSite* Outer = nullptr;
    const TFunctionDefinition* Function = nullptr;
};
// The words that name the functions from the outermost call in to `site`
// ("en f: en g: "), made only when an error is reported.
std::string CallPrefix(const TCallSite* site);

// One operator node of the postfix program.  A call of a notebook function
// is compiled in place: each argument once, then its body's steps, which
// read a parameter where its argument is (a leaf's value, or the stored
// value of the step that computed it); the body's last step then drops the
// arguments' values from the stack.
struct TStep {
    const long double* Left = nullptr;  // a leaf's value, or null: from the stack or LeftFrom
    const long double* Right = nullptr; // likewise
    TParseNode* Node = nullptr;
    TOperatorFunc Func = nullptr;
    uint8_t Sides = 0;        // the operands present
    uint8_t Fast = 0;         // TFastOp
    bool ShowsFaults = false; // a finite result of Func means no fault
    int32_t LeftFrom = -1;    // the earlier step whose stored value is the operand, when not -1
    int32_t RightFrom = -1;   // likewise
    const TParseNode* LeftLeaf = nullptr;  // the leaf that Left reads
    const TParseNode* RightLeaf = nullptr; // likewise
    uint32_t Drop = 0;                     // values below the result that leave the stack after it
    const TCallSite* Site = nullptr;       // the call whose body holds the step, if any
    // A call that binds a name: the values its expression reads that only
    // the program has (a notebook function's parameters, values bound by a
    // let, the name of an enclosing call), Captures of them from CaptureFirst.
    bool Bound = false;
    uint32_t CaptureFirst = 0, Captures = 0;
};

// What a step that binds a name gives its computation: its node, and the
// values its expression reads that only the program has.
struct TBoundContext {
    const TParseNode* Node = nullptr;
    const TVariableEntry* const* Entries = nullptr;
    const long double* Values = nullptr;
    std::size_t Count = 0;
    bool Degrees = false;
};
inline thread_local TBoundContext tBoundContext;

// Where an operand of a planned step comes from.
enum TSource : uint8_t {
    kFromRun,    // the run's value
    kFromSample, // the sampled named value
    kFromBlock,  // a stored block (a run's value that waited)
    kFromDouble, // a number of the text that a double holds exactly
    kFromNumber  // any other number, or a named value: read where it lives
};

struct TOperand {
    const long double* Number = nullptr; // kFromDouble, kFromNumber
    double Double = 0;                   // kFromDouble
    uint32_t Block = 0;                  // kFromBlock
    TSource Source = kFromRun;
};

// How a planned step is computed.  Codes below kSquare are a computation of
// the run's value with the other operand (kAdd: value + other, kSubR: other
// - value, ...) times 4 plus where the other operand comes from (0 the
// sample, 1 a stored block, 2 a double, 3 a number); kSquare multiplies the
// value by itself; kExp to kAbs apply their function to the value;
// kGeneral runs the step's computation (or its in-place form).
enum TPlanOp : uint8_t { kAdd, kSub, kSubR, kMul, kDiv, kDivR };
constexpr uint8_t kSquare = 24, kExp = 25, kSin = 26, kCos = 27, kLn = 28, kAbs = 29, kGeneral = 30;

struct TPlannedStep {
    const TStep* Step;
    TOperand Other;  // the operand that is not the run's value
    uint8_t Code;    // TPlanOp * 4 + source, or one of the codes above
    bool RunOnRight; // the run's value is the right operand
};

struct TRun {
    std::size_t First, End; // planned steps
    uint32_t OutBlock;      // where the run's value is stored
    TOperand Start;         // the run's first value
};

class TProgram {
public:
    // Compiles `root` and plans it with no sampled value.
    void Compile(const TParseNode* root);
    // The same with the named values `given` read from where the pointers
    // say (the values a call that binds a name hands its expression).
    using TGiven = std::vector<std::pair<const TVariableEntry*, const long double*>>;
    void Compile(const TParseNode* root, const TGiven& given);
    // Plans the program again, reading `sampled` per sample.
    void Plan(const long double* sampled);

    const TParseNode* Root = nullptr;
    const long double* Result = nullptr; // a tree of one leaf: its value
    const long double* Sampled = nullptr;
    bool Careful = false; // draws random numbers: sample by sample
    bool Angular = false; // reads the angle unit
    std::size_t Depth = 0; // values stored at most
    std::vector<TStep> Steps;
    std::vector<TPlannedStep> Planned;
    std::vector<TRun> Runs;
    std::deque<TCallSite> Sites;
    // The captures of the steps that bind a name: entries, where each is
    // compiled (a leaf's value or a step's), and where each is planned.
    struct TCapture {
        const long double* Value = nullptr;
        const TParseNode* Leaf = nullptr;
        int32_t Step = -1;
    };
    std::vector<const TVariableEntry*> CaptureEntries;
    std::vector<TCapture> CaptureRefs;
    std::vector<TOperand> CaptureOperands;
    std::deque<TParseNode> GivenLeaves; // the leaves of the values given to Compile
};

// The error of an evaluation: the node at fault and what it reports.
struct TFailure {
    const TParseNode* Node = nullptr;
    const TCallSite* Site = nullptr; // the call whose body failed, if any
    uint8_t Code = 0;   // an error_code; kArithmeticFault with Flags for a fault flag
    uint8_t Blame = 0;  // as the computation reported it
    unsigned Flags = 0; // the fault flags raised
    std::string Message;
};

// The buffers of one evaluating thread.
struct TScratch {
    std::vector<long double> Blocks; // the stored blocks, the result in block 0
    bool Failed[kBlock];
    std::string Message;
    TFailure Failure;
};

// Makes `scratch` ready for single evaluations of `program`.
void PrepareOne(const TProgram& program, TScratch& scratch);

// Evaluates `program` at the single value *x of the sampled value (any
// value when none is sampled), with `scratch` prepared: true with `value`,
// or false with the error in scratch.Failure.  `degrees` is the angle unit
// (ignored unless the program reads it) of the in-place computations; the
// entries' own computations ask AngleUnitIsDegrees, which gives the same
// unit on the calling thread.
bool EvaluateOne(const TProgram& program, TScratch& scratch, const long double* x, bool degrees, long double& value);

// Evaluates `program` for each of `count` samples xs: results[i] and ok[i]
// are what EvaluateOne gives for xs[i] (0 for a failed sample).
void EvaluateSamples(const TProgram& program, TScratch& scratch, const long double* xs, std::size_t count,
                     bool degrees, long double* results, bool* ok);

} // namespace engine_detail
