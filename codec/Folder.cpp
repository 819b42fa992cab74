#include "codec/Folder.h"

#include "codec/FolderSystem.h"
#include "engine/Utf8.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

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
    return CanWriteInto(folder);
}

// A program installed rather than unpacked or built: share/zentrova beside
// its folder, or the uninstaller that the Windows installer puts in it.
bool IsInstalledProgram(const fs::path& executableFolder)
{
    std::error_code ec;
    return fs::is_directory(executableFolder.parent_path() / "share" / "zentrova", ec) ||
           fs::is_regular_file(executableFolder / "desinstalar.exe", ec);
}

} // namespace

int CountFiles(const std::string& folder, const std::string& pattern)
{
    std::error_code ec;
    fs::directory_iterator it(utf8::Path(folder), ec);
    if (ec) return 0;
    int count = 0;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::error_code dirEc;
        if (it->is_directory(dirEc)) continue;
        if (Matches(utf8::PathText(it->path().filename()), pattern)) ++count;
    }
    return count;
}

std::string ChooseNotebookFolder(const std::string& executableFolder, const std::string& documentsFolder)
{
    // An installed program never writes into the program folder.
    const bool installed = !executableFolder.empty() && IsInstalledProgram(utf8::Path(executableFolder));
    for (const std::string& base : {installed ? std::string() : executableFolder, documentsFolder}) {
        if (base.empty()) continue;
        const fs::path folder = utf8::Path(base) / "Cuadernos";
        if (Usable(folder)) return utf8::PathText(folder);
    }
    return {};
}

} // namespace notebook
