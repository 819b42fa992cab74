// The expression engine: a catalogue of operators and functions, a store of
// named values, a parser that splits text at its lowest-priority top-level
// operator into a binary tree, and an evaluator working in 80-bit extended
// precision (long double on x86-64).
//
// Text is UTF-8 at this interface.  Positions and lengths reported by the
// engine count characters (code points), 1-based, in the text given to Parse.
#pragma once

#include "engine/Statistics.h"

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The computation of a catalogue entry.  Left and Right are the operand values
// (0 for an empty operand); SidesPresent is 1 when the left operand was
// written plus 2 when the right one was.  A non-zero Code reports an error;
// Message overrides the code's default text when non-empty; Blame says which
// span is at fault: 0 the operator, 1 the left operand, 2 the right operand.
using TOperatorFunc = long double (*)(long double Left, long double Right, uint8_t SidesPresent,
                                      uint8_t& Code, std::string& Message, uint8_t& Blame);

struct TFunctionDefinition;
struct TDerivativeRule; // how an entry is differentiated (engine/Derivative.h)

struct TOperatorEntry {
    std::string Name;  // lower-cased
    uint8_t Sides = 0; // 1 takes a left operand, 2 takes a right operand
    TOperatorFunc Func = nullptr;
    int8_t Priority = 0;
    int32_t NameLength = 0; // characters in Name
    // A function of the notebook: its node is a call, whose right operand
    // holds the arguments separated by ";".  Null for the catalogue.
    const TFunctionDefinition* Function = nullptr;
    // How a node of the entry is differentiated; null when it cannot be.
    const TDerivativeRule* Derivative = nullptr;
    // An entry called with its arguments in parentheses, separated by ";"
    // ("comb(n;k)"): how many, and the entries its call becomes when parsed.
    // With two, Calculation takes the first on its left and the second on
    // its right.  With three, Joining takes the first two and Calculation
    // that and the third; or, when JoinsRight, Joining takes the first and
    // the third and Calculation the second and that.
    uint8_t Arguments = 0;
    bool JoinsRight = false;
    const TOperatorEntry* Calculation = nullptr;
    const TOperatorEntry* Joining = nullptr;
    const char* Signature = nullptr; // as the call is written: "comb(n;k)"
    // For the entries a call becomes: the entry the call was written with.
    // Their names cannot be typed and are not looked up.
    const TOperatorEntry* CalledAs = nullptr;
    // An entry whose call binds a name in its first argument
    // ("suma(k^2; k; 1; 10)"): which one (TBoundKind), 0 for the others.
    uint8_t Bound = 0;
    // An entry whose call reads lists of the notebook ("media(t)",
    // "pendiente(x; y)"): which statistic (TListStatistic), 0 for the others.
    uint8_t ListStat = 0;
};

struct TVariableEntry {
    std::string Name; // lower-cased
    long double Value = 0;
    // A named value of the catalogue that a later one of the same name
    // replaces ("e"), where the first meaning of a name otherwise stays.
    bool Yields = false;
    // The name bound by a call such as "integral(x^2; x; 0; 1)" (TBoundSite).
    bool BoundName = false;
    // A list of the notebook ("t = 1.21; 1.25"), read only by the calls of
    // the statistics; null for a number.
    const TDataList* List = nullptr;
};

struct TParseNode {
    uint8_t Kind = 0; // 0 leaf, 1 operator node
    TParseNode* Left = nullptr;
    TParseNode* Right = nullptr;
    TOperatorEntry* Op = nullptr;
    long double Value = 0;
    TVariableEntry* Variable = nullptr;
    uint8_t Present = 0; // 1 when the node stands for non-empty text
    uint8_t Scratch = 0; // free for the engine's own passes over a tree (0 between them)
    int32_t OpPos = 0;
    int32_t LeftPos = 0;
    int32_t LeftLen = 0;
    int32_t RightPos = 0;
    int32_t RightLen = 0;
};

// The calls that bind a name in the expression they are given.
enum TBoundKind : uint8_t { kBoundNone, kBoundDeriv, kBoundIntegral, kBoundSum, kBoundProduct, kBoundSolve };

