// The statistics of the notebook's lists: "media(t)" of one list, and
// "pendiente(x; y)" of two, called as the catalogue's calls of two
// arguments are.  A list changes only with the notebook, so a statistic is
// worked out once, when its call is parsed, into the leaf of its (first)
// list; the call's computation then reads that leaf.  Writing the tree
// back gives the call as it was written.
#include "engine/MathParser.h"
#include "engine/DerivativeRules.h"
#include "engine/ErrorCodes.h"
#include "engine/Statistics.h"

#include <string>
#include <vector>

using engine_detail::FailWith;

namespace {

using ld = long double;

// One list: the statistic its leaf holds, on the right.
ld OpListOne(ld, ld r, uint8_t, uint8_t&, std::string&, uint8_t&) { return r; }
// Two lists: the statistic the first one's leaf holds, on the left.
ld OpListTwo(ld l, ld, uint8_t, uint8_t&, std::string&, uint8_t&) { return l; }
// The entry a call of two lists is written with (as the catalogue's calls).
ld OpListWritten(ld, ld, uint8_t, uint8_t& c, std::string&, uint8_t&)
{
    c = error_code::kMissingArgument;
    return 0;
}

struct TListFunction {
    const char* Name;
    TListStatistic Kind;
};
constexpr TListFunction kOneList[] = {
    {"cuenta", kStatCount},       {"total", kStatTotal},     {"media", kStatMean},
    {"mediana", kStatMedian},     {"desv", kStatDeviation},  {"desvp", kStatPopulationDeviation},
    {"varianza", kStatVariance},  {"minimo", kStatMinimum},  {"maximo", kStatMaximum},
    {"errormedia", kStatMeanError},
};
constexpr TListFunction kTwoLists[] = {
    {"pendiente", kStatSlope}, {"ordenada", kStatIntercept}, {"correlacion", kStatCorrelation}};

const TDataList* ListOf(const TParseNode* node)
{
    return node != nullptr && node->Kind == 0 && node->Variable != nullptr ? node->Variable->List : nullptr;
}

std::string WrittenName(const TOperatorEntry* op) { return op->CalledAs != nullptr ? op->CalledAs->Name : op->Name; }

std::string Signature(const TOperatorEntry* op)
{
    return op->CalledAs != nullptr ? WrittenName(op) + "(x; y)" : op->Name + "(lista)";
}

} // namespace

void TMathParser::RegisterListFunctions()
{
    const TDerivativeRule* constant = engine_detail::CatalogueRule("#call");
    for (const TListFunction& f : kOneList) {
        AddOperator(f.Name, OpListOne, 2, 4, constant);
        FOperators.back()->ListStat = f.Kind;
    }
    static const char* const kSignatures[] = {"pendiente(x;y)", "ordenada(x;y)", "correlacion(x;y)"};
    for (std::size_t k = 0; k < std::size(kTwoLists); ++k) {
        const std::string name = kTwoLists[k].Name;
        AddOperator(name, OpListWritten, 2, 4, constant);
        TOperatorEntry* written = FOperators.back();
        written->Calculation = AddUnnamedOperator(name + "#", OpListTwo, constant, written);
        const_cast<TOperatorEntry*>(written->Calculation)->ListStat = kTwoLists[k].Kind;
        written->ListStat = kTwoLists[k].Kind; // so that the parse knows it holds one
        written->Arguments = 2;
        written->Signature = kSignatures[k];
    }
}

void TMathParser::DefineList(TDataList list)
{
    const std::string name = list.Name;
    FLists.push_back(std::move(list));
    DefineVariable(name, 0);
    FVariables.back().List = &FLists.back();
}

void TMathParser::BindListCalls(TParseNode* root, const std::u32string& text)
{
    const auto length = static_cast<int32_t>(text.size());
    if (ListOf(root) != nullptr)
        FailWith(*this, error_code::kInvalidArgument, 1, length,
                 "«" + root->Variable->Name + "» es una lista: se lee con media(" + root->Variable->Name +
                     "), desv(" + root->Variable->Name + ")...");
    std::vector<TParseNode*> pending{root};
    while (!pending.empty()) {
        TParseNode* node = pending.back();
        pending.pop_back();
        if (node == nullptr || node->Kind == 0) continue;
        if (const TBoundSite* site = BoundSite(node)) pending.push_back(site->Body);
        const TOperatorEntry* op = node->Op;
        // The call's span, its ")" included.
        int32_t callLength = node->RightPos + node->RightLen - node->OpPos;
        const int32_t after = node->OpPos + callLength; // 1-based
        if (after >= 1 && after <= length && text[static_cast<std::size_t>(after - 1)] == U')') ++callLength;
        if (op->ListStat != kStatNone) {
            const bool two = op->CalledAs != nullptr;
            const TDataList* a = ListOf(two ? node->Left : node->Right);
            const TDataList* b = two ? ListOf(node->Right) : nullptr;
            if (a == nullptr || (two && b == nullptr)) {
                const bool left = two && a == nullptr;
                FailWith(*this, error_code::kInvalidArgument, left ? node->LeftPos : node->RightPos,
                         left ? node->LeftLen : node->RightLen,
                         "«" + WrittenName(op) + "» lee " + (two ? "dos listas" : "una lista") +
                             " del cuaderno: " + Signature(op));
            }
            long double value = 0;
            std::string why;
            if (!ListStatistic(static_cast<TListStatistic>(op->ListStat), *a, b, value, why))
                FailWith(*this, error_code::kInvalidArgument, node->OpPos, callLength, why);
            (two ? node->Left : node->Right)->Value = value;
            if (two) node->Right->Value = 0;
            continue;
        }
        const auto check = [&](TParseNode* side, int32_t position, int32_t len) {
            if (ListOf(side) == nullptr) return pending.push_back(side);
            const std::string& name = side->Variable->Name;
            FailWith(*this, error_code::kInvalidArgument, position, len,
                     "«" + name + "» es una lista: se lee con media(" + name + "), desv(" + name + ")...");
        };
        check(node->Left, node->LeftPos, node->LeftLen);
        check(node->Right, node->RightPos, node->RightLen);
    }
}
