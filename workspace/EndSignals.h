// The signals that ask the program to end (SIGTERM, SIGHUP, SIGINT),
// delivered to the window's thread as a Qt signal (EndSignalsPosix.cpp).
// Windows has no such signals for a window program: the end of the session
// comes as the toolkit's commitDataRequest, and EndSignalsWindows.cpp
// catches nothing.
#pragma once

#include <QObject>

class QSocketNotifier;

// While it lives, the three signals are caught: the handler only writes
// the signal's number into a pipe, whose reading end wakes the event loop
// and emits Received there.
class TEndSignals : public QObject {
    Q_OBJECT
public:
    explicit TEndSignals(QObject* parent = nullptr);
    ~TEndSignals() override; // the previous handlers come back

    // Ends the process as the signal would have without a handler.
    [[noreturn]] static void EndAsSignalled(int signal);

signals:
    void Received(int signal);

private:
    void Read();
    QSocketNotifier* FNotifier = nullptr;
};
