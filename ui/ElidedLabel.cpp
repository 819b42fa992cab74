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

void TElidedLabel::SetWrapped(bool wrapped)
{
    FWrapped = wrapped;
    setWordWrap(wrapped);
    setSizePolicy(wrapped ? QSizePolicy::Preferred : QSizePolicy::Ignored, QSizePolicy::Preferred);
    Elide();
}

QSize TElidedLabel::minimumSizeHint() const
{
    if (FWrapped) return QLabel::minimumSizeHint();
    return {0, QLabel::minimumSizeHint().height()};
}

void TElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    Elide();
}

void TElidedLabel::Elide()
{
    if (FWrapped) {
        if (text() != FFull) setText(FFull);
        return;
    }
    setText(fontMetrics().elidedText(FFull, Qt::ElideRight, std::max(0, contentsRect().width())));
}
