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
    QTextDocument& document = *pane.document();
    QTextCursor step(&document);
    step.beginEditBlock();
    if (document.isEmpty()) {
        // The opening blank line is the document's own empty paragraph;
        // every line after it is a paragraph of its own.
        QTextCharFormat black;
        black.setForeground(kBlack);
        step.setBlockCharFormat(black);
        step.setCharFormat(black);
    } else {
        AppendNotebookLine(pane, QString(), &kBlack);
    }
    auto line = [&document](const QString& text, const QColor& colour) {
        QTextCursor end(&document);
        end.movePosition(QTextCursor::End);
        QTextCharFormat format;
        format.setForeground(colour);
        end.insertBlock(end.blockFormat(), format);
        end.insertText(text, format);
    };
    line(QString::fromUtf8(formula.Description), kGreen);
    line(QString::fromUtf8(formula.Formula), kDarkBlue);
    for (const char* input : formula.Inputs) line(QString::fromUtf8(input) + "=", kBlue);
    line(QString(), kBlack);
    step.endEditBlock();
    // Text typed next at the caret is black (a selection keeps its colours).
    if (!pane.textCursor().hasSelection()) {
        QTextCharFormat black;
        black.setForeground(kBlack);
        pane.mergeCurrentCharFormat(black);
    }
}

} // namespace library
