// The computations of the calls that bind a name.  Each compiles its
// expression as a program of its own, with the bound name as the sampled
// value and the captured values read from the caller's copies, and
// evaluates it as often as it needs: deriv once (its derivative's program),
// suma and producto over blocks of terms, integral and resolver through the
// calculus library's functions.  The floating-point flags are left as they
// were found, so that the evaluation around a call sees only its result.
#include "engine/BoundCalls.h"
#include "engine/CompensatedSum.h"

#include "engine/BoundScan.h"
#include "engine/Derivative.h"
#include "engine/ErrorCodes.h"
#include "engine/FaultFlags.h"
#include "engine/NumberFormat.h"
#include "engine/Program.h"

#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <memory>
#include <mutex>

namespace {

TBoundCalculus& Calculus()
{
    static TBoundCalculus calculus;
    return calculus;
}
thread_local TBoundReport* tReport = nullptr;
thread_local const std::atomic<bool>* tStop = nullptr;
thread_local std::atomic<int>* tProgress = nullptr;
thread_local int tDepth = 0; // calls being evaluated, one inside another
thread_local std::chrono::steady_clock::time_point tDeadline{}; // none when at the epoch
thread_local unsigned tLooks = 0;
thread_local bool tExpired = false; // the deadline has passed

bool Stopped()
{
    if (tStop != nullptr && tStop->load(std::memory_order_relaxed)) return true;
    // The clock is read now and then only.
    if (!tExpired && tDeadline != std::chrono::steady_clock::time_point{} && ++tLooks % 64 == 0)
        tExpired = std::chrono::steady_clock::now() > tDeadline;
    return tExpired;
}

using engine_detail::TBoundContext;
using engine_detail::TProgram;
using engine_detail::TScratch;

const char* CodeText(uint8_t code)
{
    switch (code) {
    case error_code::kUnknownValue: return "Valor desconocido";
    case error_code::kInvalidArgument: return "Argumento invalido";
    case error_code::kMissingArgument: return "Falta argumento";
    case error_code::kUnexpectedArgument: return "Argumento no previsto";
    case error_code::kDivisionByZero: return "División por cero";
    default: return "Argumento invalido";
    }
}

// The failure of an evaluation, as its message reads.
std::string FailureText(const engine_detail::TFailure& f)
{
    if (f.Code == error_code::kArithmeticFault && f.Flags != 0)
        return (f.Flags & FE_OVERFLOW)    ? "Floating point overflow"
               : (f.Flags & FE_DIVBYZERO) ? "Floating point division by zero"
                                          : "Invalid floating point operation";
    std::string text = f.Message.empty() ? CodeText(f.Code) : f.Message;
    return engine_detail::CallPrefix(f.Site) + text;
}

std::string Number(long double x)
{
    return FormatGeneral(x, 15);
}

// The expression of the call on this thread's context, compiled for one
// value of its name at a time.
class TBody {
public:
    TBody(const TBoundContext& context, const TParseNode* tree)
        : Site(*BoundSite(context.Node)), Degrees(AngleUnitIsDegrees())
    {
        Values.assign(context.Values, context.Values + context.Count);
        for (std::size_t k = 0; k < context.Count; ++k) Given.push_back({context.Entries[k], &Values[k]});
        Program.Compile(tree, Given);
        Program.Plan(&Site.Value);
        engine_detail::PrepareOne(Program, Scratch);
    }
    bool At(long double x, long double& y)
    {
        if (Stopped()) return false;
        engine_detail::PrepareOne(Program, Scratch);
        std::feclearexcept(engine_detail::kFaultFlags);
        const engine_detail::TAngleUnitScope unit(true, Degrees);
        return engine_detail::EvaluateOne(Program, Scratch, &x, Degrees, y);
    }
    void Block(const long double* xs, std::size_t n, long double* ys, bool* ok)
    {
        engine_detail::EvaluateSamples(Program, Scratch, xs, n, Degrees, ys, ok);
    }
    std::string Why() const { return FailureText(Scratch.Failure); }

