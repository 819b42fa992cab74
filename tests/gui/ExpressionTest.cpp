// Calculations at hand, driven through the real widgets with real input:
// the history of expressions, the reuse and copy of result lines, hints
// beside errors, the result while typing, names completed, and names for
// a screen reader.
#include "ui/ElidedLabel.h"
#include "workspace/Application.h"
#include "library/FormulaChooser.h"
#include "workspace/ConfigForm.h"
#include "workspace/ExpressionHistory.h"
#include "workspace/KeyboardForm.h"
#include "workspace/MainForm.h"
#include "workspace/ResultCommands.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QDir>
#include <QtTest>

class ExpressionTest : public QObject {
    Q_OBJECT

    Tdemoform* form = nullptr;
    TForm6* form6 = nullptr;

    void Start()
    {
        delete form;
        form = new Tdemoform;
        CreateSecondaryWindows(*form);
        form6 = form->Form6;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QTest::mouseClick(form->Memo3, Qt::LeftButton);
    }
    // Types into the expression box as a user does and presses Enter.
    void Calculate(const QString& text)
    {
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, text);
        if (form->Memo3->Completer()->popup()->isVisible()) Key(Qt::Key_Escape);
        Key(Qt::Key_Return);
    }
    // A key as the window system delivers it: to an open pop-up, or else to
    // the widget with the focus.
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget* target = QApplication::activePopupWidget();
        if (target != nullptr && target->focusWidget() != nullptr) target = target->focusWidget();
        QTest::keyClick(target ? target : QApplication::focusWidget(), static_cast<Qt::Key>(key), mods);
    }
    QString Expression() const { return form->Memo3->toPlainText(); }
    // The same for a calculation that runs away from the window's thread:
    // the window system's events of the pop-up shown while typing are
    // delivered first, and the box is clicked back into focus.
    void CalculateAway(const QString& text)
    {
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, text);
        if (form->Memo3->Completer()->popup()->isVisible()) Key(Qt::Key_Escape);
        QTest::qWait(20);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::mouseClick(form->Memo3->viewport(), Qt::LeftButton, {}, QPoint(form->Memo3->viewport()->width() - 4, 4));
        QTRY_COMPARE(QApplication::focusWidget(), form->Memo3);
        QTest::keyClick(form->Memo3, Qt::Key_Return);
    }
    // Clicks the check box in the configuration window.
    void ClickBox(QCheckBox* box)
    {
        form6->show();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }

