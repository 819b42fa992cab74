#include "notebook/NotebookReading.h"

#include "codec/PlainText.h"

#include <QDir>
#include <new>
#include <stdexcept>

namespace notebook {

namespace {

// The bytes begin as RTF does (after a UTF-8 byte-order mark and blanks).
bool LooksLikeRtf(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    while (!bytes.empty() && (bytes.front() == ' ' || bytes.front() == '\t' || bytes.front() == '\r' ||
                              bytes.front() == '\n'))
        bytes.remove_prefix(1);
    return bytes.substr(0, 5) == "{\\rtf";
}

template <typename Unit> std::size_t CountLines(std::size_t units, Unit unitAt)
{
    std::size_t lines = 0;
    bool open = false; // text after the last line break
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t u = unitAt(i);
        if (u == U'\n' || (u == U'\r' && (i + 1 == units || unitAt(i + 1) != U'\n'))) {
            ++lines;
            open = false;
        } else if (u != U'\r') {
            open = true;
        }
    }
    return lines + (open ? 1 : 0);
}

// 1000000 as "1.000.000".
QString Grouped(std::size_t number)
{
    QString digits = QString::number(static_cast<qulonglong>(number));
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3) digits.insert(at, '.');
    return digits;
}

} // namespace

std::size_t PlainTextLines(std::string_view bytes)
{
    if (HasUtf16Mark(bytes)) {
        const bool little = static_cast<unsigned char>(bytes[0]) == 0xFF;
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data()) + 2;
        return CountLines((bytes.size() - 2) / 2, [b, little](std::size_t i) {
            return static_cast<char32_t>(little ? b[2 * i] | b[2 * i + 1] << 8 : b[2 * i] << 8 | b[2 * i + 1]);
        });
    }
    // In UTF-8 and in the single-byte code pages a line break is its byte.
    return CountLines(bytes.size(), [bytes](std::size_t i) { return static_cast<char32_t>(bytes[i]); });
}

QString ReadNotebookBytes(std::string_view bytes, TRichDocument& document)
{
    // STOPGAP until LoadNotebook enforces kMaxNotebookLines while it reads
    // (TLoadResult::TooLarge and TooManyLines, mapped by
    // LoadFailureMessage): the window measures first.  Plain text that
    // would pass the line limit is refused before it is split, which is
    // what costs memory; RTF is counted once read (its lines cost far less
    // than their bytes).
    if (bytes.size() > kMaxNotebookBytes) return TooLargeMessage();
    if (PlainTextLines(bytes) > kWindowMaxNotebookLines) {
        // Only as RTF could it be read.
        TRichDocument rich;
        if (!LooksLikeRtf(bytes) || !ReadRtf(bytes, rich) || rich.Lines.size() > kWindowMaxNotebookLines)
            return TooManyLinesMessage();
        document = std::move(rich);
        return {};
    }
    TRichDocument rich;
    const TLoadResult result = LoadNotebook(bytes, rich);
    if (result == TLoadResult::Failed) return LoadFailureMessage(result);
    if (rich.Lines.size() > kWindowMaxNotebookLines) return TooManyLinesMessage();
    document = std::move(rich);
    return {};
}

QString LoadFailureMessage(TLoadResult result)
{
    switch (result) {
    case TLoadResult::Rtf:
    case TLoadResult::PlainText: return {};
    case TLoadResult::Failed: return "Failed to Load Stream";
    }
    return "Failed to Load Stream";
}

QString TooLargeMessage()
{
    return QString("El cuaderno pasa del límite de %1 MiB que Zentrova puede abrir; el cuaderno en pantalla no cambia.")
        .arg(kMaxNotebookBytes >> 20);
}

QString TooManyLinesMessage()
{
    return QString("El cuaderno pasa del límite de %1 líneas que Zentrova puede abrir; el cuaderno en pantalla no "
                   "cambia.")
        .arg(Grouped(kWindowMaxNotebookLines));
}

QString ReadingExceptionMessage(const QString& path, std::exception_ptr failure)
{
    const QString head = QString("No se pudo abrir el cuaderno «%1»: ").arg(QDir::toNativeSeparators(path));
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        return head + "no hay memoria suficiente para leerlo. El cuaderno en pantalla no cambia.";
    } catch (const std::length_error&) {
        return head + "no hay memoria suficiente para leerlo. El cuaderno en pantalla no cambia.";
    } catch (const std::exception& e) {
        return head + QString("la lectura falló (%1). El cuaderno en pantalla no cambia.").arg(QString::fromUtf8(e.what()));
    } catch (...) {
        return head + "la lectura falló. El cuaderno en pantalla no cambia.";
    }
}

QString ReadingNotStartedMessage(const QString& path, const char* reason)
{
    return QString("No se pudo abrir el cuaderno «%1»: el sistema no permitió empezar la lectura (%2). El cuaderno en "
                   "pantalla no cambia.")
        .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(reason));
}

} // namespace notebook
