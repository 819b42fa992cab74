#include "codec/Rtf.h"

#include "engine/Utf8.h"
#include "codec/CodePages.h"
#include "codec/PlainText.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <iconv.h>
#include <map>
#include <memory>
#include <unordered_map>

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

// ---- Control words ----

enum class Word : uint8_t {
    Unknown, Bin, FontTable, ColourTable, Font, Charset, FontCodePage, Red, Green, Blue, Skipped,
    Par, Line, Sect, Page, Cell, Row, Tab, Emdash, Endash, Lquote, Rquote, Ldblquote, Rdblquote,
    Bullet, Space, Plain, DefaultFont, Colour, Size, Bold, Italic, Underline, UnderlineNone, Strike,
    Uc, U, Ansi, AnsiCodePage, Mac, Pc, Pca,
};

Word Lookup(std::string_view w)
{
    static const std::unordered_map<std::string_view, Word> kWords = [] {
        std::unordered_map<std::string_view, Word> m = {
            {"bin", Word::Bin}, {"fonttbl", Word::FontTable}, {"colortbl", Word::ColourTable},
            {"f", Word::Font}, {"fcharset", Word::Charset}, {"cpg", Word::FontCodePage},
            {"red", Word::Red}, {"green", Word::Green}, {"blue", Word::Blue},
            {"par", Word::Par}, {"line", Word::Line}, {"sect", Word::Sect}, {"page", Word::Page},
            {"cell", Word::Cell}, {"nestcell", Word::Cell}, {"row", Word::Row}, {"nestrow", Word::Row},
            {"tab", Word::Tab}, {"emdash", Word::Emdash}, {"endash", Word::Endash}, {"lquote", Word::Lquote},
            {"rquote", Word::Rquote}, {"ldblquote", Word::Ldblquote}, {"rdblquote", Word::Rdblquote},
            {"bullet", Word::Bullet}, {"emspace", Word::Space}, {"enspace", Word::Space}, {"qmspace", Word::Space},
            {"plain", Word::Plain}, {"deff", Word::DefaultFont}, {"cf", Word::Colour}, {"fs", Word::Size},
            {"b", Word::Bold}, {"i", Word::Italic}, {"ulnone", Word::UnderlineNone},
            {"strike", Word::Strike}, {"striked", Word::Strike}, {"uc", Word::Uc}, {"u", Word::U},
            {"ansi", Word::Ansi}, {"ansicpg", Word::AnsiCodePage}, {"mac", Word::Mac}, {"pc", Word::Pc},
            {"pca", Word::Pca},
        };
        // Destinations whose text is not part of the document.  The list
        // numbers a word processor draws before each item (\listtext, and
        // \pntext with \pn in the older form) are among them.
        for (const char* w : {"stylesheet", "info", "pict", "header", "footer", "headerl", "headerr", "headerf",
                              "footerl", "footerr", "footerf", "footnote", "annotation", "object", "fldinst",
                              "listtable", "listoverridetable", "revtbl", "rsidtbl", "xmlnstbl", "themedata",
                              "colorschememapping", "latentstyles", "datastore", "filetbl", "nonshppict",
                              "shppict", "generator", "private", "txe", "xe", "tc", "bkmkstart", "bkmkend",
                              "listtext", "pntext", "pn", "pnseclvl", "pntxta", "pntxtb"})
            m.emplace(w, Word::Skipped);
        for (const char* w : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave", "ulth", "ulw",
                              "ulwave", "ulldash", "ulthd", "ulthdash"})
            m.emplace(w, Word::Underline);
        return m;
    }();
    const auto it = kWords.find(w);
    return it == kWords.end() ? Word::Unknown : it->second;
}

// ---- The reader ----

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
    int Charset = -1;  // \fcharsetN; -1: none given
    int CodePage = 0;  // \cpgN; 0: none given

    int TextCodePage(int documentCodePage) const
    {
        if (Charset == 2 || (Charset < 0 && IsSymbolName(Name))) return kSymbolFont;
        if (Charset > 1) {
            const int cp = CodePageOfCharset(Charset, 0);
            if (cp != 0) return cp;
        }
        return CodePage > 0 ? CodePage : documentCodePage;
    }
};

