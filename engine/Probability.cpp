// Combinatorics, probability distributions and decimal rounding.
//
// Products of whole numbers are carried as unevaluated sums hi + lo of about
// twice the extended precision (with a power of two kept apart, so that
// nothing leaves the range on the way), which makes them exact while the
// result fits in 64 bits and correctly rounded beyond.  The distributions
// follow Loader's saddle-point form where a direct product would leave the
// range, so that their tails keep a relative error of a few units.
#include "engine/Probability.h"

#include "engine/Computations.h"
#include "engine/Kernels.h"
#include "engine/NumberFormat.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace engine_detail {

namespace {

using ld = long double;

constexpr ld kMax = std::numeric_limits<ld>::max();
constexpr ld kSqrt2Pi = 2.50662827463100050241576528481104525L;
constexpr ld kRecipSqrt2Pi = 0.398942280401432677939946059934381868L;
constexpr ld kTwoOverSqrtPi = 1.12837916709551257389615890312154517L;
// 1/sqrt(2) = kRecipSqrt2 + kRecipSqrt2Low to about 128 bits.
constexpr ld kRecipSqrt2 = 0xB504F333F9DE6484p-64L;
constexpr ld kRecipSqrt2Low = 1.8950325588932570796550620e-20L;

// An overflow that raises the status flag, as the evaluator expects.
ld Overflow()
{
    volatile ld big = kMax;
    return big * 2;
}

// (Hi + Lo) * 2^Scale, a positive value.
struct TWide {
    ld Hi = 1, Lo = 0;
    int Scale = 0;
};

void Rescale(TWide& w)
{
    if (w.Hi > 0x1p8000L) {
        w.Hi = std::ldexp(w.Hi, -8000);
        w.Lo = std::ldexp(w.Lo, -8000);
        w.Scale += 8000;
    }
}

// w * b for a whole b below 2^64.
void Times(TWide& w, ld b)
{
    ld rest;
    const ld p = ExactProduct(w.Hi, b, rest);
    rest += w.Lo * b;
    w.Hi = p + rest;
    w.Lo = rest - (w.Hi - p);
    Rescale(w);
}

// w / b for a whole b >= 1 below 2^64.
void Over(TWide& w, ld b)
{
    const ld q = w.Hi / b;
    ld rest;
    const ld p = ExactProduct(q, b, rest);
    const ld r = (((w.Hi - p) - rest) + w.Lo) / b;
    w.Hi = q + r;
    w.Lo = r - (w.Hi - q);
}

ld ValueOf(const TWide& w)
{
    if (w.Scale == 0) return w.Hi;
    if (std::ilogb(w.Hi) + w.Scale > std::numeric_limits<ld>::max_exponent - 1) return Overflow();
    return std::ldexp(w.Hi, w.Scale);
}

// Unevaluated sums Hi + Lo of about 128 bits, for the logarithms of the
// distributions' tails, where a term of some thousands must keep its last
// units.
struct TPair {
    ld Hi = 0, Lo = 0;
};
TPair TwoSum(ld a, ld b)
{
    const ld s = a + b, bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}
TPair Normalised(ld hi, ld lo)
{
    const ld s = hi + lo;
    return {s, lo - (s - hi)};
}
TPair Add(TPair a, TPair b)
{
    const TPair s = TwoSum(a.Hi, b.Hi);
    return Normalised(s.Hi, s.Lo + a.Lo + b.Lo);
}
TPair Negated(TPair a) { return {-a.Hi, -a.Lo}; }
TPair Mul(TPair a, TPair b)
{
    ld rest;
    const ld p = ExactProduct(a.Hi, b.Hi, rest);
    return Normalised(p, rest + (a.Hi * b.Lo + a.Lo * b.Hi));
}
TPair Div(TPair a, TPair b)
{
    const ld q = a.Hi / b.Hi;
    const TPair r = Add(a, Negated(Mul({q, 0}, b)));
    return Normalised(q, r.Hi / b.Hi);
}
constexpr TPair kLn2Pair = {0xB17217F7D1CF79ACp-64L, -1.1458352726798732810935300e-20L};

// ln v for v > 0 in the normal range: v = m 2^e with m near 1, and
// ln m = 2 atanh((m - 1)/(m + 1)) by its series.
TPair PairLog(TPair v)
{
    int e = std::ilogb(v.Hi);
    TPair m{std::ldexp(v.Hi, -e), std::ldexp(v.Lo, -e)};
    if (m.Hi > 1.4142135623730950488L) {
        m = {m.Hi / 2, m.Lo / 2};
        ++e;
    }
    const TPair s = Div(Add(m, {-1, 0}), Add(m, {1, 0}));
    const TPair s2 = Mul(s, s);
    TPair term = s, sum = s;
    for (int j = 1; j < 60; ++j) {
        term = Mul(term, s2);
        const TPair t = Div(term, {static_cast<ld>(2 * j + 1), 0});
        sum = Add(sum, t);
        if (std::fabs(t.Hi) <= std::fabs(sum.Hi) * 0x1p-130L) break;
    }
    return Add({2 * sum.Hi, 2 * sum.Lo}, Mul({static_cast<ld>(e), 0}, kLn2Pair));
}

constexpr int kLastFactorial = 1754;

const std::vector<ld>& FactorialTable()
{
    static const std::vector<ld> table = [] {
        std::vector<ld> t(kLastFactorial + 1);
        TWide w;
        t[0] = 1;
        for (int i = 1; i <= kLastFactorial; ++i) {
            Times(w, i);
            t[static_cast<std::size_t>(i)] = ValueOf(w);
        }
        return t;
    }();
    return table;
}

// ln(n!) - ((n + 1/2) ln n - n + ln sqrt(2 pi)), the error of Stirling's
// formula, for whole n >= 0 (0 for n = 0).  Up to 30 from a table of its
// values to 25 digits; beyond, its asymptotic series, whose first omitted
// term is below 1E-21 of the sum there.
ld StirlingError(ld n)
{
    static const ld kTable[] = {
        0.0L,
        8.1061466795327258219670264e-2L, 4.1340695955409294093822081e-2L, 2.7677925684998339148789293e-2L,
        2.0790672103765093111522772e-2L, 1.6644691189821192163194865e-2L, 1.3876128823070747998745727e-2L,
        1.1896709945891770095055724e-2L, 1.0411265261972096497478567e-2L, 9.2554621827127329177286366e-3L,
        8.3305634333628712564693187e-3L, 7.5736754879518407949720242e-3L, 6.9428401072095298656641527e-3L,
        6.4089941880042070684396311e-3L, 5.9513701127588477356244160e-3L, 5.5547335519628013710386900e-3L,
        5.2076559196096404407179969e-3L, 4.9013959484347378607168182e-3L, 4.6291537493340285924272132e-3L,
        4.3855602492323242682877363e-3L, 4.1663196919969224574629234e-3L, 3.9679542186408596172876368e-3L,
        3.7876180684444345778666771e-3L, 3.6229602246830947073811984e-3L, 3.4720213829787669629451154e-3L,
        3.3331556367280928758070191e-3L, 3.2049702280550380111841566e-3L, 3.0862786826087770632562413e-3L,
        2.9760639835504088260211626e-3L, 2.8734493623524663875523515e-3L, 2.7776749297526936035949038e-3L};
    if (n <= 30) return kTable[static_cast<int>(n)];
    // B(2j) / (2j (2j - 1)) for j = 1..8.
    static const ld kCoefficients[] = {1.0L / 12,       -1.0L / 360,       1.0L / 1260,         -1.0L / 1680,
                                       1.0L / 1188,     -691.0L / 360360,  1.0L / 156,          -3617.0L / 122400};
    const ld r = 1 / n, r2 = r * r;
    ld sum = 0;
    for (int j = 7; j >= 0; --j) sum = sum * r2 + kCoefficients[j];
    return sum * r;
}

// x ln(x/M) + M - x for x >= 0, M > 0 (Loader's deviance term), as a pair:
// near M by its series in v = (x - M)/(x + M), whose first term d v keeps
// its rounding apart; elsewhere with the logarithm of pairs.
TPair Deviance(ld x, TPair m)
{
    const TPair d = Add({x, 0}, Negated(m));
    const TPair sumXm = Add({x, 0}, m);
    if (std::fabs(d.Hi) < 0.1L * sumXm.Hi) {
        const TPair v = Div(d, sumXm);
        const ld v2 = v.Hi * v.Hi;
        ld ej = 2 * x * v.Hi, tail = 0;
        for (int j = 1; j < 1000; ++j) {
            ej *= v2;
            const ld next = tail + ej / (2 * j + 1);
            if (next == tail) break;
            tail = next;
        }
        return Add(Mul(d, v), {tail, 0});
    }
    if (x == 0) return m;
    // ln x - ln M: a quotient x/M could leave the range (M near the bottom of it).
    return Add(Mul({x, 0}, Add(PairLog({x, 0}), Negated(PairLog(m)))), Negated(d));
}

// e^(hi + lo).
ld PairExp(TPair a) { return zmath::exp(a.Hi) * (1 + a.Lo); }

// A tail of a distribution: the terms from index `first` towards `last`
// (step +1 or -1) while they count, compensated.  Each term comes from the
// one before by `next(i, before)`; every 64th is taken afresh from
// `exact(i)`, so that the roundings of the recurrence do not pile up.
template <class Exact, class Next>
ld TailSum(ld first, int step, ld last, const Exact& exact, const Next& next)
{
    constexpr ld kNegligible = 0x1p-70L;
    ld term = exact(first), sum = 0, compensation = 0;
    for (long count = 1;; ++count) {
        const ld t = sum + term;
        compensation += std::fabs(sum) >= std::fabs(term) ? (sum - t) + term : (term - t) + sum;
        sum = t;
        const ld i = first + static_cast<ld>(step) * static_cast<ld>(count);
        if (!(term > sum * kNegligible) || (step > 0 ? i > last : i < last)) break;
        term = count % 64 == 0 ? exact(i) : next(i, term);
    }
    return sum + compensation;
}

// (q + miss)^e for a tiny miss, q^e (1 + e miss/q) to far below the last place.
ld PowerOfComplement(ld q, ld miss, ld e)
{
    const ld power = Power(q, e);
    return miss == 0 ? power : power + power * (e * (miss / q));
}

} // namespace

