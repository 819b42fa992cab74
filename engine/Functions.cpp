// Functions of the notebook: their definition in a parser (the bodies
// parsed with the parameters in scope, the calls among them checked for
// cycles and size), the checks of the calls in a parsed tree, and the
// arguments of a call.
#include "engine/MathParser.h"
#include "engine/DerivativeRules.h"
#include "engine/ErrorCodes.h"
#include "engine/Program.h"
#include "engine/Utf8.h"

#include <algorithm>
#include <unordered_map>

using engine_detail::FailWith;

namespace {

// Steps of a tree with every call expanded, at most: beyond it a
// definition or an expression is too big to compile.
constexpr std::size_t kMaxSteps = 1000000;

// The last name in the characters [position, position + length) of
// `text` (1-based): the unknown name of a blamed run such as "x+zz".
std::string LastNameIn(const std::string& text, int32_t position, int32_t length)
{
    const std::u32string chars = utf8::Decode(text);
    const auto isName = [](char32_t c) {
        return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') || c == U'_' || c >= 0x80;
    };
    if (position < 1 || length < 1) return {};
    std::size_t end = std::min(chars.size(), static_cast<std::size_t>(position - 1 + length));
    const std::size_t start = static_cast<std::size_t>(position - 1);
    while (end > start && !isName(chars[end - 1])) --end;
    if (end == start) return {};
    std::size_t first = end;
    while (first > start && isName(chars[first - 1])) --first;
    return utf8::Encode(chars.substr(first, end - first));
}

std::string CountMessage(const TFunctionDefinition& f)
{
    const std::size_t n = f.Parameters.size();
    std::string message = "La función " + f.Name + " necesita " + std::to_string(n) + (n == 1 ? " argumento" : " argumentos");
    if (n > 1) message += ", separados por «;»";
    return message;
}

// The message for functions that use each other in a cycle, from the one
// at `lines[0]` through the others in order.
std::string CycleMessage(const TFunctionDefinition& f, const std::vector<int>& lines)
{
    if (f.Line <= 0) return "La función " + f.Name + " se usa a sí misma";
    return NotebookCycleMessage(lines);
}

// The operator nodes of a tree that are not separators, and its calls.
void Survey(const TParseNode* root, std::size_t& steps, std::vector<const TParseNode*>& calls)
{
    const TOperatorFunc separator = engine_detail::SeparatorComputation();
    std::vector<const TParseNode*> pending{root};
    while (!pending.empty()) {
        const TParseNode* node = pending.back();
        pending.pop_back();
        if (node == nullptr || node->Kind == 0) continue;
        if (IsCall(node)) calls.push_back(node);
        else if (node->Op->Func != separator) ++steps;
        if (const TBoundSite* site = BoundSite(node)) pending.push_back(site->Body);
        pending.push_back(node->Left);
        pending.push_back(node->Right);
    }
}

} // namespace

std::string NotebookCycleMessage(const std::vector<int>& lines)
{
    std::string message = "La definición de la línea " + std::to_string(lines.empty() ? 0 : lines[0]) +
                          " del cuaderno se usa a sí misma";
    if (lines.size() < 2) return message;
    message += lines.size() == 2 ? " a través de la línea " : " a través de las líneas ";
    for (std::size_t k = 1; k < lines.size(); ++k) {
        if (k > 1) message += k + 1 == lines.size() ? " y " : ", ";
        message += std::to_string(lines[k]);
    }
    return message;
}

bool ReadsValue(const TParseNode* root, const TVariableEntry* variable)
{
    std::vector<const TParseNode*> pending{root};
    std::unordered_map<const TFunctionDefinition*, bool> seen;
    while (!pending.empty()) {
        const TParseNode* node = pending.back();
        pending.pop_back();
        if (node == nullptr) continue;
        if (node->Kind == 0) {
            if (node->Variable == variable) return true;
            continue;
        }
        if (IsCall(node) && node->Op->Function->Body != nullptr && seen.emplace(node->Op->Function, true).second)
            pending.push_back(node->Op->Function->Body);
        if (const TBoundSite* site = BoundSite(node)) pending.push_back(site->Body);
        pending.push_back(node->Left);
        pending.push_back(node->Right);
    }
    return false;
}

