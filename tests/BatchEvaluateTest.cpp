// The batch evaluator against SetConstant + TryEvaluate sample by sample,
// and both against a plain recursive evaluation of the tree, on generated
// functions over the whole catalogue: the same values to the last bit,
// exactly the same failing samples and the same errors.
#include "TestSupport.h"
#include "engine/ErrorCodes.h"
#include "engine/Expression.h"

#include <cfenv>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <limits>
#include <random>
#include <set>

namespace {

const char* const kPrefix[] = {"sin", "cos", "tan", "sqrt", "ln", "arccos", "arcsin", "arctan", "sinh", "cosh",
                               "tanh", "abs", "floor", "ceil", "exp", "arccosh", "arccot", "arccoth", "arccsc",
                               "arccsch", "arcsec", "arcsech", "arcsinh", "arctanh", "cot", "cotan", "coth", "csc",
                               "csch", "sec", "sech", "DegToRad", "RadToDeg", "GradToCycle"};
const char* const kInfix[] = {"+", "-", "*", "/", "^", " log ", " div ", " mod ", " max ", " min ", " arctan2 ",
                              " hypot ", " nsqrt "};
const char* const kLeaves[] = {"x", "x", "x", "pi", "2", "0.5", "3", "0", "1E300", "1E-300", "1E4000", "7", "11357"};

std::string Generate(std::mt19937& rng, int depth)
{
    auto pick = [&rng](auto& table) {
        return std::string(table[std::uniform_int_distribution<std::size_t>(0, std::size(table) - 1)(rng)]);
    };
    const int kind = depth <= 0 ? 0 : std::uniform_int_distribution<int>(0, 5)(rng);
    if (kind == 0) return pick(kLeaves);
    if (kind <= 2) return pick(kPrefix) + "(" + Generate(rng, depth - 1) + ")";
    if (kind == 3) return Generate(rng, depth - 1) + "!";
    return "(" + Generate(rng, depth - 1) + ")" + pick(kInfix) + "(" + Generate(rng, depth - 1) + ")";
}

std::vector<long double> Samples()
{
    std::vector<long double> xs;
    for (int i = -2000; i <= 2000; ++i) xs.push_back(static_cast<long double>(i) / 100);
    for (long double v : {1E4000L, -1E4000L, 1E-4000L, 0.0L, 11356.5L, -11357.0L, 1E19L, 2147483648.0L})
        xs.push_back(v);
    return xs;
}

// The evaluation as documented, written plainly: a node evaluates its left
// child, then its right child, then calls its entry's computation with the
// sides present; a fault raised inside the computation, or a code it
// reports, stops everything.
struct Reference {
    uint8_t Code = 0;
    int32_t Position = 0, Length = 0;
    std::string Message;

    bool Evaluate(const TParseNode* n, long double& v)
    {
        if (n->Kind == 0) {
            v = n->Variable != nullptr ? n->Variable->Value : n->Value;
            return true;
        }
        long double l, r;
        if (!Evaluate(n->Left, l) || !Evaluate(n->Right, r)) return false;
        uint8_t code = 0, blame = 0;
        std::string message;
        const uint8_t sides = static_cast<uint8_t>((n->Left->Present ? 1 : 0) | (n->Right->Present ? 2 : 0));
        std::feclearexcept(FE_ALL_EXCEPT);
        v = n->Op->Func(l, r, sides, code, message, blame);
        const int flags = std::fetestexcept(FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID);
        if (flags != 0) {
            Code = 8;
            Message = (flags & FE_OVERFLOW)    ? "Floating point overflow"
                      : (flags & FE_DIVBYZERO) ? "Floating point division by zero"
                                               : "Invalid floating point operation";
            Position = n->OpPos;
            Length = n->Op->NameLength;
            return false;
        }
        if (code == 0) return true;
        static const char* const kDefaults[] = {"", "", "Argumento invalido", "Falta argumento", "", "", "",
                                                "División por cero"};
        Code = code;
        Message = !message.empty() ? message : code < 8 ? kDefaults[code] : "";
        Position = (blame & 2) ? n->RightPos : (blame & 1) ? n->LeftPos : n->OpPos;
        Length = (blame & 2) ? n->RightLen : (blame & 1) ? n->LeftLen : n->Op->NameLength;
        return false;
    }
};

// Compares the batch with single evaluations of `tree`, and those with the
// reference; returns how many samples failed.
std::size_t CompareTree(TMathParser& parser, const TExpression& tree, const std::string& text, const std::vector<long double>& xs)
{
    std::vector<long double> batch(xs.size(), -7), single(xs.size());
    std::unique_ptr<bool[]> batchOk(new bool[xs.size()]), singleOk(new bool[xs.size()]);
    tree.EvaluateBatch("x", xs.data(), xs.size(), batch.data(), batchOk.get());
    std::size_t failures = 0;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        parser.SetConstant("x", xs[i]);
        singleOk[i] = tree.TryEvaluate(single[i]);
        failures += !singleOk[i];
        EXPECT_EQ(batchOk[i], singleOk[i]) << text << " at x = " << static_cast<double>(xs[i]);
        // The ten significant bytes of the extended value.
        EXPECT_EQ(std::memcmp(&batch[i], &single[i], 10), 0)
            << text << " at x = " << static_cast<double>(xs[i]) << ": " << FormatGeneral(batch[i], 18) << " vs "
            << FormatGeneral(single[i], 18);
        Reference reference;
        long double expected = 0;
        const bool expectedOk = reference.Evaluate(tree.Tree(), expected);
        EXPECT_EQ(singleOk[i], expectedOk) << text << " at x = " << static_cast<double>(xs[i]);
        if (expectedOk && singleOk[i]) {
            EXPECT_EQ(std::memcmp(&expected, &single[i], 10), 0) << text << " at x = " << static_cast<double>(xs[i]);
        } else if (!expectedOk && !singleOk[i]) {
            EXPECT_EQ(parser.ErrorCode(), reference.Code) << text << " at x = " << static_cast<double>(xs[i]);
            EXPECT_EQ(parser.ErrorPosition(), reference.Position) << text;
            EXPECT_EQ(parser.ErrorLength(), reference.Length) << text;
            EXPECT_EQ(parser.ErrorMessage(), reference.Message) << text;
        }
    }
    return failures;
}

