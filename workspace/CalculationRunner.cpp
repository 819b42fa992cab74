#include "workspace/CalculationRunner.h"

#include "engine/BoundCalls.h"

#include <algorithm>

TCalculationRunner::TCalculationRunner(QObject* parent) : QObject(parent)
{
    setObjectName("CalculationRunner");
}

TCalculationRunner::~TCalculationRunner()
{
    for (const auto& run : FRuns) run->Stop = true;
    for (const auto& run : FRuns)
        if (run->Thread.joinable()) run->Thread.join();
}

void TCalculationRunner::Start(TJob job, bool degrees, TDone done)
{
    Drop();
    auto run = std::make_shared<TRun>();
    run->Done = std::move(done);
    FRuns.push_back(run);
    FCurrent = run;
    TRun* raw = run.get();
    run->Thread = std::thread([this, raw, weak = std::weak_ptr<TRun>(run), job = std::move(job), degrees] {
        calc::TCalcOutcome outcome;
        {
            const TThreadAngleUnit unit(degrees);
            const TBoundStopScope stop(&raw->Stop, &raw->Progress);
            outcome = job();
        }
        // The runner waits for this thread before it goes, so it is here.
        QMetaObject::invokeMethod(
            this, [this, weak, outcome = std::move(outcome)] {
                if (const auto run = weak.lock()) Finish(run, outcome);
            },
            Qt::QueuedConnection);
    });
}

void TCalculationRunner::Stop()
{
    if (FCurrent) FCurrent->Stop = true;
}

void TCalculationRunner::Drop()
{
    if (!FCurrent) return;
    FCurrent->Stop = true;
    FCurrent->Dropped = true;
    FCurrent.reset();
}

int TCalculationRunner::Progress() const
{
    return FCurrent ? FCurrent->Progress.load() : 0;
}

void TCalculationRunner::Finish(const std::shared_ptr<TRun>& run, const calc::TCalcOutcome& outcome)
{
    if (run->Thread.joinable()) run->Thread.join();
    FRuns.erase(std::remove(FRuns.begin(), FRuns.end(), run), FRuns.end());
    if (run == FCurrent) FCurrent.reset();
    if (!run->Dropped && run->Done) run->Done(outcome);
    emit Finished();
}
