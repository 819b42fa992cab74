// What can be done with a line of the results: use the text it was
// calculated from as the expression again (a double click, "Usar la
// expresión"), and copy its value or the whole line as plain text.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QTextBlock;
class QTextCharFormat;
class QTextDocument;
class QTextEdit;

class TResultCommands : public QObject {
    Q_OBJECT
public:
    // `results` is the results pane; `useExpression` puts a text in the
    // expression box, replacing its text, with the focus there.
    TResultCommands(QTextEdit* results, std::function<void(const QString&)> useExpression, QObject* owner);

    QAction* CopiarValor;   // "Copiar valor"
    QAction* CopiarLinea;   // "Copiar línea"
    QAction* UsarExpresion; // "Usar la expresión"

    // The results pane keeps at most this many lines and characters: past
    // either, the oldest lines go (the newest always stays), as a
    // terminal's scroll-back does.
    static constexpr int kMaxLines = 1000;
    static constexpr int kMaxCharacters = 1000000;

    // A result line remembers the text it was calculated from, as typed,
    // with the line as it was written: it holds only while the line reads
    // the same.  Kept with the line's block, it goes with the line.
    static void Remember(const QTextBlock& line, const QString& calculated);
    // What `line` remembers, to be given to another block (empty: nothing).
    static QStringList Remembered(const QTextBlock& line);
    static void RememberAgain(const QTextBlock& line, const QStringList& remembered);
    // A line of `added` characters is about to be inserted: whether older
    // lines must go to make room.
    static bool Full(const QTextDocument& results, int added);
    // Drops the oldest lines past the bound.
    static void DropOldest(QTextDocument& results);

    // The parts of a line: the remembered text, or else what stands left of
    // " =   "; the value right of it; the line itself.
    static QString CalculatedText(const QTextBlock& line);
    static QString ValueText(const QTextBlock& line);

    void CopyValue();
    void CopyLine();
    void UseLine();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextBlock CaretLine() const;
    QTextEdit* FResults;
    QObject* FViewport; // watched for double clicks
    std::function<void(const QString&)> FUseExpression;
};
