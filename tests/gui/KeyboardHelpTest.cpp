// The on-screen keyboard, the About window and the help command in the main
// window, driven through their widgets.
#include "TestPrompter.h"
#include "help/AboutForm.h"
#include "help/HelpCommand.h"
#include "plot/NotablePointsDialog.h"
#include "plot/PlotView.h"
#include "workspace/Application.h"
#include "workspace/KeyboardForm.h"
#include "workspace/MainForm.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QTextDocument>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QToolButton>
#include <QApplication>
#include <QtTest>

// Receives the URLs the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void Open(const QUrl& url) { Urls << url; }
};

class KeyboardHelpTest : public QObject {
    Q_OBJECT

    Tdemoform* form = nullptr;
    std::unique_ptr<TTestPrompter> prompter;
    TForm5* keyboard = nullptr;
    QStringList failures;

    QAbstractButton* Key(const char* name) { return keyboard->Key(name); }

private slots:
    void init()
    {
        failures.clear();
        prompter = std::make_unique<TTestPrompter>();
        form = new Tdemoform;
        CreateSecondaryWindows(*form);
        keyboard = form->Form5;
        prompter->OnFailure = [this](const QString& text) { failures << text; };
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }
    void cleanup()
    {
        delete form;
        form = nullptr;
        prompter.reset();
    }

    void keysAsDesigned()
    {
        QCOMPARE(keyboard->Keys.size(), std::size_t{49});
        QVERIFY(!keyboard->isVisible());
        QCOMPARE(keyboard->ScrollBox1->width(), 132);
        QCOMPARE(keyboard->Panel2->text(), QString("TECLADO"));
        struct Row {
            const char* name;
            const char* caption;
            const char* inserts;
            QRect place;
        };
        const Row rows[] = {
            {"Button1", "7", "7", {3, 23, 40, 25}},          {"Button11", ".", ".", {44, 99, 78, 25}},
            {"SpeedButton6", "( ", "(", {42, 133, 40, 25}},  {"SpeedButton13", "nLog", " log", {3, 242, 60, 25}},
            {"SpeedButton29", "NSqrt", " NSqrt", {63, 242, 60, 25}}, {"SpeedButton25", "div", " div ", {3, 317, 60, 25}},
            {"SpeedButton17", "Max", " Max", {64, 317, 59, 25}},     {"SpeedButton30", "hypot", " hypot ", {64, 448, 58, 25}},
            {"SpeedButton8", "", "/", {3, 133, 40, 25}},     {"SpeedButton3", "10^", "10^", {82, 208, 40, 25}},
            {"SpeedButton31", "x", "x", {3, 473, 60, 25}},   {"SpeedButton32", ";", ";", {63, 473, 60, 25}},
            {"SpeedButton33", "comb", "comb(", {3, 498, 60, 25}}, {"SpeedButton36", "normal", "normal(", {63, 523, 60, 25}},
            {"SpeedButton38", "e", "e", {63, 548, 60, 25}},
        };
        for (const Row& r : rows) {
            QAbstractButton* key = Key(r.name);
            QVERIFY2(key, r.name);
            QCOMPARE(key->text(), QString(r.caption));
            QCOMPARE(key->property("inserts").toString(), QString(r.inserts));
            QCOMPARE(key->geometry(), r.place);
        }
        // Push buttons show no tooltip, the flat buttons their hint; no key
        // takes the focus, and each has a spoken name.
        int push = 0;
        for (QAbstractButton* key : keyboard->Keys) {
            const bool isPush = qobject_cast<QPushButton*>(key) != nullptr;
            push += isPush;
            QCOMPARE(key->toolTip().isEmpty(), isPush);
            QCOMPARE(key->focusPolicy(), Qt::NoFocus);
            QVERIFY(!key->accessibleName().isEmpty());
        }
        QCOMPARE(push, 11);
        QCOMPARE(Key("SpeedButton11")->toolTip(), QString("Mulplicación"));
        QVERIFY(!qobject_cast<QToolButton*>(Key("SpeedButton8"))->icon().isNull());
        QCOMPARE(Key("Button11")->font().pixelSize(), 24);
        QVERIFY(Key("Button11")->font().italic());
    }

    void keysTypeIntoTheExpressionBox()
    {
        // Docked, the keys type at the caret or over the selection.
        form->ToolButton7->click();
        form->Memo3->setFocus();
        form->Memo3->setPlainText("2+3");
        QTextCursor c = form->Memo3->textCursor();
        c.setPosition(0);
        c.setPosition(1, QTextCursor::KeepAnchor);
        form->Memo3->setTextCursor(c);
        Key("Button1")->click();
        QCOMPARE(form->Memo3->toPlainText(), QString("7+3"));
        QCOMPARE(form->Memo3->textCursor().position(), 1);
        form->Memo3->setPlainText("8");
        form->Memo3->moveCursor(QTextCursor::End);
        form->Memo3->setFocus();
        Key("SpeedButton13")->click();
        QCOMPARE(form->Memo3->toPlainText(), QString("8 log"));
        QVERIFY(form->Memo3->hasFocus()); // a flat button leaves the focus
        Key("SpeedButton25")->click();
        Key("Button8")->click();
        QCOMPARE(form->Memo3->toPlainText(), QString("8 log div 2"));
        // Typing hides the error strip.
        form->Memo3->setPlainText("1/0");
        form->CalcBtnClick();
        QVERIFY(form->Panel6->isVisible());
        Key("SpeedButton9")->click();
        QVERIFY(!form->Panel6->isVisible());
    }

