// The function plot view: the header strip with the function box, the range
// buttons, "Dibujar" and the pointer read-out, and the paint area where the
// axes and the curve of F(x) are drawn.
#pragma once

#include "plot/PlotGeometry.h"

#include <QFrame>
#include <QString>
#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QPushButton;
class QToolButton;
class TMathParser;
struct TParseNode;
class TPlotView;

// The paint area: it hands painting and the mouse to its view.
class TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(TPlotView* view, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TPlotView* FView;
};

class TPlotView : public QFrame {
    Q_OBJECT
public:
    explicit TPlotView(QWidget* parent = nullptr);
    ~TPlotView() override;

    // The plot's engine, which the main window owns; `x` is defined in it.
    void AttachParser(TMathParser* parser) { FParser = parser; }
    // Releases the current function (before the engine goes).
    void ReleaseFunction();
    TParseNode* Function() const { return FFunction; }

    int PlotRange = 10;

    // Draws the picture of the paint area (background, axes, labels,
    // curve) at the given size, as every repaint does.
    void Render(QPainter& painter, QSize size) const;
    // The picture as an image at the paint area's size and pixel ratio.
    QImage Picture() const;

    // Replaceable so that tests can answer them: the parse error box, and
    // the file name for "Guardar imagen…" (empty: cancelled).
    std::function<void(const QString& text)> ShowParseError;
    std::function<QString()> ChooseImageFile;

    // Controls, by their designer names.
    QFrame* Panel5;
    QLabel* Label1; // "F(x)="
    QLineEdit* Edit1;
    QToolButton* SpeedButton1; // widens the range
    QToolButton* SpeedButton2; // narrows the range
    QPushButton* Button1;      // "Dibujar"
    QLabel* Label2;            // "x="
    QLabel* Label3;            // "y="
    TPaintBox* pbfunction;
    QMenu* PopupMenu4;         // the paint area's context menu
    QAction* Copiarimagen1;
    QAction* Guardarimagen1;

public slots:
    void Button1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void Copiarimagen1Click();
    void Guardarimagen1Click();

private:
    friend class TPaintBox;
    void BuildHeader();
    void pbfunctionPaint(QPainter& painter);
    void pbfunctionMouseMove(int x, int y);
    void pbfunctionMouseDown(int x, int y);
    void RepaintPicture(); // at once, without the marks

    TMathParser* FParser = nullptr;
    TParseNode* FFunction = nullptr;
    // Coordinate marks on screen until the next repaint of the picture.
    struct TMark {
        int X, Y;
        QString Text;
    };
    std::vector<TMark> FMarks;
    bool FMarkPainting = false;
};
