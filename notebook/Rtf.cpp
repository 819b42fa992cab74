#include "notebook/Rtf.h"

#include "engine/Utf8.h"
#include "notebook/PlainText.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

namespace notebook {

std::string TLine::Text() const
{
    std::string out;
    for (const TRun& run : Runs) out += run.Text;
    return out;
}

std::string TRichDocument::PlainText() const
{
    std::string out;
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        if (i) out += '\n';
        out += Lines[i].Text();
    }
    return out;
}

namespace {

char32_t FromCp1252(unsigned char b) { return Windows1252ToUnicode(b); }
int ToCp1252(char32_t ch) { return UnicodeToWindows1252(ch); }

enum class Dest : uint8_t { Text, FontTable, ColourTable, Skip };

struct CharState {
    int Font = -1;  // \fN number; -1: the document's default
    int Colour = 0; // colour table index; 0: automatic
    int HalfPoints = 0;
    bool Bold = false, Italic = false, Underline = false, Strike = false;
    int Uc = 1;     // characters that follow a \uN as its fallback
    Dest Destination = Dest::Text;
};

struct FontEntry {
    std::string Name;
};

class Reader {
public:
    explicit Reader(std::string_view bytes) : B(bytes) {}
    void Run(TRichDocument& doc);

private:
    void ControlWord(const std::string& word, bool hasParam, long param);
    void Emit(char32_t ch);
    void EndLine();
    bool TakeFallback(); // true when a character is swallowed as \u fallback

