#include "plot/ParameterSliders.h"

#include "engine/NumberFormat.h"
#include "engine/Utf8.h"

#include <QGridLayout>
#include <QLabel>
#include <QSlider>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <set>

namespace plot {

std::vector<std::string> UsedValues(const analysis::TFunctionList& functions, const calc::TNotebookDefinitions& defs)
{
    // The lower-cased names the trees read, parameters of functions aside.
    std::set<std::string> read;
    std::set<const TFunctionDefinition*> seen;
    std::set<const TVariableEntry*> parameters;
    std::vector<const TParseNode*> pending;
    for (const analysis::TFunction& f : functions)
        if (f && f->Tree() != nullptr) pending.push_back(f->Tree());
    while (!pending.empty()) {
        const TParseNode* node = pending.back();
        pending.pop_back();
        if (node == nullptr) continue;
        if (node->Kind == 0) {
            if (node->Variable != nullptr && parameters.count(node->Variable) == 0) read.insert(node->Variable->Name);
            continue;
        }
        if (IsCall(node)) {
            const TFunctionDefinition* def = node->Op->Function;
            if (seen.insert(def).second && def->Body != nullptr) {
                parameters.insert(def->ParameterEntries.begin(), def->ParameterEntries.end());
                pending.push_back(def->Body);
            }
        }
        pending.push_back(node->Left);
        pending.push_back(node->Right);
    }
    std::vector<std::string> used;
    std::set<std::string> named;
    for (const calc::TNotebookLine& line : defs.Values) {
        const std::string lowered = utf8::Encode(utf8::LowerAscii(utf8::Decode(line.name)));
        if (lowered == "x" || !named.insert(lowered).second) continue; // the plot's own x; the first definition
        if (read.count(lowered) != 0) used.push_back(line.name);
    }
    return used;
}

TSliderRange SliderRangeFor(long double value)
{
    TSliderRange r;
    r.Start = value;
    long double half = value != 0 && std::isfinite(value) ? 2 * std::fabs(value) : 1;
    if (!std::isfinite(half)) half = std::fabs(value); // at the end of the range
    r.Step = std::pow(10.0L, std::floor(std::log10(half)) - 2);
    const long double steps = half / r.Step;
    if (!(r.Step > 0) || !std::isfinite(steps) || steps > 2000) {
        // Beyond what powers of ten reach (near the smallest values).
        r.Step = half / 100;
        r.Steps = 100;
        if (!(r.Step > 0)) r.Step = half, r.Steps = 1; // among the subnormal values
        return r;
    }
    r.Steps = static_cast<int>(std::lround(steps));
    return r;
}

} // namespace plot

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
    FParser.reset();
    hide();
}

QString TParameterSliders::ValueText(const TRow& row) const
{
    return QString::fromStdString(FormatGeneral(row.Range.ValueAt(row.Slider->value()), Digits ? Digits() : 9));
}

void TParameterSliders::Show(std::shared_ptr<TMathParser> parser, const calc::TNotebookDefinitions& defs,
                             const analysis::TFunctionList& functions)
{
    Clear();
    const std::vector<std::string> names = plot::UsedValues(functions, defs);
    if (names.empty() || parser == nullptr) return;
    FParser = std::move(parser);
    auto* grid = static_cast<QGridLayout*>(layout());
    for (const std::string& name : names) {
        const int index = FParser->FindVariable(name);
        if (index < 0) continue;
        TRow row;
        row.Name = name;
        row.Range = plot::SliderRangeFor(FParser->Variable(index).Value);
        const QString shown = QString::fromStdString(name);
        auto* label = new QLabel(shown + "=", this);
        row.Slider = new QSlider(Qt::Horizontal, this);
        row.Slider->setObjectName("Deslizador_" + shown);
        row.Slider->setRange(-row.Range.Steps, row.Range.Steps);
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
        const int r = static_cast<int>(FRows.size());
        grid->addWidget(label, r, 0);
        grid->addWidget(row.Slider, r, 1);
        grid->addWidget(row.Value, r, 2);
        grid->addWidget(row.Write, r, 3);
        const std::size_t at = FRows.size();
        connect(row.Slider, &QSlider::valueChanged, this, [this, at] { SliderMoved(at); });
        connect(row.Write, &QToolButton::clicked, this, [this, at] {
            if (WriteValue) WriteValue(FRows[at].Name, ValueText(FRows[at]));
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
    if (FParser == nullptr) return;
    if (BeforeChange) BeforeChange();
    FParser->SetConstant(row.Name, row.Range.ValueAt(row.Slider->value()));
    row.Value->setText(ValueText(row));
    emit Moved();
}
