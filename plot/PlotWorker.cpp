#include "plot/PlotWorker.h"

#include <QMetaObject>

TPlotWorker::TPlotWorker(QObject* parent) : QObject(parent) {}

TPlotWorker::~TPlotWorker()
{
    Stop();
}

void TPlotWorker::Join()
{
    if (FThread.joinable()) FThread.join();
    FKeep.reset();
}

void TPlotWorker::Stop()
{
    ++FGeneration; // whatever it still sends is dropped
    if (FStop) FStop->store(true);
    Join();
}

void TPlotWorker::Start(TWork work, std::shared_ptr<const void> keep)
{
    Stop();
    const unsigned generation = ++FGeneration;
    FStop = std::make_shared<std::atomic<bool>>(false);
    FKeep = std::move(keep);
    // The worker outlives its thread (its destructor joins it), and queued
    // calls to it are dropped if it goes before they run.
    FThread = std::thread([this, generation, stop = FStop, work = std::move(work)] {
        int shown = -1;
        const std::function<void(int)> progress = [&](int percent) {
            if (percent == shown) return;
            shown = percent;
            QMetaObject::invokeMethod(
                this, [this, generation, percent] {
                    if (FGeneration == generation) emit Progress(percent);
                },
                Qt::QueuedConnection);
        };
        std::function<void()> deliver = work(*stop, progress);
        QMetaObject::invokeMethod(
            this, [this, generation, deliver = std::move(deliver)] {
                if (FGeneration != generation) return; // stopped, or a newer job runs
                Join();
                if (deliver) deliver();
                emit Finished();
            },
            Qt::QueuedConnection);
    });
}
