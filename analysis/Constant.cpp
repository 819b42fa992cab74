#include "analysis/Constant.h"

#include "engine/Expression.h"

#include <cmath>

namespace analysis {

bool EvaluateConstant(TMathParser& parser, std::string_view text, long double& value, std::string& problem)
{
    try {
        const TExpression expression(parser, text);
        const int x = parser.FindVariable("x");
        if (x >= 0 && ReadsValue(expression.Tree(), &parser.Variable(x))) {
            problem = "no puede depender de x";
            return false;
        }
        if (!expression.TryEvaluate(value)) {
            problem = parser.ErrorMessage();
            return false;
        }
        if (!std::isfinite(value)) {
            problem = "no es un número finito";
            return false;
        }
        return true;
    } catch (const EMathParserException& e) {
        problem = e.ErrorMessage;
        return false;
    }
}

} // namespace analysis