    const TBoundSite& Site;
    const bool Degrees;

private:
    std::vector<long double> Values;
    TProgram::TGiven Given;
    TProgram Program;
    TScratch Scratch;
};

// Saves the flags and puts them back.
class TFlagsKept {
public:
    TFlagsKept() { std::fegetexceptflag(&FSaved, FE_ALL_EXCEPT); }
    ~TFlagsKept() { std::fesetexceptflag(&FSaved, FE_ALL_EXCEPT); }

private:
    std::fexcept_t FSaved;
};

// The digits known of a value that the expression's value depends on.
void Known(int digits)
{
    if (tReport != nullptr) tReport->Digits = std::min(tReport->Digits, std::max(digits, 1));
}

// The digits a rounding error of at most `error` leaves known of `value`.
int DigitsKnown(long double value, long double error)
{
    if (error <= 0) return 18;
    if (value == 0) return 1;
    const long double relative = error / std::fabs(value);
    return std::clamp(static_cast<int>(std::floor(-std::log10(2 * relative))), 1, 18);
}

long double Failed(uint8_t& code, std::string& message, std::string text)
{
    code = error_code::kInvalidArgument;
    message = std::move(text);
    return 0;
}

const char* const kStopped = "Cálculo detenido";

long double Deriv(TBody& f, TBody& slope, long double x0, uint8_t& code, std::string& message)
{
    const std::string at = " en " + f.Site.Written + " = " + Number(x0);
    long double y;
    if (!f.At(x0, y)) return Failed(code, message, Stopped() ? kStopped : "deriv: la expresión no tiene valor" + at + " (" + f.Why() + ")");
    if (!slope.At(x0, y) || DerivativeMark(y) != TDerivativeMark::None || !std::isfinite(y))
        return Failed(code, message, Stopped() ? kStopped : "deriv: la expresión no tiene derivada" + at);
    return y;
}

// The terms f(k) for k from a to b, in blocks, given to `take` in order;
// false with the message when one has no value.
template <typename Take>
bool Terms(TBody& f, long double a, long double b, const char* what, uint8_t& code, std::string& message, Take take)
{
    if (a != std::floor(a) || b != std::floor(b) || std::fabs(a) > 0x1p62L || std::fabs(b) > 0x1p62L) {
        Failed(code, message, std::string(what) + ": los límites deben ser números enteros");
        return false;
    }
    if (b - a + 1 > kMaxBoundTerms) {
        Failed(code, message, std::string(what) + " admite como mucho 10000000 términos, y aquí hay " + Number(b - a + 1));
        return false;
    }
    constexpr std::size_t kBlock = engine_detail::kBlock;
    long double xs[kBlock], ys[kBlock];
    bool ok[kBlock];
    for (long double k = a; k <= b;) {
        if (Stopped()) {
            Failed(code, message, kStopped);
            return false;
        }
        ReportBoundProgress(static_cast<int>(100 * (k - a) / (b - a + 1)));
        std::size_t n = 0;
        for (; n < kBlock && k <= b; ++n, k += 1) xs[n] = k;
        f.Block(xs, n, ys, ok);
        for (std::size_t i = 0; i < n; ++i) {
            if (ok[i]) {
                take(ys[i]);
                continue;
            }
            long double y;
            f.At(xs[i], y); // the failure's description
            if (Stopped()) {
                Failed(code, message, kStopped);
                return false;
            }
            Failed(code, message, std::string(what) + ": el término " + f.Site.Written + " = " + Number(xs[i]) +
                                      " no tiene valor (" + f.Why() + ")");
            return false;
        }
    }
    return true;
}

long double Sum(TBody& f, long double a, long double b, uint8_t& code, std::string& message)
{
    TCompensatedSum sum;
    long double size = 0;
    bool whole = true; // whole terms and sums, all exact
    const bool done = Terms(f, a, b, "suma", code, message, [&](long double t) {
        sum.Add(t);
        size += std::fabs(t);
        whole = whole && t == std::floor(t) && size < 0x1p63L;
    });
    if (!done) return 0;
    const long double total = sum.Value();
    if (!std::isfinite(total)) return Failed(code, message, "suma: el resultado es demasiado grande");
    // Each term carries its own rounding, a few units of its last place:
    // the digits known shrink where the terms cancel.
    if (!whole) Known(DigitsKnown(total, size * 0x1p-62L));
    return total;
}

long double Product(TBody& f, long double a, long double b, uint8_t& code, std::string& message)
{
    // The product's power of two apart, so that no partial product
    // overflows or underflows on the way to a result that does not.
    long double m = 1, count = 0;
    long long e = 0;
    bool whole = true; // whole terms and a product below 2^64, exact
    const bool done = Terms(f, a, b, "producto", code, message, [&](long double t) {
        int k;
        m = std::frexp(m * t, &k);
        e += k;
        count += 1;
        whole = whole && t == std::floor(t) && e <= 63;
    });
    if (!done) return 0;
    if (m == 0) return 0;
    // The relative roundings of the terms and of the products add up.
    if (!whole) Known(DigitsKnown(1, count * 0x1p-62L));
    if (e > LDBL_MAX_EXP) return Failed(code, message, "producto: el resultado es demasiado grande");
    return std::ldexp(m, static_cast<int>(std::max<long long>(e, LDBL_MIN_EXP - LDBL_MANT_DIG - 1)));
}

// The degree of `n` as a polynomial in the site's name (0..4), -1 when it
// is not one or the degree is higher.
int Degree(const TParseNode* n, const TBoundSite* site, int depth = 0)
{
    if (depth > 200) return -1;
    if (n == nullptr || !n->Present) return 0;
    if (n->Kind == 0) return n->Variable == site ? 1 : 0;
    if (!ReadsValue(n, site)) return 0;
    const std::string& op = n->Op->Name;
    const int l = n->Left->Present ? Degree(n->Left, site, depth + 1) : 0;
    if (op == "^") {
        const TParseNode* r = n->Right;
        if (l < 0 || r->Kind != 0 || r->Variable != nullptr || r->Value != std::floor(r->Value) || r->Value < 0 || r->Value > 4)
            return -1;
        const int d = l * static_cast<int>(r->Value);
        return d <= 4 ? d : -1;
    }
    const int r = Degree(n->Right, site, depth + 1);
    if (l < 0 || r < 0) return -1;
    if (op == "+" || op == "-" || op == "=") return std::max(l, r);
    if (op == "*") return l + r <= 4 ? l + r : -1;
    if (op == "/") return r == 0 ? l : -1;
    return -1;
}

long double Integral(TBody& f, long double a, long double b, uint8_t& code, std::string& message)
{
    const TBoundCalculus& calculus = Calculus();
    if (!calculus.Integral) return Failed(code, message, "integral no está disponible aquí");
    long double value = 0;
    int digits = 0;
    std::string why;
    if (!calculus.Integral([&f](long double x, long double& y) { return f.At(x, y); }, a, b, value, digits, why))
        return Failed(code, message, Stopped() ? kStopped : why);
    if (tReport != nullptr) tReport->Integrated = true;
    Known(digits);
    return value;
}

long double Solve(TBody& f, TBody* slope, const TParseNode* node, uint8_t sides, long double a, long double b,
                  uint8_t& code, std::string& message)
{
    const TBoundCalculus& calculus = Calculus();
    if (!calculus.Solve) return Failed(code, message, "resolver no está disponible aquí");
    TEquation e;
    e.F = [&f](long double x, long double& y) { return f.At(x, y); };
    if (slope != nullptr) e.Slope = [slope](long double x, long double& y) { return slope->At(x, y); };
    e.Degree = Degree(f.Site.Body, &f.Site);
    e.Bounded = sides == 3 && node->Left->Present;
    if (e.Bounded) {
        if (!(a < b)) return Failed(code, message, "resolver: el intervalo [a; b] necesita a menor que b");
        e.A = a;
        e.B = b;
    }
    TSolutions out;
    std::string why;
    if (!calculus.Solve(e, out, why) || out.Roots.empty())
        return Failed(code, message, Stopped() ? kStopped : why.empty() ? "resolver: sin solución real" : why);
    if (Stopped()) return Failed(code, message, kStopped); // the solutions found before it are not all
    Known(out.Digits);
    if (tReport != nullptr) {
        tReport->Solutions = out.Roots;
        tReport->Warning = out.Warning;
    }
    return out.Roots.front();
}

template <TBoundKind Kind>
long double BoundCall(long double left, long double right, uint8_t sides, uint8_t& code, std::string& message,
                      uint8_t& blame)
{
    blame = 0;
    const TBoundContext context = engine_detail::tBoundContext;
    const TBoundSite* site = BoundSite(context.Node);
    if (site == nullptr) return Failed(code, message, "Argumento invalido");
    const TFlagsKept flags;
    struct TDepth {
        TDepth() { ++tDepth; }
        ~TDepth() { --tDepth; }
    } depth;
    TBody f(context, site->Body);
    switch (Kind) {
    case kBoundDeriv: {
        TBody slope(context, site->Slope[f.Degrees ? 1 : 0]);
        return Deriv(f, slope, left, code, message);
    }
    case kBoundIntegral: return Integral(f, left, right, code, message);
    case kBoundSum: return Sum(f, left, right, code, message);
    case kBoundProduct: return Product(f, left, right, code, message);
    case kBoundSolve: {
        const TParseNode* tree = site->Slope[f.Degrees ? 1 : 0];
        std::unique_ptr<TBody> slope = tree != nullptr ? std::make_unique<TBody>(context, tree) : nullptr;
        return Solve(f, slope.get(), context.Node, sides, left, right, code, message);
    }
    default: return Failed(code, message, "Argumento invalido");
    }
}

} // namespace

