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
        {"log", "logaritmo en base a: a log x; sin base, decimal: log x"},
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
        {"fact", "factorial de un número entero: fact 5 = 120"},
        {"gamma", "función gamma: gamma x = (x - 1)! para x entero"},
        {"signo", "signo: -1, 0 o 1"},
        {"log10", "logaritmo decimal"},
        {"comb", "combinaciones (nCr): comb(n;k)"},
        {"perm", "variaciones sin repetición (nPr): perm(n;k)"},
        {"binomial", "binomial, P(X = k): binomial(k;n;p)"},
        {"binomialac", "binomial acumulada, P(X ≤ k): binomialac(k;n;p)"},
        {"poisson", "Poisson, P(X = k): poisson(k;m)"},
        {"poissonac", "Poisson acumulada, P(X ≤ k): poissonac(k;m)"},
        {"normal", "normal acumulada, P(X ≤ x): normal(x;m;s)"},
        {"normaldens", "densidad de la normal: normaldens(x;m;s)"},
        {"normalinv", "inversa de la normal, x con P(X ≤ x) = p: normalinv(p;m;s)"},
        {"redondear", "redondeo a n decimales: redondear(x;n)"},
        {"truncar", "corte a n decimales: truncar(x;n)"},
        {"mcd", "máximo común divisor: mcd(a;b)"},
        {"mcm", "mínimo común múltiplo: mcm(a;b)"},
        {"e", "el número e, 2.71828182845905"},
        {"deriv", "derivada en un punto: deriv(expr; x; x0)"},
        {"integral", "integral definida: integral(expr; x; a; b)"},
        {"suma", "suma de los términos para k de a a b: suma(expr; k; a; b)"},
        {"producto", "producto de los términos para k de a a b: producto(expr; k; a; b)"},
        {"resolver", "soluciones reales de una ecuación: resolver(lado = lado; x)"},
        {"cuenta", "número de valores de una lista del cuaderno: cuenta(t)"},
        {"total", "suma de los valores de una lista: total(t)"},
        {"media", "media de una lista: media(t)"},
        {"mediana", "mediana de una lista: mediana(t)"},
        {"desv", "desviación típica de una muestra (n - 1): desv(t)"},
        {"desvp", "desviación típica de la población (n): desvp(t)"},
        {"varianza", "varianza de una muestra (n - 1): varianza(t)"},
        {"minimo", "menor valor de una lista: minimo(t)"},
        {"maximo", "mayor valor de una lista: maximo(t)"},
        {"errormedia", "error típico de la media, desv/raíz de n: errormedia(t)"},
        {"pendiente", "pendiente de la recta de mínimos cuadrados: pendiente(x; y)"},
        {"ordenada", "ordenada en el origen de esa recta: ordenada(x; y)"},
        {"correlacion", "coeficiente de correlación de dos listas: correlacion(x; y)"},
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
        auto add = [&](const std::string& name, bool basic, bool call = false) {
            const auto it = descriptions.find(name);
            if (it != descriptions.end()) out.push_back({name, it->second, basic, call});
        };
        // The basic group begins with "+", after the further functions, and
        // ends where the exam's group begins.
        const int basic = parser.FindOperator("+");
        const int exam = parser.FindOperator("fact");
        for (int i = 0; i < parser.OperatorCount(); ++i)
            add(parser.Operator(i).Name, i >= basic && i < exam,
                parser.Operator(i).Arguments > 0 || parser.Operator(i).Bound != kBoundNone);
        for (int i = 0; i < parser.VariableCount(); ++i) add(parser.Variable(i).Name, true);
        return out;
    }();
    return words;
}

} // namespace calc
