// The RTF writer: a font table, a colour table, \ansicpg1252, \'hh for
// Windows-1252 characters and \uN for the others.
#include "codec/Rtf.h"

#include "engine/Utf8.h"
#include "codec/CodePages.h"
#include "codec/PlainText.h"

#include <algorithm>
#include <map>

namespace notebook {

namespace {

void AppendEscaped(std::string& out, const std::string& text)
{
    for (char32_t ch : utf8::Decode(text)) {
        if (ch == U'\\' || ch == U'{' || ch == U'}') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch == U'\t') {
            out += "\\tab ";
        } else if (ch >= 0x20 && ch < 0x7F) {
            out += static_cast<char>(ch);
        } else if (const int b = UnicodeToWindows1252(ch); b >= 0x80) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "\\'%02x", b & 0xFF);
            out += buf;
        } else {
            auto unit = [&out](int u) {
                out += "\\u" + std::to_string(u > 32767 ? u - 65536 : u) + "?";
            };
            if (ch > 0xFFFF) {
                const char32_t v = ch - 0x10000;
                unit(static_cast<int>(0xD800 + (v >> 10)));
                unit(static_cast<int>(0xDC00 + (v & 0x3FF)));
            } else {
                unit(static_cast<int>(ch));
            }
        }
    }
}

// A run of a symbol font other than Symbol (Wingdings…) read as the
// private-use characters of its bytes: written back as those bytes in
// character set 2, as such fonts are written.
bool IsSymbolByteRun(const TRun& run)
{
    if (run.Text.empty() || IsSymbolName(run.Font)) return false;
    // A face that reads back as itself: not empty, no blanks around it, no
    // ";" or control characters.
    const std::string& face = run.Font;
    if (face.empty() || face.front() == ' ' || face.back() == ' ') return false;
    for (const char c : face)
        if (c == ';' || static_cast<unsigned char>(c) < 0x20) return false;
    if (static_cast<unsigned char>(run.Text[0]) != 0xEF) return false; // U+F020..U+F0FF begin so in UTF-8
    for (char32_t ch : utf8::Decode(run.Text))
        if (!IsSymbolByteChar(ch)) return false;
    return true;
}

void AppendSymbolBytes(std::string& out, const std::string& text)
{
    for (char32_t ch : utf8::Decode(text)) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\'%02x", static_cast<unsigned>(ch & 0xFF));
        out += buf;
    }
}

struct FontEntry {
    std::string Name;
    bool SymbolBytes;
    bool operator==(const FontEntry&) const = default;
};

} // namespace

std::string WriteRtf(const TRichDocument& document)
{
    // Tables of the fonts and colours in use, in order of first use.
    std::vector<FontEntry> fonts;
    std::vector<uint32_t> colours;
    auto fontIndex = [&fonts](const std::string& face, bool symbolBytes = false) {
        const FontEntry name{face.empty() ? std::string("Verdana") : face, symbolBytes};
        auto it = std::find(fonts.begin(), fonts.end(), name);
        if (it != fonts.end()) return static_cast<int>(it - fonts.begin());
        fonts.push_back(name);
        return static_cast<int>(fonts.size()) - 1;
    };
    auto colourIndex = [&colours](const std::optional<uint32_t>& c) {
        if (!c) return 0;
        auto it = std::find(colours.begin(), colours.end(), *c);
        if (it != colours.end()) return static_cast<int>(it - colours.begin()) + 1;
        colours.push_back(*c);
        return static_cast<int>(colours.size());
    };
    std::string body;
    for (const TLine& line : document.Lines) {
        for (const TRun& run : line.Runs) {
            const bool symbolBytes = IsSymbolByteRun(run);
            body += "\\plain\\f" + std::to_string(fontIndex(run.Font, symbolBytes));
            body += "\\fs" + std::to_string(run.HalfPoints > 0 ? run.HalfPoints : 18);
            body += "\\cf" + std::to_string(colourIndex(run.Colour));
            if (run.Bold) body += "\\b";
            if (run.Italic) body += "\\i";
            if (run.Underline) body += "\\ul";
            if (run.StrikeOut) body += "\\strike";
            body += ' ';
            if (symbolBytes) AppendSymbolBytes(body, run.Text);
            else AppendEscaped(body, run.Text);
        }
        body += "\\par\n";
    }
    if (fonts.empty()) fontIndex("");
    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + std::to_string(i) + (fonts[i].SymbolBytes ? "\\fnil\\fcharset2 " : "\\fnil\\fcharset0 ");
        AppendEscaped(out, fonts[i].Name);
        out += ";}";
    }
    out += "}\n{\\colortbl;";
    for (uint32_t c : colours)
        out += "\\red" + std::to_string((c >> 16) & 0xFF) + "\\green" + std::to_string((c >> 8) & 0xFF) + "\\blue" +
               std::to_string(c & 0xFF) + ";";
    out += "}\n\\pard ";
    out += body;
    out += "}\n";
    return out;
}

} // namespace notebook
