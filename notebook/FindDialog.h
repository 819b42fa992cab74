// The modeless search dialog of the notebook.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(QWidget* parent = nullptr);
    QString Text() const;

    QLineEdit* FindText;
    QPushButton* FindNext;

signals:
    void Find();
};
