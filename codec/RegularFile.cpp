#include "codec/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace notebook {

namespace {

#ifdef _WIN32
constexpr int kOpenFlags = O_RDONLY | O_BINARY;
#else
constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
#endif

std::string KindOf(mode_t mode)
{
    if (S_ISDIR(mode)) return "una carpeta";
    if (S_ISCHR(mode)) return "un dispositivo";
#ifdef S_ISFIFO
    if (S_ISFIFO(mode)) return "una tubería con nombre (FIFO)";
#endif
#ifdef S_ISBLK
    if (S_ISBLK(mode)) return "un dispositivo de bloques";
#endif
#ifdef S_ISSOCK
    if (S_ISSOCK(mode)) return "un socket";
#endif
    return "un archivo especial";
}

std::string SystemError(int error)
{
    switch (error) {
    case ENOENT: return "no existe";
    case EACCES: return "no se tiene permiso para leerlo";
    case EISDIR: return "no es un archivo normal, sino una carpeta";
    case EIO: return "error de entrada/salida";
    default: return std::strerror(error);
    }
}

} // namespace

TRegularFile::~TRegularFile() { Close(); }

void TRegularFile::Close()
{
    if (FFd >= 0) ::close(FFd);
    FFd = -1;
}

bool TRegularFile::Open(const std::string& path)
{
    Close();
    Error.clear();
    NotRegular = false;
    // Without blocking: opening a FIFO for reading would wait for a writer.
    int fd;
    do fd = ::open(path.c_str(), kOpenFlags);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        NotRegular = errno == EISDIR;
        Error = SystemError(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        Error = SystemError(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        NotRegular = true;
        Error = "no es un archivo normal, sino " + KindOf(info.st_mode);
        ::close(fd);
        return false;
    }
    FFd = fd;
    FSize = static_cast<long long>(info.st_size);
    return true;
}

bool TRegularFile::Read(long long offset, std::size_t max, std::string& out, const std::atomic<bool>* stop)
{
    out.clear();
    Error.clear();
    if (FFd < 0) {
        Error = SystemError(EBADF);
        return false;
    }
    if (::lseek(FFd, static_cast<off_t>(offset), SEEK_SET) < 0) {
        Error = SystemError(errno);
        return false;
    }
    // The size known is only a hint: the file may grow or shrink meanwhile.
    const auto left = static_cast<unsigned long long>(FSize > offset ? FSize - offset : 0);
    out.reserve(static_cast<std::size_t>(std::min<unsigned long long>(left, max)));
    constexpr std::size_t kChunk = 1 << 20;
    while (out.size() < max) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            Error = "lectura cancelada";
            return false;
        }
        const std::size_t want = std::min(kChunk, max - out.size());
        const std::size_t had = out.size();
        out.resize(had + want);
        const auto n = ::read(FFd, out.data() + had, static_cast<unsigned>(want));
        if (n < 0) {
            out.resize(had);
            if (errno == EINTR) continue;
            Error = SystemError(errno);
            return false;
        }
        out.resize(had + static_cast<std::size_t>(n));
        if (n == 0) break;
    }
    return true;
}

} // namespace notebook