    std::string_view B;
    std::size_t I = 0;
    std::vector<CharState> Stack;
    CharState S;
    TRichDocument* Doc = nullptr;
    std::map<int, FontEntry> Fonts;
    int FontNumber = -1; // entry being read in the font table
    std::string FontName;
    std::vector<std::optional<uint32_t>> Colours;
    int Red = -1, Green = -1, Blue = -1;
    int DefaultFont = -1;
    int SkipFallback = 0;
    char32_t PendingHighSurrogate = 0;
    bool LastWasPar = false;
    bool StarSeen = false; // "\*" just read: the group is an optional destination
    bool LineHasCell = false;
    bool FormatDirty = true; // the character state changed since the last run began
    bool RunOpen = false;    // the current line's last run has the current format
    std::size_t Overflow = 0; // groups nested beyond kMaxDepth share their parent's state
    static constexpr std::size_t kMaxDepth = 4096;
};

bool Reader::TakeFallback()
{
    if (SkipFallback > 0) {
        --SkipFallback;
        return true;
    }
    return false;
}

void Reader::Emit(char32_t ch)
{
    if (S.Destination == Dest::FontTable) {
        if (ch == U';') {
            if (FontNumber >= 0) {
                std::string name = FontName;
                while (!name.empty() && name.back() == ' ') name.pop_back();
                while (!name.empty() && name.front() == ' ') name.erase(name.begin());
                Fonts[FontNumber].Name = name;
            }
            FontName.clear();
        } else {
            utf8::Append(FontName, ch);
        }
        return;
    }
    if (S.Destination == Dest::ColourTable) {
        if (ch == U';') {
            if (Red < 0 && Green < 0 && Blue < 0) Colours.push_back(std::nullopt);
            else
                Colours.push_back((static_cast<uint32_t>(std::clamp(Red, 0, 255)) << 16) |
                                  (static_cast<uint32_t>(std::clamp(Green, 0, 255)) << 8) |
                                  static_cast<uint32_t>(std::clamp(Blue, 0, 255)));
            Red = Green = Blue = -1;
        }
        return;
    }
    if (S.Destination != Dest::Text) return;
    if (ch >= 0xD800 && ch <= 0xDBFF) { // high surrogate of a \u pair
        PendingHighSurrogate = ch;
        return;
    }
    if (ch >= 0xDC00 && ch <= 0xDFFF) {
        if (PendingHighSurrogate == 0) return;
        ch = 0x10000 + ((PendingHighSurrogate - 0xD800) << 10) + (ch - 0xDC00);
    }
    PendingHighSurrogate = 0;
    LastWasPar = false;
    auto& runs = Doc->Lines.back().Runs;
    if (RunOpen && !FormatDirty) {
        utf8::Append(runs.back().Text, ch);
        return;
    }
    TRun format;
    const int fontNumber = S.Font >= 0 ? S.Font : DefaultFont;
    if (auto it = Fonts.find(fontNumber); it != Fonts.end()) format.Font = it->second.Name;
    if (S.Colour > 0 && static_cast<std::size_t>(S.Colour) < Colours.size()) format.Colour = Colours[S.Colour];
    format.HalfPoints = S.HalfPoints;
    format.Bold = S.Bold;
    format.Italic = S.Italic;
    format.Underline = S.Underline;
    format.StrikeOut = S.Strike;
    if (runs.empty() || !runs.back().SameFormat(format)) runs.push_back(std::move(format));
    RunOpen = true;
    FormatDirty = false;
    utf8::Append(runs.back().Text, ch);
}

void Reader::EndLine()
{
    RunOpen = false;
    Doc->Lines.emplace_back();
    LastWasPar = true;
    LineHasCell = false;
}

void Reader::ControlWord(const std::string& w, bool hasParam, long p)
{
    const bool on = !hasParam || p != 0;
    FormatDirty = true;
    if (w == "bin") {
        // Binary data is skipped wherever it stands, skipped groups included.
        I = std::min(B.size(), I + static_cast<std::size_t>(std::max<long>(p, 0)));
        return;
    }
    if (StarSeen) {
        StarSeen = false;
        // An optional destination this reader does not know is skipped.
        S.Destination = Dest::Skip;
        return;
    }
    if (S.Destination == Dest::Skip) return;
    if (w == "fonttbl") {
        S.Destination = Dest::FontTable;
    } else if (w == "colortbl") {
        S.Destination = Dest::ColourTable;
    } else if (S.Destination == Dest::FontTable) {
        if (w == "f") {
            FontNumber = static_cast<int>(p);
            FontName.clear();
        }
    } else if (S.Destination == Dest::ColourTable) {
        if (w == "red") Red = static_cast<int>(p);
        else if (w == "green") Green = static_cast<int>(p);
        else if (w == "blue") Blue = static_cast<int>(p);
    } else if (w == "stylesheet" || w == "info" || w == "pict" || w == "header" || w == "footer" ||
               w == "headerl" || w == "headerr" || w == "headerf" || w == "footerl" || w == "footerr" ||
               w == "footerf" || w == "footnote" || w == "annotation" || w == "object" || w == "fldinst" ||
               w == "listtable" || w == "listoverridetable" || w == "revtbl" || w == "rsidtbl" ||
               w == "xmlnstbl" || w == "themedata" || w == "colorschememapping" || w == "latentstyles" ||
               w == "datastore" || w == "filetbl" || w == "nonshppict" || w == "shppict" || w == "generator" ||
               w == "private" || w == "txe" || w == "xe" || w == "tc" || w == "bkmkstart" || w == "bkmkend") {
        S.Destination = Dest::Skip;
    } else if (w == "par" || w == "line" || w == "sect" || w == "page") {
        EndLine();
    } else if (w == "cell" || w == "nestcell") {
        EndLine();
        LineHasCell = true;
    } else if (w == "row" || w == "nestrow") {
        // The cells already ended their lines.
        if (!Doc->Lines.back().Runs.empty()) EndLine();
    } else if (w == "tab") {
        Emit(U'\t');
    } else if (w == "emdash") {
        Emit(U'\u2014');
    } else if (w == "endash") {
        Emit(U'\u2013');
    } else if (w == "lquote") {
        Emit(U'\u2018');
    } else if (w == "rquote") {
        Emit(U'\u2019');
    } else if (w == "ldblquote") {
        Emit(U'\u201C');
    } else if (w == "rdblquote") {
        Emit(U'\u201D');
    } else if (w == "bullet") {
        Emit(U'\u2022');
    } else if (w == "emspace" || w == "enspace" || w == "qmspace") {
        Emit(U' ');
    } else if (w == "plain") {
        const int uc = S.Uc;
        const Dest d = S.Destination;
        S = CharState{};
        S.Uc = uc;
        S.Destination = d;
    } else if (w == "f") {
        S.Font = static_cast<int>(p);
    } else if (w == "deff") {
        DefaultFont = static_cast<int>(p);
    } else if (w == "cf") {
        S.Colour = static_cast<int>(p);
    } else if (w == "fs") {
        S.HalfPoints = p > 0 && p < 4000 ? static_cast<int>(p) : 0;
    } else if (w == "b") {
        S.Bold = on;
    } else if (w == "i") {
        S.Italic = on;
    } else if (w == "ul" || w == "uld" || w == "uldash" || w == "uldashd" || w == "uldashdd" || w == "uldb" ||
               w == "ulhwave" || w == "ulth" || w == "ulw" || w == "ulwave" || w == "ulldash" ||
               w == "ulthd" || w == "ulthdash") {
        S.Underline = on;
    } else if (w == "ulnone") {
        S.Underline = false;
    } else if (w == "strike" || w == "striked") {
        S.Strike = on;
    } else if (w == "uc") {
        S.Uc = static_cast<int>(std::clamp<long>(p, 0, 16));
    } else if (w == "u") {
        long v = p;
        if (v < 0) v += 65536;
        if (v >= 0 && v <= 0x10FFFF) Emit(static_cast<char32_t>(v));
        SkipFallback = S.Uc;
    }
}

void Reader::Run(TRichDocument& doc)
{
    Doc = &doc;
    doc.Lines.clear();
    doc.Lines.emplace_back();
    while (I < B.size()) {
        const char c = B[I];
        if (c == '{') {
            ++I;
            FormatDirty = true;
            if (Stack.size() >= kMaxDepth) {
                ++Overflow;
                continue;
            }
            Stack.push_back(S);
            SkipFallback = 0;
            StarSeen = false;
            continue;
        }
        if (c == '}') {
            ++I;
            FormatDirty = true;
            if (Overflow > 0) {
                --Overflow;
                continue;
            }
            if (S.Destination == Dest::FontTable && FontNumber >= 0 && !FontName.empty()) {
                // An entry that ends without ";".
                Emit(U';');
            }
            if (!Stack.empty()) {
                const Dest inner = S.Destination;
                S = Stack.back();
                Stack.pop_back();
                if (inner == Dest::FontTable && S.Destination != Dest::FontTable) FontNumber = -1;
            }
            SkipFallback = 0;
            StarSeen = false;
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++I;
            continue;
        }
        if (c != '\\') {
            ++I;
            if (TakeFallback()) continue;
            Emit(FromCp1252(static_cast<unsigned char>(c)));
            continue;
        }
        // A control word or symbol.
        ++I;
        if (I >= B.size()) break;
        const char d = B[I];
        if ((d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z')) {
            std::string word;
            while (I < B.size() && ((B[I] >= 'a' && B[I] <= 'z') || (B[I] >= 'A' && B[I] <= 'Z')) && word.size() < 64)
                word.push_back(B[I++]);
            while (I < B.size() && ((B[I] >= 'a' && B[I] <= 'z') || (B[I] >= 'A' && B[I] <= 'Z'))) ++I;
            bool negative = false, hasParam = false;
            long param = 0;
            if (I < B.size() && B[I] == '-') {
                negative = true;
                ++I;
            }
            while (I < B.size() && B[I] >= '0' && B[I] <= '9') {
                hasParam = true;
                if (param < 100000000L) param = param * 10 + (B[I] - '0'); // huge numbers saturate
                ++I;
            }
            if (negative) param = -param;
            if (I < B.size() && B[I] == ' ') ++I;
            if (SkipFallback > 0 && word != "u") {
                --SkipFallback;
                continue;
            }
            ControlWord(word, hasParam, param);
            continue;
        }
        ++I;
        switch (d) {
        case '\'': {
            int value = 0, digits = 0;
            while (digits < 2 && I < B.size()) {
                const char h = B[I];
                int v;
                if (h >= '0' && h <= '9') v = h - '0';
                else if (h >= 'a' && h <= 'f') v = h - 'a' + 10;
                else if (h >= 'A' && h <= 'F') v = h - 'A' + 10;
                else break;
                value = value * 16 + v;
                ++digits;
                ++I;
            }
            if (TakeFallback()) break;
            if (digits > 0) Emit(FromCp1252(static_cast<unsigned char>(value)));
            break;
        }
        case '*':
            StarSeen = true;
            break;
        case '\\':
        case '{':
        case '}':
            if (!TakeFallback()) Emit(static_cast<unsigned char>(d));
            break;
        case '~':
            if (!TakeFallback()) Emit(U'\u00A0');
            break;
        case '_':
            if (!TakeFallback()) Emit(U'\u2011');
            break;
        case '\r':
        case '\n':
            if (S.Destination == Dest::Text) EndLine();
            break;
        default: // \- optional hyphen, \: index, \| formula: nothing to show
            break;
        }
    }
    // The final paragraph mark ends the last line without starting another.
    if (LastWasPar && doc.Lines.size() > 1 && doc.Lines.back().Runs.empty()) doc.Lines.pop_back();
    if (doc.Lines.size() == 1 && doc.Lines.back().Runs.empty()) doc.Lines.clear();
}

bool LooksLikeRtf(std::string_view bytes)
{
    std::size_t i = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) ++i;
    return bytes.substr(i, 5) == "{\\rtf";
}

} // namespace

