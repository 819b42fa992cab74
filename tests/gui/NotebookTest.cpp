// Notebook commands of the main window: files, the save question, the
// status bar, search, font and printing.  Dialogs are answered through the
// test prompter.
#include "TestPrompter.h"
#include "notebook/FindDialog.h"
#include "notebook/FontDialog.h"
#include "workspace/ConfigForm.h"
#include "workspace/MainForm.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QFontDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QClipboard>
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QWindow>
#include <QtTest>

class NotebookTest : public QObject {
    Q_OBJECT

    Tdemoform* form = nullptr;
    std::unique_ptr<TTestPrompter> prompter;
    QTemporaryDir dir;
    QStringList failures;
    QStringList fileAnswers; // what the file dialog answers, in turn
    QList<bool> saveAnswers; // what the question answers, in turn
    int questions = 0;

    QTextEdit* Notebook() { return form->vars; }
    QString Path(const QString& name) { return dir.filePath(name); }
    QString FirstResult() { return form->memo1->document()->firstBlock().text(); }
    void Calculate(const QString& expression)
    {
        form->Memo3->setPlainText(expression);
        form->CalcBtnClick();
    }
    // Writes coloured lines as a user or the library would.
    void FillColoured()
    {
        Notebook()->clear();
        QTextCursor c(Notebook()->document());
        QTextCharFormat green, blue, plain;
        green.setForeground(QColor(10, 190, 10));
        blue.setForeground(QColor(0, 100, 200));
        c.insertText("atr -> área de un triángulo", green);
        c.insertBlock();
        c.insertText("atr=base*altura/2", plain);
        c.insertBlock();
        c.insertText("base=", blue);
        c.insertText("3", plain);
        c.insertBlock();
        c.insertText("altura=4", blue);
        c.insertBlock();
        c.insertText("nota € “q”", plain);
        Notebook()->document()->setModified(true);
    }
    QColor ColourAt(int block, int offset)
    {
        QTextCursor c(Notebook()->document()->findBlockByNumber(block));
        c.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, offset + 1);
        return c.charFormat().foreground().color();
    }

    // Presses `key` on the message box that comes up next, keeping its text
    // and its buttons' texts.
    struct TBoxKey : QObject {
        Qt::Key Key;
        QStringList Texts;
        QStringList Buttons;
        QTimer Poll;
        explicit TBoxKey(Qt::Key key) : Key(key)
        {
            connect(&Poll, &QTimer::timeout, this, [this] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box || !box->isVisible()) return;
                Texts << box->text();
                for (QAbstractButton* b : box->buttons()) Buttons << b->text().remove('&');
                Poll.stop();
                QTest::keyClick(box, Key);
            });
            Poll.start(10);
        }
    };
    void Modified(const QString& text)
    {
        Notebook()->setPlainText(text);
        Notebook()->document()->setModified(true);
    }

