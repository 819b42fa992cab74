// Composition (normalisation form C) as both systems' normalisers give it:
// ICU on Linux, the Win32 API on Windows, and the table of characters that
// join the one before, which the Windows build takes from ICU.
#include "codec/NfcBoundaries.h"
#include "codec/Normalize.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

#ifndef _WIN32
#include <unicode/unorm2.h>
#endif

namespace {

TEST(Nfc, ComposesAsUnicodeSays)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Vie\u0323\u0302t", "Việt"},                 // two marks onto one letter
        {"a\u0302\u0323", "ậ"},                       // marks out of canonical order
        {"a\u0305\u0301", "a\u0305\u0301"},           // a mark of the same class in between blocks
        {"\u0915\u093C", "\u0915\u093C"},             // an excluded composition stays apart
        {"\uAC00\u11A8", "각"},                        // Hangul syllable and final consonant
        {"\u0CC6\u0CD5", "\u0CC7"},                   // a starter that joins the one before
        {"\u00C5\u0301", "\u01FA"},                   // a composed letter takes one more mark
        {"x\u0300\u0301y\u0301", "x\u0300\u0301ý"},   // nothing for x; y composes
        {"\xC3" "e\u0301", "\uFFFDé"},                // a malformed byte in text that changes
        {"\xC3" "abc", "\xC3" "abc"},                 // and in text that does not
        {"a\U0001D165\U0001D16D", "a\U0001D165\U0001D16D"}, // marks outside the first plane, in order
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(notebook::ToNfc(in), out) << in;
}

TEST(Nfc, MarksAtTheStartOfARunJoinTheRunBefore)
{
    notebook::TRichDocument doc;
    doc.Lines.resize(1);
    doc.Lines[0].Runs.resize(3);
    doc.Lines[0].Runs[0].Text = "Vie";
    doc.Lines[0].Runs[1].Text = "\u0323\u0302\u1100"; // marks, then a Hangul consonant
    doc.Lines[0].Runs[1].Bold = true;
    doc.Lines[0].Runs[2].Text = "\u1161x";             // its vowel, then a letter
    ASSERT_TRUE(notebook::NormalizeDocument(doc));
    ASSERT_EQ(doc.Lines[0].Runs.size(), 3u);
    EXPECT_EQ(doc.Lines[0].Runs[0].Text, "Việ");
    EXPECT_EQ(doc.Lines[0].Runs[1].Text, "가");
    EXPECT_TRUE(doc.Lines[0].Runs[1].Bold);
    EXPECT_EQ(doc.Lines[0].Runs[2].Text, "x");
}

TEST(Nfc, JoiningCharactersAtTheEdgesOfTheTable)
{
    EXPECT_FALSE(notebook::HasNfcBoundaryBefore(U'\u0300'));
    EXPECT_FALSE(notebook::HasNfcBoundaryBefore(U'\u0301'));
    EXPECT_FALSE(notebook::HasNfcBoundaryBefore(U'\u1161'));
    EXPECT_TRUE(notebook::HasNfcBoundaryBefore(U'a'));
    EXPECT_TRUE(notebook::HasNfcBoundaryBefore(U'\u4E2D'));
    EXPECT_TRUE(notebook::HasNfcBoundaryBefore(U'\U0010FFFF'));
}

#ifndef _WIN32
TEST(Nfc, TableOfJoiningCharactersIsIcus)
{
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
    ASSERT_TRUE(U_SUCCESS(status));
    int differ = 0;
    for (char32_t c = 0x300; c <= 0x10FFFF && differ < 10; ++c) {
        if (notebook::HasNfcBoundaryBefore(c) != static_cast<bool>(unorm2_hasBoundaryBefore(nfc, static_cast<UChar32>(c)))) {
            ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(c)
                          << " (run scripts/nfc-boundaries.cpp again for this ICU)";
            ++differ;
        }
    }
}
#endif

} // namespace
