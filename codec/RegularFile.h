// Reading the user's files without ever waiting on one that is not a file:
// a named pipe (FIFO), a device or a socket is refused before anything is
// read from it, so that choosing one can neither block the program nor
// feed it without end.  No Qt here.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace notebook {

// An open regular file for reading, closed with the object.
class TRegularFile {
public:
    TRegularFile() = default;
    ~TRegularFile();
    TRegularFile(const TRegularFile&) = delete;
    TRegularFile& operator=(const TRegularFile&) = delete;

    // Opens `path` (UTF-8) without blocking and checks that it is a regular
    // file; false, with Error set, when it cannot be opened or is not one.
    bool Open(const std::string& path);
    // The size at the time it was opened.
    long long Size() const { return FSize; }
    // Reads at most `max` bytes from `offset` on into `out` (replaced);
    // false, with Error set, when a read fails or `*stop` turns true (the
    // flag is looked at between reads of 1 MiB).
    bool Read(long long offset, std::size_t max, std::string& out, const std::atomic<bool>* stop = nullptr);
    void Close();

    // Why the last Open or Read failed, in Spanish, without a final full stop:
    // "no es un archivo normal, sino una tubería con nombre (FIFO)", or the
    // system's reason.
    std::string Error;
    // The last Open failed because the file is not a regular file.
    bool NotRegular = false;

private:
    int FFd = -1;
    long long FSize = 0;
};

} // namespace notebook
