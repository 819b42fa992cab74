// Reading a notebook file: RTF (also stored as UTF-16) or plain text, within
// the limits of bytes and lines, with a stop flag.
#include "codec/Notebook.h"

#include "engine/Utf8.h"
#include "codec/Normalize.h"
#include "codec/PlainText.h"
#include "codec/RtfReader.h"

namespace notebook {

std::string TLine::Text() const
{
    std::string out;
    for (const TRun& run : Runs) out += run.Text;
    return out;
}

std::string TRichDocument::PlainText() const
{
    std::string out;
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        if (i) out += '\n';
        out += Lines[i].Text();
    }
    return out;
}

namespace {

bool StopRaised(const std::atomic<bool>* stop) { return stop && stop->load(std::memory_order_relaxed); }

// One line per line break (CR LF, LF or CR; a final one starts no line),
// each one run in the pane's format.  A line that is not valid UTF-8 is
// Windows-1252; `utf8` tells that the whole text is known to be UTF-8.
TLoadResult ReadTextLines(std::string_view text, bool utf8, TRichDocument& document, const std::atomic<bool>* stop,
                          std::size_t maxLines)
{
    std::size_t start = 0;
    while (start < text.size()) {
        if (document.Lines.size() == maxLines) return TLoadResult::TooManyLines;
        if (document.Lines.size() % 4096 == 0 && StopRaised(stop)) return TLoadResult::Stopped;
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        TLine& l = document.Lines.emplace_back();
        if (!line.empty()) {
            TRun& run = l.Runs.emplace_back();
            run.Text = (utf8 || utf8::IsValid(line)) ? ToNfc(line) : ToNfc(FromWindows1252(line));
        }
        start = end;
        if (start < text.size()) start += (text[start] == '\r' && start + 1 < text.size() && text[start + 1] == '\n') ? 2 : 1;
    }
    return StopRaised(stop) ? TLoadResult::Stopped : TLoadResult::PlainText;
}

// UTF-16 after its byte-order mark: an RTF document or plain text.
TLoadResult ReadUtf16(std::string_view bytes, TRichDocument& document, TLoadReport* report,
                      const std::atomic<bool>* stop, const TLoadLimits& limits)
{
    std::string text;
    if (!DecodeText(bytes, text, stop)) return TLoadResult::Stopped;
    if (rtf::RtfStart(text) != std::string_view::npos)
        return rtf::ReadDocument(text, true, document, report, stop, limits);
    // UTF-16 holds NUL bytes of its own; a NUL character still fails.
    if (text.find('\0') != std::string::npos) return TLoadResult::Failed;
    return ReadTextLines(text, true, document, stop, limits.Lines);
}

} // namespace

TLoadResult LoadNotebook(std::string_view bytes, TRichDocument& document, TLoadReport* report,
                         const std::atomic<bool>* stop, const TLoadLimits& limits)
{
    if (report) *report = TLoadReport{};
    if (bytes.size() > limits.Bytes) return TLoadResult::TooLarge;
    TRichDocument read;
    TLoadResult result;
    if (HasUtf16Mark(bytes)) {
        result = ReadUtf16(bytes, read, report, stop, limits);
    } else if (rtf::RtfStart(bytes) != std::string_view::npos) {
        result = rtf::ReadDocument(bytes, false, read, report, stop, limits);
    } else if (bytes.find('\0') != std::string_view::npos) {
        result = TLoadResult::Failed;
    } else {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
        result = ReadTextLines(bytes, false, read, stop, limits.Lines);
    }
    if (Loaded(result)) document = std::move(read);
    return result;
}

std::string LoadFailureText(TLoadResult result)
{
    switch (result) {
    case TLoadResult::Rtf:
    case TLoadResult::PlainText: return {};
    case TLoadResult::Failed: return "Failed to Load Stream";
    case TLoadResult::TooLarge:
        return "El cuaderno pasa del límite de " + std::to_string(kMaxNotebookBytes >> 20) + " MiB";
    case TLoadResult::TooManyLines:
        return "El cuaderno pasa del límite de " + std::to_string(kMaxNotebookLines) + " líneas";
    case TLoadResult::TooManyRuns:
        return "El cuaderno pasa del límite de " + std::to_string(kMaxNotebookRuns) + " cambios de formato";
    case TLoadResult::Stopped: return "Lectura cancelada";
    }
    return {};
}

std::string UnknownCodePageText(int codePage)
{
    return "Código de página " + std::to_string(codePage) + " desconocido: leído como Windows-1252";
}

} // namespace notebook
