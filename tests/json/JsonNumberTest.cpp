#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "JsonParse.h"
#include "JsonReferenceNumber.h"

using namespace MobilantModule;

namespace {

std::uint64_t bitsOf(double number) {
    return std::bit_cast<std::uint64_t>(number);
}

double convert(const char* text, std::size_t expectedLength) {
    const char* end = nullptr;
    const double number = jsonConvertNumber(text, &end);
    EXPECT_EQ(end - text, static_cast<std::ptrdiff_t>(expectedLength)) << text;
    return number;
}

// The conversion's own rounding, worked by hand: fraction digits add digit * 0.1^k with the
// factor rounded at each step, so 0.3 is 3 * 0.1, which is not the double nearest to 0.3.
TEST(JsonNumber, RoundsDigitByDigit) {
    EXPECT_EQ(bitsOf(convert("0.3", 3)), bitsOf(3 * 0.1));
    EXPECT_NE(bitsOf(convert("0.3", 3)), bitsOf(0.3));
    EXPECT_EQ(bitsOf(convert("0.12", 4)), bitsOf(0.1 + 2 * (0.1 * 0.1)));
    EXPECT_EQ(bitsOf(convert("12.5", 4)), bitsOf(12.5));
    EXPECT_EQ(bitsOf(convert("2e3", 3)), bitsOf(2 * (10.0 * 100.0 * 1.0)));  // 3 = 0b11
    EXPECT_EQ(bitsOf(convert("5E-2", 4)), bitsOf(5 * (0.1 * 0.1)));
    EXPECT_EQ(bitsOf(convert("1e+2x", 4)), bitsOf(100.0));
}

TEST(JsonNumber, LooseForms) {
    EXPECT_EQ(convert("01", 2), 1.0);
    EXPECT_EQ(convert("1.", 2), 1.0);
    EXPECT_EQ(convert("1e", 2), 1.0);
    EXPECT_EQ(convert("-.5", 3), -0.5);
    EXPECT_EQ(convert("+7", 2), 7.0);
    EXPECT_TRUE(std::signbit(convert("-0", 2)));
    EXPECT_TRUE(std::signbit(convert("-.", 2)));
}

TEST(JsonNumber, NoRangeCheck) {
    EXPECT_EQ(convert("1e999", 5), INFINITY);
    EXPECT_EQ(convert("-1e999", 6), -INFINITY);
    EXPECT_TRUE(std::isnan(convert("0e999", 5)));
    EXPECT_EQ(convert("1e-999", 6), 0.0);
    EXPECT_EQ(convert("1e99999999999999999999", 22), INFINITY);  // no integer overflow
    EXPECT_EQ(convert(std::string(400, '9').c_str(), 400), INFINITY);
}

// The conversion's tables and integer shortcut must not change a single bit against the plain
// digit-by-digit loop, over inputs that stress each part of it.
TEST(JsonNumber, MatchesPlainConversionBitForBit) {
    std::mt19937_64 random(20240611);
    const auto below = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    const auto digits = [&](unsigned count) {
        std::string text;
        for (unsigned i = 0; i < count; ++i)
            text += static_cast<char>('0' + below(10));
        return text;
    };
    std::vector<std::string> inputs = {
        "9007199254740993",
        "123456789012345678901234567890",
        "999999999999999.5",
        "0." + std::string(330, '0') + "1",
        "0." + std::string(400, '9'),
        "1e308",
        "1.8e308",
        "4.9e-324",
        "2.5e-324",
        "1e511",
        "1e512",
        "1e-511",
        "1e-512",
        "0e999",
        "-0e999",
    };
    for (int i = 0; i < 300000; ++i) {
        std::string text = below(4) == 0 ? "-" : "";
        const unsigned shape = below(8);
        text += digits(shape == 0 ? 16 + below(30) : below(8));  // big integers beyond 2^53
        if (below(4) != 0) {
            text += '.';
            text += digits(shape == 1 ? 300 + below(60) : below(20));  // long fractions
        }
        if (below(3) == 0) {
            text += below(2) ? 'e' : 'E';
            text += "+-"[below(2)];
            text += digits(shape == 2 ? 3 + below(20) : 1 + below(3));  // big exponents
        }
        inputs.push_back(text + ",");
    }
    for (const std::string& text : inputs) {
        const char* fastEnd = nullptr;
        const char* plainEnd = nullptr;
        const double fast = jsonConvertNumber(text.c_str(), &fastEnd);
        const double plain = referenceJsonNumber(text.c_str(), &plainEnd);
        ASSERT_EQ(bitsOf(fast), bitsOf(plain)) << text;
        ASSERT_EQ(fastEnd, plainEnd) << text;
    }
}

}  // namespace
