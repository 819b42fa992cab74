#include "engine/MathParser.h"
#include "engine/BoundScan.h"
#include "engine/ErrorCodes.h"

#include "engine/NumberFormat.h"
#include "engine/Computations.h"
#include "engine/DerivedFunctions.h"
#include "engine/PerThread.h"
#include "engine/Program.h"
#include "engine/Recycled.h"
#include "engine/Utf8.h"

#include <cerrno>
#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <new>
#include <stdexcept>

namespace {

constexpr std::size_t kSlabNodes = 4096;

using engine_detail::kRecycledSlabsMax;
using engine_detail::Recycled;
using engine_detail::RecycledStore;

TParseNode* AllocateSlab()
{
    Recycled& r = RecycledStore();
    if (!r.Slabs.empty()) {
        TParseNode* slab = r.Slabs.back();
        r.Slabs.pop_back();
        return slab;
    }
    return static_cast<TParseNode*>(::operator new[](kSlabNodes * sizeof(TParseNode)));
}

} // namespace

// ---------------------------------------------------------------------------
// Life cycle and error state

TMathParser::TMathParser(BareTag)
{
    FTrie.emplace_back();
    for (int& slot : FTrieRootAscii) slot = -1;
}

TMathParser::TMathParser() : TMathParser(BareTag{})
{
    // Every calculation creates a parser: the standard groups are registered
    // once into a prototype whose lists are then copied, which gives the
    // same entries in the same order.
    static const TMathParser& prototype = *[] {
        auto* p = new TMathParser(BareTag{}); // lives as long as the process
        p->RegisterFunctions();
        p->RegisterOperators();
        p->RegisterExamFunctions();
        p->RegisterBoundFunctions();
        p->RegisterListFunctions();
        return p;
    }();
    FOperators = prototype.FOperators;
    FVariables = prototype.FVariables;
    FTrie = prototype.FTrie;
    std::copy(std::begin(prototype.FTrieRootAscii), std::end(prototype.FTrieRootAscii), std::begin(FTrieRootAscii));
    FDigitTailNames = prototype.FDigitTailNames;
}

TMathParser::~TMathParser()
{
    for (TBoundSite* site : FSites) delete site;
    Recycled& r = RecycledStore();
    // The program and buffers that hold the most are kept.
    if (FProgram && (!r.Program || FProgram->Steps.capacity() > r.Program->Steps.capacity())) {
        FProgram->Root = nullptr;
        FProgram->Result = FProgram->Sampled = nullptr;
        r.Program = std::move(FProgram);
    }
    if (FScratch && (!r.Scratch || FScratch->Blocks.capacity() > r.Scratch->Blocks.capacity()))
        r.Scratch = std::move(FScratch);
    for (TParseNode* slab : FSlabs) {
        if (r.Slabs.size() < kRecycledSlabsMax) r.Slabs.push_back(slab);
        else ::operator delete[](slab);
    }
}

void TMathParser::SetErrorCode(uint8_t code)
{
    static const char* const kTexts[] = {"",
                                         "Valor desconocido",
                                         "Argumento invalido",
                                         "Falta argumento",
                                         "Argumento no previsto",
                                         "No se ha cerrado el paréntesis",
                                         "Debe cerrarse el paréntesis",
                                         "División por cero"};
    FErrorCode = code;
    if (code <= error_code::kLastWithText) FErrorMessage = kTexts[code];
}

void TMathParser::Fail(uint8_t code, int32_t position, int32_t length)
{
    SetErrorCode(code);
    SetErrorPosition(position);
    SetErrorLength(length);
    throw EMathParserException(FErrorCode, FErrorPosition, FErrorLength, FErrorMessage);
}


TParseNode* TMathParser::NewNode()
{
    ++FLiveNodes;
    TParseNode* node;
    if (FFreeNodes != nullptr) {
        node = FFreeNodes;
        FFreeNodes = node->Left;
    } else {
        if (FSlabs.empty() || FSlabFill == kSlabNodes) {
            if (!FSlabs.empty()) ++FSlabIndex;
            if (FSlabIndex == FSlabs.size()) FSlabs.push_back(AllocateSlab());
            FSlabFill = 0;
        }
        node = FSlabs[FSlabIndex] + FSlabFill++;
    }
    return new (node) TParseNode{};
}

