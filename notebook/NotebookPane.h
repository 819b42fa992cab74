// The notebook pane: a rich-text pane whose big changes (a notebook opened,
// a huge text pasted) are made away from the screen, so that the pane lays
// the text out a piece at a time and the window keeps answering.
#pragma once

#include <QTextEdit>

class TNotebookPane : public QTextEdit {
    Q_OBJECT
public:
    using QTextEdit::QTextEdit;

    // Shows `document` instead of the current one, which is released; the
    // new one takes the pane's font, wrap and palette.
    void ReplaceDocument(QTextDocument* document);

    // A paste of this many characters or more is made away from the screen.
    static constexpr int kLargeText = 100000;

protected:
    void insertFromMimeData(const QMimeData* source) override;

private:
    void InsertLarge(const QString& text);
};
