#include "notebook/FontDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFontDialog::TFontDialog(const QFont& font, const QColor& colour, QWidget* parent) : QDialog(parent), FColour(colour)
{
    setObjectName("FontDialog1");
    setWindowTitle("Fuente");
    // The toolkit's font chooser, without buttons of its own, inside.
    Fonts = new QFontDialog(font, this);
    Fonts->setOptions(QFontDialog::NoButtons);
    Fonts->setWindowFlags(Qt::Widget);
    Fonts->setObjectName("Fonts");
    ColourButton = new QPushButton("Color…", this);
    ColourButton->setObjectName("ColourButton");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Color del texto:", this));
    row->addWidget(ColourButton);
    row->addStretch(1);
    row->addWidget(buttons);
    auto* column = new QVBoxLayout(this);
    column->addWidget(Fonts, 1);
    column->addLayout(row);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ColourButton, &QPushButton::clicked, this, &TFontDialog::ColourButtonClick);
    ChooseColour = [this](const QColor& initial) { return QColorDialog::getColor(initial, this, "Color del texto"); };
    ShowColour();
}

QFont TFontDialog::SelectedFont() const
{
    return Fonts->currentFont();
}

void TFontDialog::ColourButtonClick()
{
    const QColor chosen = ChooseColour(FColour);
    if (!chosen.isValid()) return;
    FColour = chosen;
    ShowColour();
}

void TFontDialog::ShowColour()
{
    // A swatch of the colour on the button.
    QPixmap swatch(24, 12);
    swatch.fill(FColour);
    ColourButton->setIcon(QIcon(swatch));
}
