// The catalogue's third group against independent references: exact
// integers, values computed at 40 digits with mpmath (written below as
// decimals of the extended arguments), the domain errors on their spans,
// scientific notation and the decimal logarithm.
#include "TestSupport.h"
#include "engine/Derivative.h"
#include "engine/ErrorCodes.h"
#include "engine/Expression.h"
#include "engine/NumberFormat.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

using ld = long double;
using testsupport::Decimal;

ld Value(const char* text)
{
    TMathParser parser;
    return TExpression(parser, text).Evaluate();
}

// Relative error in units of 2^-63, the spacing of extended values in [1, 2).
double Units(ld got, ld want) { return static_cast<double>(std::fabs(got - want) / std::fabs(want) * 0x1p63L); }

// References from mpmath at 40 digits (gamma, binomial, betainc or exact
// sums, gammainc, erfc, erfinv), each for the extended value nearest to the
// decimal arguments.
const struct {
    const char* text;
    const char* reference;
} kReferences[] = {
{"gamma 0.5", "1.77245385090551602729816748334"},
{"gamma 10.5", "1.13327838894878556733457416559e+6"},
{"gamma 0.001", "9.9942377248459546615648677474e+2"},
{"gamma(0-2.5)", "-9.45308720482941881225689324449e-1"},
{"gamma 170.5", "5.56209241455999961070580965936e+305"},
{"fact 30", "2.6525285981219105863630848e+32"},
{"fact 170", "7.25741561530799896739672821113e+306"},
{"fact 1754", "1.97926189010501005538179432753e+4930"},
{"comb(1000;500)", "2.70288240945436569515614693626e+299"},
{"comb(100;50)", "1.00891344545564193334812497256e+29"},
{"comb(60;30)", "1.18264581564861424e+17"},
{"perm(100;20)", "1.30399501820471245109568534616e+39"},
{"binomial(3;10;0.25)", "2.5028228759765625e-1"},
{"binomial(50;100;0.3)", "1.30262271314453556134384114266e-5"},
{"binomial(0;1000;0.001)", "3.67695424770964044642082472381e-1"},
{"binomial(1;100000;0.00001)", "3.67881280579378064819168577504e-1"},
{"binomial(500;1000;0.1)", "3.57340196202759042044454981627e-224"},
{"binomial(300000;1000000;0.3)", "8.705631546366807815571790087e-4"},
{"binomialac(3;10;0.25)", "7.75875091552734375e-1"},
{"binomialac(10;100;0.3)", "1.55556593167805267545748433827e-6"},
{"binomialac(40;100;0.3)", "9.87501592833561801371419483969e-1"},
{"binomialac(2999;10000;0.3)", "4.96227622454229922704626079586e-1"},
{"poisson(3;2)", "1.8044704431548358919199932663e-1"},
{"poisson(0;700)", "9.85967654375977085670537294785e-305"},
{"poisson(1000;1000)", "1.26146113487214997180369364746e-2"},
{"poisson(5;1000)", "4.22996574795788063774317456631e-422"},
{"poissonac(3;2)", "8.57123460498547048661996801492e-1"},
{"poissonac(50;100)", "2.40159223561681561686078310451e-8"},
{"poissonac(120;100)", "9.7733067092164730830516965956e-1"},
{"normal(1.96;0;1)", "9.75002104851779565865443308521e-1"},
{"normal(0-30;0;1)", "4.90671392714818705953380925658e-198"},
{"normal(0-5;0;1)", "2.86651571879193911673752332875e-7"},
{"normal(0-1;0;1)", "1.58655253931457051414767454368e-1"},
{"normal(0.5;0;1)", "6.91462461274013103637704610608e-1"},
{"normal(0-100;0;1)", "1.34417907674419830507308016714e-2174"},
{"normal(0-37.5;0;1)", "4.60535300958195484382796909761e-308"},
{"normal(180;170;8)", "8.94350226333144742311227235974e-1"},
{"normaldens(0;0;1)", "3.98942280401432677939946059934e-1"},
{"normaldens(0-20;0;1)", "5.52094836215976318958273568279e-88"},
{"normaldens(1.5;0;1)", "1.29517595665891727614099557955e-1"},
{"normalinv(0.975;0;1)", "1.95996398454005423589561021546"},
{"normalinv(0.5000001;0;1)", "2.50662827463108768024214748217e-7"},
{"normalinv(1E-300;0;1)", "-37.0470962993611992372229625078604368"}, // root of ln P(Z <= x) = ln p
{"normalinv(0.01;0;1)", "-2.3263478740408411008932336143"},
{"normalinv(1E-10;0;1)", "-6.36134090240405620469255348593"},
{"normalinv(0.3;0;1)", "-5.24400512708040784007106546668e-1"},
};

