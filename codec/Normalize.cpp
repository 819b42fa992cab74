#include "codec/Normalize.h"

#include "codec/NormalizeSystem.h"
#include "engine/Utf8.h"

#include <algorithm>

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

} // namespace

std::string ToNfc(std::string_view text)
{
    std::string out;
    if (BelowCombiningMarks(text) || !nfc::Compose(text, out)) return std::string(text);
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
void JoinMarksToTheirBase(TLine& line)
{
    for (std::size_t r = 1; r < line.Runs.size(); ++r) {
        std::string& text = line.Runs[r].Text;
        std::size_t moved = 0;
        while (moved < text.size() && static_cast<unsigned char>(text[moved]) >= 0xCC) {
            const std::size_t length = FirstLength(std::string_view(text).substr(moved));
            const std::u32string ch = utf8::Decode(std::string_view(text).substr(moved, length));
            if (ch.size() != 1 || nfc::HasBoundaryBefore(ch[0])) break;
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
    std::size_t seen = 0;
    for (TLine& line : document.Lines) {
        if (++seen % 4096 == 0 && stop && stop->load(std::memory_order_relaxed)) return false;
        for (std::size_t r = 1; r < line.Runs.size(); ++r) {
            if (!line.Runs[r].Text.empty() && static_cast<unsigned char>(line.Runs[r].Text[0]) >= 0xCC) {
                JoinMarksToTheirBase(line);
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
