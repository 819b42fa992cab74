#include "library/FormulaChooser.h"

#include "library/FormulaHolder.h"
#include "library/NotebookInsert.h"
#include "library/PhysicalConstants.h"

#include <QComboBox>
#include <QEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QTextEdit>

namespace {

// The slot's place in its row: the constants list's left and top, and its
// distance from the row's right edge (the row is 550 wide as designed and
// the list 215).
constexpr int kSlotLeft = 305, kSlotTop = 2, kRightMargin = 30;

} // namespace

TFormulaChooser::TFormulaChooser(QWidget* row, QTextEdit* notebook, std::function<void()> focusExpressionBox,
                                 QWidget* owner)
    : QObject(owner), FRow(row), FNotebook(notebook), FFocusExpressionBox(std::move(focusExpressionBox))
{
    setObjectName("FormulaChooser");
    Constants = MakeLibraryList("ComboBox1", "CONSTANTES", row);
    for (const TPhysicalConstant& c : PhysicalConstants()) Constants->addItem(QString::fromUtf8(c.Item));
    FitPopupToItems(Constants);
    Constants->setCurrentIndex(-1);
    Constants->setEditText("CONSTANTES");
    Constants->setGeometry(kSlotLeft, kSlotTop, 215, Constants->sizeHint().height());
    Constants->hide();
    row->installEventFilter(this);

    Menu = new QMenu(owner);
    Menu->setObjectName("PopupMenu1");
    auto item = [this](const char* name, const QString& text) {
        QAction* a = Menu->addAction(text);
        a->setObjectName(name);
        return a;
    };
    Hola2 = item("Hola2", "Constantes");
    dddd1 = item("dddd1", "Areas y Superficies");
    Volumenes1 = item("Volumenes1", "Volumenes");
    N41 = item("N41", "Física");
}

void TFormulaChooser::AttachHolder(TForm4* holder)
{
    FHolder = holder;
    FLists[0] = holder->ComboBox2;
    FLists[1] = holder->ComboBox1;
    FLists[2] = holder->ComboBox3;
    for (QComboBox* list : FLists) list->setProperty("slotLeft", list->x());
}

bool TFormulaChooser::InSlot(const QComboBox* list) const
{
    return list != nullptr && list->parentWidget() == FRow;
}

TFormulaChooser::TSlot TFormulaChooser::State() const
{
    if (InSlot(FLists[0])) return TSlot::Areas;
    if (InSlot(FLists[1])) return TSlot::Volumes;
    if (InSlot(FLists[2])) return TSlot::Physics;
    return Constants->isHidden() ? TSlot::Empty : TSlot::Constants;
}

void TFormulaChooser::Return(QComboBox* list)
{
    if (list == nullptr || list->parentWidget() == FHolder) return;
    list->setParent(FHolder); // a direct child of the holder, out of sight
    list->setHidden(FListsHidden);
}

void TFormulaChooser::Place(QComboBox* list)
{
    list->setParent(FRow);
    list->move(list->property("slotLeft").toInt(), kSlotTop);
    list->raise();
    list->setHidden(FListsHidden);
    QWidget::setTabOrder(Constants, list); // in the slot's place in the Tab order
}

void TFormulaChooser::ShowFormulaList(QComboBox* list)
{
    if (FHolder == nullptr) return;
    for (QComboBox* l : FLists) Return(l);
    if (!Constants->isHidden()) Constants->hide();
    list->resize(Constants->width(), list->height());
    Place(list); // the focus stays where it is
}

void TFormulaChooser::ShowAreas()
{
    ShowFormulaList(FLists[0]);
}

void TFormulaChooser::ShowVolumes()
{
    ShowFormulaList(FLists[1]);
}

void TFormulaChooser::ShowPhysics()
{
    ShowFormulaList(FLists[2]);
}

void TFormulaChooser::ShowConstants()
{
    for (QComboBox* l : FLists) Return(l);
    Constants->show();
    FFocusExpressionBox();
}

void TFormulaChooser::Toggle()
{
    Constants->setHidden(!Constants->isHidden());
    for (QComboBox* l : FLists) {
        if (InSlot(l)) {
            Return(l);
            Constants->hide();
        }
    }
}

void TFormulaChooser::ConstantChosen()
{
    const auto constants = PhysicalConstants();
    const int index = Constants->currentIndex();
    if (index >= 0 && index < static_cast<int>(constants.size()))
        library::AppendNotebookLine(*FNotebook, QString::fromUtf8(constants[static_cast<std::size_t>(index)].Line));
    FFocusExpressionBox();
}

void TFormulaChooser::PlotShown(bool shown)
{
    FListsHidden = shown;
    for (QComboBox* l : FLists)
        if (l != nullptr) l->setHidden(shown);
    Constants->setEnabled(!shown);
}

bool TFormulaChooser::eventFilter(QObject* watched, QEvent* event)
{
    // The lists in the slot keep their distance from the row's right edge.
    if (watched == FRow && event->type() == QEvent::Resize) {
        const int width = std::max(40, FRow->width() - kSlotLeft - kRightMargin);
        const int change = width - Constants->width();
        Constants->resize(width, Constants->height());
        for (QComboBox* l : FLists)
            if (InSlot(l)) l->resize(l->width() + change, l->height());
    }
    return QObject::eventFilter(watched, event);
}
