// The holder window of the three formula lists.  It is created hidden and
// never shown: it only keeps the lists while they are not in the tool bar.
#pragma once

#include <QWidget>
#include <functional>

class QComboBox;
class QFrame;
struct TFormulaTemplate;

class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    // Inserts a chosen template into the notebook (set by the main window).
    std::function<void(const TFormulaTemplate&)> Insert;

    QFrame* Panel1;
    QFrame* Panel2;
    QFrame* Panel3;
    QComboBox* ComboBox2; // "AREAS Y SUPERFICIES"
    QComboBox* ComboBox1; // "VOLUMENES"
    QComboBox* ComboBox3; // "FISICA"

public slots:
    void ComboBox2Click();
    void ComboBox1Click();
    void ComboBox3Click();
};

// A drop-down list with an editable text part that shows `caption` until
// the first choice.
QComboBox* MakeLibraryList(const char* name, const QString& caption, QWidget* parent);
// Widens the list's pop-up to its longest item.
void FitPopupToItems(QComboBox* list);