    void aClickOnAKeyLeavesTheFocusInTheExpressionBox()
    {
        form->ToolButton7->click();
        QTest::mouseClick(form->Memo3, Qt::LeftButton);
        QVERIFY(form->Memo3->hasFocus());
        // Real clicks on a flat key, then on a digit key, at their places.
        for (const char* name : {"SpeedButton14", "Button5", "Button11"}) {
            QAbstractButton* key = Key(name);
            QTest::mouseClick(key, Qt::LeftButton, {}, key->rect().center());
            QVERIFY2(form->Memo3->hasFocus(), name);
        }
        QCOMPARE(form->Memo3->toPlainText(), QString("sin5."));
        // What is typed next goes to the expression box, and Enter calculates.
        QTest::keyClicks(QApplication::focusWidget(), "5+1");
        QCOMPARE(form->Memo3->toPlainText(), QString("sin5.5+1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(form->memo1->toPlainText(), QString("sin 5.5 + 1 =   1.09584575"));
    }

    void tecladoDocksAndGivesBack()
    {
        QCoreApplication::processEvents();
        const QRect work = form->ScrollBox1->geometry();
        form->ToolButton7->click();
        QCoreApplication::processEvents();
        QVERIFY(form->ToolButton7->isChecked());
        QVERIFY(keyboard->ScrollBox1->isVisible());
        QCOMPARE(keyboard->ScrollBox1->x(), 0);
        QCOMPARE(form->ScrollBox1->x(), 132);
        QVERIFY(keyboard->ScrollBox1->mapTo(form, QPoint(0, 0)).y() >= form->Memo3->mapTo(form, QPoint(0, form->Memo3->height())).y()); // below the expression box
        // Look-ups by name on the main window find its own work area.
        QCOMPARE(form->findChild<QWidget*>("ScrollBox1"), form->ScrollBox1);
        form->Resultadosparciales1->trigger(); // "Ver" > "Teclado": back
        QCoreApplication::processEvents();
        QVERIFY(!form->ToolButton7->isChecked());
        QVERIFY(!keyboard->ScrollBox1->isVisible());
        QCOMPARE(keyboard->ScrollBox1->parentWidget(), static_cast<QWidget*>(keyboard));
        QCOMPARE(form->ScrollBox1->geometry(), work);
        // F6 docks it and gives it back, the caret staying in the expression.
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        form->activateWindow();
        form->Memo3->setFocus();
        QTest::keyClick(form->windowHandle(), Qt::Key_F6);
        QCoreApplication::processEvents();
        QVERIFY(keyboard->Docked() && form->ToolButton7->isChecked());
        QVERIFY(form->Memo3->hasFocus());
        QTest::keyClick(form->windowHandle(), Qt::Key_F6);
        QCoreApplication::processEvents();
        QVERIFY(!keyboard->Docked());
    }

    void thePlotViewHidesTheKeys()
    {
        form->ToolButton7->click();
        form->ToolButton6Click();
        QVERIFY(!keyboard->ScrollBox1->isVisible());
        form->ToolButton6Click();
        QVERIFY(keyboard->ScrollBox1->isVisible());
        // Docked while the plot is shown: out of sight until it is left.
        form->ToolButton7->click();
        form->ToolButton6Click();
        form->Resultadosparciales1->trigger();
        QVERIFY(keyboard->Docked());
        QVERIFY(!keyboard->ScrollBox1->isVisible());
        form->ToolButton6Click();
        QVERIFY(keyboard->ScrollBox1->isVisible());
    }

    void aboutIsOneWindowThatHides()
    {
        TForm1* about = form->Form1;
        QVERIFY(!about->isVisible());
        form->AcercadeTervolix1->trigger();
        form->AcercadeTervolix1->trigger();
        QVERIFY(about->isVisible());
        QCOMPARE(form->findChildren<TForm1*>().size(), 1);
        QVERIFY(about->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!about->isModal());
        QCOMPARE(about->windowTitle(), QString("Acerca de"));
        QCOMPARE(about->Label1->text(), QString("Versión  4.0"));
        QCOMPARE(about->Image1->pixmap().size(), QSize(271, 69)); // the JPEG banner, decoded
        about->Button1->click();
        QVERIFY(!about->isVisible());
        form->AcercadeTervolix1->trigger();
        about->close();
        QVERIFY(!about->isVisible());
        QCOMPARE(form->findChildren<TForm1*>().size(), 1);
    }

    void helpOpensTheManualFromAnyWorkingFolder()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "Open");
        QTemporaryDir elsewhere;
        const QString before = QDir::currentPath();
        QDir::setCurrent(elsewhere.path());
        form->AyudasobreTervolix1->trigger();
        form->ToolButton8->click();
        QTest::keyClick(form, Qt::Key_F1);
        // The About window's label opens the manual too while the build has
        // no web address.
        if (form->Form1->Address.isEmpty()) form->Form1->Label2Click();
        QDir::setCurrent(before);
        QDesktopServices::unsetUrlHandler("file");
        QVERIFY(failures.isEmpty());
        QVERIFY(catcher.Urls.size() >= 3);
        for (const QUrl& url : catcher.Urls) {
            QVERIFY(url.isLocalFile());
            QVERIFY(QFileInfo(url.toLocalFile()).isAbsolute());
            QVERIFY(QFileInfo::exists(url.toLocalFile()));
            QVERIFY(url.toLocalFile().endsWith("/Zentrova4.html"));
        }
    }