std::string FunctionError(const TFunctionDefinition& f)
{
    std::string message;
    for (const TFunctionDefinition* g = &f; g != nullptr; g = g->ErrorIn) message += g->Error;
    return message;
}

std::vector<const TParseNode*> CallArguments(const TParseNode* call)
{
    std::vector<const TParseNode*> args;
    const TParseNode* list = call->Right;
    if (list == nullptr || !list->Present) return args;
    const TOperatorFunc separator = engine_detail::SeparatorComputation();
    while (list->Kind == 1 && list->Op->Func == separator) {
        args.push_back(list->Right);
        list = list->Left;
    }
    args.push_back(list);
    std::reverse(args.begin(), args.end());
    return args;
}

void CallSpan(const TParseNode* call, int32_t& position, int32_t& length)
{
    position = call->OpPos;
    length = call->Op->NameLength;
    if (call->RightLen > 0)
        length = std::max(length, call->RightPos + call->RightLen - call->OpPos);
}

const TFunctionDefinition* TMathParser::FindFunction(std::string_view name) const
{
    const int index = FindOperator(name);
    return index >= 0 ? FOperators[static_cast<std::size_t>(index)]->Function : nullptr;
}

// A call read after a prefix function ("sin f(1)") splits as the call with
// "sin" on its left, as "sin cos 1" does: the call becomes the operand that
// the function at the end of its left side lacks.  Returns the new root.
TParseNode* TMathParser::AttachCalls(TParseNode* root)
{
    std::vector<TParseNode**> pending{&root};
    while (!pending.empty()) {
        TParseNode** slot = pending.back();
        pending.pop_back();
        TParseNode* node = *slot;
        if (node == nullptr || node->Kind == 0) continue;
        if ((IsCall(node) || node->Op->Arguments > 0) && node->Left->Present) {
            TParseNode* end = node->Left;
            while (end->Kind == 1 && end->Right->Present) end = end->Right;
            if (end->Kind == 1 && (end->Op->Sides & 2) != 0) {
                TParseNode* empty = end->Right;
                end->Right = node;
                *slot = node->Left;
                node->Left = empty;
                CallSpan(node, end->RightPos, end->RightLen);
                pending.push_back(slot); // the left side, now over the call
                continue;
            }
        }
        pending.push_back(&node->Left);
        pending.push_back(&node->Right);
    }
    return root;
}

// Every call of the tree has as many arguments as its function has
// parameters, each written; a ";" stands only between arguments.  Outside
// a body, a call of a function that cannot be called fails with its error,
// and so does a tree too big with its calls expanded.
void TMathParser::CheckCalls(TParseNode* root, bool body)
{
    const TOperatorFunc separator = engine_detail::SeparatorComputation();
    std::vector<std::pair<const TParseNode*, bool>> pending{{root, false}}; // node, in an argument list
    std::size_t steps = 0;
    while (!pending.empty()) {
        const auto [node, listed] = pending.back();
        pending.pop_back();
        if (node == nullptr || node->Kind == 0) continue;
        if (node->Op->Func == separator) {
            if (!listed)
                FailWith(*this, error_code::kUnexpectedArgument, node->OpPos, 1,
                         "El «;» solo separa los argumentos de una función");
            if (!node->Left->Present || !node->Right->Present)
                FailWith(*this, error_code::kMissingArgument, node->OpPos, 1, "Falta un argumento junto al «;»");
            pending.push_back({node->Left, true});
            pending.push_back({node->Right, false});
            continue;
        }
        if (const TFunctionDefinition* f = node->Op->Function) {
            if (node->Left->Present) FailWith(*this, error_code::kUnexpectedArgument, node->LeftPos, node->LeftLen, "Argumento no previsto");
            std::vector<const TParseNode*> args = CallArguments(node);
            if (args.size() == 1 && !args[0]->Present) args.clear();
            int32_t position, length;
            CallSpan(node, position, length);
            if (args.size() != f->Parameters.size())
                FailWith(*this, args.size() < f->Parameters.size() ? error_code::kMissingArgument : error_code::kUnexpectedArgument,
                         position, length, CountMessage(*f));
            if (!body) {
                if (!f->Error.empty()) FailWith(*this, error_code::kInvalidArgument, position, length, FunctionError(*f));
                steps += f->Steps + 1;
            }
            pending.push_back({node->Right, true});
            continue;
        }
        ++steps;
        if (const TBoundSite* site = BoundSite(node)) pending.push_back({site->Body, false});
        pending.push_back({node->Left, false});
        pending.push_back({node->Right, false});
    }
    if (!body && !FFunctions.empty() && steps > kMaxSteps)
        FailWith(*this, error_code::kInvalidArgument, 1, 0, "La expresión es demasiado grande con sus funciones desarrolladas");
}

