// Main window benchmarks (offscreen): start-up to the window shown, one
// calculation through CalcBtnClick with a 1,000-line notebook, opening a
// large notebook, notebooks at and past the limits, the recovery copy's
// snapshot and write, its first write after a big paste, result lines
// inserted into a full results pane, repainting the plot (one function and six), its
// notable points and its table of values.  The recovery copies of these
// windows go to a scratch data folder, removed at the end.
#include "workspace/Application.h"
#include "codec/Rtf.h"
#include "engine/Expression.h"
#include "engine/MathParser.h"
#include "engine/NumberFormat.h"
#include "notebook/DocumentSnapshot.h"
#include "notebook/RecoveryFile.h"
#include "analysis/Integral.h"
#include "analysis/NotablePoints.h"
#include "plot/NotablePointsDialog.h"
#include "plot/ParameterSliders.h"
#include "plot/PlotGeometry.h"
#include "plot/PlotView.h"
#include "plot/ValueTableDialog.h"
#include "ui/Prompts.h"
#include "workspace/ExpressionPreview.h"
#include "workspace/MainForm.h"

#include <cmath>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QSlider>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/resource.h>

namespace {

// Answers the window's file dialogs with one path, replacing a file that
// exists, and keeps the last failure told, while it lives.
struct TBenchPrompter : prompts::TPrompter {
    QString Path;
    QString Failure;
    explicit TBenchPrompter(const QString& path) : Path(path) { prompts::SetPrompter(this); }
    ~TBenchPrompter() override { prompts::SetPrompter(nullptr); }
    QString ChooseFile(QWidget*, const prompts::TFileChoice&) override { return Path; }
    void ShowFailure(QWidget*, const QString& text) override { Failure = text; }
    QMessageBox::StandardButton Ask(QWidget*, const prompts::TQuestion&) override { return QMessageBox::Yes; }
};

// A notebook of `lines` lines: notes, numbers and text definitions, and a
// template's three lines.
QString NotebookOfLines(int lines)
{
    QString notebook;
    for (int i = 0; i < lines; ++i) {
        if (i % 3 == 0) notebook += QString("Nota %1 del cuaderno\n").arg(i);
        else if (i % 3 == 1) notebook += QString("v%1=%2.5\n").arg(QChar('a' + i % 26)).arg(i);
        else notebook += QString("w%1=v%2*2\n").arg(QChar('a' + i % 26)).arg(QChar('a' + i % 26));
    }
    return notebook + "area=base*altura/2\nbase=3\naltura=4";
}

void BM_CalcBtnClickWith1000LineNotebook(benchmark::State& state)
{
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.show();
    form.vars->setPlainText(NotebookOfLines(1000));
    for (auto _ : state) {
        form.Memo3->setPlainText("area+vb");
        form.CalcBtnClick();
    }
    state.SetLabel(form.memo1->document()->firstBlock().text().toStdString());
}
BENCHMARK(BM_CalcBtnClickWith1000LineNotebook)->Unit(benchmark::kMillisecond);

// A repaint of the plot holding 100,000 measured points (with error bars
// for range(0) = 1), on the window's thread: what the window waits for.
void BM_PlotWith100000Points(benchmark::State& state)
{
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.show();
    TPlotView::TPoints points;
    for (int i = 0; i < 100000; ++i) {
        points.X.push_back(-9 + 18.0L * i / 100000);
        points.Y.push_back(std::sin(static_cast<double>(i)) * 5);
        if (state.range(0) == 1) points.Sigma.push_back(0.3L);
    }
    form.ToolButton6Click();
    form.Panel3->SetPoints(points);
    QImage image(538, 400, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        form.Panel3->Render(painter, image.size());
    }
}
BENCHMARK(BM_PlotWith100000Points)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// The calculation with a notebook holding a list of 100,000 readings.
void BM_CalcBtnClickWith100000Readings(benchmark::State& state)
{
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.show();
    QString list = "t = 10000000.2";
    for (int i = 1; i < 100000; ++i) list += QString("; 10000000.%1").arg(i % 10);
    form.vars->setPlainText(list);
    for (auto _ : state) {
        form.Memo3->setPlainText("media(t)");
        form.CalcBtnClick();
    }
    state.SetLabel(form.memo1->document()->firstBlock().text().toStdString());
}
BENCHMARK(BM_CalcBtnClickWith100000Readings)->Unit(benchmark::kMillisecond);

// The result while typing with a notebook of range(1) lines: what the
// window's thread spends on a pause after a change of the expression
// (range(0) 0), and on the first pause after a change of the notebook,
// which is read again (range(0) 1), until the preview shows.
void BM_PreviewWithNotebook(benchmark::State& state)
{
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.show();
    form.vars->setPlainText(NotebookOfLines(static_cast<int>(state.range(1))));
    form.Memo3->setPlainText("area+vb");
    // The notebook may be read away from the window's thread: the preview
    // shows when the events that bring it have been handled.
    form.Preview->Update();
    while (form.LabelVistaPrevia->text().isEmpty()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    int k = 0;
    // The longest time the window's thread gave no turn to its events (a
    // key typed then would have waited as long), over every iteration.
    double longest = 0;
    auto last = std::chrono::steady_clock::now();
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const auto now = std::chrono::steady_clock::now();
        longest = std::max(longest, std::chrono::duration<double>(now - last).count());
        last = now;
    });
    for (auto _ : state) {
        if (state.range(0) == 1) {
            state.PauseTiming();
            QTextCursor end(form.vars->document());
            end.movePosition(QTextCursor::End);
            end.insertText(k++ % 2 ? "1" : "2");
            state.ResumeTiming();
        } else {
            form.Memo3->setPlainText(k++ % 2 ? "area+vb" : "area*vb");
        }
        last = std::chrono::steady_clock::now();
        probe.start();
        form.Preview->Update();
        longest = std::max(longest, std::chrono::duration<double>(std::chrono::steady_clock::now() - last).count());
        while (form.LabelVistaPrevia->text().isEmpty()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        probe.stop();
    }
    state.counters["longest_stall_ms"] = 1000 * longest;
    state.SetLabel(form.LabelVistaPrevia->text().toStdString());
}
BENCHMARK(BM_PreviewWithNotebook)
    ->ArgsProduct({{0, 1}, {1000, 200000}})
    ->Unit(benchmark::kMillisecond);

// Opening a 50,000-line notebook (RTF as the window saves it).
void BM_Open50000LineNotebook(benchmark::State& state)
{
    const QString path = QDir::temp().filePath("zentrova-bench-50000.txt");
    TBenchPrompter prompter(path);
    {
        Tdemoform writer;
        QString text;
        for (int i = 0; i < 50000; ++i) text += QString("v%1=%1.25 nota número %1\n").arg(i);
        writer.vars->setPlainText(text);
        writer.Notebook->SaveNotebook();
        writer.vars->document()->setModified(false);
    }
    Tdemoform form;
    form.show();
    for (auto _ : state) {
        form.AbrirClick();
        QCoreApplication::processEvents(); // lay out and paint what is visible
    }
    state.SetLabel(std::to_string(form.vars->document()->blockCount()) + " lines, " +
                   std::to_string(QFileInfo(path).size() / 1024) + " KiB");
    QFile::remove(path);
}
BENCHMARK(BM_Open50000LineNotebook)->Unit(benchmark::kMillisecond)->Iterations(3);

// The three big notebooks: a 6 MB RTF notebook of 150,000 coloured lines,
// a 250,000-line plain text and one line of 1 MB.
// Writes the bytes of a notebook made for a benchmark; returns its path.
QString Written(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}

QString BigNotebook(int which)
{
    const char* names[] = {"zentrova-bench-rtf-150000.txt", "zentrova-bench-text-250000.txt",
                           "zentrova-bench-one-line-1mb.txt"};
    const QString path = QDir::temp().filePath(names[which]);
    if (QFileInfo::exists(path)) return path;
    std::string bytes;
    if (which == 0) {
        notebook::TRichDocument rich;
        const uint32_t colours[] = {0x0ABE0A, 0x003264, 0x0064C8, 0x000000};
        for (int i = 0; i < 150000; ++i) {
            notebook::TLine line;
            notebook::TRun name, value;
            name.Colour = colours[i % 4];
            name.Text.append("v").append(std::to_string(i)).append("=");
            value.Text.append(std::to_string(i)).append(".25 nota");
            line.Runs = {name, value};
            rich.Lines.push_back(line);
        }
        bytes = notebook::WriteRtf(rich);
    } else if (which == 1) {
        for (int i = 0; i < 250000; ++i) bytes.append("w").append(std::to_string(i)).append("=").append(std::to_string(i)).append(".5\n");
    } else {
        // A definition that runs on without a blank.
        bytes = "x=";
        for (int i = 0; bytes.size() < (1u << 20); ++i) bytes += "1+" + std::to_string(i % 10);
    }
    return Written(path, bytes);
}

// Opening a big notebook in the window, until the window answers again:
// the command, then the events it left queued.
void BM_OpenBigNotebook(benchmark::State& state)
{
    const QString path = BigNotebook(static_cast<int>(state.range(0)));
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.show();
    TBenchPrompter prompter(path);
    for (auto _ : state) {
        form.AbrirClick();
        QCoreApplication::processEvents();
        state.PauseTiming();
        form.Borrartodo1Click();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    form.AbrirClick();
    state.SetLabel(std::to_string(form.vars->document()->blockCount()) + " lines, " +
                   std::to_string(QFileInfo(path).size() / 1024) + " KiB");
}
BENCHMARK(BM_OpenBigNotebook)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(2);

// The notebooks at and past the window's limits: 64 MiB of line feeds
// (refused: more than 1,000,000 lines), 1,000,000 empty lines, 999,999
// lines filling 64 MiB, and 64 MiB of RTF paragraphs (refused once read).
QString LimitNotebook(int which)
{
    const char* names[] = {"zentrova-bench-64mib-lf.txt", "zentrova-bench-1m-lines.txt",
                           "zentrova-bench-64mib-999999-lines.txt", "zentrova-bench-64mib-rtf-par.txt"};
    const QString path = QDir::temp().filePath(names[which]);
    if (QFileInfo::exists(path)) return path;
    std::string bytes;
    if (which == 0) {
        bytes.assign(64u << 20, '\n');
    } else if (which == 1) {
        bytes.assign(1000000, '\n');
    } else if (which == 2) {
        const std::size_t width = (64u << 20) / 999999 - 1;
        for (int i = 0; i < 999999; ++i) {
            const std::size_t start = bytes.size();
            bytes += 'v';
            bytes += std::to_string(i);
            bytes += '=';
            bytes += std::to_string(i);
            bytes.resize(start + width, ' ');
            bytes += '\n';
        }
    } else {
        bytes = "{\\rtf1\\ansi ";
        while (bytes.size() < (64u << 20) - 8) bytes += "\\par\n";
        bytes += "}";
    }
    return Written(path, bytes);
}

// Opening them in the window, until it answers again; the peak resident
// memory of the process so far is reported (run one case a process for
// its own figure: bench/window_memory.sh).
void BM_OpenAtTheLimits(benchmark::State& state)
{
    const QString path = LimitNotebook(static_cast<int>(state.range(0)));
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.show();
    TBenchPrompter prompter(path);
    QString& failure = prompter.Failure;
    for (auto _ : state) {
        failure.clear();
        form.AbrirClick();
        QCoreApplication::processEvents();
        state.PauseTiming();
        form.Borrartodo1Click();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.SetLabel(failure.isEmpty() ? "opened" : "refused: " + failure.toStdString());
}
BENCHMARK(BM_OpenAtTheLimits)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(1);

// A notebook of 50,000 coloured lines in the window, as a student's
// notebook filled from the formula library.
void FillColoured(Tdemoform& form, int lines)
{
    QTextCursor c(form.vars->document());
    QTextCharFormat title, name, plain;
    title.setForeground(QColor(10, 190, 10));
    name.setForeground(QColor(0, 100, 200));
    for (int i = 0; i < lines; ++i) {
        if (i > 0) c.insertBlock();
        if (i % 5 == 0) {
            c.insertText(QString("atr%1 -> área de un triángulo").arg(i), title);
        } else {
            c.insertText(QString("v%1=").arg(i), name);
            c.insertText(QString("%1.25*base/2 nota").arg(i), plain);
        }
    }
}

// The part of the recovery copy done on the window's thread: the
// notebook's, the results' and the expression's snapshot.  0: after a
// keystroke (the usual case); 1: of a notebook just opened, once read
// ahead between events; 2: of a notebook not read at all before (the
// worst case, as when a signal comes at once).
void BM_RecoverySnapshot50000Lines(benchmark::State& state)
{
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.show();
    FillColoured(form, 50000);
    for (int i = 0; i < 30; ++i) form.memo1->append(QString("linea %1 =   %1").arg(i));
    form.Memo3->setPlainText("atr+v1");
    QCoreApplication::processEvents();
    const int which = static_cast<int>(state.range(0));
    auto tracker = std::make_unique<notebook::TSnapshotTracker>();
    notebook::TSnapshotTracker results;
    tracker->Take(*form.vars->document());
    QTextCursor typing(form.vars->document()->findBlockByNumber(25000));
    std::size_t fragments = 0;
    for (auto _ : state) {
        state.PauseTiming();
        typing.insertText("x");
        if (which > 0) {
            tracker = std::make_unique<notebook::TSnapshotTracker>();
            if (which == 1) {
                tracker->Follow(*form.vars->document());
                for (int i = 0; i < 100; ++i) QCoreApplication::processEvents();
            }
        }
        state.ResumeTiming();
        const notebook::TDocumentSnapshot notebook = tracker->Take(*form.vars->document());
        const notebook::TDocumentSnapshot shown = results.Take(*form.memo1->document());
        const QString expression = form.Memo3->toPlainText();
        fragments = notebook.FragmentLengths.size();
        benchmark::DoNotOptimize(shown);
        benchmark::DoNotOptimize(expression);
    }
    const char* labels[] = {"after a keystroke, ", "just opened, read ahead, ", "not read before, "};
    state.SetLabel(labels[which] + std::to_string(fragments) + " fragments");
    form.vars->document()->setModified(false);
}
BENCHMARK(BM_RecoverySnapshot50000Lines)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The part done on the worker: the snapshot to RTF, the copy's file
// written beside it and renamed into place.
void BM_RecoveryWrite50000Lines(benchmark::State& state)
{
    Tdemoform form;
    FillColoured(form, 50000);
    const notebook::TDocumentSnapshot snapshot = notebook::TakeSnapshot(*form.vars->document());
    const notebook::TDocumentSnapshot results = notebook::TakeSnapshot(*form.memo1->document());
    const QString path = QDir::temp().filePath("zentrova-bench-copia.copia");
    qint64 size = 0;
    for (auto _ : state) {
        recovery::TCopy copy;
        copy.Notebook = notebook::WriteRtf(notebook::FromSnapshot(snapshot));
        copy.Results = notebook::WriteRtf(notebook::FromSnapshot(results));
        const QByteArray bytes = recovery::Encode(copy);
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly)) file.write(bytes);
        file.commit();
        size = bytes.size();
    }
    QFile::remove(path);
    state.SetLabel(std::to_string(size / 1024) + " KiB");
    form.vars->document()->setModified(false);
}
BENCHMARK(BM_RecoveryWrite50000Lines)->Unit(benchmark::kMillisecond);

// Pasting a big text into the notebook: 250,000 lines, or one line of 1 MB.
void BM_PasteIntoNotebook(benchmark::State& state)
{
    QFile file(BigNotebook(static_cast<int>(state.range(0)) + 1));
    file.open(QIODevice::ReadOnly);
    const QString text = QString::fromUtf8(file.readAll());
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.show();
    form.vars->setPlainText("nota\nr=2");
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QApplication::clipboard()->setText(text);
        form.vars->setFocus();
        form.vars->paste();
        QCoreApplication::processEvents();
        state.PauseTiming();
        form.vars->undo();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetLabel(state.range(0) == 0 ? "250,000 lines" : "one line of 1 MB");
}
BENCHMARK(BM_PasteIntoNotebook)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(2);

// A paste of 300,000 lines into a notebook that has not changed for a
// while: the time until its recovery copy holds it on disk (the paste
// itself included), as a kill would find it.
void BM_RecoveryFirstCopyAfterPaste(benchmark::State& state)
{
    QString text;
    for (int i = 0; i < 300000; ++i) text += QString("p%1=%1\n").arg(i);
    text += "ultima=1";
    double copyBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto form = std::make_unique<Tdemoform>();
        CreateSecondaryWindows(*form);
        form->show();
        QCoreApplication::processEvents();
        QApplication::clipboard()->setText(text);
        form->vars->setFocus();
        const QString path = form->Recovery->Path();
        state.ResumeTiming();
        form->vars->paste();
        QElapsedTimer waited;
        waited.start();
        // The copy is renamed into place whole: its end tells it holds the paste.
        while (waited.elapsed() < 30000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QFile copy(path);
            if (copy.open(QIODevice::ReadOnly) && copy.size() > 1000000) {
                copyBytes = static_cast<double>(copy.size());
                break;
            }
        }
        state.PauseTiming();
        form->vars->document()->setModified(false);
        form.reset();
        QFile::remove(path);
        state.ResumeTiming();
    }
    state.counters["copy_MiB"] = copyBytes / (1 << 20);
}
BENCHMARK(BM_RecoveryFirstCopyAfterPaste)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// One result line inserted at the top of the results pane when it holds
// none (0), 500 lines (1) and 3,000 lines (2: past what it keeps, so the
// oldest line is dropped at each), with a 2,000-character expression.
void BM_InsertResultLine(benchmark::State& state)
{
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.show();
    QString expression = "1";
    while (expression.size() < 2000) expression += "+1";
    const int before[] = {0, 500, 3000};
    form.Memo3->setPlainText(expression);
    for (int i = 0; i < before[state.range(0)]; ++i) form.CalcBtnClick();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        if (state.range(0) == 0) {
            state.PauseTiming();
            form.SpeedButton3Click();
            state.ResumeTiming();
        }
        form.CalcBtnClick();
        QCoreApplication::processEvents(); // laid out and painted
    }
    state.counters["lines"] = form.memo1->document()->blockCount();
    state.counters["characters"] = form.memo1->document()->characterCount();
}
BENCHMARK(BM_InsertResultLine)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Long text without break points in the expression box: pasting it, the
// calculation that blames all of it, and a long result line.
void BM_LongExpression(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const bool sum = state.range(1) == 1;
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.show();
    QCoreApplication::processEvents();
    QString text;
    if (sum) {
        text = "1";
        while (text.size() < n) text += "+1";
    } else {
        text = QString(n, QChar('q'));
    }
    for (auto _ : state) {
        form.Memo3->clear();
        QApplication::clipboard()->setText(text);
        form.Memo3->paste();
        QCoreApplication::processEvents();
        form.CalcBtnClick();
        QCoreApplication::processEvents();
        state.PauseTiming();
        form.SpeedButton3Click();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetLabel(sum ? "1+1+...+1, result line" : "letters, error span");
}
BENCHMARK(BM_LongExpression)->ArgsProduct({{100000, 300000}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(1);

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

// One thread's bare evaluation of the samples a repaint of BM_PlotRepaint
// takes (the frame's grid, through the batch evaluator), to compare with it.
void BM_PlotRepaintSamplesBare(benchmark::State& state)
{
    auto parser = std::make_shared<TMathParser>();
    parser->RegisterFunctions();
    parser->DefineVariable("x", 0);
    const TExpression f(parser, state.range(1) == 0 ? "x^2*3 + x/7 - 1" : "sin x * x^2 + 1");
    const plot::TSampleGrid grid = plot::SampleGrid(plot::MakeFrame(538, 400, static_cast<int>(state.range(0))));
    std::vector<long double> xs, ys(static_cast<std::size_t>(grid.Count()));
    for (int64_t i = grid.First; i <= grid.Last; ++i) xs.push_back(static_cast<long double>(i * grid.Hundredths) / 100);
    std::unique_ptr<bool[]> ok(new bool[xs.size()]);
    TSampler sampler = f.Sampler("x", true);
    for (auto _ : state) sampler.Evaluate(xs.data(), xs.size(), ys.data(), ok.get());
    state.counters["samples"] = static_cast<double>(xs.size());
}
BENCHMARK(BM_PlotRepaintSamplesBare)->ArgsProduct({{10, 100, 1000}, {0, 1}})->Unit(benchmark::kMillisecond);

// A notebook function of 65,536 sines a value (sixteen levels of
// h(t) = g(t)*0.5 + g(t)*0.5) drawn through the window at range 10: the
// longest the window's thread is held at once (the click, each queued
// call, each paint) while its curve is sampled on the model's thread, and
// the time until the picture is there (Arg 0); then twenty moves of a
// slider, the last one's picture drawn (Arg 1).
void BM_HeavyFunctionOnTheWindow(benchmark::State& state)
{
    Tdemoform form;
    CreateSecondaryWindows(form);
    QString notebook = "k=1\nha(t)=sin(t)*k\n";
    for (char level = 'b'; level <= 'q'; ++level)
        notebook += QString("h%1(t)=h%2(t)*0.5+h%2(t)*0.5\n").arg(QChar(level)).arg(QChar(level - 1));
    form.vars->setPlainText(notebook);
    form.show();
    form.ToolButton6Click();
    TPlotView* view = form.Panel3;
    view->Edit1->setText("hq(x)");
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5); // the windows' first paint
    double longest = 0;
    auto held = [&](const std::function<void()>& step) {
        QElapsedTimer t;
        t.start();
        step();
        longest = std::max(longest, static_cast<double>(t.nsecsElapsed()) / 1e6);
    };
    auto drawn = [&] {
        return !view->Model->Drawing() && view->Model->Picture() != nullptr &&
               view->Model->Picture()->Version == view->Model->Version();
    };
    for (auto _ : state) {
        held([&] { view->Button1Click(); });
        if (state.range(0) == 1) {
            while (!view->Model->Drawing()) held([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); });
            auto* slider = view->Sliders->findChild<QSlider*>("Deslizador_k");
            for (int i = 0; i < 20; ++i) {
                held([&] { slider->setValue(slider->value() + 5); });
                held([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); });
            }
        }
        do held([] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5); });
        while (!drawn());
    }
    state.counters["window_held_ms"] = longest;
    state.SetLabel(state.range(0) == 0 ? "Dibujar" : "Dibujar, then 20 slider moves");
}
BENCHMARK(BM_HeavyFunctionOnTheWindow)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// A curve each of whose points is an integral, integral(sin(t); t; 0; x)
// at range 10: the longest the window's thread is held (each Dibujar,
// each paint) and the time until the picture is there.
void BM_AntiderivativeOnTheWindow(benchmark::State& state)
{
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.show();
    form.ToolButton6Click();
    TPlotView* view = form.Panel3;
    view->Edit1->setText("integral(sin(t); t; 0; x)");
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    double longest = 0;
    auto held = [&](const std::function<void()>& step) {
        QElapsedTimer t;
        t.start();
        step();
        longest = std::max(longest, static_cast<double>(t.nsecsElapsed()) / 1e6);
    };
    auto drawn = [&] {
        return !view->Model->Drawing() && view->Model->Picture() != nullptr &&
               view->Model->Picture()->Version == view->Model->Version();
    };
    for (auto _ : state) {
        held([&] { view->Button1Click(); });
        do held([] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5); });
        while (!drawn());
    }
    state.counters["window_held_ms"] = longest;
}
BENCHMARK(BM_AntiderivativeOnTheWindow)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// The same with six functions: six single repaints' worth.
void BM_PlotRepaintSixFunctions(benchmark::State& state)
{
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.Panel3->Edit1->setText(state.range(1) == 0 ? "x^2*3 + x/7 - 1; x^2; x/2; x^3/20; 3 - x; x*x - x"
                                                    : "sin x * x^2 + 1; sin x; cos x * x; sin(x*3); x*cos x; sin x^2");
    form.Panel3->Button1Click();
    form.Panel3->PlotRange = static_cast<int>(state.range(0));
    QImage image(538, 400, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        form.Panel3->Render(painter, image.size());
    }
}
BENCHMARK(BM_PlotRepaintSixFunctions)->ArgsProduct({{10, 100}, {0, 1}})->Unit(benchmark::kMillisecond);

