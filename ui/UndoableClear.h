// Clearing a rich-text pane as one edit that Ctrl+Z ("Deshacer") brings
// back, unlike QTextEdit::clear(), which also empties the undo history.
#pragma once

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

inline void ClearUndoably(QTextEdit& pane)
{
    QTextCursor cursor(pane.document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    // What is typed next takes the pane's own format, not the cleared text's.
    cursor.setBlockFormat(QTextBlockFormat());
    cursor.setBlockCharFormat(QTextCharFormat());
    cursor.endEditBlock();
    pane.setCurrentCharFormat(QTextCharFormat());
}