bool ReadRtf(std::string_view bytes, TRichDocument& document)
{
    if (!LooksLikeRtf(bytes)) return false;
    Reader(bytes).Run(document);
    return true;
}

TLoadResult LoadNotebook(std::string_view bytes, TRichDocument& document)
{
    if (bytes.size() > kMaxNotebookBytes || bytes.find('\0') != std::string_view::npos) return TLoadResult::Failed;
    TRichDocument read;
    if (ReadRtf(bytes, read)) {
        document = std::move(read);
        return TLoadResult::Rtf;
    }
    for (std::string& line : SplitLines(DecodeText(bytes))) {
        TLine l;
        if (!line.empty()) {
            TRun run;
            run.Text = std::move(line);
            l.Runs.push_back(std::move(run));
        }
        read.Lines.push_back(std::move(l));
    }
    document = std::move(read);
    return TLoadResult::PlainText;
}

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
        } else if (const int b = ToCp1252(ch); b >= 0x80) {
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

} // namespace

std::string WriteRtf(const TRichDocument& document)
{
    // Tables of the fonts and colours in use, in order of first use.
    std::vector<std::string> fonts;
    std::vector<uint32_t> colours;
    auto fontIndex = [&fonts](const std::string& face) {
        const std::string name = face.empty() ? std::string("Verdana") : face;
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
            body += "\\plain\\f" + std::to_string(fontIndex(run.Font));
            body += "\\fs" + std::to_string(run.HalfPoints > 0 ? run.HalfPoints : 18);
            body += "\\cf" + std::to_string(colourIndex(run.Colour));
            if (run.Bold) body += "\\b";
            if (run.Italic) body += "\\i";
            if (run.Underline) body += "\\ul";
            if (run.StrikeOut) body += "\\strike";
            body += ' ';
            AppendEscaped(body, run.Text);
        }
        body += "\\par\n";
    }
    if (fonts.empty()) fontIndex("");
    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset0 ";
        AppendEscaped(out, fonts[i]);
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