// The name a call such as "integral(x^2; x; 0; 1)" binds, with the
// expression it is bound in.  The call's node holds its site in Variable;
// the node's Left and Right are the call's other arguments (x0 of deriv,
// a and b of the others), an empty leaf where there is none.  The site's
// Value is never read: the expression is evaluated with the name's values
// given to it.
struct TBoundSite : TVariableEntry {
    std::string Written;        // the name as written
    TParseNode* Body = nullptr; // resolver: the equation, its "=" a difference
    // deriv: the derivative of Body by the name, with sin, cos and tan in
    // radians [0] and in degrees [1].
    TParseNode* Slope[2] = {nullptr, nullptr};
    const TParseNode* Owner = nullptr; // the call's node (a copy of it does not own the site)
};

// The site of a node that binds a name, else null.
inline const TBoundSite* BoundSite(const TParseNode* node)
{
    return node != nullptr && node->Kind == 1 && node->Op != nullptr && node->Op->Bound != kBoundNone
               ? static_cast<const TBoundSite*>(node->Variable)
               : nullptr;
}

// A function defined as name(p1;p2;...)=body: its body is a tree parsed in
// the parser that defines it, in which each parameter is a leaf of its own
// named value (ParameterEntries, never given a value: a call reads its
// arguments instead).
struct TFunctionDefinition {
    std::string Name;                    // as written
    std::vector<std::string> Parameters; // as written
    std::string BodyText;
    int Line = 0;                        // where it was defined (1 for the first line), 0 if nowhere
    TParseNode* Body = nullptr;          // null when the body did not parse
    std::vector<const TVariableEntry*> ParameterEntries;
    // Why a call cannot be made, empty when it can: the whole message, or,
    // where the reason lies in a function it calls (ErrorIn), the words
    // that lead to it ("en f: "); FunctionError writes the whole message.
    std::string Error;
    const TFunctionDefinition* ErrorIn = nullptr;
    // When the body did not parse: the engine's error in BodyText (code,
    // 1-based position and length in characters), 0 otherwise.
    uint8_t BodyErrorCode = 0;
    int32_t BodyErrorPosition = -1;
    int32_t BodyErrorLength = 0;
    std::size_t Steps = 0;  // operator steps of the body with its calls expanded
    // A derivative of another function (named after it with a prime), made
    // by the engine: the function it derives from, else null.
    const TFunctionDefinition* Origin = nullptr;
};

// Whether evaluating `root` reads the named value `variable`, in the tree
// itself or in the bodies of the notebook functions it calls.
bool ReadsValue(const TParseNode* root, const TVariableEntry* variable);

// Why a call of `f` cannot be made ("en f: en g: División por cero"), empty
// when it can.
std::string FunctionError(const TFunctionDefinition& f);

// What DefineFunctions reads: a name, 1 to kMaxParameters parameter names,
// the body's text and its line.
struct TFunctionSource {
    std::string Name;
    std::vector<std::string> Parameters;
    std::string Body;
    int Line = 0;
};

// True for a node that calls a function of the notebook.
inline bool IsCall(const TParseNode* node)
{
    return node != nullptr && node->Kind == 1 && node->Op != nullptr && node->Op->Function != nullptr;
}
// The argument trees of a call, first to last (none for an empty "()").
std::vector<const TParseNode*> CallArguments(const TParseNode* call);
// The characters of the text that a call spans: its name to its ")".
void CallSpan(const TParseNode* call, int32_t& position, int32_t& length);

// The message for notebook definitions that use each other in a cycle:
// lines[0] is the line of the first, the others those of the definitions
// it goes through, in the order they use each other.
std::string NotebookCycleMessage(const std::vector<int>& lines);

// The one exception of the engine.  what() stays empty; handlers read the
// four fields.
class EMathParserException : public std::exception {
public:
    EMathParserException(uint8_t code, int32_t position, int32_t length, std::string message)
        : ErrorCode(code), ErrorPosition(position), ErrorLength(length), ErrorMessage(std::move(message)) {}
    const char* what() const noexcept override { return ""; }

    uint8_t ErrorCode;
    int32_t ErrorPosition;
    int32_t ErrorLength;
    std::string ErrorMessage;
};

