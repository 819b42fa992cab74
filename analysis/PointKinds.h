// What the plot shows of each kind of notable point: its name in the list
// and the shape of its mark.  A new kind is one more row of the table in
// PointKinds.cpp.  No Qt here.
#pragma once

#include "analysis/NotablePoints.h"

#include <string>

namespace analysis {

enum class TMarkShape {
    Dot,          // a filled circle
    TriangleUp,   // a filled triangle pointing up
    TriangleDown, // pointing down
    Diamond,      // a filled diamond
    Square,       // an empty square
    VerticalLine, // a dashed line across the picture at x
};

struct TPointKindInfo {
    TPointKind Kind;
    const char* Name;  // in the list's "Punto" column (UTF-8)
    TMarkShape Shape;
    bool HasY;         // false: the point is a vertical line, y shows "—"
};

// The row of `kind`.
const TPointKindInfo& PointKindInfo(TPointKind kind);

} // namespace analysis
