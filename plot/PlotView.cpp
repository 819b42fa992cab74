#include "plot/PlotView.h"

#include "plot/CurveColours.h"

#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "plot/NotablePointsDialog.h"
#include "plot/ParameterSliders.h"
#include "analysis/PlotFunctions.h"
#include "plot/PlotWorker.h"
#include "plot/SvgPicture.h"
#include "plot/TangentPanel.h"
#include "plot/ValueTableDialog.h"
#include "ui/Design.h"
#include "ui/Prompts.h"
#include "ui/TextPositions.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

static void InitPlotResources()
{
    Q_INIT_RESOURCE(plot);
}

namespace {

const QColor kMarkBackground(255, 255, 200);
// One notch of a mouse wheel; touchpads send fractions of it.
constexpr int kWheelNotch = 120;
// The legend's inner margin and the length of its colour lines.
constexpr int kLegendPad = 4, kLegendSwatch = 18;

} // namespace

// ---------------------------------------------------------------------------
// The paint area

TPaintBox::TPaintBox(TPlotView* view, QWidget* parent) : QWidget(parent), FView(view)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void TPaintBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    FView->pbfunctionPaint(painter);
}

void TPaintBox::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    FView->pbfunctionMouseMove(at.x(), at.y());
}

void TPaintBox::mousePressEvent(QMouseEvent* event)
{
    // Only the left button marks; the right one opens the context menu.
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        FView->pbfunctionMouseDown(at.x(), at.y());
    }
    QWidget::mousePressEvent(event);
}

void TPaintBox::wheelEvent(QWheelEvent* event)
{
    FView->pbfunctionMouseWheel(event->angleDelta().y());
    event->accept();
}

void TPaintBox::keyPressEvent(QKeyEvent* event)
{
    if (FView->pbfunctionKeyPress(event->key(), event->modifiers())) event->accept();
    else QWidget::keyPressEvent(event);
}

void TPaintBox::contextMenuEvent(QContextMenuEvent* event)
{
    FView->OpenContextMenu(event->reason() == QContextMenuEvent::Mouse ? event->pos() : rect().center());
    event->accept();
}

void TPaintBox::focusInEvent(QFocusEvent* event)
{
    FView->KeepMarksOnNextPaint(); // only the focus frame changes
    update();
    QWidget::focusInEvent(event);
}

void TPaintBox::focusOutEvent(QFocusEvent* event)
{
    FView->KeepMarksOnNextPaint();
    update();
    QWidget::focusOutEvent(event);
}

// ---------------------------------------------------------------------------
// The view

TPlotView::TPlotView(QWidget* parent) : QFrame(parent)
{
    InitPlotResources();
    setObjectName("Panel3");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    BuildHeader();
    column->addWidget(Panel5);
    Sliders = new TParameterSliders(this);
    Sliders->Digits = [this] { return ResultDigits ? ResultDigits() : 9; };
    column->addWidget(Sliders);
    connect(Sliders, &TParameterSliders::Moved, this, &TPlotView::ParametersMoved);
    Sliders->BeforeChange = [this] { ForgetAnalysis(); };

    pbfunction = new TPaintBox(this, this);
    pbfunction->setObjectName("pbfunction");
    pbfunction->setFont(DesignFont("Verdana", 12));
    column->addWidget(pbfunction, 1);

    BuildMenu();
    BuildSlopeCommands();
    column->addWidget(TangentPanel);
    NameControls();
    UpdateCommands();

    connect(Button1, &QPushButton::clicked, this, &TPlotView::Button1Click);
    connect(Edit1, &QLineEdit::returnPressed, this, &TPlotView::Button1Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TPlotView::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TPlotView::SpeedButton2Click);
    connect(Button2, &QToolButton::clicked, this, &TPlotView::Tabladevalores1Click);
    connect(Button3, &QToolButton::clicked, this, &TPlotView::Puntosnotables1Click);
    connect(Copiarimagen1, &QAction::triggered, this, &TPlotView::Copiarimagen1Click);
    connect(Guardarimagen1, &QAction::triggered, this, &TPlotView::Guardarimagen1Click);
    connect(Tabladevalores1, &QAction::triggered, this, &TPlotView::Tabladevalores1Click);
    connect(Puntosnotables1, &QAction::triggered, this, &TPlotView::Puntosnotables1Click);
    connect(Button4, &QToolButton::clicked, this, &TPlotView::Area1Click);
    connect(Area1, &QAction::triggered, this, &TPlotView::Area1Click);
    FAnalysis = new TPlotWorker(this);
    connect(FAnalysis, &TPlotWorker::Progress, ProgressBar1, &QProgressBar::setValue);
    connect(ButtonStop, &QPushButton::clicked, this, &TPlotView::StopAnalysis);
    // Esc anywhere in the plot view stops the search.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &TPlotView::StopAnalysis,
                                 Qt::WidgetWithChildrenShortcut);
    escape->setObjectName("AtajoDetener");
    escape->setEnabled(false); // while a search runs

    ResultDigits = [] { return 9; };
}

