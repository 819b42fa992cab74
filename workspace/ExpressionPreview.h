// The result of the expression shown while it is typed: about 300 ms after
// the last change the expression is calculated as "Calcular" would, on an
// engine of its own, and its value shown quietly in a label; nothing the
// calculation command keeps is touched.  One that may take long (it
// integrates, sums, solves) runs away from the window's thread.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class QLabel;
class TCalculationRunner;
namespace calc {
struct TCalcOutcome;
}
class QPlainTextEdit;
class TNotebookWords;

class TExpressionPreview : public QObject {
    Q_OBJECT
public:
    // Longer expressions are not previewed.
    static constexpr int kMaxCharacters = 10000;
    static constexpr int kPauseMs = 300;

    TExpressionPreview(QPlainTextEdit* expression, TNotebookWords* notebook, QLabel* label,
                       std::function<int()> digits, QObject* parent);
    ~TExpressionPreview() override;

    void SetEnabled(bool on);
    bool Enabled() const { return FEnabled; }
    // Shows an exact fraction beside the value ("= 0.5  ‖ 1/2").
    void SetFractions(bool on);
    // Calculates the preview now.
    void Update();
    // Asks for a preview after the pause.
    void Schedule();

private:
    void Show(const calc::TCalcOutcome& r);
    QPlainTextEdit* FExpression;
    TNotebookWords* FNotebook;
    QLabel* FLabel;
    std::function<int()> FDigits;
    QTimer FTimer;
    bool FEnabled = true;
    bool FFractions = true;
    bool FWaiting = false; // for the notebook's definitions
    TCalculationRunner* FRunner; // the previews that may take long
};
