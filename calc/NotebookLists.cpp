// Lists of the notebook: "t = 1.21; 1.25; 1.19; 1.22".
#include "calc/CalcCore.h"
#include "calc/NameText.h"

#include "analysis/ValueTable.h"
#include "engine/ErrorCodes.h"
#include "engine/Utf8.h"

#include <array>
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
    // Powers of ten up to 10^27 are exact in the extended format.
    static const auto kPowers = [] {
        std::array<long double, 28> p{};
        p[0] = 1;
        for (std::size_t k = 1; k < p.size(); ++k) p[k] = p[k - 1] * 10;
        return p;
    }();
    const long double power = kPowers[static_cast<std::size_t>(std::abs(low))];
    offset = low < 0 ? digits / power : digits * power;
    return std::isfinite(offset);
}

} // namespace

bool ReadListLine(const TNotebookLine& line, TDataList& list, std::string& why, std::vector<std::string>* texts)
{
    why.clear();
    if (line.kind != TNotebookLine::Text) return false;
    std::vector<std::string_view> fields = TopFields(line.valueText);
    long double first = 0;
    if (fields.size() < 2 || !ConvertValueText(fields[0], first)) return false;
    // A ";" may end the list: "t = 5;" is a list of one value.
    if (Trimmed(fields.back()).empty()) fields.pop_back();
    const std::string_view name = Trimmed(line.name);
    if (!IsFunctionName(name)) return false;
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
        if (texts != nullptr) texts->emplace_back(Trimmed(fields[k]));
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

void ExplainBrokenList(const TNotebookDefinitions& defs, TCalcOutcome& out)
{
    if (out.ok || out.errorCode != error_code::kUnknownValue || out.errorPosition < 1 || defs.BrokenLists.empty())
        return;
    const std::u32string text = utf8::Decode(out.expression);
    const auto from = static_cast<std::size_t>(out.errorPosition - 1);
    if (from >= text.size()) return;
    const std::string unknown =
        LoweredAscii(utf8::Encode(text.substr(from, static_cast<std::size_t>(std::max(out.errorLength, 0)))));
    for (const TBrokenList& broken : defs.BrokenLists) {
        if (LoweredAscii(broken.Name) != unknown) continue;
        out.errorMessage = "La línea " + std::to_string(broken.Line) + " del cuaderno no es una lista: " + broken.Reason;
        return;
    }
}

} // namespace calc
