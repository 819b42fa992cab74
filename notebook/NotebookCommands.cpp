#include "notebook/NotebookCommands.h"

#include "notebook/FindDialog.h"
#include "notebook/FontDialog.h"
#include "notebook/NotebookPane.h"
#include "ui/LongLines.h"
#include "codec/Folder.h"
#include "notebook/NotebookReading.h"
#include "notebook/RichTextAdapter.h"
#include "codec/RegularFile.h"
#include "codec/Rtf.h"
#include "ui/Prompts.h"
#include "ui/UndoableClear.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <atomic>
#include <utility>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTime>
#include <QTimer>

TNotebookCommands::TNotebookCommands(QWidget* owner, QTextEdit* pane, QLabel* const* statusPanels, QTimer* clock,
                                     TFindDialog* findDialog)
    : FOwner(owner), FPane(pane), FStatus(statusPanels), FFindDialog(findDialog)
{
    setObjectName("NotebookCommands");
    // The notebook folder beside the executable, or in the documents folder
    // when the program's folder cannot hold it; made when missing.
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    NotebookFolder = QString::fromStdString(
        notebook::ChooseNotebookFolder(programFolder.toStdString(), documents.toStdString()));
    if (NotebookFolder.isEmpty())
        NotebookFoldersTried = QStringList{QDir(programFolder).filePath("Cuadernos"), QDir(documents).filePath("Cuadernos")};
    clock->setInterval(1000);
    clock->start();
    FontDialogFont = QFont("Tahoma");
    FontDialogFont.setPointSize(8);
    FontDialogColour = QPalette().color(QPalette::WindowText);
    FollowDocument();
}

void TNotebookCommands::FollowDocument()
{
    // Undo and redo change the contents without adding a command; an edit
    // after the text came back leaves nothing to redo.
    // Queued: the undo steps are counted once the undo or redo is over.
    for (const QMetaObject::Connection& c : FFollowing) disconnect(c);
    QTextDocument* document = FPane->document();
    FFollowing[0] = connect(document, &QTextDocument::contentsChanged, this, &TNotebookCommands::FollowClear,
                            Qt::QueuedConnection);
    FFollowing[1] = connect(document, &QTextDocument::undoCommandAdded, this, [this] {
        if (!FCleared.File.isEmpty() && FFileName == FCleared.File) FCleared = {};
    });
}

QString TNotebookCommands::ChooseNotebookFile(bool save)
{
    prompts::TFileChoice choice;
    // Beside the notebook's file, with its name, once it has one.
    choice.Folder = FFileName.isEmpty() ? NotebookFolder : QFileInfo(FFileName).absolutePath();
    if (!FFileName.isEmpty()) choice.Name = QFileInfo(FFileName).fileName();
    choice.Filters = QStringList{"Archivo de texto (*.txt)"};
    if (save) return prompts::ChooseFileToWrite(FOwner, choice);
    return prompts::ChooseFile(FOwner, choice);
}

void TNotebookCommands::ShowFailure(const QString& text)
{
    prompts::ShowFailure(FOwner, text);
}

bool TNotebookCommands::SaveNotebook()
{
    // In place once the notebook has a file; the first save asks for one.
    if (FFileName.isEmpty()) return SaveNotebookAs();
    return WriteNotebook(FFileName);
}

bool TNotebookCommands::SaveNotebookAs()
{
    const QString path = ChooseNotebookFile(true);
    if (path.isEmpty()) return false;
    return WriteNotebook(path);
}

// The notebook stays unsaved: the status bar says so until something
// replaces it, and "Guardar como…" is offered for another place.
bool TNotebookCommands::SaveFailed(const QString& path)
{
    emit StatusMessage("No se pudo guardar el cuaderno en «" + QDir::toNativeSeparators(path) +
                           "»: los cambios siguen sin guardar",
                       0);
    emit FileChanged();
    if (FOfferingSaveAs) return false;
    prompts::TQuestion offer;
    offer.Name = "OfrecerGuardarComo";
    offer.Text = "El cuaderno no se pudo guardar en «" + QFileInfo(path).fileName() +
                 "».\n¿Desea guardarlo en otro lugar o con otro nombre?";
    offer.Buttons = QMessageBox::Save | QMessageBox::Cancel;
    offer.Default = QMessageBox::Save;
    offer.Escape = QMessageBox::Cancel;
    offer.Texts[QMessageBox::Save] = "Guardar como…";
    offer.Texts[QMessageBox::Cancel] = "Cancelar";
    if (prompts::Ask(FOwner, offer) != QMessageBox::Save) return false;
    FOfferingSaveAs = true;
    const bool saved = SaveNotebookAs();
    FOfferingSaveAs = false;
    return saved;
}

