// The plot view's picture and analysis: the curves as the model sampled
// them, the derivatives dashed, the shaded area; the search of notable
// points on the model's thread, its progress and stop, the marks and labels
// of the points found, the area command.
#include "plot/PlotView.h"

#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "plot/CurveColours.h"
#include "plot/LabelLayout.h"
#include "plot/NotablePointsDialog.h"
#include "plot/AreaDialog.h"
#include "analysis/PointKinds.h"

#include <QPainter>
#include <QTransform>
#include <QPolygon>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>
#include <cmath>

namespace {

const QColor kIntersectionColour(64, 64, 64);
// The dashes of a derivative's curve: 6 pixels drawn, 4 left out.
constexpr qreal kDash = 6, kDashPeriod = 10;

// Draws the segments of a curve dashed; the dashes run on along the curve
// from one segment to the next.
class TDasher {
public:
    explicit TDasher(QPainter& painter) : FPainter(painter) {}
    void Segment(const plot::TSegment& s)
    {
        const QPointF a(s.X0, s.Y0), b(s.X1, s.Y1);
        const qreal length = std::hypot(b.x() - a.x(), b.y() - a.y());
        if (length == 0) {
            if (std::fmod(FRun, kDashPeriod) < kDash) FPainter.drawPoint(a);
            return;
        }
        const int pieces = static_cast<int>(std::ceil(length / 2));
        for (int k = 0; k < pieces; ++k) {
            const qreal t0 = qreal(k) / pieces, t1 = qreal(k + 1) / pieces;
            if (std::fmod(FRun + (t0 + t1) / 2 * length, kDashPeriod) < kDash)
                FPainter.drawLine(a + (b - a) * t0, a + (b - a) * t1);
        }
        FRun = std::fmod(FRun + length, kDashPeriod);
    }

private:
    QPainter& FPainter;
    qreal FRun = 0;
};

plot::TBox ToBox(const QRect& r)
{
    return {r.left(), r.top(), r.width(), r.height()};
}

// The mark of a point of shape `shape` at `at`, in `colour`.
void DrawMark(QPainter& painter, analysis::TMarkShape shape, QPoint at, const QColor& colour)
{
    const int x = at.x(), y = at.y();
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(colour);
    switch (shape) {
    case analysis::TMarkShape::Dot:
        painter.drawEllipse(QRect(x - 3, y - 3, 7, 7));
        break;
    case analysis::TMarkShape::TriangleUp:
        painter.drawPolygon(QPolygon({QPoint(x, y - 4), QPoint(x + 4, y + 3), QPoint(x - 4, y + 3)}));
        break;
    case analysis::TMarkShape::TriangleDown:
        painter.drawPolygon(QPolygon({QPoint(x, y + 4), QPoint(x + 4, y - 3), QPoint(x - 4, y - 3)}));
        break;
    case analysis::TMarkShape::Diamond:
        painter.drawPolygon(QPolygon({QPoint(x, y - 4), QPoint(x + 4, y), QPoint(x, y + 4), QPoint(x - 4, y)}));
        break;
    case analysis::TMarkShape::Square:
        painter.setPen(QPen(colour, 2));
        painter.setBrush(Qt::white);
        painter.drawRect(QRect(x - 3, y - 3, 6, 6));
        break;
    case analysis::TMarkShape::VerticalLine:
        break;
    }
    painter.setBrush(Qt::NoBrush);
}

// The progress bar and "Detener" while the search runs; Esc stops it then
// and is left to others otherwise.
void ShowSearching(TPlotView& view, bool on)
{
    view.ProgressBar1->setVisible(on);
    if (on) view.ProgressBar1->setValue(0);
    view.ButtonStop->setVisible(on);
    if (auto* escape = view.findChild<QShortcut*>("AtajoDetener")) escape->setEnabled(on);
}

} // namespace

// The curves of `picture`, mapped from the frame it was sampled for: the
// shaded area first, then each function in its colour and, when asked,
// its derivative dashed.
void TPlotView::DrawPicture(QPainter& painter, const plot::TFrame& f, const plot::TPicture& picture) const
{
    const plot::TFrame& p = picture.Frame;
    if (!(p.Ux > 0 && p.Uy > 0)) return;
    painter.save();
    const bool scaled = !(p == f);
    // One pixel wide whatever the scale of a picture sampled for another frame.
    const qreal width = scaled ? 0 : 1;
    if (scaled) {
        const qreal sx = static_cast<qreal>(f.Ux / p.Ux), sy = static_cast<qreal>(f.Uy / p.Uy);
        painter.setTransform(QTransform(sx, 0, 0, sy, f.Cx - sx * p.Cx, f.Cy - sy * p.Cy), true);
    }
    if (picture.ShadeFunction >= 0) {
        QColor colour = CurveColour(picture.ShadeFunction);
        colour.setAlpha(64);
        for (const plot::TPicture::TColumn& c : picture.Shade)
            painter.fillRect(QRect(c.X, c.Top, 1, c.Bottom - c.Top + 1), colour);
    }
    for (std::size_t i = 0; i < picture.Curves.size(); ++i) {
        painter.setPen(QPen(CurveColour(static_cast<int>(i)), width));
        for (const plot::TSegment& s : picture.Curves[i]) painter.drawLine(s.X0, s.Y0, s.X1, s.Y1);
    }
    for (std::size_t i = 0; i < picture.Slopes.size(); ++i) {
        painter.setPen(QPen(CurveColour(static_cast<int>(i)), width));
        TDasher dasher(painter);
        for (const plot::TSegment& s : picture.Slopes[i]) dasher.Segment(s);
    }
    painter.restore();
}

