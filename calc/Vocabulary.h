// The words of the calculation's language that a user may type: the
// catalogue's functions and word operators and its named constants, in
// catalogue order, each with a short Spanish description.  No Qt here.
#pragma once

#include <string>
#include <vector>

namespace calc {

struct TWord {
    std::string Name;        // as the manual writes it
    std::string Description; // one line, Spanish
    bool Basic = false;      // of the basic operators and functions (sin, sqrt, ln, ...)
    bool Call = false;       // written with its arguments in parentheses: "comb("
};

// The functions and word operators of a calculation's engine, then its
// named constants (not the angle conversions, which only the plot has).
const std::vector<TWord>& Vocabulary();

} // namespace calc
