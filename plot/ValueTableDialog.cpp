#include "plot/ValueTableDialog.h"

#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "plot/CurveColours.h"
#include "analysis/PlotFunctions.h"
#include "ui/Design.h"
#include "ui/Prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// What a failed sample shows, and a row not computed yet.
const QString kFailed = QStringLiteral("—");
const QString kWaiting = QStringLiteral("…");

} // namespace

// ---------------------------------------------------------------------------
// The model

TValueTableModel::TValueTableModel(TPlotModel* plot, int digits, QObject* parent)
    : QAbstractTableModel(parent), FPlot(plot), FDigits(digits)
{
}

TValueTableModel::~TValueTableModel()
{
    if (FTable) FPlot->StopTable();
}

void TValueTableModel::SetColumns(std::vector<TColumn> columns)
{
    beginResetModel();
    FTable.reset();
    FColumns = std::move(columns);
    endResetModel();
}

void TValueTableModel::SetFractions(std::unique_ptr<analysis::TExactRows> rows)
{
    beginResetModel();
    FExactRows = std::move(rows);
    FExactColumns.clear();
    endResetModel();
}

std::optional<QString> TValueTableModel::FractionText(int64_t row, int column) const
{
    if (!FExactRows || !FExactRows->Exact()) return std::nullopt;
    const std::optional<TFraction> x = FExactRows->X(row);
    if (!x) return std::nullopt;
    if (column < 0) return QString::fromStdString(x->Text());
    const TColumn& c = FColumns[static_cast<std::size_t>(column)];
    const analysis::TFunctionList& functions = FPlot->Functions();
    if (c.Source.Derivative || c.Source.Function >= static_cast<int>(functions.size())) return std::nullopt;
    FExactColumns.resize(FColumns.size());
    auto& exact = FExactColumns[static_cast<std::size_t>(column)];
    if (!exact) exact = std::make_unique<analysis::TExactColumn>(*functions[static_cast<std::size_t>(c.Source.Function)]);
    const std::optional<TFraction> y = exact->At(*x, FTable->X(row));
    if (!y) return std::nullopt;
    return QString::fromStdString(y->Text());
}

void TValueTableModel::SetRange(const analysis::TTableRange& range, int64_t rows)
{
    beginResetModel();
    FPlot->StopTable();
    ++FGeneration; // what is still on its way is for the table of before
    FRequested.clear();
    FTable.reset();
    FWhyNot.assign(FColumns.size(), {});
    if (rows > 0) FTable = std::make_unique<analysis::TValueTable>(static_cast<int>(FColumns.size()), range, rows);
    endResetModel();
}

void TValueTableModel::Request(int64_t block) const
{
    if (!FTable || !FRequested.insert(block).second) return;
    std::vector<TPlotModel::TTableColumn> sources;
    for (const TColumn& c : FColumns) sources.push_back(c.Source);
    const QPointer<TValueTableModel> self = const_cast<TValueTableModel*>(this);
    const unsigned generation = FGeneration;
    FPlot->ComputeTableBlock(sources, FTable->BlockXs(block),
                             [self, block, generation](analysis::TValueTable::TBlockValues values,
                                                       std::vector<std::string> whyNot) {
                                 if (!self || generation != self->FGeneration || !self->FTable) return;
                                 self->FTable->SetBlock(block, std::move(values));
                                 QString missing;
                                 for (std::size_t c = 0; c < whyNot.size(); ++c) {
                                     self->FWhyNot[c] = whyNot[c];
                                     const int function = self->FColumns[c].Source.Function;
                                     const std::vector<std::string>& texts = self->FPlot->Texts();
                                     if (!whyNot[c].empty() && function < static_cast<int>(texts.size()))
                                         missing += QString(" «%1» sin derivada: %2.")
                                                        .arg(QString::fromStdString(analysis::Trimmed(texts[static_cast<std::size_t>(function)])),
                                                             QString::fromStdString(whyNot[c]));
                                 }
                                 const int first = static_cast<int>(block * analysis::TValueTable::kBlockRows);
                                 const int last = static_cast<int>(std::min<int64_t>(
                                     self->FTable->Rows(), (block + 1) * analysis::TValueTable::kBlockRows) - 1);
                                 emit self->dataChanged(self->index(first, 0), self->index(last, self->columnCount() - 1));
                                 emit self->NoDerivative(missing);
                                 emit self->BlockReady();
                             });
}

