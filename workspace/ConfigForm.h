// The configuration window: the stored angle unit, a precision track bar,
// and the expression box's history and result while typing.
#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QSlider;

class TForm6 : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);

    // Checked means degrees: the engine reads this box at every evaluation
    // of sin, cos and tan.
    bool Degrees() const;

    QGroupBox* GroupBox1;
    QCheckBox* CheckBox1; // "Grados"
    QCheckBox* CheckBox2; // "Radianes"
    QGroupBox* GroupBox2;
    QLabel* Label1;
    QSlider* TrackBar1;
    QLabel* Label4;
    QLabel* Label2;
    QGroupBox* GroupBox3;  // "Expresión"
    QCheckBox* CheckBox3;  // "Recordar el historial entre sesiones"
    QCheckBox* CheckBox4;  // "Mostrar el resultado mientras escribe"
    QCheckBox* CheckBox5;  // "Mostrar fracciones exactas"

public slots:
    void CheckBox1Click();
    void CheckBox2Click();
    void TrackBar1Change(int position);
};
