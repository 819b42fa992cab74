// "Área": the integral of one plotted function from a to b, or the area
// between two of the curves, worked out on a worker thread, with its
// error estimate; a and b typed (any expression without x) or taken from
// two consecutive zeros or intersections that "Puntos notables" found.
#pragma once

#include "analysis/Functions.h"
#include "analysis/Integral.h"
#include "analysis/NotablePoints.h"

#include <QDialog>
#include <QStringList>

#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TPlotModel;

class TAreaDialog : public QDialog {
    Q_OBJECT
public:
    TAreaDialog(TPlotModel* model, QWidget* parent);

    // The model's functions, by their texts, and the notable points found
    // for them (none yet: no pairs to offer).
    void SetFunctions(TPlotModel* model, const QStringList& texts);
    void SetPoints(const analysis::TNotablePoints& points);

    QRadioButton* RadioIntegral; // "Integral de una función"
    QRadioButton* RadioBetween;  // "Área entre dos curvas"
    QComboBox* ComboFunction;
    QComboBox* ComboOther;
    QComboBox* ComboPoints;      // "a mano" or two consecutive points
    QLineEdit* EditFrom;         // a
    QLineEdit* EditTo;           // b
    QLabel* Result;
    QListWidget* ListaAreas; // the results computed for these functions
    QPushButton* ButtonCompute;  // "Calcular"
    QPushButton* ButtonStop;     // "Detener"
    QPushButton* ButtonClose;    // "Cerrar"

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
    void FitHeight();
    void IntegralFound(const analysis::TIntegral& result, int f, int g, long double a, long double b);

    TPlotModel* FModel;
    QStringList FTexts;
    analysis::TNotablePoints FPoints;
    // The pairs the list offers, and the exact ends of the one chosen
    // while its texts stand unchanged in the boxes.
    std::vector<std::pair<long double, long double>> FPairs;
    std::optional<std::pair<long double, long double>> FChosen;
};
