// Big notebooks and long text in the main window: opening away from the
// pane (with progress and cancel), lines without break points, large
// pastes, the expression length limit, line breaks in the expression, the
// font dialog's colour and a missing notebook folder.
#include "TestPrompter.h"
#include "notebook/FontDialog.h"
#include "notebook/NotebookPane.h"
#include "codec/Rtf.h"
#include "workspace/Application.h"
#include "ui/LongLines.h"
#include "workspace/MainForm.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

class BigTextTest : public QObject {
    Q_OBJECT

    Tdemoform* form = nullptr;
    std::unique_ptr<TTestPrompter> prompter;
    QTemporaryDir dir;
    QStringList failures;

    QString Write(const QString& name, const std::string& bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }
    void Open(const QString& path)
    {
        prompter->ChooseFileAnswer = [path](const prompts::TFileChoice&) { return path; };
        form->AbrirClick();
    }

private slots:
    void init()
    {
        failures.clear();
        prompter = std::make_unique<TTestPrompter>();
        form = new Tdemoform;
        CreateSecondaryWindows(*form);
        form->Notebook->NotebookFolder = dir.path();
        prompter->OnFailure = [this](const QString& text) { failures << text; };
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }
    void cleanup()
    {
        form->vars->document()->setModified(false);
        delete form;
        form = nullptr;
        prompter.reset();
    }

    void aBigNotebookOpensWithItsColoursAndNoHistory()
    {
        notebook::TRichDocument rich;
        for (int i = 0; i < 60000; ++i) {
            notebook::TLine line;
            notebook::TRun name, value;
            name.Colour = i % 2 ? 0x0064C8u : 0x0ABE0Au;
            name.Text = "v" + std::to_string(i) + "=";
            value.Text = std::to_string(i);
            line.Runs = {name, value};
            rich.Lines.push_back(line);
        }
        notebook::TRun last;
        last.Text = "fin=60000";
        rich.Lines.push_back({{last}});
        const QString path = Write("grande.txt", notebook::WriteRtf(rich));
        form->vars->setPlainText("anterior");
        QTextDocument* before = form->vars->document();
        Open(path);
        QVERIFY(failures.isEmpty());
        QTextDocument* document = form->vars->document();
        QVERIFY(document != before);
        QCOMPARE(document->blockCount(), 60001);
        QCOMPARE(document->lastBlock().text(), QString("fin=60000"));
        QTextCursor c(document->findBlockByNumber(1));
        c.movePosition(QTextCursor::Right);
        QCOMPARE(c.charFormat().foreground().color(), QColor(0, 100, 200));
        QVERIFY(!document->isModified());
        QVERIFY(!document->isUndoAvailable());
        QCOMPARE(document->defaultFont(), form->vars->font());
        // The calculation reads the opened lines.
        form->Memo3->setPlainText("fin+1");
        form->CalcBtnClick();
        QCOMPARE(form->LastResult, 60001.0L);
        // Typing and undo work as before on the new document.
        form->vars->moveCursor(QTextCursor::End);
        form->vars->insertPlainText("0");
        QVERIFY(document->isModified());
        form->vars->undo();
        QCOMPARE(document->lastBlock().text(), QString("fin=60000"));
    }

