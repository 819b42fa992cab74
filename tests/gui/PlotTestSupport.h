// The main window with its plot view, made for each test of the plot and
// deleted after it, and the picture of the view at a known size.
#pragma once

#include "TestPrompter.h"
#include "plot/PlotView.h"
#include "workspace/ConfigForm.h"
#include "workspace/MainForm.h"

#include <QEvent>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStringList>
#include <QtTest>

#include <memory>

struct TPlotFixture {
    Tdemoform* form = nullptr;
    std::unique_ptr<TTestPrompter> prompter;
    TPlotView* view = nullptr;
    QStringList errors; // the messages shown

    // Call as QVERIFY(OpenWindow()) from init().
    bool OpenWindow()
    {
        errors.clear();
        form = new Tdemoform;
        form->AttachConfiguration(new TForm6(form));
        form->show();
        if (!QTest::qWaitForWindowExposed(form)) return false;
        view = form->Panel3;
        prompter = std::make_unique<TTestPrompter>();
        prompter->OnMessage = [this](const QString& text) { errors << text; };
        return true;
    }
    void CloseWindow()
    {
        delete form;
        form = nullptr;
        prompter.reset();
    }
    // Types the functions into the box and presses "Dibujar" with the mouse.
    void Draw(const QString& functions)
    {
        view->Edit1->clear();
        for (const QChar ch : functions) {
            if (ch.unicode() < 128) QTest::keyClick(view->Edit1, ch.toLatin1());
            else QTest::sendKeyEvent(QTest::Click, view->Edit1, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
        QTest::mouseClick(view->Button1, Qt::LeftButton);
    }
    QImage Render(int w = 538, int h = 400)
    {
        QImage image(w, h, QImage::Format_RGB32);
        QPainter painter(&image);
        view->Render(painter, QSize(w, h));
        return image;
    }
    // Paint events of the paint area while it lives.
    struct PaintCounter : QObject {
        int Paints = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint) ++Paints;
            return false;
        }
    };
};
