#include "workspace/ExpressionHistory.h"

#include "ui/DataFolder.h"
#include "calc/CalcCore.h"
#include "codec/RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QTextStream>
#include <QStandardPaths>
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

QSettings UserSettings()
{
    const QString name = QCoreApplication::applicationName();
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, name, name);
}

namespace {


// The file is read and written under this lock, so that the lines of
// several running instances never mix.  It is never waited for: see Sync.
bool Locked(QLockFile& lock)
{
    lock.setStaleLockTime(10000);
    return lock.tryLock(0);
}

bool StillRemembered()
{
    QSettings settings = UserSettings();
    settings.sync();
    return settings.value(TExpressionHistory::kSettingsKey, false).toBool();
}

} // namespace

TExpressionHistory::TExpressionHistory(QObject* parent) : QObject(parent)
{
    setObjectName("ExpressionHistory");
    FRetry.setSingleShot(true);
    FRetry.setInterval(kRetryMs);
    connect(&FRetry, &QTimer::timeout, this, &TExpressionHistory::Sync);
    FRemembered = UserSettings().value(kSettingsKey, false).toBool();
    FPendingLoad = FRemembered;
    Sync();
}

TExpressionHistory::~TExpressionHistory()
{
    FRetry.stop();
    if (FRemembered) Sync();
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

QStringList TExpressionHistory::ReadNewest(bool& oversized)
{
    oversized = false;
    // Only a regular file, never waited for (a FIFO put there is not read).
    notebook::TRegularFile file;
    if (!file.Open(QFile::encodeName(FilePath()).toStdString())) return {};
    const qint64 size = file.Size();
    const qint64 from = std::max<qint64>(0, size - kReadBytes);
    std::string bytes;
    if (!file.Read(from, static_cast<std::size_t>(size - from), bytes)) return {};
    file.Close();
    std::string_view rest(bytes);
    if (from > 0) { // the line cut at the start is not whole
        const std::size_t first = rest.find('\n');
        rest = first == std::string_view::npos ? std::string_view() : rest.substr(first + 1);
    }
    // From the newest line back.
    QStringList newest;
    qint64 kept = 0;
    while (!rest.empty() && newest.size() < kMaxEntries) {
        if (rest.back() == '\n') rest.remove_suffix(1);
        const std::size_t at = rest.rfind('\n');
        const std::string_view line = at == std::string_view::npos ? rest : rest.substr(at + 1);
        rest = at == std::string_view::npos ? std::string_view() : rest.substr(0, at + 1);
        const QString entry = Unescape(QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
        if (static_cast<std::size_t>(entry.size()) > calc::kExpressionLimit) continue; // not an expression
        if (!newest.isEmpty() && newest.back() == entry) continue;
        newest << entry;
        kept += static_cast<qint64>(line.size()) + 1;
    }
    std::reverse(newest.begin(), newest.end());
    // Grown past a few times what it is good for.
    oversized = from > 0 || size > 4 * kept + 65536;
    return newest;
}

void TExpressionHistory::Prepend(const QStringList& older)
{
    const qsizetype before = FEntries.size();
    QStringList merged = older;
    for (const QString& entry : std::as_const(FEntries))
        if (merged.isEmpty() || merged.back() != entry) merged << entry;
    if (merged.size() > kMaxEntries) merged = merged.mid(merged.size() - kMaxEntries);
    FEntries = merged;
    if (FWalk >= 0) FWalk = static_cast<int>(std::clamp<qsizetype>(FWalk + FEntries.size() - before, 0, FEntries.size()));
}

void TExpressionHistory::Sync()
{
    if (!FRemembered || !Pending()) return;
    QDir().mkpath(QFileInfo(FilePath()).absolutePath());
    QLockFile lock(FilePath() + ".lock");
    if (!Locked(lock)) { // another window is at it: a little later
        if (!FRetry.isActive()) FRetry.start();
        return;
    }
    // Another window may have turned the history off meanwhile: then it
    // stays off here too, and nothing is written.
    if (!StillRemembered()) {
        FRemembered = false;
        FPendingLoad = FPendingMerge = false;
        FPendingAppend.clear();
        emit RememberedChanged(false);
        return;
    }
    if (FPendingLoad || FPendingMerge) {
        // The file's entries come before this window's.
        bool oversized = false;
        Prepend(ReadNewest(oversized));
        const bool anew = oversized || FPendingMerge;
        FPendingLoad = FPendingMerge = false;
        if (anew) {
            FPendingAppend.clear(); // all of them are written now
            Write(FEntries, true);
        }
    }
    if (!FPendingAppend.isEmpty() && Write(FPendingAppend, false)) FPendingAppend.clear();
}

bool TExpressionHistory::Write(const QStringList& entries, bool anew)
{
    QByteArray bytes;
    for (const QString& entry : entries) bytes += (Escape(entry) + '\n').toUtf8();
    if (anew) {
        QSaveFile save(FilePath());
        return save.open(QIODevice::WriteOnly) && save.write(bytes) == bytes.size() && save.commit();
    }
    // Appended only to a regular file: opening a FIFO would wait for a reader.
    if (const QFileInfo info(FilePath()); info.exists() && !info.isFile()) return false;
    QFile file(FilePath());
    return file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(bytes) == bytes.size() && file.flush();
}

void TExpressionHistory::Add(const QString& text)
{
    FWalk = -1;
    FDraft.clear();
    if (!FEntries.isEmpty() && FEntries.back() == text) return;
    FEntries << text;
    if (FEntries.size() > kMaxEntries) FEntries.removeFirst();
    if (!FRemembered || static_cast<std::size_t>(text.size()) > calc::kExpressionLimit) return;
    FPendingAppend << text;
    Sync();
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
    FPendingLoad = false;
    FPendingAppend.clear();
    QSettings settings = UserSettings();
    if (on) {
        settings.setValue(kSettingsKey, true);
        settings.sync();
        // Merged with what other windows wrote, not written over it.
        FPendingMerge = true;
        Sync();
    } else {
        FPendingMerge = false;
        FRetry.stop();
        settings.remove(kSettingsKey);
        settings.sync();
        if (settings.allKeys().isEmpty()) QFile::remove(settings.fileName());
        QFile::remove(FilePath());
    }
}