    void anOpeningCanBeGivenUpKeepingTheNotebook()
    {
        // Big enough to take more than the moment before progress shows,
        // within the line limit.
        std::string text;
        text.reserve(40u << 20);
        const std::string note(40, 'x');
        for (int i = 0; text.size() < (40u << 20); ++i) text += "linea=" + std::to_string(i) + " " + note + "\n";
        const QString path = Write("enorme.txt", text);
        form->vars->setPlainText("se queda");
        form->vars->document()->setModified(true);
        // "Abrir" asks first: No, the notebook is not saved.
        prompter->Answer = [](const prompts::TQuestion&) { return QMessageBox::No; };
        bool sawProgress = false;
        QTimer canceller;
        connect(&canceller, &QTimer::timeout, form, [&] {
            if (auto* progress = form->findChild<QProgressDialog*>("ProgresoCuaderno"); progress && progress->isVisible()) {
                // As the user does it: a click on "Cancelar", through the window.
                for (QPushButton* b : progress->findChildren<QPushButton*>())
                    if (b->text().remove('&') == "Cancelar" && !sawProgress) {
                        sawProgress = true;
                        QTest::mouseClick(progress->windowHandle(), Qt::LeftButton, {},
                                          b->mapTo(progress, b->rect().center()));
                    }
            }
        });
        canceller.start(20);
        Open(path);
        canceller.stop();
        QVERIFY(sawProgress);
        QCOMPARE(form->vars->toPlainText(), QString("se queda"));
        QVERIFY(form->vars->document()->isModified());
        QVERIFY(failures.isEmpty());
    }

    void linesWithoutBreakPointsAreShownWhole()
    {
        const std::string unbroken = "x=" + std::string(5000, '1');
        const QString path = Write("linea.txt", "nota corta\n" + unbroken + "\nr=2\n");
        Open(path);
        QTextDocument* d = form->vars->document();
        QVERIFY(!d->findBlockByNumber(0).blockFormat().nonBreakableLines());
        QVERIFY(d->findBlockByNumber(1).blockFormat().nonBreakableLines());
        QVERIFY(!d->findBlockByNumber(2).blockFormat().nonBreakableLines());
        // Pasted the same: the long line whole, one step for undo.
        form->vars->clear();
        form->vars->setPlainText("a\nb");
        QApplication::clipboard()->setText(QString::fromStdString(unbroken));
        QTextCursor end = form->vars->textCursor();
        end.movePosition(QTextCursor::End);
        form->vars->setTextCursor(end);
        form->vars->paste();
        QCOMPARE(form->vars->document()->lastBlock().text(), "b" + QString::fromStdString(unbroken));
        QVERIFY(form->vars->document()->lastBlock().blockFormat().nonBreakableLines());
        QCOMPARE(form->vars->textCursor().position(), 3 + static_cast<int>(unbroken.size()));
        form->vars->undo();
        QCOMPARE(form->vars->toPlainText(), QString("a\nb"));
        QVERIFY(!form->vars->document()->lastBlock().blockFormat().nonBreakableLines());
    }

    void aHugePasteKeepsTheViewAndOneUndoStep()
    {
        QString text;
        for (int i = 0; i < 20000; ++i) text += QString("p%1=%1\n").arg(i);
        form->vars->setPlainText("inicio\nfin");
        form->vars->document()->setModified(false);
        QApplication::clipboard()->setText(text);
        QTextCursor c = form->vars->textCursor();
        c.setPosition(7); // at the start of "fin"
        form->vars->setTextCursor(c);
        form->vars->paste();
        QCOMPARE(form->vars->document()->blockCount(), 20002);
        QCOMPARE(form->vars->document()->findBlockByNumber(20001).text(), QString("fin"));
        QVERIFY(form->vars->document()->isModified());
        QCOMPARE(form->vars->textCursor().position(), 7); // where the paste began
        form->vars->undo();
        QCOMPARE(form->vars->toPlainText(), QString("inicio\nfin"));
    }