// "Puntos notables" at range 100 with two transcendental functions, in
// degrees and in radians (where both wave and cross hundreds of times).
void BM_NotablePoints(benchmark::State& state)
{
    const bool radians = state.range(0) == 1;
    SetAngleUnitQuery([radians] { return !radians; });
    auto parser = std::make_shared<TMathParser>();
    parser->RegisterFunctions();
    parser->RegisterAngleConversions();
    parser->DefineVariable("x", 0);
    const char* texts[2][2] = {{"sin x * x^2 + 1", "exp(x/3)*cos(5*x) - ln(abs x + 1)"}, {"sin x", "cos(x/2)*x/10"}};
    analysis::TFunctionList functions;
    for (const char* t : texts[state.range(0)]) functions.push_back(std::make_shared<const TExpression>(parser, t));
    std::size_t points = 0;
    for (auto _ : state) points = analysis::FindNotablePoints(functions, 100).Points.size();
    state.SetLabel(std::to_string(points) + " points");
    SetAngleUnitQuery(nullptr);
}
BENCHMARK(BM_NotablePoints)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// Six oscillating functions at range 2000 (400,001 samples each), in
// radians: the search of zeros, extremes and intersections alone (Arg 0),
// and with the y-intercepts, asymptotes and ends of the domain (Arg 1), on
// the calling thread.
const char* const kSixOscillating =
    "sin(50*x); cos(51*x); sin(52*x)*x; cos(53*x)/2; sin(54*x)+0.1; cos(55*x)-0.1";

