// The RTF reader: groups, escapes, bytes of text in their code pages and the
// characters they give.  The control words are in RtfControlWords.cpp.
#include "codec/Rtf.h"

#include "engine/Utf8.h"
#include "codec/CodePages.h"
#include "codec/Normalize.h"
#include "codec/PlainText.h"
#include "codec/RtfReader.h"

#include <algorithm>

namespace notebook::rtf {

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

int HexDigit(char h)
{
    if (h >= '0' && h <= '9') return h - '0';
    if (h >= 'a' && h <= 'f') return h - 'a' + 10;
    if (h >= 'A' && h <= 'F') return h - 'A' + 10;
    return -1;
}

// The length of the UTF-8 sequence that begins with `lead` (1 for a byte
// that begins none).
std::size_t Utf8Length(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

} // namespace

Reader::Reader(std::string_view bytes, bool utf8Text, TLoadReport* report, const std::atomic<bool>* stop)
    : All(bytes), Utf8Text(utf8Text), Report(report), Stop(stop)
{
    LimitAtNul();
}

void Reader::LimitAtNul()
{
    const std::size_t nul = All.find('\0', I);
    B = All.substr(0, nul);
}

void Reader::Poll()
{
    NextPoll = I + kPollBytes;
    if (Stop && Stop->load(std::memory_order_relaxed)) State = Status::Stopped;
}

TLoadResult Reader::Run(TRichDocument& doc)
{
    Doc = &doc;
    doc.Lines.clear();
    doc.Lines.emplace_back();
    bool ended = false; // the document's own group closed
    while (I < B.size() && State == Status::Reading && !ended) {
        if (I >= NextPoll) {
            Poll();
            if (State != Status::Reading) break;
        }
        const char c = B[I++];
        switch (c) {
        case '{': OpenGroup(); break;
        case '}': ended = CloseGroup(); break;
        case '\r':
        case '\n': break;
        case '\\': Escape(); break;
        default: LiteralByte(static_cast<unsigned char>(c)); break;
        }
    }
    return Finish(ended);
}

void Reader::OpenGroup()
{
    FlushPending();
    FormatDirty = true;
    CodePageDirty = true;
    if (Stack.size() >= kMaxDepth) {
        ++Overflow;
        return;
    }
    Stack.push_back(S);
    SkipFallback = 0;
    StarSeen = false;
}

bool Reader::CloseGroup()
{
    FlushPending();
    FormatDirty = true;
    CodePageDirty = true;
    if (Overflow > 0) {
        --Overflow;
        return false;
    }
    if (S.Destination == Dest::FontTable && FontNumber >= 0 && !FontName.empty()) {
        // An entry that ends without ";".
        Put(U';');
    }
    if (!Stack.empty()) {
        const Dest inner = S.Destination;
        if (inner != Stack.back().Destination) FlushSurrogate();
        S = Stack.back();
        Stack.pop_back();
        if (inner == Dest::FontTable && S.Destination != Dest::FontTable) FontNumber = -1;
    }
    SkipFallback = 0;
    StarSeen = false;
    // Whatever follows the document is not part of it.
    return Stack.empty();
}

void Reader::Escape()
{
    if (I >= B.size()) return;
    const char d = B[I];
    if (IsLetter(d)) {
        ReadControlWord();
        return;
    }
    ++I;
    ControlSymbol(d);
}

void Reader::ReadControlWord()
{
    FlushPending();
    char word[64];
    std::size_t length = 0;
    while (I < B.size() && IsLetter(B[I]) && length < sizeof word) word[length++] = B[I++];
    while (I < B.size() && IsLetter(B[I])) ++I;
    bool negative = false, hasParam = false;
    long param = 0;
    if (I < B.size() && B[I] == '-') {
        negative = true;
        ++I;
    }
    while (I < B.size() && B[I] >= '0' && B[I] <= '9') {
        hasParam = true;
        if (param < 100000000L) param = param * 10 + (B[I] - '0'); // huge numbers saturate
        ++I;
    }
    if (negative) param = -param;
    if (I < B.size() && B[I] == ' ') ++I;
    const std::string_view w(word, length);
    if (SkipFallback > 0 && w != "u") {
        // A control word is one character of a \u fallback; \binN with its data.
        --SkipFallback;
        if (w == "bin") SkipBinary(param);
        return;
    }
    ControlWord(w, hasParam, param);
}

void Reader::ControlSymbol(char d)
{
    switch (d) {
    case '\'': HexEscape(I - 2); break;
    case '\\':
    case '{':
    case '}':
        // Also the second byte of a double-byte character.
        if (!TakeFallback()) TextByte(static_cast<unsigned char>(d));
        break;
    case '*':
        FlushPending();
        StarSeen = true;
        break;
    case '~':
        FlushPending();
        if (!TakeFallback()) Emit(U'\u00A0');
        break;
    case '_':
        FlushPending();
        if (!TakeFallback()) Emit(U'\u2011');
        break;
    case '\r':
    case '\n':
        FlushPending();
        if (S.Destination == Dest::Text) EndLine();
        break;
    default: // \- optional hyphen, \: index, \| formula: nothing to show
        break;
    }
}

void Reader::HexEscape(std::size_t start)
{
    int value = 0, digits = 0;
    while (digits < 2 && I < B.size() && HexDigit(B[I]) >= 0) {
        value = value * 16 + HexDigit(B[I++]);
        ++digits;
    }
    if (TakeFallback()) return;
    // An escape cut short stands for nothing.
    if (digits < 2) return;
    switch (value) {
    case 0x00: return;
    case 0x0D:
        HexBreak();
        HexCrEnd = I;
        return;
    case 0x0A:
        // The LF of \'0d\'0a, with nothing but the source's own line breaks between.
        if (HexCrEnd <= start &&
            B.substr(HexCrEnd, start - HexCrEnd).find_first_not_of("\r\n") == std::string_view::npos)
            return;
        HexBreak();
        return;
    default: TextByte(static_cast<unsigned char>(value)); return;
    }
}

void Reader::HexBreak()
{
    FlushPending();
    if (S.Destination == Dest::Text) EndLine();
}

void Reader::LiteralByte(unsigned char b)
{
    const std::size_t length = Utf8Text ? Utf8Length(b) : 1;
    if (TakeFallback()) {
        I = std::min(B.size(), I + length - 1);
        return;
    }
    if (length == 1) {
        TextByte(b);
        return;
    }
    const std::u32string ch = utf8::Decode(B.substr(I - 1, length));
    I = std::min(B.size(), I + length - 1);
    FlushPending();
    for (const char32_t c : ch) Emit(c);
}

TLoadResult Reader::Finish(bool ended)
{
    if (State == Status::Stopped) return TLoadResult::Stopped;
    if (State == Status::TooManyLines) return TLoadResult::TooManyLines;
    if (State == Status::TooManyRuns) return TLoadResult::TooManyRuns;
    FlushPending();
    FlushSurrogate();
    // Stopped short of the end at a NUL byte.
    if (!ended && B.size() < All.size()) return TLoadResult::Failed;
    // The final paragraph mark ends the last line without starting another.
    auto& lines = Doc->Lines;
    if (LastWasPar && lines.size() > 1 && lines.back().Runs.empty()) lines.pop_back();
    if (lines.size() == 1 && lines.back().Runs.empty()) lines.clear();
    if (lines.size() > Limits.Lines) return TLoadResult::TooManyLines;
    return TLoadResult::Rtf;
}

bool Reader::TakeFallback()
{
    if (SkipFallback > 0) {
        --SkipFallback;
        return true;
    }
    return false;
}

int FontEntry::TextCodePage(int documentCodePage) const
{
    // Character set 2 is a symbol font's own bytes: the Symbol font's are
    // known characters, another's (Wingdings…) only its glyphs.
    if (Charset == 2) return IsSymbolName(Name) || Name.empty() ? kSymbolFont : kSymbolBytes;
    if (Charset < 0 && IsSymbolName(Name)) return kSymbolFont;
    if (Charset > 1) {
        const int cp = CodePageOfCharset(Charset, 0);
        if (cp != 0) return cp;
    }
    return CodePage > 0 ? CodePage : documentCodePage;
}

void Reader::ResolveCodePage()
{
    CodePageDirty = false;
    int cp = kWindows1252;
    if (S.Destination == Dest::Text) {
        cp = DocumentCodePage;
        if (auto it = Fonts.find(S.Font >= 0 ? S.Font : DefaultFont); it != Fonts.end())
            cp = it->second.TextCodePage(DocumentCodePage);
    } else if (S.Destination == Dest::FontTable) {
        // A font's name is in its own character set, but a symbol font's name is plain.
        cp = DocumentCodePage;
        if (auto it = Fonts.find(FontNumber); it != Fonts.end() && it->second.Charset > 1)
            cp = CodePageOfCharset(it->second.Charset, DocumentCodePage);
        if (cp == kSymbolFont) cp = DocumentCodePage;
    }
    Conv = nullptr;
    CodePage = cp;
    if (cp == kWindows1252 || cp == kSymbolFont || cp == kSymbolBytes) return;
    auto it = Converters.find(cp);
    if (it == Converters.end()) {
        it = Converters.emplace(cp, Converter::Open(cp)).first;
        if (!it->second && Report) Report->UnknownCodePages.push_back(cp);
    }
    Conv = it->second.get();
    if (!Conv) CodePage = kWindows1252; // a code page iconv does not know
}

void Reader::TextByte(unsigned char b)
{
    if (CodePageDirty) ResolveCodePage();
    if (CodePage == kWindows1252) Emit(Windows1252ToUnicode(b));
    else CodedByte(b);
}

void Reader::CodedByte(unsigned char b)
{
    if (CodePage == kSymbolFont) {
        Emit(FromSymbol(b));
        return;
    }
    if (CodePage == kSymbolBytes) {
        Emit(FromSymbolBytes(b));
        return;
    }
    if (Conv->Stateful()) {
        ShiftedByte(b);
        return;
    }
    if (Pending.empty()) {
        const char32_t ch = Conv->Single(b);
        if (ch == Converter::kLead) {
            Pending.push_back(static_cast<char>(b));
        } else if (ch == Converter::kSeveral) {
            const char byte = static_cast<char>(b);
            Conv->Convert(&byte, 1, Converted);
            for (char32_t c : Converted) Emit(c);
        } else {
            Emit(ch);
        }
        return;
    }
    Pending.push_back(static_cast<char>(b));
    switch (Conv->Convert(Pending.data(), Pending.size(), Converted)) {
    case Converter::Result::Done:
        Pending.clear();
        for (char32_t c : Converted) Emit(c);
        return;
    case Converter::Result::Incomplete:
        if (Pending.size() < 4) return;
        [[fallthrough]];
    case Converter::Result::Invalid: {
        // The first byte stands for nothing; the others may begin characters.
        const std::string rest = Pending.substr(1);
        Pending.clear();
        Emit(U'\uFFFD');
        for (char c : rest) CodedByte(static_cast<unsigned char>(c));
        return;
    }
    }
}

void Reader::ShiftedByte(unsigned char b)
{
    // The converter keeps the shift state; escape sequences give nothing.
    Pending.push_back(static_cast<char>(b));
    std::size_t consumed = 0;
    const Converter::Result r = Conv->Continue(Pending.data(), Pending.size(), Converted, consumed);
    for (char32_t c : Converted) Emit(c);
    Pending.erase(0, consumed);
    if (r == Converter::Result::Done || (r == Converter::Result::Incomplete && Pending.size() < 8)) return;
    const std::string rest = Pending.substr(1);
    Pending.clear();
    Emit(U'\uFFFD');
    for (char c : rest) ShiftedByte(static_cast<unsigned char>(c));
}

void Reader::FlushPending()
{
    if (Pending.empty()) return;
    Pending.clear();
    Emit(U'\uFFFD');
}

void Reader::Emit(char32_t ch)
{
    if (ch >= 0xD800 && ch <= 0xDBFF) { // high surrogate of a \u pair
        FlushSurrogate();
        PendingHighSurrogate = ch;
        return;
    }
    if (ch >= 0xDC00 && ch <= 0xDFFF) {
        ch = PendingHighSurrogate ? 0x10000 + ((PendingHighSurrogate - 0xD800) << 10) + (ch - 0xDC00) : U'\uFFFD';
        PendingHighSurrogate = 0;
    } else {
        FlushSurrogate();
    }
    Put(ch);
}

void Reader::FlushSurrogate()
{
    // A high surrogate without its low one.
    if (PendingHighSurrogate == 0) return;
    PendingHighSurrogate = 0;
    Put(U'\uFFFD');
}

void Reader::Put(char32_t ch)
{
    switch (S.Destination) {
    case Dest::FontTable: PutFontName(ch); return;
    case Dest::ColourTable: PutColour(ch); return;
    case Dest::Text: PutText(ch); return;
    case Dest::Skip: return;
    }
}

void Reader::PutFontName(char32_t ch)
{
    if (ch != U';') {
        utf8::Append(FontName, ch);
        return;
    }
    if (FontNumber >= 0) {
        std::string name = FontName;
        while (!name.empty() && name.back() == ' ') name.pop_back();
        while (!name.empty() && name.front() == ' ') name.erase(name.begin());
        Fonts[FontNumber].Name = name;
    }
    FontName.clear();
}

void Reader::PutColour(char32_t ch)
{
    if (ch != U';') return;
    if (Red < 0 && Green < 0 && Blue < 0) Colours.push_back(std::nullopt);
    else
        Colours.push_back((static_cast<uint32_t>(std::clamp(Red, 0, 255)) << 16) |
                          (static_cast<uint32_t>(std::clamp(Green, 0, 255)) << 8) |
                          static_cast<uint32_t>(std::clamp(Blue, 0, 255)));
    Red = Green = Blue = -1;
}

void Reader::PutText(char32_t ch)
{
    LastWasPar = false;
    auto& runs = Doc->Lines.back().Runs;
    if (RunOpen && !FormatDirty) {
        utf8::Append(runs.back().Text, ch);
        return;
    }
    if (Doc->Lines.size() > Limits.Lines) {
        State = Status::TooManyLines;
        return;
    }
    TRun format;
    const int fontNumber = S.Font >= 0 ? S.Font : DefaultFont;
    if (auto it = Fonts.find(fontNumber); it != Fonts.end()) format.Font = it->second.Name;
    if (S.Colour > 0 && static_cast<std::size_t>(S.Colour) < Colours.size()) format.Colour = Colours[S.Colour];
    format.HalfPoints = S.HalfPoints;
    format.Bold = S.Bold;
    format.Italic = S.Italic;
    format.Underline = S.Underline;
    format.StrikeOut = S.Strike;
    if (runs.empty() || !runs.back().SameFormat(format)) {
        if (++RunCount > Limits.Runs) {
            State = Status::TooManyRuns;
            return;
        }
        runs.push_back(std::move(format));
    }
    RunOpen = true;
    FormatDirty = false;
    utf8::Append(runs.back().Text, ch);
}

void Reader::EndLine()
{
    FlushSurrogate();
    // The line just ended is past the limit, whatever follows.
    if (Doc->Lines.size() > Limits.Lines) {
        State = Status::TooManyLines;
        return;
    }
    RunOpen = false;
    Doc->Lines.emplace_back();
    LastWasPar = true;
}

std::size_t RtfStart(std::string_view bytes)
{
    std::size_t i = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) ++i;
    // "{\rtf" and the version number: text that merely begins with "{\rtf" is not RTF.
    if (bytes.substr(i, 5) != "{\\rtf" || i + 5 >= bytes.size() || bytes[i + 5] < '0' || bytes[i + 5] > '9')
        return std::string_view::npos;
    return i;
}

TLoadResult ReadDocument(std::string_view bytes, bool utf8Text, TRichDocument& document, TLoadReport* report,
                         const std::atomic<bool>* stop, const TLoadLimits& limits)
{
    const std::size_t start = RtfStart(bytes);
    if (start == std::string_view::npos) return TLoadResult::Failed;
    Reader reader(bytes.substr(start), utf8Text, report, stop);
    reader.Limits = limits;
    const TLoadResult result = reader.Run(document);
    if (result != TLoadResult::Rtf) return result;
    return NormalizeDocument(document, stop) ? result : TLoadResult::Stopped;
}

} // namespace notebook::rtf

namespace notebook {

TLoadResult ReadRtf(std::string_view bytes, TRichDocument& document, TLoadReport* report,
                    const std::atomic<bool>* stop)
{
    if (report) *report = TLoadReport{};
    return rtf::ReadDocument(bytes, false, document, report, stop);
}

} // namespace notebook