private slots:
    void init()
    {
        failures.clear();
        fileAnswers.clear();
        saveAnswers.clear();
        questions = 0;
        form = new Tdemoform;
        auto* form6 = new TForm6(form);
        form->AttachConfiguration(form6);
        form->Notebook->NotebookFolder = dir.path();
        prompter = std::make_unique<TTestPrompter>();
        prompter->ChooseFileAnswer = [this](const prompts::TFileChoice&) {
            return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
        };
        prompter->Answer = [this](const prompts::TQuestion& question) {
            if (question.Name != "PreguntaGuardar") return QMessageBox::Yes; // replacing a file
            ++questions;
            return !saveAnswers.isEmpty() && saveAnswers.takeFirst() ? QMessageBox::Yes : QMessageBox::No;
        };
        prompter->OnFailure = [this](const QString& text) { failures << text; };
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }
    void cleanup()
    {
        form->vars->document()->setModified(false);
        delete form;
        prompter.reset();
    }

    void saveAndOpenKeepTextLinesAndColours()
    {
        FillColoured();
        fileAnswers << Path("apuntes.txt");
        QVERIFY(form->Notebook->SaveNotebook());
        QVERIFY(!Notebook()->document()->isModified());
        QFile saved(Path("apuntes.txt"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().startsWith("{\\rtf1\\ansi\\ansicpg1252"));
        form->Borrartodo1->trigger();
        fileAnswers << Path("apuntes.txt");
        form->AbrirClick();
        QVERIFY(failures.isEmpty());
        QCOMPARE(Notebook()->toPlainText(), QString("atr -> área de un triángulo\natr=base*altura/2\nbase=3\naltura=4\nnota € “q”"));
        QVERIFY(!Notebook()->document()->isModified());
        QCOMPARE(ColourAt(0, 0), QColor(10, 190, 10));
        QCOMPARE(ColourAt(2, 1), QColor(0, 100, 200));
        QCOMPARE(ColourAt(3, 3), QColor(0, 100, 200));
        Calculate("atr");
        QCOMPARE(FirstResult(), QString("base * altura / 2 =   6"));
    }

    void everySampleOpensAndCalculates()
    {
        const struct {
            const char* file;
            const char* expression;
            const char* result;
        } samples[] = {{"writer-colores.rtf", "atr+r", "base * altura / 2 + r =   8"},
                       {"richedit-plantilla.rtf", "atr*año", "base * altura / 2 * año =   2191.5  \u2016 4383/2"},
                       {"texto-utf8.txt", "a*b+año", "a * b + año =   371.25  \u2016 1485/4"},
                       {"texto-cp1252.txt", "a*b+año", "a * b + año =   371.25  \u2016 1485/4"}};
        for (const auto& s : samples) {
            fileAnswers << QString(ZENTROVA_TEST_DATA) + "/" + s.file;
            form->AbrirClick();
            QVERIFY2(failures.isEmpty(), s.file);
            Calculate(s.expression);
            QCOMPARE(FirstResult(), QString(s.result));
        }
        // The colours of the word processor's file.
        fileAnswers << QString(ZENTROVA_TEST_DATA) + "/writer-colores.rtf";
        form->AbrirClick();
        QCOMPARE(ColourAt(1, 0), QColor(10, 190, 10));
        QCOMPARE(ColourAt(2, 0), QColor(0, 50, 100));
        QCOMPARE(ColourAt(3, 0), QColor(0, 100, 200));
    }

    void theQuestionBeforeChangesAreDropped()
    {
        // Unmodified: no question.
        form->Nuevo->trigger();
        QCOMPARE(questions, 0);
        // No: cleared without saving.
        Notebook()->setPlainText("a=1");
        Notebook()->document()->setModified(true);
        saveAnswers << false;
        form->ToolButton12Click();
        QCOMPARE(questions, 1);
        QVERIFY(Notebook()->document()->isEmpty());
        // Yes, then the save dialog cancelled: nothing is dropped.
        Notebook()->setPlainText("b=2");
        Notebook()->document()->setModified(true);
        saveAnswers << true;
        form->Nuevo->trigger();
        QCOMPARE(Notebook()->toPlainText(), QString("b=2"));
        QVERIFY(Notebook()->document()->isModified());
        // Yes and saved: then cleared.
        saveAnswers << true;
        fileAnswers << Path("b");
        form->Nuevo->trigger();
        QVERIFY(Notebook()->document()->isEmpty());
        QVERIFY(QFile::exists(Path("b"))); // the dialog adds ".txt" to a bare name
    }

    void openButtonLeavesTheNotebookUntilAFileIsRead()
    {
        Notebook()->setPlainText("keep=1");
        Notebook()->document()->setModified(true);
        // No to the question, then the open dialog cancelled.
        saveAnswers << false;
        form->AbrirClick();
        QCOMPARE(Notebook()->toPlainText(), QString("keep=1"));
        QVERIFY(Notebook()->document()->isModified());
        // A file that cannot be opened.
        saveAnswers << false;
        fileAnswers << Path("missing.txt");
        form->AbrirClick();
        QCOMPARE(Notebook()->toPlainText(), QString("keep=1"));
        QCOMPARE(failures.size(), 1);
        QVERIFY(failures[0].startsWith("Cannot open file \"" + QDir::toNativeSeparators(Path("missing.txt")) + "\". "));
        // A file that is no notebook.
        QFile bad(Path("binario.txt"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(QByteArray("a=1\0\1\2", 6));
        bad.close();
        saveAnswers << false;
        fileAnswers << Path("binario.txt");
        form->AbrirClick();
        QCOMPARE(failures.last(), QString("Failed to Load Stream"));
        QCOMPARE(Notebook()->toPlainText(), QString("keep=1"));
        // The menu item asks too (No here), then opens.
        QFile good(Path("bueno.txt"));
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write("a=2\nb=3\n");
        good.close();
        const int asked = questions;
        fileAnswers << Path("bueno.txt");
        form->AbrirClick();
        QCOMPARE(questions, asked + 1);
        QCOMPARE(Notebook()->toPlainText(), QString("a=2\nb=3"));
        QVERIFY(!Notebook()->document()->isModified());
    }

    void aFailedSaveKeepsTheOldFileAndTheChanges()
    {
        QFile old(Path("viejo.txt"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("contenido anterior");
        old.close();
        Notebook()->setPlainText("nuevo=1");
        Notebook()->document()->setModified(true);
        // A file that cannot be created (its folder does not exist).
        fileAnswers << Path("no-existe/cuaderno.txt");
        QVERIFY(!form->Notebook->SaveNotebook());
        QVERIFY(failures.last().startsWith("Cannot create file \"" + QDir::toNativeSeparators(Path("no-existe/cuaderno.txt")) + "\". "));
        QVERIFY(Notebook()->document()->isModified());
        QVERIFY(form->isWindowModified());
        QCOMPARE(form->statusBar()->currentMessage(), "No se pudo guardar el cuaderno en «" +
                                                          QDir::toNativeSeparators(Path("no-existe/cuaderno.txt")) +
                                                          "»: los cambios siguen sin guardar");
        QCOMPARE(prompter->Questions.last().Name, QString("OfrecerGuardarComo")); // declined here
        // Accepted: "Guardar como…" asks for another place.
        auto answer = prompter->Answer;
        prompter->Answer = [answer](const prompts::TQuestion& q) {
            return q.Name == "OfrecerGuardarComo" ? QMessageBox::Save : answer(q);
        };
        fileAnswers << Path("no-existe/cuaderno.txt") << Path("otro-lugar.txt");
        QVERIFY(form->Notebook->SaveNotebookAs());
        QVERIFY(!Notebook()->document()->isModified());
        QCOMPARE(form->windowTitle(), QString("otro-lugar.txt[*] — Zentrova 4.0"));
        prompter->Answer = answer;
        form->Notebook->NewNotebook();
        Notebook()->setPlainText("nuevo=1");
        Notebook()->document()->setModified(true);
        // Yes to the question and a failed save: New is abandoned.
        saveAnswers << true;
        fileAnswers << Path("no-existe/cuaderno.txt");
        form->Nuevo->trigger();
        QCOMPARE(Notebook()->toPlainText(), QString("nuevo=1"));
        // Replacing an existing notebook writes it whole.
        fileAnswers << Path("viejo.txt");
        QVERIFY(form->Notebook->SaveNotebook());
        QVERIFY(old.open(QIODevice::ReadOnly));
        QVERIFY(old.readAll().contains("nuevo=1"));
        QCOMPARE(QDir(dir.path()).entryList({"*.txt*"}, QDir::Files | QDir::Hidden).filter("viejo").size(), 1);
    }

    // The real save question: "Sí", "No" and "Cancelar"; Esc calls off the
    // command that asked (closing, New, the tool button Open), and the
    // notebook, its modified flag and its recovery copy stay.
    void escapeOnTheSaveQuestionCallsTheCommandOff()
    {
        prompter.reset(); // the real message box
        const struct {
            const char* command;
            std::function<void()> run;
        } commands[] = {
            {"cerrar", [this] { form->windowHandle()->close(); }}, // as the close button does it
            {"Ctrl+N", [this] { QTest::keyClick(form, Qt::Key_N, Qt::ControlModifier); }},
            {"Nuevo cuaderno", [this] { QTest::mouseClick(form->ToolButton12, Qt::LeftButton); }},
            {"Abrir cuaderno", [this] { QTest::mouseClick(form->ToolButton9, Qt::LeftButton); }},
            {"Ctrl+O", [this] { QTest::keyClick(form, Qt::Key_O, Qt::ControlModifier); }},
        };
        for (const auto& c : commands) {
            Modified("a=1\nb=2");
            QVERIFY(form->Recovery->WriteNow());
            form->activateWindow(); // for the shortcuts
            QVERIFY(QTest::qWaitForWindowActive(form));
            TBoxKey escape(Qt::Key_Escape);
            c.run();
            QVERIFY2(escape.Texts == QStringList{"¿Desea guardar el cuaderno?"}, c.command);
            QCOMPARE(escape.Buttons.size(), 3);
            for (const char* button : {"Sí", "No", "Cancelar"}) QVERIFY2(escape.Buttons.contains(button), c.command);
            QVERIFY2(form->isVisible(), c.command);
            QCOMPARE(Notebook()->toPlainText(), QString("a=1\nb=2"));
            QVERIFY2(Notebook()->document()->isModified(), c.command);
            QVERIFY2(QFile::exists(form->Recovery->Path()), c.command);
        }
        // No still drops the changes.
        TBoxKey no(Qt::Key_N);
        QTest::mouseClick(form->ToolButton12, Qt::LeftButton);
        QCOMPARE(no.Texts.size(), 1);
        QVERIFY(Notebook()->document()->isEmpty());
    }

    // "Borrar todo", New after No and "X" clear as an edit that Ctrl+Z
    // brings back; the recovery copy goes only with a save or No.
    void clearingIsUndoneAndTheCopyGoesOnlyWithASaveOrNo()
    {
        Modified("a=1\nb=2");
        QVERIFY(form->Recovery->WriteNow());
        form->Borrartodo1->trigger();
        QVERIFY(Notebook()->document()->isEmpty());
        QVERIFY(!Notebook()->document()->isModified());
        QTest::qWait(50); // the copy's judgement, once the events at hand are over
        QVERIFY(QFile::exists(form->Recovery->Path()));
        Notebook()->setFocus();
        QTest::keyClick(Notebook(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Notebook()->toPlainText(), QString("a=1\nb=2"));
        QVERIFY(Notebook()->document()->isModified());
        // New after No: the copy goes, the text comes back with Ctrl+Z.
        saveAnswers << false;
        QTest::mouseClick(form->ToolButton12, Qt::LeftButton);
        QVERIFY(Notebook()->document()->isEmpty());
        QTRY_VERIFY(!QFile::exists(form->Recovery->Path()));
        QTest::keyClick(Notebook(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Notebook()->toPlainText(), QString("a=1\nb=2"));
        // Typed after the clear: the pane's own colour, not the cleared text's.
        FillColoured();
        form->Borrartodo1->trigger();
        QTest::keyClicks(Notebook(), "c=3");
        QCOMPARE(ColourAt(0, 0), Notebook()->palette().color(QPalette::Text));
        // Saved: the copy goes.
        QVERIFY(form->Recovery->WriteNow());
        fileAnswers << Path("guardado.txt");
        QVERIFY(form->Notebook->SaveNotebook());
        QTRY_VERIFY(!QFile::exists(form->Recovery->Path()));
        // "X": the results back with Ctrl+Z.
        Calculate("1+1");
        QTest::mouseClick(form->SpeedButton3, Qt::LeftButton);
        QVERIFY(form->memo1->document()->isEmpty());
        form->memo1->setFocus();
        QTest::keyClick(form->memo1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(FirstResult(), QString("1 + 1 =   2"));
    }

    // Ctrl+S saves in place once the notebook has a file, Ctrl+Shift+S asks
    // for a name; the title names the file, "*" while modified; a file that
    // exists is replaced only after a question; the status bar says where it
    // was saved, and that a search found nothing.
    void savesInPlaceAndTheTitleNamesTheFile()
    {
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        Notebook()->setFocus();
        QTest::keyClicks(Notebook(), "a=1");
        QCOMPARE(form->windowTitle(), QString("Zentrova 4.0[*]"));
        QVERIFY(form->isWindowModified()); // "Zentrova 4.0*" on the screen
        fileAnswers << Path("apuntes.txt");
        QTest::keyClick(Notebook(), Qt::Key_S, Qt::ControlModifier); // the first save asks
        QCOMPARE(prompter->FileChoices.size(), 1);
        QVERIFY(prompter->FileChoices[0].Save);
        QCOMPARE(form->windowTitle(), QString("apuntes.txt[*] — Zentrova 4.0"));
        QVERIFY(!form->isWindowModified());
        QCOMPARE(form->statusBar()->currentMessage(),
                 "Cuaderno guardado en «" + QDir::toNativeSeparators(Path("apuntes.txt")) + "»");
        QTest::keyClicks(Notebook(), "2");
        QVERIFY(form->isWindowModified());
        QTest::keyClick(Notebook(), Qt::Key_S, Qt::ControlModifier); // in place, no dialog
        QCOMPARE(prompter->FileChoices.size(), 1);
        QVERIFY(!form->isWindowModified());
        QFile saved(Path("apuntes.txt"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().contains("a=12"));
        saved.close();
        // "Guardar como…" over an existing file: No to replacing it shows the
        // dialog again; cancelled, nothing is written.
        QFile other(Path("otro.txt"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("otro");
        other.close();
        QStringList replaced;
        prompter->Answer = [&replaced](const prompts::TQuestion& q) {
            replaced << q.Text;
            return QMessageBox::No;
        };
        fileAnswers << Path("otro.txt");
        QTest::keyClick(Notebook(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(prompter->FileChoices.size(), 3);
        QCOMPARE(replaced, QStringList{"«otro.txt» ya existe.\n¿Desea reemplazarlo?"});
        QVERIFY(other.open(QIODevice::ReadOnly));
        QCOMPARE(other.readAll(), QByteArray("otro"));
        other.close();
        QCOMPARE(form->windowTitle(), QString("apuntes.txt[*] — Zentrova 4.0"));
        // Yes: replaced, and the notebook's file now.
        prompter->Answer = [](const prompts::TQuestion&) { return QMessageBox::Yes; };
        fileAnswers << Path("otro.txt");
        form->Guardarcomo1->trigger();
        QVERIFY(other.open(QIODevice::ReadOnly));
        QVERIFY(other.readAll().contains("a=12"));
        QCOMPARE(form->windowTitle(), QString("otro.txt[*] — Zentrova 4.0"));
        // The dialogs start beside the notebook's file, with its name.
        QCOMPARE(prompter->FileChoices.back().Folder, QFileInfo(Path("apuntes.txt")).absolutePath());
        QCOMPARE(prompter->FileChoices.back().Name, QString("apuntes.txt"));
        // Opened: its name; New: none.
        fileAnswers << Path("apuntes.txt");
        QTest::keyClick(Notebook(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(prompter->FileChoices.back().Name, QString("otro.txt"));
        QCOMPARE(form->windowTitle(), QString("apuntes.txt[*] — Zentrova 4.0"));
        QTest::keyClick(Notebook(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(form->windowTitle(), QString("Zentrova 4.0[*]"));
        QVERIFY(!form->isWindowModified());
        // A search that finds nothing says so.
        form->FindDialog1->FindText->setText("inexistente");
        form->FindDialog1Find();
        QCOMPARE(form->statusBar()->currentMessage(), QString("No se encontró «inexistente» en el cuaderno"));
    }

    // Ctrl+Z after "Borrar todo" brings the file back with the text (and
    // its modified flag); Ctrl+Y clears it again; Ctrl+S then saves in place.
    void undoingAClearBringsTheFileBack()
    {
        Notebook()->setFocus();
        QTest::keyClicks(Notebook(), "a=1");
        fileAnswers << Path("apuntes.txt");
        QTest::keyClick(Notebook(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(form->windowTitle(), QString("apuntes.txt[*] — Zentrova 4.0"));
        form->Borrartodo1->trigger();
        QCOMPARE(form->windowTitle(), QString("Zentrova 4.0[*]"));
        QTest::keyClick(Notebook(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Notebook()->toPlainText(), QString("a=1"));
        QTRY_COMPARE(form->windowTitle(), QString("apuntes.txt[*] — Zentrova 4.0"));
        QVERIFY(!form->isWindowModified()); // as it was saved
        QTest::keyClick(Notebook(), Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(Notebook()->document()->isEmpty());
        QTRY_COMPARE(form->windowTitle(), QString("Zentrova 4.0[*]"));
        QTest::keyClick(Notebook(), Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(form->windowTitle(), QString("apuntes.txt[*] — Zentrova 4.0"));
        QTest::keyClick(Notebook(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(Notebook(), "2");
        const int asked = prompter->FileChoices.size();
        QTest::keyClick(Notebook(), Qt::Key_S, Qt::ControlModifier); // in place
        QCOMPARE(prompter->FileChoices.size(), asked);
        QFile saved(Path("apuntes.txt"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().contains("a=12"));
    }

    void closingAsksAndCanBeAbandoned()
    {
        Notebook()->setPlainText("x=1");
        Notebook()->document()->setModified(true);
        saveAnswers << true; // Yes, then cancel the save dialog
        QVERIFY(!form->close());
        QVERIFY(form->isVisible());
        saveAnswers << false; // No
        QVERIFY(form->close());
        form->show();
        // "Borrar todo" on a modified notebook: nothing to ask at closing.
        Notebook()->setPlainText("y=1");
        Notebook()->document()->setModified(true);
        form->Borrartodo1->trigger();
        const int asked = questions;
        QVERIFY(form->close());
        QCOMPARE(questions, asked);
    }

    void statusBarCountsNotebooksAndShowsTheTime()
    {
        QLabel* panel0 = form->EstadoPanels[0];
        QLabel* panel1 = form->EstadoPanels[1];
        QLabel* panel2 = form->EstadoPanels[2];
        // Filled at show with the folder the window chose.
        QCOMPARE(panel0->text(), "Número de cuadernos en " + QDir::toNativeSeparators(dir.path()) + ":");
        QCOMPARE(panel2->text(), QString("Hora"));
        QDir(dir.path()).mkdir("recuento");
        form->Notebook->NotebookFolder = Path("recuento");
        form->Timer1Timer();
        QCOMPARE(panel1->text(), QString("0"));
        for (const char* name : {"uno.txt", ".oculto.txt", "dos.TXT", "tres.rtf"}) {
            QFile f(Path("recuento/") + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QDir(Path("recuento")).mkdir("carpeta.txt");
        form->Timer1Timer();
        QCOMPARE(panel1->text(), QString("3"));
        QVERIFY2(QRegularExpression("^\\d{1,2}.\\d\\d.\\d\\d( ?[AaPp]\\.? ?[Mm]\\.?)?$").match(panel2->text()).hasMatch(),
                 qPrintable(panel2->text()));
        QCOMPARE(form->Timer1->interval(), 1000);
        QVERIFY(form->Timer1->isActive());
    }

    void searchIsCaseSensitiveAndWalksForward()
    {
        Notebook()->setPlainText("cuaderno de Cuaderno\nsubCuadernos y Cuaderno");
        form->ToolButton4Click();
        QVERIFY(form->FindDialog1->isVisible());
        QVERIFY(!form->FindDialog1->isModal());
        form->FindDialog1->FindText->setText("Cuaderno");
        // The caret in the middle, nothing selected: from the top.
        QTextCursor c = Notebook()->textCursor();
        c.setPosition(15);
        Notebook()->setTextCursor(c);
        QList<int> found;
        for (int i = 0; i < 4; ++i) {
            form->FindDialog1->FindNext->click();
            found << Notebook()->textCursor().selectionStart();
        }
        QCOMPARE(found, QList<int>({12, 24, 36, 36})); // inside a word too; then nothing more
        QCOMPARE(Notebook()->textCursor().selectedText(), QString("Cuaderno"));
        // Without a selection it starts from the top again.
        c = Notebook()->textCursor();
        c.clearSelection();
        Notebook()->setTextCursor(c);
        form->BuscarSiguiente1->trigger(); // F3
        QCOMPARE(Notebook()->textCursor().selectionStart(), 12);
        // Not found: nothing changes.
        form->FindDialog1->FindText->setText("inexistente");
        form->FindDialog1Find();
        QCOMPARE(Notebook()->textCursor().selectionStart(), 12);
        QCOMPARE(form->FindDialog1->FindText->maxLength(), 255);
    }

    void fontAppliesToTheNotebookOnly()
    {
        QList<QFont> offered;
        prompter->DialogAnswer = [&offered](QDialog& dialog) {
            auto& fonts = static_cast<TFontDialog&>(dialog);
            offered << fonts.InitialFont();
            QFont f("DejaVu Serif");
            f.setPointSize(14);
            fonts.Fonts->setCurrentFont(f);
            return int(QDialog::Accepted);
        };
        const QFont results = form->memo1->font();
        form->FuenteClick();
        QCOMPARE(offered[0].family(), QString("Tahoma"));
        QCOMPARE(offered[0].pointSize(), 8);
        QCOMPARE(Notebook()->font().pointSize(), 14);
        QCOMPARE(form->memo1->font(), results);
        form->FuenteClick();
        QCOMPARE(offered[1].pointSize(), 14); // the last choice is remembered
        prompter->DialogAnswer = [](QDialog&) { return int(QDialog::Rejected); };
        form->FuenteClick();
        QCOMPARE(Notebook()->font().pointSize(), 14);
    }

    void anUnknownCodePageIsNamedInTheStatusBarAndPastedTextIsComposed()
    {
        fileAnswers << QString(ZENTROVA_TEST_DATA) + "/lectura/codigo-desconocido.rtf";
        form->AbrirClick();
        QVERIFY(failures.isEmpty());
        QVERIFY(form->statusBar()->currentMessage().startsWith("Código de página "));
        QVERIFY(form->statusBar()->currentMessage().endsWith(" desconocido: leído como Windows-1252"));
        // A letter and its combining accent, as copied from a PDF, are pasted
        // as the letter typed; in the expression box too.
        QApplication::clipboard()->setText(QString::fromUtf8("an\u0303o=2"));
        Notebook()->clear();
        Notebook()->paste();
        QCOMPARE(Notebook()->toPlainText(), QString::fromUtf8("año=2"));
        form->Memo3->clear();
        form->Memo3->paste();
        QCOMPARE(form->Memo3->toPlainText(), QString::fromUtf8("año=2"));
    }

    void openingAFileClearsUndo()
    {
        QFile f(Path("deshacer.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("a=1\n");
        f.close();
        fileAnswers << Path("deshacer.txt");
        form->AbrirClick();
        QVERIFY(!Notebook()->document()->isUndoAvailable());
        // A typed name of a missing file is refused with the system's reason.
        fileAnswers << Path("no-hay.txt");
        form->AbrirClick();
        QVERIFY(failures.last().startsWith("Cannot open file"));
        QCOMPARE(Notebook()->toPlainText(), QString("a=1"));
    }

    void pagesBeginOnlyWhenALineFollows()
    {
        using V = std::vector<int>;
        QCOMPARE(TNotebookCommands::PageStarts(0, 10, 100), V({0}));
        QCOMPARE(TNotebookCommands::PageStarts(10, 10, 100), V({0}));     // exactly one full page: no empty page
        QCOMPARE(TNotebookCommands::PageStarts(11, 10, 100), V({0, 10}));
        QCOMPARE(TNotebookCommands::PageStarts(25, 10, 95), V({0, 10, 20}));
    }

    void printsTheScreenLinesToPdf()
    {
        const QString pdf = Path("cuaderno.pdf");
        prompter->DialogAnswer = [&pdf](QDialog& dialog) {
            QPrinter& printer = *static_cast<QPrintDialog&>(dialog).printer();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return int(QDialog::Accepted);
        };
        auto pages = [&pdf] {
            QFile f(pdf);
            if (!f.open(QIODevice::ReadOnly)) return -1;
            return static_cast<int>(f.readAll().count("/Type /Page\n"));
        };
        // An empty notebook still makes a print job.
        form->ToolButton11Click();
        QCOMPARE(pages(), 1);
        QStringList lines;
        for (int i = 0; i < 400; ++i) lines << QString("linea%1=%1").arg(i);
        Notebook()->setPlainText(lines.join('\n'));
        const QStringList screen = form->Notebook->ScreenLines();
        QCOMPARE(screen.size(), 400);
        form->Imprimir1->trigger();
        QVERIFY(pages() >= 3);
        QVERIFY(failures.isEmpty());
        // Lines that fill a page exactly give one page, not a second empty one.
        {
            QPrinter probe(QPrinter::HighResolution);
            probe.setOutputFormat(QPrinter::PdfFormat);
            probe.setOutputFileName(Path("probe.pdf"));
            QPainter painter(&probe);
            QFont font = QApplication::font();
            font.setPointSize(8);
            painter.setFont(font);
            const int perPage = (painter.viewport().height() + painter.fontMetrics().height() - 1) /
                                painter.fontMetrics().height();
            painter.end();
            QStringList full;
            for (int i = 0; i < perPage; ++i) full << QString("l%1").arg(i);
            Notebook()->setPlainText(full.join('\n'));
            form->Imprimir1->trigger();
            QCOMPARE(pages(), 1);
            Notebook()->setPlainText(full.join('\n') + "\nuna más");
            form->Imprimir1->trigger();
            QCOMPARE(pages(), 2);
        }
        // A paragraph wider than the pane prints as the pane shows it.
        Notebook()->setPlainText(QString("palabra ").repeated(60));
        QVERIFY(form->Notebook->ScreenLines().size() > 1);
    }
};

QTEST_MAIN(NotebookTest)
#include "NotebookTest.moc"