private slots:
    void initTestCase() { QFile::remove(TExpressionHistory::FilePath()); }
    void init() { Start(); }
    void cleanup()
    {
        form->vars->document()->setModified(false);
        delete form;
        form = nullptr;
    }

    void upAndDownWalkTheHistoryAndGiveBackTheDraft()
    {
        for (const char* text : {"1+1", "2*3", "2*3", "sen 30"}) Calculate(text); // a failing one too
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "7-");
        const char* walk[] = {"sen 30", "2*3", "1+1", "1+1"};
        for (const char* expected : walk) {
            Key(Qt::Key_Up);
            QCOMPARE(Expression(), QString(expected));
        }
        for (const char* expected : {"2*3", "sen 30", "7-", "7-"}) {
            Key(Qt::Key_Down);
            QCOMPARE(Expression(), QString(expected));
        }
        // Within several lines the arrows move the caret first.
        form->Memo3->setPlainText("1+\n2");
        form->Memo3->moveCursor(QTextCursor::End);
        Key(Qt::Key_Up);
        QCOMPARE(Expression(), QString("1+\n2"));
        Key(Qt::Key_Up);
        QCOMPARE(Expression(), QString("sen 30"));
        // Nothing of it was kept outside the program.
        QVERIFY(!QFile::exists(TExpressionHistory::FilePath()));
    }

    void theHistorySurvivesARestartOnlyWhenAsked()
    {
        QVERIFY(!form6->CheckBox3->isChecked());
        ClickBox(form6->CheckBox3);
        QVERIFY(form6->CheckBox3->isChecked());
        Calculate("6*7");
        Calculate("a\\b");
        // Written as it came: a crash now would keep it.
        QFile file(TExpressionHistory::FilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("6*7\na\\\\b\n"));
        file.close();
        Start(); // the next session
        QVERIFY(form6->CheckBox3->isChecked());
        Key(Qt::Key_Up);
        QCOMPARE(Expression(), QString("a\\b"));
        Key(Qt::Key_Up);
        QCOMPARE(Expression(), QString("6*7"));
        // Off: the history and the choice are gone, and stay gone.
        ClickBox(form6->CheckBox3);
        QVERIFY(!QFile::exists(TExpressionHistory::FilePath()));
        Calculate("1+2");
        QVERIFY(!QFile::exists(TExpressionHistory::FilePath()));
        Start();
        QVERIFY(!form6->CheckBox3->isChecked());
        Key(Qt::Key_Up);
        QCOMPARE(Expression(), QString());
    }

    void historyTurnedOffInOneWindowStaysOffInAnother()
    {
        ClickBox(form6->CheckBox3);
        Tdemoform other;
        CreateSecondaryWindows(other);
        QVERIFY(other.Form6->CheckBox3->isChecked());
        ClickBox(form6->CheckBox3); // off, here
        other.Memo3->setPlainText("9*9");
        other.CalcBtnClick();
        QVERIFY(!QFile::exists(TExpressionHistory::FilePath()));
        QVERIFY(!other.Form6->CheckBox3->isChecked());
    }

    void resultLinesAreUsedAgainAndCopied()
    {
        form->vars->setPlainText("atr=base*altura/2\nbase=3\naltura=4");
        Calculate("atr");  // the box shows the substituted text
        Calculate("pi*2");
        QCOMPARE(form->memo1->toPlainText(), QString("pi * 2 =   6.28318531\nbase * altura / 2 =   6"));
        // A double click on a line puts what was typed back, with the focus.
        form->Memo3->clear();
        form->memo1->setFocus();
        const QTextBlock second = form->memo1->document()->lastBlock();
        const QRect at = form->memo1->cursorRect(QTextCursor(second));
        QTest::mouseDClick(form->memo1->viewport(), Qt::LeftButton, {}, at.center());
        QCOMPARE(Expression(), QString("atr"));
        QVERIFY(form->Memo3->hasFocus());
        // The commands act on the line at the caret, by their shortcuts.
        form->memo1->setFocus();
        form->memo1->moveCursor(QTextCursor::Start);
        Key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("6.28318531"));
        Key(Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("pi * 2 =   6.28318531"));
        form->Results->UsarExpresion->trigger();
        QCOMPARE(Expression(), QString("pi*2"));
        // A line with no remembered text gives what stands left of " =   ".
        QTextCursor end(form->memo1->document());
        end.movePosition(QTextCursor::End);
        end.insertBlock();
        end.insertText("7 * 8 =   56");
        form->memo1->setTextCursor(end);
        form->Results->UsarExpresion->trigger();
        QCOMPARE(Expression(), QString("7 * 8"));
        // Several lines copied from a pane come as plain text too.
        form->memo1->selectAll();
        form->memo1->copy();
        const QMimeData* copied = QApplication::clipboard()->mimeData();
        QVERIFY(copied->hasHtml());
        QCOMPARE(copied->text(), form->memo1->toPlainText());
    }

    void errorsComeWithAHint()
    {
        struct Case {
            const char* notebook;
            const char* expression;
            const char* message;
            const char* hintHas;
        };
        const Case cases[] = {
            {"", "sen 30", "Valor desconocido", "¿quiso decir «sin»?"},
            {"", "3,5+1", "Argumento invalido", "el separador decimal es el punto"},
            {"nota\nvc = 5", "vc*2", "Valor desconocido", "línea 2 del cuaderno define «vc », con un espacio"},
            {"", "2x", "Valor desconocido", "escriba «2*x»"},
        };
        auto* hint = form->findChild<TElidedLabel*>("LabelPista");
        for (const Case& c : cases) {
            form->vars->setPlainText(c.notebook);
            Calculate(c.expression);
            QCOMPARE(form->Label5->text(), QString(c.message));
            QVERIFY2(hint->isVisible() && hint->FullText().contains(QString(c.hintHas)), qPrintable(hint->FullText()));
            QCOMPARE(hint->toolTip(), hint->FullText());
        }
        // The whole hint, on its own line under the expression box, inside the
        // window at its default width; an error without one shows none.
        QCOMPARE(hint->text(), hint->FullText());
        QVERIFY(hint->geometry().top() >= form->Memo3->geometry().bottom());
        QVERIFY(hint->mapTo(form, QPoint(hint->width(), 0)).x() <= form->width());
        QVERIFY(hint->fontMetrics().boundingRect(QRect(0, 0, hint->contentsRect().width(), 1000), Qt::TextWordWrap,
                                                 hint->FullText()).height() <= hint->contentsRect().height() + 1);
        Calculate("1/0");
        QVERIFY(form->Panel6->isVisible());
        QVERIFY(!hint->isVisible());
    }

    void theResultShowsWhileTyping()
    {
        QLabel* preview = form->LabelVistaPrevia;
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "2*21");
        QTRY_COMPARE(preview->text(), QString("= 42"));
        QVERIFY(form->memo1->document()->isEmpty());
        QCOMPARE(form->LastResult, 0.0L);
        QCOMPARE(Expression(), QString("2*21"));
        // A notebook definition, and a change of it.
        form->vars->setPlainText("r=2\narea=pi*r^2");
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "area");
        Key(Qt::Key_Escape);
        QTRY_COMPARE(preview->text(), QString("= 12.5663706"));
        QCOMPARE(Expression(), QString("area")); // not replaced, as a calculation would
        QTextCursor first(form->vars->document());
        first.movePosition(QTextCursor::EndOfBlock);
        first.insertText("0");
        QTRY_COMPARE(preview->text(), QString("= 1256.63706"));
        // Unfinished, random: nothing; switched off: nothing.
        for (const char* text : {"2*(", "random*2"}) {
            form->Memo3->setPlainText(text);
            QTest::qWait(400);
            QCOMPARE(preview->text(), QString());
        }
        form->Memo3->setPlainText("1+1");
        QTRY_COMPARE(preview->text(), QString("= 2"));
        ClickBox(form6->CheckBox4);
        QCOMPARE(preview->text(), QString());
        form->Memo3->setPlainText("1+2");
        QTest::qWait(400);
        QCOMPARE(preview->text(), QString());
    }

    void namesAreCompletedAndEnterStillCalculates()
    {
        QCompleter* completer = form->Memo3->Completer();
        form->vars->setPlainText("arcsenal=5");
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "arcs");
        QVERIFY(completer->popup()->isVisible());
        QStringList offered;
        for (int i = 0; i < completer->completionCount(); ++i) {
            completer->setCurrentRow(i);
            offered << completer->currentCompletion();
        }
        // The notebook's name first, then the catalogue's basic ones.
        QCOMPARE(offered.mid(0, 2), QStringList({"arcsenal", "arcsin"}));
        QVERIFY(offered.contains("arcsec"));
        Key(Qt::Key_Tab);
        QCOMPARE(Expression(), QString("arcsenal"));
        QVERIFY(!completer->popup()->isVisible());
        // A complete name that is the only one, and a number: no pop-up.
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "arcsinh");
        QVERIFY(!completer->popup()->isVisible());
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "2.5ex");
        QVERIFY(!completer->popup()->isVisible());
        // Enter with no pop-up calculates.
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "arcsin 1");
        QVERIFY(!completer->popup()->isVisible());
        Key(Qt::Key_Return);
        QCOMPARE(form->memo1->toPlainText(), QString("arcsin 1 =   1.57079633"));
        // With the pop-up open, Enter takes the name instead.
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "hyp");
        QVERIFY(completer->popup()->isVisible());
        Key(Qt::Key_Return);
        QCOMPARE(Expression(), QString("hypot"));
        QCOMPARE(form->memo1->document()->blockCount(), 1);
    }

    // What an exam calculator does, typed as a student types it.
    void probabilityCombinatoricsAndScientificNotation()
    {
        const struct {
            const char* typed;
            const char* line;
        } cases[] = {
            {"comb(10;3)", "comb(10; 3) =   120"},
            {"normal(1.96;0;1)", "normal(1.96; 0; 1) =   0.975002105"},
            {"normalinv(0.975;0;1)", "normalinv(0.975; 0; 1) =   1.95996398"},
            {"binomial(3;10;0.5)", "binomial(3; 10; 0.5) =   0.1171875"},
            {"redondear(2.675;2)", "redondear(2.675; 2) =   2.68"},
            {"log 1000", "log 1000 =   3"},
            {"e", "e =   2.71828183"},
            {"6.02E23*2", "6.02E23 * 2 =   1.204E24"},
        };
        for (const auto& c : cases) {
            Calculate(c.typed);
            QCOMPARE(form->memo1->document()->firstBlock().text(), QString(c.line));
        }
        // fact 20 with all 18 digits: exact.
        form->UpDown1->setFocus();
        for (int i = 0; i < 9; ++i) QTest::keyClick(form->UpDown1, Qt::Key_Up);
        QCOMPARE(form->UpDown1->value(), 18);
        QTest::mouseClick(form->Memo3, Qt::LeftButton);
        Calculate("fact 20");
        QCOMPARE(form->memo1->document()->firstBlock().text(), QString("fact 20 =   2.43290200817664E18"));
        // The completion offers the call with its parenthesis.
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "binomiala");
        QCompleter* completer = form->Memo3->Completer();
        QVERIFY(completer->popup()->isVisible());
        QVERIFY(completer->currentIndex().data().toString().contains("binomial acumulada, P(X ≤ k): binomialac(k;n;p)"));
        Key(Qt::Key_Tab);
        QCOMPARE(Expression(), QString("binomialac("));
        // Another calculator's name gets ours in the hint.
        Calculate("nCr(5;2)");
        auto* hint = form->findChild<TElidedLabel*>("LabelPista");
        QVERIFY2(hint->FullText().contains("«comb(n;k)»"), qPrintable(hint->FullText()));
        if (qEnvironmentVariableIsSet("ZENTROVA_KEEP_PICTURES")) {
            QTest::mouseClick(form->ToolButton7, Qt::LeftButton); // the keyboard beside the panes
            form->grab().save(QDir::temp().filePath("zentrova-exam.png"));
        }
    }

    void notebookFunctionsAreOfferedPreviewedAndCalculated()
    {
        QCompleter* completer = form->Memo3->Completer();
        form->vars->setPlainText("atr(b;h)=b*h/2\natra(a; b)=a+b\nh(x)=1/(x-2)");
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "at");
        QVERIFY(completer->popup()->isVisible());
        QStringList offered;
        for (int i = 0; i < completer->completionCount(); ++i) {
            completer->setCurrentRow(i);
            offered << completer->currentCompletion();
        }
        QVERIFY2(offered.contains("atr(b;h)") && offered.contains("atra(a;b)"), qPrintable(offered.join(' ')));
        QCOMPARE(offered.first(), QString("atr(b;h)")); // notebook order
        Key(Qt::Key_Tab);
        QCOMPARE(Expression(), QString("atr("));
        QTest::keyClicks(form->Memo3, "3;4)");
        QTRY_COMPARE(form->LabelVistaPrevia->text(), QString("= 6"));
        Key(Qt::Key_Return);
        QCOMPARE(form->memo1->toPlainText(), QString("atr(3; 4) =   6"));
        // One letter is enough for a function of the notebook.
        form->vars->setPlainText("V(r;h)=pi*r^2*h");
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "V");
        QVERIFY(completer->popup()->isVisible());
        QCOMPARE(completer->currentCompletion(), QString("V(r;h)"));
        Key(Qt::Key_Backspace);
        QVERIFY(!completer->popup()->isVisible());
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "z");
        QVERIFY(!completer->popup()->isVisible());
        form->vars->setPlainText("h(x)=1/(x-2)");
        // An error inside a body selects the call.
        form->Memo3->setPlainText("1+h(2)");
        form->Memo3->setFocus();
        QTest::keyClick(form->Memo3, Qt::Key_Return);
        QCOMPARE(form->memo1->document()->blockCount(), 1);
        QCOMPARE(form->Label5->text(), QString("en h: División por cero"));
        QCOMPARE(form->Memo3->textCursor().selectedText(), QString("h(2)"));
    }

    void noControlAUserCanReachIsUnnamed()
    {
        // The keyboard docked and a formula list in the slot, to be reached too.
        form->ToolButton7->click();
        form->Library->ShowAreas();
        QCoreApplication::processEvents();
        QStringList unnamed;
        int reached = 0;
        for (QWidget* w : form->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(form) || w->inherits("QScrollBar") || w->inherits("QMenu")) continue;
            const bool reachable = (w->focusPolicy() & Qt::TabFocus) || qobject_cast<QAbstractButton*>(w) != nullptr;
            if (!reachable || w->focusProxy() != nullptr) continue;
            if (auto* area = qobject_cast<QAbstractScrollArea*>(w->parentWidget()); area && area->viewport() == w) continue;
            ++reached;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            const QString name = a ? a->text(QAccessible::Name) : QString();
            if (name.isEmpty() || name == w->objectName()) unnamed << w->objectName() + " (" + w->metaObject()->className() + ")";
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
        QVERIFY(reached >= 13 + 41 + 8); // tool buttons, keys, boxes and panes
        // Keys and tool buttons never take the focus by a click.
        QTest::mouseClick(form->Memo3, Qt::LeftButton);
        QTest::mouseClick(form->CalcBtn, Qt::LeftButton);
        QVERIFY(form->Memo3->hasFocus());
    }

    void theLibraryListsOpenWithTheKeyboardAndShowTheirNames()
    {
        form->Library->ShowAreas();
        QComboBox* list = form->findChild<QComboBox*>("ComboBox2");
        QVERIFY(list->parentWidget() == form->Panel7);
        // Tab from the digits reaches the list; F4 opens it.
        form->UpDown1->setFocus();
        Key(Qt::Key_Tab);
        QVERIFY(list->hasFocus());
        Key(Qt::Key_F4);
        QTRY_VERIFY(list->view()->isVisible());
        // As wide as its longest item.
        int widest = 0;
        for (int i = 0; i < list->count(); ++i)
            widest = std::max(widest, list->view()->fontMetrics().horizontalAdvance(list->itemText(i)));
        QVERIFY(list->view()->width() >= widest);
        Key(Qt::Key_Down); // from the first item to the second
        Key(Qt::Key_Return);
        QTRY_VERIFY(!list->view()->isVisible());
        QCOMPARE(form->vars->toPlainText().split('\n').mid(1, 1), QStringList{"atr -> área de un triángulo"});
        QCOMPARE(list->lineEdit()->cursorPosition(), 0); // the start of the chosen text
    }

    // Derivatives, integrals, sums, products and equations typed as homework
    // asks for them; the long ones away from the window's thread.
    void exactFractionsBesideTheResultAndTheKeyThatTurnsThem()
    {
        const QString kMark = QStringLiteral("  \u2016 ");
        auto newest = [this] { return form->memo1->document()->firstBlock().text(); };
        QVERIFY(form6->CheckBox5->isChecked()); // on by default
        Calculate("1/3+1/6");
        QCOMPARE(newest(), "1 / 3 + 1 / 6 =   0.5" + kMark + "1/2");
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "0.75*4/9"); // the result while typing
        QTRY_COMPARE(form->LabelVistaPrevia->text(), "= 0.333333333" + kMark + "1/3");
        Calculate("sqrt 2");
        QCOMPARE(newest(), QString("sqrt 2 =   1.41421356"));
        // F9 and "a b/c": fraction, mixed number, decimal; rewritten in place.
        Calculate("7/2");
        const int lines = form->memo1->document()->blockCount();
        Key(Qt::Key_F9);
        QCOMPARE(newest(), QString("7 / 2 =   7/2"));
        QTest::mouseClick(form->ToolButtonFraccion, Qt::LeftButton);
        QCOMPARE(newest(), QString("7 / 2 =   3 1/2"));
        // "Ultimo calculo" inserts what the line shows, read back exactly.
        form->Memo3->clear();
        QTest::mouseClick(form->ToolButton1, Qt::LeftButton);
        QCOMPARE(Expression(), QString("(7/2)"));
        Key(Qt::Key_F9);
        QCOMPARE(newest(), "7 / 2 =   3.5" + kMark + "7/2");
        QCOMPARE(form->memo1->document()->blockCount(), lines);
        // The fraction's own colour.
        QTextCursor at(form->memo1->document()->firstBlock());
        at.setPosition(static_cast<int>(newest().size()));
        QCOMPARE(at.charFormat().foreground().color(), QColor(0, 128, 64));
        // Off: every line is today's, and it stays off in the next session.
        ClickBox(form6->CheckBox5);
        form6->hide();
        QTest::mouseClick(form->Memo3, Qt::LeftButton);
        Calculate("1/3+1/6");
        QCOMPARE(newest(), QString("1 / 3 + 1 / 6 =   0.5"));
        Start();
        QVERIFY(!form6->CheckBox5->isChecked());
        ClickBox(form6->CheckBox5);
        form6->hide();
        QVERIFY(form6->CheckBox5->isChecked());
        if (qEnvironmentVariableIsSet("ZENTROVA_KEEP_PICTURES")) {
            QTest::mouseClick(form->Memo3, Qt::LeftButton);
            Calculate("0.75*4/9");
            form->grab().save("/tmp/zentrova-fractions.png");
        }
    }

    void calculusInTheExpression()
    {
        QTest::mouseClick(form->CheckBox2, Qt::LeftButton, {}, QPoint(8, form->CheckBox2->height() / 2)); // radians
        QTest::mouseClick(form->Memo3, Qt::LeftButton);
        const struct {
            const char* typed;
            const char* line;
        } cases[] = {
            {"deriv(sin(x); x; 0)", "deriv(sin x; x; 0) =   1"},
            {"integral(x^2; x; 0; 1)", "integral(x ^ 2; x; 0; 1) =   0.333333333"},
            {"integral(1/sqrt(1-x^2); x; -1; 1)", "integral(1 / sqrt (1 - x ^ 2); x; 0 - 1; 1) =   3.14159265"},
            {"suma(k^2; k; 1; 10)", "suma(k ^ 2; k; 1; 10) =   385"},
            {"producto(k; k; 1; 10)", "producto(k; k; 1; 10) =   3628800"},
            {"resolver(cos(x) = x; x)", "resolver(cos x = x; x) =   x = 0.739085133"},
            {"resolver(x^2 = 2; x)", "resolver(x ^ 2 = 2; x) =   x = -1.41421356; x = 1.41421356"},
        };
        for (const auto& c : cases) {
            CalculateAway(c.typed);
            QTRY_COMPARE(form->memo1->document()->firstBlock().text(), QString(c.line));
        }
        // "Ultimo calculo" takes the first solution.
        form->Memo3->clear();
        QTest::mouseClick(form->ToolButton1, Qt::LeftButton);
        QVERIFY2(Expression().startsWith("-1.414213562373"), qPrintable(Expression()));
        // A formula of the library read backwards.
        form->vars->setPlainText("atr=base*altura/2\nbase=3");
        CalculateAway("resolver(atr = 6; altura)");
        QTRY_COMPARE(form->memo1->document()->firstBlock().text(),
                     QString("resolver(base * altura / 2 = 6; altura) =   altura = 4"));
        form->vars->clear();
        // A bound name used outside its call: the error on it.
        CalculateAway("suma(k; k; 1; 3) + k");
        QTRY_VERIFY(form->Label5->text().contains("solo tiene valor dentro"));
        QCOMPARE(form->Memo3->textCursor().selectedText(), QString("k"));
        QCOMPARE(form->Memo3->textCursor().selectionStart(), 19);
        // A long sum: its progress shows, the window answers, Esc stops it.
        CalculateAway("suma(sin(k)*cos(k)*exp(-1/k); k; 1; 10000000)");
        QVERIFY2(form->LabelVistaPrevia->text().startsWith("Calculando"), qPrintable(form->LabelVistaPrevia->text()));
        QTest::keyClicks(form->Memo3, " "); // typing goes on meanwhile
        Key(Qt::Key_Escape);
        QTRY_COMPARE(form->Label5->text(), QString("Cálculo detenido"));
        // The result while typing, away from the window's thread.
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "suma(k; k; 1; 4)");
        QTRY_COMPARE(form->LabelVistaPrevia->text(), QString("= 10"));
        // The completion shows each call with its arguments.
        form->Memo3->clear();
        QTest::keyClicks(form->Memo3, "integ");
        QCompleter* completer = form->Memo3->Completer();
        QVERIFY(completer->popup()->isVisible());
        QVERIFY(completer->currentIndex().data().toString().contains("integral definida: integral(expr; x; a; b)"));
        Key(Qt::Key_Tab);
        QCOMPARE(Expression(), QString("integral("));
        // Another calculator's name gets ours in the hint.
        CalculateAway("sum(k; k; 1; 3)");
        auto* hint = form->findChild<TElidedLabel*>("LabelPista");
        QTRY_VERIFY2(hint->FullText().contains("«suma(expr; k; a; b)»"), qPrintable(hint->FullText()));
        if (qEnvironmentVariableIsSet("ZENTROVA_KEEP_PICTURES")) {
            CalculateAway("integral(exp(-x^2); x; -10; 10)");
            QTRY_VERIFY(form->memo1->document()->firstBlock().text().startsWith("integral(exp"));
            form->Memo3->clear();
            QTest::keyClicks(form->Memo3, "resolver(x^3 = x; x)");
            QTRY_VERIFY(form->LabelVistaPrevia->text().startsWith("= x"));
            form->grab().save(QDir::temp().filePath("zentrova-calculus.png"));
        }
        QTest::mouseClick(form->CheckBox1, Qt::LeftButton, {}, QPoint(8, form->CheckBox1->height() / 2)); // degrees
    }
};

QTEST_MAIN(ExpressionTest)
#include "ExpressionTest.moc"
