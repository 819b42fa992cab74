// Measured points on the plot: a mark for each pixel that holds points, and
// their error bars, so that a hundred thousand points paint as fast as the
// pixels they cover.
#include "plot/PlotView.h"

#include <QLine>
#include <QPainter>
#include <QRect>
#include <QVector>
#include <algorithm>
#include <cmath>

namespace {
const QColor kPointColour(200, 90, 0);
constexpr int kMark = 3; // half the side of a point's mark, in pixels
constexpr std::size_t kCappedPoints = 2000;
} // namespace

void TPlotView::SetPoints(TPoints points)
{
    const std::size_t n = std::min(points.X.size(), points.Y.size());
    points.X.resize(n);
    points.Y.resize(n);
    if (points.Sigma.size() != n) points.Sigma.clear();
    FPoints = std::move(points);
    pbfunction->update();
}

void TPlotView::FitToPoints()
{
    long double largest = 0;
    for (std::size_t i = 0; i < FPoints.X.size(); ++i) {
        const long double bar = FPoints.Sigma.empty() ? 0 : std::fabs(FPoints.Sigma[i]);
        for (const long double v : {FPoints.X[i], FPoints.Y[i] + bar, FPoints.Y[i] - bar})
            if (std::isfinite(v)) largest = std::max(largest, std::fabs(v));
    }
    if (FPoints.X.empty()) return;
    // A tenth more than the farthest point, in whole units.
    SetRange(static_cast<int>(std::clamp<long double>(std::ceil(largest * 1.1L), 1, 1e9L)));
}

void TPlotView::DrawPoints(QPainter& painter, const plot::TFrame& f) const
{
    if (FPoints.X.empty() || f.W <= 0 || f.H <= 0) return;
    const bool bars = !FPoints.Sigma.empty();
    // Caps at the ends of the bars only while they can be told apart.
    const bool caps = bars && FPoints.X.size() <= kCappedPoints;
    std::vector<bool> taken(static_cast<std::size_t>(f.W) * static_cast<std::size_t>(f.H), false);
    QVector<QRect> marks;
    QVector<QLine> ends;
    struct TBar {
        int X, Top, Bottom;
    };
    std::vector<TBar> spans;
    for (std::size_t i = 0; i < FPoints.X.size(); ++i) {
        const long double px = f.PixelX(FPoints.X[i]), py = f.PixelY(FPoints.Y[i]);
        if (!std::isfinite(px) || !std::isfinite(py) || px < 0 || px >= f.W) continue;
        const int x = static_cast<int>(px);
        if (bars) {
            const long double s = std::fabs(FPoints.Sigma[i]) * f.Uy;
            if (std::isfinite(s) && s >= 1 && py + s >= 0 && py - s < f.H) {
                const int top = static_cast<int>(std::max<long double>(py - s, -1));
                const int bottom = static_cast<int>(std::min<long double>(py + s, f.H));
                spans.push_back({x, top, bottom});
                if (caps) ends << QLine(x - kMark, top, x + kMark, top) << QLine(x - kMark, bottom, x + kMark, bottom);
            }
        }
        if (py < 0 || py >= f.H) continue;
        const int y = static_cast<int>(py);
        const std::size_t cell = static_cast<std::size_t>(y) * static_cast<std::size_t>(f.W) + static_cast<std::size_t>(x);
        if (taken[cell]) continue;
        taken[cell] = true;
        marks << QRect(x - kMark + 1, y - kMark + 1, 2 * kMark - 2, 2 * kMark - 2);
    }
    // The bars of a column of pixels, merged where they overlap.
    std::sort(spans.begin(), spans.end(),
              [](const TBar& a, const TBar& b) { return a.X != b.X ? a.X < b.X : a.Top < b.Top; });
    QVector<QLine> lines;
    for (std::size_t k = 0; k < spans.size();) {
        TBar merged = spans[k];
        for (++k; k < spans.size() && spans[k].X == merged.X && spans[k].Top <= merged.Bottom + 1; ++k)
            merged.Bottom = std::max(merged.Bottom, spans[k].Bottom);
        lines << QLine(merged.X, merged.Top, merged.X, merged.Bottom);
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(kPointColour, 1));
    painter.drawLines(lines);
    painter.drawLines(ends);
    painter.setBrush(kPointColour);
    painter.drawRects(marks);
    painter.restore();
}
