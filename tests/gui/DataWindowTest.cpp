// The data window driven through its widgets: a spreadsheet's columns with
// decimal commas pasted into notebook lists, a cell edited (and undone in
// the notebook), a line fitted, written into the notebook and drawn over
// its points; and the statistics of a list in the expression box.
#include "PlotTestSupport.h"
#include "plot/PlotView.h"
#include "workspace/DataWindow.h"
#include "workspace/MainForm.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
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
        if (data != nullptr) QTest::qWaitForWindowExposed(data);
        return data;
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
        QVERIFY(data->Estadisticas->toPlainText().contains("T = (1.50 ± 0.19)"));

        // A cell typed with a decimal comma edits the notebook's line; the
        // notebook undoes it in one step.
        QTableWidget* table = data->TablaDatos;
        const QRect cell = table->visualRect(table->model()->index(0, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::keyClick(table->viewport(), Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor != nullptr);
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, "0,25");
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY2(form->vars->toPlainText().contains("L = 0.25; 0.4; 0.6; 0.8; 1"), qPrintable(form->vars->toPlainText()));
        form->vars->undo();
        QVERIFY(form->vars->toPlainText().contains("L = 0.20; 0.40; 0.60; 0.80; 1.00"));
        QTRY_COMPARE(table->item(0, 0)->text(), QString("0.2"));

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
        const QImage image = view->grab().toImage();
        image.save(QDir::temp().filePath("zentrova-datos-plot.png"));
        data->grab().save(QDir::temp().filePath("zentrova-datos.png"));
    }
};

QTEST_MAIN(DataWindowTest)
#include "DataWindowTest.moc"
