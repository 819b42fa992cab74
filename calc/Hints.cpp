#include "calc/Hints.h"
#include "engine/ErrorCodes.h"

#include "calc/Vocabulary.h"
#include "engine/Utf8.h"

#include <algorithm>
#include <map>

namespace calc {

namespace {

using Text = std::u32string;

std::string Quoted(const Text& t) { return "«" + utf8::Encode(t) + "»"; }

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
bool IsLetter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || c >= 0xC0; }

// At most one insertion, deletion, substitution or swap of two neighbours
// between a and b, which differ.
bool OneEditApart(const Text& a, const Text& b)
{
    if (a == b) return false;
    const std::size_t n = a.size(), m = b.size();
    if (n == m) {
        std::vector<std::size_t> diff;
        for (std::size_t i = 0; i < n && diff.size() <= 2; ++i)
            if (a[i] != b[i]) diff.push_back(i);
        if (diff.size() == 1) return true;
        return diff.size() == 2 && diff[1] == diff[0] + 1 && a[diff[0]] == b[diff[1]] && a[diff[1]] == b[diff[0]];
    }
    const Text& longer = n > m ? a : b;
    const Text& shorter = n > m ? b : a;
    if (longer.size() != shorter.size() + 1) return false;
    std::size_t i = 0;
    while (i < shorter.size() && shorter[i] == longer[i]) ++i;
    return std::equal(shorter.begin() + static_cast<std::ptrdiff_t>(i), shorter.end(),
                      longer.begin() + static_cast<std::ptrdiff_t>(i) + 1);
}

// What students type for a function of the catalogue.
const std::map<Text, std::string>& StudentNames()
{
    static const std::map<Text, std::string> names = {
        {U"sen", "sin"},   {U"senh", "sinh"},   {U"tg", "tan"},     {U"tang", "tan"},
        {U"arcsen", "arcsin"}, {U"raiz", "sqrt"}, {U"raíz", "sqrt"}, {U"cosec", "csc"},
        // Other calculators' names.
        {U"ncr", "comb(n;k)"}, {U"npr", "perm(n;k)"}, {U"round", "redondear(x;n)"}, {U"trunc", "truncar(x;n)"},
        {U"gcd", "mcd(a;b)"}, {U"lcm", "mcm(a;b)"}, {U"sign", "signo"}, {U"sgn", "signo"}, {U"factorial", "fact"},
        {U"lg", "log10"}, {U"binompdf", "binomial(k;n;p)"}, {U"binomcdf", "binomialac(k;n;p)"},
        {U"normcdf", "normal(x;m;s)"}, {U"normpdf", "normaldens(x;m;s)"}, {U"invnorm", "normalinv(p;m;s)"},
        {U"poissonpdf", "poisson(k;m)"}, {U"poissoncdf", "poissonac(k;m)"},
        {U"sum", "suma(expr; k; a; b)"}, {U"sigma", "suma(expr; k; a; b)"}, {U"prod", "producto(expr; k; a; b)"},
        {U"product", "producto(expr; k; a; b)"}, {U"int", "integral(expr; x; a; b)"},
        {U"integrate", "integral(expr; x; a; b)"}, {U"diff", "deriv(expr; x; x0)"}, {U"derivative", "deriv(expr; x; x0)"},
        {U"solve", "resolver(lado = lado; x)"}, {U"nsolve", "resolver(lado = lado; x)"}};
    return names;
}

std::string DidYouMean(const std::vector<std::string>& names)
{
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) list += i + 1 == names.size() ? " o " : ", ";
        list += "«" + names[i] + "»";
    }
    return "Pista: ¿quiso decir " + list + "?";
}

// A notebook line that defines the name with blanks around it, or the name
// followed by the digits that stand after it in the expression.
std::string NotebookNameHint(const Text& token, const Text& digitsAfter, const std::vector<std::string>& lines)
{
    const Text lowered = utf8::LowerAscii(token);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const TNotebookLine line = ReadNotebookLine(lines[index]);
        if (line.kind == TNotebookLine::Note) continue;
        const Text name = utf8::Decode(line.name);
        std::size_t first = 0, end = name.size();
        while (first < end && name[first] <= U' ') ++first;
        while (end > first && name[end - 1] <= U' ') --end;
        const Text trimmed = utf8::LowerAscii(name.substr(first, end - first));
        const std::string where = "Pista: la línea " + std::to_string(index + 1) + " del cuaderno define " + Quoted(name);
        if (trimmed == lowered && (first > 0 || end < name.size()))
            return where + ", con un espacio junto al nombre: quite los espacios de los lados de «=».";
        if (!digitsAfter.empty() && trimmed == lowered + digitsAfter)
            return where + ", pero un nombre no puede llevar cifras: " + Quoted(token + digitsAfter) + " se lee como " +
                   Quoted(token) + " seguido de " + utf8::Encode(digitsAfter) + ". Cambie el nombre por uno sin cifras.";
    }
    return {};
}

std::string MissingOperator(const Text& number, const Text& name)
{
    return "Pista: falta un operador entre el número y el nombre: escriba " + Quoted(number + U"*" + name) + ".";
}

