#include "plot/PlotView.h"

#include "engine/MathParser.h"
#include "engine/NumberFormat.h"
#include "ui/Design.h"
#include "ui/TextPositions.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSvgGenerator>
#include <QToolButton>
#include <QVBoxLayout>

static void InitPlotResources()
{
    Q_INIT_RESOURCE(plot);
}

namespace {

const QColor kMarkBackground(255, 255, 200);

} // namespace

// ---------------------------------------------------------------------------
// The paint area

TPaintBox::TPaintBox(TPlotView* view, QWidget* parent) : QWidget(parent), FView(view)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
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
    const QPoint at = event->position().toPoint();
    FView->pbfunctionMouseDown(at.x(), at.y());
    QWidget::mousePressEvent(event);
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

    pbfunction = new TPaintBox(this, this);
    pbfunction->setObjectName("pbfunction");
    pbfunction->setFont(DesignFont("Verdana", 12));
    column->addWidget(pbfunction, 1);

    PopupMenu4 = new QMenu(this);
    PopupMenu4->setObjectName("PopupMenu4");
    Copiarimagen1 = PopupMenu4->addAction("Copiar imagen");
    Copiarimagen1->setObjectName("Copiarimagen1");
    Guardarimagen1 = PopupMenu4->addAction("Guardar imagen…");
    Guardarimagen1->setObjectName("Guardarimagen1");
    pbfunction->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pbfunction, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu4->popup(pbfunction->mapToGlobal(at)); });

    connect(Button1, &QPushButton::clicked, this, &TPlotView::Button1Click);
    connect(Edit1, &QLineEdit::returnPressed, this, &TPlotView::Button1Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TPlotView::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TPlotView::SpeedButton2Click);
    connect(Copiarimagen1, &QAction::triggered, this, &TPlotView::Copiarimagen1Click);
    connect(Guardarimagen1, &QAction::triggered, this, &TPlotView::Guardarimagen1Click);

    ShowParseError = [this](const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok, window());
        box.exec();
    };
    ChooseImageFile = [this] {
        QString filter;
        const QString path = QFileDialog::getSaveFileName(this, "Guardar imagen", "grafica.png",
                                                          "Imagen PNG (*.png);;Imagen SVG (*.svg)", &filter);
        if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
        return path + (filter.contains("svg") ? ".svg" : ".png");
    };
}

TPlotView::~TPlotView() = default;

// The header strip, its controls at their designed places.
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
    auto rangeButton = [this](const char* name, const char* icon, const char* hint, int left) {
        auto* b = new QToolButton(Panel5);
        b->setObjectName(name);
        b->setIcon(QIcon(icon));
        b->setIconSize(QSize(18, 18));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(left, 3, 36, 25);
        return b;
    };
    SpeedButton1 = rangeButton("SpeedButton1", ":/plot/icons/alejar.svg", "Alejar", 265);
    SpeedButton2 = rangeButton("SpeedButton2", ":/plot/icons/acercar.svg", "Acercar", 308);
    Button1 = new QPushButton("Dibujar", Panel5);
    Button1->setObjectName("Button1");
    Button1->setGeometry(354, 3, 44, 25);
    Label2 = new QLabel("x=", Panel5);
    Label2->setObjectName("Label2");
    Label2->setGeometry(10, 29, 160, 18);
    Label3 = new QLabel("y=", Panel5);
    Label3->setObjectName("Label3");
    Label3->setGeometry(173, 29, 240, 18);
}

void TPlotView::ReleaseFunction()
{
    if (FParser != nullptr && FFunction != nullptr) FParser->FreeTree(FFunction);
    FFunction = nullptr;
}

void TPlotView::Button1Click()
{
    if (FParser == nullptr) return;
    const QString text = Edit1->text();
    TParseNode* tree = nullptr;
    try {
        tree = FParser->Parse(text.toStdString());
    } catch (const EMathParserException& e) {
        ShowParseError("(ERROR) " + QString::fromStdString(e.ErrorMessage));
        Edit1->setFocus();
        const int start = Utf16Offset(text, std::max(0, e.ErrorPosition - 1));
        const int end = Utf16Offset(text, std::max(0, e.ErrorPosition - 1 + e.ErrorLength));
        Edit1->setSelection(start, end - start);
    }
    ReleaseFunction();
    if (FParser->ErrorCode() != 0) {
        // No function now; the picture on screen stays until the next repaint.
        if (tree != nullptr) FParser->FreeTree(tree);
        return;
    }
    FFunction = tree;
    RepaintPicture();
}

void TPlotView::RepaintPicture()
{
    FMarks.clear(); // a new picture has no marks
    FMarkPainting = false;
    pbfunction->repaint();
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
    auto label = [&](int left, int top, const QString& text) {
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

    // The curve, last.
    if (FFunction == nullptr || FParser == nullptr) return;
    painter.setPen(QPen(QColor(0, 0, 255), 1));
    plot::TCurveTracer tracer(f.W, f.H, [&painter](const plot::TSegment& s) { painter.drawLine(s.X0, s.Y0, s.X1, s.Y1); });
    plot::TraceCurve(*FParser, FFunction, f, tracer);
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
    const QString text = QString::fromStdString(plot::MarkNumber(r->X, separator) + " . " +
                                                plot::MarkNumber(r->Y, separator));
    FMarks.push_back({x, y, text});
    FMarkPainting = true;
    const QFontMetrics metrics(pbfunction->font());
    pbfunction->update(QRect(x - 3, y - 3, metrics.horizontalAdvance(text) + 6, metrics.height() + 6));
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
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(pbfunction->size());
        svg.setViewBox(QRect(QPoint(0, 0), pbfunction->size()));
        svg.setTitle("F(x)=" + Edit1->text());
        QPainter painter;
        saved = painter.begin(&svg);
        if (saved) {
            Render(painter, pbfunction->size());
            saved = painter.end();
        }
        saved = saved && QFileInfo(path).size() > 0;
    } else {
        saved = Picture().save(path, "PNG");
    }
    if (!saved)
        QMessageBox::critical(window(), QCoreApplication::applicationName(),
                              QString("No se pudo guardar la imagen en \"%1\".").arg(path));
}
