// The RTF reader's control words: destinations, the font and colour tables,
// breaks, special characters, character formats, Unicode characters and
// code pages.
#include "codec/CodePages.h"
#include "codec/RtfReader.h"

#include <algorithm>
#include <unordered_map>

namespace notebook::rtf {

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
            {"pca", Word::Pca}, {"upr", Word::Upr}, {"ud", Word::Ud},
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

void Reader::ControlWord(std::string_view w, bool hasParam, long p)
{
    FormatDirty = true;
    CodePageDirty = true;
    const Word word = Lookup(w);
    if (word == Word::Bin) {
        SkipBinary(p);
        return;
    }
    if (word == Word::Ud && S.InUpr) {
        // The Unicode alternative of {\upr …}: read it where the \upr group
        // stands.  It needs no fallback characters.
        StarSeen = false;
        S.Destination = S.UprDestination;
        S.InUpr = false;
        S.Uc = 0;
        return;
    }
    if (StarSeen) {
        StarSeen = false;
        // An optional destination this reader does not know is skipped.
        S.Destination = Dest::Skip;
        return;
    }
    if (S.Destination == Dest::Skip || TableWord(word)) return;
    if (S.Destination == Dest::FontTable) {
        if (!FontTableWord(word, p)) return;
    } else if (S.Destination == Dest::ColourTable) {
        ColourTableWord(word, p);
        return;
    }
    const bool on = !hasParam || p != 0;
    if (DestinationWord(word) || BreakWord(word) || CharacterWord(word) || FormatWord(word, on, p) ||
        UnicodeWord(word, p))
        return;
    CodePageWord(word, p);
}

void Reader::SkipBinary(long count)
{
    // Binary data is skipped wherever it stands, skipped groups included,
    // and may hold any byte.
    I = std::min(All.size(), I + static_cast<std::size_t>(std::max<long>(count, 0)));
    if (I > B.size()) LimitAtNul();
}

bool Reader::TableWord(Word word)
{
    if (word == Word::FontTable) S.Destination = Dest::FontTable;
    else if (word == Word::ColourTable) S.Destination = Dest::ColourTable;
    else return false;
    return true;
}

bool Reader::DestinationWord(Word word)
{
    switch (word) {
    case Word::Skipped: S.Destination = Dest::Skip; return true;
    case Word::Upr:
        // {\upr{ANSI text}{\*\ud{Unicode text}}}: the first is skipped.
        S.UprDestination = S.Destination;
        S.InUpr = true;
        S.Destination = Dest::Skip;
        return true;
    default: return false;
    }
}

bool Reader::FontTableWord(Word word, long p)
{
    switch (word) {
    case Word::Font:
        FontNumber = static_cast<int>(p);
        FontName.clear();
        return false;
    case Word::Charset:
        if (FontNumber >= 0) Fonts[FontNumber].Charset = static_cast<int>(std::clamp<long>(p, 0, 255));
        return false;
    case Word::FontCodePage:
        if (FontNumber >= 0) Fonts[FontNumber].CodePage = static_cast<int>(std::max<long>(p, 0));
        return false;
    case Word::Uc:
    case Word::U: return true; // a name's characters outside the font's character set
    default: return false;
    }
}

void Reader::ColourTableWord(Word word, long p)
{
    if (word == Word::Red) Red = static_cast<int>(p);
    else if (word == Word::Green) Green = static_cast<int>(p);
    else if (word == Word::Blue) Blue = static_cast<int>(p);
}

bool Reader::BreakWord(Word word)
{
    switch (word) {
    case Word::Par:
    case Word::Line:
    case Word::Cell: EndLine(); return true;
    case Word::Sect:
    case Word::Page:
        // A break ends a paragraph that has text; right after a paragraph
        // mark it starts no empty line of its own.
        if (!Doc->Lines.back().Runs.empty()) EndLine();
        return true;
    case Word::Row:
        // The cells already ended their lines.
        if (!Doc->Lines.back().Runs.empty()) EndLine();
        return true;
    default: return false;
    }
}

bool Reader::CharacterWord(Word word)
{
    char32_t ch;
    switch (word) {
    case Word::Tab: ch = U'\t'; break;
    case Word::Emdash: ch = U'\u2014'; break;
    case Word::Endash: ch = U'\u2013'; break;
    case Word::Lquote: ch = U'\u2018'; break;
    case Word::Rquote: ch = U'\u2019'; break;
    case Word::Ldblquote: ch = U'\u201C'; break;
    case Word::Rdblquote: ch = U'\u201D'; break;
    case Word::Bullet: ch = U'\u2022'; break;
    case Word::Space: ch = U' '; break;
    default: return false;
    }
    Emit(ch);
    return true;
}

bool Reader::FormatWord(Word word, bool on, long p)
{
    switch (word) {
    case Word::Plain: {
        CharState plain;
        plain.Uc = S.Uc;
        plain.Destination = S.Destination;
        plain.InUpr = S.InUpr;
        plain.UprDestination = S.UprDestination;
        S = plain;
        return true;
    }
    case Word::Font: S.Font = static_cast<int>(p); return true;
    case Word::DefaultFont: DefaultFont = static_cast<int>(p); return true;
    case Word::Colour: S.Colour = static_cast<int>(p); return true;
    case Word::Size: S.HalfPoints = p > 0 && p < 4000 ? static_cast<int>(p) : 0; return true;
    case Word::Bold: S.Bold = on; return true;
    case Word::Italic: S.Italic = on; return true;
    case Word::Underline: S.Underline = on; return true;
    case Word::UnderlineNone: S.Underline = false; return true;
    case Word::Strike: S.Strike = on; return true;
    default: return false;
    }
}

bool Reader::UnicodeWord(Word word, long p)
{
    if (word == Word::Uc) {
        S.Uc = static_cast<int>(std::clamp<long>(p, 0, 16));
        return true;
    }
    if (word != Word::U) return false;
    // A 16-bit value, signed or not; any other is no character, and the
    // fallback after it is read as text.
    if (p < -32768 || p > 65535) return true;
    auto v = static_cast<char32_t>(p < 0 ? p + 65536 : p);
    if (IsSymbolByteChar(v)) {
        // The Symbol font's characters as the private-use characters of its bytes.
        ResolveCodePage();
        if (CodePage == kSymbolFont) v = FromSymbol(static_cast<unsigned char>(v & 0xFF));
    }
    Emit(v);
    SkipFallback = S.Uc;
    return true;
}

bool Reader::CodePageWord(Word word, long p)
{
    switch (word) {
    case Word::Ansi: DocumentCodePage = kWindows1252; return true;
    case Word::AnsiCodePage:
        if (p > 0) DocumentCodePage = static_cast<int>(p);
        return true;
    case Word::Mac: DocumentCodePage = 10000; return true;
    case Word::Pc: DocumentCodePage = 437; return true;
    case Word::Pca: DocumentCodePage = 850; return true;
    default: return false;
    }
}

} // namespace notebook::rtf
