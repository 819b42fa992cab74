// The least-squares fits against references worked out exactly in rational
// arithmetic (or to 40 digits where a logarithm comes in) from the decimal
// data, the data they refuse, and the text of the fitted function read back
// by the engine.
#include "analysis/Fits.h"
#include "engine/Expression.h"
#include "engine/MathParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using analysis::Fit;
using analysis::TFitModel;
using analysis::TFitResult;
using ld = long double;
using TValues = std::vector<ld>;

void ExpectRelative(ld got, ld want, ld tolerance, const std::string& what)
{
    EXPECT_LE(std::fabs(got - want), tolerance * std::fabs(want))
        << what << ": " << static_cast<double>(got) << " != " << static_cast<double>(want);
}

struct TCase {
    const char* Name;
    TFitModel Model;
    TValues X, Y, Sigma;  // no sigma: unweighted
    TValues Coefficients, Errors;
    ld RSquared;
    TValues Residuals;    // empty: not checked
};

const TValues kX = {1, 2, 3, 4, 5};
const TValues kY = {2.1L, 3.9L, 6.2L, 7.8L, 10.1L};

TEST(Fits, AgainstExactReferences)
{
    const std::vector<TCase> cases = {
        // se(b)^2 = s^2/Sxx, se(a)^2 = s^2 (1/n + mean^2/Sxx), s^2 = 0.107/3, Sxx = 10.
        {"recta", TFitModel::Line, kX, kY, {}, {0.05L, 1.99L},
         {0.1980740602232743986857286517600023572925L, 0.05972157622389639061548771700217364018981L},
         0.9973053289009771330714213760451294449481L, {0.06L, -0.13L, 0.18L, -0.21L, 0.1L}},
        // The same y at x = 1e9 + k/8 (exact in binary): only a centred
        // column keeps the digits of the slope and the intercept.
        {"recta desplazada", TFitModel::Line,
         {1000000000.125L, 1000000000.25L, 1000000000.375L, 1000000000.5L, 1000000000.625L}, kY, {},
         {-15919999999.95L, 15.92L}, {477772609.9703358536030561048890398724674L, 0.4777726097911711249239017360173891215185L},
         0.9973053289009771330714213760451294449481L, {0.06L, -0.13L, 0.18L, -0.21L, 0.1L}},
        // Weights 1/sigma^2, covariance (X^T W X)^-1 without s^2.
        {"recta ponderada", TFitModel::Line, {1, 2, 3, 4}, {1.0L, 2.9L, 5.2L, 6.8L}, {0.1L, 0.2L, 0.1L, 0.4L},
         {-1.081927710843373493975903614457831325301L, 2.074096385542168674698795180722891566265L},
         {0.1520938201258746992316944027946249760091L, 0.06676699278312004984439089277418446076689L},
         0.9978012471159360259035681629807688665615L,
         {0.007831325301204819277108433734939759036145L, -0.1662650602409638554216867469879518072289L,
          0.05963855421686746987951807228915662650602L, -0.4144578313253012048192771084337349397590L}},
        {"parábola", TFitModel::Quadratic, {-2, -1, 0, 1, 2, 3}, {-5.1L, -1.4L, 1.1L, 2.4L, 2.1L, 0.4L}, {},
         {1.174285714285714285714285714285714285714L, 1.805L, -0.6821428571428571428571428571428571428571L},
         {0.06322403745067714235987690416508056339489L, 0.03005380662273926994332914283508029064547L,
          0.01697837760572101834862910233980562105823L},
         0.9991819843515295565462365850862958248626L,
         {0.06428571428571428571428571428571428571429L, -0.08714285714285714285714285714285714285714L,
          -0.07428571428571428571428571428571428571429L, 0.1028571428571428571428571428571428571429L,
          0.04428571428571428571428571428571428571429L, -0.05L}},
        // r^2 uncentred: 1 - SSR / sum of y^2.
        {"recta por el origen", TFitModel::Origin, {1, 2, 3}, {2, 4.1L, 5.9L}, {},
         {1.992857142857142857142857142857142857143L}, {0.02624453295839119390925661508613455062821L},
         0.9996532593619972260748959778085991678225L,
         {0.007142857142857142857142857142857142857143L, 0.1142857142857142857142857142857142857143L,
          -0.07857142857142857142857142857142857142857L}},
        // ln y against x; r^2 in log space, residuals in y.
        {"exponencial", TFitModel::Exponential, {0, 1, 2, 3, 4}, {2.0L, 2.9L, 4.4L, 6.5L, 9.9L}, {},
         {1.973061820679964664797634955680943324960L, 0.400586659307036095030539569376487450572L},
         {0.02209794258552048692243782282038573585094L, 0.004572308474449283930738296893378070436234L},
         0.9996093123979437587746597788317258539296L,
         {0.026938179320035335202365044319056675040L, -0.045189670271868476327078014666154365257L,
          0.003714945491774371882238373298716583653L, -0.062335348238641713656792789036751659638L,
          0.104401059348595964421455147916416926048L}},
        // In log space the weight of a point is (y/sigma)^2.
        {"exponencial ponderada", TFitModel::Exponential, {0, 1, 2, 3, 4}, {2.0L, 2.9L, 4.4L, 6.5L, 9.9L},
         {0.1L, 0.1L, 0.2L, 0.3L, 0.5L},
         {1.963351010898317386993502977499143917283L, 0.4016870943288361290536107581465700715187L},
         {0.06689842064931224631762331533446078810391L, 0.01504047229333300790762537517180798843550L},
         0.9995309317695412170260733679597473869752L, {}},
        {"logarítmica", TFitModel::Logarithmic, {1, 2, 4, 8, 16}, {1.1L, 2.3L, 3.8L, 5.2L, 6.4L}, {},
         {1.06L, 1.947638305200100599935898319352554385525L},
         {0.07348469228349534294591852224117674175853L, 0.04328085122666890222079774043005676412253L},
         0.9985207100591715976331360946745562130178L, {}},
        {"potencial", TFitModel::Power, {1, 2, 3, 4, 5}, {3.0L, 1.1L, 0.57L, 0.37L, 0.27L}, {},
         {3.033388199337258730551591862369588987591L, -1.508134842387553826661235345312454405866L},
         {0.06037765004319720369407467120946349963720L, 0.01787535715793849371759680047332909161473L},
         0.9995787233707391989874208970536978583940L, {}},
    };
    for (const TCase& c : cases) {
        const TFitResult fit = Fit(c.Model, c.X, c.Y, c.Sigma.empty() ? nullptr : &c.Sigma);
        ASSERT_TRUE(fit.Ok) << c.Name << ": " << fit.Why;
        ASSERT_EQ(fit.Coefficients.size(), c.Coefficients.size()) << c.Name;
        ASSERT_EQ(fit.Errors.size(), c.Errors.size()) << c.Name;
        EXPECT_EQ(fit.Freedom, static_cast<int>(c.X.size() - c.Coefficients.size())) << c.Name;
        for (size_t i = 0; i < c.Coefficients.size(); ++i) {
            const std::string what = std::string(c.Name) + ", coeficiente " + std::to_string(i);
            ExpectRelative(fit.Coefficients[i], c.Coefficients[i], 1e-16L, what);
            ExpectRelative(fit.Errors[i], c.Errors[i], 1e-15L, what + " (error)");
        }
        ExpectRelative(1 - fit.RSquared, 1 - c.RSquared, 1e-14L, std::string(c.Name) + ", 1 - r2");
        ASSERT_EQ(fit.Residuals.size(), c.X.size()) << c.Name;
        for (size_t i = 0; i < c.Residuals.size(); ++i)
            EXPECT_NEAR(static_cast<double>(fit.Residuals[i]), static_cast<double>(c.Residuals[i]), 1e-15)
                << c.Name << ", residuo " << i;
    }
}

