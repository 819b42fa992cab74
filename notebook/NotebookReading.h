// The Spanish messages of a notebook reading that fails in the window.
#pragma once

#include "codec/RegularFile.h"
#include "codec/Rtf.h"

#include <QString>
#include <exception>

namespace notebook {

// The message for a reading result that is not a notebook read: the
// limit the notebook passed, and that the one on screen stays.
QString LoadFailureMessage(TLoadResult result);

// The message for a reading of `path` that ended with an exception (no
// memory, anything), or whose thread could not be started.
QString ReadingExceptionMessage(const QString& path, std::exception_ptr failure);
QString ReadingNotStartedMessage(const QString& path, const char* reason);

// The message for a notebook file that could not be opened or read: a file
// that is not a regular one (a FIFO, a device, a folder) in Spanish, any
// other failure as "Cannot open file "%s". %s".
QString OpenFailureMessage(const QString& path, const TRegularFile& file);

} // namespace notebook
