#include "codec/RegularFileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace notebook::file_system {

int OpenForReading(const std::string& path, int& error)
{
    // Without blocking: opening a FIFO for reading would wait for a writer.
    int fd;
    do fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) error = errno;
    return fd;
}

bool Describe(int fd, TKind& kind, long long& size, int& error)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = errno;
        return false;
    }
    const mode_t mode = info.st_mode;
    kind = S_ISREG(mode)    ? TKind::Regular
           : S_ISDIR(mode)  ? TKind::Folder
           : S_ISCHR(mode)  ? TKind::Device
           : S_ISFIFO(mode) ? TKind::Fifo
           : S_ISBLK(mode)  ? TKind::BlockDevice
           : S_ISSOCK(mode) ? TKind::Socket
                            : TKind::Other;
    size = static_cast<long long>(info.st_size);
    return true;
}

bool Seek(int fd, long long offset, int& error)
{
    if (::lseek(fd, static_cast<off_t>(offset), SEEK_SET) >= 0) return true;
    error = errno;
    return false;
}

long long ReadSome(int fd, char* to, std::size_t count, int& error)
{
    for (;;) {
        const auto n = ::read(fd, to, count);
        if (n >= 0) return static_cast<long long>(n);
        if (errno != EINTR) {
            error = errno;
            return -1;
        }
    }
}

void Close(int fd) { ::close(fd); }

} // namespace notebook::file_system
