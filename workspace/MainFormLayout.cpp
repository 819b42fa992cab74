// The main window's tool bar, menus and controls, built at their designed
// places and wired to their handlers.
#include "workspace/MainForm.h"
#include "ui/Design.h"
#include "ui/ElidedLabel.h"
#include "workspace/CommandButton.h"
#include "workspace/ResultCommands.h"

#include "notebook/NotebookPane.h"

#include "plot/PlotView.h"
#include "library/FormulaChooser.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

// The icons live in this static library's resources.
static void InitIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace {

// A caption strip: coloured text on a panel 20 pixels high.
QFrame* CaptionStrip(const char* name, QLabel*& label, const char* labelName, const QString& text,
                     const QColor& textColour, QWidget* parent)
{
    auto* strip = new QFrame(parent);
    strip->setObjectName(name);
    strip->setFixedHeight(20);
    strip->setAutoFillBackground(true);
    SetColour(strip, QPalette::Window, QColor(251, 250, 247));
    label = new QLabel(text, strip);
    label->setObjectName(labelName);
    label->setFont(DesignFont("Verdana", 11));
    SetColour(label, QPalette::WindowText, textColour);
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(6, 0, 2, 0);
    layout->setSpacing(4);
    layout->addWidget(label);
    return strip;
}

} // namespace

// The commands that a tool button and menu items share: one action each,
// held by the menus and run by the button, which takes its picture and
// hint from it.  The menus show no pictures.
void Tdemoform::BuildCommands()
{
    InitIconResources();
    struct Command {
        QAction*& field;
        const char* name;
        const char* text;
        const char* icon;
        const char* hint;
    };
    const Command commands[] = {
        {Constantesyformulas1, "Constantesyformulas1", "Constantes y formulas", "formulario", "Formulario"},
        {Grafica1, "Grafica1", "Grafica", "grafica", "Grafica"},
        {Resultadosparciales1, "Resultadosparciales1", "Teclado", "teclado", "Teclado"},
        {Abrir, "Abrir", "Abrir…", "abrir", "Abrir cuaderno"},
        {Guardar, "Guardar", "Guardar", "guardar", "Guardar cuaderno"},
        {Imprimir1, "Imprimir1", "Imprimir…", "imprimir", "Imprimir"},
        {Nuevo, "Nuevo", "Nuevo", "nuevo_cuaderno", "Nuevo cuaderno"},
        {Buscar, "Buscar", "Buscar…", "buscar", "Buscar en cuaderno"},
        {AyudasobreTervolix1, "AyudasobreTervolix1", "Ayuda sobre Zentrova", "ayuda", "Ayuda"},
    };
    for (const Command& c : commands) {
        c.field = new QAction(QIcon(QString(":/icons/%1.svg").arg(c.icon)), QString::fromUtf8(c.text), this);
        c.field->setObjectName(c.name);
        c.field->setToolTip(QString::fromUtf8(c.hint));
        c.field->setIconVisibleInMenu(false);
    }
    Nuevo->setShortcut(QKeySequence::New);
    Abrir->setShortcut(QKeySequence::Open);
    Guardar->setShortcut(QKeySequence::Save);
    Imprimir1->setShortcut(QKeySequence::Print);
    Buscar->setShortcut(QKeySequence::Find);
    AyudasobreTervolix1->setShortcut(QKeySequence::HelpContents);
    Grafica1->setShortcut(QKeySequence(Qt::Key_F5));
    Resultadosparciales1->setShortcut(QKeySequence(Qt::Key_F6)); // "Teclado"
    for (QAction* a : {Nuevo, Abrir, Guardar, Imprimir1, Buscar, AyudasobreTervolix1, Grafica1, Resultadosparciales1})
        a->setShortcutContext(Qt::ApplicationShortcut);
    connect(Constantesyformulas1, &QAction::triggered, this, &Tdemoform::ToolButton5Click);
    connect(Grafica1, &QAction::triggered, this, &Tdemoform::ToolButton6Click);
    connect(Resultadosparciales1, &QAction::triggered, this, &Tdemoform::ToolButton7Click);
    connect(Abrir, &QAction::triggered, this, &Tdemoform::AbrirClick);
    connect(Guardar, &QAction::triggered, this, &Tdemoform::ToolButton10Click);
    connect(Imprimir1, &QAction::triggered, this, &Tdemoform::ToolButton11Click);
    connect(Nuevo, &QAction::triggered, this, &Tdemoform::ToolButton12Click);
    connect(Buscar, &QAction::triggered, this, &Tdemoform::ToolButton4Click);
    connect(AyudasobreTervolix1, &QAction::triggered, this, &Tdemoform::AyudasobreTervolix1Click);
}

