#include "help/HelpFile.h"

#include "engine/Utf8.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace help {

std::string FindManual(const std::string& executableFolder, const std::vector<std::string>& dataFolders,
                       const std::string& installedFolder)
{
    std::vector<fs::path> candidates;
    if (!executableFolder.empty()) {
        candidates.push_back(utf8::Path(executableFolder) / kManualName);
        candidates.push_back(utf8::Path(executableFolder).parent_path() / "share" / "zentrova" / kManualName);
    }
    for (const std::string& folder : dataFolders)
        if (!folder.empty()) candidates.push_back(utf8::Path(folder) / "zentrova" / kManualName);
    if (!installedFolder.empty()) candidates.push_back(utf8::Path(installedFolder) / kManualName);
    for (const fs::path& candidate : candidates) {
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) return utf8::PathText(fs::absolute(candidate, ec).lexically_normal());
    }
    return {};
}

} // namespace help
