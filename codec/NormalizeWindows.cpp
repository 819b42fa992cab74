// Normalisation form C through the Win32 API (NormalizeString), with the
// characters that join the one before them from a table made from ICU.
#include "codec/NormalizeSystem.h"

#include "codec/NfcBoundaries.h"

#include <windows.h>

namespace notebook::nfc {

namespace {

bool ToUtf16(std::string_view text, std::wstring& out)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return false;
    out.resize(static_cast<std::size_t>(length));
    return MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length) == length;
}

bool ToUtf8(const std::wstring& text, std::string& out)
{
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return false;
    out.resize(static_cast<std::size_t>(length));
    return WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), length, nullptr, nullptr) == length;
}

} // namespace

bool Compose(std::string_view text, std::string& out)
{
    // The system counts in 32-bit lengths.
    if (text.empty() || text.size() > (1u << 29)) return false;
    std::wstring utf16;
    if (!ToUtf16(text, utf16)) return false;
    const int length = static_cast<int>(utf16.size());
    if (IsNormalizedString(NormalizationC, utf16.data(), length)) {
        out.assign(text);
        return true;
    }
    // The size is a guess that the system corrects when it is short.
    std::wstring composed(utf16.size() + 16, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int got = NormalizeString(NormalizationC, utf16.data(), length, composed.data(),
                                        static_cast<int>(composed.size()));
        if (got > 0) {
            composed.resize(static_cast<std::size_t>(got));
            return ToUtf8(composed, out);
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
        composed.resize(static_cast<std::size_t>(-got > 0 ? -got : static_cast<int>(composed.size()) * 2));
    }
    return false;
}

bool HasBoundaryBefore(char32_t ch) { return HasNfcBoundaryBefore(ch); }

} // namespace notebook::nfc
