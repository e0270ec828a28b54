#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "Direct3DFpuMode.h"

namespace {

std::uint64_t bitsOf(double number) {
    return std::bit_cast<std::uint64_t>(number);
}

// Operands the compiler cannot fold, so the arithmetic happens at run time in whatever unit
// the build chose; the expected values are folded at compile time, in exact IEEE doubles.
volatile double one = 1.0, two = 2.0, three = 3.0, tenth = 0.1, fifth = 0.2;
volatile double big = 1e16;
volatile float floatThird = 1.0f / 3.0f;
volatile std::int32_t largeInteger = 123456789;

}  // namespace

// The harness itself: the mode really rounds x87 arithmetic to 24 bits, and leaves again.
TEST(Direct3DFpuMode, RoundsX87ArithmeticToSinglePrecision) {
    if (!MOBILANT_HAS_X87) GTEST_SKIP() << "no x87 unit on this processor";
    const std::uint16_t before = Direct3DFpuMode::controlWord();
    {
        Direct3DFpuMode mode;
        EXPECT_EQ(Direct3DFpuMode::controlWord() & Direct3DFpuMode::precisionMask, 0);
#if MOBILANT_HAS_X87
        long double quotient = 1.0L;
        const double divisor = 3.0;
        __asm__ volatile("fdivl %1" : "+t"(quotient) : "m"(divisor));  // x87 whatever -mfpmath
        EXPECT_EQ(quotient, static_cast<long double>(1.0f / 3.0f));
#endif
    }
    EXPECT_EQ(Direct3DFpuMode::controlWord(), before);
}

// Doubles stay doubles in the state the host's Direct3D device leaves the x87 unit in: the
// 32-bit Windows build does its floating-point arithmetic in SSE registers.
TEST(Direct3DFpuMode, DoubleArithmeticStaysExact) {
    Direct3DFpuMode mode;
    EXPECT_EQ(bitsOf(one / three), bitsOf(1.0 / 3.0));
    EXPECT_EQ(bitsOf(tenth + fifth), bitsOf(0.1 + 0.2));
    EXPECT_EQ(bitsOf(tenth * three), bitsOf(0.1 * 3.0));
    EXPECT_EQ(bitsOf(std::sqrt(two)), 0x3FF6A09E667F3BCDu);  // the double nearest to sqrt(2)
    EXPECT_EQ(big + one, 1e16);                              // 1e16 + 1 is a tie, to even
    EXPECT_EQ(bitsOf(big + two), bitsOf(1e16 + 2));
    EXPECT_EQ(bitsOf(static_cast<double>(largeInteger) * tenth), bitsOf(123456789 * 0.1));
    EXPECT_EQ(bitsOf(floatThird * three), bitsOf(static_cast<double>(1.0f / 3.0f) * 3.0));
}
