// Notebook documents as Rich Text Format: a reader that accepts what real
// writers produce, and a writer of standard RTF 1.x.  No Qt here.
#pragma once

#include "codec/Notebook.h"

#include <atomic>
#include <string>
#include <string_view>

namespace notebook {

// Parses RTF: the document group that begins with "{\rtf" and a digit after
// an optional UTF-8 byte-order mark and blanks; whatever follows that group
// is ignored.  Bytes of text are read in the code page of their font's
// character set, of \ansicpg, \mac, \pc or \pca (Windows-1252 when none is
// given; also, reported in `report`, when iconv does not know the code page);
// the Symbol font gives Greek letters and mathematical signs, other fonts of
// character set 2 (Wingdings…) the private-use characters U+F000 + byte.
// \'0d, \'0a and \'0d\'0a end a paragraph as \par does; \'00 is dropped.
// Of {\upr{…}{\*\ud{…}}} the Unicode alternative is read.  Text comes out in
// normalisation form C.
// Rtf when read; Failed when the bytes do not start an RTF document or hold
// a NUL byte before its end outside \bin data; TooManyLines past
// kMaxNotebookLines paragraphs, TooManyRuns past kMaxNotebookRuns runs;
// Stopped when `*stop` turns true.  The document is then incomplete.
TLoadResult ReadRtf(std::string_view bytes, TRichDocument& document, TLoadReport* report = nullptr,
                    const std::atomic<bool>* stop = nullptr);

// Writes a standard RTF document: font table, colour table, \ansicpg1252,
// \'hh for Windows-1252 characters and \uN for the others.  A run made only
// of the private-use characters U+F020..U+F0FF in a face other than Symbol
// is written as the bytes of that face in character set 2, as symbol fonts
// (Wingdings…) are written.
std::string WriteRtf(const TRichDocument& document);

} // namespace notebook
