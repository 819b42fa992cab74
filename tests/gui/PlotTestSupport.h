// The main window with its plot view, made for each test of the plot and
// deleted after it, and the picture of the view at a known size.
#pragma once

#include "TestPrompter.h"
#include "plot/PlotView.h"
#include "workspace/ConfigForm.h"
#include "workspace/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
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
    template <typename T> T* Find(QObject* root, const char* name)
    {
        T* w = root->findChild<T*>(name);
        if (!w) qFatal("no widget %s", name);
        return w;
    }
    static bool Blue(const QImage& image, int x, int y) { return image.pixel(x, y) == qRgb(0, 0, 255); }
    static int BlueInColumn(const QImage& image, int x)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y) n += Blue(image, x, y);
        return n;
    }
    static bool Coloured(const QImage& image, QRect area, QColor colour)
    {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixel(x, y) == colour.rgb()) return true;
        return false;
    }
    void ShowView()
    {
        form->ToolButton6Click();
        QTRY_VERIFY(view->pbfunction->isVisible());
        QCoreApplication::processEvents();
    }
    // Picks `action` in the context menu with the keys, as a user without a mouse does.
    void ChooseInMenu(QAction* action)
    {
        view->pbfunction->setFocus();
        QTest::keyClick(view->pbfunction, Qt::Key_Menu);
        QTRY_VERIFY(view->PopupMenu4->isVisible());
        for (int i = 0; i < 20 && view->PopupMenu4->activeAction() != action; ++i)
            QTest::keyClick(view->PopupMenu4, Qt::Key_Down);
        QCOMPARE(view->PopupMenu4->activeAction(), action);
        QTest::keyClick(view->PopupMenu4, Qt::Key_Return);
        QTRY_VERIFY(!view->PopupMenu4->isVisible());
        // The offscreen platform may hand the activation to the closed menu
        // late; the window takes it back with its focus where the command put it.
        QCoreApplication::processEvents();
        if (QApplication::activeWindow() != form) {
            form->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(form));
        }
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
