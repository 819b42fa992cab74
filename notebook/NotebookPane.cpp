#include "notebook/NotebookPane.h"

#include "ui/LongLines.h"

#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

void TNotebookPane::ReplaceDocument(QTextDocument* next)
{
    QTextDocument* previous = document();
    next->setDefaultFont(font());
    next->setDefaultTextOption(previous->defaultTextOption());
    next->setParent(this);
    if (previous == next) return;
    previous->setParent(this); // released here, after the pane lets it go
    // A document that the pane shows from the start is laid out lazily, a
    // piece at a time between events; a change of the shown one is laid out
    // at once.
    setDocument(next);
    delete previous;
}

void TNotebookPane::insertFromMimeData(const QMimeData* source)
{
    if (source->hasText() && !isReadOnly()) {
        // Characters composed as they are typed: a letter and a combining
        // accent copied from a PDF become the accented letter.
        const QString text = source->text().normalized(QString::NormalizationForm_C);
        if (text.size() >= kLargeText || longlines::LongestUnbrokenRun(text) > longlines::kUnbrokenLimit) {
            InsertLarge(text);
            return;
        }
        QTextCursor cursor = textCursor();
        cursor.insertText(text);
        setTextCursor(cursor);
        ensureCursorVisible();
        return;
    }
    QTextEdit::insertFromMimeData(source);
}

void TNotebookPane::InsertLarge(const QString& text)
{
    QTextDocument* shown = document();
    const int scroll = verticalScrollBar()->value();
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    const int firstBlock = shown->findBlock(start).blockNumber();
    // The pane shows an empty document meanwhile, and the notebook drops its
    // layout, which would otherwise follow the change at once; it keeps its
    // undo history, its modified flag and its formats.
    shown->setParent(this);
    QTextDocument parking;
    setDocument(&parking);
    shown->setDocumentLayout(nullptr);
    cursor.beginEditBlock(); // one step for undo
    cursor.insertText(text);
    longlines::KeepLongLinesWhole(*shown, firstBlock);
    cursor.endEditBlock();
    setDocument(shown);
    // The caret after the pasted text, unless reaching it would lay out the
    // whole paste now: then at its start, where the user pasted.
    const int lastBlock = shown->findBlock(cursor.position()).blockNumber();
    if (lastBlock - firstBlock > 2000) cursor.setPosition(start);
    setTextCursor(cursor);
    verticalScrollBar()->setValue(scroll);
}
