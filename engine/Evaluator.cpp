// Evaluation through the parser: a single value (Evaluate, TryEvaluate),
// many values of one named value (EvaluateBatch), and samplers for other
// threads.  All of them run the tree's compiled program through the one
// interpreter (Interpreter.cpp).
#include "engine/MathParser.h"
#include "engine/ErrorCodes.h"
#include "engine/Program.h"
#include "engine/Recycled.h"

#include <algorithm>
#include <cfenv>
#include <stdexcept>
#include <utility>

using engine_detail::TProgram;
using engine_detail::TScratch;

TThreadAngleUnit::TThreadAngleUnit(bool degrees) : FSaved(engine_detail::tAngleUnit)
{
    engine_detail::tAngleUnit = degrees ? 1 : 0;
}

TThreadAngleUnit::~TThreadAngleUnit()
{
    engine_detail::tAngleUnit = FSaved;
}

long double TMathParser::Evaluate(TParseNode* root)
{
    long double value;
    if (!TryEvaluate(root, value))
        throw EMathParserException(FErrorCode, FErrorPosition, FErrorLength, FErrorMessage);
    return value;
}

TProgram& TMathParser::Program(const TParseNode* root)
{
    if (!FProgram) {
        engine_detail::Recycled& r = engine_detail::RecycledStore();
        FProgram = r.Program ? std::move(r.Program) : std::make_unique<TProgram>();
        FScratch = r.Scratch ? std::move(r.Scratch) : std::make_unique<TScratch>();
    }
    if (FProgram->Root != root) {
        FProgram->Compile(root);
        engine_detail::PrepareOne(*FProgram, *FScratch);
    }
    return *FProgram;
}

bool TMathParser::TryEvaluate(TParseNode* root, long double& value)
{
    if (root == nullptr) {
        value = 0;
        return true;
    }
    const TProgram& program = FProgram && FProgram->Root == root ? *FProgram : Program(root);
    // A program planned for a sampled value reads it where it lives.
    static const long double kNone = 0;
    const long double* x = program.Sampled != nullptr ? program.Sampled : &kNone;
    if (engine_detail::EvaluateOne(program, *FScratch, x, program.Angular && AngleUnitIsDegrees(), value)) return true;
    const engine_detail::TFailure& f = FScratch->Failure;
    const TParseNode* node = f.Node;
    SetErrorCode(f.Code);
    if (f.Code == error_code::kArithmeticFault && f.Flags != 0) {
        // With several flags raised, report the fault that comes first in a
        // computation: an overflow or a division by zero produces the
        // infinities that later make an operation invalid.
        SetErrorMessage((f.Flags & FE_OVERFLOW)    ? "Floating point overflow"
                        : (f.Flags & FE_DIVBYZERO) ? "Floating point division by zero"
                                                   : "Invalid floating point operation");
    } else if (!f.Message.empty()) {
        FErrorMessage.assign(f.Message);
    }
    if (f.Flags == 0 && (f.Blame & 2)) {
        SetErrorPosition(node->RightPos);
        SetErrorLength(node->RightLen);
    } else if (f.Flags == 0 && (f.Blame & 1)) {
        SetErrorPosition(node->LeftPos);
        SetErrorLength(node->LeftLen);
    } else {
        SetErrorPosition(node->OpPos);
        SetErrorLength(node->Op->NameLength);
    }
    if (f.Site != nullptr) {
        // An error inside a notebook function: named after it, on its call.
        FErrorMessage.insert(0, engine_detail::CallPrefix(f.Site));
        int32_t position, length;
        CallSpan(f.Site->Call, position, length);
        SetErrorPosition(position);
        SetErrorLength(length);
    }
    value = 0;
    return false;
}

void TMathParser::EvaluateBatch(TParseNode* root, std::string_view name, const long double* xs, std::size_t count,
                                long double* results, bool* ok)
{
    const int index = FindVariable(name);
    if (index < 0) throw std::runtime_error("There is no constant named \"" + std::string(name) + "\".");
    long double* const sampled = &FVariables[static_cast<std::size_t>(index)].Value;
    if (count == 0) return;
    if (root == nullptr) {
        std::fill(results, results + count, 0.0L);
        std::fill(ok, ok + count, true);
    } else {
        TProgram& program = Program(root);
        if (program.Sampled != sampled) program.Plan(sampled);
        const bool degrees = program.Angular && AngleUnitIsDegrees();
        engine_detail::EvaluateSamples(program, *FScratch, xs, count, degrees, results, ok);
    }
    *sampled = xs[count - 1];
}

std::size_t TMathParser::CompiledSteps(TParseNode* root)
{
    return root != nullptr ? Program(root).Steps.size() : 0;
}

bool TMathParser::DrawsRandomNumbers(TParseNode* root)
{
    return root != nullptr && Program(root).Careful;
}

TSampler TMathParser::Sampler(TParseNode* root, std::string_view name, bool degrees)
{
    const int index = FindVariable(name);
    if (index < 0) throw std::runtime_error("There is no constant named \"" + std::string(name) + "\".");
    std::shared_ptr<TProgram> program;
    if (root != nullptr) {
        program = std::make_shared<TProgram>();
        program->Compile(root);
        program->Plan(&FVariables[static_cast<std::size_t>(index)].Value);
    }
    return TSampler(std::move(program), degrees);
}

// ---------------------------------------------------------------------------
// Samplers

TSampler::TSampler(std::shared_ptr<const TProgram> program, bool degrees)
    : FProgram(std::move(program)), FScratch(std::make_unique<TScratch>()), FDegrees(degrees)
{
}

TSampler::TSampler(const TSampler& other)
    : FOwner(other.FOwner), FProgram(other.FProgram), FScratch(std::make_unique<TScratch>()), FDegrees(other.FDegrees)
{
}

TSampler::TSampler(TSampler&& other) noexcept = default;
TSampler::~TSampler() = default;

void TSampler::Evaluate(const long double* xs, std::size_t count, long double* results, bool* ok)
{
    if (!FProgram) {
        std::fill(results, results + count, 0.0L);
        std::fill(ok, ok + count, true);
        return;
    }
    engine_detail::EvaluateSamples(*FProgram, *FScratch, xs, count, FDegrees, results, ok);
}

bool TSampler::Evaluate(long double x, long double& y)
{
    y = 0;
    if (!FProgram) return true;
    const engine_detail::TAngleUnitScope unit(FProgram->Angular, FDegrees);
    engine_detail::PrepareOne(*FProgram, *FScratch);
    if (engine_detail::EvaluateOne(*FProgram, *FScratch, &x, FDegrees, y)) return true;
    y = 0;
    return false;
}

std::size_t TSampler::Steps() const
{
    return FProgram ? FProgram->Steps.size() : 0;
}

bool TSampler::DrawsRandomNumbers() const
{
    return FProgram && FProgram->Careful;
}