bool TValueTableModel::Ready(int64_t first, int64_t end)
{
    if (!FTable) return true;
    bool ready = true;
    for (int64_t b = first / analysis::TValueTable::kBlockRows; b * analysis::TValueTable::kBlockRows < end; ++b) {
        if (FTable->Ready(b)) continue;
        ready = false;
        Request(b);
    }
    return ready;
}

int TValueTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !FTable ? 0 : static_cast<int>(FTable->Rows());
}

int TValueTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1 + static_cast<int>(FColumns.size());
}

// Why a cell has no value: the engine's message for a plotted function,
// worked out here in the drawing engine; the derivative's reason.
QString TValueTableModel::FailureReason(int64_t row, int column) const
{
    const TColumn& c = FColumns[static_cast<std::size_t>(column)];
    if (c.Source.Derivative) {
        const std::string& why = FWhyNot[static_cast<std::size_t>(column)];
        return why.empty() ? QString("No tiene derivada en este punto") : QString::fromStdString(why);
    }
    const analysis::TFunctionList& functions = FPlot->Functions();
    if (c.Source.Function >= static_cast<int>(functions.size())) return {};
    const TExpression& f = *functions[static_cast<std::size_t>(c.Source.Function)];
    f.Parser()->SetConstant("x", FTable->X(row));
    long double value;
    if (f.TryEvaluate(value)) return {};
    return QString::fromStdString(f.Parser()->ErrorMessage());
}