    void aMissingManualIsReported()
    {
        QStringList messages;
        QVERIFY(!help::OpenManualAt(QString(), [&](const QString& m) { messages << m; }));
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains("Zentrova4.html"));
    }

    // No browser to start: said, with where the manual is.
    void withoutABrowserTheManualsPlaceIsGiven()
    {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
        QSKIP("the system always has a browser");
#endif
        const QByteArray path = qgetenv("PATH"), browser = qgetenv("BROWSER");
        QTemporaryDir empty;
        qputenv("PATH", empty.path().toUtf8());
        qunsetenv("BROWSER");
        QStringList messages;
        const bool opened = help::OpenManualAt("/opt/zentrova/Zentrova4.html", [&](const QString& m) { messages << m; });
        qputenv("PATH", path);
        if (!browser.isNull()) qputenv("BROWSER", browser);
        QVERIFY(!opened);
        QCOMPARE(messages, QStringList{"No se encontró ningún navegador para mostrar el manual. El manual está en "
                                       "\"/opt/zentrova/Zentrova4.html\": ábralo con un navegador."});
    }

    // With ZENTROVA_SCREENSHOTS set to a folder, the manual's pictures are
    // written there.
    void screenshotsForTheManual()
    {
        const QString folder = qEnvironmentVariable("ZENTROVA_SCREENSHOTS");
        if (folder.isEmpty()) QSKIP("ZENTROVA_SCREENSHOTS not set");
        auto save = [&](const char* name) {
            QCoreApplication::processEvents();
            // A status bar as on a student's computer.
            form->EstadoPanels[0]->setText("Número de cuadernos en /home/ana/Documentos/Cuadernos:");
            form->EstadoPanels[1]->setText("3");
            form->EstadoPanels[2]->setText("10:30:00");
            QVERIFY(form->grab().save(folder + "/" + name));
        };
        form->vars->setPlainText("Área de un triángulo\nbase=3\naltura=4\natr=base*altura/2\nr=2");
        for (const char* expression : {"pi*r^2", "atr", "sqrt(2)*10"}) {
            form->Memo3->setPlainText(expression);
            form->CalcBtnClick();
        }
        form->Memo3->setPlainText("sqrt(-4)");
        form->CalcBtnClick();
        QTest::qWait(250); // the error icon is back
        save("ventana.png");
        form->ToolButton3Click();
        form->ToolButton7->click();
        for (const char* key : {"Button7", "SpeedButton11", "SpeedButton6", "Button3", "SpeedButton9", "Button4", "SpeedButton7"})
            Key(key)->click();
        form->CalcBtnClick();
        save("teclado.png");
        form->ToolButton7->click();
        // A physics template, filled in and used.
        form->vars->clear();
        form->SpeedButton3Click();
        form->N41Click();
        QComboBox* physics = form->findChild<QComboBox*>("ComboBox3");
        physics->setCurrentIndex(0);
        emit physics->activated(0);
        const std::pair<const char*, const char*> inputs[] = {{"vei=", "3"}, {"acl=", "2"}, {"ttm=", "5"}};
        for (const auto& [line, value] : inputs) {
            QTextCursor c = form->vars->document()->find(line);
            c.movePosition(QTextCursor::EndOfBlock);
            c.insertText(value);
        }
        form->Memo3->setPlainText("v(t)");
        form->CalcBtnClick();
        save("formulario.png");
        form->ToolButton6Click();
        // Two functions, their legend and their notable points.
        form->Panel3->Edit1->setText("x^2-2; 2*x+1");
        form->Panel3->Button1Click();
        form->Panel3->PlotRange = 5;
        form->Panel3->Puntosnotables1Click();
        QTRY_VERIFY(form->Panel3->NotableList); // found on the model's thread
        form->Panel3->NotableList->close();
        QCoreApplication::processEvents();
        QTRY_VERIFY(!form->Panel3->Model->Drawing()); // the curves sampled
        save("grafica.png");
    }
};

QTEST_MAIN(KeyboardHelpTest)
#include "KeyboardHelpTest.moc"
