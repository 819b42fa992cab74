#include "workspace/ResultCommands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextCursor>
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

void TResultCommands::Remember(QTextCharFormat& format, const QString& calculated, const QString& line)
{
    format.setProperty(kCalculatedText, QStringList{calculated, line});
}

QString TResultCommands::CalculatedText(const QTextBlock& line)
{
    const QString text = line.text();
    for (auto it = line.begin(); !it.atEnd(); ++it) {
        const QStringList kept = it.fragment().charFormat().property(kCalculatedText).toStringList();
        if (kept.size() == 2 && kept[1] == text) return kept[0];
    }
    const qsizetype at = text.indexOf(kSeparator);
    return at < 0 ? text : text.left(at);
}

QString TResultCommands::ValueText(const QTextBlock& line)
{
    const QString text = line.text();
    const qsizetype at = text.lastIndexOf(kSeparator);
    return at < 0 ? QString() : text.mid(at + kSeparator.size()).trimmed();
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