QVariant TValueTableModel::data(const QModelIndex& index, int role) const
{
    if (!FTable || !index.isValid()) return {};
    const int64_t row = index.row();
    const int f = index.column() - 1;
    const int64_t block = row / analysis::TValueTable::kBlockRows;
    switch (role) {
    case Qt::DisplayRole: {
        long double value = f < 0 ? FTable->X(row) : 0;
        if (f >= 0 && !FTable->Ready(block)) {
            Request(block);
            return kWaiting;
        }
        if (f >= 0 && !FTable->Value(row, f, value)) return kFailed;
        if (const std::optional<QString> fraction = FractionText(row, f)) return *fraction;
        return QString::fromStdString(FormatGeneral(value, FDigits));
    }
    case Qt::ToolTipRole: {
        long double value;
        if (f < 0 || !FTable->Ready(block) || FTable->Value(row, f, value)) return {};
        return FailureReason(row, f);
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant TValueTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        if (section == 0) return QString("x");
        const TColumn& c = FColumns[static_cast<std::size_t>(section - 1)];
        return role == Qt::DisplayRole && !c.Header.isEmpty() ? c.Header : c.Text;
    }
    if (role == Qt::ForegroundRole && section > 0) return plot::CurveColour(FColumns[static_cast<std::size_t>(section - 1)].Colour);
    return {};
}

QString TValueTableModel::Text(int64_t first, int64_t end, const QString& decimalMark, const QString& separator) const
{
    if (!FTable) return {};
    std::vector<std::string> headers;
    for (const TColumn& c : FColumns) headers.push_back(c.Text.toStdString());
    return QString::fromStdString(
        FTable->Text(first, end, headers, FDigits, decimalMark.toStdString(), separator.toStdString()));
}

// ---------------------------------------------------------------------------
// The dialog

TValueTableDialog::TValueTableDialog(TPlotModel* plot, const QStringList& texts, int range, int digits, QWidget* parent)
    : QDialog(parent), FModel(new TValueTableModel(plot, digits, this)), FPlot(plot), FPlottedTexts(texts)
{
    setObjectName("TablaValores");
    setWindowTitle("Tabla de valores");
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls(QString::number(-static_cast<int64_t>(range)), QString::number(range));
    connect(FModel, &TValueTableModel::BlockReady, this, &TValueTableDialog::BlockReady);
    connect(FModel, &TValueTableModel::NoDerivative, this, [this](const QString& text) {
        if (text == FNoDerivative) return;
        FNoDerivative = text;
        ShowStatus(FRowsText + FNoDerivative, false);
    });
    Compute();
}

void TValueTableDialog::BuildControls(const QString& from, const QString& to)
{
    auto* column = new QVBoxLayout(this);
    auto* bounds = new QHBoxLayout;
    auto field = [&](const char* label, const char* name, const QString& text, const char* description) {
        auto* edit = new QLineEdit(text, this);
        edit->setObjectName(name);
        edit->setAccessibleName(QString(label).remove(':'));
        edit->setAccessibleDescription(description);
        auto* caption = new QLabel(label, this);
        caption->setBuddy(edit);
        bounds->addWidget(caption);
        bounds->addWidget(edit, 1);
        return edit;
    };
    EditFrom = field("Desde:", "EditFrom", from, "Primer valor de x; admite expresiones como -2*pi");
    EditTo = field("Hasta:", "EditTo", to, "Último valor de x");
    EditStep = field("Paso:", "EditStep", "1", "Diferencia entre dos valores de x seguidos");
    ButtonCompute = new QPushButton("Calcular", this);
    ButtonCompute->setObjectName("ButtonCompute");
    ButtonCompute->setAccessibleDescription("Calcula la tabla con estos valores");
    ButtonCompute->setDefault(true);
    bounds->addWidget(ButtonCompute);
    column->addLayout(bounds);
    CheckDerivada = new QCheckBox("Columna de la derivada f′(x)", this);
    CheckDerivada->setObjectName("CheckDerivada");
    CheckDerivada->setAccessibleDescription("Añade junto a cada función la columna de su derivada");
    column->addWidget(CheckDerivada);
    connect(CheckDerivada, &QCheckBox::toggled, this, &TValueTableDialog::Compute);
    CheckFracciones = new QCheckBox("Fracciones exactas", this);
    CheckFracciones->setObjectName("CheckFracciones");
    CheckFracciones->setAccessibleDescription(
        "Muestra x y los valores como fracciones donde son exactos, con un paso como 1/3");
    column->addWidget(CheckFracciones);
    connect(CheckFracciones, &QCheckBox::toggled, this, &TValueTableDialog::Compute);

    Status = new QLabel(this);
    Status->setObjectName("Status");
    Status->setWordWrap(true);
    Status->setAccessibleName("Estado de la tabla");
    column->addWidget(Status);

    Grid = new QTableView(this);
    Grid->setObjectName("Grid");
    Grid->setAccessibleName("Tabla de valores");
    Grid->setModel(FModel);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed); // one height: long tables stay quick
    Grid->verticalHeader()->setDefaultSectionSize(Grid->fontMetrics().height() + 6);
    Grid->horizontalHeader()->setDefaultSectionSize(170);
    Grid->horizontalHeader()->setStretchLastSection(true);
    column->addWidget(Grid, 1);
    auto* copy = new QShortcut(QKeySequence::Copy, Grid, nullptr, nullptr, Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &TValueTableDialog::CopySelection);

    auto* buttons = new QHBoxLayout;
    ButtonCopy = new QPushButton("Copiar", this);
    ButtonCopy->setObjectName("ButtonCopy");
    ButtonCopy->setAccessibleDescription("Copia la tabla en columnas separadas por tabuladores");
    ButtonSave = new QPushButton("Guardar…", this);
    ButtonSave->setObjectName("ButtonSave");
    ButtonSave->setAccessibleDescription("Guarda la tabla como archivo CSV");
    ButtonClose = new QPushButton("Cerrar", this);
    ButtonClose->setObjectName("ButtonClose");
    for (QPushButton* b : {ButtonCopy, ButtonSave, ButtonClose}) b->setAutoDefault(false);
    buttons->addWidget(ButtonCopy);
    buttons->addWidget(ButtonSave);
    buttons->addStretch(1);
    buttons->addWidget(ButtonClose);
    column->addLayout(buttons);

    connect(ButtonCompute, &QPushButton::clicked, this, &TValueTableDialog::Compute);
    connect(ButtonCopy, &QPushButton::clicked, this, &TValueTableDialog::Copy);
    connect(ButtonSave, &QPushButton::clicked, this, &TValueTableDialog::Save);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::reject);
    resize(std::max(480, 170 * (1 + static_cast<int>(FModel->columnCount())) + 40), 520);
}

