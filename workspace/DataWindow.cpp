#include "workspace/DataWindow.h"

#include "calc/DataText.h"
#include "engine/NumberFormat.h"
#include "engine/Statistics.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

QPushButton* Button(const char* name, const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QComboBox* Chooser(const char* name, QWidget* parent)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    return c;
}

// A list's line of the notebook: "t = 1.21; 1.25".
std::string ListLine(const std::string& name, const std::vector<std::string>& cells)
{
    // A list without values has no line.
    if (std::all_of(cells.begin(), cells.end(), [](const std::string& c) { return c.empty(); })) return {};
    std::string line = name + " =";
    bool first = true;
    for (const std::string& c : cells) {
        if (c.empty()) continue;
        line += (first ? " " : "; ") + c;
        first = false;
    }
    // One value is a list when a ";" ends it, not a number.
    if (std::count_if(cells.begin(), cells.end(), [](const std::string& c) { return !c.empty(); }) == 1) line += ";";
    return line;
}

std::string Number(long double v, int digits) { return FormatGeneral(v, digits); }

// A name a list may have, from a column's header: its letters up to a
// blank or "(" ("L (m)" gives "L", "Δt" stays); digits go, since the
// language reads digits after a name as a number ("T2" is T 2).
std::string NameFrom(const std::string& header)
{
    QString name;
    for (const QChar c : QString::fromStdString(header).trimmed()) {
        if (c == ' ' || c == '(') break;
        if (c.isLetter() || c.isMark() || c == '_') name += c;
    }
    return name.toStdString();
}

// A blank cell before a column's last value: its row (0 for the first), -1
// for none.  Its values would pair with the wrong ones of another column.
int GapIn(const std::vector<std::string>& cells)
{
    std::size_t last = cells.size();
    while (last > 0 && cells[last - 1].empty()) --last;
    for (std::size_t r = 0; r < last; ++r)
        if (cells[r].empty()) return static_cast<int>(r);
    return -1;
}

constexpr analysis::TFitModel kModels[] = {analysis::TFitModel::Line,        analysis::TFitModel::Origin,
                                           analysis::TFitModel::Quadratic,   analysis::TFitModel::Exponential,
                                           analysis::TFitModel::Power,       analysis::TFitModel::Logarithmic};
const char* const kCoefficientNames[] = {"a", "b", "c"};

} // namespace

