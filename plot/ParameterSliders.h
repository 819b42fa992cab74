// The plot's sliders: one for each value of the notebook that the drawn
// functions use (in their own text or in the bodies of the notebook
// functions they call).  Moving a slider changes the value in the plot's
// engine only, so the curves follow at once and the notebook stays as it
// is; the button beside it writes the value into its notebook line.
#pragma once

#include "calc/CalcCore.h"
#include "analysis/Functions.h"

#include <QFrame>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QSlider;
class QToolButton;

namespace plot {

// The names of the notebook values that `functions` read, in notebook order
// (the first definition of each name; never "x").
std::vector<std::string> UsedValues(const analysis::TFunctionList& functions, const calc::TNotebookDefinitions& defs);

// A slider's range around a value: positions -Steps..Steps, position n
// standing for Start + n * Step.  The range reaches twice the value's size
// on each side (1 for 0), in about two hundred to two thousand steps of a
// power of ten.
struct TSliderRange {
    long double Start = 0;
    long double Step = 1;
    int Steps = 100;
    long double ValueAt(int position) const { return Start + position * Step; }
};
TSliderRange SliderRangeFor(long double value);

} // namespace plot

class TParameterSliders : public QFrame {
    Q_OBJECT
public:
    explicit TParameterSliders(QWidget* parent = nullptr);

    // Sliders for the values of `defs` that `functions` use, which read
    // them in `parser`; none (and hidden) when they use none.
    void Show(std::shared_ptr<TMathParser> parser, const calc::TNotebookDefinitions& defs,
              const analysis::TFunctionList& functions);
    void Clear();
    int Count() const { return static_cast<int>(FRows.size()); }

    // The digits of the values shown (the main window's).
    std::function<int()> Digits;
    // Writes a value text into the notebook line that defines the name;
    // false when there is no such line.
    std::function<bool(const std::string& name, const QString& value)> WriteValue;

    // Called before a value changes: whatever evaluates the functions on
    // another thread must have stopped, since samplers read the values
    // where they live.
    std::function<void()> BeforeChange;

signals:
    // A slider moved: the curves are to be drawn again.
    void Moved();

private:
    struct TRow {
        std::string Name;
        plot::TSliderRange Range;
        QSlider* Slider;
        QLabel* Value;
        QToolButton* Write;
    };
    QString ValueText(const TRow& row) const;
    void SliderMoved(std::size_t row);
    std::shared_ptr<TMathParser> FParser;
    std::vector<TRow> FRows;
};
