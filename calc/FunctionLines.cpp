// Notebook lines read as functions, and why a line meant as one is not.
#include "calc/CalcCore.h"
#include "calc/NameText.h"

#include "engine/ErrorCodes.h"
#include "engine/Utf8.h"

namespace calc {

namespace {

const TMathParser& Catalogue()
{
    static const TMathParser& catalogue = *[] {
        auto* p = new TMathParser; // lives as long as the process
        p->RegisterAngleConversions();
        return p;
    }();
    return catalogue;
}

// Why `name` cannot name a function or a parameter (`what`), empty when it can.
std::string NameProblem(std::string_view name, const std::string& what)
{
    if (name.empty()) return "falta " + what;
    const std::string quoted = "«" + std::string(name) + "»";
    bool digits = false;
    for (const char32_t c : utf8::Decode(name)) {
        if (!ContinuesName(c)) return quoted + " no es un nombre: solo letras y «_»";
        digits = digits || (c >= U'0' && c <= U'9');
    }
    if (digits) return what + " " + quoted + " lleva cifras: los nombres de las funciones y de sus parámetros son solo letras";
    if (Catalogue().FindOperator(name) >= 0) return quoted + " es una función del catálogo";
    // A parameter may take the name of a value that the notebook may replace ("e").
    const int value = Catalogue().FindVariable(name);
    if (value >= 0 && (what != "el parámetro" || !Catalogue().Variable(value).Yields))
        return quoted + " es un valor del catálogo";
    return {};
}

} // namespace

bool IsFunctionName(std::string_view name)
{
    return NameProblem(name, "el nombre").empty();
}

bool ReadFunctionLine(const TNotebookLine& line, TFunctionSource& function, std::string* whyNot)
{
    if (whyNot != nullptr) whyNot->clear();
    if (line.kind != TNotebookLine::Text) return false;
    const std::string_view head = Trimmed(line.name);
    const std::size_t open = head.find('(');
    if (open == std::string_view::npos || head.back() != ')') return false;
    const std::string_view name = Trimmed(head.substr(0, open));
    std::string_view list = head.substr(open + 1, head.size() - open - 2);
    std::vector<std::string> parameters;
    for (;;) {
        const std::size_t semicolon = list.find(';');
        parameters.emplace_back(Trimmed(list.substr(0, semicolon)));
        if (semicolon == std::string_view::npos) break;
        list.remove_prefix(semicolon + 1);
    }
    // A line is meant as a function when its body uses one of the names in
    // its parentheses; otherwise it is a text definition, as the formula
    // library's "v(t)=vei+acl*ttm".
    const std::string body = LoweredAscii(line.valueText);
    std::vector<std::size_t> at;
    bool used = false;
    for (const std::string& parameter : parameters) {
        FindWholeNames(body, LoweredAscii(parameter), at);
        used = used || !at.empty();
    }
    if (!used || name.empty()) return false;
    std::string why = NameProblem(name, "el nombre");
    for (std::size_t i = 0; i < parameters.size() && why.empty(); ++i) {
        why = NameProblem(parameters[i], "el parámetro");
        for (std::size_t j = 0; j < i && why.empty(); ++j)
            if (LoweredAscii(parameters[j]) == LoweredAscii(parameters[i]))
                why = "el parámetro «" + parameters[i] + "» está repetido";
    }
    if (why.empty() && parameters.size() > TMathParser::kMaxParameters)
        why = "tiene " + std::to_string(parameters.size()) + " parámetros, y una función tiene como mucho " +
              std::to_string(TMathParser::kMaxParameters);
    function.Name = std::string(name);
    if (!why.empty()) {
        if (whyNot != nullptr) *whyNot = why;
        return false;
    }
    function.Parameters = std::move(parameters);
    function.Body = line.valueText;
    return true;
}

std::string RejectedFunctionMessage(const TRejectedFunction& rejected)
{
    return "La línea " + std::to_string(rejected.Line) + " del cuaderno no define la función «" + rejected.Name +
           "»: " + rejected.Reason;
}

bool FindRejectedCall(const TNotebookDefinitions& defs, const std::string& expression, TCalcOutcome& out)
{
    if (defs.Rejected.empty()) return false;
    const std::string lowered = LoweredAscii(expression);
    std::vector<std::size_t> at;
    std::size_t first = std::string::npos;
    const TRejectedFunction* which = nullptr;
    for (const TRejectedFunction& rejected : defs.Rejected) {
        const std::string name = LoweredAscii(rejected.Name);
        bool defined = false; // a function of another line has the name
        for (const TFunctionSource& f : defs.Functions) defined = defined || LoweredAscii(f.Name) == name;
        if (defined) continue;
        FindWholeNames(lowered, name, at);
        for (const std::size_t from : at) {
            std::size_t next = from + name.size();
            while (next < lowered.size() && (lowered[next] == ' ' || lowered[next] == '\n' || lowered[next] == '\r')) ++next;
            if (next >= lowered.size() || lowered[next] != '(' || from >= first) continue;
            first = from;
            which = &rejected;
        }
    }
    if (which == nullptr) return false;
    out = {};
    out.expression = expression;
    out.rejectedLine = which->Line;
    out.errorCode = error_code::kInvalidArgument;
    out.errorPosition = static_cast<int32_t>(utf8::Length(std::string_view(expression).substr(0, first))) + 1;
    out.errorLength = static_cast<int32_t>(utf8::Length(which->Name));
    out.errorMessage = RejectedFunctionMessage(*which);
    return true;
}

} // namespace calc
