#include "workspace/MainForm.h"

#include "ui/WindowFit.h"

#include "engine/NumberFormat.h"
#include "workspace/AngleBoxes.h"
#include "analysis/Equations.h"
#include "calc/CalcCore.h"
#include "calc/Hints.h"
#include "ui/ElidedLabel.h"
#include "workspace/ExpressionHistory.h"
#include "workspace/ExpressionPreview.h"
#include "workspace/CalculationRunner.h"
#include "workspace/NotebookValues.h"
#include "workspace/NotebookWords.h"
#include "workspace/ResultCommands.h"
#include "workspace/CommandButton.h"
#include "workspace/ConfigForm.h"
#include "plot/ParameterSliders.h"
#include "plot/PlotView.h"
#include "library/FormulaChooser.h"
#include "library/FormulaHolder.h"
#include "library/NotebookInsert.h"
#include "help/AboutForm.h"
#include "help/HelpCommand.h"
#include "workspace/KeyboardForm.h"
#include "ui/LongLines.h"
#include "ui/TextPositions.h"
#include "notebook/FindDialog.h"
#include "notebook/RecoveryOffer.h"
#include "ui/Prompts.h"
#include "ui/UndoableClear.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <clocale>
#include <exception>

Tdemoform::Tdemoform(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("demoform");
    setWindowTitle("Zentrova 4.0[*]");
    QFont tahoma("Tahoma");
    tahoma.setPixelSize(11);
    setFont(tahoma);
    BuildCommands();
    BuildToolBar(); // with the window's icon
    BuildMenus();
    BuildCentral();
    // The designed 550 x 700 where the screen holds it; on a small screen
    // (1024 x 600, or 768 high with a panel) it opens as large as fits and
    // can shrink to 550 x 520, the panes giving up their height first.
    setMinimumSize(550, 520);
    resize(550, 700);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect placed = ui::FitWindow(QSize(550, 700), minimumSize(), screen->availableGeometry());
        resize(placed.size());
        move(ui::FramePosition(placed));
    }
    FormCreate();
    NameControls();
    Memo3->setFocus();
}

Tdemoform::~Tdemoform()
{
    FormDestroy();
}

void Tdemoform::ShowFailure(const QString& text)
{
    prompts::ShowFailure(this, text);
}

template <typename F> void Tdemoform::Guarded(F&& command)
{
    try {
        command();
    } catch (const std::exception& e) {
        ShowFailure(QString::fromUtf8(e.what()));
    }
}