class Reader {
public:
    // `bytes` start with the "{" of the document's group.
    explicit Reader(std::string_view bytes) : All(bytes) { LimitAtNul(); }
    // False when a NUL byte stands before the document's end outside \bin data.
    bool Run(TRichDocument& doc);

private:
    void ControlWord(std::string_view word, bool hasParam, long param);
    void Emit(char32_t ch);
    void EndLine();
    bool TakeFallback(); // true when a character is swallowed as \u fallback
    void TextByte(unsigned char b);
    void CodedByte(unsigned char b);
    void FlushPending();
    void ResolveCodePage();
    void LimitAtNul();

    std::string_view All; // the whole input
    std::string_view B;   // the input up to its next NUL byte past I
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
    bool FormatDirty = true; // the character state changed since the last run began
    bool RunOpen = false;    // the current line's last run has the current format
    std::size_t Overflow = 0; // groups nested beyond kMaxDepth share their parent's state
    static constexpr std::size_t kMaxDepth = 4096;

    // Bytes of text become characters in the code page of the font in use.
    int DocumentCodePage = kWindows1252;
    bool CodePageDirty = true; // the state changed since CodePage was worked out
    int CodePage = kWindows1252;
    Converter* Conv = nullptr; // CodePage's converter; none for Windows-1252 and the symbol font
    std::map<int, std::unique_ptr<Converter>> Converters; // none: iconv does not know the code page
    std::string Pending;       // the first bytes of a multi-byte character
    std::u32string Converted;
};

void Reader::LimitAtNul()
{
    const std::size_t nul = All.find('\0', I);
    B = All.substr(0, nul);
}

bool Reader::TakeFallback()
{
    if (SkipFallback > 0) {
        --SkipFallback;
        return true;
    }
    return false;
}

void Reader::ResolveCodePage()
{
    CodePageDirty = false;
    int cp = kWindows1252;
    if (S.Destination == Dest::Text) {
        cp = DocumentCodePage;
        if (auto it = Fonts.find(S.Font >= 0 ? S.Font : DefaultFont); it != Fonts.end())
            cp = it->second.TextCodePage(DocumentCodePage);
    } else if (S.Destination == Dest::FontTable) {
        // A font's name is in its own character set, but a symbol font's name is plain.
        cp = DocumentCodePage;
        if (auto it = Fonts.find(FontNumber); it != Fonts.end() && it->second.Charset > 1)
            cp = CodePageOfCharset(it->second.Charset, DocumentCodePage);
        if (cp == kSymbolFont) cp = DocumentCodePage;
    }
    Conv = nullptr;
    CodePage = cp;
    if (cp == kWindows1252 || cp == kSymbolFont) return;
    auto it = Converters.find(cp);
    if (it == Converters.end()) it = Converters.emplace(cp, Converter::Open(cp)).first;
    Conv = it->second.get();
    if (!Conv) CodePage = kWindows1252; // a code page iconv does not know
}

void Reader::TextByte(unsigned char b)
{
    if (CodePageDirty) ResolveCodePage();
    if (CodePage == kWindows1252) Emit(FromCp1252(b));
    else CodedByte(b);
}

void Reader::CodedByte(unsigned char b)
{
    if (CodePage == kSymbolFont) {
        Emit(FromSymbol(b));
        return;
    }
    if (Pending.empty()) {
        const char32_t ch = Conv->Single(b);
        if (ch == Converter::kLead) {
            Pending.push_back(static_cast<char>(b));
        } else if (ch == Converter::kSeveral) {
            const char byte = static_cast<char>(b);
            Conv->Convert(&byte, 1, Converted);
            for (char32_t c : Converted) Emit(c);
        } else {
            Emit(ch);
        }
        return;
    }
    Pending.push_back(static_cast<char>(b));
    switch (Conv->Convert(Pending.data(), Pending.size(), Converted)) {
    case Converter::Result::Done:
        Pending.clear();
        for (char32_t c : Converted) Emit(c);
        return;
    case Converter::Result::Incomplete:
        if (Pending.size() < 4) return;
        [[fallthrough]];
    case Converter::Result::Invalid: {
        // The first byte stands for nothing; the others may begin characters.
        const std::string rest = Pending.substr(1);
        Pending.clear();
        Emit(U'\uFFFD');
        for (char c : rest) CodedByte(static_cast<unsigned char>(c));
        return;
    }
    }
}

void Reader::FlushPending()
{
    if (Pending.empty()) return;
    Pending.clear();
    Emit(U'\uFFFD');
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
}

