#include "engine/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <random>
#include <gtest/gtest.h>
#include <limits>

namespace {

struct FormatCase {
    long double value;
    int digits;
    const char* text;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.text; }

class GeneralFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(GeneralFormat, Writes)
{
    EXPECT_EQ(FormatGeneral(GetParam().value, GetParam().digits), GetParam().text);
}

constexpr long double kInf = std::numeric_limits<long double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Format, GeneralFormat,
    ::testing::Values(FormatCase{1.0L / 3, 9, "0.333333333"}, FormatCase{2.0L / 3, 9, "0.666666667"},
                      FormatCase{123456789, 9, "123456789"}, FormatCase{1234567891, 9, "1.23456789E9"},
                      FormatCase{1e-5L, 9, "1E-5"}, FormatCase{1e20L, 9, "1E20"}, FormatCase{-0.5L, 9, "-0.5"},
                      FormatCase{1.0L / 3, 15, "0.333333333333333"}, FormatCase{1e20L, 15, "1E20"},
                      FormatCase{1.5e-5L, 15, "1.5E-5"}, FormatCase{0.0001L, 9, "0.0001"},
                      FormatCase{0.00012345L, 9, "0.00012345"}, FormatCase{0, 9, "0"}, FormatCase{-0.0L, 9, "0"},
                      FormatCase{kInf, 9, "INF"}, FormatCase{-kInf, 9, "-INF"},
                      FormatCase{std::numeric_limits<long double>::quiet_NaN(), 9, "NAN"},
                      // Exponent e of 0.d1d2... x 10^e up to P stays fixed.
                      FormatCase{100, 2, "1E2"}, FormatCase{10, 2, "10"}, FormatCase{999, 2, "1E3"}, FormatCase{995, 2, "1E3"},
                      FormatCase{12345, 5, "12345"}, FormatCase{123456, 5, "1.2346E5"},
                      FormatCase{9.9999999999L, 9, "10"}, FormatCase{2.5L, 9, "2.5"}, FormatCase{-1234.5L, 9, "-1234.5"},
                      FormatCase{1e100L, 9, "1E100"}, FormatCase{-2.5e-300L, 9, "-2.5E-300"},
                      // P is limited to 2..18.
                      FormatCase{1.0L / 3, 1, "0.33"}, FormatCase{1.0L / 3, 40, "0.333333333333333333"},
                      FormatCase{3.14159265358979323846L, 18, "3.14159265358979324"}));

} // namespace

namespace {

TEST(Format, HalfWayValuesRoundAwayFromZero)
{
    EXPECT_EQ(FormatGeneral(12.5L, 2), "13");
    EXPECT_EQ(FormatGeneral(-12.5L, 2), "-13");
    EXPECT_EQ(FormatGeneral(0.125L, 2), "0.13");
    EXPECT_EQ(FormatGeneral(1.25L, 2), "1.3");
    EXPECT_EQ(FormatGeneral(2.5L, 2), "2.5");
    EXPECT_EQ(FormatGeneral(125, 2), "1.3E2");
    EXPECT_EQ(FormatGeneral(9.5L, 2), "9.5");
    EXPECT_EQ(FormatGeneral(99.5L, 2), "1E2");
    // Just below half-way stays below.
    EXPECT_EQ(FormatGeneral(std::nextafter(12.5L, 0.0L), 2), "12");
    EXPECT_EQ(FormatGeneral(0.15L, 1), "0.15"); // 0.15 is not exact; P is at least 2
}

TEST(Format, WholeNumbersUpToPDigits)
{
    EXPECT_EQ(FormatGeneral(123456789012345678.0L, 18), "123456789012345678");
    EXPECT_EQ(FormatGeneral(1234567890123456789.0L, 18), "1.23456789012345679E18");
    EXPECT_EQ(FormatGeneral(999999999.0L, 9), "999999999");
    EXPECT_EQ(FormatGeneral(9999999999.0L, 9), "1E10");
    EXPECT_EQ(FormatGeneral(-7, 9), "-7");
}

} // namespace

namespace {

// The digits of a value rounded half away from zero, worked out from 70
// correctly rounded digits (enough to tell an exact half-way case).
std::string ReferenceDigits(long double magnitude, int digits, int& exponent10)
{
    char buf[128];
    const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 69);
    std::string all;
    const char* p = buf;
    for (; p != res.ptr && *p != 'e'; ++p)
        if (*p != '.') all.push_back(*p);
    exponent10 = std::atoi(p + 1);
    std::string kept = all.substr(0, static_cast<std::size_t>(digits));
    if (all[static_cast<std::size_t>(digits)] >= '5') {
        int k = digits - 1;
        while (k >= 0 && kept[static_cast<std::size_t>(k)] == '9') kept[static_cast<std::size_t>(k--)] = '0';
        if (k >= 0) ++kept[static_cast<std::size_t>(k)];
        else kept = "1" + kept.substr(0, kept.size() - 1), ++exponent10;
    }
    while (kept.size() > 1 && kept.back() == '0') kept.pop_back();
    return kept;
}

TEST(Format, AgreesWithLongDecimalExpansionOnRandomValues)
{
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < 60000; ++i) {
        const int p = 2 + static_cast<int>(rng() % 17);
        // Magnitudes from 1E-8 to 1E24, and values built to sit exactly half-way.
        long double v = std::pow(10.0L, static_cast<long double>(unit(rng) * 32 - 8)) * (1 + unit(rng));
        if (i % 5 == 0) v = std::ldexp(static_cast<long double>(rng() | 1), -static_cast<int>(rng() % 70));
        int e10;
        const std::string ref = ReferenceDigits(v, p, e10);
        const std::string got = FormatGeneral(v, p);
        // Strip the layout and compare digits and exponent.
        std::string digits;
        for (char c : got)
            if (c >= '0' && c <= '9') digits.push_back(c);
            else if (c == 'E') break;
        while (digits.size() > 1 && digits.front() == '0') digits.erase(digits.begin());
        while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
        ASSERT_EQ(digits, ref) << static_cast<double>(v) << " P=" << p << " got " << got;
        // Same value back, to the precision written.
        const long double back = std::strtold(got.c_str(), nullptr);
        ASSERT_NEAR(static_cast<double>(back / v), 1.0, 6 * std::pow(10.0, 1 - p)) << got;
        (void)e10;
    }
}

} // namespace

// The shortest text that reads back as the very value, up to the 21
// digits some extended values need; nothing for INF and NAN.
TEST(NumberFormat, RoundTripTextsReadBackExactly)
{
    const struct {
        long double value;
        const char* text;
    } cases[] = {
        {1.23456789012345L, "1.23456789012345"},
        {0.1L, "0.1"},
        {-2.5L, "-2.5"},
        {1500, "1500"},
        {0, "0"},
        {1.1e4932L, "1.1E4932"},
        {std::numeric_limits<long double>::max(), "1.189731495357231765E4932"},
        {std::numeric_limits<long double>::denorm_min(), "3.6E-4951"},
        {1.0L + std::numeric_limits<long double>::epsilon(), "1.0000000000000000001"},
        {1.0L / 3, "0.33333333333333333334"},
    };
    for (const auto& c : cases) {
        const std::string text = FormatRoundTrip(c.value);
        EXPECT_EQ(text, c.text);
        long double back = 0;
        EXPECT_TRUE(ParseDecimal(text, back) && back == c.value) << text;
    }
    EXPECT_EQ(FormatRoundTrip(std::numeric_limits<long double>::infinity()), "");
    EXPECT_EQ(FormatRoundTrip(std::numeric_limits<long double>::quiet_NaN()), "");
}
