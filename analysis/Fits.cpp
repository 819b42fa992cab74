#include "analysis/Fits.h"

#include "engine/CompensatedSum.h"

#include "engine/NumberFormat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

namespace analysis {

namespace {

using ld = long double;

// The shape of a model that is linear in its coefficients, in the variable
// t (x or ln x): an intercept or not, and the highest power of t.
struct TShape {
    bool Intercept = true;
    int Degree = 1;
    int Count() const { return (Intercept ? 1 : 0) + Degree; }
};

// The weighted least-squares fit of z against t.  Centred holds the
// coefficients of the powers of (t - Centre) (Centre is 0 without an
// intercept); Coefficients and Covariance are those of the powers of t.
struct TLinearFit {
    bool Ok = false;
    std::string Why;
    ld Centre = 0;
    std::vector<ld> Centred, Coefficients;
    std::vector<std::vector<ld>> Covariance;
    ld Ssr = 0, Sst = 0;
    ld Rounding = 0; // a sum of squares at or below it is rounding

    ld Predict(const TShape& shape, ld t) const
    {
        const ld u = t - Centre;
        ld value = 0, power = shape.Intercept ? 1 : u;
        for (ld c : Centred) {
            value += c * power;
            power *= u;
        }
        return value;
    }
};

// The points as the linear fit sees them: z against t, with the root of
// each weight worked out when asked, Scale[i] / Sigma[i] (Scale is y in
// log space), 1 without sigmas.  Nothing of size n is allocated for them.
struct TPoints {
    const std::vector<ld>& T;
    const std::vector<ld>& Z;
    const std::vector<ld>* Sigma;
    const std::vector<ld>* Scale;
    size_t Size() const { return T.size(); }
    ld Weight(size_t i) const { return Sigma ? (Scale ? (*Scale)[i] : 1) / (*Sigma)[i] : 1; }
};

// The upper triangle R and Q^T z of a QR factorisation built by Givens
// rotations a row at a time, so that no n-row matrix is ever stored, and
// the sum of squares of each column of the design matrix.
class TGivens {
public:
    static constexpr size_t kMost = 3;
    using TRow = std::array<ld, kMost>;

    explicit TGivens(size_t p) : P(p) {}

    // Rotates the row (a, b) into R and Q^T z; a is spent.
    void Add(TRow& a, ld b)
    {
        for (size_t k = 0; k < P; ++k)
            Squares[k] += a[k] * a[k];
        for (size_t k = 0; k < P; ++k) {
            if (a[k] == 0)
                continue;
            const ld r = Length(R[k][k], a[k]), inverse = 1 / r;
            const ld c = R[k][k] * inverse, s = a[k] * inverse;
            R[k][k] = r;
            for (size_t j = k + 1; j < P; ++j) {
                const ld top = R[k][j];
                R[k][j] = c * top + s * a[j];
                a[j] = c * a[j] - s * top;
            }
            const ld top = Qtz[k];
            Qtz[k] = c * top + s * b;
            b = c * b - s * top;
        }
    }
    // False when a diagonal element of R is negligible beside its column's
    // norm: the columns are (numerically) dependent.
    bool FullRank() const
    {
        constexpr ld kRankTolerance = 1e-14L;
        for (size_t k = 0; k < P; ++k)
            if (!(R[k][k] > kRankTolerance * std::sqrt(Squares[k])))
                return false;
        return true;
    }
    std::vector<std::vector<ld>> Triangle() const
    {
        std::vector<std::vector<ld>> r(P, std::vector<ld>(P, 0));
        for (size_t i = 0; i < P; ++i)
            for (size_t j = i; j < P; ++j)
                r[i][j] = R[i][j];
        return r;
    }

