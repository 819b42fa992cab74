#include "calc/DataText.h"

#include "engine/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace calc {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The lines of the text without their line breaks (\n, \r\n or \r), with
// the blank lines at either end left out; `first` is the number (from 1)
// of the first kept.
std::vector<std::string_view> Lines(std::string_view text, int& first)
{
    std::vector<std::string_view> lines;
    while (true) {
        const size_t end = text.find_first_of("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1);
    }
    while (!lines.empty() && Trim(lines.back()).empty())
        lines.pop_back();
    size_t blank = 0;
    while (blank < lines.size() && Trim(lines[blank]).empty())
        ++blank;
    lines.erase(lines.begin(), lines.begin() + blank);
    first = static_cast<int>(blank) + 1;
    return lines;
}

// The separator of the fields: a tab, ";" or "," seen outside quotes, in
// that order of preference; 0 when there is none (one field a line).
char Separator(std::string_view text)
{
    bool quoted = false, tab = false, semicolon = false, comma = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (c == '\n' || c == '\r')
            quoted = false;
        else if (!quoted) {
            tab = tab || c == '\t';
            semicolon = semicolon || c == ';';
            comma = comma || c == ',';
        }
    }
    return tab ? '\t' : semicolon ? ';' : comma ? ',' : 0;
}

// A field of a line, trimmed and unquoted; a quoted one may hold a
// decimal comma whatever the separator.
struct TField {
    std::string Text;
    bool Quoted = false;
};

// The fields of a line.
std::vector<TField> Fields(std::string_view line, char separator)
{
    std::vector<TField> fields;
    size_t i = 0;
    while (true) {
        TField field;
        while (i < line.size() && line[i] != separator && IsBlank(line[i]))
            ++i;
        if (i < line.size() && line[i] == '"') {
            field.Quoted = true;
            for (++i; i < line.size(); ++i) {
                if (line[i] != '"')
                    field.Text += line[i];
                else if (i + 1 < line.size() && line[i + 1] == '"')
                    field.Text += line[++i];
                else
                    break;
            }
            while (i < line.size() && line[i] != separator)
                ++i; // whatever follows the closing quote
        } else {
            const size_t end = separator ? std::min(line.find(separator, i), line.size()) : line.size();
            field.Text = Trim(line.substr(i, end - i));
            i = end;
        }
        fields.push_back(field);
        if (i >= line.size())
            return fields;
        ++i; // the separator
    }
}

// `field` as a normalised number text, or false when it is not a number;
// `comma` reads a decimal comma.
bool ReadNumber(std::string_view field, bool comma, std::string& number)
{
    size_t i = 0;
    std::string sign;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        sign = field[i++] == '-' ? "-" : "";
    std::string whole, fraction;
    while (i < field.size() && IsDigit(field[i]))
        whole += field[i++];
    if (i < field.size() && (field[i] == '.' || (comma && field[i] == ','))) {
        ++i;
        while (i < field.size() && IsDigit(field[i]))
            fraction += field[i++];
    }
    if (whole.empty() && fraction.empty())
        return false;
    std::string exponent;
    if (i < field.size() && (field[i] == 'e' || field[i] == 'E')) {
        ++i;
        if (i < field.size() && (field[i] == '+' || field[i] == '-'))
            exponent = field[i++] == '-' ? "-" : "";
        const size_t digits = i;
        while (i < field.size() && IsDigit(field[i]))
            exponent += field[i++];
        if (i == digits)
            return false;
        exponent = "E" + exponent;
    }
    if (i != field.size())
        return false;
    number = sign + (whole.empty() ? "0" : whole) + (fraction.empty() ? "" : "." + fraction) + exponent;
    return true;
}

// `field` as a normalised number text: a decimal comma is read in a field
// in quotes or where `comma` says so.
bool ReadField(const TField& field, bool comma, std::string& number)
{
    return ReadNumber(field.Text, comma || field.Quoted, number);
}

