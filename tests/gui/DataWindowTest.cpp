// The data window driven through its widgets: a spreadsheet's columns with
// decimal commas pasted into notebook lists, a cell edited (and undone in
// the notebook), a line fitted, written into the notebook and drawn over
// its points; and the statistics of a list in the expression box.
#include "PlotTestSupport.h"
#include "plot/PlotGeometry.h"
#include "plot/PlotView.h"
#include "workspace/DataWindow.h"
#include "workspace/MainForm.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

class DataWindowTest : public QObject, private TPlotFixture {
    Q_OBJECT

    TFormDatos* OpenData()
    {
        QTest::keyClick(form, Qt::Key_F7);
        auto* data = form->findChild<TFormDatos*>("FormDatos");
        if (data != nullptr && !QTest::qWaitForWindowExposed(data)) return nullptr;
        return data;
    }
    // Types `text` into the cell (row, column) through its editor, opened
    // with F2 after a click on the cell.
    void TypeInCell(QTableWidget* table, int row, int column, const QString& text)
    {
        const QRect cell = table->visualRect(table->model()->index(row, column));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::keyClick(table->viewport(), Qt::Key_F2);
        // The open editor: one that closed before may wait to be deleted.
        QLineEdit* editor = nullptr;
        const auto open = [&] {
            for (QLineEdit* e : table->viewport()->findChildren<QLineEdit*>())
                if (e->isVisible()) return editor = e, true;
            return false;
        };
        QTRY_VERIFY(open());
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    void Choose(QComboBox* combo, const QString& text)
    {
        combo->setFocus();
        while (combo->currentText() != text && combo->currentIndex() + 1 < combo->count())
            QTest::keyClick(combo, Qt::Key_Down);
    }

private slots:
    void init() { QVERIFY(OpenWindow()); }
    void cleanup() { CloseWindow(); }

    void listStatisticsInTheExpressionBox()
    {
        form->vars->setPlainText("t = 1.21; 1.25; 1.19; 1.22\nx = 1; 2; 3; 4; 5\ny = 2.1; 3.9; 6.2; 7.8; 10.1");
        const struct {
            const char* typed;
            const char* line;
        } cases[] = {{"media(t)", "media t =   1.2175"},
                     {"desv(t)", "desv t =   0.025"},
                     {"pendiente(x; y)", "pendiente(x; y) =   1.99"},
                     {"ordenada(x; y)", "ordenada(x; y) =   0.05"}};
        for (const auto& c : cases) {
            form->Memo3->clear();
            QTest::mouseClick(form->Memo3, Qt::LeftButton);
            QTest::keyClicks(form->Memo3, c.typed);
            QTest::keyClick(form->Memo3, Qt::Key_Escape); // the completion
            // The result while typing reads the lists too.
            const QString value = QString(c.line).mid(QString(c.line).indexOf(" =   ") + 5);
            QTRY_COMPARE(form->LabelVistaPrevia->text(), "= " + value);
            QTest::keyClick(form->Memo3, Qt::Key_Return);
            QTRY_COMPARE(form->memo1->document()->firstBlock().text(), QString(c.line));
        }
    }

    void pasteFitAndDraw()
    {
        TFormDatos* data = OpenData();
        QVERIFY(data != nullptr);
        // As a Spanish spreadsheet copies it: ";" and decimal commas, a header.
        QApplication::clipboard()->setText("L (m);T (s)\n0,20;0,90\n0,40;1,27\n0,60;1,55\n0,80;1,79\n1,00;2,01\n");
        QTest::mouseClick(data->BotonPegar, Qt::LeftButton);
        QVERIFY(form->vars->toPlainText().contains("L = 0.20; 0.40; 0.60; 0.80; 1.00"));
        QVERIFY(form->vars->toPlainText().contains("T = 0.90; 1.27; 1.55; 1.79; 2.01"));
        QCOMPARE(data->TablaDatos->columnCount(), 2);
        QCOMPARE(data->TablaDatos->horizontalHeaderItem(1)->text(), QString("T"));
        QVERIFY(data->Estadisticas->toPlainText().contains("T = (1.50 ± 0.19) s"));
        // The paste is one step to undo, and redo.
        form->vars->undo();
        QCOMPARE(form->vars->toPlainText(), QString());
        form->vars->redo();
        QVERIFY(form->vars->toPlainText().contains("T = 0.90; 1.27; 1.55; 1.79; 2.01"));

        // A cell typed with a decimal comma edits the notebook's line; the
        // notebook undoes it in one step.
        QTableWidget* table = data->TablaDatos;
        TypeInCell(table, 0, 0, "0,25");
        QTRY_VERIFY2(form->vars->toPlainText().contains("L = 0.25; 0.40; 0.60; 0.80; 1.00"), qPrintable(form->vars->toPlainText()));
        form->vars->undo();
        QVERIFY(form->vars->toPlainText().contains("L = 0.20; 0.40; 0.60; 0.80; 1.00"));
        QTRY_COMPARE(table->item(0, 0)->text(), QString("0.20"));

        Choose(data->ComboX, "L");
        Choose(data->ComboY, "T");
        QTest::mouseClick(data->BotonAjustar, Qt::LeftButton);
        QVERIFY2(data->LastFit().Ok, qPrintable(data->LabelError->text()));
        // Slope 1.37 and intercept 0.682 exactly, from the decimal data.
        QVERIFY(std::fabs(data->LastFit().Coefficients[1] - 1.37L) < 1e-15L);
        QVERIFY(std::fabs(data->LastFit().Coefficients[0] - 0.682L) < 1e-15L);
        QVERIFY(data->ResultadoAjuste->toPlainText().startsWith("Recta: y = 0.682 + 1.37*x"));
        QTest::mouseClick(data->BotonCuaderno, Qt::LeftButton);
        QVERIFY(form->vars->toPlainText().contains("ajuste(x)=0.682 + 1.37*x"));
        QVERIFY(form->vars->toPlainText().contains("residuos = "));

        QTest::mouseClick(data->BotonDibujar, Qt::LeftButton);
        QVERIFY(view->isVisible());
        QCOMPARE(view->Points().X.size(), std::size_t(5));
        QCOMPARE(view->Edit1->text(), QString("ajuste(x)"));
        QCOMPARE(view->PlotRange, 3);
        // The points in their colour, the fitted line over them.
        const QImage picture = Render();
        const plot::TFrame f = plot::MakeFrame(538, 400, 3);
        const auto near = [&](double x, double y, QColor colour) {
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (picture.pixel(static_cast<int>(f.PixelX(x)) + dx, static_cast<int>(f.PixelY(y)) + dy) ==
                        colour.rgb())
                        return true;
            return false;
        };
        QVERIFY(near(0.6, 1.55, QColor(200, 90, 0)));
        QVERIFY(near(-1, 0.682 - 1.37, TPlotView::CurveColour(0)));
        view->grab().save(QDir::temp().filePath("zentrova-datos-plot.png"));
        data->grab().save(QDir::temp().filePath("zentrova-datos.png"));

        // "Quitar los datos" from the context menu takes the points away.
        view->pbfunction->setFocus();
        QTest::keyClick(view->pbfunction, Qt::Key_Menu);
        QTRY_VERIFY(view->PopupMenu4->isVisible());
        QTest::mouseClick(view->PopupMenu4, Qt::LeftButton, {},
                          view->PopupMenu4->actionGeometry(view->Quitardatos1).center());
        QTRY_VERIFY(view->Points().X.empty());
    }

    // Names from the headers never take another definition's line, nor
    // each other's; a blank inside a column is refused.
    void pastedNames()
    {
        const struct {
            const char* notebook;
            const char* pasted;
            const char* after; // the notebook afterwards
            const char* error;
        } cases[] = {
            {"g=9.81", "T1\tT2\tg (m/s2)\n1\t2\t3\n4\t5\t6\n", "g=9.81\nT = 1; 4\ncolA = 2; 5\ncolB = 3; 6", ""},
            // "T" is the name "t" has: that list is replaced.
            {"t = 7; 8", "Δt;T\n1,5;2\n2,5;3\n", "T = 2; 3\nΔt = 1.5; 2.5", ""},
            {"t = 7; 8", "t\n1\n2\n", "t = 1; 2", ""},
            {"", "x\ty\n1\t10\n\t20\n3\t\n", "",
             "La columna 1 tiene una celda vacía en la fila 2 de sus datos: cada fila debe tener todos sus valores"},
        };
        TFormDatos* data = OpenData();
        QVERIFY(data != nullptr);
        for (const auto& c : cases) {
            form->vars->setPlainText(QString::fromUtf8(c.notebook));
            data->Refresh();
            QApplication::clipboard()->setText(QString::fromUtf8(c.pasted));
            QTest::mouseClick(data->BotonPegar, Qt::LeftButton);
            QCOMPARE(form->vars->toPlainText(), QString::fromUtf8(c.after));
            QCOMPARE(data->LabelError->text(), QString::fromUtf8(c.error));
        }
    }

    void aCellThatIsNotANumberIsRefused()
    {
        form->vars->setPlainText("a = 1; 2; 3");
        TFormDatos* data = OpenData();
        QVERIFY(data != nullptr);
        QTableWidget* table = data->TablaDatos;
        QCOMPARE(table->rowCount(), 4); // a free row for a new value
        const struct {
            int row;
            const char* typed;
            const char* line;   // the notebook's line afterwards
            const char* error;  // the window's message
        } cases[] = {
            {1, "abc", "a = 1; 2; 3", "«abc» no es un número"},
            {3, "4,5", "a = 1; 2; 3; 4.5", ""},
            {0, "-2E3", "a = -2E3; 2; 3; 4.5", ""},
        };
        for (const auto& c : cases) {
            TypeInCell(table, c.row, 0, c.typed);
            // The editor hands its text over when the events are processed.
            QTRY_COMPARE(data->LabelError->text(), QString::fromUtf8(c.error));
            QTRY_COMPARE(form->vars->toPlainText(), QString(c.line));
        }
        QTRY_COMPARE(table->item(1, 0)->text(), QString("2"));
    }
};

QTEST_MAIN(DataWindowTest)
#include "DataWindowTest.moc"
