// Where the manual is: beside the program (a build tree, a portable copy),
// in the data folder of the prefix the program is installed in, or in the
// desktop's data folders.  No Qt here.
#pragma once

#include <string>
#include <vector>

namespace help {

constexpr const char* kManualName = "Zentrova4.html";

// The first of: <executableFolder>/Zentrova4.html,
// <executableFolder>/../share/zentrova/Zentrova4.html,
// <dataFolder>/zentrova/Zentrova4.html for each data folder in order, and
// <installedFolder>/Zentrova4.html; empty when none exists.
std::string FindManual(const std::string& executableFolder, const std::vector<std::string>& dataFolders,
                       const std::string& installedFolder);

} // namespace help
