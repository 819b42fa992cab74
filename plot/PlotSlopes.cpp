// The plot's calculus: each function's derivative drawn dashed in its
// colour ("Derivada"), and the slope and tangent line at a point, from a
// click on a curve or an x typed in the strip under the picture.
#include "plot/PlotView.h"

#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "analysis/Derivative.h"
#include "plot/TangentPanel.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>

#include <cmath>

namespace {

// The dashes of a derivative's curve: 6 pixels drawn, 4 left out.
constexpr qreal kDash = 6, kDashPeriod = 10;
// A click this close to a curve (in pixels, up or down) is on it.
constexpr long double kNearCurve = 5;

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

// Whether `node` reads the named value x anywhere.
bool ReadsX(const TParseNode* node)
{
    if (node == nullptr) return false;
    if (node->Kind == 0) return node->Variable != nullptr && node->Variable->Name == "x";
    return ReadsX(node->Left) || ReadsX(node->Right);
}

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
        FTangent = {};
        SchedulePicture();
        pbfunction->setFocus();
    });
}

const std::vector<analysis::TSlopes>& TPlotView::SlopesOfFunctions() const
{
    const bool degrees = AngleUnitIsDegrees();
    if (!FSlopesMade || FSlopesDegrees != degrees || FSlopes.size() != FFunctions.size()) {
        FSlopes = analysis::Slopes(FFunctions, degrees);
        FSlopesMade = true;
        FSlopesDegrees = degrees;
    }
    return FSlopes;
}

void TPlotView::ForgetSlopes()
{
    FSlopes.clear();
    FSlopesMade = false;
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

void TPlotView::TangentRequested()
{
    if (FFunctions.empty() || FParser == nullptr) return;
    const std::string text = TangentPanel->EditTangente->text().toStdString();
    long double x0 = 0;
    try {
        const TExpression at(FParser, text);
        if (ReadsX(at.Tree())) {
            TangentPanel->LabelTangente->setText("x: no puede depender de x");
            return;
        }
        if (!at.TryEvaluate(x0)) {
            TangentPanel->LabelTangente->setText("x: " + QString::fromStdString(FParser->ErrorMessage()));
            return;
        }
    } catch (const EMathParserException& e) {
        TangentPanel->LabelTangente->setText("x: " + QString::fromStdString(e.ErrorMessage));
        return;
    }
    ShowTangent(std::min<int>(TangentPanel->Function(), static_cast<int>(FFunctions.size()) - 1), x0);
}

// The point, the slope and the tangent of function `function` at x0, shown
// in the strip and drawn; or why there is none.
void TPlotView::ShowTangent(int function, long double x0)
{
    FTangent = {};
    TangentPanel->SetFunctions(FTexts);
    TangentPanel->SetFunction(function);
    TangentPanel->show();
    const int digits = ResultDigits();
    const bool degrees = AngleUnitIsDegrees();
    const analysis::TSlopes& slopes = SlopesOfFunctions()[static_cast<std::size_t>(function)];
    const TExpression& f = *FFunctions[static_cast<std::size_t>(function)];
    const analysis::TSlopeAt at = analysis::SlopeAt(f, slopes.First.get(), x0, degrees);
    QString shown;
    switch (at.Outcome) {
    case analysis::TSlopeOutcome::NoValue:
        shown = QString("La función no tiene valor en x = %1").arg(Number(x0, digits));
        break;
    case analysis::TSlopeOutcome::NoFormula:
        shown = QString("Sin derivada: %1").arg(QString::fromStdString(slopes.WhyNot));
        break;
    case analysis::TSlopeOutcome::NoSlope:
        shown = QString("En x = %1 la función no tiene derivada (un pico, un salto o una tangente vertical)")
                    .arg(Number(x0, digits));
        break;
    case analysis::TSlopeOutcome::Unknown:
        shown = QString("En x = %1 no se puede saber si la función tiene derivada").arg(Number(x0, digits));
        break;
    case analysis::TSlopeOutcome::Value: {
        const long double y0 = at.Value, m = at.Slope;
        FTangent = {function, x0, y0, m};
        const long double b = y0 - m * x0;
        shown = QString("Punto: x = %1; y = %2   Pendiente f′(x) = %3   Tangente: %4")
                    .arg(Number(x0, digits), Number(y0, digits), Number(m, digits),
                         QString::fromStdString(analysis::TangentEquation(m, b, digits)));
        break;
    }
    }
    TangentPanel->LabelTangente->setText(shown);
    if (TangentPanel->EditTangente->text().isEmpty() || !TangentPanel->EditTangente->hasFocus())
        TangentPanel->EditTangente->setText(Number(x0, 18));
    KeepMarksOnNextPaint();
    pbfunction->update();
}

// A click within a few pixels of a curve puts the tangent there.
bool TPlotView::TangentAtClick(int x, int y)
{
    const plot::TFrame f = plot::MakeFrame(pbfunction->width(), pbfunction->height(), PlotRange);
    const std::optional<plot::TReadOut> r = plot::ReadOut(f, x, y);
    if (!r || FFunctions.empty() || f.Uy == 0) return false;
    const bool degrees = AngleUnitIsDegrees();
    int nearest = -1;
    long double best = kNearCurve;
    for (std::size_t i = 0; i < FFunctions.size(); ++i) {
        long double v;
        if (!FFunctions[i]->Sampler("x", degrees).Evaluate(r->X, v)) continue;
        const long double distance = std::fabs(f.Cy - v * f.Uy - y);
        if (distance <= best) {
            best = distance;
            nearest = static_cast<int>(i);
        }
    }
    if (nearest < 0) return false;
    TangentPanel->EditTangente->clear();
    ShowTangent(nearest, r->X);
    return true;
}

// The dashed derivatives (with "Derivada") and the tangent line with its point.
void TPlotView::DrawSlopes(QPainter& painter, const plot::TFrame& f) const
{
    if (Derivada1->isChecked()) {
        const std::vector<analysis::TSlopes>& slopes = SlopesOfFunctions();
        for (std::size_t i = 0; i < FFunctions.size() && i < slopes.size(); ++i) {
            if (!slopes[i].First) continue;
            painter.setPen(QPen(CurveColour(static_cast<int>(i)), 1));
            TDasher dasher(painter);
            plot::TCurveTracer tracer(f.W, f.H, [&dasher](const plot::TSegment& s) { dasher.Segment(s); });
            plot::TraceCurve(*slopes[i].First, f, tracer);
        }
    }
    if (FTangent.Function < 0 || FTangent.Function >= static_cast<int>(FFunctions.size())) return;
    // The line across the picture, its ends brought within a band of
    // pixels around the area (no coordinate too large for the painter).
    const QColor colour = CurveColour(FTangent.Function).darker(150);
    painter.setPen(QPen(colour, 1));
    const long double x0 = -1, x1 = f.W + 1, band = 4L * (f.W + f.H) + 100;
    auto yAt = [&](long double px) {
        const long double x = f.Ux > 0 ? (px - f.Cx) / f.Ux : 0;
        return f.Cy - (FTangent.Y + FTangent.M * (x - FTangent.X)) * f.Uy;
    };
    long double ax = x0, ay = yAt(x0), bx = x1, by = yAt(x1);
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
    const long double px = FTangent.X * f.Ux + f.Cx, py = f.Cy - FTangent.Y * f.Uy;
    if (std::fabs(px) < 1e6L && std::fabs(py) < 1e6L) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(CurveColour(FTangent.Function));
        painter.drawEllipse(QRect(static_cast<int>(px) - 3, static_cast<int>(py) - 3, 7, 7));
        painter.setBrush(Qt::NoBrush);
    }
}
