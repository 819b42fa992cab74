// The data window "Datos": the notebook's lists as the columns of a table,
// edited in place, pasted from a spreadsheet, imported from and exported to
// CSV; the statistics of each column with its uncertainty, and the fits of
// one column against another, written into the notebook and drawn over the
// points on the plot.
#pragma once

#include "analysis/Fits.h"
#include "calc/CalcCore.h"
#include "calc/DataText.h"

#include <QDialog>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

class TFormDatos : public QDialog {
    Q_OBJECT
public:
    explicit TFormDatos(QWidget* parent = nullptr);

    // The notebook as it reads now.
    std::function<calc::TNotebookDefinitions()> Definitions;
    // Writes the line of a list or a function named `name` into the
    // notebook, in place of the one it has, or at its end; an empty line
    // removes it.  One step to undo, or with `join` part of the step before.
    std::function<void(const std::string& name, const std::string& line, bool join)> WriteLine;
    // Each column's unit, from the pasted headers ("T (s)"), by lower-cased name.
    std::map<QString, QString> Units;
    // Shows points (x, y, uncertainties of y, maybe empty) on the plot with
    // the function `function` (maybe empty) drawn over them.
    std::function<void(const std::vector<long double>& x, const std::vector<long double>& y,
                       const std::vector<long double>& sigma, const QString& function)>
        Draw;
    // The significant digits of the results.
    std::function<int()> Digits;

    // Reads the notebook's lists again (the notebook changed).
    void Refresh();
    // Reads a spreadsheet's text (pasted, or a CSV file's) into lists of the
    // notebook: a column named as a list replaces it, others get new names.
    bool TakeText(const std::string& text, QString& why);
    // A cell of the table is being edited.
    bool Editing() const;
    // The last fit, when there is one.
    const analysis::TFitResult& LastFit() const { return FFit; }

    // Controls, by their names.
    QTableWidget* TablaDatos;
    QPushButton* BotonPegar;
    QPushButton* BotonImportar;
    QPushButton* BotonExportar;
    QPlainTextEdit* Estadisticas;
    QComboBox* ComboX;
    QComboBox* ComboY;
    QComboBox* ComboSigma;
    QComboBox* ComboModelo;
    QPushButton* BotonAjustar;
    QPlainTextEdit* ResultadoAjuste;
    QPushButton* BotonCuaderno;
    QPushButton* BotonDibujar;
    QLabel* LabelError;

    void BotonPegarClick();
    void BotonImportarClick();
    void BotonExportarClick();
    void BotonAjustarClick();
    void BotonCuadernoClick();
    void BotonDibujarClick();

private:
    void TablaDatosChanged(QTableWidgetItem* item);
    void RestoreCell(int row, int column);
    void ShowStatistics();
    void FillChoosers();
    const TDataList* ListNamed(const QString& name) const;
    std::string FreeName(const std::string& wanted, const std::vector<std::string>& taken) const;
    calc::TDataTable Table() const;
    void ForgetStaleFit();
    calc::TNotebookDefinitions FDefinitions;
    std::vector<TDataList> FLists;
    bool FFilling = false;
    analysis::TFitResult FFit;
    analysis::TFitModel FFitModel = analysis::TFitModel::Line;
    QString FFitX, FFitY, FFitSigma;
    std::vector<long double> FFitData[3]; // the x, y and uncertainties fitted
    bool FFitWritten = false;             // "ajuste" in the notebook is the fit shown
};