// "2.5e": a number in scientific notation without its exponent, or a
// product with the number e without its operator.
std::string ExponentHint(const Text& number, const Text& e)
{
    return "Pista: en notación científica la «E» va seguida del exponente: " + Quoted(number + e + U"3") + " es " +
           Quoted(number + U"·10^3") + "; para multiplicar por el número e, escriba " + Quoted(number + U"*e") + ".";
}

std::string UnknownNameHint(const Text& expression, std::size_t start, const Text& token,
                            const std::vector<std::string>& lines)
{
    // The word the user typed: the blamed name may be its start only, when
    // its end is a known name ("cosec" is read as "co" and "sec").
    std::size_t wordStart = start;
    while (wordStart < start + token.size() && !IsLetter(expression[wordStart])) ++wordStart;
    std::size_t wordEnd = wordStart;
    while (wordEnd < expression.size() && IsLetter(expression[wordEnd])) ++wordEnd;
    const Text word = utf8::LowerAscii(expression.substr(wordStart, wordEnd - wordStart));
    if (const auto it = StudentNames().find(word); it != StudentNames().end()) return DidYouMean({it->second});
    Text digits;
    for (std::size_t i = start + token.size(); i < expression.size() && IsDigit(expression[i]); ++i)
        digits += expression[i];
    if (std::string hint = NotebookNameHint(token, digits, lines); !hint.empty()) return hint;
    // A number written right before the name.
    std::size_t numberStart = start;
    while (numberStart > 0 && (IsDigit(expression[numberStart - 1]) || expression[numberStart - 1] == U'.'))
        --numberStart;
    if (numberStart < start && (token == U"e" || token == U"E"))
        return ExponentHint(expression.substr(numberStart, start - numberStart), token);
    if (numberStart < start && IsLetter(token.front()))
        return MissingOperator(expression.substr(numberStart, start - numberStart), token);
    // A function of the notebook one edit away, shown with its parameters.
    std::vector<std::string> near;
    for (const std::string& line : lines) {
        TFunctionSource f;
        if (near.size() >= 3 || !ReadFunctionLine(ReadNotebookLine(line), f) || word.size() < 2) continue;
        if (!OneEditApart(word, utf8::LowerAscii(utf8::Decode(f.Name)))) continue;
        std::string shown = f.Name + "(";
        for (std::size_t k = 0; k < f.Parameters.size(); ++k) shown += (k > 0 ? ";" : "") + f.Parameters[k];
        near.push_back(shown + ")");
    }
    if (!near.empty()) return DidYouMean(near);
    if (word.size() < 3) return {};
    for (const TWord& known : Vocabulary()) {
        if (near.size() < 3 && OneEditApart(word, utf8::LowerAscii(utf8::Decode(known.Name))))
            near.push_back(known.Name);
    }
    return near.empty() ? std::string() : DidYouMean(near);
}

std::string InvalidArgumentHint(const Text& token)
{
    // A decimal comma between digits.
    for (std::size_t i = 1; i + 1 < token.size(); ++i) {
        if (token[i] != U',' || !IsDigit(token[i - 1]) || !IsDigit(token[i + 1])) continue;
        std::size_t from = i - 1, to = i + 1;
        while (from > 0 && IsDigit(token[from - 1])) --from;
        while (to + 1 < token.size() && IsDigit(token[to + 1])) ++to;
        Text comma = token.substr(from, to - from + 1), point = comma;
        std::replace(point.begin(), point.end(), U',', U'.');
        return "Pista: el separador decimal es el punto: escriba " + Quoted(point) + " en lugar de " + Quoted(comma) + ".";
    }
    // A number followed by a name: "3pi".
    std::size_t i = 0;
    while (i < token.size() && (IsDigit(token[i]) || token[i] == U'.')) ++i;
    std::size_t letters = i;
    while (letters < token.size() && token[letters] == U' ') ++letters;
    if (i > 0 && letters == i && token.size() == i + 1 && (token[i] == U'e' || token[i] == U'E'))
        return ExponentHint(token.substr(0, i), token.substr(i));
    if (i > 0 && letters < token.size() && std::all_of(token.begin() + static_cast<std::ptrdiff_t>(letters), token.end(), IsLetter))
        return MissingOperator(token.substr(0, i), token.substr(letters));
    return {};
}

