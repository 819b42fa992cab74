#include "ui/LongLines.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace longlines {

int LongestUnbrokenRun(QStringView text)
{
    int longest = 0, run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > longest) longest = run;
    }
    return longest;
}

void KeepLongLinesWhole(QTextDocument& document, int first)
{
    for (QTextBlock block = document.findBlockByNumber(first); block.isValid(); block = block.next()) {
        const bool whole = block.length() > kUnbrokenLimit && LongestUnbrokenRun(block.text()) > kUnbrokenLimit;
        if (whole == block.blockFormat().nonBreakableLines()) continue;
        QTextCursor cursor(block);
        QTextBlockFormat format;
        format.setNonBreakableLines(whole);
        cursor.mergeBlockFormat(format);
    }
}

} // namespace longlines