namespace {

// The span of the characters of an argument of a call: its separator's
// side (or the call's right side for a single argument).
struct TArgument {
    TParseNode* Node;
    int32_t Position, Length;
};

int32_t SpanEnd(const TArgument& a) { return a.Position + a.Length; }

// The characters [position, position + length) of `text` (1-based), blanks
// around them aside, are one group in parentheses.
bool Parenthesized(const std::u32string& text, int32_t position, int32_t length)
{
    auto first = static_cast<std::size_t>(std::max(position - 1, 0));
    auto last = std::min(static_cast<std::size_t>(std::max(position - 1 + length, 0)), text.size());
    while (first < last && text[first] == U' ') ++first;
    while (last > first && text[last - 1] == U' ') --last;
    if (last - first < 2 || text[first] != U'(') return false;
    int depth = 0;
    for (std::size_t i = first; i < last; ++i) {
        if (text[i] == U'(') ++depth;
        else if (text[i] == U')' && --depth == 0) return i + 1 == last;
    }
    return false;
}

} // namespace

void TMathParser::BindCatalogueCalls(TParseNode* root, const std::u32string& text)
{
    const TOperatorFunc separator = engine_detail::SeparatorComputation();
    std::vector<TParseNode*> pending{root};
    std::vector<TArgument> args;
    std::vector<TParseNode*> separators;
    while (!pending.empty()) {
        TParseNode* node = pending.back();
        pending.pop_back();
        if (node == nullptr || node->Kind == 0) continue;
        const TOperatorEntry* op = node->Op;
        if (op->Arguments == 0) {
            pending.push_back(node->Left);
            pending.push_back(node->Right);
            continue;
        }
        if (node->Left->Present) FailWith(*this, error_code::kUnexpectedArgument, node->LeftPos, node->LeftLen, "Argumento no previsto");
        // The arguments, last first, down the chain of separators.
        args.clear();
        separators.clear();
        TParseNode* list = node->Right;
        TArgument last{list, node->RightPos, node->RightLen};
        // Parentheses inside the call's own make one argument of a list:
        // "comb((5;2))", "binomial((2;10);0.5)".
        const auto grouped = [&](int32_t position, int32_t length) {
            if (!Parenthesized(text, position, length)) return;
            FailWith(*this, error_code::kUnexpectedArgument, position, length,
                     std::string("Los argumentos no van entre paréntesis propios: escriba ") + op->Signature);
        };
        if (list->Present && list->Kind == 1 && list->Op->Func == separator && Parenthesized(text, node->RightPos, node->RightLen))
            grouped(node->RightPos + 1, node->RightLen - 2);
        while (list->Present && list->Kind == 1 && list->Op->Func == separator) {
            if (list->Left->Kind == 1 && list->Left->Op->Func == separator) grouped(list->LeftPos, list->LeftLen);
            if (!list->Left->Present || !list->Right->Present)
                FailWith(*this, error_code::kMissingArgument, list->OpPos, 1, "Falta un argumento junto al «;»");
            separators.push_back(list);
            args.push_back({list->Right, list->RightPos, list->RightLen});
            last = {list->Left, list->LeftPos, list->LeftLen};
            list = list->Left;
        }
        if (list->Present) args.push_back(last);
        std::reverse(args.begin(), args.end());
        if (args.size() != op->Arguments) {
            int32_t position, length;
            CallSpan(node, position, length);
            FailWith(*this, args.size() < op->Arguments ? error_code::kMissingArgument : error_code::kUnexpectedArgument,
                     position, length,
                     "La función " + op->Name + " necesita " + std::to_string(op->Arguments) +
                         " argumentos, separados por «;»: " + op->Signature);
        }
        FreeNode(node->Left); // the empty left side
        const auto place = [](TParseNode* n, const TOperatorEntry* entry, const TArgument& l, const TArgument& r) {
            n->Op = const_cast<TOperatorEntry*>(entry);
            n->Left = l.Node;
            n->Right = r.Node;
            n->LeftPos = l.Position;
            n->LeftLen = l.Length;
            n->RightPos = r.Position;
            n->RightLen = r.Length;
            n->Present = 1;
        };
        if (op->Arguments == 2) {
            place(node, op->Calculation, args[0], args[1]);
            FreeNode(separators[0]);
        } else {
            // The inner separator becomes the joining node, the outer one goes.
            TParseNode* joining = separators[1];
            FreeNode(separators[0]);
            joining->OpPos = node->OpPos;
            if (!op->JoinsRight) {
                place(joining, op->Joining, args[0], args[1]);
                place(node, op->Calculation, {joining, args[0].Position, SpanEnd(args[1]) - args[0].Position}, args[2]);
            } else {
                place(joining, op->Joining, args[0], args[2]);
                place(node, op->Calculation, args[1], {joining, args[0].Position, SpanEnd(args[2]) - args[0].Position});
            }
        }
        pending.push_back(node->Left);
        pending.push_back(node->Right);
    }
}

