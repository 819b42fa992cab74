// The functions of the function box: up to six texts separated by ";".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace analysis {

constexpr int kMaxFunctions = 6;

// One function of the box: its text as typed (blanks kept, so that the
// engine's positions stay valid within it) and the 0-based character
// (code point) offset where it starts in the whole text.
struct TFunctionText {
    std::string Text;
    int Position = 0;
    bool operator==(const TFunctionText& o) const { return Text == o.Text && Position == o.Position; }
};

// The pieces of `text` between ";" that hold more than blanks, in order;
// a ";" inside parentheses stays in its piece ("V(x;2); x" is two).
// A text without any such piece is one function, the whole text (which
// the engine reads as 0 when it is blank).
std::vector<TFunctionText> SplitFunctions(std::string_view text);

// The text without its leading and trailing blanks, as legends and
// headers show a function.
std::string Trimmed(std::string_view text);

} // namespace analysis
