// The plot's work on one thread of its own, one job after another, so that
// the window keeps answering: sampling the curves, building derivatives,
// searching notable points, integrals, the table's rows.  Each job has a
// kind; a newer job of a kind replaces one of that kind still waiting and
// stops one running.  A job's progress and result come back to the
// window's thread as queued calls; the result of a job stopped or replaced
// is dropped.  Nothing here ever waits for a job on the window's thread,
// but the destructor, which stops the job running first.
#pragma once

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

class TPlotJobs : public QObject {
    Q_OBJECT
public:
    // The work, on the jobs' thread: it reads `stop` now and then, tells
    // `progress` how far it got (0..100), and returns what is to be done
    // with its result on the window's thread.
    using TWork = std::function<std::function<void()>(const std::atomic<bool>& stop,
                                                       const std::function<void(int percent)>& progress)>;

    explicit TPlotJobs(QObject* parent = nullptr);
    ~TPlotJobs() override;

    // Queues `work` of `kind`.  `keep` (what the work reads: expressions,
    // samplers) is released on this thread once the job is over.  With
    // `replace` false the jobs of its kind that wait or run stay (the
    // blocks of a table, each a job).
    void Run(int kind, TWork work, std::shared_ptr<const void> keep = {}, bool replace = true);
    // Drops the job of `kind` waiting, stops the one running; their
    // results are not delivered.
    void Stop(int kind);
    void StopAll();
    // A job of `kind` waits or runs and was not stopped.
    bool Busy(int kind) const;
    // A job waits or runs, stopped or not: the jobs' thread is at work.
    bool Busy() const { return FOpen > 0; }

signals:
    void Progress(int kind, int percent);
    // A job's result was delivered.
    void Finished(int kind);
    // No job waits or runs any more (after a stop too).
    void Idle();

private:
    struct TJob {
        int Kind = 0;
        unsigned Id = 0;
        TWork Work;
        std::shared_ptr<std::atomic<bool>> Stop;
        std::shared_ptr<const void> Keep;
    };
    void Loop();
    void Ended(int kind, unsigned id, const std::function<void()>& deliver);
    void DropWaiting(int kind); // with FMutex held; -1: every kind
    void Forget(int kind);      // -1: every kind

    std::thread FThread;
    mutable std::mutex FMutex;
    std::condition_variable FWake;
    std::deque<TJob> FQueue;      // waiting
    TJob FRunning;                // Work empty when none runs
    bool FQuit = false;
    unsigned FNextId = 0;
    // On the window's thread: the jobs whose results count, with their
    // kinds, and the jobs waiting or running.
    std::map<unsigned, int> FLive;
    std::map<int, int> FOpenByKind;
    int FOpen = 0;
};
