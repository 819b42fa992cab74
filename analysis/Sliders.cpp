#include "analysis/Sliders.h"

#include "analysis/Quadrature.h"

#include "engine/Utf8.h"

#include <cmath>
#include <limits>
#include <set>

namespace analysis {

std::vector<std::string> UsedValues(const TFunctionList& functions, const std::vector<std::string>& names)
{
    // The lower-cased names the trees read, parameters of functions aside.
    std::set<std::string> read;
    std::set<const TFunctionDefinition*> seen;
    std::set<const TVariableEntry*> parameters;
    std::vector<const TParseNode*> pending;
    for (const TFunction& f : functions)
        if (f && f->Tree() != nullptr) pending.push_back(f->Tree());
    while (!pending.empty()) {
        const TParseNode* node = pending.back();
        pending.pop_back();
        if (node == nullptr) continue;
        if (node->Kind == 0) {
            // The name a call binds is not the notebook's value of that name.
            if (node->Variable != nullptr && parameters.count(node->Variable) == 0 && !node->Variable->BoundName)
                read.insert(node->Variable->Name);
            continue;
        }
        if (const TBoundSite* site = BoundSite(node)) pending.push_back(site->Body);
        if (IsCall(node)) {
            const TFunctionDefinition* def = node->Op->Function;
            if (seen.insert(def).second && def->Body != nullptr) {
                parameters.insert(def->ParameterEntries.begin(), def->ParameterEntries.end());
                pending.push_back(def->Body);
            }
        }
        pending.push_back(node->Left);
        pending.push_back(node->Right);
    }
    std::vector<std::string> used;
    std::set<std::string> named;
    for (const std::string& name : names) {
        const std::string lowered = utf8::Encode(utf8::LowerAscii(utf8::Decode(name)));
        if (lowered == "x" || !named.insert(lowered).second) continue; // the plot's own x; the first definition
        if (read.count(lowered) != 0) used.push_back(name);
    }
    return used;
}

TSliderRange SliderRangeFor(long double value)
{
    TSliderRange r;
    r.Start = value;
    long double half = value != 0 && std::isfinite(value) ? 2 * std::fabs(value) : 1;
    if (!std::isfinite(half)) half = std::fabs(value); // at the end of the range
    r.Step = std::pow(10.0L, std::floor(std::log10(half)) - 2);
    const long double steps = half / r.Step;
    if (!(r.Step > 0) || !std::isfinite(steps) || steps > 2000) {
        // Beyond what powers of ten reach (near the smallest values).
        r.Step = half / 100;
        r.Steps = 100;
        if (!(r.Step > 0)) r.Step = half, r.Steps = 1; // among the subnormal values
    } else {
        r.Steps = static_cast<int>(std::lround(steps));
    }
    // The ends stop where the values would pass the largest finite one.
    const long double largest = std::numeric_limits<long double>::max();
    r.High = static_cast<int>(std::min<long double>(r.Steps, std::floor((largest - value) / r.Step)));
    r.Low = -static_cast<int>(std::min<long double>(r.Steps, std::floor((largest + value) / r.Step)));
    while (r.High > 0 && !std::isfinite(r.ValueAt(r.High))) --r.High;
    while (r.Low < 0 && !std::isfinite(r.ValueAt(r.Low))) ++r.Low;
    return r;
}

long double TSliderRange::ValueAt(int position) const
{
    if (position == 0) return Start;
    const long double v = Start + position * Step;
    if (!std::isfinite(v) || v == 0) return v;
    const long double ulp = std::nextafter(std::fabs(v), std::numeric_limits<long double>::infinity()) - std::fabs(v);
    return quadrature::ShortestDecimal(v - 4 * ulp, v + 4 * ulp);
}

} // namespace analysis
