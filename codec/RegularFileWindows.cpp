#include "codec/RegularFileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

namespace notebook::file_system {

namespace {

// The system reads narrow paths in the ANSI code page: a notebook named
// "cálculo.rtf" opens only through its UTF-16 name.
bool Wide(const std::string& text, std::wstring& out)
{
    if (text.empty()) return true;
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0);
    if (length <= 0) return false;
    out.assign(static_cast<std::size_t>(length), L'\0');
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), out.data(),
                               length) == length;
}

} // namespace

int OpenForReading(const std::string& path, int& error)
{
    std::wstring wide;
    if (!Wide(path, wide) || path.find('\0') != std::string::npos) {
        error = ENOENT;
        return -1;
    }
    const int fd = ::_wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) error = errno;
    return fd;
}

bool Describe(int fd, TKind& kind, long long& size, int& error)
{
    struct _stat64 info {};
    if (::_fstat64(fd, &info) != 0) {
        error = errno;
        return false;
    }
    const auto mode = info.st_mode;
    kind = (mode & _S_IFMT) == _S_IFREG    ? TKind::Regular
           : (mode & _S_IFMT) == _S_IFDIR  ? TKind::Folder
           : (mode & _S_IFMT) == _S_IFCHR  ? TKind::Device
           : (mode & _S_IFMT) == _S_IFIFO  ? TKind::Fifo
                                           : TKind::Other;
    size = static_cast<long long>(info.st_size);
    return true;
}

bool Seek(int fd, long long offset, int& error)
{
    if (::_lseeki64(fd, offset, SEEK_SET) >= 0) return true;
    error = errno;
    return false;
}

long long ReadSome(int fd, char* to, std::size_t count, int& error)
{
    const auto n = ::_read(fd, to, static_cast<unsigned>(count));
    if (n < 0) {
        error = errno;
        return -1;
    }
    return n;
}

void Close(int fd) { ::_close(fd); }

} // namespace notebook::file_system