void Reader::ControlWord(std::string_view w, bool hasParam, long p)
{
    const bool on = !hasParam || p != 0;
    FormatDirty = true;
    CodePageDirty = true;
    const Word word = Lookup(w);
    if (word == Word::Bin) {
        // Binary data is skipped wherever it stands, skipped groups included,
        // and may hold any byte.
        I = std::min(All.size(), I + static_cast<std::size_t>(std::max<long>(p, 0)));
        if (I > B.size()) LimitAtNul();
        return;
    }
    if (StarSeen) {
        StarSeen = false;
        // An optional destination this reader does not know is skipped.
        S.Destination = Dest::Skip;
        return;
    }
    if (S.Destination == Dest::Skip) return;
    if (word == Word::FontTable) {
        S.Destination = Dest::FontTable;
        return;
    }
    if (word == Word::ColourTable) {
        S.Destination = Dest::ColourTable;
        return;
    }
    if (S.Destination == Dest::FontTable) {
        switch (word) {
        case Word::Font:
            FontNumber = static_cast<int>(p);
            FontName.clear();
            return;
        case Word::Charset:
            if (FontNumber >= 0) Fonts[FontNumber].Charset = static_cast<int>(std::clamp<long>(p, 0, 255));
            return;
        case Word::FontCodePage:
            if (FontNumber >= 0) Fonts[FontNumber].CodePage = static_cast<int>(std::max<long>(p, 0));
            return;
        case Word::Uc:
        case Word::U:
            break; // a name's characters outside the font's character set
        default:
            return;
        }
    } else if (S.Destination == Dest::ColourTable) {
        if (word == Word::Red) Red = static_cast<int>(p);
        else if (word == Word::Green) Green = static_cast<int>(p);
        else if (word == Word::Blue) Blue = static_cast<int>(p);
        return;
    }
    switch (word) {
    case Word::Skipped: S.Destination = Dest::Skip; break;
    case Word::Par:
    case Word::Line: EndLine(); break;
    case Word::Sect:
    case Word::Page:
        // A break ends a paragraph that has text; right after a paragraph
        // mark it starts no empty line of its own.
        if (!Doc->Lines.back().Runs.empty()) EndLine();
        break;
    case Word::Cell: EndLine(); break;
    case Word::Row:
        // The cells already ended their lines.
        if (!Doc->Lines.back().Runs.empty()) EndLine();
        break;
    case Word::Tab: Emit(U'\t'); break;
    case Word::Emdash: Emit(U'\u2014'); break;
    case Word::Endash: Emit(U'\u2013'); break;
    case Word::Lquote: Emit(U'\u2018'); break;
    case Word::Rquote: Emit(U'\u2019'); break;
    case Word::Ldblquote: Emit(U'\u201C'); break;
    case Word::Rdblquote: Emit(U'\u201D'); break;
    case Word::Bullet: Emit(U'\u2022'); break;
    case Word::Space: Emit(U' '); break;
    case Word::Plain: {
        const int uc = S.Uc;
        const Dest d = S.Destination;
        S = CharState{};
        S.Uc = uc;
        S.Destination = d;
        break;
    }
    case Word::Font: S.Font = static_cast<int>(p); break;
    case Word::DefaultFont: DefaultFont = static_cast<int>(p); break;
    case Word::Colour: S.Colour = static_cast<int>(p); break;
    case Word::Size: S.HalfPoints = p > 0 && p < 4000 ? static_cast<int>(p) : 0; break;
    case Word::Bold: S.Bold = on; break;
    case Word::Italic: S.Italic = on; break;
    case Word::Underline: S.Underline = on; break;
    case Word::UnderlineNone: S.Underline = false; break;
    case Word::Strike: S.Strike = on; break;
    case Word::Uc: S.Uc = static_cast<int>(std::clamp<long>(p, 0, 16)); break;
    case Word::U: {
        long v = p;
        if (v < 0) v += 65536;
        if (v >= 0xF020 && v <= 0xF0FF) {
            // A symbol font's characters as the private-use characters of its bytes.
            ResolveCodePage();
            if (CodePage == kSymbolFont) v = static_cast<long>(FromSymbol(static_cast<unsigned char>(v & 0xFF)));
        }
        if (v >= 0 && v <= 0x10FFFF) Emit(static_cast<char32_t>(v));
        SkipFallback = S.Uc;
        break;
    }
    case Word::Ansi: DocumentCodePage = kWindows1252; break;
    case Word::AnsiCodePage:
        if (p > 0) DocumentCodePage = static_cast<int>(p);
        break;
    case Word::Mac: DocumentCodePage = 10000; break;
    case Word::Pc: DocumentCodePage = 437; break;
    case Word::Pca: DocumentCodePage = 850; break;
    default: break;
    }
}

