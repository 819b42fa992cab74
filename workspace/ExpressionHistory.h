// The expressions run, newest last, and the walk through them with Up and
// Down in the expression box.  They live while the program runs; when the
// user asks for it, they are also kept in a file of the user's application
// data folder (appended as they come, so that a crash keeps them) and the
// choice in the settings, read at the next start.
//
// The file is shared by every window, under a lock that is never waited
// for: work that needs it (reading the file, a merge, an append) is done at
// once or, while another window holds the lock, a little later.  Only the
// file's last kReadBytes are read, for its newest kMaxEntries entries; a
// line longer than an expression may be is skipped; a file grown past a few
// times what was kept is written anew, short.
#pragma once

#include <QSettings>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <optional>

// The user's settings of the program, in the folder named after it.
QSettings UserSettings();

class TExpressionHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxEntries = 1000;
    static constexpr qint64 kReadBytes = 8 << 20;
    static constexpr int kRetryMs = 250;

    // Reads the choice and, when it is on, the file.
    explicit TExpressionHistory(QObject* parent = nullptr);
    ~TExpressionHistory() override; // pending work is tried once more

    // An expression run, as it stood in the box: added unless it repeats the
    // newest entry; the walk starts again below the newest.
    void Add(const QString& text);

    // Up: the entry before the one shown (the first step keeps `current` as
    // the draft); none at the oldest.  Down: the entry after it, or the draft
    // below the newest; none when no walk is going on.
    std::optional<QString> Older(const QString& current);
    std::optional<QString> Newer();

    // Keeping the history between sessions.  Turning it on keeps the choice
    // and merges the history so far into the file (another window's lines
    // stay); turning it off deletes both.
    bool Remembered() const { return FRemembered; }
    void SetRemembered(bool on);

    // Work on the file that waits for the lock.
    bool Pending() const { return FPendingLoad || FPendingMerge || !FPendingAppend.isEmpty(); }

    // The file and the settings key (the folder and scope follow the
    // application's name).
    static QString FilePath();
    static constexpr const char* kSettingsKey = "historial/recordar";

    // A line of the file: backslashes and line breaks escaped.
    static QString Escape(const QString& text);
    static QString Unescape(const QString& line);

signals:
    // The choice changed: another window turned it off.
    void RememberedChanged(bool on);

private:
    // Does the pending work if the lock can be had now, or tries again later.
    void Sync();
    // The newest entries of the file, oldest first; the lock is held.
    // `oversized`: the file holds much more than them.
    static QStringList ReadNewest(bool& oversized);
    // Writes the entries to the file, at its end or as the whole file; the
    // lock is held.
    static bool Write(const QStringList& entries, bool anew);
    // `older` put before the entries, repeats in a row kept once, the
    // newest kMaxEntries kept.
    void Prepend(const QStringList& older);
    QStringList FEntries;
    int FWalk = -1; // the entry shown, or -1 when not walking
    QString FDraft;
    bool FRemembered = false;
    bool FPendingLoad = false;  // the file is to be read (at start)
    bool FPendingMerge = false; // the file and the entries are to be merged (turned on)
    QStringList FPendingAppend; // entries not yet appended to the file
    QTimer FRetry;
};