void TMathParser::FreeTree(TParseNode* node) noexcept
{
    if (node == nullptr) return;
    if (FProgram) FProgram->Root = nullptr;
    if (node == FCurrentTree) {
        FCurrentTree = nullptr;
        if (FLiveNodes == FCurrentTreeNodes) {
            // The current tree holds every node handed out: start the slabs
            // afresh instead of visiting each node.
            FLiveNodes = FCurrentTreeNodes = 0;
            FFreeNodes = nullptr;
            FSlabIndex = FSlabFill = 0;
            for (TBoundSite* site : FSites) delete site;
            FSites.clear();
            return;
        }
    }
    // Deletes without recursion and without extra memory: rotate every left
    // child up until a node has none, then delete it and go right.  The
    // expressions of calls that bind a name go after.
    std::vector<const TBoundSite*> sites;
    while (node != nullptr) {
        if (node->Left != nullptr) {
            TParseNode* left = node->Left;
            node->Left = left->Right;
            left->Right = node;
            node = left;
        } else {
            TParseNode* right = node->Right;
            if (const TBoundSite* site = BoundSite(node); site != nullptr && IsLiveSite(site) && site->Owner == node)
                sites.push_back(site);
            node->Left = FFreeNodes;
            FFreeNodes = node;
            --FLiveNodes;
            node = right;
        }
    }
    for (const TBoundSite* site : sites) FreeSite(site);
}

void TMathParser::FreeNode(TParseNode* node) noexcept
{
    if (FProgram) FProgram->Root = nullptr;
    node->Left = FFreeNodes;
    FFreeNodes = node;
    --FLiveNodes;
}

void TMathParser::FreeCurrentTree() noexcept
{
    FreeTree(FCurrentTree);
}

// ---------------------------------------------------------------------------
// Parsing
//
// A text is split at the top-level operator token of lowest priority (the
// rightmost of equal ones), and each side is parsed the same way.  Tokens
// are found by scanning a level right to left: the run of name characters
// at depth 0 nearest to the scan limit, of which the whole run is the token
// when it is a known name, else its longest known suffix, else (unknown) the
// whole run.
//
// To stay near-linear on long texts, each level's chain of tokens is found
// once, with constant-time steps over precomputed tables, and the splits of
// the level form the Cartesian tree of its operator tokens by (priority,
// rightmost first).  A side of a split holds exactly the tokens of the level
// on that side, so its own split is its subtree's root.  Nothing recurses on
// the call stack: pending sides wait on an explicit work list.

namespace {

enum : uint8_t { kNumberChar, kOpenParen, kCloseParen, kNameChar };

inline uint8_t ClassOf(char32_t ch)
{
    if ((ch >= U'0' && ch <= U'9') || ch == U' ' || ch == U'.' || ch == U',') return kNumberChar;
    if (ch == U'(') return kOpenParen;
    if (ch == U')') return kCloseParen;
    return kNameChar;
}

// Decimal number with "." as separator: [digits][.[digits]] (not empty),
// then an optional exponent e/E, sign, digits.  False when the text has any
// other form or the value overflows the extended range.
bool ConvertLeafNumber(const char32_t* text, std::size_t length, long double& value)
{
    // Short plain decimals are exact integers over exact powers of ten, so
    // one division rounds them correctly without the general conversion.
    {
        uint64_t mantissa = 0;
        int digits = 0, fraction = -1;
        std::size_t i = 0;
        for (; i < length; ++i) {
            const char32_t ch = text[i];
            if (ch >= U'0' && ch <= U'9') {
                if (digits == 19) break;
                if (mantissa != 0 || ch != U'0') ++digits;
                mantissa = mantissa * 10 + (ch - U'0');
                if (fraction >= 0) ++fraction;
            } else if (ch == U'.' && fraction < 0) {
                fraction = 0;
            } else {
                break;
            }
        }
        if (i == length && fraction <= 27) {
            static const long double kPowers[28] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                                                     1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
                                                     1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
            value = fraction > 0 ? static_cast<long double>(mantissa) / kPowers[fraction] : static_cast<long double>(mantissa);
            return true;
        }
    }
    std::string ascii;
    ascii.reserve(length + 1);
    std::size_t i = 0, mantissa = 0;
    while (i < length && text[i] >= U'0' && text[i] <= U'9') ascii.push_back(static_cast<char>(text[i++])), ++mantissa;
    if (i < length && text[i] == U'.') {
        ascii.push_back('.');
        ++i;
        ++mantissa;
        while (i < length && text[i] >= U'0' && text[i] <= U'9') ascii.push_back(static_cast<char>(text[i++]));
    }
    if (mantissa == 0) return false;
    if (i < length && (text[i] == U'e' || text[i] == U'E')) {
        ascii.push_back('e');
        ++i;
        if (i < length && (text[i] == U'+' || text[i] == U'-')) ascii.push_back(static_cast<char>(text[i++]));
        const std::size_t digitsStart = i;
        while (i < length && text[i] >= U'0' && text[i] <= U'9') ascii.push_back(static_cast<char>(text[i++]));
        if (i == digitsStart) return false;
    }
    if (i != length) return false;
    if (ascii == ".") {
        value = 0;
        return true;
    }
    if (ascii[0] == '.') ascii.insert(ascii.begin(), '0');
    return ParseDecimal(ascii, value);
}

} // namespace