// The value of a bound or the step: an expression of the engine without x;
// `exact` is the decimal typed when the text is a plain number.
bool TValueTableDialog::ReadValue(QLineEdit* edit, const QString& name, long double& value,
                                  std::optional<analysis::TDecimal>& exact)
{
    std::string problem;
    const std::string text = edit->text().toStdString();
    const bool ok = FPlot->EvaluateConstant(text, value, problem);
    exact.reset();
    analysis::TDecimal decimal;
    long double nearest;
    // The engine's value of the text must be that decimal's.
    if (ok && analysis::ReadDecimal(text, decimal) && analysis::DecimalValue(decimal, nearest) && nearest == value)
        exact = decimal;
    if (ok) return true;
    ShowStatus(QString("«%1»: %2").arg(name, QString::fromStdString(problem)), true);
    edit->setFocus();
    edit->selectAll();
    return false;
}

void TValueTableDialog::ShowStatus(const QString& text, bool error)
{
    ShowOutcome(this, Status, text, error);
}

// Why `range` gives no table, or nothing.
static QString RangeProblem(analysis::TTableCheck check, int64_t rows)
{
    const QLocale locale;
    switch (check) {
    case analysis::TTableCheck::Ok:
        return {};
    case analysis::TTableCheck::NotFinite:
        return "Los valores son demasiado grandes.";
    case analysis::TTableCheck::ZeroStep:
        return "El paso no puede ser 0.";
    case analysis::TTableCheck::WrongWay:
        return "Con ese paso no se llega de «Desde» a «Hasta»: cambie el signo del paso.";
    case analysis::TTableCheck::TooManyRows:
        break;
    }
    const QString count = rows == INT64_MAX ? QString("más de %1").arg(locale.toString(qlonglong(1) << 62))
                                            : locale.toString(static_cast<qlonglong>(rows));
    return QString("La tabla tendría %1 filas y el máximo es %2: aumente el paso o acorte el intervalo.")
        .arg(count, locale.toString(static_cast<qlonglong>(analysis::kMaxTableRows)));
}

// The plotted functions, each followed by its derivative when asked for
// (made in the angle unit of the moment, on the plot model's thread).
void TValueTableDialog::UpdateColumns()
{
    std::vector<TValueTableModel::TColumn> columns;
    FNoDerivative.clear();
    for (int i = 0; i < static_cast<int>(FPlot->Functions().size()); ++i) {
        columns.push_back({{i, false}, FPlottedTexts.value(i), i});
        // "f′(x)" above it, "f2′(x)" for the second function; its formula in the tooltip.
        const QString header = FPlot->Functions().size() > 1 ? QString("f%1′(x)").arg(i + 1) : QString("f′(x)");
        if (CheckDerivada->isChecked())
            columns.push_back({{i, true}, QString("(%1)′").arg(FPlottedTexts.value(i)), i, header});
    }
    FModel->SetColumns(std::move(columns));
}

