// Every entry point runs with the platform's x87 default, whatever the host left behind.
#include <gtest/gtest.h>

#include <cmath>

#include "ImageBounds.h"
#include "X87ControlGuard.h"

#if defined(__i386__) || defined(__x86_64__)
#define MOBILANT_HAS_X87 1
#else
#define MOBILANT_HAS_X87 0
#endif

namespace {

// The state a Direct3D 9 device made without D3DCREATE_FPU_PRESERVE leaves: 24-bit precision.
constexpr std::uint16_t kSinglePrecision = (X87ControlGuard::kDefaultControlWord & ~0x0300);

void SetControlWord(std::uint16_t word) {
#if MOBILANT_HAS_X87
    __asm__ volatile("fldcw %0" : : "m"(word));
#else
    (void)word;
#endif
}

TEST(X87ControlGuard, SetsTheDefaultAndGivesTheHostItsWordBack) {
    if (!MOBILANT_HAS_X87) GTEST_SKIP() << "no x87 unit on this processor";
    const std::uint16_t before = X87ControlGuard::Read();
    SetControlWord(kSinglePrecision);
    {
        X87ControlGuard guard;
        EXPECT_EQ(X87ControlGuard::Read(), X87ControlGuard::kDefaultControlWord);
        {
            X87ControlGuard nested;  // an entry point reached from inside another
            EXPECT_EQ(X87ControlGuard::Read(), X87ControlGuard::kDefaultControlWord);
        }
        EXPECT_EQ(X87ControlGuard::Read(), X87ControlGuard::kDefaultControlWord);
    }
    EXPECT_EQ(X87ControlGuard::Read(), kSinglePrecision);
    SetControlWord(before);
}

// On the 32-bit target sin and cos come from the x87 unit: under the guard they give the bounds
// they give in a normal state.
TEST(X87ControlGuard, TurnedBoundsDoNotDependOnTheHostsPrecision) {
    const ImageBounds normal = ComputeImageBounds(240, 320, 1.3f, 0.7f, 37, 11, 13);
    const std::uint16_t before = X87ControlGuard::Read();
    SetControlWord(kSinglePrecision);
    ImageBounds guarded;
    {
        X87ControlGuard guard;
        guarded = ComputeImageBounds(240, 320, 1.3f, 0.7f, 37, 11, 13);
    }
    SetControlWord(before);
    EXPECT_EQ(guarded, normal);
}

}  // namespace
