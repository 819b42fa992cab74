// libFuzzer harness over the calculation core.  The input is split at its
// first NUL byte: before it notebook lines, after it the expression.  A
// second pass drives one parser, with the notebook's values and functions,
// through SetConstant and repeated evaluation of the same tree, and through
// its first and second derivatives.
#include "engine/MathParser.h"
#include "engine/BoundCalls.h"
#include "engine/Derivative.h"
#include "engine/Expression.h"
#include "engine/NumberFormat.h"
#include "codec/PlainText.h"
#include "codec/Rtf.h"
#include "calc/CalcCore.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    {
        // The notebook reader on the whole input, with an RTF header in front
        // half of the time, and a write-read round trip of what it read.
        notebook::TRichDocument document;
        const std::string bytes = (size % 2) ? "{\\rtf1 " + input : input;
        if (notebook::Loaded(notebook::LoadNotebook(bytes, document))) {
            notebook::TRichDocument back;
            if (notebook::LoadNotebook(notebook::WriteRtf(document), back) != notebook::TLoadResult::Rtf) __builtin_trap();
            if (back.PlainText() != document.PlainText()) __builtin_trap();
        }
    }
    const std::size_t nul = input.find('\0');
    const std::string notebookBytes = nul == std::string::npos ? std::string() : input.substr(0, nul);
    const std::string expressionBytes = nul == std::string::npos ? input : input.substr(nul + 1);
    const std::vector<std::string> lines = notebook::SplitLines(notebook::DecodeText(notebookBytes));
    const std::string expression = notebook::DecodeText(expressionBytes);
    // Sums of millions of terms, nested: each input gets a moment.
    const TBoundStopScope budget(nullptr, std::chrono::steady_clock::now() + std::chrono::milliseconds(50));

    {
        TMathParser parser;
        // With exact fractions: they never change the result line.
        const calc::TCalcOutcome r =
            calc::RunCalculation(parser, lines, expression, 2 + static_cast<int>(size % 17), true);
        if (!r.ok && !r.definitionsFailed() && (r.errorCode == 0 || r.errorCode > 8)) __builtin_trap();
        if (r.fraction && (!r.ok || r.fraction->Denominator.size() > 10 || r.fraction->Denominator == "1"))
            __builtin_trap();
        if (r.definitionsFailed() && (r.ok || r.expression != expression || r.errorCode != 0)) __builtin_trap();
        if (r.ok && r.resultLine.find(" =   ") == std::string::npos) __builtin_trap();
    }
    {
        TMathParser parser;
        parser.RegisterAngleConversions();
        parser.DefineVariable("x", 0);
        parser.DefineVariable("x\t", 2); // a name ending in a character that trimming removes
        calc::DefineValues(parser, calc::ReadNotebookDefinitions(lines));
        try {
            const TExpression tree(parser, expression);
            for (int i = -3; i <= 3; ++i) {
                parser.SetConstant("x", i * 0.75L);
                long double v;
                if (tree.TryEvaluate(v)) (void)FormatGeneral(v, 15);
                else if (parser.ErrorCode() == 0) __builtin_trap();
            }
            // The derivatives: a tree or a reason, and values, marks or
            // errors, never anything else.
            std::string why;
            std::optional<TExpression> d = Derivative(tree, "x", size % 3 == 0, &why, size % 5 == 0);
            if (!d && why.empty()) __builtin_trap();
            if (d) {
                std::optional<TExpression> dd = Derivative(*d, "x", size % 3 == 0, &why);
                for (int i = -3; i <= 3; ++i) {
                    parser.SetConstant("x", i * 0.75L);
                    long double v;
                    if (!d->TryEvaluate(v) && parser.ErrorCode() == 0) __builtin_trap();
                    if (dd && !dd->TryEvaluate(v) && parser.ErrorCode() == 0) __builtin_trap();
                    (void)DerivativeMark(v);
                }
            }
            (void)tree.Text();
            parser.SetConstant("pi", 3);
            try {
                (void)tree.Evaluate();
            } catch (const EMathParserException&) {
            }
        } catch (const EMathParserException& e) {
            if (e.ErrorCode == 0 || e.ErrorCode > 6) __builtin_trap();
        }
        try {
            parser.SetConstant("no such name", 1);
            __builtin_trap();
        } catch (const std::runtime_error&) {
        }
    }
    return 0;
}
