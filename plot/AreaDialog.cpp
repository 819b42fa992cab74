#include "plot/AreaDialog.h"

#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "analysis/Integral.h"
#include "plot/PlotWorker.h"
#include "ui/Design.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {

bool ReadsX(const TParseNode* node)
{
    if (node == nullptr) return false;
    if (node->Variable != nullptr && node->Variable->Name == "x") return true;
    return ReadsX(node->Left) || ReadsX(node->Right);
}

QString Number(long double value, int digits)
{
    return QString::fromStdString(FormatGeneral(value, digits));
}

// The text of a result, an integral or an area, for the functions named.
QString Describe(const analysis::TIntegral& r, const QString& what)
{
    switch (r.Outcome) {
    case analysis::TIntegralOutcome::Done:
        return QString("%1 = %2\n(error estimado: %3)")
            .arg(what, Number(r.Value, r.Digits()), r.Error > 0 ? Number(r.Error, 2) : QString("menor que 1E-4900"));
    case analysis::TIntegralOutcome::Diverges:
        return QString("La integral diverge: la función crece sin límite cerca de x = %1.").arg(Number(r.At, 15));
    case analysis::TIntegralOutcome::Undefined:
        return QString("La función no está definida en una parte del intervalo: de x = %1 a x = %2.")
            .arg(Number(r.From, 15), Number(r.To, 15));
    case analysis::TIntegralOutcome::Stopped:
        break;
    }
    return "Cálculo detenido.";
}

} // namespace

TAreaDialog::TAreaDialog(QWidget* parent) : QDialog(parent), FWorker(new TPlotWorker(this))
{
    setObjectName("Area");
    setWindowTitle("Área");
    BuildControls();
    connect(FWorker, &TPlotWorker::Finished, this, [this] {
        ButtonStop->setEnabled(false);
        ButtonCompute->setEnabled(true);
    });
}

void TAreaDialog::BuildControls()
{
    auto* column = new QVBoxLayout(this);
    RadioIntegral = new QRadioButton("Integral de una función", this);
    RadioIntegral->setObjectName("RadioIntegral");
    RadioIntegral->setChecked(true);
    RadioBetween = new QRadioButton("Área entre dos curvas", this);
    RadioBetween->setObjectName("RadioBetween");
    auto* form = new QFormLayout;
    ComboFunction = new QComboBox(this);
    ComboFunction->setObjectName("ComboFunction");
    ComboFunction->setAccessibleName("Función");
    ComboOther = new QComboBox(this);
    ComboOther->setObjectName("ComboOther");
    ComboOther->setAccessibleName("Otra curva");
    ComboPoints = new QComboBox(this);
    ComboPoints->setObjectName("ComboPoints");
    ComboPoints->setAccessibleName("Entre puntos notables");
    EditFrom = new QLineEdit("0", this);
    EditFrom->setObjectName("EditFrom");
    EditFrom->setAccessibleName("Desde a");
    EditTo = new QLineEdit("1", this);
    EditTo->setObjectName("EditTo");
    EditTo->setAccessibleName("Hasta b");
    form->addRow("&Función:", ComboFunction);
    form->addRow("&Otra curva:", ComboOther);
    form->addRow("&Entre:", ComboPoints);
    form->addRow("&Desde (a):", EditFrom);
    form->addRow("&Hasta (b):", EditTo);
    column->addWidget(RadioIntegral);
    column->addWidget(RadioBetween);
    column->addLayout(form);
    Result = new QLabel(this);
    Result->setObjectName("Result");
    Result->setAccessibleName("Resultado");
    Result->setWordWrap(true);
    Result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(Result);
    auto* buttons = new QHBoxLayout;
    ButtonCompute = new QPushButton("Calcular", this);
    ButtonCompute->setObjectName("ButtonCompute");
    ButtonCompute->setDefault(true);
    ButtonStop = new QPushButton("Detener", this);
    ButtonStop->setObjectName("ButtonStop");
    ButtonStop->setAccessibleDescription("Detiene el cálculo (Esc)");
    ButtonStop->setEnabled(false);
    ButtonClose = new QPushButton("Cerrar", this);
    ButtonClose->setObjectName("ButtonClose");
    buttons->addWidget(ButtonCompute);
    buttons->addWidget(ButtonStop);
    buttons->addStretch(1);
    buttons->addWidget(ButtonClose);
    column->addLayout(buttons);

    auto modeChanged = [this] {
        ComboOther->setEnabled(RadioBetween->isChecked());
        FillPairs();
    };
    connect(RadioIntegral, &QRadioButton::toggled, this, modeChanged);
    connect(ComboFunction, &QComboBox::currentIndexChanged, this, [this] { FillPairs(); });
    connect(ComboOther, &QComboBox::currentIndexChanged, this, [this] { FillPairs(); });
    connect(ComboPoints, &QComboBox::activated, this, [this](int index) {
        if (index <= 0 || index > static_cast<int>(FPairs.size())) return;
        FChosen = FPairs[static_cast<std::size_t>(index - 1)];
        EditFrom->setText(Number(FChosen->first, 18));
        EditTo->setText(Number(FChosen->second, 18));
    });
    for (QLineEdit* edit : {EditFrom, EditTo})
        connect(edit, &QLineEdit::textEdited, this, [this] {
            FChosen.reset();
            ComboPoints->setCurrentIndex(0);
        });
    connect(ButtonCompute, &QPushButton::clicked, this, &TAreaDialog::Compute);
    connect(ButtonStop, &QPushButton::clicked, this, &TAreaDialog::StopComputing);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::close);
    ComboOther->setEnabled(false);
    resize(460, 300);
}

