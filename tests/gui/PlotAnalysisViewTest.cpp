// The plot's analysis driven through its widgets: the derivative, slope and
// tangent, the area, the notable points' search on its worker.
#include "PlotTestSupport.h"
#include "plot/NotablePointsDialog.h"
#include "plot/PlotGeometry.h"
#include "plot/PlotView.h"
#include "plot/SvgPicture.h"
#include "plot/TangentPanel.h"
#include "plot/ValueTableDialog.h"
#include "workspace/ConfigForm.h"
#include "workspace/MainForm.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class PlotAnalysisViewTest : public QObject, private TPlotFixture {
    Q_OBJECT

    // A cell of the notable points' list as it shows it.
    QString ListCell(int row, int column) const
    {
        return view->NotableList->List->model()->index(row, column).data().toString();
    }

private slots:
    void init() { QVERIFY(OpenWindow()); }
    void cleanup() { CloseWindow(); }

    void theDerivativeIsDrawnDashedInTheFunctionsColour()
    {
        Draw("x");
        ShowView();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        // f' = 1: a dashed blue line at y = 1 (row 200 - 20), drawn only with "Derivada".
        auto row = [this](const QImage& image) {
            int blue = 0, gaps = 0;
            for (int x = 1; x < image.width(); ++x) {
                blue += Blue(image, x, 180);
                gaps += Blue(image, x - 1, 180) && !Blue(image, x, 180);
            }
            return std::pair(blue, gaps);
        };
        QVERIFY(row(Render()).first < 5);
        QCOMPARE(view->LegendEntries(), QStringList{"x"}); // no legend for one curve
        ChooseInMenu(view->Derivada1);
        QVERIFY(view->Derivada1->isChecked());
        // The legend names the derivative, in the function's colour.
        QCOMPARE(view->LegendEntries(), QStringList({"x", "(x)′"}));
        QVERIFY(Coloured(Render(), QRect(6, 6, 60, 40), TPlotView::CurveColour(0)));
        const QImage image = Render();
        image.save(QDir::temp().filePath("zentrova-derivada.png"));
        const auto [blue, gaps] = row(image);
        QVERIFY2(blue > 538 * 4 / 10 && blue < 538 * 3 / 4, qPrintable(QString::number(blue)));
        QVERIFY2(gaps >= 40, qPrintable(QString::number(gaps)));
        // Its own unit: sin x in degrees has the slope cos(x) pi/180, about 0 at this scale.
        Draw("sin(x)*57.29577951308232");
        QVERIFY(Blue(Render(), 269, 180)); // cos 0 = 1
        ChooseInMenu(view->Derivada1);
        QVERIFY(!view->Derivada1->isChecked());
    }

    void theSlopeAndTangentByClickAndByTyping()
    {
        Draw("x^2; x+20");
        ShowView();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        TTangentPanel* panel = view->TangentPanel;
        QVERIFY(!panel->isVisible());
        // A click on the parabola near x = 1.
        const plot::TFrame f = plot::MakeFrame(view->pbfunction->width(), view->pbfunction->height(), 10);
        QTest::mouseClick(view->pbfunction, Qt::LeftButton, {}, QPoint(f.Cx + f.Ux, f.Cy - f.Uy));
        QTRY_VERIFY(panel->isVisible());
        // Worked out on the model's thread.
        QTRY_VERIFY2(panel->LabelTangente->text().contains("Pendiente f′(x) = 1.9"), qPrintable(panel->LabelTangente->text()));
        QCOMPARE(panel->ComboTangente->currentIndex(), 0);
        // The box holds the whole x of the click, and the strip wraps its
        // line rather than cut the equation.
        QVERIFY(panel->EditTangente->text().size() > 12);
        QVERIFY(QFontMetrics(panel->EditTangente->font()).horizontalAdvance(panel->EditTangente->text()) <
                panel->EditTangente->width());
        QTRY_VERIFY(panel->LabelTangente->height() >= panel->LabelTangente->heightForWidth(panel->LabelTangente->width()));
        QVERIFY(view->grab().save(QDir::temp().filePath("zentrova-franja-tangente.png")));
        // A click away from every curve marks the point and leaves the tangent.
        const QString before = panel->LabelTangente->text();
        QTest::mouseClick(view->pbfunction, Qt::LeftButton, {}, QPoint(f.Cx + 3 * f.Ux, f.Cy + 5 * f.Uy));
        QCOMPARE(panel->LabelTangente->text(), before);
        // Typed: x = 2 gives y = 4, slope 4, y = 4x - 4, drawn through (3, 8).
        struct Case {
            const char* x;
            const char* shown;
        };
        const Case cases[] = {
            {"2", "Punto: x = 2; y = 4   Pendiente f′(x) = 4   Tangente: y = 4·x - 4"},
            {"-0.5", "Punto: x = -0.5; y = 0.25   Pendiente f′(x) = -1   Tangente: y = -x - 0.25"},
            {"0", "Punto: x = 0; y = 0   Pendiente f′(x) = 0   Tangente: y = 0"},
            {"2*", "x: Falta el argumento a la derecha o izquierda"},
            {"x+1", "x: no puede depender de x"},
        };
        for (const Case& c : cases) {
            ChooseInMenu(view->Tangente1);
            QTRY_VERIFY(panel->EditTangente->hasFocus());
            QTest::keyClicks(panel->EditTangente, c.x);
            QTest::keyClick(panel->EditTangente, Qt::Key_Return);
            QTRY_COMPARE(panel->LabelTangente->text(), QString(c.shown));
            if (QString(c.x) == "2") {
                const QImage image = Render();
                image.save(QDir::temp().filePath("zentrova-tangente.png"));
                const plot::TFrame g = plot::MakeFrame(538, 400, 10);
                const QRect around(static_cast<int>(g.PixelX(3)) - 1, static_cast<int>(g.PixelY(8)) - 1, 3, 3);
                QVERIFY(Coloured(image, around, QColor(0, 0, 255).darker(150)));
            }
        }
        // The second function, chosen in the list: the line y = x + 20 is its own tangent.
        panel->EditTangente->setText("1");
        panel->ComboTangente->setFocus();
        QTest::keyClick(panel->ComboTangente, Qt::Key_Down);
        QTRY_COMPARE(panel->LabelTangente->text(), QString("Punto: x = 1; y = 21   Pendiente f′(x) = 1   Tangente: y = x + 20"));
        // A new drawing works the open strip out again for its functions.
        Draw("x^3");
        QTRY_COMPARE(panel->LabelTangente->text(), QString("Punto: x = 1; y = 1   Pendiente f′(x) = 3   Tangente: y = 3·x - 2"));
        // Functions without a slope there, or at all.
        Draw("abs(x); random*x");
        ChooseInMenu(view->Tangente1);
        QTest::keyClicks(panel->EditTangente, "0");
        QTest::keyClick(panel->EditTangente, Qt::Key_Return);
        QTRY_VERIFY(panel->LabelTangente->text().contains("no tiene derivada"));
        panel->SetFunction(1);
        QTest::keyClick(panel->EditTangente, Qt::Key_Return);
        QTRY_VERIFY(panel->LabelTangente->text().startsWith("Sin derivada"));
        QTest::keyClick(panel->EditTangente, Qt::Key_Escape);
        QVERIFY(!panel->isVisible());
        ChooseInMenu(view->Tangente1);
        QVERIFY(panel->isVisible());
        QTest::mouseClick(panel->CerrarTangente, Qt::LeftButton);
        QVERIFY(!panel->isVisible());
    }

    void theTableShowsTheDerivativeOnRequest()
    {
        Draw("x^3; random");
        ShowView();
        QTest::mouseClick(view->Button2, Qt::LeftButton);
        TValueTableDialog* table = view->ValueTable;
        QVERIFY(table);
        QCOMPARE(table->Model()->columnCount(), 3);
        QTest::mouseClick(table->CheckDerivada, Qt::LeftButton, {}, QPoint(8, table->CheckDerivada->height() / 2));
        QVERIFY(table->CheckDerivada->isChecked());
        TValueTableModel* model = table->Model();
        QCOMPARE(model->columnCount(), 5);
        // "f1′(x)" above the derivative of the first function, its formula in the tooltip and the copy.
        QCOMPARE(model->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QString("f1′(x)"));
        QCOMPARE(model->headerData(2, Qt::Horizontal, Qt::ToolTipRole).toString(), QString("(x^3)′"));
        QCOMPARE(model->headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), QString("f2′(x)"));
        QVERIFY(model->Text(0, 1, ".", "\t").startsWith("x\tx^3\t(x^3)′"));
        QCOMPARE(model->index(12, 0).data().toString(), QString("2")); // -10 .. 10 by 1
        QTRY_COMPARE(model->index(12, 2).data().toString(), QString("12"));
        // The columns take the width of what they show.
        auto* grid = table->findChild<QTableView*>();
        QVERIFY(grid);
        QTRY_VERIFY(grid->columnWidth(0) < 170);
        QCOMPARE(model->index(12, 4).data().toString(), QString("—"));
        QTRY_VERIFY(table->Status->text().contains("«random» sin derivada"));
        QTest::mouseClick(table->CheckDerivada, Qt::LeftButton, {}, QPoint(8, table->CheckDerivada->height() / 2));
        QCOMPARE(table->Model()->columnCount(), 3);
        table->close();
    }

    void theTableShowsFractionsWhenItsStepIsOne()
    {
        Draw("x^2/2 + 1; sqrt(x)");
        ShowView();
        QTest::mouseClick(view->Button2, Qt::LeftButton);
        TValueTableDialog* table = view->ValueTable;
        QVERIFY(table);
        for (QLineEdit* edit : {table->EditFrom, table->EditStep}) {
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
        }
        QTest::keyClicks(table->EditFrom, "0");
        QTest::keyClicks(table->EditStep, "1/3");
        QTest::mouseClick(table->CheckFracciones, Qt::LeftButton, {}, QPoint(8, table->CheckFracciones->height() / 2));
        QVERIFY(table->CheckFracciones->isChecked());
        TValueTableModel* model = table->Model();
        // Row 4: x = 4/3, x^2/2 + 1 = 17/9 exactly; sqrt stays decimal.
        QCOMPARE(model->index(4, 0).data().toString(), QString("4/3"));
        QTRY_COMPARE(model->index(4, 1).data().toString(), QString("17/9"));
        QCOMPARE(model->index(3, 1).data().toString(), QString("3/2"));
        QCOMPARE(model->index(4, 2).data().toString(), QString("1.15470054"));
        // Off: decimals as before.
        QTest::mouseClick(table->CheckFracciones, Qt::LeftButton, {}, QPoint(8, table->CheckFracciones->height() / 2));
        QCOMPARE(model->index(4, 0).data().toString(), QString("1.33333333"));
        QTRY_COMPARE(model->index(4, 1).data().toString(), QString("1.88888889"));
        table->close();
    }

    void theAreaFromTheMenuIsShownAndShaded()
    {
        Draw("x^2; x+2");
        ShowView();
        // "Área" from the context menu, by a click on its item.
        view->pbfunction->setFocus();
        QTest::keyClick(view->pbfunction, Qt::Key_Menu);
        QTRY_VERIFY(view->PopupMenu4->isVisible());
        QTest::mouseClick(view->PopupMenu4, Qt::LeftButton, {},
                          view->PopupMenu4->actionGeometry(view->Area1).center());
        QTRY_VERIFY(view->AreaWindow && view->AreaWindow->isVisible());
        TAreaDialog* area = view->AreaWindow;
        // Between the two intersections, offered once the notable points are found.
        QVERIFY(QTest::qWaitForWindowExposed(area));
        QTest::mouseClick(area->RadioBetween, Qt::LeftButton, {}, QPoint(8, area->RadioBetween->height() / 2));
        QVERIFY(area->RadioBetween->isChecked());
        QTRY_COMPARE(area->ComboPoints->count(), 2);
        area->ComboPoints->setFocus();
        QTest::keyClick(area->ComboPoints, Qt::Key_Down);
        QCOMPARE(area->EditFrom->text(), QString("-1"));
        QCOMPARE(area->EditTo->text(), QString("2"));
        QTest::mouseClick(area->ButtonCompute, Qt::LeftButton);
        QTRY_VERIFY2(area->Result->text().contains(" = 4.5 (error estimado: "), qPrintable(area->Result->text()));
        // Shaded between the curves, in the first one's colour, light: at x = 0.5 from y = 0.25 to 2.5.
        QTRY_VERIFY(view->Picture().width() > 0);
        const QImage shaded = Render();
        QVERIFY(shaded.save(QDir::temp().filePath("zentrova-area.png")));
        const QRgb inside = shaded.pixel(269 + 13, 200 - 30);
        QVERIFY2(qBlue(inside) == 255 && qRed(inside) < 255 && qRed(inside) > 150, qPrintable(QString::number(inside, 16)));
        QCOMPARE(shaded.pixel(269 + 13, 200 - 60), qRgb(255, 255, 255)); // above x + 2
        // a and b typed, the integral of the first function.
        QTest::mouseClick(area->RadioIntegral, Qt::LeftButton, {}, QPoint(8, area->RadioIntegral->height() / 2));
        for (auto [edit, text] : {std::pair{area->EditFrom, "0"}, std::pair{area->EditTo, "1"}}) {
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(edit, text);
        }
        QTest::keyClick(area->EditTo, Qt::Key_Return);
        QTRY_VERIFY2(area->Result->text().contains(" = 0.333333333333333333 (error estimado: "), qPrintable(area->Result->text()));
        QVERIFY(area->grab().save(QDir::temp().filePath("zentrova-ventana-area.png")));
        // Both results stay listed; the row of the pairs says "Intervalo".
        QCOMPARE(area->ListaAreas->count(), 2);
        QVERIFY(area->ListaAreas->item(0)->text().contains(" = 4.5 "));
        QVERIFY(area->ListaAreas->item(1)->text().contains(" = 0.333333333333333333 "));
        auto* formLayout = area->findChild<QFormLayout*>();
        QVERIFY(formLayout);
        QCOMPARE(qobject_cast<QLabel*>(formLayout->labelForField(area->ComboPoints))->text(), QString("&Intervalo:"));
        // The points found for the pairs are not marked on the picture: no
        // grey dot at the intersection (2, 4).
        const plot::TFrame frame = plot::MakeFrame(538, 400, 10);
        const QPoint cut(static_cast<int>(frame.PixelX(2)), static_cast<int>(frame.PixelY(4)));
        QVERIFY(!Coloured(Render(), QRect(cut.x() - 3, cut.y() - 3, 7, 7), QColor(64, 64, 64)));
        // A bound that is not a number, and an integral that diverges, are said.
        area->EditFrom->setFocus();
        QTest::keyClick(area->EditFrom, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(area->EditFrom, "x");
        QTest::mouseClick(area->ButtonCompute, Qt::LeftButton);
        QVERIFY(area->Result->text().contains("no puede depender de x"));
        // A new drawing takes the shading and the list away.
        Draw("1/x");
        QCOMPARE(Render().pixel(269 + 13, 200 - 30), qRgb(255, 255, 255));
        QCOMPARE(area->ListaAreas->count(), 0);
        area->EditFrom->setText("-1");
        QTest::mouseClick(area->ButtonCompute, Qt::LeftButton);
        QTRY_VERIFY2(area->Result->text().contains("diverge"), qPrintable(area->Result->text()));
        area->close();
    }

    void aLongSearchShowsItsProgressAndStops()
    {
        ShowView();
        view->PlotRange = 2000;
        Draw("sin(50*x); cos(51*x); sin(52*x)*x; cos(53*x)/2; sin(54*x)+0.1; cos(55*x)-0.1");
        struct Case {
            bool escape; // Esc on the paint area, else a click on "Detener"
        };
        for (const Case c : {Case{false}, Case{true}}) {
            QTest::mouseClick(view->Button3, Qt::LeftButton);
            QVERIFY(view->Analysing());
            QVERIFY(view->ProgressBar1->isVisible() && view->ButtonStop->isVisible());
            if (c.escape) QTest::keyClick(view->pbfunction, Qt::Key_Escape);
            else QTest::mouseClick(view->ButtonStop, Qt::LeftButton);
            QVERIFY(!view->Analysing());
            QVERIFY(!view->ProgressBar1->isVisible() && !view->ButtonStop->isVisible());
            QTest::qWait(50); // nothing comes of the stopped search
            QVERIFY(!view->NotableList || !view->NotableList->isVisible());
        }
        // Run to its end, then a new drawing while another runs: the old result is dropped.
        view->PlotRange = 10;
        Draw("x^2-1");
        QTest::mouseClick(view->Button3, Qt::LeftButton);
        Draw("x^2-4");
        QTest::mouseClick(view->Button3, Qt::LeftButton);
        QTRY_VERIFY(view->NotableList && view->NotableList->isVisible());
        QCOMPARE(ListCell(0, 1), QString("x^2-4"));
        QCOMPARE(ListCell(0, 2), QString("-2"));
        // Zeros that are exactly fractions show them, unless their decimal ends.
        Draw("3*x^2 + 0.5*x - 0.5; x^2 - 2");
        QTest::mouseClick(view->Button3, Qt::LeftButton);
        QTRY_VERIFY(view->NotableList && view->NotableList->isVisible());
        QStringList zeros;
        for (int r = 0; r < view->NotableList->List->model()->rowCount(); ++r)
            if (ListCell(r, 0) == "Cero") zeros << ListCell(r, 2);
        QCOMPARE(zeros, QStringList({"-0.5", "1/3", "-1.41421356237309505", "1.41421356237309505"}));
        // The new kinds of point are listed with their marks.
        Draw("1/(x-1); sqrt(4-x^2)");
        QTest::mouseClick(view->Button3, Qt::LeftButton);
        QTRY_VERIFY(view->NotableList && view->NotableList->isVisible());
        QStringList kinds;
        for (int r = 0; r < view->NotableList->List->model()->rowCount(); ++r)
            kinds << ListCell(r, 0) + " " + ListCell(r, 2) + " " + ListCell(r, 3);
        QVERIFY2(kinds.contains("Asíntota vertical 1 —") && kinds.contains("Extremo del dominio -2 0") &&
                     kinds.contains("Corte con el eje y 0 2"),
                 qPrintable(kinds.join(", ")));
        const QImage picture = Render();
        QCOMPARE(picture.save(QDir::temp().filePath("zentrova-puntos.png")), true);
        // The asymptote's dashed line in the first curve's colour, away from the curve.
        QVERIFY(Coloured(picture, QRect(269 + 26 - 1, 280, 3, 20), QColor(0, 0, 255)));
        view->NotableList->close();
    }
};

QTEST_MAIN(PlotAnalysisViewTest)
#include "PlotAnalysisViewTest.moc"
