// No work is lost: the recovery copy of an unsaved notebook across runs
// (the program ended by SIGKILL or SIGTERM, then started again), copies of
// running windows, several and damaged copies, a save that fails while
// replacing a notebook, the session's end, a reading that fails, notebooks
// past the limits, and the snapshots the copy is made from.
//
// The first run is this program started again as a child with
// "--primera-ejecucion": it runs the desktop program's own start-up and
// types into its window.  The second run is the start-up of this process,
// whose questions are answered with mouse clicks.
#include "RecoveryTestSupport.h"
#include "TestPrompter.h"
#include "codec/Rtf.h"
#include "notebook/DocumentSnapshot.h"
#include "notebook/NotebookReading.h"
#include "notebook/NotebookPane.h"
#include "notebook/RichTextAdapter.h"
#include "notebook/RecoveryFile.h"
#include "plot/PlotModel.h"
#include "plot/PlotView.h"
#include "workspace/Application.h"
#include "workspace/MainForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QMessageBox>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QToolButton>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

constexpr char kFirstRun[] = "--primera-ejecucion";
constexpr char kHeavyDrawing[] = "--dibujo-pesado";

// Types the text key by key, letters beyond ASCII with their text.
void Type(QWidget* widget, const QString& text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) QTest::keyClick(widget, ch.toLatin1());
        else QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// The first run: the program types two notebook lines, a calculation and
// an expression it does not send, says so, and waits to be ended.
int FirstRun(int argc, char** argv)
{
    return RunZentrova(argc, argv, [](Tdemoform& form) {
        QTimer::singleShot(0, &form, [&form] {
            QTest::keyClicks(form.vars, "r=2");
            QTest::keyClick(form.vars, Qt::Key_Return);
            Type(form.vars, "nota: área");
            QTest::keyClicks(form.Memo3, "pi*r^2");
            QTest::keyClick(form.Memo3, Qt::Key_Return);
            QTest::mouseClick(form.ToolButton3, Qt::LeftButton); // "Nuevo calculo"
            QTest::keyClicks(form.Memo3, "r+1");
            std::printf("escrito\n");
            std::fflush(stdout);
        });
    });
}

// A first run that draws six notebook functions of 131,072 sines a value
// (seventeen levels of h(t) = g(t)*0.5 + g(t)*0.5, the most the engine
// takes): their picture takes minutes; it says when the drawing has begun
// and waits to be ended.
int HeavyDrawingRun(int argc, char** argv)
{
    return RunZentrova(argc, argv, [](Tdemoform& form) {
        QTimer::singleShot(0, &form, [&form] {
            QString notebook = "ha(t)=sin t\n";
            for (char level = 'b'; level <= 'r'; ++level)
                notebook += QString("h%1(t)=h%2(t)*0.5+h%2(t)*0.5\n").arg(QChar(level)).arg(QChar(level - 1));
            form.vars->setPlainText(notebook);
            form.vars->document()->setModified(true); // as typed
            QTest::mouseClick(form.ToolButton6, Qt::LeftButton);
            TPlotView* view = form.Panel3;
            QTest::keyClicks(view->Edit1, "hr(x); hr(x)+1; hr(x)+2; hr(x)+3; hr(x)+4; hr(x)+5");
            QTest::mouseClick(view->Button1, Qt::LeftButton);
            auto* poll = new QTimer(&form);
            QObject::connect(poll, &QTimer::timeout, &form, [view, poll] {
                if (!view->Model->Drawing()) return;
                poll->stop();
                std::printf("dibujando\n");
                std::fflush(stdout);
            });
            poll->start(10);
        });
    });
}

QStringList Copies()
{
    QStringList paths;
    for (const recovery::TLeftCopy& copy : recovery::ListCopies(recovery::Folder())) paths << copy.Path;
    return paths;
}


