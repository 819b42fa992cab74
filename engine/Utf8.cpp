#include "engine/Utf8.h"

namespace utf8 {
namespace {

// Length of the well-formed sequence starting at text[i] and its code point,
// or 0 when the byte there does not start one.
std::size_t Next(std::string_view text, std::size_t i, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t need;
    char32_t value;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        value = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        value = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        value = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    for (std::size_t k = 1; k <= need; ++k) {
        if (i + k >= text.size()) return 0;
        const auto b = static_cast<unsigned char>(text[i + k]);
        if (b < lo || b > hi) return 0;
        lo = 0x80;
        hi = 0xBF;
        value = (value << 6) | (b & 0x3F);
    }
    cp = value;
    return need + 1;
}

} // namespace

std::u32string Decode(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp;
        const std::size_t n = Next(text, i, cp);
        if (n == 0) {
            out.push_back(U'\uFFFD');
            ++i;
        } else {
            out.push_back(cp);
            i += n;
        }
    }
    return out;
}

void Append(std::string& out, char32_t ch)
{
    if (ch < 0x80) {
        out.push_back(static_cast<char>(ch));
    } else if (ch < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (ch >> 6)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else if (ch < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (ch >> 12)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (ch >> 18)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
    }
}

std::string Encode(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t ch : text) Append(out, ch);
    return out;
}

std::size_t Length(std::string_view text)
{
    std::size_t count = 0, i = 0;
    while (i < text.size()) {
        char32_t cp;
        const std::size_t n = Next(text, i, cp);
        i += n == 0 ? 1 : n;
        ++count;
    }
    return count;
}

std::string_view Prefix(std::string_view text, std::size_t count)
{
    std::size_t i = 0;
    while (i < text.size() && count > 0) {
        char32_t cp;
        const std::size_t n = Next(text, i, cp);
        i += n == 0 ? 1 : n;
        --count;
    }
    return text.substr(0, i);
}

bool IsValid(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp;
        const std::size_t n = Next(text, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::u32string LowerAscii(std::u32string_view text)
{
    std::u32string out(text);
    for (char32_t& ch : out) ch = LowerAscii(ch);
    return out;
}

} // namespace utf8
