// Notebook documents as Rich Text Format: a small model of lines made of
// runs, a reader that accepts what real writers produce, and a writer of
// standard RTF 1.x.  No Qt here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace notebook {

// One stretch of text in one character format.  Text is UTF-8.
struct TRun {
    std::string Text;
    std::optional<uint32_t> Colour; // 0xRRGGBB; none: the pane's own colour
    std::string Font;               // face; empty: the pane's own
    int HalfPoints = 0;             // size in half points; 0: the pane's own
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;

    bool SameFormat(const TRun& other) const
    {
        return Colour == other.Colour && Font == other.Font && HalfPoints == other.HalfPoints &&
               Bold == other.Bold && Italic == other.Italic && Underline == other.Underline &&
               StrikeOut == other.StrikeOut;
    }
};

struct TLine {
    std::vector<TRun> Runs;
    std::string Text() const;
};

struct TRichDocument {
    std::vector<TLine> Lines;
    std::string PlainText() const; // lines joined with "\n"
};

// The largest notebook file read.
constexpr std::size_t kMaxNotebookBytes = 64u << 20;

enum class TLoadResult { Rtf, PlainText, Failed };

// Reads a notebook file's bytes: RTF when they are RTF, otherwise plain
// text (UTF-8 when valid, else Windows-1252), one line per line break.
// Content with NUL bytes or larger than kMaxNotebookBytes fails.
TLoadResult LoadNotebook(std::string_view bytes, TRichDocument& document);

// Parses RTF; false when the bytes do not start an RTF document.
bool ReadRtf(std::string_view bytes, TRichDocument& document);

// Writes a standard RTF document: font table, colour table, \ansicpg1252,
// \'hh for Windows-1252 characters and \uN for the others.
std::string WriteRtf(const TRichDocument& document);

} // namespace notebook