// Data made from exact laws: the fit returns the law to rounding and r^2 = 1.
TEST(Fits, RecoversExactLaws)
{
    TValues x, exponential, power = {2, 0.5L, 0.125L, 0.03125L, 0.0078125L}, xp = {1, 2, 4, 8, 16};
    for (int i = 0; i <= 5; ++i) {
        x.push_back(i);
        exponential.push_back(2.5L * std::exp(0.3L * i));
    }
    const struct {
        TFitModel Model;
        TValues X, Y, Want;
    } cases[] = {
        {TFitModel::Exponential, x, exponential, {2.5L, 0.3L}},
        {TFitModel::Power, xp, power, {2, -2}},
        {TFitModel::Quadratic, {-1, 0, 1, 2}, {6, 1, -2, -3}, {1, -4, 1}},
    };
    for (const auto& c : cases) {
        const TFitResult fit = Fit(c.Model, c.X, c.Y);
        ASSERT_TRUE(fit.Ok) << fit.Why;
        for (size_t i = 0; i < c.Want.size(); ++i) {
            EXPECT_NEAR(static_cast<double>(fit.Coefficients[i]), static_cast<double>(c.Want[i]), 1e-16)
                << analysis::FitModelName(c.Model) << " " << i;
            EXPECT_LT(fit.Errors[i], 1e-15L);
        }
        EXPECT_GT(fit.RSquared, 1 - 1e-15L);
        for (ld r : fit.Residuals)
            EXPECT_LT(std::fabs(r), 1e-16L);
    }
}