void Tdemoform::FormCreate()
{
    // The notebook folder (made when missing), the clock and the find dialog.
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    FindDialog1 = new TFindDialog(this);
    Notebook = std::make_unique<TNotebookCommands>(this, vars, EstadoPanels, Timer1, FindDialog1);
    connect(Notebook.get(), &TNotebookCommands::StatusMessage, this,
            [this](const QString& text, int ms) { statusBar()->showMessage(text, ms); });
    connect(Notebook.get(), &TNotebookCommands::Saved, this, [this](const QString& path) {
        statusBar()->showMessage("Cuaderno guardado en «" + QDir::toNativeSeparators(path) + "»", 5000);
    });
    connect(Notebook.get(), &TNotebookCommands::FileChanged, this, &Tdemoform::ShowNotebookTitle);
    connect(vars, &QTextEdit::textChanged, this, &Tdemoform::ShowNotebookTitle);
    // An error or hint was about the notebook as it was.
    connect(vars, &QTextEdit::textChanged, this, &Tdemoform::HideError);
    // Around the expression box.
    History = new TExpressionHistory(this);
    NotebookWords = new TNotebookWords(vars, this);
    Memo3->AttachHistory(History);
    Memo3->AttachNotebook(NotebookWords);
    Preview = new TExpressionPreview(Memo3, NotebookWords, LabelVistaPrevia, [this] { return Edit2->text().toInt(); }, this);
    connect(UpDown1, qOverload<int>(&QSpinBox::valueChanged), Preview, &TExpressionPreview::Schedule);
    for (QCheckBox* box : {CheckBox1, CheckBox2}) connect(box, &QCheckBox::clicked, Preview, &TExpressionPreview::Schedule);
    Recovery = std::make_unique<TRecoveryCopy>(vars, Memo3, memo1);
    Recovery->NotebookFile = [this] { return Notebook->FileName(); };
    connect(Recovery.get(), &TRecoveryCopy::StatusMessage, this,
            [this](const QString& text, int timeoutMs) { statusBar()->showMessage(text, timeoutMs); });
    // The copy goes only when the notebook is saved or its changes dropped.
    connect(Notebook.get(), &TNotebookCommands::Saved, Recovery.get(), &TRecoveryCopy::Discard);
    connect(Notebook.get(), &TNotebookCommands::ChangesDropped, Recovery.get(), &TRecoveryCopy::Discard);
    connect(Timer1, &QTimer::timeout, this, &Tdemoform::Timer1Timer);
    connect(FindDialog1, &TFindDialog::Find, this, &Tdemoform::FindDialog1Find);
    // Every number is written and read with "." as the decimal separator.
    std::setlocale(LC_NUMERIC, "C");
    Panel3->PlotRange = 10;
    CalcParser = std::make_unique<TMathParser>();
    analysis::InstallExpressionCalculus(); // integral(...) and resolver(...) everywhere, the plot too
    Runner = new TCalculationRunner(this);
    ProgressTimer = new QTimer(this);
    ProgressTimer->setInterval(200);
    connect(ProgressTimer, &QTimer::timeout, this, [this] {
        if (Runner->Running()) ShowProgress();
        else ProgressTimer->stop();
    });
    PlotParser = std::make_shared<TMathParser>();
    PlotParser->RegisterFunctions();
    PlotParser->RegisterAngleConversions();
    PlotParser->DefineVariable("x", 0);
    Panel3->AttachParser(PlotParser);
    Panel3->ResultDigits = [this] { return UpDown1->value(); }; // the plot's table of values
    Panel3->NotebookFile = [this] { return Notebook->FileName(); };
    Panel3->SetNotebookDefinitions([this] { return NotebookWords->Definitions(); });
    Panel3->Sliders->WriteValue = [this](const std::string& name, const QString& value) {
        const QString shown = QString::fromStdString(name);
        const bool written = WriteNotebookValue(vars, name, value);
        statusBar()->showMessage(written ? "Escrito en el cuaderno: " + shown + "=" + value
                                         : "No hay ninguna línea «" + shown + "=…» en el cuaderno",
                                 8000);
        return written;
    };
}

void Tdemoform::FormDestroy()
{
    SetAngleUnitQuery(nullptr); // the configuration window goes with this one
    CalcParser.reset();
    PlotParser.reset();
}

void Tdemoform::AttachConfiguration(TForm6* form6)
{
    Form6 = form6;
    SetAngleUnitQuery([form6] { return form6->Degrees(); });
    // The history is kept between sessions only when the user asks for it;
    // the result while typing is shown at every start.
    form6->CheckBox3->setChecked(History->Remembered());
    connect(form6->CheckBox3, &QCheckBox::toggled, History, &TExpressionHistory::SetRemembered);
    connect(History, &TExpressionHistory::RememberedChanged, form6->CheckBox3, &QCheckBox::setChecked);
    connect(form6->CheckBox4, &QCheckBox::toggled, Preview, &TExpressionPreview::SetEnabled);
    // Fractions are shown unless the user turned them off, in any session.
    form6->CheckBox5->setChecked(StoredShowFractions());
    SetShowFractions(form6->CheckBox5->isChecked());
    connect(form6->CheckBox5, &QCheckBox::toggled, this, &Tdemoform::SetShowFractions);
    connect(form6->CheckBox1, &QCheckBox::clicked, Preview, &TExpressionPreview::Schedule);
    connect(form6->CheckBox2, &QCheckBox::clicked, Preview, &TExpressionPreview::Schedule);
    // One angle unit, shown the same in both windows whichever is clicked.
    connect(form6->CheckBox1, &QCheckBox::clicked, this, [this] {
        SetAngleBoxes(CheckBox1, CheckBox2, true);
        Panel3->AngleUnitChanged();
    });
    connect(form6->CheckBox2, &QCheckBox::clicked, this, [this] {
        SetAngleBoxes(CheckBox1, CheckBox2, false);
        Panel3->AngleUnitChanged();
    });
    // The track bar shows the digits of the results and sets them.
    form6->TrackBar1->setValue(UpDown1->value());
    connect(UpDown1, qOverload<int>(&QSpinBox::valueChanged), form6->TrackBar1, &QSlider::setValue);
    connect(form6->TrackBar1, &QSlider::valueChanged, UpDown1, &QSpinBox::setValue);
}

