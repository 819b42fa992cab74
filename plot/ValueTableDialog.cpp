#include "plot/ValueTableDialog.h"

#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "plot/CurveColours.h"
#include "analysis/Derivative.h"
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
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// What a failed sample shows.
const QString kFailed = QStringLiteral("—");

// Whether `node` reads the named value x anywhere.
bool ReadsX(const TParseNode* node)
{
    if (node == nullptr) return false;
    if (node->Variable != nullptr && node->Variable->Name == "x") return true;
    return ReadsX(node->Left) || ReadsX(node->Right);
}

} // namespace

// ---------------------------------------------------------------------------
// The model

TValueTableModel::TValueTableModel(analysis::TFunctionList functions, QStringList texts, int digits, QObject* parent)
    : QAbstractTableModel(parent), FFunctions(std::move(functions)), FTexts(std::move(texts)),
      FDigits(digits)
{
}

TValueTableModel::~TValueTableModel() = default;

void TValueTableModel::SetColumns(analysis::TFunctionList functions, QStringList texts, std::vector<int> colours)
{
    beginResetModel();
    FTable.reset();
    FFunctions = std::move(functions);
    FTexts = std::move(texts);
    FColours = std::move(colours);
    endResetModel();
}

void TValueTableModel::SetRange(const analysis::TTableRange& range, int64_t rows)
{
    beginResetModel();
    FTable.reset();
    if (rows > 0) FTable = std::make_unique<analysis::TValueTable>(FFunctions, range, rows);
    endResetModel();
}

int TValueTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !FTable ? 0 : static_cast<int>(FTable->Rows());
}

int TValueTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1 + static_cast<int>(FFunctions.size());
}

QVariant TValueTableModel::data(const QModelIndex& index, int role) const
{
    if (!FTable || !index.isValid()) return {};
    const int64_t row = index.row();
    const int f = index.column() - 1;
    switch (role) {
    case Qt::DisplayRole: {
        long double value = f < 0 ? FTable->X(row) : 0;
        if (f >= 0 && !FTable->Value(row, f, value)) return kFailed;
        return QString::fromStdString(FormatGeneral(value, FDigits));
    }
    case Qt::ToolTipRole:
        if (f < 0) return {};
        if (const std::string reason = FTable->FailureReason(row, f); !reason.empty())
            return QString::fromStdString(reason);
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant TValueTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal) return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return section == 0 ? QString("x") : FTexts.value(section - 1);
    if (role == Qt::ForegroundRole && section > 0)
        return plot::CurveColour(FColours.empty() ? section - 1 : FColours.at(static_cast<std::size_t>(section - 1)));
    return {};
}

QString TValueTableModel::Text(int64_t first, int64_t end, const QString& decimalMark, const QString& separator) const
{
    if (!FTable) return {};
    std::vector<std::string> headers;
    for (const QString& t : FTexts) headers.push_back(t.toStdString());
    return QString::fromStdString(
        FTable->Text(first, end, headers, FDigits, decimalMark.toStdString(), separator.toStdString()));
}

// ---------------------------------------------------------------------------
// The dialog

TValueTableDialog::TValueTableDialog(const analysis::TFunctionList& functions, const QStringList& texts, int range,
                                     int digits, QWidget* parent)
    : QDialog(parent), FModel(new TValueTableModel(functions, texts, digits, this)), FPlotted(functions),
      FPlottedTexts(texts)
{
    setObjectName("TablaValores");
    setWindowTitle("Tabla de valores");
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls(QString::number(-static_cast<int64_t>(range)), QString::number(range));
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
    QString problem;
    const std::string text = edit->text().toStdString();
    try {
        // In the functions' parser, where x is defined.
        TMathParser& parser = *FModel->Functions().front()->Parser();
        const TExpression bound(parser, text);
        if (ReadsX(bound.Tree())) problem = "no puede depender de x";
        else if (!bound.TryEvaluate(value)) problem = QString::fromStdString(parser.ErrorMessage());
    } catch (const EMathParserException& e) {
        problem = QString::fromStdString(e.ErrorMessage);
    }
    exact.reset();
    analysis::TDecimal decimal;
    long double nearest;
    // The engine's value of the text must be that decimal's.
    if (problem.isEmpty() && analysis::ReadDecimal(text, decimal) && analysis::DecimalValue(decimal, nearest) &&
        nearest == value)
        exact = decimal;
    if (problem.isEmpty()) return true;
    ShowStatus(QString("«%1»: %2").arg(name, problem), true);
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
// (made in the angle unit of the moment).
void TValueTableDialog::UpdateColumns()
{
    analysis::TFunctionList functions;
    QStringList texts;
    std::vector<int> colours;
    FNoDerivative.clear();
    const std::vector<analysis::TSlopes> slopes =
        CheckDerivada->isChecked() ? analysis::Slopes(FPlotted, AngleUnitIsDegrees()) : std::vector<analysis::TSlopes>();
    for (std::size_t i = 0; i < FPlotted.size(); ++i) {
        functions.push_back(FPlotted[i]);
        texts << FPlottedTexts.value(static_cast<int>(i));
        colours.push_back(static_cast<int>(i));
        if (i >= slopes.size()) continue;
        if (slopes[i].First) {
            functions.push_back(slopes[i].First);
            texts << QString("(%1)′").arg(FPlottedTexts.value(static_cast<int>(i)));
            colours.push_back(static_cast<int>(i));
        } else {
            FNoDerivative += QString(" «%1» sin derivada: %2.")
                                 .arg(FPlottedTexts.value(static_cast<int>(i)), QString::fromStdString(slopes[i].WhyNot));
        }
    }
    FModel->SetColumns(std::move(functions), std::move(texts), std::move(colours));
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
            ShowStatus((rows == 1 ? QString("1 fila")
                                  : QString("%1 filas").arg(QLocale().toString(static_cast<qlonglong>(rows)))) +
                           FNoDerivative,
                       false);
        } else {
            ShowStatus(problem, true);
            rows = 0;
        }
    }
    FModel->SetRange(range, rows);
    ButtonCopy->setEnabled(rows > 0);
    ButtonSave->setEnabled(rows > 0);
}

void TValueTableDialog::Copy()
{
    if (FModel->Table() == nullptr) return;
    QApplication::clipboard()->setText(FModel->Text(0, FModel->Table()->Rows(), QLocale().decimalPoint(), "\t"));
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
    QApplication::clipboard()->setText(FModel->Text(first, last + 1, QLocale().decimalPoint(), "\t"));
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
    const bool comma = QLocale().decimalPoint() == ",";
    const QString text = FModel->Text(0, FModel->Table()->Rows(), comma ? "," : ".", comma ? ";" : ",");
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        prompts::ShowFailure(this, QString("No se pudo guardar la tabla en \"%1\": %2").arg(path, file.errorString()));
}