TFormDatos::TFormDatos(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormDatos");
    setWindowTitle("Datos");
    resize(760, 480);
    TablaDatos = new QTableWidget(this);
    TablaDatos->setObjectName("TablaDatos");
    BotonPegar = Button("BotonPegar", "Pegar columnas", this);
    BotonImportar = Button("BotonImportar", "Importar CSV…", this);
    BotonExportar = Button("BotonExportar", "Exportar CSV…", this);
    Estadisticas = new QPlainTextEdit(this);
    Estadisticas->setObjectName("Estadisticas");
    Estadisticas->setReadOnly(true);
    ComboX = Chooser("ComboX", this);
    ComboY = Chooser("ComboY", this);
    ComboSigma = Chooser("ComboSigma", this);
    ComboModelo = Chooser("ComboModelo", this);
    for (const analysis::TFitModel m : kModels) ComboModelo->addItem(QString::fromUtf8(analysis::FitModelName(m)));
    BotonAjustar = Button("BotonAjustar", "Ajustar", this);
    ResultadoAjuste = new QPlainTextEdit(this);
    ResultadoAjuste->setObjectName("ResultadoAjuste");
    ResultadoAjuste->setReadOnly(true);
    BotonCuaderno = Button("BotonCuaderno", "Escribir en el cuaderno", this);
    BotonDibujar = Button("BotonDibujar", "Dibujar", this);
    LabelError = new QLabel(this);
    LabelError->setObjectName("LabelError");
    LabelError->setStyleSheet("color: rgb(255, 0, 0)");
    LabelError->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BotonPegar, BotonImportar, BotonExportar}) buttons->addWidget(b);
    buttons->addStretch();
    auto* fit = new QGridLayout;
    const char* const labels[] = {"x:", "y:", "Incertidumbre de y:", "Modelo:"};
    QComboBox* const combos[] = {ComboX, ComboY, ComboSigma, ComboModelo};
    for (int k = 0; k < 4; ++k) {
        auto* label = new QLabel(labels[k], this);
        label->setBuddy(combos[k]);
        fit->addWidget(label, k, 0);
        fit->addWidget(combos[k], k, 1);
    }
    auto* fitButtons = new QHBoxLayout;
    for (QPushButton* b : {BotonAjustar, BotonCuaderno, BotonDibujar}) fitButtons->addWidget(b);
    auto* right = new QWidget(this);
    auto* side = new QVBoxLayout(right);
    side->setContentsMargins(0, 0, 0, 0);
    side->addWidget(new QLabel("Estadística de cada columna:", right));
    side->addWidget(Estadisticas, 2);
    side->addWidget(new QLabel("Ajuste:", right));
    side->addLayout(fit);
    side->addLayout(fitButtons);
    side->addWidget(ResultadoAjuste, 3);
    auto* split = new QSplitter(this);
    split->addWidget(TablaDatos);
    split->addWidget(right);
    auto* all = new QVBoxLayout(this);
    all->addLayout(buttons);
    all->addWidget(split, 1);
    all->addWidget(LabelError);

    connect(BotonPegar, &QPushButton::clicked, this, &TFormDatos::BotonPegarClick);
    connect(BotonImportar, &QPushButton::clicked, this, &TFormDatos::BotonImportarClick);
    connect(BotonExportar, &QPushButton::clicked, this, &TFormDatos::BotonExportarClick);
    connect(BotonAjustar, &QPushButton::clicked, this, &TFormDatos::BotonAjustarClick);
    connect(BotonCuaderno, &QPushButton::clicked, this, &TFormDatos::BotonCuadernoClick);
    connect(BotonDibujar, &QPushButton::clicked, this, &TFormDatos::BotonDibujarClick);
    connect(TablaDatos, &QTableWidget::itemChanged, this, &TFormDatos::TablaDatosChanged);
    BotonCuaderno->setEnabled(false);
}

void TFormDatos::Refresh()
{
    FDefinitions = Definitions ? Definitions() : calc::TNotebookDefinitions{};
    FLists = FDefinitions.Lists;
    const int row = TablaDatos->currentRow(), column = TablaDatos->currentColumn();
    FFilling = true;
    std::size_t rows = 0;
    for (const TDataList& l : FLists) rows = std::max(rows, l.Values.size());
    TablaDatos->clear();
    TablaDatos->setColumnCount(static_cast<int>(FLists.size()));
    TablaDatos->setRowCount(static_cast<int>(rows) + 1); // a free row to write a new value in
    for (int c = 0; c < static_cast<int>(FLists.size()); ++c) {
        const TDataList& l = FLists[static_cast<std::size_t>(c)];
        TablaDatos->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromStdString(l.Name)));
        // The values as the notebook writes them, so that an edit elsewhere
        // writes them back unchanged.
        const std::vector<std::string>& texts = FDefinitions.ListTexts[static_cast<std::size_t>(c)];
        for (std::size_t r = 0; r < texts.size(); ++r)
            TablaDatos->setItem(static_cast<int>(r), c, new QTableWidgetItem(QString::fromStdString(texts[r])));
    }
    if (row >= 0 && column >= 0) TablaDatos->setCurrentCell(row, column);
    FFilling = false;
    FillChoosers();
    ShowStatistics();
    ForgetStaleFit();
}

// A fit whose lists changed, or went, is no longer shown nor written.
void TFormDatos::ForgetStaleFit()
{
    if (!FFit.Ok) return;
    const TDataList* lists[] = {ListNamed(FFitX), ListNamed(FFitY), FFitSigma.isEmpty() ? nullptr : ListNamed(FFitSigma)};
    bool same = true;
    for (int k = 0; k < 3; ++k)
        same = same && (lists[k] != nullptr ? lists[k]->Values == FFitData[k] : (k == 2 && FFitSigma.isEmpty()));
    if (same) return;
    FFit = {};
    FFitWritten = false;
    ResultadoAjuste->clear();
    BotonCuaderno->setEnabled(false);
}

