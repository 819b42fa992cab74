// Hints for failed calculations, as the window shows them beside the error.
#include "calc/CalcCore.h"
#include "calc/Hints.h"
#include "calc/Vocabulary.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

std::string Hint(const std::vector<std::string>& notebook, const std::string& expression)
{
    TMathParser parser;
    const calc::TCalcOutcome r = calc::RunCalculation(parser, notebook, expression, 9);
    return r.ok ? "(calculated)" : calc::HintFor(r, notebook);
}

TEST(Hints, WhatStudentsTypeAndWhatTheyMeant)
{
    struct Case {
        std::vector<std::string> notebook;
        const char* expression;
        const char* hint;
    };
    const Case cases[] = {
        // Names students bring from class.
        {{}, "sen 30", "Pista: ¿quiso decir «sin»?"},
        {{}, "senh 1 + 1", "Pista: ¿quiso decir «sinh»?"},
        {{}, "tg 45", "Pista: ¿quiso decir «tan»?"},
        {{}, "TANG(45)", "Pista: ¿quiso decir «tan»?"},
        {{}, "arcsen 0.5", "Pista: ¿quiso decir «arcsin»?"},
        {{}, "raiz 2", "Pista: ¿quiso decir «sqrt»?"},
        {{}, "2*cosec 1", "Pista: ¿quiso decir «csc»?"}, // read as "co" and "sec"
        // One edit away, catalogue order, at most three.
        {{}, "sni 30", "Pista: ¿quiso decir «sin»?"},
        {{}, "sqr 4", "Pista: ¿quiso decir «sqrt»?"},
        {{}, "cox 1", "Pista: ¿quiso decir «cot» o «cos»?"},
        {{}, "arctam 1", "Pista: ¿quiso decir «arctan»?"},
        {{}, "hola", ""},
        {{}, "qq + 1", ""}, // two letters: no guess
        // Decimal comma and a missing operator.
        {{}, "3,5+1", "Pista: el separador decimal es el punto: escriba «3.5» en lugar de «3,5»."},
        {{}, "2*12,75", "Pista: el separador decimal es el punto: escriba «12.75» en lugar de «12,75»."},
        {{}, "1,5,5", "Pista: el separador decimal es el punto: escriba «1.5» en lugar de «1,5»."},
        {{}, "3pi", "Pista: falta un operador entre el número y el nombre: escriba «3*pi»."},
        {{}, "2.5e", "Pista: en notación científica la «E» va seguida del exponente: «2.5e3» es «2.5·10^3»; para "
                     "multiplicar por el número e, escriba «2.5*e»."},
        {{}, "nCr(5;2)", "Pista: ¿quiso decir «comb(n;k)»?"},
        {{}, "nPr(5;2)", "Pista: ¿quiso decir «perm(n;k)»?"},
        {{}, "round(2.5)", "Pista: ¿quiso decir «redondear(x;n)»?"},
        {{}, "invNorm(0.975)", "Pista: ¿quiso decir «normalinv(p;m;s)»?"},
        {{}, "sum(k; k; 1; 3)", "Pista: ¿quiso decir «suma(expr; k; a; b)»?"},
        {{}, "solve(x^2 = 2; x)", "Pista: ¿quiso decir «resolver(lado = lado; x)»?"},
        {{}, "int(x^2; x; 0; 1)", "Pista: ¿quiso decir «integral(expr; x; a; b)»?"},
        {{}, "diff(x^2; x; 1)", "Pista: ¿quiso decir «deriv(expr; x; x0)»?"},
        {{}, "log(2;8)", "Pista: el logaritmo en base b se escribe «b log x»: escriba «2 log 8»; «log x» es el logaritmo decimal."},
        {{}, "1 + log( 3 ; 100 )", "Pista: el logaritmo en base b se escribe «b log x»: escriba «3 log 100»; «log x» es el logaritmo decimal."},
        {{}, "fact(5;2)", ""},
        {{}, "log2(8)", "Pista: el logaritmo en base b se escribe «b log x»: escriba «2 log 8»; «log x» es el logaritmo decimal."},
        {{}, "lg 100", "Pista: ¿quiso decir «log10»?"},
        {{}, "6.02E23*2", "(calculated)"},
        {{}, "2x + 1", "Pista: falta un operador entre el número y el nombre: escriba «2*x»."},
        {{"x=4"}, "1 + 2.5x", "Pista: falta un operador entre el número y el nombre: escriba «2.5*x»."},
        // Names of the notebook.
        {{"nota", "vc = 5"}, "vc*2",
         "Pista: la línea 2 del cuaderno define «vc », con un espacio junto al nombre: quite los espacios de los "
         "lados de «=»."},
        {{"v1=5"}, "v1*2",
         "Pista: la línea 1 del cuaderno define «v1», pero un nombre no puede llevar cifras: «v1» se lee como «v» "
         "seguido de 1. Cambie el nombre por uno sin cifras."},
        {{"r=2"}, "pi*r^2", "(calculated)"},
        // Functions of the notebook one edit away, before the catalogue's.
        {{"atr(b;h)=b*h/2"}, "art(3;4)", "Pista: ¿quiso decir «atr(b;h)»?"},
        {{"cso(x)=x+1"}, "2*csoo(1)", "Pista: ¿quiso decir «cso(x)»?"},
        {{"v(t)=a+1"}, "vv(1)", ""}, // a text definition, not a function
        // Arguments split by "," instead of ";".
        {{"atr(b;h)=b*h/2"}, "atr(3,4)", "Pista: los argumentos de una función se separan con «;»: escriba «atr(3;4)» en lugar de «atr(3,4)»."},
        {{"atr(b;h)=b*h/2"}, "atr(3, 4)", "Pista: los argumentos de una función se separan con «;»: escriba «atr(3; 4)» en lugar de «atr(3, 4)»."},
        {{"v(a;b;c)=a+b+c"}, "1+v (1,2, sqrt(4))", "Pista: los argumentos de una función se separan con «;»: escriba «v (1;2; sqrt(4))» en lugar de «v (1,2, sqrt(4))»."},
        {{"f(x)=x"}, "f(3,5)", "Pista: el separador decimal es el punto: escriba «3.5» en lugar de «3,5»."},
        // A body that does not parse: the hint the box gives for it.
        {{"f(x)=sen(x)+1"}, "f(1)", "Pista: ¿quiso decir «sin»?"},
        {{"g(t)=t+1", "f(x)=2x+g(x)"}, "3*f(2)", "Pista: falta un operador entre el número y el nombre: escriba «2*x»."},
        {{"h(x)=x*2,5", "f(x)=h(x)"}, "f(1)", "Pista: el separador decimal es el punto: escriba «2.5» en lugar de «2,5»."},
        {{}, "1/0", ""},
        {{}, "sqrt(-4)", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Hint(c.notebook, c.expression), c.hint) << c.expression;
}

TEST(Hints, EveryWordOfTheLanguageHasADescription)
{
    const auto& words = calc::Vocabulary();
    // 40 functions and word operators, pi, 17 of the third group, e and the
    // five calls that bind a name, the 13 statistics of lists.
    ASSERT_EQ(words.size(), 77u);
    EXPECT_EQ(words.front().Name, "max");
    EXPECT_EQ(words.back().Name, "e");
    for (const calc::TWord& w : words) EXPECT_FALSE(w.Description.empty()) << w.Name;
    // The third group comes after the basic words in the completion.
    const auto comb = std::find_if(words.begin(), words.end(), [](const calc::TWord& w) { return w.Name == "comb"; });
    ASSERT_NE(comb, words.end());
    EXPECT_FALSE(comb->Basic);
    EXPECT_EQ(comb->Description, "combinaciones (nCr): comb(n;k)");
    const auto integral = std::find_if(words.begin(), words.end(), [](const calc::TWord& w) { return w.Name == "integral"; });
    ASSERT_NE(integral, words.end());
    EXPECT_TRUE(integral->Call);
    EXPECT_EQ(integral->Description, "integral definida: integral(expr; x; a; b)");
}

} // namespace
