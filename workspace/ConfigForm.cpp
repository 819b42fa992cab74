#include "workspace/ConfigForm.h"

#include "workspace/AngleBoxes.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

TForm6::TForm6(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form6");
    setWindowTitle("Configuración");
    // Fixed single border with only the close button, above the other windows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    setFixedSize(372, 182);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 251, 240)); // cream
    setPalette(pal);

    QFont verdana("Verdana");
    verdana.setPixelSize(12);

    GroupBox1 = new QGroupBox("Grados/Radianes", this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setFont(verdana);
    CheckBox1 = new QCheckBox("Grados", GroupBox1);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setChecked(true);
    CheckBox2 = new QCheckBox("Radianes", GroupBox1);
    CheckBox2->setObjectName("CheckBox2");
    auto* angles = new QVBoxLayout(GroupBox1);
    angles->setContentsMargins(8, 2, 8, 4);
    angles->setSpacing(2);
    angles->addWidget(CheckBox1);
    angles->addWidget(CheckBox2);

    GroupBox2 = new QGroupBox("Precisión", this);
    GroupBox2->setObjectName("GroupBox2");
    Label1 = new QLabel("Digitos", GroupBox2);
    Label1->setObjectName("Label1");
    TrackBar1 = new QSlider(Qt::Horizontal, GroupBox2);
    TrackBar1->setObjectName("TrackBar1");
    TrackBar1->setRange(2, 18);
    TrackBar1->setValue(4);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    Label4 = new QLabel("4", GroupBox2);
    Label4->setObjectName("Label4");
    QFont big("Verdana");
    big.setPixelSize(15);
    Label4->setFont(big);
    Label4->setMinimumWidth(22);
    Label2 = new QLabel("Mantisa", GroupBox2);
    Label2->setObjectName("Label2");
    Label2->hide();
    auto* precision = new QHBoxLayout(GroupBox2);
    precision->setContentsMargins(8, 2, 8, 4);
    precision->addWidget(Label1);
    precision->addWidget(TrackBar1, 1);
    precision->addWidget(Label4);

    GroupBox3 = new QGroupBox("Expresión", this);
    GroupBox3->setObjectName("GroupBox3");
    CheckBox3 = new QCheckBox("Recordar el historial entre sesiones", GroupBox3);
    CheckBox3->setObjectName("CheckBox3");
    CheckBox4 = new QCheckBox("Mostrar el resultado mientras escribe", GroupBox3);
    CheckBox4->setObjectName("CheckBox4");
    CheckBox4->setChecked(true);
    CheckBox5 = new QCheckBox("Mostrar fracciones exactas", GroupBox3);
    CheckBox5->setObjectName("CheckBox5");
    CheckBox5->setChecked(true);
    auto* expression = new QVBoxLayout(GroupBox3);
    expression->setContentsMargins(8, 2, 8, 4);
    expression->setSpacing(2);
    expression->addWidget(CheckBox3);
    expression->addWidget(CheckBox4);
    expression->addWidget(CheckBox5);

    auto* row = new QHBoxLayout;
    row->addWidget(GroupBox1);
    row->addWidget(GroupBox2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->addLayout(row);
    layout->addWidget(GroupBox3);

    connect(CheckBox1, &QCheckBox::clicked, this, &TForm6::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TForm6::CheckBox2Click);
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm6::TrackBar1Change);
}

bool TForm6::Degrees() const
{
    return CheckBox1->isChecked();
}

void TForm6::CheckBox1Click()
{
    SetAngleBoxes(CheckBox1, CheckBox2, true);
}

void TForm6::CheckBox2Click()
{
    SetAngleBoxes(CheckBox1, CheckBox2, false);
}

void TForm6::TrackBar1Change(int position)
{
    // The track bar's value, the digits of the results, is shown beside it.
    Label4->setText(QString::number(position));
}
