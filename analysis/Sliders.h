// The plot's sliders without a window: which values of the notebook the
// drawn functions read, and the range of positions a slider gives a value.
#pragma once

#include "analysis/Functions.h"

#include <string>
#include <vector>

namespace analysis {

// The names among `names` (the notebook's values, in its order) that
// `functions` read, in their own text or in the bodies of the notebook
// functions they call; each name once (its first definition), never "x".
std::vector<std::string> UsedValues(const TFunctionList& functions, const std::vector<std::string>& names);

// A slider's range around a value: positions Low..High (-Steps..Steps
// but where the values would pass the extended range), position n
// standing for Start + n * Step.  The range reaches twice the value's size
// on each side (1 for 0), in about two hundred to two thousand steps of a
// power of ten.
struct TSliderRange {
    long double Start = 0;
    long double Step = 1;
    int Steps = 100;
    int Low = -100, High = 100;
    // Start + position * Step, as the shortest decimal within a few units
    // of the last place of it (1 + 3 * 0.1 is 1.3), so that it is written
    // back to the notebook with the digits the student sees.
    long double ValueAt(int position) const;
};
TSliderRange SliderRangeFor(long double value);

} // namespace analysis
