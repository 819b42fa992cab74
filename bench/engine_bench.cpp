// Engine benchmarks: plot sampling against muParser (double) and against a
// hand-written long double function, whole calculator lines, long inputs
// and a large notebook.
#include "engine/MathParser.h"
#include "engine/Expression.h"
#include "library/FormulaTemplates.h"
#include "codec/Rtf.h"
#include "calc/CalcCore.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <muParser.h>
#include <string>
#include <vector>

namespace {

// ---- Plot sampling: 4001 samples x = i/100, i = -2000..2000 ----

constexpr int kSamples = 4001;
inline long double SampleX(int i) { return static_cast<long double>(i - 2000) / 100; }

struct PlotCase {
    const char* engine;  // our language
    const char* muparser;
    long double (*hand)(long double);
};

long double H0(long double x) { return x * x * 3 + x / 7 - 1; }
long double H1(long double x) { return std::sin(x) * (x * x) + 1; }
long double H2(long double x) { return std::exp(x / 3) * std::cos(5 * x) - std::log(std::fabs(x) + 1); }
long double H3(long double x) { return std::sqrt(4 - x * x); }
long double H4(long double x) { return 1 / x; }

const PlotCase kPlot[] = {
    {"x^2*3 + x/7 - 1", "x^2*3 + x/7 - 1", H0},
    {"sin x * x^2 + 1", "sin(x) * x^2 + 1", H1},
    {"exp(x/3)*cos(5*x) - ln(abs x + 1)", "exp(x/3)*cos(5*x) - ln(abs(x) + 1)", H2},
    {"sqrt(4 - x^2)", "sqrt(4 - x^2)", H3},
    {"1/x", "1/x", H4},
};

void BM_PlotZentrova(benchmark::State& state)
{
    const PlotCase& c = kPlot[state.range(0)];
    SetAngleUnitQuery([] { return false; }); // radians, like the other two
    TMathParser parser;
    parser.RegisterAngleConversions();
    parser.DefineVariable("x", 0);
    const TExpression tree(parser, c.engine);
    long double sum = 0;
    int failed = 0;
    for (auto _ : state) {
        for (int i = 0; i < kSamples; ++i) {
            parser.SetConstant("x", SampleX(i));
            long double y;
            if (tree.TryEvaluate(y)) sum += y;
            else ++failed;
        }
    }
    benchmark::DoNotOptimize(sum);
    SetAngleUnitQuery(nullptr);
    state.SetItemsProcessed(state.iterations() * kSamples);
    state.counters["failed"] = failed / static_cast<double>(state.iterations());
    state.SetLabel(c.engine);
}

// The plot's own path: all 4001 samples through the batch evaluator.
void BM_PlotBatch(benchmark::State& state)
{
    const PlotCase& c = kPlot[state.range(0)];
    SetAngleUnitQuery([] { return false; });
    TMathParser parser;
    parser.RegisterAngleConversions();
    parser.DefineVariable("x", 0);
    const TExpression tree(parser, c.engine);
    std::vector<long double> xs(kSamples), ys(kSamples);
    for (int i = 0; i < kSamples; ++i) xs[i] = SampleX(i);
    std::unique_ptr<bool[]> ok(new bool[kSamples]);
    long double sum = 0;
    for (auto _ : state) {
        tree.EvaluateBatch("x", xs.data(), xs.size(), ys.data(), ok.get());
        sum += ys[kSamples / 3];
    }
    benchmark::DoNotOptimize(sum);
    SetAngleUnitQuery(nullptr);
    state.SetItemsProcessed(state.iterations() * kSamples);
    state.SetLabel(c.engine);
}

void BM_PlotMuParser(benchmark::State& state)
{
    const PlotCase& c = kPlot[state.range(0)];
    double x = 0;
    mu::Parser parser;
    parser.DefineVar("x", &x);
    parser.SetExpr(c.muparser);
    double sum = 0;
    for (auto _ : state) {
        for (int i = 0; i < kSamples; ++i) {
            x = static_cast<double>(SampleX(i));
            const double y = parser.Eval();
            if (std::isfinite(y)) sum += y;
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * kSamples);
    state.SetLabel(c.muparser);
}

void BM_PlotHandWritten(benchmark::State& state)
{
    const PlotCase& c = kPlot[state.range(0)];
    volatile long double sink = 0;
    for (auto _ : state) {
        long double sum = 0;
        for (int i = 0; i < kSamples; ++i) {
            long double x = SampleX(i);
            benchmark::DoNotOptimize(x);
            const long double y = c.hand(x);
            if (std::isfinite(y)) sum += y;
        }
        sink = sum;
    }
    (void)sink;
    state.SetItemsProcessed(state.iterations() * kSamples);
    state.SetLabel(c.engine);
}

BENCHMARK(BM_PlotZentrova)->DenseRange(0, 4);
BENCHMARK(BM_PlotBatch)->DenseRange(0, 4);
BENCHMARK(BM_PlotMuParser)->DenseRange(0, 4);
BENCHMARK(BM_PlotHandWritten)->DenseRange(0, 4);

// A plot at range 1000 (400001 samples) of a notebook function against
// the same body typed in the plot box: even cases typed, odd ones called.
struct FunctionCase {
    const char* typed;
    const char* called;
};
const FunctionCase kFunctionPlot[] = {
    {"sin x * x^2 + k*x", "f(x)"},
    {"pi*x^2*2/3", "V(x;2)"},
    {"sin (x+1) * (x+1)^2 + k*(x+1)", "f(x+1)"},
};

void BM_PlotNotebookFunction(benchmark::State& state)
{
    const FunctionCase& c = kFunctionPlot[state.range(0) / 2];
    const bool called = state.range(0) % 2 == 1;
    auto parser = std::make_shared<TMathParser>();
    parser->RegisterFunctions();
    parser->RegisterAngleConversions();
    parser->DefineVariable("x", 0);
    calc::DefineValues(*parser, calc::ReadNotebookDefinitions({"k=3", "f(t)=sin t * t^2 + k*t", "V(r;h)=pi*r^2*h/3"}));
    const TExpression tree(parser, called ? c.called : c.typed);
    constexpr std::size_t kRangeSamples = 400001;
    std::vector<long double> xs(kRangeSamples), ys(kRangeSamples);
    for (std::size_t i = 0; i < kRangeSamples; ++i) xs[i] = (static_cast<long double>(i) - 200000) / 100;
    std::unique_ptr<bool[]> ok(new bool[kRangeSamples]);
    TSampler sampler = tree.Sampler("x", false);
    long double sum = 0;
    for (auto _ : state) {
        sampler.Evaluate(xs.data(), kRangeSamples, ys.data(), ok.get());
        sum += ys[kRangeSamples / 3];
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * kRangeSamples);
    state.SetLabel(called ? c.called : c.typed);
}
BENCHMARK(BM_PlotNotebookFunction)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// ---- Calculator lines: the 34 formula templates with numbers ----

struct Line {
    std::vector<std::string> notebook;
    std::string expression;
};

std::vector<Line> TemplateLines()
{
    std::vector<Line> lines;
    for (auto group : {TFormulaGroup::Areas, TFormulaGroup::Volumes, TFormulaGroup::Physics}) {
        for (const TFormulaTemplate& t : FormulaTemplates(group)) {
            Line line;
            line.notebook = {"gt=9.8", "Ko=8.98755E9", "G=6.67259E-11", "", t.Description, t.Formula};
            int k = 2;
            for (const char* input : t.Inputs) line.notebook.push_back(std::string(input) + "=" + std::to_string(k++) + ".5");
            const std::string formula = t.Formula;
            line.expression = formula.substr(0, formula.find('='));
            lines.push_back(line);
        }
    }
    return lines;
}

void BM_TemplateLines(benchmark::State& state)
{
    const std::vector<Line> lines = TemplateLines();
    std::size_t ok = 0;
    for (auto _ : state) {
        for (const Line& line : lines) {
            TMathParser parser;
            const calc::TCalcOutcome r = calc::RunCalculation(parser, line.notebook, line.expression, 9);
            ok += r.ok;
            benchmark::DoNotOptimize(r.resultLine.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines.size()));
    state.counters["ok_per_34"] = static_cast<double>(ok) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_TemplateLines);

// ---- Long inputs: parse, evaluate, write back, free ----

std::string LongInput(int family, std::size_t chars)
{
    std::string s;
    s.reserve(chars + 2);
    switch (family) {
    case 0: // 1+1+...+1
        s = "1";
        while (s.size() + 2 <= chars) s += "+1";
        break;
    case 1: // x-x-...-x
        s = "x";
        while (s.size() + 2 <= chars) s += "-x";
        break;
    case 2: // nested parentheses around 1
        s = std::string(chars / 2, '(') + "1" + std::string(chars / 2, ')');
        break;
    default: // a run of letters, every one the named value q
        s = std::string(chars, 'q');
        break;
    }
    return s;
}

void BM_LongInput(benchmark::State& state)
{
    const int family = static_cast<int>(state.range(0));
    const std::string text = LongInput(family, static_cast<std::size_t>(state.range(1)));
    static const char* const names[] = {"1+1+...+1", "x-x-...-x", "((...(1)...))", "qqq...q"};
    for (auto _ : state) {
        TMathParser parser;
        parser.DefineVariable("x", 2);
        parser.DefineVariable("q", 3);
        try {
            const TExpression tree(parser, text);
            long double v;
            tree.TryEvaluate(v);
            std::string written = tree.Text();
            benchmark::DoNotOptimize(written.data());
        } catch (const EMathParserException&) {
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.SetLabel(names[family]);
}
BENCHMARK(BM_LongInput)
    ->ArgsProduct({{0, 1, 2, 3}, {10000, 100000, 1000000}})
    ->Unit(benchmark::kMillisecond);

// ---- A calculation with a 10,000-line notebook ----

void BM_LargeNotebook(benchmark::State& state)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 10000; ++i) {
        switch (i % 4) {
        case 0: lines.push_back("Nota número " + std::to_string(i)); break;
        case 1: lines.push_back("v" + std::to_string(i) + "=" + std::to_string(i) + ".25"); break;
        case 2: lines.push_back("w" + std::string(1, static_cast<char>('a' + i % 26)) + "=" + std::to_string(i)); break;
        default: lines.push_back("t" + std::to_string(i) + "=wa*2"); break;
        }
    }
    lines.push_back("area=base*altura/2");
    lines.push_back("base=3");
    lines.push_back("altura=4");
    for (auto _ : state) {
        TMathParser parser;
        const calc::TCalcOutcome r = calc::RunCalculation(parser, lines, "area+wc", 9);
        benchmark::DoNotOptimize(r.resultLine.data());
    }
    state.SetLabel("10,000 lines");
}
BENCHMARK(BM_LargeNotebook)->Unit(benchmark::kMillisecond);

// The same notebook with text definitions that use each other: a chain of
// 20 written bottom-up, so that each pass over the notebook resolves one
// (range 0), or two that use each other (range 1, the error).
void BM_LargeNotebookDefinitionsInAnyOrder(benchmark::State& state)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 10000; ++i) {
        switch (i % 4) {
        case 0: lines.push_back("Nota número " + std::to_string(i)); break;
        case 1: lines.push_back("v" + std::to_string(i) + "=" + std::to_string(i) + ".25"); break;
        case 2: lines.push_back("w" + std::string(1, static_cast<char>('a' + i % 26)) + "=" + std::to_string(i)); break;
        default: lines.push_back("t" + std::to_string(i) + "=wa*2"); break;
        }
    }
    if (state.range(0) == 0) {
        auto name = [](int k) { return std::string("c") + static_cast<char>('a' + k); };
        for (int k = 19; k >= 0; --k) lines.push_back(name(k) + "=" + name(k + 1) + "+1");
        lines.push_back(name(20) + "=2");
    } else {
        lines.push_back("p=q*2");
        lines.push_back("q=p+1");
    }
    const char* expression = state.range(0) == 0 ? "ca*2" : "p";
    for (auto _ : state) {
        TMathParser parser;
        const calc::TCalcOutcome r = calc::RunCalculation(parser, lines, expression, 9);
        benchmark::DoNotOptimize(r.errorMessage.data());
        state.SetLabel(r.ok ? r.resultLine.substr(r.resultLine.size() - 2) : r.errorMessage);
    }
}
BENCHMARK(BM_LargeNotebookDefinitionsInAnyOrder)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// Calculations with exact fractions off (even range) and on (odd): a
// fraction's everyday sum, a power past the size bound, and a sum of
// 100,000 characters of decimals (33,334 terms), whose exact path stops
// at the depth it follows.
void BM_ExactFractions(benchmark::State& state)
{
    std::string longSum;
    for (int k = 0; longSum.size() < 100000; ++k) longSum += k == 0 ? "0.5" : "+0.5";
    const std::string expressions[] = {"1/3+1/6", "2^10000", longSum};
    const std::string& expression = expressions[state.range(0) / 2];
    const bool fractions = state.range(0) % 2 == 1;
    for (auto _ : state) {
        TMathParser parser;
        const calc::TCalcOutcome r = calc::RunCalculation(parser, {}, expression, 9, fractions);
        benchmark::DoNotOptimize(r.resultLine.data());
        state.SetLabel(std::string(fractions ? "fractions: " : "decimal: ") +
                       (r.fraction ? r.fraction->Text() : r.valueText));
    }
}
BENCHMARK(BM_ExactFractions)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

// ---- Notebook files: RTF of about 5 MB ----

notebook::TRichDocument LargeNotebook(std::size_t bytes)
{
    notebook::TRichDocument doc;
    std::size_t size = 0;
    for (int i = 0; size < bytes; ++i) {
        notebook::TLine line;
        notebook::TRun title;
        title.Text.append("atr -> área de un triángulo número ").append(std::to_string(i)).append(" ");
        title.Colour = 0x0ABE0A;
        title.Font = "Verdana";
        title.HalfPoints = 18;
        notebook::TRun def;
        def.Text.append("v").append(std::to_string(i)).append("=base*altura/2 € “q”");
        def.Colour = 0x003264;
        def.Font = "Verdana";
        def.HalfPoints = 18;
        def.Bold = i % 3 == 0;
        line.Runs = {title, def};
        size += line.Text().size() + 60;
        doc.Lines.push_back(std::move(line));
    }
    return doc;
}

void BM_RtfWrite(benchmark::State& state)
{
    const notebook::TRichDocument doc = LargeNotebook(5u << 20);
    std::size_t written = 0;
    for (auto _ : state) {
        const std::string rtf = notebook::WriteRtf(doc);
        written = rtf.size();
        benchmark::DoNotOptimize(rtf.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(written));
    state.counters["rtf_MB"] = static_cast<double>(written) / 1e6;
}
BENCHMARK(BM_RtfWrite)->Unit(benchmark::kMillisecond);

void BM_RtfRead(benchmark::State& state)
{
    const std::string rtf = notebook::WriteRtf(LargeNotebook(5u << 20));
    for (auto _ : state) {
        notebook::TRichDocument doc;
        notebook::LoadNotebook(rtf, doc);
        benchmark::DoNotOptimize(doc.Lines.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(rtf.size()));
    state.counters["rtf_MB"] = static_cast<double>(rtf.size()) / 1e6;
}
BENCHMARK(BM_RtfRead)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
