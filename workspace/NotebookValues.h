// Writing a value into the notebook line that defines it, as the plot's
// sliders ask.
#pragma once

#include <QString>
#include <string>

class QTextEdit;

// Replaces the value of the first numeric notebook line whose name is
// `name` (the engine's way: A to Z in either case) by `value`, as one edit
// that Ctrl+Z undoes; false when no line defines it.
bool WriteNotebookValue(QTextEdit* notebook, const std::string& name, const QString& value);