void BM_NotablePointsSixOscillating(benchmark::State& state)
{
    auto parser = std::make_shared<TMathParser>();
    parser->RegisterFunctions();
    parser->DefineVariable("x", 0);
    std::vector<TSampler> samplers;
    analysis::TFunctionList functions;
    for (const char* t : {"sin(50*x)", "cos(51*x)", "sin(52*x)*x", "cos(53*x)/2", "sin(54*x)+0.1", "cos(55*x)-0.1"}) {
        functions.push_back(std::make_shared<const TExpression>(parser, t));
        samplers.push_back(functions.back()->Sampler("x", false));
    }
    analysis::TAnalysisControl control;
    control.MoreKinds = state.range(0) == 1;
    std::size_t points = 0;
    for (auto _ : state) points = analysis::FindNotablePoints(samplers, 2000, control).Points.size();
    state.SetLabel(std::to_string(points) + " points");
}
BENCHMARK(BM_NotablePointsSixOscillating)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->Iterations(2);

// The same through the window: "Puntos notables" clicked, the search run
// on the worker, until the list shows; the counter is the longest the
// window's thread was held at once meanwhile (the click, each queued call).
void BM_NotablePointsOnTheWorker(benchmark::State& state)
{
    Tdemoform form;
    CreateSecondaryWindows(form);
    SetAngleUnitQuery([] { return false; });
    TPlotView* view = form.Panel3;
    view->PlotRange = 2000;
    view->Edit1->setText(kSixOscillating);
    view->Button1Click();
    double longest = 0;
    for (auto _ : state) {
        QElapsedTimer held;
        held.start();
        view->Puntosnotables1Click();
        longest = std::max(longest, static_cast<double>(held.nsecsElapsed()) / 1e6);
        while (!(view->NotableList && view->NotableList->isVisible())) {
            held.restart();
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            longest = std::max(longest, static_cast<double>(held.nsecsElapsed()) / 1e6);
        }
        view->NotableList->close();
    }
    state.counters["window_held_ms"] = longest;
    SetAngleUnitQuery(nullptr);
}
BENCHMARK(BM_NotablePointsOnTheWorker)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// "Área": integrals and an area between curves, 18 digits asked.
void BM_Area(benchmark::State& state)
{
    struct Case {
        const char* f;
        const char* g; // none: the integral of f
        long double a, b;
    };
    const Case cases[] = {
        {"x^2", nullptr, 0, 1},
        {"sin x", nullptr, 0, 3.14159265358979323846L},
        {"sqrt x", nullptr, 0, 1},
        {"exp(-x^2)", nullptr, -10, 10},
        {"1/x", nullptr, -1, 1}, // diverges
        {"x^2", "x+2", -1, 2},
        {"sin(50*x)*x", nullptr, 0, 100},
    };
    const Case& c = cases[state.range(0)];
    auto parser = std::make_shared<TMathParser>();
    parser->RegisterFunctions();
    parser->DefineVariable("x", 0);
    TExpression f(parser, c.f), g(parser, c.g != nullptr ? c.g : "0");
    TSampler sf = f.Sampler("x", false), sg = g.Sampler("x", false);
    const analysis::TIntegrand first = [&](long double x, long double& y) { return sf.Evaluate(x, y); };
    const analysis::TIntegrand second = [&](long double x, long double& y) { return sg.Evaluate(x, y); };
    analysis::TIntegral r;
    for (auto _ : state) r = c.g != nullptr ? analysis::AreaBetween(first, second, c.a, c.b) : analysis::Integrate(first, c.a, c.b);
    state.SetLabel(std::string(c.f) + (c.g != nullptr ? std::string(" & ") + c.g : "") + " = " +
                   (r.Outcome == analysis::TIntegralOutcome::Done ? FormatGeneral(r.Value, r.Digits()) : "diverge"));
}
BENCHMARK(BM_Area)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

