// The notebook commands of the main window: new, open and save with the
// question about unsaved changes, the status bar's notebook count and clock,
// search, font and printing.  The main window inherits them and wires its
// buttons and menu items to them.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class QAction;
class QLabel;
class QPrinter;
class QTextEdit;
class QTimer;
class QWidget;
class TFindDialog;
struct TOpenJob;

class TNotebookCommands {
public:
    TNotebookCommands();
    virtual ~TNotebookCommands();
    TNotebookCommands(const TNotebookCommands&) = delete;
    TNotebookCommands& operator=(const TNotebookCommands&) = delete;

    QString NotebookFolder; // empty when no folder could be used
    QStringList NotebookFoldersTried; // then, the folders tried
    QTimer* Timer1 = nullptr;
    TFindDialog* FindDialog1 = nullptr;
    QAction* BuscarSiguiente1 = nullptr; // F3
    QFont FontDialogFont;                // the font dialog's last choice
    QColor FontDialogColour;             // and its last colour

    // The dialogs, replaceable so that tests can answer them.  An empty file
    // name means the dialog was cancelled.  ChooseFont also leaves the
    // chosen text colour in FontDialogColour.
    std::function<QString(bool save)> ChooseNotebookFile;
    std::function<bool()> AskSaveNotebook; // true: Yes
    std::function<std::optional<QFont>(const QFont& initial)> ChooseFont;
    std::function<void(QPrinter& printer)> PrinterSetup;
    std::function<void(const QString& text)> ShowFailure; // the application's error box

    // The notebook file commands; each returns whether it completed.
    bool SaveNotebook();
    bool OpenNotebook();
    // Asks about unsaved changes and saves on Yes: false when the work must
    // stop (the save was cancelled or failed).
    bool ResolveUnsavedNotebook();
    // The notebook's lines as the pane lays them out (for printing).
    QStringList ScreenLines() const;
    // Where each printed page begins: line indices, a new page begun only
    // when a line follows.
    static std::vector<int> PageStarts(int lines, int lineHeight, int pageHeight);

protected:
    // Chooses and makes the notebook folder, starts the clock and creates
    // the find dialog; `owner` parents the dialogs, `pane` is the notebook
    // and `statusPanels` the status bar's three panels.
    void AttachNotebook(QWidget* owner, QTextEdit* pane, QLabel* const* statusPanels);
    void NewNotebook();
    void PrintNotebook();
    void ShowFindDialog();
    void FindNext();
    void ChooseNotebookFont();
    void ShowNotebookStatus(); // when the window is first shown
    void ClockTick();

private:
    void SetDefaultDialogs();

    QWidget* FOwner = nullptr;
    QTextEdit* FPane = nullptr;
    QLabel* const* FStatus = nullptr;
    std::unique_ptr<QPrinter> FPrinter; // keeps the printer set-up between printouts
    std::thread FOpenThread;            // reads a notebook away from the window
    std::vector<std::shared_ptr<TOpenJob>> FGivenUp; // readings the user gave up
    void ReleaseGivenUp();
protected:
    bool FOpening = false;              // a notebook is being read
};