// True when the lines, bar a first one without a "," outside quotes, are
// each blank or one number with a decimal comma: a single column pasted
// from a Spanish spreadsheet, not two.
bool OneCommaColumn(const std::vector<std::string_view>& lines)
{
    std::string number;
    for (size_t row = 0; row < lines.size(); ++row) {
        const std::string_view line = Trim(lines[row]);
        if (row == 0 && Fields(line, ',').size() == 1)
            continue;
        if (!line.empty() && !ReadNumber(line, true, number))
            return false;
    }
    return true;
}

// The first non-empty field of the first row that is not a number, with
// its column from 0; fields.size() when there is none.  `numbers` tells
// whether some field is a number.
size_t FirstWord(const std::vector<TField>& fields, bool comma, bool& numbers)
{
    std::string number;
    size_t word = fields.size();
    numbers = false;
    for (size_t col = 0; col < fields.size(); ++col) {
        if (fields[col].Text.empty())
            continue;
        if (ReadField(fields[col], comma, number))
            numbers = true;
        else if (word == fields.size())
            word = col;
    }
    return word;
}

std::string NotANumber(int line, size_t col, const std::string& field)
{
    return "Fila " + std::to_string(line) + ", columna " + std::to_string(col + 1) + ": «" + field +
           "» no es un número";
}

} // namespace

bool ReadDataText(std::string_view text, TDataTable& table, std::string& why)
{
    table = TDataTable{};
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    int firstLine = 1;
    const std::vector<std::string_view> lines = Lines(text, firstLine);
    if (lines.empty()) {
        why = "No hay datos que leer";
        return false;
    }
    char separator = Separator(text);
    if (separator == ',' && OneCommaColumn(lines))
        separator = 0;
    const bool comma = separator != ',';
    std::vector<TField> fields = Fields(lines[0], separator);
    bool numbers = false;
    const size_t word = FirstWord(fields, comma, numbers);
    if (word < fields.size() && numbers) {
        why = NotANumber(firstLine, word, fields[word].Text);
        return false;
    }
    const size_t header = word < fields.size() ? 1 : 0;
    if (header)
        for (const TField& name : fields)
            table.Columns.push_back({name.Text, {}});
    for (size_t row = header; row < lines.size(); ++row) {
        fields = Fields(lines[row], separator);
        if (table.Columns.size() < fields.size())
            table.Columns.resize(fields.size());
        for (size_t col = 0; col < fields.size(); ++col) {
            if (fields[col].Text.empty())
                continue;
            std::string number;
            if (!ReadField(fields[col], comma, number)) {
                table = TDataTable{};
                why = NotANumber(firstLine + static_cast<int>(row), col, fields[col].Text);
                return false;
            }
            // Blank cells above this one are filled in only now, so that
            // each column ends at its last number.
            std::vector<std::string>& cells = table.Columns[col].Cells;
            cells.resize(row - header);
            cells.push_back(number);
        }
    }
    while (!table.Columns.empty() && table.Columns.back().Name.empty() && table.Columns.back().Cells.empty())
        table.Columns.pop_back();
    return true;
}

namespace {

// A name as a CSV field: quoted when it holds what would split it or be
// trimmed away.
std::string CsvName(const std::string& name)
{
    const bool quote = name.find_first_of(";\"\r\n") != std::string::npos ||
                       (!name.empty() && (IsBlank(name.front()) || IsBlank(name.back())));
    if (!quote)
        return name;
    std::string text = "\"";
    for (char c : name)
        text += c == '"' ? std::string("\"\"") : std::string(1, c);
    return text + "\"";
}

} // namespace

std::string WriteDataCsv(const TDataTable& table)
{
    std::string text;
    size_t rows = 0;
    bool named = false;
    for (const TDataColumn& column : table.Columns) {
        rows = std::max(rows, column.Cells.size());
        named = named || !column.Name.empty();
    }
    if (named) {
        for (size_t col = 0; col < table.Columns.size(); ++col)
            text += (col ? ";" : "") + CsvName(table.Columns[col].Name);
        text += "\n";
    }
    for (size_t row = 0; row < rows; ++row) {
        for (size_t col = 0; col < table.Columns.size(); ++col) {
            if (col)
                text += ';';
            const std::vector<std::string>& cells = table.Columns[col].Cells;
            if (row < cells.size())
                for (char c : cells[row])
                    text += c == '.' ? ',' : c;
        }
        text += "\n";
    }
    return text;
}

