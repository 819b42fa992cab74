// deriv, integral, suma, producto and resolver in the expression language,
// against exact values and 40-digit references (mpmath), their errors on
// their spans, their use in notebook functions and text definitions, and
// their samples on several threads.
#include "TestSupport.h"
#include "analysis/Equations.h"
#include "analysis/Sliders.h"
#include "calc/CalcCore.h"
#include "engine/BoundCalls.h"
#include "engine/Derivative.h"
#include "engine/Expression.h"
#include "engine/NumberFormat.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using ld = long double;
using testsupport::Decimal;

// Relative error in units of 2^-63.
double Units(ld got, ld want)
{
    if (want == 0) return got == 0 ? 0 : 1e30;
    return static_cast<double>(std::fabs(got - want) / std::fabs(want) * 0x1p63L);
}

class BoundCalls : public ::testing::Test {
protected:
    void SetUp() override { analysis::InstallExpressionCalculus(); }
    testsupport::AngleUnit Radians{false};
};

TEST_F(BoundCalls, ValuesAgainstReferences)
{
    const struct {
        const char* text;
        const char* reference;
        double units; // allowed error in units of 2^-63
    } cases[] = {
        {"deriv(sin(x); x; 0)", "1", 0},
        {"deriv(x^3; x; 2)", "12", 0},
        {"deriv(exp(2*t); t; 0)", "2", 0},
        {"deriv(ln(x); x; 3)", "0.3333333333333333333333333333333333333333", 1},
        {"deriv(arctan(u)*2; u; 1)", "1", 1},
        {"integral(x^2; x; 0; 1)", "0.3333333333333333333333333333333333333333", 4},
        {"integral(sin(x); x; 0; pi)", "2", 4},
        {"integral(1/sqrt(1-x^2); x; -1; 1)", "3.141592653589793238462643383279502884197", 1e6},
        {"integral(exp(-x^2); x; -10; 10)", "1.772453850905516027298167483341145182798", 8},
        {"integral(integral(x*y; y; 0; x); x; 0; 1)", "0.125", 8},
        {"suma(k^2; k; 1; 10)", "385", 0},
        {"suma(1/k^2; k; 1; 1000000)", "1.644933066848726436305748499979391855886", 2},
        {"suma(k; k; 5; 4)", "0", 0},
        {"suma(suma(i*j; i; 1; j); j; 1; 4)", "65", 0},
        {"producto(k; k; 1; 10)", "3628800", 0},
        {"producto(k; k; 1; 20)", "2432902008176640000", 0},
        {"producto(1 + 1/k; k; 1; 99)", "100", 64},
        {"producto(k; k; 1; 1000) / producto(k; k; 2; 1000)", "1", 64},
        {"producto(k; k; 3; 2)", "1", 0},
        {"resolver(2*x = 3; x)", "1.5", 0},
        {"resolver(cos(x) = x; x)", "0.7390851332151606416553120876738734040134", 1},
        {"resolver(exp(x) = 2; x)", "0.6931471805599453094172321214581765680755", 1},
        {"2*resolver(x^2 = 2; x; 0; 5)", "2.828427124746190097603377448419396157139", 1},
        {"deriv(x*integral(t; t; 0; 1); x; 2)", "0.5", 4},
        {"producto(10; k; 1; 4900)", "1E4900", 4900},
    };
    for (const auto& c : cases) {
        TMathParser parser;
        ld value = 0;
        testsupport::Failure failure;
        const std::string text = testsupport::Calc(parser, c.text, &failure, &value);
        ASSERT_NE(text, "error") << c.text << ": " << failure.message;
        EXPECT_LE(Units(value, Decimal(c.reference)), c.units) << c.text << " = " << FormatGeneral(value, 21);
    }
}

TEST_F(BoundCalls, SumIsCompensated)
{
    // A million additions of the extended 0.1: a plain sum drifts by
    // thousands of units, the compensated one is the rounded product.
    TMathParser parser;
    const ld got = TExpression(parser, "suma(0.1; k; 1; 1000000)").Evaluate();
    EXPECT_LE(Units(got, 1000000 * Decimal("0.1")), 1);
}

