// Character sets of RTF notebooks: the code page of a font's character set,
// the Symbol font's characters, and code pages converted by the system
// (glibc's iconv; on Windows, MultiByteToWideChar).
#pragma once

#include <array>
#include <memory>
#include <string>

namespace notebook {

constexpr int kWindows1252 = 1252;
constexpr int kSymbolFont = -1; // the bytes of the Symbol font: Greek letters and mathematical signs
constexpr int kSymbolBytes = -2; // the bytes of another symbol font (Wingdings…): U+F000 + byte

// The character of a byte of a symbol font other than Symbol: the private-use
// code point U+F000 + byte, as such fonts map their glyphs (bytes below 0x20
// are control characters and stay themselves).
constexpr char32_t FromSymbolBytes(unsigned char b) { return b < 0x20 ? b : 0xF000 + b; }
constexpr bool IsSymbolByteChar(char32_t ch) { return ch >= 0xF020 && ch <= 0xF0FF; }

// A byte of the Symbol font as a character (U+FFFD where it has none).
char32_t FromSymbol(unsigned char b);

// The code page of a font's \fcharset; 0 (ANSI), 1 (default) and the
// unknown sets follow the document's code page.
int CodePageOfCharset(int charset, int documentCodePage);

// True for the face name "Symbol", in any case.
bool IsSymbolName(const std::string& name);

// The name under which iconv knows a Windows code page: the name from the
// table of code pages that glibc knows by another name (ISO-8859-n, KOI8-R,
// GB18030, EUC-JP, the Macintosh sets…), otherwise "CP" and the number.
std::string IconvName(int codePage);

// True for the code pages whose bytes carry shift states (ISO-2022, UTF-7).
bool HasShiftStates(int codePage);

// One code page's bytes to characters through the system.  Single bytes are
// looked up once and remembered; a byte that begins a longer sequence (the
// lead byte of a double-byte code page) waits for the bytes that complete it.
// Code pages with shift states (ISO-2022-JP, UTF-7) keep their state from one
// byte to the next and go through Continue instead.
class Converter {
public:
    enum class Result { Done, Incomplete, Invalid };
    static constexpr char32_t kUnknown = 0xFFFFFFFF, kLead = 0xFFFFFFFE, kSeveral = 0xFFFFFFFD;

    // None when the system does not know the code page.
    static std::unique_ptr<Converter> Open(int codePage);
    ~Converter();
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // The code page has shift states: its bytes go through Continue.
    bool Stateful() const { return IsStateful; }

    // Converts one whole sequence of bytes from the initial state;
    // Incomplete when more bytes must follow.
    Result Convert(const char* bytes, std::size_t count, std::u32string& out);

    // Converts bytes in the state the previous ones left.  `consumed` bytes
    // were taken (escape sequences give no characters); Incomplete when the
    // rest must wait for more bytes, Invalid when the first byte not taken
    // stands for nothing (the state is then back at its start).
    Result Continue(const char* bytes, std::size_t count, std::u32string& out, std::size_t& consumed);

    // The character of one byte, kLead or kSeveral.
    char32_t Single(unsigned char b);

private:
    struct System; // the platform's converter (CodePagesIconv.cpp, CodePagesWindows.cpp)
    Converter(std::unique_ptr<System> system, bool stateful);
    std::unique_ptr<System> Sys;
    bool IsStateful;
    std::array<char32_t, 256> Singles;
};

} // namespace notebook
