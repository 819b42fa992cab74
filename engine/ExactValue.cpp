#include "engine/ExactValue.h"
#include "engine/Utf8.h"

#include <boost/multiprecision/cpp_int.hpp>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace {

namespace mp = boost::multiprecision;
using TInteger = mp::cpp_int;
using TRational = mp::cpp_rational;

// kExactDigits decimal digits, in bits.
constexpr unsigned kExactBits = static_cast<unsigned>(kExactDigits * 3.3219280948873623);
// Deeper trees (and notebook functions calling each other deeper) are not followed.
constexpr int kMaxDepth = 400;

struct TGiveUp {};

void CheckSize(const TInteger& z)
{
    if (z != 0 && mp::msb(mp::abs(z)) >= kExactBits) throw TGiveUp{};
}

const TRational& Checked(const TRational& q)
{
    CheckSize(mp::numerator(q));
    CheckSize(mp::denominator(q));
    return q;
}

bool IsWhole(const TRational& q)
{
    return mp::denominator(q) == 1;
}

// The whole number q is, within `limit` in size; else give up.
long long Whole(const TRational& q, long long low, long long high)
{
    if (!IsWhole(q)) throw TGiveUp{};
    const TInteger& n = mp::numerator(q);
    if (n < low || n > high) throw TGiveUp{};
    return n.convert_to<long long>();
}

// The whole number toward 0 (div and mod read their operands so).
TInteger Truncated(const TRational& q)
{
    return mp::numerator(q) / mp::denominator(q); // cpp_int division truncates
}

TInteger Floor(const TRational& q)
{
    TInteger t = Truncated(q);
    if (q < 0 && !IsWhole(q)) t -= 1;
    return t;
}

// A decimal number as text: blanks around and parentheses around it,
// an optional sign when `signed_`, digits with an optional "." and
// fraction, an optional exponent ("5E" is 5).
TRational ReadDecimal(std::u32string_view s, bool signedText)
{
    auto trim = [&s] {
        while (!s.empty() && s.front() <= 32) s.remove_prefix(1);
        while (!s.empty() && s.back() <= 32) s.remove_suffix(1);
    };
    trim();
    while (s.size() >= 2 && s.front() == U'(' && s.back() == U')') {
        s = s.substr(1, s.size() - 2);
        trim();
    }
    bool negative = false;
    if (signedText && !s.empty() && (s.front() == U'-' || s.front() == U'+')) {
        negative = s.front() == U'-';
        s.remove_prefix(1);
    }
    TInteger mantissa = 0;
    long long scale = 0;
    std::size_t i = 0, digits = 0;
    for (; i < s.size() && s[i] >= U'0' && s[i] <= U'9'; ++i, ++digits) mantissa = mantissa * 10 + (s[i] - U'0');
    if (i < s.size() && s[i] == U'.') {
        for (++i; i < s.size() && s[i] >= U'0' && s[i] <= U'9'; ++i, ++digits, --scale)
            mantissa = mantissa * 10 + (s[i] - U'0');
    }
    if (digits == 0 || digits > static_cast<std::size_t>(kExactDigits)) throw TGiveUp{};
    if (i < s.size() && (s[i] == U'e' || s[i] == U'E')) {
        ++i;
        bool down = false;
        if (i < s.size() && (s[i] == U'+' || s[i] == U'-')) down = s[i++] == U'-';
        long long exponent = 0;
        for (; i < s.size() && s[i] >= U'0' && s[i] <= U'9'; ++i) {
            exponent = exponent * 10 + (s[i] - U'0');
            if (exponent > kExactDigits) throw TGiveUp{};
        }
        scale += down ? -exponent : exponent;
    }
    if (i != s.size() || scale > kExactDigits || scale < -kExactDigits) throw TGiveUp{};
    TInteger power = mp::pow(TInteger(10), static_cast<unsigned>(scale < 0 ? -scale : scale));
    TRational q = scale < 0 ? TRational(mantissa, power) : TRational(mantissa * power);
    return Checked(negative ? TRational(-q) : q);
}

// Whether q is the value the engine read or computed, within the rounding
// of the extended format: anything else means the tree was not read as
// the engine reads it.
bool Agrees(const TRational& q, long double value)
{
    const long double approx = q.convert_to<long double>();
    if (!std::isfinite(approx) || !std::isfinite(value)) return false;
    return std::fabs(approx - value) <= std::fabs(value) * 0x1p-58L + 0x1p-16000L;
}

std::u32string DecodeAscii(const std::string& text)
{
    std::u32string out;
    for (unsigned char c : text) out.push_back(c < 128 ? c : U'?');
    return out;
}