void TAreaDialog::SetFunctions(const analysis::TFunctionList& functions, const QStringList& texts, bool degrees)
{
    FWorker->Stop();
    ButtonStop->setEnabled(false);
    ButtonCompute->setEnabled(true);
    FFunctions = functions;
    FTexts = texts;
    FDegrees = degrees;
    FPoints = {};
    for (QComboBox* box : {ComboFunction, ComboOther}) {
        const QSignalBlocker blocker(box);
        box->clear();
        box->addItems(texts);
    }
    ComboOther->setCurrentIndex(texts.size() > 1 ? 1 : 0);
    RadioBetween->setEnabled(texts.size() > 1);
    if (texts.size() < 2) RadioIntegral->setChecked(true);
    Result->clear();
    FillPairs();
}

void TAreaDialog::SetPoints(const analysis::TNotablePoints& points)
{
    FPoints = points;
    FillPairs();
}

// Two consecutive zeros of the function, or intersections of the two curves.
void TAreaDialog::FillPairs()
{
    const int f = ComboFunction->currentIndex(), g = ComboOther->currentIndex();
    const bool between = RadioBetween->isChecked();
    std::vector<long double> xs;
    for (const analysis::TNotablePoint& p : FPoints.Points) {
        const bool zero = !between && p.Kind == analysis::TPointKind::Zero && p.Function == f;
        const bool cut = between && p.Kind == analysis::TPointKind::Intersection &&
                         ((p.Function == f && p.Other == g) || (p.Function == g && p.Other == f));
        if (zero || cut) xs.push_back(p.X);
    }
    std::sort(xs.begin(), xs.end());
    FPairs.clear();
    for (std::size_t i = 0; i + 1 < xs.size(); ++i) FPairs.emplace_back(xs[i], xs[i + 1]);
    const QSignalBlocker blocker(ComboPoints);
    ComboPoints->clear();
    ComboPoints->addItem(FPoints.Points.empty() ? "a y b escritos (sin puntos notables buscados)" : "a y b escritos");
    const QString kind = between ? "las intersecciones" : "los ceros";
    for (const auto& [a, b] : FPairs)
        ComboPoints->addItem(QString("Entre %1 %2 y %3").arg(kind, Number(a, 9), Number(b, 9)));
    FChosen.reset();
}

