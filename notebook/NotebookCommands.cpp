#include "notebook/NotebookCommands.h"

#include "notebook/FindDialog.h"
#include "notebook/Folder.h"
#include "notebook/RichTextAdapter.h"
#include "notebook/Rtf.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
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

TNotebookCommands::TNotebookCommands() = default;
TNotebookCommands::~TNotebookCommands() = default;

void TNotebookCommands::AttachNotebook(QWidget* owner, QTextEdit* pane, QLabel* const* statusPanels)
{
    FOwner = owner;
    FPane = pane;
    FStatus = statusPanels;
    // The notebook folder beside the executable, or in the documents folder
    // when the program's folder cannot hold it; made when missing.
    NotebookFolder = QString::fromStdString(notebook::ChooseNotebookFolder(
        QCoreApplication::applicationDirPath().toStdString(),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString()));
    Timer1 = new QTimer(owner);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    Timer1->start();
    FindDialog1 = new TFindDialog(owner);
    FontDialogFont = QFont("Tahoma");
    FontDialogFont.setPointSize(8);
    SetDefaultDialogs();
}

void TNotebookCommands::SetDefaultDialogs()
{
    ChooseNotebookFile = [this](bool save) {
        QFileDialog dialog(FOwner);
        dialog.setNameFilter("Archivo de texto (*.txt)");
        dialog.setDefaultSuffix("txt");
        if (!NotebookFolder.isEmpty()) dialog.setDirectory(NotebookFolder);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
        return dialog.selectedFiles().first();
    };
    AskSaveNotebook = [this] {
        QMessageBox box(QMessageBox::Information, "¿Guardar?", "¿Desea guardar el cuaderno?",
                        QMessageBox::Yes | QMessageBox::No, FOwner);
        return box.exec() == QMessageBox::Yes;
    };
    ChooseFont = [this](const QFont& initial) -> std::optional<QFont> {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, initial, FOwner);
        if (!ok) return std::nullopt;
        return font;
    };
    PrinterSetup = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, FOwner);
        dialog.exec(); // printing goes on however the dialog is closed
    };
    ShowFailure = [this](const QString& text) {
        QMessageBox::critical(FOwner, QCoreApplication::applicationName(), text);
    };
}

bool TNotebookCommands::SaveNotebook()
{
    const QString path = ChooseNotebookFile(true);
    if (path.isEmpty()) return false;
    const std::string rtf = notebook::WriteRtf(notebook::FromTextDocument(*FPane->document()));
    // Written beside the old file and renamed over it, so that a failure
    // leaves the old file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        ShowFailure(QString("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    if (file.write(rtf.data(), static_cast<qint64>(rtf.size())) != static_cast<qint64>(rtf.size()) || !file.commit()) {
        file.cancelWriting();
        ShowFailure("Failed to Save Stream");
        return false;
    }
    FPane->document()->setModified(false);
    return true;
}

bool TNotebookCommands::OpenNotebook()
{
    const QString path = ChooseNotebookFile(false);
    if (path.isEmpty()) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowFailure(QString("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    // At most one byte past the limit is read: devices and pipes have no size.
    const QByteArray bytes = file.read(static_cast<qint64>(notebook::kMaxNotebookBytes) + 1);
    notebook::TRichDocument rich;
    if (notebook::LoadNotebook(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), rich) ==
        notebook::TLoadResult::Failed) {
        ShowFailure("Failed to Load Stream");
        return false;
    }
    // The document is replaced only now that the file has been read.
    notebook::ToTextDocument(rich, *FPane->document());
    FPane->document()->clearUndoRedoStacks();
    FPane->document()->setModified(false);
    return true;
}

bool TNotebookCommands::ResolveUnsavedNotebook()
{
    if (!FPane->document()->isModified()) return true;
    if (!AskSaveNotebook()) return true; // No
    return SaveNotebook();                // a cancelled or failed save stops the work
}

void TNotebookCommands::NewNotebook()
{
    if (!ResolveUnsavedNotebook()) return;
    FPane->clear();
    FPane->document()->setModified(false);
}

void TNotebookCommands::ShowNotebookStatus()
{
    FStatus[1]->setText(QString::number(notebook::CountFiles(NotebookFolder.toStdString(), "*.txt")));
    FStatus[0]->setText("Número de cuadernos en " + QDir::toNativeSeparators(NotebookFolder) + ":");
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
    FindDialog1->FindText->selectAll();
    FindDialog1->FindText->setFocus();
    FindDialog1->show();
    FindDialog1->raise();
    FindDialog1->activateWindow();
}

void TNotebookCommands::FindNext()
{
    const QString needle = FindDialog1->Text();
    if (needle.isEmpty()) return;
    const QTextCursor selection = FPane->textCursor();
    const int from = selection.hasSelection() ? selection.selectionEnd() : 0;
    const QTextCursor found = FPane->document()->find(needle, from, QTextDocument::FindCaseSensitively);
    if (found.isNull()) return; // silent
    FPane->setFocus();
    FPane->setTextCursor(found);
}

void TNotebookCommands::ChooseNotebookFont()
{
    if (const std::optional<QFont> font = ChooseFont(FontDialogFont)) {
        FontDialogFont = *font;
        FPane->setFont(*font);
    }
}

QStringList TNotebookCommands::ScreenLines() const
{
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
    PrinterSetup(printer);
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
