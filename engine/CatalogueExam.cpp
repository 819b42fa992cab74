// The catalogue's third group: combinatorics, probability distributions,
// rounding, the decimal logarithm and the number e.
//
// Functions of several arguments are called as the notebook's functions
// are, "comb(10;3)"; a parsed call becomes nodes of unnamed entries that
// take two operands each (BindCatalogueCalls), so that the evaluator, the
// compiler and the derivative treat them as any other operator.  A call of
// three arguments joins two of them first: binomial(k;n;p) joins k and n
// into one exact number, normal(x;m;s) takes x - m, normalinv(p;m;s) s
// times the standard quantile of p.
#include "engine/MathParser.h"
#include "engine/DerivativeRules.h"
#include "engine/ErrorCodes.h"
#include "engine/Kernels.h"
#include "engine/Probability.h"
#include "engine/Program.h"
#include "engine/SystemMath.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace {

using ld = long double;
using namespace engine_detail;

constexpr uint8_t kLeft = 1;
constexpr uint8_t kRight = 2;

// The extended value nearest to e.
constexpr ld kE = 2.71828182845904523536028747135266250L;

ld Fail(uint8_t& code, std::string& msg, uint8_t& blame, uint8_t b, const char* text)
{
    code = error_code::kInvalidArgument;
    blame = b;
    msg = text;
    return 0;
}

bool IsWhole(ld x) { return std::isfinite(x) && x == std::trunc(x); }
bool WholeIn(ld x, ld low, ld high) { return IsWhole(x) && x >= low && x <= high; }

constexpr ld kTwoTo64 = 0x1p64L;
constexpr ld kLargestTrials = 2147483647.0L;

bool MissingRight(uint8_t s, uint8_t& c, std::string& m)
{
    if (s & kRight) return false;
    c = error_code::kMissingArgument;
    m = "Falta el argumento a la derecha";
    return true;
}

// ---- Functions of one operand on the right ----

ld OpFact(ld, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    if (MissingRight(s, c, m)) return 0;
    if (!WholeIn(r, 0, 1754)) return Fail(c, m, b, kRight, "El argumento debe ser un número entero entre 0 y 1754");
    return Factorial(r);
}
ld OpGamma(ld, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    if (MissingRight(s, c, m)) return 0;
    bool pole;
    const ld value = Gamma(r, pole);
    if (pole) return Fail(c, m, b, kRight, "gamma no está definida en 0 ni en los números enteros negativos");
    return value;
}
ld OpSign(ld, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t&)
{
    if (MissingRight(s, c, m)) return 0;
    if (std::isnan(r)) return r;
    return r > 0 ? 1 : r < 0 ? -1 : 0;
}
ld OpLog10(ld, ld r, uint8_t s, uint8_t& c, std::string& m, uint8_t& b)
{
    if (MissingRight(s, c, m)) return 0;
    if (LogarithmFails(r)) return Fail(c, m, b, kRight, "El argumento debe ser mayor que 0");
    return DecimalLogarithm(r);
}

// ---- Calculations of the calls ----

const char* const kFirstWhole = "El primer argumento debe ser un número entero";
const char* const kSecondWhole = "El segundo argumento debe ser un número entero";

ld OpComb(ld n, ld k, uint8_t, uint8_t& c, std::string& m, uint8_t& b)
{
    if (!WholeIn(n, 0, kTwoTo64 - 1))
        return Fail(c, m, b, kLeft, "El primer argumento (n) debe ser un número entero mayor o igual que 0");
    if (!IsWhole(k)) return Fail(c, m, b, kRight, "El segundo argumento (k) debe ser un número entero");
    return Combinations(n, k);
}
ld OpPerm(ld n, ld k, uint8_t, uint8_t& c, std::string& m, uint8_t& b)
{
    if (!WholeIn(n, 0, kTwoTo64 - 1))
        return Fail(c, m, b, kLeft, "El primer argumento (n) debe ser un número entero mayor o igual que 0");
    if (!IsWhole(k)) return Fail(c, m, b, kRight, "El segundo argumento (k) debe ser un número entero");
    return Variations(n, k);
}

