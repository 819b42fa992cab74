// Writing a tree back as text, in the canonical spacing the result lines
// show: "12 * (3 + 4)".
#include "engine/MathParser.h"

#include "engine/NumberFormat.h"
#include "engine/PerThread.h"

#include <string>
#include <vector>

std::string TMathParser::TreeToText(const TParseNode* root) const
{
    std::string out;
    if (root == nullptr) return out;
    // Pending pieces, last first: a node to write or a literal.
    struct Piece {
        const TParseNode* Node;
        const char* Literal;
    };
    std::vector<Piece>& pending = engine_detail::PerThread<std::vector<Piece>>();
    pending.assign(1, {root, nullptr});
    if (root == FCurrentTree) out.reserve(FCurrentTreeNodes * 3);
    while (!pending.empty()) {
        const Piece piece = pending.back();
        pending.pop_back();
        if (piece.Node == nullptr) {
            out += piece.Literal;
            continue;
        }
        const TParseNode* node = piece.Node;
        if (node->Kind == 0) {
            if (node->Variable != nullptr)
                out += node->Variable->BoundName ? static_cast<const TBoundSite*>(node->Variable)->Written
                                                 : node->Variable->Name;
            else out += FormatGeneral(node->Value, 15);
            continue;
        }
        const TOperatorEntry* op = node->Op;
        if (op->Function != nullptr) {
            // A call as it is written: name(a; b).
            pending.push_back({nullptr, ")"});
            if (node->Right->Present) pending.push_back({node->Right, nullptr});
            pending.push_back({nullptr, "("});
            pending.push_back({nullptr, op->Function->Name.c_str()});
            continue;
        }
        if (const TBoundSite* site = BoundSite(node)) {
            // name(expression; x; a; b), as written.
            pending.push_back({nullptr, ")"});
            for (const TParseNode* argument : {node->Right, node->Left})
                if (argument->Present) pending.insert(pending.end(), {{argument, nullptr}, {nullptr, "; "}});
            pending.insert(pending.end(), {{nullptr, site->Written.c_str()}, {nullptr, "; "}, {site->Body, nullptr},
                                           {nullptr, "("}, {nullptr, op->Name.c_str()}});
            continue;
        }
        if (op->CalledAs != nullptr) {
            // A catalogue call as it is written: name(a; b; c).
            const TOperatorEntry* written = op->CalledAs;
            const TParseNode* joined = written->JoinsRight ? node->Right : node->Left;
            const bool joins = written->Joining != nullptr && op == written->Calculation &&
                               joined->Kind == 1 && joined->Op == written->Joining;
            std::vector<const TParseNode*> args;
            if (!joins) args = {node->Left, node->Right};
            else if (written->JoinsRight) args = {joined->Left, node->Left, joined->Right};
            else args = {joined->Left, joined->Right, node->Right};
            pending.push_back({nullptr, ")"});
            for (std::size_t k = args.size(); k-- > 0;) {
                pending.push_back({args[k], nullptr});
                if (k > 0) pending.push_back({nullptr, "; "});
            }
            pending.push_back({nullptr, "("});
            pending.push_back({nullptr, written->Name.c_str()});
            continue;
        }
        if (op->Name == ";") {
            pending.push_back({node->Right, nullptr});
            pending.push_back({nullptr, "; "});
            pending.push_back({node->Left, nullptr});
            continue;
        }
        // Pushed in reverse: left part, name, right part.
        if (op->Sides & 2) {
            const TParseNode* right = node->Right;
            if (right->Kind == 1 && right->Op->Priority <= op->Priority) {
                pending.push_back({nullptr, ")"});
                pending.push_back({right, nullptr});
                pending.push_back({nullptr, " ("});
            } else {
                pending.push_back({right, nullptr});
                pending.push_back({nullptr, " "});
            }
        }
        pending.push_back({nullptr, op->Name.c_str()});
        // "log 1000", the decimal logarithm, has no left operand to write.
        if ((op->Sides & 1) && (node->Left->Present || op->Name != "log")) {
            const TParseNode* left = node->Left;
            if (left->Kind == 1 && left->Op->Priority < op->Priority) {
                pending.push_back({nullptr, ") "});
                pending.push_back({left, nullptr});
                pending.push_back({nullptr, "("});
            } else {
                pending.push_back({nullptr, " "});
                pending.push_back({left, nullptr});
            }
        }
    }
    return out;
}