bool Tdemoform::eventFilter(QObject* watched, QEvent* event)
{
    if (FSessionEnding && (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress))
        SessionGoesOn();
    // Shift+F10 opens a pane's context menu at its cursor, as the menu key does.
    if (event->type() == QEvent::KeyPress && (watched == Memo3 || watched == memo1 || watched == vars)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
            auto* pane = static_cast<QAbstractScrollArea*>(watched);
            const QRect cursor = watched == Memo3 ? Memo3->cursorRect() : static_cast<QTextEdit*>(watched)->cursorRect();
            QContextMenuEvent menu(QContextMenuEvent::Keyboard, cursor.center(), pane->viewport()->mapToGlobal(cursor.center()));
            QCoreApplication::sendEvent(pane->viewport(), &menu);
            return true;
        }
    }
    // Memo3KeyPress: Enter calculates and never inserts a line break; Esc
    // stops a calculation that runs.
    if (watched == Memo3 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape && Runner->Running()) {
            Runner->Stop();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            CalcBtnClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tdemoform::CalcBtnClick()
{
    Guarded([this] {
        HideError();
        const QString typed = Memo3->toPlainText();
        if (!typed.trimmed().isEmpty()) History->Add(typed);
        CalcParser = std::make_unique<TMathParser>(); // the old engine is released
        ResultDigits = Edit2->text().toInt();
        // The notebook's lines are its text lines: paragraphs, and the parts
        // of a paragraph split by a typed line break.
        std::vector<std::string> lines;
        for (const QString& line : vars->toPlainText().split(QChar('\n'))) lines.push_back(line.toStdString());
        if (vars->document()->isEmpty()) lines.clear();
        const std::string expression = Memo3->toPlainText().toStdString();
        Runner->Drop(); // a calculation still running gives way
        // Read once: a notebook with long lists takes a while to read.
        const calc::TNotebookDefinitions defs = calc::ReadNotebookDefinitions(lines);
        if (calc::MayTakeLong(expression, defs)) {
            // Integrals, sums, equations: away from this thread, with their
            // progress in place of the result while typing.
            const int digits = ResultDigits;
            Runner->Start([lines, expression, digits, fractions = ShowFractions] {
                TMathParser parser;
                return calc::RunCalculation(parser, lines, expression, digits, fractions);
            }, AngleUnitIsDegrees(), [this, lines, typed](const calc::TCalcOutcome& r) {
                ProgressTimer->stop();
                LabelVistaPrevia->clear();
                if (Preview->Enabled()) Preview->Schedule();
                Guarded([&] { ShowCalculation(r, lines, typed); });
            });
            ShowProgress();
            return;
        }
        calc::DefineValues(*CalcParser, defs);
        const calc::TCalcOutcome r = calc::CalculateWith(*CalcParser, defs, expression, ResultDigits, true, ShowFractions);
        ShowCalculation(r, lines, typed);
    });
}

void Tdemoform::ShowCalculation(const calc::TCalcOutcome& r, const std::vector<std::string>& lines, const QString& typed)
{
    {
        if (r.definitionsFailed()) {
            // Too long or using itself: the expression and the notebook stay as they are.
            ShowEngineError(QString::fromStdString(r.errorMessage), -1, 0);
            return;
        }
        if (r.expressionChanged) Memo3->SetText(QString::fromStdString(r.expression));
        if (!r.ok) {
            ShowEngineError(QString::fromStdString(r.errorMessage), r.errorPosition, r.errorLength,
                            QString::fromStdString(calc::HintFor(r, lines)));
            return;
        }
        LastResult = r.value;
        LastOutcome = r;
        LastShown = calc::TValueShown::Decimal;
        InsertResultLine(QString::fromStdString(r.exprText), QString::fromStdString(r.valueText), typed,
                         r.fraction ? QString::fromStdString(r.fraction->Text()) : QString());
    }
}

void Tdemoform::ShowProgress()
{
    LabelVistaPrevia->setText("Calculando… " + QString::number(Runner->Progress()) + " % (Esc lo detiene)");
    if (!ProgressTimer->isActive()) ProgressTimer->start();
}

void Tdemoform::ShowEngineError(const QString& message, int position, int length, const QString& hint)
{
    LabelPista->SetFullText(hint);
    LabelPista->setVisible(!hint.isEmpty());
    Panel6->show();
    // The icon blinks: hidden now, shown again 200 ms later.
    Image1->hide();
    QTimer::singleShot(200, Image1, [image = Image1] { image->show(); });
    Label5->setText(message);
    Memo3->setFocus();
    if (position < 0) return; // no span to blame
    const QString text = Memo3->toPlainText();
    const int start = Utf16Offset(text, std::max(0, position - 1));
    const int end = Utf16Offset(text, std::max(0, position - 1 + length));
    QTextCursor cursor = Memo3->textCursor();
    const int size = static_cast<int>(text.size());
    cursor.setPosition(std::min(start, size));
    cursor.setPosition(std::min(end, size), QTextCursor::KeepAnchor);
    Memo3->setTextCursor(cursor);
}

void Tdemoform::InsertResultLine(const QString& exprText, const QString& valueText, const QString& calculated,
                                 const QString& fraction)
{
    const QString head = exprText + " = ";
    const QString line = head + "  " + valueText + (fraction.isEmpty() ? QString() : kFractionMark + fraction);
    QTextCharFormat red;
    red.setForeground(QColor(220, 40, 0));
    // Text left selected in the results takes the expression colour.
    QTextCursor selection = memo1->textCursor();
    if (selection.hasSelection()) selection.mergeCharFormat(red);

    // A full pane drops its oldest lines, and then keeps no undo steps: they
    // would keep every line dropped.
    QTextDocument* results = memo1->document();
    const bool full = TResultCommands::Full(*results, static_cast<int>(line.size()) + 1);
    if (full) results->setUndoRedoEnabled(false);
    const QStringList below = TResultCommands::Remembered(results->firstBlock());
    QTextCursor cursor(results);
    cursor.movePosition(QTextCursor::Start);
    const bool empty = results->isEmpty();
    cursor.insertText(line, red);
    if (!empty) cursor.insertBlock(cursor.blockFormat(), red);
    // The line remembers the text it was calculated from; the one below
    // keeps what it remembered.
    TResultCommands::Remember(results->firstBlock(), calculated);
    if (!empty) TResultCommands::RememberAgain(results->firstBlock().next(), below);
    if (full) {
        TResultCommands::DropOldest(*results);
        results->setUndoRedoEnabled(true);
    }

    const int valueEnd = static_cast<int>(head.size() + valueText.size() + 2);
    PaintResultValue(static_cast<int>(head.size()), valueEnd, fraction.isEmpty() ? -1 : valueEnd,
                     static_cast<int>(line.size()));
    LastLine = line;
    LastTyped = calculated;

    QTextCursor caret(memo1->document());
    caret.setPosition(static_cast<int>(line.size()));
    memo1->setTextCursor(caret);
    QTextCharFormat black;
    black.setForeground(QColor(0, 0, 0));
    memo1->setCurrentCharFormat(black);
}

void Tdemoform::UseExpression(const QString& text)
{
    Memo3->SetText(text);
    Memo3->moveCursor(QTextCursor::End);
    Memo3->setFocus();
}

void Tdemoform::ToolButton2Click()
{
    QString text = Memo3->toPlainText();
    if (!text.isEmpty()) {
        const bool pair = text.size() >= 2 && text.back().isLowSurrogate() && text.at(text.size() - 2).isHighSurrogate();
        text.chop(pair ? 2 : 1);
    }
    Memo3->SetText(text);
    QTextCursor cursor = Memo3->textCursor();
    cursor.movePosition(QTextCursor::End);
    Memo3->setTextCursor(cursor);
}

void Tdemoform::ToolButton1Click()
{
    Memo3->setFocus();
    Memo3->insertPlainText(LastValueText());
}

void Tdemoform::ToolButton3Click()
{
    Memo3->clear();
    Memo3->setFocus();
    HideError();
}

void Tdemoform::Memo3Change()
{
    HideError();
}

void Tdemoform::HideError()
{
    Panel6->hide();
    LabelPista->hide();
}

void Tdemoform::SpeedButton3Click()
{
    ClearUndoably(*memo1);
    memo1->document()->setModified(false);
}

void Tdemoform::Ejecutar1Click()
{
    if (vars->textCursor().hasSelection()) vars->copy();
    Memo3->clear();
    Memo3->paste();
    CalcBtnClick();
}

void Tdemoform::Cortar1Click()
{
    vars->cut();
}

void Tdemoform::Copiar1Click()
{
    vars->copy();
}

void Tdemoform::Pegar1Click()
{
    vars->paste();
}

void Tdemoform::Seleccionartodo1Click()
{
    vars->selectAll();
}

void Tdemoform::Borrartodo1Click()
{
    Notebook->ClearNotebook();
}

void Tdemoform::Cortar2Click()
{
    memo1->cut();
}

void Tdemoform::Copiar2Click()
{
    memo1->copy();
}

void Tdemoform::Salir1Click()
{
    close();
}

void Tdemoform::CheckBox1Click()
{
    SetAngleBoxes(CheckBox1, CheckBox2, true);
    if (Form6) SetAngleBoxes(Form6->CheckBox1, Form6->CheckBox2, true);
    Panel3->AngleUnitChanged();
}

void Tdemoform::CheckBox2Click()
{
    SetAngleBoxes(CheckBox1, CheckBox2, false);
    if (Form6) SetAngleBoxes(Form6->CheckBox1, Form6->CheckBox2, false);
    Panel3->AngleUnitChanged();
}

void Tdemoform::Configuracion1Click()
{
    if (!Form6) return;
    Form6->show();
    Form6->raise();
    Form6->activateWindow();
}

void Tdemoform::FocusExpressionBox()
{
    Memo3->setFocus();
}

void Tdemoform::ToolButton6Click()
{
    ToolButton5->setChecked(false);
    ToolButton5->setDown(false);
    const bool show = ScrollBox1->isVisible();
    ScrollBox1->setVisible(!show);
    Panel3->setVisible(show);
    ToolButton6->SetPressed(show);
    Memo3->setVisible(!show);
    Panel1->setVisible(!show);
    // The hint goes with its error strip, and comes back with it.
    LabelPista->setVisible(!show && Panel6->isVisibleTo(Panel1) && !LabelPista->FullText().isEmpty());
    SetSidePanelsForPlot(show);
    // While the plot is shown the calculation, the digits and the notebook
    // commands of the tool bar rest; "Grafica", "Ayuda", the menus and the
    // angle boxes do not (the menu items of the resting buttons' actions
    // stay available).
    for (QWidget* w :
         std::initializer_list<QWidget*>{Label3, UpDown1, CalcBtn, ToolButton2, ToolButton1, ToolButton3, ToolButtonFraccion})
        w->setEnabled(!show);
    for (TCommandButton* b : {ToolButton5, ToolButton7, ToolButton9, ToolButton10, ToolButton11, ToolButton12, ToolButton4})
        b->SetResting(show);
    // Typing goes on where the user now looks: the function box, or the
    // expression box again.
    if (show) Panel3->Edit1->setFocus(Qt::OtherFocusReason);
    else Memo3->setFocus(Qt::OtherFocusReason);
}


void Tdemoform::SetSidePanelsForPlot(bool plotShown)
{
    Library->PlotShown(plotShown);
    if (Form5) Form5->SetKeysHidden(plotShown);
}

void Tdemoform::AttachKeyboard(TForm5* form5)
{
    Form5 = form5;
    form5->AttachExpressionBox(Memo3);
}

void Tdemoform::ToolButton7Click()
{
    if (!Form5) return;
    if (Form5->Docked()) Form5->Undock();
    else Form5->Dock(WorkRow);
    ToolButton7->SetPressed(Form5->Docked());
}


void Tdemoform::AttachAbout(TForm1* form1)
{
    Form1 = form1;
    form1->OpenManual = [this] { AyudasobreTervolix1Click(); };
}

void Tdemoform::AcercadeTervolix1Click()
{
    if (!Form1) return;
    // One window, modeless and on top, centred over this one.
    if (!Form1->isVisible()) Form1->move(geometry().center() - Form1->rect().center());
    Form1->show();
    Form1->raise();
    Form1->activateWindow();
}

void Tdemoform::AyudasobreTervolix1Click()
{
    help::OpenManual([this](const QString& text) { ShowFailure(text); });
}


void Tdemoform::AttachFormulaHolder(TForm4* form4)
{
    Library->AttachHolder(form4);
    form4->Insert = [this](const TFormulaTemplate& formula) {
        library::InsertTemplate(*vars, formula);
        FocusExpressionBox();
    };
}

void Tdemoform::ToolButton5Click()
{
    Library->Toggle();
}


void Tdemoform::Hola2Click()
{
    Library->ShowConstants();
}

void Tdemoform::dddd1Click()
{
    Library->ShowAreas();
}

void Tdemoform::Volumenes1Click()
{
    Library->ShowVolumes();
}

void Tdemoform::N41Click()
{
    Library->ShowPhysics();
}

void Tdemoform::ComboBox1Click()
{
    Library->ConstantChosen();
}

// ---------------------------------------------------------------------------
// Notebook commands, run by the notebook controller

void Tdemoform::ToolButton12Click()
{
    Notebook->NewNotebook();
}



void Tdemoform::AbrirClick()
{
    if (!Notebook->ResolveUnsavedNotebook()) return;
    Notebook->OpenNotebook(); // the notebook stays as it was unless a file was read
}

void Tdemoform::ToolButton10Click()
{
    Notebook->SaveNotebook();
}

void Tdemoform::GuardarcomoClick()
{
    Notebook->SaveNotebookAs();
}

void Tdemoform::ShowNotebookTitle()
{
    // "apuntes.txt — Zentrova 4.0", with "*" while modified; a notebook
    // without a file keeps the caption alone, with "*" too.
    const QString name = QFileInfo(Notebook->FileName()).fileName();
    const QString title = name.isEmpty() ? QString("Zentrova 4.0[*]") : name + "[*] — Zentrova 4.0";
    if (windowTitle() != title) setWindowTitle(title);
    setWindowModified(vars->document()->isModified());
}


void Tdemoform::closeEvent(QCloseEvent* event)
{
    // Ending with the session or on a signal: nothing is asked, and the
    // recovery copy keeps the notebook for the next start.
    if (FEnding || FSessionEnding) {
        event->accept();
        return;
    }
    if (Notebook->Opening()) {
        event->ignore(); // a notebook is being read; its dialog can cancel it
        return;
    }
    const bool resolved = Notebook->ResolveUnsavedNotebook();
    if (FEnding || FSessionEnding) { // it came while the question was up
        event->accept();
        return;
    }
    if (!resolved) {
        event->ignore(); // the notebook could not be saved: stay open
        return;
    }
    event->accept(); // saved, or No: the copy went with it
}

void Tdemoform::OfferRecovery()
{
    recovery::TOffer offer;
    offer.Ask = [this](const QString& question) { return recovery::AskInBox(this, question); };
    offer.ResolveUnsaved = [this] { return Notebook->ResolveUnsavedNotebook(); };
    offer.ShowFailure = [this](const QString& text) { ShowFailure(text); };
    offer.AdoptFile = [this](const QString& file) {
        Notebook->AdoptFile(file);
        if (!file.isEmpty()) Recovery->WriteNow(); // this window's copy keeps the name too
    };
    recovery::OfferLeftCopies(*Recovery, offer);
}

void Tdemoform::KeepWorkForEnd()
{
    FEnding = true;
    Recovery->KeepForEnd();
}

void Tdemoform::SessionEnding()
{
    // The session may still be called off: then closing asks again once the
    // user types or clicks in the program, or after a minute.  Meanwhile
    // the copy holds the notebook.
    FSessionEnding = true;
    Recovery->WriteNow();
    qApp->installEventFilter(this);
    QTimer::singleShot(60000, this, [this] { SessionGoesOn(); });
}

void Tdemoform::SessionGoesOn()
{
    FSessionEnding = false;
    qApp->removeEventFilter(this);
}

void Tdemoform::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (FShown) return;
    FShown = true;
    Notebook->ShowNotebookStatus();
}

void Tdemoform::Timer1Timer()
{
    Notebook->ClockTick();
    ShowNotebookTitle(); // also after changes that no command reported
}

void Tdemoform::ToolButton4Click()
{
    Notebook->ShowFindDialog();
}



void Tdemoform::FindDialog1Find()
{
    Notebook->FindNext();
}

void Tdemoform::FuenteClick()
{
    Notebook->ChooseNotebookFont();
}

void Tdemoform::ToolButton11Click()
{
    Notebook->PrintNotebook();
}

