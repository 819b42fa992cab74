// The notebook's definitions as the expression box's helpers need them:
// read once and kept until the notebook changes.  A big notebook is read
// and its values defined in an engine away from the window's thread, for
// the result while typing.
#pragma once

#include "calc/CalcCore.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <mutex>
#include <thread>

class QTextDocument;
class QTextEdit;

class TNotebookWords : public QObject {
    Q_OBJECT
public:
    // The definitions of one reading of the notebook, and an engine with
    // its numeric values defined.
    struct TPrepared {
        int Generation = -1;
        calc::TNotebookDefinitions Definitions;
        std::unique_ptr<TMathParser> Parser;
    };

    explicit TNotebookWords(QTextEdit* notebook, QObject* parent = nullptr);
    ~TNotebookWords() override;

    // The definitions of the notebook as it is now, read on this thread
    // when no reading of it is ready.
    const calc::TNotebookDefinitions& Definitions();
    // The reading of the notebook as it is now, or null while it is being
    // prepared away from this thread (Prepared is emitted when it is ready).
    TPrepared* Current();
    // Counts the changes of the notebook.
    int Generation() const { return FGeneration; }

signals:
    void Changed();
    void Prepared();

private:
    void Follow();
    void StartReading();
    void Received(std::shared_ptr<TPrepared> prepared);

    QTextEdit* FNotebook;
    int FGeneration = 0;
    const QTextDocument* FDocument = nullptr; // the one FGeneration counts
    // The newest reading received, or read here.
    std::shared_ptr<TPrepared> FReady;
    calc::TNotebookDefinitions FDefinitions; // a reading made on this thread
    int FRead = -1;                          // its generation
    // The reading under way: at most one; another is started after it when
    // the notebook changed meanwhile.
    std::thread FWorker;
    int FReading = -1; // its generation, -1 for none
};