class TParseRun {
public:
    TParseRun(TMathParser& parser, std::u32string text) : P(parser), T(std::move(text)), N(static_cast<int>(T.size())) {}

    TParseNode* Run();
    const std::u32string& Text() const { return T; }
    // The tree holds a call (of the notebook or the catalogue) or a ";".
    bool Calls = false;
    bool Bound = false; // it holds a call that binds a name
    bool Lists = false; // it holds a statistic of lists
    const TOperatorFunc Separator = engine_detail::SeparatorComputation();

private:
    // An operator token of a level, with its children in the level's
    // Cartesian tree (indices into Tokens).
    struct Token {
        int S, E;
        TOperatorEntry* Op;
        int LeftChild = -1, RightChild = -1;
    };
    struct Task {
        TParseNode* Node;
        int A, B;    // the side's text, 1-based inclusive (B < A when empty)
        bool Known;  // a side of a split, within a level already scanned
        int Token;   // its split in that level, -1 when the level has none there
    };

    char32_t At(int i) const { return T[static_cast<std::size_t>(i - 1)]; }
    void Precompute();
    void MarkExponents();
    bool FindToken(int a, int limit, int& s, int& e, int& trieNode) const;
    int BuildLevel(int a, int b); // the root token, or -1
    int RescanTrimmedSide(int subtree, int a, int b);
    void ParseSide(const Task& task);
    void Split(const Task& task, int a, int b);
    void Leaf(TParseNode* node, int a, int b);
    [[noreturn]] void FailUnknown(int s, int e) const;

    TMathParser& P;
    std::u32string T;
    int N;
    // Tables over the text, index 1..N; their storage is kept between parses.
    struct Tables {
        std::vector<uint8_t> Cls;  // class of each character
        std::vector<int> PrevName; // nearest name char at or before i at the same depth as i, 0 if none
        std::vector<int> RunStart; // first of the block of name chars (or of "(") that holds i
        std::vector<int> LastName; // scratch: last name char seen per depth
        std::vector<Token> Tokens; // the operator tokens of every level scanned
        std::vector<Task> Work;    // sides waiting to be parsed
        std::vector<int> Stack;    // scratch of BuildLevel
        std::vector<int> Spine;    // scratch of RescanTrimmedSide
        std::vector<int> Fresh;    // scratch of RescanTrimmedSide
    };
    static Tables& SharedTables()
    {
        return engine_detail::PerThread<Tables>();
    }
    Tables& Tab = SharedTables();
    std::vector<uint8_t>& Cls = Tab.Cls;
    std::vector<int>& PrevName = Tab.PrevName;
    std::vector<int>& RunStart = Tab.RunStart;
    std::vector<Token>& Tokens = Tab.Tokens;
    std::vector<Task>& Work = Tab.Work;
};

