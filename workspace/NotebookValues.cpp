#include "workspace/NotebookValues.h"

#include "calc/CalcCore.h"
#include "engine/Utf8.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

bool WriteNotebookValue(QTextEdit* notebook, const std::string& name, const QString& value)
{
    const std::u32string wanted = utf8::LowerAscii(utf8::Decode(name));
    for (QTextBlock block = notebook->document()->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        const calc::TNotebookLine line = calc::ReadNotebookLine(text.toStdString());
        if (line.kind != calc::TNotebookLine::Numeric || utf8::LowerAscii(utf8::Decode(line.name)) != wanted) continue;
        // The value's blanks around it stay as they were.
        const int eq = static_cast<int>(text.indexOf('='));
        int from = eq + 1, to = static_cast<int>(text.size());
        while (from < to && text[from] == ' ') ++from;
        while (to > from && text[to - 1] == ' ') --to;
        QTextCursor c(notebook->document());
        c.setPosition(block.position() + from);
        c.setPosition(block.position() + to, QTextCursor::KeepAnchor);
        c.insertText(value);
        return true;
    }
    return false;
}
