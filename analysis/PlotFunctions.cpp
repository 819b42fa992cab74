#include "analysis/PlotFunctions.h"

namespace analysis {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

} // namespace

std::string Trimmed(std::string_view text)
{
    std::size_t first = 0, end = text.size();
    while (first < end && IsBlank(text[first])) ++first;
    while (end > first && IsBlank(text[end - 1])) --end;
    return std::string(text.substr(first, end - first));
}

std::vector<TFunctionText> SplitFunctions(std::string_view text)
{
    std::vector<TFunctionText> pieces;
    std::size_t start = 0;
    int startCharacter = 0, characters = 0, depth = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] == '(') ++depth;
        if (i < text.size() && text[i] == ')' && depth > 0) --depth;
        // A ";" inside parentheses separates the arguments of a call.
        if (i == text.size() || (text[i] == ';' && depth == 0)) {
            const std::string_view piece = text.substr(start, i - start);
            if (!Trimmed(piece).empty()) pieces.push_back({std::string(piece), startCharacter});
            start = i + 1;
            startCharacter = characters + 1;
        }
        // UTF-8: every byte but a continuation byte starts a character.
        if (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++characters;
    }
    if (pieces.empty()) pieces.push_back({std::string(text), 0});
    return pieces;
}

} // namespace analysis
