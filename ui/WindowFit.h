// Where a window opens: at its designed size where the screen's free area
// holds it with its frame, never larger than that area (a small screen, a
// panel), and not smaller than its minimum; centred in the area.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

namespace ui {

// The frame a window manager puts around a window, before the window is
// shown and its real frame known: the sides and a title bar.
inline const QMargins kEstimatedFrame(4, 30, 4, 4);

inline QRect FitWindow(QSize designed, QSize minimum, const QRect& available, const QMargins& frame = kEstimatedFrame)
{
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - frame.top() - frame.bottom());
    const QSize size = designed.boundedTo(room).expandedTo(minimum);
    QRect placed(QPoint(0, 0), size);
    placed.moveCenter(available.center());
    // The title bar stays on the screen even when the window is larger.
    placed.moveTop(std::max(placed.top(), available.top() + frame.top()));
    placed.moveLeft(std::max(placed.left(), available.left() + frame.left()));
    return placed;
}

// Where to move() a window placed at `placed` (its inside): move() places
// the frame, title bar included.
inline QPoint FramePosition(const QRect& placed, const QMargins& frame = kEstimatedFrame)
{
    return placed.topLeft() - QPoint(frame.left(), frame.top());
}

} // namespace ui
