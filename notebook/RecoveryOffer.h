// At start-up: the recovery copies that windows no longer running left
// behind, offered back one at a time.
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

class QWidget;
class TRecoveryCopy;

namespace recovery {

struct TOffer {
    // Asks the question; true: Sí, false: No, empty: no answer came (the
    // program is ending).
    std::function<std::optional<bool>(const QString& question)> Ask;
    // Deals with unsaved changes on screen before a copy replaces them (the
    // save question); false: they stay, and so do the copies.
    std::function<bool()> ResolveUnsaved;
    std::function<void(const QString& text)> ShowFailure;
    // The recovered notebook's file (empty when it had none) becomes the
    // window's notebook's.
    std::function<void(const QString& file)> AdoptFile;
};

// Offers every copy in the recovery folder whose window is not running,
// newest first: Sí puts it back in `own`'s panes (which then keep their
// own copy of it), No deletes it; a damaged copy is reported in one
// sentence and set aside, a copy whose results alone are damaged is
// offered without them.  A copy being offered is locked, so that a window
// starting meanwhile does not offer it too.  A copy whose lock names
// another computer is offered once it has not been renewed for
// kForeignStaleMs (a window alive there renews it every minute).
void OfferLeftCopies(TRecoveryCopy& own, const TOffer& offer);
inline constexpr qint64 kForeignStaleMs = 5 * 60 * 1000;

// "Zentrova se cerró sin guardar el cuaderno el … ¿Desea recuperarlo?"
QString Question(const QDateTime& written, int lines);

// The question as a message box of `owner` with the buttons Sí and No.
std::optional<bool> AskInBox(QWidget* owner, const QString& question);

} // namespace recovery
