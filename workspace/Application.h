// Program start: the application, its windows in order, the event loop.
#pragma once

#include <functional>

class Tdemoform;

// Creates the windows that follow the main window, hidden, and attaches
// them to it.
void CreateSecondaryWindows(Tdemoform& demoform);

// The windows after the main window's creation: the others, the main
// window shown, and once it has appeared the recovery question.
void StartWindows(Tdemoform& demoform);

// The desktop program.  `started`, when given, runs once the windows are
// started (test programs type into them).  A SIGTERM, SIGHUP or SIGINT
// writes the recovery copy and ends the program as the signal would have.
int RunZentrova(int& argc, char** argv, const std::function<void(Tdemoform&)>& started = {});
