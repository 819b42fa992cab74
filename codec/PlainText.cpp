#include "codec/PlainText.h"

#include "engine/Utf8.h"

namespace notebook {

namespace {

// 0x80..0x9F; the rest of the bytes map to themselves.
constexpr char32_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

char32_t Windows1252ToUnicode(unsigned char byte)
{
    return (byte >= 0x80 && byte <= 0x9F) ? kHigh[byte - 0x80] : byte;
}

int UnicodeToWindows1252(char32_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<int>(ch);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == ch && !(ch >= 0x80 && ch <= 0x9F)) return 0x80 + i;
    return -1;
}

std::string FromWindows1252(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char c : bytes) utf8::Append(out, Windows1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

bool HasUtf16Mark(std::string_view bytes)
{
    return bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
}

namespace {

constexpr std::size_t kPollUnits = 1u << 16; // how often the stop flag is read

bool StopRaised(const std::atomic<bool>* stop) { return stop && stop->load(std::memory_order_relaxed); }

// UTF-16 code units to UTF-8; a lone surrogate or an odd last byte is U+FFFD.
bool FromUtf16(std::string_view bytes, bool littleEndian, std::string& out, const std::atomic<bool>* stop)
{
    out.reserve(bytes.size());
    auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return littleEndian ? (a | (b << 8)) : ((a << 8) | b);
    };
    std::size_t i = 0, nextPoll = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        if (i >= nextPoll) {
            if (StopRaised(stop)) return false;
            nextPoll = i + 2 * kPollUnits;
        }
        char32_t ch = unit(i);
        if (ch >= 0xD800 && ch <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                ch = 0x10000 + ((ch - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        utf8::Append(out, (ch >= 0xD800 && ch <= 0xDFFF) ? U'\uFFFD' : ch);
    }
    if (i < bytes.size()) utf8::Append(out, U'\uFFFD');
    return true;
}

} // namespace

std::string DecodeText(std::string_view bytes)
{
    std::string out;
    DecodeText(bytes, out, nullptr);
    return out;
}

bool DecodeText(std::string_view bytes, std::string& out, const std::atomic<bool>* stop)
{
    out.clear();
    if (HasUtf16Mark(bytes)) return FromUtf16(bytes.substr(2), bytes[0] == '\xFF', out, stop);
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (StopRaised(stop)) return false;
    if (utf8::IsValid(bytes)) {
        out = bytes;
        return true;
    }
    // Files mended in several editors mix the two: each line is judged alone.
    out.reserve(bytes.size() + bytes.size() / 4);
    std::size_t start = 0, lines = 0;
    while (start < bytes.size()) {
        if (++lines % kPollUnits == 0 && StopRaised(stop)) return false;
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(start, end - start);
        if (utf8::IsValid(line)) out += line;
        else out += FromWindows1252(line);
        std::size_t next = end;
        while (next < bytes.size() && (bytes[next] == '\r' || bytes[next] == '\n')) ++next;
        out += bytes.substr(end, next - end);
        start = next;
    }
    return true;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0, i = 0;
    while (i < text.size()) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

} // namespace notebook
