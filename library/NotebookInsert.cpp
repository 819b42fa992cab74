#include "library/NotebookInsert.h"

#include "library/FormulaTemplates.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace library {

void AppendNotebookLine(QTextEdit& pane, const QString& text, const QColor* colour)
{
    QTextDocument& document = *pane.document();
    QTextCursor end(&document);
    end.movePosition(QTextCursor::End);
    QTextCharFormat format = end.charFormat();
    if (colour != nullptr) {
        format = QTextCharFormat();
        format.setForeground(*colour);
    }
    if (document.isEmpty()) {
        end.setBlockCharFormat(format);
        end.setCharFormat(format);
    } else {
        end.insertBlock(end.blockFormat(), format);
    }
    end.insertText(text, format);
}

void InsertTemplate(QTextEdit& pane, const TFormulaTemplate& formula)
{
    static const QColor kBlack(0, 0, 0), kGreen(10, 190, 10), kDarkBlue(0, 50, 100), kBlue(0, 100, 200);
    QTextCursor step(pane.document());
    step.beginEditBlock();
    AppendNotebookLine(pane, QString(), &kBlack);
    AppendNotebookLine(pane, QString::fromUtf8(formula.Description), &kGreen);
    AppendNotebookLine(pane, QString::fromUtf8(formula.Formula), &kDarkBlue);
    for (const char* input : formula.Inputs) AppendNotebookLine(pane, QString::fromUtf8(input) + "=", &kBlue);
    AppendNotebookLine(pane, QString(), &kBlack);
    step.endEditBlock();
    // Text typed next at the caret is black (a selection keeps its colours).
    if (!pane.textCursor().hasSelection()) {
        QTextCharFormat black;
        black.setForeground(kBlack);
        pane.mergeCurrentCharFormat(black);
    }
}

} // namespace library
