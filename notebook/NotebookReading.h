// Reading a notebook file's bytes for the window, within the limits of
// what the window opens, and the Spanish messages of a reading that fails.
#pragma once

#include "codec/Rtf.h"

#include <QString>
#include <cstddef>
#include <exception>
#include <string_view>

namespace notebook {

// The most lines, once decoded, that the window opens.
// STOPGAP: the codec is to define this limit itself (kMaxNotebookLines) and
// enforce it while it reads, reporting TLoadResult::TooManyLines; until
// then the window counts the lines itself (see ReadNotebookBytes).
inline constexpr std::size_t kWindowMaxNotebookLines = 1000000;

// Reads a notebook file's bytes into `document`.  Empty when they were
// read; otherwise the sentence to show, and `document` is as it was.
QString ReadNotebookBytes(std::string_view bytes, TRichDocument& document);

// The message for a reading result that is not a notebook read.
QString LoadFailureMessage(TLoadResult result);
// The messages naming the limits.
QString TooLargeMessage();
QString TooManyLinesMessage();

// The lines of the bytes read as plain text (as SplitLines cuts them),
// counted without decoding them.
std::size_t PlainTextLines(std::string_view bytes);

// The message for a reading of `path` that ended with an exception (no
// memory, anything), or whose thread could not be started.
QString ReadingExceptionMessage(const QString& path, std::exception_ptr failure);
QString ReadingNotStartedMessage(const QString& path, const char* reason);

} // namespace notebook