// Scientific notation: the "E" of "6.02E23", "1.6e-19" or "2.5E+3", with
// its sign, belongs to the number.  Only right after the digits of a number
// that does not continue a name ("x1e5" keeps its name "x"), and only before
// digits that no letter continues: "e3", "2e" and "1e5x" are read as before.
void TParseRun::MarkExponents()
{
    const auto digit = [this](int i) { return At(i) >= U'0' && At(i) <= U'9'; };
    const auto letter = [this](int i) {
        const char32_t c = At(i);
        return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || c == U'_' || c >= 0x80;
    };
    for (int i = 2; i < N; ++i) {
        if (At(i) != U'e' && At(i) != U'E') continue;
        int m = i - 1;
        bool digits = false;
        for (; m >= 1 && (digit(m) || At(m) == U'.'); --m) digits = digits || digit(m);
        if (!digits || (m >= 1 && letter(m))) continue;
        int k = i + 1;
        if (At(k) == U'+' || At(k) == U'-') ++k;
        if (k > N || !digit(k)) continue;
        int end = k;
        while (end < N && digit(end + 1)) ++end;
        if (end < N && letter(end + 1)) continue;
        for (int j = i; j < k; ++j) Cls[j] = kNumberChar;
    }
}

void TParseRun::Precompute()
{
    Cls.assign(static_cast<std::size_t>(N) + 1, kNumberChar);
    PrevName.assign(static_cast<std::size_t>(N) + 1, 0);
    RunStart.assign(static_cast<std::size_t>(N) + 1, 0);
    int g = 0, lo = 0, hi = 0;
    for (int i = 1; i <= N; ++i) {
        Cls[i] = ClassOf(At(i));
        g += Cls[i] == kOpenParen ? 1 : Cls[i] == kCloseParen ? -1 : 0;
        lo = std::min(lo, g);
        hi = std::max(hi, g);
    }
    MarkExponents();
    // Nesting value G(i): "(" adds one, ")" takes one, counted through i.  A
    // right-to-left scan from limit sees character i at depth 0 exactly when
    // G(i) equals G(limit).
    std::vector<int>& lastName = Tab.LastName;
    lastName.assign(static_cast<std::size_t>(hi - lo) + 1, 0);
    g = 0;
    for (int i = 1; i <= N; ++i) {
        g += Cls[i] == kOpenParen ? 1 : Cls[i] == kCloseParen ? -1 : 0;
        int& last = lastName[static_cast<std::size_t>(g - lo)];
        if (Cls[i] == kNameChar) last = i;
        PrevName[i] = last;
        RunStart[i] = (i > 1 && Cls[i] == Cls[i - 1] && (Cls[i] == kNameChar || Cls[i] == kOpenParen)) ? RunStart[i - 1] : i;
    }
}

// The token nearest to `limit` in the text starting at `a`: false when the
// level holds no name character at or before limit.  trieNode is the name's
// node when the token is a known name, else -1.
bool TParseRun::FindToken(int a, int limit, int& s, int& e, int& trieNode) const
{
    if (limit < a) return false;
    const int end = PrevName[limit];
    if (end < a) return false;
    // The run: the block of name characters, and the "(" characters right
    // before it, which a scan steps over (nothing else stops it then).
    int start = RunStart[end];
    if (start > a && Cls[start - 1] == kOpenParen) start = RunStart[start - 1];
    if (start < a) start = a;

    // A catalogue name ending in digits counts the digits right after it:
    // the one with the most letters, then the most digits; a function of its
    // right operand only when no digit follows them ("log1024" is "log" and
    // 1024, not "log10" and 24; "arctan21" stays "arctan2" and 1).
    if (P.FDigitTailNames && end < limit && Cls[end + 1] == kNumberChar && At(end + 1) >= U'0' && At(end + 1) <= U'9') {
        const TMathParser::DigitTailNames& names = *P.FDigitTailNames;
        int digitRun = 0;
        while (digitRun < names.MaxDigits && end + digitRun < limit && At(end + 1 + digitRun) >= U'0' &&
               At(end + 1 + digitRun) <= U'9')
            ++digitRun;
        std::u32string key;
        for (int letters = std::min(names.MaxLetters, end - start + 1); letters >= 1; --letters) {
            for (int digits = digitRun; digits >= 1; --digits) {
                key.clear();
                for (int k = end - letters + 1; k <= end; ++k) key += utf8::LowerAscii(At(k));
                key += U'\x01';
                for (int k = 1; k <= digits; ++k) key += At(end + k);
                const auto found = names.Nodes.find(key);
                if (found == names.Nodes.end()) continue;
                const int entry = P.FTrie[static_cast<std::size_t>(found->second)].Operator;
                if (entry >= 0 && !(P.FOperators[static_cast<std::size_t>(entry)]->Sides & 1) && end + digits < limit &&
                    At(end + digits + 1) >= U'0' && At(end + digits + 1) <= U'9')
                    continue;
                s = end - letters + 1;
                e = end + digits;
                trieNode = found->second;
                return true;
            }
        }
    }

    // Longest known suffix of the run, read backwards through the trie.
    int node = 0, known = 0, knownNode = -1;
    for (int i = end; i >= start; --i) {
        node = P.TrieChild(node, utf8::LowerAscii(At(i)));
        if (node < 0) break;
        const auto& tn = P.FTrie[static_cast<std::size_t>(node)];
        if (tn.Operator >= 0 || tn.Variable >= 0) {
            known = i;
            knownNode = node;
        }
    }
    e = end;
    if (knownNode >= 0) {
        s = known;
        trieNode = knownNode;
    } else {
        s = start;
        trieNode = -1;
    }
    return true;
}

