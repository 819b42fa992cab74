// The configuration window: the stored angle unit and a precision track bar.
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

public slots:
    void CheckBox1Click();
    void CheckBox2Click();
    void TrackBar1Change(int position);
};
