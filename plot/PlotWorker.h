// A piece of the plot's analysis (the notable points, an area) run on a
// thread of its own, so that the window keeps answering: its progress and
// its result come back to the window's thread as queued calls, a newer job
// or Stop() drops an older one's result, and the stop flag it reads ends
// it early.
#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class TPlotWorker : public QObject {
    Q_OBJECT
public:
    // The work, on the worker's thread: it reads `stop` now and then, tells
    // `progress` how far it got (0..100), and returns what is to be done
    // with its result on the window's thread.
    using TWork = std::function<std::function<void()>(const std::atomic<bool>& stop,
                                                       const std::function<void(int percent)>& progress)>;

    explicit TPlotWorker(QObject* parent = nullptr);
    ~TPlotWorker() override; // stops the work and waits for its thread

    // Stops any work running and starts `work`.  `keep` (the expressions
    // the work's samplers read) is held until the work's thread has ended,
    // and released on this thread.
    void Start(TWork work, std::shared_ptr<const void> keep);
    // Raises the stop flag, waits for the thread and drops its result.
    void Stop();
    bool Busy() const { return FThread.joinable(); }

signals:
    void Progress(int percent);
    // After the result was handed over (not after Stop()).
    void Finished();

private:
    void Join();
    std::thread FThread;
    std::shared_ptr<std::atomic<bool>> FStop;
    std::shared_ptr<const void> FKeep;
    unsigned FGeneration = 0;
};
