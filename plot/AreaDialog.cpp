#include "plot/AreaDialog.h"

#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "analysis/Integral.h"
#include "plot/PlotJobs.h"
#include "plot/PlotModel.h"
#include "ui/Design.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {

QString Number(long double value, int digits)
{
    return QString::fromStdString(FormatGeneral(value, digits));
}

} // namespace

TAreaDialog::TAreaDialog(TPlotModel* model, QWidget* parent) : QDialog(parent), FModel(model)
{
    setObjectName("Area");
    setWindowTitle("Área");
    BuildControls();
    connect(FModel, &TPlotModel::IntegralFound, this, &TAreaDialog::IntegralFound);
    connect(FModel, &TPlotModel::IntegralProgress, this, [this](int percent) {
        if (ButtonStop->isEnabled()) ShowResult(QString("Calculando… %1 %").arg(percent), false);
    });
    // A stop from elsewhere (a slider, "Dibujar") ends the calculation too.
    connect(FModel->Jobs(), &TPlotJobs::Idle, this, [this] {
        if (!ButtonStop->isEnabled()) return;
        ButtonStop->setEnabled(false);
        ButtonCompute->setEnabled(true);
        ShowResult("Cálculo detenido.", true);
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
    form->addRow("&Intervalo:", ComboPoints);
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
    // Every result of these functions, newest last, until they change.
    ListaAreas = new QListWidget(this);
    ListaAreas->setObjectName("ListaAreas");
    ListaAreas->setAccessibleName("Resultados calculados");
    ListaAreas->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListaAreas->setWordWrap(true);
    ListaAreas->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListaAreas->setMaximumHeight(110);
    ListaAreas->hide();
    column->addWidget(ListaAreas);
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

void TAreaDialog::SetFunctions(TPlotModel* model, const QStringList& texts)
{
    FModel = model;
    if (ButtonStop->isEnabled()) FModel->StopIntegral();
    ButtonStop->setEnabled(false);
    ButtonCompute->setEnabled(true);
    FTexts = texts;
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
    ListaAreas->clear();
    ListaAreas->hide();
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
    std::string problem;
    if (FModel->EvaluateConstant(edit->text().toStdString(), value, problem)) return true;
    ShowResult(QString("«%1»: %2").arg(name, QString::fromStdString(problem)), true);
    edit->setFocus();
    edit->selectAll();
    return false;
}

void TAreaDialog::ShowResult(const QString& text, bool error)
{
    ShowOutcome(this, Result, text, error);
    FitHeight();
}

// Taller when the result and the list need it, never narrower.
void TAreaDialog::FitHeight()
{
    if (QLayout* l = layout()) l->activate();
    const int needed = layout() != nullptr && layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width())
                                                                            : sizeHint().height();
    if (height() < needed) resize(width(), needed);
}

void TAreaDialog::Compute()
{
    if (FModel->Functions().empty()) return;
    long double a = 0, b = 0;
    if (FChosen) {
        a = FChosen->first;
        b = FChosen->second;
    } else if (!ReadBound(EditFrom, "Desde", a) || !ReadBound(EditTo, "Hasta", b)) {
        return;
    }
    const int f = std::max(0, ComboFunction->currentIndex());
    const int g = RadioBetween->isChecked() ? std::max(0, ComboOther->currentIndex()) : -1;
    ShowResult("Calculando…", false);
    ButtonStop->setEnabled(true);
    ButtonCompute->setEnabled(false);
    FModel->Integrate(f, g, a, b);
}

void TAreaDialog::IntegralFound(const analysis::TIntegral& r, int f, int g, long double a, long double b)
{
    ButtonStop->setEnabled(false);
    ButtonCompute->setEnabled(true);
    const QString what = g < 0 ? QString("Integral de %1 entre %2 y %3").arg(FTexts.value(f), Number(a, 9), Number(b, 9))
                               : QString("Área entre %1 y %2, de %3 a %4")
                                     .arg(FTexts.value(f), FTexts.value(g), Number(a, 9), Number(b, 9));
    const bool ok = r.Outcome == analysis::TIntegralOutcome::Done;
    const QString text = QString::fromStdString(analysis::IntegralText(r, what.toStdString(), 18));
    ShowResult(text, !ok);
    if (!ok) return;
    FModel->SetShade(plot::TShade{f, g, std::min(a, b), std::max(a, b)});
    ListaAreas->addItem(text);
    ListaAreas->scrollToBottom();
    ListaAreas->show();
    FitHeight();
}

void TAreaDialog::StopComputing()
{
    if (!FModel->Integrating()) return;
    FModel->StopIntegral();
    ShowResult("Cálculo detenido.", true);
    ButtonStop->setEnabled(false);
    ButtonCompute->setEnabled(true);
}

void TAreaDialog::reject()
{
    if (FModel->Integrating()) StopComputing();
    else QDialog::reject();
}
