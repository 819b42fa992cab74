#include "analysis/Integral.h"

#include "analysis/IntegralAdapt.h"
#include "analysis/IntegralSurvey.h"
#include "engine/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace analysis {

namespace {

using namespace quadrature;

constexpr const char* kNoDigit = "no se sabe ninguna cifra del valor";

// A value that no digit is known of: 0 when the integral cancels down to
// the rounding of the integral of |f|, else NoConvergence.
void Judge(TIntegral& r)
{
    if (r.Outcome != TIntegralOutcome::Done || r.Digits() > 0) return;
    if (std::fabs(r.Value) <= r.Error && r.Error <= 0x1p-50L * r.Abs) {
        r.Value = 0;
        return;
    }
    r.Outcome = TIntegralOutcome::NoConvergence;
    if (r.Reason.empty())
        r.Reason = "el error estimado, " + FormatGeneral(r.Error, 2) + ", no deja ninguna cifra segura del valor";
}

TIntegral Run(const TIntegrand& f, long double a, long double b, bool area, const std::atomic<bool>* stop,
              const std::function<void(int)>& progress)
{
    TIntegral result;
    if (a == b) return result;
    if (!std::isfinite(a) || !std::isfinite(b)) {
        result.Outcome = TIntegralOutcome::NoConvergence;
        result.Reason = "los extremos del intervalo deben ser números finitos";
        return result;
    }
    const bool reversed = b < a;
    if (reversed) std::swap(a, b);
    TContext c(f, stop, progress, std::max({std::fabs(a), std::fabs(b), b - a}));
    const TSurvey survey = Survey(c, a, b, area);
    if (c.Halted()) {
        result.Outcome = TIntegralOutcome::Stopped;
        return result;
    }
    if (survey.Undefined) {
        result.Outcome = TIntegralOutcome::Undefined;
        result.From = survey.From;
        result.To = survey.To;
        return result;
    }
    c.Report(5);
    result = Adapt(c, survey, a, b, area);
    Judge(result);
    if (reversed && !area) result.Value = -result.Value;
    if (result.Outcome != TIntegralOutcome::Stopped) c.Report(100);
    return result;
}

// `value` rounded to `digits` significant digits (1..18), as text.
std::string Rounded(long double value, int digits)
{
    if (digits >= 2 || value == 0) return FormatGeneral(value, digits);
    // One digit: FormatGeneral writes two at least, so round first.
    const long double scale = std::pow(10.0L, std::floor(std::log10(std::fabs(value))));
    return FormatGeneral(std::round(value / scale) * scale, 2);
}

} // namespace

int TIntegral::Digits() const
{
    if (Outcome != TIntegralOutcome::Done || !(Error >= 0)) return 0;
    if (Error == 0) return 18;
    if (Value == 0 || !std::isfinite(Value)) return 0;
    const long double magnitude = std::fabs(Value);
    int e = static_cast<int>(std::floor(std::log10(magnitude))); // Value = d.ddd x 10^e
    if (std::pow(10.0L, e) > magnitude) --e;
    else if (std::pow(10.0L, e + 1) <= magnitude) ++e;
    for (int d = 18; d >= 1; --d)
        if (2 * Error <= std::pow(10.0L, e - d + 1)) return d;
    return 0;
}

TIntegral Integrate(const TIntegrand& f, long double a, long double b, const std::atomic<bool>* stop,
                    const std::function<void(int)>& progress)
{
    return Run(f, a, b, false, stop, progress);
}

TIntegral AreaBetween(const TIntegrand& f, const TIntegrand& g, long double a, long double b,
                      const std::atomic<bool>* stop, const std::function<void(int)>& progress)
{
    const TIntegrand difference = [&](long double x, long double& y) {
        long double u, v;
        if (!f(x, u) || !g(x, v)) return false;
        y = u - v;
        return true;
    };
    return Run(difference, a, b, true, stop, progress);
}

std::string IntegralText(const TIntegral& r, const std::string& what, int digits)
{
    const int pointDigits = std::clamp(digits, 2, 15);
    switch (r.Outcome) {
    case TIntegralOutcome::Done: {
        const int shown = std::min(std::max(digits, 1), r.Digits());
        if (shown == 0 && r.Value != 0) break; // no digit known: never a number
        const std::string value = r.Value == 0 ? "0" : Rounded(r.Value, shown);
        return (what.empty() ? value : what + " = " + value) + " (error estimado: " + FormatGeneral(r.Error, 2) + ")";
    }
    case TIntegralOutcome::Diverges:
        return "La integral diverge: la función crece sin límite cerca de x = " + FormatGeneral(r.At, pointDigits) +
               ".";
    case TIntegralOutcome::Undefined:
        return "La función no está definida en una parte del intervalo: de x = " +
               FormatGeneral(r.From, pointDigits) + " a x = " + FormatGeneral(r.To, pointDigits) + ".";
    case TIntegralOutcome::NoConvergence:
        return "La integral no converge: " + (r.Reason.empty() ? std::string(kNoDigit) : r.Reason) + ".";
    case TIntegralOutcome::Stopped:
        return "Cálculo detenido.";
    }
    return "La integral no converge: " + std::string(kNoDigit) + ".";
}

} // namespace analysis
