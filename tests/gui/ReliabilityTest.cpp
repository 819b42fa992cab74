// Input that could grow without a bound or hang the window, and copies that
// must come back: FIFOs and devices chosen as notebooks, the program's own
// recovery copy past the notebook limits or with damaged results, a copy
// that cannot be written, a copy left on another computer, the bounded
// results pane, and the history file shared by two windows, oversized or
// locked by another.
#include "codec/Rtf.h"
#include "notebook/RecoveryFile.h"
#include "notebook/RecoveryOffer.h"
#include "workspace/Application.h"
#include "workspace/ExpressionHistory.h"
#include "workspace/MainForm.h"
#include "workspace/ResultCommands.h"
#include "RecoveryTestSupport.h"
#include "TestPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLockFile>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QStringList Copies()
{
    QStringList paths;
    for (const recovery::TLeftCopy& copy : recovery::ListCopies(recovery::Folder())) paths << copy.Path;
    return paths;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) qFatal("cannot write %s", qPrintable(path));
}

// A recovery copy of `lines` notebook lines (the first "a=1"), written
// `minutesAgo`, with results that are RTF or not.
QString LeaveCopy(const QString& id, int lines, bool goodResults, int minutesAgo)
{
    notebook::TRichDocument rich;
    rich.Lines.resize(static_cast<std::size_t>(lines));
    rich.Lines[0].Runs.push_back({});
    rich.Lines[0].Runs[0].Text = "a=1";
    recovery::TCopy copy;
    copy.Notebook = notebook::WriteRtf(rich);
    copy.Results = goodResults ? notebook::WriteRtf({}) : std::string("no es RTF");
    copy.Expression = "a*2";
    QDir().mkpath(recovery::Folder());
    const QString path = QDir(recovery::Folder()).filePath(id + recovery::kCopySuffix);
    WriteFile(path, recovery::Encode(copy));
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    file.setFileTime(QDateTime::currentDateTime().addSecs(-60 * minutesAgo), QFileDevice::FileModificationTime);
    return path;
}


QStringList HistoryLines()
{
    const QByteArray bytes = Contents(TExpressionHistory::FilePath());
    QStringList lines = QString::fromUtf8(bytes).split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

// Walks a history from the newest entry back to the oldest.
QStringList Walk(TExpressionHistory& history)
{
    QStringList entries;
    while (const std::optional<QString> entry = history.Older(QString())) entries.prepend(*entry);
    return entries;
}

void SetRemembered(bool on)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Zentrova", "Zentrova");
    if (on) settings.setValue(TExpressionHistory::kSettingsKey, true);
    else settings.remove(TExpressionHistory::kSettingsKey);
    settings.sync();
}

} // namespace

class ReliabilityTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> home; // the data and settings folders of each test
    QStringList failures;
    // Message boxes and dialogs: failures kept, the save question answered
    // No, the open dialog answered with `openPath`.
    std::unique_ptr<TTestPrompter> prompter;
    static inline QString openPath;

    std::unique_ptr<Tdemoform> Start()
    {
        auto form = std::make_unique<Tdemoform>();
        StartWindows(*form);
        if (!QTest::qWaitForWindowExposed(form.get())) qFatal("the window did not appear");
        return form;
    }
    static void Open(Tdemoform& form, const QString& path)
    {
        openPath = path;
        form.activateWindow();
        if (!QTest::qWaitForWindowActive(&form)) qFatal("the window is not active");
        QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier); // "Abrir"
    }
    static void Paste(QWidget* pane, const QString& text)
    {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
    }