void TPlotView::ShowParseError(const QString& text)
{
    prompts::ShowMessage(window(), text);
}

QString TPlotView::ChooseImageFile()
{
    prompts::TFileChoice choice;
    choice.Title = "Guardar imagen";
    choice.Name = "grafica.png";
    choice.Filters = CanSaveSvg() ? QStringList{"Imagen PNG (*.png)", "Imagen SVG (*.svg)"}
                                  : QStringList{"Imagen PNG (*.png)"};
    return prompts::ChooseFileToWrite(this, choice);
}

TPlotView::~TPlotView() = default;

QColor TPlotView::CurveColour(int index)
{
    return plot::CurveColour(index);
}

// The header strip, its controls at their designed places, the two
// commands after "Dibujar".
void TPlotView::BuildHeader()
{
    Panel5 = new QFrame(this);
    Panel5->setObjectName("Panel5");
    Panel5->setFixedHeight(51);
    Panel5->setAutoFillBackground(true);
    SetColour(Panel5, QPalette::Window, QColor(236, 233, 216));
    Label1 = new QLabel("F(x)=", Panel5);
    Label1->setObjectName("Label1");
    Label1->setFont(DesignFont("Verdana", 13, true));
    SetColour(Label1, QPalette::WindowText, QColor(255, 0, 0));
    Label1->move(8, 6);
    Edit1 = new QLineEdit(Panel5);
    Edit1->setObjectName("Edit1");
    Edit1->setFont(DesignFont("Verdana", 12));
    SetColour(Edit1, QPalette::Text, QColor(0, 0, 128));
    Edit1->setGeometry(56, 4, 193, 22);
    Label1->setBuddy(Edit1);
    // Picture buttons: a click leaves the focus where it is, Tab reaches them.
    auto pictureButton = [this](const char* name, const char* icon, const char* hint, int left) {
        auto* b = new QToolButton(Panel5);
        b->setObjectName(name);
        b->setIcon(QIcon(icon));
        b->setIconSize(QSize(18, 18));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::TabFocus);
        b->setGeometry(left, 3, 36, 25);
        return b;
    };
    SpeedButton1 = pictureButton("SpeedButton1", ":/plot/icons/alejar.svg", "Alejar (tecla -)", 265);
    SpeedButton2 = pictureButton("SpeedButton2", ":/plot/icons/acercar.svg", "Acercar (tecla +)", 308);
    Button1 = new QPushButton("Dibujar", Panel5);
    Button1->setObjectName("Button1");
    Button1->setGeometry(354, 3, 44, 25);
    // The table and the notable points, after "Dibujar".
    Button2 = pictureButton("Button2", ":/plot/icons/tabla.svg", "Tabla de valores", 406);
    Button3 = pictureButton("Button3", ":/plot/icons/puntos.svg", "Puntos notables", 446);
    Button4 = pictureButton("Button4", ":/plot/icons/area.svg", "Área", 486);
    // While the notable points are searched: how far, and the way to stop.
    ProgressBar1 = new QProgressBar(Panel5);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setGeometry(416, 31, 76, 16);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->hide();
    ButtonStop = new QPushButton("Detener", Panel5);
    ButtonStop->setObjectName("ButtonStop");
    ButtonStop->setGeometry(496, 28, 60, 22);
    ButtonStop->hide();
    Label2 = new QLabel("x=", Panel5);
    Label2->setObjectName("Label2");
    Label2->setGeometry(10, 29, 160, 18);
    Label3 = new QLabel("y=", Panel5);
    Label3->setObjectName("Label3");
    Label3->setGeometry(173, 29, 240, 18);
}

