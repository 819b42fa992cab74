// The library slot at the right end of the tool bar's second row: it shows
// nothing, the constants list, or one of the three formula lists, which are
// moved there from their holder window and back.
#pragma once

#include <QObject>
#include <functional>

class QAction;
class QComboBox;
class QMenu;
class QTextEdit;
class QWidget;
class TForm4;

class TFormulaChooser : public QObject {
    Q_OBJECT
public:
    // `row` is the tool bar row that holds the slot; `notebook` receives
    // the chosen lines; `focusExpressionBox` gives the expression box the
    // keyboard focus.
    TFormulaChooser(QWidget* row, QTextEdit* notebook, std::function<void()> focusExpressionBox, QWidget* owner);
    void AttachHolder(TForm4* holder);

    enum class TSlot { Empty, Constants, Areas, Volumes, Physics };
    TSlot State() const;

    QComboBox* Constants; // the constants list, "CONSTANTES"
    QMenu* Menu;          // the "Formulario" button's drop-down menu
    QAction* Hola2;       // "Constantes"
    QAction* dddd1;       // "Areas y Superficies"
    QAction* Volumenes1;  // "Volumenes"
    QAction* N41;         // "Física"

    void ShowConstants();
    void ShowAreas();
    void ShowVolumes();
    void ShowPhysics();
    void Toggle();
    // Appends the chosen constant's line and focuses the expression box.
    void ConstantChosen();
    // While the plot view is shown the formula lists are out of sight and
    // the constants list rests.
    void PlotShown(bool shown);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowFormulaList(QComboBox* list);
    void Return(QComboBox* list);
    void Place(QComboBox* list);
    bool InSlot(const QComboBox* list) const;

    QWidget* FRow;
    QTextEdit* FNotebook;
    std::function<void()> FFocusExpressionBox;
    TForm4* FHolder = nullptr;
    QComboBox* FLists[3] = {nullptr, nullptr, nullptr}; // areas, volumes, physics
    bool FListsHidden = false; // while the plot view is shown
};
