// A number typed where the plot needs one (the x of a tangent, the ends of
// an area, the rows of a table): any expression of the engine that does not
// read x, neither itself nor through the notebook's functions it calls.
#pragma once

#include <string>
#include <string_view>

class TMathParser;

namespace analysis {

// Parses and evaluates `text` in `parser`: true with its value, false with
// the reason in Spanish ("no puede depender de x", the engine's message,
// "no es un número finito").
bool EvaluateConstant(TMathParser& parser, std::string_view text, long double& value, std::string& problem);

} // namespace analysis