void TPlotView::BuildMenu()
{
    PopupMenu4 = new QMenu(this);
    PopupMenu4->setObjectName("PopupMenu4");
    Copiarimagen1 = PopupMenu4->addAction("Copiar imagen");
    Copiarimagen1->setObjectName("Copiarimagen1");
    Guardarimagen1 = PopupMenu4->addAction("Guardar imagen…");
    Guardarimagen1->setObjectName("Guardarimagen1");
    PopupMenu4->addSeparator();
    Tabladevalores1 = PopupMenu4->addAction("Tabla de valores");
    Tabladevalores1->setObjectName("Tabladevalores1");
    Puntosnotables1 = PopupMenu4->addAction("Puntos notables");
    Puntosnotables1->setObjectName("Puntosnotables1");
    Area1 = PopupMenu4->addAction("Área");
    Area1->setObjectName("Area1");
}

// What a screen reader says of each control, and the order of Tab.
void TPlotView::NameControls()
{
    auto name = [](QWidget* w, const char* text, const char* description) {
        w->setAccessibleName(text);
        if (description != nullptr) w->setAccessibleDescription(description);
    };
    name(this, "Gráfica de funciones", nullptr);
    name(Edit1, "Función F(x)",
         "Hasta seis funciones de x separadas por punto y coma; Intro las dibuja");
    name(SpeedButton1, "Alejar", "Amplía el intervalo de la gráfica en una unidad");
    name(SpeedButton2, "Acercar", "Reduce el intervalo de la gráfica en una unidad");
    name(Button1, "Dibujar", "Dibuja las funciones escritas");
    name(Button2, "Tabla de valores", "Abre la tabla de valores de las funciones dibujadas");
    name(Button3, "Puntos notables",
         "Busca ceros, máximos, mínimos, intersecciones, cortes con el eje y, asíntotas verticales y extremos del "
         "dominio");
    name(Button4, "Área", "Calcula la integral de una función o el área entre dos curvas");
    name(ProgressBar1, "Progreso de la búsqueda de puntos notables", nullptr);
    name(ButtonStop, "Detener", "Detiene la búsqueda de puntos notables (Esc)");
    name(Label2, "Coordenada x del puntero", nullptr);
    name(Label3, "Coordenada y del puntero", nullptr);
    name(pbfunction, "Área de dibujo",
         "Clic: marca las coordenadas; rueda o teclas más y menos: cambian el intervalo; "
         "Mayúsculas+F10 o la tecla de menú: abre el menú");
    name(PopupMenu4, "Menú de la gráfica", nullptr);
    setTabOrder(Edit1, SpeedButton1);
    setTabOrder(SpeedButton1, SpeedButton2);
    setTabOrder(SpeedButton2, Button1);
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, Button4);
    setTabOrder(Button4, ButtonStop);
    setTabOrder(ButtonStop, pbfunction);
}

void TPlotView::UpdateCommands()
{
    const bool any = !FFunctions.empty();
    Button2->setEnabled(any);
    Button3->setEnabled(any);
    Tabladevalores1->setEnabled(any);
    Puntosnotables1->setEnabled(any);
    Tangente1->setEnabled(any);
    Button4->setEnabled(any);
    Area1->setEnabled(any);
}

void TPlotView::AngleUnitChanged()
{
    if (FFunctions.empty()) return;
    ForgetAnalysis();
    ForgetSlopes(); // made for the old unit; the tangent is worked out again
    if (FTangent.Function >= 0) ShowTangent(FTangent.Function, FTangent.X);
    if (ValueTable) ValueTable->Compute();
    SchedulePicture();
}

void TPlotView::ParametersMoved()
{
    // A value of the notebook moved: what was found with the old one went
    // before it changed.
    if (ValueTable) ValueTable->Compute();
    RepaintPicture();
}

// The plot's engine with the notebook's values and functions, when the
// notebook has any; x is the plot's own, defined first.
std::shared_ptr<TMathParser> TPlotView::DrawingParser(const calc::TNotebookDefinitions& defs) const
{
    if (defs.Values.empty() && defs.Functions.empty()) return FParser;
    auto parser = std::make_shared<TMathParser>();
    parser->RegisterFunctions();
    parser->RegisterAngleConversions();
    parser->DefineVariable("x", 0);
    calc::DefineValues(*parser, defs);
    return parser;
}

void TPlotView::ReleaseFunction()
{
    delete ValueTable; // it shows the values of these functions
    Sliders->Clear();
    ForgetSlopes();
    FTangent = {};
    FFunctions.clear();
    FTexts.clear();
    UpdateCommands();
}

