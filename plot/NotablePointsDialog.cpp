#include "plot/NotablePointsDialog.h"

#include "engine/NumberFormat.h"
#include "plot/CurveColours.h"
#include "analysis/ExactTable.h"
#include "analysis/PointKinds.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QAbstractTableModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString KindName(analysis::TPointKind kind)
{
    return QString::fromUtf8(analysis::PointKindInfo(kind).Name);
}

// A coordinate with the digits it is known to.
QString Number(long double value, int digits)
{
    return QString::fromStdString(FormatGeneral(value, digits));
}

// Whether a fraction of this denominator is a decimal that ends: 2s and 5s only.
bool EndsInDecimal(const std::string& denominator)
{
    unsigned long long d = std::stoull(denominator);
    while (d % 2 == 0) d /= 2;
    while (d % 5 == 0) d /= 5;
    return d == 1;
}

} // namespace

class TNotablePointsDialog::TModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Set(const analysis::TNotablePoints& points, const QStringList& texts, const analysis::TFunctionList* functions)
    {
        beginResetModel();
        FPoints = points.Points;
        FTexts = texts;
        FExactX.assign(FPoints.size(), QString());
        for (std::size_t k = 0; functions != nullptr && k < FPoints.size(); ++k) {
            const analysis::TNotablePoint& p = FPoints[k];
            if (p.Kind != analysis::TPointKind::Zero || p.Function >= static_cast<int>(functions->size())) continue;
            // A decimal that ends (-0.5) is exact as it is shown.
            const std::optional<TFraction> x = analysis::ExactZero(*(*functions)[static_cast<std::size_t>(p.Function)], p.X);
            if (x && !EndsInDecimal(x->Denominator)) FExactX[k] = QString::fromStdString(x->Text());
        }
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(FPoints.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 4; }

    QString Cell(int row, int column) const
    {
        const analysis::TNotablePoint& p = FPoints[static_cast<std::size_t>(row)];
        switch (column) {
        case 0: return KindName(p.Kind);
        case 1:
            return p.Kind == analysis::TPointKind::Intersection ? FTexts.value(p.Function) + " y " + FTexts.value(p.Other)
                                                                : FTexts.value(p.Function);
        case 2: return FExactX[static_cast<std::size_t>(row)].isEmpty() ? Number(p.X, p.XDigits) : FExactX[static_cast<std::size_t>(row)];
        default: return analysis::PointKindInfo(p.Kind).HasY ? Number(p.Y, p.YDigits) : QStringLiteral("—");
        }
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const int column = index.column();
        if (role == Qt::DisplayRole) return Cell(index.row(), column);
        if (role == Qt::TextAlignmentRole && column >= 2) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        const analysis::TNotablePoint& p = FPoints[static_cast<std::size_t>(index.row())];
        if (role == Qt::ForegroundRole && column == 1 && p.Kind != analysis::TPointKind::Intersection)
            return plot::CurveColour(p.Function);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const char* const names[4] = {"Punto", "Función", "x", "y"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
            return QString::fromUtf8(names[section]);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    std::vector<analysis::TNotablePoint> FPoints;
    QStringList FTexts;
    std::vector<QString> FExactX; // a zero's exact fraction, else empty
};

TNotablePointsDialog::TNotablePointsDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("PuntosNotables");
    setWindowTitle("Puntos notables");
    auto* column = new QVBoxLayout(this);
    Summary = new QLabel(this);
    Summary->setObjectName("Summary");
    Summary->setWordWrap(true);
    Summary->setAccessibleName("Resumen");
    column->addWidget(Summary);
    FModel = new TModel(this);
    List = new QTableView(this);
    List->setObjectName("List");
    List->setAccessibleName("Lista de puntos notables");
    List->setModel(FModel);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->setSelectionBehavior(QAbstractItemView::SelectRows);
    List->verticalHeader()->hide();
    List->horizontalHeader()->setStretchLastSection(true);
    column->addWidget(List, 1);
    auto* buttons = new QHBoxLayout;
    ButtonCopy = new QPushButton("Copiar", this);
    ButtonCopy->setObjectName("ButtonCopy");
    ButtonCopy->setAccessibleDescription("Copia la lista en columnas separadas por tabuladores");
    ButtonClose = new QPushButton("Cerrar", this);
    ButtonClose->setObjectName("ButtonClose");
    buttons->addWidget(ButtonCopy);
    buttons->addStretch(1);
    buttons->addWidget(ButtonClose);
    column->addLayout(buttons);
    connect(ButtonCopy, &QPushButton::clicked, this, &TNotablePointsDialog::Copy);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::close);
    resize(720, 360);
}

void TNotablePointsDialog::Show(const analysis::TNotablePoints& points, const QStringList& texts, int range,
                                const analysis::TFunctionList* functions)
{
    const QString interval = QString("x entre %1 y %2").arg(-static_cast<qlonglong>(range)).arg(range);
    const int count = static_cast<int>(points.Points.size());
    QString summary = count == 0 ? QString("No hay ceros, extremos ni intersecciones para %1.").arg(interval)
                      : count == 1 ? QString("1 punto para %1.").arg(interval)
                                   : QString("%1 puntos para %2.").arg(count).arg(interval);
    if (points.Truncated)
        summary += QString(" Alguna función tiene más de %1 puntos de un tipo: solo se listan los primeros.")
                       .arg(analysis::kMaxPointsEach);
    for (int f : points.Coarse)
        summary += QString(" «%1» cambia más deprisa de lo que la búsqueda la muestrea: puede haber ceros y extremos "
                           "sin listar.")
                       .arg(texts.value(f).trimmed());
    Summary->setText(summary);

    FModel->Set(points, texts, functions);
    // Widths from the first rows and the last: measuring every one of
    // thousands of rows would hold the window.
    List->horizontalHeader()->setResizeContentsPrecision(200);
    List->resizeColumnsToContents();
    show();
    raise();
    activateWindow();
}

QString TNotablePointsDialog::Text(const QString& decimalMark) const
{
    QString text = "Punto\tFunción\tx\ty\n";
    for (int row = 0; row < FModel->rowCount(); ++row) {
        QStringList fields;
        for (int c = 0; c < 4; ++c) {
            QString cell = FModel->Cell(row, c);
            if (c >= 2) cell.replace('.', decimalMark);
            fields << cell;
        }
        text += fields.join('\t') + '\n';
    }
    return text;
}

void TNotablePointsDialog::Copy()
{
    QApplication::clipboard()->setText(Text(QLocale().decimalPoint()));
}
