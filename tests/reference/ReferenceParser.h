// Reference parser used only as a test oracle.
//
// A deliberately plain, slow and recursive rendering of the parse algorithm:
// it is meant to be obviously right rather than fast, so the real engine can
// be checked against it on generated inputs (differential tests). It builds
// no evaluable tree; it produces the error triple or a structural dump.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace zref {

// sides: bit value 1 = takes a left operand, bit value 2 = takes a right one.
struct OpInfo {
    int sides;
    int priority;
};

// Both lookups receive the name already lower-cased (A-Z only).
struct Names {
    std::function<bool(const std::u32string&)> isVariable;
    std::function<std::optional<OpInfo>(const std::u32string&)> findOperator;
};

// ok: parse succeeded, dump holds the tree, code 0, position -1, length 0.
// Otherwise code/position/length describe the failure (1-based code-point
// position) and dump is empty.
struct Outcome {
    bool ok;
    int code;
    int position;
    int length;
    std::string dump;
};

// Dump grammar:
//   empty leaf      _
//   variable leaf   V:<lower-cased name>
//   number leaf     N:<leaf text as written, surrounding blanks removed>
//   operator node   (<lower-cased token>@OpPos LLeftPos,LeftLen RRightPos,RightLen <left> <right>)
Outcome ParseAndDump(const std::u32string& text, const Names& names);

// UTF-8 encoding of a code-point string (exposed for the tests).
std::string ToUtf8(const std::u32string& s);

}  // namespace zref
