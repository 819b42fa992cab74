// Functions of the notebook: their lines, calls in calculations, errors
// with their spans, the compiled calls on several threads.
#include "calc/CalcCore.h"
#include "engine/ErrorCodes.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

// A case that calculates leaves its error's fields to their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

struct CallCase {
    const char* notebook; // lines separated by '|'
    const char* expression;
    const char* line;     // the result line, or empty for an error
    const char* message = ""; // the error's message (when line is empty)
    int position = 0;     // the error's span
    int length = 0;
};

void PrintTo(const CallCase& c, std::ostream* os) { *os << c.notebook << " :: " << c.expression; }

std::vector<std::string> Split(const char* text)
{
    std::vector<std::string> lines;
    std::string line;
    for (const char* p = text; *p; ++p) {
        if (*p == '|') lines.push_back(line), line.clear();
        else line += *p;
    }
    lines.push_back(line);
    return lines;
}

class FunctionCall : public ::testing::TestWithParam<CallCase> {};

TEST_P(FunctionCall, GivesItsLineOrItsError)
{
    const CallCase& c = GetParam();
    TMathParser parser;
    const calc::TCalcOutcome r = calc::RunCalculation(parser, Split(c.notebook), c.expression, 9);
    if (*c.line != 0) {
        EXPECT_TRUE(r.ok) << r.errorMessage;
        EXPECT_EQ(r.resultLine, c.line);
        return;
    }
    EXPECT_FALSE(r.ok) << r.resultLine;
    EXPECT_EQ(r.errorMessage, c.message);
    EXPECT_EQ(r.errorPosition, c.position);
    EXPECT_EQ(r.errorLength, c.length);
}