TEST(ExamFunctions, AgreeWithHighPrecisionReferencesToAFewUnits)
{
    double worst = 0;
    for (const auto& c : kReferences) {
        const ld got = Value(c.text);
        const double units = Units(got, Decimal(c.reference));
        worst = std::max(worst, units);
        // A few units, also in the tails (6 at most today).
        EXPECT_LE(units, 16) << c.text << " = " << FormatGeneral(got, 18) << ", reference " << c.reference;
    }
    RecordProperty("worst_units", std::to_string(worst));
}

TEST(ExamFunctions, WholeResultsAreExactWhileTheyFit)
{
    const struct {
        const char* text;
        const char* exact; // Python's integers
    } cases[] = {
        {"fact 0", "1"},
        {"fact 20", "2432902008176640000"},
        {"fact 25", "15511210043330985984000000"},
        {"comb(60;30)", "118264581564861424"},
        {"comb(67;33)", "14226520737620288370"},
        {"comb(10;0)", "1"},
        {"comb(10;11)", "0"},
        {"comb(10;0-1)", "0"},
        {"perm(20;20)", "2432902008176640000"},
        {"perm(10;3)", "720"},
        {"perm(3;5)", "0"},
        {"mcd(12;18)", "6"},
        {"mcd(0;7)", "7"},
        {"mcd(0-12;18)", "6"},
        {"mcd(18446744073709551615;4294967295)", "4294967295"},
        {"mcd(18446744073709551616;12)", "4"},
        {"mcm(4;6)", "12"},
        {"mcm(0;6)", "0"},
        {"mcm(4294967296;3486784401)", "14975624970497949696"},
        {"binomial(3;10;0.5)", "0.1171875"},
        {"binomialac(3;10;0.5)", "0.171875"},
        {"binomial(0;0;0.3)", "1"},
        {"binomial(11;10;0.5)", "0"},
        {"binomialac(10;10;0.3)", "1"},
        {"binomialac(0-1;10;0.3)", "0"},
        {"binomial(0;5;0)", "1"},
        {"binomial(5;5;1)", "1"},
        {"poisson(0;0)", "1"},
        {"poissonac(3;0)", "1"},
        {"normal(0;0;1)", "0.5"},
        {"normalinv(0.5;3;2)", "3"},
        {"signo(0-2)", "-1"},
        {"signo 0", "0"},
        {"signo 7", "1"},
        {"log 1000", "3"},
        {"log100", "2"}, // "log" and 100, not "log10" and 0
        {"log1000000", "6"},
        {"log10 0.01", "-2"},
        {"10 log 100", "2"},
    };
    for (const auto& c : cases) EXPECT_EQ(Value(c.text), Decimal(c.exact)) << c.text;
}

