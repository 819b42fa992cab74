#include "plot/TangentPanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

TTangentPanel::TTangentPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName("PanelTangente");
    setAccessibleName("Pendiente y recta tangente");
    // The x, the function and the close button on a line; under them the
    // point, slope and equation, wrapped when the strip is narrow.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 3, 6, 3);
    grid->setVerticalSpacing(2);
    LabelX = new QLabel("Tangente en x =", this);
    LabelX->setObjectName("LabelX");
    EditTangente = new QLineEdit(this);
    EditTangente->setObjectName("EditTangente");
    EditTangente->setAccessibleName("x del punto de tangencia");
    EditTangente->setAccessibleDescription("Un número o una expresión sin x; Intro calcula la pendiente y la tangente");
    FitEditToText();
    connect(EditTangente, &QLineEdit::textChanged, this, &TTangentPanel::FitEditToText);
    LabelX->setBuddy(EditTangente);
    ComboTangente = new QComboBox(this);
    ComboTangente->setObjectName("ComboTangente");
    ComboTangente->setAccessibleName("Función de la tangente");
    LabelTangente = new QLabel(this);
    LabelTangente->setObjectName("LabelTangente");
    LabelTangente->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelTangente->setWordWrap(true);
    LabelTangente->setAccessibleName("Punto, pendiente y ecuación de la tangente");
    CerrarTangente = new QToolButton(this);
    CerrarTangente->setObjectName("CerrarTangente");
    CerrarTangente->setText("✕");
    CerrarTangente->setAutoRaise(true);
    CerrarTangente->setToolTip("Quitar la tangente (Esc)");
    CerrarTangente->setAccessibleName("Quitar la tangente");
    grid->addWidget(LabelX, 0, 0);
    grid->addWidget(EditTangente, 0, 1);
    grid->addWidget(ComboTangente, 0, 2);
    grid->addWidget(CerrarTangente, 0, 4);
    grid->setColumnStretch(3, 1);
    grid->addWidget(LabelTangente, 1, 0, 1, 5);
    connect(EditTangente, &QLineEdit::returnPressed, this, &TTangentPanel::Requested);
    connect(ComboTangente, &QComboBox::activated, this, &TTangentPanel::Requested);
    connect(CerrarTangente, &QToolButton::clicked, this, [this] {
        hide();
        emit Closed();
    });
    hide();
}

void TTangentPanel::SetFunctions(const QStringList& texts)
{
    const int keep = ComboTangente->currentIndex();
    ComboTangente->clear();
    ComboTangente->addItems(texts);
    ComboTangente->setCurrentIndex(keep >= 0 && keep < texts.size() ? keep : 0);
    ComboTangente->setVisible(texts.size() > 1);
}

// The box as wide as its value (a clicked x has up to 18 digits), within
// reason.
void TTangentPanel::FitEditToText()
{
    const QFontMetrics metrics(EditTangente->font());
    const int text = metrics.horizontalAdvance(EditTangente->text().isEmpty() ? QString("-0.000") : EditTangente->text());
    EditTangente->setFixedWidth(std::clamp(text + 16, 70, 260));
}

int TTangentPanel::Function() const
{
    return std::max(0, ComboTangente->currentIndex());
}

void TTangentPanel::SetFunction(int index)
{
    ComboTangente->setCurrentIndex(index);
}

void TTangentPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        emit Closed();
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}
