#include "workspace/EndSignals.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
int gPipe[2] = {-1, -1};
struct sigaction gPrevious[3];

// Only what is safe in a signal handler: one write, errno kept.
extern "C" void OnEndSignal(int signal)
{
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &number, 1);
    errno = saved;
}

} // namespace

TEndSignals::TEndSignals(QObject* parent) : QObject(parent)
{
    if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        gPipe[0] = gPipe[1] = -1;
        return; // the signals keep ending the program at once
    }
    FNotifier = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TEndSignals::Read);
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        // A signal the program was started to ignore (nohup, a background
        // job) stays ignored.
        ::sigaction(kSignals[i], nullptr, &gPrevious[i]);
        if (gPrevious[i].sa_handler != SIG_IGN) ::sigaction(kSignals[i], &action, nullptr);
    }
}

TEndSignals::~TEndSignals()
{
    if (gPipe[0] < 0) return;
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &gPrevious[i], nullptr);
    delete FNotifier;
    ::close(gPipe[0]);
    ::close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

void TEndSignals::Read()
{
    unsigned char number = 0;
    while (::read(gPipe[0], &number, 1) == 1) emit Received(number);
}

void TEndSignals::EndAsSignalled(int signal)
{
    // The disposition the program was started with, which ends it.
    for (int i = 0; i < 3; ++i)
        if (kSignals[i] == signal) ::sigaction(signal, &gPrevious[i], nullptr);
    ::raise(signal);
    ::_exit(128 + signal); // a signal that did not end it
}
