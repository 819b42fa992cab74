#include "plot/TangentPanel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

TTangentPanel::TTangentPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName("PanelTangente");
    setAccessibleName("Pendiente y recta tangente");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 3, 6, 3);
    LabelX = new QLabel("Tangente en x =", this);
    LabelX->setObjectName("LabelX");
    EditTangente = new QLineEdit(this);
    EditTangente->setObjectName("EditTangente");
    EditTangente->setAccessibleName("x del punto de tangencia");
    EditTangente->setAccessibleDescription("Un número o una expresión sin x; Intro calcula la pendiente y la tangente");
    EditTangente->setMaximumWidth(120);
    LabelX->setBuddy(EditTangente);
    ComboTangente = new QComboBox(this);
    ComboTangente->setObjectName("ComboTangente");
    ComboTangente->setAccessibleName("Función de la tangente");
    LabelTangente = new QLabel(this);
    LabelTangente->setObjectName("LabelTangente");
    LabelTangente->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelTangente->setAccessibleName("Punto, pendiente y ecuación de la tangente");
    CerrarTangente = new QToolButton(this);
    CerrarTangente->setObjectName("CerrarTangente");
    CerrarTangente->setText("✕");
    CerrarTangente->setAutoRaise(true);
    CerrarTangente->setToolTip("Quitar la tangente (Esc)");
    CerrarTangente->setAccessibleName("Quitar la tangente");
    row->addWidget(LabelX);
    row->addWidget(EditTangente);
    row->addWidget(ComboTangente);
    row->addWidget(LabelTangente, 1);
    row->addWidget(CerrarTangente);
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