ld Factorial(ld n)
{
    return FactorialTable()[static_cast<std::size_t>(n)];
}

ld Gamma(ld x, bool& pole)
{
    pole = false;
    if (x == std::trunc(x) && std::isfinite(x)) {
        if (x <= 0) {
            pole = true;
            return 0;
        }
        if (x <= kLastFactorial + 1) return Factorial(x - 1);
    }
    return std::tgamma(x);
}

ld Combinations(ld n, ld k)
{
    if (k < 0 || k > n) return 0;
    const ld m = std::fmin(k, n - k);
    if (m == 0) return 1;
    // C(n, m) >= 2^m for m <= n/2.
    if (m > 16400) return Overflow();
    TWide w;
    const ld base = n - m;
    for (ld i = 1; i <= m; ++i) {
        Times(w, base + i);
        Over(w, i);
    }
    return ValueOf(w);
}

ld Variations(ld n, ld k)
{
    if (k < 0 || k > n) return 0;
    // n!/(n - k)! >= k!, beyond the range from 1755 on.
    if (k > kLastFactorial) return Overflow();
    TWide w;
    for (ld i = 0; i < k; ++i) Times(w, n - i);
    return ValueOf(w);
}

ld BinomialMass(ld k, ld n, ld p)
{
    if (k < 0 || k > n) return 0;
    if (n == 0) return 1;
    if (p == 0) return k == 0 ? 1 : 0;
    if (p == 1) return k == n ? 1 : 0;
    // The true complement 1 - p is q + qMiss: 1 - q is exact, and so is its
    // difference with p, which lies within a rounding of it.
    const ld q = 1 - p;
    const ld qMiss = (1 - q) - p;
    // Directly where C(n, k) <= n^min(k, n - k) stays in range.
    if (std::fmin(k, n - k) * zmath::log2(n) < 16000) {
        const ld c = Combinations(n, k);
        const ld pk = Power(p, k);
        const ld qk = PowerOfComplement(q, qMiss, n - k);
        const ld product = c * pk * qk;
        const ld smallest = std::numeric_limits<ld>::min() * 0x1p70L;
        if (pk > smallest && qk > smallest && product > smallest && std::isfinite(product)) return product;
    }
    if (k == 0) return PowerOfComplement(q, qMiss, n);
    if (k == n) return Power(p, n);
    TPair np, nq;
    np.Hi = ExactProduct(n, p, np.Lo);
    nq.Hi = ExactProduct(n, q, nq.Lo);
    nq = Normalised(nq.Hi, nq.Lo + n * qMiss);
    const ld stirling = StirlingError(n) - StirlingError(k) - StirlingError(n - k);
    const TPair lc = Add(TwoSum(stirling, 0), Negated(Add(Deviance(k, np), Deviance(n - k, nq))));
    return PairExp(lc) * zmath::sqrt(n / (k * (n - k))) * kRecipSqrt2Pi;
}

