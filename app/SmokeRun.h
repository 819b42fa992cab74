// A check that the program starts and calculates, for the release checks
// of a build for another system (make test-windows runs zentrova.exe under
// Wine):  zentrova --prueba-de-humo "12*(3+4)"  types the expression into
// EXPRESIÓN with key events, presses Enter, writes the first line of
// RESULTADO to the standard output and ends.
#pragma once

#include <functional>
#include <string>

class Tdemoform;

// The expression after --prueba-de-humo, when the arguments hold it.
bool SmokeRunExpression(int argc, char** argv, std::string& expression);

// What RunZentrova runs once the windows are started.
std::function<void(Tdemoform&)> SmokeRun(const std::string& expression);
