// The geometry of the function plot, free of any toolkit: the origin and
// the whole-pixel unit steps of a paint area, the labelled values of the
// axes, the curve's samples turned into line segments, the pointer read-out
// and the text of a coordinate mark.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TExpression;

namespace plot {

// The plot's range ("PlotRange"): units from the centre to the edges.
constexpr int kMinRange = 1;
constexpr int kMaxRange = 2147483647;

struct TFrame {
    int W = 0, H = 0;   // the paint area in pixels
    int Cx = 0, Cy = 0; // the origin: W div 2, H div 2
    int Ux = 0, Uy = 0; // pixels per unit: Cx div S, Cy div S
    int S = 1;
};
TFrame MakeFrame(int width, int height, int range);

// The integers from -S to S, 0 left out, that carry a label: all of them
// while S < 10, otherwise the multiples of S div 10.
std::vector<int> LabelledValues(int range);

// A line segment in pixels, both ends drawn.
struct TSegment {
    int X0, Y0, X1, Y1;
    bool operator==(const TSegment& o) const { return X0 == o.X0 && Y0 == o.Y0 && X1 == o.X1 && Y1 == o.Y1; }
};

// The stroke rule of every curve: two consecutive samples are not joined
// when one lies above the top of a paint area `height` pixels high and the
// other below its bottom, a jump across the whole picture (the branches of
// tan x at an asymptote).  Any other pair of consecutive samples is joined.
inline bool JumpsAcross(int64_t y0, int64_t y1, int height)
{
    return (y0 < 0 && y1 >= height) || (y1 < 0 && y0 >= height);
}

// Turns the curve's points into line segments to draw.  Points within a
// stroke are joined; Break() ends a stroke, so that the next point starts
// a new one, and so does a point that jumps across the picture from the
// last one (JumpsAcross).  Consecutive points in one pixel column are drawn as one
// vertical segment (the same pixels as the segments between them), and
// segments far outside the area are clipped to it or left out, so that
// coordinates of any size reach the paint device as small numbers.
class TCurveTracer {
public:
    TCurveTracer(int width, int height, std::function<void(const TSegment&)> draw, bool mergeColumns = true);
    void Point(int64_t px, int64_t py)
    {
        // Most points of a curve fall in the column of the one before.
        if (FInStroke && FMerge && px == FLastX && !JumpsAcross(FLastY, py, FHeight)) {
            FColumnMin = std::min(FColumnMin, py);
            FColumnMax = std::max(FColumnMax, py);
            ++FColumnPoints;
            FLastY = py;
            return;
        }
        AddPoint(px, py);
    }
    void Break();
    ~TCurveTracer() { Break(); }

private:
    void AddPoint(int64_t px, int64_t py);
    void Emit(int64_t x0, int64_t y0, int64_t x1, int64_t y1);
    void FlushColumn();
    int FWidth, FHeight;
    std::function<void(const TSegment&)> FDraw;
    bool FMerge;
    bool FInStroke = false;
    int64_t FLastX = 0, FLastY = 0;
    // The run of points in the last point's column.
    int FColumnPoints = 0;
    int64_t FColumnMin = 0, FColumnMax = 0;
};

// Samples the curve of `function` (an expression in "x") over the
// frame: x = i / 100 for i from -200 S to 200 S, through the batch
// evaluator in chunks, each successful sample mapped to
// px = trunc(x Ux + Cx), py = trunc(Cy - y Uy) in extended precision.  A
// failed sample, or a coordinate beyond the 64-bit range, breaks the curve.
// Returns the number of samples.
int64_t TraceCurve(const TExpression& function, const TFrame& frame, TCurveTracer& tracer);

// The pointer read-out: x = S X / Cx - S and y = S - S Y / Cy as doubles;
// none when the area is too small to have an origin away from its edge.
struct TReadOut {
    double X, Y;
};
std::optional<TReadOut> ReadOut(const TFrame& frame, int x, int y);

// A value of a coordinate mark: rounded to four decimals, then written with
// exactly two, digits grouped by thousands with `groupSeparator` ("." when
// the separator would be the decimal point too is replaced by a no-break
// space), "-" before negatives.
std::string MarkNumber(double value, const std::string& groupSeparator);

} // namespace plot
