// "Puntos notables": the list of the zeros, extremes and intersections found
// for the plotted functions, with 18 significant digits, to read and copy.
#pragma once

#include "analysis/NotablePoints.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;
class QTableView;

class TNotablePointsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TNotablePointsDialog(QWidget* parent);

    // Lists `points` of the functions `texts` found for x in [-range, range]
    // and shows the window.
    // With `functions`, a zero that is exactly a fraction shows it ("1/3").
    void Show(const analysis::TNotablePoints& points, const QStringList& texts, int range,
              const analysis::TFunctionList* functions = nullptr);
    // The list as "Copiar" puts it on the clipboard: a header row, then one
    // row a point, fields split by tabs, numbers with `decimalMark`.
    QString Text(const QString& decimalMark) const;

    QLabel* Summary;
    QTableView* List;
    QPushButton* ButtonCopy;  // "Copiar"
    QPushButton* ButtonClose; // "Cerrar"

public slots:
    void Copy();

private:
    class TModel; // the rows, each written when the list shows it
    TModel* FModel;
};
