// Fonts and colours as the windows are designed: sizes in pixels, colours
// of one palette role.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QWidget>

inline QFont DesignFont(const char* family, int pixels, bool bold = false, bool italic = false)
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

inline void SetColour(QWidget* w, QPalette::ColorRole role, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(role, colour);
    w->setPalette(p);
}
