// Names: the catalogue's names and the named values, found from the end of
// a text through a trie of their reversed, lower-case characters.
#include "engine/MathParser.h"

#include "engine/Utf8.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

int TMathParser::TrieInsert(const std::u32string& lowered)
{
    int node = 0;
    for (auto it = lowered.rbegin(); it != lowered.rend(); ++it) {
        int child = TrieChild(node, *it);
        if (child < 0) {
            child = static_cast<int>(FTrie.size());
            TrieNode fresh;
            fresh.Ch = *it;
            fresh.NextSibling = FTrie[node].FirstChild;
            FTrie.push_back(fresh);
            FTrie[node].FirstChild = child;
            if (node == 0 && *it < 128) FTrieRootAscii[*it] = child;
        }
        node = child;
    }
    return node;
}

int TMathParser::TrieFind(const std::u32string& lowered) const
{
    int node = 0;
    for (auto it = lowered.rbegin(); it != lowered.rend() && node >= 0; ++it) node = TrieChild(node, *it);
    return node;
}

void TMathParser::AddOperator(std::string_view name, TOperatorFunc func, uint8_t sides, int8_t priority)
{
    AddOperator(name, func, sides, priority, nullptr);
}

void TMathParser::AddOperator(std::string_view name, TOperatorFunc func, uint8_t sides, int8_t priority,
                              const TDerivativeRule* rule)
{
    const std::u32string lowered = utf8::LowerAscii(utf8::Decode(name));
    TOperatorEntry entry;
    entry.Name = utf8::Encode(lowered);
    entry.Sides = sides;
    entry.Func = func;
    entry.Priority = priority;
    entry.NameLength = static_cast<int32_t>(lowered.size());
    entry.Derivative = rule;
    FOwnOperators.push_back(std::move(entry));
    FOperators.push_back(&FOwnOperators.back());
    const int node = TrieInsert(lowered);
    if (node != 0 && FTrie[node].Operator < 0) {
        FTrie[node].Operator = static_cast<int>(FOperators.size()) - 1;
        // A name ending in digits can only be told from the number after it
        // while scanning: remember its letters and its digits.
        std::size_t letters = lowered.size();
        while (letters > 0 && lowered[letters - 1] >= U'0' && lowered[letters - 1] <= U'9') --letters;
        if (letters > 0 && letters < lowered.size()) {
            // Copied once when shared with the parser it came from, then changed in place.
            if (!FDigitTailNames) FDigitTailNames = std::make_shared<DigitTailNames>();
            else if (FDigitTailNames.use_count() > 1) FDigitTailNames = std::make_shared<DigitTailNames>(*FDigitTailNames);
            std::u32string key = lowered.substr(0, letters);
            key += U'\x01';
            key += lowered.substr(letters);
            FDigitTailNames->Nodes.emplace(std::move(key), node);
            FDigitTailNames->MaxLetters = std::max(FDigitTailNames->MaxLetters, static_cast<int>(letters));
            FDigitTailNames->MaxDigits =
                std::max(FDigitTailNames->MaxDigits, static_cast<int>(lowered.size() - letters));
        }
    }
}

TOperatorEntry* TMathParser::AddUnnamedOperator(std::string_view name, TOperatorFunc func, const TDerivativeRule* rule,
                                                const TOperatorEntry* written)
{
    TOperatorEntry entry;
    entry.Name = std::string(name);
    entry.Sides = 3;
    entry.Priority = 4; // written back as a call, which binds as a function does
    entry.Func = func;
    entry.NameLength = written->NameLength; // a fault blames the name as written
    entry.Derivative = rule;
    entry.CalledAs = written;
    FOwnOperators.push_back(std::move(entry));
    FOperators.push_back(&FOwnOperators.back());
    return &FOwnOperators.back();
}

void TMathParser::DefineVariable(std::string_view name, long double value)
{
    const std::u32string lowered = utf8::LowerAscii(utf8::Decode(name));
    FVariables.push_back({utf8::Encode(lowered), value});
    const int node = TrieInsert(lowered);
    const int first = FTrie[node].Variable;
    if (first < 0 || FVariables[static_cast<std::size_t>(first)].Yields)
        FTrie[node].Variable = static_cast<int>(FVariables.size()) - 1;
}

int TMathParser::FindOperator(std::string_view name) const
{
    const int node = TrieFind(utf8::LowerAscii(utf8::Decode(name)));
    return node > 0 ? FTrie[node].Operator : -1;
}

int TMathParser::FindVariable(std::string_view name) const
{
    const int node = TrieFind(utf8::LowerAscii(utf8::Decode(name)));
    return node >= 0 ? FTrie[node].Variable : -1;
}

void TMathParser::SetConstant(std::string_view name, long double value)
{
    // Callers such as a plot set the same name thousands of times: the first
    // entry of a name never changes, so the last look-up is kept.
    if (FLastConstantValue != nullptr && name.size() == FLastConstantName.size() &&
        std::equal(name.begin(), name.end(), FLastConstantName.begin())) {
        *FLastConstantValue = value;
        return;
    }
    const int index = FindVariable(name);
    if (index < 0) throw std::runtime_error("There is no constant named \"" + std::string(name) + "\".");
    FLastConstantName = std::string(name);
    FLastConstantValue = &FVariables[static_cast<std::size_t>(index)].Value; // entries never move
    FVariables[static_cast<std::size_t>(index)].Value = value;
}
