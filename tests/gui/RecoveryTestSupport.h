// What the window suites about recovery and reliability share: reading a
// file whole, answering the message boxes that come up, and a limit on the
// size of the files written.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers the message boxes that come up with a click on the button named
// next, "No" when none is left, and keeps their texts.
class TAnswers : public QObject {
public:
    QStringList Answers;
    QStringList Texts;
    TAnswers()
    {
        connect(&FPoll, &QTimer::timeout, this, &TAnswers::Look);
        FPoll.start(20);
    }

private:
    void Look()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        Texts << box->text();
        const QString answer = Answers.isEmpty() ? QString("No") : Answers.takeFirst();
        for (QAbstractButton* button : box->buttons())
            if (button->text().remove('&') == answer) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        qFatal("no button %s", qPrintable(answer));
    }
    QTimer FPoll;
};

// Files larger than `bytes` cannot be written while it lives.
struct TFileSizeLimit {
    rlimit Previous{};
    explicit TFileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &Previous);
        rlimit limit = Previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() { setrlimit(RLIMIT_FSIZE, &Previous); }
};

} // namespace
