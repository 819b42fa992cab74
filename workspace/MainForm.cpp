#include "workspace/MainForm.h"

#include "engine/NumberFormat.h"
#include "workspace/AngleBoxes.h"
#include "workspace/CalcCore.h"
#include "workspace/ConfigForm.h"
#include "plot/PlotView.h"
#include "notebook/FindDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
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

// The icons live in this static library's resources.
static void InitIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace {

QFont Font(const char* family, int pixels, bool bold = false)
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

void Colour(QWidget* w, QPalette::ColorRole role, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(role, colour);
    w->setPalette(p);
}

// A caption strip: coloured text on a panel 20 pixels high.
QFrame* CaptionStrip(const char* name, QLabel*& label, const char* labelName, const QString& text,
                     const QColor& textColour, QWidget* parent)
{
    auto* strip = new QFrame(parent);
    strip->setObjectName(name);
    strip->setFixedHeight(20);
    strip->setAutoFillBackground(true);
    Colour(strip, QPalette::Window, QColor(251, 250, 247));
    label = new QLabel(text, strip);
    label->setObjectName(labelName);
    label->setFont(Font("Verdana", 11));
    Colour(label, QPalette::WindowText, textColour);
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(6, 0, 2, 0);
    layout->setSpacing(4);
    layout->addWidget(label);
    return strip;
}

// Engine positions count characters (code points); a QString counts UTF-16
// units.  Maps a 0-based character offset of `text` to its unit offset.
int UnitOffset(const QString& text, int characters)
{
    int units = 0;
    for (int c = 0; c < characters && units < text.size(); ++c)
        units += (text.at(units).isHighSurrogate() && units + 1 < text.size()) ? 2 : 1;
    return units + std::max(0, characters - static_cast<int>(text.toStdU32String().size()));
}

} // namespace

Tdemoform::Tdemoform(QWidget* parent) : QMainWindow(parent)
{
    InitIconResources();
    setObjectName("demoform");
    setWindowTitle("Zentrova 4.0");
    setWindowIcon(QIcon(":/icons/calcular.svg"));
    setFont(Font("Tahoma", 11));
    BuildToolBar();
    BuildMenus();
    BuildCentral();
    resize(550, 700);
    setMinimumSize(550, 680);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(275, 350));
    }
    FormCreate();
    Memo3->setFocus();
}

Tdemoform::~Tdemoform()
{
    FormDestroy();
}

template <typename F> void Tdemoform::Guarded(F&& command)
{
    try {
        command();
    } catch (const std::exception& e) {
        QMessageBox::critical(this, QCoreApplication::applicationName(), QString::fromUtf8(e.what()));
    }
}

void Tdemoform::FormCreate()
{
    // The notebook folder (made when missing), the clock and the find dialog.
    AttachNotebook(this, vars, EstadoPanels);
    connect(Timer1, &QTimer::timeout, this, &Tdemoform::Timer1Timer);
    connect(FindDialog1, &TFindDialog::Find, this, &Tdemoform::FindDialog1Find);
    // Every number is written and read with "." as the decimal separator.
    std::setlocale(LC_NUMERIC, "C");
    Panel3->PlotRange = 10;
    CalcParser = std::make_unique<TMathParser>();
    PlotParser = std::make_unique<TMathParser>();
    PlotParser->RegisterFunctions();
    PlotParser->RegisterAngleConversions();
    PlotParser->DefineVariable("x", 0);
    Panel3->AttachParser(PlotParser.get());
}

void Tdemoform::FormDestroy()
{
    SetAngleUnitQuery(nullptr); // the configuration window goes with this one
    if (CalcParser) {
        CalcParser->FreeCurrentTree();
        CalcParser.reset();
    }
    if (PlotParser) {
        Panel3->ReleaseFunction();
        Panel3->AttachParser(nullptr);
        PlotParser->FreeCurrentTree();
        PlotParser.reset();
    }
}

