// "Tabla de valores": x and each plotted function's value from a start to an
// end with a step, shown through a model whose cells are computed when the
// table view first asks for them; copied as tab-separated text and saved
// as CSV.
#pragma once

#include "analysis/ValueTable.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TMathParser;

class TValueTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TValueTableModel(analysis::TFunctionList functions, QStringList texts, int digits, QObject* parent);
    ~TValueTableModel() override;

    // A new table over `range` with `rows` rows (from analysis::CheckTableRange),
    // or none (`rows` 0).
    void SetRange(const analysis::TTableRange& range, int64_t rows);
    analysis::TValueTable* Table() const { return FTable.get(); }
    // Rows [first, end) as text with a header row (analysis::TValueTable::Text).
    QString Text(int64_t first, int64_t end, const QString& decimalMark, const QString& separator) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const analysis::TFunctionList& Functions() const { return FFunctions; }
    // Other columns: `functions` with their header texts, each in the
    // colour of the plotted function `colours` names.
    void SetColumns(analysis::TFunctionList functions, QStringList texts, std::vector<int> colours);

private:
    analysis::TFunctionList FFunctions;
    QStringList FTexts;
    std::vector<int> FColours; // empty: column k in colour k
    int FDigits;
    std::unique_ptr<analysis::TValueTable> FTable;
};

class TValueTableDialog : public QDialog {
    Q_OBJECT
public:
    // The functions (at least one, of one parser) with their texts; the
    // table starts at -`range` and ends at `range` with step 1.  `digits`:
    // significant digits of the numbers.
    TValueTableDialog(const analysis::TFunctionList& functions, const QStringList& texts, int range, int digits,
                      QWidget* parent);

    TValueTableModel* Model() const { return FModel; }

    QLineEdit* EditFrom;
    QLineEdit* EditTo;
    QLineEdit* EditStep;
    QPushButton* ButtonCompute; // "Calcular"
    QCheckBox* CheckDerivada;   // a column f'(x) beside each function
    QLabel* Status;             // the rows, or why there is no table
    QTableView* Grid;
    QPushButton* ButtonCopy;    // "Copiar"
    QPushButton* ButtonSave;    // "Guardar…"
    QPushButton* ButtonClose;   // "Cerrar"


public slots:
    void Compute();
    void Copy();
    void Save();

private:
    void BuildControls(const QString& from, const QString& to);
    bool ReadValue(QLineEdit* edit, const QString& name, long double& value, std::optional<analysis::TDecimal>& exact);
    void CopySelection();
    void ShowStatus(const QString& text, bool error);

    void UpdateColumns();

    TValueTableModel* FModel;
    analysis::TFunctionList FPlotted;
    QStringList FPlottedTexts;
    QString FNoDerivative; // the functions without a derivative column, and why
};
