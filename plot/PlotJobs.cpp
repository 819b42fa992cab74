#include "plot/PlotJobs.h"

#include "engine/BoundCalls.h"

#include <QMetaObject>

TPlotJobs::TPlotJobs(QObject* parent) : QObject(parent)
{
    FThread = std::thread([this] { Loop(); });
}

TPlotJobs::~TPlotJobs()
{
    std::deque<TJob> dropped;
    {
        const std::lock_guard lock(FMutex);
        FQuit = true;
        if (FRunning.Stop) FRunning.Stop->store(true);
        dropped.swap(FQueue);
    }
    FWake.notify_all();
    FThread.join();
    // What the dropped jobs kept goes here, on the window's thread.
}

void TPlotJobs::DropWaiting(int kind)
{
    for (auto it = FQueue.begin(); it != FQueue.end();) {
        if (kind >= 0 && it->Kind != kind) {
            ++it;
            continue;
        }
        --FOpen;
        --FOpenByKind[it->Kind];
        it = FQueue.erase(it);
    }
}

void TPlotJobs::Forget(int kind)
{
    for (auto it = FLive.begin(); it != FLive.end();) {
        if (kind < 0 || it->second == kind) it = FLive.erase(it);
        else ++it;
    }
}

void TPlotJobs::Run(int kind, TWork work, std::shared_ptr<const void> keep, bool replace)
{
    std::deque<TJob> replaced;
    {
        const std::lock_guard lock(FMutex);
        for (auto it = FQueue.begin(); replace && it != FQueue.end();) {
            if (it->Kind != kind) {
                ++it;
                continue;
            }
            replaced.push_back(std::move(*it));
            --FOpen;
            --FOpenByKind[kind];
            it = FQueue.erase(it);
        }
        if (replace) {
            if (FRunning.Work && FRunning.Kind == kind) FRunning.Stop->store(true);
            Forget(kind);
        }
        TJob job;
        job.Kind = kind;
        job.Id = ++FNextId;
        job.Work = std::move(work);
        job.Stop = std::make_shared<std::atomic<bool>>(false);
        job.Keep = std::move(keep);
        FLive[job.Id] = kind;
        ++FOpen;
        ++FOpenByKind[kind];
        FQueue.push_back(std::move(job));
    }
    FWake.notify_all();
}

void TPlotJobs::Stop(int kind)
{
    {
        const std::lock_guard lock(FMutex);
        DropWaiting(kind);
        if (FRunning.Work && FRunning.Kind == kind) FRunning.Stop->store(true);
        Forget(kind);
    }
    if (FOpen == 0) emit Idle();
}

void TPlotJobs::StopAll()
{
    {
        const std::lock_guard lock(FMutex);
        DropWaiting(-1);
        if (FRunning.Work) FRunning.Stop->store(true);
        Forget(-1);
    }
    if (FOpen == 0) emit Idle();
}

bool TPlotJobs::Busy(int kind) const
{
    // A job stopped is no longer busy, though its thread may not be done with it yet.
    for (const auto& [id, k] : FLive)
        if (k == kind) return true;
    return false;
}

void TPlotJobs::Loop()
{
    for (;;) {
        TJob job;
        {
            std::unique_lock lock(FMutex);
            FWake.wait(lock, [this] { return FQuit || !FQueue.empty(); });
            if (FQuit) return;
            job = std::move(FQueue.front());
            FQueue.pop_front();
            FRunning.Kind = job.Kind;
            FRunning.Id = job.Id;
            FRunning.Stop = job.Stop;
            FRunning.Work = [](const std::atomic<bool>&, const std::function<void(int)>&) { return std::function<void()>(); };
        }
        const int kind = job.Kind;
        const unsigned id = job.Id;
        int shown = -1;
        const std::function<void(int)> progress = [&](int percent) {
            if (percent == shown) return;
            shown = percent;
            QMetaObject::invokeMethod(
                this, [this, kind, id, percent] {
                    if (FLive.count(id)) emit Progress(kind, percent);
                },
                Qt::QueuedConnection);
        };
        std::function<void()> deliver;
        try {
            // A sum or an integral inside a sampled expression stops with the job.
            const TBoundStopScope bound(job.Stop.get());
            deliver = job.Work(*job.Stop, progress);
        } catch (...) {
            deliver = nullptr; // a job that failed (out of memory) delivers nothing
        }
        if (job.Stop->load()) deliver = nullptr;
        {
            const std::lock_guard lock(FMutex);
            FRunning = TJob();
        }
        // What the job kept is released with the call, on the window's thread.
        QMetaObject::invokeMethod(
            this, [this, kind, id, deliver = std::move(deliver), keep = std::move(job.Keep)]() mutable {
                Ended(kind, id, deliver);
                keep.reset();
            },
            Qt::QueuedConnection);
    }
}

void TPlotJobs::Ended(int kind, unsigned id, const std::function<void()>& deliver)
{
    --FOpen;
    --FOpenByKind[kind];
    const bool live = FLive.erase(id) > 0;
    if (live && deliver) {
        deliver();
        emit Finished(kind);
    }
    if (FOpen == 0) emit Idle();
}