TEST_F(BoundCalls, EquationsGiveEverySolution)
{
    const ld r2 = Decimal("1.414213562373095048801688724209698078570");
    const ld pi = Decimal("3.141592653589793238462643383279502884197");
    const struct {
        const char* text;
        std::vector<ld> roots;
    } cases[] = {
        {"resolver(x^2 = 2; x)", {-r2, r2}},
        {"resolver(x^4 - 5*x^2 + 4 = 0; x)", {-2, -1, 1, 2}},
        {"resolver(x^3 = x; x)", {-1, 0, 1}},
        {"resolver((x - 1)^2 = 0; x)", {1}},
        {"resolver(x^2 + 1 = 2*x; x)", {1}},
        {"resolver(1000000*x^2 = 1; x)", {-0.001L, 0.001L}},
        {"resolver(sin(x) = 0; x; 1; 10)", {pi, 2 * pi, 3 * pi}},
        {"resolver(sin(x)^2 = 0; x; 1; 4)", {pi}},
        {"resolver(x*exp(x) = 0; x)", {0}},
        // The huge constant hides the leading coefficient from a fit near 0.
        {"resolver(x^2 = 1E18; x)", {-1e9L, 1e9L}},
        {"resolver((x - 20000)^4 = 1; x)", {19999, 20001}},
        {"resolver(x^2 - x^2 + x = 3; x)", {3}},
        // Two solutions 0.02 apart, closer than the survey's step.
        {"resolver(exp(x) + exp(-x) = 2.0001; x)",
         {-Decimal("0.00999995833380207635800558204765207608874"),
          Decimal("0.00999995833380207635800558204765207608874")}},
    };
    for (const auto& c : cases) {
        TMathParser parser;
        const TBoundReportScope report;
        testsupport::Failure failure;
        ASSERT_NE(testsupport::Calc(parser, c.text, &failure), "error") << c.text << ": " << failure.message;
        const std::vector<ld>& got = report.Report().Solutions;
        ASSERT_EQ(got.size(), c.roots.size()) << c.text;
        for (std::size_t k = 0; k < got.size(); ++k)
            EXPECT_TRUE(c.roots[k] == 0 ? std::fabs(got[k]) < 1e-18L : Units(got[k], c.roots[k]) <= 2e4)
                << c.text << " #" << k << " = " << FormatGeneral(got[k], 21);
    }
}

TEST_F(BoundCalls, ErrorsOnTheirSpans)
{
    const struct {
        const char* text;
        int position, length;
        const char* words; // part of the message
    } cases[] = {
        {"suma(k; k; 1; 3) + k", 20, 1, "solo tiene valor dentro"},
        {"integral(x^2; x; 0)", 1, 19, "necesita 4 argumentos"},
        {"deriv(x; x; 0; 1)", 1, 17, "necesita 3 argumentos"},
        {"resolver(x = 1; x; 0)", 1, 21, "2 o 4 argumentos"},
        {"deriv(x; 2; 0)", 10, 1, "no es un nombre de variable"},
        {"integral(x; sin; 0; 1)", 13, 3, "no es un nombre de variable"},
        {"suma(k; ; 1; 2)", 7, 1, "Falta el nombre"},
        {"suma(k; k; 1; 1E8)", 1, 4, "como mucho 10000000"},
        {"producto(k; k; 1; 20000001)", 1, 8, "como mucho 10000000"},
        {"suma(k; k; 1.5; 3)", 1, 4, "enteros"},
        {"resolver(x^2; x)", 10, 3, "necesita un «=»"},
        {"resolver(x = 1; x) + 2*(1 = 1)", 27, 1, "solo va en la ecuación"},
        {"suma(suma(suma(suma(suma(k; k; 1; 2); k; 1; 2); k; 1; 2); k; 1; 2); k; 1; 2)", 21, 16, "anidados"},
        {"deriv(abs(x); x; 0)", 1, 5, "no tiene derivada en x = 0"},
        {"deriv(sqrt(x); x; -1)", 1, 5, "no tiene valor en x = -1"},
        {"deriv(comb(x; 2); x; 3)", 1, 23, "deriv no puede derivar"},
        {"suma(1/k; k; 0; 3)", 1, 4, "el término k = 0 no tiene valor"},
        {"integral(1/x; x; 0; 1)", 1, 8, "diverge"},
        {"resolver(x^2 = -1; x)", 1, 8, "sin solución real"},
        {"resolver(exp(x) = 0; x)", 1, 8, "sin solución real en [-1000; 1000]"},
        {"resolver(x = 1; x; 2; 1)", 1, 8, "a menor que b"},
        {"deriv(suma(x^k; k; 1; 3); x; 1)", 1, 31, "«suma» no tiene una derivada conocida"},
        {"deriv(integral(sin(t); t; 0; x); x; 1)", 1, 38, "«integral» no tiene una derivada conocida"},
        {"producto(10; k; 1; 4933)", 1, 8, "demasiado grande"},
    };
    for (const auto& c : cases) {
        TMathParser parser;
        testsupport::Failure failure;
        EXPECT_EQ(testsupport::Calc(parser, c.text, &failure), "error") << c.text;
        EXPECT_EQ(failure.position, c.position) << c.text << ": " << failure.message;
        EXPECT_EQ(failure.length, c.length) << c.text << ": " << failure.message;
        EXPECT_NE(failure.message.find(c.words), std::string::npos) << c.text << ": " << failure.message;
    }
}