INSTANTIATE_TEST_SUITE_P(
    Notebook, FunctionCall,
    ::testing::Values(
        // One and several parameters, as typed in the result line.
        CallCase{"atr(b;h)=b*h/2", "atr(3;4)", "atr(3; 4) =   6"},
        CallCase{"f(x)=x^2+1", "f(3) + 1", "f(3) + 1 =   11"},
        CallCase{"f(x)=x^2-2|x=1", "2*f(x+1)^2", "2 * f(x + 1) ^ 2 =   8"},
        CallCase{"V(r;h)=pi*r^2*h", "V(1;2)/pi", "V(1; 2) / pi =   2"},
        CallCase{"vtc(a;b;h)=pi*h/3*(a^2+a*b+b^2)", "vtc(2;1;3)/pi", "vtc(2; 1; 3) / pi =   7"},
        CallCase{" g ( a ; b ) =a-b", "g(5;7)", "g(5; 7) =   -2"},
        CallCase{"f(x)=x+1", "sin f(89)", "sin (f(89)) =   1"},
        CallCase{"f(x)=x+1", "2*sin f(89)^2", "2 * sin (f(89)) ^ 2 =   2"},
        CallCase{"f(x)=x+1", "3! f(2)", "", "Argumento no previsto", 1, 2},
        CallCase{"f(x)=2*x", "f(f(f(1)))", "f(f(f(1))) =   8"},
        CallCase{"f(x)=x*x", "f(1+1)+f(2+1)", "f(1 + 1) + f(2 + 1) =   13"},
        // Values of the notebook and other functions, in any order.
        CallCase{"k=3|f(x)=k*x", "f(2)", "f(2) =   6"},
        CallCase{"h(x)=g(x)+1|g(y)=y*10", "h(2)", "h(2) =   21"},
        CallCase{"p(a;b)=a-b|q(a;b)=p(b;a)", "q(1;5)", "q(1; 5) =   4"},
        CallCase{"id(t)=t", "id(7)*id(1+1)", "id(7) * id(1 + 1) =   14"},
        CallCase{"sel(a;b)=b", "sel(1+1;3)", "sel(1 + 1; 3) =   3"},
        // A parameter named as a notebook value is the parameter.
        CallCase{"x=100|f(x)=x+1", "f(1)+x", "f(1) + x =   102"},
        // Lines that stay text definitions: no parameter used, a catalogue
        // name, a digit, a repeated parameter.
        CallCase{"v(t)=a+1|a=2", "v(t)", "a + 1 =   3"},
        CallCase{"sin(x)=2+x|x=1", "sin(x)", "2 + x =   3"},
        CallCase{"f(x1)=5+1", "f(x1)", "5 + 1 =   6"},
        // A line meant as a function that is not one is named at its call.
        CallCase{"sin(x)=x*2", "sin(30)", "",
                 "La línea 1 del cuaderno no define la función «sin»: «sin» es una función del catálogo", 1, 3},
        CallCase{"nota|v(x1)=x1*2", "v (3)", "",
                 "La línea 2 del cuaderno no define la función «v»: el parámetro «x1» lleva cifras: los nombres de "
                 "las funciones y de sus parámetros son solo letras", 1, 1},
        CallCase{"v2(x)=x*2", "1+v2(3)", "",
                 "La línea 1 del cuaderno no define la función «v2»: el nombre «v2» lleva cifras: los nombres de las "
                 "funciones y de sus parámetros son solo letras", 3, 2},
        CallCase{"w(a;a)=a", "2+W(1;2)", "", "La línea 1 del cuaderno no define la función «w»: el parámetro «a» está repetido", 3, 1},
        CallCase{"f(a;b;c;d;e;g;h)=a", "f(1;2;3;4;5;6;7)", "",
                 "La línea 1 del cuaderno no define la función «f»: tiene 7 parámetros, y una función tiene como mucho 6", 1, 1},
        CallCase{"g(pi)=pi*2", "g(1)", "", "La línea 1 del cuaderno no define la función «g»: «pi» es un valor del catálogo", 1, 1},
        CallCase{"f=2|f(x)=x*2", "f(3)", "", "La línea 2 del cuaderno no define la función «f»: «f» ya es un valor del cuaderno", 1, 1},
        CallCase{"f(x1)=x1|f(x)=x*3", "f(2)", "f(2) =   6"}, // the line that is a function counts
        // Errors: counts, unknown functions, cycles, inside bodies.
        CallCase{"atr(b;h)=b*h/2", "atr(3)", "", "La función atr necesita 2 argumentos, separados por «;»", 1, 6},
        CallCase{"f(x)=x", "1+f(1;2)", "", "La función f necesita 1 argumento", 3, 6},
        CallCase{"f(x)=x", "f()", "", "La función f necesita 1 argumento", 1, 3},
        CallCase{"f(x)=x", "g(1)", "", "Valor desconocido", 1, 1},
        CallCase{"f(x)=x", "2;3", "", "El «;» solo separa los argumentos de una función", 2, 1},
        CallCase{"f(a;b)=a", "f(1;)", "", "Falta un argumento junto al «;»", 4, 1},
        CallCase{"f(x)=f(x)+1", "f(1)", "", "La definición de la línea 1 del cuaderno se usa a sí misma", 1, 4},
        CallCase{"nota|f(x)=g(x)|g(x)=f(x)", "2*g(1)", "",
                 "La definición de la línea 3 del cuaderno se usa a sí misma a través de la línea 2", 3, 4},
        CallCase{"f(x)=g(x)|g(x)=h(x)|h(x)=g(x)+x", "f(0)", "",
                 "en f: La definición de la línea 2 del cuaderno se usa a sí misma a través de la línea 3", 1, 4},
        CallCase{"f(x)=1/(x-2)", "3+f(2)", "", "en f: División por cero", 3, 4},
        CallCase{"f(x)=sqrt(x)|g(y)=f(y-5)", "g(1)", "", "en g: en f: El argumento debe ser mayor o igual que 0", 1, 4},
        CallCase{"f(x)=x+zz", "f(1)", "", "en f: Valor desconocido «zz»", 1, 4},
        CallCase{"g(t)=t*q|f(x)=g(x)", "f(1)", "", "en f: en g: Valor desconocido «q»", 1, 4},
        // An unknown later argument is blamed, not the ";" before it.
        CallCase{"atr(b;h)=b*h/2", "atr(3;zz)", "", "Valor desconocido", 7, 2},
        CallCase{"f(a;b)=a", "f(a;zz)", "", "Valor desconocido", 5, 2},
        CallCase{"f(x)=1/x", "f(1/0)", "", "División por cero", 5, 1}));

