// The samples of a curve, evaluated on several threads when there are many.
// No Qt here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

class TSampler;

namespace analysis {

// Below this many samples a curve is evaluated on the calling thread only:
// starting threads would cost more than they save.
constexpr int64_t kParallelSamples = 16384;

// The threads worth using for `count` samples on this machine (1 for few).
unsigned ThreadsFor(int64_t count);

// One chunk of samples, in order: x, f(x) and whether f(x) could be computed.
using TSampleConsumer = std::function<void(const long double* xs, const long double* ys, const bool* ok, std::size_t n)>;

// Evaluates `sampler` at x = i / 100 for i from `first` to `last` in chunks,
// on up to `threads` threads (the calling thread is one of them; each has
// its own copy of the sampler), and hands the chunks to `consume` in order
// on the calling thread.  The values are the same, to the last bit, however
// many threads there are; a sampler that draws random numbers stays on the
// calling thread, in sample order.
void SampleCurve(const TSampler& sampler, int64_t first, int64_t last, unsigned threads, const TSampleConsumer& consume);

} // namespace analysis
