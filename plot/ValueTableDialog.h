// "Tabla de valores": x and each plotted function's value from a start to an
// end with a step, shown through a model whose rows are computed, a block at
// a time, on the plot model's thread when the table view first asks for
// them ("…" until then); copied as tab-separated text and saved as CSV.
#pragma once

#include "analysis/ExactTable.h"
#include "analysis/ValueTable.h"
#include "plot/PlotModel.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <functional>
#include <set>
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
class TPlotModel;

class TValueTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    TValueTableModel(TPlotModel* plot, int digits, QObject* parent);
    ~TValueTableModel() override;

    // The columns after x: each a plotted function or its derivative, with
    // its header text and the plotted function whose colour it has.
    struct TColumn {
        TPlotModel::TTableColumn Source;
        QString Text;   // in the tooltip and the copied header
        int Colour = 0;
        QString Header; // shown above the column when not Text ("f′(x)")
    };
    void SetColumns(std::vector<TColumn> columns);
    // A new table over `range` with `rows` rows (from analysis::CheckTableRange),
    // or none (`rows` 0).
    void SetRange(const analysis::TTableRange& range, int64_t rows);
    analysis::TValueTable* Table() const { return FTable.get(); }
    // Shows x and the functions' values as fractions where they are exact
    // (from and step as typed); null to show decimals only.
    void SetFractions(std::unique_ptr<analysis::TExactRows> rows);
    // The blocks of rows [first, end) are computed, asking for those that are not.
    bool Ready(int64_t first, int64_t end);
    // Rows [first, end) as text with a header row (analysis::TValueTable::Text);
    // their blocks must be ready.
    QString Text(int64_t first, int64_t end, const QString& decimalMark, const QString& separator) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // A block of rows arrived.
    void BlockReady();
    // The derivative columns that have none, with why.
    void NoDerivative(const QString& text);

private:
    void Request(int64_t block) const;
    QString FailureReason(int64_t row, int column) const;
    // A cell as a fraction, or nothing (decimal).
    std::optional<QString> FractionText(int64_t row, int column) const;

    TPlotModel* FPlot;
    std::vector<TColumn> FColumns;
    int FDigits;
    std::unique_ptr<analysis::TValueTable> FTable;
    std::vector<std::string> FWhyNot; // per column, for a derivative without formula
    std::unique_ptr<analysis::TExactRows> FExactRows;
    mutable std::vector<std::unique_ptr<analysis::TExactColumn>> FExactColumns; // made on first need
    mutable std::set<int64_t> FRequested;
    unsigned FGeneration = 0;
};

class TValueTableDialog : public QDialog {
    Q_OBJECT
public:
    // The model's functions with their texts; the table starts at -`range`
    // and ends at `range` with step 1.  `digits`: significant digits of the
    // numbers.
    TValueTableDialog(TPlotModel* plot, const QStringList& texts, int range, int digits, QWidget* parent);

    TValueTableModel* Model() const { return FModel; }

    QLineEdit* EditFrom;
    QLineEdit* EditTo;
    QLineEdit* EditStep;
    QPushButton* ButtonCompute; // "Calcular"
    QCheckBox* CheckDerivada;   // a column f'(x) beside each function
    QCheckBox* CheckFracciones; // x and f(x) as fractions where they are exact
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
    // Copies or saves rows [first, end) once they are computed.
    void WhenReady(int64_t first, int64_t end, std::function<void()> action);
    void BlockReady();

    TValueTableModel* FModel;
    TPlotModel* FPlot;
    QStringList FPlottedTexts;
    QString FRowsText;     // "N filas"
    QString FNoDerivative; // the functions without a derivative column, and why
    // What waits for its rows.
    struct TPending {
        int64_t First = 0, End = 0;
        std::function<void()> Action;
    };
    std::optional<TPending> FPending;
    bool FFitColumns = false; // the columns take their contents' widths at the next block
};