void Tdemoform::AttachConfiguration(TForm6* form6)
{
    Form6 = form6;
    SetAngleUnitQuery([form6] { return form6->Degrees(); });
}

void Tdemoform::BuildToolBar()
{
    ToolBar2 = new QToolBar(this);
    ToolBar2->setObjectName("ToolBar2");
    ToolBar2->setMovable(false);
    ToolBar2->setFloatable(false);
    ToolBar2->setIconSize(QSize(24, 24));
    ToolBar2->toggleViewAction()->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, ToolBar2);
    struct Button {
        QToolButton*& field;
        const char* name;
        const char* icon;
        const char* hint;
    };
    const Button buttons[] = {
        {CalcBtn, "CalcBtn", "calcular", "Calcular"},
        {ToolButton2, "ToolButton2", "retroceso", "Retroceso"},
        {ToolButton1, "ToolButton1", "ultimo", "Ultimo calculo"},
        {ToolButton3, "ToolButton3", "nuevo_calculo", "Nuevo calculo"},
        {ToolButton5, "ToolButton5", "formulario", "Formulario"},
        {ToolButton6, "ToolButton6", "grafica", "Grafica"},
        {ToolButton7, "ToolButton7", "teclado", "Teclado"},
        {ToolButton9, "ToolButton9", "abrir", "Abrir cuaderno"},
        {ToolButton10, "ToolButton10", "guardar", "Guardar cuaderno"},
        {ToolButton11, "ToolButton11", "imprimir", "Imprimir"},
        {ToolButton12, "ToolButton12", "nuevo_cuaderno", "Nuevo cuaderno"},
        {ToolButton4, "ToolButton4", "buscar", "Buscar en cuaderno"},
        {ToolButton8, "ToolButton8", "ayuda", "Ayuda"},
    };
    for (const Button& b : buttons) {
        auto* button = new QToolButton(ToolBar2);
        button->setObjectName(b.name);
        button->setIcon(QIcon(QString(":/icons/%1.svg").arg(b.icon)));
        button->setToolTip(b.hint);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        ToolBar2->addWidget(button);
        b.field = button;
    }
    connect(CalcBtn, &QToolButton::clicked, this, &Tdemoform::CalcBtnClick);
    connect(ToolButton2, &QToolButton::clicked, this, &Tdemoform::ToolButton2Click);
    connect(ToolButton1, &QToolButton::clicked, this, &Tdemoform::ToolButton1Click);
    connect(ToolButton3, &QToolButton::clicked, this, &Tdemoform::ToolButton3Click);
    connect(ToolButton9, &QToolButton::clicked, this, &Tdemoform::ToolButton9Click);
    connect(ToolButton10, &QToolButton::clicked, this, &Tdemoform::ToolButton10Click);
    connect(ToolButton11, &QToolButton::clicked, this, &Tdemoform::ToolButton11Click);
    connect(ToolButton12, &QToolButton::clicked, this, &Tdemoform::ToolButton12Click);
    connect(ToolButton4, &QToolButton::clicked, this, &Tdemoform::ToolButton4Click);
    ToolButton6->setCheckable(true); // pressed while the plot view is shown
    connect(ToolButton6, &QToolButton::clicked, this, &Tdemoform::ToolButton6Click);
    // Commands that later work brings: present, not yet available.
    ToolButton8->setEnabled(false);
}

