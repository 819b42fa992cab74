// The main window's exact fractions: the fraction beside a result, the key
// that makes it the line's value (fraction, mixed number, decimal), and
// the setting that shows them.
#include "workspace/MainForm.h"
#include "workspace/ExpressionHistory.h"
#include "workspace/ExpressionPreview.h"
#include "workspace/ResultCommands.h"

#include "engine/NumberFormat.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace {

const char* const kShowFractionsKey = "ShowFractions";


} // namespace

bool Tdemoform::StoredShowFractions()
{
    return UserSettings().value(kShowFractionsKey, true).toBool();
}

void Tdemoform::SetShowFractions(bool on)
{
    if (on != StoredShowFractions()) UserSettings().setValue(kShowFractionsKey, on);
    ShowFractions = on;
    Preview->SetFractions(on);
}

// The value blue as ever, the fraction beside it green: an exact value
// that reads apart from the decimal.
void Tdemoform::PaintResultValue(int valueStart, int valueEnd, int fractionStart, int lineEnd)
{
    const auto paint = [this](int from, int to, QColor colour) {
        QTextCharFormat format;
        format.setForeground(colour);
        QTextCursor span(memo1->document());
        span.setPosition(from);
        span.setPosition(to, QTextCursor::KeepAnchor);
        span.mergeCharFormat(format);
    };
    paint(valueStart, valueEnd, QColor(0, 0, 255));
    if (fractionStart >= 0) paint(fractionStart, lineEnd, QColor(0, 128, 64));
}

void Tdemoform::RewriteNewestLine(const QString& line, int valueStart, int fractionStart)
{
    QTextDocument* results = memo1->document();
    const QTextBlock first = results->firstBlock();
    QTextCharFormat red;
    red.setForeground(QColor(220, 40, 0));
    QTextCursor cursor(results);
    cursor.setPosition(first.position());
    cursor.setPosition(first.position() + first.length() - 1, QTextCursor::KeepAnchor);
    cursor.insertText(line, red);
    TResultCommands::Remember(results->firstBlock(), LastTyped);
    const int end = static_cast<int>(line.size());
    PaintResultValue(valueStart, fractionStart < 0 ? end : fractionStart, fractionStart, end);
    LastLine = line;
}

void Tdemoform::ToolButtonFraccionClick()
{
    // Only the newest line, while it reads as written, has a fraction to turn.
    if (!LastOutcome.fraction || memo1->document()->firstBlock().text() != LastLine) return;
    LastShown = calc::NextShown(LastOutcome, LastShown);
    const QString head = QString::fromStdString(LastOutcome.exprText) + " =   ";
    const QString value = QString::fromStdString(calc::ResultLineShown(LastOutcome, LastShown)).mid(head.size());
    const int valueStart = static_cast<int>(head.size()) - 2;
    if (LastShown == calc::TValueShown::Decimal) {
        const QString line = head + value + kFractionMark + QString::fromStdString(LastOutcome.fraction->Text());
        RewriteNewestLine(line, valueStart, static_cast<int>(head.size() + value.size()));
    } else {
        RewriteNewestLine(head + value, valueStart, -1);
    }
}

QString Tdemoform::LastValueText() const
{
    // A fraction shown goes in as one, read back exactly.
    if (LastShown != calc::TValueShown::Decimal && LastOutcome.fraction &&
        memo1->document()->firstBlock().text() == LastLine)
        return "(" + QString::fromStdString(LastOutcome.fraction->Text()) + ")";
    return QString::fromStdString(FormatGeneral(LastResult, 15));
}
