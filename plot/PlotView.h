// The function plot view: the header strip with the function box, the range
// buttons, "Dibujar", the table and notable-point commands and the pointer
// read-out, and the paint area where the axes and the curves of up to six
// functions F(x) are drawn.  The view shows what its model (TPlotModel)
// holds and asks it for work: the curves are sampled on the model's thread,
// and until a new picture is ready the last one stays, scaled to the area,
// with a mark that says it is being drawn.
#pragma once

#include "calc/CalcCore.h"
#include "analysis/Functions.h"
#include "plot/PlotGeometry.h"
#include "plot/AreaDialog.h"
#include "plot/PlotModel.h"

#include <QFrame>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QProgressBar;
class QPushButton;
class QToolButton;
class TMathParser;
class TPlotView;
class TValueTableDialog;
class TNotablePointsDialog;
class TParameterSliders;
class QScrollArea;
class TTangentPanel;
class TAreaDialog;

// The paint area: it hands painting, the mouse and the keys to its view.
class TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(TPlotView* view, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TPlotView* FView;
};

class TPlotView : public QFrame {
    Q_OBJECT
public:
    explicit TPlotView(QWidget* parent = nullptr);
    ~TPlotView() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // The plot's state and its work.
    TPlotModel* Model;

    // The plot's engine, shared with the main window; `x` is defined in it.
    void AttachParser(std::shared_ptr<TMathParser> parser) { Model->AttachParser(std::move(parser)); }
    // Releases the current functions, closing the table of their values.
    void ReleaseFunction();
    // The unit of sin, cos and tan changed: the curves are drawn again, the
    // table computed again, the notable points found in the old unit go.
    void AngleUnitChanged();
    // The first current function, or none.
    const TExpression* Function() const
    {
        return Model->Functions().empty() ? nullptr : Model->Functions().front().get();
    }
    const analysis::TFunctionList& Functions() const { return Model->Functions(); }
    // Each current function's text as the legend shows it.
    const QStringList& FunctionTexts() const { return FTexts; }
    // The legend's entries: each function and, when the derivatives are
    // drawn, its derivative "(f)′" after it; the legend shows from two.
    QStringList LegendEntries() const;
    // The colour of the curve of function `index` (0 to 5), as
    // plot/CurveColours.h lists them.
    static QColor CurveColour(int index);

    int PlotRange = 10;

    // Measured points drawn over the curves, each with its uncertainty of y
    // as an error bar when Sigma holds one per point; none when X is empty.
    struct TPoints {
        std::vector<long double> X, Y, Sigma;
    };
    void SetPoints(TPoints points);
    const TPoints& Points() const { return FPoints; }
    // The range that shows every point and its error bar.
    void FitToPoints();

    // Draws the whole picture (background, axes, labels, curves, legend,
    // notable points) at the given size, its curves sampled here and now:
    // what "Copiar imagen" and "Guardar imagen…" take.
    void Render(QPainter& painter, QSize size);
    // The picture as an image at the paint area's size and pixel ratio.
    QImage Picture();

    // The significant digits of the table of values: the main window's
    // digits setting (9 until it says otherwise).
    std::function<int()> ResultDigits;
    std::function<QString()> NotebookFile; // the notebook's file, empty when it has none
    // The notebook as "Dibujar" reads it: its numeric values and functions
    // join the plot's engine (its own x first).  Unset: the plot's engine alone.
    void SetNotebookDefinitions(std::function<calc::TNotebookDefinitions()> defs)
    {
        Model->NotebookDefinitions = std::move(defs);
    }

