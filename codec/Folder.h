// The notebook folder and its file count.
#pragma once

#include <string>

namespace notebook {

// The number of entries in `folder` whose names match `pattern` (a "*.ext"
// or "name.ext" pattern, letters compared without regard to case) and that
// are not folders; hidden files count.  0 when the folder does not exist.
int CountFiles(const std::string& folder, const std::string& pattern);

// The notebook folder: "Cuadernos" beside the executable when it exists or
// can be made there and can be written (a build tree, a portable copy),
// otherwise "Cuadernos" in the user's documents folder; always the latter
// for an installed program (one whose folder has share/zentrova beside it,
// or the Windows installer's uninstaller desinstalar.exe in it).  Names are UTF-8.
// Made when missing; empty when neither place can be used.
std::string ChooseNotebookFolder(const std::string& executableFolder, const std::string& documentsFolder);

} // namespace notebook