void TMathParser::DefineFunctions(const std::vector<TFunctionSource>& functions)
{
    if (functions.empty()) return;
    if (FindOperator(";") < 0) AddOperator(";", engine_detail::SeparatorComputation(), 3, -1, engine_detail::CatalogueRule(";"));
    const std::size_t first = FFunctions.size();
    for (const TFunctionSource& source : functions) {
        if (source.Name.empty() || source.Parameters.empty() || source.Parameters.size() > kMaxParameters) continue;
        // The first meaning of a name stays.
        if (FindOperator(source.Name) >= 0 || FindVariable(source.Name) >= 0) continue;
        TFunctionDefinition& f = FFunctions.emplace_back();
        f.Name = source.Name;
        f.Parameters = source.Parameters;
        f.BodyText = source.Body;
        f.Line = source.Line;
        AddOperator(source.Name, engine_detail::CallComputation(), 2, 4);
        FOwnOperators.back().Function = &f;
    }
    // The bodies, each with its parameters as the only meaning of their names.
    for (std::size_t i = first; i < FFunctions.size(); ++i) {
        TFunctionDefinition& f = FFunctions[i];
        std::vector<std::pair<int, int>> saved; // trie node, its named value before
        for (const std::string& parameter : f.Parameters) {
            const std::u32string lowered = utf8::LowerAscii(utf8::Decode(parameter));
            FVariables.push_back({utf8::Encode(lowered), 0});
            f.ParameterEntries.push_back(&FVariables.back());
            const int node = TrieInsert(lowered);
            saved.emplace_back(node, FTrie[static_cast<std::size_t>(node)].Variable);
            FTrie[static_cast<std::size_t>(node)].Variable = static_cast<int>(FVariables.size()) - 1;
        }
        FParsingBody = true;
        try {
            f.Body = Parse(f.BodyText);
        } catch (const EMathParserException& e) {
            f.Error = "en " + f.Name + ": " + e.ErrorMessage;
            f.BodyErrorCode = e.ErrorCode;
            f.BodyErrorPosition = e.ErrorPosition;
            f.BodyErrorLength = e.ErrorLength;
            if (e.ErrorCode == error_code::kUnknownValue) {
                const std::string name = LastNameIn(f.BodyText, e.ErrorPosition, e.ErrorLength);
                if (!name.empty()) f.Error += " «" + name + "»";
            }
        }
        FParsingBody = false;
        FCurrentTree = nullptr;
        FCurrentTreeNodes = 0;
        for (auto it = saved.rbegin(); it != saved.rend(); ++it) FTrie[static_cast<std::size_t>(it->first)].Variable = it->second;
        FLastConstantValue = nullptr;
        FLastConstantName.clear();
    }
    SetErrorCode(error_code::kNone);
    SetErrorPosition(-1);
    SetErrorLength(0);
    ResolveCalls(first);
}

