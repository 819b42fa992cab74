// What can be done with a line of the results: use the text it was
// calculated from as the expression again (a double click, "Usar la
// expresión"), and copy its value or the whole line as plain text.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QTextBlock;
class QTextCharFormat;
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

    // The format property of a result line's text that remembers the text
    // it was calculated from, as typed, with the line as it was written:
    // text typed or pasted next to it takes the property too, so it holds
    // only while the line reads the same.
    static constexpr int kCalculatedText = 0x100000 + 1;
    static void Remember(QTextCharFormat& format, const QString& calculated, const QString& line);

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
