#include "plot/PlotGeometry.h"

#include "engine/MathParser.h"
#include "analysis/CurveSampling.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace plot {

TFrame MakeFrame(int width, int height, int range)
{
    TFrame f;
    f.W = std::max(0, width);
    f.H = std::max(0, height);
    f.S = std::clamp(range, kMinRange, kMaxRange);
    f.Cx = f.W / 2;
    f.Cy = f.H / 2;
    f.Ux = static_cast<long double>(f.Cx) / f.S;
    f.Uy = static_cast<long double>(f.Cy) / f.S;
    return f;
}

namespace {

// The steps 1, 2, 5, 10, 20, 50, ... up to 2E9 (and 5E9 past the largest range).
std::vector<long double> Steps()
{
    std::vector<long double> steps;
    for (long double p = 1; p <= 1E9L; p *= 10)
        for (int d : {1, 2, 5}) steps.push_back(d * p);
    return steps;
}

} // namespace

int WiderRange(int range)
{
    for (long double s : Steps())
        if (s > range && s <= kMaxRange) return static_cast<int>(s);
    return std::max(range, kMinRange);
}

int NarrowerRange(int range)
{
    int below = kMinRange;
    for (long double s : Steps())
        if (s < range) below = static_cast<int>(std::min<long double>(s, kMaxRange));
    return below;
}

std::vector<long double> TickValues(const TFrame& frame, bool horizontal, const std::function<int(long double)>& width,
                                    int height, int gap)
{
    const long double unit = horizontal ? frame.Ux : frame.Uy;
    if (!(unit > 0)) return {};
    for (long double step : Steps()) {
        if (step > frame.S && step > 1) break;
        // Closer than a few pixels nothing fits; that saves measuring.
        if (step * unit < 4) continue;
        std::vector<long double> values;
        const long double last = std::floor(frame.S / step) * step;
        for (long double v = -last; v <= last; v += step)
            if (v != 0) values.push_back(v);
        // Each label where it is drawn: centred on its value, pushed inside
        // the picture at its edges.
        const int extent = horizontal ? frame.W : frame.H;
        auto start = [&](long double v, int size) {
            const long double centre = horizontal ? frame.PixelX(v) : frame.PixelY(v);
            return std::clamp<long double>(std::floor(centre) - size / 2, 0, std::max(0, extent - size));
        };
        auto apart = [&](std::size_t i) {
            if (horizontal) {
                const int a = width(values[i]), b = width(values[i + 1]);
                return start(values[i + 1], b) >= start(values[i], a) + a + gap;
            }
            // Upwards: the larger value stands higher.
            return start(values[i], height) >= start(values[i + 1], height) + height + 1;
        };
        // The labels at the ends, pushed inside, may meet their neighbours:
        // those two go (both, the picture stays symmetric).
        if (values.size() >= 4 && (!apart(0) || !apart(values.size() - 2))) {
            values.erase(values.begin());
            values.pop_back();
        }
        bool fits = true;
        for (std::size_t i = 0; fits && i + 1 < values.size(); ++i) fits = apart(i);
        if (fits) return values;
    }
    return {};
}

std::string TickText(long double value)
{
    return std::to_string(static_cast<long long>(value));
}

TSampleGrid SampleGrid(const TFrame& frame)
{
    TSampleGrid grid;
    if (!(frame.Ux > 0)) {
        grid.First = 1; // none
        return grid;
    }
    // The smallest step of hundredths 1, 2, 5, 10, ... with at most 8 samples a column.
    for (long double step : Steps()) {
        grid.Hundredths = static_cast<int64_t>(step);
        if (100 / (step * frame.Ux) <= 8) break;
    }
    const long double per = static_cast<long double>(grid.Hundredths) / 100;
    grid.First = static_cast<int64_t>(std::floor(frame.PlaneX(0) / per)) - 1;
    grid.Last = static_cast<int64_t>(std::ceil(frame.PlaneX(frame.W) / per)) + 1;
    return grid;
}

// ---------------------------------------------------------------------------
// Curve tracing

namespace {

// Segments are clipped to the area widened by this margin on every side.
constexpr int64_t kMargin = 1024;

// Clips the segment to the box (Liang-Barsky); false when nothing is left.
bool Clip(long double& x0, long double& y0, long double& x1, long double& y1, long double left, long double top,
          long double right, long double bottom)
{
    long double t0 = 0, t1 = 1;
    const long double dx = x1 - x0, dy = y1 - y0;
    const long double p[4] = {-dx, dx, -dy, dy};
    const long double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0) return false;
            continue;
        }
        const long double t = q[k] / p[k];
        if (p[k] < 0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    const long double ax = x0 + t0 * dx, ay = y0 + t0 * dy;
    x1 = x0 + t1 * dx;
    y1 = y0 + t1 * dy;
    x0 = ax;
    y0 = ay;
    return true;
}

} // namespace

TCurveTracer::TCurveTracer(int width, int height, std::function<void(const TSegment&)> draw, bool mergeColumns)
    : FWidth(width), FHeight(height), FDraw(std::move(draw)), FMerge(mergeColumns)
{
}