// The new functions from `first` on: the cycles among them, the errors of
// the functions they call, and their expanded sizes.
void TMathParser::ResolveCalls(std::size_t first)
{
    const std::size_t n = FFunctions.size() - first;
    std::unordered_map<const TFunctionDefinition*, std::size_t> index;
    for (std::size_t i = 0; i < n; ++i) index[&FFunctions[first + i]] = i;
    std::vector<std::vector<const TParseNode*>> calls(n);
    std::vector<std::size_t> own(n, 0);
    for (std::size_t i = 0; i < n; ++i)
        if (FFunctions[first + i].Body != nullptr) Survey(FFunctions[first + i].Body, own[i], calls[i]);
    auto callee = [&](const TParseNode* call) -> std::ptrdiff_t {
        const auto it = index.find(call->Op->Function);
        return it == index.end() ? -1 : static_cast<std::ptrdiff_t>(it->second);
    };
    auto finish = [&](std::size_t i) {
        TFunctionDefinition& f = FFunctions[first + i];
        if (!f.Error.empty()) return;
        std::size_t steps = own[i];
        for (const TParseNode* call : calls[i]) {
            const TFunctionDefinition& g = *call->Op->Function;
            if (!g.Error.empty()) {
                // Only the words that lead on: a long chain keeps its message once.
                f.Error = "en " + f.Name + ": ";
                f.ErrorIn = &g;
                return;
            }
            steps = std::min(kMaxSteps + 1, steps + g.Steps + 1);
        }
        if (steps > kMaxSteps) f.Error = "en " + f.Name + ": la función es demasiado grande";
        f.Steps = steps;
    };
    std::vector<uint8_t> state(n, 0); // 0 not reached, 1 on the path, 2 done
    for (std::size_t root = 0; root < n; ++root) {
        if (state[root] != 0) continue;
        std::vector<std::pair<std::size_t, std::size_t>> path{{root, 0}}; // function, next call to follow
        state[root] = 1;
        while (!path.empty()) {
            const std::size_t v = path.back().first;
            const std::size_t k = path.back().second++;
            if (k == calls[v].size()) {
                finish(v);
                state[v] = 2;
                path.pop_back();
                continue;
            }
            const std::ptrdiff_t w = callee(calls[v][k]);
            if (w < 0 || state[static_cast<std::size_t>(w)] == 2) continue;
            if (state[static_cast<std::size_t>(w)] == 0) {
                state[static_cast<std::size_t>(w)] = 1;
                path.emplace_back(static_cast<std::size_t>(w), 0);
                continue;
            }
            // A cycle: from w on the path to v.
            std::vector<std::size_t> cycle;
            for (const auto& step : path)
                if (!cycle.empty() || step.first == static_cast<std::size_t>(w)) cycle.push_back(step.first);
            for (std::size_t m = 0; m < cycle.size(); ++m) {
                TFunctionDefinition& f = FFunctions[first + cycle[m]];
                if (!f.Error.empty()) continue;
                std::vector<int> lines;
                for (std::size_t j = 0; j < cycle.size(); ++j) lines.push_back(FFunctions[first + cycle[(m + j) % cycle.size()]].Line);
                f.Error = CycleMessage(f, lines);
            }
        }
    }
}

[[noreturn]] void engine_detail::FailWith(TMathParser& parser, uint8_t code, int32_t position, int32_t length,
                                        std::string message)
{
    parser.SetErrorCode(code);
    parser.SetErrorMessage(std::move(message));
    parser.SetErrorPosition(position);
    parser.SetErrorLength(length);
    throw EMathParserException(code, position, length, parser.ErrorMessage());
}
