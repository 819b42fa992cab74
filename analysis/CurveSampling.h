// The samples of a curve, evaluated on several threads when there are many.
// No Qt here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <atomic>
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

// Which samples: x = i * Hundredths / 100 for i from First to Last (the
// product exact, then divided once, so x = 0.07 is the x typed as 0.07).
struct TSampleRun {
    int64_t First = 0, Last = 0;
    int64_t Hundredths = 1;
    unsigned Threads = 1;
    // Read between chunks: once raised, no more chunks are handed on.
    const std::atomic<bool>* Stop = nullptr;
};

// Evaluates `sampler` at the samples of `run` in chunks, on up to
// run.Threads threads (the calling thread is one of them; each has its own
// copy of the sampler), and hands the chunks to `consume` in order on the
// calling thread.  The values are the same, to the last bit, however many
// threads there are; a sampler that draws random numbers stays on the
// calling thread, in sample order.  Chunks are smaller for a costly
// function, so that a stop is seen soon.
void SampleCurve(const TSampler& sampler, const TSampleRun& run, const TSampleConsumer& consume);
// The same at x = i / 100 for i from `first` to `last`.
void SampleCurve(const TSampler& sampler, int64_t first, int64_t last, unsigned threads, const TSampleConsumer& consume);

} // namespace analysis
