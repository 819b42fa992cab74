// How the calculation core reads names in text: what continues a name,
// where a name stands whole, blanks and ASCII case.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace calc {

// ASCII letters and digits, "_", and beyond ASCII the letters, combining
// marks and digits of the scripts.
bool ContinuesName(char32_t c);
// Byte offsets of the occurrences of `name` in `text` that stand as whole
// names, left to right and not overlapping.
void FindWholeNames(std::string_view text, std::string_view name, std::vector<std::size_t>& at);
// Without the blanks (" ") on either side.
std::string_view Trimmed(std::string_view text);
// With A..Z as a..z.
std::string LoweredAscii(std::string_view text);

} // namespace calc
