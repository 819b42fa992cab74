// Draws SVG pictures as PNG with the host's Qt, for a build whose Qt has no
// Svg (Qt for Windows built here):  svg-to-png SIZE IN.svg OUT.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 4) return 2;
    const int size = QString(argv[1]).toInt();
    QSvgRenderer svg(QString::fromLocal8Bit(argv[2]));
    if (!svg.isValid() || size <= 0) return 1;
    // The picture's proportions kept, centred in a square.
    QSizeF drawn = svg.defaultSize();
    drawn.scale(size, size, Qt::KeepAspectRatio);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    svg.render(&painter, QRectF(QPointF((size - drawn.width()) / 2, (size - drawn.height()) / 2), drawn));
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 1;
}
