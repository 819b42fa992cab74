// The notebook commands of the main window: new, open and save with the
// question about unsaved changes, the status bar's notebook count and clock,
// search, font and printing.
#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

class QLabel;
class QPrinter;
class QTextEdit;
class QTimer;
class QWidget;
class TFindDialog;
struct TOpenJob;

// The controller of the notebook commands.  The main window owns it (a
// member, destroyed before the window's controls) and wires its buttons,
// menu items, timer and find dialog to it.  A notebook being read when it
// goes is given up, and its reading thread joined, in its destructor.
class TNotebookCommands : public QObject {
    Q_OBJECT
public:
    // Chooses and makes the notebook folder and starts `clock`; `owner`
    // parents the dialogs, `pane` is the notebook, `statusPanels` the status
    // bar's three panels and `findDialog` the find dialog.
    TNotebookCommands(QWidget* owner, QTextEdit* pane, QLabel* const* statusPanels, QTimer* clock,
                      TFindDialog* findDialog);
    ~TNotebookCommands() override;
    TNotebookCommands(const TNotebookCommands&) = delete;
    TNotebookCommands& operator=(const TNotebookCommands&) = delete;

    QString NotebookFolder; // empty when no folder could be used
    QStringList NotebookFoldersTried; // then, the folders tried
    QFont FontDialogFont;                // the font dialog's last choice
    QColor FontDialogColour;             // and its last colour

    // Test hook: run on the reading thread before a notebook is read (true)
    // and on the window's thread just before that thread is started
    // (false); what it throws stands for a failure there.
    std::function<void(bool onReadingThread)> InjectReadingFault;

    // The notebook file commands; each returns whether it completed.
    // SaveNotebook writes to the notebook's file, asking for one only when
    // it has none yet; SaveNotebookAs always asks.
    bool SaveNotebook();
    bool SaveNotebookAs();
    bool OpenNotebook();
    // Asks about unsaved changes ("Sí", "No", "Cancelar") and saves on Sí:
    // false when the work must stop (Cancelar, Esc, or the save cancelled
    // or failed).
    bool ResolveUnsavedNotebook();
    // The file the notebook was opened from or last saved to; empty for a
    // new or cleared notebook.
    QString FileName() const { return FFileName; }
    // A recovered notebook's file becomes its file again (the text stays
    // unsaved); the pane may hold a new document.
    void AdoptFile(const QString& path);
    // A notebook is being read (its progress dialog may be up).
    bool Opening() const { return FOpening; }
    // The notebook's lines as the pane lays them out (for printing).
    QStringList ScreenLines() const;
    // Where each printed page begins: line indices, a new page begun only
    // when a line follows.
    static std::vector<int> PageStarts(int lines, int lineHeight, int pageHeight);

    void NewNotebook();
    // Empties the notebook as one edit that Ctrl+Z brings back, marking it
    // as not modified ("Borrar todo", and New).
    void ClearNotebook();
    void PrintNotebook();
    void ShowFindDialog();
    void FindNext();
    void ChooseNotebookFont();
    void ShowNotebookStatus(); // when the window is first shown
    void ClockTick();

signals:
    // The notebook was written to `path`.
    void Saved(const QString& path);
    // The user answered No to the save question: the changes are dropped.
    void ChangesDropped();
    // The notebook's file, or its modified flag, may have changed.
    void FileChanged();
    // A message for the status bar for `ms` milliseconds (a code page read
    // as Windows-1252, a search that found nothing).
    void StatusMessage(const QString& text, int ms);

private:
    // The open or save dialog in the notebook folder; empty: cancelled.
    QString ChooseNotebookFile(bool save);
    // Writes the notebook to `path` atomically; it becomes the notebook's file.
    bool WriteNotebook(const QString& path);
    bool SaveFailed(const QString& path);
    void SetFileName(const QString& path);
    void FollowDocument();
    void FollowClear();
    void ShowFailure(const QString& text);
    void ReleaseGivenUp();
    // Starts the reading thread; false, the failure shown, when it cannot be.
    bool StartReading(const std::shared_ptr<TOpenJob>& job);
    // Runs a reading's nested event loop until it is done or given up;
    // true when it was given up.
    bool WaitForReading(const std::shared_ptr<TOpenJob>& job);

    QWidget* FOwner;
    QTextEdit* FPane;
    QLabel* const* FStatus;
    TFindDialog* FFindDialog;
    std::unique_ptr<QPrinter> FPrinter; // keeps the printer set-up between printouts
    std::thread FOpenThread;            // reads a notebook away from the window
    std::vector<std::shared_ptr<TOpenJob>> FGivenUp; // readings the user gave up
    bool FOpening = false;              // a notebook is being read
    QString FFileName;                  // see FileName
    // The file of a notebook "Borrar todo" cleared, its modified flag, and
    // the undo steps after the clear; File empty when there is none.
    struct TCleared {
        QString File;
        bool Modified = false;
        int Steps = 0;
    };
    TCleared FCleared;
    QMetaObject::Connection FFollowing[2]; // to the pane's document
    bool FOfferingSaveAs = false;
};
