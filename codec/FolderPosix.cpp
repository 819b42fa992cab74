// The notebook folder on POSIX systems.
#include "codec/FolderSystem.h"

#include <unistd.h>

namespace notebook {

bool CanWriteInto(const std::filesystem::path& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

} // namespace notebook
