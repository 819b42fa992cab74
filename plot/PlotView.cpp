#include "plot/PlotView.h"

#include "plot/CurveColours.h"

#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "plot/NotablePointsDialog.h"
#include "plot/ParameterSliders.h"
#include "analysis/PlotFunctions.h"
#include "plot/AreaDialog.h"
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
#include <QResizeEvent>
#include <QScrollArea>
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
#include <utility>

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

TPlotView::TPlotView(QWidget* parent) : QFrame(parent), Model(new TPlotModel(this))
{
    InitPlotResources();
    setObjectName("Panel3");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    BuildHeader();
    column->addWidget(Panel5);
    // The sliders scroll when they would take more than half the view: the
    // picture keeps the rest.
    SlidersScroll = new QScrollArea(this);
    SlidersScroll->setObjectName("DesplazarDeslizadores");
    SlidersScroll->setFrameShape(QFrame::NoFrame);
    SlidersScroll->setWidgetResizable(true);
    SlidersScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Sliders = new TParameterSliders;
    Sliders->Digits = [this] { return ResultDigits ? ResultDigits() : 9; };
    SlidersScroll->setWidget(Sliders);
    SlidersScroll->hide();
    Sliders->installEventFilter(this); // the scroll area shows and hides with them
    column->addWidget(SlidersScroll);

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
    connect(ButtonStop, &QPushButton::clicked, this, &TPlotView::StopAnalysis);
    // Esc anywhere in the plot view stops the search.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &TPlotView::StopAnalysis,
                                 Qt::WidgetWithChildrenShortcut);
    escape->setObjectName("AtajoDetener");
    escape->setEnabled(false); // while a search runs
    ConnectModel();

    ResultDigits = [] { return 9; };
}

// What the model tells the view.
void TPlotView::ConnectModel()
{
    connect(Model, &TPlotModel::PictureReady, this, [this] {
        KeepMarksOnNextPaint(); // the same picture, its curves now sampled
        pbfunction->update();
        if (FWhenPictured && Model->PictureIsCurrent(Frame(), ShowsDerivatives())) std::exchange(FWhenPictured, {})();
    });
    connect(Model, &TPlotModel::Changed, this, &TPlotView::SchedulePicture);
    connect(Model, &TPlotModel::SearchProgress, ProgressBar1, &QProgressBar::setValue);
    connect(Model, &TPlotModel::NotablePointsFound, this, &TPlotView::AnalysisFound);
    connect(Model, &TPlotModel::TangentFound, this, &TPlotView::TangentFound);
    connect(Model, &TPlotModel::ValuesApplied, this, [this] {
        if (ValueTable) ValueTable->Compute();
        RecomputeTangent();
    });
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
    // Beside the notebook's file, named after it, once it has one.
    const QString notebook = NotebookFile ? NotebookFile() : QString();
    if (!notebook.isEmpty()) {
        choice.Folder = QFileInfo(notebook).absolutePath();
        choice.Name = QFileInfo(notebook).completeBaseName() + ".png";
    }
    choice.Filters = CanSaveSvg() ? QStringList{"Imagen PNG (*.png)", "Imagen SVG (*.svg)"}
                                  : QStringList{"Imagen PNG (*.png)"};
    return prompts::ChooseFileToWrite(this, choice);
}

bool TPlotView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Sliders && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        SlidersScroll->setVisible(event->type() == QEvent::ShowToParent);
        SlidersScroll->setMaximumHeight(std::max(40, height() / 2));
    }
    return QFrame::eventFilter(watched, event);
}

void TPlotView::resizeEvent(QResizeEvent* event)
{
    SlidersScroll->setMaximumHeight(std::max(40, height() / 2));
    QFrame::resizeEvent(event);
}

