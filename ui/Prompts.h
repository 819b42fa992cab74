// Every message box, question and dialog of the program goes through one
// process-wide prompter, so that a test can see what would be shown and
// answer it without a window appearing (tests/gui/TestPrompter.h is such a
// double).  The default prompter shows the message box or runs the dialog.
// Used on the window's thread only.
#pragma once

#include <QHash>
#include <QMessageBox>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace prompts {

// A question in a message box.  The answer is the button chosen; Esc and
// the box's close button choose `Escape` (none given: the box's own rule).
struct TQuestion {
    QString Title;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::Question;
    QMessageBox::StandardButtons Buttons = QMessageBox::Yes | QMessageBox::No;
    QMessageBox::StandardButton Default = QMessageBox::NoButton;
    QMessageBox::StandardButton Escape = QMessageBox::NoButton;
    QHash<int, QString> Texts; // a button's text, when not the toolkit's
    QString Name;              // the box's object name
};

// A file to open or to write.
struct TFileChoice {
    bool Save = false;
    QString Title;       // empty: the platform's
    QString Folder;      // empty: where the platform's dialog starts
    QString Name;        // the name offered
    QStringList Filters; // "Archivo de texto (*.txt)"; for a save, a name typed
                         // without an extension gets that of the chosen filter
};

class TPrompter {
public:
    virtual ~TPrompter() = default;
    // A failure, in an error box captioned with the application's name.
    virtual void ShowFailure(QWidget* parent, const QString& text);
    // A plain message with an OK button, captioned likewise.
    virtual void ShowMessage(QWidget* parent, const QString& text);
    virtual QMessageBox::StandardButton Ask(QWidget* parent, const TQuestion& question);
    // The path chosen; empty when the dialog was cancelled.
    virtual QString ChooseFile(QWidget* parent, const TFileChoice& choice);
    // Any other modal dialog (a font, a colour, a printer): its result code.
    virtual int Run(QDialog& dialog);
};

// The prompter in use, and its replacement; null puts the default back.
// Returns the one it replaces.
TPrompter& Prompter();
TPrompter* SetPrompter(TPrompter* prompter);

inline void ShowFailure(QWidget* parent, const QString& text) { Prompter().ShowFailure(parent, text); }
inline void ShowMessage(QWidget* parent, const QString& text) { Prompter().ShowMessage(parent, text); }
inline QMessageBox::StandardButton Ask(QWidget* parent, const TQuestion& question)
{
    return Prompter().Ask(parent, question);
}
inline QString ChooseFile(QWidget* parent, const TFileChoice& choice) { return Prompter().ChooseFile(parent, choice); }
inline int Run(QDialog& dialog) { return Prompter().Run(dialog); }

// A file to write: the file dialog, then, for a file that exists, the
// question whether to replace it (No shows the dialog again).  Empty: the
// user called it off.
QString ChooseFileToWrite(QWidget* parent, TFileChoice choice);

} // namespace prompts