void TNotebookCommands::AdoptFile(const QString& path)
{
    SetFileName(path);
    FollowDocument();
    emit FileChanged();
}

void TNotebookCommands::SetFileName(const QString& path)
{
    FFileName = path;
    FCleared = {}; // undoing a clear no longer brings back another name
}

bool TNotebookCommands::WriteNotebook(const QString& path)
{
    const std::string rtf = notebook::WriteRtf(notebook::FromTextDocument(*FPane->document()));
    // Written beside the old file and renamed over it, so that a failure
    // leaves the old file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        ShowFailure(QString("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return SaveFailed(path);
    }
    if (file.write(rtf.data(), static_cast<qint64>(rtf.size())) != static_cast<qint64>(rtf.size()) || !file.commit()) {
        file.cancelWriting();
        ShowFailure("Failed to Save Stream");
        return SaveFailed(path);
    }
    FPane->document()->setModified(false);
    SetFileName(path);
    emit Saved(path);
    emit FileChanged();
    return true;
}

// Reading a notebook and building its document, on a thread of its own.
struct TOpenJob {
    QString Path;
    QFont Font;
    QTextOption Option;
    QThread* GuiThread = nullptr;
    std::function<void(bool onReadingThread)> Fault; // the test hook, or nothing
    std::atomic<bool> Cancelled{false};
    std::atomic<bool> Done{false};
    std::atomic<int> Built{0}; // lines put in the document so far
    std::atomic<int> Lines{0}; // lines read, once known
    // Results, read by the window once Done is set.
    QString Failure;                  // empty: the document was read
    std::exception_ptr Escaped;       // what ended the reading, if anything did
    std::vector<int> UnknownCodePages; // read as Windows-1252
    QTextDocument* Document = nullptr; // moved to the window's thread

    void Run()
    {
        // Nothing escapes the thread, which would end the program: any
        // failure is a reading that failed.
        try {
            if (Fault) Fault(true);
            Read();
        } catch (...) {
            Escaped = std::current_exception(); // told by the window: no memory is needed here
        }
        Done = true;
    }

    void Read()
    {
        // Opened without blocking and read a piece at a time, so that a
        // reading given up ends soon, whatever the file.
        notebook::TRegularFile file;
        std::string bytes;
        if (!file.Open(Path.toStdString())) {
            Failure = notebook::OpenFailureMessage(Path, file);
            return;
        }
        if (!file.Read(0, notebook::kMaxNotebookBytes + 1, bytes, &Cancelled)) { // one byte past the limit at most
            if (!Cancelled) Failure = notebook::OpenFailureMessage(Path, file);
            return;
        }
        file.Close();
        notebook::TRichDocument rich;
        notebook::TLoadReport report;
        const notebook::TLoadResult loaded = notebook::LoadNotebook(bytes, rich, &report, &Cancelled);
        std::string().swap(bytes);
        UnknownCodePages = report.UnknownCodePages;
        // A reading given up says nothing; a refused file says why.
        if (!notebook::Loaded(loaded) && loaded != notebook::TLoadResult::Stopped)
            Failure = notebook::LoadFailureMessage(loaded);
        if (!notebook::Loaded(loaded) || Cancelled) return;
        Lines = static_cast<int>(rich.Lines.size());
        auto document = std::make_unique<QTextDocument>();
        document->setUndoRedoEnabled(false);
        document->setDefaultFont(Font);
        document->setDefaultTextOption(Option);
        const bool complete = notebook::ToTextDocument(rich, *document, [this](int lines) {
            Built = lines;
            return !Cancelled;
        });
        if (!complete || Cancelled) return;
        longlines::KeepLongLinesWhole(*document);
        document->setUndoRedoEnabled(true);
        document->setModified(false);
        document->moveToThread(GuiThread);
        Document = document.release(); // released by the window if it was given up meanwhile
    }
};