// Arguments at the ends of the range: the answer, not an overflow raised on
// the way, and no endless sum.
TEST(ExamFunctions, ExtremeArgumentsGiveTheirValue)
{
    const struct {
        const char* text;
        const char* value;
    } cases[] = {
        {"poisson(1;1E-4925)", "1E-4925"},     // m e^-m
        {"binomial(1;2;1E-4925)", "2E-4925"}, // 2 p (1 - p)
        {"binomialac(0;1;1E-4935)", "1"},
        {"poisson(1E4925;1)", "0"},
        {"normal(1E300;0;1E-4700)", "1"},
        {"normal(0-1E300;0;1E-4700)", "0"},
        {"normaldens(1;0;1E-4940)", "0"},
        {"poissonac(1E20;5)", "1"},
    };
    for (const auto& c : cases) {
        const ld want = Decimal(c.value);
        const ld got = Value(c.text);
        if (want == 0 || want == 1) EXPECT_EQ(got, want) << c.text;
        else EXPECT_LE(Units(got, want), 16) << c.text << " = " << FormatGeneral(got, 18);
    }
    // The summed tails end in time near the largest mean.
    EXPECT_NEAR(static_cast<double>(Value("poissonac(1E9;1E9)")), 0.5, 0.01);
    EXPECT_NEAR(static_cast<double>(Value("binomialac(600000000;2000000000;0.3)")), 0.5, 0.01);
}

TEST(ExamFunctions, RoundingFollowsTheDecimalShownWithEighteenDigits)
{
    const struct {
        const char* text;
        const char* result;
    } cases[] = {
        {"redondear(2.675;2)", "2.68"},   {"redondear(1.005;2)", "1.01"},     {"redondear(0-2.5;0)", "-3"},
        {"redondear(0.5;0)", "1"},        {"redondear(0.4;0)", "0"},          {"redondear(9.995;2)", "10"},
        {"redondear(1234.5;0-2)", "1200"}, {"redondear(0.0005;3)", "0.001"},  {"redondear(0.0004;3)", "0"},
        {"redondear(123.456;0-5)", "0"},  {"redondear(1E20;2)", "1E20"},      {"redondear(2/3;4)", "0.6667"},
        {"truncar(2.675;2)", "2.67"},     {"truncar(0-2.75;1)", "-2.7"},      {"truncar(2.999;0)", "2"},
        {"redondear(1.5E-7;7)", "0.0000002"}, {"redondear(pi;16)", "3.1415926535897932"},
        // At the 18th digit: the decimal of 18 digits itself.
        {"redondear(123456789012345678.75;0)", "123456789012345679"},
        {"redondear(9223372036854775807;0-1)", "9223372036854775810"},
        {"truncar(9223372036854775807;0-1)", "9223372036854775810"}, // shown as 9.22337203685477581E18
    };
    for (const auto& c : cases) EXPECT_EQ(Value(c.text), Decimal(c.result)) << c.text;
}

