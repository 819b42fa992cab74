// The notebook's font dialog: face, style, size, underline and strike-out,
// and the colour of the text.
#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>

class QFontDialog;
class QPushButton;

class TFontDialog : public QDialog {
    Q_OBJECT
public:
    TFontDialog(const QFont& font, const QColor& colour, QWidget* parent = nullptr);
    QFont SelectedFont() const;
    QFont InitialFont() const { return FInitial; } // the font it was opened with
    QColor Colour() const { return FColour; }

    QFontDialog* Fonts;
    QPushButton* ColourButton; // "Color…"

public slots:
    void ColourButtonClick();

private:
    void ShowColour();
    QFont FInitial;
    QColor FColour;
};