TOperatorFunc engine_detail::BoundComputation(TBoundKind kind)
{
    switch (kind) {
    case kBoundDeriv: return BoundCall<kBoundDeriv>;
    case kBoundIntegral: return BoundCall<kBoundIntegral>;
    case kBoundSum: return BoundCall<kBoundSum>;
    case kBoundProduct: return BoundCall<kBoundProduct>;
    default: return BoundCall<kBoundSolve>;
    }
}

bool engine_detail::IsBoundComputation(TOperatorFunc func)
{
    return func == BoundCall<kBoundDeriv> || func == BoundCall<kBoundIntegral> || func == BoundCall<kBoundSum> ||
           func == BoundCall<kBoundProduct> || func == BoundCall<kBoundSolve>;
}

void SetBoundCalculus(TBoundCalculus calculus)
{
    static std::mutex mutex;
    const std::lock_guard<std::mutex> lock(mutex);
    if (!Calculus().Integral) Calculus() = std::move(calculus);
}

bool HasBoundCalculus()
{
    return static_cast<bool>(Calculus().Integral);
}

TBoundReportScope::TBoundReportScope() : FOuter(tReport)
{
    tReport = &FReport;
}

TBoundReportScope::~TBoundReportScope()
{
    tReport = FOuter;
}

TBoundStopScope::TBoundStopScope(const std::atomic<bool>* stop, std::atomic<int>* progress)
    : FOuter(tStop), FOuterProgress(tProgress), FOuterDeadline(tDeadline)
{
    tStop = stop;
    tProgress = progress;
}

TBoundStopScope::TBoundStopScope(const std::atomic<bool>* stop, std::chrono::steady_clock::time_point deadline)
    : TBoundStopScope(stop)
{
    tProgress = FOuterProgress; // progress goes on where it went
    tDeadline = deadline;
    tExpired = false;
}

TBoundStopScope::~TBoundStopScope()
{
    tStop = FOuter;
    tProgress = FOuterProgress;
    tDeadline = FOuterDeadline;
    tExpired = false;
}

bool BoundStopped()
{
    return Stopped();
}

void ReportBoundProgress(int percent)
{
    if (tProgress != nullptr && tDepth == 1) tProgress->store(std::clamp(percent, 0, 100), std::memory_order_relaxed);
}

const std::atomic<bool>* BoundStopFlag()
{
    return tStop;
}
