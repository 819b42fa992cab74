// The main window driven through its real widgets, found by object name.
#include "workspace/ConfigForm.h"
#include "plot/PlotView.h"
#include "notebook/FindDialog.h"
#include "workspace/MainForm.h"
#include "ui/WindowFit.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QStatusBar>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

class MainWindowTest : public QObject {
    Q_OBJECT

    Tdemoform* form = nullptr;
    TForm6* form6 = nullptr;

    template <typename T> T* Find(QObject* root, const char* name)
    {
        T* w = root->findChild<T*>(name);
        if (!w) qFatal("no widget %s", name);
        return w;
    }
    QPlainTextEdit* Memo3() { return Find<QPlainTextEdit>(form, "Memo3"); }
    QTextEdit* Results() { return Find<QTextEdit>(form, "memo1"); }
    QTextEdit* Notebook() { return Find<QTextEdit>(form, "vars"); }
    QToolButton* Button(const char* name) { return Find<QToolButton>(form, name); }
    QWidget* ErrorStrip() { return Find<QWidget>(form, "Panel6"); }
    QString ErrorText() { return Find<QLabel>(form, "Label5")->text(); }

    void Type(const QString& text)
    {
        Memo3()->setFocus();
        Memo3()->setPlainText(text);
    }
    void PressEnter(Qt::KeyboardModifiers mods = Qt::NoModifier, int key = Qt::Key_Return)
    {
        QTest::keyClick(Memo3(), static_cast<Qt::Key>(key), mods);
    }
    QString FirstLine() { return Results()->document()->firstBlock().text(); }
    // Foreground colour of the results at a character offset.
    QColor ColourAt(int offset)
    {
        QTextCursor c(Results()->document());
        c.setPosition(offset + 1);
        return c.charFormat().foreground().color();
    }

private slots:
    void init()
    {
        form = new Tdemoform;
        form6 = new TForm6(form);
        form->AttachConfiguration(form6);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }
    void cleanup()
    {
        delete form;
        form = nullptr;
    }

    // Shift+F10 opens each pane's context menu, as the menu key does.
    void shiftF10OpensThePanesMenus()
    {
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        const struct {
            QWidget* pane;
            QMenu* menu; // null: the box's own
        } cases[] = {{form->vars, form->PopupMenu2}, {form->memo1, form->PopupMenu3}, {form->Memo3, nullptr}};
        for (const auto& c : cases) {
            c.pane->setFocus();
            QTest::keyClick(c.pane, Qt::Key_F10, Qt::ShiftModifier);
            QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
            auto* shown = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (c.menu != nullptr) QCOMPARE(shown, c.menu);
            shown->close();
        }
    }

