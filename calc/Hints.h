// Hints for a failed calculation: what a student probably meant.  Computed
// only when a calculation fails.  No Qt here.
#pragma once

#include "calc/CalcCore.h"

#include <string>
#include <vector>

namespace calc {

// A Spanish hint for the engine error of `failure` (the expression and the
// notebook lines it was calculated with), or an empty text:
// - an unknown name that students often type for a function ("sen", "tg",
//   "raiz", ...), or one edit away from a function or constant of three
//   letters or more, or from a function of the notebook;
// - a name that a notebook line defines with blanks around it, or with
//   digits (which a name cannot hold);
// - a number followed by a name without an operator ("2x", "3pi");
// - a decimal comma between digits ("3,5").
std::string HintFor(const TCalcOutcome& failure, const std::vector<std::string>& notebookLines);

} // namespace calc
