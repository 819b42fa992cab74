// Plain-text notebooks: bytes to UTF-8 text and text to lines.
#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace notebook {

// Text in UTF-16 (little or big endian) when the bytes begin with its
// byte-order mark; otherwise UTF-8 line by line: a line that is valid UTF-8
// is kept, any other line is Windows-1252.  A leading byte-order mark is
// dropped.
std::string DecodeText(std::string_view bytes);

// DecodeText into `out`, reading `*stop` every few thousand lines or
// characters; false, with `out` incomplete, when it turned true.
bool DecodeText(std::string_view bytes, std::string& out, const std::atomic<bool>* stop);

// The bytes begin with a UTF-16 byte-order mark.
bool HasUtf16Mark(std::string_view bytes);

// Windows-1252 bytes to UTF-8.
std::string FromWindows1252(std::string_view bytes);

// One Windows-1252 byte as a character (the five unassigned bytes keep
// their C1 code points), and a character's byte, or -1 when it has none.
char32_t Windows1252ToUnicode(unsigned char byte);
int UnicodeToWindows1252(char32_t ch);

// Splits at CR LF, LF or CR.  A final line break does not start another line.
std::vector<std::string> SplitLines(std::string_view text);

} // namespace notebook
