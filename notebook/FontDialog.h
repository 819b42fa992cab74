// The notebook's font dialog: face, style, size, underline and strike-out,
// and the colour of the text.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <functional>

class QFontDialog;
class QPushButton;

class TFontDialog : public QDialog {
    Q_OBJECT
public:
    TFontDialog(const QFont& font, const QColor& colour, QWidget* parent = nullptr);
    QFont SelectedFont() const;
    QColor Colour() const { return FColour; }

    // The colour chooser, replaceable so that tests can answer it; an
    // invalid colour means it was cancelled.
    std::function<QColor(const QColor& initial)> ChooseColour;

    QFontDialog* Fonts;
    QPushButton* ColourButton; // "Color…"

public slots:
    void ColourButtonClick();

private:
    void ShowColour();
    QColor FColour;
};
