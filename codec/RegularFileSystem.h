// What reading a regular file asks of the platform (RegularFilePosix.cpp,
// RegularFileWindows.cpp): descriptors opened without waiting, by a UTF-8
// path, with 64-bit sizes and offsets.
#pragma once

#include <cstddef>
#include <string>

namespace notebook::file_system {

enum class TKind { Regular, Folder, Device, Fifo, BlockDevice, Socket, Other };

// A descriptor for reading `path` (UTF-8), or -1 with `error` (an errno
// value) set.  Never waits for a writer (a FIFO opens at once).
int OpenForReading(const std::string& path, int& error);
// The kind and size of the open file; false with `error` set.
bool Describe(int fd, TKind& kind, long long& size, int& error);
bool Seek(int fd, long long offset, int& error);
// Bytes read into `to` (0 at the end), or -1 with `error` set.
long long ReadSome(int fd, char* to, std::size_t count, int& error);
void Close(int fd);

} // namespace notebook::file_system