// The first error of the list above needs no notebook value x.
TEST(NotebookFunctions, AnArgumentNamedAsAParameterIsNotKnownOutsideTheBody)
{
    TMathParser parser;
    const calc::TCalcOutcome r = calc::RunCalculation(parser, {"f(x)=x^2-2"}, "2*f(x+1)^2", 9);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errorCode, error_code::kUnknownValue);
    EXPECT_EQ(r.errorPosition, 5);
}

TEST(NotebookFunctions, LinesAreReadAsFunctionsOnlyWhenWellFormed)
{
    struct Case {
        const char* line;
        bool function;
        const char* name;
        std::size_t parameters;
        const char* whyNot = ""; // for a line meant as a function
    };
    const Case cases[] = {{"f(x)=x", true, "f", 1},
                          {"V(r;h)=r*h", true, "V", 2},
                          {"f(a;b;c;d;e;g)=a", true, "f", 6},
                          {"f(a;b;c;d;e;g;h)=a", false, "", 0, "tiene 7 parámetros, y una función tiene como mucho 6"},
                          {"f(x;x)=x", false, "", 0, "el parámetro «x» está repetido"},
                          {"f(x;X)=x", false, "", 0, "el parámetro «X» está repetido"},
                          {"f(x;)=x", false, "", 0, "falta el parámetro"},
                          {"f(x;a b)=x", false, "", 0, "«a b» no es un nombre: solo letras y «_»"},
                          {"f()=1+x", false, "", 0},
                          {"f(x)=3", false, "", 0},
                          {"(x)=x", false, "", 0},
                          {"f(x=x", false, "", 0},
                          {"f(x) y=x", false, "", 0},
                          {"pi(x)=x", false, "", 0, "«pi» es un valor del catálogo"},
                          {"exp(x)=x", false, "", 0, "«exp» es una función del catálogo"},
                          {"f(pi)=pi", false, "", 0, "«pi» es un valor del catálogo"},
                          {"área(b;h)=b*h", true, "área", 2},
                          {"f(x,y)=x", false, "", 0},
                          {"f(x)=", false, "", 0}};
    for (const Case& c : cases) {
        TFunctionSource f;
        std::string whyNot;
        EXPECT_EQ(calc::ReadFunctionLine(calc::ReadNotebookLine(c.line), f, &whyNot), c.function) << c.line;
        EXPECT_EQ(whyNot, c.whyNot) << c.line;
        if (c.function) {
            EXPECT_EQ(f.Name, c.name);
            EXPECT_EQ(f.Parameters.size(), c.parameters);
        }
    }
}

TEST(NotebookFunctions, CallsAreRecognisableWithTheirArguments)
{
    TMathParser parser;
    parser.DefineFunctions({{"V", {"r", "h"}, "pi*r^2*h", 4}});
    const TFunctionDefinition* v = parser.FindFunction("v");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->BodyText, "pi*r^2*h");
    EXPECT_EQ(v->Parameters, (std::vector<std::string>{"r", "h"}));
    EXPECT_EQ(parser.TreeToText(v->Body), "pi * r ^ 2 * h");
    const TExpression e(parser, "1+V(2;3*4)");
    const TParseNode* call = e.Tree()->Right;
    ASSERT_TRUE(IsCall(call));
    EXPECT_FALSE(IsCall(e.Tree()));
    const auto args = CallArguments(call);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(parser.TreeToText(args[1]), "3 * 4");
}