    void theExpressionBoxWrapsAnywhereOnlyForLongRuns()
    {
        QApplication::clipboard()->setText(QString(3000, 'q'));
        form->Memo3->setFocus();
        form->Memo3->paste();
        QCOMPARE(form->Memo3->wordWrapMode(), QTextOption::WrapAnywhere);
        form->ToolButton3Click(); // "Nuevo calculo"
        QCOMPARE(form->Memo3->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        // A calculation blaming all of it selects all of it.
        form->Memo3->SetText(QString(3000, 'q'));
        form->CalcBtnClick();
        QCOMPARE(form->Memo3->textCursor().selectedText().size(), 3000);
    }

    void aNotebookThatMakesTheExpressionTooLongStopsAtOnce()
    {
        QStringList lines;
        for (int i = 0; i < 32; ++i) lines << "a=a a";
        form->vars->setPlainText(lines.join('\n'));
        form->vars->document()->setModified(false);
        form->Memo3->setPlainText("a");
        form->CalcBtnClick();
        QVERIFY(form->Panel6->isVisible());
        QCOMPARE(form->Label5->text(),
                 QString("La expresión pasaría de 1000000 caracteres al aplicar la línea 19 del cuaderno"));
        QCOMPARE(form->Memo3->toPlainText(), QString("a"));
        QCOMPARE(form->vars->toPlainText(), lines.join('\n'));
        QVERIFY(!form->vars->document()->isModified());
        QVERIFY(form->memo1->document()->isEmpty());
    }

    void aSelectionOfSeveralLinesCalculates()
    {
        form->vars->setPlainText("2\n*\n(3+4)");
        form->vars->selectAll();
        form->Ejecutar1->trigger();
        QCOMPARE(form->memo1->document()->firstBlock().text(), QString("2 * (3 + 4) =   14"));
        QCOMPARE(form->Memo3->toPlainText(), QString("2\n*\n(3+4)")); // shown as selected
        // An error is blamed at its place in the text as shown.
        form->vars->setPlainText("1\n/0");
        form->vars->selectAll();
        form->Ejecutar1->trigger();
        QCOMPARE(form->Memo3->textCursor().selectedText(), QString("0"));
    }

    void theFontDialogOffersColour()
    {
        TFontDialog dialog(QFont("Tahoma", 8), QColor(0, 0, 0), form);
        prompter->DialogAnswer = [](QDialog& colours) {
            static_cast<QColorDialog&>(colours).setCurrentColor(QColor(200, 0, 0));
            return int(QDialog::Accepted);
        };
        dialog.ColourButton->click();
        QCOMPARE(dialog.Colour(), QColor(200, 0, 0));
        prompter->DialogAnswer = [](QDialog&) { return int(QDialog::Rejected); }; // cancelled
        dialog.ColourButton->click();
        QCOMPARE(dialog.Colour(), QColor(200, 0, 0));
        // The chosen colour is the notebook's text colour.
        prompter->DialogAnswer = [this](QDialog& fonts) {
            if (auto* colours = qobject_cast<QColorDialog*>(&fonts)) {
                colours->setCurrentColor(QColor(0, 128, 0));
                return int(QDialog::Accepted);
            }
            static_cast<TFontDialog&>(fonts).ColourButton->click();
            return int(QDialog::Accepted);
        };
        form->FuenteClick();
        QCOMPARE(form->vars->palette().color(QPalette::Text), QColor(0, 128, 0));
        QCOMPARE(form->memo1->palette().color(QPalette::Text), QApplication::palette().color(QPalette::Text));
    }

    void noUsableNotebookFolderIsExplainedOnce()
    {
        Tdemoform other;
        other.Notebook->NotebookFolder.clear();
        other.Notebook->NotebookFoldersTried = {"/solo-lectura/Cuadernos", "/home/ana/Documentos/Cuadernos"};
        QStringList messages;
        prompter->OnFailure = [&](const QString& text) { messages << text; };
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QTRY_COMPARE(messages.size(), 1);
        // Named as the system writes paths.
        QVERIFY(messages[0].contains(QDir::toNativeSeparators("/solo-lectura/Cuadernos")) &&
                messages[0].contains(QDir::toNativeSeparators("/home/ana/Documentos/Cuadernos")));
        QCOMPARE(other.EstadoPanels[0]->text(), QString("Sin carpeta de cuadernos: guarde donde elija"));
        other.Timer1Timer();
        QCOMPARE(other.EstadoPanels[1]->text(), QString("0"));
        QCOMPARE(messages.size(), 1);
    }
};

QTEST_MAIN(BigTextTest)
#include "BigTextTest.moc"
