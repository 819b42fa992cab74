// Unicode normalisation form C (composed characters, as a keyboard types
// them) through the system's normaliser (ICU; the Win32 API on Windows),
// for text read from notebooks and text pasted in.
#pragma once

#include "codec/Notebook.h"

#include <atomic>
#include <string>
#include <string_view>

namespace notebook {

// UTF-8 text in normalisation form C: a base letter followed by combining
// marks becomes the precomposed character where Unicode has one ("a" and
// U+0301 become "á").  Text that passes the normaliser's quick check comes back as it
// is without being converted; text in which every character is below U+0300
// is not even looked at.  In text that is normalised, malformed UTF-8
// sequences become U+FFFD.
std::string ToNfc(std::string_view text);

// Every run of the document in normalisation form C.  Marks at the start of
// a run join the character they belong to at the end of the run before, and
// take its format, so that runs joined later stay in form C.  False when
// `*stop` turned true meanwhile; the document is then partly normalised.
bool NormalizeDocument(TRichDocument& document, const std::atomic<bool>* stop = nullptr);

} // namespace notebook
