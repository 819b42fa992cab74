// The plot's sliders: one for each value of the notebook that the drawn
// functions use (in their own text or in the bodies of the notebook
// functions they call).  Moving a slider changes the value in the plot's
// model only (TPlotModel::SetValue), so the curves follow and the notebook
// stays as it is; the button beside it writes the value into its notebook
// line.
#pragma once

#include "analysis/Sliders.h"

#include <QFrame>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QSlider;
class QToolButton;
class TPlotModel;

class TParameterSliders : public QFrame {
    Q_OBJECT
public:
    explicit TParameterSliders(QWidget* parent = nullptr);

    // Sliders for the notebook's values that the model's functions read;
    // none (and hidden) when they read none or use no notebook.
    void Show(TPlotModel* model);
    void Clear();
    int Count() const { return static_cast<int>(FRows.size()); }

    // The digits of the values shown (the main window's).
    std::function<int()> Digits;
    // Writes a value text into the notebook line that defines the name;
    // false when there is no such line.
    std::function<bool(const std::string& name, const QString& value)> WriteValue;

private:
    struct TRow {
        std::string Name;
        analysis::TSliderRange Range;
        QSlider* Slider;
        QLabel* Value;
        QToolButton* Write;
    };
    QString ValueText(const TRow& row) const;
    void SliderMoved(std::size_t row);
    TPlotModel* FModel = nullptr;
    std::vector<TRow> FRows;
};
