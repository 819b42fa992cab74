#include "plot/SvgPicture.h"

#include <QFileInfo>
#include <QPainter>
#include <QRect>
#include <QSvgGenerator>

bool CanSaveSvg() { return true; }

bool SaveSvgPicture(const QString& path, QSize size, const QString& title,
                    const std::function<void(QPainter&)>& draw)
{
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(title);
    QPainter painter;
    bool saved = painter.begin(&svg);
    if (saved) {
        draw(painter);
        saved = painter.end();
    }
    return saved && QFileInfo(path).size() > 0;
}