TNotebookCommands::~TNotebookCommands()
{
    // A reading still running is given up; its thread ends before the pane
    // and this controller go.
    for (const std::shared_ptr<TOpenJob>& job : FGivenUp) job->Cancelled = true;
    if (FOpenThread.joinable()) FOpenThread.join();
    ReleaseGivenUp();
}

void TNotebookCommands::ReleaseGivenUp()
{
    // Called once the readings given up have ended: a document one of them
    // built anyway is released here, on the window's thread.
    for (const std::shared_ptr<TOpenJob>& job : FGivenUp) delete std::exchange(job->Document, nullptr);
    FGivenUp.clear();
}

namespace {

// Keeps the user's input from the windows while a notebook is read, except
// for the progress dialog.
class TInputHold : public QObject {
public:
    QWidget* Allowed = nullptr;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The windows pass their input on to the widget under it, which is
        // where it is held or let through.
        if (!watched->isWidgetType()) return false;
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Close:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride: {
            auto* widget = qobject_cast<QWidget*>(watched);
            return !(Allowed && widget && (widget == Allowed || Allowed->isAncestorOf(widget)));
        }
        default:
            return false;
        }
    }
};

} // namespace

bool TNotebookCommands::OpenNotebook()
{
    const QString path = ChooseNotebookFile(false);
    if (path.isEmpty()) return false;
    {
        // Never waited for: a FIFO or a device is refused here.
        notebook::TRegularFile probe;
        if (!probe.Open(path.toStdString())) {
            ShowFailure(notebook::OpenFailureMessage(path, probe));
            return false;
        }
    }
    // The file is read and its document built on another thread, away from
    // the pane; the window keeps painting, and a notebook that takes long
    // shows its progress and can be given up, keeping the one shown.
    auto job = std::make_shared<TOpenJob>();
    job->Path = path;
    job->Font = FPane->font();
    job->Option = FPane->document()->defaultTextOption();
    job->GuiThread = QThread::currentThread();
    job->Fault = InjectReadingFault;
    if (!StartReading(job)) return false;
    if (WaitForReading(job)) {
        job->Cancelled = true; // its work is dropped when it ends
        FGivenUp.push_back(job);
        return false;
    }
    FOpenThread.join(); // and with it every reading given up before
    ReleaseGivenUp();
    if (job->Escaped) job->Failure = notebook::ReadingExceptionMessage(job->Path, job->Escaped);
    if (!job->Failure.isEmpty()) {
        ShowFailure(job->Failure);
        return false;
    }
    // Code pages the reader did not know, said once each.
    for (const int codePage : job->UnknownCodePages)
        emit StatusMessage(QString::fromStdString(notebook::UnknownCodePageText(codePage)), 10000);
    // The document replaces the notebook only now that the file has been read.
    QTextDocument* document = std::exchange(job->Document, nullptr);
    if (auto* pane = qobject_cast<TNotebookPane*>(FPane)) {
        pane->ReplaceDocument(document);
    } else {
        notebook::TRichDocument copy = notebook::FromTextDocument(*document);
        delete document;
        notebook::ToTextDocument(copy, *FPane->document());
        FPane->document()->clearUndoRedoStacks();
    }
    SetFileName(job->Path);
    FollowDocument(); // the pane may hold a new document
    emit FileChanged();
    return true;
}

bool TNotebookCommands::StartReading(const std::shared_ptr<TOpenJob>& job)
{
    // A reading given up before may still run: this one starts when it
    // ends.  When no thread can be had, that one stays where it was.
    auto previous = std::make_shared<std::thread>(std::move(FOpenThread));
    try {
        if (job->Fault) job->Fault(false);
        FOpenThread = std::thread([job, previous] {
            if (previous->joinable()) previous->join();
            job->Run();
        });
    } catch (const std::exception& e) {
        FOpenThread = std::move(*previous);
        ShowFailure(notebook::ReadingNotStartedMessage(job->Path, e.what()));
        return false;
    } catch (...) {
        FOpenThread = std::move(*previous);
        ShowFailure(notebook::ReadingNotStartedMessage(job->Path, "error desconocido"));
        return false;
    }
    return true;
}