TEST_F(BoundCalls, NamesAreBoundOnlyInside)
{
    // The notebook's x does not leak in, and is the x outside.
    TMathParser parser;
    parser.DefineVariable("x", 5);
    parser.DefineVariable("k", 100);
    EXPECT_EQ(TExpression(parser, "integral(x; x; 0; 2) + x").Evaluate(), 7);
    EXPECT_EQ(TExpression(parser, "suma(k; k; 1; 3) * k").Evaluate(), 600);
    EXPECT_EQ(TExpression(parser, "suma(k*x; k; 1; 3)").Evaluate(), 30);
    // Written back as it was written.
    const TExpression e(parser, "Integral(T^2; T; 0; x)");
    EXPECT_EQ(e.Text(), "integral(T ^ 2; T; 0; x)");
    EXPECT_EQ(TExpression(parser, "resolver(x^2 = 2; x; 0; 3)").Text(), "resolver(x ^ 2 = 2; x; 0; 3)");
    // Without these calls "=" stays unknown, as before.
    testsupport::Failure failure;
    EXPECT_EQ(testsupport::Calc(parser, "x = 2", &failure), "error");
    EXPECT_EQ(failure.message, "Valor desconocido");
}

TEST_F(BoundCalls, NotebookFunctionsAndTemplates)
{
    const struct {
        std::vector<std::string> notebook;
        const char* expression;
        const char* line;
    } cases[] = {
        {{"vol(r)=integral(pi*(r^2-y^2); y; -r; r)"}, "vol(3)", "vol(3) =   113.097336"},
        {{"atr=base*altura/2", "base=3"}, "resolver(atr = 6; altura)", "resolver(base * altura / 2 = 6; altura) =   altura = 4"},
        {{"f(t)=t^3"}, "deriv(f(t); t; 2)", "deriv(f(t); t; 2) =   12"},
        {{"g(a)=suma(a*k; k; 1; 4)"}, "integral(g(x); x; 0; 1)", "integral(g(x); x; 0; 1) =   5"},
        {{}, "resolver(x^2 = 2; x)", "resolver(x ^ 2 = 2; x) =   x = -1.41421356; x = 1.41421356"},
        {{}, "integral(x^2; x; 0; 1)", "integral(x ^ 2; x; 0; 1) =   0.333333333"},
    };
    for (const auto& c : cases) {
        TMathParser parser;
        const calc::TCalcOutcome r = calc::RunCalculation(parser, c.notebook, c.expression, 9);
        EXPECT_TRUE(r.ok) << c.expression << ": " << r.errorMessage;
        EXPECT_EQ(r.resultLine, c.line);
    }
}

