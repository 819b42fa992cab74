// Notebook documents: a small model of lines made of runs, the limits of a
// notebook that is read, and reading a notebook file's bytes (RTF or plain
// text).  No Qt here.
#pragma once

#include <atomic>
#include <cstddef>
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

// The largest notebook read: its bytes, its lines once decoded (RTF
// paragraphs, or lines of plain text) and its runs (stretches of one format).
// Each bounds the memory and time a reading takes, whatever the file holds:
// about 100 bytes a line or a run here, more in a text document.  The window
// and zentrova-calc share them; LoadFailureText names them.
constexpr std::size_t kMaxNotebookBytes = 64u << 20;
constexpr std::size_t kMaxNotebookLines = 1000000;
constexpr std::size_t kMaxNotebookRuns = 2000000;

// The limits a reading applies.  A notebook the user chooses is read within
// the ones above; the program's own recovery copy holds what the window
// held, however large, and is read without them (kNoLimits).
struct TLoadLimits {
    std::size_t Bytes = kMaxNotebookBytes;
    std::size_t Lines = kMaxNotebookLines;
    std::size_t Runs = kMaxNotebookRuns;
};
constexpr TLoadLimits kNotebookLimits{};
constexpr TLoadLimits kNoLimits{SIZE_MAX, SIZE_MAX, SIZE_MAX};

enum class TLoadResult {
    Rtf,          // read as RTF
    PlainText,    // read as plain text
    Failed,       // not readable: NUL bytes (see LoadNotebook)
    TooLarge,     // more than kMaxNotebookBytes bytes
    TooManyLines, // more than kMaxNotebookLines lines; reading stopped at the first line past it
    TooManyRuns,  // more than kMaxNotebookRuns runs; reading stopped at the first run past it
    Stopped,      // the stop flag was raised while reading
};

// The document was read (as RTF or as plain text).
constexpr bool Loaded(TLoadResult result) { return result == TLoadResult::Rtf || result == TLoadResult::PlainText; }

// What a reading noticed without failing.
struct TLoadReport {
    // Code pages named by the document that iconv does not know, each once in
    // the order they were met; their bytes were read as Windows-1252.
    std::vector<int> UnknownCodePages;
};

// Reads a notebook file's bytes: RTF when they are RTF (also in UTF-16
// after its byte-order mark), otherwise plain text (see DecodeText), one line
// per line break.  All text comes out in Unicode normalisation form C.
// Only when the result is Rtf or PlainText is `document` replaced; it is left
// as it was for content larger than kMaxNotebookBytes (TooLarge), for more
// than kMaxNotebookLines lines (TooManyLines) or kMaxNotebookRuns runs
// (TooManyRuns, RTF only), when `*stop` turns true during
// the reading (Stopped; it is polled every few thousand bytes and lines), and
// for NUL bytes (Failed) in plain text other than UTF-16 (a NUL character
// fails there) or in RTF other than in \bin data or after the document.
// `report`, when given, is cleared and filled.  `limits` replaces the three
// limits.
TLoadResult LoadNotebook(std::string_view bytes, TRichDocument& document, TLoadReport* report = nullptr,
                         const std::atomic<bool>* stop = nullptr, const TLoadLimits& limits = kNotebookLimits);

// A Spanish sentence (no final full stop) for a result that is not Loaded,
// naming the limit for TooLarge, TooManyLines and TooManyRuns; "Failed to
// Load Stream" for Failed.
std::string LoadFailureText(TLoadResult result);

// "Código de página N desconocido: leído como Windows-1252".
std::string UnknownCodePageText(int codePage);

} // namespace notebook