class TExact {
public:
    explicit TExact(const TValueTextOf& valueText) : ValueText(valueText) {}

    TRational Value(const TParseNode* n, std::u32string_view text, std::u32string_view span, int depth)
    {
        if (depth > kMaxDepth || n == nullptr) throw TGiveUp{};
        if (!n->Present) return 0; // an empty operand is 0, as the engine reads it ("2^-3" is 2^0 - 3)
        if (n->Kind == 0) return Leaf(n, span);
        if (BoundSite(n) != nullptr) throw TGiveUp{};
        if (IsCall(n)) return Call(n, text, depth);
        // The catalogue's calls are named by their calculation's entry ("comb#").
        std::string_view name = n->Op->Name;
        if (!name.empty() && name.back() == '#') name.remove_suffix(1);
        const auto left = [&] { return Value(n->Left, text, Span(text, n->LeftPos, n->LeftLen), depth + 1); };
        const auto right = [&] { return Value(n->Right, text, Span(text, n->RightPos, n->RightLen), depth + 1); };
        if (name == "+" || name == "-") {
            const TRational r = right();
            if (!n->Left->Present || n->LeftLen == 0) return name == "-" ? TRational(-r) : r; // a sign
            const TRational l = left();
            return Checked(name == "+" ? TRational(l + r) : TRational(l - r));
        }
        if (name == "*") return Checked(TRational(left() * right()));
        if (name == "/") {
            const TRational l = left(), r = right();
            if (r == 0) throw TGiveUp{};
            return Checked(TRational(l / r));
        }
        if (name == "^") return Power(left(), right());
        if (name == "abs") return mp::abs(right());
        if (name == "floor") return TRational(Floor(right()));
        if (name == "ceil") return TRational(-Floor(TRational(-right())));
        if (name == "max" || name == "min") {
            const TRational l = left(), r = right();
            return name == "max" ? (r >= l ? r : l) : (r <= l ? r : l);
        }
        if (name == "div" || name == "mod") {
            const TInteger a = Truncated(left()), b = Truncated(right());
            if (b == 0) throw TGiveUp{};
            return TRational(name == "div" ? TInteger(a / b) : TInteger(a % b));
        }
        if (name == "fact") return Falling(Whole(right(), 0, 1754), -1);
        if (name == "comb" || name == "perm") {
            const long long k = Whole(right(), 0, 1000000);
            const long long m = Whole(left(), k, 1000000);
            const TRational p = Falling(m, k);
            return name == "perm" ? p : Checked(TRational(p / Falling(k, k)));
        }
        throw TGiveUp{};
    }

    // The text of a child's span: its position (1-based) past blanks, its length.
    static std::u32string_view Span(std::u32string_view text, int32_t position, int32_t length)
    {
        std::size_t at = position > 0 ? static_cast<std::size_t>(position - 1) : 0;
        while (at < text.size() && text[at] <= 32) ++at;
        if (at >= text.size() || length <= 0) return {};
        return text.substr(at, static_cast<std::size_t>(length));
    }

private:
    TRational Leaf(const TParseNode* n, std::u32string_view span)
    {
        if (n->Variable == nullptr) {
            const TRational q = ReadDecimal(span, false);
            if (!Agrees(q, n->Value)) throw TGiveUp{};
            return q;
        }
        if (!Frames.empty()) {
            // A body sees its own parameters only.
            const auto& params = Frames.back().Function->ParameterEntries;
            for (std::size_t k = 0; k < params.size(); ++k)
                if (params[k] == n->Variable) return Frames.back().Arguments[k];
        }
        const std::string* text = ValueText ? ValueText(*n->Variable) : nullptr;
        if (text == nullptr) throw TGiveUp{};
        const std::u32string value = DecodeAscii(*text);
        const std::size_t bar = value.find(U'/');
        const TRational q = bar == std::u32string::npos
                                ? ReadDecimal(value, true)
                                : Checked(TRational(ReadDecimal(std::u32string_view(value).substr(0, bar), true) /
                                                    ReadDecimal(std::u32string_view(value).substr(bar + 1), false)));
        if (!Agrees(q, n->Variable->Value)) throw TGiveUp{};
        return q;
    }

