// Reference parser: literal, recursive, quadratic. Test oracle only.
//
// Indices are 1-based throughout, as in the error positions the engine
// reports, so that each step reads the same way as the algorithm it mirrors.
#include "ReferenceParser.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <utility>
#include <vector>

namespace zref {
namespace {

using Text = std::u32string;

int Len(const Text& t) { return static_cast<int>(t.size()); }
char32_t At(const Text& t, int i) { return t[static_cast<size_t>(i - 1)]; }

// text[from..to], empty when to < from.
Text Sub(const Text& t, int from, int to) {
    if (to < from) return {};
    return t.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from + 1));
}

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
bool IsNumberChar(char32_t c) { return IsDigit(c) || c == U' ' || c == U'.' || c == U','; }
bool IsParen(char32_t c) { return c == U'(' || c == U')'; }
bool IsNameChar(char32_t c) { return !IsNumberChar(c) && !IsParen(c); }
bool IsLowCode(char32_t c) { return c <= 32; }

Text Lower(Text s) {
    for (char32_t& c : s)
        if (c >= U'A' && c <= U'Z') c = c - U'A' + U'a';
    return s;
}

// Blanks are spaces only.
int LeadingBlanks(const Text& t) {
    int n = 0;
    while (n < Len(t) && At(t, n + 1) == U' ') ++n;
    return n;
}

// Removes characters with code <= 32 at both ends.
Text Trimmed(const Text& t) {
    int from = 1, to = Len(t);
    while (from <= to && IsLowCode(At(t, from))) ++from;
    while (to >= from && IsLowCode(At(t, to))) --to;
    return Sub(t, from, to);
}

// Leading spaces only (counted and returned), trailing codes <= 32.
int StripEnds(Text& t) {
    int lead = 0;
    while (lead < Len(t) && At(t, lead + 1) == U' ') ++lead;
    t.erase(0, static_cast<size_t>(lead));
    while (!t.empty() && IsLowCode(t.back())) t.pop_back();
    return lead;
}

// [digits] ['.' [digits]] with at least one mantissa character, then an
// optional exponent e/E [+-] digits. Overflow of long double rejects.
bool ConvertsAsNumber(const Text& t) {
    const int n = Len(t);
    int i = 1, digits = 0;
    while (i <= n && IsDigit(At(t, i))) ++i, ++digits;
    if (i <= n && At(t, i) == U'.') {
        ++i;
        while (i <= n && IsDigit(At(t, i))) ++i, ++digits;
    }
    if (i == 1) return false;
    if (i <= n && (At(t, i) == U'e' || At(t, i) == U'E')) {
        ++i;
        if (i <= n && (At(t, i) == U'+' || At(t, i) == U'-')) ++i;
        const int expStart = i;
        while (i <= n && IsDigit(At(t, i))) ++i;
        if (i == expStart) return false;
    }
    if (i != n + 1) return false;
    if (digits == 0) return true;  // "." or ".e5": the value is 0

    const std::string ascii(t.begin(), t.end());  // validated: ASCII only
    errno = 0;
    char* endp = nullptr;
#ifdef _WIN32
    // MinGW has no strtold_l; the test programs never leave the C locale.
    const long double v = std::strtold(ascii.c_str(), &endp);
#else
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    const long double v = strtold_l(ascii.c_str(), &endp, cLocale);
#endif
    if (errno == ERANGE && std::isinf(v)) return false;
    return true;
}

bool IsLetter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || c == U'_' || c >= 0x80; }

// Scientific notation: at[i] is true for the "e" (and its sign) of a number
// such as "6.02E23": right after digits (with '.') that no letter comes
// before, and before digits that no letter comes after.
std::vector<bool> ExponentMarks(const Text& t) {
    const int n = Len(t);
    std::vector<bool> at(static_cast<size_t>(n) + 2, false);
    for (int i = 1; i <= n; ++i) {
        if (At(t, i) != U'e' && At(t, i) != U'E') continue;
        int m = i - 1;
        bool digits = false;
        while (m >= 1 && (IsDigit(At(t, m)) || At(t, m) == U'.')) {
            if (IsDigit(At(t, m))) digits = true;
            --m;
        }
        if (!digits || (m >= 1 && IsLetter(At(t, m)))) continue;
        int k = i + 1;
        if (k <= n && (At(t, k) == U'+' || At(t, k) == U'-')) ++k;
        if (k > n || !IsDigit(At(t, k))) continue;
        int end = k;
        while (end + 1 <= n && IsDigit(At(t, end + 1))) ++end;
        if (end + 1 <= n && IsLetter(At(t, end + 1))) continue;
        for (int j = i; j < k; ++j) at[static_cast<size_t>(j)] = true;
    }
    return at;
}

struct ParseError {
    int code;
    int position;
    int length;
};

struct Token {
    bool found;
    int start;
    int end;
};

class RefParser {
public:
    RefParser(const Names& names, std::vector<bool> exponents) : names_(names), exponents_(std::move(exponents)) {}

    std::string ParseSub(Text text, int base);

private:
    bool IsKnown(const Text& name) const {
        const Text l = Lower(name);
        return names_.findOperator(l).has_value() || names_.isVariable(l);
    }
    // `base` is the position of text's first character in the whole text.
    Token FindToken(const Text& text, int limit, int base) const;
    bool IsNameAt(const Text& text, int i, int base) const {
        return IsNameChar(At(text, i)) && !exponents_[static_cast<size_t>(base + i - 1)];
    }

    const Names& names_;
    std::vector<bool> exponents_; // by position in the whole text
};