private slots:
    void init()
    {
        home = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", home->filePath("datos").toUtf8());
        qputenv("XDG_CONFIG_HOME", home->filePath("config").toUtf8());
        failures.clear();
        prompter = std::make_unique<TTestPrompter>();
        prompter->OnFailure = [this](const QString& text) { failures << text; };
        prompter->Answer = [](const prompts::TQuestion& q) {
            return q.Name == "PreguntaGuardar" ? QMessageBox::No : q.Escape;
        };
        prompter->ChooseFileAnswer = [](const prompts::TFileChoice&) { return openPath; };
    }

    void cleanup() { prompter.reset(); }

    void onlyRegularFilesAreOpened_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("FIFO") << "fifo" << "no es un archivo normal, sino una tubería con nombre (FIFO)";
        QTest::newRow("/dev/zero") << "device" << "no es un archivo normal, sino un dispositivo";
        QTest::newRow("carpeta") << "folder" << "no es un archivo normal, sino una carpeta";
    }
    void onlyRegularFilesAreOpened()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QString path = home->filePath("tuberia.txt");
        if (kind == "fifo") QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0); // no writer: open() would wait
        else if (kind == "device") path = "/dev/zero";
        else QVERIFY(QDir().mkpath(path));
        auto form = Start();
        QTest::keyClicks(form->vars, "se=queda");
        Open(*form, path);
        QCOMPARE(failures, QStringList{"No se puede abrir «" + QDir::toNativeSeparators(path) + "»: " + message +
                                       ". El cuaderno en pantalla no cambia."});
        QCOMPARE(form->vars->toPlainText(), QString("se=queda"));
        QVERIFY(form->vars->document()->isModified());
        // The window goes on and can be closed.
        QVERIFY(form->close());
    }

    void theProgramsOwnCopyComesBackPastTheLimits()
    {
        // One line past the notebook limit, and results that cannot be read.
        LeaveCopy("grande", static_cast<int>(notebook::kMaxNotebookLines) + 1, false, 3);
        TAnswers answers;
        answers.Answers << "Sí";
        auto form = Start();
        QTRY_COMPARE_WITH_TIMEOUT(answers.Texts.size(), 1, 60000);
        QVERIFY2(answers.Texts[0].endsWith("(1000001 líneas). ¿Desea recuperarlo?"), qPrintable(answers.Texts[0]));
        QTRY_COMPARE_WITH_TIMEOUT(form->vars->document()->blockCount(), 1000001, 60000);
        QCOMPARE(form->vars->document()->firstBlock().text(), QString("a=1"));
        QVERIFY(form->vars->document()->isModified());
        QCOMPARE(form->Memo3->toPlainText(), QString("a*2"));
        QVERIFY(form->memo1->document()->isEmpty());
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures[0].startsWith("Los resultados de la copia de recuperación del ") &&
                     failures[0].endsWith("están dañados; se ha recuperado el cuaderno sin ellos."),
                 qPrintable(failures[0]));
        // Now in this window's copy, and nothing set aside.
        QCOMPARE(Copies(), QStringList{form->Recovery->Path()});
        QCOMPARE(QDir(recovery::Folder()).entryList({"*.danada"}), QStringList());
        form->vars->document()->setModified(false);
    }

    void aCopyLeftOnAnotherComputerIsOfferedOnceItStoodStill_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("minutesAgo");
        QTest::addColumn<bool>("offered");
        QTest::newRow("otro equipo, copia de hace 10 minutos") << "otro-equipo" << 10 << true;
        QTest::newRow("otro equipo, copia reciente") << "otro-equipo" << 1 << false;
        QTest::newRow("este equipo, ventana viva") << QString() << 10 << false;
    }
    void aCopyLeftOnAnotherComputerIsOfferedOnceItStoodStill()
    {
        QFETCH(QString, host);
        QFETCH(int, minutesAgo);
        QFETCH(bool, offered);
        const QString copy = LeaveCopy("lejos", 1, true, minutesAgo);
        const QString lock = QDir(recovery::Folder()).filePath(QString("lejos") + recovery::kLockSuffix);
        QLockFile alive(lock); // a window of this process: alive
        if (host.isEmpty()) {
            QVERIFY(alive.tryLock(0));
        } else { // as QLockFile writes it there: process, program, computer
            WriteFile(lock, QString("4242\nzentrova\n%1\n").arg(host).toUtf8());
            QFile file(lock);
            file.open(QIODevice::ReadWrite);
            file.setFileTime(QDateTime::currentDateTime().addSecs(-60 * minutesAgo), QFileDevice::FileModificationTime);
        }
        TAnswers answers;
        answers.Answers << "No";
        auto form = Start();
        QTest::qWait(300);
        QCOMPARE(answers.Texts.size(), offered ? 1 : 0);
        QCOMPARE(QFile::exists(copy), !offered); // No deletes it
        QCOMPARE(QFile::exists(lock), !offered); // and its lock goes
    }

    void aCopyThatCannotBeWrittenIsToldAndTriedAgain()
    {
        auto form = Start();
        const QString path = form->Recovery->Path();
        // A file where the data folder should be made.
        QDir().mkpath(QFileInfo(recovery::Folder()).absolutePath());
        WriteFile(recovery::Folder(), "ocupado");
        QTest::keyClicks(form->vars, "a=1");
        const QString cannot = "No se puede guardar la copia de recuperación del cuaderno en «" +
                               QDir::toNativeSeparators(recovery::Folder()) + "»";
        QTRY_VERIFY(form->statusBar()->currentMessage().startsWith(cannot));
        QVERIFY2(form->statusBar()->currentMessage().endsWith("(no se puede crear la carpeta); se volverá a intentar."),
                 qPrintable(form->statusBar()->currentMessage()));
        // Said once: the next change says nothing new.
        form->statusBar()->clearMessage();
        QTest::keyClicks(form->vars, "2");
        QTest::qWait(TRecoveryCopy::kDelayMs + 300);
        QCOMPARE(form->statusBar()->currentMessage(), QString());
        // The folder can be made again: the next change writes the copy.
        QVERIFY(QFile::remove(recovery::Folder()));
        QTest::keyClicks(form->vars, "3");
        QTRY_VERIFY_WITH_TIMEOUT(Contents(path).contains("a=123"), 6000);
        QTRY_COMPARE(form->statusBar()->currentMessage(), QString("La copia de recuperación del cuaderno se guarda de nuevo."));

        // A full disk: told, the old copy kept, and written again once there is room.
        {
            TFileSizeLimit limit(4096);
            Paste(form->vars, QString("\nv=1").repeated(5000));
            QTRY_VERIFY_WITH_TIMEOUT(form->statusBar()->currentMessage().startsWith(cannot), 6000);
            QVERIFY(Contents(path).contains("a=123"));
        }
        QTRY_VERIFY_WITH_TIMEOUT(Contents(path).contains("v=1"), 6000);
        QTRY_COMPARE(form->statusBar()->currentMessage(), QString("La copia de recuperación del cuaderno se guarda de nuevo."));
        form->vars->document()->setModified(false);
    }

    void theFirstChangeIsCopiedAtOnce()
    {
        auto form = Start();
        QTest::keyClicks(form->vars, "b=2");
        // Well before the delay between two copies.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(form->Recovery->Path()), TRecoveryCopy::kDelayMs - 800);
        form->vars->document()->setModified(false);
    }

    void theResultsPaneKeepsItsBound()
    {
        auto form = Start();
        // Many short lines: the oldest go past the line bound.
        for (int i = 0; i < TResultCommands::kMaxLines + 5; ++i) {
            form->Memo3->setPlainText(QString::number(i));
            QTest::keyClick(form->Memo3, Qt::Key_Return);
        }
        QTextDocument* results = form->memo1->document();
        QCOMPARE(results->blockCount(), TResultCommands::kMaxLines);
        QCOMPARE(results->firstBlock().text(), QString("1004 =   1004"));
        QCOMPARE(results->lastBlock().text(), QString("5 =   5"));
        // Long lines: the character bound, the newest line kept whole.
        QString sum = "1";
        while (sum.size() < 60000) sum += "+1";
        for (int i = 0; i < 12; ++i) {
            form->Memo3->clear();
            Paste(form->Memo3, sum);
            QTest::keyClick(form->Memo3, Qt::Key_Return);
        }
        QVERIFY(results->characterCount() <= TResultCommands::kMaxCharacters);
        QVERIFY(results->blockCount() >= 2);
        QVERIFY(results->firstBlock().text().endsWith("=   " + QString::number(sum.count(QChar('1')))));
        // Each line still gives back what it was calculated from.
        form->memo1->setTextCursor(QTextCursor(results->firstBlock().next()));
        form->Results->UsarExpresion->trigger();
        QCOMPARE(form->Memo3->toPlainText(), sum);
        // A line the user changed gives what stands left of " =   ".
        QTextCursor edit(results->firstBlock().next());
        edit.insertText("2+");
        form->memo1->setTextCursor(edit);
        form->Results->UsarExpresion->trigger();
        QVERIFY(form->Memo3->toPlainText().startsWith("2+1 + 1 + 1"));
    }

    void twoWindowsShareOneHistory()
    {
        TExpressionHistory first, second; // two windows, history off in both
        first.SetRemembered(true);
        first.Add("1+1");
        first.Add("2+2");
        second.Add("3+3"); // only in memory: off here
        QCOMPARE(HistoryLines(), (QStringList{"1+1", "2+2"}));
        second.SetRemembered(true); // merged, not written over
        QCOMPARE(HistoryLines(), (QStringList{"1+1", "2+2", "3+3"}));
        QCOMPARE(Walk(second), (QStringList{"1+1", "2+2", "3+3"}));
        first.Add("4+4");
        second.Add("5+5");
        TExpressionHistory next; // the next session
        QCOMPARE(Walk(next), (QStringList{"1+1", "2+2", "3+3", "4+4", "5+5"}));
    }

    void theHistoryNeverWaitsForItsLock()
    {
        TExpressionHistory history;
        history.SetRemembered(true);
        history.Add("1+1");
        {
            // Another window holds the lock (for less than its stale time).
            QLockFile other(TExpressionHistory::FilePath() + ".lock");
            QVERIFY(other.tryLock(0));
            QElapsedTimer clock;
            clock.start();
            history.Add("2+2");
            QVERIFY(history.Pending());
            QCOMPARE(HistoryLines(), QStringList{"1+1"});
            QTest::qWait(TExpressionHistory::kRetryMs * 2);
            QCOMPARE(HistoryLines(), QStringList{"1+1"});
        }
        QTRY_COMPARE(HistoryLines(), (QStringList{"1+1", "2+2"}));
        QVERIFY(!history.Pending());
    }

    void anOversizedHistoryIsReadFromItsEndAndWrittenShort_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("newest"); // the last entries kept
        QTest::addColumn<int>("entries");
        QTest::addColumn<bool>("rewritten");
        QByteArray many, few;
        for (int i = 0; i < 50000; ++i) many += "e" + QByteArray::number(i) + "\n";
        for (int i = 0; i < 1500; ++i) few += "f" + QByteArray::number(i) + "\n";
        QByteArray tooLong = QByteArray(1000001, 'x') + "\n";
        QTest::newRow("50000 entradas") << many << QStringList{"e49998", "e49999"} << 1000 << true;
        QTest::newRow("1500 entradas") << few << QStringList{"f1498", "f1499"} << 1000 << false;
        QTest::newRow("una línea demasiado larga entre ellas")
            << QByteArray("a\nb\n") + tooLong + "c\n" << QStringList{"a", "b", "c"} << 3 << true;
        QTest::newRow("12 MB sin salto de línea") << QByteArray(12 << 20, 'y') << QStringList{} << 0 << true;
        QTest::newRow("la más reciente, demasiado larga") << QByteArray("a\n") + tooLong << QStringList{"a"} << 1 << true;
    }
    void anOversizedHistoryIsReadFromItsEndAndWrittenShort()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, newest);
        QFETCH(int, entries);
        QFETCH(bool, rewritten);
        SetRemembered(true);
        QDir().mkpath(QFileInfo(TExpressionHistory::FilePath()).absolutePath());
        WriteFile(TExpressionHistory::FilePath(), bytes);
        TExpressionHistory history;
        const QStringList walked = Walk(history);
        QCOMPARE(walked.size(), entries);
        QCOMPARE(walked.mid(walked.size() - newest.size()), newest);
        // Written anew, short, when it held much more than it is good for.
        if (rewritten) QCOMPARE(HistoryLines(), walked);
        else QCOMPARE(Contents(TExpressionHistory::FilePath()), bytes);
    }

    void aFifoAsTheHistoryIsNotWaitedFor()
    {
        SetRemembered(true);
        QDir().mkpath(QFileInfo(TExpressionHistory::FilePath()).absolutePath());
        QCOMPARE(::mkfifo(QFile::encodeName(TExpressionHistory::FilePath()).constData(), 0600), 0);
        TExpressionHistory history; // would block in open() if it waited
        QCOMPARE(Walk(history), QStringList());
        QVERIFY(QFileInfo(TExpressionHistory::FilePath()).exists());
        QFile::remove(TExpressionHistory::FilePath());
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Zentrova"); // the program's data folder
    QApplication::setQuitOnLastWindowClosed(false);
    ReliabilityTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ReliabilityTest.moc"
