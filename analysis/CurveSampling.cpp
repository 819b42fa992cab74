#include "analysis/CurveSampling.h"

#include "engine/MathParser.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace analysis {

namespace {

constexpr std::size_t kChunk = 4096;

struct TChunk {
    long double Xs[kChunk];
    long double Ys[kChunk];
    bool Ok[kChunk];
    std::size_t N = 0;
    bool Ready = false;
};

// Samples per chunk: a chunk of a costly function (a few hundred thousand
// steps a value) takes a few milliseconds, not seconds.
std::size_t ChunkFor(const TSampler& sampler)
{
    const std::size_t steps = sampler.Steps() + 1;
    return std::clamp<std::size_t>(2000000 / steps, 4, kChunk);
}

// Chunk `index` of the samples of `run`, `size` samples a chunk, evaluated into `chunk`.
void Fill(TSampler& sampler, const TSampleRun& run, std::size_t size, int64_t index, TChunk& chunk)
{
    const int64_t start = run.First + index * static_cast<int64_t>(size);
    chunk.N = static_cast<std::size_t>(std::min<int64_t>(static_cast<int64_t>(size), run.Last - start + 1));
    for (std::size_t k = 0; k < chunk.N; ++k)
        chunk.Xs[k] = static_cast<long double>((start + static_cast<int64_t>(k)) * run.Hundredths) / 100;
    sampler.Evaluate(chunk.Xs, chunk.N, chunk.Ys, chunk.Ok);
}

bool Stopped(const TSampleRun& run)
{
    return run.Stop != nullptr && run.Stop->load(std::memory_order_relaxed);
}

// Chunks are evaluated by whichever thread is free, into a ring of slots,
// and consumed in order by the calling thread, which evaluates chunks too
// while the next one to consume is not ready.
class TPipeline {
public:
    TPipeline(const TSampleRun& run, std::size_t size)
        : Run_(run), Size(size), Chunks((run.Last - run.First) / static_cast<int64_t>(size) + 1),
          SlotCount(2 * static_cast<std::size_t>(run.Threads)), Slots(new TChunk[SlotCount]) // not cleared: filled before use
    {
    }

    void Run(const TSampler& sampler, const TSampleConsumer& consume)
    {
        const unsigned threads = Run_.Threads;
        // Whatever ends the run (the last chunk drawn, a failure), the
        // workers are told to stop and are joined before it leaves.
        std::vector<std::thread> workers;
        struct TJoin {
            TPipeline& Pipeline;
            std::vector<std::thread>& Workers;
            ~TJoin()
            {
                {
                    const std::lock_guard guard(Pipeline.Mutex);
                    Pipeline.Finished = true;
                }
                Pipeline.Changed.notify_all();
                for (std::thread& w : Workers) w.join();
            }
        } join{*this, workers};
        // A thread the system does not give leaves its share to the others;
        // the calling thread alone does it all if need be.
        try {
            for (unsigned t = 1; t < threads; ++t) workers.emplace_back([this, copy = sampler]() mutable { Work(copy); });
        } catch (const std::system_error&) {
        }
        Consume(sampler, consume);
    }

private:
    void Consume(const TSampler& sampler, const TSampleConsumer& consume)
    {
        TSampler own = sampler;
        std::unique_lock lock(Mutex);
        while (Consumed < Chunks && !Error && !Stopped(Run_)) {
            TChunk& next = Slots[static_cast<std::size_t>(Consumed) % SlotCount];
            if (next.Ready) {
                lock.unlock();
                consume(next.Xs, next.Ys, next.Ok, next.N);
                lock.lock();
                next.Ready = false;
                ++Consumed;
                Changed.notify_all();
            } else if (!Evaluate(own, lock)) {
                Changed.wait(lock);
            }
        }
        if (Error) std::rethrow_exception(Error);
    }

    void Work(TSampler& sampler)
    {
        std::unique_lock lock(Mutex);
        while (!Finished && Claimed < Chunks && !Stopped(Run_)) {
            if (!Evaluate(sampler, lock)) Changed.wait(lock);
        }
    }

    // Claims the next chunk, if its slot is free, and evaluates it with the
    // lock released; false when there was nothing to claim.
    bool Evaluate(TSampler& sampler, std::unique_lock<std::mutex>& lock)
    {
        if (Claimed >= Chunks || Claimed >= Consumed + static_cast<int64_t>(SlotCount)) return false;
        const int64_t index = Claimed++;
        TChunk& chunk = Slots[static_cast<std::size_t>(index) % SlotCount];
        lock.unlock();
        std::exception_ptr error;
        try {
            Fill(sampler, Run_, Size, index, chunk);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        if (error && !Error) Error = error;
        chunk.Ready = true;
        Changed.notify_all();
        return true;
    }

    const TSampleRun Run_;
    const std::size_t Size;
    const int64_t Chunks;
    const std::size_t SlotCount;
    std::unique_ptr<TChunk[]> Slots;
    std::mutex Mutex;
    std::condition_variable Changed;
    int64_t Claimed = 0, Consumed = 0;
    bool Finished = false;
    std::exception_ptr Error;
};

} // namespace

unsigned ThreadsFor(int64_t count)
{
    if (count < kParallelSamples) return 1;
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

void SampleCurve(const TSampler& sampler, const TSampleRun& run, const TSampleConsumer& consume)
{
    if (run.Last < run.First) return;
    const std::size_t size = ChunkFor(sampler);
    if (run.Threads <= 1 || sampler.DrawsRandomNumbers() || run.Last - run.First + 1 <= static_cast<int64_t>(size)) {
        TSampler own = sampler;
        std::unique_ptr<TChunk> chunk(new TChunk); // not cleared: filled before use
        for (int64_t index = 0; run.First + index * static_cast<int64_t>(size) <= run.Last && !Stopped(run); ++index) {
            Fill(own, run, size, index, *chunk);
            consume(chunk->Xs, chunk->Ys, chunk->Ok, chunk->N);
        }
        return;
    }
    TPipeline(run, size).Run(sampler, consume);
}

void SampleCurve(const TSampler& sampler, int64_t first, int64_t last, unsigned threads, const TSampleConsumer& consume)
{
    TSampleRun run;
    run.First = first;
    run.Last = last;
    run.Threads = threads;
    SampleCurve(sampler, run, consume);
}

} // namespace analysis
