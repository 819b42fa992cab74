// The engine's derivative and the notebook's functions: what f' and f''
// cost beside f, how long a derivative takes to build, and chains of
// thousands of functions defined, evaluated and differentiated.
#include "engine/Derivative.h"
#include "engine/Expression.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::shared_ptr<TMathParser> Engine()
{
    auto parser = std::make_shared<TMathParser>();
    parser->RegisterFunctions();
    parser->RegisterAngleConversions();
    parser->DefineVariable("x", 0);
    return parser;
}

// g(g(g(g(g(g(x)))))) with g(t) = t*t + t: f (Arg 0), f' (1), f'' (2) at
// 4096 samples; "steps" is the compiled program's size.
void BM_NestedCalls(benchmark::State& state)
{
    auto parser = Engine();
    parser->DefineFunctions({{"g", {"t"}, "t*t+t", 1}});
    std::vector<TExpression> e;
    e.emplace_back(parser, "g(g(g(g(g(g(x))))))");
    for (int k = 1; k <= state.range(0); ++k) e.push_back(std::move(*Derivative(e.back(), "x", false)));
    TSampler sampler = e.back().Sampler("x", false);
    std::vector<long double> xs(4096), ys(4096);
    std::unique_ptr<bool[]> ok(new bool[4096]);
    for (std::size_t i = 0; i < xs.size(); ++i) xs[i] = -1 + static_cast<long double>(i) / 4096;
    for (auto _ : state) sampler.Evaluate(xs.data(), xs.size(), ys.data(), ok.get());
    state.counters["steps"] = static_cast<double>(e.back().CompiledSteps());
    state.SetItemsProcessed(state.iterations() * 4096);
    state.SetLabel(state.range(0) == 0 ? "f" : state.range(0) == 1 ? "f'" : "f''");
}
BENCHMARK(BM_NestedCalls)->DenseRange(0, 2);

// Building f' of x*x*...*x (900 factors) and of sixteen levels of
// h(t) = g(t)*0.5 + g(t)*0.5.
void BM_BuildDerivative(benchmark::State& state)
{
    auto parser = Engine();
    std::string text = "x";
    if (state.range(0) == 0) {
        for (int i = 1; i < 900; ++i) text += "*x";
    } else {
        std::vector<TFunctionSource> levels{{"ha", {"t"}, "sin t", 1}};
        for (char c = 'b'; c <= 'q'; ++c)
            levels.push_back({std::string("h") + c, {"t"}, std::string("h") + char(c - 1) + "(t)*0.5+h" + char(c - 1) + "(t)*0.5", c - 'a' + 1});
        parser->DefineFunctions(levels);
        text = "hq(x)";
    }
    const TExpression f(parser, text);
    for (auto _ : state) benchmark::DoNotOptimize(Derivative(f, "x", false));
    state.SetLabel(state.range(0) == 0 ? "900 factors" : "16 levels of calls");
}
BENCHMARK(BM_BuildDerivative)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// A chain of N one-line functions c1(t) = t + x, ck(t) = c(k-1)(t) + t:
// defined and the last one evaluated once (Arg 1 = 0), or also
// differentiated and its derivative evaluated (Arg 1 = 1).
void BM_FunctionChain(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    std::vector<TFunctionSource> chain{{"c", {"t"}, "t+x", 1}};
    for (int k = 2; k <= n; ++k) chain.push_back({"c" + std::to_string(k), {"t"}, (k == 2 ? std::string("c") : "c" + std::to_string(k - 1)) + "(t)+t", k});
    const std::string call = "c" + std::to_string(n) + "(x)";
    for (auto _ : state) {
        auto parser = Engine();
        parser->DefineFunctions(chain);
        const TExpression f(parser, call);
        long double v = 0;
        f.TryEvaluate(v);
        if (state.range(1) == 1) {
            const std::optional<TExpression> d = Derivative(f, "x", false);
            if (d) d->TryEvaluate(v);
        }
        benchmark::DoNotOptimize(v);
    }
    state.SetLabel(state.range(1) == 0 ? "define and evaluate" : "define, evaluate, differentiate");
}
BENCHMARK(BM_FunctionChain)->ArgsProduct({{10000, 50000}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