// The angle unit read by "sin", "cos" and "tan" at every evaluation.  The
// application installs a query returning true for degrees; with none
// installed (or an empty one) the unit is degrees.
void SetAngleUnitQuery(std::function<bool()> inDegrees);
bool AngleUnitIsDegrees();
// While it lives, the angle unit on this thread is `degrees`, whatever the
// query says: a calculation away from the window's thread never asks it.
class TThreadAngleUnit {
public:
    explicit TThreadAngleUnit(bool degrees);
    ~TThreadAngleUnit();
    TThreadAngleUnit(const TThreadAngleUnit&) = delete;
    TThreadAngleUnit& operator=(const TThreadAngleUnit&) = delete;

private:
    int FSaved;
};

namespace engine_detail {
class TProgram;
struct TScratch;
class TDerivativeBuilder;
struct TDerivedFunctions;
} // namespace engine_detail

// Evaluation of a tree for many values of one named value, on any thread.
// A sampler holds the tree's compiled program, shared and read-only, and
// buffers of its own, so copies of one sampler may run at once on different
// threads.  The other named values are read where they live: nothing may
// change them, nor free the tree or its parser, while a sampler made from
// them is used.  The angle unit of sin, cos and tan is fixed when the
// sampler is made; the application's query is not asked.
class TSampler {
public:
    TSampler(const TSampler& other); // shares the program, not the buffers
    TSampler(TSampler&& other) noexcept;
    TSampler& operator=(const TSampler&) = delete;
    ~TSampler();

    // results[i] and ok[i] are exactly the value and the success of an
    // evaluation with the named value at xs[i] (0 for a failed sample);
    // neither the named value nor the parser's error state changes.
    // `results` must not overlap `xs`.
    void Evaluate(const long double* xs, std::size_t count, long double* results, bool* ok);
    // One value: y and the success as Evaluate gives them for x.
    bool Evaluate(long double x, long double& y);
    // The tree draws random numbers: its samples must be evaluated on one
    // thread and in order.
    bool DrawsRandomNumbers() const;
    // The operator steps of a value, its calls expanded (what it costs).
    std::size_t Steps() const;

private:
    friend class TMathParser;
    friend class TExpression;
    TSampler(std::shared_ptr<const engine_detail::TProgram> program, bool degrees);
    std::shared_ptr<const void> FOwner; // what keeps the tree alive, when anything does
    std::shared_ptr<const engine_detail::TProgram> FProgram; // null: an empty tree
    std::unique_ptr<engine_detail::TScratch> FScratch;
    bool FDegrees;
};

class TBoundScan; // the calls that bind a name in a text being parsed

class TMathParser {
public:
    TMathParser();
    ~TMathParser();
    TMathParser(const TMathParser&) = delete;
    TMathParser& operator=(const TMathParser&) = delete;

    void AddOperator(std::string_view name, TOperatorFunc func, uint8_t sides, int8_t priority);
    // The same with the rule by which a node of the entry is differentiated.
    void AddOperator(std::string_view name, TOperatorFunc func, uint8_t sides, int8_t priority,
                     const TDerivativeRule* rule);
    void DefineVariable(std::string_view name, long double value);
    // Throws std::runtime_error when no named value has that name.
    void SetConstant(std::string_view name, long double value);
    int FindOperator(std::string_view name) const;
    int FindVariable(std::string_view name) const;

    // Builds a tree the caller owns; throws EMathParserException on a syntax error.
    TParseNode* Parse(std::string_view text);
    // Throws EMathParserException on any error; a null tree gives 0.
    long double Evaluate(TParseNode* root);
    // The same evaluation without throwing: false on error, with the error
    // state set exactly as Evaluate sets it before raising.
    bool TryEvaluate(TParseNode* root, long double& value);
    // Evaluates `root` for each of `count` values of the named value `name`:
    // results[i] and ok[i] are exactly the value and the success that
    // SetConstant(name, xs[i]) followed by TryEvaluate(root) give (0 for a
    // failed sample).  Afterwards the named value holds the last of xs; the
    // error state is left as it was.  `results` must not overlap `xs`.
    // Throws std::runtime_error as
    // SetConstant does when no named value has that name.
    void EvaluateBatch(TParseNode* root, std::string_view name, const long double* xs, std::size_t count,
                       long double* results, bool* ok);
    // The operator steps of `root`'s compiled program, its calls expanded.
    std::size_t CompiledSteps(TParseNode* root);
    // True when evaluating `root` draws random numbers ("random"), so that
    // two evaluations may differ.
    bool DrawsRandomNumbers(TParseNode* root);
    // A sampler of `root` over the named value `name`, with sin, cos and tan
    // in degrees when `degrees`, for evaluation on other threads.  Throws
    // std::runtime_error as SetConstant does when there is no such name.
    TSampler Sampler(TParseNode* root, std::string_view name, bool degrees);
    std::string TreeToText(const TParseNode* root) const;
    void FreeTree(TParseNode* node) noexcept;
    void FreeCurrentTree() noexcept;

