#include "notebook/RecoveryOffer.h"

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

namespace recovery {

namespace {

struct TContents {
    notebook::TRichDocument Notebook;
    notebook::TRichDocument Results;
    QString Expression;
};

// A copy's contents, or nothing when it is damaged: not a whole copy, or
// panes that are not the RTF the copy is written in.
std::optional<TContents> ReadCopy(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const std::optional<TCopy> copy = Decode(file.readAll());
    if (!copy) return std::nullopt;
    TContents contents;
    if (notebook::LoadNotebook(copy->Notebook, contents.Notebook) != notebook::TLoadResult::Rtf ||
        notebook::LoadNotebook(copy->Results, contents.Results) != notebook::TLoadResult::Rtf)
        return std::nullopt;
    contents.Expression = copy->Expression;
    return contents;
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
        lock.tryLock(0); // a dead window's lock is taken over, and goes with this one
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
        if (!lock.tryLock(0)) continue;               // its window is running
        if (!QFileInfo::exists(left.Path)) continue; // dealt with meanwhile
        const std::optional<TContents> contents = ReadCopy(left.Path);
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
        if (own.Restore(contents->Notebook, contents->Results, contents->Expression)) QFile::remove(left.Path);
    }
    RemoveLeftLocks(folder);
}

} // namespace recovery
