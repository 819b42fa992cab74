// A one-line label that shortens its text with "…" when it is too narrow,
// or, wrapped, shows it whole on as many lines as it needs; the whole text
// is its tooltip either way.
#pragma once

#include <QLabel>

class TElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit TElidedLabel(QWidget* parent = nullptr);
    void SetFullText(const QString& text);
    void SetWrapped(bool wrapped);
    QString FullText() const { return FFull; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();
    QString FFull;
    bool FWrapped = false;
};