std::size_t ExpectSameAsSingle(TMathParser& parser, const std::string& text, const std::vector<long double>& xs)
{
    try {
        const TExpression tree(parser, text);
        return CompareTree(parser, tree, text, xs);
    } catch (const EMathParserException&) {
        return 0;
    }
}

TMathParser& PlotEngine()
{
    static TMathParser* parser = [] {
        auto* p = new TMathParser;
        p->RegisterFunctions();
        p->RegisterAngleConversions();
        p->DefineVariable("x", 0);
        return p;
    }();
    return *parser;
}

TEST(BatchEvaluate, GeneratedFunctionsGiveTheSingleEvaluationsInBothAngleUnits)
{
    const std::vector<long double> xs = Samples();
    std::mt19937 rng(20261208);
    std::size_t texts = 0, failing = 0;
    for (bool degrees : {true, false}) {
        testsupport::AngleUnit unit(degrees);
        for (int k = 0; k < 400; ++k) {
            const std::string text = Generate(rng, 1 + k % 4);
            failing += ExpectSameAsSingle(PlotEngine(), text, xs) > 0;
            ++texts;
            if (::testing::Test::HasFailure()) return;
        }
    }
    // The generated set must exercise failures as well as successes.
    EXPECT_GT(failing, texts / 10);
    EXPECT_LT(failing, texts);
}

TEST(BatchEvaluate, FixedCasesWithFaultsDomainsAndMissingOperands)
{
    testsupport::AngleUnit unit(false);
    const std::vector<long double> xs = Samples();
    const char* cases[] = {
        "x^2*3 + x/7 - 1", "1/x", "sqrt(4 - x^2)", "sqrt x", "ln x", "exp(x*1000)", "x^x", "(0-x)^(1/3)",
        "x div 0", "x mod 3", "tan x", "cot x", "arcsec x", "arctanh x", "x!", "2^", "^x", "-x", "sin", "x",
        "pi", "", "x*1E4931", "x/1E-4931", "1E4000-x*1E4000", "floor(x*1E18)", "hypot(x, 1E4000)",
        "x arctan2 x", "0 nsqrt x", "x log 8", "(x*x)^0.5 - abs x"};
    for (const char* text : cases) ExpectSameAsSingle(PlotEngine(), text, xs);
}

TEST(BatchEvaluate, LeavesTheSampledValueAtTheLastSampleAndTheErrorStateAlone)
{
    TMathParser& parser = PlotEngine();
    const TExpression tree(parser, "1/x");
    const long double xs[] = {1, 0, 4};
    long double ys[3];
    bool ok[3];
    tree.EvaluateBatch("X", xs, 3, ys, ok);
    EXPECT_TRUE(ok[0] && !ok[1] && ok[2]);
    EXPECT_EQ(ys[1], 0.0L);
    EXPECT_EQ(ys[2], 0.25L);
    EXPECT_EQ(parser.ErrorCode(), error_code::kNone);
    EXPECT_EQ(parser.Variable(parser.FindVariable("x")).Value, 4.0L);
    EXPECT_THROW(tree.EvaluateBatch("y", xs, 3, ys, ok), std::runtime_error);
}

TEST(BatchEvaluate, NamedValuesAreReadAtEveryCallAndNaNsPassAsInSingleEvaluations)
{
    TMathParser parser;
    parser.DefineVariable("x", 0);
    parser.DefineVariable("k", 2);
    const std::vector<long double> xs = {std::numeric_limits<long double>::quiet_NaN(), -1, 0, 0.5L, 2, 3};
    for (const char* text : {"x^k + 1", "(x + 0.1)*k - k/3", "ln(x) + k", "ln(abs x)*k"}) {
        // One tree, evaluated again after the named value changed.
        const TExpression tree(parser, text);
        for (long double k : {2.0L, 3.0L, 0.1L}) {
            parser.SetConstant("k", k);
            CompareTree(parser, tree, text, xs);
        }
    }
}

TEST(BatchEvaluate, RandomDrawsFromItsValueSetForEverySample)
{
    TMathParser& parser = PlotEngine();
    const TExpression tree(parser, "random + x*0");
    std::vector<long double> xs(1000, 1), ys(1000);
    std::unique_ptr<bool[]> ok(new bool[1000]);
    tree.EvaluateBatch("x", xs.data(), xs.size(), ys.data(), ok.get());
    std::set<long double> seen;
    for (std::size_t i = 0; i < ys.size(); ++i) {
        ASSERT_TRUE(ok[i]);
        const long double k = ys[i] * 1000 - 1;
        EXPECT_TRUE(k >= -0.01 && k <= 999.01 && std::fabs(k - std::round(k)) < 1E-9);
        seen.insert(ys[i]);
    }
    EXPECT_GT(seen.size(), 400u); // drawn anew for each sample
}

} // namespace
