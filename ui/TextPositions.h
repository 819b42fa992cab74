// The engine counts positions in characters (code points); a QString
// counts UTF-16 units.
#pragma once

#include <QString>

// The unit offset of a 0-based character offset of `text`, at most its end.
inline int Utf16Offset(const QString& text, int characters)
{
    int units = 0;
    for (int c = 0; c < characters && units < text.size(); ++c)
        units += (text.at(units).isHighSurrogate() && units + 1 < text.size()) ? 2 : 1;
    return units;
}
