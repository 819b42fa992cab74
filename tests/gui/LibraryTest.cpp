// The formula and constants library in the main window: the slot's state
// table, the inserted blocks and their colours, and every template computed
// through the calculation command.
#include "library/FormulaChooser.h"
#include "library/FormulaHolder.h"
#include "library/FormulaTemplates.h"
#include "library/PhysicalConstants.h"
#include "workspace/Application.h"
#include "workspace/MainForm.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QStyleOptionComboBox>
#include <QtTest>
#include <cmath>
#include <functional>

using TSlot = TFormulaChooser::TSlot;

class LibraryTest : public QObject {
    Q_OBJECT

    Tdemoform* form = nullptr;
    TForm4* holder = nullptr;

    void NewForm()
    {
        delete form;
        form = new Tdemoform;
        CreateSecondaryWindows(*form);
        holder = form->findChild<TForm4*>();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }
    static void Choose(QComboBox* list, int index)
    {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    // Opens a list with a click on its arrow and clicks the row of `index`,
    // as a user does.
    static void ClickItem(QComboBox* list, int index)
    {
        QStyleOptionComboBox option;
        option.initFrom(list);
        option.editable = list->isEditable();
        const QRect arrow = list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, list);
        QTest::mouseClick(list, Qt::LeftButton, {}, arrow.center());
        QTRY_VERIFY(list->view()->isVisible());
        const QRect row = list->view()->visualRect(list->model()->index(index, list->modelColumn()));
        // A release as quick as a double click after the list opened is
        // taken as the end of the opening click.
        QTest::qWait(QApplication::doubleClickInterval() + 20);
        QTest::mouseMove(list->view()->viewport(), row.center());
        QTest::mouseClick(list->view()->viewport(), Qt::LeftButton, {}, row.center());
        QTRY_VERIFY(!list->view()->isVisible());
    }
    QStringList Lines() const { return form->vars->toPlainText().split('\n'); }
    QColor LineColour(int line) const
    {
        const QTextBlock block = form->vars->document()->findBlockByNumber(line);
        if (block.text().isEmpty()) return block.charFormat().foreground().color();
        QTextCursor c(block);
        c.movePosition(QTextCursor::Right);
        return c.charFormat().foreground().color();
    }
    // Appends `value` to the n-th line that reads exactly `line`.
    void Fill(const QString& line, const QString& value, int n = 0)
    {
        for (QTextBlock b = form->vars->document()->begin(); b.isValid(); b = b.next()) {
            if (b.text() != line || n-- > 0) continue;
            QTextCursor c(b);
            c.movePosition(QTextCursor::EndOfBlock);
            c.insertText(value);
            return;
        }
        QFAIL(qPrintable("no line " + line));
    }
    long double Calculate(const QString& expression)
    {
        form->Memo3->setPlainText(expression);
        form->CalcBtnClick();
        return form->LastResult;
    }
    void Command(int command)
    {
        switch (command) {
        case 0: form->Library->Hola2->trigger(); break;
        case 1: form->Library->dddd1->trigger(); break;
        case 2: form->Library->Volumenes1->trigger(); break;
        case 3: form->Library->N41->trigger(); break;
        default: form->ToolButton5->click(); break;
        }
    }
    // What the slot shows: the list that is in the tool bar row and not hidden.
    QComboBox* Shown() const
    {
        QComboBox* shown = nullptr;
        for (QComboBox* list : {form->ComboBox1, holder->ComboBox2, holder->ComboBox1, holder->ComboBox3})
            if (list->parentWidget() == form->Panel7 && list->isVisible()) {
                if (shown) return nullptr;
                shown = list;
            }
        return shown;
    }

private slots:
    void init() { NewForm(); }
    void cleanup()
    {
        form->vars->document()->setModified(false);
        delete form;
        form = nullptr;
    }