    void startsAsDesigned()
    {
        QCOMPARE(form->windowTitle(), QString("Zentrova 4.0[*]"));
        QCOMPARE(form->minimumSize(), QSize(550, 520)); // small screens
        QCOMPARE(form->size(), QSize(550, 700));
        QVERIFY(Memo3()->hasFocus());
        QCOMPARE(Memo3()->height(), 40);
        QCOMPARE(Results()->height(), 136);
        QCOMPARE(Memo3()->font().family(), QString("Verdana"));
        QCOMPARE(Memo3()->font().pixelSize(), 13);
        QCOMPARE(Notebook()->font().pixelSize(), 12);
        QVERIFY(!ErrorStrip()->isVisible());
        QVERIFY(Find<QLabel>(form, "Label6")->x() < 10); // "EXPRESIÓN" at the left
        QVERIFY(!Find<QWidget>(form, "Panel3")->isVisible());
        QVERIFY(Find<QCheckBox>(form, "CheckBox1")->isChecked());
        QVERIFY(!Find<QCheckBox>(form, "CheckBox2")->isChecked());
        QCOMPARE(Find<QLineEdit>(form, "Edit2")->text(), QString("9"));
        QCOMPARE(form->LastResult, 0.0L);
        QVERIFY(form->CalcParser && form->PlotParser);
        QCOMPARE(form->Panel3->PlotRange, 10);
        QVERIFY(form->PlotParser->FindVariable("x") >= 0);
        QVERIFY(form->PlotParser->FindOperator("degtorad") >= 0);
        QCOMPARE(form->CalcParser->FindOperator("degtorad"), -1);
        // The tool bar: 13 buttons with their hints, in order.
        const char* names[] = {"CalcBtn", "ToolButton2", "ToolButton1", "ToolButton3", "ToolButton5",
                               "ToolButton6", "ToolButton7", "ToolButton9", "ToolButton10", "ToolButton11",
                               "ToolButton12", "ToolButton4", "ToolButton8"};
        const char* hints[] = {"Calcular", "Retroceso", "Ultimo calculo", "Nuevo calculo", "Formulario",
                               "Grafica", "Teclado", "Abrir cuaderno", "Guardar cuaderno", "Imprimir",
                               "Nuevo cuaderno", "Buscar en cuaderno", "Ayuda"};
        QToolBar* bar = Find<QToolBar>(form, "ToolBar2");
        int previousX = -1;
        for (int i = 0; i < 13; ++i) {
            QToolButton* b = Button(names[i]);
            QCOMPARE(b->toolTip(), QString(hints[i]));
            QCOMPARE(b->parentWidget(), bar);
            QVERIFY(b->x() > previousX);
            QVERIFY(!b->icon().isNull());
            previousX = b->x();
        }
        // Menus and pop-up menus with their items in order.
        QStringList menus;
        for (QAction* a : form->menuBar()->actions()) menus << a->text().remove('&'); // Alt mnemonics
        QCOMPARE(menus, QStringList({"Archivo", "Ver", "Resultados", "Cuaderno", "Ayuda"}));
        auto texts = [](QMenu* m) {
            QStringList t;
            for (QAction* a : m->actions()) t << (a->isSeparator() ? "-" : a->text());
            return t;
        };
        QCOMPARE(texts(form->PopupMenu2), QStringList({"Ejecutar expresión seleccionada", "-", "Cortar", "Copiar",
                                                       "Pegar", "Seleccionar todo", "-", "Buscar…", "-",
                                                       "Borrar todo"}));
        QCOMPARE(texts(form->PopupMenu3), QStringList({"Cortar", "Copiar", "-", "Usar la expresión", "Copiar valor",
                                                       "Copiar línea"}));
        QCOMPARE(texts(form->Cuaderno1),
                 QStringList({"Nuevo", "Abrir…", "Guardar", "Guardar como…", "Fuente…", "Imprimir…", "Buscar…",
                              "Buscar siguiente"}));
        QCOMPARE(form->BuscarSiguiente1->shortcut(), QKeySequence(Qt::Key_F3));
        QCOMPARE(texts(form->Ver1).last(), QString("Configuración…"));
        QCOMPARE(texts(form->Ayuda1), QStringList({"Ayuda sobre Zentrova", "Acerca de Zentrova…"}));
        QCOMPARE(texts(form->Archivo1), QStringList({"Salir"}));
        QCOMPARE(form->Salir1->shortcut(), QKeySequence(QKeySequence::Quit));
    }