void Tdemoform::BuildToolBar()
{
    setWindowIcon(QIcon::fromTheme("org.zentrova.Zentrova", QIcon(":/icons/zentrova.svg")));
    ToolBar2 = new QToolBar(this);
    ToolBar2->setObjectName("ToolBar2");
    ToolBar2->setMovable(false);
    ToolBar2->setFloatable(false);
    ToolBar2->setIconSize(QSize(24, 24));
    ToolBar2->toggleViewAction()->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, ToolBar2);
    // The buttons of their own, and those of the shared commands.
    struct Button {
        QToolButton*& field;
        const char* name;
        const char* icon;
        const char* hint;
    };
    const Button own[] = {
        {CalcBtn, "CalcBtn", "calcular", "Calcular"},
        {ToolButton2, "ToolButton2", "retroceso", "Retroceso"},
        {ToolButton1, "ToolButton1", "ultimo", "Ultimo calculo"},
        {ToolButton3, "ToolButton3", "nuevo_calculo", "Nuevo calculo"},
    };
    for (const Button& b : own) {
        b.field = new QToolButton(ToolBar2);
        b.field->setIcon(QIcon(QString(":/icons/%1.svg").arg(b.icon)));
        b.field->setToolTip(b.hint);
        b.field->setObjectName(b.name);
    }
    struct Shared {
        TCommandButton*& field;
        const char* name;
        QAction* command;
    };
    const Shared shared[] = {
        {ToolButton5, "ToolButton5", Constantesyformulas1}, {ToolButton6, "ToolButton6", Grafica1},
        {ToolButton7, "ToolButton7", Resultadosparciales1}, {ToolButton9, "ToolButton9", Abrir},
        {ToolButton10, "ToolButton10", Guardar},
        {ToolButton11, "ToolButton11", Imprimir1},          {ToolButton12, "ToolButton12", Nuevo},
        {ToolButton4, "ToolButton4", Buscar},               {ToolButton8, "ToolButton8", AyudasobreTervolix1},
    };
    for (const Shared& b : shared) {
        b.field = new TCommandButton(b.command, ToolBar2);
        b.field->setObjectName(b.name);
    }
    // The fraction key reads as on a calculator.
    ToolButtonFraccion = new QToolButton(ToolBar2);
    ToolButtonFraccion->setObjectName("ToolButtonFraccion");
    ToolButtonFraccion->setText("a b/c");
    ToolButtonFraccion->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolButtonFraccion->setToolTip("Fracción, número mixto o decimal (F9)");
    auto* fraction = new QAction(this);
    fraction->setObjectName("Fraccion1");
    fraction->setShortcut(QKeySequence(Qt::Key_F9));
    fraction->setShortcutContext(Qt::WindowShortcut);
    addAction(fraction);
    connect(fraction, &QAction::triggered, this, &Tdemoform::ToolButtonFraccionClick);
    // Left to right as designed.
    for (QToolButton* button : std::initializer_list<QToolButton*>{
             CalcBtn, ToolButton2, ToolButton1, ToolButton3, ToolButtonFraccion, ToolButton5, ToolButton6, ToolButton7, ToolButton9,
             ToolButton10, ToolButton11, ToolButton12, ToolButton4, ToolButton8}) {
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        ToolBar2->addWidget(button);
    }
    ToolButton6->SetPressed(false); // pressed while the plot view is shown
    ToolButton7->SetPressed(false); // pressed while the keyboard is docked
    connect(CalcBtn, &QToolButton::clicked, this, &Tdemoform::CalcBtnClick);
    connect(ToolButton2, &QToolButton::clicked, this, &Tdemoform::ToolButton2Click);
    connect(ToolButton1, &QToolButton::clicked, this, &Tdemoform::ToolButton1Click);
    connect(ToolButton3, &QToolButton::clicked, this, &Tdemoform::ToolButton3Click);
    connect(ToolButtonFraccion, &QToolButton::clicked, this, &Tdemoform::ToolButtonFraccionClick);
}