// A sampler of calls, run on several threads at once, gives the bits that
// one thread gives; the parameters are never shared named values.
TEST(NotebookFunctions, SamplersOfCallsAgreeAcrossThreads)
{
    const testsupport::AngleUnit radians(false);
    auto parser = std::make_shared<TMathParser>();
    parser->DefineVariable("x", 0);
    parser->DefineVariable("k", 1.5L);
    parser->DefineFunctions({{"f", {"t"}, "t^2-k*sin(t)", 1}, {"g", {"a", "b"}, "f(a)*b+f(b)", 2}});
    const TExpression e(parser, "g(x+1;x/3) + f(f(x)) + g(x;2)");
    constexpr std::size_t n = 4001;
    std::vector<long double> xs(n), one(n);
    for (std::size_t i = 0; i < n; ++i) xs[i] = (static_cast<long double>(i) - 2000) / 100;
    std::unique_ptr<bool[]> ok(new bool[n]);
    TSampler base = e.Sampler("x", false);
    base.Evaluate(xs.data(), n, one.data(), ok.get());
    // Each sample also as a single evaluation.
    for (std::size_t i = 0; i < n; i += 97) {
        parser->SetConstant("x", xs[i]);
        long double v;
        ASSERT_TRUE(e.TryEvaluate(v));
        EXPECT_EQ(std::memcmp(&v, &one[i], 10), 0) << static_cast<double>(xs[i]);
    }
    std::vector<std::vector<long double>> outs(4, std::vector<long double>(n));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            TSampler s(base);
            std::unique_ptr<bool[]> good(new bool[n]);
            for (int round = 0; round < 5; ++round) s.Evaluate(xs.data(), n, outs[t].data(), good.get());
        });
    for (auto& th : threads) th.join();
    for (int t = 0; t < 4; ++t)
        for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(std::memcmp(&outs[t][i], &one[i], 10), 0) << t << " " << i;
}

// Expanded in place, a call costs what its body typed out costs: an
// argument is computed once however often the body uses it.
TEST(NotebookFunctions, NestedCallsCompileOnceEach)
{
    TMathParser parser;
    parser.DefineFunctions({{"f", {"x"}, "x*x+x*x+x*x+x*x", 1}});
    std::string text = "1";
    for (int k = 0; k < 40; ++k) text = "f(" + text + "+0)";
    testsupport::Failure failure;
    EXPECT_EQ(testsupport::Calc(parser, text, &failure), "error"); // 4^40 overflows
    EXPECT_EQ(failure.message, "en f: Floating point overflow");
    // A cascade of definitions that doubles at each level is refused.
    TMathParser big;
    std::vector<TFunctionSource> chain{{"fa", {"x"}, "x+x", 1}};
    const char* names[] = {"fa", "fb", "fc", "fd", "fe", "ff", "fg", "fh", "fi", "fj", "fk", "fl",
                           "fm", "fn", "fo", "fp", "fq", "fr", "fs", "ft", "fu", "fv", "fw", "fx"};
    for (int k = 1; k < 24; ++k)
        chain.push_back({names[k], {"x"}, std::string(names[k - 1]) + "(x)+" + names[k - 1] + "(x)", k + 1});
    big.DefineFunctions(chain);
    EXPECT_EQ(testsupport::Calc(big, "fj(1)"), "1024");
    EXPECT_EQ(testsupport::Calc(big, "fx(1)", &failure), "error");
    EXPECT_EQ(failure.message.rfind("en fx: en fw: ", 0), 0u) << failure.message;
    EXPECT_NE(failure.message.find("en fs: la función es demasiado grande"), std::string::npos) << failure.message;
}