    void RegisterOperators();
    void RegisterFunctions();
    void RegisterAngleConversions();
    // Combinatorics, probability, rounding, log10 and the number e; every
    // parser starts with it after the two groups above.
    void RegisterExamFunctions();
    // deriv, integral, suma, producto and resolver, whose first argument is
    // an expression in a name they bind; every parser starts with them.
    void RegisterBoundFunctions();
    // The statistics of lists: cuenta, total, media, mediana, desv, desvp,
    // varianza, minimo, maximo, errormedia, and pendiente, ordenada and
    // correlacion of two lists; every parser starts with them.
    void RegisterListFunctions();
    // A list of the notebook under its name: a named value that only the
    // statistics read ("media(t)"); a statistic of a list is worked out when
    // its call is parsed, and any other use of the list is an error there.
    void DefineList(TDataList list);

    // Functions of the notebook.  Each name becomes a function, called as
    // name(a1;a2;...), unless it is already a catalogue name or function;
    // the bodies are parsed in this parser, where they may use the named
    // values defined before, the parameters and the other functions.  A
    // definition that cannot be called (its body does not parse, it uses
    // itself, directly or through others, or it is too big) keeps its error,
    // and parsing a call of it fails with that error on the call.  Defining
    // functions adds the separator ";" to the catalogue.
    static constexpr std::size_t kMaxParameters = 6;
    void DefineFunctions(const std::vector<TFunctionSource>& functions);
    int FunctionCount() const { return static_cast<int>(FFunctions.size()); }
    const TFunctionDefinition& Function(int index) const { return FFunctions[static_cast<std::size_t>(index)]; }
    const TFunctionDefinition* FindFunction(std::string_view name) const;

    uint8_t ErrorCode() const { return FErrorCode; }
    const std::string& ErrorMessage() const { return FErrorMessage; }
    int32_t ErrorPosition() const { return FErrorPosition; }
    int32_t ErrorLength() const { return FErrorLength; }
    void SetErrorCode(uint8_t code);
    void SetErrorMessage(std::string message) { FErrorMessage = std::move(message); }
    void SetErrorPosition(int32_t position) { FErrorPosition = position; }
    void SetErrorLength(int32_t length) { FErrorLength = length; }

    TParseNode* CurrentTree() const { return FCurrentTree; }
    int OperatorCount() const { return static_cast<int>(FOperators.size()); }
    const TOperatorEntry& Operator(int index) const { return *FOperators[static_cast<std::size_t>(index)]; }
    int VariableCount() const { return static_cast<int>(FVariables.size()); }
    const TVariableEntry& Variable(int index) const { return FVariables[index]; }

private:
    friend class TParseRun;
    friend class TBoundScan;
    friend class TFunctionBuilder;
    friend class engine_detail::TDerivativeBuilder;
    struct BareTag {};
    explicit TMathParser(BareTag); // empty lists

    // Names live in a trie keyed by their lower-cased characters read from
    // the last one backwards, so that the longest known name ending at a
    // position of the text is found in one walk.
    struct TrieNode {
        char32_t Ch = 0;
        int FirstChild = -1;
        int NextSibling = -1;
        int Operator = -1; // first catalogue entry of this name
        int Variable = -1; // first named value of this name
    };
    int TrieChild(int node, char32_t ch) const;
    int TrieInsert(const std::u32string& lowered);
    int TrieFind(const std::u32string& lowered) const;