    void slotStateTable()
    {
        // Rows: the state before; columns: "Constantes", "Areas y
        // Superficies", "Volumenes", "Física", the toggle.
        const TSlot states[] = {TSlot::Empty, TSlot::Constants, TSlot::Areas, TSlot::Volumes, TSlot::Physics};
        const TSlot after[5][5] = {
            {TSlot::Constants, TSlot::Areas, TSlot::Volumes, TSlot::Physics, TSlot::Constants},
            {TSlot::Constants, TSlot::Areas, TSlot::Volumes, TSlot::Physics, TSlot::Empty},
            {TSlot::Constants, TSlot::Areas, TSlot::Volumes, TSlot::Physics, TSlot::Empty},
            {TSlot::Constants, TSlot::Areas, TSlot::Volumes, TSlot::Physics, TSlot::Empty},
            {TSlot::Constants, TSlot::Areas, TSlot::Volumes, TSlot::Physics, TSlot::Empty},
        };
        for (int before = 0; before < 5; ++before) {
            for (int command = 0; command < 5; ++command) {
                NewForm();
                if (before > 0) Command(before - 1); // reach the state
                QCOMPARE(form->Library->State(), states[before]);
                form->vars->setFocus();
                Command(command);
                const QString where = QString("state %1, command %2").arg(before).arg(command);
                QVERIFY2(form->Library->State() == after[before][command], qPrintable(where));
                // Only "Constantes" moves the focus, to the expression box.
                QVERIFY2(form->Memo3->hasFocus() == (command == 0), qPrintable(where));
                QComboBox* expected[] = {nullptr, form->ComboBox1, holder->ComboBox2, holder->ComboBox1, holder->ComboBox3};
                QCOMPARE(Shown(), expected[static_cast<int>(after[before][command])]);
            }
        }
        QVERIFY(!holder->isVisible()); // the holder window is never shown
    }

    void listsKeepTheirChoiceAndWidth()
    {
        form->Library->Hola2->trigger();
        const int width = form->ComboBox1->width();
        form->Library->Volumenes1->trigger();
        QCOMPARE(holder->ComboBox1->width(), width);
        QCOMPARE(holder->ComboBox1->pos(), QPoint(305, 2));
        QCOMPARE(holder->ComboBox1->currentText(), QString("VOLUMENES"));
        Choose(holder->ComboBox1, 4);
        QCOMPARE(holder->ComboBox1->currentText(), QString("Volumen de una esfera"));
        QVERIFY(form->Memo3->hasFocus());
        form->Library->dddd1->trigger();
        QCOMPARE(holder->ComboBox1->parentWidget(), static_cast<QWidget*>(holder));
        QCOMPARE(holder->ComboBox2->pos(), QPoint(304, 2));
        form->Library->Volumenes1->trigger();
        QCOMPARE(holder->ComboBox1->currentText(), QString("Volumen de una esfera"));
        QCOMPARE(holder->ComboBox1->currentIndex(), 4);
        // The slot widens with the window.
        form->resize(form->width() + 100, form->height());
        QTRY_COMPARE(holder->ComboBox1->width(), width + 100);
    }

    void templateBlockLinesColoursAndUndo()
    {
        form->vars->setPlainText("nota\nb=2");
        QTextCursor caret(form->vars->document());
        caret.setPosition(2); // in the middle of the first line
        form->vars->setTextCursor(caret);
        form->Library->dddd1->trigger();
        Choose(holder->ComboBox2, 1);
        QCOMPARE(Lines(), QStringList({"nota", "b=2", "", "atr -> área de un triángulo", "atr=base*altura/2", "base=",
                                       "altura=", ""}));
        const QColor colours[] = {{0, 0, 0}, {10, 190, 10}, {0, 50, 100}, {0, 100, 200}, {0, 100, 200}, {0, 0, 0}};
        for (int i = 0; i < 6; ++i) QCOMPARE(LineColour(2 + i), colours[i]);
        QCOMPARE(form->vars->textCursor().position(), 2);
        QVERIFY(form->Memo3->hasFocus());
        QCOMPARE(form->vars->currentCharFormat().foreground().color(), QColor(0, 0, 0));
        // The same template again: a second identical block.
        Choose(holder->ComboBox2, 1);
        QCOMPARE(Lines().size(), 14);
        QCOMPARE(Lines().mid(8), Lines().mid(2, 6));
        // One undo step takes a block back.
        form->vars->undo();
        QCOMPARE(Lines().size(), 8);
    }