void Tdemoform::BuildMenus()
{
    auto item = [this](QMenu* menu, const char* name, const QString& text, bool enabled = true) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        a->setEnabled(enabled);
        return a;
    };
    Archivo1 = menuBar()->addMenu("&Archivo");
    Archivo1->setObjectName("Archivo1");
    Salir1 = item(Archivo1, "Salir1", "Salir");
    Salir1->setShortcut(QKeySequence::Quit);
    Salir1->setShortcutContext(Qt::ApplicationShortcut);
    Ver1 = menuBar()->addMenu("&Ver");
    Ver1->setObjectName("Ver1");
    Resultadosparciales1 = item(Ver1, "Resultadosparciales1", "Teclado", false);
    Grafica1 = item(Ver1, "Grafica1", "Grafica");
    Constantesyformulas1 = item(Ver1, "Constantesyformulas1", "Constantes y formulas", false);
    Ver1->addSeparator();
    Configuracion1 = item(Ver1, "Configuracion1", "Configuración");
    Cuaderno1 = menuBar()->addMenu("&Cuaderno");
    Cuaderno1->setObjectName("Cuaderno1");
    Nuevo = item(Cuaderno1, "Nuevo", "Nuevo");
    Nuevo->setShortcut(QKeySequence::New);
    Abrir = item(Cuaderno1, "Abrir", "Abrir");
    Abrir->setShortcut(QKeySequence::Open);
    Guardar = item(Cuaderno1, "Guardar", "Guardar");
    Guardar->setShortcut(QKeySequence::Save);
    Fuente = item(Cuaderno1, "Fuente", "Fuente");
    Imprimir1 = item(Cuaderno1, "Imprimir1", "Imprimir");
    Imprimir1->setShortcut(QKeySequence::Print);
    Buscar = item(Cuaderno1, "Buscar", "Buscar");
    Buscar->setShortcut(QKeySequence::Find);
    // F3 repeats the last search; it has no menu item of its own.
    BuscarSiguiente1 = new QAction("Buscar siguiente", this);
    BuscarSiguiente1->setObjectName("BuscarSiguiente1");
    BuscarSiguiente1->setShortcut(QKeySequence(Qt::Key_F3));
    addAction(BuscarSiguiente1);
    for (QAction* a : {Nuevo, Abrir, Guardar, Imprimir1, Buscar, BuscarSiguiente1})
        a->setShortcutContext(Qt::ApplicationShortcut);
    Ayuda1 = menuBar()->addMenu("&Ayuda");
    Ayuda1->setObjectName("Ayuda1");
    AyudasobreZentrova1 = item(Ayuda1, "AyudasobreZentrova1", "Ayuda sobre Zentrova", false);
    AcercadeZentrova1 = item(Ayuda1, "AcercadeZentrova1", "Acerca de Zentrova", false);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    Ejecutar1 = item(PopupMenu2, "Ejecutar1", "Ejecutar expresión seleccionada");
    PopupMenu2->addSeparator();
    Cortar1 = item(PopupMenu2, "Cortar1", "Cortar");
    Copiar1 = item(PopupMenu2, "Copiar1", "Copiar");
    Pegar1 = item(PopupMenu2, "Pegar1", "Pegar");
    Seleccionartodo1 = item(PopupMenu2, "Seleccionartodo1", "Seleccionar todo");
    PopupMenu2->addSeparator();
    Buscar1 = item(PopupMenu2, "Buscar1", "Buscar");
    PopupMenu2->addSeparator();
    Borrartodo1 = item(PopupMenu2, "Borrartodo1", "Borrar todo");
    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName("PopupMenu3");
    Cortar2 = item(PopupMenu3, "Cortar2", "Cortar");
    Copiar2 = item(PopupMenu3, "Copiar2", "Copiar");

    connect(Salir1, &QAction::triggered, this, &Tdemoform::Salir1Click);
    connect(Nuevo, &QAction::triggered, this, &Tdemoform::NuevoClick);
    connect(Abrir, &QAction::triggered, this, &Tdemoform::AbrirClick);
    connect(Guardar, &QAction::triggered, this, &Tdemoform::GuardarClick);
    connect(Fuente, &QAction::triggered, this, &Tdemoform::FuenteClick);
    connect(Imprimir1, &QAction::triggered, this, &Tdemoform::Imprimir1Click);
    connect(Buscar, &QAction::triggered, this, &Tdemoform::BuscarClick);
    connect(BuscarSiguiente1, &QAction::triggered, this, &Tdemoform::FindDialog1Find);
    connect(Buscar1, &QAction::triggered, this, &Tdemoform::Buscar1Click);
    connect(Grafica1, &QAction::triggered, this, &Tdemoform::Constantes1Click);
    connect(Configuracion1, &QAction::triggered, this, &Tdemoform::Configuracion1Click);
    connect(Ejecutar1, &QAction::triggered, this, &Tdemoform::Ejecutar1Click);
    connect(Cortar1, &QAction::triggered, this, &Tdemoform::Cortar1Click);
    connect(Copiar1, &QAction::triggered, this, &Tdemoform::Copiar1Click);
    connect(Pegar1, &QAction::triggered, this, &Tdemoform::Pegar1Click);
    connect(Seleccionartodo1, &QAction::triggered, this, &Tdemoform::Seleccionartodo1Click);
    connect(Borrartodo1, &QAction::triggered, this, &Tdemoform::Borrartodo1Click);
    connect(Cortar2, &QAction::triggered, this, &Tdemoform::Cortar2Click);
    connect(Copiar2, &QAction::triggered, this, &Tdemoform::Copiar2Click);
}

