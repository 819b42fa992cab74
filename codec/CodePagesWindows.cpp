// Code pages converted through the Win32 API (MultiByteToWideChar).  The
// code pages with shift states (ISO-2022, UTF-7) are not converted here:
// the system converts only whole texts of them, with no way to carry the
// state from one byte to the next, so they count as unknown.
#include "codec/CodePages.h"

#include <windows.h>

namespace notebook {

namespace {

// Numbers the system knows under another number for the same bytes.
int SystemNumber(int codePage)
{
    switch (codePage) {
    case 51932: return 20932; // EUC-JP
    case 51936: return 936;   // EUC-CN, a part of GBK
    case 20936: return 936;   // GB2312 in EUC form
    case 51949: return 949;   // EUC-KR, a part of the Unified Hangul Code
    case 38598: return 28598; // Hebrew in logical order: the same bytes
    default: return codePage;
    }
}

void AppendUtf16(const wchar_t* text, int length, std::u32string& out)
{
    for (int i = 0; i < length; ++i) {
        const char32_t unit = static_cast<char16_t>(text[i]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            out.push_back(0x10000 + ((unit - 0xD800) << 10) + (static_cast<char16_t>(text[++i]) - 0xDC00));
        } else {
            out.push_back(unit >= 0xD800 && unit <= 0xDFFF ? U'\uFFFD' : unit);
        }
    }
}

// True when UTF-8 `bytes` are the start of a character that needs more.
bool Utf8Start(const unsigned char* b, std::size_t count)
{
    const unsigned char lead = b[0];
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (count >= length) return false;
    for (std::size_t i = 1; i < count; ++i) {
        unsigned char low = 0x80, high = 0xBF;
        if (i == 1 && lead == 0xE0) low = 0xA0;
        if (i == 1 && lead == 0xED) high = 0x9F;
        if (i == 1 && lead == 0xF0) low = 0x90;
        if (i == 1 && lead == 0xF4) high = 0x8F;
        if (b[i] < low || b[i] > high) return false;
    }
    return true;
}

// True when GB18030 `bytes` are the start of a two- or four-byte character.
bool Gb18030Start(const unsigned char* b, std::size_t count)
{
    const auto lead = [](unsigned char c) { return c >= 0x81 && c <= 0xFE; };
    const auto digit = [](unsigned char c) { return c >= 0x30 && c <= 0x39; };
    if (!lead(b[0])) return false;
    if (count == 1) return true;
    if (!digit(b[1])) return false;
    return count == 2 || (count == 3 && lead(b[2]));
}

} // namespace

struct Converter::System {
    UINT Number;
    unsigned MaxBytes;
    // True when `bytes`, which the system does not convert, may begin a longer character.
    bool Incomplete(const char* bytes, std::size_t count) const
    {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes);
        if (count == 0 || count >= MaxBytes) return false;
        if (Number == CP_UTF8) return Utf8Start(b, count);
        if (Number == 54936) return Gb18030Start(b, count);
        return count == 1 && IsDBCSLeadByteEx(Number, b[0]);
    }
};

Converter::Converter(std::unique_ptr<System> system, bool stateful) : Sys(std::move(system)), IsStateful(stateful)
{
    Singles.fill(kUnknown);
}

Converter::~Converter() = default;

std::unique_ptr<Converter> Converter::Open(int codePage)
{
    if (codePage <= 0 || HasShiftStates(codePage)) return nullptr;
    const UINT number = static_cast<UINT>(SystemNumber(codePage));
    CPINFO info {};
    if (!IsValidCodePage(number) || !GetCPInfo(number, &info)) return nullptr;
    auto system = std::make_unique<System>(System{number, info.MaxCharSize > 0 ? info.MaxCharSize : 1u});
    return std::unique_ptr<Converter>(new Converter(std::move(system), false));
}

Converter::Result Converter::Convert(const char* bytes, std::size_t count, std::u32string& out)
{
    wchar_t buffer[64];
    out.clear();
    if (count == 0) return Result::Done;
    if (count > 32) return Result::Invalid;
    const int length = MultiByteToWideChar(Sys->Number, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(count),
                                           buffer, 64);
    if (length <= 0) return Sys->Incomplete(bytes, count) ? Result::Incomplete : Result::Invalid;
    AppendUtf16(buffer, length, out);
    return Result::Done;
}

// Only converters with shift states are continued, and this build opens none.
Converter::Result Converter::Continue(const char*, std::size_t, std::u32string& out, std::size_t& consumed)
{
    out.clear();
    consumed = 0;
    return Result::Invalid;
}

} // namespace notebook
