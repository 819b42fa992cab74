#include "help/AboutForm.h"

#include "ui/Design.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <algorithm>

#ifndef ZENTROVA_WEB_ADDRESS
#define ZENTROVA_WEB_ADDRESS ""
#endif

static void InitHelpResources()
{
    Q_INIT_RESOURCE(help);
}

TForm1::TForm1(QWidget* parent) : QDialog(parent)
{
    InitHelpResources();
    setObjectName("Form1");
    setWindowTitle("Acerca de");
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setModal(false);
    setFixedSize(302, 183);
    setFont(DesignFont("Tahoma", 11));
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, palette().color(QPalette::HighlightedText)); // the caption text colour
    setPalette(background);

    // The banner, decoded by the toolkit's JPEG support.
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(QPixmap(":/help/banner.jpg", "JPEG"));
    Image1->setGeometry(0, 0, 271, 69);
    Label1 = new QLabel("Versión  4.0", this);
    Label1->setObjectName("Label1");
    Label1->setFont(DesignFont("Verdana", 12, true));
    Label1->adjustSize();
    // At its place, or further left when the face the system has is wider.
    Label1->move(std::min(216, 302 - Label1->width() - 4), 64);
    Shape1 = new QFrame(this);
    Shape1->setObjectName("Shape1");
    Shape1->setGeometry(8, 106, 287, 69);
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setLineWidth(1);
    SetColour(Shape1, QPalette::WindowText, QColor(128, 0, 128));
    Label2 = new QLabel(this);
    Label2->setObjectName("Label2");
    QFont link = DesignFont("Verdana", 12, true);
    link.setUnderline(true);
    Label2->setFont(link);
    SetColour(Label2, QPalette::WindowText, QColor(0, 0, 255));
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->move(66, 119);
    Label2->installEventFilter(this);
    Address = QString::fromUtf8(ZENTROVA_WEB_ADDRESS);
    Label2->setText(Address.isEmpty() ? "Manual de Zentrova" : Address);
    Label2->adjustSize();
    Label4 = new QLabel("© 2024-2026 Equipo Zentrova", this);
    Label4->setObjectName("Label4");
    Label4->move(14, 152);
    Label4->adjustSize();
    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setFont(DesignFont("Verdana", 13));
    Button1->setGeometry(231, 144, 59, 25);
    Shape1->lower();
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
}

void TForm1::Button1Click()
{
    hide();
}

void TForm1::Label2Click()
{
    if (Address.isEmpty()) {
        if (OpenManual) OpenManual();
        return;
    }
    QDesktopServices::openUrl(QUrl(Address));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label2 && event->type() == QEvent::MouseButtonRelease) Label2Click();
    return QDialog::eventFilter(watched, event);
}
