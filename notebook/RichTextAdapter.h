// Between the notebook pane's rich text (QTextDocument) and the RTF model.
#pragma once

#include "notebook/Rtf.h"

class QTextDocument;

namespace notebook {

// Every paragraph, and every part of one after a typed line break, is a
// line; each run carries its resolved colour, face, size and style.
TRichDocument FromTextDocument(const QTextDocument& document);

// Replaces the document's content; runs without a face, size or colour
// take the document's own.  The document is then not modified.
void ToTextDocument(const TRichDocument& rich, QTextDocument& document);

} // namespace notebook
