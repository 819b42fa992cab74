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
// text (see DecodeText), one line per line break.  Fails, leaving the
// document as it was, for content larger than kMaxNotebookBytes, for NUL
// bytes in plain text other than UTF-16 (a NUL character fails there), and
// for NUL bytes in RTF other than in \bin data or after the document.
TLoadResult LoadNotebook(std::string_view bytes, TRichDocument& document);

// Parses RTF: the document group that begins with "{\rtf" after an optional
// UTF-8 byte-order mark and blanks; whatever follows that group is ignored.
// Bytes of text are read in the code page of their font's character set,
// of \ansicpg, \mac, \pc or \pca (Windows-1252 when none is given or the
// code page is unknown); symbol fonts give Greek letters and mathematical
// signs.  False when the bytes do not start an RTF document or hold a NUL
// byte before its end outside \bin data; the document is then incomplete.
bool ReadRtf(std::string_view bytes, TRichDocument& document);

// Writes a standard RTF document: font table, colour table, \ansicpg1252,
// \'hh for Windows-1252 characters and \uN for the others.
std::string WriteRtf(const TRichDocument& document);

} // namespace notebook