// An unknown run of name characters [s..e]: the ";" that separates
// arguments is one of them, so the error goes on what follows the last
// ";" (the unknown argument), when something does.
void TParseRun::FailUnknown(int s, int e) const
{
    for (int i = e - 1; i >= s; --i)
        if (At(i) == U';') {
            s = i + 1;
            break;
        }
    P.Fail(error_code::kUnknownValue, s, e - s + 1);
}

// Scans the level of text [a..b] right to left and builds the Cartesian
// tree of its operator tokens.  An unknown name fails the parse.
int TParseRun::BuildLevel(int a, int b)
{
    const std::size_t first = Tokens.size();
    int limit = b, s, e, node;
    while (FindToken(a, limit, s, e, node)) {
        if (node < 0) FailUnknown(s, e);
        const auto& tn = P.FTrie[static_cast<std::size_t>(node)];
        if (tn.Variable < 0) {
            if (tn.Operator < 0) FailUnknown(s, e);
            Tokens.push_back({s, e, P.FOperators[static_cast<std::size_t>(tn.Operator)]});
        }
        limit = s - 1;
    }
    std::reverse(Tokens.begin() + static_cast<std::ptrdiff_t>(first), Tokens.end());
    // Root: the lowest priority, the rightmost among equals.
    std::vector<int>& stack = Tab.Stack;
    stack.clear();
    for (int i = static_cast<int>(first); i < static_cast<int>(Tokens.size()); ++i) {
        int last = -1;
        while (!stack.empty() && Tokens[stack.back()].Op->Priority >= Tokens[i].Op->Priority) {
            last = stack.back();
            stack.pop_back();
        }
        Tokens[i].LeftChild = last;
        if (!stack.empty()) Tokens[stack.back()].RightChild = i;
        stack.push_back(i);
    }
    return stack.empty() ? -1 : stack.front();
}

