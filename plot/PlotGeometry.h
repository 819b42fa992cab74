// The geometry of the function plot, free of any toolkit: the origin and
// the scale of a paint area, the labelled values of the axes, the range's
// steps, the samples of a curve turned into line segments, the pointer
// read-out and the text of a coordinate mark.
//
// One scale serves the drawing, the read-out and a click: x goes to pixel
// Cx + x Ux with Ux = Cx / S exactly (not a whole number of pixels), so
// the picture shows -S..S at any range and size.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TSampler;

namespace plot {

// The plot's range ("PlotRange"): units from the centre to the edges.  The
// range buttons, the wheel and the keys step through 1, 2, 5, 10, 20, 50, ...
constexpr int kMinRange = 1;
constexpr int kMaxRange = 2000000000;
int WiderRange(int range);    // the next step above `range` (the largest stays)
int NarrowerRange(int range); // the next step below it (1 stays)

struct TFrame {
    int W = 0, H = 0;           // the paint area in pixels
    int Cx = 0, Cy = 0;         // the origin: W div 2, H div 2
    long double Ux = 0, Uy = 0; // pixels per unit: Cx / S, Cy / S
    int S = 1;
    // A point of the plane in pixels (not rounded), and back.
    long double PixelX(long double x) const { return Cx + x * Ux; }
    long double PixelY(long double y) const { return Cy - y * Uy; }
    long double PlaneX(long double px) const { return (px - Cx) * S / Cx; }
    long double PlaneY(long double py) const { return (Cy - py) * S / Cy; }
    bool operator==(const TFrame& o) const { return W == o.W && H == o.H && S == o.S; }
};
TFrame MakeFrame(int width, int height, int range);

// The labelled values of an axis: the multiples of the smallest step of 1,
// 2, 5, 10, 20, 50, ... whose labels do not overprint, from -S to S, 0
// left out.  Along the x axis each label is `width(value)` pixels wide and
// centred on its value, and neighbours keep `gap` pixels between them;
// along the y axis labels are `height` pixels high and stacked.  A label
// that would stand out of the picture is pushed inside; where the two at
// the ends then meet their neighbours, they are left out.
std::vector<long double> TickValues(const TFrame& frame, bool horizontal, const std::function<int(long double)>& width,
                                    int height, int gap = 4);
// A tick's label: the whole number, "-" before negatives.
std::string TickText(long double value);

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

// The samples of a curve in a frame: x = i Hundredths / 100 for i from
// First to Last, covering the picture and a step beyond each edge; every
// 0.01 while that gives at most 8 samples a pixel column, wider on a 1, 2,
// 5 progression beyond.
struct TSampleGrid {
    int64_t First = 0, Last = 0;
    int64_t Hundredths = 1;
    int64_t Count() const { return Last - First + 1; }
};
TSampleGrid SampleGrid(const TFrame& frame);

// Samples the curve of `sampler` (of an expression in "x") on the frame's
// grid, through the batch evaluator in chunks on several threads, each
// successful sample mapped to px = trunc(Cx + x Ux), py = trunc(Cy - y Uy)
// in extended precision.  A failed sample, a value that is no number (a
// derivative's mark) or a coordinate beyond the 64-bit range breaks the
// curve.  Once `stop` is raised it ends soon.  Returns the number of samples.
int64_t TraceCurve(const TSampler& sampler, const TFrame& frame, TCurveTracer& tracer,
                   const std::atomic<bool>* stop = nullptr);

// The pointer read-out, by the drawing's own scale: x = S X / Cx - S and
// y = S - S Y / Cy as doubles; none when the area is too small to have an
// origin away from its edge.
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
