#include "ui/ElidedLabel.h"

#include <QFontMetrics>

TElidedLabel::TElidedLabel(QWidget* parent) : QLabel(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void TElidedLabel::SetFullText(const QString& text)
{
    FFull = text;
    setToolTip(text);
    setAccessibleName(text);
    Elide();
}

QSize TElidedLabel::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

void TElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    Elide();
}

void TElidedLabel::Elide()
{
    setText(fontMetrics().elidedText(FFull, Qt::ElideRight, std::max(0, contentsRect().width())));
}