bool TFormDatos::Editing() const
{
    // A cell's editor is a child of the viewport, shown while it is open.
    for (const QWidget* w : TablaDatos->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible()) return true;
    return false;
}

void TFormDatos::RestoreCell(int row, int column)
{
    // After the editor has closed: the cell shows the notebook's value again.
    QTimer::singleShot(0, this, [this, row, column] {
        QTableWidgetItem* item = TablaDatos->item(row, column);
        if (item == nullptr || column >= static_cast<int>(FDefinitions.ListTexts.size())) return;
        const std::vector<std::string>& texts = FDefinitions.ListTexts[static_cast<std::size_t>(column)];
        FFilling = true;
        item->setText(row < static_cast<int>(texts.size()) ? QString::fromStdString(texts[static_cast<std::size_t>(row)])
                                                          : QString());
        FFilling = false;
    });
}

void TFormDatos::FillChoosers()
{
    QComboBox* const lists[] = {ComboX, ComboY, ComboSigma};
    for (QComboBox* combo : lists) {
        const QString was = combo->currentText();
        combo->clear();
        if (combo == ComboSigma) combo->addItem("(ninguna)");
        for (const TDataList& l : FLists) combo->addItem(QString::fromStdString(l.Name));
        const int at = combo->findText(was);
        if (at >= 0) combo->setCurrentIndex(at);
        else if (combo == ComboY && combo->count() > 1) combo->setCurrentIndex(1);
    }
}

void TFormDatos::ShowStatistics()
{
    QString text;
    const int digits = Digits ? Digits() : 9;
    for (const TDataList& l : FLists) {
        const auto stat = [&](TListStatistic kind) -> std::string {
            long double v = 0;
            std::string why;
            return ListStatistic(kind, l, nullptr, v, why) ? Number(v, digits) : std::string("—");
        };
        long double mean = 0, error = 0;
        std::string why;
        const bool spread = ListStatistic(kStatMean, l, nullptr, mean, why) &&
                            ListStatistic(kStatMeanError, l, nullptr, error, why);
        const auto unit = Units.find(QString::fromStdString(l.Name).toLower());
        const std::string unitText = unit != Units.end() ? unit->second.toStdString() : std::string();
        text += QString::fromStdString(spread ? calc::LabValue(l.Name, mean, error, unitText)
                                              : l.Name + " = " + stat(kStatMean));
        text += QString::fromStdString("\n   n = " + stat(kStatCount) + "; media = " + stat(kStatMean) +
                                       "; desv = " + stat(kStatDeviation) + "; desvp = " +
                                       stat(kStatPopulationDeviation) + "\n   mediana = " + stat(kStatMedian) +
                                       "; mínimo = " + stat(kStatMinimum) + "; máximo = " + stat(kStatMaximum) +
                                       "; error de la media = " + stat(kStatMeanError) + "\n");
    }
    Estadisticas->setPlainText(text);
}

calc::TDataTable TFormDatos::Table() const
{
    calc::TDataTable table;
    for (int c = 0; c < TablaDatos->columnCount(); ++c) {
        calc::TDataColumn column;
        column.Name = TablaDatos->horizontalHeaderItem(c)->text().toStdString();
        for (int r = 0; r < TablaDatos->rowCount(); ++r) {
            const QTableWidgetItem* item = TablaDatos->item(r, c);
            column.Cells.push_back(item != nullptr ? item->text().trimmed().toStdString() : std::string());
        }
        while (!column.Cells.empty() && column.Cells.back().empty()) column.Cells.pop_back();
        table.Columns.push_back(std::move(column));
    }
    return table;
}

void TFormDatos::TablaDatosChanged(QTableWidgetItem* item)
{
    if (FFilling || item == nullptr || !WriteLine) return;
    const calc::TDataTable table = Table();
    const calc::TDataColumn& column = table.Columns[static_cast<std::size_t>(item->column())];
    // The cell is read as the notebook reads it, after a decimal comma; a
    // cell that is not a number goes back to what the notebook holds.
    std::vector<std::string> cells;
    for (std::string cell : column.Cells) {
        std::replace(cell.begin(), cell.end(), ',', '.');
        long double value = 0;
        if (!cell.empty() && !calc::ConvertValueText(cell, value)) {
            LabelError->setText("«" + QString::fromStdString(cell) + "» no es un número");
            RestoreCell(item->row(), item->column());
            return;
        }
        cells.push_back(cell);
    }
    if (GapIn(cells) >= 0) {
        LabelError->setText("Una lista no tiene celdas vacías entre sus valores: borre la fila entera en el cuaderno");
        RestoreCell(item->row(), item->column());
        return;
    }
    LabelError->clear();
    WriteLine(column.Name, ListLine(column.Name, cells), false);
}