void Tdemoform::BuildMenus()
{
    auto item = [this](QMenu* menu, const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        return a;
    };
    Archivo1 = menuBar()->addMenu("&Archivo");
    Archivo1->setObjectName("Archivo1");
    Salir1 = item(Archivo1, "Salir1", "Salir");
    Salir1->setShortcut(QKeySequence::Quit);
    Salir1->setShortcutContext(Qt::ApplicationShortcut);
    Ver1 = menuBar()->addMenu("&Ver");
    Ver1->setObjectName("Ver1");
    Ver1->addActions({Resultadosparciales1, Grafica1, Constantesyformulas1});
    Datos1 = item(Ver1, "Datos1", "Datos…");
    Datos1->setShortcut(QKeySequence(Qt::Key_F7));
    connect(Datos1, &QAction::triggered, this, &Tdemoform::Datos1Click);
    Ver1->addSeparator();
    // An item that opens a window ends in "…".
    Configuracion1 = item(Ver1, "Configuracion1", "Configuración…");
    Cuaderno1 = menuBar()->addMenu("&Cuaderno");
    Cuaderno1->setObjectName("Cuaderno1");
    Cuaderno1->addActions({Nuevo, Abrir, Guardar});
    Guardarcomo1 = item(Cuaderno1, "Guardarcomo1", "Guardar como…");
    Guardarcomo1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    Fuente = item(Cuaderno1, "Fuente", "Fuente…");
    Cuaderno1->addActions({Imprimir1, Buscar});
    // F3 repeats the last search.
    BuscarSiguiente1 = new QAction("Buscar siguiente", this);
    BuscarSiguiente1->setObjectName("BuscarSiguiente1");
    BuscarSiguiente1->setShortcut(QKeySequence(Qt::Key_F3));
    Cuaderno1->addAction(BuscarSiguiente1);
    addAction(BuscarSiguiente1);
    for (QAction* a : {Guardarcomo1, BuscarSiguiente1}) a->setShortcutContext(Qt::ApplicationShortcut);
    Ayuda1 = menuBar()->addMenu("&Ayuda");
    Ayuda1->setObjectName("Ayuda1");
    Ayuda1->addAction(AyudasobreTervolix1);
    AcercadeTervolix1 = item(Ayuda1, "AcercadeTervolix1", "Acerca de Zentrova…");

    connect(Salir1, &QAction::triggered, this, &Tdemoform::Salir1Click);
    connect(Guardarcomo1, &QAction::triggered, this, &Tdemoform::GuardarcomoClick);
    connect(Fuente, &QAction::triggered, this, &Tdemoform::FuenteClick);
    connect(BuscarSiguiente1, &QAction::triggered, this, &Tdemoform::FindDialog1Find);
    connect(AcercadeTervolix1, &QAction::triggered, this, &Tdemoform::AcercadeTervolix1Click);
    connect(Configuracion1, &QAction::triggered, this, &Tdemoform::Configuracion1Click);
    BuildPopupMenus();
}