// Parses each function of `text`; on the first error shows it, selects its
// span in the box and leaves the view without functions.
bool TPlotView::ParseFunctions(const QString& text)
{
    const std::vector<analysis::TFunctionText> pieces = analysis::SplitFunctions(text.toStdString());
    const calc::TNotebookDefinitions defs = NotebookDefinitions ? NotebookDefinitions() : calc::TNotebookDefinitions();
    const std::shared_ptr<TMathParser> parser = DrawingParser(defs);
    analysis::TFunctionList parsed;
    bool failed = false;
    auto select = [&](int from, int length) {
        Edit1->setFocus();
        const int start = Utf16Offset(text, std::max(0, from));
        const int end = Utf16Offset(text, std::max(0, from + length));
        Edit1->setSelection(start, end - start);
    };
    for (std::size_t i = 0; i < pieces.size() && !failed; ++i) {
        const analysis::TFunctionText& piece = pieces[i];
        if (i == analysis::kMaxFunctions) {
            ShowParseError("(ERROR) Se pueden dibujar como máximo seis funciones a la vez");
            select(piece.Position, static_cast<int>(text.size()));
            failed = true;
            break;
        }
        try {
            parsed.push_back(std::make_shared<const TExpression>(parser, piece.Text));
        } catch (const EMathParserException& e) {
            const QString which = pieces.size() > 1 ? QString("la función %1, ").arg(i + 1) : QString();
            ShowParseError(QString("(ERROR) %1 en %2«%3»")
                               .arg(QString::fromStdString(e.ErrorMessage), which,
                                    QString::fromStdString(analysis::Trimmed(piece.Text))));
            select(piece.Position + e.ErrorPosition - 1, e.ErrorLength);
            failed = true;
        }
    }
    ReleaseFunction();
    if (failed) return false; // no function now
    FFunctions = std::move(parsed);
    for (const analysis::TFunctionText& piece : pieces) FTexts << QString::fromStdString(analysis::Trimmed(piece.Text));
    if (parser != FParser) Sliders->Show(parser, defs, FFunctions);
    return true;
}

void TPlotView::Button1Click()
{
    if (FParser == nullptr) return;
    // A new drawing: the notable points and the area of the old one go.
    ParseFunctions(Edit1->text());
    TangentPanel->SetFunctions(FTexts);
    ForgetAnalysis();
    UpdateCommands();
    RepaintPicture(); // a failure leaves no old curves nor legend under its message
}

void TPlotView::RepaintPicture()
{
    FMarks.clear(); // a new picture has no marks
    FMarkPainting = false;
    pbfunction->repaint();
}

void TPlotView::SchedulePicture()
{
    FMarks.clear();
    FMarkPainting = false;
    pbfunction->update(); // repaints asked for before it is drawn are one
}

void TPlotView::SpeedButton1Click()
{
    if (PlotRange >= plot::kMaxRange) return; // the largest range there is
    ++PlotRange;
    RepaintPicture();
}

void TPlotView::SpeedButton2Click()
{
    if (PlotRange <= plot::kMinRange) return;
    --PlotRange;
    RepaintPicture();
}