    // The catalogue names ending in digits ("arctan2", a notebook's "v2"),
    // by their letters and their digits (key: letters, U+0001, digits).
    struct DigitTailNames {
        std::unordered_map<std::u32string, int> Nodes;
        int MaxLetters = 0, MaxDigits = 0;
    };

    [[noreturn]] void Fail(uint8_t code, int32_t position, int32_t length);
    // An entry that only parsed calls of `written` use: in the catalogue's
    // list, not among its names.
    TOperatorEntry* AddUnnamedOperator(std::string_view name, TOperatorFunc func, const TDerivativeRule* rule,
                                       const TOperatorEntry* written);
    // Makes each call of a catalogue entry with arguments ("comb(10;3)")
    // into the nodes of its calculation; throws on a wrong call.
    void BindCatalogueCalls(TParseNode* root, const std::u32string& text);
    // Makes each call that binds a name into its node and site (the scan
    // made the names known while parsing); throws on a wrong call.
    void BindBoundCalls(TParseNode*& root, TBoundScan& scan);
    // Works out each statistic of lists in the tree into its list's leaf;
    // throws on a list used anywhere else, or a statistic that has none.
    void BindListCalls(TParseNode* root, const std::u32string& text);
    std::deque<TDataList> FLists;
    // The sites of the trees alive; each goes with its call's node.
    std::vector<TBoundSite*> FSites;
    void FreeSite(const TBoundSite* site) noexcept;
    bool IsLiveSite(const TBoundSite* site) const noexcept;

    // The catalogue in order.  The standard groups that every parser starts
    // with are shared, read-only entries; entries added later are owned here.
    std::vector<TOperatorEntry*> FOperators;
    std::deque<TOperatorEntry> FOwnOperators;
    std::deque<TVariableEntry> FVariables;
    uint8_t FErrorCode = 0;
    int32_t FErrorPosition = -1;
    int32_t FErrorLength = 0;
    std::string FErrorMessage;
    TParseNode* FCurrentTree = nullptr;

    std::vector<TrieNode> FTrie;
    int FTrieRootAscii[128];
    std::shared_ptr<DigitTailNames> FDigitTailNames; // shared with other parsers until changed

    // Nodes come from slabs the parser owns (trees never outlive their
    // parser); freed nodes wait on a list for reuse.
    TParseNode* NewNode();
    std::vector<TParseNode*> FSlabs; // each of kSlabNodes nodes
    std::size_t FSlabIndex = 0;      // the slab being filled
    std::size_t FSlabFill = 0;       // nodes used in it
    TParseNode* FFreeNodes = nullptr;
    std::size_t FLiveNodes = 0;       // handed out and not freed
    std::size_t FCurrentTreeNodes = 0; // nodes of the current tree

    // The evaluator runs the compiled form of a tree, made at its first
    // evaluation and kept until a tree is freed or another one evaluated.
    engine_detail::TProgram& Program(const TParseNode* root);
    std::unique_ptr<engine_detail::TProgram> FProgram;
    std::unique_ptr<engine_detail::TScratch> FScratch;

    // Functions of the notebook, and the checks of the calls in a tree.
    std::deque<TFunctionDefinition> FFunctions;
    TParseNode* AttachCalls(TParseNode* root);
    void CheckCalls(TParseNode* root, bool body);
    void ResolveCalls(std::size_t first);
    bool FParsingBody = false;

    // What derivatives add: the named values their bindings read, and the
    // derivative functions of the notebook's functions (Derivative.cpp).
    void FreeNode(TParseNode* node) noexcept; // one node, not its children
    std::deque<TVariableEntry> FBindings;
    std::unique_ptr<engine_detail::TDerivedFunctions> FDerived;

    // The last name SetConstant looked up, and its entry.
    std::string FLastConstantName;
    long double* FLastConstantValue = nullptr;
};

// In the header: the parser's scan calls it for every character of a name.
inline int TMathParser::TrieChild(int node, char32_t ch) const
{
    if (node == 0 && ch < 128) return FTrieRootAscii[ch];
    for (int c = FTrie[node].FirstChild; c >= 0; c = FTrie[c].NextSibling)
        if (FTrie[c].Ch == ch) return c;
    return -1;
}