// The context menus of the notebook (PopupMenu2) and of the results (PopupMenu3).
void Tdemoform::BuildPopupMenus()
{
    auto item = [](QMenu* menu, const char* name, const QString& text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        return a;
    };
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    Ejecutar1 = item(PopupMenu2, "Ejecutar1", "Ejecutar expresión seleccionada");
    PopupMenu2->addSeparator();
    Cortar1 = item(PopupMenu2, "Cortar1", "Cortar");
    Copiar1 = item(PopupMenu2, "Copiar1", "Copiar");
    Pegar1 = item(PopupMenu2, "Pegar1", "Pegar");
    Seleccionartodo1 = item(PopupMenu2, "Seleccionartodo1", "Seleccionar todo");
    PopupMenu2->addSeparator();
    PopupMenu2->addAction(Buscar);
    PopupMenu2->addSeparator();
    Borrartodo1 = item(PopupMenu2, "Borrartodo1", "Borrar todo");
    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName("PopupMenu3");
    Cortar2 = item(PopupMenu3, "Cortar2", "Cortar");
    Copiar2 = item(PopupMenu3, "Copiar2", "Copiar");

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
    BuildSettingsRow(central);
    column->addWidget(Panel7);
    BuildExpressionStrip(central);
    column->addWidget(Panel1);
    column->addWidget(Memo3);
    column->addWidget(LabelPista);

    // Below the expression box: the work area (results, splitter, notebook),
    // whose place the plot view takes when shown, and at the left edge the
    // keyboard's key panel while it is docked.
    WorkRow = new QWidget(central);
    WorkRow->setObjectName("WorkRow");
    auto* rowLayout = new QHBoxLayout(WorkRow);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(0);
    BuildWorkArea(WorkRow);
    rowLayout->addWidget(ScrollBox1, 1);
    Panel3 = new TPlotView(WorkRow);
    Panel3->hide();
    rowLayout->addWidget(Panel3, 1);
    column->addWidget(WorkRow, 1);
    setCentralWidget(central);
    BuildStatusBar();
    BuildLibrarySlot();

    BuildResultCommands();
}

// The second tool bar row: the angle unit and the digits.
void Tdemoform::BuildSettingsRow(QWidget* central)
{
    Panel7 = new QWidget(central);
    Panel7->setObjectName("Panel7");
    Panel7->setAutoFillBackground(true);
    SetColour(Panel7, QPalette::Window, QColor(236, 233, 216));
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
    connect(CheckBox1, &QCheckBox::clicked, this, &Tdemoform::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &Tdemoform::CheckBox2Click);
}

// The expression caption strip, with the error strip 105 pixels from its
// left, and the expression box.
void Tdemoform::BuildExpressionStrip(QWidget* central)
{
    Panel1 = CaptionStrip("Panel1", Label6, "Label6", "EXPRESIÓN", QColor(255, 92, 15), central);
    Label6->setFixedWidth(95); // with the strip's margin and spacing: the error strip at 105
    Panel6 = new QFrame(Panel1);
    Panel6->setObjectName("Panel6");
    Panel6->setAutoFillBackground(true);
    SetColour(Panel6, QPalette::Window, QColor(255, 255, 204));
    Image1 = new QLabel(Panel6);
    Image1->setObjectName("Image1");
    Image1->setPixmap(QIcon(":/icons/error.svg").pixmap(16, 16));
    Image1->setFixedSize(16, 16);
    Label5 = new QLabel(Panel6);
    Label5->setObjectName("Label5");
    Label5->setFont(DesignFont("Verdana", 11, true));
    // A long message (a cycle through many lines) wraps: the strip grows.
    Label5->setWordWrap(true);
    Panel1->setMinimumHeight(20);
    Panel1->setMaximumHeight(QWIDGETSIZE_MAX);
    SetColour(Label5, QPalette::WindowText, QColor(255, 0, 0));
    // The hint has a line of its own under the expression, whole, while an
    // error shows.
    LabelPista = new TElidedLabel(central);
    LabelPista->setObjectName("LabelPista");
    LabelPista->setFont(DesignFont("Verdana", 11));
    LabelPista->SetWrapped(true);
    LabelPista->setContentsMargins(4, 1, 4, 2);
    LabelPista->setAutoFillBackground(true);
    SetColour(LabelPista, QPalette::Window, QColor(255, 255, 204));
    SetColour(LabelPista, QPalette::WindowText, QColor(128, 64, 0));
    LabelPista->hide();
    auto* strip = new QHBoxLayout(Panel6);
    strip->setContentsMargins(2, 0, 2, 0);
    strip->setSpacing(4);
    strip->addWidget(Image1);
    strip->addWidget(Label5, 1);
    // The caption keeps to the left when the error strip is hidden; the
    // result while typing stands at the right end, in grey.
    LabelVistaPrevia = new QLabel(Panel1);
    LabelVistaPrevia->setObjectName("LabelVistaPrevia");
    LabelVistaPrevia->setFont(DesignFont("Verdana", 11));
    LabelVistaPrevia->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetColour(LabelVistaPrevia, QPalette::WindowText, QColor(128, 128, 128));
    auto* captionRow = static_cast<QHBoxLayout*>(Panel1->layout());
    captionRow->addStretch(0);
    captionRow->addWidget(Panel6, 1);
    captionRow->addWidget(LabelVistaPrevia);
    Panel6->hide();

    Memo3 = new TExpressionBox(central);
    Memo3->setObjectName("Memo3");
    Memo3->setFont(DesignFont("Verdana", 13));
    Memo3->setMinimumHeight(30);
    Memo3->setMaximumHeight(100);
    Memo3->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    Memo3->setTabChangesFocus(true);
    Memo3->installEventFilter(this);
    connect(Memo3, &QPlainTextEdit::textChanged, this, &Tdemoform::Memo3Change);
}

