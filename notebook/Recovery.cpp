#include "notebook/Recovery.h"

#include "notebook/NotebookPane.h"
#include "notebook/RecoveryFile.h"
#include "notebook/RichTextAdapter.h"
#include "ui/LongLines.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace recovery {

// What one write of the copy needs, taken on the window's thread.
struct TJob {
    notebook::TDocumentSnapshot Notebook;
    notebook::TDocumentSnapshot Results;
    QString Expression;
    QString File; // the notebook's
    QString Path;
    quint64 Generation = 0;
};

// Serialises and writes copies on a thread of its own, one at a time.
// Removing the copy makes any write begun before it leave nothing behind.
class TWriter {
public:
    TWriter() = default;
    ~TWriter();
    TWriter(const TWriter&) = delete;
    TWriter& operator=(const TWriter&) = delete;

    // Hears on the worker thread how each of its writes went, and why one
    // failed.
    std::function<void(bool written, const QString& reason)> Finished;

    bool Busy() const { return FBusy; }
    // Hands the job to the worker; false while a write runs.  Without a
    // worker thread it is written here.
    bool Submit(TJob job);
    // Writes on the calling thread, after a running write has ended.
    bool Write(TJob job);
    void Remove(const QString& path);

private:
    void Loop();
    bool Perform(const TJob& job, QString& reason);

    std::mutex FMutex;
    std::condition_variable FWake, FIdle;
    std::optional<TJob> FPending;
    std::atomic<bool> FBusy{false};
    bool FStop = false;
    quint64 FGeneration = 0; // raised by every removal
    std::thread FThread;
};

TWriter::~TWriter()
{
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FStop = true;
    }
    FWake.notify_all();
    if (FThread.joinable()) FThread.join();
}

bool TWriter::Submit(TJob job)
{
    std::unique_lock<std::mutex> lock(FMutex);
    if (FBusy) return false;
    if (!FThread.joinable()) {
        try {
            FThread = std::thread([this] { Loop(); });
        } catch (...) { // no thread to be had: written here, late rather than never
            lock.unlock();
            return Write(std::move(job));
        }
    }
    job.Generation = FGeneration;
    FPending = std::move(job);
    FBusy = true;
    FWake.notify_one();
    return true;
}

bool TWriter::Write(TJob job)
{
    {
        std::unique_lock<std::mutex> lock(FMutex);
        FIdle.wait(lock, [this] { return !FBusy; });
        job.Generation = FGeneration;
    }
    QString reason;
    const bool written = Perform(job, reason);
    if (Finished) Finished(written, reason);
    return written;
}

void TWriter::Remove(const QString& path)
{
    std::lock_guard<std::mutex> lock(FMutex);
    ++FGeneration;
    QFile::remove(path);
}

void TWriter::Loop()
{
    std::unique_lock<std::mutex> lock(FMutex);
    for (;;) {
        FWake.wait(lock, [this] { return FStop || FPending; });
        if (!FPending) return;
        std::optional<TJob> job = std::exchange(FPending, std::nullopt);
        lock.unlock();
        QString reason;
        const bool written = Perform(*job, reason);
        job.reset(); // its memory is released here, not on the window's thread
        if (Finished) Finished(written, reason);
        lock.lock();
        FBusy = false;
        FIdle.notify_all();
    }
}

bool TWriter::Perform(const TJob& job, QString& reason)
{
    try {
        TCopy copy;
        copy.Expression = job.Expression;
        copy.File = job.File;
        copy.Results = notebook::WriteRtf(notebook::FromSnapshot(job.Results));
        copy.Notebook = notebook::WriteRtf(notebook::FromSnapshot(job.Notebook));
        const QByteArray bytes = Encode(copy);
        // Written beside the copy and renamed over it: a copy on disk is
        // always whole.
        QSaveFile file(job.Path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            reason = file.errorString();
            file.cancelWriting();
            return false;
        }
        {
            const std::lock_guard<std::mutex> lock(FMutex);
            if (job.Generation != FGeneration) { // removed meanwhile
                file.cancelWriting();
                return true;
            }
        }
        // Committed without the lock (it syncs the disk), so that a removal
        // never waits for it; one that came meanwhile removes the copy again.
        if (!file.commit()) {
            reason = file.errorString();
            return false;
        }
        const std::lock_guard<std::mutex> lock(FMutex);
        if (job.Generation != FGeneration) QFile::remove(job.Path);
        return true;
    } catch (...) { // no memory for the copy: the next change tries again
        reason = "no hay memoria suficiente";
        return false;
    }
}

} // namespace recovery

