// Searches along x shared by the notable points, their features and the
// area: halving a sign change or the edge of a domain down to adjacent
// values of x, and climbing to the top of a function by golden section.
#pragma once

#include <functional>

namespace analysis {

// f(x): false where f has no value.
using TFunctionOfX = std::function<bool(long double x, long double& y)>;

// |f| must shrink at least this much from a sign change's samples to the
// adjacent values around a zero; a pole grows, a jump stays.
constexpr long double kShrink = 0x1p-10L;
constexpr long double kGolden = 0.381966011250105151795L; // 2 - the golden ratio

// Adjacent values of x around `x`, not finer than the grid allows near 0.
long double Resolution(long double x, long double step);

// How the halving of a sign change ended.
enum class TSignChangeEnd {
    Zero,  // f is 0 at X, or |f| shrank at least 2^-10 from the samples to X
    Fails, // f has no value at X
    Jump,  // |f| did not shrink: a pole or a jump between A and B
};
struct TSignChange {
    TSignChangeEnd End = TSignChangeEnd::Jump;
    long double X = 0; // the point found
};

// Halves the sign change [a, b] (fa and fb of opposite signs, either order)
// down to two adjacent values of x; X is then the one of smaller |f|.
TSignChange HalveSignChange(const TFunctionOfX& f, long double a, long double fa, long double b, long double fb);

// Halves [in, out] (f defined at `in`, not at `out`) until they are adjacent
// or within Resolution(out, step).
void HalveToEdge(const TFunctionOfX& f, long double& in, long double& out, long double step);

// Golden section towards the top of g from a < m < b, g(m) = gm not below g
// at either end, for at most 400 steps and while b - a is above
// fineness * max(|m|, step); m and gm end at the top found, and `each`, if
// given, sees gm after each step. False when g fails at a point tried, which
// is then m.
bool ClimbToTop(const TFunctionOfX& g, long double a, long double& m, long double b, long double& gm,
                long double fineness, long double step, const std::function<void(long double gm)>& each = {});

} // namespace analysis