    TRow Qtz{};

private:
    static ld Length(ld a, ld b)
    {
        const ld squares = a * a + b * b;
        return std::isfinite(squares) && squares >= std::numeric_limits<ld>::min() ? std::sqrt(squares)
                                                                                   : std::hypot(a, b);
    }
    size_t P;
    std::array<TRow, kMost> R{};
    TRow Squares{};
};

// The inverse of the upper triangle r.
std::vector<std::vector<ld>> InvertUpper(const std::vector<std::vector<ld>>& r)
{
    const size_t p = r.size();
    std::vector<std::vector<ld>> inverse(p, std::vector<ld>(p, 0));
    for (size_t col = 0; col < p; ++col) {
        for (size_t row = col + 1; row-- > 0;) {
            ld value = row == col ? 1 : 0;
            for (size_t k = row + 1; k <= col; ++k)
                value -= r[row][k] * inverse[k][col];
            inverse[row][col] = value / r[row][row];
        }
    }
    return inverse;
}

// The covariance of the centred coefficients, carried over to the
// coefficients of the powers of t through c_t = T c_centred.
void MapBack(const TShape& shape, TLinearFit& fit, const std::vector<std::vector<ld>>& covariance)
{
    const size_t p = fit.Centred.size();
    std::vector<std::vector<ld>> map(p, std::vector<ld>(p, 0));
    for (size_t i = 0; i < p; ++i)
        map[i][i] = 1;
    if (shape.Intercept) {
        const ld m = fit.Centre;
        map[0][1] = -m;
        if (shape.Degree == 2) {
            map[0][2] = m * m;
            map[1][2] = -2 * m;
        }
    }
    fit.Coefficients.assign(p, 0);
    fit.Covariance.assign(p, std::vector<ld>(p, 0));
    for (size_t i = 0; i < p; ++i) {
        TCompensatedSum value;
        for (size_t k = 0; k < p; ++k)
            value.Add(map[i][k] * fit.Centred[k]);
        fit.Coefficients[i] = value.Value();
        for (size_t j = 0; j < p; ++j) {
            ld sum = 0;
            for (size_t k = 0; k < p; ++k)
                for (size_t l = 0; l < p; ++l)
                    sum += map[i][k] * covariance[k][l] * map[j][l];
            fit.Covariance[i][j] = sum;
        }
    }
}

// One step of refinement of the centred coefficients by the corrected
// semi-normal equations: with the residuals r of the current solution,
// R^T R d = X^T W r, summed with compensation, corrects the rounding that
// the rotations of many rows leave in R and Q^T z.
void Refine(const TShape& shape, const TPoints& points, const std::vector<std::vector<ld>>& inverse, TLinearFit& fit)
{
    const size_t p = fit.Centred.size();
    std::vector<TCompensatedSum> gradient(p);
    for (size_t i = 0; i < points.Size(); ++i) {
        const ld root = points.Weight(i), u = points.T[i] - fit.Centre;
        const ld residual = root * root * (points.Z[i] - fit.Predict(shape, points.T[i]));
        ld power = shape.Intercept ? 1 : u;
        for (TCompensatedSum& g : gradient) {
            g.Add(power * residual);
            power *= u;
        }
    }
    // d = R^-1 R^-T g.
    std::vector<ld> half(p, 0);
    for (size_t k = 0; k < p; ++k)
        for (size_t j = 0; j <= k; ++j)
            half[k] += inverse[j][k] * gradient[j].Value();
    for (size_t i = 0; i < p; ++i)
        for (size_t k = i; k < p; ++k)
            fit.Centred[i] += inverse[i][k] * half[k];
}

// The weighted mean of values, compensated.
ld WeightedMean(const TPoints& points, const std::vector<ld>& values)
{
    TCompensatedSum weights, weighted;
    for (size_t i = 0; i < points.Size(); ++i) {
        const ld w = points.Weight(i) * points.Weight(i);
        weights.Add(w);
        weighted.Add(w * values[i]);
    }
    return weighted.Value() / weights.Value();
}

// The sums of squares of the fit: residual and total (about the weighted
// mean of z, or about 0 without an intercept), and the level of rounding
// of either, (n eps max|z|)^2 times the sum of the weights: what the
// residuals of z that is all the same come to.
void Sums(const TShape& shape, const TPoints& points, TLinearFit& fit)
{
    const ld mean = shape.Intercept ? WeightedMean(points, points.Z) : 0;
    TCompensatedSum ssr, sst, weights;
    ld largest = 0;
    for (size_t i = 0; i < points.Size(); ++i) {
        const ld root = points.Weight(i);
        const ld residual = root * (points.Z[i] - fit.Predict(shape, points.T[i]));
        const ld spread = root * (points.Z[i] - mean);
        ssr.Add(residual * residual);
        sst.Add(spread * spread);
        weights.Add(root * root);
        largest = std::fmax(largest, std::fabs(points.Z[i]));
    }
    fit.Ssr = ssr.Value();
    fit.Sst = sst.Value();
    const ld level = static_cast<ld>(points.Size()) * std::numeric_limits<ld>::epsilon() * largest;
    fit.Rounding = level * level * weights.Value();
}

// Fits z = sum c_k t^k by QR with weights root^2, t centred at its weighted
// mean when there is an intercept; `absolute` takes the weights as
// 1/sigma^2, so that the covariance is (X^T W X)^-1 unscaled.
TLinearFit FitLinear(const TShape& shape, const TPoints& points, bool absolute)
{
    TLinearFit fit;
    const size_t n = points.Size(), p = shape.Count();
    if (shape.Intercept)
        fit.Centre = WeightedMean(points, points.T);
    TGivens qr(p);
    TGivens::TRow row{};
    for (size_t i = 0; i < n; ++i) {
        const ld u = points.T[i] - fit.Centre, root = points.Weight(i);
        ld power = shape.Intercept ? 1 : u;
        for (size_t k = 0; k < p; ++k) {
            row[k] = root * power;
            power *= u;
        }
        qr.Add(row, root * points.Z[i]);
    }
    if (!qr.FullRank()) {
        fit.Why = shape.Intercept
            ? "Los valores de x no determinan el ajuste: hacen falta al menos " + std::to_string(p) + " valores de x distintos"
            : "Los valores de x no determinan el ajuste: son todos 0";
        return fit;
    }
    const std::vector<std::vector<ld>> inverse = InvertUpper(qr.Triangle());
    fit.Centred.assign(p, 0);
    for (size_t i = 0; i < p; ++i)
        for (size_t k = i; k < p; ++k)
            fit.Centred[i] += inverse[i][k] * qr.Qtz[k];
    Refine(shape, points, inverse, fit);
    Sums(shape, points, fit);
    const ld scale = absolute ? 1 : fit.Ssr / static_cast<ld>(n - p);
    std::vector<std::vector<ld>> covariance(p, std::vector<ld>(p, 0));
    for (size_t i = 0; i < p; ++i)
        for (size_t j = 0; j < p; ++j)
            for (size_t k = std::max(i, j); k < p; ++k)
                covariance[i][j] += inverse[i][k] * inverse[j][k] * scale;
    MapBack(shape, fit, covariance);
    fit.Ok = true;
    return fit;
}

bool AllFinite(const std::vector<ld>& values)
{
    for (ld v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

bool AllPositive(const std::vector<ld>& values)
{
    for (ld v : values)
        if (!(v > 0))
            return false;
    return true;
}

void Logarithms(const std::vector<ld>& values, std::vector<ld>& logs)
{
    logs.reserve(values.size());
    for (ld v : values)
        logs.push_back(std::log(v));
}

int CoefficientCount(TFitModel model)
{
    switch (model) {
    case TFitModel::Origin: return 1;
    case TFitModel::Quadratic: return 3;
    default: return 2;
    }
}

// Why the data cannot be fitted by `model` before any computing, or empty.
std::string CheckData(TFitModel model, const std::vector<ld>& x, const std::vector<ld>& y, const std::vector<ld>* sigmaY)
{
    if (x.size() != y.size())
        return "Las listas x e y tienen distinto número de valores";
    if (sigmaY && sigmaY->size() != y.size())
        return "La lista de incertidumbres de y no tiene tantos valores como y";
    const int p = CoefficientCount(model);
    if (x.size() <= static_cast<size_t>(p))
        return "Faltan puntos: el ajuste necesita al menos " + std::to_string(p + 1);
    if (!AllFinite(x) || !AllFinite(y) || (sigmaY && !AllFinite(*sigmaY)))
        return "Hay valores que no son números finitos";
    if (sigmaY && !AllPositive(*sigmaY))
        return "Las incertidumbres de y deben ser todas positivas";
    const bool logX = model == TFitModel::Power || model == TFitModel::Logarithmic;
    const bool logY = model == TFitModel::Exponential || model == TFitModel::Power;
    if (logX && !AllPositive(x))
        return model == TFitModel::Power ? "El ajuste potencial necesita todos los valores de x positivos"
                                         : "El ajuste logarítmico necesita todos los valores de x positivos";
    if (logY && !AllPositive(y))
        return model == TFitModel::Power ? "El ajuste potencial necesita todos los valores de y positivos"
                                         : "El ajuste exponencial necesita todos los valores de y positivos";
    if (model != TFitModel::Origin) {
        bool same = true;
        for (ld v : x)
            same = same && v == x[0];
        if (same)
            return "Todos los valores de x son iguales: no determinan el ajuste";
    }
    return {};
}

} // namespace

TFitResult Fit(TFitModel model, const std::vector<long double>& x, const std::vector<long double>& y,
               const std::vector<long double>* sigmaY)
{
    TFitResult result;
    result.Why = CheckData(model, x, y, sigmaY);
    if (!result.Why.empty())
        return result;
    const size_t n = x.size();
    const TShape shape{model != TFitModel::Origin, model == TFitModel::Quadratic ? 2 : 1};
    // The storage of the residuals holds one column of logarithms until the
    // residuals replace it, each as its point is done with: for 100,000
    // points each array of size n costs more in fresh pages than in
    // arithmetic.
    const bool logX = model == TFitModel::Power || model == TFitModel::Logarithmic;
    const bool logY = model == TFitModel::Exponential || model == TFitModel::Power;
    std::vector<ld> work, other;
    if (logX)
        Logarithms(x, work);
    if (logY)
        Logarithms(y, logX ? other : work);
    const TPoints points{logX ? work : x, logY ? (logX ? other : work) : y, sigmaY, logY ? &y : nullptr};
    TLinearFit linear = FitLinear(shape, points, sigmaY != nullptr);
    if (!linear.Ok) {
        result.Why = linear.Why;
        return result;
    }
    for (size_t i = 0; i < linear.Coefficients.size(); ++i) {
        result.Coefficients.push_back(linear.Coefficients[i]);
        result.Errors.push_back(std::sqrt(std::fmax(linear.Covariance[i][i], ld(0))));
    }
    if (logY) {
        result.Coefficients[0] = std::exp(linear.Coefficients[0]);
        result.Errors[0] *= result.Coefficients[0];
        if (!std::isnormal(result.Coefficients[0])) {
            result = TFitResult{};
            result.Why = model == TFitModel::Exponential
                ? "El coeficiente a del ajuste exponencial queda fuera del intervalo de los números: desplace los valores de x"
                : "El coeficiente a del ajuste potencial queda fuera del intervalo de los números: cambie la escala de x o de y";
            return result;
        }
    }
    if (linear.Sst > linear.Rounding)
        result.RSquared = 1 - linear.Ssr / linear.Sst;
    else
        result.RSquared = linear.Ssr <= linear.Rounding ? 1 : 0;
    result.Centre = linear.Centre;
    result.Centred = linear.Centred;
    const auto [low, high] = std::minmax_element(points.T.begin(), points.T.end());
    result.Low = *low;
    result.High = *high;
    work.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        const ld fitted = linear.Predict(shape, points.T[i]);
        const ld residual = y[i] - (logY ? std::exp(fitted) : fitted);
        if (i < work.size())
            work[i] = residual;
        else
            work.push_back(residual);
    }
    result.Residuals = std::move(work);
    result.Freedom = static_cast<int>(n) - shape.Count();
    if (!AllFinite(result.Coefficients) || !AllFinite(result.Errors)) {
        result = TFitResult{};
        result.Why = "El ajuste da valores que no son números finitos";
        return result;
    }
    result.Ok = true;
    return result;
}

const char* FitModelName(TFitModel model)
{
    switch (model) {
    case TFitModel::Line: return "Recta";
    case TFitModel::Origin: return "Recta por el origen";
    case TFitModel::Quadratic: return "Parábola";
    case TFitModel::Exponential: return "Exponencial";
    case TFitModel::Power: return "Potencial";
    case TFitModel::Logarithmic: return "Logarítmica";
    }
    return "";
}

namespace {

// `c` times `factor` as a term after another: " + 2*x" or " - 2*x"; the
// factor is empty for the constant term.
std::string Term(ld c, const std::string& factor, int digits)
{
    std::string text = c < 0 ? " - " : " + ";
    text += FormatGeneral(std::fabs(c), digits);
    return factor.empty() ? text : text + "*" + factor;
}

// `c` times `factor` as the first term: "-2*x" keeps its sign.
std::string FirstTerm(ld c, const std::string& factor, int digits)
{
    const std::string text = FormatGeneral(c == 0 ? ld(0) : c, digits);
    return factor.empty() ? text : text + "*" + factor;
}

// A factor or exponent that the language reads as one operand: in
// parentheses when negative or in E form.
std::string Operand(ld c, int digits)
{
    const std::string text = FormatGeneral(c == 0 ? ld(0) : c, digits);
    return c < 0 || text.find('E') != std::string::npos ? "(" + text + ")" : text;
}

// The written form of a fit: the coefficients of the powers of (t - m)
// as written and read back, t being x or ln x; m is 0 for the plain form.
struct TForm {
    bool Exponential = false;
    ld Shift = 0;
    std::vector<ld> Written;