ld BinomialCumulative(ld k, ld n, ld p)
{
    if (k < 0) return 0;
    if (k >= n || p == 0) return 1;
    if (p == 1) return 0;
    const ld q = 1 - p;
    const ld qMiss = (1 - q) - p;
    const auto mass = [n, p](ld i) { return BinomialMass(i, n, p); };
    if (k < std::floor((n + 1) * p)) {
        // The lower tail, from k down: P(i) = P(i + 1) (i + 1)/(n - i) q/p.
        ld ratio = q / p;
        ratio += ratio * (qMiss / q);
        return TailSum(k, -1, 0, mass, [n, ratio](ld i, ld term) { return term * ((i + 1) / (n - i)) * ratio; });
    }
    // 1 less the upper tail, from k + 1 up: P(i) = P(i - 1) (n - i + 1)/i p/q.
    ld ratio = p / q;
    ratio -= ratio * (qMiss / q);
    return 1 - TailSum(k + 1, 1, n, mass, [n, ratio](ld i, ld term) { return term * ((n - i + 1) / i) * ratio; });
}

ld PoissonMass(ld k, ld m)
{
    if (k < 0) return 0;
    if (m == 0) return k == 0 ? 1 : 0;
    // ln P(k) < k (1 - ln(k/m)): far below the range, where k ln(k/m) would
    // leave it.
    if (k > 1E4000L && k > 100 * m) return 0;
    const ld e = zmath::exp(-m);
    // Directly where m^k stays in range.
    if (k <= kLastFactorial && e > std::numeric_limits<ld>::min() * 0x1p70L && k * zmath::log2(m) < 16000) {
        const ld mk = Power(m, k);
        const ld product = mk / Factorial(k) * e;
        if (std::isfinite(mk) && mk > std::numeric_limits<ld>::min() * 0x1p70L &&
            product > std::numeric_limits<ld>::min() * 0x1p70L)
            return product;
    }
    if (k == 0) return e;
    const TPair lc = Add({-StirlingError(k), 0}, Negated(Deviance(k, {m, 0})));
    return PairExp(lc) / zmath::sqrt(k) * kRecipSqrt2Pi;
}

