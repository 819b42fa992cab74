// What the normalisation of codec/Normalize.cpp asks of the platform: ICU
// (NormalizeIcu.cpp) or the Win32 API (NormalizeWindows.cpp).
#pragma once

#include <string>
#include <string_view>

namespace notebook::nfc {

// `text` in normalisation form C into `out`; the text as it is (not
// converted, malformed sequences kept) when it is in form C already; false
// when the system cannot normalise it (the caller keeps the text).
bool Compose(std::string_view text, std::string& out);

// False for a character that may join the character before it (a combining
// mark, a Hangul vowel or final consonant).
bool HasBoundaryBefore(char32_t ch);

} // namespace notebook::nfc