TEST_F(BoundCalls, IntegralShowsOnlyTheDigitsItKnows)
{
    // At 18 digits, integrals that know fewer show fewer, say how many, and
    // those shown agree with 30-digit references (mpmath).
    const struct {
        const char* expression;
        const char* reference;
    } cases[] = {
        {"integral(sin(x^2); x; 0; 50)", "0.619060118688904127140149346108"},
        {"integral(sin(1000*x); x; 0; 10)", "0.00195215536825901485124038676066"},
        {"integral(sqrt(abs(x)); x; -1; 1)", "1.33333333333333333333333333333"},
    };
    for (const auto& c : cases) {
        TMathParser parser;
        const calc::TCalcOutcome r = calc::RunCalculation(parser, {}, c.expression, 18);
        ASSERT_TRUE(r.ok) << c.expression << ": " << r.errorMessage;
        const ld want = Decimal(c.reference);
        ld shown = 0;
        ASSERT_TRUE(ParseDecimal(r.valueText.substr(0, r.valueText.find(' ')), shown)) << r.valueText;
        const std::size_t note = r.valueText.find(" cifras conocidas)");
        const int digits = note == std::string::npos ? 18 : std::stoi(r.valueText.substr(r.valueText.find('(') + 1));
        EXPECT_LE(std::fabs(shown - want), std::pow(10.0L, 1 - digits) * std::fabs(want)) << c.expression << " = " << r.valueText;
    }
}

TEST_F(BoundCalls, NoDigitIsShownThatIsNotKnown)
{
    // At 18 digits: where terms cancel a sum knows fewer, and says so; whole
    // terms sum exactly; a near miss of an equation is no solution.
    const struct {
        const char* expression;
        const char* value; // the value text at 18 digits
    } cases[] = {
        // -0.693146680560195309417... (mpmath, by the digamma function)
        {"suma((-1)^k*(1+1/k); k; 1; 1000000)", "-0.69314668056 (12 cifras conocidas)"},
        {"suma(k^3; k; 1; 10000)", "2500500025000000"},
        {"producto(k; k; 1; 20)", "2.43290200817664E18"},
        {"producto(1 + 1/k; k; 1; 99)", "100 (16 cifras conocidas)"},
    };
    for (const auto& c : cases) {
        TMathParser parser;
        const calc::TCalcOutcome r = calc::RunCalculation(parser, {}, c.expression, 18);
        ASSERT_TRUE(r.ok) << c.expression << ": " << r.errorMessage;
        EXPECT_EQ(r.valueText, c.value) << c.expression;
    }
    TMathParser parser;
    const calc::TCalcOutcome r = calc::RunCalculation(parser, {}, "resolver((x-1)^2 + 1E-25*cos(x) = 0; x)", 9);
    EXPECT_FALSE(r.ok) << r.resultLine;
    EXPECT_NE(r.errorMessage.find("sin solución real"), std::string::npos) << r.errorMessage;
}

TEST_F(BoundCalls, StopsWhenAskedOrPastItsDeadline)
{
    // 10^14 terms: stopped, whichever call of the nest is running.
    const char* const texts[] = {"suma(suma(k*j; k; 1; 10000000); j; 1; 10000000)",
                                 "integral(suma(sin(k*x); k; 1; 10000000); x; 0; 1)",
                                 "resolver(suma(cos(k*x); k; 1; 1000000) = 0.5; x)"};
    for (const char* text : texts) {
        TMathParser parser;
        const TBoundStopScope budget(nullptr, std::chrono::steady_clock::now() + std::chrono::milliseconds(30));
        testsupport::Failure failure;
        EXPECT_EQ(testsupport::Calc(parser, text, &failure), "error") << text;
        EXPECT_EQ(failure.message, "Cálculo detenido") << text;
    }
    std::atomic<bool> stop{true};
    const TBoundStopScope raised(&stop);
    TMathParser parser;
    testsupport::Failure failure;
    EXPECT_EQ(testsupport::Calc(parser, "suma(k; k; 1; 10)", &failure), "error");
    EXPECT_EQ(failure.message, "Cálculo detenido");
}

TEST_F(BoundCalls, SlidersAreForTheNotebooksValuesOnly)
{
    // t is the notebook's and the integral's name: only a and b get sliders.
    auto parser = std::make_shared<TMathParser>();
    for (const char* name : {"x", "a", "b", "t"}) parser->DefineVariable(name, 1);
    const analysis::TFunctionList functions{
        std::make_shared<const TExpression>(parser, "integral(a*t; t; 0; x) + suma(b*k; k; 1; 3)")};
    EXPECT_EQ(analysis::UsedValues(functions, {"a", "b", "t"}), (std::vector<std::string>{"a", "b"}));
}