// `wanted` when it may name a list of the notebook (a list's name, or one
// nothing else uses), else colA, colB...; never one of `taken`.
std::string TFormDatos::FreeName(const std::string& wanted, const std::vector<std::string>& taken) const
{
    const auto lowered = [](std::string n) { return QString::fromStdString(n).toLower().toStdString(); };
    const auto free = [&](const std::string& name) {
        const std::string low = lowered(name);
        for (const std::string& t : taken)
            if (lowered(t) == low) return false;
        if (ListNamed(QString::fromStdString(name)) != nullptr) return true;
        if (!calc::IsFunctionName(name)) return false;
        for (const calc::TNotebookLine& v : FDefinitions.Values)
            if (lowered(QString::fromStdString(v.name).trimmed().toStdString()) == low) return false;
        for (const calc::TNotebookLine& t : FDefinitions.Texts)
            if (lowered(QString::fromStdString(t.name).trimmed().toStdString()) == low) return false;
        for (const TFunctionSource& f : FDefinitions.Functions)
            if (lowered(f.Name) == low) return false;
        for (const calc::TBrokenList& b : FDefinitions.BrokenLists)
            if (lowered(b.Name) == low) return false;
        return true;
    };
    if (!wanted.empty() && free(wanted)) return wanted;
    for (int k = 0;; ++k) {
        std::string name = "col";
        for (int n = k;; n = n / 26 - 1) {
            name.insert(3, 1, static_cast<char>('A' + n % 26));
            if (n < 26) break;
        }
        if (free(name) && ListNamed(QString::fromStdString(name)) == nullptr) return name;
    }
}

bool TFormDatos::TakeText(const std::string& text, QString& why)
{
    calc::TDataTable table;
    std::string reason;
    if (!calc::ReadDataText(text, table, reason)) {
        why = QString::fromStdString(reason);
        return false;
    }
    for (std::size_t c = 0; c < table.Columns.size(); ++c) {
        const int gap = GapIn(table.Columns[c].Cells);
        if (gap < 0) continue;
        why = QString("La columna %1 tiene una celda vacía en la fila %2 de sus datos: cada fila debe tener todos "
                      "sus valores")
                  .arg(c + 1)
                  .arg(gap + 1);
        return false;
    }
    std::vector<std::string> taken;
    for (const calc::TDataColumn& column : table.Columns) {
        const std::string name = FreeName(NameFrom(column.Name), taken);
        // The unit in the header's parentheses: "T (s)".
        const QString header = QString::fromStdString(column.Name);
        const int open = header.indexOf('('), close = header.lastIndexOf(')');
        if (open >= 0 && close > open) Units[QString::fromStdString(name).toLower()] = header.mid(open + 1, close - open - 1).trimmed();
        WriteLine(name, ListLine(name, column.Cells), !taken.empty()); // the paste is one step to undo
        taken.push_back(name);
    }
    Refresh();
    return true;
}

void TFormDatos::BotonPegarClick()
{
    QString why;
    LabelError->clear();
    if (!TakeText(QApplication::clipboard()->text().toStdString(), why)) LabelError->setText(why);
}

void TFormDatos::BotonImportarClick()
{
    const QString path = QFileDialog::getOpenFileName(this, "Importar CSV", QString(), "CSV (*.csv *.txt);;Todos (*)");
    if (path.isEmpty()) return;
    QFile file(path);
    QString why;
    LabelError->clear();
    if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024 * 1024) {
        LabelError->setText("No se puede leer «" + path + "»");
        return;
    }
    if (!TakeText(file.readAll().toStdString(), why)) LabelError->setText(why);
}

