// UTF-8 helpers shared by the engine and its callers.  Malformed sequences
// decode to U+FFFD, one replacement per offending byte.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace utf8 {

std::u32string Decode(std::string_view text);
std::string Encode(std::u32string_view text);
void Append(std::string& out, char32_t ch);
// Number of code points; malformed bytes count one each, as in Decode.
std::size_t Length(std::string_view text);
// The first `count` code points of `text` (the whole text when shorter).
std::string_view Prefix(std::string_view text, std::size_t count);
bool IsValid(std::string_view text);
// Lower-cases the letters A to Z only; every other character is kept.
// A file name held as UTF-8 (as the window and the command line hand them
// over) as a path and back; on Windows the narrow form would be the ANSI
// code page, which cannot hold every name.
inline std::filesystem::path Path(const std::string& name)
{
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}
inline std::string PathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
inline char32_t LowerAscii(char32_t ch) { return (ch >= U'A' && ch <= U'Z') ? ch + 32 : ch; }
std::u32string LowerAscii(std::u32string_view text);

} // namespace utf8
