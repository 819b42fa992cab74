// Reads generated decimal texts with ParseDecimal and prints each with the
// bits of its 80-bit value, so that two systems' readings can be compared
// line by line (scripts/test-windows.sh builds it for Linux and Windows):
//   decimal_dump COUNT [LOCALE]
// LOCALE, when given, is set first (one whose decimal mark is a comma shows
// that the reading does not depend on it).
// The texts come from a fixed-seed generator and integer operations only,
// the same on every system: 1 to 60 significant digits with a point
// anywhere, exponents across the whole range, subnormals and overflows,
// and texts at a hair's breadth from halfway between two values.
#include "engine/NumberFormat.h"

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

std::string Digits(std::mt19937_64& random, unsigned count)
{
    std::string out;
    for (unsigned i = 0; i < count; ++i) out.push_back(static_cast<char>('0' + random() % 10));
    if (out[0] == '0') out[0] = static_cast<char>('1' + random() % 9);
    return out;
}

std::string Text(std::mt19937_64& random)
{
    const unsigned kind = random() % 8;
    std::string mantissa;
    if (kind == 0) {
        // A short stretch, then nines or zeros, then a last digit: near halfway.
        mantissa = Digits(random, 1 + random() % 18) + std::string(5 + random() % 30, random() % 2 ? '9' : '0') +
                   static_cast<char>('0' + random() % 10);
    } else {
        mantissa = Digits(random, 1 + random() % (kind < 4 ? 21 : 60));
    }
    const std::size_t point = random() % (mantissa.size() + 1);
    std::string text = mantissa.substr(0, point) + "." + mantissa.substr(point);
    if (text.back() == '.') text.pop_back();
    if (text[0] == '.') text.insert(text.begin(), '0');
    const unsigned range = kind == 7 ? 4960 : kind >= 5 ? 400 : 40;
    const long exponent = static_cast<long>(random() % (2 * range + 1)) - static_cast<long>(range);
    if (random() % 4 != 0) text += "e" + std::to_string(exponent);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    const long count = argc > 1 ? std::atol(argv[1]) : 100000;
    if (argc > 2 && std::setlocale(LC_ALL, argv[2]) == nullptr) {
        std::fprintf(stderr, "no locale %s\n", argv[2]);
        return 2;
    }
    std::mt19937_64 random(20260930);
    const char* fixed[] = {"0", "1", "0.1", "1e4932", "1.18973149535723176502e4932", "1.18973149535723176509e4932",
                           "3.6451995318824746025e-4951", "1.8225997659412373012e-4951", "1e-4952", "1e-5000",
                           "0.000000000000000000000000000000000000001", "123456789012345678901234567890e-30"};
    for (const char* text : fixed) {
        long double v = 0;
        const bool ok = ParseDecimal(text, v);
        unsigned char bytes[10];
        std::memcpy(bytes, &v, 10);
        std::printf("%s %d ", text, ok);
        for (int b = 9; b >= 0; --b) std::printf("%02x", bytes[b]);
        std::printf("\n");
    }
    for (long i = 0; i < count; ++i) {
        const std::string text = Text(random);
        long double v = 0;
        const bool ok = ParseDecimal(text, v);
        unsigned char bytes[10];
        std::memcpy(bytes, &v, 10);
        std::printf("%s %d ", text.c_str(), ok);
        for (int b = 9; b >= 0; --b) std::printf("%02x", bytes[b]);
        std::printf("\n");
    }
    return 0;
}