void Tdemoform::BuildCentral()
{
    auto* central = new QWidget(this);
    central->setObjectName("central");
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Second tool bar row: the angle unit and the digits.
    Panel7 = new QWidget(central);
    Panel7->setObjectName("Panel7");
    Panel7->setAutoFillBackground(true);
    Colour(Panel7, QPalette::Window, QColor(236, 233, 216));
    Panel7->setFixedHeight(28);
    CheckBox1 = new QCheckBox("Grados", Panel7);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setChecked(true);
    CheckBox2 = new QCheckBox("Radianes", Panel7);
    CheckBox2->setObjectName("CheckBox2");
    Label3 = new QLabel("Digitos", Panel7);
    Label3->setObjectName("Label3");
    UpDown1 = new QSpinBox(Panel7);
    UpDown1->setObjectName("UpDown1");
    UpDown1->setRange(2, 18);
    UpDown1->setValue(9);
    UpDown1->setWrapping(false);
    UpDown1->setLocale(QLocale::c()); // plain decimal digits in every locale
    UpDown1->setFixedWidth(52);
    Edit2 = UpDown1->findChild<QLineEdit*>();
    Edit2->setObjectName("Edit2");
    Edit2->setReadOnly(true); // the arrows and arrow keys still step the value
    auto* row = new QHBoxLayout(Panel7);
    row->setContentsMargins(8, 2, 8, 2);
    row->setSpacing(10);
    row->addWidget(CheckBox1);
    row->addWidget(CheckBox2);
    row->addSpacing(16);
    row->addWidget(Label3);
    row->addWidget(UpDown1);
    row->addStretch(1);
    column->addWidget(Panel7);
    connect(CheckBox1, &QCheckBox::clicked, this, &Tdemoform::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &Tdemoform::CheckBox2Click);

    // Expression caption strip, with the error strip 105 pixels from its left.
    Panel1 = CaptionStrip("Panel1", Label6, "Label6", "EXPRESIÓN", QColor(255, 92, 15), central);
    Label6->setFixedWidth(95); // with the strip's margin and spacing: the error strip at 105
    Panel6 = new QFrame(Panel1);
    Panel6->setObjectName("Panel6");
    Panel6->setAutoFillBackground(true);
    Colour(Panel6, QPalette::Window, QColor(255, 255, 204));
    Image1 = new QLabel(Panel6);
    Image1->setObjectName("Image1");
    Image1->setPixmap(QIcon(":/icons/error.svg").pixmap(16, 16));
    Image1->setFixedSize(16, 16);
    Label5 = new QLabel(Panel6);
    Label5->setObjectName("Label5");
    Label5->setFont(Font("Verdana", 11, true));
    Colour(Label5, QPalette::WindowText, QColor(255, 0, 0));
    auto* strip = new QHBoxLayout(Panel6);
    strip->setContentsMargins(2, 0, 2, 0);
    strip->setSpacing(4);
    strip->addWidget(Image1);
    strip->addWidget(Label5, 1);
    // The caption keeps to the left when the error strip is hidden.
    static_cast<QHBoxLayout*>(Panel1->layout())->addStretch(0);
    static_cast<QHBoxLayout*>(Panel1->layout())->addWidget(Panel6, 1);
    Panel6->hide();
    column->addWidget(Panel1);

    Memo3 = new TExpressionBox(central);
    Memo3->setObjectName("Memo3");
    Memo3->setFont(Font("Verdana", 13));
    Memo3->setMinimumHeight(30);
    Memo3->setMaximumHeight(100);
    Memo3->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Memo3->setTabChangesFocus(true);
    Memo3->installEventFilter(this);
    connect(Memo3, &QPlainTextEdit::textChanged, this, &Tdemoform::Memo3Change);
    column->addWidget(Memo3);

    // Work area: results, splitter, notebook; the plot view takes its place
    // when shown.
    ScrollBox1 = new QWidget(central);
    ScrollBox1->setObjectName("ScrollBox1");
    auto* work = new QVBoxLayout(ScrollBox1);
    work->setContentsMargins(0, 0, 0, 0);
    work->setSpacing(0);
    Panel4 = CaptionStrip("Panel4", Label7, "Label7", "RESULTADO", QColor(89, 89, 172), ScrollBox1);
    SpeedButton3 = new QToolButton(Panel4);
    SpeedButton3->setObjectName("SpeedButton3");
    SpeedButton3->setText("X");
    SpeedButton3->setToolTip("Borrar resultados");
    SpeedButton3->setAutoRaise(true);
    SpeedButton3->setFont(Font("Verdana", 11, true));
    Colour(SpeedButton3, QPalette::ButtonText, QColor(255, 0, 0));
    SpeedButton3->setFixedSize(20, 18);
    SpeedButton3->setFocusPolicy(Qt::NoFocus);
    static_cast<QHBoxLayout*>(Panel4->layout())->addStretch(1);
    static_cast<QHBoxLayout*>(Panel4->layout())->addWidget(SpeedButton3);
    connect(SpeedButton3, &QToolButton::clicked, this, &Tdemoform::SpeedButton3Click);
    work->addWidget(Panel4);

    Splitter2 = new QSplitter(Qt::Vertical, ScrollBox1);
    Splitter2->setObjectName("Splitter2");
    Splitter2->setChildrenCollapsible(false);
    Splitter2->setHandleWidth(5);
    memo1 = new QTextEdit(Splitter2);
    memo1->setObjectName("memo1");
    memo1->setFont(Font("Verdana", 13));
    memo1->setAcceptRichText(false);
    memo1->setMinimumHeight(80);
    memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo1->setTabChangesFocus(true);
    memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu3->popup(memo1->viewport()->mapToGlobal(at)); });
    auto* notebook = new QWidget(Splitter2);
    auto* notebookColumn = new QVBoxLayout(notebook);
    notebookColumn->setContentsMargins(0, 0, 0, 0);
    notebookColumn->setSpacing(0);
    Panel2 = CaptionStrip("Panel2", Label8, "Label8", "CUADERNO", QColor(0, 128, 64), notebook);
    notebookColumn->addWidget(Panel2);
    vars = new QTextEdit(notebook);
    vars->setObjectName("vars");
    vars->setFont(Font("Verdana", 12));
    vars->setAcceptRichText(false);
    vars->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    vars->setTabChangesFocus(true);
    vars->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(vars, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu2->popup(vars->viewport()->mapToGlobal(at)); });
    notebookColumn->addWidget(vars, 1);
    Splitter2->addWidget(memo1);
    Splitter2->addWidget(notebook);
    Splitter2->setStretchFactor(0, 0);
    Splitter2->setStretchFactor(1, 1);
    Splitter2->setSizes({136, 400});
    work->addWidget(Splitter2, 1);
    column->addWidget(ScrollBox1, 1);

    Panel3 = new TPlotView(central);
    Panel3->hide();
    column->addWidget(Panel3, 1);
    setCentralWidget(central);

    auto* estado = statusBar();
    estado->setObjectName("Estado");
    estado->setSizeGripEnabled(true);
    const char* designed[3] = {"Número de cuadernos:", "", "Hora"};
    const int widths[3] = {380, 30, 30};
    const Qt::Alignment alignments[3] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    for (int i = 0; i < 3; ++i) {
        EstadoPanels[i] = new QLabel(designed[i], estado);
        EstadoPanels[i]->setObjectName(QString("EstadoPanel%1").arg(i));
        EstadoPanels[i]->setMinimumWidth(widths[i]);
        EstadoPanels[i]->setAlignment(alignments[i] | Qt::AlignVCenter);
        estado->addWidget(EstadoPanels[i], i == 0 ? 1 : 0);
    }

    setTabOrder(Memo3, memo1);
    setTabOrder(memo1, vars);
}