void TCurveTracer::Emit(int64_t x0, int64_t y0, int64_t x1, int64_t y1)
{
    // Entirely beyond one edge: no pixel of it is visible.
    if (std::max(x0, x1) < 0 || std::min(x0, x1) >= FWidth || std::max(y0, y1) < 0 || std::min(y0, y1) >= FHeight)
        return;
    const int64_t left = -kMargin, top = -kMargin, right = FWidth + kMargin, bottom = FHeight + kMargin;
    auto inside = [&](int64_t x, int64_t y) { return x >= left && x <= right && y >= top && y <= bottom; };
    if (inside(x0, y0) && inside(x1, y1)) {
        FDraw({static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1)});
        return;
    }
    long double ax = static_cast<long double>(x0), ay = static_cast<long double>(y0);
    long double bx = static_cast<long double>(x1), by = static_cast<long double>(y1);
    if (!Clip(ax, ay, bx, by, left, top, right, bottom)) return;
    FDraw({static_cast<int>(std::lround(ax)), static_cast<int>(std::lround(ay)), static_cast<int>(std::lround(bx)),
           static_cast<int>(std::lround(by))});
}

void TCurveTracer::FlushColumn()
{
    if (FMerge && FColumnPoints >= 2) Emit(FLastX, FColumnMin, FLastX, FColumnMax);
    FColumnPoints = 0;
}

void TCurveTracer::AddPoint(int64_t px, int64_t py)
{
    if (FInStroke && JumpsAcross(FLastY, py, FHeight)) Break();
    if (FInStroke && px == FLastX) {
        // One more point in the same column.
        if (!FMerge) Emit(FLastX, FLastY, px, py);
        FColumnMin = std::min(FColumnMin, py);
        FColumnMax = std::max(FColumnMax, py);
        ++FColumnPoints;
    } else {
        FlushColumn();
        if (FInStroke) Emit(FLastX, FLastY, px, py);
        FColumnMin = FColumnMax = py;
        FColumnPoints = 1;
    }
    FInStroke = true;
    FLastX = px;
    FLastY = py;
}

void TCurveTracer::Break()
{
    FlushColumn();
    FInStroke = false;
}

int64_t TraceCurve(const TSampler& sampler, const TFrame& frame, TCurveTracer& tracer, const std::atomic<bool>* stop)
{
    const TSampleGrid grid = SampleGrid(frame);
    if (grid.Count() <= 0) return 0;
    const long double cx = frame.Cx, cy = frame.Cy, ux = frame.Ux, uy = frame.Uy;
    constexpr long double kLimit = 0x1p63L; // beyond the 64-bit integers
    analysis::TSampleRun run;
    run.First = grid.First;
    run.Last = grid.Last;
    run.Hundredths = grid.Hundredths;
    run.Threads = analysis::ThreadsFor(grid.Count());
    run.Stop = stop;
    analysis::SampleCurve(sampler, run, [&](const long double* xs, const long double* ys, const bool* ok, std::size_t n) {
        for (std::size_t k = 0; k < n; ++k) {
            if (!ok[k]) {
                tracer.Break();
                continue;
            }
            const long double py = cy - ys[k] * uy;
            const long double px = xs[k] * ux + cx;
            if (!(std::fabs(py) < kLimit) || !(std::fabs(px) < kLimit)) {
                tracer.Break();
                continue;
            }
            tracer.Point(static_cast<int64_t>(px), static_cast<int64_t>(py));
        }
    });
    tracer.Break();
    return grid.Count();
}

// ---------------------------------------------------------------------------
// Read-out and marks

std::optional<TReadOut> ReadOut(const TFrame& frame, int x, int y)
{
    if (frame.Cx == 0 || frame.Cy == 0) return std::nullopt;
    return TReadOut{static_cast<double>(frame.PlaneX(x)), static_cast<double>(frame.PlaneY(y))};
}

std::string MarkNumber(double value, const std::string& groupSeparator)
{
    // Hundredths, from the value rounded to ten-thousandths, half away from zero.
    const long double tenThousandths = std::round(static_cast<long double>(value) * 10000);
    const long double hundredths = std::round(tenThousandths / 100);
    const bool negative = hundredths < 0;
    const long double magnitude = std::fabs(hundredths);
    std::string whole;
    long double units = std::floor(magnitude / 100);
    const int fraction = static_cast<int>(magnitude - units * 100);
    const std::string separator = groupSeparator == "." ? "\u00A0" : groupSeparator;
    int digits = 0;
    do {
        const int digit = static_cast<int>(std::fmod(units, 10.0L));
        if (digits > 0 && digits % 3 == 0) whole.insert(0, separator);
        whole.insert(whole.begin(), static_cast<char>('0' + digit));
        units = std::floor(units / 10);
        ++digits;
    } while (units > 0);
    std::string text = negative ? "-" : "";
    text += whole;
    text += '.';
    text += static_cast<char>('0' + fraction / 10);
    text += static_cast<char>('0' + fraction % 10);
    return text;
}

} // namespace plot
