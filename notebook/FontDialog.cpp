#include "notebook/FontDialog.h"

#include "ui/Prompts.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFontDialog::TFontDialog(const QFont& font, const QColor& colour, QWidget* parent) : QDialog(parent), FInitial(font), FColour(colour)
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
    ShowColour();
}

QFont TFontDialog::SelectedFont() const
{
    return Fonts->currentFont();
}

void TFontDialog::ColourButtonClick()
{
    QColorDialog dialog(FColour, this);
    dialog.setObjectName("ColorDialog1");
    dialog.setWindowTitle("Color del texto");
    if (prompts::Run(dialog) != QDialog::Accepted) return;
    const QColor chosen = dialog.currentColor();
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
