// The colours of the curves, in the order of the functions: blue, red, dark
// green, magenta, orange, brown.
#pragma once

#include "analysis/PlotFunctions.h"

#include <QColor>
#include <algorithm>

namespace plot {

inline QColor CurveColour(int index)
{
    static const QColor colours[analysis::kMaxFunctions] = {
        QColor(0, 0, 255),   QColor(255, 0, 0),    QColor(0, 128, 0),
        QColor(255, 0, 255), QColor(255, 140, 0), QColor(139, 69, 19),
    };
    return colours[std::clamp(index, 0, analysis::kMaxFunctions - 1)];
}

} // namespace plot