// A side of a split whose end lost name characters to trimming: its scan
// from the new end finds new tokens until it meets a token of the parent's
// scan, after which both scans agree.  The parent's tokens right of that
// point leave the side's Cartesian tree (rightmost first) and the new ones
// join it on its right, so the cost is that of the changed tokens only.
int TParseRun::RescanTrimmedSide(int subtree, int a, int b)
{
    std::vector<int>& spine = Tab.Spine; // the right spine, root first
    spine.clear();
    for (int n = subtree; n >= 0; n = Tokens[static_cast<std::size_t>(n)].RightChild) spine.push_back(n);
    auto removeRightmost = [&] {
        const int x = spine.back();
        spine.pop_back();
        const int child = Tokens[static_cast<std::size_t>(x)].LeftChild;
        if (!spine.empty()) Tokens[static_cast<std::size_t>(spine.back())].RightChild = child;
        for (int n = child; n >= 0; n = Tokens[static_cast<std::size_t>(n)].RightChild) spine.push_back(n);
    };
    std::vector<int>& fresh = Tab.Fresh; // new operator tokens, right to left
    fresh.clear();
    bool met = false;
    int limit = b, s, e, node;
    while (!met && FindToken(a, limit, s, e, node)) {
        if (node < 0) FailUnknown(s, e);
        const auto& tn = P.FTrie[static_cast<std::size_t>(node)];
        const bool named = tn.Variable >= 0;
        if (!named && tn.Operator < 0) FailUnknown(s, e);
        while (!spine.empty() && Tokens[static_cast<std::size_t>(spine.back())].S >= s) {
            const Token& t = Tokens[static_cast<std::size_t>(spine.back())];
            if (!named && t.S == s && t.E == e) {
                met = true;
                break;
            }
            removeRightmost();
        }
        if (met) break;
        if (!named) {
            fresh.push_back(static_cast<int>(Tokens.size()));
            Tokens.push_back({s, e, P.FOperators[static_cast<std::size_t>(tn.Operator)]});
        }
        limit = s - 1;
    }
    if (!met)
        while (!spine.empty()) removeRightmost();
    // The new tokens join on the right: lowest priority, rightmost of equals.
    for (auto it = fresh.rbegin(); it != fresh.rend(); ++it) {
        const int t = *it;
        int last = -1;
        while (!spine.empty() &&
               Tokens[static_cast<std::size_t>(spine.back())].Op->Priority >= Tokens[static_cast<std::size_t>(t)].Op->Priority) {
            last = spine.back();
            spine.pop_back();
        }
        Tokens[static_cast<std::size_t>(t)].LeftChild = last;
        Tokens[static_cast<std::size_t>(t)].RightChild = -1;
        if (!spine.empty()) Tokens[static_cast<std::size_t>(spine.back())].RightChild = t;
        spine.push_back(t);
    }
    return spine.empty() ? -1 : spine.front();
}

void TParseRun::ParseSide(const Task& task)
{
    int a = task.A, b = task.B;
    while (a <= b && At(a) == U' ') ++a;
    bool trimmedNameChar = false;
    while (b >= a && At(b) <= 32) {
        if (At(b) != U' ') trimmedNameChar = true;
        --b;
    }
    if (task.Known) {
        // Trimming a name character off the end changes the last tokens of
        // the scan; the side's tree is mended from its parent's.
        const int token = trimmedNameChar ? RescanTrimmedSide(task.Token, a, b) : task.Token;
        if (token >= 0) return Split({task.Node, a, b, true, token}, a, b);
        if (a <= b && PrevName[b] >= a) return Leaf(task.Node, a, b); // only named values here
    }
    // Unwrap parentheses around a text that holds no token.
    while (a <= b && PrevName[b] < a && At(a) == U'(' && At(b) == U')') {
        ++a;
        --b;
        while (a <= b && At(a) == U' ') ++a;
        while (b >= a && At(b) <= 32) --b;
    }
    if (a > b || PrevName[b] < a) return Leaf(task.Node, a, b);
    const int root = BuildLevel(a, b);
    if (root < 0) return Leaf(task.Node, a, b);
    Split({task.Node, a, b, true, root}, a, b);
}

