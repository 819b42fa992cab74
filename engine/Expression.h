// A parsed expression and its owner: the tree of one text, parsed in a
// parser whose names and catalogue it reads.  The handle frees its tree when
// it goes and keeps the parser it was parsed in alive meanwhile, so that
// expressions, the samplers made from them and the parser may go in any
// order.  Moving hands the tree on; copying is not allowed: share an
// expression as std::shared_ptr<const TExpression>.
//
// Evaluating runs through the parser, on the thread that owns it; samplers
// evaluate on any thread.
#pragma once

#include "engine/MathParser.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

class TExpression {
public:
    TExpression() = default; // no text: evaluates to 0
    // Parses `text` in `parser`; throws EMathParserException on a syntax
    // error, as TMathParser::Parse does.
    TExpression(std::shared_ptr<TMathParser> parser, std::string_view text);
    // The same in a parser that the caller keeps alive for as long as the
    // expression lives (a parser on the stack, for one calculation).
    TExpression(TMathParser& parser, std::string_view text);
    // A tree made in `parser` (a derivative), handed over.
    struct TAdopt {};
    TExpression(std::shared_ptr<TMathParser> parser, TParseNode* root, TAdopt);
    TExpression(TExpression&& other) noexcept;
    TExpression& operator=(TExpression&& other) noexcept;
    TExpression(const TExpression&) = delete;
    TExpression& operator=(const TExpression&) = delete;
    ~TExpression();

    // The parser it was parsed in (null for a default-made expression).
    TMathParser* Parser() const { return FParser; }
    // The same parser as held by the expression, to parse more in it.
    std::shared_ptr<TMathParser> SharedParser() const { return FState ? FState->Parser : nullptr; }
    const TParseNode* Tree() const { return FRoot; }

    // As the parser's Evaluate and TryEvaluate of the tree, with the
    // parser's error state set the same way.
    long double Evaluate() const;
    bool TryEvaluate(long double& value) const;
    // As the parser's EvaluateBatch of the tree over the named value `name`.
    void EvaluateBatch(std::string_view name, const long double* xs, std::size_t count, long double* results,
                       bool* ok) const;
    // The operator steps of its compiled program, calls expanded (what an
    // evaluation costs).
    std::size_t CompiledSteps() const;
    // True when evaluating draws random numbers ("random").
    bool DrawsRandomNumbers() const;
    // A sampler over the named value `name` (see TSampler); it keeps this
    // expression's tree and parser alive.
    TSampler Sampler(std::string_view name, bool degrees) const;
    // The tree written back as text.
    std::string Text() const;

private:
    // The tree and its parser, freed when the expression and every sampler
    // made from it have gone (on the parser's thread: samplers copied to
    // other threads go before the one they were copied from).
    struct TState {
        std::shared_ptr<TMathParser> Parser;
        TParseNode* Root = nullptr;
        ~TState();
    };
    std::shared_ptr<TState> FState;
    TMathParser* FParser = nullptr; // FState's, read often
    TParseNode* FRoot = nullptr;
};
