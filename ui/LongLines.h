// Text without break points: the toolkit's word wrap takes time that grows
// with the square of such a run's length, so panes treat lines holding one
// longer than a screen specially.
#pragma once

#include <QStringView>

class QTextDocument;

namespace longlines {

// A run of this many characters without a blank is longer than a screen.
constexpr int kUnbrokenLimit = 1000;

// The length of the longest run of characters that are not blanks.
int LongestUnbrokenRun(QStringView text);

// Marks every block of `document` from block number `first` on that holds
// such a run as a line that is not wrapped (shown whole, with a horizontal
// scroll bar); the others wrap as before.
void KeepLongLinesWhole(QTextDocument& document, int first = 0);

} // namespace longlines
