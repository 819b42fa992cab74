#include "workspace/ExpressionHistory.h"

#include "ui/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QTextStream>

namespace {

// The user's settings of the program, in the folder named after it.
QSettings Settings()
{
    const QString name = QCoreApplication::applicationName();
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, name, name);
}

// Appends and the rewrite at start are made under this lock, so that the
// lines of several running instances never mix.
bool Locked(QLockFile& lock)
{
    lock.setStaleLockTime(10000);
    return lock.tryLock(2000);
}

} // namespace

TExpressionHistory::TExpressionHistory(QObject* parent) : QObject(parent)
{
    setObjectName("ExpressionHistory");
    FRemembered = Settings().value(kSettingsKey, false).toBool();
    if (FRemembered) Load();
}

QString TExpressionHistory::FilePath()
{
    return DataPath("historial.txt");
}

QString TExpressionHistory::Escape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

QString TExpressionHistory::Unescape(const QString& line)
{
    QString out;
    out.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] != '\\' || i + 1 == line.size()) {
            out += line[i];
            continue;
        }
        const QChar next = line[++i];
        out += next == 'n' ? QChar('\n') : next == 'r' ? QChar('\r') : next;
    }
    return out;
}

void TExpressionHistory::Load()
{
    QLockFile lock(FilePath() + ".lock");
    if (!Locked(lock)) return;
    QFile file(FilePath());
    if (!file.open(QIODevice::ReadOnly)) return;
    QStringList lines;
    QTextStream in(&file);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) lines << in.readLine();
    file.close();
    for (const QString& line : lines) {
        const QString entry = Unescape(line);
        if (FEntries.isEmpty() || FEntries.back() != entry) FEntries << entry;
    }
    if (FEntries.size() > kMaxEntries) FEntries = FEntries.mid(FEntries.size() - kMaxEntries);
    // A file that has grown to twice the history is written anew.
    if (lines.size() > 2 * kMaxEntries) Write(FEntries, true);
}

bool TExpressionHistory::Write(const QStringList& entries, bool anew)
{
    QByteArray bytes;
    for (const QString& entry : entries) bytes += (Escape(entry) + '\n').toUtf8();
    if (anew) {
        QSaveFile save(FilePath());
        return save.open(QIODevice::WriteOnly) && save.write(bytes) == bytes.size() && save.commit();
    }
    QFile file(FilePath());
    return file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(bytes) == bytes.size() && file.flush();
}

bool TExpressionHistory::Append(const QStringList& entries)
{
    QDir().mkpath(QFileInfo(FilePath()).absolutePath());
    QLockFile lock(FilePath() + ".lock");
    if (!Locked(lock)) return false;
    // Another window may have turned the history off meanwhile: then it
    // stays off here too, and nothing is written.
    QSettings settings = Settings();
    settings.sync();
    if (!settings.value(kSettingsKey, false).toBool()) {
        FRemembered = false;
        emit RememberedChanged(false);
        return false;
    }
    return Write(entries, false);
}

void TExpressionHistory::Add(const QString& text)
{
    FWalk = -1;
    FDraft.clear();
    if (!FEntries.isEmpty() && FEntries.back() == text) return;
    FEntries << text;
    if (FEntries.size() > kMaxEntries) FEntries.removeFirst();
    if (FRemembered) Append({text});
}

std::optional<QString> TExpressionHistory::Older(const QString& current)
{
    if (FWalk < 0) {
        if (FEntries.isEmpty()) return std::nullopt;
        FDraft = current;
        FWalk = static_cast<int>(FEntries.size());
    }
    if (FWalk == 0) return std::nullopt;
    return FEntries[--FWalk];
}

std::optional<QString> TExpressionHistory::Newer()
{
    if (FWalk < 0) return std::nullopt;
    if (++FWalk < FEntries.size()) return FEntries[FWalk];
    FWalk = -1;
    return FDraft;
}

void TExpressionHistory::SetRemembered(bool on)
{
    if (on == FRemembered) return;
    FRemembered = on;
    QDir().mkpath(QFileInfo(FilePath()).absolutePath());
    QLockFile lock(FilePath() + ".lock");
    const bool locked = Locked(lock);
    QSettings settings = Settings();
    if (on) {
        settings.setValue(kSettingsKey, true);
        settings.sync();
        if (locked) Write(FEntries, true); // the history so far
    } else {
        settings.remove(kSettingsKey);
        settings.sync();
        if (settings.allKeys().isEmpty()) QFile::remove(settings.fileName());
        QFile::remove(FilePath());
    }
}
