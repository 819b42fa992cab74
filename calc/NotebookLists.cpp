// Lists of the notebook: "t = 1.21; 1.25; 1.19; 1.22".
#include "calc/CalcCore.h"
#include "calc/NameText.h"

#include "analysis/ValueTable.h"
#include "engine/ErrorCodes.h"
#include "engine/Utf8.h"

#include <cmath>
#include <cstdint>

namespace calc {

namespace {

// The fields of a value text split at the ";" outside parentheses; one
// field when there is none.
std::vector<std::string_view> TopFields(std::string_view text)
{
    std::vector<std::string_view> fields;
    int depth = 0;
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '(') ++depth;
        else if (text[i] == ')') --depth;
        else if (text[i] == ';' && depth == 0) {
            fields.push_back(text.substr(from, i - from));
            from = i + 1;
        }
    }
    fields.push_back(text.substr(from));
    return fields;
}

bool PlainName(std::string_view name)
{
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
    const std::u32string chars = utf8::Decode(name);
    for (const char32_t c : chars)
        if (!ContinuesName(c)) return false;
    return true;
}

// value - origin, both exact decimals, rounded once or twice: exact when
// the difference has at most 19 digits and the decimal places at most 27.
bool ExactOffset(const analysis::TDecimal& value, const analysis::TDecimal& origin, long double& offset)
{
    const int low = std::min(value.Exponent, origin.Exponent);
    const auto scaled = [low](const analysis::TDecimal& d, __int128& out) {
        out = d.Digits;
        for (int k = d.Exponent; k > low; --k) {
            if (out > (__int128(1) << 120) / 10 || out < -((__int128(1) << 120) / 10)) return false;
            out *= 10;
        }
        return true;
    };
    __int128 a = 0, b = 0;
    if (low < -27 || low > 27 || !scaled(value, a) || !scaled(origin, b)) return false;
    const long double digits = static_cast<long double>(a - b);
    const long double power = std::pow(10.0L, static_cast<long double>(std::abs(low)));
    offset = low < 0 ? digits / power : digits * power;
    return std::isfinite(offset);
}

} // namespace

bool ReadListLine(const TNotebookLine& line, TDataList& list, std::string& why)
{
    why.clear();
    if (line.kind != TNotebookLine::Text) return false;
    const std::vector<std::string_view> fields = TopFields(line.valueText);
    long double first = 0;
    if (fields.size() < 2 || !ConvertValueText(fields[0], first)) return false;
    const std::string_view name = Trimmed(line.name);
    if (!PlainName(name)) return false;
    list = {};
    list.Name = std::string(name);
    list.Values.reserve(fields.size());
    for (std::size_t k = 0; k < fields.size(); ++k) {
        long double v = 0;
        if (!ConvertValueText(fields[k], v)) {
            why = "el valor " + std::to_string(k + 1) + " de la lista «" + list.Name + "», «" +
                  std::string(Trimmed(fields[k])) + "», no es un número";
            return false;
        }
        list.Values.push_back(v);
    }
    // The differences from the first value, from the decimal texts.
    SetOffsets(list);
    analysis::TDecimal origin, value;
    if (!analysis::ReadDecimal(fields[0], origin)) return true;
    for (std::size_t k = 1; k < fields.size(); ++k) {
        long double offset = 0;
        if (analysis::ReadDecimal(fields[k], value) && ExactOffset(value, origin, offset)) list.Offsets[k] = offset;
    }
    return true;
}

bool FindBrokenList(const TNotebookDefinitions& defs, const std::string& expression, TCalcOutcome& out)
{
    if (defs.BrokenLists.empty()) return false;
    const std::string lowered = LoweredAscii(expression);
    std::vector<std::size_t> at;
    std::size_t first = std::string::npos;
    const TBrokenList* which = nullptr;
    for (const TBrokenList& broken : defs.BrokenLists) {
        const std::string name = LoweredAscii(broken.Name);
        bool defined = false; // a list, value or function of another line has the name
        for (const TDataList& l : defs.Lists) defined = defined || LoweredAscii(l.Name) == name;
        for (const TNotebookLine& v : defs.Values) defined = defined || LoweredAscii(v.name) == name;
        for (const TFunctionSource& f : defs.Functions) defined = defined || LoweredAscii(f.Name) == name;
        if (defined) continue;
        FindWholeNames(lowered, name, at);
        if (!at.empty() && at.front() < first) {
            first = at.front();
            which = &broken;
        }
    }
    if (which == nullptr) return false;
    out = {};
    out.expression = expression;
    out.errorCode = error_code::kInvalidArgument;
    out.errorPosition = static_cast<int32_t>(utf8::Length(std::string_view(expression).substr(0, first))) + 1;
    out.errorLength = static_cast<int32_t>(utf8::Length(which->Name));
    out.errorMessage = "La línea " + std::to_string(which->Line) + " del cuaderno no es una lista: " + which->Reason;
    return true;
}

} // namespace calc
