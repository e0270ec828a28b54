// Frame points to render-surface pixels and back, along the host's rotated, scaled blit.
#include <gtest/gtest.h>

#include <cmath>

#include "FramePlacement.h"

namespace {

TEST(FramePlacement, UnturnedUnscaledIsAShift) {
    const FramePlacement at{100, 50, 0, 1, 1, 0, 0};
    SurfacePoint p;
    ASSERT_TRUE(FrameToSurface(at, 110, 60, p));
    EXPECT_FLOAT_EQ(p.x, 10);
    EXPECT_FLOAT_EQ(p.y, 10);
    EXPECT_EQ(SurfaceToFrame(at, 10, 10), (FrameCorner{110, 60}));
}

// Counter-clockwise on screen (y down): at 90 degrees the surface's x axis points up the frame,
// so the frame point 10 pixels above the hot spot shows the surface pixel 10 to its right.
TEST(FramePlacement, PositiveAnglesTurnCounterClockwise) {
    const FramePlacement at{200, 200, 90, 1, 1, 20, 30};
    SurfacePoint p;
    ASSERT_TRUE(FrameToSurface(at, 200, 190, p));
    EXPECT_NEAR(p.x, 30, 1e-4);
    EXPECT_NEAR(p.y, 30, 1e-4);
    ASSERT_TRUE(FrameToSurface(at, 210, 200, p));  // right in the frame is down the surface
    EXPECT_NEAR(p.x, 20, 1e-4);
    EXPECT_NEAR(p.y, 40, 1e-4);
}

TEST(FramePlacement, ScaleDividesOnTheWayIn) {
    const FramePlacement at{0, 0, 0, 2, 0.5f, 4, 8};
    SurfacePoint p;
    ASSERT_TRUE(FrameToSurface(at, 10, 10, p));
    EXPECT_FLOAT_EQ(p.x, 4 + 5);
    EXPECT_FLOAT_EQ(p.y, 8 + 20);
    EXPECT_FALSE(FrameToSurface(FramePlacement{0, 0, 0, 0, 1, 0, 0}, 1, 1, p));
    EXPECT_FALSE(FrameToSurface(FramePlacement{0, 0, 0, INFINITY, 1, 0, 0}, 1, 1, p));
}

// Surface to frame is the inverse: a surface point mapped out and back in lands where it was.
TEST(FramePlacement, SurfaceToFrameInvertsFrameToSurface) {
    for (const float angle : {0.0f, 30.0f, 45.0f, 90.0f, 180.0f, 270.0f, 359.0f}) {
        const FramePlacement at{320, 240, angle, 1.5f, 0.75f, 120, 160};
        const FrameCorner f = SurfaceToFrame(at, 50, 70);
        SurfacePoint back;
        ASSERT_TRUE(FrameToSurface(at, static_cast<float>(f.x), static_cast<float>(f.y), back));
        // The frame point was truncated to whole pixels: back within one pixel, over the scale.
        EXPECT_NEAR(back.x, 50, 1.5f / 0.75f) << angle;
        EXPECT_NEAR(back.y, 70, 1.5f / 0.75f) << angle;
    }
}

TEST(FramePlacement, BoxCornersComeInTheirOrder) {
    const FramePlacement at{100, 100, 0, 2, 2, 10, 10};
    const auto corners = BoxCornersInFrame(at, 10, 30, 20, 50);
    EXPECT_EQ(corners[0], (FrameCorner{100, 120}));  // (left, top)
    EXPECT_EQ(corners[1], (FrameCorner{140, 120}));  // (right, top)
    EXPECT_EQ(corners[2], (FrameCorner{100, 180}));  // (left, bottom)
    EXPECT_EQ(corners[3], (FrameCorner{140, 180}));  // (right, bottom)
}

TEST(FramePlacement, OnlyPointsTheBlitSamplesAreOnTheSurface) {
    EXPECT_TRUE(OnRenderSurface({0, 0}, 4, 3));
    EXPECT_TRUE(OnRenderSurface({-0.5f, 2.49f}, 4, 3));
    EXPECT_FALSE(OnRenderSurface({-0.51f, 1}, 4, 3));
    EXPECT_FALSE(OnRenderSurface({3.5f, 1}, 4, 3));
    EXPECT_FALSE(OnRenderSurface({1, 2.5f}, 4, 3));
    EXPECT_FALSE(OnRenderSurface({NAN, 1}, 4, 3));
}

}  // namespace