TPlotView::~TPlotView()
{
    // The dialogs first: they ask the model to stop their work.
    delete ValueTable;
    delete AreaWindow;
    delete NotableList;
}

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
    Tabladevalores1 = PopupMenu4->addAction("Tabla de valores…");
    Tabladevalores1->setObjectName("Tabladevalores1");
    Puntosnotables1 = PopupMenu4->addAction("Puntos notables…");
    Puntosnotables1->setObjectName("Puntosnotables1");
    Area1 = PopupMenu4->addAction("Área…");
    Area1->setObjectName("Area1");
    PopupMenu4->addSeparator();
    Ajustaradatos1 = PopupMenu4->addAction("Ajustar la vista a los datos");
    Ajustaradatos1->setObjectName("Ajustaradatos1");
    Quitardatos1 = PopupMenu4->addAction("Quitar los datos");
    Quitardatos1->setObjectName("Quitardatos1");
    connect(Ajustaradatos1, &QAction::triggered, this, &TPlotView::FitToPoints);
    connect(Quitardatos1, &QAction::triggered, this, [this] { SetPoints({}); });
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
    name(SpeedButton1, "Alejar", "Amplía el intervalo de la gráfica: 10, 20, 50, 100…");
    name(SpeedButton2, "Acercar", "Reduce el intervalo de la gráfica: 100, 50, 20, 10…");
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
    const bool any = !Model->Functions().empty();
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
    if (Model->Functions().empty()) return;
    ForgetAnalysis();
    Model->AngleUnitChanged(); // the derivatives are made for the new unit
    if (Model->Tangent()) ShowTangent(Model->Tangent()->Function, Model->Tangent()->X);
    if (ValueTable) ValueTable->Compute();
    SchedulePicture();
}

void TPlotView::ReleaseFunction()
{
    delete ValueTable; // it shows the values of these functions
    Sliders->Clear();
    Model->Release();
    FTexts.clear();
    UpdateCommands();
}

void TPlotView::Button1Click()
{
    if (!Model->HasParser()) return;
    // A new drawing: the notable points and the area of the old one go.
    ForgetAnalysis();
    delete ValueTable;
    Sliders->Clear();
    const QString text = Edit1->text();
    const std::optional<TPlotModel::TParseError> error = Model->SetFunctions(text.toStdString());
    FTexts.clear();
    if (error) {
        ShowParseError(QString::fromStdString(error->Message));
        Edit1->setFocus();
        const int start = Utf16Offset(text, std::max(0, error->Position));
        const int end = Utf16Offset(text, std::max(0, error->Position + error->Length));
        Edit1->setSelection(start, end - start);
    } else {
        for (const std::string& t : Model->Texts()) FTexts << QString::fromStdString(analysis::Trimmed(t));
        Sliders->Show(Model);
    }
    TangentPanel->SetFunctions(FTexts);
    RecomputeTangent(); // the strip speaks of the functions drawn now
    UpdateCommands();
    RepaintPicture(); // a failure leaves no old curves nor legend under its message
}

void TPlotView::RepaintPicture()
{
    FMarks.clear(); // a new picture has no marks
    FMarkPainting = false;
    pbfunction->update();
}

void TPlotView::SchedulePicture()
{
    FMarks.clear();
    FMarkPainting = false;
    pbfunction->update(); // repaints asked for before it is drawn are one
}

void TPlotView::SetRange(int range)
{
    if (range == PlotRange) return;
    PlotRange = range;
    SchedulePicture();
}

void TPlotView::SpeedButton1Click()
{
    SetRange(plot::WiderRange(PlotRange));
}

void TPlotView::SpeedButton2Click()
{
    SetRange(plot::NarrowerRange(PlotRange));
}

plot::TFrame TPlotView::Frame() const
{
    return plot::MakeFrame(pbfunction->width(), pbfunction->height(), PlotRange);
}

bool TPlotView::ShowsDerivatives() const
{
    return Derivada1->isChecked();
}

// The axes and their labelled ticks, the labels on white and whole inside
// the picture; `axisLabels` gets where the labels are.
// The axes and their ticks; the labels' places and texts, drawn later over
// the curves (DrawAxisLabels).
void TPlotView::DrawAxes(QPainter& painter, const plot::TFrame& f, std::vector<QRect>& axisLabels,
                         QStringList& labelTexts) const
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(0, 0, f.W, f.H), Qt::white);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(0, f.Cy, f.W, f.Cy);
    painter.drawLine(f.Cx, 0, f.Cx, f.H);
    painter.setFont(pbfunction->font());
    const QFontMetrics metrics = painter.fontMetrics();
    auto label = [&](int left, int top, const QString& text) {
        left = std::clamp(left, 0, std::max(0, f.W - metrics.horizontalAdvance(text)));
        top = std::clamp(top, 0, std::max(0, f.H - metrics.height()));
        axisLabels.emplace_back(left, top, metrics.horizontalAdvance(text), metrics.height());
        labelTexts << text;
    };
    const auto width = [&](long double v) { return metrics.horizontalAdvance(QString::fromStdString(plot::TickText(v))); };
    for (long double v : plot::TickValues(f, true, width, metrics.height())) {
        const QString text = QString::fromStdString(plot::TickText(v));
        const int px = static_cast<int>(std::floor(f.PixelX(v)));
        label(px - metrics.horizontalAdvance(text) / 2, f.Cy + 2, text);
        painter.drawLine(px, f.Cy - 2, px, f.Cy + 2);
    }
    for (long double v : plot::TickValues(f, false, width, metrics.height())) {
        const QString text = QString::fromStdString(plot::TickText(v));
        const int py = static_cast<int>(std::floor(f.PixelY(v)));
        label(f.Cx + 4, py - metrics.height() / 2, text);
        painter.drawLine(f.Cx + 2, py, f.Cx - 2, py);
    }
}

