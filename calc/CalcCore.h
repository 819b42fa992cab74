// The widget-free heart of the calculation command: the notebook-line
// protocol, the numeric conversion of a value text, and the result line.
// The main window and the command-line tool both run calculations here.
#pragma once

#include "engine/ExactValue.h"
#include "engine/MathParser.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calc {

// Text definitions stop before they make the expression longer than this
// many characters.
constexpr std::size_t kExpressionLimit = 1000000;
// Expressions longer than this many bytes are calculated in decimal only.
constexpr std::size_t kExactTextLimit = 4000;

// Converts a notebook value text as a whole: blanks around, an optional
// sign, digits with an optional "." and fraction (at least one digit), an
// optional exponent "E"/"e" with optional sign and digits that may be
// missing ("5E" is 5).  False for anything else, for an empty text and for a
// value beyond the extended range.
bool ConvertValueText(std::string_view text, long double& value);

struct TNotebookLine {
    enum Kind { Note, Numeric, Text, List } kind = Note;
    std::string name;      // everything before the first "=", not trimmed
    std::string valueText; // everything after it, to the end of the line
    long double value = 0; // for Numeric
};

// A list line "t = 1.21; 1.25; 1.19": a name (as a function's: letters, no
// digits, not the catalogue's), blanks around it, and ";"
// between numbers written as notebook values are.  A line whose value
// starts with such a number and has a ";" outside parentheses is meant as
// a list (a ";" may end it: "t = 5;" is a list of one value); when one of
// its elements is not a number, `why` says which (and
// the line is not a list).  False, `why` empty, for a line not meant as one.
// `texts`, when given, gets each value as written, blanks around it aside.
bool ReadListLine(const TNotebookLine& line, TDataList& list, std::string& why,
                  std::vector<std::string>* texts = nullptr);

// A list line that is not a list, and why.
struct TBrokenList {
    std::string Name;
    int Line = 0; // 1 for the first
    std::string Reason;
};

// Reads one notebook line, the whole of it: split at the first "=",
// numeric when the value text converts.
TNotebookLine ReadNotebookLine(std::string_view line);

// Replaces every occurrence of `name` that stands as a whole name by
// `value`: case-sensitive, left to right, non-overlapping, replaced text not
// scanned again; an empty name replaces nothing.  An occurrence stands whole
// unless a character that continues a name (a letter of any script, a
// combining mark, a digit or "_") touches it on a side where the name itself
// begins or ends with such a character: "a" is replaced in "2*a" and "(a)",
// not in "tan", "año" or "a2"; "x+" is replaced in "x+y" too.
std::string ReplaceAll(std::string_view text, std::string_view name, std::string_view value);

// True when a text definition's value is inserted in parentheses: it is a
// complete expression on its own (names that are not yet known, such as
// other text definitions, count as values), with an operator at its top
// (not a single name or number) and not already in parentheses.  An empty
// value or a fragment such as "2*" or "sin(" is inserted as written.
// `parser` holds the notebook's numeric values and no current tree; it is
// left without one, its error state changed.
bool ValueNeedsParentheses(TMathParser& parser, std::string_view valueText);

struct TCalcOutcome {
    bool ok = false;
    std::string expression;         // the expression after the text definitions
    bool expressionChanged = false; // a text definition changed it
    // On success:
    std::string exprText;   // the tree written back
    std::string valueText;  // the value in the general number format
    std::string resultLine; // exprText + " = " + two blanks + valueText
    long double value = 0;
    // When fractions were asked for and the value is exactly a fraction
    // to show (ExactFraction): that fraction.
    std::optional<TFraction> fraction;
    // When a text definition would have made the expression longer than
    // kExpressionLimit: its notebook line (1 for the first), the message in
    // errorMessage, `expression` as it was given and no engine error.
    int tooLongLine = 0;
    // When a text definition uses itself, directly or through others: its
    // notebook line, the message (naming the lines) in errorMessage,
    // `expression` as it was given and no engine error.
    int cycleLine = 0;
    bool definitionsFailed() const { return tooLongLine > 0 || cycleLine > 0; }
    // When the expression calls a function whose notebook line is not a
    // function (FindRejectedCall): that line, with the engine error's
    // fields set on the name.
    int rejectedLine = 0;
    bool drewRandom = false; // not evaluated: it draws random numbers
    // On an engine error (positions and lengths in characters of `expression`):
    uint8_t errorCode = 0;
    int32_t errorPosition = -1;
    int32_t errorLength = 0;
    std::string errorMessage;
    // When the error is a called notebook function's body that did not
    // parse (directly or through the functions it calls): that body and its
    // error (position and length in its characters), for the hints.
    std::string bodyText;
    uint8_t bodyErrorCode = 0;
    int32_t bodyErrorPosition = -1;
    int32_t bodyErrorLength = 0;
};

// A line meant as a function that cannot be one, and why.
struct TRejectedFunction {
    std::string Name; // as written
    int Line = 0;     // 1 for the first
    std::string Reason;
};

// The definitions of a notebook, read once: numeric lines become named
// values, the others with a name are text definitions, in notebook order.
struct TNotebookDefinitions {
    std::vector<TNotebookLine> Values;
    std::vector<TNotebookLine> Texts;
    std::vector<int> TextLineNumbers; // of each text definition (1 for the first line)
    std::vector<TFunctionSource> Functions; // the function lines, each with its line number
    // Lines meant as functions that are not (ReadFunctionLine's reasons),
    // and functions named as a value is; the former stay text definitions.
    std::vector<TRejectedFunction> Rejected;
    std::vector<TDataList> Lists;
    std::vector<int> ListLineNumbers;
    std::vector<std::vector<std::string>> ListTexts; // each list's values as written
    std::vector<TBrokenList> BrokenLists;
};