void TPlotView::StartAnalysis(bool showList)
{
    ShowSearching(*this, true);
    Model->FindNotablePoints(PlotRange, showList);
}

void TPlotView::AnalysisFound(bool showList, int range)
{
    ShowSearching(*this, false);
    // Marked on the picture when asked for ("Puntos notables"), not when
    // found for the area's ends.
    if (showList) FShowPoints = true;
    RepaintPicture();
    if (AreaWindow) AreaWindow->SetPoints(Model->NotablePoints());
    if (!showList) return;
    if (!NotableList) NotableList = new TNotablePointsDialog(this);
    NotableList->Show(Model->NotablePoints(), FTexts, range, &Model->Functions());
}

void TPlotView::StopAnalysis()
{
    if (!Analysing()) return;
    Model->StopSearch();
    ShowSearching(*this, false);
}

void TPlotView::ForgetAnalysis()
{
    FShowPoints = false;
    Model->ForgetAnalysis(); // its result is for other functions
    ShowSearching(*this, false);
    if (NotableList) NotableList->close();
    if (AreaWindow) AreaWindow->SetFunctions(Model, FTexts);
}

void TPlotView::Area1Click()
{
    if (Model->Functions().empty()) return;
    if (!AreaWindow) {
        AreaWindow = new TAreaDialog(Model, this);
        AreaWindow->SetFunctions(Model, FTexts);
        AreaWindow->SetPoints(Model->NotablePoints());
    }
    // The zeros and intersections it offers as ends come from the notable points.
    if (!Model->Analysed() && !Analysing()) StartAnalysis(false);
    AreaWindow->show();
    AreaWindow->raise();
    AreaWindow->activateWindow();
}

// The notable points, each with the mark of its kind in its function's
// colour (intersections in dark grey), the asymptotes as dashed lines; the
// coordinates beside them where they cover no mark, no axis number, no
// legend and no other coordinates (plot/LabelLayout.h).
void TPlotView::DrawNotablePoints(QPainter& painter, const plot::TFrame& f, const std::vector<QRect>& axisLabels) const
{
    const QFontMetrics metrics(pbfunction->font());
    std::vector<plot::TBox> obstacles;
    for (const QRect& r : axisLabels) obstacles.push_back(ToBox(r));
    const QRect legend = LegendBox(f, nullptr);
    if (!legend.isNull()) obstacles.push_back(ToBox(legend));
    struct TShown {
        QPoint At;
        QColor Colour;
        QString Text;
    };
    std::vector<TShown> labels;
    const auto sameLabel = [&](QPoint at) {
        return std::any_of(labels.begin(), labels.end(),
                           [&](const TShown& l) { return (l.At - at).manhattanLength() <= 3; });
    };
    for (const analysis::TNotablePoint& p : Model->NotablePoints().Points) {
        const analysis::TPointKindInfo& kind = analysis::PointKindInfo(p.Kind);
        const QColor colour = p.Kind == analysis::TPointKind::Intersection ? kIntersectionColour : CurveColour(p.Function);
        const long double px = f.PixelX(p.X);
        if (kind.Shape == analysis::TMarkShape::VerticalLine) {
            if (!(px >= 0 && px < f.W)) continue;
            painter.setPen(QPen(colour, 1, Qt::DashLine));
            painter.drawLine(static_cast<int>(px), 0, static_cast<int>(px), f.H);
            const QPoint at(static_cast<int>(px), 4);
            labels.push_back({at, colour, "x = " + QString::fromStdString(FormatGeneral(p.X, 6))});
            continue;
        }
        const long double py = f.PixelY(p.Y);
        if (!(px > -8 && px < f.W + 8 && py > -8 && py < f.H + 8)) continue;
        const QPoint at(static_cast<int>(px), static_cast<int>(py));
        DrawMark(painter, kind.Shape, at, colour);
        obstacles.push_back({at.x() - 4, at.y() - 4, 9, 9});
        if (sameLabel(at)) continue; // one label for the points at one place
        labels.push_back({at, colour,
                          QString("(%1, %2)").arg(QString::fromStdString(FormatGeneral(p.X, 6)),
                                                  QString::fromStdString(FormatGeneral(p.Y, 6)))});
    }
    std::vector<plot::TLabelRequest> requests;
    for (const TShown& l : labels)
        requests.push_back({l.At.x(), l.At.y(), metrics.horizontalAdvance(l.Text) + 2, metrics.height()});
    const std::vector<std::optional<plot::TBox>> placed = plot::LayOutLabels(f.W, f.H, requests, obstacles);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (!placed[i]) continue; // the mark alone; the list has its coordinates
        const QRect r(placed[i]->Left, placed[i]->Top, placed[i]->Width, placed[i]->Height);
        painter.fillRect(r, Qt::white);
        painter.setPen(labels[i].Colour);
        painter.drawText(r.left() + 1, r.top() + metrics.ascent(), labels[i].Text);
    }
}
