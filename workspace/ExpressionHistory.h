// The expressions run, newest last, and the walk through them with Up and
// Down in the expression box.  They live while the program runs; when the
// user asks for it, they are also kept in a file of the user's application
// data folder (appended as they come, so that a crash keeps them) and the
// choice in the settings, read at the next start.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

class TExpressionHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxEntries = 1000;

    // Reads the choice and, when it is on, the file.
    explicit TExpressionHistory(QObject* parent = nullptr);

    // An expression run, as it stood in the box: added unless it repeats the
    // newest entry; the walk starts again below the newest.
    void Add(const QString& text);

    // Up: the entry before the one shown (the first step keeps `current` as
    // the draft); none at the oldest.  Down: the entry after it, or the draft
    // below the newest; none when no walk is going on.
    std::optional<QString> Older(const QString& current);
    std::optional<QString> Newer();

    // Keeping the history between sessions.  Turning it on keeps the choice
    // and writes the history so far; turning it off deletes both.
    bool Remembered() const { return FRemembered; }
    void SetRemembered(bool on);

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
    void Load();
    bool Append(const QStringList& entries);
    // Writes the entries to the file, at its end or as the whole file; the
    // lock is held.
    bool Write(const QStringList& entries, bool anew);
    QStringList FEntries;
    int FWalk = -1; // the entry shown, or -1 when not walking
    QString FDraft;
    bool FRemembered = false;
};
