// The scan of a text for the calls that bind a name, made before it is
// parsed: internal to the engine.
#pragma once

#include "engine/MathParser.h"

#include <string>
#include <vector>

// "integral(expr; x; a; b)", as the errors and the completion show a call.
const char* BoundSignature(TBoundKind kind);
// "integral".
std::string BoundKindName(TBoundKind kind);

// Builds the derivatives that deriv and resolver read; throws when deriv's
// expression has none.
void BuildBoundSlopes(TMathParser& parser, TBoundScan& scan);

namespace engine_detail {
// The computation of a call of each kind.
TOperatorFunc BoundComputation(TBoundKind kind);
bool IsBoundComputation(TOperatorFunc func);
} // namespace engine_detail

// While it lives, every name that a call of the text binds is a known name
// of the parser (a named value of its own, at the end of the list) and,
// when the text holds an equation, so is "=".  Throws when a call's second
// argument is not a name that can be bound.
class TBoundScan {
public:
    TBoundScan(TMathParser& parser, const std::u32string& text);
    ~TBoundScan();
    TBoundScan(const TBoundScan&) = delete;
    TBoundScan& operator=(const TBoundScan&) = delete;

    struct TName {
        std::u32string Lowered;
        int Node = -1;          // its node in the parser's names
        int SavedVariable = -1; // the named value it had before, -1 for none
        TVariableEntry* Entry = nullptr;
    };
    bool Any() const { return Known; }
    // The bound name of a leaf's entry, null for any other entry.
    const TName* NameOf(const TVariableEntry* entry) const;
    // The named value of that name outside the calls, null for none.
    const TVariableEntry* Outside(const TName& name) const;
    const TOperatorEntry* Equals = nullptr; // the "=" of an equation, when the text holds one
    const std::u32string& Text;
    // The calls bound, outer first, with their spans.
    struct TSiteSpan {
        TBoundSite* Site;
        int32_t Position, Length;         // the call's
        int32_t BodyPosition, BodyLength; // its expression's
    };
    std::vector<TSiteSpan> Sites;

    // Binds the call at `node`, `depth` calls deep (see BindBoundCalls).
    TBoundSite* BindCall(TParseNode* node, int depth, const TName*& name);
    // The characters of the text at [position, position + length), 1-based.
    std::string Span(int32_t position, int32_t length) const;

private:
    void ScanCall(const std::u32string& text, TBoundKind kind, int start, int open);
    TMathParser& P;
    std::vector<TName> Names;
    bool Known = false;
    bool Equation = false;
    int EqualsNode = -1, SavedEqualsOperator = -1;
};