// Random bodies called with random arguments give, sample for sample and
// bit for bit, what their text typed out with the arguments in place gives.
class TBodies {
public:
    explicit TBodies(unsigned seed) : FState(seed) {}
    // A body in a and b (and k, and g when `calls`), as written and with
    // a and b replaced by the texts `a` and `b` and g's calls expanded.
    std::pair<std::string, std::string> Make(int depth, const std::string& a, const std::string& b, bool calls)
    {
        const unsigned r = Next() % (depth <= 0 ? 4 : 12);
        switch (r) {
        case 0: return {"a", "(" + a + ")"};
        case 1: return {"b", "(" + b + ")"};
        case 2: return {"k", "k"};
        case 3: return {"0.5", "0.5"};
        default: break;
        }
        static const char* const kBinary[] = {"+", "-", "*", "/", " max ", "^"};
        static const char* const kUnary[] = {"sin", "sqrt", "abs", "ln"};
        if (calls && r == 11) {
            const auto [c1, e1] = Make(depth - 1, a, b, calls);
            const auto [c2, e2] = Make(depth - 1, a, b, calls);
            std::string expanded = calc::ReplaceAll(calc::ReplaceAll(G, "a", "\x01"), "b", "\x02");
            expanded = calc::ReplaceAll(calc::ReplaceAll(expanded, "\x01", "(" + e1 + ")"), "\x02", "(" + e2 + ")");
            return {"g(" + c1 + ";" + c2 + ")", "(" + expanded + ")"};
        }
        if (r >= 8) {
            const char* f = kUnary[Next() % 4];
            const auto [c, e] = Make(depth - 1, a, b, calls);
            return {std::string(f) + "(" + c + ")", std::string(f) + "(" + e + ")"};
        }
        const char* op = kBinary[Next() % 6];
        const auto [c1, e1] = Make(depth - 1, a, b, calls);
        const auto [c2, e2] = Make(depth - 1, a, b, calls);
        return {"(" + c1 + op + c2 + ")", "(" + e1 + op + e2 + ")"};
    }
    std::string G;

private:
    unsigned Next() { return FState = FState * 1103515245u + 12345u, FState >> 8; }
    unsigned FState;
};

TEST(NotebookFunctions, CallsGiveTheBitsOfTheirBodiesTypedOut)
{
    const testsupport::AngleUnit radians(false);
    constexpr std::size_t n = 601;
    std::vector<long double> xs(n), called(n), typed(n);
    for (std::size_t i = 0; i < n; ++i) xs[i] = (static_cast<long double>(i) - 300) / 40;
    std::unique_ptr<bool[]> okCalled(new bool[n]), okTyped(new bool[n]);
    const char* const kArguments[][2] = {{"x", "2"}, {"x+1", "x*x"}, {"sin x", "x"}, {"3", "x/2-1"}};
    std::size_t good = 0, failed = 0, withCalls = 0;
    for (unsigned seed = 1; seed <= 150; ++seed) {
        TBodies bodies(seed);
        // g uses both its parameters, so that its arguments are computed
        // in the text typed out as they are in the call.
        bodies.G = bodies.Make(2, "a", "b", false).first + "+a*0+b*0";
        const auto args = kArguments[seed % 4];
        const auto [f, expanded] = bodies.Make(4, args[0], args[1], true);
        auto fresh = std::make_shared<TMathParser>();
        fresh->DefineVariable("x", 0);
        fresh->DefineVariable("k", 1.25L);
        fresh->DefineFunctions({{"g", {"a", "b"}, bodies.G, 1}, {"f", {"a", "b"}, f, 2}});
        const std::string call = std::string("f(") + args[0] + ";" + args[1] + ")";
        const TExpression viaCall(fresh, call), viaText(fresh, expanded);
        TSampler sc = viaCall.Sampler("x", false), st = viaText.Sampler("x", false);
        sc.Evaluate(xs.data(), n, called.data(), okCalled.get());
        st.Evaluate(xs.data(), n, typed.data(), okTyped.get());
        for (std::size_t i = 0; i < n; ++i) {
            ASSERT_EQ(okCalled[i], okTyped[i]) << f << " :: " << call << " at " << static_cast<double>(xs[i]);
            if (okCalled[i]) {
                ASSERT_EQ(std::memcmp(&called[i], &typed[i], 10), 0) << f << " :: " << call;
            }
            ++(okCalled[i] ? good : failed);
        }
        withCalls += f.find("g(") != std::string::npos;
        // One value, through the parser, fails or not as the text does.
        fresh->SetConstant("x", 0.75L);
        long double v1, v2;
        EXPECT_EQ(viaCall.TryEvaluate(v1), viaText.TryEvaluate(v2)) << f;
    }
    // The bodies are not all trivial: values, failures and nested calls.
    EXPECT_GT(good, 150 * n / 4);
    EXPECT_GT(failed, 0u);
    EXPECT_GT(withCalls, 30u);
}

} // namespace
