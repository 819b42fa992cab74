// Lines that the library appends to the notebook pane.
#pragma once

#include <QColor>
#include <QString>

class QTextEdit;
struct TFormulaTemplate;

namespace library {

// Appends `text` as a new line after the last line of the pane, wherever its
// caret is; an empty pane receives it as its first line.  With a colour the
// line is written in it, otherwise in the format the pane gives to text
// added at its end.
void AppendNotebookLine(QTextEdit& pane, const QString& text, const QColor* colour = nullptr);

// Appends a template's block: a blank line (black), the description
// (green), the formula (dark blue), one "name=" line per input (blue) and a
// closing blank line (black); one step for undo.
void InsertTemplate(QTextEdit& pane, const TFormulaTemplate& formula);

} // namespace library