bool Tdemoform::eventFilter(QObject* watched, QEvent* event)
{
    // Memo3KeyPress: Enter calculates and never inserts a line break.
    if (watched == Memo3 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
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
        Panel6->hide();
        CalcParser = std::make_unique<TMathParser>(); // the old engine is released
        ResultDigits = Edit2->text().toInt();
        // The notebook's lines are its text lines: paragraphs, and the parts
        // of a paragraph split by a typed line break.
        std::vector<std::string> lines;
        for (const QString& line : vars->toPlainText().split(QChar('\n'))) lines.push_back(line.toStdString());
        if (vars->document()->isEmpty()) lines.clear();
        const calc::TCalcOutcome r =
            calc::RunCalculation(*CalcParser, lines, Memo3->toPlainText().toStdString(), ResultDigits);
        if (r.expressionChanged) Memo3->setPlainText(QString::fromStdString(r.expression));
        if (!r.ok) {
            ShowEngineError(QString::fromStdString(r.errorMessage), r.errorPosition, r.errorLength);
            return;
        }
        LastResult = r.value;
        InsertResultLine(QString::fromStdString(r.exprText), QString::fromStdString(r.valueText));
    });
}

void Tdemoform::ShowEngineError(const QString& message, int position, int length)
{
    Panel6->show();
    // The icon blinks: hidden now, shown again 200 ms later.
    Image1->hide();
    QTimer::singleShot(200, Image1, [image = Image1] { image->show(); });
    Label5->setText(message);
    Memo3->setFocus();
    const QString text = Memo3->toPlainText();
    const int start = UnitOffset(text, std::max(0, position - 1));
    const int end = UnitOffset(text, std::max(0, position - 1 + length));
    QTextCursor cursor = Memo3->textCursor();
    const int size = static_cast<int>(text.size());
    cursor.setPosition(std::min(start, size));
    cursor.setPosition(std::min(end, size), QTextCursor::KeepAnchor);
    Memo3->setTextCursor(cursor);
}