TRecoveryCopy::TRecoveryCopy(QTextEdit* notebook, QPlainTextEdit* expression, QTextEdit* results, QObject* parent)
    : QObject(parent), FNotebook(notebook), FExpression(expression), FResults(results), FId(recovery::NewId()),
      FWriter(std::make_unique<recovery::TWriter>())
{
    setObjectName("RecoveryCopy");
    FDue.setSingleShot(true);
    FDue.setInterval(kDelayMs);
    connect(&FDue, &QTimer::timeout, this, &TRecoveryCopy::Due);
    FSettle.setSingleShot(true);
    FSettle.setInterval(0);
    connect(&FSettle, &QTimer::timeout, this, &TRecoveryCopy::Settle);
    FHeartbeat.setInterval(kHeartbeatMs);
    connect(&FHeartbeat, &QTimer::timeout, this, &TRecoveryCopy::Heartbeat);
    FHeartbeat.start();
    connect(notebook, &QTextEdit::textChanged, this, &TRecoveryCopy::NotebookChanged);
    connect(expression, &QPlainTextEdit::textChanged, this, &TRecoveryCopy::Changed);
    connect(results, &QTextEdit::textChanged, this, &TRecoveryCopy::Changed);
    FResultsSnapshots.Follow(*results->document());
    Settle();
    // Heard on the window's thread.
    FWriter->Finished = [this](bool written, const QString& reason) {
        QMetaObject::invokeMethod(this, [this, written, reason] { Written(written, reason); }, Qt::QueuedConnection);
    };
}

TRecoveryCopy::~TRecoveryCopy()
{
    FDue.stop();
    FSettle.stop();
    FHeartbeat.stop();
    // What the copy lacks is written, and the copy is left for the next
    // start: only a save or No to the save question (Discard) removes it.
    if (FChanged && !FDiscarded) WriteNow();
    FWriter.reset();
}

QString TRecoveryCopy::Path() const
{
    return QDir(recovery::Folder()).filePath(FId + recovery::kCopySuffix);
}

bool TRecoveryCopy::NotebookModified() const
{
    return FNotebook->document()->isModified();
}

void TRecoveryCopy::NotebookChanged()
{
    if (FFrozen) return;
    if (NotebookModified()) {
        Settle();
        Changed();
        return;
    }
    // Whether nothing is left to recover is judged once the events at hand
    // are over: a pane may show a stand-in document for a moment (a big
    // paste is made away from the screen).
    if (!FSettle.isActive()) FSettle.start();
}

void TRecoveryCopy::Settle()
{
    // A notebook opened is a new document: its modified flag is followed.
    QTextDocument* document = FNotebook->document();
    if (document != FWatched) {
        disconnect(FModification);
        FWatched = document;
        FModification = connect(document, &QTextDocument::modificationChanged, this, &TRecoveryCopy::NotebookChanged);
        FNotebookSnapshots.Follow(*document);
    }
    if (FFrozen || document->isModified()) return;
    // Not modified (saved, cleared, replaced): nothing new to write.  The
    // copy stays unless Discard removed it, so that a notebook cleared or
    // replaced other than by a save or No stays recoverable.
    FDue.stop();
    FChanged = false;
}

void TRecoveryCopy::Changed()
{
    if (FFrozen || !NotebookModified()) return;
    FDiscarded = false;
    FChanged = true;
    if (FDue.isActive() || FDueWhenIdle) return; // not put off: typing on does not delay the copy
    // The first change of a burst is written at once (once the events at
    // hand are over: a paste is whole then); the next at most one a turn.
    const qint64 since = FLastTurn.isValid() ? FLastTurn.elapsed() : qint64(kDelayMs);
    FDue.start(static_cast<int>(std::clamp<qint64>(kDelayMs - since, 0, kDelayMs)));
}

void TRecoveryCopy::Due()
{
    if (FFrozen || !FChanged || !NotebookModified()) return;
    if (FWriter->Busy()) { // written as soon as the running write ends
        FDueWhenIdle = true;
        return;
    }
    // A folder or lock that cannot be had is tried again at the next change.
    if (!EnsureLock()) return;
    FChanged = false;
    FMayExist = true;
    FLastTurn.start();
    FWriter->Submit(Snapshot());
}

