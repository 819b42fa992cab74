// The RTF reader's state, shared by its two halves: groups, text bytes and
// characters (Rtf.cpp), control words (RtfControlWords.cpp).  Internal
// to the codec.
#pragma once

#include "codec/CodePages.h"
#include "codec/Notebook.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace notebook::rtf {

enum class Word : uint8_t {
    Unknown, Bin, FontTable, ColourTable, Font, Charset, FontCodePage, Red, Green, Blue, Skipped,
    Par, Line, Sect, Page, Cell, Row, Tab, Emdash, Endash, Lquote, Rquote, Ldblquote, Rdblquote,
    Bullet, Space, Plain, DefaultFont, Colour, Size, Bold, Italic, Underline, UnderlineNone, Strike,
    Uc, U, Ansi, AnsiCodePage, Mac, Pc, Pca, Upr, Ud,
};

Word Lookup(std::string_view word);

enum class Dest : uint8_t { Text, FontTable, ColourTable, Skip };

struct CharState {
    int Font = -1;  // \fN number; -1: the document's default
    int Colour = 0; // colour table index; 0: automatic
    int HalfPoints = 0;
    bool Bold = false, Italic = false, Underline = false, Strike = false;
    bool InUpr = false; // inside {\upr …}: its \ud group reads into UprDestination
    int Uc = 1;         // characters that follow a \uN as its fallback
    Dest Destination = Dest::Text;
    Dest UprDestination = Dest::Skip;
};

struct FontEntry {
    std::string Name;
    int Charset = -1; // \fcharsetN; -1: none given
    int CodePage = 0; // \cpgN; 0: none given

    int TextCodePage(int documentCodePage) const;
};

class Reader {
public:
    // `bytes` start with the "{" of the document's group.  With `utf8Text`
    // the bytes of text that are not ASCII are UTF-8 (a document that was
    // stored as UTF-16), not bytes of a code page.
    Reader(std::string_view bytes, bool utf8Text, TLoadReport* report, const std::atomic<bool>* stop);
    TLoadLimits Limits; // the lines and runs read at most
    // Rtf, or Failed when a NUL byte stands before the document's end
    // outside \bin data, TooManyLines, TooManyRuns or Stopped.
    TLoadResult Run(TRichDocument& doc);

private:
    enum class Status : uint8_t { Reading, TooManyLines, TooManyRuns, Stopped };

    // Groups and escapes (Rtf.cpp).
    void OpenGroup();
    bool CloseGroup(); // true when the document's own group closed
    void Escape();
    void ReadControlWord();
    void ControlSymbol(char symbol);
    void HexEscape(std::size_t start);
    void HexBreak();
    void LiteralByte(unsigned char b);
    TLoadResult Finish(bool ended);
    void Poll();

    // Bytes of text to characters (Rtf.cpp).
    void TextByte(unsigned char b);
    void CodedByte(unsigned char b);
    void ShiftedByte(unsigned char b);
    void FlushPending();
    void ResolveCodePage();
    void LimitAtNul();
    bool TakeFallback(); // true when a character is swallowed as \u fallback

    // Characters into the document or the tables (Rtf.cpp).
    void Emit(char32_t ch);
    void FlushSurrogate();
    void Put(char32_t ch);
    void PutFontName(char32_t ch);
    void PutColour(char32_t ch);
    void PutText(char32_t ch);
    void EndLine();

    // Control words (RtfControlWords.cpp).
    void ControlWord(std::string_view word, bool hasParam, long param);
    void SkipBinary(long count);
    bool TableWord(Word word);
    bool DestinationWord(Word word);
    bool FontTableWord(Word word, long param);
    void ColourTableWord(Word word, long param);
    bool BreakWord(Word word);
    bool CharacterWord(Word word);
    bool FormatWord(Word word, bool on, long param);
    bool UnicodeWord(Word word, long param);
    bool CodePageWord(Word word, long param);

    std::string_view All; // the whole input
    std::string_view B;   // the input up to its next NUL byte past I
    std::size_t I = 0;
    bool Utf8Text;
    TLoadReport* Report;
    const std::atomic<bool>* Stop;
    std::size_t NextPoll = 0;
    std::size_t RunCount = 0;
    Status State = Status::Reading;
    std::vector<CharState> Stack;
    CharState S;
    TRichDocument* Doc = nullptr;
    std::map<int, FontEntry> Fonts;
    int FontNumber = -1; // entry being read in the font table
    std::string FontName;
    std::vector<std::optional<uint32_t>> Colours;
    int Red = -1, Green = -1, Blue = -1;
    int DefaultFont = -1;
    int SkipFallback = 0;
    char32_t PendingHighSurrogate = 0;
    std::size_t HexCrEnd = std::string_view::npos; // just past the last \'0d
    bool LastWasPar = false;
    bool StarSeen = false;    // "\*" just read: the group is an optional destination
    bool FormatDirty = true;  // the character state changed since the last run began
    bool RunOpen = false;     // the current line's last run has the current format
    std::size_t Overflow = 0; // groups nested beyond kMaxDepth share their parent's state
    static constexpr std::size_t kMaxDepth = 4096;
    static constexpr std::size_t kPollBytes = 16384; // how often the stop flag is read

    // Bytes of text become characters in the code page of the font in use.
    int DocumentCodePage = kWindows1252;
    bool CodePageDirty = true; // the state changed since CodePage was worked out
    int CodePage = kWindows1252;
    Converter* Conv = nullptr; // CodePage's converter; none for Windows-1252 and the symbol fonts
    std::map<int, std::unique_ptr<Converter>> Converters; // none: iconv does not know the code page
    std::string Pending;       // the first bytes of a multi-byte character
    std::u32string Converted;
};

// Where the document's "{\rtf" and digit begin, after a UTF-8 byte-order
// mark and blanks; npos when the bytes do not begin an RTF document.
std::size_t RtfStart(std::string_view bytes);

// The document in `bytes`, read with the stop flag and the line limit, its
// text in normalisation form C.
TLoadResult ReadDocument(std::string_view bytes, bool utf8Text, TRichDocument& document, TLoadReport* report,
                         const std::atomic<bool>* stop, const TLoadLimits& limits = kNotebookLimits);

} // namespace notebook::rtf
