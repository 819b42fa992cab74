// What building a derivative asks of the notebook functions an expression
// calls, each answer worked out over the call graph without recursion and
// remembered, so that each body is read once per question however long a
// chain of calls is.
#pragma once

#include "engine/MathParser.h"

#include <cstddef>
#include <map>
#include <unordered_map>
#include <utility>

namespace engine_detail {

class TCallFacts {
public:
    // Whether f's body reads `v` itself or through the functions it calls.
    bool Reads(const TFunctionDefinition& f, const TVariableEntry* v);
    // Whether the derivatives of f may hold marks: its body, or one it
    // calls, has an entry whose rule reads corners and jumps (abs, floor,
    // sqrt...).  A derivative function answers for the function it is of.
    bool Marks(const TFunctionDefinition& f);

private:
    std::map<std::pair<const TFunctionDefinition*, const TVariableEntry*>, bool> ReadsMemo;
    std::unordered_map<const TFunctionDefinition*, bool> MarksMemo;
};

// The operator nodes of `root` and of every body it reaches through calls,
// each body once, counted until they pass `limit`.
std::size_t ReachedOperators(const TParseNode* root, std::size_t limit);

} // namespace engine_detail