    void aTemplateOnAnEmptyNotebookBeginsWithItsBlankLine()
    {
        form->Library->dddd1->trigger();
        ClickItem(holder->ComboBox2, 1);
        const QStringList block = {"", "atr -> área de un triángulo", "atr=base*altura/2", "base=", "altura=", ""};
        QCOMPARE(Lines(), block);
        const QColor colours[] = {{0, 0, 0}, {10, 190, 10}, {0, 50, 100}, {0, 100, 200}, {0, 100, 200}, {0, 0, 0}};
        for (int i = 0; i < 6; ++i) QCOMPARE(LineColour(i), colours[i]);
        QVERIFY(form->Memo3->hasFocus());
        // Typing after the block is black.
        form->vars->setFocus();
        form->vars->moveCursor(QTextCursor::End);
        QTest::keyClicks(form->vars, "r=2");
        QCOMPARE(LineColour(5), QColor(0, 0, 0));
        form->vars->undo();
        ClickItem(holder->ComboBox2, 1);
        QCOMPARE(Lines(), block + block);
        // A notebook of blank lines is not empty: the block follows them.
        form->vars->setPlainText("\n");
        ClickItem(holder->ComboBox2, 1);
        QCOMPARE(Lines(), QStringList({"", ""}) + block);
        // A constant on an empty notebook is still its only line.
        form->vars->clear();
        form->Library->Hola2->trigger();
        ClickItem(form->ComboBox1, 1);
        QCOMPARE(form->vars->toPlainText(), QString("me=9.1093897E-31"));
        QVERIFY(form->Memo3->hasFocus());
    }

    void constantsOnAnEmptyNotebookAndNoChoice()
    {
        form->Library->Hola2->trigger();
        form->vars->setFocus();
        form->ComboBox1Click(); // nothing chosen yet: only the focus moves
        QVERIFY(form->vars->document()->isEmpty());
        QVERIFY(form->Memo3->hasFocus());
        form->vars->setFocus();
        Choose(form->ComboBox1, 0);
        QCOMPARE(form->vars->toPlainText(), QString("G=6.67259E-11"));
        QCOMPARE(form->ComboBox1->currentText(), QString("G,  gravitación universal [N.m^2/kg^2]"));
        QVERIFY(form->Memo3->hasFocus());
        Choose(form->ComboBox1, 15);
        Choose(form->ComboBox1, 20);
        QCOMPARE(Lines(), QStringList({"G=6.67259E-11", "ms=1.989E30", "año=365.25"}));
        QCOMPARE(Calculate("año*2"), 730.5L);
    }