TEST(ExamFunctions, DomainErrorsBlameTheArgumentAndSayWhy)
{
    const struct {
        const char* text;
        uint8_t code;
        int position, length;
        const char* message;
    } cases[] = {
        {"fact 2.5", error_code::kInvalidArgument, 6, 3, "El argumento debe ser un número entero entre 0 y 1754"},
        {"fact 1755", error_code::kInvalidArgument, 6, 4, "El argumento debe ser un número entero entre 0 y 1754"},
        {"fact(0-1)", error_code::kInvalidArgument, 5, 5, "El argumento debe ser un número entero entre 0 y 1754"},
        {"gamma 0", error_code::kInvalidArgument, 7, 1, "gamma no está definida en 0 ni en los números enteros negativos"},
        {"comb(5.5;2)", error_code::kInvalidArgument, 6, 3, "El primer argumento (n) debe ser un número entero mayor o igual que 0"},
        {"comb(5; 2.5)", error_code::kInvalidArgument, 9, 3, "El segundo argumento (k) debe ser un número entero"},
        {"perm(0-5;2)", error_code::kInvalidArgument, 6, 3, "El primer argumento (n) debe ser un número entero mayor o igual que 0"},
        {"binomial(2.5;10;0.5)", error_code::kInvalidArgument, 10, 3, "El primer argumento (k) debe ser un número entero"},
        {"binomial(2;10.5;0.5)", error_code::kInvalidArgument, 12, 4,
         "El segundo argumento (n) debe ser un número entero entre 0 y 2147483647"},
        {"binomialac(2;10;1.5)", error_code::kInvalidArgument, 17, 3,
         "El tercer argumento (p) es una probabilidad: debe estar entre 0 y 1"},
        {"poisson(2;0-1)", error_code::kInvalidArgument, 11, 3, "El segundo argumento (la media) debe estar entre 0 y 1E4000"},
        {"poissonac(1E20;1E20)", error_code::kInvalidArgument, 16, 4,
         "El segundo argumento (la media) debe ser como mucho 1E9 en la acumulada"},
        {"comb((5;2))", error_code::kUnexpectedArgument, 6, 5,
         "Los argumentos no van entre paréntesis propios: escriba comb(n;k)"},
        {"binomial((2;10);0.5)", error_code::kUnexpectedArgument, 10, 6,
         "Los argumentos no van entre paréntesis propios: escriba binomial(k;n;p)"},
        {"normal(1;0;0)", error_code::kInvalidArgument, 12, 1, "El tercer argumento (la desviación típica) debe ser mayor que 0"},
        {"normalinv(1;0;1)", error_code::kInvalidArgument, 11, 1,
         "El primer argumento (p) es una probabilidad: debe estar entre 0 y 1, sin incluirlos"},
        {"normalinv(0.5;0;0-1)", error_code::kInvalidArgument, 17, 3, "El tercer argumento (la desviación típica) debe ser mayor que 0"},
        {"redondear(2;0.5)", error_code::kInvalidArgument, 13, 3, "El segundo argumento (los decimales) debe ser un número entero"},
        {"mcd(1.5;2)", error_code::kInvalidArgument, 5, 3, "El primer argumento debe ser un número entero, como mucho 2^64 en valor absoluto"},
        {"mcm(2;1E30)", error_code::kInvalidArgument, 7, 4, "El segundo argumento debe ser un número entero, como mucho 2^64 en valor absoluto"},
        {"log10 0", error_code::kInvalidArgument, 7, 1, "El argumento debe ser mayor que 0"},
        {"log(0-1)", error_code::kInvalidArgument, 4, 5, "El argumento a la derecha debe ser mayor que 0"},
        {"comb(5)", error_code::kMissingArgument, 1, 7, "La función comb necesita 2 argumentos, separados por «;»: comb(n;k)"},
        {"normal(1;2)", error_code::kMissingArgument, 1, 11,
         "La función normal necesita 3 argumentos, separados por «;»: normal(x;m;s)"},
        {"comb(5;2;1)", error_code::kUnexpectedArgument, 1, 11,
         "La función comb necesita 2 argumentos, separados por «;»: comb(n;k)"},
        {"comb(5;)", error_code::kMissingArgument, 7, 1, "Falta un argumento junto al «;»"},
        {"3 comb(5;2)", error_code::kUnexpectedArgument, 1, 1, "Argumento no previsto"},
        {"1;2", error_code::kUnexpectedArgument, 2, 1, "El «;» solo separa los argumentos de una función"},
        {"log(2;8)", error_code::kUnexpectedArgument, 6, 1, "El «;» solo separa los argumentos de una función"},
        {"fact 1800/fact 1799", error_code::kInvalidArgument, 6, 4, "El argumento debe ser un número entero entre 0 y 1754"},
        {"comb(40000;20000)", error_code::kArithmeticFault, 1, 4, "Floating point overflow"},
    };
    for (const auto& c : cases) {
        TMathParser parser;
        try {
            TExpression(parser, c.text).Evaluate();
            ADD_FAILURE() << "no error: " << c.text;
        } catch (const EMathParserException& e) {
            EXPECT_EQ(e.ErrorCode, c.code) << c.text;
            EXPECT_EQ(e.ErrorPosition, c.position) << c.text;
            EXPECT_EQ(e.ErrorLength, c.length) << c.text;
            EXPECT_EQ(e.ErrorMessage, c.message) << c.text;
        }
    }
}

