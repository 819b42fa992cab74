// Normalisation form C through ICU.
#include "codec/NormalizeSystem.h"

#include <unicode/unorm2.h>
#include <unicode/ustring.h>

namespace notebook::nfc {

namespace {

bool ToUtf16(std::string_view text, std::u16string& out)
{
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8WithSub(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), 0xFFFD, nullptr,
                         &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return false;
    out.resize(static_cast<std::size_t>(length));
    status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), length, nullptr, text.data(), static_cast<int32_t>(text.size()), 0xFFFD,
                         nullptr, &status);
    return U_SUCCESS(status);
}

bool AppendUtf8(const char16_t* text, int32_t length, std::string& out)
{
    UErrorCode status = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strToUTF8WithSub(nullptr, 0, &needed, text, length, 0xFFFD, nullptr, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(needed));
    status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data() + at, needed, nullptr, text, length, 0xFFFD, nullptr, &status);
    return U_SUCCESS(status);
}

} // namespace

bool Compose(std::string_view text, std::string& out)
{
    // ICU counts in 32-bit lengths.
    if (text.size() > (1u << 29)) return false;
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    std::u16string utf16;
    if (U_FAILURE(status) || !ToUtf16(text, utf16)) return false;
    const auto length = static_cast<int32_t>(utf16.size());
    // The longest start that passes the quick check ends where nothing after
    // it can join it: only the rest needs normalising.
    const int32_t done = unorm2_spanQuickCheckYes(nfc, utf16.data(), length, &status);
    if (U_FAILURE(status)) return false;
    if (done == length) {
        out.assign(text);
        return true;
    }
    std::u16string rest(static_cast<std::size_t>(length - done) + 16, u'\0');
    int32_t restLength = unorm2_normalize(nfc, utf16.data() + done, length - done, rest.data(),
                                          static_cast<int32_t>(rest.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        rest.resize(static_cast<std::size_t>(restLength));
        status = U_ZERO_ERROR;
        restLength = unorm2_normalize(nfc, utf16.data() + done, length - done, rest.data(), restLength, &status);
    }
    out.clear();
    return U_SUCCESS(status) && AppendUtf8(utf16.data(), done, out) && AppendUtf8(rest.data(), restLength, out);
}

bool HasBoundaryBefore(char32_t ch)
{
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    return U_FAILURE(status) || unorm2_hasBoundaryBefore(nfc, static_cast<UChar32>(ch));
}

} // namespace notebook::nfc
