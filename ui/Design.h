// Fonts and colours as the windows are designed: sizes in pixels, colours
// of one palette role.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
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

// A dialog's line of outcome: red for an error, else in the window's own
// text colour.
inline void ShowOutcome(QWidget* dialog, QLabel* line, const QString& text, bool error)
{
    line->setText(text);
    SetColour(line, QPalette::WindowText, error ? QColor(200, 20, 0) : dialog->palette().color(QPalette::WindowText));
}
