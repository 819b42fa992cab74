#include "workspace/ExpressionPreview.h"

#include "calc/CalcCore.h"

#include "engine/MathParser.h"
#include "workspace/CalculationRunner.h"
#include "workspace/NotebookWords.h"

#include <QLabel>
#include <QPlainTextEdit>

TExpressionPreview::TExpressionPreview(QPlainTextEdit* expression, TNotebookWords* notebook, QLabel* label,
                                       std::function<int()> digits, QObject* parent)
    : QObject(parent), FExpression(expression), FNotebook(notebook), FLabel(label), FDigits(std::move(digits))
{
    setObjectName("ExpressionPreview");
    FRunner = new TCalculationRunner(this);
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
        FRunner->Drop();
        FLabel->clear();
    }
}

void TExpressionPreview::SetFractions(bool on)
{
    if (on == FFractions) return;
    FFractions = on;
    if (FEnabled) Schedule();
}

void TExpressionPreview::Schedule()
{
    FRunner->Drop(); // what it calculates is no longer what is typed
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
    const std::string expression = text.toStdString();
    if (calc::MayTakeLong(expression, notebook->Definitions)) {
        // An integral, a sum, an equation: away from this thread, on an
        // engine of its own; typing on stops it.
        FLabel->setText("= …");
        const int digits = FDigits();
        FRunner->Start([defs = notebook->Definitions, expression, digits, fractions = FFractions] {
            TMathParser parser;
            calc::DefineValues(parser, defs);
            return calc::CalculateWith(parser, defs, expression, digits, false, fractions);
        }, AngleUnitIsDegrees(), [this](const calc::TCalcOutcome& r) { Show(r); });
        return;
    }
    Show(calc::CalculateWith(*notebook->Parser, notebook->Definitions, expression, FDigits(), false, FFractions));
}

void TExpressionPreview::Show(const calc::TCalcOutcome& r)
{
    FLabel->clear();
    if (r.ok) {
        QString text = "= " + QString::fromStdString(r.valueText);
        if (r.fraction) text += QString::fromUtf8(calc::kFractionMark) + QString::fromStdString(r.fraction->Text());
        FLabel->setText(text);
    }
    // A call of a notebook line that is not a function: why, before the student calculates.
    if (r.rejectedLine > 0) FLabel->setText(QString::fromStdString(r.errorMessage));
}