bool TNotebookCommands::WaitForReading(const std::shared_ptr<TOpenJob>& job)
{
    FOpening = true;
    TInputHold hold;
    qApp->installEventFilter(&hold);
    QProgressDialog progress("Abriendo el cuaderno…", "Cancelar", 0, 0, FOwner);
    progress.setObjectName("ProgresoCuaderno");
    progress.setWindowTitle(QCoreApplication::applicationName());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.reset(); // shown only when it takes long
    hold.Allowed = &progress;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (job->Done || progress.wasCanceled()) {
            loop.quit();
            return;
        }
        if (clock.elapsed() >= 400) {
            if (!progress.isVisible()) progress.show();
            const int lines = job->Lines;
            if (lines > 0) {
                progress.setMaximum(lines);
                progress.setValue(std::min<int>(job->Built, lines - 1));
            }
        }
    });
    poll.start(15);
    if (!job->Done) loop.exec();
    poll.stop();
    progress.reset();
    qApp->removeEventFilter(&hold);
    FOpening = false;
    return !job->Done;
}

bool TNotebookCommands::ResolveUnsavedNotebook()
{
    if (!FPane->document()->isModified()) return true;
    prompts::TQuestion question;
    question.Title = "¿Guardar?";
    question.Text = "¿Desea guardar el cuaderno?";
    question.Icon = QMessageBox::Information;
    question.Buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    question.Default = QMessageBox::Yes;
    question.Escape = QMessageBox::Cancel; // Esc and the close button
    question.Texts = {{QMessageBox::Yes, "&Sí"}, {QMessageBox::No, "&No"}, {QMessageBox::Cancel, "&Cancelar"}};
    question.Name = "PreguntaGuardar";
    switch (prompts::Ask(FOwner, question)) {
    case QMessageBox::Yes:
        return SaveNotebook(); // a cancelled or failed save stops the work
    case QMessageBox::No:
        emit ChangesDropped();
        return true;
    default:
        return false; // Cancelar, or no answer: the command asked for is called off
    }
}

void TNotebookCommands::NewNotebook()
{
    if (!ResolveUnsavedNotebook()) return;
    ClearNotebook();
}

void TNotebookCommands::ClearNotebook()
{
    const TCleared cleared{FFileName, FPane->document()->isModified(), 0};
    ClearUndoably(*FPane);
    FPane->document()->setModified(false);
    SetFileName({}); // an empty notebook is no file's
    // Ctrl+Z brings the text back, and with it the file.
    if (!cleared.File.isEmpty()) FCleared = {cleared.File, cleared.Modified, FPane->document()->availableUndoSteps()};
    emit FileChanged();
}

// After an undo or a redo: the file of a cleared notebook follows its text.
void TNotebookCommands::FollowClear()
{
    if (FCleared.File.isEmpty()) return;
    QTextDocument* document = FPane->document();
    const int steps = document->availableUndoSteps();
    if (steps < FCleared.Steps && FFileName.isEmpty()) { // the clear undone (one edit, maybe several steps)
        FFileName = FCleared.File;
        document->setModified(FCleared.Modified);
        emit FileChanged();
    } else if (steps == FCleared.Steps && FFileName == FCleared.File) {
        FFileName.clear();
        document->setModified(false);
        emit FileChanged();
    }
}

void TNotebookCommands::ShowNotebookStatus()
{
    FStatus[1]->setText(QString::number(notebook::CountFiles(NotebookFolder.toStdString(), "*.txt")));
    if (!NotebookFolder.isEmpty()) {
        FStatus[0]->setText("Número de cuadernos en " + QDir::toNativeSeparators(NotebookFolder) + ":");
        return;
    }
    // No folder could be made or written: say so once, and why.
    FStatus[0]->setText("Sin carpeta de cuadernos: guarde donde elija");
    QStringList tried;
    for (const QString& folder : NotebookFoldersTried) tried << "«" + QDir::toNativeSeparators(folder) + "»";
    const QString message =
        QString("No se puede usar ninguna carpeta de cuadernos: no se pudo crear ni escribir en %1. "
                "Los cuadernos se guardarán donde usted elija en el diálogo de guardar.")
            .arg(tried.isEmpty() ? QString("la carpeta del programa ni en la de documentos") : tried.join(" ni en "));
    // After the window has appeared.
    QTimer::singleShot(0, FOwner, [this, message] { ShowFailure(message); });
}