    // Controls, by their designer names.
    QFrame* Panel5;
    QLabel* Label1; // "F(x)="
    QLineEdit* Edit1;
    QToolButton* SpeedButton1; // widens the range
    QToolButton* SpeedButton2; // narrows the range
    QPushButton* Button1;      // "Dibujar"
    QToolButton* Button2;      // "Tabla de valores"
    QToolButton* Button3;      // "Puntos notables"
    QToolButton* Button4;      // "Área"
    QProgressBar* ProgressBar1; // how far the search of notable points got
    QPushButton* ButtonStop;   // "Detener": stops that search (Esc too)
    QLabel* Label2;            // "x="
    QLabel* Label3;            // "y="
    TPaintBox* pbfunction;
    TParameterSliders* Sliders; // the notebook values the functions use
    QScrollArea* SlidersScroll; // holds them, at most half the view high
    QMenu* PopupMenu4;         // the paint area's context menu
    QAction* Copiarimagen1;
    QAction* Guardarimagen1;
    QAction* Tabladevalores1;
    QAction* Puntosnotables1;
    QAction* Derivada1;        // checkable: each function's derivative, dashed
    QAction* Tangente1;        // "Pendiente y tangente…"
    TTangentPanel* TangentPanel; // the slope and tangent strip under the picture
    QAction* Area1;
    QAction* Ajustaradatos1; // the range that shows the measured points
    QAction* Quitardatos1;   // takes the measured points away
    // The open table, and the list of notable points, while they exist.
    QPointer<TValueTableDialog> ValueTable;
    QPointer<TNotablePointsDialog> NotableList;
    QPointer<TAreaDialog> AreaWindow;
    // The search of notable points is running on the model's thread.
    bool Analysing() const { return Model->Searching(); }

public slots:
    void Button1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void Copiarimagen1Click();
    void Guardarimagen1Click();
    void Tabladevalores1Click();
    void Puntosnotables1Click();
    void Derivada1Click();
    void Tangente1Click();
    void TangentRequested();
    void RecomputeTangent();
    void Area1Click();
    void StopAnalysis();

private:
    TPoints FPoints;
    void DrawPoints(QPainter& painter, const plot::TFrame& f) const;
    friend class TPaintBox;
    void BuildHeader();
    void BuildMenu();
    void NameControls();
    void ConnectModel();
    // The parse error box, and the file for "Guardar imagen…" (empty:
    // cancelled), through the prompter.
    void ShowParseError(const QString& text);
    QString ChooseImageFile();
    void UpdateCommands();
    QRect LegendBox(const plot::TFrame& f, QStringList* texts) const;
    void DrawAxes(QPainter& painter, const plot::TFrame& f, std::vector<QRect>& axisLabels, QStringList& labelTexts) const;
    void DrawAxisLabels(QPainter& painter, const std::vector<QRect>& boxes, const QStringList& texts) const;
    void DrawLegend(QPainter& painter, const plot::TFrame& f) const;
    void DrawNotablePoints(QPainter& painter, const plot::TFrame& f, const std::vector<QRect>& axisLabels) const;
    void DrawPicture(QPainter& painter, const plot::TFrame& f, const plot::TPicture& picture) const;
    // The picture of the paint area from what the model has.
    void PaintFrame(QPainter& painter, const plot::TFrame& f, const plot::TPicture* picture, bool current);
    plot::TFrame Frame() const;
    void WhenPictured(std::function<void()> action);
    void DrawBusyMark(QPainter& painter, const plot::TFrame& f) const;
    bool ShowsDerivatives() const;
    // Starts the search of notable points on the model's thread; `showList`
    // opens their list when they are found.
    void StartAnalysis(bool showList);
    void AnalysisFound(bool showList, int range);
    void ForgetAnalysis(); // the functions or the unit changed
    void pbfunctionPaint(QPainter& painter);
    void pbfunctionMouseMove(int x, int y);
    void pbfunctionMouseDown(int x, int y);
    void pbfunctionMouseWheel(int delta);
    bool pbfunctionKeyPress(int key, Qt::KeyboardModifiers modifiers);
    void OpenContextMenu(QPoint at);
    void SetRange(int range);
    void RepaintPicture();   // at once, without the marks
    void SchedulePicture();  // at the next paint, without the marks
    void KeepMarksOnNextPaint() { FMarkPainting = true; }

    // Slopes and tangent (PlotSlopes.cpp).
    void BuildSlopeCommands();
    void DrawTangent(QPainter& painter, const plot::TFrame& f) const;
    bool TangentAtClick(int x, int y);
    void ShowTangent(int function, long double x0);
    void TangentFound();

    QStringList FTexts;
    // Wheel rotation not yet turned into range steps.
    int FWheel = 0;
    // Coordinate marks on screen until the next repaint of the picture,
    // at their point of the plane: a strip that rescales the picture moves
    // them with it.
    struct TMark {
        long double X, Y;
        QString Text;
    };
    std::vector<TMark> FMarks;
    bool FMarkPainting = false;
    bool FShowPoints = false; // the notable points are marked on the picture
    std::function<void()> FWhenPictured; // a copy or a save waiting for the curves
};
