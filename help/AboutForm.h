// The About window: the banner, the version, the web address (or, while the
// build has none, the manual) and the notice line.  Created hidden, shown
// modeless and on top; "OK" and the close box hide it.
#pragma once

#include <QDialog>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

class TForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    // The address the label opens: the build's web address, or the manual's
    // file when there is none (set by the main window).
    QString Address;
    std::function<void()> OpenManual;

    QLabel* Image1;
    QLabel* Label1; // "Versión  4.0"
    QFrame* Shape1;
    QLabel* Label2; // the address
    QLabel* Label4; // the notice line
    QPushButton* Button1; // "OK"

public slots:
    void Button1Click();
    void Label2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
