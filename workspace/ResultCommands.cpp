#include "workspace/ResultCommands.h"

#include "calc/CalcCore.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace {

// Between the expression and the value of a result line.
const QString kSeparator = " =   ";

} // namespace

TResultCommands::TResultCommands(QTextEdit* results, std::function<void(const QString&)> useExpression, QObject* owner)
    : QObject(owner), FResults(results), FUseExpression(std::move(useExpression))
{
    setObjectName("ResultCommands");
    auto action = [this, owner](const char* name, const QString& text, const QKeySequence& keys, auto slot) {
        auto* a = new QAction(text, owner);
        a->setObjectName(name);
        a->setShortcut(keys);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    CopiarValor = action("CopiarValor", "Copiar valor", QKeySequence("Ctrl+Shift+C"), &TResultCommands::CopyValue);
    CopiarLinea = action("CopiarLinea", "Copiar línea", QKeySequence("Ctrl+Shift+L"), &TResultCommands::CopyLine);
    UsarExpresion =
        action("UsarExpresion", "Usar la expresión", QKeySequence("Ctrl+Shift+E"), &TResultCommands::UseLine);
    FViewport = FResults->viewport();
    FViewport->installEventFilter(this);
}

namespace {

// The calculated text of a line, and the line's length and hash as written.
// Not a format property: the document keeps every format it ever held, and
// would keep every line's text that way.
struct TCalculated : QTextBlockUserData {
    QString Text;
    qsizetype Length = 0;
    size_t Hash = 0;
};

} // namespace

void TResultCommands::Remember(const QTextBlock& line, const QString& calculated)
{
    const QString text = line.text();
    RememberAgain(line, {calculated, QString::number(text.size()), QString::number(qHash(text))});
}

QStringList TResultCommands::Remembered(const QTextBlock& line)
{
    const auto* kept = dynamic_cast<const TCalculated*>(line.userData());
    if (kept == nullptr) return {};
    return {kept->Text, QString::number(kept->Length), QString::number(kept->Hash)};
}

void TResultCommands::RememberAgain(const QTextBlock& line, const QStringList& remembered)
{
    if (!line.isValid()) return;
    QTextBlock block = line;
    if (remembered.size() != 3) {
        block.setUserData(nullptr);
        return;
    }
    auto* kept = new TCalculated;
    kept->Text = remembered[0];
    kept->Length = remembered[1].toLongLong();
    kept->Hash = remembered[2].toULongLong();
    block.setUserData(kept);
}

QString TResultCommands::CalculatedText(const QTextBlock& line)
{
    const QString text = line.text();
    const auto* kept = dynamic_cast<const TCalculated*>(line.userData());
    if (kept && kept->Length == text.size() && kept->Hash == qHash(text)) return kept->Text;
    const qsizetype at = text.indexOf(kSeparator);
    return at < 0 ? text : text.left(at);
}

bool TResultCommands::Full(const QTextDocument& results, int added)
{
    return results.blockCount() >= kMaxLines || results.characterCount() + added > kMaxCharacters;
}

void TResultCommands::DropOldest(QTextDocument& results)
{
    // The last lines go one at a time, each at a cost of its own length.
    while (results.blockCount() > 1 &&
           (results.blockCount() > kMaxLines || results.characterCount() > kMaxCharacters)) {
        const QTextBlock last = results.lastBlock();
        QTextCursor cursor(&results);
        cursor.setPosition(last.position() - 1); // the end of the line before
        cursor.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
}

QString TResultCommands::ValueText(const QTextBlock& line)
{
    const QString text = line.text();
    const qsizetype at = text.lastIndexOf(kSeparator);
    if (at < 0) return QString();
    // A fraction beside the value is not the value.
    const qsizetype beside = text.indexOf(QString::fromUtf8(calc::kFractionMark), at);
    return text.mid(at + kSeparator.size(), beside < 0 ? -1 : beside - at - kSeparator.size()).trimmed();
}

QTextBlock TResultCommands::CaretLine() const
{
    return FResults->textCursor().block();
}

void TResultCommands::CopyValue()
{
    const QString value = ValueText(CaretLine());
    if (!value.isEmpty()) QApplication::clipboard()->setText(value);
}

void TResultCommands::CopyLine()
{
    const QString line = CaretLine().text();
    if (!line.isEmpty()) QApplication::clipboard()->setText(line);
}

void TResultCommands::UseLine()
{
    const QTextBlock line = CaretLine();
    if (line.text().isEmpty()) return;
    FUseExpression(CalculatedText(line));
}

bool TResultCommands::eventFilter(QObject* watched, QEvent* event)
{
    // A double click on a line uses it, instead of selecting a word.
    if (event->type() == QEvent::MouseButtonDblClick && watched == FViewport) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QTextCursor at = FResults->cursorForPosition(mouse->position().toPoint());
            FResults->setTextCursor(at);
            UseLine();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
