// The floating-point status flags by which the evaluator detects arithmetic
// faults.  Internal to the engine.
#pragma once

#include <cfenv>
#include <cstdint>

namespace engine_detail {

constexpr unsigned kFaultFlags = FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID;

// The overflow, division-by-zero and invalid flags raised so far.  On x86-64
// long double arithmetic sets the x87 status word and library code may use
// SSE; both keep these flags in the same bits.
inline unsigned RaisedFaults()
{
#if defined(__x86_64__) || defined(__i386__)
    uint16_t status;
    uint32_t mxcsr;
    asm volatile("fnstsw %0" : "=am"(status));
    asm volatile("stmxcsr %0" : "=m"(mxcsr));
    return (status | mxcsr) & kFaultFlags;
#else
    return static_cast<unsigned>(std::fetestexcept(kFaultFlags));
#endif
}

} // namespace engine_detail
