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
    // A notebook read away from the window's thread: the preview waited for it.
    connect(notebook, &TNotebookWords::Prepared, this, [this] {
        if (FWaiting) Update();
    });
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
    FWaiting = false;
    FLabel->clear();
    const QString text = FExpression->toPlainText();
    if (!FEnabled || text.trimmed().isEmpty() || text.size() > kMaxCharacters) return;
    // The notebook's definitions and an engine with its values, made away
    // from this thread after a change of the notebook.
    TNotebookWords::TPrepared* notebook = FNotebook->Current();
    if (notebook == nullptr) {
        FWaiting = true;
        return;
    }
    // As "Calcular" calculates; random draws would change at every pause,
    // so they are not shown.
    const calc::TCalcOutcome r =
        calc::CalculateWith(*notebook->Parser, notebook->Definitions, text.toStdString(), FDigits(), false);
    if (r.ok) FLabel->setText("= " + QString::fromStdString(r.valueText));
    // A call of a notebook line that is not a function: why, before the student calculates.
    if (r.rejectedLine > 0) FLabel->setText(QString::fromStdString(r.errorMessage));
}
