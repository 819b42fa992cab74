#include "workspace/NotebookWords.h"

#include <QTextDocument>
#include <QTextEdit>

TNotebookWords::TNotebookWords(QTextEdit* notebook, QObject* parent) : QObject(parent), FNotebook(notebook)
{
    // The pane's signal follows the document it shows, also one opened later.
    connect(notebook, &QTextEdit::textChanged, this, [this] {
        ++FGeneration;
        emit Changed();
    });
}

const calc::TNotebookDefinitions& TNotebookWords::Definitions()
{
    // Another document (a notebook opened) counts as a change too.
    if (FNotebook->document() != FDocument) {
        FDocument = FNotebook->document();
        ++FGeneration;
    }
    if (FRead != FGeneration) {
        // The lines as a calculation reads them.
        std::vector<std::string> lines;
        if (!FNotebook->document()->isEmpty())
            for (const QString& line : FNotebook->toPlainText().split(QChar('\n'))) lines.push_back(line.toStdString());
        FDefinitions = calc::ReadNotebookDefinitions(lines);
        FRead = FGeneration;
    }
    return FDefinitions;
}