// k and n of a binomial distribution as one exact number: n * 2^32 plus k
// limited to -1..n + 1, plus 1.
ld OpJoinTrials(ld k, ld n, uint8_t, uint8_t& c, std::string& m, uint8_t& b)
{
    if (!IsWhole(k)) return Fail(c, m, b, kLeft, "El primer argumento (k) debe ser un número entero");
    if (!WholeIn(n, 0, kLargestTrials))
        return Fail(c, m, b, kRight, "El segundo argumento (n) debe ser un número entero entre 0 y 2147483647");
    const ld limited = std::fmin(std::fmax(k, -1), n + 1);
    return n * 0x1p32L + (limited + 1);
}
void SplitTrials(ld joined, ld& k, ld& n)
{
    n = std::floor(joined * 0x1p-32L);
    k = joined - n * 0x1p32L - 1;
}
bool ProbabilityFails(ld p, uint8_t& c, std::string& m, uint8_t& b)
{
    if (p >= 0 && p <= 1) return false;
    Fail(c, m, b, kRight, "El tercer argumento (p) es una probabilidad: debe estar entre 0 y 1");
    return true;
}
ld OpBinomial(ld joined, ld p, uint8_t, uint8_t& c, std::string& m, uint8_t& b)
{
    if (ProbabilityFails(p, c, m, b)) return 0;
    ld k, n;
    SplitTrials(joined, k, n);
    return BinomialMass(k, n, p);
}
ld OpBinomialCumulative(ld joined, ld p, uint8_t, uint8_t& c, std::string& m, uint8_t& b)
{
    if (ProbabilityFails(p, c, m, b)) return 0;
    ld k, n;
    SplitTrials(joined, k, n);
    return BinomialCumulative(k, n, p);
}

bool PoissonFails(ld k, ld mean, uint8_t& c, std::string& m, uint8_t& b)
{
    if (!IsWhole(k)) {
        Fail(c, m, b, kLeft, "El primer argumento (k) debe ser un número entero");
        return true;
    }
    if (!(mean >= 0) || mean > 1E4000L) {
        Fail(c, m, b, kRight, "El segundo argumento (la media) debe estar entre 0 y 1E4000");
        return true;
    }
    return false;
}
ld OpPoisson(ld k, ld mean, uint8_t, uint8_t& c, std::string& m, uint8_t& b)
{
    return PoissonFails(k, mean, c, m, b) ? 0 : PoissonMass(k, mean);
}
ld OpPoissonCumulative(ld k, ld mean, uint8_t, uint8_t& c, std::string& m, uint8_t& b)
{
    if (PoissonFails(k, mean, c, m, b)) return 0;
    // Its terms are summed: some ten times the square root of the mean of them.
    if (mean > 1E9L) return Fail(c, m, b, kRight, "El segundo argumento (la media) debe ser como mucho 1E9 en la acumulada");
    return PoissonCumulative(k, mean);
}

const char* const kDeviation = "El tercer argumento (la desviación típica) debe ser mayor que 0";

// x - m, the joining of normal(x;m;s) and normaldens(x;m;s).
ld OpDeviation(ld x, ld mean, uint8_t, uint8_t&, std::string&, uint8_t&) { return x - mean; }
// (x - m)/s beyond 2^64 in magnitude, where the quotient may leave the range
// and the distribution is 0 or 1, the density 0.
bool FarOut(ld d, ld sd) { return d != 0 && std::isfinite(d) && std::ilogb(d) - std::ilogb(sd) > 64; }
ld OpNormal(ld d, ld sd, uint8_t, uint8_t& c, std::string& m, uint8_t& b)
{
    if (!(sd > 0)) return Fail(c, m, b, kRight, kDeviation);
    if (FarOut(d, sd)) return d > 0 ? 1 : 0;
    return NormalCumulative(d / sd);
}
ld OpNormalDensity(ld d, ld sd, uint8_t, uint8_t& c, std::string& m, uint8_t& b)
{
    if (!(sd > 0)) return Fail(c, m, b, kRight, kDeviation);
    if (FarOut(d, sd)) return 0;
    return NormalDensity(d / sd) / sd;
}
// s times the standard quantile of p, the joining of normalinv(p;m;s).
ld OpScaledQuantile(ld p, ld sd, uint8_t, uint8_t& c, std::string& m, uint8_t& b)
{
    if (!(p > 0 && p < 1))
        return Fail(c, m, b, kLeft, "El primer argumento (p) es una probabilidad: debe estar entre 0 y 1, sin incluirlos");
    if (!(sd > 0)) return Fail(c, m, b, kRight, kDeviation);
    return sd * NormalQuantile(p);
}
ld OpShift(ld mean, ld v, uint8_t, uint8_t&, std::string&, uint8_t&) { return mean + v; }

bool DecimalsFail(ld n, uint8_t& c, std::string& m, uint8_t& b)
{
    if (WholeIn(n, -5000, 5000)) return false;
    Fail(c, m, b, kRight, "El segundo argumento (los decimales) debe ser un número entero");
    return true;
}
ld OpRound(ld x, ld n, uint8_t, uint8_t& c, std::string& m, uint8_t& b)
{
    return DecimalsFail(n, c, m, b) ? 0 : RoundDecimal(x, n, false);
}
ld OpCut(ld x, ld n, uint8_t, uint8_t& c, std::string& m, uint8_t& b)
{
    return DecimalsFail(n, c, m, b) ? 0 : RoundDecimal(x, n, true);
}

