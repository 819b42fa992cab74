#include "engine/Statistics.h"

#include <algorithm>
#include <cmath>

void SetOffsets(TDataList& list)
{
    list.Origin = list.Values.empty() ? 0 : list.Values.front();
    list.Offsets.resize(list.Values.size());
    for (std::size_t i = 0; i < list.Values.size(); ++i) list.Offsets[i] = list.Values[i] - list.Origin;
}

namespace {

// The mean of the values: their compensated sum over n, or, when the sum
// overflows, the sum of each over n.
long double MeanOf(const std::vector<long double>& values)
{
    const long double n = static_cast<long double>(values.size());
    TCompensatedSum sum;
    for (const long double v : values) sum.Add(v);
    if (std::isfinite(sum.Value())) return sum.Value() / n;
    TCompensatedSum parts;
    for (const long double v : values) parts.Add(v / n);
    return parts.Value();
}

} // namespace

TListMoments ListMoments(const TDataList& list)
{
    TListMoments m;
    m.Count = list.Offsets.size();
    if (m.Count == 0) return m;
    const long double n = static_cast<long double>(m.Count);
    m.Mean = MeanOf(list.Values);
    m.OffsetMean = MeanOf(list.Offsets);
    for (const long double d : list.Offsets) m.Scale = std::max(m.Scale, std::fabs(d - m.OffsetMean));
    if (m.Scale == 0 || !std::isfinite(m.Scale)) return m;
    // Second pass about the mean, with the correction for the mean's own
    // rounding (the sum of the deviations, which would be 0 exactly).
    TCompensatedSum squares, deviations;
    for (const long double d : list.Offsets) {
        const long double e = (d - m.OffsetMean) / m.Scale;
        squares.Add(e * e);
        deviations.Add(e);
    }
    const long double drift = deviations.Value();
    m.ScaledSquares = std::max<long double>(squares.Value() - drift * drift / n, 0);
    return m;
}

namespace {

bool Refuse(std::string& why, std::string text)
{
    why = std::move(text);
    return false;
}

bool Median(const TDataList& a, long double& value)
{
    std::vector<long double> v = a.Values;
    const std::size_t half = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(half), v.end());
    const long double upper = v[half];
    if (v.size() % 2 == 1) {
        value = upper;
        return true;
    }
    const long double lower = *std::max_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(half));
    value = lower + (upper - lower) / 2;
    if (!std::isfinite(value)) value = lower / 2 + upper / 2;
    return true;
}

// The sums of the line about the means, each scaled by the products of
// the lists' scales: Sxx / sx^2, Sxy / (sx sy), Syy / sy^2.
struct TLineSums {
    TListMoments X, Y;
    long double Sxx = 0, Sxy = 0, Syy = 0;
};
TLineSums LineSums(const TDataList& x, const TDataList& y)
{
    TLineSums s;
    s.X = ListMoments(x);
    s.Y = ListMoments(y);
    s.Sxx = s.X.ScaledSquares;
    s.Syy = s.Y.ScaledSquares;
    if (s.X.Scale == 0 || s.Y.Scale == 0) return s;
    TCompensatedSum sxy;
    for (std::size_t i = 0; i < x.Offsets.size(); ++i)
        sxy.Add((x.Offsets[i] - s.X.OffsetMean) / s.X.Scale * ((y.Offsets[i] - s.Y.OffsetMean) / s.Y.Scale));
    s.Sxy = sxy.Value();
    return s;
}

bool LineStatistic(TListStatistic kind, const TDataList& x, const TDataList& y, long double& value, std::string& why)
{
    if (x.Values.size() != y.Values.size())
        return Refuse(why, "Las listas «" + x.Name + "» y «" + y.Name + "» tienen distinto número de valores (" +
                               std::to_string(x.Values.size()) + " y " + std::to_string(y.Values.size()) + ")");
    if (x.Values.size() < 2) return Refuse(why, "La recta necesita al menos 2 puntos");
    const TLineSums s = LineSums(x, y);
    if (s.Sxx == 0) return Refuse(why, "Todos los valores de «" + x.Name + "» son iguales: no hay recta");
    // Sxy / Sxx, the scales put back.
    const long double slope = s.Y.Scale == 0 ? 0 : s.Sxy / s.Sxx * (s.Y.Scale / s.X.Scale);
    switch (kind) {
    case kStatSlope: value = slope; break;
    case kStatIntercept: value = s.Y.Mean - slope * s.X.Mean; break;
    default:
        if (s.Syy == 0) return Refuse(why, "Todos los valores de «" + y.Name + "» son iguales: no hay correlación");
        value = std::clamp<long double>(s.Sxy / std::sqrt(s.Sxx * s.Syy), -1, 1);
        break;
    }
    if (!std::isfinite(value)) return Refuse(why, "El resultado es demasiado grande");
    return true;
}

} // namespace

bool ListStatistic(TListStatistic kind, const TDataList& a, const TDataList* b, long double& value, std::string& why)
{
    const std::size_t n = a.Values.size();
    if (kind == kStatCount) {
        value = static_cast<long double>(n);
        return true;
    }
    if (kind >= kStatSlope) return b != nullptr && LineStatistic(kind, a, *b, value, why);
    if (n == 0) return Refuse(why, "La lista «" + a.Name + "» está vacía");
    const bool sample = kind == kStatDeviation || kind == kStatVariance || kind == kStatMeanError;
    if (sample && n < 2) return Refuse(why, "La desviación de una muestra necesita al menos 2 valores");
    switch (kind) {
    case kStatMinimum: value = *std::min_element(a.Values.begin(), a.Values.end()); return true;
    case kStatMaximum: value = *std::max_element(a.Values.begin(), a.Values.end()); return true;
    case kStatMedian: return Median(a, value);
    default: break;
    }
    const TListMoments m = ListMoments(a);
    const long double count = static_cast<long double>(n);
    switch (kind) {
    case kStatTotal: {
        TCompensatedSum sum;
        for (const long double v : a.Values) sum.Add(v);
        value = sum.Value();
        break;
    }
    case kStatMean: value = m.Mean; break;
    case kStatVariance: value = m.ScaledSquares / (count - 1) * m.Scale * m.Scale; break;
    case kStatDeviation: value = std::sqrt(m.ScaledSquares / (count - 1)) * m.Scale; break;
    case kStatPopulationDeviation: value = std::sqrt(m.ScaledSquares / count) * m.Scale; break;
    default: value = std::sqrt(m.ScaledSquares / (count - 1) / count) * m.Scale; break; // kStatMeanError
    }
    if (!std::isfinite(value)) return Refuse(why, "El resultado es demasiado grande");
    return true;
}
