// The widget-free heart of the calculation command: the notebook-line
// protocol, the numeric conversion of a value text, and the result line.
// The main window and the command-line tool both run calculations here.
#pragma once

#include "engine/MathParser.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace calc {

// Only this many characters of a notebook line count.
constexpr std::size_t kNotebookLineLimit = 255;

// Text definitions stop before they make the expression longer than this
// many characters.
constexpr std::size_t kExpressionLimit = 1000000;

// Converts a notebook value text as a whole: blanks around, an optional
// sign, digits with an optional "." and fraction (at least one digit), an
// optional exponent "E"/"e" with optional sign and digits that may be
// missing ("5E" is 5).  False for anything else, for an empty text and for a
// value beyond the extended range.
bool ConvertValueText(std::string_view text, long double& value);

struct TNotebookLine {
    enum Kind { Note, Numeric, Text } kind = Note;
    std::string name;      // everything before the first "=", not trimmed
    std::string valueText; // everything after it, to the end of the cut line
    long double value = 0; // for Numeric
};

// Reads one notebook line: cut to its first 255 characters, split at the
// first "=", numeric when the value text converts.
TNotebookLine ReadNotebookLine(std::string_view line);

// Plain substring replacement: case-sensitive, left to right,
// non-overlapping, replaced text not scanned again; an empty name replaces
// nothing.
std::string ReplaceAll(std::string_view text, std::string_view name, std::string_view value);

struct TCalcOutcome {
    bool ok = false;
    std::string expression;         // the expression after the text definitions
    bool expressionChanged = false; // a text definition changed it
    // On success:
    std::string exprText;   // the tree written back
    std::string valueText;  // the value in the general number format
    std::string resultLine; // exprText + " = " + two blanks + valueText
    long double value = 0;
    // When a text definition would have made the expression longer than
    // kExpressionLimit: its notebook line (1 for the first), the message in
    // errorMessage, `expression` as it was given and no engine error.
    int tooLongLine = 0;
    bool drewRandom = false; // not evaluated: it draws random numbers
    // On an engine error (positions and lengths in characters of `expression`):
    uint8_t errorCode = 0;
    int32_t errorPosition = -1;
    int32_t errorLength = 0;
    std::string errorMessage;
};

// The definitions of a notebook, read once: numeric lines become named
// values, the others with a name are text definitions, in notebook order.
struct TNotebookDefinitions {
    std::vector<TNotebookLine> Values;
    std::vector<TNotebookLine> Texts;
    std::vector<int> TextLineNumbers; // of each text definition (1 for the first line)
};
TNotebookDefinitions ReadNotebookDefinitions(const std::vector<std::string>& notebookLines);

// Defines the numeric values in `parser` (first definition of a name wins).
void DefineValues(TMathParser& parser, const TNotebookDefinitions& defs);

// Applies the text definitions to `expression` in order; 0, or the notebook
// line of the definition that would make it longer than kExpressionLimit
// (the expression is then partly replaced).
int ApplyTextDefinitions(const TNotebookDefinitions& defs, std::string& expression);

// Parses (line breaks read as blanks, so positions stay those of the text),
// evaluates and writes back `expression` in `parser`, whose named values are
// defined; nothing of the expression stays in the parser.  With
// `drawRandom` false, an expression that draws random numbers is not
// evaluated (not ok, drewRandom set).
TCalcOutcome CalculateExpression(TMathParser& parser, const std::string& expression, int digits,
                                 bool drawRandom = true);

// A calculation with `parser`, whose values are the notebook's (defined
// by DefineValues): the text definitions applied, then CalculateExpression.
TCalcOutcome CalculateWith(TMathParser& parser, const TNotebookDefinitions& defs, std::string expression, int digits,
                           bool drawRandom = true);

// One calculation with `parser`, which must be fresh from its constructor:
// numeric notebook lines become its variables, the others are applied as
// text definitions to `expression` in order; then parse (line breaks read
// as blanks, so positions stay those of the text), evaluate, write back.
TCalcOutcome RunCalculation(TMathParser& parser, const std::vector<std::string>& notebookLines,
                            std::string expression, int digits);

// The message for a text definition on notebook line `line` (1 for the
// first) that would make the expression too long.
std::string TooLongMessage(int line);

// The result line: expression text, " = ", two blanks, value text.
std::string ResultLine(std::string_view exprText, std::string_view valueText);

} // namespace calc