void TFormDatos::BotonExportarClick()
{
    const QString path = QFileDialog::getSaveFileName(this, "Exportar CSV", QString(), "CSV (*.csv)");
    if (path.isEmpty()) return;
    QFile file(path);
    const std::string csv = calc::WriteDataCsv(Table());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size()))
        LabelError->setText("No se puede escribir «" + path + "»");
}

const TDataList* TFormDatos::ListNamed(const QString& name) const
{
    for (const TDataList& l : FLists)
        if (QString::fromStdString(l.Name).compare(name, Qt::CaseInsensitive) == 0) return &l;
    return nullptr;
}

void TFormDatos::BotonAjustarClick()
{
    LabelError->clear();
    ResultadoAjuste->clear();
    BotonCuaderno->setEnabled(false);
    const TDataList* x = ListNamed(ComboX->currentText());
    const TDataList* y = ListNamed(ComboY->currentText());
    const TDataList* s = ComboSigma->currentIndex() > 0 ? ListNamed(ComboSigma->currentText()) : nullptr;
    if (x == nullptr || y == nullptr) {
        LabelError->setText("Elija las listas x e y");
        return;
    }
    FFitModel = kModels[std::clamp(ComboModelo->currentIndex(), 0, 5)];
    FFit = analysis::Fit(FFitModel, x->Values, y->Values, s != nullptr ? &s->Values : nullptr);
    FFitX = ComboX->currentText();
    FFitY = ComboY->currentText();
    FFitSigma = s != nullptr ? ComboSigma->currentText() : QString();
    FFitData[0] = x->Values;
    FFitData[1] = y->Values;
    FFitData[2] = s != nullptr ? s->Values : std::vector<long double>{};
    FFitWritten = false;
    if (!FFit.Ok) {
        LabelError->setText(QString::fromStdString(FFit.Why));
        return;
    }
    const int digits = Digits ? Digits() : 9;
    QString text = QString::fromUtf8(analysis::FitModelName(FFitModel)) + ": y = " +
                   QString::fromStdString(analysis::FitFunctionText(FFitModel, FFit, digits)) + "\n";
    const bool origin = FFitModel == analysis::TFitModel::Origin;
    for (std::size_t k = 0; k < FFit.Coefficients.size(); ++k)
        text += QString::fromStdString(
                    calc::LabValue(kCoefficientNames[origin ? 1 : k], FFit.Coefficients[k], FFit.Errors[k])) +
                "\n";
    text += QString::fromStdString("r² = " + Number(FFit.RSquared, digits) + "\nresiduos: ");
    for (std::size_t k = 0; k < FFit.Residuals.size() && k < 1000; ++k)
        text += QString::fromStdString((k ? "; " : "") + Number(FFit.Residuals[k], 4));
    ResultadoAjuste->setPlainText(text);
    BotonCuaderno->setEnabled(WriteLine != nullptr);
}

void TFormDatos::BotonCuadernoClick()
{
    if (!FFit.Ok || !WriteLine) return;
    const int digits = std::max(Digits ? Digits() : 9, 12);
    WriteLine("ajuste", "ajuste(x)=" + analysis::FitFunctionText(FFitModel, FFit, digits), false);
    std::vector<std::string> residuals;
    for (const long double r : FFit.Residuals) residuals.push_back(Number(r, digits));
    WriteLine("residuos", ListLine("residuos", residuals), true);
    FFitWritten = true;
    Refresh();
}

void TFormDatos::BotonDibujarClick()
{
    const TDataList* x = ListNamed(ComboX->currentText());
    const TDataList* y = ListNamed(ComboY->currentText());
    const TDataList* s = ComboSigma->currentIndex() > 0 ? ListNamed(ComboSigma->currentText()) : nullptr;
    if (x == nullptr || y == nullptr || !Draw) return;
    if (x->Values.size() != y->Values.size()) {
        LabelError->setText("Las listas x e y tienen distinto número de valores");
        return;
    }
    // The fit is drawn when it is of these lists and is in the notebook.
    const bool fitted = FFit.Ok && FFitWritten && ListNamed(FFitX) == x && ListNamed(FFitY) == y;
    Draw(x->Values, y->Values, s != nullptr && s->Values.size() == y->Values.size() ? s->Values : std::vector<long double>{},
         fitted ? QString("ajuste(x)") : QString());
}
