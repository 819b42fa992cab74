#include "codec/Folder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace notebook {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Glob match with "*" and "?", letters compared without regard to case.
bool Matches(const std::string& name, const std::string& pattern)
{
    std::size_t n = 0, p = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool Usable(const fs::path& folder)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        fs::create_directories(folder, ec);
        if (ec || !fs::is_directory(folder, ec)) return false;
    }
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace

int CountFiles(const std::string& folder, const std::string& pattern)
{
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return 0;
    int count = 0;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::error_code dirEc;
        if (it->is_directory(dirEc)) continue;
        if (Matches(it->path().filename().string(), pattern)) ++count;
    }
    return count;
}

std::string ChooseNotebookFolder(const std::string& executableFolder, const std::string& documentsFolder)
{
    // An installed program (its folder beside share/zentrova) never writes
    // into the program folder.
    std::error_code ec;
    const bool installed =
        !executableFolder.empty() && fs::is_directory(fs::path(executableFolder).parent_path() / "share" / "zentrova", ec);
    for (const std::string& base : {installed ? std::string() : executableFolder, documentsFolder}) {
        if (base.empty()) continue;
        const fs::path folder = fs::path(base) / "Cuadernos";
        if (Usable(folder)) return folder.string();
    }
    return {};
}

} // namespace notebook
