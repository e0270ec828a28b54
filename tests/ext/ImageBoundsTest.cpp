// The host image size and hot spot after rotation and scaling, from hand-worked examples.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

#include "ImageBounds.h"

void PrintTo(const ImageBounds& b, std::ostream* os) {
    *os << "image " << b.width << " x " << b.height << ", hot spot (" << b.hotSpotX << ", "
        << b.hotSpotY << ")";
}

namespace {

struct BoundsCase {
    const char* what;
    float scaleX, scaleY, angle;
    int hotX, hotY;
    ImageBounds expected;
};

// A 240 x 320 render surface. At 45 degrees, w.c = 169.7 and h.s = 226.3: the turned corners
// are (169, -170), (395, 56), (226, 226), so the box is 395 x 396; the hot spot (0, 0) is
// (-120, -160) from the centre, which turns to (-197.99, -28.28), truncated (-197, -28), plus
// the half sizes (197, 198).
const BoundsCase kCases[] = {
    {"unturned", 1, 1, 0, 0, 0, {240, 320, 0, 0}},
    {"45 degrees", 1, 1, 45, 0, 0, {395, 396, 0, 170}},
    {"90 degrees", 1, 1, 90, 0, 0, {320, 240, 0, 240}},
    {"270 degrees", 1, 1, 270, 0, 0, {320, 240, 320, 0}},
    {"30 degrees about the centre", 1, 1, 30, 120, 160, {367, 397, 183, 198}},
    // cos and sin of 3.1415926535 as floats would make the hot spot (240, 319).
    {"180 degrees", 1, 1, 180, 0, 0, {240, 320, 240, 320}},
    {"scale 2", 2, 2, 0, 10, 20, {480, 640, 20, 40}},
    {"scale 0.5 at 90 degrees", 0.5f, 0.5f, 90, 0, 0, {160, 120, 0, 120}},
};

TEST(ImageBounds, FollowsTheTurnedAndScaledSurface) {
    for (const BoundsCase& c : kCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ComputeImageBounds(240, 320, c.scaleX, c.scaleY, c.angle, c.hotX, c.hotY),
                  c.expected);
    }
}

TEST(ImageBounds, NumbersFromTheGameNeverOverflow) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float huge = 1e30f;
    EXPECT_EQ(ComputeImageBounds(240, 320, nan, nan, 0, 10, 10), (ImageBounds{0, 0, 0, 0}));
    const ImageBounds big = ComputeImageBounds(16384, 16384, huge, huge, 45, 16384, 16384);
    EXPECT_GE(big.width, 0);
    EXPECT_GE(big.height, 0);
    const ImageBounds nanAngle = ComputeImageBounds(240, 320, 1, 1, nan, 5, 5);
    EXPECT_GE(nanAngle.width, 0);
    EXPECT_EQ(ObjectAngleRadians(180), 3.14159274f);  // the float nearest 3.1415926535
}

}  // namespace