void TPlotView::DrawAxisLabels(QPainter& painter, const std::vector<QRect>& boxes, const QStringList& texts) const
{
    painter.setFont(pbfunction->font());
    painter.setPen(pbfunction->palette().color(QPalette::WindowText));
    const int ascent = painter.fontMetrics().ascent();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        painter.fillRect(boxes[i].adjusted(0, 1, 0, 0), Qt::white); // the tick ends on the top row
        painter.drawText(boxes[i].left(), boxes[i].top() + ascent, texts.value(static_cast<int>(i)));
    }
}

void TPlotView::Render(QPainter& painter, QSize size)
{
    const plot::TFrame f = plot::MakeFrame(size.width(), size.height(), PlotRange);
    if (Model->Functions().empty()) {
        PaintFrame(painter, f, nullptr, true);
        return;
    }
    // The model's picture when it is the one for this size, else sampled here.
    if (Model->PictureIsCurrent(f, ShowsDerivatives())) {
        PaintFrame(painter, f, Model->Picture().get(), true);
        return;
    }
    const plot::TPicture picture = Model->PictureNow(f, ShowsDerivatives());
    PaintFrame(painter, f, &picture, true);
}

// The axes, the picture's curves (scaled from the frame they were sampled
// for when that is another), the shade, the tangent, the notable points
// and the legend.
void TPlotView::PaintFrame(QPainter& painter, const plot::TFrame& f, const plot::TPicture* picture, bool current)
{
    std::vector<QRect> axisLabels;
    QStringList labelTexts;
    DrawAxes(painter, f, axisLabels, labelTexts);
    if (!Model->Functions().empty() && picture != nullptr) DrawPicture(painter, f, *picture);
    DrawPoints(painter, f);
    DrawAxisLabels(painter, axisLabels, labelTexts); // no curve crosses them
    if (Model->Functions().empty()) return;
    (void)current;
    DrawTangent(painter, f);
    if (FShowPoints) DrawNotablePoints(painter, f, axisLabels);
    DrawLegend(painter, f);
}

// With two functions or more, each one's text in its colour in the top left
// corner.
// The legend's entries: each function, and after it its derivative
// ("(f)′", dashed) when the derivatives are drawn.
QStringList TPlotView::LegendEntries() const
{
    QStringList entries;
    for (const QString& t : FTexts) {
        entries << t;
        if (ShowsDerivatives()) entries << "(" + t + ")′";
    }
    return entries;
}

QRect TPlotView::LegendBox(const plot::TFrame& f, QStringList* texts) const
{
    const QStringList entries = LegendEntries();
    if (entries.size() < 2 || Model->Functions().empty()) return {};
    const QFontMetrics metrics(pbfunction->font());
    const int widest = std::max(40, f.W / 2 - kLegendSwatch - 3 * kLegendPad);
    int width = 0;
    for (const QString& t : entries) {
        const QString shown = metrics.elidedText(t, Qt::ElideRight, widest);
        width = std::max(width, metrics.horizontalAdvance(shown));
        if (texts != nullptr) *texts << shown;
    }
    return QRect(6, 6, 3 * kLegendPad + kLegendSwatch + width,
                 2 * kLegendPad + metrics.height() * static_cast<int>(entries.size()));
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
    const int perFunction = ShowsDerivatives() ? 2 : 1;
    for (int i = 0; i < texts.size(); ++i) {
        const int top = box.top() + kLegendPad + i * line;
        const int middle = top + line / 2;
        const QColor colour = CurveColour(i / perFunction);
        painter.setPen(QPen(colour, 2, i % perFunction == 1 ? Qt::DashLine : Qt::SolidLine));
        painter.drawLine(box.left() + kLegendPad, middle, box.left() + kLegendPad + kLegendSwatch, middle);
        painter.setPen(colour);
        painter.drawText(box.left() + 2 * kLegendPad + kLegendSwatch, top + metrics.ascent(), texts[i]);
    }
}