void TValueTableDialog::Compute()
{
    UpdateColumns();
    analysis::TTableRange range;
    int64_t rows = 0;
    if (ReadValue(EditFrom, "Desde", range.From, range.ExactFrom) && ReadValue(EditTo, "Hasta", range.To, range.ExactTo) &&
        ReadValue(EditStep, "Paso", range.Step, range.ExactStep)) {
        const analysis::TTableCheck check = analysis::CheckTableRange(range, rows);
        const QString problem = RangeProblem(check, rows);
        if (problem.isEmpty()) {
            FRowsText = rows == 1 ? QString("1 fila") : QString("%1 filas").arg(QLocale().toString(static_cast<qlonglong>(rows)));
            ShowStatus(FRowsText + FNoDerivative, false);
        } else {
            ShowStatus(problem, true);
            rows = 0;
        }
    }
    FModel->SetRange(range, rows);
    FModel->SetFractions(CheckFracciones->isChecked() && rows > 0
                             ? std::make_unique<analysis::TExactRows>(EditFrom->text().toStdString(),
                                                                      EditStep->text().toStdString())
                             : nullptr);
    FFitColumns = rows > 0; // to the rows shown, once their values are there
    ButtonCopy->setEnabled(rows > 0);
    ButtonSave->setEnabled(rows > 0);
}

// The rows [first, end) once they are all computed: at once, or when the
// last of them arrives.
void TValueTableDialog::WhenReady(int64_t first, int64_t end, std::function<void()> action)
{
    if (FModel->Ready(first, end)) {
        FPending.reset();
        action();
        return;
    }
    FPending = TPending{first, end, std::move(action)};
    ShowStatus("Calculando las filas de la tabla…", false);
}

void TValueTableDialog::BlockReady()
{
    if (FFitColumns) {
        FFitColumns = false;
        Grid->horizontalHeader()->setResizeContentsPrecision(0); // the rows in view
        Grid->resizeColumnsToContents();
    }
    if (!FPending || !FModel->Ready(FPending->First, FPending->End)) return;
    const TPending pending = *FPending;
    FPending.reset();
    ShowStatus(FRowsText + FNoDerivative, false);
    pending.Action();
}

void TValueTableDialog::Copy()
{
    if (FModel->Table() == nullptr) return;
    const int64_t rows = FModel->Table()->Rows();
    WhenReady(0, rows, [this, rows] {
        QApplication::clipboard()->setText(FModel->Text(0, rows, QLocale().decimalPoint(), "\t"));
    });
}

// Ctrl+C in the table: the selected rows (from the first to the last), or
// the whole table.
void TValueTableDialog::CopySelection()
{
    const QModelIndexList rows = Grid->selectionModel()->selectedRows();
    if (rows.isEmpty() || FModel->Table() == nullptr) return Copy();
    int first = rows.front().row(), last = first;
    for (const QModelIndex& i : rows) {
        first = std::min(first, i.row());
        last = std::max(last, i.row());
    }
    WhenReady(first, last + 1, [this, first, last] {
        QApplication::clipboard()->setText(FModel->Text(first, last + 1, QLocale().decimalPoint(), "\t"));
    });
}

// CSV in UTF-8 with a header row: "." and "," between fields, or where the
// decimal mark is ",", "," and ";".
void TValueTableDialog::Save()
{
    if (FModel->Table() == nullptr) return;
    prompts::TFileChoice choice;
    choice.Title = "Guardar tabla";
    choice.Name = "tabla.csv";
    choice.Filters = {"Valores separados por comas (*.csv)"};
    const QString path = prompts::ChooseFileToWrite(this, choice);
    if (path.isEmpty()) return;
    const int64_t rows = FModel->Table()->Rows();
    WhenReady(0, rows, [this, path, rows] {
        const bool comma = QLocale().decimalPoint() == ",";
        const QString text = FModel->Text(0, rows, comma ? "," : ".", comma ? ";" : ",");
        QSaveFile file(path);
        const QByteArray bytes = text.toUtf8();
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            prompts::ShowFailure(this,
                                 QString("No se pudo guardar la tabla en \"%1\": %2").arg(path, file.errorString()));
    });
}
