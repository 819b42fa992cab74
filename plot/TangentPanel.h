// The strip under the plot that shows the slope and the tangent at a point:
// x typed (or taken from a click on a curve), the function when there are
// several, and what was found: the point, the slope f'(x) and the tangent's
// equation y = m·x + b.
#pragma once

#include <QFrame>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

class TTangentPanel : public QFrame {
    Q_OBJECT
public:
    explicit TTangentPanel(QWidget* parent);

    // The functions to choose from, by their texts.
    void SetFunctions(const QStringList& texts);
    int Function() const;
    void SetFunction(int index);
    void FitEditToText();

    QLabel* LabelX;          // "Tangente en x ="
    QLineEdit* EditTangente; // x, an expression of the engine
    QComboBox* ComboTangente; // which function, when there are several
    QLabel* LabelTangente;   // the point, the slope and the equation, or why not
    QToolButton* CerrarTangente;

signals:
    // Enter in the x box or another function chosen.
    void Requested();
    // The strip was closed: the tangent goes.
    void Closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