// 100,000 points of a line at a large offset with a zigzag of +-0.5: the
// slope against its closed form, every sum exact in binary.
TEST(Fits, ManyPoints)
{
    const int n = 100000;
    TValues x(n), y(n);
    for (int i = 0; i < n; ++i) {
        x[i] = 1e6L + i * 0.25L;
        y[i] = 7 + 3 * x[i] + (i % 2 ? 0.5L : -0.5L);
    }
    const TFitResult fit = Fit(TFitModel::Line, x, y);
    ASSERT_TRUE(fit.Ok) << fit.Why;
    // Exactly: the zigzag d_i = (-1)^(i+1)/2 has sum 0 and sum of i d_i = n/4,
    // so the slope gains (n/4 * 0.25) / Sxx with Sxx = 0.0625 n (n^2-1)/12.
    const ld sxx = 0.0625L * n * (static_cast<ld>(n) * n - 1) / 12;
    const ld slope = 3 + (n / 4.0L * 0.25L) / sxx;
    ExpectRelative(fit.Coefficients[1], slope, 1e-17L, "pendiente");
    EXPECT_EQ(fit.Residuals.size(), static_cast<size_t>(n));
}

TEST(Fits, RefusesWhatCannotBeFitted)
{
    const TValues three = {1, 2, 3}, same = {2, 2, 2, 2};
    const TValues badSigma = {0.1L, 0, 0.1L};
    const struct {
        TFitModel Model;
        TValues X, Y;
        const TValues* Sigma;
        const char* Why;
    } cases[] = {
        {TFitModel::Line, {1, 2, 3}, {1, 2}, nullptr, "Las listas x e y tienen distinto número de valores"},
        {TFitModel::Line, {1, 2}, {1, 2}, nullptr, "Faltan puntos: el ajuste necesita al menos 3"},
        {TFitModel::Quadratic, three, three, nullptr, "Faltan puntos: el ajuste necesita al menos 4"},
        {TFitModel::Origin, {1}, {1}, nullptr, "Faltan puntos: el ajuste necesita al menos 2"},
        {TFitModel::Line, same, {1, 2, 3, 4}, nullptr, "Todos los valores de x son iguales: no determinan el ajuste"},
        {TFitModel::Quadratic, {1, 2, 1, 2}, {1, 2, 3, 4}, nullptr,
         "Los valores de x no determinan el ajuste: hacen falta al menos 3 valores de x distintos"},
        {TFitModel::Origin, {0, 0, 0}, three, nullptr, "Los valores de x no determinan el ajuste: son todos 0"},
        {TFitModel::Line, {1, NAN, 3}, three, nullptr, "Hay valores que no son números finitos"},
        {TFitModel::Line, three, {1, 2, INFINITY}, nullptr, "Hay valores que no son números finitos"},
        {TFitModel::Line, three, three, &badSigma, "Las incertidumbres de y deben ser todas positivas"},
        {TFitModel::Exponential, three, {1, -2, 3}, nullptr, "El ajuste exponencial necesita todos los valores de y positivos"},
        {TFitModel::Power, {1, 0, 3}, three, nullptr, "El ajuste potencial necesita todos los valores de x positivos"},
        {TFitModel::Power, three, {1, 0, 3}, nullptr, "El ajuste potencial necesita todos los valores de y positivos"},
        {TFitModel::Logarithmic, {-1, 2, 3}, three, nullptr, "El ajuste logarítmico necesita todos los valores de x positivos"},
        // ln a = 0.68 - 0.4 * 86400 and ln a = -2 ln 1E4000: a is no number of long double.
        {TFitModel::Exponential, {86400, 86401, 86402, 86403, 86404}, {2.0L, 2.9L, 4.4L, 6.5L, 9.9L}, nullptr,
         "El coeficiente a del ajuste exponencial queda fuera del intervalo de los números: desplace los valores de x"},
        {TFitModel::Power, {1e4000L, 2e4000L, 3e4000L}, {1, 4, 9}, nullptr,
         "El coeficiente a del ajuste potencial queda fuera del intervalo de los números: cambie la escala de x o de y"},
    };
    for (const auto& c : cases) {
        const TFitResult fit = Fit(c.Model, c.X, c.Y, c.Sigma);
        EXPECT_FALSE(fit.Ok) << c.Why;
        EXPECT_EQ(fit.Why, c.Why);
        EXPECT_TRUE(fit.Coefficients.empty()) << c.Why;
    }
    // Negative x are fine where no logarithm of x is taken.
    EXPECT_TRUE(Fit(TFitModel::Exponential, {-3, -1, 2}, {1, 2, 5}).Ok);
}