bool WholeNumbersFail(ld a, ld d, uint8_t& c, std::string& m, uint8_t& b)
{
    const char* const kRange = "debe ser un número entero, como mucho 2^64 en valor absoluto";
    if (!WholeIn(a, -kTwoTo64, kTwoTo64)) {
        Fail(c, m, b, kLeft, "");
        m = std::string("El primer argumento ") + kRange;
        return true;
    }
    if (!WholeIn(d, -kTwoTo64, kTwoTo64)) {
        Fail(c, m, b, kRight, "");
        m = std::string("El segundo argumento ") + kRange;
        return true;
    }
    return false;
}
ld OpGcd(ld a, ld d, uint8_t, uint8_t& c, std::string& m, uint8_t& b)
{
    return WholeNumbersFail(a, d, c, m, b) ? 0 : GreatestCommonDivisor(a, d);
}
ld OpLcm(ld a, ld d, uint8_t, uint8_t& c, std::string& m, uint8_t& b)
{
    return WholeNumbersFail(a, d, c, m, b) ? 0 : LeastCommonMultiple(a, d);
}

// The entry a call is written with: its node always becomes its
// calculation's, so this only answers an evaluation of a tree built by hand.
ld OpWrittenAsCall(ld, ld, uint8_t, uint8_t& c, std::string&, uint8_t&)
{
    c = error_code::kMissingArgument;
    return 0;
}

} // namespace

bool engine_detail::ExamComputationShowsFaults(TOperatorFunc func)
{
    static const TOperatorFunc kShowing[] = {
        OpFact, OpGamma, OpSign, OpLog10, OpComb, OpPerm, OpJoinTrials, OpBinomial, OpBinomialCumulative, OpPoisson,
        OpPoissonCumulative, OpDeviation, OpNormal, OpNormalDensity, OpScaledQuantile, OpShift, OpRound, OpCut, OpGcd, OpLcm};
    for (TOperatorFunc f : kShowing)
        if (f == func) return true;
    return false;
}

void TMathParser::RegisterExamFunctions()
{
    if (FindOperator(";") < 0)
        AddOperator(";", engine_detail::SeparatorComputation(), 3, -1, engine_detail::CatalogueRule(";"));
    AddOperator("fact", OpFact, 2, 4, engine_detail::CatalogueRule("fact"));
    AddOperator("gamma", OpGamma, 2, 4, engine_detail::CatalogueRule("gamma"));
    AddOperator("signo", OpSign, 2, 4, engine_detail::CatalogueRule("signo"));
    AddOperator("log10", OpLog10, 2, 4, engine_detail::CatalogueRule("log10"));
    struct TCall {
        const char* Name;
        const char* Signature;
        TOperatorFunc Calculation;
        TOperatorFunc Joining; // null for two arguments
        bool JoinsRight;
    };
    static const TCall kCalls[] = {
        {"comb", "comb(n;k)", OpComb, nullptr, false},
        {"perm", "perm(n;k)", OpPerm, nullptr, false},
        {"binomial", "binomial(k;n;p)", OpBinomial, OpJoinTrials, false},
        {"binomialac", "binomialac(k;n;p)", OpBinomialCumulative, OpJoinTrials, false},
        {"poisson", "poisson(k;m)", OpPoisson, nullptr, false},
        {"poissonac", "poissonac(k;m)", OpPoissonCumulative, nullptr, false},
        {"normal", "normal(x;m;s)", OpNormal, OpDeviation, false},
        {"normaldens", "normaldens(x;m;s)", OpNormalDensity, OpDeviation, false},
        {"normalinv", "normalinv(p;m;s)", OpShift, OpScaledQuantile, true},
        {"redondear", "redondear(x;n)", OpRound, nullptr, false},
        {"truncar", "truncar(x;n)", OpCut, nullptr, false},
        {"mcd", "mcd(a;b)", OpGcd, nullptr, false},
        {"mcm", "mcm(a;b)", OpLcm, nullptr, false},
    };
    for (const TCall& call : kCalls) {
        const std::string name = call.Name;
        AddOperator(name, OpWrittenAsCall, 2, 4, engine_detail::CatalogueRule("#call"));
        TOperatorEntry* written = FOperators.back();
        written->Calculation =
            AddUnnamedOperator(name + "#", call.Calculation, engine_detail::CatalogueRule(name + "#"), written);
        written->Arguments = 2;
        written->Signature = call.Signature;
        if (call.Joining != nullptr) {
            written->Joining =
                AddUnnamedOperator(name + ";#", call.Joining, engine_detail::CatalogueRule(name + ";#"), written);
            written->Arguments = 3;
            written->JoinsRight = call.JoinsRight;
        }
    }
    DefineVariable("e", kE);
    FVariables.back().Yields = true;
}
