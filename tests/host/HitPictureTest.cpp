// Hits agree with the picture: the polygon test answers 1 exactly where the blit put a pixel of
// the model into the frame, and the box corners sit on the corners of the drawn model, at every
// quarter turn, at 45 degrees and at scales 0.5 and 2, also mirrored.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "ExtensionHost.h"
#include "Canvas.h"
#include "ImageFiles.h"
#include "RunData.h"
#include "AnimationSurface.h"
#include "MessageBoxes.h"

namespace {

struct Placement {
    int angle;
    double scale;
    bool mirrored = false;
};

const Placement kPlacements[] = {{0, 0.5},   {0, 2},     {45, 0.5},       {45, 2},
                                 {90, 0.5},  {90, 2},    {180, 0.5},      {180, 2},
                                 {270, 0.5}, {270, 2},   {0, 0.5, true},  {45, 2, true}};

constexpr int kX = 320, kY = 240;

// An opaque texture: every texel a triangle covers is drawn, so coverage is what is seen.
std::string OpaqueTexture() {
    const std::string path = std::string(MOBILANT_BINARY_DIR) + "/test-scratch/host/opaque.png";
    WritePng(path, std::vector<std::uint32_t>(16, 0xFFC03020), 4, 4);
    return path;
}

class HitPicture : public ::testing::TestWithParam<Placement> {
protected:
    void SetUp() override {
        SetMessageBoxDialogs(false);
        n = e.host.Create(kX, kY, 240, 320);
        e.Character(n, OpaqueTexture());
        e.Act(n, "InitAnimation", {Text("walk")});
        e.Act(n, "PlayAnimation", {Text("walk")});
        e.Act(n, "fitMatrixtoSurface", {Num(1.0)});
        e.Act(n, "SetHotSpot", {Int(120), Int(160)});
        e.Act(n, "SetRotate", {Int(GetParam().angle)});
        e.Act(n, "SetScaleXY", {Num(GetParam().scale), Num(GetParam().scale)});
        e.Act(n, "SetMirrorY", {Int(GetParam().mirrored ? 1 : 0)});
        e.host.Loop();
        frame = e.host.Frame();
    }

    bool Drawn(int x, int y) const {
        return x >= 0 && y >= 0 && x < e.host.FrameWidth() && y < e.host.FrameHeight() &&
               e.Pixel(frame, x, y) != ExtensionHost::kBackground;
    }

    ExtensionHost e;
    int n = -1;
    std::vector<std::uint32_t> frame;
};

TEST_P(HitPicture, PolygonHitsAreWhereTheModelWasDrawn) {
    int compared = 0, hits = 0;
    for (int y = 2; y < e.host.FrameHeight() - 2; y += 4) {
        for (int x = 2; x < e.host.FrameWidth() - 2; x += 4) {
            // Away from edges: the 5 x 5 pixels around agree.
            const bool drawn = Drawn(x, y);
            bool uniform = true;
            for (int dy = -2; dy <= 2 && uniform; ++dy)
                for (int dx = -2; dx <= 2 && uniform; ++dx) uniform = Drawn(x + dx, y + dy) == drawn;
            if (!uniform) continue;
            const double hit = e.Ask(n, "hitTestPolygons", {Int(x), Int(y)});
            ASSERT_EQ(hit, drawn ? 1 : 0) << "frame point (" << x << ", " << y << ")";
            ++compared;
            hits += drawn;
        }
    }
    EXPECT_GT(hits, 30);
    EXPECT_GT(compared - hits, 1000);
}

// The corners are the model's screen box (the surface's own, in render-surface pixels) where
// the host's blit puts it in the frame.
TEST_P(HitPicture, BoxCornersAreTheScreenBoxWhereTheBlitPutsIt) {
    const std::array<float, 4> box = RunDataField::Animation::Get(e.Data(n))->GetScreenBox();
    BlitSpec blit;
    blit.destX = kX, blit.destY = kY;
    blit.scaleX = blit.scaleY = static_cast<float>(GetParam().scale);
    blit.centreX = 120, blit.centreY = 160;
    blit.angle = static_cast<float>(GetParam().angle);
    const float xs[] = {box[0], box[1], box[0], box[1]};  // left, right
    const float ys[] = {box[2], box[2], box[3], box[3]};  // top, bottom
    for (int i = 0; i < 4; ++i) {
        double fx, fy;
        BlitPlace(blit, xs[i], ys[i], fx, fy);
        EXPECT_NEAR(e.Ask(n, "getBoxPoint_X", {Int(i)}), fx, 1.0) << "corner " << i;
        EXPECT_NEAR(e.Ask(n, "getBoxPoint_Y", {Int(i)}), fy, 1.0) << "corner " << i;
    }
}

std::string Name(const ::testing::TestParamInfo<Placement>& info) {
    return "angle" + std::to_string(info.param.angle) + "_scale" +
           (info.param.scale < 1 ? std::string("half") : std::to_string(int(info.param.scale))) +
           (info.param.mirrored ? "_mirrored" : "");
}

INSTANTIATE_TEST_SUITE_P(Placements, HitPicture, ::testing::ValuesIn(kPlacements), Name);

class RedBox : public HitPicture {};

// And in the picture: the box the renderer's debug drawing outlines in red, zoomed out so that
// it lies inside the surface and unscaled so that no line is lost, is found in the frame at those corners. Its extent along the
// turned surface's axes gives the corners.
TEST_P(RedBox, CornersAreTheCornersOfTheRedBoxInTheFrame) {
    e.Act(n, "fitMatrixtoSurface", {Num(0.8)});
    e.Act(n, "SetDebugDraw", {Int(1)});
    e.host.Loop();
    frame = e.host.Frame();
    const double theta = GetParam().angle * 3.14159265358979323846 / 180.0;
    const double e1x = std::cos(theta), e1y = -std::sin(theta);  // the surface's x axis
    const double e2x = std::sin(theta), e2y = std::cos(theta);   // the surface's y axis
    double aMin = 1e9, aMax = -1e9, bMin = 1e9, bMax = -1e9;
    int red = 0;
    for (int y = 0; y < e.host.FrameHeight(); ++y) {
        for (int x = 0; x < e.host.FrameWidth(); ++x) {
            if (e.Pixel(frame, x, y) != 0xFFFF0000u) continue;
            ++red;
            const double a = (x - kX) * e1x + (y - kY) * e1y;
            const double b = (x - kX) * e2x + (y - kY) * e2y;
            aMin = std::min(aMin, a), aMax = std::max(aMax, a);
            bMin = std::min(bMin, b), bMax = std::max(bMax, b);
        }
    }
    ASSERT_GT(red, 500);
    const double as[] = {aMin, aMax, aMin, aMax};
    const double bs[] = {bMin, bMin, bMax, bMax};
    // A line's pixels stand up to half a pixel off it; on the diagonal, half a diagonal.
    const double tolerance = GetParam().angle % 90 == 0 ? 1.0 : 1.5;
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(e.Ask(n, "getBoxPoint_X", {Int(i)}), kX + as[i] * e1x + bs[i] * e2x, tolerance)
            << "corner " << i;
        EXPECT_NEAR(e.Ask(n, "getBoxPoint_Y", {Int(i)}), kY + as[i] * e1y + bs[i] * e2y, tolerance)
            << "corner " << i;
    }
}

const Placement kUnscaled[] = {{0, 1}, {45, 1}, {90, 1}, {180, 1}, {270, 1}};
INSTANTIATE_TEST_SUITE_P(Unscaled, RedBox, ::testing::ValuesIn(kUnscaled), Name);

}  // namespace
