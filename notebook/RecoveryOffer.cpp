#include "notebook/RecoveryOffer.h"

#include "codec/RegularFile.h"
#include "codec/Rtf.h"
#include "notebook/Recovery.h"
#include "notebook/RecoveryFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSysInfo>
#include <cstdint>
#include <utility>

namespace recovery {

namespace {

struct TContents {
    notebook::TRichDocument Notebook;
    notebook::TRichDocument Results;
    QString Expression;
    QString File;
    bool ResultsLost = false; // the results part could not be read
};

// A copy's contents, or nothing when it is damaged: not a whole copy, or a
// notebook that is not the RTF the copy is written in.  The copy holds what
// the window held, so the limits of a notebook file do not apply; and each
// pane is read on its own, so that results that cannot be read never cost
// the notebook.
std::optional<TContents> ReadCopy(const QString& path)
{
    notebook::TRegularFile file; // a FIFO put there is never waited for
    std::string bytes;
    if (!file.Open(path.toStdString()) || !file.Read(0, SIZE_MAX, bytes)) return std::nullopt;
    file.Close();
    std::optional<TCopy> copy = Decode(QByteArray::fromStdString(std::exchange(bytes, {})));
    if (!copy) return std::nullopt;
    TContents contents;
    if (notebook::LoadNotebook(copy->Notebook, contents.Notebook, nullptr, nullptr, notebook::kNoLimits) !=
        notebook::TLoadResult::Rtf)
        return std::nullopt;
    std::string().swap(copy->Notebook);
    if (notebook::LoadNotebook(copy->Results, contents.Results, nullptr, nullptr, notebook::kNoLimits) !=
        notebook::TLoadResult::Rtf) {
        contents.Results = {};
        contents.ResultsLost = true;
    }
    contents.Expression = copy->Expression;
    contents.File = copy->File;
    return contents;
}

// The lock of a copy left on another computer: its window, alive, would
// renew the copy's time every minute, so one that stood still for
// kForeignStaleMs is taken over.  A lock of this computer is QLockFile's.
bool TakeForeignLock(QLockFile& lock, const QDateTime& written)
{
    qint64 pid = 0;
    QString host, application;
    if (!lock.getLockInfo(&pid, &host, &application)) return false;
    if (host.isEmpty() || host == QSysInfo::machineHostName()) return false;
    if (written.msecsTo(QDateTime::currentDateTimeUtc()) < kForeignStaleMs) return false;
    lock.removeStaleLockFile();
    return lock.tryLock(0);
}

QString When(const QDateTime& written)
{
    return QLocale(QLocale::Spanish, QLocale::Spain)
        .toString(written.toLocalTime(), "d 'de' MMMM 'de' yyyy 'a las' HH:mm");
}

void SetAside(const TLeftCopy& left, const QString& folder, const TOffer& offer)
{
    // Kept for whoever wants to look at it, under a name never offered.
    const QString aside = QDir(folder).filePath(left.Id + kDamagedSuffix);
    const QString when = When(left.Written);
    if (QFile::rename(left.Path, aside))
        offer.ShowFailure(QString("La copia de recuperación del %1 está dañada y no se puede recuperar; "
                                  "se ha apartado como «%2».")
                              .arg(when, QDir::toNativeSeparators(aside)));
    else
        offer.ShowFailure(QString("La copia de recuperación del %1 está dañada y no se puede recuperar ni apartar "
                                  "de «%2».")
                              .arg(when, QDir::toNativeSeparators(folder)));
}

// Locks of windows that ended without leaving a copy.
void RemoveLeftLocks(const QString& folder)
{
    const QStringList locks = QDir(folder).entryList({QString("*") + kLockSuffix}, QDir::Files | QDir::Hidden);
    for (const QString& name : locks) {
        const QString id = name.left(name.size() - static_cast<qsizetype>(qstrlen(kLockSuffix)));
        if (QFileInfo::exists(QDir(folder).filePath(id + kCopySuffix))) continue;
        QLockFile lock(QDir(folder).filePath(name));
        lock.setStaleLockTime(0);
        // A dead window's lock is taken over, and goes with this one.
        if (!lock.tryLock(0)) TakeForeignLock(lock, QFileInfo(QDir(folder).filePath(name)).lastModified());
    }
}

} // namespace

QString Question(const QDateTime& written, int lines)
{
    return QString("Zentrova se cerró sin guardar el cuaderno el %1 (%2). ¿Desea recuperarlo?")
        .arg(When(written), lines == 1 ? QString("1 línea") : QString("%1 líneas").arg(lines));
}

std::optional<bool> AskInBox(QWidget* owner, const QString& question)
{
    QMessageBox box(QMessageBox::Question, "Recuperar el cuaderno", question, QMessageBox::Yes | QMessageBox::No,
                    owner);
    box.setObjectName("PreguntaRecuperar");
    box.button(QMessageBox::Yes)->setText("Sí");
    box.button(QMessageBox::No)->setText("No");
    box.setDefaultButton(QMessageBox::Yes);
    box.exec();
    // Neither button: the program is ending, and the question stays open.
    if (box.clickedButton() == nullptr) return std::nullopt;
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

void OfferLeftCopies(TRecoveryCopy& own, const TOffer& offer)
{
    const QString folder = Folder();
    for (const TLeftCopy& left : ListCopies(folder)) {
        if (own.Ending()) return;
        if (left.Path == own.Path()) continue;
        QLockFile lock(QDir(folder).filePath(left.Id + kLockSuffix));
        lock.setStaleLockTime(0);
        if (!lock.tryLock(0) && !TakeForeignLock(lock, left.Written)) continue; // its window is running
        if (!QFileInfo::exists(left.Path)) continue; // dealt with meanwhile
        std::optional<TContents> contents;
        try {
            contents = ReadCopy(left.Path);
        } catch (const std::exception&) { // no memory to read it now: kept for a later start
            offer.ShowFailure(QString("No hay memoria suficiente para leer la copia de recuperación del %1; se "
                                      "conserva para el próximo inicio.")
                                  .arg(When(left.Written)));
            continue;
        }
        if (!contents) {
            SetAside(left, folder, offer);
            continue;
        }
        const std::optional<bool> recover =
            offer.Ask(Question(left.Written, static_cast<int>(contents->Notebook.Lines.size())));
        if (!recover || own.Ending()) return;
        if (!*recover) {
            QFile::remove(left.Path);
            continue;
        }
        // The notebook on screen first: kept unless it is dealt with.
        if (!offer.ResolveUnsaved() || own.Ending()) return;
        // The old copy goes once the panes are in this window's own.
        const bool kept = own.Restore(contents->Notebook, contents->Results, contents->Expression);
        if (offer.AdoptFile) offer.AdoptFile(contents->File);
        if (kept) QFile::remove(left.Path);
        if (contents->ResultsLost)
            offer.ShowFailure(QString("Los resultados de la copia de recuperación del %1 están dañados; se ha "
                                      "recuperado el cuaderno sin ellos.")
                                  .arg(When(left.Written)));
    }
    RemoveLeftLocks(folder);
}

} // namespace recovery