ld PoissonCumulative(ld k, ld m)
{
    if (k < 0) return 0;
    if (m == 0) return 1;
    const auto mass = [m](ld i) { return PoissonMass(i, m); };
    if (k < std::floor(m)) // from k down: P(i) = P(i + 1) (i + 1)/m
        return TailSum(k, -1, 0, mass, [m](ld i, ld term) { return term * ((i + 1) / m); });
    // 1 less the upper tail, from k + 1 up: P(i) = P(i - 1) m/i.
    return 1 - TailSum(k + 1, 1, k + 1 + 0x1p62L, mass, [m](ld i, ld term) { return term * (m / i); });
}

namespace {

// x/sqrt(2) = th + tl to about 128 bits.
void OverSqrt2(ld x, ld& th, ld& tl)
{
    ld rest;
    th = ExactProduct(x, kRecipSqrt2, rest);
    tl = rest + x * kRecipSqrt2Low;
}

} // namespace

ld NormalCumulative(ld z)
{
    if (std::isnan(z)) return z;
    if (std::fabs(z) > 1E9L) return z > 0 ? 1 : 0;
    // P(Z <= z) = erfc(t) / 2 with t = -z / sqrt(2) = th + tl: erfc(th + tl)
    // = erfc(th) - tl 2/sqrt(pi) e^(-th^2) and below.
    ld th, tl;
    OverSqrt2(-z, th, tl);
    const ld main = std::erfc(th);
    if (std::fabs(th) > 110) return main / 2; // the correction is far below the last place
    return (main - tl * kTwoOverSqrtPi * zmath::exp(-th * th)) / 2;
}