// Reads a line's name and value as a function definition name(p1;p2;...)
// = body: blanks allowed around the name and the parameters; the name and
// the 1 to 6 parameters distinct names of letters (no digits) that are not
// of the catalogue, ";" between the parameters; and a body that uses at
// least one of them (otherwise the line stays a text definition, as the
// formula library's "v(t)=vei+acl*ttm").  False for any other line; for a
// line meant as a function (name(list) = a body that uses a name of the
// list) that breaks a rule, `whyNot` tells which, and function.Name is set.
bool ReadFunctionLine(const TNotebookLine& line, TFunctionSource& function, std::string* whyNot = nullptr);
// "La línea N del cuaderno no define la función «f»: <reason>".
std::string RejectedFunctionMessage(const TRejectedFunction& rejected);
// The first call in `expression` ("name(", blanks allowed) of a rejected
// function that no accepted one of the notebook is named as: true, and
// `out` the error (on the name, its line in rejectedLine).
bool FindRejectedCall(const TNotebookDefinitions& defs, const std::string& expression, TCalcOutcome& out);
// When `out` failed on an unknown name that a broken list has: its message
// says why the line is not a list.
void ExplainBrokenList(const TNotebookDefinitions& defs, TCalcOutcome& out);
// A name that a notebook function may have: letters of any script,
// combining marks and "_", no digit; not a catalogue name nor "pi".
bool IsFunctionName(std::string_view name);
TNotebookDefinitions ReadNotebookDefinitions(const std::vector<std::string>& notebookLines);

// Defines the numeric values and the lists in `parser` (first definition of
// a name wins), then the functions.
void DefineValues(TMathParser& parser, const TNotebookDefinitions& defs);

// Why the text definitions could not be applied; both lines 0 when they were.
struct TDefinitionFailure {
    int tooLongLine = 0; // the definition that would pass kExpressionLimit
    int cycleLine = 0;   // a definition that uses itself
    std::string message;
};

// Applies the text definitions to `expression`: in notebook order, each
// replacing its name where it stands whole (ReplaceAll), a complete value
// in parentheses (ValueNeedsParentheses) unless the name stands alone in
// the expression or between "(" and ")"; then again, pass after pass, until
// a pass replaces nothing, so that definitions may use each other in any
// order.  A definition that uses itself, directly or through others, or one
// that would make the expression longer than kExpressionLimit characters
// stops it (the expression is then partly replaced).  `parser` holds the
// notebook's numeric values.
TDefinitionFailure ApplyTextDefinitions(TMathParser& parser, const TNotebookDefinitions& defs, std::string& expression);

// Parses (line breaks read as blanks, so positions stay those of the text),
// evaluates and writes back `expression` in `parser`, whose named values are
// defined; nothing of the expression stays in the parser.  With
// `drawRandom` false, an expression that draws random numbers is not
// evaluated (not ok, drewRandom set).
// With `fractionsWith`, the value is also computed exactly where it can be
// (the notebook's numeric values read from their texts in it) and set as
// `fraction` when it is one to show.
TCalcOutcome CalculateExpression(TMathParser& parser, const std::string& expression, int digits,
                                 bool drawRandom = true, const TNotebookDefinitions* fractionsWith = nullptr);

// A calculation with `parser`, whose values are the notebook's (defined
// by DefineValues): the text definitions applied, then CalculateExpression.
TCalcOutcome CalculateWith(TMathParser& parser, const TNotebookDefinitions& defs, std::string expression, int digits,
                           bool drawRandom = true, bool fractions = false);

// One calculation with `parser`, which must be fresh from its constructor:
// numeric notebook lines become its variables, the others are applied as
// text definitions to `expression` (ApplyTextDefinitions); then parse (line
// breaks read as blanks, so positions stay those of the text), evaluate,
// write back.
TCalcOutcome RunCalculation(TMathParser& parser, const std::vector<std::string>& notebookLines,
                            std::string expression, int digits, bool fractions = false);

// What stands between a result's decimal and its exact fraction on a
// result line: "0.5  ‖ 1/2" (UTF-8).
inline constexpr const char* kFractionMark = "  \u2016 ";

// The value text a result line shows for each way of showing a fraction.
enum class TValueShown { Decimal, Fraction, Mixed };
// The result line with `shown`: the decimal (as ResultLine), the fraction
// ("1/2") or the mixed number ("3 1/2") as the value; the decimal when
// there is no fraction.
std::string ResultLineShown(const TCalcOutcome& outcome, TValueShown shown);
// The next way in the cycle decimal, fraction, mixed number (skipped below
// 1, where it is the fraction), decimal.
TValueShown NextShown(const TCalcOutcome& outcome, TValueShown shown);

// The message for a text definition on notebook line `line` (1 for the
// first) that would make the expression too long.
std::string TooLongMessage(int line);

// The message for a text definition that uses itself: lines[0] is its
// notebook line, the others those of the definitions it goes through, in
// the order they use each other.
std::string CycleMessage(const std::vector<int>& lines);

// True when a calculation of `expression` with the notebook `defs` may
// take long: the expression, a function or a text definition names deriv,
// integral, suma, producto or resolver (in any case).  Such a calculation
// runs away from the window's thread.
bool MayTakeLong(const std::string& expression, const TNotebookDefinitions& defs);

// The result line: expression text, " = ", two blanks, value text.
std::string ResultLine(std::string_view exprText, std::string_view valueText);

} // namespace calc
