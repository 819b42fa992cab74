// The notebook folder on Windows.
#include "codec/FolderSystem.h"

#include <windows.h>

namespace notebook {

// Whether a folder can be written is up to its access rules, which only
// an attempt answers: a file made there and deleted as it closes.
bool CanWriteInto(const std::filesystem::path& folder)
{
    const std::filesystem::path probe = folder / ".zentrova-escritura";
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(file);
    return true;
}

} // namespace notebook