void TNotebookCommands::ClockTick()
{
    FStatus[1]->setText(QString::number(notebook::CountFiles(NotebookFolder.toStdString(), "*.txt")));
    // The locale's long time format, without the time zone (and the
    // brackets some locales put around it).
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression("\\s*[\\(\\[]?\\bt+\\b[\\)\\]]?"));
    FStatus[2]->setText(QLocale::system().toString(QTime::currentTime(), format.trimmed()));
}

void TNotebookCommands::ShowFindDialog()
{
    FFindDialog->FindText->selectAll();
    FFindDialog->FindText->setFocus();
    FFindDialog->show();
    FFindDialog->raise();
    FFindDialog->activateWindow();
}

void TNotebookCommands::FindNext()
{
    const QString needle = FFindDialog->Text();
    if (needle.isEmpty()) return;
    const QTextCursor selection = FPane->textCursor();
    const int from = selection.hasSelection() ? selection.selectionEnd() : 0;
    const QTextCursor found = FPane->document()->find(needle, from, QTextDocument::FindCaseSensitively);
    if (found.isNull()) {
        emit StatusMessage(QString("No se encontró «%1» en el cuaderno").arg(needle), 5000);
        return;
    }
    FPane->setFocus();
    FPane->setTextCursor(found);
}

void TNotebookCommands::ChooseNotebookFont()
{
    TFontDialog dialog(FontDialogFont, FontDialogColour, FOwner);
    if (prompts::Run(dialog) == QDialog::Accepted) {
        FontDialogColour = dialog.Colour();
        FontDialogFont = dialog.SelectedFont();
        FPane->setFont(FontDialogFont);
        // Text without a colour of its own takes the chosen one.
        QPalette palette = FPane->palette();
        palette.setColor(QPalette::Text, FontDialogColour);
        FPane->setPalette(palette);
    }
}

QStringList TNotebookCommands::ScreenLines() const
{
    // A notebook just opened may not be laid out to its end yet.
    QTextDocument* document = FPane->document();
    document->documentLayout()->blockBoundingRect(document->lastBlock());
    QStringList lines;
    for (QTextBlock block = FPane->document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        if (layout == nullptr || layout->lineCount() == 0) {
            lines << block.text();
            continue;
        }
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            QString text = block.text().mid(line.textStart(), line.textLength());
            if (text.endsWith(QChar::LineSeparator)) text.chop(1);
            lines << text;
        }
    }
    if (FPane->document()->isEmpty()) lines.clear();
    return lines;
}

std::vector<int> TNotebookCommands::PageStarts(int lines, int lineHeight, int pageHeight)
{
    std::vector<int> starts{0};
    int y = 0;
    for (int i = 0; i < lines; ++i) {
        y += lineHeight;
        // A new page only when the page is full and another line follows.
        if (y >= pageHeight && i + 1 < lines) {
            starts.push_back(i + 1);
            y = 0;
        }
    }
    return starts;
}

void TNotebookCommands::PrintNotebook()
{
    if (!FPrinter) FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrinter& printer = *FPrinter;
    {
        QPrintDialog dialog(&printer, FOwner);
        prompts::Run(dialog); // printing goes on however the dialog is closed
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        ShowFailure("There is no default printer currently selected");
        return;
    }
    QFont font = QApplication::font();
    font.setPointSize(8);
    painter.setFont(font);
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineHeight = metrics.height();
    const int pageHeight = painter.viewport().height();
    const QStringList lines = ScreenLines();
    const std::vector<int> starts = PageStarts(static_cast<int>(lines.size()), lineHeight, pageHeight);
    std::size_t page = 0;
    int y = 0;
    for (int i = 0; i < lines.size(); ++i) {
        if (page + 1 < starts.size() && i == starts[page + 1]) {
            printer.newPage();
            ++page;
            y = 0;
        }
        painter.drawText(QPoint(0, y + metrics.ascent()), lines[i]);
        y += lineHeight;
    }
    painter.end();
}