bool Reader::Run(TRichDocument& doc)
{
    Doc = &doc;
    doc.Lines.clear();
    doc.Lines.emplace_back();
    bool ended = false; // the document's own group closed
    while (I < B.size()) {
        const char c = B[I];
        if (c == '{') {
            ++I;
            FlushPending();
            FormatDirty = true;
            CodePageDirty = true;
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
            FlushPending();
            FormatDirty = true;
            CodePageDirty = true;
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
            if (Stack.empty()) {
                // Whatever follows the document is not part of it.
                ended = true;
                break;
            }
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++I;
            continue;
        }
        if (c != '\\') {
            ++I;
            if (TakeFallback()) continue;
            TextByte(static_cast<unsigned char>(c));
            continue;
        }
        // A control word or symbol.
        ++I;
        if (I >= B.size()) break;
        const char d = B[I];
        if ((d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z')) {
            FlushPending();
            char word[64];
            std::size_t length = 0;
            while (I < B.size() && ((B[I] >= 'a' && B[I] <= 'z') || (B[I] >= 'A' && B[I] <= 'Z')) &&
                   length < sizeof word)
                word[length++] = B[I++];
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
            const std::string_view w(word, length);
            if (SkipFallback > 0 && w != "u") {
                --SkipFallback;
                continue;
            }
            ControlWord(w, hasParam, param);
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
            if (digits > 0) TextByte(static_cast<unsigned char>(value));
            break;
        }
        case '\\':
        case '{':
        case '}':
            // Also the second byte of a double-byte character.
            if (!TakeFallback()) TextByte(static_cast<unsigned char>(d));
            break;
        case '*':
            FlushPending();
            StarSeen = true;
            break;
        case '~':
            FlushPending();
            if (!TakeFallback()) Emit(U'\u00A0');
            break;
        case '_':
            FlushPending();
            if (!TakeFallback()) Emit(U'\u2011');
            break;
        case '\r':
        case '\n':
            FlushPending();
            if (S.Destination == Dest::Text) EndLine();
            break;
        default: // \- optional hyphen, \: index, \| formula: nothing to show
            break;
        }
    }
    FlushPending();
    // Stopped short of the end at a NUL byte.
    if (!ended && B.size() < All.size()) return false;
    // The final paragraph mark ends the last line without starting another.
    if (LastWasPar && doc.Lines.size() > 1 && doc.Lines.back().Runs.empty()) doc.Lines.pop_back();
    if (doc.Lines.size() == 1 && doc.Lines.back().Runs.empty()) doc.Lines.clear();
    return true;
}

// Where the document's "{\rtf" begins, after a UTF-8 byte-order mark and
// blanks; npos when the bytes do not begin an RTF document.
std::size_t RtfStart(std::string_view bytes)
{
    std::size_t i = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) ++i;
    return bytes.substr(i, 5) == "{\\rtf" ? i : std::string_view::npos;
}

} // namespace

bool ReadRtf(std::string_view bytes, TRichDocument& document)
{
    const std::size_t start = RtfStart(bytes);
    if (start == std::string_view::npos) return false;
    return Reader(bytes.substr(start)).Run(document);
}

TLoadResult LoadNotebook(std::string_view bytes, TRichDocument& document)
{
    if (bytes.size() > kMaxNotebookBytes) return TLoadResult::Failed;
    TRichDocument read;
    std::string text;
    if (HasUtf16Mark(bytes)) {
        // UTF-16 holds NUL bytes of its own; a NUL character still fails.
        text = DecodeText(bytes);
        if (text.find('\0') != std::string::npos) return TLoadResult::Failed;
    } else if (RtfStart(bytes) != std::string_view::npos) {
        if (!ReadRtf(bytes, read)) return TLoadResult::Failed;
        document = std::move(read);
        return TLoadResult::Rtf;
    } else {
        if (bytes.find('\0') != std::string_view::npos) return TLoadResult::Failed;
        text = DecodeText(bytes);
    }
    for (std::string& line : SplitLines(text)) {
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

} // namespace notebook