void Tdemoform::InsertResultLine(const QString& exprText, const QString& valueText)
{
    const QString head = exprText + " = ";
    const QString line = head + "  " + valueText;
    QTextCharFormat red;
    red.setForeground(QColor(220, 40, 0));
    // Text left selected in the results takes the expression colour.
    QTextCursor selection = memo1->textCursor();
    if (selection.hasSelection()) selection.mergeCharFormat(red);

    QTextCursor cursor(memo1->document());
    cursor.movePosition(QTextCursor::Start);
    const bool empty = memo1->document()->isEmpty();
    cursor.insertText(line, red);
    if (!empty) cursor.insertBlock(cursor.blockFormat(), red);

    QTextCharFormat blue;
    blue.setForeground(QColor(0, 0, 255));
    QTextCursor value(memo1->document());
    value.setPosition(static_cast<int>(head.size()));
    value.setPosition(static_cast<int>(head.size() + valueText.size() + 2), QTextCursor::KeepAnchor);
    value.mergeCharFormat(blue);

    QTextCursor caret(memo1->document());
    caret.setPosition(static_cast<int>(line.size()));
    memo1->setTextCursor(caret);
    QTextCharFormat black;
    black.setForeground(QColor(0, 0, 0));
    memo1->setCurrentCharFormat(black);
}