QColor ColourAt(QTextDocument* document, int position)
{
    QTextCursor c(document);
    c.setPosition(position + 1);
    return c.charFormat().foreground().color();
}

} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> home; // the data folder of each test
    std::unique_ptr<TTestPrompter> prompter;
    bool saveAnswer = false; // the answer to the save question
    QStringList failures;

    QProcess* StartFirstRun(const char* mode = kFirstRun, const char* said = "escrito")
    {
        auto* first = new QProcess(this);
        first->setProgram(QCoreApplication::applicationFilePath());
        first->setArguments({mode});
        first->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        first->start(); // with this process's environment: the same data folder
        if (!first->waitForStarted()) qFatal("the first run did not start");
        while (!first->readAllStandardOutput().contains(said))
            if (!first->waitForReadyRead(20000)) qFatal("the first run did not get where it says so");
        return first;
    }
    // A window started as the program starts it, its failures kept.
    std::unique_ptr<Tdemoform> Start()
    {
        auto form = std::make_unique<Tdemoform>();
        StartWindows(*form);
        if (!QTest::qWaitForWindowExposed(form.get())) qFatal("the window did not appear");
        return form;
    }
    // The keyboard shortcuts of the window, once it is the active one.
    static void Shortcut(Tdemoform& form, Qt::Key key)
    {
        form.activateWindow();
        if (!QTest::qWaitForWindowActive(&form)) qFatal("the window is not active");
        QTest::keyClick(&form, key, Qt::ControlModifier);
    }
    // As the window's close button does it.
    void Close(Tdemoform& form, bool save)
    {
        saveAnswer = save;
        form.windowHandle()->close();
    }
    void Open(Tdemoform& form, const QString& path)
    {
        prompter->ChooseFileAnswer = [path](const prompts::TFileChoice&) { return path; };
        Shortcut(form, Qt::Key_O); // "Abrir"
    }
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = home->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void init()
    {
        home = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", home->path().toUtf8());
        failures.clear();
        prompter.reset(); // the last test's, before this one's takes its place
        prompter = std::make_unique<TTestPrompter>();
        prompter->OnFailure = [this](const QString& text) { failures << text; };
        saveAnswer = false;
        prompter->Answer = [this](const prompts::TQuestion& question) {
            if (question.Name != "PreguntaGuardar") return QMessageBox::Yes; // replacing a file
            return saveAnswer ? QMessageBox::Yes : QMessageBox::No;
        };
    }

    void aNotebookComesBackAfterTheProgramIsEnded_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("kill -9 tras escribir la copia") << int(SIGKILL);
        QTest::newRow("kill -TERM al momento") << int(SIGTERM);
    }
    void aNotebookComesBackAfterTheProgramIsEnded()
    {
        QFETCH(int, signal);
        QProcess* first = StartFirstRun();
        if (signal == SIGKILL) QTRY_COMPARE_WITH_TIMEOUT(Copies().size(), 1, 6000);
        ::kill(static_cast<pid_t>(first->processId()), signal);
        QVERIFY(first->waitForFinished(10000));
        QCOMPARE(first->exitStatus(), QProcess::CrashExit); // ended by the signal, as without a handler
        const QStringList left = Copies();
        QCOMPARE(left.size(), 1);

        TAnswers answers;
        answers.Answers << "Sí";
        auto form = Start();
        QTRY_COMPARE(answers.Texts.size(), 1);
        QVERIFY(answers.Texts[0].startsWith("Zentrova se cerró sin guardar el cuaderno el "));
        QVERIFY(answers.Texts[0].endsWith("(2 líneas). ¿Desea recuperarlo?"));
        // The notebook, marked unsaved; the results with their colours; the
        // expression; and the first calculation works on them.
        QCOMPARE(form->vars->toPlainText(), QString("r=2\nnota: área"));
        QVERIFY(form->vars->document()->isModified());
        QCOMPARE(form->memo1->document()->firstBlock().text(), QString("pi * r ^ 2 =   12.5663706"));
        QCOMPARE(ColourAt(form->memo1->document(), 0), QColor(220, 40, 0));
        QCOMPARE(ColourAt(form->memo1->document(), 16), QColor(0, 0, 255));
        QCOMPARE(form->Memo3->toPlainText(), QString("r+1"));
        QTest::keyClick(form->Memo3, Qt::Key_Return);
        QCOMPARE(form->memo1->document()->firstBlock().text(), QString("r + 1 =   3"));
        // The window's own copy holds it now.
        QCOMPARE(Copies(), QStringList{form->Recovery->Path()});
        QVERIFY(failures.isEmpty());

        // Dealt with (No at the end): nothing is asked at the next start.
        Close(*form, false);
        QVERIFY(!form->isVisible());
        QCOMPARE(Copies(), QStringList());
        form.reset();
        auto next = Start();
        QTest::qWait(300);
        QCOMPARE(answers.Texts.size(), 1);
        QCOMPARE(Copies(), QStringList());
    }

    // The window's thread is free while a heavy function draws: TERM ends
    // the program long before the picture would be ready, and the notebook
    // is kept for the next start.
    void termEndsTheProgramWhileAHeavyFunctionDraws()
    {
        QProcess* first = StartFirstRun(kHeavyDrawing, "dibujando");
        ::kill(static_cast<pid_t>(first->processId()), SIGTERM);
        QVERIFY(first->waitForFinished(20000));
        QCOMPARE(first->exitStatus(), QProcess::CrashExit);
        QCOMPARE(Copies().size(), 1);
        const std::optional<recovery::TCopy> copy = recovery::Decode(Contents(Copies()[0]));
        QVERIFY(copy && copy->Notebook.find("hr(t)=hq(t)*0.5+hq(t)*0.5") != std::string::npos);
    }

    void aRunningWindowsCopyIsNotOfferedAndNoDiscardsOne()
    {
        QProcess* first = StartFirstRun();
        QTRY_COMPARE_WITH_TIMEOUT(Copies().size(), 1, 6000);
        const QString copy = Copies()[0];
        TAnswers answers;
        {
            auto second = Start();
            QTest::qWait(300);
            QCOMPARE(answers.Texts.size(), 0); // its window runs
            QVERIFY(QFile::exists(copy));
        }
        first->kill();
        QVERIFY(first->waitForFinished(10000));
        auto third = Start();
        QTRY_COMPARE(answers.Texts.size(), 1); // answered No
        QVERIFY(!QFile::exists(copy));
        QVERIFY(third->vars->document()->isEmpty());
        QCOMPARE(Copies(), QStringList());
        QCOMPARE(QDir(recovery::Folder()).entryList(QDir::Files), QStringList()); // its lock too
    }

    void severalCopiesComeNewestFirstAndADamagedOneIsSetAside()
    {
        QVERIFY(QDir().mkpath(recovery::Folder()));
        auto copyOf = [](const QStringList& lines) {
            notebook::TRichDocument rich;
            for (const QString& line : lines) {
                notebook::TRun run;
                run.Text = line.toStdString();
                run.Colour = 0x0064C8u;
                rich.Lines.push_back({{run}});
            }
            recovery::TCopy copy;
            copy.Notebook = notebook::WriteRtf(rich);
            copy.Results = notebook::WriteRtf({});
            copy.Expression = lines[0];
            return recovery::Encode(copy);
        };
        const QDateTime now = QDateTime::currentDateTime();
        const struct {
            const char* id;
            QByteArray bytes;
            int minutesAgo;
        } files[] = {{"viejo", copyOf({"a=1", "b=2", "c=3"}), 30},
                     {"nuevo", copyOf({"d=4"}), 20},
                     {"roto", copyOf({"e=5"}).chopped(5), 10}};
        for (const auto& f : files) {
            QFile file(QDir(recovery::Folder()).filePath(QString(f.id) + ".copia"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(f.bytes);
            QVERIFY(file.setFileTime(now.addSecs(-60 * f.minutesAgo), QFileDevice::FileModificationTime));
        }
        TAnswers answers;
        answers.Answers << "No" << "Sí";
        auto form = Start();
        QTRY_COMPARE(answers.Texts.size(), 2);
        QVERIFY(answers.Texts[0].contains("(1 línea)"));  // "nuevo", declined
        QVERIFY(answers.Texts[1].contains("(3 líneas)")); // "viejo", recovered
        QCOMPARE(form->vars->toPlainText(), QString("a=1\nb=2\nc=3"));
        QCOMPARE(ColourAt(form->vars->document(), 0), QColor(0, 100, 200));
        QCOMPARE(form->Memo3->toPlainText(), QString("a=1"));
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures[0].startsWith("La copia de recuperación del ") && failures[0].contains("está dañada"),
                 qPrintable(failures[0]));
        QVERIFY(QFile::exists(QDir(recovery::Folder()).filePath("roto.danada")));
        QCOMPARE(Copies(), QStringList{form->Recovery->Path()});
    }

    void onlyAWholeCopyIsRead()
    {
        // Without a file (as copies were written before they kept it) and with one.
        for (const QString& file : {QString(), QString("/home/ana/Cuadernos/física ñ.txt")}) {
            recovery::TCopy copy;
            copy.Expression = "x\n+ñ";
            copy.Results = "{\\rtf1 r\\par}";
            copy.Notebook = "{\\rtf1 n\\par}";
            copy.File = file;
            const QByteArray bytes = recovery::Encode(copy);
            QCOMPARE(bytes.contains("archivo "), !file.isEmpty());
            const std::optional<recovery::TCopy> back = recovery::Decode(bytes);
            QVERIFY(back);
            QCOMPARE(back->Expression, copy.Expression);
            QCOMPARE(back->Results, copy.Results);
            QCOMPARE(back->Notebook, copy.Notebook);
            QCOMPARE(back->File, file);
            // Cut anywhere, or with anything after it, it is damaged.
            for (qsizetype size = 0; size < bytes.size(); ++size)
                QVERIFY2(!recovery::Decode(bytes.left(size)), qPrintable(QString::number(size)));
            QVERIFY(!recovery::Decode(bytes + "x"));
            QByteArray lying = bytes;
            lying.replace("cuaderno 13", "cuaderno 99");
            QVERIFY(!recovery::Decode(lying));
        }
    }

    // A recovered notebook is its file's again, still unsaved: Ctrl+S
    // writes it in place.
    void aRecoveredNotebookKeepsItsFile()
    {
        QVERIFY(QDir().mkpath(recovery::Folder()));
        const QString path = Write("apuntes.txt", "contenido anterior");
        notebook::TRichDocument rich;
        notebook::TRun run;
        run.Text = "r=3";
        rich.Lines.push_back({{run}});
        recovery::TCopy copy;
        copy.Notebook = notebook::WriteRtf(rich);
        copy.Results = notebook::WriteRtf({});
        copy.File = path;
        QFile file(QDir(recovery::Folder()).filePath("dejada.copia"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(recovery::Encode(copy));
        file.close();
        TAnswers answers;
        answers.Answers << "Sí";
        auto form = Start();
        QTRY_COMPARE(answers.Texts.size(), 1);
        QCOMPARE(form->vars->toPlainText(), QString("r=3"));
        QCOMPARE(form->windowTitle(), QString("apuntes.txt[*] — Zentrova 4.0"));
        QVERIFY(form->isWindowModified());
        QTRY_VERIFY(recovery::Decode(Contents(form->Recovery->Path())).value_or(recovery::TCopy{}).File == path);
        form->Notebook->SaveNotebook();
        QVERIFY(Contents(path).contains("r=3"));
        QVERIFY(!form->isWindowModified());
    }

    void aFailedSaveOverANotebookKeepsItTheChangesAndTheCopy()
    {
        const QString path = Write("apuntes.txt", "contenido anterior");
        auto form = Start();
        QString text;
        for (int i = 0; i < 2000; ++i) text += QString("v%1=%1\n").arg(i);
        QApplication::clipboard()->setText(text);
        QTest::keyClick(form->vars, Qt::Key_V, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(form->Recovery->Path()), 6000);
        // A paste big enough to be made away from the screen keeps the copy
        // meanwhile, and reaches it.
        QApplication::clipboard()->setText(QString("w=2\n").repeated(TNotebookPane::kLargeText / 4));
        QTest::keyClick(form->vars, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(QFile::exists(form->Recovery->Path()));
        QTRY_VERIFY_WITH_TIMEOUT(Contents(form->Recovery->Path()).contains("w=2"), 6000);
        const QByteArray copy = Contents(form->Recovery->Path());
        QVERIFY(copy.contains("v1999=1999"));

        prompter->ChooseFileAnswer = [path](const prompts::TFileChoice&) { return path; };
        {
            TFileSizeLimit limit(4096); // the new notebook does not fit on the disk
            QTest::mouseClick(form->ToolButton10, Qt::LeftButton); // "Guardar cuaderno"
        }
        QCOMPARE(failures, QStringList{"Failed to Save Stream"});
        QCOMPARE(Contents(path), QByteArray("contenido anterior"));
        QVERIFY(form->vars->document()->isModified());
        QTest::qWait(TRecoveryCopy::kDelayMs + 500);
        QCOMPARE(Contents(form->Recovery->Path()), copy);

        // Yes at the end and the save dialog cancelled: the window and the copy stay.
        prompter->ChooseFileAnswer = [](const prompts::TFileChoice&) { return QString(); };
        Close(*form, true);
        QVERIFY(form->isVisible());
        QVERIFY(QFile::exists(form->Recovery->Path()));
        // Saved: the copy goes.
        prompter->ChooseFileAnswer = [path](const prompts::TFileChoice&) { return path; };
        QTest::mouseClick(form->ToolButton10, Qt::LeftButton);
        QTRY_VERIFY(!QFile::exists(form->Recovery->Path()));
        QVERIFY(Contents(path).contains("v1999=1999"));
        QCOMPARE(Copies(), QStringList());
    }

    void theSessionsEndWritesTheCopyAndAsksNothing()
    {
        auto form = Start();
        QTest::keyClicks(form->vars, "a=1");
        form->SessionEnding(); // as QGuiApplication::commitDataRequest delivers it
        QVERIFY(QFile::exists(form->Recovery->Path()));
        int asked = 0;
        prompter->Answer = [&asked](const prompts::TQuestion&) { return ++asked, QMessageBox::No; };
        QVERIFY(form->close());
        QCOMPARE(asked, 0);
        form.reset();
        QCOMPARE(Copies().size(), 1); // for the next start
    }

    void aReadingThatFailsLeavesTheNotebookOnScreen_data()
    {
        QTest::addColumn<bool>("onReadingThread");
        QTest::addColumn<int>("what");
        QTest::addColumn<QString>("message");
        QTest::newRow("sin memoria") << true << 0 << "no hay memoria suficiente para leerlo";
        QTest::newRow("longitud") << true << 1 << "no hay memoria suficiente para leerlo";
        QTest::newRow("cualquier cosa") << true << 2 << "la lectura falló";
        QTest::newRow("sin hilo") << false << 3 << "el sistema no permitió empezar la lectura";
    }
    void aReadingThatFailsLeavesTheNotebookOnScreen()
    {
        QFETCH(bool, onReadingThread);
        QFETCH(int, what);
        QFETCH(QString, message);
        const QString path = Write("bueno.txt", "a=2\n");
        auto form = Start();
        QTest::keyClicks(form->vars, "se=queda");
        form->Notebook->InjectReadingFault = [&](bool reading) {
            if (reading != onReadingThread) return;
            if (what == 0) throw std::bad_alloc();
            if (what == 1) throw std::length_error("vector");
            if (what == 2) throw 42;
            throw std::system_error(EAGAIN, std::generic_category());
        };
        Open(*form, path);
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures[0].startsWith("No se pudo abrir el cuaderno «" + QDir::toNativeSeparators(path) + "»: " + message),
                 qPrintable(failures[0]));
        QCOMPARE(form->vars->toPlainText(), QString("se=queda"));
        QVERIFY(form->vars->document()->isModified());
        // The window goes on: the same file opens without the failure.
        form->Notebook->InjectReadingFault = nullptr;
        Open(*form, path);
        QCOMPARE(form->vars->toPlainText(), QString("a=2"));
        QCOMPARE(failures.size(), 1);
    }

    void aNotebookPastALimitIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("64 MiB de saltos de línea")
            << QByteArray(64 << 20, '\n')
            << "El cuaderno pasa del límite de 1000000 líneas; el cuaderno en pantalla no cambia.";
        QTest::newRow("un byte más de 64 MiB")
            << QByteArray((64 << 20) + 1, 'a')
            << "El cuaderno pasa del límite de 64 MiB; el cuaderno en pantalla no cambia.";
    }
    void aNotebookPastALimitIsRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString path = Write("grande.txt", bytes);
        auto form = Start();
        QTest::keyClicks(form->vars, "se=queda");
        Open(*form, path);
        QCOMPARE(failures, QStringList{message});
        QCOMPARE(form->vars->toPlainText(), QString("se=queda"));
    }

    void snapshotsFollowEveryEdit()
    {
        // The tracker reads again only the blocks it saw change: after any
        // run of edits its snapshot is the one read whole.
        TNotebookPane pane;
        pane.resize(400, 300);
        pane.show();
        QTextDocument* document = pane.document();
        notebook::TSnapshotTracker tracker;
        tracker.Follow(*document);
        QRandomGenerator random(17);
        auto same = [&] {
            const std::string kept = notebook::WriteRtf(notebook::FromSnapshot(tracker.Take(*pane.document())));
            return kept == notebook::WriteRtf(notebook::FromTextDocument(*pane.document()));
        };
        for (int step = 0; step < 400; ++step) {
            QTextCursor c(document);
            c.setPosition(random.bounded(document->characterCount()));
            QTextCharFormat colour;
            colour.setForeground(QColor::fromRgb(random.bounded(0x1000000)));
            switch (random.bounded(7)) {
            case 0: c.insertText("x=" + QString::number(step), colour); break;
            case 1: c.insertBlock(); break;
            case 2: c.insertText(QString("a") + QChar::LineSeparator + "b"); break;
            case 3:
                c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, random.bounded(1, 30));
                c.removeSelectedText();
                break;
            case 4:
                c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, random.bounded(1, 30));
                c.mergeCharFormat(colour);
                break;
            case 5: document->isUndoAvailable() ? document->undo() : void(); break;
            default: break;
            }
            if (step % 7 == 0) QCoreApplication::processEvents(); // reading ahead among the edits
            if (step % 5 == 0) QVERIFY2(same(), qPrintable(QString("step %1").arg(step)));
            if (step == 200) { // a paste big enough to be made away from the screen
                QApplication::clipboard()->setText(QString("p=1\n").repeated(TNotebookPane::kLargeText / 4));
                pane.paste();
                QVERIFY(same());
            }
            if (step == 300) { // another document
                pane.ReplaceDocument(new QTextDocument);
                document = pane.document();
                QVERIFY(same());
            }
        }
    }
};

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], kFirstRun) == 0) return FirstRun(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], kHeavyDrawing) == 0) return HeavyDrawingRun(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Zentrova"); // the program's data folder
    QApplication::setQuitOnLastWindowClosed(false);
    RecoveryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "RecoveryTest.moc"
