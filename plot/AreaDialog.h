// "Área": the integral of one plotted function from a to b, or the area
// between two of the curves, worked out on a worker thread, with its
// error estimate; a and b typed (any expression without x) or taken from
// two consecutive zeros or intersections that "Puntos notables" found.
#pragma once

#include "analysis/Functions.h"
#include "analysis/NotablePoints.h"

#include <QDialog>
#include <QStringList>

#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TPlotWorker;

class TAreaDialog : public QDialog {
    Q_OBJECT
public:
    explicit TAreaDialog(QWidget* parent);

    // The functions drawn, their texts and the notable points found for
    // them (none yet: no pairs to offer); the sin, cos and tan unit.
    void SetFunctions(const analysis::TFunctionList& functions, const QStringList& texts, bool degrees);
    void SetPoints(const analysis::TNotablePoints& points);

    // What the picture shades: f and g (-1: the x axis) from A to B.
    struct TShade {
        int F = 0, G = -1;
        long double A = 0, B = 0;
    };

    QRadioButton* RadioIntegral; // "Integral de una función"
    QRadioButton* RadioBetween;  // "Área entre dos curvas"
    QComboBox* ComboFunction;
    QComboBox* ComboOther;
    QComboBox* ComboPoints;      // "a mano" or two consecutive points
    QLineEdit* EditFrom;         // a
    QLineEdit* EditTo;           // b
    QLabel* Result;
    QPushButton* ButtonCompute;  // "Calcular"
    QPushButton* ButtonStop;     // "Detener"
    QPushButton* ButtonClose;    // "Cerrar"

signals:
    // A result was found: the picture shades it.
    void Shade(const TShade& shade);

public slots:
    void Compute();
    void StopComputing();

protected:
    void reject() override; // Esc stops a calculation first

private:
    void BuildControls();
    void FillPairs();
    bool ReadBound(QLineEdit* edit, const QString& name, long double& value);
    void ShowResult(const QString& text, bool error);

    analysis::TFunctionList FFunctions;
    QStringList FTexts;
    bool FDegrees = true;
    analysis::TNotablePoints FPoints;
    // The pairs the list offers, and the exact ends of the one chosen
    // while its texts stand unchanged in the boxes.
    std::vector<std::pair<long double, long double>> FPairs;
    std::optional<std::pair<long double, long double>> FChosen;
    TPlotWorker* FWorker;
};