void TParseRun::Split(const Task& task, int a, int b)
{
    const Token tok = Tokens[static_cast<std::size_t>(task.Token)];
    TOperatorEntry* op = tok.Op;
    // Trimmed sides (characters up to code 32 at both ends).
    int la = a, lb = tok.S - 1;
    while (la <= lb && At(la) <= 32) ++la;
    while (lb >= la && At(lb) <= 32) --lb;
    const int leftLen = lb - la + 1;
    // The right side starts after its leading blanks (spaces); its length
    // is that of the text trimmed of characters up to code 32.
    int ra = tok.E + 1;
    while (ra <= b && At(ra) == U' ') ++ra;
    int rt = ra;
    while (rt <= b && At(rt) <= 32) ++rt;
    const int rightLen = b >= rt ? b - rt + 1 : 0;

    // An operand on a side the operator does not take is an error unless
    // it holds a token of its own.
    const bool leftStray = leftLen > 0 && !(op->Sides & 1) && !(tok.S - 1 >= a && PrevName[tok.S - 1] >= a);
    const bool rightStray = !leftStray && rightLen > 0 && !(op->Sides & 2) && !(PrevName[b] >= tok.E + 1);
    if (leftStray || rightStray) {
        if (op->Sides & 1) P.Fail(error_code::kUnexpectedArgument, ra, rightLen);
        P.Fail(error_code::kUnexpectedArgument, a, leftLen);
    }

    TParseNode* node = task.Node;
    node->Kind = 1;
    node->Op = op;
    if (op->Arguments > 0 || op->Function != nullptr || op->Func == Separator || op->Bound) Calls = true;
    if (op->Bound) Bound = true;
    if (op->ListStat != 0) Lists = true;
    node->Present = 1;
    node->Variable = nullptr;
    node->OpPos = tok.S;
    node->LeftPos = a;
    node->LeftLen = leftLen;
    node->RightPos = ra;
    node->RightLen = rightLen;
    node->Left = P.NewNode();
    node->Right = P.NewNode();
    Work.push_back({node->Right, tok.E + 1, b, true, tok.RightChild});
    Work.push_back({node->Left, a, tok.S - 1, true, tok.LeftChild});
}

void TParseRun::Leaf(TParseNode* node, int a, int b)
{
    node->Kind = 0;
    if (a > b) {
        node->Present = 0;
        node->Value = 0;
        return;
    }
    // A named value, the whole text?
    int trieNode = 0;
    for (int i = b; i >= a && trieNode >= 0; --i) trieNode = P.TrieChild(trieNode, utf8::LowerAscii(At(i)));
    if (trieNode >= 0 && P.FTrie[static_cast<std::size_t>(trieNode)].Variable >= 0) {
        node->Variable = &P.FVariables[static_cast<std::size_t>(P.FTrie[static_cast<std::size_t>(trieNode)].Variable)];
        node->Present = 1;
        return;
    }
    long double value;
    if (!ConvertLeafNumber(T.data() + (a - 1), static_cast<std::size_t>(b - a + 1), value)) P.Fail(error_code::kInvalidArgument, a, b - a + 1);
    node->Value = value;
    node->Present = 1;
}

TParseNode* TParseRun::Run()
{
    // Parentheses must balance before anything else is looked at.
    int depth = 0;
    for (int i = 1; i <= N; ++i) {
        if (At(i) == U'(') ++depth;
        else if (At(i) == U')' && --depth < 0) P.Fail(error_code::kUnmatchedClosing, i, 1);
    }
    if (depth != 0) P.Fail(error_code::kMissingClosing, N + 1, 0);

    Precompute();
    TParseNode* root = P.NewNode();
    try {
        Tokens.clear();
        Work.clear();
        Work.push_back({root, 1, N, false, -1});
        while (!Work.empty()) {
            const Task task = Work.back();
            Work.pop_back();
            ParseSide(task);
        }
    } catch (...) {
        P.FreeTree(root);
        throw;
    }
    return root;
}

TParseNode* TMathParser::Parse(std::string_view text)
{
    SetErrorCode(error_code::kNone);
    SetErrorPosition(-1);
    TParseRun run(*this, utf8::Decode(text));
    TBoundScan scan(*this, run.Text()); // the names bound in the text are known while it lives
    const std::size_t before = FLiveNodes;
    TParseNode* root = run.Run();
    if (run.Calls) {
        try {
            root = AttachCalls(root);
            BindCatalogueCalls(root, run.Text());
            if (run.Bound) BindBoundCalls(root, scan);
            CheckCalls(root, FParsingBody);
            if (!FLists.empty() || run.Lists) BindListCalls(root, run.Text());
            if (run.Bound) BuildBoundSlopes(*this, scan);
        } catch (...) {
            FreeTree(root);
            throw;
        }
    }
    if ((!FLists.empty() || run.Lists) && !run.Calls) {
        try {
            BindListCalls(root, run.Text());
        } catch (...) {
            FreeTree(root);
            throw;
        }
    }
    FCurrentTree = root;
    FCurrentTreeNodes = FLiveNodes - before;
    return root;
}
