#include "calc/CalcCore.h"
#include "calc/NameText.h"

#include "analysis/Equations.h"
#include "engine/BoundCalls.h"
#include "engine/ErrorCodes.h"
#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "engine/Utf8.h"

#include <algorithm>
#include <cerrno>
#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <unordered_map>

namespace calc {
namespace {

inline bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

} // namespace

// The characters that continue a name: ASCII letters and digits, "_", and
// beyond ASCII the letters, combining marks and digits of the scripts, by
// their blocks (the few symbols inside those blocks excluded).
bool ContinuesName(char32_t c)
{
    if (c < 0x80) return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') || c == U'_';
    static constexpr char32_t kSymbols[] = {0xD7, 0xF7, 0x375, 0x37E, 0x384, 0x385, 0x387, 0x3F6, 0x482, 0x589, 0x5BE, 0x5C0,
                                            0x5C3, 0x5C6, 0x60C, 0x61B, 0x61F, 0x66A, 0x66B, 0x66C, 0x66D, 0x6D4, 0x964,
                                            0x965, 0x970, 0xE3F, 0xE4F, 0xE5A, 0xE5B, 0x30FB};
    for (char32_t symbol : kSymbols)
        if (c == symbol) return false;
    struct Range {
        char32_t First, Last;
    };
    static constexpr Range kNameRanges[] = {
        {0xAA, 0xAA},       {0xB5, 0xB5},       {0xBA, 0xBA},       {0xC0, 0x24F},      // Latin
        {0x250, 0x2FF},     {0x300, 0x36F},     {0x370, 0x3FF},     {0x400, 0x52F},     // IPA, marks, Greek, Cyrillic
        {0x531, 0x587},     {0x591, 0x5F2},     {0x610, 0x6FF},     {0x900, 0xDFF},     // Armenian to Indic
        {0xE00, 0xEFF},     {0x10A0, 0x11FF},   {0x1AB0, 0x1AFF},   {0x1D00, 0x1FFF},   // Thai, Georgian, Latin, Greek
        {0x20D0, 0x20FF},   {0x2C00, 0x2DFF},   {0x3041, 0x30FF},   {0x3400, 0x4DBF},   // marks, kana, CJK
        {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA640, 0xA69F},   {0xA720, 0xA7FF},   //
        {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFB00, 0xFB4F},   {0xFE20, 0xFE2F},   // Hangul, ligatures
        {0xFF10, 0xFF19},   {0xFF21, 0xFF3A},   {0xFF41, 0xFF5A},   {0xFF66, 0xFFDC},   // full and half width
        {0x1D400, 0x1D7FF}, {0x20000, 0x3FFFF}};                                        // mathematical letters, CJK
    for (const Range& range : kNameRanges)
        if (c >= range.First && c <= range.Last) return true;
    return false;
}

namespace {

// The code point that starts at byte `at` (< size) and the one that ends
// just before byte `at` (> 0); a malformed byte is U+FFFD, as in Decode.
char32_t CodePointAt(std::string_view text, std::size_t at)
{
    const auto byte = static_cast<unsigned char>(text[at]);
    return byte < 0x80 ? byte : utf8::Decode(text.substr(at, 4)).front();
}
char32_t CodePointBefore(std::string_view text, std::size_t at)
{
    std::size_t start = at - 1;
    if (static_cast<unsigned char>(text[start]) < 0x80) return static_cast<unsigned char>(text[start]);
    while (start > 0 && at - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
    return utf8::Decode(text.substr(start, at - start)).back();
}

} // namespace

// Byte offsets of the occurrences of `name` in `text` that stand as whole
// names, left to right and not overlapping.
void FindWholeNames(std::string_view text, std::string_view name, std::vector<std::size_t>& at)
{
    at.clear();
    std::size_t from = name.empty() ? std::string_view::npos : text.find(name);
    if (from == std::string_view::npos) return;
    const bool nameFront = ContinuesName(CodePointAt(name, 0));
    const bool nameBack = ContinuesName(CodePointBefore(name, name.size()));
    while (from != std::string_view::npos) {
        const std::size_t end = from + name.size();
        const bool whole = !(nameFront && from > 0 && ContinuesName(CodePointBefore(text, from))) &&
                           !(nameBack && end < text.size() && ContinuesName(CodePointAt(text, end)));
        if (whole) at.push_back(from);
        from = text.find(name, whole ? end : from + 1);
    }
}

bool ConvertValueText(std::string_view text, long double& value)
{
    std::size_t i = 0, n = text.size();
    while (i < n && text[i] == ' ') ++i;
    while (n > i && text[n - 1] == ' ') --n;
    std::string ascii;
    if (i < n && (text[i] == '+' || text[i] == '-')) ascii.push_back(text[i++]);
    std::size_t digits = 0;
    while (i < n && IsDigit(text[i])) ascii.push_back(text[i++]), ++digits;
    if (i < n && text[i] == '.') {
        ascii.push_back('.');
        ++i;
        while (i < n && IsDigit(text[i])) ascii.push_back(text[i++]), ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        std::string exponent = "e";
        if (i < n && (text[i] == '+' || text[i] == '-')) exponent.push_back(text[i++]);
        std::size_t expDigits = 0;
        while (i < n && IsDigit(text[i])) exponent.push_back(text[i++]), ++expDigits;
        if (expDigits > 0) ascii += exponent; // "5E" and "5E-" read as 5
    }
    if (i != n) return false;
    return ParseDecimal(ascii, value);
}

TNotebookLine ReadNotebookLine(std::string_view line)
{
    TNotebookLine out;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return out;
    out.name = std::string(line.substr(0, eq));
    out.valueText = std::string(line.substr(eq + 1));
    out.kind = ConvertValueText(out.valueText, out.value) ? TNotebookLine::Numeric : TNotebookLine::Text;
    return out;
}

std::string ReplaceAll(std::string_view text, std::string_view name, std::string_view value)
{
    std::vector<std::size_t> at;
    FindWholeNames(text, name, at);
    std::string out;
    std::size_t from = 0;
    for (const std::size_t occurrence : at) {
        out.append(text, from, occurrence - from);
        out.append(value);
        from = occurrence + name.size();
    }
    out.append(text, from, std::string_view::npos);
    return out;
}

std::string ResultLine(std::string_view exprText, std::string_view valueText)
{
    std::string line;
    line.reserve(exprText.size() + valueText.size() + 5);
    line.append(exprText);
    line.append(" = ");
    line.append("  ");
    line.append(valueText);
    return line;
}

std::string TooLongMessage(int line)
{
    return "La expresión pasaría de " + std::to_string(kExpressionLimit) + " caracteres al aplicar la línea " +
           std::to_string(line) + " del cuaderno";
}

std::string CycleMessage(const std::vector<int>& lines)
{
    return NotebookCycleMessage(lines);
}

namespace {

// Line breaks (LF, CR, NEL, line and paragraph separators) as blanks, one
// character for one, so that positions in the text do not move.
std::string BreaksAsBlanks(std::string text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n' || c == '\r') {
            out += ' ';
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x85) {
            out += ' ';
            ++i;
        } else if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                   (static_cast<unsigned char>(text[i + 2]) == 0xA8 || static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
            out += ' ';
            i += 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// How a text definition's value goes into the expression.
enum class TInsert : uint8_t { Unknown, AsWritten, InParentheses };

// True when each operator of the tree has the operands its computation
// needs: asked of the computation itself (with 0 for a missing operand and
// 1 for a present one) where an operand it takes is missing, so that "-5"
// counts and "2*" does not.  The floating-point flags are kept as they were.
bool HasItsOperands(const TParseNode* node)
{
    if (node == nullptr || node->Kind == 0) return true;
    const uint8_t present =
        static_cast<uint8_t>((node->Left && node->Left->Present ? 1 : 0) | (node->Right && node->Right->Present ? 2 : 0));
    if ((node->Op->Sides & ~present & 3) != 0) {
        uint8_t code = 0, blame = 0;
        std::string message;
        std::fexcept_t flags;
        std::fegetexceptflag(&flags, FE_ALL_EXCEPT);
        node->Op->Func(present & 1 ? 1 : 0, present & 2 ? 1 : 0, present, code, message, blame);
        std::fesetexceptflag(&flags, FE_ALL_EXCEPT);
        if (code == 3) return false;
    }
    return HasItsOperands(node->Left) && HasItsOperands(node->Right);
}

// The text is one pair of parentheses around the rest (blanks around).
bool InParentheses(std::string_view text)
{
    std::size_t first = 0, last = text.size();
    while (first < last && text[first] == ' ') ++first;
    while (last > first && text[last - 1] == ' ') --last;
    if (last - first < 2 || text[first] != '(' || text[last - 1] != ')') return false;
    int depth = 0;
    for (std::size_t i = first; i < last; ++i) {
        if (text[i] == '(') ++depth;
        if (text[i] == ')' && --depth == 0) return i + 1 == last;
    }
    return false;
}

// The occurrence of a name at bytes [at, end) of `text` stands alone: only
// blanks and line breaks between it and both ends of the text, or between
// it and a "(" before and a ")" after.  Parentheses around it change nothing.
bool StandsAlone(std::string_view text, std::size_t at, std::size_t end)
{
    auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\r'; };
    while (at > 0 && blank(text[at - 1])) --at;
    while (end < text.size() && blank(text[end])) ++end;
    if (at == 0 || end == text.size()) return at == 0 && end == text.size();
    return text[at - 1] == '(' && text[end] == ')';
}

// Puts "pi" in place of the unknown token chars[start, end).  Operators
// and names of unknown values form one run ("a+b" is one unknown token),
// so only its last name goes, whole (the token may be part of it: "at" of
// "atr" where "r" is known), and the run's operators are found in the next
// parse; a token without a name of its own ("pi=") goes whole.
void ReplaceUnknownName(std::u32string& chars, std::size_t start, std::size_t end)
{
    std::size_t last = end;
    while (last > start && !ContinuesName(chars[last - 1])) --last;
    std::size_t first = last;
    if (first > start) {
        while (first > 0 && ContinuesName(chars[first - 1])) --first;
        while (last < chars.size() && ContinuesName(chars[last])) ++last;
    }
    if (first == last || chars.compare(first, last - first, U"pi") == 0) first = start, last = end;
    chars.replace(first, last - first, U"pi");
}

} // namespace

bool ValueNeedsParentheses(TMathParser& parser, std::string_view valueText)
{
    // A name the parser does not know yet, such as another text definition,
    // is replaced by a known one ("pi") until the text parses or fails
    // otherwise; a text with very many of them counts as complete.
    constexpr int kUnknownNames = 32;
    std::string text = BreaksAsBlanks(std::string(valueText));
    for (int unknown = 0; unknown < kUnknownNames; ++unknown) {
        try {
            const TExpression parsed(parser, text);
            const TParseNode* tree = parsed.Tree();
            return HasItsOperands(tree) && tree->Kind != 0 && !InParentheses(valueText);
        } catch (const EMathParserException& e) {
            std::u32string chars = utf8::Decode(text);
            if (e.ErrorCode != error_code::kUnknownValue || e.ErrorPosition < 1 || e.ErrorLength < 1 ||
                static_cast<std::size_t>(e.ErrorPosition - 1 + e.ErrorLength) > chars.size())
                return false; // a syntax error: a fragment
            ReplaceUnknownName(chars, static_cast<std::size_t>(e.ErrorPosition - 1),
                               static_cast<std::size_t>(e.ErrorPosition - 1 + e.ErrorLength));
            text = utf8::Encode(chars);
        }
    }
    return !InParentheses(valueText);
}

namespace {

// Replaces the whole-name occurrences `at` of `line`'s name in `expression`
// (`length` characters, updated); false, with nothing replaced, when the
// expression would pass kExpressionLimit.
bool ReplaceOccurrences(std::string& expression, std::size_t& length, const std::vector<std::size_t>& at,
                        const TNotebookLine& line, TInsert insert)
{
    const std::size_t size = line.name.size();
    std::vector<bool> wrap(at.size(), false);
    std::size_t wrapped = 0;
    if (insert == TInsert::InParentheses)
        for (std::size_t k = 0; k < at.size(); ++k)
            if (!StandsAlone(expression, at[k], at[k] + size)) wrap[k] = true, ++wrapped;
    // The length it would have, before building it.
    const std::size_t kept = length - at.size() * utf8::Length(line.name);
    const std::size_t added = at.size() * utf8::Length(line.valueText) + 2 * wrapped;
    if (added > kExpressionLimit - std::min(kept, kExpressionLimit)) return false;
    std::string out;
    out.reserve(expression.size() - at.size() * size + at.size() * line.valueText.size() + 2 * wrapped);
    std::size_t from = 0;
    for (std::size_t k = 0; k < at.size(); ++k) {
        out.append(expression, from, at[k] - from);
        if (wrap[k]) out += '(';
        out += line.valueText;
        if (wrap[k]) out += ')';
        from = at[k] + size;
    }
    out.append(expression, from, std::string::npos);
    expression = std::move(out);
    length = kept + added;
    return true;
}

// A cycle among the text definitions `applied` (indices of defs.Texts),
// each using the next and the last the first, starting at the earliest;
// empty when they have none.  Definition i uses j when j's name stands
// whole in i's value.
std::vector<std::size_t> FindCycle(const TNotebookDefinitions& defs, std::vector<std::size_t> nodes)
{
    std::sort(nodes.begin(), nodes.end());
    const std::size_t n = nodes.size();
    std::vector<uint8_t> state(n, 0); // 0 not reached, 1 on the path, 2 done
    std::vector<std::size_t> at;
    for (std::size_t root = 0; root < n; ++root) {
        if (state[root] != 0) continue;
        std::vector<std::pair<std::size_t, std::size_t>> path = {{root, 0}}; // node, next one to try
        state[root] = 1;
        while (!path.empty()) {
            const std::size_t node = path.back().first, next = path.back().second++;
            if (next == n) {
                state[node] = 2;
                path.pop_back();
                continue;
            }
            if (state[next] == 2) continue;
            FindWholeNames(defs.Texts[nodes[node]].valueText, defs.Texts[nodes[next]].name, at);
            if (at.empty()) continue;
            if (state[next] == 0) {
                state[next] = 1;
                path.emplace_back(next, 0);
                continue;
            }
            std::vector<std::size_t> cycle; // from `next` on the path to `node`
            for (auto step = path.begin(); step != path.end(); ++step)
                if (!cycle.empty() || step->first == next) cycle.push_back(nodes[step->first]);
            std::rotate(cycle.begin(), std::min_element(cycle.begin(), cycle.end()), cycle.end());
            return cycle;
        }
    }
    return {};
}

// The failure for definitions still replacing after more passes than there
// are definitions in use: they use themselves.
TDefinitionFailure CycleFailure(const TNotebookDefinitions& defs, const std::vector<std::size_t>& applied,
                                std::size_t lastFirst)
{
    std::vector<std::size_t> cycle = FindCycle(defs, applied);
    if (cycle.empty()) cycle.push_back(lastFirst); // names joined by replacements, not by the values alone
    std::vector<int> lines;
    for (const std::size_t k : cycle) lines.push_back(defs.TextLineNumbers[k]);
    TDefinitionFailure failure;
    failure.cycleLine = lines.front();
    failure.message = CycleMessage(lines);
    return failure;
}

} // namespace

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::string LoweredAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

TNotebookDefinitions ReadNotebookDefinitions(const std::vector<std::string>& notebookLines)
{
    TNotebookDefinitions defs;
    for (std::size_t index = 0; index < notebookLines.size(); ++index) {
        TNotebookLine line = ReadNotebookLine(notebookLines[index]);
        TFunctionSource function;
        std::string whyNot;
        const int number = static_cast<int>(index + 1);
        TDataList list;
        std::string broken;
        std::vector<std::string> texts;
        if (line.kind == TNotebookLine::Numeric) {
            defs.Values.push_back(std::move(line));
        } else if (ReadListLine(line, list, broken, &texts)) {
            defs.Lists.push_back(std::move(list));
            defs.ListLineNumbers.push_back(number);
            defs.ListTexts.push_back(std::move(texts));
        } else if (!broken.empty()) {
            defs.BrokenLists.push_back({std::string(Trimmed(line.name)), number, std::move(broken)});
        } else if (ReadFunctionLine(line, function, &whyNot)) {
            function.Line = number;
            defs.Functions.push_back(std::move(function));
        } else if (line.kind == TNotebookLine::Text && !line.name.empty()) {
            if (!whyNot.empty()) defs.Rejected.push_back({function.Name, number, whyNot});
            defs.Texts.push_back(std::move(line));
            defs.TextLineNumbers.push_back(number);
        }
    }
    // A list yields its name to a value or a function.
    for (std::size_t k = 0; k < defs.Lists.size();) {
        const std::string name = LoweredAscii(defs.Lists[k].Name);
        const auto named = [&name](const std::string& other) { return LoweredAscii(other) == name; };
        const bool value = std::any_of(defs.Values.begin(), defs.Values.end(),
                                       [&](const TNotebookLine& v) { return named(std::string(Trimmed(v.name))); });
        const bool function = std::any_of(defs.Functions.begin(), defs.Functions.end(),
                                          [&](const TFunctionSource& f) { return named(f.Name); });
        if (!value && !function) {
            ++k;
            continue;
        }
        defs.BrokenLists.push_back({defs.Lists[k].Name, defs.ListLineNumbers[k],
                                    "«" + defs.Lists[k].Name + "» ya es " +
                                        (value ? "un valor" : "una función") + " del cuaderno"});
        defs.Lists.erase(defs.Lists.begin() + static_cast<std::ptrdiff_t>(k));
        defs.ListLineNumbers.erase(defs.ListLineNumbers.begin() + static_cast<std::ptrdiff_t>(k));
        defs.ListTexts.erase(defs.ListTexts.begin() + static_cast<std::ptrdiff_t>(k));
    }
    // A name is a value's or a function's: the value stays.
    for (std::size_t k = 0; k < defs.Functions.size();) {
        const std::string name = LoweredAscii(defs.Functions[k].Name);
        const auto value = std::find_if(defs.Values.begin(), defs.Values.end(),
                                        [&name](const TNotebookLine& v) { return LoweredAscii(v.name) == name; });
        if (value == defs.Values.end()) {
            ++k;
            continue;
        }
        defs.Rejected.push_back({defs.Functions[k].Name, defs.Functions[k].Line,
                                 "«" + value->name + "» ya es un valor del cuaderno"});
        defs.Functions.erase(defs.Functions.begin() + static_cast<std::ptrdiff_t>(k));
    }
    return defs;
}

void DefineValues(TMathParser& parser, const TNotebookDefinitions& defs)
{
    for (const TNotebookLine& line : defs.Values) parser.DefineVariable(line.name, line.value);
    for (const TDataList& list : defs.Lists) parser.DefineList(list);
    parser.DefineFunctions(defs.Functions);
}

TDefinitionFailure ApplyTextDefinitions(TMathParser& parser, const TNotebookDefinitions& defs, std::string& expression)
{
    // A pass replaces something only through a chain of as many different
    // definitions as passes (each replacing a name that the one before put
    // in), unless some of them use themselves.
    const std::size_t count = defs.Texts.size();
    std::vector<TInsert> inserts(count, TInsert::Unknown); // known once a definition applies
    std::vector<std::size_t> applied;                      // the definitions that applied
    std::vector<std::size_t> at;
    std::size_t length = utf8::Length(expression); // in characters
    const auto tooLong = [&defs](std::size_t k) {
        TDefinitionFailure failure;
        failure.tooLongLine = defs.TextLineNumbers[k];
        failure.message = TooLongMessage(failure.tooLongLine);
        return failure;
    };
    for (std::size_t pass = 1;; ++pass) {
        std::size_t first = count; // the first definition that applied in this pass
        for (std::size_t k = 0; k < count; ++k) {
            const TNotebookLine& line = defs.Texts[k];
            FindWholeNames(expression, line.name, at);
            if (at.empty()) continue;
            if (inserts[k] == TInsert::Unknown) {
                // A line may be as long as the notebook: too long before it is parsed.
                if (length + utf8::Length(line.valueText) > kExpressionLimit + utf8::Length(line.name)) return tooLong(k);
                inserts[k] = ValueNeedsParentheses(parser, line.valueText) ? TInsert::InParentheses : TInsert::AsWritten;
                applied.push_back(k);
            }
            if (!ReplaceOccurrences(expression, length, at, line, inserts[k])) return tooLong(k);
            if (first == count) first = k;
        }
        if (first == count) return {};
        if (pass > applied.size()) return CycleFailure(defs, applied, first);
    }
}

namespace {

// The error is on a call (its span starts at the function's name) of a
// function whose body, or one it calls, did not parse: that body's error.
void AddBodyError(const TMathParser& parser, TCalcOutcome& out)
{
    if (out.errorCode != error_code::kInvalidArgument || out.errorPosition < 1) return;
    const std::u32string chars = utf8::Decode(out.expression);
    std::size_t end = static_cast<std::size_t>(out.errorPosition - 1);
    const std::size_t start = end;
    while (end < chars.size() && ContinuesName(chars[end])) ++end;
    if (end == start) return;
    const TFunctionDefinition* f = parser.FindFunction(utf8::Encode(chars.substr(start, end - start)));
    while (f != nullptr && f->ErrorIn != nullptr) f = f->ErrorIn;
    if (f == nullptr || f->BodyErrorCode == 0) return;
    out.bodyText = f->BodyText;
    out.bodyErrorCode = f->BodyErrorCode;
    out.bodyErrorPosition = f->BodyErrorPosition;
    out.bodyErrorLength = f->BodyErrorLength;
}

} // namespace

namespace {

// The value's text, with every solution of an equation written at the top
// and an integral's digits limited to those it knows.
std::string BoundValueText(const TParseNode* root, const TBoundReport& report, long double value, int digits)
{
    const int known = std::min(digits, report.Digits);
    const std::string note = known < digits ? " (" + std::to_string(known) +
                                                  (known == 1 ? " cifra conocida)" : " cifras conocidas)")
                                            : "";
    const TBoundSite* site = BoundSite(root);
    if (site != nullptr && root->Op->Bound == kBoundSolve && !report.Solutions.empty()) {
        // Every solution of the equation: "x = -1.41421356; x = 1.41421356".
        std::string text;
        for (long double x : report.Solutions) {
            if (!text.empty()) text += "; ";
            text += site->Written + " = " + FormatGeneral(x, known);
        }
        if (!report.Warning.empty()) text += " (" + report.Warning + ")";
        return text + note;
    }
    return FormatGeneral(value, known) + note;
}

} // namespace

namespace {

// The exact value of a calculation's tree, the notebook's numeric values
// read from their texts (the first definition of a name, as DefineValues).
std::optional<TFraction> FractionOf(const TExpression& parsed, const std::string& expression,
                                    const TNotebookDefinitions& defs, long double value)
{
    // What cannot be a fraction to show is not followed: a value beyond the
    // digits an exact value may have, one below the smallest fraction shown
    // (0 is whole), and a text too long to be read by hand.
    if (!std::isfinite(value) || std::fabs(value) < 1e-11L || std::fabs(value) > 1e1990L ||
        expression.size() > kExactTextLimit)
        return std::nullopt;
    std::unordered_map<std::string, const std::string*> texts;
    bool read = false;
    const TValueTextOf valueText = [&](const TVariableEntry& entry) -> const std::string* {
        if (!read) {
            read = true;
            for (const TNotebookLine& line : defs.Values) {
                std::string name(Trimmed(line.name));
                for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
                texts.emplace(name, &line.valueText);
            }
        }
        const auto it = texts.find(entry.Name);
        return it != texts.end() ? it->second : nullptr;
    };
    return ExactFraction(parsed.Tree(), utf8::Decode(BreaksAsBlanks(expression)), valueText, value);
}

} // namespace

TCalcOutcome CalculateExpression(TMathParser& parser, const std::string& expression, int digits, bool drawRandom,
                                 const TNotebookDefinitions* fractionsWith)
{
    analysis::InstallExpressionCalculus();
    TCalcOutcome out;
    out.expression = expression;
    try {
        const TExpression parsed(parser, BreaksAsBlanks(expression));
        if (!drawRandom && parsed.DrawsRandomNumbers()) {
            out.drewRandom = true;
            return out;
        }
        const TBoundReportScope report;
        out.value = parsed.Evaluate();
        out.ok = true;
        out.exprText = parsed.Text();
        out.valueText = BoundValueText(parsed.Tree(), report.Report(), out.value, digits);
        out.resultLine = ResultLine(out.exprText, out.valueText);
        if (fractionsWith != nullptr)
            out.fraction = FractionOf(parsed, expression, *fractionsWith, out.value);
    } catch (const EMathParserException& e) {
        out.errorCode = e.ErrorCode;
        out.errorPosition = e.ErrorPosition;
        out.errorLength = e.ErrorLength;
        out.errorMessage = e.ErrorMessage;
        AddBodyError(parser, out);
    }
    return out;
}

bool MayTakeLong(const std::string& expression, const TNotebookDefinitions& defs)
{
    static const char* const kNames[] = {"deriv", "integral", "suma", "producto", "resolver"};
    const auto names = [](std::string text) {
        for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        for (const char* name : kNames)
            if (text.find(name) != std::string::npos) return true;
        return false;
    };
    if (names(expression)) return true;
    for (const TFunctionSource& f : defs.Functions)
        if (names(f.Body)) return true;
    for (const TNotebookLine& t : defs.Texts)
        if (names(t.valueText)) return true;
    return false;
}

TCalcOutcome CalculateWith(TMathParser& parser, const TNotebookDefinitions& defs, std::string expression, int digits,
                           bool drawRandom, bool fractions)
{
    const std::string original = expression;
    TDefinitionFailure failure = ApplyTextDefinitions(parser, defs, expression);
    if (failure.tooLongLine > 0 || failure.cycleLine > 0) {
        TCalcOutcome out;
        out.tooLongLine = failure.tooLongLine;
        out.cycleLine = failure.cycleLine;
        out.errorMessage = std::move(failure.message);
        out.expression = original;
        return out;
    }
    TCalcOutcome out;
    if (!FindRejectedCall(defs, expression, out)) {
        out = CalculateExpression(parser, expression, digits, drawRandom, fractions ? &defs : nullptr);
        ExplainBrokenList(defs, out);
    }
    out.expressionChanged = expression != original;
    return out;
}

TCalcOutcome RunCalculation(TMathParser& parser, const std::vector<std::string>& notebookLines,
                            std::string expression, int digits, bool fractions)
{
    const TNotebookDefinitions defs = ReadNotebookDefinitions(notebookLines);
    DefineValues(parser, defs);
    return CalculateWith(parser, defs, std::move(expression), digits, true, fractions);
}

std::string ResultLineShown(const TCalcOutcome& outcome, TValueShown shown)
{
    if (!outcome.fraction || shown == TValueShown::Decimal) return outcome.resultLine;
    return ResultLine(outcome.exprText,
                      shown == TValueShown::Fraction ? outcome.fraction->Text() : outcome.fraction->Mixed());
}

TValueShown NextShown(const TCalcOutcome& outcome, TValueShown shown)
{
    if (!outcome.fraction) return TValueShown::Decimal;
    switch (shown) {
    case TValueShown::Decimal: return TValueShown::Fraction;
    case TValueShown::Fraction: return outcome.fraction->Whole != "0" ? TValueShown::Mixed : TValueShown::Decimal;
    default: return TValueShown::Decimal;
    }
}

} // namespace calc
