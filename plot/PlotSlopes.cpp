// The plot's slopes: the command that draws each function's derivative
// dashed ("Derivada"), and the slope and tangent line at a point, from a
// click on a curve or an x typed in the strip under the picture, worked out
// on the model's thread.
#include "plot/PlotView.h"

#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "plot/TangentPanel.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>

#include <cmath>

namespace {

// A click this close to a curve (in pixels, up or down) is on it.
constexpr long double kNearCurve = 5;

QString Number(long double value, int digits)
{
    return QString::fromStdString(FormatGeneral(value, digits));
}

} // namespace

void TPlotView::BuildSlopeCommands()
{
    PopupMenu4->addSeparator();
    Derivada1 = PopupMenu4->addAction("Derivada");
    Derivada1->setObjectName("Derivada1");
    Derivada1->setCheckable(true);
    Derivada1->setToolTip("Dibuja la derivada f′(x) de cada función, a trazos y en su color");
    Tangente1 = PopupMenu4->addAction("Pendiente y tangente…");
    Tangente1->setObjectName("Tangente1");
    TangentPanel = new TTangentPanel(this);
    connect(Derivada1, &QAction::triggered, this, &TPlotView::Derivada1Click);
    connect(Tangente1, &QAction::triggered, this, &TPlotView::Tangente1Click);
    connect(TangentPanel, &TTangentPanel::Requested, this, &TPlotView::TangentRequested);
    connect(TangentPanel, &TTangentPanel::Closed, this, [this] {
        Model->ClearTangent();
        SchedulePicture();
        pbfunction->setFocus();
    });
}

void TPlotView::Derivada1Click()
{
    SchedulePicture();
}

void TPlotView::Tangente1Click()
{
    TangentPanel->SetFunctions(FTexts);
    TangentPanel->show();
    TangentPanel->EditTangente->setFocus();
    TangentPanel->EditTangente->selectAll();
}

// The strip open: its point and slope worked out again for the functions
// and values drawn now, or the strip closed when there is nothing to draw.
void TPlotView::RecomputeTangent()
{
    if (TangentPanel->isHidden()) return;
    if (Model->Functions().empty()) {
        Model->ClearTangent();
        TangentPanel->hide();
        return;
    }
    TangentRequested();
}

void TPlotView::TangentRequested()
{
    if (Model->Functions().empty()) return;
    long double x0 = 0;
    std::string problem;
    if (!Model->EvaluateConstant(TangentPanel->EditTangente->text().toStdString(), x0, problem)) {
        TangentPanel->LabelTangente->setText("x: " + QString::fromStdString(problem));
        return;
    }
    ShowTangent(std::min<int>(TangentPanel->Function(), static_cast<int>(Model->Functions().size()) - 1), x0);
}

// The point, the slope and the tangent of function `function` at x0, worked
// out on the model's thread and then shown in the strip and drawn.
void TPlotView::ShowTangent(int function, long double x0)
{
    TangentPanel->SetFunctions(FTexts);
    TangentPanel->SetFunction(function);
    TangentPanel->show();
    TangentPanel->LabelTangente->setText(QString("Calculando la pendiente en x = %1…").arg(Number(x0, ResultDigits())));
    if (TangentPanel->EditTangente->text().isEmpty() || !TangentPanel->EditTangente->hasFocus())
        TangentPanel->EditTangente->setText(Number(x0, 18));
    Model->RequestTangent(function, x0);
}