    void enterCalculatesAndWritesAColouredLine()
    {
        Type("2+3");
        PressEnter();
        QCOMPARE(Memo3()->toPlainText(), QString("2+3")); // no line break
        QCOMPARE(FirstLine(), QString("2 + 3 =   5"));
        QCOMPARE(form->LastResult, 5.0L);
        // Expression and " = " in 220,40,0; the blanks and value in blue.
        for (int i = 0; i < 8; ++i) QCOMPARE(ColourAt(i), QColor(220, 40, 0));
        for (int i = 8; i < 11; ++i) QCOMPARE(ColourAt(i), QColor(0, 0, 255));
        // The caret ends the new line, and typing there is black.
        QCOMPARE(Results()->textCursor().position(), 11);
        QCOMPARE(Results()->currentCharFormat().foreground().color(), QColor(0, 0, 0));

        // The keypad's Enter too; the newest line goes on top.
        Type("1/3");
        PressEnter(Qt::KeypadModifier, Qt::Key_Enter);
        // An exact fraction beside the value (see the expression tests).
        QCOMPARE(FirstLine(), QStringLiteral("1 / 3 =   0.333333333  \u2016 1/3"));
        QCOMPARE(Results()->document()->blockCount(), 2);
        QCOMPARE(Results()->document()->lastBlock().text(), QString("2 + 3 =   5"));
        QCOMPARE(ColourAt(9), QColor(0, 0, 255));
        QCOMPARE(ColourAt(16), QColor(0, 0, 255));
        // Shift+Enter calculates as well.
        Type("7");
        PressEnter(Qt::ShiftModifier);
        QCOMPARE(FirstLine(), QString("7 =   7"));
        QCOMPARE(Memo3()->toPlainText(), QString("7"));
    }

    void digitsAndTheUpDown()
    {
        QSpinBox* updown = Find<QSpinBox>(form, "UpDown1");
        QLineEdit* edit = Find<QLineEdit>(form, "Edit2");
        QVERIFY(edit->isReadOnly());
        Type("1/3");
        updown->stepBy(-20);
        QCOMPARE(edit->text(), QString("2"));
        PressEnter();
        QCOMPARE(FirstLine(), QStringLiteral("1 / 3 =   0.33  \u2016 1/3"));
        updown->setFocus();
        for (int i = 0; i < 30; ++i) QTest::keyClick(updown, Qt::Key_Up);
        QCOMPARE(edit->text(), QString("18"));
        QTest::keyClick(updown, Qt::Key_Down);
        QCOMPARE(edit->text(), QString("17"));
        Type("1/3");
        form->CalcBtnClick();
        QCOMPARE(FirstLine(), QStringLiteral("1 / 3 =   0.33333333333333333  \u2016 1/3"));
        // Earlier lines keep their text.
        QCOMPARE(Results()->document()->lastBlock().text(), QStringLiteral("1 / 3 =   0.33  \u2016 1/3"));
        // Typed digits do not get in.
        QTest::keyClicks(edit, "5");
        QCOMPARE(edit->text(), QString("17"));
    }

