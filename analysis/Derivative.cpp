#include "analysis/Derivative.h"

#include "engine/NumberFormat.h"

#include <cmath>

namespace analysis {

std::vector<TSlopes> Slopes(const TFunctionList& functions, bool degrees)
{
    std::vector<TSlopes> slopes(functions.size());
    for (std::size_t i = 0; i < functions.size(); ++i) {
        if (functions[i] == nullptr) continue;
        std::optional<TExpression> first = Derivative(*functions[i], "x", degrees, &slopes[i].WhyNot);
        if (!first) continue;
        std::optional<TExpression> second = Derivative(*first, "x", degrees);
        slopes[i].First = std::make_shared<const TExpression>(std::move(*first));
        if (second) slopes[i].Second = std::make_shared<const TExpression>(std::move(*second));
    }
    return slopes;
}

namespace {

// f' at x0 through a sampler of `d`: its outcome from the value or the mark.
TSlopeOutcome Read(const TExpression& d, long double x0, bool degrees, TSlopeAt& at)
{
    long double y;
    if (!d.Sampler("x", degrees).Evaluate(x0, y)) {
        at.Mark = TDerivativeMark::Vertical; // the formula fails where f does not: an infinite slope
        return TSlopeOutcome::NoSlope;
    }
    at.Mark = DerivativeMark(y);
    switch (at.Mark) {
    case TDerivativeMark::None:
        at.Slope = y;
        return TSlopeOutcome::Value;
    case TDerivativeMark::Unknown:
    case TDerivativeMark::NeedsSecondOrder:
        return TSlopeOutcome::Unknown;
    default:
        return TSlopeOutcome::NoSlope;
    }
}

} // namespace

TSlopeAt SlopeAt(const TExpression& f, const TExpression* quick, long double x0, bool degrees)
{
    TSlopeAt at;
    if (!f.Sampler("x", degrees).Evaluate(x0, at.Value)) {
        at.Outcome = TSlopeOutcome::NoValue;
        return at;
    }
    if (!std::isfinite(at.Value)) {
        // An infinite value (arcsec 0): no slope, whatever a formula says.
        at.Outcome = TSlopeOutcome::NoSlope;
        at.Mark = TDerivativeMark::Jump;
        return at;
    }
    std::optional<TExpression> made;
    if (quick == nullptr) {
        made = Derivative(f, "x", degrees, &at.WhyNot);
        if (!made) {
            at.Outcome = TSlopeOutcome::NoFormula;
            return at;
        }
        quick = &*made;
    }
    at.Outcome = Read(*quick, x0, degrees, at);
    if (at.Mark != TDerivativeMark::NeedsSecondOrder) return at;
    const std::optional<TExpression> exact = Derivative(f, "x", degrees, &at.WhyNot, true);
    if (exact) at.Outcome = Read(*exact, x0, degrees, at);
    return at;
}

std::string TangentEquation(long double m, long double b, int digits)
{
    const std::string slope = FormatGeneral(m, digits), intercept = FormatGeneral(std::fabs(b), digits);
    std::string text = "y = ";
    if (slope == "0") return text + FormatGeneral(b, digits);
    if (slope == "1") text += "x";
    else if (slope == "-1") text += "-x";
    else text += slope + "·x";
    if (intercept == "0") return text;
    return text + (b < 0 ? " - " : " + ") + intercept;
}

} // namespace analysis