void TRecoveryCopy::Written(bool written, const QString& reason)
{
    if (!written) {
        TellFailure(reason);
        // Tried again at the next turn.
        FChanged = true;
        if (!FDue.isActive()) FDue.start(kDelayMs);
    } else if (FFailureTold) {
        FFailureTold = false;
        emit StatusMessage("La copia de recuperación del cuaderno se guarda de nuevo.", 10000);
    }
    if (std::exchange(FDueWhenIdle, false) && !FDue.isActive()) FDue.start(0);
}

void TRecoveryCopy::TellFailure(const QString& reason)
{
    if (FFailureTold) return;
    FFailureTold = true;
    const QString folder = QDir::toNativeSeparators(recovery::Folder());
    qWarning("Zentrova: no se puede escribir la copia de recuperación en %s: %s", qPrintable(folder),
             qPrintable(reason));
    emit StatusMessage(QString("No se puede guardar la copia de recuperación del cuaderno en «%1» (%2); se "
                               "volverá a intentar.")
                           .arg(folder, reason),
                       0);
}

void TRecoveryCopy::Heartbeat()
{
    // A copy on disk is told alive by its time (see RecoveryOffer.h).
    if (!FMayExist || FFrozen || FWriter->Busy()) return;
    QFile copy(Path());
    if (copy.open(QIODevice::ReadOnly | QIODevice::ExistingOnly))
        copy.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
}

recovery::TJob TRecoveryCopy::Snapshot()
{
    recovery::TJob job;
    job.Notebook = FNotebookSnapshots.Take(*FNotebook->document());
    job.Results = FResultsSnapshots.Take(*FResults->document());
    job.Expression = FExpression->toPlainText();
    if (NotebookFile) job.File = NotebookFile();
    job.Path = Path();
    return job;
}

bool TRecoveryCopy::WriteNow()
{
    if (FFrozen || FDiscarded || !NotebookModified() || !EnsureLock()) return false;
    FDue.stop();
    FChanged = false;
    FMayExist = true;
    return FWriter->Write(Snapshot());
}

void TRecoveryCopy::Discard()
{
    if (FFrozen) return;
    FDue.stop();
    FChanged = false;
    Remove();
    FDiscarded = true;
}

void TRecoveryCopy::KeepForEnd()
{
    if (FFrozen) return;
    WriteNow();
    FFrozen = true;
    FDue.stop();
}

bool TRecoveryCopy::EnsureLock()
{
    if (FLock) return true;
    const QString folder = recovery::Folder();
    auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(FId + recovery::kLockSuffix));
    lock->setStaleLockTime(0); // held as long as this window lives
    // Never waited for.
    if (!QDir().mkpath(folder)) {
        TellFailure("no se puede crear la carpeta");
        return false;
    }
    if (!lock->tryLock(0)) {
        TellFailure(lock->error() == QLockFile::PermissionError ? "no se tiene permiso para escribir en ella"
                                                                 : "no se puede crear el bloqueo");
        return false;
    }
    FLock = std::move(lock);
    return true;
}

void TRecoveryCopy::Remove()
{
    if (!FMayExist) return;
    FWriter->Remove(Path());
    FMayExist = false;
}

bool TRecoveryCopy::Restore(const notebook::TRichDocument& notebook, const notebook::TRichDocument& results,
                            const QString& expression)
{
    if (FFrozen) return false;
    if (auto* pane = qobject_cast<TNotebookPane*>(FNotebook)) {
        // Laid out a piece at a time, as a notebook opened.
        auto* document = new QTextDocument;
        document->setUndoRedoEnabled(false);
        document->setDefaultFont(FNotebook->font());
        document->setDefaultTextOption(FNotebook->document()->defaultTextOption());
        notebook::ToTextDocument(notebook, *document);
        longlines::KeepLongLinesWhole(*document);
        document->setUndoRedoEnabled(true);
        pane->ReplaceDocument(document);
    } else {
        notebook::ToTextDocument(notebook, *FNotebook->document());
        FNotebook->document()->clearUndoRedoStacks();
    }
    FNotebook->document()->setModified(true); // not saved: the save question comes at the end
    notebook::ToTextDocument(results, *FResults->document());
    FResults->document()->clearUndoRedoStacks();
    FExpression->setPlainText(expression);
    FDiscarded = false;
    return WriteNow();
}