// A table of 100,000 rows of two functions: computing the range and the
// first screenful of rows (Args 0, 0), and every row and the whole table as
// the text that "Copiar" puts on the clipboard (Args 1, 1).
void BM_ValueTable100000Rows(benchmark::State& state)
{
    Tdemoform form;
    CreateSecondaryWindows(form);
    form.Panel3->Edit1->setText("sin x * x^2 + 1; exp(x/3)*cos(5*x)");
    form.Panel3->Button1Click();
    int rows = 0;
    for (auto _ : state) {
        TValueTableDialog dialog(form.Panel3->Model, form.Panel3->FunctionTexts(), 10, 9, nullptr);
        dialog.EditFrom->setText("0");
        dialog.EditTo->setText("99999/1000");
        dialog.EditStep->setText("0.001");
        dialog.Compute();
        // The rows come from the model's thread: the first screenful, or all of them.
        TValueTableModel* model = dialog.Model();
        const int64_t end = state.range(0) == 0 ? 40 : model->Table()->Rows();
        while (!model->Ready(0, end)) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        if (state.range(1) == 1) {
            const QString text = model->Text(0, model->Table()->Rows(), ".", "\t");
            benchmark::DoNotOptimize(text.size());
        }
        rows = dialog.Model()->rowCount();
    }
    state.SetLabel(std::to_string(rows) + " rows");
}
BENCHMARK(BM_ValueTable100000Rows)->Args({0, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer clock;
    clock.start();
    // The recovery copies of the windows below go to a scratch folder.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
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
