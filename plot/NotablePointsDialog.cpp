#include "plot/NotablePointsDialog.h"

#include "engine/NumberFormat.h"
#include "plot/CurveColours.h"
#include "analysis/PointKinds.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
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

} // namespace

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
    List = new QTableWidget(0, 4, this);
    List->setObjectName("List");
    List->setAccessibleName("Lista de puntos notables");
    List->setHorizontalHeaderLabels({"Punto", "Función", "x", "y"});
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

void TNotablePointsDialog::Show(const analysis::TNotablePoints& points, const QStringList& texts, int range)
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

    List->setRowCount(count);
    for (int row = 0; row < count; ++row) {
        const analysis::TNotablePoint& p = points.Points[static_cast<std::size_t>(row)];
        const bool both = p.Kind == analysis::TPointKind::Intersection;
        const QString function =
            both ? texts.value(p.Function) + " y " + texts.value(p.Other) : texts.value(p.Function);
        const QString y = analysis::PointKindInfo(p.Kind).HasY ? Number(p.Y, p.YDigits) : QStringLiteral("—");
        const QString cells[4] = {KindName(p.Kind), function, Number(p.X, p.XDigits), y};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == 1 && !both) item->setForeground(plot::CurveColour(p.Function));
            List->setItem(row, c, item);
        }
    }
    List->resizeColumnsToContents();
    show();
    raise();
    activateWindow();
}

QString TNotablePointsDialog::Text(const QString& decimalMark) const
{
    QString text = "Punto\tFunción\tx\ty\n";
    for (int row = 0; row < List->rowCount(); ++row) {
        QStringList fields;
        for (int c = 0; c < 4; ++c) {
            QString cell = List->item(row, c)->text();
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
