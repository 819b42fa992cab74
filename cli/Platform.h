// What zentrova-calc asks of the platform (PlatformPosix.cpp,
// PlatformWindows.cpp): streams of plain bytes, arguments and file names in
// UTF-8.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

// The standard streams carry bytes as they are (UTF-8 lines ending in
// "\n"), and a reader that goes away makes a write fail (EPIPE) rather
// than end the program.
void PrepareStreams();

// The program's arguments, the program's name first, in UTF-8.
std::vector<std::string> Arguments(int argc, char** argv);

// Opens the file named `path` (UTF-8) to read its bytes; null and errno when it cannot.
std::FILE* OpenForReading(const std::string& path);

bool StandardInputIsTerminal();

// True when a write just failed with `error` because the reader went away
// (a closed pipe).
bool ReaderWentAway(int error);

// True for the error of a write past the user's disk quota.
bool IsQuotaError(int error);

} // namespace cli
