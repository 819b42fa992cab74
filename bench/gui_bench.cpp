// Main window benchmarks (offscreen): start-up to the window shown, and one
// calculation through CalcBtnClick with a 1,000-line notebook.
#include "workspace/ConfigForm.h"
#include "workspace/MainForm.h"

#include <QApplication>
#include <QElapsedTimer>
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
    auto* form6 = new TForm6(&form);
    form.AttachConfiguration(form6);
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
        auto* form6 = new TForm6(&form);
        form.AttachConfiguration(form6);
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
