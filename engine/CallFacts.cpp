// The call graph's answers for building a derivative.
#include "engine/CallFacts.h"

#include "engine/DerivativeRules.h"

#include <vector>

namespace engine_detail {

bool TCallFacts::Reads(const TFunctionDefinition& f, const TVariableEntry* v)
{
    if (const auto it = ReadsMemo.find({&f, v}); it != ReadsMemo.end()) return it->second;
    // Depth first over the calls, without recursion: a function is settled
    // once all the functions it calls are.
    std::vector<const TFunctionDefinition*> path{&f};
    while (!path.empty()) {
        const TFunctionDefinition* g = path.back();
        if (ReadsMemo.count({g, v})) {
            path.pop_back();
            continue;
        }
        bool reads = false, waiting = false;
        std::vector<const TParseNode*> nodes;
        if (g->Body != nullptr) nodes.push_back(g->Body);
        while (!nodes.empty() && !reads) {
            const TParseNode* n = nodes.back();
            nodes.pop_back();
            if (n->Kind == 0) {
                reads = n->Variable == v;
                continue;
            }
            if (IsCall(n)) {
                const TFunctionDefinition* h = n->Op->Function;
                const auto it = ReadsMemo.find({h, v});
                if (it == ReadsMemo.end()) {
                    path.push_back(h);
                    waiting = true;
                } else {
                    reads = it->second;
                }
            }
            if (const TBoundSite* site = BoundSite(n)) nodes.push_back(site->Body);
            nodes.push_back(n->Left);
            nodes.push_back(n->Right);
        }
        if (reads || !waiting) ReadsMemo[{g, v}] = reads; // popped once it is on top again
    }
    return ReadsMemo.at({&f, v});
}

// Every function met on the way is remembered: the first question about
// the last of a chain answers the others.
bool TCallFacts::Marks(const TFunctionDefinition& f)
{
    struct TFrame {
        const TFunctionDefinition* F;
        std::vector<const TFunctionDefinition*> Callees;
        size_t Next = 0;
        bool Marks = false;
    };
    const auto origin = [](const TFunctionDefinition* g) { return g->Origin != nullptr ? g->Origin : g; };
    std::vector<TFrame> frames;
    const auto open = [&](const TFunctionDefinition* g) {
        MarksMemo[g] = false; // until known; the call graph has no cycles
        TFrame frame{g, {}};
        std::vector<const TParseNode*> nodes{g->Body};
        while (!nodes.empty() && !frame.Marks) {
            const TParseNode* n = nodes.back();
            nodes.pop_back();
            if (n == nullptr || n->Kind != 1 || n->Op == nullptr) continue;
            if (IsCall(n))
                frame.Callees.push_back(origin(n->Op->Function));
            else
                frame.Marks = InternalOf(n->Op) != TInternal::Count || (n->Op->Derivative != nullptr && n->Op->Derivative->Marks);
            nodes.push_back(n->Left);
            nodes.push_back(n->Right);
        }
        frames.push_back(std::move(frame));
    };
    const TFunctionDefinition* first = origin(&f);
    if (const auto it = MarksMemo.find(first); it != MarksMemo.end()) return it->second;
    open(first);
    while (!frames.empty()) {
        TFrame& top = frames.back();
        if (top.Marks || top.Next == top.Callees.size()) {
            const bool marks = MarksMemo[top.F] = top.Marks;
            frames.pop_back();
            if (!frames.empty()) frames.back().Marks |= marks;
            continue;
        }
        const TFunctionDefinition* g = top.Callees[top.Next++];
        if (const auto it = MarksMemo.find(g); it != MarksMemo.end())
            top.Marks |= it->second;
        else
            open(g);
    }
    return MarksMemo.at(first);
}

std::size_t ReachedOperators(const TParseNode* root, std::size_t limit)
{
    std::size_t operators = 0;
    std::vector<const TParseNode*> nodes{root};
    std::unordered_map<const TFunctionDefinition*, bool> seen;
    while (!nodes.empty()) {
        const TParseNode* n = nodes.back();
        nodes.pop_back();
        if (n == nullptr || n->Kind != 1 || n->Op == nullptr) continue;
        if (++operators > limit) return operators;
        if (IsCall(n) && n->Op->Function->Body != nullptr && seen.emplace(n->Op->Function, true).second)
            nodes.push_back(n->Op->Function->Body);
        nodes.push_back(n->Left);
        nodes.push_back(n->Right);
    }
    return operators;
}

} // namespace engine_detail
