#include "notebook/FindDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("FindDialog1");
    setWindowTitle("Buscar");
    setModal(false);
    auto* label = new QLabel("Buscar:", this);
    FindText = new QLineEdit(this);
    FindText->setObjectName("FindText");
    FindText->setMaxLength(255);
    label->setBuddy(FindText);
    FindNext = new QPushButton("Buscar siguiente", this);
    FindNext->setObjectName("FindNext");
    FindNext->setDefault(true);
    auto* close = new QPushButton("Cerrar", this);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(FindText, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(FindNext);
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(this);
    column->addLayout(row);
    column->addLayout(buttons);
    resize(360, sizeHint().height());
    connect(FindNext, &QPushButton::clicked, this, &TFindDialog::Find);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
}

QString TFindDialog::Text() const
{
    return FindText->text();
}
