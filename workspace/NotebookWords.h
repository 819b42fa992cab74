// The notebook's definitions as the expression box's helpers need them:
// read once and kept until the notebook changes.
#pragma once

#include "calc/CalcCore.h"

#include <QObject>

class QTextDocument;
class QTextEdit;

class TNotebookWords : public QObject {
    Q_OBJECT
public:
    explicit TNotebookWords(QTextEdit* notebook, QObject* parent = nullptr);

    // The definitions, read again only after the notebook changed.
    const calc::TNotebookDefinitions& Definitions();
    // Counts the changes of the notebook.
    int Generation() const { return FGeneration; }

signals:
    void Changed();

private:
    QTextEdit* FNotebook;
    calc::TNotebookDefinitions FDefinitions;
    int FGeneration = 0;
    int FRead = -1; // the generation FDefinitions were read at
    const QTextDocument* FDocument = nullptr; // the one they were read from
};
