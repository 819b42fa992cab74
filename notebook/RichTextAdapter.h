// Between the notebook pane's rich text (QTextDocument) and the RTF model.
#pragma once

#include "codec/Rtf.h"

#include <functional>

class QTextDocument;

namespace notebook {

// Every paragraph, and every part of one after a typed line break, is a
// line; each run carries its resolved colour, face, size and style.
TRichDocument FromTextDocument(const QTextDocument& document);

// Replaces the document's content; runs without a face, size or colour
// take the document's own.  The document is then not modified.  `progress`,
// when given, hears the number of lines built now and then, and stops the
// work by answering false; the result tells whether the work was completed.
bool ToTextDocument(const TRichDocument& rich, QTextDocument& document,
                    const std::function<bool(int lines)>& progress = nullptr);

} // namespace notebook