    TRational Call(const TParseNode* call, std::u32string_view text, int depth)
    {
        const TFunctionDefinition* f = call->Op->Function;
        if (f->Body == nullptr || !f->Error.empty()) throw TGiveUp{};
        // The arguments, last first, down the chain of separators.
        std::vector<TRational> args;
        const TParseNode* list = call->Right;
        std::u32string_view listSpan = Span(text, call->RightPos, call->RightLen);
        while (list != nullptr && list->Present && list->Kind == 1 && list->Op->Name == ";") {
            args.push_back(Value(list->Right, text, Span(text, list->RightPos, list->RightLen), depth + 1));
            listSpan = Span(text, list->LeftPos, list->LeftLen);
            list = list->Left;
        }
        args.push_back(Value(list, text, listSpan, depth + 1));
        std::reverse(args.begin(), args.end());
        if (args.size() != f->ParameterEntries.size()) throw TGiveUp{};
        auto body = Bodies.find(f);
        if (body == Bodies.end()) body = Bodies.emplace(f, utf8::Decode(f->BodyText)).first;
        Frames.push_back({f, std::move(args)});
        const TRational value = Value(f->Body, body->second, body->second, depth + 1);
        Frames.pop_back();
        return value;
    }

    // b^e for a whole e, within the size bound.
    static TRational Power(const TRational& b, const TRational& e)
    {
        if (!IsWhole(e)) throw TGiveUp{};
        const TInteger& n = mp::numerator(e);
        if (n == 0) return 1;
        if (b == 0) {
            if (n < 0) throw TGiveUp{};
            return 0;
        }
        // Sizes multiply by |e|: too large is known before it is computed.
        const unsigned bits = std::max(mp::msb(mp::abs(mp::numerator(b))) + 1, mp::msb(mp::denominator(b)) + 1);
        if (mp::abs(n) > kExactBits || (bits > 1 && mp::abs(n) * (bits - 1) > kExactBits)) throw TGiveUp{};
        const unsigned k = mp::abs(n).convert_to<unsigned>();
        TRational p(mp::pow(mp::numerator(b), k), mp::pow(mp::denominator(b), k));
        if (n < 0) p = 1 / p;
        return Checked(p);
    }

    // m (m-1) ... (m-k+1); with k < 0, m!.
    static TRational Falling(long long m, long long k)
    {
        if (k < 0) k = m;
        TInteger p = 1;
        for (long long j = 0; j < k; ++j) {
            p *= m - j;
            CheckSize(p);
        }
        return TRational(p);
    }

    struct TFrame {
        const TFunctionDefinition* Function;
        std::vector<TRational> Arguments;
    };
    const TValueTextOf& ValueText;
    std::vector<TFrame> Frames;
    std::unordered_map<const TFunctionDefinition*, std::u32string> Bodies;
};

} // namespace

std::string TFraction::Text() const
{
    return (Negative ? "-" : "") + Numerator + (Denominator == "1" ? "" : "/" + Denominator);
}

std::string TFraction::Mixed() const
{
    if (Whole == "0") return Text();
    return (Negative ? "-" : "") + Whole + " " + Remainder + "/" + Denominator;
}

namespace {

TFraction FractionOf(const TRational& q)
{
    const TInteger& d = mp::denominator(q);
    const TInteger n = mp::abs(mp::numerator(q));
    TFraction f;
    f.Negative = q < 0;
    f.Numerator = n.str();
    f.Denominator = d.str();
    f.Whole = TInteger(n / d).str();
    f.Remainder = TInteger(n % d).str();
    return f;
}

// The exact value, when it can be followed and agrees with `extended`
// within `tolerance` (relative).
std::optional<TRational> Exact(const TParseNode* root, std::u32string_view text, const TValueTextOf& valueText,
                               long double extended, long double tolerance, long double near = 0)
{
    try {
        TExact exact(valueText);
        const TRational q = exact.Value(root, text, text, 0);
        if (std::fabs(q.convert_to<long double>() - extended) > std::max(std::fabs(extended) * tolerance, near))
            return std::nullopt;
        return q;
    } catch (const TGiveUp&) {
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<TFraction> ExactFraction(const TParseNode* root, std::u32string_view text, const TValueTextOf& valueText,
                                       long double extended)
{
    // The extended value may have lost digits to cancellation; a value far
    // from the exact one means the tree was read otherwise.
    const std::optional<TRational> q = Exact(root, text, valueText, extended, 0x1p-30L);
    if (!q || IsWhole(*q) || mp::denominator(*q).str().size() > static_cast<std::size_t>(kFractionDenominatorDigits))
        return std::nullopt;
    return FractionOf(*q);
}

std::optional<TFraction> ExactRational(const TParseNode* root, std::u32string_view text, const TValueTextOf& valueText,
                                       long double extended, long double near)
{
    const std::optional<TRational> q = Exact(root, text, valueText, extended, 0x1p-58L, near);
    if (!q) return std::nullopt;
    return FractionOf(*q);
}