// Last depth-0 token ending at or before limit, scanning leftwards.
Token RefParser::FindToken(const Text& text, int limit, int base) const {
    int end = 0, start = 0, depth = 0, candidate = 0;  // 0 = not set
    for (int i = limit; i >= 1; --i) {
        if (end != 0 && IsKnown(Sub(text, i + 1, end))) candidate = i + 1;
        const char32_t c = At(text, i);
        if (c == U')') {
            if (end != 0) {
                start = i + 1;
                break;
            }
            ++depth;
        } else if (c == U'(') {
            --depth;
        } else if (IsNameAt(text, i, base) && depth == 0) {
            if (end == 0) end = i;
        } else if (end != 0) {
            start = i + 1;
            break;
        }
    }
    if (end != 0 && start == 0) start = 1;
    if (start == 0) return {false, 0, 0};

    // Catalogue names ending in digits ("arctan2"): the digits are number
    // characters, so the run stops before them. Try a suffix of the run
    // followed by the digits that come right after it (a function of its
    // right operand only when no digit follows them); the longest letter
    // part wins, then the longest digit tail.
    int bestP = 0, bestK = 0;
    for (int k = 1; end + k <= limit && IsDigit(At(text, end + k)); ++k) {
        const bool moreDigits = end + k + 1 <= limit && IsDigit(At(text, end + k + 1));
        const Text tail = Sub(text, end + 1, end + k);
        for (int p = start; p <= end; ++p) {
            const std::optional<OpInfo> op = names_.findOperator(Lower(Sub(text, p, end)) + tail);
            if (!op || (moreDigits && !(op->sides & 1))) continue;
            if (bestK == 0 || p < bestP || (p == bestP && k > bestK)) {
                bestP = p;
                bestK = k;
            }
        }
    }
    if (bestK != 0) return {true, bestP, end + bestK};

    if (IsKnown(Sub(text, start, end))) return {true, start, end};
    if (candidate != 0) return {true, candidate, end};
    return {true, start, end};
}

std::string RefParser::ParseSub(Text text, int base) {
    int offset = StripEnds(text);

    while (!FindToken(text, Len(text), base + offset).found && !text.empty() && text.front() == U'(' &&
           text.back() == U')') {
        text = Sub(text, 2, Len(text) - 1);
        offset += StripEnds(text) + 1;
    }

    bool haveBest = false;
    int bestS = 0, bestE = 0, bestPriority = 32767;
    OpInfo bestOp{0, 0};
    int limit = Len(text);
    while (limit >= 1) {
        const Token tok = FindToken(text, limit, base + offset);
        if (!tok.found) break;
        const Text name = Lower(Sub(text, tok.start, tok.end));
        if (names_.isVariable(name)) {
            limit = tok.start - 1;
            continue;
        }
        const std::optional<OpInfo> op = names_.findOperator(name);
        if (!op) throw ParseError{1, base + offset + tok.start - 1, tok.end - tok.start + 1};
        if (op->priority < bestPriority) {
            haveBest = true;
            bestS = tok.start;
            bestE = tok.end;
            bestOp = *op;
            bestPriority = op->priority;
        }
        limit = tok.start - 1;
    }

    if (!haveBest) {
        if (text.empty()) return "_";
        if (names_.isVariable(Lower(text))) return "V:" + ToUtf8(Lower(text));
        const Text number = text;
        if (!ConvertsAsNumber(number)) throw ParseError{2, base + offset, Len(text)};
        return "N:" + ToUtf8(number);
    }

    const Text left = Sub(text, 1, bestS - 1);
    const Text right = Sub(text, bestE + 1, Len(text));
    const int leftLen = Len(Trimmed(left));
    const int rightLen = Len(Trimmed(right));
    const int opPos = base + offset + bestS - 1;
    const int leftPos = base + offset;
    const int rightPos = base + offset + bestE + LeadingBlanks(right);

    const bool takesLeft = (bestOp.sides & 1) != 0;
    const bool takesRight = (bestOp.sides & 2) != 0;
    const ParseError stray = takesLeft ? ParseError{4, rightPos, rightLen}
                                       : ParseError{4, leftPos, leftLen};
    if (leftLen > 0 && !takesLeft && !FindToken(left, Len(left), base + offset).found) throw stray;
    if (rightLen > 0 && !takesRight && !FindToken(right, Len(right), base + offset + bestE).found) throw stray;

    const std::string leftDump = ParseSub(left, base + offset);
    const std::string rightDump = ParseSub(right, base + offset + bestE);

    return "(" + ToUtf8(Lower(Sub(text, bestS, bestE))) + "@" + std::to_string(opPos) + " L" +
           std::to_string(leftPos) + "," + std::to_string(leftLen) + " R" +
           std::to_string(rightPos) + "," + std::to_string(rightLen) + " " + leftDump + " " +
           rightDump + ")";
}

}  // namespace

std::string ToUtf8(const std::u32string& s) {
    std::string out;
    for (char32_t c : s) {
        const auto u = static_cast<unsigned long>(c);
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else if (u < 0x10000) {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | ((u >> 18) & 0x07));
            out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

Outcome ParseAndDump(const std::u32string& text, const Names& names) {
    int depth = 0;
    for (int i = 1; i <= Len(text); ++i) {
        if (At(text, i) == U'(') ++depth;
        if (At(text, i) == U')') --depth;
        if (depth < 0) return {false, 5, i, 1, ""};
    }
    if (depth != 0) return {false, 6, Len(text) + 1, 0, ""};

    try {
        RefParser parser(names, ExponentMarks(text));
        return {true, 0, -1, 0, parser.ParseSub(text, 1)};
    } catch (const ParseError& e) {
        return {false, e.code, e.position, e.length, ""};
    }
}

}  // namespace zref
