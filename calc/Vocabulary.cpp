#include "calc/Vocabulary.h"

#include "engine/MathParser.h"

#include <map>

namespace calc {

namespace {

// The manual's one-line description of each word.
const std::map<std::string, std::string>& Descriptions()
{
    static const std::map<std::string, std::string> d = {
        {"sin", "seno"},
        {"cos", "coseno"},
        {"tan", "tangente"},
        {"sqrt", "raíz cuadrada"},
        {"log", "logaritmo en base a: a log x"},
        {"ln", "logaritmo neperiano"},
        {"arccos", "arco coseno"},
        {"arcsin", "arco seno"},
        {"arctan", "arco tangente"},
        {"sinh", "seno hiperbólico"},
        {"cosh", "coseno hiperbólico"},
        {"tanh", "tangente hiperbólica"},
        {"div", "cociente entero: a div b"},
        {"mod", "resto: a mod b"},
        {"abs", "valor absoluto"},
        {"floor", "redondeo hacia abajo"},
        {"ceil", "redondeo hacia arriba"},
        {"exp", "exponencial"},
        {"max", "máximo: a max b"},
        {"min", "mínimo: a min b"},
        {"arccosh", "argumento coseno hiperbólico"},
        {"arccot", "arco cotangente"},
        {"arccoth", "argumento cotangente hiperbólica"},
        {"arccsc", "arco cosecante"},
        {"arccsch", "argumento cosecante hiperbólica"},
        {"arcsec", "arco secante"},
        {"arcsech", "argumento secante hiperbólica"},
        {"arcsinh", "argumento seno hiperbólico"},
        {"arctanh", "argumento tangente hiperbólica"},
        {"arctan2", "arco tangente de dos argumentos: y arctan2 x"},
        {"cot", "cotangente"},
        {"cotan", "cotangente"},
        {"coth", "cotangente hiperbólica"},
        {"csc", "cosecante"},
        {"csch", "cosecante hiperbólica"},
        {"hypot", "hipotenusa: a hypot b"},
        {"sec", "secante"},
        {"sech", "secante hiperbólica"},
        {"random", "número al azar entre 0.001 y 1"},
        {"nsqrt", "raíz n-ésima: n nsqrt x"},
        {"pi", "el número pi, 3.14159265358979"},
    };
    return d;
}

} // namespace

const std::vector<TWord>& Vocabulary()
{
    // The engine's own lists, in its order: every word has a description.
    static const std::vector<TWord> words = [] {
        std::vector<TWord> out;
        const TMathParser parser;
        const auto& descriptions = Descriptions();
        auto add = [&](const std::string& name, bool basic) {
            const auto it = descriptions.find(name);
            if (it != descriptions.end()) out.push_back({name, it->second, basic});
        };
        // The basic group begins with "+", after the further functions.
        const int basic = parser.FindOperator("+");
        for (int i = 0; i < parser.OperatorCount(); ++i) add(parser.Operator(i).Name, i >= basic);
        for (int i = 0; i < parser.VariableCount(); ++i) add(parser.Variable(i).Name, true);
        return out;
    }();
    return words;
}

} // namespace calc
