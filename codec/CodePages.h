// Character sets of RTF notebooks: the code page of a font's character set,
// the Symbol font's characters, and code pages converted through iconv.
#pragma once

#include <array>
#include <iconv.h>
#include <memory>
#include <string>

namespace notebook {

constexpr int kWindows1252 = 1252;
constexpr int kSymbolFont = -1; // the bytes of a symbol font: Greek letters and mathematical signs

// A byte of the Symbol font as a character (U+FFFD where it has none).
char32_t FromSymbol(unsigned char b);

// The code page of a font's \fcharset; 0 (ANSI), 1 (default) and the
// unknown sets follow the document's code page.
int CodePageOfCharset(int charset, int documentCodePage);

// True for the face name "Symbol", in any case.
bool IsSymbolName(const std::string& name);

// One code page's bytes to characters through iconv.  Single bytes are
// looked up once and remembered; a byte that begins a longer sequence (the
// lead byte of a double-byte code page) waits for the bytes that complete it.
class Converter {
public:
    enum class Result { Done, Incomplete, Invalid };
    static constexpr char32_t kUnknown = 0xFFFFFFFF, kLead = 0xFFFFFFFE, kSeveral = 0xFFFFFFFD;

    // None when iconv does not know the code page.
    static std::unique_ptr<Converter> Open(int codePage);
    ~Converter() { iconv_close(Cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts one whole sequence of bytes; Incomplete when more bytes must follow.
    Result Convert(const char* bytes, std::size_t count, std::u32string& out);

    // The character of one byte, kLead or kSeveral.
    char32_t Single(unsigned char b);

private:
    explicit Converter(iconv_t cd) : Cd(cd) { Singles.fill(kUnknown); }
    iconv_t Cd;
    std::array<char32_t, 256> Singles;
};

} // namespace notebook