TFitResult Fitted(std::vector<ld> coefficients)
{
    TFitResult fit;
    fit.Ok = true;
    fit.Coefficients = std::move(coefficients);
    return fit;
}

TEST(Fits, FunctionText)
{
    const struct {
        TFitModel Model;
        TValues Coefficients;
        int Digits;
        const char* Text;
    } cases[] = {
        {TFitModel::Line, {0.05L, 1.99L}, 6, "0.05 + 1.99*x"},
        {TFitModel::Line, {0.05L, -1.99L}, 6, "0.05 - 1.99*x"},
        {TFitModel::Line, {-0.05L, 1.99L}, 6, "-0.05 + 1.99*x"},
        {TFitModel::Line, {0.0500000001L, 1.98765432L}, 4, "0.05 + 1.988*x"},
        {TFitModel::Line, {1.5e-7L, -2.5e12L}, 6, "1.5E-7 - 2.5E12*x"},
        {TFitModel::Origin, {-2.5L}, 6, "-2.5*x"},
        {TFitModel::Quadratic, {1, 2, -0.5L}, 6, "1 + 2*x - 0.5*x^2"},
        {TFitModel::Exponential, {2.5L, 0.3L}, 6, "2.5*exp(0.3*x)"},
        {TFitModel::Exponential, {2.5L, -0.3L}, 6, "2.5*exp(-0.3*x)"},
        {TFitModel::Power, {2.5L, 0.5L}, 6, "2.5*x^0.5"},
        {TFitModel::Power, {2.5L, -0.5L}, 6, "2.5*x^(-0.5)"},
        {TFitModel::Power, {1.5e-7L, 2e-8L}, 6, "1.5E-7*x^(2E-8)"},
        {TFitModel::Logarithmic, {1, 2}, 6, "1 + 2*ln(x)"},
        {TFitModel::Logarithmic, {1, -2}, 6, "1 - 2*ln(x)"},
        {TFitModel::Line, {1}, 6, ""}, // too few coefficients for the model
    };
    for (const auto& c : cases)
        EXPECT_EQ(analysis::FitFunctionText(c.Model, Fitted(c.Coefficients), c.Digits), c.Text);
    TFitResult failed = Fitted({1, 2});
    failed.Ok = false;
    EXPECT_EQ(analysis::FitFunctionText(TFitModel::Line, failed, 6), "");
}

// y all the same, with weights and without: r^2 is 1 whatever the rounding
// of the mean and the residuals leaves.
TEST(Fits, ConstantYHasRSquaredOne)
{
    const TValues x = {0.1L, 0.7L, 1.3L, 2.9L, 3.3L};
    const TValues far = {1e6L + 0.1L, 1e6L + 0.7L, 1e6L + 1.3L, 1e6L + 2.9L, 1e6L + 3.3L};
    const TValues sigma = {0.3L, 0.7L, 0.1L, 0.2L, 0.9L};
    const struct {
        TFitModel Model;
        TValues X;
        ld Y;
    } cases[] = {
        {TFitModel::Line, x, 0.1L},        {TFitModel::Quadratic, x, 1.3L},  {TFitModel::Quadratic, far, 0.3L},
        {TFitModel::Exponential, x, 0.7L}, {TFitModel::Logarithmic, x, 1e5L / 3}, {TFitModel::Power, x, 3.3L},
    };
    for (const auto& c : cases)
        for (const TValues* s : {static_cast<const TValues*>(nullptr), &sigma}) {
            const TFitResult fit = Fit(c.Model, c.X, TValues(c.X.size(), c.Y), s);
            ASSERT_TRUE(fit.Ok) << fit.Why;
            EXPECT_EQ(fit.RSquared, 1) << analysis::FitModelName(c.Model) << (s ? ", ponderado" : "");
        }
}