    void everyTemplateComputesItsQuantity_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("index");
        const int sizes[] = {12, 6, 16};
        for (int g = 0; g < 3; ++g)
            for (int i = 0; i < sizes[g]; ++i) QTest::addRow("%d/%d", g, i) << g << i;
    }
    void everyTemplateComputesItsQuantity()
    {
        QFETCH(int, group);
        QFETCH(int, index);
        using L = long double;
        const L pi = 3.1415926535897932385L, gt = 9.8L, ko = 8.98755E9L, G = 6.67259E-11L;
        auto deg = [](L a) { return a * 0.0174532925199433L; };
        // The quantity computed independently, inputs a, b, c, d in order.
        using F = std::function<L(L, L, L, L)>;
        const F closed[3][16] = {
            {[](L a, L b, L, L) { return a * b; }, [](L a, L b, L, L) { return a * b / 2; },
             [](L a, L b, L, L) { return a * b; }, [](L a, L b, L c, L) { return (a + b) / 2 * c; },
             [](L a, L b, L, L) { return a * b / 2; }, [&](L a, L, L, L) { return pi * a * a; },
             [](L a, L, L, L) { return 6 * a * a; }, [](L a, L b, L c, L) { return 2 * (a * b + a * c + b * c); },
             [&](L a, L b, L, L) { return 2 * pi * a * a + 2 * pi * a * b; },
             // base plus four faces of half base times the apothem
             [](L a, L b, L, L) { return a * a + 4 * (a / 2 * std::sqrt(b * b + a * a / 4)); },
             [&](L a, L, L, L) { return 4 * pi * a * a; },
             [&](L a, L b, L, L) { return pi * a * a + pi * a * std::sqrt(a * a + b * b); }},
            {[](L a, L, L, L) { return a * a * a; }, [](L a, L b, L c, L) { return a * b * c; },
             [&](L a, L b, L, L) { return pi * a * a * b; }, [](L a, L b, L, L) { return a * a * b / 3; },
             [&](L a, L, L, L) { return 4 * pi * a * a * a / 3; }, [&](L a, L b, L, L) { return pi * a * a * b / 3; }},
            {[](L a, L b, L c, L) { return a + b * c; }, [](L a, L b, L c, L d) { return a + b * d + c * d * d / 2; },
             [](L a, L b, L c, L) { return std::sqrt(a * a + 2 * b * c); }, [](L a, L b, L, L) { return a / b; },
             [&](L a, L, L, L) { return 2 * pi / a; }, [](L a, L, L, L) { return 1 / a; },
             [&](L a, L b, L c, L d) {
                 return a + b * std::tan(deg(c)) - gt * b * b / (2 * d * d * std::cos(deg(c)) * std::cos(deg(c)));
             },
             [](L a, L b, L, L) { return a * b; }, [&](L a, L b, L c, L) { return a * b * std::cos(deg(c)); },
             [](L a, L b, L, L) { return a / b; }, [](L a, L b, L, L) { return a * b * b / 2; },
             [&](L a, L b, L, L) { return a * gt * b; }, [](L a, L b, L, L) { return a * b * b / 2; },
             [](L a, L b, L c, L) { return a * b * c; }, [&](L a, L b, L c, L) { return ko * a * b / (c * c); },
             [&](L a, L b, L c, L) { return G * a * b / (c * c); }},
        };
        const TFormulaTemplate& t = FormulaTemplates(static_cast<TFormulaGroup>(group))[static_cast<std::size_t>(index)];
        // The constants some formulas need, from the constants list.
        for (int constant : {19, 13, 0}) Choose(form->ComboBox1, constant);
        QComboBox* lists[] = {holder->ComboBox2, holder->ComboBox1, holder->ComboBox3};
        Choose(lists[group], index);
        L inputs[4] = {2.5L, 3.5L, 4.5L, 5.5L};
        for (std::size_t k = 0; k < t.Inputs.size(); ++k)
            Fill(QString::fromUtf8(t.Inputs[k]) + "=", QString::number(static_cast<double>(inputs[k])));
        const QString formula = QString::fromUtf8(t.Formula);
        const L value = Calculate(formula.left(formula.indexOf('=')));
        QVERIFY2(!form->Panel6->isVisible(), qPrintable(formula));
        const L expected = closed[group][index](inputs[0], inputs[1], inputs[2], inputs[3]);
        QVERIFY2(std::fabs(value - expected) <= std::fabs(expected) * 1E-15L,
                 qPrintable(QString("%1: %2 vs %3").arg(formula).arg(static_cast<double>(value)).arg(static_cast<double>(expected))));
    }

    void repeatedNamesFollowTheCalculationRule()
    {
        // Two templates defining "sci" with the input "rci": the first text
        // definition replaces the name, and the first "rci" wins.
        Choose(holder->ComboBox2, 5);  // sci=pi*rci^2
        Choose(holder->ComboBox2, 8);  // sci=2*pi*rci*(hci+rci)
        Fill("rci=", "2", 0);
        Fill("rci=", "3", 0);
        Fill("hci=", "4");
        QCOMPARE(Calculate("sci"), 3.1415926535897932383L * 4);
        QCOMPARE(form->Memo3->toPlainText(), QString("pi*rci^2"));
        // Power and potential energy no longer share a name.
        Choose(holder->ComboBox3, 9);
        Choose(holder->ComboBox3, 11);
        Choose(form->ComboBox1, 19); // gt
        Fill("wwa=", "100");
        Fill("tmp=", "4");
        Fill("mmm=", "2");
        Fill("hal=", "10");
        QCOMPARE(static_cast<double>(Calculate("pot")), 25.0);
        QVERIFY(std::fabs(Calculate("epo") - 196) < 1E-15L);
    }

    void thePlotViewRestsTheLibrary()
    {
        form->Library->N41->trigger();
        form->ToolButton6Click();
        QVERIFY(!holder->ComboBox3->isVisible());
        QVERIFY(!form->ComboBox1->isEnabled());
        QVERIFY(!form->ToolButton5->isEnabled());
        // "Ver" > "Constantes y formulas" still toggles: the slot empties.
        form->Constantesyformulas1->trigger();
        QCOMPARE(form->Library->State(), TSlot::Empty);
        form->Constantesyformulas1->trigger();
        QCOMPARE(form->Library->State(), TSlot::Constants);
        QVERIFY(!form->ComboBox1->isEnabled());
        form->ToolButton6Click();
        QVERIFY(form->ComboBox1->isEnabled() && form->ComboBox1->isVisible());
        QVERIFY(form->ToolButton5->isEnabled());
        form->Library->N41->trigger();
        QVERIFY(holder->ComboBox3->isVisible());
    }
};

QTEST_MAIN(LibraryTest)
#include "LibraryTest.moc"
