#include "codec/Normalize.h"

#include "engine/Utf8.h"

#include <algorithm>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

namespace notebook {

namespace {

// Every character below U+0300 is in form C and none of them joins the one
// before it; in UTF-8 they are the bytes below 0xCC.
bool BelowCombiningMarks(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0xCC) return false;
    return true;
}

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

std::string ToNfc(std::string_view text)
{
    // ICU counts in 32-bit lengths.
    if (BelowCombiningMarks(text) || text.size() > (1u << 29)) return std::string(text);
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    std::u16string utf16;
    if (U_FAILURE(status) || !ToUtf16(text, utf16)) return std::string(text);
    const auto length = static_cast<int32_t>(utf16.size());
    // The longest start that passes the quick check ends where nothing after
    // it can join it: only the rest needs normalising.
    const int32_t done = unorm2_spanQuickCheckYes(nfc, utf16.data(), length, &status);
    if (U_FAILURE(status)) return std::string(text);
    if (done == length) return std::string(text);
    std::u16string rest(static_cast<std::size_t>(length - done) + 16, u'\0');
    int32_t restLength = unorm2_normalize(nfc, utf16.data() + done, length - done, rest.data(),
                                          static_cast<int32_t>(rest.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        rest.resize(static_cast<std::size_t>(restLength));
        status = U_ZERO_ERROR;
        restLength = unorm2_normalize(nfc, utf16.data() + done, length - done, rest.data(), restLength, &status);
    }
    std::string out;
    if (U_FAILURE(status) || !AppendUtf8(utf16.data(), done, out) || !AppendUtf8(rest.data(), restLength, out))
        return std::string(text);
    return out;
}

namespace {

// The length of the UTF-8 character at the start of `text` (valid UTF-8).
std::size_t FirstLength(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    return std::min(length, text.size());
}

// Characters at the start of a run that may join the character before them
// (combining marks, a Hangul vowel or final consonant) move to the end of the
// run before, whose format they then take: so every run stays in form C
// when runs of equal format are later joined.
void JoinMarksToTheirBase(TLine& line, const UNormalizer2* nfc)
{
    for (std::size_t r = 1; r < line.Runs.size(); ++r) {
        std::string& text = line.Runs[r].Text;
        std::size_t moved = 0;
        while (moved < text.size() && static_cast<unsigned char>(text[moved]) >= 0xCC) {
            const std::size_t length = FirstLength(std::string_view(text).substr(moved));
            const std::u32string ch = utf8::Decode(std::string_view(text).substr(moved, length));
            if (ch.size() != 1 || unorm2_hasBoundaryBefore(nfc, static_cast<UChar32>(ch[0]))) break;
            moved += length;
        }
        if (moved == 0) continue;
        line.Runs[r - 1].Text.append(text, 0, moved);
        text.erase(0, moved);
        if (text.empty()) line.Runs.erase(line.Runs.begin() + static_cast<std::ptrdiff_t>(r--));
    }
}

} // namespace

bool NormalizeDocument(TRichDocument& document, const std::atomic<bool>* stop)
{
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    if (U_FAILURE(status)) return true;
    std::size_t seen = 0;
    for (TLine& line : document.Lines) {
        if (++seen % 4096 == 0 && stop && stop->load(std::memory_order_relaxed)) return false;
        for (std::size_t r = 1; r < line.Runs.size(); ++r) {
            if (!line.Runs[r].Text.empty() && static_cast<unsigned char>(line.Runs[r].Text[0]) >= 0xCC) {
                JoinMarksToTheirBase(line, nfc);
                break;
            }
        }
        for (TRun& run : line.Runs) {
            if (BelowCombiningMarks(run.Text)) continue;
            run.Text = ToNfc(run.Text);
            if (++seen % 4096 == 0 && stop && stop->load(std::memory_order_relaxed)) return false;
        }
    }
    return !(stop && stop->load(std::memory_order_relaxed));
}

} // namespace notebook
