// Code pages converted through glibc's iconv.
#include "codec/CodePages.h"

#include "engine/Utf8.h"

#include <cerrno>
#include <iconv.h>

namespace notebook {

struct Converter::System {
    explicit System(iconv_t cd) : Cd(cd) {}
    ~System() { iconv_close(Cd); }
    iconv_t Cd;
};

Converter::Converter(std::unique_ptr<System> system, bool stateful) : Sys(std::move(system)), IsStateful(stateful)
{
    Singles.fill(kUnknown);
}

Converter::~Converter() = default;

std::unique_ptr<Converter> Converter::Open(int codePage)
{
    if (codePage <= 0) return nullptr;
    const iconv_t cd = iconv_open("UTF-8", IconvName(codePage).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return std::unique_ptr<Converter>(new Converter(std::make_unique<System>(cd), HasShiftStates(codePage)));
}

Converter::Result Converter::Convert(const char* bytes, std::size_t count, std::u32string& out)
{
    iconv(Sys->Cd, nullptr, nullptr, nullptr, nullptr);
    char buffer[64];
    char* in = const_cast<char*>(bytes);
    char* o = buffer;
    std::size_t inLeft = count, outLeft = sizeof buffer;
    if (iconv(Sys->Cd, &in, &inLeft, &o, &outLeft) == static_cast<std::size_t>(-1))
        return errno == EINVAL ? Result::Incomplete : Result::Invalid;
    // Converters that compose characters hold the last one back until told the input ended.
    iconv(Sys->Cd, nullptr, nullptr, &o, &outLeft);
    out = utf8::Decode(std::string_view(buffer, static_cast<std::size_t>(o - buffer)));
    return Result::Done;
}

Converter::Result Converter::Continue(const char* bytes, std::size_t count, std::u32string& out,
                                      std::size_t& consumed)
{
    char buffer[64];
    char* in = const_cast<char*>(bytes);
    char* o = buffer;
    std::size_t inLeft = count, outLeft = sizeof buffer;
    const std::size_t r = iconv(Sys->Cd, &in, &inLeft, &o, &outLeft);
    const int error = errno;
    consumed = count - inLeft;
    out = utf8::Decode(std::string_view(buffer, static_cast<std::size_t>(o - buffer)));
    if (r != static_cast<std::size_t>(-1)) return Result::Done;
    if (error == EINVAL) return Result::Incomplete;
    iconv(Sys->Cd, nullptr, nullptr, nullptr, nullptr);
    return Result::Invalid;
}

} // namespace notebook
