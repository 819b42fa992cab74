#include "workspace/ExpressionBox.h"

#include "calc/Vocabulary.h"
#include "ui/LongLines.h"
#include "workspace/ExpressionHistory.h"
#include "workspace/NotebookWords.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTextBlock>

namespace {

// The role the completer matches: the bare name; the list shows the name
// with its description.
constexpr int kNameRole = Qt::UserRole + 1;
// What choosing it writes, when not the name: "atr(" for "atr(b;h)".
constexpr int kInsertRole = Qt::UserRole + 2;

bool IsNameLetter(QChar c) { return c.isLetter(); }

} // namespace

TExpressionBox::TExpressionBox(QWidget* parent) : QPlainTextEdit(parent)
{
    // Deleting a long run returns the box to word wrap.
    connect(this, &QPlainTextEdit::textChanged, this, [this] { AdaptWrap(toPlainText()); });
    FWords = new QStandardItemModel(this);
    FCompleter = new QCompleter(FWords, this);
    FCompleter->setObjectName("Completar");
    FCompleter->setWidget(this);
    FCompleter->setCompletionMode(QCompleter::PopupCompletion);
    FCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    FCompleter->setCompletionRole(kNameRole);
    FCompleter->setMaxVisibleItems(8);
    FCompleter->popup()->setAccessibleName("Nombres que empiezan así");
    connect(FCompleter, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& index) {
                const QVariant insert = index.data(kInsertRole);
                InsertName(insert.isValid() ? insert.toString() : index.data(kNameRole).toString());
            });
}

void TExpressionBox::AdaptWrap(const QString& text)
{
    const QTextOption::WrapMode mode = longlines::LongestUnbrokenRun(text) > longlines::kUnbrokenLimit
                                           ? QTextOption::WrapAnywhere
                                           : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (wordWrapMode() != mode) setWordWrapMode(mode);
}

void TExpressionBox::SetText(const QString& text)
{
    AdaptWrap(text);
    setPlainText(text);
}

void TExpressionBox::insertFromMimeData(const QMimeData* source)
{
    if (!source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    // Characters composed as typed; the wrap for the text as it will be,
    // before it is laid out.
    const QString pasted = source->text().normalized(QString::NormalizationForm_C);
    const QTextCursor c = textCursor();
    const QString now = toPlainText();
    AdaptWrap(now.left(c.selectionStart()) + pasted + now.mid(c.selectionEnd()));
    insertPlainText(pasted);
    ensureCursorVisible();
}

bool TExpressionBox::WalkHistory(bool up)
{
    if (FHistory == nullptr) return false;
    QTextCursor probe = textCursor();
    if (probe.movePosition(up ? QTextCursor::Up : QTextCursor::Down)) return false; // the caret moves
    const std::optional<QString> text = up ? FHistory->Older(toPlainText()) : FHistory->Newer();
    if (text) {
        SetText(*text);
        moveCursor(QTextCursor::End);
    }
    return true;
}

bool TExpressionBox::focusNextPrevChild(bool next)
{
    // Tab accepts a name offered in the pop-up.
    if (FCompleter->popup()->isVisible()) return false;
    return QPlainTextEdit::focusNextPrevChild(next);
}

void TExpressionBox::keyPressEvent(QKeyEvent* event)
{
    if (FCompleter->popup()->isVisible()) {
        // The pop-up's keys: the completer accepts or closes.
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
            event->ignore();
            return;
        default:
            break;
        }
    }
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) &&
        WalkHistory(event->key() == Qt::Key_Up))
        return;
    QPlainTextEdit::keyPressEvent(event);
    if (!event->text().isEmpty() || event->key() == Qt::Key_Backspace) OfferNames();
    else if (FCompleter->popup()->isVisible() && NamePrefix().isEmpty()) FCompleter->popup()->hide();
}

