// The plot view's analysis: the search of notable points on a worker, its
// progress and stop, the marks and labels of the points found, the area
// command and its shaded region.
#include "plot/PlotView.h"

#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "plot/CurveColours.h"
#include "plot/LabelLayout.h"
#include "plot/NotablePointsDialog.h"
#include "plot/PlotWorker.h"
#include "analysis/PointKinds.h"

#include <QPainter>
#include <QPolygon>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>
#include <cmath>

namespace {

const QColor kIntersectionColour(64, 64, 64);

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

bool TPlotView::Analysing() const
{
    return FAnalysis != nullptr && FAnalysis->Busy();
}

void TPlotView::StartAnalysis(bool showList)
{
    // Samplers made here, on the parser's thread, and kept with their
    // expressions until the worker is done; the worker runs copies.
    const bool degrees = AngleUnitIsDegrees();
    struct TKept {
        analysis::TFunctionList Functions;
        std::vector<analysis::TSlopes> Slopes;
        std::vector<TSampler> Samplers;
        analysis::TAnalysisControl Control; // its slope samplers
    };
    auto keep = std::make_shared<TKept>();
    keep->Functions = FFunctions;
    keep->Slopes = SlopesOfFunctions();
    for (const analysis::TFunction& function : FFunctions) keep->Samplers.push_back(function->Sampler("x", degrees));
    analysis::SlopeSamplers(keep->Slopes, degrees, keep->Control);
    const std::vector<TSampler> copies = keep->Samplers;
    const auto firstSlopes = keep->Control.FirstSlopes;
    const auto secondSlopes = keep->Control.SecondSlopes;
    const int range = PlotRange;
    ShowSearching(*this, true);
    FAnalysis->Start(
        [this, copies, firstSlopes, secondSlopes, range,
         showList](const std::atomic<bool>& stop, const std::function<void(int)>& progress) {
            analysis::TAnalysisControl control;
            control.FirstSlopes = decltype(control.FirstSlopes)(firstSlopes); // copies: not assignable
            control.SecondSlopes = decltype(control.SecondSlopes)(secondSlopes);
            control.Stop = &stop;
            control.Progress = progress;
            analysis::TNotablePoints points = analysis::FindNotablePoints(copies, range, control);
            return std::function<void()>(
                [this, points = std::move(points), showList, range] { AnalysisFound(points, showList, range); });
        },
        keep);
}

void TPlotView::AnalysisFound(const analysis::TNotablePoints& points, bool showList, int range)
{
    ShowSearching(*this, false);
    FNotable = points;
    FAnalysed = true;
    RepaintPicture();
    if (AreaWindow) AreaWindow->SetPoints(FNotable);
    if (!showList) return;
    if (!NotableList) NotableList = new TNotablePointsDialog(this);
    NotableList->Show(FNotable, FTexts, range);
}

void TPlotView::StopAnalysis()
{
    if (!Analysing()) return;
    FAnalysis->Stop();
    ShowSearching(*this, false);
}

void TPlotView::ForgetAnalysis()
{
    if (FAnalysis != nullptr) FAnalysis->Stop(); // its result is for other functions
    ShowSearching(*this, false);
    FNotable = {};
    FAnalysed = false;
    FShade.reset();
    if (NotableList) NotableList->close();
    if (AreaWindow) AreaWindow->SetFunctions(FFunctions, FTexts, AngleUnitIsDegrees());
}

void TPlotView::Area1Click()
{
    if (FFunctions.empty() || FParser == nullptr) return;
    if (!AreaWindow) {
        AreaWindow = new TAreaDialog(this);
        connect(AreaWindow, &TAreaDialog::Shade, this, [this](const TAreaDialog::TShade& shade) {
            FShade = shade;
            SchedulePicture();
        });
        AreaWindow->SetFunctions(FFunctions, FTexts, AngleUnitIsDegrees());
        AreaWindow->SetPoints(FNotable);
    }
    // The zeros and intersections it offers as ends come from the notable points.
    if (!FAnalysed && !Analysing()) StartAnalysis(false);
    AreaWindow->show();
    AreaWindow->raise();
    AreaWindow->activateWindow();
}

// The region of the last area: between the curve and the x axis, or
// between the two curves, a pixel column at a time, in the first
// function's colour, light.
void TPlotView::DrawShade(QPainter& painter, const plot::TFrame& f) const
{
    if (!FShade || f.Ux == 0 || FShade->F >= static_cast<int>(FFunctions.size()) ||
        FShade->G >= static_cast<int>(FFunctions.size()))
        return;
    const bool degrees = AngleUnitIsDegrees();
    TSampler first = FFunctions[static_cast<std::size_t>(FShade->F)]->Sampler("x", degrees);
    std::optional<TSampler> second;
    if (FShade->G >= 0) second.emplace(FFunctions[static_cast<std::size_t>(FShade->G)]->Sampler("x", degrees));
    QColor colour = CurveColour(FShade->F);
    colour.setAlpha(64);
    const long double left = std::ceil(FShade->A * f.Ux + f.Cx), right = std::floor(FShade->B * f.Ux + f.Cx);
    const int from = static_cast<int>(std::max<long double>(0, left));
    const int to = static_cast<int>(std::min<long double>(f.W - 1, right));
    const auto pixelY = [&](long double y) {
        return static_cast<int>(std::clamp<long double>(f.Cy - y * f.Uy, -1, f.H));
    };
    for (int px = from; px <= to; ++px) {
        const long double x = static_cast<long double>(px - f.Cx) / f.Ux;
        long double y1, y2 = 0;
        if (!first.Evaluate(x, y1) || (second && !second->Evaluate(x, y2))) continue;
        const int a = pixelY(y1), b = pixelY(y2);
        painter.fillRect(QRect(px, std::min(a, b), 1, std::abs(a - b) + 1), colour);
    }
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
    for (const analysis::TNotablePoint& p : FNotable.Points) {
        const analysis::TPointKindInfo& kind = analysis::PointKindInfo(p.Kind);
        const QColor colour = p.Kind == analysis::TPointKind::Intersection ? kIntersectionColour : CurveColour(p.Function);
        const long double px = p.X * f.Ux + f.Cx;
        if (kind.Shape == analysis::TMarkShape::VerticalLine) {
            if (!(px >= 0 && px < f.W)) continue;
            painter.setPen(QPen(colour, 1, Qt::DashLine));
            painter.drawLine(static_cast<int>(px), 0, static_cast<int>(px), f.H);
            const QPoint at(static_cast<int>(px), 4);
            labels.push_back({at, colour, "x = " + QString::fromStdString(FormatGeneral(p.X, 6))});
            continue;
        }
        const long double py = f.Cy - p.Y * f.Uy;
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