    ld Value(ld t) const
    {
        const ld u = t - Shift;
        if (Exponential)
            return Written[0] * std::exp(Written[1] * u);
        ld value = Written[0] + Written[1] * u;
        return Written.size() > 2 ? value + Written[2] * (u * u) : value;
    }
};

// `c` written with `digits` digits and read back.
ld Rounded(ld c, int digits)
{
    ld value = 0;
    return ParseDecimal(FormatGeneral(c, digits), value) ? value : c;
}

// The short decimal near the centre of the data: the centre rounded at the
// leading digit of the data's spread, so that m lies within half the
// spread of it; the long double that its shortest text reads back as.
ld ShortShift(const TFitResult& fit)
{
    const int place = static_cast<int>(std::floor(std::log10(fit.High - fit.Low)));
    const ld scale = std::pow(ld(10), std::abs(place));
    const ld steps = std::nearbyint(place < 0 ? fit.Centre * scale : fit.Centre / scale);
    return place < 0 ? steps / scale : steps * scale;
}

// The fit's centred coefficients carried over to the powers of
// (t - shift), with a as e^(ln a) for the exponential law.
std::vector<ld> CoefficientsAbout(const TFitResult& fit, bool exponential, ld shift)
{
    // With u = t - Centre = v + d and v = t - shift.
    const std::vector<ld>& c = fit.Centred;
    const ld d = shift - fit.Centre;
    std::vector<ld> about(c.size());
    if (c.size() > 2) {
        about[2] = c[2];
        about[1] = c[1] + 2 * c[2] * d;
        about[0] = c[0] + (c[1] + c[2] * d) * d;
    } else {
        about[1] = c[1];
        about[0] = c[0] + c[1] * d;
    }
    if (exponential)
        about[0] = std::exp(about[0]);
    return about;
}

// The form about `shift` of the coefficients `c`, as written and read back.
TForm WrittenForm(const std::vector<ld>& c, bool exponential, ld shift, int digits)
{
    TForm form{exponential, shift, {}};
    for (ld v : c)
        form.Written.push_back(Rounded(v, digits));
    return form;
}

// The largest distance of a form from the fitted values at nine points
// across the data, and the spread of those values.
ld Stray(const TFitResult& fit, const TForm& form, ld& spread)
{
    ld worst = 0, least = INFINITY, most = -INFINITY;
    for (int k = 0; k <= 8; ++k) {
        const ld t = k == 8 ? fit.High : fit.Low + (fit.High - fit.Low) * k / 8;
        ld fitted = fit.Centred.back();
        for (size_t i = fit.Centred.size() - 1; i-- > 0;)
            fitted = fitted * (t - fit.Centre) + fit.Centred[i];
        if (form.Exponential)
            fitted = std::exp(fitted);
        const ld stray = std::fabs(form.Value(t) - fitted);
        worst = std::isnan(stray) ? INFINITY : std::fmax(worst, stray);
        least = std::fmin(least, fitted);
        most = std::fmax(most, fitted);
    }
    spread = most - least;
    return worst;
}

// The shift to write the fit about: 0 for the plain form, else the short
// decimal near the centre of the data, when the plain form loses digits
// that the centred one keeps.
ld Shift(TFitModel model, const TFitResult& fit, int digits)
{
    const bool shifts = model == TFitModel::Line || model == TFitModel::Quadratic ||
                        model == TFitModel::Exponential || model == TFitModel::Logarithmic;
    if (!shifts || fit.Centred.size() != fit.Coefficients.size() || !(fit.High > fit.Low))
        return 0;
    const bool exponential = model == TFitModel::Exponential;
    const ld shift = ShortShift(fit);
    if (shift == 0 || !std::isfinite(shift))
        return 0;
    ld spread = 0;
    const ld plain = Stray(fit, WrittenForm(fit.Coefficients, exponential, 0, digits), spread);
    const std::vector<ld> about = CoefficientsAbout(fit, exponential, shift);
    const ld centred = Stray(fit, WrittenForm(about, exponential, shift, digits), spread);
    const ld allowed = std::pow(ld(10), -(digits - 1)) * spread;
    return plain <= allowed || plain <= 2 * centred ? 0 : shift;
}

// "(x - m)", "(x + m)" or "(ln(x) - m)".
std::string Offset(const std::string& t, ld shift)
{
    const std::string m = FormatRoundTrip(std::fabs(shift));
    return "(" + t + (shift < 0 ? " + " : " - ") + m + ")";
}

} // namespace

std::string FitFunctionText(TFitModel model, const TFitResult& fit, int digits)
{
    if (!fit.Ok || fit.Coefficients.size() != static_cast<size_t>(CoefficientCount(model)))
        return {};
    std::vector<ld> c = fit.Coefficients;
    const ld shift = Shift(model, fit, digits);
    const bool logarithmic = model == TFitModel::Logarithmic;
    const std::string t = shift == 0 ? (logarithmic ? "ln(x)" : "x") : Offset(logarithmic ? "ln(x)" : "x", shift);
    if (shift != 0)
        c = CoefficientsAbout(fit, model == TFitModel::Exponential, shift);
    switch (model) {
    case TFitModel::Line: return FirstTerm(c[0], "", digits) + Term(c[1], t, digits);
    case TFitModel::Origin: return FirstTerm(c[0], "x", digits);
    case TFitModel::Quadratic:
        return FirstTerm(c[0], "", digits) + Term(c[1], t, digits) + Term(c[2], t == "x" ? "x^2" : t + "^2", digits);
    case TFitModel::Exponential: return FirstTerm(c[0], "exp(" + FirstTerm(c[1], t, digits) + ")", digits);
    case TFitModel::Power: return FirstTerm(c[0], "x^" + Operand(c[1], digits), digits);
    case TFitModel::Logarithmic: return FirstTerm(c[0], "", digits) + Term(c[1], t, digits);
    }
    return {};
}

} // namespace analysis
