// Program start: the application, its windows in order, the event loop.
#pragma once

int RunZentrova(int& argc, char** argv);
