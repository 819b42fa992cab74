#include "workspace/ExpressionPreview.h"

#include "engine/MathParser.h"
#include "workspace/NotebookWords.h"

#include <QLabel>
#include <QPlainTextEdit>

TExpressionPreview::TExpressionPreview(QPlainTextEdit* expression, TNotebookWords* notebook, QLabel* label,
                                       std::function<int()> digits, QObject* parent)
    : QObject(parent), FExpression(expression), FNotebook(notebook), FLabel(label), FDigits(std::move(digits))
{
    setObjectName("ExpressionPreview");
    FTimer.setSingleShot(true);
    FTimer.setInterval(kPauseMs);
    connect(&FTimer, &QTimer::timeout, this, &TExpressionPreview::Update);
    connect(expression, &QPlainTextEdit::textChanged, this, &TExpressionPreview::Schedule);
    connect(notebook, &TNotebookWords::Changed, this, &TExpressionPreview::Schedule);
}

TExpressionPreview::~TExpressionPreview() = default;

void TExpressionPreview::SetEnabled(bool on)
{
    FEnabled = on;
    if (on) {
        Update();
    } else {
        FTimer.stop();
        FLabel->clear();
    }
}

void TExpressionPreview::Schedule()
{
    if (FEnabled) FTimer.start();
}

void TExpressionPreview::Update()
{
    FTimer.stop();
    FLabel->clear();
    const QString text = FExpression->toPlainText();
    if (!FEnabled || text.trimmed().isEmpty() || text.size() > kMaxCharacters) return;
    const calc::TNotebookDefinitions& defs = FNotebook->Definitions();
    if (!FParser || FParserGeneration != FNotebook->Generation()) {
        FParser = std::make_unique<TMathParser>();
        calc::DefineValues(*FParser, defs);
        FParserGeneration = FNotebook->Generation();
    }
    // As "Calcular" calculates; random draws would change at every pause,
    // so they are not shown.
    const calc::TCalcOutcome r = calc::CalculateWith(*FParser, defs, text.toStdString(), FDigits(), false);
    if (r.ok) FLabel->setText("= " + QString::fromStdString(r.valueText));
}
