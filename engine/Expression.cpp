#include "engine/Expression.h"

#include <utility>

namespace {

// A parser that the caller owns: shared without an owner.
std::shared_ptr<TMathParser> Unowned(TMathParser& parser)
{
    return std::shared_ptr<TMathParser>(std::shared_ptr<TMathParser>(), &parser);
}

} // namespace

TExpression::TState::~TState()
{
    if (Root != nullptr) Parser->FreeTree(Root);
}

TExpression::TExpression(std::shared_ptr<TMathParser> parser, std::string_view text)
    : FState(std::make_shared<TState>()), FParser(parser.get())
{
    FState->Parser = std::move(parser);
    FState->Root = FRoot = FParser->Parse(text);
}

TExpression::TExpression(TMathParser& parser, std::string_view text) : TExpression(Unowned(parser), text) {}

TExpression::TExpression(std::shared_ptr<TMathParser> parser, TParseNode* root, TAdopt)
    : FState(std::make_shared<TState>()), FParser(parser.get())
{
    FState->Parser = std::move(parser);
    FState->Root = FRoot = root;
}

TExpression::TExpression(TExpression&& other) noexcept
    : FState(std::move(other.FState)), FParser(std::exchange(other.FParser, nullptr)),
      FRoot(std::exchange(other.FRoot, nullptr))
{
}

TExpression& TExpression::operator=(TExpression&& other) noexcept
{
    if (this != &other) {
        FState = std::move(other.FState);
        FParser = std::exchange(other.FParser, nullptr);
        FRoot = std::exchange(other.FRoot, nullptr);
    }
    return *this;
}

TExpression::~TExpression() = default;

long double TExpression::Evaluate() const
{
    return FParser != nullptr ? FParser->Evaluate(FRoot) : 0;
}

bool TExpression::TryEvaluate(long double& value) const
{
    if (FParser == nullptr) {
        value = 0;
        return true;
    }
    return FParser->TryEvaluate(FRoot, value);
}

void TExpression::EvaluateBatch(std::string_view name, const long double* xs, std::size_t count, long double* results,
                                bool* ok) const
{
    FParser->EvaluateBatch(FRoot, name, xs, count, results, ok);
}

std::size_t TExpression::CompiledSteps() const
{
    return FParser != nullptr ? FParser->CompiledSteps(FRoot) : 0;
}

bool TExpression::DrawsRandomNumbers() const
{
    return FParser != nullptr && FParser->DrawsRandomNumbers(FRoot);
}

TSampler TExpression::Sampler(std::string_view name, bool degrees) const
{
    TSampler sampler = FParser->Sampler(FRoot, name, degrees);
    sampler.FOwner = FState;
    return sampler;
}

std::string TExpression::Text() const
{
    return FParser != nullptr ? FParser->TreeToText(FRoot) : std::string();
}
