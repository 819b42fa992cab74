// Calculations that may take long (they integrate, sum, solve...) run away
// from the window's thread, one at a time per runner: starting another
// stops the one before, whose outcome is dropped.  The outcome reaches its
// receiver on the runner's thread; a stopped calculation ends in the error
// "Cálculo detenido".
#pragma once

#include "calc/CalcCore.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class TCalculationRunner : public QObject {
    Q_OBJECT
public:
    using TJob = std::function<calc::TCalcOutcome()>;
    using TDone = std::function<void(const calc::TCalcOutcome&)>;

    explicit TCalculationRunner(QObject* parent);
    ~TCalculationRunner() override; // stops what runs and waits for it

    // Runs `job` on a thread of its own, sin, cos and tan in degrees when
    // `degrees`; `done` is given its outcome unless another start or a
    // drop comes first.
    void Start(TJob job, bool degrees, TDone done);
    // The running calculation stops (its outcome still arrives).
    void Stop();
    // The running calculation stops and its outcome is dropped.
    void Drop();
    bool Running() const { return FCurrent != nullptr; }
    int Progress() const; // percentage done of the running one

signals:
    void Finished();

private:
    struct TRun {
        std::atomic<bool> Stop{false};
        std::atomic<int> Progress{0};
        std::thread Thread;
        bool Dropped = false;
        TDone Done;
    };
    void Finish(const std::shared_ptr<TRun>& run, const calc::TCalcOutcome& outcome);
    std::vector<std::shared_ptr<TRun>> FRuns; // started and not finished
    std::shared_ptr<TRun> FCurrent;
};
