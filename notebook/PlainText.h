// Plain-text notebooks: bytes to UTF-8 text and text to lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace notebook {

// UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is
// dropped), otherwise Windows-1252.
std::string DecodeText(std::string_view bytes);

// Windows-1252 bytes to UTF-8.
std::string FromWindows1252(std::string_view bytes);

// One Windows-1252 byte as a character (the five unassigned bytes keep
// their C1 code points), and a character's byte, or -1 when it has none.
char32_t Windows1252ToUnicode(unsigned char byte);
int UnicodeToWindows1252(char32_t ch);

// Splits at CR LF, LF or CR.  A final line break does not start another line.
std::vector<std::string> SplitLines(std::string_view text);

} // namespace notebook