TEST_F(BoundCalls, SamplersOnSeveralThreads)
{
    // The antiderivative of sin from 0, on two threads at once, is 1 - cos x.
    auto parser = std::make_shared<TMathParser>();
    parser->DefineVariable("x", 0);
    const TExpression f(parser, "integral(sin(t); t; 0; x)");
    const TSampler sampler = f.Sampler("x", false);
    std::vector<ld> xs;
    for (int i = 0; i < 64; ++i) xs.push_back(-3 + 0.1L * i);
    std::vector<ld> a(xs.size()), b(xs.size());
    std::vector<char> okA(xs.size()), okB(xs.size());
    auto run = [&](std::vector<ld>& out, std::vector<char>& ok) {
        TSampler s = sampler;
        bool flags[64];
        s.Evaluate(xs.data(), xs.size(), out.data(), flags);
        for (std::size_t i = 0; i < xs.size(); ++i) ok[i] = flags[i];
    };
    std::thread t1(run, std::ref(a), std::ref(okA)), t2(run, std::ref(b), std::ref(okB));
    t1.join();
    t2.join();
    for (std::size_t i = 0; i < xs.size(); ++i) {
        ASSERT_TRUE(okA[i] && okB[i]) << i;
        EXPECT_EQ(a[i], b[i]);
        EXPECT_NEAR(static_cast<double>(a[i]), static_cast<double>(1 - std::cos(xs[i])), 1e-15);
    }
}

TEST_F(BoundCalls, SamplesReadTheSampledValueInsideTheCall)
{
    // x is the sampled value and is read inside the calls' expressions,
    // directly and through a notebook function.
    auto parser = std::make_shared<TMathParser>();
    parser->DefineVariable("x", 100);
    parser->DefineFunctions({{"g", {"t"}, "x*t", 1}});
    const struct {
        const char* text;
        ld (*want)(ld);
    } cases[] = {
        {"suma(x^k/fact(k); k; 0; 25)", [](ld x) { return std::exp(x); }},
        {"integral(x*t; t; 0; 1)", [](ld x) { return x / 2; }},
        {"suma(g(k); k; 1; 4) + x", [](ld x) { return 11 * x; }},
    };
    std::vector<ld> xs;
    for (int i = 0; i < 16; ++i) xs.push_back(-1 + 0.125L * i);
    for (const auto& c : cases) {
        const TExpression f(parser, c.text);
        std::vector<ld> batch(xs.size()), sampled(xs.size());
        bool ok[16], sampledOk[16];
        f.EvaluateBatch("x", xs.data(), xs.size(), batch.data(), ok);
        TSampler sampler = f.Sampler("x", false);
        sampler.Evaluate(xs.data(), xs.size(), sampled.data(), sampledOk);
        for (std::size_t i = 0; i < xs.size(); ++i) {
            ASSERT_TRUE(ok[i] && sampledOk[i]) << c.text << " at " << static_cast<double>(xs[i]);
            EXPECT_NEAR(static_cast<double>(batch[i]), static_cast<double>(c.want(xs[i])), 1e-15) << c.text;
            EXPECT_EQ(batch[i], sampled[i]) << c.text;
        }
    }
}

TEST_F(BoundCalls, DerivativesOfTheirTreesAreRefusedNotWrong)
{
    // A derivative outside the parser's own would share the call's
    // expression; it is refused with the reason, never 0.
    auto parser = std::make_shared<TMathParser>();
    parser->DefineVariable("x", 1);
    for (const char* text : {"suma(x^k; k; 1; 3)", "x*integral(t; t; 0; 1)", "integral(sin(t); t; 0; x)"}) {
        std::string why;
        {
            const TExpression f(parser, text);
            EXPECT_FALSE(Derivative(f, "x", false, &why).has_value()) << text;
        }
        EXPECT_NE(why.find("no tiene una derivada conocida"), std::string::npos) << text << ": " << why;
    }
    // Nested calls and their derivatives freed in any order.
    for (int k = 0; k < 3; ++k) {
        auto f = std::make_unique<TExpression>(parser, "deriv(x^3*integral(t; t; 0; 2) + suma(j; j; 1; 2); x; 1)");
        auto g = std::make_unique<TExpression>(parser, "integral(deriv(t^2*suma(j; j; 1; 2); t; u); u; 0; 1)");
        EXPECT_EQ(f->Evaluate(), 6);
        EXPECT_NEAR(static_cast<double>(g->Evaluate()), 3, 1e-17);
        if (k == 1) std::swap(f, g);
    }
}

} // namespace
