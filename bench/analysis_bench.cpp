// The calculus of functions of x without a window: integrals and areas
// (analysis/Integral.h) of functions typed as the engine reads them, in
// radians.  The label shows the result's text, the counters the digits it
// knows and the values of f it read.
#include "analysis/Equations.h"
#include "analysis/Fits.h"
#include "engine/Statistics.h"
#include "analysis/Integral.h"
#include "engine/Expression.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>
#include <string>

namespace {

struct TCase {
    const char* f;
    const char* g; // none: the integral of f; else the area between f and g
    long double a, b;
};

const TCase kCases[] = {
    {"x^2", nullptr, 0, 1},
    {"sin x", nullptr, 0, 3.14159265358979323846L},
    {"exp x", nullptr, 0, 1},
    {"1/(1+x^2)", nullptr, 0, 1},
    {"sin(1000*x)", nullptr, 0, 10},
    {"sin(1000*x)", "0", 0, 10}, // 3183 crossings
    {"tan x", nullptr, 0, 2},    // diverges at pi/2
};

void BM_Integral(benchmark::State& state)
{
    const TCase& c = kCases[state.range(0)];
    auto parser = std::make_shared<TMathParser>();
    parser->RegisterFunctions();
    parser->RegisterAngleConversions();
    parser->DefineVariable("x", 0);
    TExpression f(parser, c.f), g(parser, c.g != nullptr ? c.g : "0");
    TSampler sf = f.Sampler("x", false), sg = g.Sampler("x", false);
    long long evaluations = 0;
    const analysis::TIntegrand first = [&](long double x, long double& y) {
        ++evaluations;
        return sf.Evaluate(x, y);
    };
    const analysis::TIntegrand second = [&](long double x, long double& y) { return sg.Evaluate(x, y); };
    analysis::TIntegral r;
    for (auto _ : state)
        r = c.g != nullptr ? analysis::AreaBetween(first, second, c.a, c.b) : analysis::Integrate(first, c.a, c.b);
    state.counters["digits"] = r.Digits();
    state.counters["evaluations"] = static_cast<double>(evaluations) / static_cast<double>(state.iterations());
    state.SetLabel(std::string(c.g != nullptr ? "area " : "") + c.f + " [" + std::to_string(static_cast<double>(c.a)) +
                   ", " + std::to_string(static_cast<double>(c.b)) + "]: " + analysis::IntegralText(r, "", 18));
}
BENCHMARK(BM_Integral)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

// The calls that bind a name, parsed and evaluated as a calculation does
// (in radians): the integral's rule, a million terms, a quartic's roots.
const char* const kBoundCalls[] = {
    "integral(sin(x); x; 0; pi)",     "suma(1/k^2; k; 1; 1000000)", "resolver(x^4 - 5*x^2 + 4 = 0; x)",
    "resolver(x^4 - 3*x^3 + x = 2; x)", "deriv(sin(x)*exp(x); x; 1)", "resolver(cos(x) = x; x)",
};

void BM_BoundCall(benchmark::State& state)
{
    analysis::InstallExpressionCalculus();
    const TThreadAngleUnit radians(false);
    const char* text = kBoundCalls[state.range(0)];
    long double value = 0;
    for (auto _ : state) {
        TMathParser parser;
        value = TExpression(parser, text).Evaluate();
        benchmark::DoNotOptimize(value);
    }
    state.SetLabel(std::string(text) + " = " + std::to_string(static_cast<double>(value)));
}
BENCHMARK(BM_BoundCall)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// 100,000 readings about 10000000.2: each statistic of the list (0 to 9),
// then the line's slope of two such lists (10).
TDataList Readings(unsigned seed)
{
    TDataList list;
    list.Name = "t";
    for (int i = 0; i < 100000; ++i) {
        seed = seed * 1103515245u + 12345u;
        list.Values.push_back(10000000.2L + static_cast<long double>(seed % 1000) / 10000);
    }
    SetOffsets(list);
    return list;
}

void BM_ListStatistic(benchmark::State& state)
{
    const TDataList a = Readings(1), b = Readings(2);
    const auto kind = static_cast<TListStatistic>(kStatTotal + state.range(0));
    long double v = 0;
    std::string why;
    for (auto _ : state) {
        ListStatistic(kind, a, &b, v, why);
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_ListStatistic)->DenseRange(0, 10)->Unit(benchmark::kMillisecond);

// Each fit model over 100,000 points, without and with uncertainties.
void BM_Fit(benchmark::State& state)
{
    std::vector<long double> x, y, s;
    for (int i = 1; i <= 100000; ++i) {
        x.push_back(i / 1000.0L);
        y.push_back(2.5L * std::exp(0.01L * i / 1000.0L) + (i % 7) / 1000.0L);
        s.push_back(0.01L + (i % 3) / 1000.0L);
    }
    const auto model = static_cast<analysis::TFitModel>(state.range(0) / 2);
    const bool weighted = state.range(0) % 2 == 1;
    for (auto _ : state) {
        const analysis::TFitResult r = analysis::Fit(model, x, y, weighted ? &s : nullptr);
        benchmark::DoNotOptimize(r.RSquared);
    }
}
BENCHMARK(BM_Fit)->DenseRange(0, 11)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
