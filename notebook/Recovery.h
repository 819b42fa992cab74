// The recovery copy of a window's unsaved notebook, with its expression and
// results, kept up to date a few seconds behind the user's typing.
#pragma once

#include "codec/Rtf.h"
#include "notebook/DocumentSnapshot.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class QLockFile;
class QPlainTextEdit;
class QTextDocument;
class QTextEdit;

namespace recovery {
class TWriter;
struct TJob;
} // namespace recovery

// While the notebook pane holds changes that are not saved, a copy of it,
// of the expression box's text and of the results pane is kept in the
// recovery folder (see RecoveryFile.h), under a lock of this window's own.
// The first change after a quiet DelayMs reaches the copy at once; later
// ones within DelayMs and a little: the window's thread only takes a
// snapshot, a worker writes it; a write still running when the next is due
// puts that one off until it ends.  While a copy exists its time is renewed
// every HeartbeatMs, so that a copy whose time stands still belongs to a
// window no longer running, even on another computer.  The copy is removed
// only by Discard (the notebook saved, or No to the save question);
// otherwise it outlives the window, for the next start to offer, also when
// the notebook was cleared or replaced meanwhile.  A copy that cannot be
// written (a full or read-only data folder, a lock that cannot be had) is
// told once through StatusMessage, and again when it is written again; it
// is tried again at the next turn or change.
class TRecoveryCopy : public QObject {
    Q_OBJECT
public:
    TRecoveryCopy(QTextEdit* notebook, QPlainTextEdit* expression, QTextEdit* results, QObject* parent = nullptr);
    ~TRecoveryCopy() override; // writes what the copy lacks; the copy stays
    TRecoveryCopy(const TRecoveryCopy&) = delete;
    TRecoveryCopy& operator=(const TRecoveryCopy&) = delete;

    static constexpr int kDelayMs = 2000;
    static constexpr int kHeartbeatMs = 60000;

    // This window's copy, whether or not it exists now.
    QString Path() const;
    // Writes the copy at once, on this thread, when the notebook holds
    // unsaved changes (after a write that is running); true when written.
    bool WriteNow();
    // The user chose to drop the changes: the copy goes, and comes back
    // only with a new change.
    void Discard();
    // The program is ending without the save question: the copy is written
    // now and nothing changes it any more.
    void KeepForEnd();
    // KeepForEnd was called: the program is ending.
    bool Ending() const { return FFrozen; }
    // Puts a copy's contents in the panes, the notebook marked as not
    // saved, and writes this window's copy of them at once; true when
    // that copy was written.
    bool Restore(const notebook::TRichDocument& notebook, const notebook::TRichDocument& results,
                 const QString& expression);
    // The notebook's file, kept in the copy (none when not set).
    std::function<QString()> NotebookFile;

signals:
    // For the status bar: the copy cannot be written (shown until replaced,
    // timeout 0), or is written again after that (for a few seconds).
    void StatusMessage(const QString& text, int timeoutMs);

private:
    bool NotebookModified() const;
    void NotebookChanged();
    void Settle();
    void Changed();
    void Due();
    recovery::TJob Snapshot();
    bool EnsureLock();
    void Remove();
    void Written(bool written, const QString& reason);
    void TellFailure(const QString& reason);
    void Heartbeat();

    QTextEdit* FNotebook;
    QPlainTextEdit* FExpression;
    QTextEdit* FResults;
    QPointer<QTextDocument> FWatched; // the notebook document whose modified flag is followed
    QMetaObject::Connection FModification;
    notebook::TSnapshotTracker FNotebookSnapshots;
    notebook::TSnapshotTracker FResultsSnapshots;
    QTimer FDue;
    QTimer FSettle;
    QTimer FHeartbeat;
    QElapsedTimer FLastTurn; // since the last write was begun
    QString FId;
    std::unique_ptr<QLockFile> FLock;
    std::unique_ptr<recovery::TWriter> FWriter;
    bool FChanged = false;   // something changed that the copy does not hold yet
    bool FMayExist = false;  // a copy may be on disk
    bool FDiscarded = false; // Discard, and nothing changed since
    bool FFrozen = false;    // KeepForEnd
    bool FDueWhenIdle = false; // a turn came while a write ran
    bool FFailureTold = false; // the status bar says the copy cannot be written
};
