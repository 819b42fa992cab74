#include "codec/RegularFile.h"

#include "codec/RegularFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace notebook {

namespace {

using file_system::TKind;

std::string KindOf(TKind kind)
{
    switch (kind) {
    case TKind::Folder: return "una carpeta";
    case TKind::Device: return "un dispositivo";
    case TKind::Fifo: return "una tubería con nombre (FIFO)";
    case TKind::BlockDevice: return "un dispositivo de bloques";
    case TKind::Socket: return "un socket";
    default: return "un archivo especial";
    }
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
    if (FFd >= 0) file_system::Close(FFd);
    FFd = -1;
}

bool TRegularFile::Open(const std::string& path)
{
    Close();
    Error.clear();
    NotRegular = false;
    int error = 0;
    const int fd = file_system::OpenForReading(path, error);
    if (fd < 0) {
        NotRegular = error == EISDIR;
        Error = SystemError(error);
        return false;
    }
    TKind kind = TKind::Other;
    long long size = 0;
    if (!file_system::Describe(fd, kind, size, error)) {
        Error = SystemError(error);
        file_system::Close(fd);
        return false;
    }
    if (kind != TKind::Regular) {
        NotRegular = true;
        Error = "no es un archivo normal, sino " + KindOf(kind);
        file_system::Close(fd);
        return false;
    }
    FFd = fd;
    FSize = size;
    return true;
}

bool TRegularFile::Read(long long offset, std::size_t max, std::string& out, const std::atomic<bool>* stop)
{
    out.clear();
    Error.clear();
    int error = 0;
    if (FFd < 0) {
        Error = SystemError(EBADF);
        return false;
    }
    if (!file_system::Seek(FFd, offset, error)) {
        Error = SystemError(error);
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
        const long long n = file_system::ReadSome(FFd, out.data() + had, want, error);
        if (n < 0) {
            out.resize(had);
            Error = SystemError(error);
            return false;
        }
        out.resize(had + static_cast<std::size_t>(n));
        if (n == 0) break;
    }
    return true;
}

} // namespace notebook
