// Windows asks a window program to end through its messages (the end of
// the session reaches the program as the toolkit's commitDataRequest), not
// through signals: nothing is caught here.
#include "workspace/EndSignals.h"

#include <cstdlib>

TEndSignals::TEndSignals(QObject* parent) : QObject(parent) {}

TEndSignals::~TEndSignals() = default;

void TEndSignals::Read() {}

void TEndSignals::EndAsSignalled(int signal) { std::_Exit(128 + signal); }
