// The plot with the notebook: its values and functions drawn, the sliders
// of the values moved with the keyboard and written back.
#include "PlotTestSupport.h"
#include "analysis/NotablePoints.h"
#include "plot/NotablePointsDialog.h"
#include "plot/ParameterSliders.h"
#include "plot/PlotView.h"
#include "workspace/ConfigForm.h"
#include "workspace/MainForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

class PlotNotebookTest : public QObject, private TPlotFixture {
    Q_OBJECT

    // The curve of `function` passes within a pixel of (x, y) of the plane
    // (a 538 x 400 picture at range 10).
    bool Passes(const QImage& image, int function, double x, double y)
    {
        const plot::TFrame f = plot::MakeFrame(538, 400, 10);
        const int px = static_cast<int>(f.PixelX(x)), py = static_cast<int>(f.PixelY(y));
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (image.pixel(px + dx, py + dy) == TPlotView::CurveColour(function).rgb()) return true;
        return false;
    }

private slots:
    void init() { QVERIFY(OpenWindow()); }
    void cleanup() { CloseWindow(); }

    void notebookValuesAndFunctionsDraw()
    {
        struct Case {
            const char* notebook;
            const char* functions;
            std::vector<std::tuple<int, double, double>> points; // function, x, y
            int sliders;
        };
        const Case cases[] = {
            {"f(x)=x^2-2\nk=1", "f(x); k*x", {{0, 0, -2}, {0, 2, 2}, {1, 3, 3}, {1, -4, -4}}, 1},
            {"f(x)=x^2-2", "f(x); f(x)+1", {{0, 1, -1}, {1, 1, 0}}, 0},
            {"V(r;h)=r*h\nk=2", "V(x;k)", {{0, 1, 2}, {0, -3, -6}}, 1},
            {"x=5\nc=1", "x+c", {{0, 0, 1}, {0, 2, 3}}, 1}, // the plot's own x
            {"k=2\nf(t)=k*t\ng(t)=f(t)+1", "g(x)", {{0, 1, 3}, {0, -1, -1}}, 1}, // k read in a body
        };
        form->ToolButton6Click();
        for (const Case& c : cases) {
            form->vars->setPlainText(c.notebook);
            Draw(c.functions);
            QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
            const QImage image = Render();
            for (const auto& [function, x, y] : c.points)
                QVERIFY2(Passes(image, function, x, y), qPrintable(QString("%1 at %2").arg(c.functions).arg(x)));
            QCOMPARE(view->Sliders->Count(), c.sliders);
            QCOMPARE(view->Sliders->isVisible(), c.sliders > 0);
        }
        // Without the notebook's line the name is unknown, as before.
        form->vars->clear();
        Draw("k*x");
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].contains("Valor desconocido"));
        QCOMPARE(view->Sliders->Count(), 0);
    }

    void notablePointsOfNotebookFunctions()
    {
        form->vars->setPlainText("f(x)=x^2-2\nk=1");
        form->ToolButton6Click();
        Draw("f(x); k*x");
        QTest::mouseClick(view->Button3, Qt::LeftButton);
        QVERIFY(errors.isEmpty());
        const analysis::TNotablePoints found = analysis::FindNotablePoints(view->Functions(), view->PlotRange);
        int zeros = 0, crossings = 0;
        for (const analysis::TNotablePoint& p : found.Points) {
            if (p.Kind == analysis::TPointKind::Zero && p.Function == 0 && std::fabs(std::fabs(p.X) - std::sqrt(2.0L)) < 1e-9L) ++zeros;
            if (p.Kind == analysis::TPointKind::Intersection && (std::fabs(p.X - 2) < 1e-9L || std::fabs(p.X + 1) < 1e-9L)) ++crossings;
        }
        QCOMPARE(zeros, 2);
        QCOMPARE(crossings, 2);
        QTRY_VERIFY(view->NotableList); // the search runs on a worker
    }

    void slidersReachTwiceTheValueEachSide()
    {
        struct Case {
            long double value, step;
            int steps;
        };
        const Case cases[] = {{1, 0.01L, 200}, {3, 0.01L, 600}, {0, 0.01L, 100}, {-250, 1, 500},
                              {0.004L, 1e-5L, 800}, {5e7L, 1e6L, 100}};
        for (const Case& c : cases) {
            const analysis::TSliderRange r = analysis::SliderRangeFor(c.value);
            QCOMPARE(static_cast<double>(r.Step), static_cast<double>(c.step));
            QCOMPARE(r.Steps, c.steps);
            QCOMPARE(static_cast<double>(r.ValueAt(0)), static_cast<double>(c.value));
            const long double low = r.ValueAt(-r.Steps), high = r.ValueAt(r.Steps);
            const long double reach = c.value != 0 ? 2 * std::fabs(c.value) : 1;
            QVERIFY(std::fabs(high - c.value - reach) <= r.Step / 2 && std::fabs(c.value - low - reach) <= r.Step / 2);
        }
        // The ends of the extended range: a range of whole steps all the same.
        for (const long double extreme : {1e4931L, -1e4931L, 1e-4950L, 4e-4951L}) {
            const analysis::TSliderRange r = analysis::SliderRangeFor(extreme);
            QVERIFY(r.Step > 0 && r.Steps >= 1 && r.Steps <= 2000);
        }
    }

    void theSliderRedrawsAndWritesBack()
    {
        form->vars->setPlainText("nota\nk= 1\nf(x)=x^2-2");
        form->ToolButton6Click();
        Draw("f(x); k*x");
        QVERIFY(errors.isEmpty());
        auto* slider = view->Sliders->findChild<QSlider*>("Deslizador_k");
        auto* value = view->Sliders->findChild<QLabel*>("Valor_k");
        QVERIFY(slider && value);
        QCOMPARE(value->text(), QString("1"));
        QVERIFY(Passes(Render(), 1, 2, 2));
        const QImage before = view->Picture();
        PaintCounter counter;
        view->pbfunction->installEventFilter(&counter);
        // Five pages of twenty hundredths: k = 2.
        slider->setFocus();
        for (int i = 0; i < 5; ++i) QTest::keyClick(slider, Qt::Key_PageUp);
        QTRY_VERIFY(counter.Paints >= 1);
        QCOMPARE(value->text(), QString("2"));
        // The value reaches the engine once the work it stopped is over.
        QTRY_VERIFY(view->Picture() != before);
        const QImage moved = Render();
        QVERIFY(Passes(moved, 1, 2, 4));
        QVERIFY(!Passes(moved, 1, 2, 2));
        QVERIFY(Passes(moved, 0, 0, -2)); // the other curve stays
        QVERIFY(form->vars->toPlainText().contains("k= 1")); // the notebook unchanged
        // Written back into its line, blanks kept, and undone with Ctrl+Z.
        QTest::mouseClick(view->Sliders->findChild<QToolButton*>("Escribir_k"), Qt::LeftButton);
        QCOMPARE(form->vars->toPlainText(), QString("nota\nk= 2\nf(x)=x^2-2"));
        form->ToolButton6Click(); // back to the notebook
        form->vars->setFocus();
        QTest::keyClick(form->vars, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->vars->toPlainText(), QString("nota\nk= 1\nf(x)=x^2-2"));
    }

    // Ten sliders on the smallest window: they scroll, and the picture keeps
    // at least half the view.
    void manySlidersLeaveThePictureHalfTheView()
    {
        QString notebook, function = "x";
        for (char name = 'a'; name <= 'j'; ++name) {
            notebook += QString("%1=%2\n").arg(QChar(name)).arg(name - 'a' + 1);
            function += QString("+%1").arg(QChar(name));
        }
        form->vars->setPlainText(notebook);
        form->resize(550, 520);
        form->ToolButton6Click();
        Draw(function);
        QTRY_VERIFY(view->Sliders->isVisible());
        QCOMPARE(view->Sliders->findChildren<QSlider*>().size(), 10);
        QTRY_VERIFY(view->pbfunction->height() >= view->height() / 2 - view->Panel5->height());
        auto* scroll = view->findChild<QScrollArea*>("DesplazarDeslizadores");
        QVERIFY(scroll && scroll->isVisible());
        QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
        Draw("x^2"); // no value used: the sliders go, and their scroll area
        QTRY_VERIFY(!scroll->isVisible());
    }

    // "Al cuaderno" only for a moved slider, with every digit of its value
    // (never INF at the end of the extended range), and the status bar says
    // what was written.
    void aMovedSliderWritesItsExactValue()
    {
        const struct {
            const char* line;
            const char* function;
            Qt::Key key;
            const char* written;
        } cases[] = {
            {"p=1.23456789012345", "p*x", Qt::Key_PageUp, "p=1.47456789012345"}, // 24 steps of 0.01
            {"q=-0.1", "q*x", Qt::Key_Right, "q=-0.099"},
            {"g=1.1e4932", "g*0+x", Qt::Key_End, "g=1.18E4932"}, // the largest finite step
        };
        for (const auto& c : cases) {
            form->vars->setPlainText(QString("nota\n") + c.line);
            if (!view->isVisible()) form->ToolButton6Click();
            Draw(c.function);
            const QString name = QString(c.line).section('=', 0, 0);
            auto* slider = view->Sliders->findChild<QSlider*>("Deslizador_" + name);
            auto* write = view->Sliders->findChild<QToolButton*>("Escribir_" + name);
            QVERIFY(slider && write);
            QVERIFY(!write->isEnabled()); // the notebook has the value already
            slider->setFocus();
            QTest::keyClick(slider, c.key);
            QVERIFY(write->isEnabled());
            QTest::mouseClick(write, Qt::LeftButton);
            QCOMPARE(form->vars->toPlainText(), QString("nota\n") + c.written);
            QCOMPARE(form->statusBar()->currentMessage(), QString("Escrito en el cuaderno: ") + c.written);
        }
    }

    // A heavy function of the notebook (4096 sines a value) is drawn on
    // the model's thread: "Dibujar" comes back at once, the window takes
    // keys meanwhile, a slider's moves drop the stale work, and the last
    // picture is the one of the last value.
    void aHeavyFunctionDrawsWithoutHoldingTheWindow()
    {
        // ha(t) = sin(t)*k, hb(t) = ha(t)*0.5 + ha(t)*0.5, ... hm: 4096 calls of ha.
        QString notebook = "k=1\nha(t)=sin(t)*k\n";
        for (char level = 'b'; level <= 'm'; ++level)
            notebook += QString("h%1(t)=h%2(t)*0.5+h%2(t)*0.5\n").arg(QChar(level)).arg(QChar(level - 1));
        form->vars->setPlainText(notebook);
        form->ToolButton6Click();
        Draw("hm(x)");
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        QTRY_VERIFY(view->Model->Drawing()); // asked for by the first paint
        // Keys reach the box while the curve is sampled.
        QTest::keyClick(view->Edit1, Qt::Key_End);
        QTest::keyClick(view->Edit1, ' ');
        QCOMPARE(view->Edit1->text(), QString("hm(x) "));
        auto* slider = view->Sliders->findChild<QSlider*>("Deslizador_k");
        QVERIFY(slider);
        slider->setFocus();
        for (int i = 0; i < 5; ++i) QTest::keyClick(slider, Qt::Key_PageUp); // k = 2 at the end
        QTRY_VERIFY_WITH_TIMEOUT(!view->Model->Drawing() && view->Model->Picture() != nullptr &&
                                     view->Model->Picture()->Version == view->Model->Version(),
                                 120000);
        // The value is the last one, and the picture its curve: 2 sin x.
        const std::shared_ptr<TMathParser> parser = view->Model->Parser();
        QCOMPARE(static_cast<double>(parser->Variable(parser->FindVariable("k")).Value), 2.0);
        QVERIFY(Passes(Render(), 0, 9, 2 * std::sin(9 * 0.0174532925199433)));
    }
};

QTEST_MAIN(PlotNotebookTest)
#include "PlotNotebookTest.moc"
