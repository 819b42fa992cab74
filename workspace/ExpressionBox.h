// The expression box: a plain text box whose designed height is 40 pixels.
// It wraps at word boundaries, except while its text holds a run without
// blanks longer than a screen: then it wraps anywhere, which takes time in
// step with the length (word wrap would take the square of it).  Up and
// Down walk the history of expressions when the caret cannot move further
// that way, and after two letters of a name (one, when a function of the
// notebook begins with it) a pop-up offers the names of the language and
// of the notebook that begin with them.
#pragma once

#include <QPlainTextEdit>

class QCompleter;
class QStandardItemModel;
class TExpressionHistory;
class TNotebookWords;

class TExpressionBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TExpressionBox(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {QPlainTextEdit::sizeHint().width(), 40}; }
    QSize minimumSizeHint() const override { return {QPlainTextEdit::minimumSizeHint().width(), 30}; }
    // setPlainText, with the wrap chosen for the new text first.
    void SetText(const QString& text);

    void AttachHistory(TExpressionHistory* history) { FHistory = history; }
    void AttachNotebook(TNotebookWords* notebook) { FNotebook = notebook; }

    // The pop-up of names (objectName "Completar"), open or not.
    QCompleter* Completer() const { return FCompleter; }
    // The letters of the name being typed before the caret; empty inside a
    // number or when the caret does not follow a name.
    QString NamePrefix() const;

protected:
    void insertFromMimeData(const QMimeData* source) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void AdaptWrap(const QString& text);
    bool WalkHistory(bool up);
    void OfferNames();
    void RefreshWords();
    void InsertName(const QString& name);
    TExpressionHistory* FHistory = nullptr;
    TNotebookWords* FNotebook = nullptr;
    QCompleter* FCompleter;
    QStandardItemModel* FWords;
    int FWordsGeneration = -1; // of the notebook's names in FWords
};
