// What the notebook folder asks of the platform (FolderPosix.cpp,
// FolderWindows.cpp).
#pragma once

#include <filesystem>

namespace notebook {

// True when files can be made in the existing `folder`.
bool CanWriteInto(const std::filesystem::path& folder);

} // namespace notebook
