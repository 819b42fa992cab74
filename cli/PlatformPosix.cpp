// zentrova-calc on POSIX systems, whose arguments and names are bytes.
#include "cli/Platform.h"

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace cli {

void PrepareStreams() { std::signal(SIGPIPE, SIG_IGN); }

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

std::FILE* OpenForReading(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) != 0; }

bool ReaderWentAway(int error) { return error == EPIPE; }

bool IsQuotaError(int error) { return error == EDQUOT; }

} // namespace cli