QImage TPlotView::Picture()
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
    const plot::TFrame f = Frame();
    const bool derivatives = ShowsDerivatives();
    const bool current = Model->PictureIsCurrent(f, derivatives);
    if (!current && !Model->Functions().empty()) Model->RequestPicture(f, derivatives);
    const std::shared_ptr<const plot::TPicture> picture = Model->Picture();
    PaintFrame(painter, f, picture.get(), current);
    if (!current && Model->Drawing()) DrawBusyMark(painter, f);
    for (const TMark& m : FMarks) {
        const struct {
            int X, Y;
            const QString& Text;
        } mark{static_cast<int>(std::lround(f.PixelX(m.X))), static_cast<int>(std::lround(f.PixelY(m.Y))), m.Text};
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

// While new curves are sampled the last picture stays, scaled, with this
// mark in its top right corner.
void TPlotView::DrawBusyMark(QPainter& painter, const plot::TFrame& f) const
{
    const QString text = "Dibujando…";
    const QFontMetrics metrics(pbfunction->font());
    const QRect box(f.W - metrics.horizontalAdvance(text) - 10, 4, metrics.horizontalAdvance(text) + 6, metrics.height() + 2);
    painter.fillRect(box, QColor(255, 255, 200));
    painter.setPen(QPen(QColor(160, 160, 160), 1));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setPen(pbfunction->palette().color(QPalette::WindowText));
    painter.drawText(box.left() + 3, box.top() + 1 + metrics.ascent(), text);
}

void TPlotView::pbfunctionMouseMove(int x, int y)
{
    const std::optional<plot::TReadOut> r = plot::ReadOut(Frame(), x, y);
    if (!r) return; // no origin to read from
    // With the digits the main window shows its results with.
    const int digits = ResultDigits ? ResultDigits() : 15;
    Label2->setText("x= " + QString::fromStdString(FormatGeneral(r->X, digits)));
    Label3->setText("y= " + QString::fromStdString(FormatGeneral(r->Y, digits)));
}

void TPlotView::pbfunctionMouseDown(int x, int y)
{
    const std::optional<plot::TReadOut> r = plot::ReadOut(Frame(), x, y);
    if (!r) return;
    const std::string separator = QLocale().groupSeparator().toStdString();
    // Two numbers that cannot be read as one.
    const QString text = QString::fromStdString("x = " + plot::MarkNumber(r->X, separator) + "; y = " +
                                                plot::MarkNumber(r->Y, separator));
    FMarks.push_back({r->X, r->Y, text});
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
    int notches = FWheel / kWheelNotch;
    FWheel -= notches * kWheelNotch;
    int range = PlotRange;
    for (; notches > 0; --notches) range = plot::NarrowerRange(range);
    for (; notches < 0; ++notches) range = plot::WiderRange(range);
    SetRange(range);
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
    for (QAction* a : {Ajustaradatos1, Quitardatos1}) a->setVisible(!FPoints.X.empty());
    PopupMenu4->popup(pbfunction->mapToGlobal(at));
}

// The picture of the paint area once its curves are sampled: at once when
// they are, else when the model has them (the window meanwhile answers).
void TPlotView::WhenPictured(std::function<void()> action)
{
    const plot::TFrame f = Frame();
    if (Model->Functions().empty() || Model->PictureIsCurrent(f, ShowsDerivatives())) {
        action();
        return;
    }
    FWhenPictured = std::move(action);
    Model->RequestPicture(f, ShowsDerivatives());
}

void TPlotView::Copiarimagen1Click()
{
    WhenPictured([this] { QApplication::clipboard()->setImage(Picture()); });
}

void TPlotView::Guardarimagen1Click()
{
    const QString path = ChooseImageFile();
    if (path.isEmpty()) return;
    WhenPictured([this, path] {
        bool saved;
        if (QFileInfo(path).suffix().compare("svg", Qt::CaseInsensitive) == 0) {
            saved = SaveSvgPicture(path, pbfunction->size(), "F(x)=" + Edit1->text(),
                                   [this](QPainter& painter) { Render(painter, pbfunction->size()); });
        } else {
            saved = Picture().save(path, "PNG");
        }
        if (!saved) prompts::ShowFailure(window(), QString("No se pudo guardar la imagen en \"%1\".").arg(path));
    });
}

void TPlotView::Tabladevalores1Click()
{
    if (Model->Functions().empty()) return;
    if (!ValueTable) ValueTable = new TValueTableDialog(Model, FTexts, PlotRange, ResultDigits(), this);
    ValueTable->open();
    ValueTable->raise();
}

void TPlotView::Puntosnotables1Click()
{
    if (Model->Functions().empty()) return;
    StartAnalysis(true);
}
