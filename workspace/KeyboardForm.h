// The on-screen keyboard: the keyboard window, never shown, holds the key
// panel, which the main window docks at its left edge while it is wanted.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

class QAbstractButton;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QScrollArea;

class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

    // The expression box that the keys type into (the main window's).
    void AttachExpressionBox(QPlainTextEdit* box) { FBox = box; }

    // Docks the key panel into `row` at its left end, or gives it back to
    // this window; the panel is out of sight while `hidden` (the plot view
    // is shown) wherever it is.
    void Dock(QWidget* row);
    void Undock();
    bool Docked() const;
    void SetKeysHidden(bool hidden);

    QScrollArea* ScrollBox1; // the key panel, scrolling when the window is short
    QLabel* Panel2;     // its caption strip, "TECLADO"
    // The 43 keys in the order of their designer names: Button1..Button11,
    // then SpeedButton1..SpeedButton32 (31 and 32, "x" and ";", added).
    std::vector<QAbstractButton*> Keys;
    QAbstractButton* Key(const char* name) const;

private:
    // Replaces the expression box's selection with `text`, or inserts it at
    // the caret; the caret stands after it.
    void Type(const QString& text);
    QPlainTextEdit* FBox = nullptr;
    bool FKeysHidden = false;
};