    void errorShowsTheStripAndSelectsTheSpan()
    {
        Type("sqrt(-4)");
        PressEnter();
        QVERIFY(ErrorStrip()->isVisible());
        QCOMPARE(ErrorStrip()->mapTo(form, QPoint(0, 0)).x(), 105); // 105 pixels from the left edge
        QCOMPARE(ErrorText(), QString("El argumento debe ser mayor o igual que 0"));
        QVERIFY(Memo3()->hasFocus());
        QCOMPARE(Memo3()->textCursor().selectedText(), QString("(-4)"));
        QVERIFY(Results()->document()->isEmpty());
        QCOMPARE(form->LastResult, 0.0L);
        // The icon blinks back after 200 ms.
        QLabel* icon = Find<QLabel>(form, "Image1");
        QVERIFY(!icon->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(icon->isVisible(), 2000);
        // Any change of the text hides the strip.
        QTest::keyClick(Memo3(), Qt::Key_End);
        QTest::keyClicks(Memo3(), "+1");
        QVERIFY(!ErrorStrip()->isVisible());
        // Spans count characters: "𝑥" is two UTF-16 units.
        Type("𝑥+ñ/0");
        PressEnter();
        QCOMPARE(ErrorText(), QString("Valor desconocido"));
        QCOMPARE(Memo3()->textCursor().selectedText(), QString("𝑥+ñ"));
        Notebook()->setPlainText("ñ=0");
        Type("1+2/ñ");
        PressEnter();
        QCOMPARE(ErrorText(), QString("División por cero"));
        QCOMPARE(Memo3()->textCursor().selectedText(), QString("ñ"));
        // Unclosed parenthesis: an empty span just after the text.
        Type("(1+2");
        PressEnter();
        QCOMPARE(ErrorText(), QString("Debe cerrarse el paréntesis"));
        QCOMPARE(Memo3()->textCursor().position(), 4);
        QVERIFY(!Memo3()->textCursor().hasSelection());
        // A long message wraps: the strip grows and shows it whole.
        QString cycle;
        for (int i = 0; i < 12; ++i) cycle += QString("v%1=v%2+1\n").arg(QChar('a' + i)).arg(QChar('a' + (i + 1) % 12));
        Notebook()->setPlainText(cycle);
        Type("va");
        PressEnter();
        QVERIFY(ErrorText().startsWith("La definición de la línea 1 del cuaderno se usa a sí misma a través de las líneas"));
        QLabel* text = Find<QLabel>(form, "Label5");
        QTRY_VERIFY(text->height() >= text->heightForWidth(text->width()));
        QVERIFY(text->height() > text->fontMetrics().height() * 3 / 2); // more than one line
        form->grab().save(QDir::temp().filePath("zentrova-error-largo.png"));
        // An error or a hint goes with a change of the notebook, and while the plot shows.
        Notebook()->setPlainText("vc = 5");
        Type("vc*2");
        PressEnter();
        QLabel* hint = Find<QLabel>(form, "LabelPista");
        QVERIFY(hint->isVisible());
        form->ToolButton6Click();
        QVERIFY(!hint->isVisible());
        form->ToolButton6Click();
        QVERIFY(hint->isVisible()); // back with its error
        Notebook()->setFocus();
        QTest::keyClick(Notebook(), Qt::Key_End);
        QTest::keyClick(Notebook(), Qt::Key_Space);
        QVERIFY(!hint->isVisible() && !ErrorStrip()->isVisible());
    }

    void notebookDefinitionsAndSubstitutions()
    {
        Notebook()->setPlainText("Triángulo\natr=base*altura/2\nbase=3\naltura=4");
        Type("atr");
        PressEnter();
        QCOMPARE(Memo3()->toPlainText(), QString("base*altura/2"));
        QCOMPARE(FirstLine(), QString("base * altura / 2 =   6"));
        QVERIFY(!ErrorStrip()->isVisible());
        // A removed definition is gone at the next calculation.
        Notebook()->setPlainText("altura=4");
        PressEnter();
        QVERIFY(ErrorStrip()->isVisible());
        QCOMPARE(ErrorText(), QString("Valor desconocido"));
    }

    void textDefinitionsGoInAsBlocksInAnyOrderAndCyclesAreNamed()
    {
        Notebook()->setPlainText("v=atr*h\natr=base*altura/2\nbase=3\naltura=4\nh=10");
        Type("1/atr+tan(v/60*45)");
        PressEnter();
        QCOMPARE(Memo3()->toPlainText(), QString("1/(base*altura/2)+tan(((base*altura/2)*h)/60*45)"));
        QCOMPARE(FirstLine(), QString("1 / (base * altura / 2) + tan (base * altura / 2 * h / 60 * 45) =   1.16666667"));
        QVERIFY(!ErrorStrip()->isVisible());
        // A definition that uses itself: named, the expression kept as typed.
        Notebook()->setPlainText("Ciclo\nx=y+1\ny=x*2");
        Type("2*x");
        PressEnter();
        QVERIFY(ErrorStrip()->isVisible());
        QCOMPARE(ErrorText(), QString("La definición de la línea 2 del cuaderno se usa a sí misma a través de la línea 3"));
        QCOMPARE(Memo3()->toPlainText(), QString("2*x"));
        QCOMPARE(Results()->document()->blockCount(), 1);
        QCOMPARE(FirstLine().left(3), QString("1 /"));
    }

    void notebookIsReadByTextLinesNotScreenLines()
    {
        // A long paragraph wraps on screen; it is still one line.
        const QString longValue = "1" + QString(200, '0');
        Notebook()->setPlainText("a=" + longValue + "\nb=2");
        form->resize(550, 700);
        Type("b");
        PressEnter();
        QCOMPARE(FirstLine(), QString("b =   2"));
        // A line break typed with Shift+Enter splits a paragraph into lines.
        Notebook()->clear();
        Notebook()->setFocus();
        QTest::keyClicks(Notebook(), "c=5");
        QTest::keyClick(Notebook(), Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(Notebook(), "d=6");
        QCOMPARE(Notebook()->document()->blockCount(), 1);
        Type("c*d");
        PressEnter();
        QCOMPARE(FirstLine(), QString("c * d =   30"));
    }

    void editingCommands()
    {
        // "Retroceso" removes the last character wherever the caret is.
        Type("12345");
        QTextCursor c = Memo3()->textCursor();
        c.setPosition(2);
        Memo3()->setTextCursor(c);
        Button("ToolButton2")->click();
        QCOMPARE(Memo3()->toPlainText(), QString("1234"));
        QCOMPARE(Memo3()->textCursor().position(), 4);
        Type("");
        Button("ToolButton2")->click();
        QCOMPARE(Memo3()->toPlainText(), QString(""));

        // "Ultimo calculo": 15 digits, replacing the selection; 0 at first.
        Button("ToolButton1")->click();
        QCOMPARE(Memo3()->toPlainText(), QString("0"));
        Type("1/3");
        PressEnter();
        Type("2*X");
        c = Memo3()->textCursor();
        c.setPosition(2);
        c.setPosition(3, QTextCursor::KeepAnchor);
        Memo3()->setTextCursor(c);
        Button("ToolButton1")->click();
        QCOMPARE(Memo3()->toPlainText(), QString("2*0.333333333333333"));
        // After a failure it still gives the last success.
        Type("1/0");
        PressEnter();
        Type("");
        Button("ToolButton1")->click();
        QCOMPARE(Memo3()->toPlainText(), QString("0.333333333333333"));

        // "Nuevo calculo" clears, focuses and hides the strip.
        Type("1/0");
        PressEnter();
        QVERIFY(ErrorStrip()->isVisible());
        Button("ToolButton3")->click();
        QVERIFY(Memo3()->toPlainText().isEmpty());
        QVERIFY(!ErrorStrip()->isVisible());
        QVERIFY(Memo3()->hasFocus());

        // "X" clears the results but keeps the last result.
        QVERIFY(!Results()->document()->isEmpty());
        Button("SpeedButton3")->click();
        QVERIFY(Results()->document()->isEmpty());
        QVERIFY(!Results()->document()->isModified());
        QCOMPARE(form->LastResult, 1.0L / 3);

        // "Borrar todo" clears the notebook and marks it unmodified.
        Notebook()->setPlainText("a=1");
        Notebook()->document()->setModified(true);
        form->Borrartodo1->trigger();
        QVERIFY(Notebook()->document()->isEmpty());
        QVERIFY(!Notebook()->document()->isModified());
    }

    void textLeftSelectedInResultsTakesTheExpressionColour()
    {
        Type("1+1");
        PressEnter();
        QTextCursor c(Results()->document());
        c.setPosition(8);
        c.setPosition(9, QTextCursor::KeepAnchor);
        Results()->setTextCursor(c);
        Type("2+2");
        PressEnter();
        QCOMPARE(FirstLine(), QString("2 + 2 =   4"));
        // The "2" of the older line, now on the second line, turned red.
        const int older = Results()->document()->firstBlock().length();
        QCOMPARE(ColourAt(older + 8), QColor(220, 40, 0));
        // A failing calculation leaves the results alone.
        Type("1/0");
        PressEnter();
        QCOMPARE(FirstLine(), QString("2 + 2 =   4"));
    }

    void executeSelectedExpression()
    {
        QApplication::clipboard()->setText("5*5");
        Notebook()->setPlainText("x=2\n3*x\nnota");
        // Nothing selected: the clipboard's text is calculated.
        form->Ejecutar1->trigger();
        QCOMPARE(FirstLine(), QString("5 * 5 =   25"));
        // A selection goes through the clipboard.
        QTextCursor c(Notebook()->document());
        c.setPosition(4);
        c.setPosition(7, QTextCursor::KeepAnchor);
        Notebook()->setTextCursor(c);
        form->Ejecutar1->trigger();
        QCOMPARE(Memo3()->toPlainText(), QString("3*x"));
        QCOMPARE(FirstLine(), QString("3 * x =   6"));
        QCOMPARE(QApplication::clipboard()->text(), QString("3*x"));
        // The clipboard commands of the notebook.
        form->Seleccionartodo1->trigger();
        form->Copiar1->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QString("x=2\n3*x\nnota"));
        form->Cortar1->trigger();
        QVERIFY(Notebook()->document()->isEmpty());
        form->Pegar1->trigger();
        QCOMPARE(Notebook()->toPlainText(), QString("x=2\n3*x\nnota"));
        Results()->selectAll();
        form->Copiar2->trigger();
        QVERIFY(QApplication::clipboard()->text().startsWith("3 * x =   6"));
    }

    void angleCheckBoxesSettleAsDesigned()
    {
        QCheckBox* mainG = Find<QCheckBox>(form, "CheckBox1");
        QCheckBox* mainR = Find<QCheckBox>(form, "CheckBox2");
        QCheckBox* confG = form6->CheckBox1;
        QCheckBox* confR = form6->CheckBox2;
        auto state = [&] {
            return QString("%1%2/%3%4").arg(mainG->isChecked()).arg(mainR->isChecked()).arg(confG->isChecked()).arg(
                confR->isChecked());
        };
        struct Step {
            QCheckBox* box;
            const char* after;
        };
        const Step steps[] = {
            {mainG, "10/10"}, // clicking the checked "Grados" keeps degrees
            {mainR, "01/01"}, {mainR, "01/01"}, {mainG, "10/10"},
            {confR, "01/01"}, // the main window follows the configuration window
            {confG, "10/10"}, {confR, "01/01"}, {confR, "01/01"},
            {mainG, "10/10"}, // back to degrees in both windows
            {mainR, "01/01"}, {confG, "10/10"},
        };
        form6->show();
        for (const Step& s : steps) {
            QTest::mouseClick(s.box, Qt::LeftButton, {}, QPoint(8, s.box->height() / 2));
            QCOMPARE(state(), QString(s.after));
        }
        form6->hide();
        // The engine reads the configuration window's "Grados".
        mainG->click();
        Type("sin 90");
        PressEnter();
        QCOMPARE(FirstLine(), QString("sin 90 =   1"));
        mainR->click();
        PressEnter();
        QCOMPARE(FirstLine(), QString("sin 90 =   0.893996664"));
        mainG->click();
        confR->click();
        PressEnter();
        QCOMPARE(FirstLine(), QString("sin 90 =   0.893996664"));
        // The plot's engine reads the same setting.
        const TExpression tree(form->PlotParser, "sin 90");
        QCOMPARE(QString::number(static_cast<double>(tree.Evaluate()), 'g', 6), QString("0.893997"));
        confG->click();
        QCOMPARE(tree.Evaluate(), 1.0L);
    }

    void smallScreensGetAWindowThatFits()
    {
        struct Case {
            QRect available;
            QSize expected;
        };
        const Case cases[] = {
            {QRect(0, 0, 1920, 1050), QSize(550, 700)}, // the designed size where it fits
            {QRect(0, 0, 1366, 728), QSize(550, 694)},  // 768 high with a panel
            {QRect(0, 0, 1024, 600), QSize(550, 566)},  // a netbook
            {QRect(0, 0, 1024, 560), QSize(550, 526)},
            {QRect(0, 0, 640, 480), QSize(550, 520)},   // never below the minimum
        };
        for (const Case& c : cases) {
            const QRect placed = ui::FitWindow(QSize(550, 700), QSize(550, 520), c.available);
            QCOMPARE(placed.size(), c.expected);
            QVERIFY(placed.top() >= c.available.top() + ui::kEstimatedFrame.top()); // the title bar on screen
            if (c.expected.height() < 700) QVERIFY(placed.bottom() + ui::kEstimatedFrame.bottom() < c.available.bottom() + 1 ||
                                                   c.expected == QSize(550, 520));
            // Moved by its frame, the whole window with its frame is on the screen.
            const QMargins m = ui::kEstimatedFrame;
            const QRect framed(ui::FramePosition(placed), placed.size().grownBy(m));
            QVERIFY(c.expected == QSize(550, 520) || c.available.contains(framed));
            QCOMPARE(framed.topLeft() + QPoint(m.left(), m.top()), placed.topLeft());
        }
        // At its smallest every pane keeps some height and the status bar shows.
        form->show();
        form->resize(550, 520);
        QTRY_COMPARE(form->size(), QSize(550, 520));
        for (QWidget* pane : std::initializer_list<QWidget*>{form->Memo3, form->memo1, form->vars})
            QVERIFY2(pane->isVisible() && pane->height() >= 30, qPrintable(pane->objectName()));
        QVERIFY(form->statusBar()->geometry().bottom() < form->height());
        QVERIFY(form->vars->mapTo(form, QPoint(0, form->vars->height())).y() <= form->statusBar()->y());
        form->resize(550, 700);
        form->hide();
    }

    void digitsArePlainInEveryLocale()
    {
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        Tdemoform other;
        QLocale::setDefault(QLocale::c());
        QCOMPARE(Find<QLineEdit>(&other, "Edit2")->text(), QString("9"));
        other.Memo3->setPlainText("1/3");
        other.CalcBtnClick();
        QCOMPARE(other.memo1->document()->firstBlock().text(), QStringLiteral("1 / 3 =   0.333333333  \u2016 1/3"));
    }

    void configurationWindow()
    {
        QCOMPARE(form6->windowTitle(), QString("Configuración"));
        QVERIFY(!form6->isVisible());
        QCOMPARE(form6->size(), QSize(372, 182)); // with the expression box's three choices
        QVERIFY(form6->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(form6->TrackBar1->minimum(), 2);
        QCOMPARE(form6->TrackBar1->maximum(), 18);
        // The track bar follows the digits of the results.
        QCOMPARE(form6->TrackBar1->value(), 9);
        QCOMPARE(form6->Label4->text(), QString("9"));
        QVERIFY(form6->Label2->isHidden());
        form->Configuracion1->trigger();
        QVERIFY(form6->isVisible());
        // ... and sets them: End moves it to 18, the digits box with it.
        form6->TrackBar1->setFocus();
        QTest::keyClick(form6->TrackBar1, Qt::Key_End);
        QCOMPARE(form->UpDown1->value(), 18);
        QCOMPARE(form6->Label4->text(), QString("18"));
        QTest::keyClick(form6->TrackBar1, Qt::Key_Home);
        QCOMPARE(form->UpDown1->value(), 2);
        form->UpDown1->setValue(12);
        QCOMPARE(form6->TrackBar1->value(), 12);
        Type("1/3");
        PressEnter();
        QCOMPARE(FirstLine(), QStringLiteral("1 / 3 =   0.333333333333  \u2016 1/3"));
        form->UpDown1->setValue(9);
        QCOMPARE(form6->TrackBar1->value(), 9);
        form6->hide();
    }

    // Each command that a tool button and menu items share is one action:
    // the button takes its hint from it and runs it; while the plot view is
    // shown the button rests and the menu item and the shortcut still run
    // it, also after the action changes; a pressed button gives its menu
    // item no check mark.
    void toolButtonsRunTheActionsOfTheirMenuItems()
    {
        const struct {
            const char* button;
            const char* action;
            const char* hint;
            const char* menu;
        } shared[] = {
            {"ToolButton5", "Constantesyformulas1", "Formulario", "Ver1"},
            {"ToolButton6", "Grafica1", "Grafica", "Ver1"},
            {"ToolButton7", "Resultadosparciales1", "Teclado", "Ver1"},
            {"ToolButton9", "Abrir", "Abrir cuaderno", "Cuaderno1"},
            {"ToolButton10", "Guardar", "Guardar cuaderno", "Cuaderno1"},
            {"ToolButton11", "Imprimir1", "Imprimir", "Cuaderno1"},
            {"ToolButton12", "Nuevo", "Nuevo cuaderno", "Cuaderno1"},
            {"ToolButton4", "Buscar", "Buscar en cuaderno", "Cuaderno1"},
            {"ToolButton8", "AyudasobreTervolix1", "Ayuda", "Ayuda1"},
        };
        for (const auto& c : shared) {
            QAction* action = Find<QAction>(form, c.action);
            QCOMPARE(Button(c.button)->defaultAction(), action);
            QCOMPARE(Button(c.button)->toolTip(), QString(c.hint));
            QVERIFY2(Find<QMenu>(form, c.menu)->actions().contains(action), c.action);
            QVERIFY2(!action->isCheckable(), c.action);
        }
        QAction* buscar = Find<QAction>(form, "Buscar");
        QVERIFY(Find<QMenu>(form, "PopupMenu2")->actions().contains(buscar));
        QSignalSpy finds(buscar, &QAction::triggered);
        QTest::mouseClick(Button("ToolButton4"), Qt::LeftButton);
        QCOMPARE(finds.size(), 1);
        QVERIFY(form->FindDialog1->isVisible());
        form->FindDialog1->hide();

        QTest::mouseClick(Button("ToolButton6"), Qt::LeftButton); // the plot view
        QVERIFY(Button("ToolButton6")->isChecked());
        QVERIFY(!Find<QAction>(form, "Grafica1")->isChecked());
        for (const auto& c : shared) {
            const bool rests = QByteArray(c.button) != "ToolButton6" && QByteArray(c.button) != "ToolButton8";
            QCOMPARE(Button(c.button)->isEnabled(), !rests);
            QVERIFY2(Find<QAction>(form, c.action)->isEnabled(), c.action);
            Find<QAction>(form, c.action)->setStatusTip("cambiada"); // the buttons are set from it again
            QCOMPARE(Button(c.button)->isEnabled(), !rests);
        }
        QVERIFY(Button("ToolButton6")->isChecked());
        QTest::mouseClick(Button("ToolButton4"), Qt::LeftButton); // resting: nothing
        QCOMPARE(finds.size(), 1);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::keyClick(form, Qt::Key_F, Qt::ControlModifier); // the menu item's shortcut
        QCOMPARE(finds.size(), 2);
        form->FindDialog1->hide();
        Find<QAction>(form, "Grafica1")->trigger(); // "Ver" > "Grafica": back
        QVERIFY(!Button("ToolButton6")->isChecked());
        for (const auto& c : shared) QVERIFY2(Button(c.button)->isEnabled(), c.button);
    }

    void tabOrderAndGrab()
    {
        QVERIFY(Memo3()->tabChangesFocus());
        Memo3()->setFocus();
        QTest::keyClick(Memo3(), Qt::Key_Tab);
        QVERIFY(form->SpeedButton3->hasFocus()); // "Borrar resultados", above the results
        QTest::keyClick(form->SpeedButton3, Qt::Key_Tab);
        QVERIFY(Results()->hasFocus());
        QTest::keyClick(Results(), Qt::Key_Tab);
        QVERIFY(Notebook()->hasFocus());
        // A picture of the window for a person to look at.
        Notebook()->setPlainText("Triángulo\natr=base*altura/2\nbase=3\naltura=4");
        Type("atr");
        PressEnter();
        Type("2x+1");
        PressEnter();
        const QString out = qEnvironmentVariable("ZENTROVA_GRAB");
        if (!out.isEmpty()) QVERIFY(form->grab().save(out));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