void TPlotView::Render(QPainter& painter, QSize size) const
{
    const plot::TFrame f = plot::MakeFrame(size.width(), size.height(), PlotRange);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(0, 0, f.W, f.H), Qt::white);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(0, f.Cy, f.W, f.Cy);
    painter.drawLine(f.Cx, 0, f.Cx, f.H);

    // Labelled ticks on both axes, the labels on white.
    painter.setFont(pbfunction->font());
    const QFontMetrics metrics = painter.fontMetrics();
    const QColor textColour = pbfunction->palette().color(QPalette::WindowText);
    const std::vector<int> labelled = plot::LabelledValues(f.S);
    // Where the axis numbers are, for the labels of the notable points to leave free.
    std::vector<QRect> axisLabels;
    // Labels are kept whole inside the picture: a cut "-10" would read "10".
    auto label = [&](int left, int top, const QString& text) {
        left = std::clamp(left, 0, std::max(0, f.W - metrics.horizontalAdvance(text)));
        top = std::clamp(top, 0, std::max(0, f.H - metrics.height()));
        axisLabels.emplace_back(left, top, metrics.horizontalAdvance(text), metrics.height());
        painter.fillRect(QRect(left, top, metrics.horizontalAdvance(text), metrics.height()), Qt::white);
        painter.setPen(textColour);
        painter.drawText(left, top + metrics.ascent(), text);
        painter.setPen(QPen(Qt::black, 1));
    };
    for (int i : labelled) {
        const QString text = QString::number(i);
        const int px = f.Cx + i * f.Ux;
        label(px - metrics.horizontalAdvance(text) / 2, f.Cy + 2, text);
        painter.drawLine(px, f.Cy - 2, px, f.Cy + 2);
    }
    for (int i : labelled) {
        const QString text = QString::number(i);
        label(f.Cx + 4, f.Cy - i * f.Uy - metrics.height() / 2, text);
        painter.drawLine(f.Cx + 2, f.Cy + i * f.Uy, f.Cx - 2, f.Cy + i * f.Uy);
    }

    // The curves, over the axes, each in its colour; then what explains them.
    if (FFunctions.empty() || FParser == nullptr) return;
    DrawShade(painter, f);
    for (std::size_t i = 0; i < FFunctions.size(); ++i) {
        painter.setPen(QPen(CurveColour(static_cast<int>(i)), 1));
        plot::TCurveTracer tracer(f.W, f.H,
                                  [&painter](const plot::TSegment& s) { painter.drawLine(s.X0, s.Y0, s.X1, s.Y1); });
        plot::TraceCurve(*FFunctions[i], f, tracer);
    }
    DrawSlopes(painter, f);
    DrawNotablePoints(painter, f, axisLabels);
    DrawLegend(painter, f);
}

// With two functions or more, each one's text in its colour in the top left
// corner.
QRect TPlotView::LegendBox(const plot::TFrame& f, QStringList* texts) const
{
    if (FTexts.size() < 2) return {};
    const QFontMetrics metrics(pbfunction->font());
    const int widest = std::max(40, f.W / 2 - kLegendSwatch - 3 * kLegendPad);
    int width = 0;
    for (const QString& t : FTexts) {
        const QString shown = metrics.elidedText(t, Qt::ElideRight, widest);
        width = std::max(width, metrics.horizontalAdvance(shown));
        if (texts != nullptr) *texts << shown;
    }
    return QRect(6, 6, 3 * kLegendPad + kLegendSwatch + width,
                 2 * kLegendPad + metrics.height() * static_cast<int>(FTexts.size()));
}

void TPlotView::DrawLegend(QPainter& painter, const plot::TFrame& f) const
{
    QStringList texts;
    const QRect box = LegendBox(f, &texts);
    if (box.isNull()) return;
    const QFontMetrics metrics(pbfunction->font());
    const int line = metrics.height();
    painter.fillRect(box, Qt::white);
    painter.setPen(QPen(QColor(160, 160, 160), 1));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    for (int i = 0; i < texts.size(); ++i) {
        const int top = box.top() + kLegendPad + i * line;
        const int middle = top + line / 2;
        painter.setPen(QPen(CurveColour(i), 2));
        painter.drawLine(box.left() + kLegendPad, middle, box.left() + kLegendPad + kLegendSwatch, middle);
        painter.setPen(CurveColour(i));
        painter.drawText(box.left() + 2 * kLegendPad + kLegendSwatch, top + metrics.ascent(), texts[i]);
    }
}

