#include "codec/CodePages.h"

#include "engine/Utf8.h"


namespace notebook {

namespace {

// The Symbol font's bytes 0x20..0xFF as characters (Adobe's Symbol encoding;
// the serif and sans-serif forms of ®, © and ™ and the pieces of large
// brackets take their Unicode characters).  0: no character.
constexpr char16_t kSymbolChars[224] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B, 0x002C, 0x2212, 0x002E, 0x002F, // 0x20
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, // 0x30
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F, // 0x40
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F, // 0x50
    0xF8E5, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, // 0x60
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0,      // 0x70
    0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      // 0x80
    0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      0,      // 0x90
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193, // 0xA0
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5, // 0xB0
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209, // 0xC0
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3, // 0xD0
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA, // 0xE0
    0,      0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0,      // 0xF0
};

} // namespace

char32_t FromSymbol(unsigned char b)
{
    if (b < 0x20) return b;
    const char16_t ch = kSymbolChars[b - 0x20];
    return ch ? ch : U'\uFFFD';
}

// The code page of a font's \fcharset; 0 (ANSI), 1 (default) and the
// unknown sets follow the document's code page.
int CodePageOfCharset(int charset, int documentCodePage)
{
    switch (charset) {
    case 2: return kSymbolFont;
    case 77: return 10000; // Mac Roman
    case 128: return 932;  // Shift-JIS
    case 129: return 949;  // Korean
    case 130: return 1361; // Johab
    case 134: return 936;  // GB2312
    case 136: return 950;  // Big5
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;  // OEM
    default: return documentCodePage;
    }
}

bool IsSymbolName(const std::string& name)
{
    static constexpr char kName[] = "symbol";
    if (name.size() != 6) return false;
    for (std::size_t i = 0; i < 6; ++i)
        if (static_cast<char>(utf8::LowerAscii(static_cast<unsigned char>(name[i]))) != kName[i]) return false;
    return true;
}

namespace {

// Windows code pages that glibc's iconv knows under a name other than "CP"
// and the number.  Stateful: the bytes carry shift states.
struct NamedCodePage {
    int Number;
    const char* Name;
    bool Stateful = false;
};

constexpr NamedCodePage kNamedCodePages[] = {
    {37, "IBM037"},
    {708, "ISO-8859-6"}, // ASMO 708
    {10000, "MACINTOSH"},
    {10007, "MAC-CYRILLIC"},
    {10017, "MAC-UK"},
    {10029, "MAC-CENTRALEUROPE"},
    {10079, "MAC-IS"},
    {20106, "ISO646-DE"},
    {20107, "ISO646-SE"},
    {20108, "ISO646-NO"},
    {20127, "ANSI_X3.4-1968"},
    {20261, "T.61-8BIT"},
    {20269, "ISO_6937"},
    {20273, "IBM273"},
    {20277, "IBM277"},
    {20278, "IBM278"},
    {20280, "IBM280"},
    {20284, "IBM284"},
    {20285, "IBM285"},
    {20290, "IBM290"},
    {20297, "IBM297"},
    {20420, "IBM420"},
    {20423, "IBM423"},
    {20424, "IBM424"},
    {20866, "KOI8-R"},
    {20871, "IBM871"},
    {20880, "IBM880"},
    {20905, "IBM905"},
    {20932, "EUC-JP"},
    {20936, "GB2312"},
    {20949, "EUC-KR"},
    {21025, "IBM1025"},
    {21866, "KOI8-U"},
    {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"},
    {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},
    {28597, "ISO-8859-7"},
    {28598, "ISO-8859-8"},
    {28599, "ISO-8859-9"},
    {28600, "ISO-8859-10"},
    {28601, "ISO-8859-11"},
    {28603, "ISO-8859-13"},
    {28604, "ISO-8859-14"},
    {28605, "ISO-8859-15"},
    {28606, "ISO-8859-16"},
    {38598, "ISO-8859-8"}, // logical order: the same bytes
    {50220, "ISO-2022-JP", true},
    {50221, "ISO-2022-JP", true},
    {50222, "ISO-2022-JP", true},
    {50225, "ISO-2022-KR", true},
    {50227, "ISO-2022-CN", true},
    {50229, "ISO-2022-CN-EXT", true},
    {51932, "EUC-JP"},
    {51936, "EUC-CN"},
    {51949, "EUC-KR"},
    {51950, "EUC-TW"},
    {54936, "GB18030"},
    {65000, "UTF-7", true},
    {65001, "UTF-8"},
};

const NamedCodePage* FindNamed(int codePage)
{
    for (const NamedCodePage& n : kNamedCodePages)
        if (n.Number == codePage) return &n;
    return nullptr;
}

} // namespace

std::string IconvName(int codePage)
{
    const NamedCodePage* named = FindNamed(codePage);
    return named ? std::string(named->Name) : "CP" + std::to_string(codePage);
}

bool HasShiftStates(int codePage)
{
    const NamedCodePage* named = FindNamed(codePage);
    return named && named->Stateful;
}

char32_t Converter::Single(unsigned char b)
{
    char32_t& v = Singles[b];
    if (v == kUnknown) {
        std::u32string out;
        const char byte = static_cast<char>(b);
        switch (Convert(&byte, 1, out)) {
        case Result::Done: v = out.size() == 1 ? out[0] : kSeveral; break;
        case Result::Incomplete: v = kLead; break;
        case Result::Invalid: v = U'\uFFFD'; break;
        }
    }
    return v;
}

} // namespace notebook