namespace {

// A magnitude in decimal: Digits (no leading or trailing zeros, empty for
// 0) times 10^Last.
struct TDecimalDigits {
    std::string Digits;
    int Last = 0;
};

// The shortest decimal text that reads back as |value|, as digits.
TDecimalDigits DecimalDigits(long double value)
{
    const std::string text = FormatRoundTrip(std::fabs(value));
    const size_t e = text.find('E');
    const std::string mantissa = text.substr(0, e);
    TDecimalDigits d;
    d.Last = e == std::string::npos ? 0 : std::atoi(text.c_str() + e + 1);
    const size_t point = mantissa.find('.');
    if (point != std::string::npos)
        d.Last -= static_cast<int>(mantissa.size() - point - 1);
    for (char c : mantissa)
        if (IsDigit(c) && !(d.Digits.empty() && c == '0'))
            d.Digits += c;
    while (!d.Digits.empty() && d.Digits.back() == '0') {
        d.Digits.pop_back();
        ++d.Last;
    }
    return d;
}

// |value| / 10^place rounded half up to a whole number, in decimal.
std::string RoundAt(const TDecimalDigits& d, int place)
{
    if (d.Digits.empty())
        return "0";
    if (d.Last >= place)
        return d.Digits + std::string(d.Last - place, '0');
    const int keep = static_cast<int>(d.Digits.size()) - (place - d.Last);
    if (keep < 0)
        return "0";
    std::string kept = d.Digits.substr(0, keep);
    if (d.Digits[keep] >= '5') {
        int i = keep - 1;
        for (; i >= 0 && kept[i] == '9'; --i)
            kept[i] = '0';
        if (i < 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[i];
    }
    return kept.empty() ? "0" : kept;
}

// The power of ten of the first digit of whole x 10^place (whole not 0).
int Lead(const std::string& whole, int place) { return static_cast<int>(whole.size()) - 1 + place; }

// whole x 10^place written in units of 10^power, in fixed notation.
std::string Fixed(const std::string& whole, int place, int power)
{
    const int shift = place - power;
    if (shift >= 0)
        return whole == "0" ? whole : whole + std::string(shift, '0');
    const size_t decimals = -shift;
    std::string digits = whole;
    if (digits.size() <= decimals)
        digits.insert(0, decimals + 1 - digits.size(), '0');
    digits.insert(digits.size() - decimals, ".");
    return digits;
}

// "(value ± uncertainty)" with the uncertainty rounded to one or two
// significant digits and the value to the same place.
std::string RoundedPair(long double value, long double uncertainty)
{
    const TDecimalDigits u = DecimalDigits(uncertainty);
    const int first = u.Last + static_cast<int>(u.Digits.size()) - 1;
    const int place = first - (u.Digits[0] <= '2' ? 1 : 0);
    const std::string roundedU = RoundAt(u, place), roundedV = RoundAt(DecimalDigits(value), place);
    const int leadU = Lead(roundedU, place);
    const int leadV = roundedV == "0" ? leadU : Lead(roundedV, place);
    const auto beyond = [](int lead) { return lead < -5 || lead >= 6; };
    const int power = beyond(leadU) || beyond(leadV) ? std::max(leadU, leadV) : 0;
    const bool negative = value < 0 && roundedV.find_first_not_of('0') != std::string::npos;
    std::string text = "(" + std::string(negative ? "-" : "") + Fixed(roundedV, place, power) + " ± " +
                       Fixed(roundedU, place, power) + ")";
    return power ? text + "E" + std::to_string(power) : text;
}

} // namespace

std::string LabValue(std::string_view name, long double value, long double uncertainty, std::string_view unit)
{
    std::string text = name.empty() ? std::string() : std::string(name) + " = ";
    if (!std::isfinite(value) || !std::isfinite(uncertainty))
        return text + "—";
    if (uncertainty == 0)
        text += "(" + FormatGeneral(value, 15) + " ± 0)";
    else
        text += RoundedPair(value, uncertainty);
    return unit.empty() ? text : text + " " + std::string(unit);
}

} // namespace calc
