// Least-squares fits of lab data, free of any toolkit: a line, a line
// through the origin, a parabola, and the exponential, power and
// logarithmic laws, all worked out in 80-bit long double.
//
// The models linear in their coefficients are solved by an orthogonal QR
// factorisation of the (weighted) design matrix, never by the normal
// equations: Givens rotations take in the rows one at a time, so that no
// n-row matrix is stored.  The x column is centred at its (weighted) mean
// first so that data such as 10000000.1, 10000000.2, ... keeps its digits.
// The exponential and power laws are fitted as lines in log space.  The
// cost is O(n p^2) time and O(n) memory (the residuals) for n points and p
// coefficients.
#pragma once

#include <string>
#include <vector>

namespace analysis {

enum class TFitModel {
    Line,         // y = a + b x
    Origin,       // y = b x
    Quadratic,    // y = a + b x + c x^2
    Exponential,  // y = a e^(b x), fitted as ln y = ln a + b x
    Power,        // y = a x^b, fitted as ln y = ln a + b ln x
    Logarithmic,  // y = a + b ln x
};

struct TFitResult {
    bool Ok = false;
    std::string Why;                        // why there is no fit, in Spanish, when not Ok
    std::vector<long double> Coefficients;  // a, b, c in the order of the model's formula (Origin: just b)
    std::vector<long double> Errors;        // the standard error of each coefficient
    // The coefficient of determination 1 - SSR/SST, weighted when the fit
    // is.  For the exponential and power laws it is that of the line fitted
    // in log space (ln y against x or ln x).  For the line through the
    // origin it is uncentred: 1 - SSR / sum of y^2.  When every y (or ln y)
    // is the same, SST is 0 and r^2 is 1 for a fit without residual, else 0;
    // sums of squares at the level of rounding, below (n eps max|z|)^2 times
    // the sum of the weights (eps of long double, z the fitted y or ln y),
    // count as 0.
    long double RSquared = 0;
    std::vector<long double> Residuals;     // y_i - f(x_i) in the original y, one per point
    int Freedom = 0;                        // n - the number of coefficients
    // The fit as it was worked out, from which FitFunctionText writes a
    // form that keeps its digits far from x = 0.  Centred holds the
    // coefficients of the powers of (t - Centre), t being x (ln x for the
    // power and logarithmic laws), of the fitted y (ln y for the
    // exponential and power laws); Low and High are the least and greatest
    // t of the data.  Centred is empty in a result made by hand.
    long double Centre = 0;
    std::vector<long double> Centred;
    long double Low = 0, High = 0;
};

// Fits `model` to the points (x[i], y[i]).
//
// Without `sigmaY` the points weigh the same and the standard errors are
// those of s^2 (X^T X)^-1 with s^2 = SSR / (n - p).  With `sigmaY` (one
// uncertainty per point, each > 0) the weights are 1/sigma^2 and the
// covariance is (X^T W X)^-1: the uncertainties are taken as absolute.  In
// log space the weight of a point is (y/sigma)^2, the propagated
// uncertainty of ln y; without sigmaY the log fit is unweighted.
//
// Not Ok, with the reason in Why, when the lists differ in length, there
// are not more points than coefficients, a value is not finite, a sigma is
// not positive, the data cannot determine the coefficients (every x the
// same, or too few distinct x for the parabola), or the model's logarithms
// need a positive y or x that is missing.  Not Ok either when the
// coefficient a of the exponential or power law, e^(ln a), is not a normal
// number of long double (x far from 0 with a steep exponential gives
// a = e^-17000): a would read as 0 or infinity.
TFitResult Fit(TFitModel model, const std::vector<long double>& x, const std::vector<long double>& y,
               const std::vector<long double>* sigmaY = nullptr);

// The model's name in Spanish: "Recta", "Recta por el origen", "Parábola",
// "Exponencial", "Potencial", "Logarítmica".
const char* FitModelName(TFitModel model);

// The fitted function as the body of a notebook function of x in the
// calculator's language, the coefficients written with `digits`
// significant digits in the general number format ("1.5E-7", "." for the
// decimal point): "0.05 + 1.99*x", "0.05 - 1.99*x", "1 + 2*x - 0.5*x^2",
// "2.5*exp(0.3*x)", "2.5*x^0.5", "2.5*x^(-0.5)", "1 + 2*ln(x)".  A
// negative term is written as a subtraction, and an exponent that is
// negative or in E form goes in parentheses, since the language reads
// "2^-3" as "2^0 - 3".  Empty when the fit is not Ok.
//
// Far from x = 0 the powers of x written with `digits` digits cancel: when
// the plain form, read back from its rounded coefficients, strays from the
// fitted values over the data's range by more than 10^-(digits-1) of their
// spread (and by more than twice what the centred form strays), the line,
// parabola, logarithmic and exponential laws are written about a short
// decimal m near the middle of the data instead: "2.5 + 15.92*(x -
// 1000000000.4)", "1 + 2*(x - 1000002) - 0.5*(x - 1000002)^2",
// "3.5*exp(0.05*(x - 86402))", "1 + 2*(ln(x) - 20.72)"; then a is the
// value at m.  m reads back as exactly the number the coefficients were
// worked out for.  The power law and the line through the origin keep the
// plain form.
std::string FitFunctionText(TFitModel model, const TFitResult& fit, int digits);

} // namespace analysis
