// Program start: the application, its windows in order, the event loop.
#pragma once

class Tdemoform;

// Creates the windows that follow the main window, hidden, and attaches
// them to it.
void CreateSecondaryWindows(Tdemoform& demoform);

int RunZentrova(int& argc, char** argv);
