// The plot view driven through its widgets; pictures are checked pixel by
// pixel in images of a known size.
#include "plot/PlotView.h"
#include "workspace/ConfigForm.h"
#include "workspace/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class PlotViewTest : public QObject {
    Q_OBJECT

    Tdemoform* form = nullptr;
    TPlotView* view = nullptr;
    QStringList errors;

    template <typename T> T* Find(QObject* root, const char* name)
    {
        T* w = root->findChild<T*>(name);
        if (!w) qFatal("no widget %s", name);
        return w;
    }
    void Draw(const QString& function)
    {
        view->Edit1->setText(function);
        view->Button1->click();
    }
    QImage Render(int w = 538, int h = 400)
    {
        QImage image(w, h, QImage::Format_RGB32);
        QPainter painter(&image);
        view->Render(painter, QSize(w, h));
        return image;
    }
    static bool Blue(const QImage& image, int x, int y) { return image.pixel(x, y) == qRgb(0, 0, 255); }
    static int BlueInColumn(const QImage& image, int x)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) n += Blue(image, x, y);
        return n;
    }
    void MouseEvent(QEvent::Type type, QPoint at)
    {
        QMouseEvent event(type, at, view->pbfunction->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->pbfunction, &event);
    }

private slots:
    void init()
    {
        errors.clear();
        form = new Tdemoform;
        form->AttachConfiguration(new TForm6(form));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        view = form->Panel3;
        view->ShowParseError = [this](const QString& text) { errors << text; };
    }
    void cleanup()
    {
        delete form;
        form = nullptr;
    }

    void showAndHideRestAndRestoreTheCommands()
    {
        const char* resting[] = {"CalcBtn", "ToolButton2", "ToolButton1", "ToolButton3", "ToolButton5", "ToolButton7",
                                 "ToolButton9", "ToolButton10", "ToolButton11", "ToolButton12", "ToolButton4"};
        QMap<QString, bool> before;
        for (const char* name : resting) before[name] = Find<QToolButton>(form, name)->isEnabled();
        QToolButton* grafica = Find<QToolButton>(form, "ToolButton6");
        grafica->click();
        QVERIFY(view->isVisible());
        QVERIFY(grafica->isChecked());
        for (const char* hidden : {"ScrollBox1", "Memo3", "Panel1"}) QVERIFY(!Find<QWidget>(form, hidden)->isVisible());
        for (const char* name : resting) QVERIFY2(!Find<QToolButton>(form, name)->isEnabled(), name);
        for (const char* name : {"Label3", "Edit2", "UpDown1"}) QVERIFY2(!Find<QWidget>(form, name)->isEnabled(), name);
        QVERIFY(grafica->isEnabled());
        QWidget* panel7 = Find<QWidget>(form, "Panel7");
        QVERIFY(Find<QCheckBox>(panel7, "CheckBox1")->isEnabled() && Find<QCheckBox>(panel7, "CheckBox2")->isEnabled());
        QVERIFY(view->height() > 500); // the whole work area
        // "Ver" > "Grafica" does the same, back.
        Find<QAction>(form, "Grafica1")->trigger();
        QVERIFY(!view->isVisible());
        QVERIFY(!grafica->isChecked());
        for (const char* shown : {"ScrollBox1", "Memo3", "Panel1"}) QVERIFY(Find<QWidget>(form, shown)->isVisible());
        for (const char* name : resting) QCOMPARE(Find<QToolButton>(form, name)->isEnabled(), before[name]);
        QVERIFY(Find<QWidget>(form, "Edit2")->isEnabled());
    }

    void axesLabelsAndTheCurveOfXHalf()
    {
        Draw("x/2");
        QVERIFY(errors.isEmpty());
        const QImage image = Render();
        const int cx = 269, cy = 200, ux = 26, uy = 20;
        QCOMPARE(image.pixel(5, cy), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(cx, 5), qRgb(0, 0, 0));
        // A tick at each labelled value of the horizontal axis, labels below it.
        QCOMPARE(image.pixel(cx + 10 * ux, cy - 2), qRgb(0, 0, 0));
        QVERIFY(image.pixel(cx + 3 * ux, cy - 3) == qRgb(255, 255, 255));
        // The curve through its computed pixels: px = trunc(x ux + cx), py = trunc(cy - x/2 uy).
        for (int x : {-10, -3, 0, 1, 4, 10}) QVERIFY2(Blue(image, cx + x * ux, cy - x * uy / 2), qPrintable(QString::number(x)));
    }

    void theReferencePictureOfOneFunctionStays()
    {
        // One function drawn as the view always drew it, kept pixel for pixel.
        Draw("x^3/20 - 2*x + 1/(x-3)");
        const QImage image = Render();
        const QString path = QStringLiteral(ZENTROVA_TEST_DATA "/grafica-una-funcion.png");
        QCOMPARE(image, QImage(path).convertToFormat(QImage::Format_RGB32));
    }

    void labelsFollowTheRange()
    {
        // With S = 20 the odd values carry neither tick nor label.
        view->PlotRange = 20;
        const QImage image = Render();
        const int cx = 269, cy = 200, ux = 13;
        QCOMPARE(image.pixel(cx + 2 * ux, cy + 2), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(cx + 1 * ux, cy + 2), qRgb(255, 255, 255));
    }

    void brokenCurvesAreNotJoined()
    {
        Draw("sqrt x");
        QImage image = Render();
        for (int x = 0; x < 269; ++x) QCOMPARE(BlueInColumn(image, x), 0);
        QVERIFY(Blue(image, 269, 200)); // it starts at the origin
        Draw("1/x");
        image = Render();
        QCOMPARE(BlueInColumn(image, 268), 0);
        QCOMPARE(BlueInColumn(image, 269), 0);
        QVERIFY(BlueInColumn(image, 269 + 26) > 0);
        QVERIFY(BlueInColumn(image, 269 - 26) > 0);
    }

    void theAngleUnitOfTheMomentApplies()
    {
        Draw("sin x");
        const QImage degrees = Render();
        QWidget* panel7 = Find<QWidget>(form, "Panel7");
        Find<QCheckBox>(panel7, "CheckBox2")->click(); // "Radianes"
        const QImage radians = Render();
        QVERIFY(!Blue(degrees, 269 + 40, 180)); // sin 1.57 degrees is near 0
        QVERIFY(Blue(radians, 269 + 40, 180));  // sin 1.57 radians is near 1
        Find<QCheckBox>(panel7, "CheckBox1")->click();
        QCOMPARE(Render(), degrees);
    }

    void aRangeBeyondCxPutsEverySampleOnTheVerticalAxis()
    {
        Draw("x/2");
        view->PlotRange = 300; // cx 269: no whole pixel per unit
        const QImage image = Render(538, 800);
        int blue = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (Blue(image, x, y)) {
                    QCOMPARE(x, 269);
                    ++blue;
                }
        QCOMPARE(blue, 601); // y from -300 to 300 at one pixel per unit
    }

    void mergedColumnsDrawTheSamePixels()
    {
        // Drawing every segment, and drawing merged columns, clipped, give
        // the same picture.
        for (const char* function : {"x^2*3 + x/7 - 1", "sin(x*40)*5", "1/x", "tan(x*60)", "sqrt(4 - x^2)*3"}) {
            Draw(function);
            for (int range : {3, 10, 57}) {
                view->PlotRange = range;
                QImage pictures[2];
                for (int merge = 0; merge < 2; ++merge) {
                    pictures[merge] = QImage(538, 400, QImage::Format_RGB32);
                    pictures[merge].fill(Qt::white);
                    QPainter painter(&pictures[merge]);
                    painter.setPen(QPen(QColor(0, 0, 255), 1));
                    const plot::TFrame f = plot::MakeFrame(538, 400, range);
                    plot::TCurveTracer tracer(
                        538, 400, [&](const plot::TSegment& s) { painter.drawLine(s.X0, s.Y0, s.X1, s.Y1); }, merge == 1);
                    plot::TraceCurve(*form->PlotParser, view->Function(), f, tracer);
                }
                QVERIFY2(pictures[0] == pictures[1], function);
            }
        }
    }

    void readOutAtTheEdgeAndAtTheOrigin()
    {
        view->resize(538, view->Panel5->height() + 400);
        form->ToolButton6Click();
        QTRY_VERIFY(view->pbfunction->isVisible());
        const int cx = view->pbfunction->width() / 2, cy = view->pbfunction->height() / 2;
        MouseEvent(QEvent::MouseMove, QPoint(0, 7));
        QCOMPARE(view->Label2->text(), QString("x= -10"));
        MouseEvent(QEvent::MouseMove, QPoint(cx, cy));
        QCOMPARE(view->Label2->text(), QString("x= 0"));
        QCOMPARE(view->Label3->text(), QString("y= 0"));
        // Squeezed to one pixel, the area has no origin: nothing new shown,
        // no mark drawn.
        view->pbfunction->setFixedWidth(1);
        QTRY_COMPARE(view->pbfunction->width(), 1);
        MouseEvent(QEvent::MouseMove, QPoint(0, 3));
        MouseEvent(QEvent::MouseButtonPress, QPoint(0, 3));
        QCOMPARE(view->Label2->text(), QString("x= 0"));
    }

    void aParseErrorKeepsThePictureUntilTheNextRepaint()
    {
        form->ToolButton6Click();
        Draw("x/2");
        QCoreApplication::processEvents();
        int paints = 0;
        struct Counter : QObject {
            int* n;
            explicit Counter(int* count) : n(count) {}
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Paint) ++*n;
                return false;
            }
        } counter(&paints);
        view->pbfunction->installEventFilter(&counter);
        Draw("x+ 2*yy");
        QCoreApplication::processEvents();
        QCOMPARE(errors, QStringList({"(ERROR) Valor desconocido"}));
        QCOMPARE(view->Edit1->selectedText(), QString("*yy")); // signs are name characters
        QVERIFY(view->Edit1->hasFocus());
        QVERIFY(view->Function() == nullptr);
        QCOMPARE(paints, 0); // the old picture stays on screen
        view->SpeedButton1->click();
        QCOMPARE(view->PlotRange, 11);
        QCOMPARE(paints, 1);
        const QImage axesAlone = Render();
        for (int y = 0; y < axesAlone.height(); ++y)
            for (int x = 0; x < axesAlone.width(); ++x) QVERIFY(!Blue(axesAlone, x, y));
        view->pbfunction->removeEventFilter(&counter);
    }

    void rangeButtonsStopAtTheirLimits()
    {
        view->PlotRange = 1;
        view->SpeedButton2->click();
        QCOMPARE(view->PlotRange, 1);
        view->PlotRange = plot::kMaxRange;
        view->SpeedButton1->click(); // once overflowed
        QCOMPARE(view->PlotRange, plot::kMaxRange);
        view->SpeedButton2->click();
        QCOMPARE(view->PlotRange, plot::kMaxRange - 1);
        view->PlotRange = 10;
    }

    void picturesAreCopiedAndSaved()
    {
        form->ToolButton6Click();
        Draw("x/2");
        view->Copiarimagen1->trigger();
        const QImage copied = QApplication::clipboard()->image();
        QCOMPARE(copied.size(), view->pbfunction->size());
        QTemporaryDir dir;
        view->ChooseImageFile = [&] { return dir.filePath("grafica.png"); };
        view->Guardarimagen1->trigger();
        QImage png(dir.filePath("grafica.png"));
        QCOMPARE(png.size(), view->pbfunction->size());
        QCOMPARE(png.convertToFormat(QImage::Format_RGB32), copied.convertToFormat(QImage::Format_RGB32));
        view->ChooseImageFile = [&] { return dir.filePath("grafica.svg"); };
        view->Guardarimagen1->trigger();
        QFile svg(dir.filePath("grafica.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        const QByteArray text = svg.readAll();
        QVERIFY(text.contains("<svg") && text.contains("#0000ff"));
    }
};

QTEST_MAIN(PlotViewTest)
#include "PlotViewTest.moc"
