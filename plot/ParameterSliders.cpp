#include "plot/ParameterSliders.h"

#include "engine/MathParser.h"
#include "engine/NumberFormat.h"
#include "plot/PlotModel.h"
#include "engine/Utf8.h"

#include <QGridLayout>
#include <QLabel>
#include <QSlider>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <set>


TParameterSliders::TParameterSliders(QWidget* parent) : QFrame(parent)
{
    setObjectName("Deslizadores");
    setAccessibleName("Valores del cuaderno");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 2, 8, 2);
    grid->setVerticalSpacing(0);
    Digits = [] { return 9; };
    hide();
}

void TParameterSliders::Clear()
{
    for (TRow& row : FRows) {
        delete row.Slider;
        delete row.Value;
        delete row.Write;
    }
    for (QLabel* label : findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) delete label;
    FRows.clear();
    FModel = nullptr;
    hide();
}

QString TParameterSliders::ValueText(const TRow& row) const
{
    return QString::fromStdString(FormatGeneral(row.Range.ValueAt(row.Slider->value()), Digits ? Digits() : 9));
}

void TParameterSliders::Show(TPlotModel* model)
{
    Clear();
    if (model == nullptr || !model->UsesNotebook()) return;
    std::vector<std::string> names;
    for (const calc::TNotebookLine& line : model->Definitions().Values) names.push_back(line.name);
    const std::vector<std::string> used = analysis::UsedValues(model->Functions(), names);
    const std::shared_ptr<TMathParser> parser = model->Parser();
    if (used.empty() || parser == nullptr) return;
    FModel = model;
    auto* grid = static_cast<QGridLayout*>(layout());
    for (const std::string& name : used) {
        const int index = parser->FindVariable(name);
        if (index < 0) continue;
        TRow row;
        row.Name = name;
        row.Range = analysis::SliderRangeFor(parser->Variable(index).Value);
        const QString shown = QString::fromStdString(name);
        auto* label = new QLabel(shown + "=", this);
        row.Slider = new QSlider(Qt::Horizontal, this);
        row.Slider->setObjectName("Deslizador_" + shown);
        row.Slider->setRange(row.Range.Low, row.Range.High);
        row.Slider->setValue(0);
        row.Slider->setPageStep(std::max(1, row.Range.Steps / 10));
        row.Slider->setAccessibleName("Valor de " + shown);
        row.Value = new QLabel(this);
        row.Value->setObjectName("Valor_" + shown);
        row.Value->setMinimumWidth(90);
        row.Write = new QToolButton(this);
        row.Write->setObjectName("Escribir_" + shown);
        row.Write->setText("Al cuaderno");
        row.Write->setToolTip("Escribir este valor de " + shown + " en su línea del cuaderno");
        row.Write->setEnabled(false); // until the slider moves: the notebook has the value
        const int r = static_cast<int>(FRows.size());
        grid->addWidget(label, r, 0);
        grid->addWidget(row.Slider, r, 1);
        grid->addWidget(row.Value, r, 2);
        grid->addWidget(row.Write, r, 3);
        const std::size_t at = FRows.size();
        connect(row.Slider, &QSlider::valueChanged, this, [this, at] { SliderMoved(at); });
        connect(row.Write, &QToolButton::clicked, this, [this, at] {
            // Every digit of the value, so that the notebook gives the curve drawn.
            const TRow& r = FRows[at];
            const std::string exact = FormatRoundTrip(r.Range.ValueAt(r.Slider->value()));
            if (WriteValue && !exact.empty()) WriteValue(r.Name, QString::fromStdString(exact));
        });
        FRows.push_back(row);
        FRows.back().Value->setText(ValueText(FRows.back()));
    }
    grid->setColumnStretch(1, 1);
    setVisible(!FRows.empty());
}

void TParameterSliders::SliderMoved(std::size_t index)
{
    TRow& row = FRows[index];
    if (FModel == nullptr) return;
    FModel->SetValue(row.Name, row.Range.ValueAt(row.Slider->value()));
    row.Value->setText(ValueText(row));
    row.Write->setEnabled(row.Slider->value() != 0);
}
