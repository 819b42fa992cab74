// zentrova-calc on Windows: the arguments come from the wide command line,
// file names are opened wide, and the standard streams are binary, so that
// the output is byte for byte the one of the other systems.
#include "cli/Platform.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace cli {

namespace {

std::string Utf8(const wchar_t* text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
    out.pop_back(); // the terminating NUL
    return out;
}

std::wstring Wide(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
    return out;
}

} // namespace

void PrepareStreams()
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // A console shows the UTF-8 it is given.
    SetConsoleOutputCP(CP_UTF8);
}

std::vector<std::string> Arguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

std::FILE* OpenForReading(const std::string& path) { return _wfopen(Wide(path).c_str(), L"rb"); }

// _isatty is true of every character device, NUL included: only a console
// has a console mode.
bool StandardInputIsTerminal()
{
    DWORD mode = 0;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    return input != INVALID_HANDLE_VALUE && input != nullptr && GetConsoleMode(input, &mode) != 0;
}

// The C library reports a write to a pipe whose reader closed it as EINVAL
// (the system's ERROR_NO_DATA) or EPIPE; on a pipe nothing else gives EINVAL.
bool ReaderWentAway(int error)
{
    if (error == EPIPE) return true;
    const HANDLE out = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout)));
    return error == EINVAL && out != INVALID_HANDLE_VALUE && GetFileType(out) == FILE_TYPE_PIPE;
}

bool IsQuotaError(int) { return false; }

} // namespace cli