// The work area: the results with their caption, the splitter and the
// notebook with its caption.
void Tdemoform::BuildWorkArea(QWidget* row)
{
    ScrollBox1 = new QWidget(row);
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
    SpeedButton3->setFont(DesignFont("Verdana", 11, true));
    SetColour(SpeedButton3, QPalette::ButtonText, QColor(255, 0, 0));
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
    memo1->setFont(DesignFont("Verdana", 13));
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
    vars = new TNotebookPane(notebook);
    vars->setObjectName("vars");
    vars->setFont(DesignFont("Verdana", 12));
    vars->setAcceptRichText(false);
    vars->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    vars->setTabChangesFocus(true);
    vars->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(vars, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu2->popup(vars->viewport()->mapToGlobal(at)); });
    // Shift+F10 in the panes (eventFilter).
    for (QWidget* pane : {static_cast<QWidget*>(memo1), static_cast<QWidget*>(vars)}) pane->installEventFilter(this);
    notebookColumn->addWidget(vars, 1);
    Splitter2->addWidget(memo1);
    Splitter2->addWidget(notebook);
    Splitter2->setStretchFactor(0, 0);
    Splitter2->setStretchFactor(1, 1);
    Splitter2->setSizes({136, 400});
    work->addWidget(Splitter2, 1);
}

// The status bar's three panels: the notebook count's caption, the count
// and the clock.
void Tdemoform::BuildStatusBar()
{
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
}

// The library slot at the right end of the second tool bar row, and the
// "Formulario" button's menu.
void Tdemoform::BuildLibrarySlot()
{
    Library = new TFormulaChooser(Panel7, vars, [this] { FocusExpressionBox(); }, this);
    ComboBox1 = Library->Constants;
    PopupMenu1 = Library->Menu;
    ToolButton5->setMenu(PopupMenu1);
    ToolButton5->setPopupMode(QToolButton::MenuButtonPopup);
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, &Tdemoform::ComboBox1Click);
    for (auto [action, handler] : {std::pair{Library->Hola2, &Tdemoform::Hola2Click}, {Library->dddd1, &Tdemoform::dddd1Click},
                                   {Library->Volumenes1, &Tdemoform::Volumenes1Click}, {Library->N41, &Tdemoform::N41Click}}) {
        connect(action, &QAction::triggered, this, handler);
    }
}

// The commands on result lines: a menu of their own and the results'
// context menu.
void Tdemoform::BuildResultCommands()
{
    Results = new TResultCommands(memo1, [this](const QString& text) { UseExpression(text); }, this);
    Resultados1 = new QMenu("&Resultados", this);
    Resultados1->setObjectName("Resultados1");
    menuBar()->insertMenu(Cuaderno1->menuAction(), Resultados1);
    for (QAction* a : {Results->UsarExpresion, Results->CopiarValor, Results->CopiarLinea}) {
        Resultados1->addAction(a);
        addAction(a); // the shortcuts work wherever the focus is in the window
    }
    PopupMenu3->addSeparator();
    PopupMenu3->addActions({Results->UsarExpresion, Results->CopiarValor, Results->CopiarLinea});
}
