// The Spanish messages of a notebook reading that fails in the window.
#pragma once

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

} // namespace notebook