namespace {

// erf(x/sqrt 2)/2 = P(Z <= x) - 1/2 for small x.
ld HalfErf(ld x)
{
    ld th, tl;
    OverSqrt2(x, th, tl);
    return (std::erf(th) + tl * kTwoOverSqrtPi * zmath::exp(-th * th)) / 2;
}

} // namespace

namespace {

// The quantile of p < 1E-300 (x below -37), where P(Z <= x) and the density
// may leave the normal range: Newton's steps on ln P(Z <= x) - ln p, with
// ln P(Z <= x) = -x^2/2 - ln(-x sqrt(2 pi)) + ln S(x) and the asymptotic
// series S(x) = 1 - 1/x^2 + 3/x^4 - 15/x^6 ..., far below the last place
// there after ten terms.
ld DeepQuantile(ld p, ld x)
{
    constexpr ld kLnSqrt2Pi = 0.918938533204672741780329736405617640L;
    const ld lnP = zmath::log(p);
    for (int step = 0; step < 10; ++step) {
        const ld r = 1 / (x * x);
        ld series = 1, term = 1;
        for (int j = 1; j <= 10; ++j) {
            term *= -(2 * j - 1) * r;
            series += term;
        }
        ld rest;
        const ld square = ExactProduct(x, x, rest);
        const ld g = ((-square / 2 - lnP) - rest / 2) - (zmath::log(-x) + kLnSqrt2Pi) + zmath::log(series);
        const ld next = x - g / (-x - 1 / x);
        if (next == x) break;
        x = next;
    }
    return x;
}

} // namespace

ld NormalDensity(ld z)
{
    if (std::isnan(z)) return z;
    const ld a = std::fabs(z);
    if (a > 200) return 0;
    ld rest;
    const ld square = ExactProduct(a, a, rest);
    return zmath::exp(-square / 2) * (1 - rest / 2) * kRecipSqrt2Pi;
}

ld NormalQuantile(ld p)
{
    if (p > 0.5L) return -NormalQuantile(1 - p); // 1 - p is exact here
    if (p == 0.5L) return 0;
    // A first value within about 1E-9 (Acklam's rational approximation),
    // then Halley's steps on the accurate distribution.
    ld x;
    if (p < 0.02425L) {
        const ld q = zmath::sqrt(-2 * zmath::log(p));
        x = (((((-7.784894002430293e-03L * q - 3.223964580411365e-01L) * q - 2.400758277161838e+00L) * q -
               2.549732539343734e+00L) * q + 4.374664141464968e+00L) * q + 2.938163982698783e+00L) /
            ((((7.784695709041462e-03L * q + 3.224671290700398e-01L) * q + 2.445134137142996e+00L) * q +
              3.754408661907416e+00L) * q + 1);
    } else {
        const ld q = p - 0.5L, r = q * q;
        x = (((((-3.969683028665376e+01L * r + 2.209460984245205e+02L) * r - 2.759285104469687e+02L) * r +
               1.383577518672690e+02L) * r - 3.066479806614716e+01L) * r + 2.506628277459239e+00L) * q /
            (((((-5.447609879822406e+01L * r + 1.615858368580409e+02L) * r - 1.556989798598866e+02L) * r +
               6.680131188771972e+01L) * r - 1.328068155288572e+01L) * r + 1);
    }
    if (p < 1E-300L) return DeepQuantile(p, x);
    for (int step = 0; step < 8; ++step) {
        const ld density = NormalDensity(x);
        if (!(density > 0)) break;
        // Near the centre P(Z <= x) - p cancels: there it is erf(x/sqrt 2)/2
        // less p - 1/2, which is exact for p >= 1/4.
        const ld residual = std::fabs(x) < 0.6L ? HalfErf(x) - (p - 0.5L) : NormalCumulative(x) - p;
        const ld u = residual / density;
        const ld next = x - u / (1 + x * u / 2);
        if (next == x) break;
        const bool small = std::fabs(next - x) <= std::fabs(x) * 0x1p-62L;
        x = next;
        if (small && step >= 2) break;
    }
    return x;
}

