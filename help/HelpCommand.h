// The help command: opens the manual with the desktop's viewer, or says
// which file it could not find or show.
#pragma once

#include <QString>
#include <functional>

namespace help {

// The manual's full path, empty when it is nowhere to be found.
QString ManualPath();

// A program that shows web pages can be started (on Linux: the desktop's
// opener, $BROWSER or a browser on the PATH).
bool BrowserFound();

// Opens the manual at `path` (empty: not found); on failure `showFailure`
// gets a message naming the file.
bool OpenManualAt(const QString& path, const std::function<void(const QString&)>& showFailure);
bool OpenManual(const std::function<void(const QString&)>& showFailure);

} // namespace help