QImage TPlotView::Picture() const
{
    const qreal ratio = pbfunction->devicePixelRatioF();
    QImage image((QSizeF(pbfunction->size()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    Render(painter, pbfunction->size());
    return image;
}

void TPlotView::pbfunctionPaint(QPainter& painter)
{
    // A repaint of the picture takes the marks away; the repaint that a new
    // mark asks for keeps them.
    if (!FMarkPainting) FMarks.clear();
    FMarkPainting = false;
    Render(painter, pbfunction->size());
    for (const TMark& mark : FMarks) {
        const QFontMetrics metrics(pbfunction->font());
        painter.setFont(pbfunction->font());
        painter.fillRect(QRect(mark.X, mark.Y, metrics.horizontalAdvance(mark.Text), metrics.height()), kMarkBackground);
        painter.setPen(pbfunction->palette().color(QPalette::WindowText));
        painter.drawText(mark.X, mark.Y + metrics.ascent(), mark.Text);
        painter.setPen(QPen(QColor(255, 0, 0), 1));
        painter.setBrush(kMarkBackground);
        painter.drawEllipse(QRect(mark.X - 2, mark.Y - 2, 4, 4));
        painter.setBrush(Qt::NoBrush);
    }
    if (pbfunction->hasFocus()) {
        // A dotted frame in the highlight colour shows where the keys go.
        painter.setPen(QPen(pbfunction->palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(pbfunction->rect().adjusted(1, 1, -2, -2));
    }
}

void TPlotView::pbfunctionMouseMove(int x, int y)
{
    const plot::TFrame f = plot::MakeFrame(pbfunction->width(), pbfunction->height(), PlotRange);
    const std::optional<plot::TReadOut> r = plot::ReadOut(f, x, y);
    if (!r) return; // no origin to read from
    Label2->setText("x= " + QString::fromStdString(FormatGeneral(r->X, 15)));
    Label3->setText("y= " + QString::fromStdString(FormatGeneral(r->Y, 15)));
}

void TPlotView::pbfunctionMouseDown(int x, int y)
{
    const plot::TFrame f = plot::MakeFrame(pbfunction->width(), pbfunction->height(), PlotRange);
    const std::optional<plot::TReadOut> r = plot::ReadOut(f, x, y);
    if (!r) return;
    const std::string separator = QLocale().groupSeparator().toStdString();
    // Two numbers that cannot be read as one.
    const QString text = QString::fromStdString("x = " + plot::MarkNumber(r->X, separator) + "; y = " +
                                                plot::MarkNumber(r->Y, separator));
    FMarks.push_back({x, y, text});
    FMarkPainting = true;
    if (TangentAtClick(x, y)) {
        pbfunction->update(); // the tangent line, with the marks kept
        return;
    }
    const QFontMetrics metrics(pbfunction->font());
    pbfunction->update(QRect(x - 3, y - 3, metrics.horizontalAdvance(text) + 6, metrics.height() + 6));
}

// Each notch (120 units, gathered from smaller steps) does what a range
// button does: forward narrows, backward widens.
void TPlotView::pbfunctionMouseWheel(int delta)
{
    if (delta == 0) return;
    if ((delta > 0) != (FWheel > 0)) FWheel = 0; // a turn the other way starts afresh
    FWheel += delta;
    const int notches = FWheel / kWheelNotch;
    FWheel -= notches * kWheelNotch;
    const int64_t range =
        std::clamp<int64_t>(static_cast<int64_t>(PlotRange) - notches, plot::kMinRange, plot::kMaxRange);
    if (range == PlotRange) return;
    PlotRange = static_cast<int>(range);
    SchedulePicture();
}

bool TPlotView::pbfunctionKeyPress(int key, Qt::KeyboardModifiers modifiers)
{
    const bool menu = key == Qt::Key_Menu || (key == Qt::Key_F10 && (modifiers & Qt::ShiftModifier));
    if (key == Qt::Key_Plus) SpeedButton2Click();
    else if (key == Qt::Key_Minus) SpeedButton1Click();
    else if (menu) OpenContextMenu(pbfunction->rect().center());
    else return false;
    return true;
}

void TPlotView::OpenContextMenu(QPoint at)
{
    PopupMenu4->popup(pbfunction->mapToGlobal(at));
}

void TPlotView::Copiarimagen1Click()
{
    QApplication::clipboard()->setImage(Picture());
}

void TPlotView::Guardarimagen1Click()
{
    const QString path = ChooseImageFile();
    if (path.isEmpty()) return;
    bool saved;
    if (QFileInfo(path).suffix().compare("svg", Qt::CaseInsensitive) == 0) {
        saved = SaveSvgPicture(path, pbfunction->size(), "F(x)=" + Edit1->text(),
                               [this](QPainter& painter) { Render(painter, pbfunction->size()); });
    } else {
        saved = Picture().save(path, "PNG");
    }
    if (!saved)
        prompts::ShowFailure(window(), QString("No se pudo guardar la imagen en \"%1\".").arg(path));
}

void TPlotView::Tabladevalores1Click()
{
    if (FFunctions.empty() || FParser == nullptr) return;
    if (!ValueTable) ValueTable = new TValueTableDialog(FFunctions, FTexts, PlotRange, ResultDigits(), this);
    ValueTable->open();
    ValueTable->raise();
}

void TPlotView::Puntosnotables1Click()
{
    if (FFunctions.empty() || FParser == nullptr) return;
    StartAnalysis(true);
}