bool TAreaDialog::ReadBound(QLineEdit* edit, const QString& name, long double& value)
{
    QString problem;
    try {
        TMathParser& parser = *FFunctions.front()->Parser();
        const TExpression bound(parser, edit->text().toStdString());
        if (ReadsX(bound.Tree())) problem = "no puede depender de x";
        else if (!bound.TryEvaluate(value)) problem = QString::fromStdString(parser.ErrorMessage());
        else if (!std::isfinite(value)) problem = "no es un número finito";
    } catch (const EMathParserException& e) {
        problem = QString::fromStdString(e.ErrorMessage);
    }
    if (problem.isEmpty()) return true;
    ShowResult(QString("«%1»: %2").arg(name, problem), true);
    edit->setFocus();
    edit->selectAll();
    return false;
}

void TAreaDialog::ShowResult(const QString& text, bool error)
{
    ShowOutcome(this, Result, text, error);
}

void TAreaDialog::Compute()
{
    if (FFunctions.empty()) return;
    long double a = 0, b = 0;
    if (FChosen) {
        a = FChosen->first;
        b = FChosen->second;
    } else if (!ReadBound(EditFrom, "Desde", a) || !ReadBound(EditTo, "Hasta", b)) {
        return;
    }
    const int f = std::max(0, ComboFunction->currentIndex());
    const int g = RadioBetween->isChecked() ? std::max(0, ComboOther->currentIndex()) : -1;
    const QString what = g < 0 ? QString("Integral de %1 entre %2 y %3").arg(FTexts.value(f), Number(a, 9), Number(b, 9))
                               : QString("Área entre %1 y %2, de %3 a %4")
                                     .arg(FTexts.value(f), FTexts.value(g), Number(a, 9), Number(b, 9));
    // Samplers made here, on the parser's thread; copies run on the worker.
    auto keep = std::make_shared<std::vector<TSampler>>();
    keep->push_back(FFunctions[static_cast<std::size_t>(f)]->Sampler("x", FDegrees));
    if (g >= 0) keep->push_back(FFunctions[static_cast<std::size_t>(g)]->Sampler("x", FDegrees));
    auto held = std::make_shared<std::pair<analysis::TFunctionList, std::shared_ptr<std::vector<TSampler>>>>(FFunctions, keep);
    const std::vector<TSampler> copies = *keep;
    ShowResult("Calculando…", false);
    ButtonStop->setEnabled(true);
    ButtonCompute->setEnabled(false);
    FWorker->Start(
        [this, copies, a, b, f, g, what](const std::atomic<bool>& stop, const std::function<void(int)>&) {
            std::vector<TSampler> own = copies;
            const analysis::TIntegrand first = [&own](long double x, long double& y) { return own[0].Evaluate(x, y); };
            const analysis::TIntegrand second = [&own](long double x, long double& y) { return own.back().Evaluate(x, y); };
            const analysis::TIntegral r = g < 0 ? analysis::Integrate(first, a, b, &stop) : analysis::AreaBetween(first, second, a, b, &stop);
            const QString text = Describe(r, what);
            const bool ok = r.Outcome == analysis::TIntegralOutcome::Done;
            return std::function<void()>([this, text, ok, f, g, a, b] {
                ShowResult(text, !ok);
                if (ok) emit Shade({f, g, std::min(a, b), std::max(a, b)});
            });
        },
        held);
}

void TAreaDialog::StopComputing()
{
    if (!FWorker->Busy()) return;
    FWorker->Stop();
    ShowResult("Cálculo detenido.", true);
    ButtonStop->setEnabled(false);
    ButtonCompute->setEnabled(true);
}

void TAreaDialog::reject()
{
    if (FWorker->Busy()) StopComputing();
    else QDialog::reject();
}