// A bad number at `start` inside the parentheses of a call of a notebook
// function of several parameters whose arguments are split by "," and not
// by ";": "atr(3,4)".
std::string CommaArgumentsHint(const Text& expression, std::size_t start, const std::vector<std::string>& lines)
{
    std::size_t open = start;
    int depth = 0;
    while (open > 0) { // back to the "(" that holds `start`
        --open;
        if (expression[open] == U')') ++depth;
        if (expression[open] == U'(' && depth-- == 0) break;
    }
    if (open >= start || expression[open] != U'(') return {};
    std::size_t nameEnd = open;
    while (nameEnd > 0 && expression[nameEnd - 1] == U' ') --nameEnd;
    std::size_t nameStart = nameEnd;
    while (nameStart > 0 && IsLetter(expression[nameStart - 1])) --nameStart;
    const Text name = utf8::LowerAscii(expression.substr(nameStart, nameEnd - nameStart));
    std::size_t close = open + 1, commas = 0;
    for (depth = 0; close < expression.size(); ++close) {
        const char32_t c = expression[close];
        if (c == U'(') ++depth;
        if (c == U')' && depth-- == 0) break;
        if (depth == 0 && c == U';') return {};
        if (depth == 0 && c == U',') ++commas;
    }
    if (name.empty() || commas == 0 || close >= expression.size()) return {};
    for (const std::string& line : lines) {
        TFunctionSource f;
        if (!ReadFunctionLine(ReadNotebookLine(line), f) || utf8::LowerAscii(utf8::Decode(f.Name)) != name) continue;
        if (f.Parameters.size() < 2) return {};
        const Text typed = expression.substr(nameStart, close + 1 - nameStart);
        Text meant = typed;
        depth = 0;
        for (char32_t& c : meant) {
            if (c == U'(' || c == U')') depth += c == U'(' ? 1 : -1;
            if (depth == 1 && c == U',') c = U';';
        }
        return "Pista: los argumentos de una función se separan con «;»: escriba " + Quoted(meant) + " en lugar de " +
               Quoted(typed) + ".";
    }
    return {};
}

std::string LogarithmHint(const Text& base, const Text& x)
{
    return "Pista: el logaritmo en base b se escribe «b log x»: escriba " + Quoted(base + U" log " + x) +
           "; «log x» es el logaritmo decimal.";
}

// "log2(8)": the base written as part of the name.
std::string LogarithmBaseHint(const Text& expression, std::size_t start, const Text& token)
{
    if (start < 3 || utf8::LowerAscii(expression.substr(start - 3, 3)) != U"log" || (start > 3 && IsLetter(expression[start - 4])))
        return {};
    std::size_t digits = 0;
    while (digits < token.size() && IsDigit(token[digits])) ++digits;
    if (digits == 0 || digits + 2 >= token.size() || token[digits] != U'(' || token.back() != U')') return {};
    return LogarithmHint(token.substr(0, digits), token.substr(digits + 1, token.size() - digits - 2));
}

// "log(2;8)", the logarithm written as a function of two arguments.
std::string LogarithmArgumentsHint(const Text& expression, std::size_t separator)
{
    std::size_t open = separator;
    while (open > 0 && expression[open] != U'(' && expression[open] != U')') --open;
    if (expression[open] != U'(') return {};
    std::size_t nameEnd = open;
    while (nameEnd > 0 && expression[nameEnd - 1] == U' ') --nameEnd;
    if (nameEnd < 3 || utf8::LowerAscii(expression.substr(nameEnd - 3, 3)) != U"log" ||
        (nameEnd > 3 && IsLetter(expression[nameEnd - 4])))
        return {};
    const std::size_t close = expression.find(U')', separator);
    if (close == Text::npos || expression.substr(separator + 1, close - separator - 1).find(U';') != Text::npos) return {};
    const auto trimmed = [](Text t) {
        while (!t.empty() && t.front() == U' ') t.erase(t.begin());
        while (!t.empty() && t.back() == U' ') t.pop_back();
        return t;
    };
    const Text base = trimmed(expression.substr(open + 1, separator - open - 1));
    const Text x = trimmed(expression.substr(separator + 1, close - separator - 1));
    if (base.empty() || x.empty()) return {};
    return LogarithmHint(base, x);
}

// The hint for the engine's error `code` on [position, position + length)
// (1-based) of `text`.
std::string HintAt(const std::string& text, uint8_t code, int32_t position, int32_t length,
                   const std::vector<std::string>& notebookLines)
{
    if (position < 1 || length <= 0) return {};
    const Text expression = utf8::Decode(text);
    const auto start = static_cast<std::size_t>(position - 1);
    if (start >= expression.size()) return {};
    const Text token = expression.substr(start, static_cast<std::size_t>(length));
    switch (code) {
    case error_code::kUnknownValue: return UnknownNameHint(expression, start, token, notebookLines);
    case error_code::kInvalidArgument:
        if (std::string hint = CommaArgumentsHint(expression, start, notebookLines); !hint.empty()) return hint;
        if (std::string hint = LogarithmBaseHint(expression, start, token); !hint.empty()) return hint;
        return InvalidArgumentHint(token);
    case error_code::kUnexpectedArgument: // "3, 4": a number, then another
        if (token == U";") return LogarithmArgumentsHint(expression, start);
        return CommaArgumentsHint(expression, start, notebookLines);
    default: return {};
    }
}

} // namespace

std::string HintFor(const TCalcOutcome& failure, const std::vector<std::string>& notebookLines)
{
    if (failure.ok || failure.rejectedLine > 0) return {};
    // An error in a function's body: the hint the box would give for it.
    if (failure.bodyErrorCode != 0)
        return HintAt(failure.bodyText, failure.bodyErrorCode, failure.bodyErrorPosition, failure.bodyErrorLength,
                      notebookLines);
    return HintAt(failure.expression, failure.errorCode, failure.errorPosition, failure.errorLength, notebookLines);
}

} // namespace calc