void Tdemoform::ToolButton2Click()
{
    QString text = Memo3->toPlainText();
    if (!text.isEmpty()) {
        const bool pair = text.size() >= 2 && text.back().isLowSurrogate() && text.at(text.size() - 2).isHighSurrogate();
        text.chop(pair ? 2 : 1);
    }
    Memo3->setPlainText(text);
    QTextCursor cursor = Memo3->textCursor();
    cursor.movePosition(QTextCursor::End);
    Memo3->setTextCursor(cursor);
}

void Tdemoform::ToolButton1Click()
{
    Memo3->setFocus();
    Memo3->insertPlainText(QString::fromStdString(FormatGeneral(LastResult, 15)));
}

void Tdemoform::ToolButton3Click()
{
    Memo3->clear();
    Memo3->setFocus();
    Panel6->hide();
}

void Tdemoform::Memo3Change()
{
    Panel6->hide();
}

void Tdemoform::SpeedButton3Click()
{
    memo1->clear();
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
    vars->clear();
    vars->document()->setModified(false);
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
}

void Tdemoform::CheckBox2Click()
{
    SetAngleBoxes(CheckBox1, CheckBox2, false);
    if (Form6) SetAngleBoxes(Form6->CheckBox1, Form6->CheckBox2, false);
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
    ToolButton6->setChecked(show);
    Memo3->setVisible(!show);
    Panel1->setVisible(!show);
    SetSidePanelsForPlot(show);
    // While the plot is shown the calculation, the digits and the notebook
    // commands of the tool bar rest; "Grafica", "Ayuda", the menus and the
    // angle boxes do not.
    for (QWidget* w : std::initializer_list<QWidget*>{Label3, UpDown1, CalcBtn, ToolButton2, ToolButton1, ToolButton3,
                                                      ToolButton5, ToolButton7, ToolButton9, ToolButton10, ToolButton11,
                                                      ToolButton12, ToolButton4})
        w->setEnabled(!show);
}

void Tdemoform::Constantes1Click()
{
    ToolButton6Click();
}

void Tdemoform::SetSidePanelsForPlot(bool)
{
}

// ---------------------------------------------------------------------------
// Notebook commands (TNotebookCommands)

void Tdemoform::ToolButton12Click()
{
    NewNotebook();
}

void Tdemoform::NuevoClick()
{
    NewNotebook();
}

void Tdemoform::ToolButton9Click()
{
    if (!ResolveUnsavedNotebook()) return;
    OpenNotebook(); // the notebook stays as it was unless a file was read
}

void Tdemoform::AbrirClick()
{
    OpenNotebook();
}

void Tdemoform::ToolButton10Click()
{
    SaveNotebook();
}

void Tdemoform::GuardarClick()
{
    SaveNotebook();
}

void Tdemoform::closeEvent(QCloseEvent* event)
{
    if (ResolveUnsavedNotebook()) event->accept();
    else event->ignore(); // the notebook could not be saved: stay open
}

void Tdemoform::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (FShown) return;
    FShown = true;
    ShowNotebookStatus();
}

void Tdemoform::Timer1Timer()
{
    ClockTick();
}

void Tdemoform::ToolButton4Click()
{
    ShowFindDialog();
}

void Tdemoform::BuscarClick()
{
    ShowFindDialog();
}

void Tdemoform::Buscar1Click()
{
    ShowFindDialog();
}

void Tdemoform::FindDialog1Find()
{
    FindNext();
}

void Tdemoform::FuenteClick()
{
    ChooseNotebookFont();
}

void Tdemoform::ToolButton11Click()
{
    PrintNotebook();
}

void Tdemoform::Imprimir1Click()
{
    PrintNotebook();
}