void TPlotView::TangentFound()
{
    const std::optional<plot::TTangentResult>& t = Model->Tangent();
    if (!t) return;
    const int digits = ResultDigits();
    const analysis::TSlopeAt& at = t->At;
    const long double x0 = t->X;
    QString shown;
    switch (at.Outcome) {
    case analysis::TSlopeOutcome::NoValue:
        shown = QString("La función no tiene valor en x = %1").arg(Number(x0, digits));
        break;
    case analysis::TSlopeOutcome::NoFormula:
        shown = QString("Sin derivada: %1").arg(QString::fromStdString(at.WhyNot));
        break;
    case analysis::TSlopeOutcome::NoSlope:
        shown = QString("En x = %1 la función no tiene derivada (un pico, un salto o una tangente vertical)")
                    .arg(Number(x0, digits));
        break;
    case analysis::TSlopeOutcome::Unknown:
        shown = QString("En x = %1 no se puede saber si la función tiene derivada").arg(Number(x0, digits));
        break;
    case analysis::TSlopeOutcome::Value: {
        const long double y0 = at.Value, m = at.Slope, b = y0 - m * x0;
        shown = QString("Punto: x = %1; y = %2   Pendiente f′(x) = %3   Tangente: %4")
                    .arg(Number(x0, digits), Number(y0, digits), Number(m, digits),
                         QString::fromStdString(analysis::TangentEquation(m, b, digits)));
        break;
    }
    }
    TangentPanel->LabelTangente->setText(shown);
    KeepMarksOnNextPaint();
    pbfunction->update();
}

// A click within a few pixels of a curve puts the tangent there.
bool TPlotView::TangentAtClick(int x, int y)
{
    const plot::TFrame f = Frame();
    const std::optional<plot::TReadOut> r = plot::ReadOut(f, x, y);
    const analysis::TFunctionList& functions = Model->Functions();
    if (!r || functions.empty() || !(f.Uy > 0)) return false;
    const bool degrees = AngleUnitIsDegrees();
    const long double at = f.PlaneX(x); // the drawing's own x for this column
    int nearest = -1;
    long double best = kNearCurve;
    for (std::size_t i = 0; i < functions.size(); ++i) {
        long double v;
        if (!functions[i]->Sampler("x", degrees).Evaluate(at, v)) continue;
        const long double distance = std::fabs(f.PixelY(v) - y);
        if (distance <= best) {
            best = distance;
            nearest = static_cast<int>(i);
        }
    }
    if (nearest < 0) return false;
    TangentPanel->EditTangente->clear();
    ShowTangent(nearest, at);
    return true;
}

// The tangent line with its point, once worked out.
void TPlotView::DrawTangent(QPainter& painter, const plot::TFrame& f) const
{
    const std::optional<plot::TTangentResult>& t = Model->Tangent();
    if (!t || t->At.Outcome != analysis::TSlopeOutcome::Value || t->Function >= static_cast<int>(FTexts.size())) return;
    const long double x0 = t->X, y0 = t->At.Value, m = t->At.Slope;
    // The line across the picture, its ends brought within a band of
    // pixels around the area (no coordinate too large for the painter).
    const QColor colour = CurveColour(t->Function).darker(150);
    painter.setPen(QPen(colour, 1));
    const long double left = -1, right = f.W + 1, band = 4L * (f.W + f.H) + 100;
    auto yAt = [&](long double px) { return f.PixelY(y0 + m * (f.PlaneX(px) - x0)); };
    long double ax = left, ay = yAt(left), bx = right, by = yAt(right);
    const long double slope = (by - ay) / (bx - ax); // pixels down per pixel right
    auto pull = [&](long double& px, long double& py) {
        if (std::fabs(py) <= band || !(slope != 0)) return;
        const long double target = py > 0 ? band : -band;
        px += (target - py) / slope;
        py = target;
    };
    const bool outside = (ay > band && by > band) || (ay < -band && by < -band);
    if (std::isfinite(ay) && std::isfinite(by) && !outside) {
        pull(ax, ay);
        pull(bx, by);
        if (std::fabs(ay) <= band && std::fabs(by) <= band)
            painter.drawLine(QPointF(static_cast<double>(ax), static_cast<double>(ay)),
                             QPointF(static_cast<double>(bx), static_cast<double>(by)));
    }
    const long double px = f.PixelX(x0), py = f.PixelY(y0);
    if (std::fabs(px) < 1e6L && std::fabs(py) < 1e6L) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(CurveColour(t->Function));
        painter.drawEllipse(QRect(static_cast<int>(px) - 3, static_cast<int>(py) - 3, 7, 7));
        painter.setBrush(Qt::NoBrush);
    }
}
