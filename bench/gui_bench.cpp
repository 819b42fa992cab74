// Main window benchmarks (offscreen): start-up to the window shown, one
// calculation through CalcBtnClick with a 1,000-line notebook, opening a
// large notebook and repainting the plot.
#include "workspace/Application.h"
#include "plot/PlotView.h"
#include "workspace/MainForm.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>

namespace {

void BM_CalcBtnClickWith1000LineNotebook(benchmark::State& state)
{
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.show();
    QString notebook;
    for (int i = 0; i < 1000; ++i) {
        if (i % 3 == 0) notebook += QString("Nota %1 del cuaderno\n").arg(i);
        else if (i % 3 == 1) notebook += QString("v%1=%2.5\n").arg(QChar('a' + i % 26)).arg(i);
        else notebook += QString("w%1=v%2*2\n").arg(QChar('a' + i % 26)).arg(QChar('a' + i % 26));
    }
    notebook += "area=base*altura/2\nbase=3\naltura=4";
    form.vars->setPlainText(notebook);
    for (auto _ : state) {
        form.Memo3->setPlainText("area+vb");
        form.CalcBtnClick();
    }
    state.SetLabel(form.memo1->document()->firstBlock().text().toStdString());
}
BENCHMARK(BM_CalcBtnClickWith1000LineNotebook)->Unit(benchmark::kMillisecond);

// Opening a 50,000-line notebook (RTF as the window saves it).
void BM_Open50000LineNotebook(benchmark::State& state)
{
    const QString path = QDir::temp().filePath("zentrova-bench-50000.txt");
    {
        Tdemoform writer;
        QString text;
        for (int i = 0; i < 50000; ++i) text += QString("v%1=%1.25 nota número %1\n").arg(i);
        writer.vars->setPlainText(text);
        writer.ChooseNotebookFile = [&path](bool) { return path; };
        writer.SaveNotebook();
        writer.vars->document()->setModified(false);
    }
    Tdemoform form;
    form.show();
    form.ChooseNotebookFile = [&path](bool) { return path; };
    for (auto _ : state) {
        form.AbrirClick();
        QCoreApplication::processEvents(); // lay out and paint what is visible
    }
    state.SetLabel(std::to_string(form.vars->document()->blockCount()) + " lines, " +
                   std::to_string(QFileInfo(path).size() / 1024) + " KiB");
    QFile::remove(path);
}
BENCHMARK(BM_Open50000LineNotebook)->Unit(benchmark::kMillisecond)->Iterations(3);

// A full repaint of the plot (every sample evaluated, the picture drawn)
// into a 538 x 400 image, at ranges 10, 100 and 1000.
void BM_PlotRepaint(benchmark::State& state)
{
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.Panel3->Edit1->setText(state.range(1) == 0 ? "x^2*3 + x/7 - 1" : "sin x * x^2 + 1");
    form.Panel3->Button1Click();
    form.Panel3->PlotRange = static_cast<int>(state.range(0));
    QImage image(538, 400, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        form.Panel3->Render(painter, image.size());
    }
    state.SetLabel(form.Panel3->Edit1->text().toStdString());
}
BENCHMARK(BM_PlotRepaint)->ArgsProduct({{10, 100, 1000}, {0, 1}})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer clock;
    clock.start();
    if (argc > 1 && std::strcmp(argv[1], "--startup") == 0) {
        // Start-up as the program does it, ending once the window is shown.
        QApplication app(argc, argv);
        QApplication::setApplicationName("Zentrova");
        Tdemoform form;
        CreateSecondaryWindows(form);
        form.show();
        QTimer::singleShot(0, &app, [&] {
            std::printf("main() to window shown: %.1f ms\n", static_cast<double>(clock.nsecsElapsed()) / 1e6);
            app.quit();
        });
        return QApplication::exec();
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
