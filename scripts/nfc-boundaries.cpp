// Writes codec/NfcBoundaries.h from the host's ICU: the characters from
// U+0300 up that may join the character before them in normalisation form C
// (ICU's unorm2_hasBoundaryBefore is false for them).
//   g++ scripts/nfc-boundaries.cpp $(pkg-config --cflags --libs icu-uc) -o /tmp/nfcb && /tmp/nfcb > codec/NfcBoundaries.h
#include <cstdio>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>

int main()
{
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    if (U_FAILURE(status)) return 1;
    std::printf("// The characters from U+0300 up that may join the character before them in\n"
                "// normalisation form C, as ranges (Unicode %s, from ICU through\n"
                "// scripts/nfc-boundaries.cpp; tests/NormalizeTest.cpp compares them with ICU).\n"
                "#pragma once\n\n#include <algorithm>\n#include <iterator>\n\nnamespace notebook {\n\n"
                "struct TJoiningRange {\n    char32_t First, Last;\n};\n\n"
                "inline constexpr TJoiningRange kJoiningRanges[] = {\n",
                U_UNICODE_VERSION);
    long first = -1;
    int count = 0;
    for (long c = 0x300; c <= 0x110000; ++c) {
        const bool joins = c <= 0x10FFFF && !unorm2_hasBoundaryBefore(nfc, static_cast<UChar32>(c));
        if (joins && first < 0) first = c;
        if (!joins && first >= 0) {
            std::printf("%s{0x%04lX, 0x%04lX},", count % 5 == 0 ? (count ? "\n    " : "    ") : " ", first, c - 1);
            ++count;
            first = -1;
        }
    }
    std::printf("\n};\n\n"
                "// False for a character that may join the character before it.\n"
                "inline bool HasNfcBoundaryBefore(char32_t ch)\n{\n"
                "    const auto* end = std::end(kJoiningRanges);\n"
                "    const auto* it = std::lower_bound(std::begin(kJoiningRanges), end, ch,\n"
                "                                      [](const TJoiningRange& r, char32_t c) { return r.Last < c; });\n"
                "    return it == end || ch < it->First;\n}\n\n} // namespace notebook\n");
    return 0;
}