QString TExpressionBox::NamePrefix() const
{
    const QTextCursor c = textCursor();
    const QString line = c.block().text();
    const int end = c.positionInBlock();
    int start = end;
    while (start > 0 && IsNameLetter(line[start - 1])) --start;
    // Not inside a number: "1e5" or "2.5e".
    if (start > 0 && (line[start - 1].isDigit() || line[start - 1] == '.')) return {};
    if (end < line.size() && IsNameLetter(line[end])) return {}; // in the middle of a word
    return line.mid(start, end - start);
}

void TExpressionBox::RefreshWords()
{
    const int generation = FNotebook != nullptr ? FNotebook->Generation() : 0;
    if (generation == FWordsGeneration) return;
    FWordsGeneration = generation;
    FWords->clear();
    auto add = [this](const QString& name, const QString& description) {
        auto* item = new QStandardItem(name + "  —  " + description);
        item->setData(name, kNameRole);
        item->setEditable(false);
        FWords->appendRow(item);
    };
    // The notebook's own names first: they are what the student wrote.
    if (FNotebook != nullptr) {
        const calc::TNotebookDefinitions& defs = FNotebook->Definitions();
        // The notebook's functions with their parameters: "V(r;h)".
        for (const TFunctionSource& f : defs.Functions) {
            QStringList parameters;
            for (const std::string& p : f.Parameters) parameters << QString::fromStdString(p);
            const QString name = QString::fromStdString(f.Name);
            add(name + "(" + parameters.join(';') + ")", "= " + QString::fromStdString(f.Body).trimmed());
            FWords->item(FWords->rowCount() - 1)->setData(name + "(", kInsertRole);
        }
        for (const auto* list : {&defs.Values, &defs.Texts}) {
            for (const calc::TNotebookLine& line : *list) {
                const QString name = QString::fromStdString(line.name);
                if (name.isEmpty() || !std::all_of(name.begin(), name.end(), IsNameLetter)) continue;
                add(name, QString::fromStdString(line.valueText).trimmed());
            }
        }
    }
    // Then the catalogue, the basic functions first: "arcs" offers arcsin before arcsec.
    for (const bool basic : {true, false})
        for (const calc::TWord& word : calc::Vocabulary())
            if (word.Basic == basic) {
                add(QString::fromStdString(word.Name), QString::fromStdString(word.Description));
                if (word.Call) FWords->item(FWords->rowCount() - 1)->setData(QString::fromStdString(word.Name) + "(", kInsertRole);
            }
}

void TExpressionBox::OfferNames()
{
    QAbstractItemView* popup = FCompleter->popup();
    const QString prefix = NamePrefix();
    // One letter is enough when a function of the notebook begins with it.
    auto beginsFunction = [this](const QString& letter) {
        if (FNotebook == nullptr || letter.size() != 1) return false;
        for (const TFunctionSource& f : FNotebook->Definitions().Functions)
            if (QString::fromStdString(f.Name).startsWith(letter, Qt::CaseInsensitive)) return true;
        return false;
    };
    if (prefix.size() < 2 && !beginsFunction(prefix)) {
        popup->hide();
        return;
    }
    RefreshWords();
    FCompleter->setCompletionPrefix(prefix);
    const int matches = FCompleter->completionCount();
    // Nothing to offer, or the name is already complete and the only one.
    if (matches == 0 ||
        (matches == 1 && FCompleter->currentCompletion().compare(prefix, Qt::CaseInsensitive) == 0)) {
        popup->hide();
        return;
    }
    popup->setCurrentIndex(FCompleter->completionModel()->index(0, 0));
    QRect under = cursorRect();
    under.setWidth(popup->sizeHintForColumn(0) + popup->verticalScrollBar()->sizeHint().width() + 8);
    FCompleter->complete(under);
}

void TExpressionBox::InsertName(const QString& name)
{
    QTextCursor c = textCursor();
    c.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, static_cast<int>(NamePrefix().size()));
    c.insertText(name);
    setTextCursor(c);
}