ld DecimalLogarithm(ld x)
{
    const ld y = std::log10(x);
    // The library may miss a whole power of ten by a unit ("log 1000").
    const ld n = std::nearbyint(y);
    if (std::fabs(y - n) < 1E-15L && std::fabs(n) <= 4900 && Power(10, n) == x) return n;
    return y;
}

ld RoundDecimal(ld x, ld decimals, bool cut)
{
    if (!std::isfinite(x) || x == 0) return x;
    // The decimal of x with 18 significant digits: its digits and the
    // exponent of the first one.
    const std::string text = FormatGeneral(x, 18);
    std::string digits;
    int point = -1, exponent = 0;
    std::size_t i = 0;
    const bool negative = text[0] == '-';
    if (negative) ++i;
    for (; i < text.size() && text[i] != 'E'; ++i) {
        if (text[i] == '.') point = static_cast<int>(digits.size());
        else digits += text[i];
    }
    if (i < text.size()) exponent = std::stoi(text.substr(i + 1));
    if (point < 0) point = static_cast<int>(digits.size());
    // Leading zeros ("0.00123") move the point.
    std::size_t lead = 0;
    while (lead + 1 < digits.size() && digits[lead] == '0') ++lead;
    digits.erase(0, lead);
    point -= static_cast<int>(lead);
    // The value is 0.d1d2... * 10^(point + exponent); keep the digits down to
    // the place 10^-decimals.
    const long long keep = static_cast<long long>(point) + exponent + static_cast<long long>(decimals);
    const auto size = static_cast<long long>(digits.size());
    if (keep > size) return x;
    // At the 18th digit the decimal itself is the result.
    std::string kept = keep > 0 ? digits.substr(0, static_cast<std::size_t>(keep)) : std::string();
    const bool up = !cut && keep >= 0 && keep < size && digits[static_cast<std::size_t>(keep)] >= '5';
    long long shift = point + exponent - static_cast<long long>(kept.size()); // kept * 10^shift
    if (up && keep == 0) {
        // Only the first digit is looked at: 10^-decimals.
        kept.assign(1, '1');
        shift = -static_cast<long long>(decimals);
    } else if (up) {
        std::size_t j = kept.size();
        while (j > 0 && kept[j - 1] == '9') kept[--j] = '0';
        if (j > 0) ++kept[j - 1];
        else kept.insert(kept.begin(), '1');
    }
    if (kept.empty()) return 0;
    ld value;
    std::string decimal = negative ? "-" : "";
    decimal += kept;
    decimal += 'e';
    decimal += std::to_string(shift);
    if (!ParseDecimal(decimal, value)) return Overflow();
    return value;
}

namespace {

unsigned __int128 Magnitude(ld x)
{
    const ld a = std::fabs(x);
    return static_cast<unsigned __int128>(a);
}

} // namespace

ld GreatestCommonDivisor(ld a, ld b)
{
    unsigned __int128 x = Magnitude(a), y = Magnitude(b);
    while (y != 0) {
        const unsigned __int128 r = x % y;
        x = y;
        y = r;
    }
    return static_cast<ld>(x);
}

ld LeastCommonMultiple(ld a, ld b)
{
    const unsigned __int128 x = Magnitude(a), y = Magnitude(b);
    if (x == 0 || y == 0) return 0;
    const unsigned __int128 g = static_cast<unsigned __int128>(GreatestCommonDivisor(a, b));
    // x / g * y may pass 2^128 only beyond 2^64 * 2^64: rounded in extended.
    return static_cast<ld>(x / g) * static_cast<ld>(y);
}

} // namespace engine_detail