// The text of fits far from x = 0, read by the engine at the data's x,
// against the fitted values worked out exactly (in rational arithmetic, or
// to 50 digits where a logarithm comes in): the plain powers of x would
// cancel ("-15920000000 + 15.92*x" is 2.5 % off at 12 digits).
TEST(Fits, FunctionTextFarFromZero)
{
    auto parser = std::make_shared<TMathParser>();
    parser->RegisterFunctions();
    parser->DefineVariable("x", 0);
    const struct {
        TFitModel Model;
        TValues X, Y, Fitted;
    } cases[] = {
        {TFitModel::Line, {1000000000.125L, 1000000000.25L, 1000000000.375L, 1000000000.5L, 1000000000.625L}, kY,
         {2.04L, 4.03L, 6.02L, 8.01L, 10}},
        {TFitModel::Quadratic, {999998, 999999, 1000000, 1000001, 1000002, 1000003},
         {-5.1L, -1.4L, 1.1L, 2.4L, 2.1L, 0.4L},
         {-5.164285714285714285714285714285714285714L, -1.312857142857142857142857142857142857143L,
          1.174285714285714285714285714285714285714L, 2.297142857142857142857142857142857142857L,
          2.055714285714285714285714285714285714286L, 0.45L}},
        {TFitModel::Exponential, {86400, 86401, 86402, 86403, 86404}, {3.0L, 3.2L, 3.3L, 3.5L, 3.6L},
         {3.025345868754534974591067097672762490460L, 3.165942972920085305180877814686447481092L,
          3.313074055862705661210573809004066010579L, 3.467042771622161552206845006289518638206L,
          3.628166885973045281955571189173827140112L}},
        {TFitModel::Logarithmic, {1000000000, 1000001000, 1000002000, 1000003000, 1000004000},
         {1.1L, 2.3L, 3.8L, 5.2L, 6.4L},
         {1.059998640003159991713357400258734463220L, 2.410000670000234997329177241046138197644L,
          3.760001349997305005652487628944706726315L, 5.110000679997070009943300673940373369597L,
          6.459998660002229995361677055810047243224L}},
        // Near x = 0 it stays plain (and the same as "0.05 + 1.99*x").
        {TFitModel::Line, kX, kY, {2.04L, 4.03L, 6.02L, 8.01L, 10}},
    };
    for (const auto& c : cases) {
        const TFitResult fit = Fit(c.Model, c.X, c.Y);
        ASSERT_TRUE(fit.Ok) << fit.Why;
        const auto [low, high] = std::minmax_element(c.Y.begin(), c.Y.end());
        for (int digits : {12, 18}) {
            const std::string text = analysis::FitFunctionText(c.Model, fit, digits);
            const TExpression f(parser, text);
            for (size_t i = 0; i < c.X.size(); ++i) {
                parser->SetConstant("x", c.X[i]);
                ld got = 0;
                ASSERT_TRUE(f.TryEvaluate(got)) << text;
                EXPECT_LE(std::fabs(got - c.Fitted[i]), 1e-9L * (*high - *low))
                    << text << " at " << static_cast<double>(c.X[i]);
            }
        }
    }
    EXPECT_EQ(analysis::FitFunctionText(TFitModel::Line, Fit(TFitModel::Line, kX, kY), 6), "0.05 + 1.99*x");
}

// The text read by the engine gives the model's values: signs, powers and
// E-form numbers parse as meant.
TEST(Fits, FunctionTextReadsBack)
{
    auto parser = std::make_shared<TMathParser>();
    parser->RegisterFunctions();
    parser->DefineVariable("x", 0);
    const struct {
        TFitModel Model;
        TValues C;
        ld (*Value)(const TValues&, ld);
    } cases[] = {
        {TFitModel::Line, {0.25L, -1.5e-7L}, [](const TValues& c, ld x) { return c[0] + c[1] * x; }},
        {TFitModel::Quadratic, {-1, -2, -0.5L}, [](const TValues& c, ld x) { return c[0] + c[1] * x + c[2] * x * x; }},
        {TFitModel::Exponential, {2.5L, -0.3L}, [](const TValues& c, ld x) { return c[0] * std::exp(c[1] * x); }},
        {TFitModel::Power, {3, -1.5L}, [](const TValues& c, ld x) { return c[0] * std::pow(x, c[1]); }},
        {TFitModel::Power, {3, 2.5e-7L}, [](const TValues& c, ld x) { return c[0] * std::pow(x, c[1]); }},
        {TFitModel::Logarithmic, {1, -2}, [](const TValues& c, ld x) { return c[0] + c[1] * std::log(x); }},
    };
    for (const auto& c : cases) {
        const std::string text = analysis::FitFunctionText(c.Model, Fitted(c.C), 18);
        const TExpression f(parser, text);
        for (ld x : {0.5L, 2.0L, 7.25L}) {
            parser->SetConstant("x", x);
            ld got = 0;
            ASSERT_TRUE(f.TryEvaluate(got)) << text;
            const ld want = c.Value(c.C, x);
            EXPECT_LE(std::fabs(got - want), 1e-16L * std::fabs(want)) << text << " at " << static_cast<double>(x);
        }
    }
}

} // namespace