TEST(ExamFunctions, CallsAreWrittenBackAsTyped)
{
    const struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"comb(10;3)", "comb(10; 3)"},
        {"1-binomialac(4;10;0.25)", "1 - binomialac(4; 10; 0.25)"},
        {"normalinv(0.95;170;8)*2", "normalinv(0.95; 170; 8) * 2"},
        {"normal(x;m;s)^2", "normal(x; m; s) ^ 2"},
        {"fact(comb(5;2))", "fact (comb(5; 2))"},
        {"log 1000", "log 1000"},
        {"sin comb(5;2)", "sin (comb(5; 2))"},
    };
    for (const auto& c : cases) {
        TMathParser parser;
        parser.DefineVariable("x", 1);
        parser.DefineVariable("m", 0);
        parser.DefineVariable("s", 1);
        const TExpression e(parser, c.text);
        EXPECT_EQ(e.Text(), c.written) << c.text;
        // What is written back reads back to the same value.
        EXPECT_EQ(TExpression(parser, e.Text()).Evaluate(), e.Evaluate()) << c.text;
    }
}

TEST(ExamFunctions, TheNumberEYieldsToANotebookValueAndCallsNestInNotebookFunctions)
{
    TMathParser parser;
    EXPECT_EQ(TExpression(parser, "e").Evaluate(), 2.71828182845904523536028747135266250L);
    EXPECT_EQ(TExpression(parser, "ln e").Evaluate(), 1);
    parser.DefineVariable("e", 1.602E-19L);
    EXPECT_EQ(TExpression(parser, "e*2").Evaluate(), 1.602E-19L * 2);
    EXPECT_EQ(TExpression(parser, "2e3").Evaluate(), 2000);
    // Functions of the notebook call the group's functions and are called in them.
    parser.DefineFunctions({{"p", {"k"}, "binomial(k;10;0.5)", 1}, {"z", {"q"}, "normalinv(q;0;1)", 2}});
    EXPECT_EQ(TExpression(parser, "p(3)+p(2)").Evaluate(), 0.1171875L + 0.0439453125L);
    EXPECT_EQ(TExpression(parser, "comb(p(0)*1024*10;3)").Evaluate(), 120);
    EXPECT_NEAR(static_cast<double>(TExpression(parser, "z(0.975)").Evaluate()), 1.959963984540054, 1e-15);
}

TEST(ExamFunctions, DerivativesOfTheSmoothFunctionsAndWhyNotOfTheOthers)
{
    auto parser = std::make_shared<TMathParser>();
    parser->DefineVariable("x", 0);
    const ld kRecipSqrt2Pi = 0.398942280401432677939946059934381868L;
    const struct {
        const char* f;
        ld x, slope;
    } smooth[] = {
        {"normal(x;0;1)", 0, kRecipSqrt2Pi},
        {"normal(3;x;2)", 3, -kRecipSqrt2Pi / 2},
        {"normaldens(x;0;1)", 1, -kRecipSqrt2Pi * 0.606530659712633423603799534991180453L},
        {"normalinv(x;0;1)", 0.5L, 2.50662827463100050241576528481104525L},
        {"normalinv(0.5;x;3)", 7, 1},
        {"log x", 10, 1 / (10 * 2.30258509299404568401799145468436421L)},
        {"log10(x^2)", 2, 1 / 2.30258509299404568401799145468436421L},
        {"comb(5;2)*x", 1, 10},
    };
    for (const auto& c : smooth) {
        const TExpression f(parser, c.f);
        std::string why;
        const std::optional<TExpression> d = Derivative(f, "x", false, &why);
        ASSERT_TRUE(d.has_value()) << c.f << ": " << why;
        parser->SetConstant("x", c.x);
        EXPECT_LE(Units(d->Evaluate(), c.slope), 64) << c.f << ": " << FormatGeneral(d->Evaluate(), 18);
    }
    const struct {
        const char* f;
        const char* why;
    } none[] = {
        {"fact x", "La función usa «fact», que no tiene derivada"},
        {"comb(x;2)", "La función usa «comb», que no tiene derivada"},
        {"binomial(3;10;x)", "La función usa «binomial», que no tiene derivada"},
        {"redondear(x;2)", "La función usa «redondear», que no tiene derivada"},
        {"gamma x", "La función usa «gamma», cuya derivada no se calcula"},
    };
    for (const auto& c : none) {
        std::string why;
        EXPECT_FALSE(Derivative(TExpression(parser, c.f), "x", false, &why).has_value()) << c.f;
        EXPECT_EQ(why, c.why) << c.f;
    }
}

} // namespace
