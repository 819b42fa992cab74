#include "library/FormulaHolder.h"

#include "library/FormulaTemplates.h"

#include <QComboBox>
#include <QFrame>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QScrollBar>
#include <algorithm>

QComboBox* MakeLibraryList(const char* name, const QString& caption, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    QFont font("Verdana");
    font.setPixelSize(12);
    list->setFont(font);
    QPalette white = list->palette();
    white.setColor(QPalette::Base, Qt::white);
    list->setPalette(white);
    // Reached by Tab too; Alt+Down or F4 opens it.
    list->setFocusPolicy(Qt::StrongFocus);
    list->setCurrentIndex(-1);
    list->setEditText(caption);
    // A chosen text that does not fit shows its start, where its name is.
    QObject::connect(list, qOverload<int>(&QComboBox::currentIndexChanged), list,
                     [list] { list->lineEdit()->setCursorPosition(0); });
    return list;
}

void FitPopupToItems(QComboBox* list)
{
    const QFontMetrics metrics(list->view()->font());
    int widest = 0;
    for (int i = 0; i < list->count(); ++i) widest = std::max(widest, metrics.horizontalAdvance(list->itemText(i)));
    const int frame = 2 * list->view()->frameWidth() + list->view()->verticalScrollBar()->sizeHint().width() + 24;
    list->view()->setMinimumWidth(widest + frame);
}

namespace {

QComboBox* FormulaList(const char* name, const QString& caption, TFormulaGroup group, QWidget* panel, int left)
{
    QComboBox* list = MakeLibraryList(name, caption, panel);
    for (const TFormulaTemplate& t : FormulaTemplates(group)) list->addItem(QString::fromUtf8(t.Caption));
    FitPopupToItems(list);
    list->setCurrentIndex(-1);
    list->setEditText(caption);
    list->setGeometry(left, 2, 278, list->sizeHint().height());
    return list;
}

} // namespace

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("Form4");
    setWindowTitle("Formulario");
    resize(600, 90);
    QFrame* panels[3];
    for (int i = 0; i < 3; ++i) {
        panels[i] = new QFrame(this);
        panels[i]->setObjectName(QString("Panel%1").arg(i + 1));
        panels[i]->setGeometry(0, i * 30, 600, 30);
    }
    Panel1 = panels[0];
    Panel2 = panels[1];
    Panel3 = panels[2];
    ComboBox2 = FormulaList("ComboBox2", "AREAS Y SUPERFICIES", TFormulaGroup::Areas, Panel1, 304);
    ComboBox1 = FormulaList("ComboBox1", "VOLUMENES", TFormulaGroup::Volumes, Panel2, 305);
    ComboBox3 = FormulaList("ComboBox3", "FISICA", TFormulaGroup::Physics, Panel3, 305);
    ComboBox2->setAccessibleName("Fórmulas de áreas y superficies");
    ComboBox1->setAccessibleName("Fórmulas de volúmenes");
    ComboBox3->setAccessibleName("Fórmulas de física");
    for (QComboBox* list : {ComboBox2, ComboBox1, ComboBox3})
        list->setAccessibleDescription("Elegir una fórmula añade su bloque al cuaderno");
    connect(ComboBox2, qOverload<int>(&QComboBox::activated), this, &TForm4::ComboBox2Click);
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, &TForm4::ComboBox1Click);
    connect(ComboBox3, qOverload<int>(&QComboBox::activated), this, &TForm4::ComboBox3Click);
}

namespace {

void InsertChosen(const std::function<void(const TFormulaTemplate&)>& insert, QComboBox* list, TFormulaGroup group)
{
    const auto templates = FormulaTemplates(group);
    const int index = list->currentIndex();
    if (index < 0 || index >= static_cast<int>(templates.size()) || !insert) return;
    insert(templates[static_cast<std::size_t>(index)]);
}

} // namespace

void TForm4::ComboBox2Click()
{
    InsertChosen(Insert, ComboBox2, TFormulaGroup::Areas);
}

void TForm4::ComboBox1Click()
{
    InsertChosen(Insert, ComboBox1, TFormulaGroup::Volumes);
}

void TForm4::ComboBox3Click()
{
    InsertChosen(Insert, ComboBox3, TFormulaGroup::Physics);
}
