#include "calc/CalcCore.h"

#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "engine/Utf8.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace calc {
namespace {

inline bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

} // namespace

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
    const std::string_view cut = utf8::Prefix(line, kNotebookLineLimit);
    const std::size_t eq = cut.find('=');
    if (eq == std::string_view::npos) return out;
    out.name = std::string(cut.substr(0, eq));
    out.valueText = std::string(cut.substr(eq + 1));
    out.kind = ConvertValueText(out.valueText, out.value) ? TNotebookLine::Numeric : TNotebookLine::Text;
    return out;
}

std::string ReplaceAll(std::string_view text, std::string_view name, std::string_view value)
{
    if (name.empty()) return std::string(text);
    std::string out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find(name, from);
        if (at == std::string_view::npos) break;
        out.append(text, from, at - from);
        out.append(value);
        from = at + name.size();
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

} // namespace

TNotebookDefinitions ReadNotebookDefinitions(const std::vector<std::string>& notebookLines)
{
    TNotebookDefinitions defs;
    for (std::size_t index = 0; index < notebookLines.size(); ++index) {
        TNotebookLine line = ReadNotebookLine(notebookLines[index]);
        if (line.kind == TNotebookLine::Numeric) {
            defs.Values.push_back(std::move(line));
        } else if (line.kind == TNotebookLine::Text && !line.name.empty()) {
            defs.Texts.push_back(std::move(line));
            defs.TextLineNumbers.push_back(static_cast<int>(index + 1));
        }
    }
    return defs;
}

void DefineValues(TMathParser& parser, const TNotebookDefinitions& defs)
{
    for (const TNotebookLine& line : defs.Values) parser.DefineVariable(line.name, line.value);
}

int ApplyTextDefinitions(const TNotebookDefinitions& defs, std::string& expression)
{
    std::size_t length = utf8::Length(expression); // in characters
    for (std::size_t k = 0; k < defs.Texts.size(); ++k) {
        const TNotebookLine& line = defs.Texts[k];
        std::size_t at = expression.find(line.name);
        if (at == std::string::npos) continue;
        // The length it would have, before building it.
        std::size_t occurrences = 0;
        for (; at != std::string::npos; at = expression.find(line.name, at + line.name.size())) ++occurrences;
        const std::size_t nameLength = utf8::Length(line.name), valueLength = utf8::Length(line.valueText);
        const std::size_t kept = length - occurrences * nameLength;
        if (valueLength > 0 && occurrences > (kExpressionLimit - std::min(kept, kExpressionLimit)) / valueLength)
            return defs.TextLineNumbers[k];
        expression = ReplaceAll(expression, line.name, line.valueText);
        length = kept + occurrences * valueLength;
    }
    return 0;
}

TCalcOutcome CalculateExpression(TMathParser& parser, const std::string& expression, int digits, bool drawRandom)
{
    TCalcOutcome out;
    out.expression = expression;
    try {
        const TExpression parsed(parser, BreaksAsBlanks(expression));
        if (!drawRandom && parsed.DrawsRandomNumbers()) {
            out.drewRandom = true;
            return out;
        }
        out.value = parsed.Evaluate();
        out.ok = true;
        out.exprText = parsed.Text();
        out.valueText = FormatGeneral(out.value, digits);
        out.resultLine = ResultLine(out.exprText, out.valueText);
    } catch (const EMathParserException& e) {
        out.errorCode = e.ErrorCode;
        out.errorPosition = e.ErrorPosition;
        out.errorLength = e.ErrorLength;
        out.errorMessage = e.ErrorMessage;
    }
    return out;
}

TCalcOutcome CalculateWith(TMathParser& parser, const TNotebookDefinitions& defs, std::string expression, int digits,
                           bool drawRandom)
{
    const std::string original = expression;
    if (const int line = ApplyTextDefinitions(defs, expression)) {
        TCalcOutcome out;
        out.tooLongLine = line;
        out.errorMessage = TooLongMessage(line);
        out.expression = original;
        return out;
    }
    TCalcOutcome out = CalculateExpression(parser, expression, digits, drawRandom);
    out.expressionChanged = expression != original;
    return out;
}

TCalcOutcome RunCalculation(TMathParser& parser, const std::vector<std::string>& notebookLines,
                            std::string expression, int digits)
{
    const TNotebookDefinitions defs = ReadNotebookDefinitions(notebookLines);
    DefineValues(parser, defs);
    return CalculateWith(parser, defs, std::move(expression), digits);
}

} // namespace calc
