#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "MessageBoxes.h"
#include "MetaModel.h"
#include "MobilantMetaData.h"

using namespace MobilantModule;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Every point k of a region is drawn at scale * rest_k + (dx, dy), with z = 0. The point of no
// region, which the clips do not move, is at scale * rest.
void expectDrawnAt(const MetaRig& rig, float scale, float dx, float dy, const char* what) {
    for (int k = 0; k < kMetaPoints; ++k) {
        const float moveX = k == kLonePoint ? 0.0f : dx;
        const float moveY = k == kLonePoint ? 0.0f : dy;
        EXPECT_NEAR(rig.points()[3 * k], scale * kMetaRest[2 * k] + moveX, 1e-5f)
            << what << " " << k;
        EXPECT_NEAR(rig.points()[3 * k + 1], scale * kMetaRest[2 * k + 1] + moveY, 1e-5f)
            << what << " " << k;
        EXPECT_EQ(rig.points()[3 * k + 2], 0.0f) << what << " " << k;
    }
}

// An image of `res` x `res` whose byte at (x, y) is 10 y + x + 1.
std::vector<std::uint8_t> countingImage(int res) {
    std::vector<std::uint8_t> image;
    for (int y = 0; y < res; ++y) {
        for (int x = 0; x < res; ++x)
            image.push_back(static_cast<std::uint8_t>(10 * y + x + 1));
    }
    return image;
}

std::vector<std::uint8_t> concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// MorphRes 5 and radius 1: a target 10 units right of the base is cut to length 1, so u = 1,
// v = 0.5 and the grid point is (4, 2). The renderer passes y negated, so a target above the
// base has the smallest grid y.
TEST(Morph, PlaceMorphPointMapsTheVectorOntoTheGrid) {
    MobilantMetaData meta(morphMetaText("", {"right"}, 5, flatImage(5, 0)));
    struct Case {
        Vec2 a, b;
        float gx, gy;
    };
    const Case cases[] = {
        {{10, 0}, {0, 0}, 4, 2},        // the worked example
        {{13, -7}, {3, -7}, 4, 2},      // only the difference counts
        {{2, 2}, {2, 2}, 2, 2},         // base on target: the centre, (res - 1) / 2
        {{0, -10}, {0, 0}, 2, 0},       // target 10 above the base, y negated
        {{0.5f, 0}, {0, 0}, 3, 2},      // shorter than the radius: kept, u = 0.75
        {{-3, 4}, {0, 0}, 0.8f, 3.6f},  // cut to (-0.6, 0.8): u = 0.2, v = 0.9
    };
    for (const Case& c : cases) {
        meta.PlaceMorphPoint(c.a, c.b, 1.0f);
        EXPECT_NEAR(meta.MorphPoint().x, c.gx, 1e-6f) << c.a.x << ", " << c.a.y;
        EXPECT_NEAR(meta.MorphPoint().y, c.gy, 1e-6f) << c.a.x << ", " << c.a.y;
    }
    // A larger radius maps a longer vector: (2, 0) of radius 4 gives u = 0.75.
    meta.PlaceMorphPoint({2, 0}, {0, 0}, 4.0f);
    EXPECT_NEAR(meta.MorphPoint().x, 3.0f, 1e-6f);

    // What a degenerate view gives (points that are not finite, or differences that overflow)
    // and radii that map nothing are ignored.
    meta.PlaceMorphPoint({10, 0}, {0, 0}, 1.0f);
    const Vec2 ignoredA[] = {{kNaN, 0}, {0, kInf}, {3e38f, 0}};
    const Vec2 ignoredB[] = {{0, 0}, {0, 0}, {-3e38f, 0}};
    for (int i = 0; i < 3; ++i)
        meta.PlaceMorphPoint(ignoredA[i], ignoredB[i], 1.0f);
    for (const float radius : {0.0f, -1.0f, kNaN, kInf})
        meta.PlaceMorphPoint({0, 0}, {0, 0}, radius);
    EXPECT_EQ(meta.MorphPoint().x, 4.0f);
    EXPECT_EQ(meta.MorphPoint().y, 2.0f);
    // A vector far longer than the radius is still cut exactly (its length is taken in doubles).
    meta.PlaceMorphPoint({0, 1e30f}, {0, 0}, 1.0f);
    EXPECT_EQ(meta.MorphPoint().x, 2.0f);
    EXPECT_EQ(meta.MorphPoint().y, 4.0f);
}

TEST(Morph, SampleMorphWeightsInterpolatesUnlessACoordinateIsWhole) {
    // Image 0 has byte 10 y + x + 1 at (x, y); image 1 the same plus 100.
    std::vector<std::uint8_t> second = countingImage(5);
    for (std::uint8_t& byte : second)
        byte = static_cast<std::uint8_t>(byte + 100);
    MobilantMetaData meta(morphMetaText("", {"right", "left"}, 5, concat(countingImage(5), second)));
    struct Case {
        Vec2 g;
        float byte0;  // the expected weight of image 0, times 255
    };
    const Case cases[] = {
        {{1.5f, 2.0f}, 22},      // the worked example: area 0, so the byte at (1, 2)
        {{3.0f, 1.75f}, 14},     // whole x: the byte at (3, 1), no interpolation along y
        {{4.0f, 4.0f}, 45},      // a corner
        {{1.25f, 2.5f}, 27.25f}, // bilinear: of a linear image, its value there
        {{0.5f, 0.5f}, 6.5f},
        {{-3.0f, 99.0f}, 41},    // kept within the grid: (0, 4)
    };
    for (const Case& c : cases) {
        meta.SampleMorphWeights(c.g);
        ASSERT_EQ(meta.MorphWeights().size(), 2u);
        EXPECT_NEAR(meta.MorphWeights()[0], c.byte0 / 255.0f, 1e-6f) << c.g.x << ", " << c.g.y;
        EXPECT_NEAR(meta.MorphWeights()[1], (c.byte0 + 100) / 255.0f, 1e-6f);
    }
    EXPECT_EQ(meta.MorphPoint().x, 0.0f);
    EXPECT_EQ(meta.MorphPoint().y, 4.0f);
    meta.SampleMorphWeights({kNaN, 1.0f});
    meta.SampleMorphWeights({1.0f, -kInf});
    EXPECT_EQ(meta.MorphPoint().y, 4.0f);
    EXPECT_NEAR(meta.MorphWeights()[0], 41 / 255.0f, 1e-6f);
}

// With an even MorphRes R and the control point at (R/2, R/2), d is 0: the centre pose has
// weight 1 and every target its full weight. All clips start at 0 and move 3 frames (step
// 0.1), so the centre is at rest + (0, 3), "right" at rest + (3, 0), "left" at rest - (3, 0):
// 1 * C + 1 * R + 0.2 * L = 2.2 rest + (2.4, 3).
TEST(Morph, AtTheCentreOfAnEvenGridTheCentrePoseAndTheTargetsKeepFullWeight) {
    MetaRig rig;
    MobilantMetaData meta(morphMetaText("centre", {"right", "left"}, 4,
                                        concat(flatImage(4, 255), flatImage(4, 51))));
    meta.SampleMorphWeights({2, 2});
    ASSERT_TRUE(meta.UpdateMorph(*rig.manager, 0.1f));
    expectDrawnAt(rig, 2.2f, 2.4f, 3.0f, "d = 0");
}

// Before the first control point the weights are 0 and the point is (0, 0): with a centre
// clip and an even MorphRes d = sqrt(2), so the mesh is the centre pose scaled by 1 - sqrt(2)
// about the origin; without one, every point is at the origin.
TEST(Morph, BeforeAnyControlPointOnlyTheCentrePoseIsDrawnScaled) {
    MetaRig rig;
    MobilantMetaData withCentre(morphMetaText("centre", {"right"}, 4, flatImage(4, 255)));
    ASSERT_TRUE(withCentre.UpdateMorph(*rig.manager, 0.0f));
    expectDrawnAt(rig, 1.0f - std::sqrt(2.0f), 0.0f, 0.0f, "centre only");
    EXPECT_EQ(withCentre.MorphAccum().size(), 3u * kMetaPoints);

    MobilantMetaData noCentre(morphMetaText("", {"right"}, 4, flatImage(4, 255)));
    ASSERT_TRUE(noCentre.UpdateMorph(*rig.manager, 0.1f));
    expectDrawnAt(rig, 0.0f, 0.0f, 0.0f, "no centre");
}

// No centre clip and one target of weight 0.5 (a 2 x 2 image, 0 on the left and 255 on the
// right, sampled at its middle): the target's pose at half its coordinates.
TEST(Morph, WithoutACentreClipTheTargetsAreSummedWithTheirWeights) {
    MetaRig rig;
    MobilantMetaData meta(morphMetaText("", {"late"}, 2, {0, 255, 0, 255}));
    meta.PlaceMorphPoint({0, 0}, {0, 0}, 1.0f);
    EXPECT_EQ(meta.MorphPoint().x, 0.5f);
    ASSERT_EQ(meta.MorphWeights()[0], 0.5f);
    ASSERT_TRUE(meta.UpdateMorph(*rig.manager, 0.1f));  // "late" from 4 to 7
    expectDrawnAt(rig, 0.5f, 3.5f, 3.5f, "half of late at 7");
    // The next frame starts again from the rest and the clip's own time, not from this blend.
    ASSERT_TRUE(meta.UpdateMorph(*rig.manager, 0.1f));
    expectDrawnAt(rig, 0.5f, 5.0f, 5.0f, "half of late at 10");
}

struct Pose {
    std::vector<float> points;
};

// Clip `name` at `time` as PoseMobilant writes it over the rest points (z = 1): the point of no
// region keeps its rest position.
Pose poseOf(MetaRig& rig, const char* name, float time) {
    Pose pose;
    for (int k = 0; k < kMetaPoints; ++k)
        pose.points.insert(pose.points.end(), {kMetaRest[2 * k], kMetaRest[2 * k + 1], 1.0f});
    rig.manager->ApplyClipSwitches(name);
    EXPECT_TRUE(rig.manager->PoseMobilant(name, pose.points.data(), time)) << name;
    return pose;
}

// The morph is (1 - d) C + sum of w_i d T_i, with C and T_i the poses of the centre and target
// clips at their own times, each time moved by its own frames and wrapped, and the blend the
// game started before (SetAnimationBlending) untouched by it.
TEST(Morph, RenderPointsFollowTheClosedFormulaAlsoAfterBlending) {
    MetaRig rig;
    MobilantManager& manager = *rig.manager;
    // The game blends from "left" to "right", as SetAnimationBlending does.
    manager.SelectClip("left", false);
    manager.SetAutoBlend(true);
    manager.BlendTo("right", 0.25f);
    manager.Advance(0.01f);
    manager.Advance(0.01f);
    ASSERT_EQ(manager.BlendFactor(), 0.5f);
    const float leftBlendTime = manager.BlendTime("left");
    const float rightBlendTime = manager.BlendTime("right");

    std::vector<std::uint8_t> images = countingImage(5);
    images = concat(images, flatImage(5, 200));
    std::vector<std::uint8_t> third(25);
    for (int i = 0; i < 25; ++i)
        third[i] = static_cast<std::uint8_t>(250 - 9 * i);
    images = concat(images, third);
    MobilantMetaData meta(morphMetaText("centre", {"right", "left", "late"}, 5, images));
    meta.PlaceMorphPoint({0.3f, -0.2f}, {0, 0}, 1.0f);  // grid (2.6, 1.6)
    ASSERT_NEAR(meta.MorphPoint().x, 2.6f, 1e-6f);
    ASSERT_NEAR(meta.MorphPoint().y, 1.6f, 1e-6f);
    const std::vector<float> w = meta.MorphWeights();
    // half = 2, s = 2.5: d = |(0.6, -0.4)| / 2.5.
    const double d = std::hypot(0.6, -0.4) / 2.5;

    for (int frame = 0; frame < 5; ++frame)
        ASSERT_TRUE(meta.UpdateMorph(manager, 0.1f));
    // 3 frames per update: 0..10 clips run 3, 6, 9, 0 (12 wraps to the start), 3; "late"
    // (4..20) runs 7, 10, 13, 16, 19.
    EXPECT_NEAR(meta.CenterClipTime(), 3.0f, 1e-5f);
    ASSERT_EQ(meta.MorphClips().size(), 3u);
    EXPECT_NEAR(meta.MorphClips()[0].time, 3.0f, 1e-5f);
    EXPECT_NEAR(meta.MorphClips()[1].time, 3.0f, 1e-5f);
    EXPECT_NEAR(meta.MorphClips()[2].time, 19.0f, 1e-5f);
    EXPECT_EQ(meta.ActiveCenterClip(), "centre");
    // The manager is left on the last clip posed; the blend is as the game left it.
    EXPECT_EQ(manager.ActiveClipName(), "late");
    EXPECT_NEAR(manager.RunTime(), 19.0f, 1e-5f);
    EXPECT_TRUE(manager.BlendMode());
    EXPECT_EQ(manager.BlendFactor(), 0.5f);
    EXPECT_EQ(manager.BlendTime("left"), leftBlendTime);
    EXPECT_EQ(manager.BlendTime("right"), rightBlendTime);

    std::vector<float> drawn(rig.points(), rig.points() + 3 * kMetaPoints);
    const Pose centre = poseOf(rig, "centre", 3.0f);
    const Pose targets[] = {poseOf(rig, "right", 3.0f), poseOf(rig, "left", 3.0f),
                            poseOf(rig, "late", 19.0f)};
    for (int k = 0; k < kMetaPoints; ++k) {
        for (int axis = 0; axis < 2; ++axis) {
            double expected = (1.0 - d) * centre.points[3 * k + axis];
            for (int i = 0; i < 3; ++i)
                expected += w[i] * d * targets[i].points[3 * k + axis];
            EXPECT_NEAR(drawn[3 * k + axis], expected, 1e-5) << "point " << k << " axis " << axis;
        }
        EXPECT_EQ(drawn[3 * k + 2], 0.0f);
    }

    // Ordinary posing takes over from there: the blend goes on.
    manager.Advance(0.01f);
    EXPECT_EQ(manager.BlendFactor(), 0.75f);
}

TEST(Morph, AMissingClipShowsTheBoxOnEveryAttemptUntilItIsLoaded) {
    MetaRig rig;
    MobilantMetaData meta(
        morphMetaText("centre", {"right", "missing"}, 2, concat(flatImage(2, 9), flatImage(2, 9))));
    ClearShownMessageBoxes();
    EXPECT_FALSE(meta.UpdateMorph(*rig.manager, 0.1f));
    ASSERT_EQ(ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(ShownMessageBoxes()[0].caption, L"mobilant animation ext");
    EXPECT_EQ(ShownMessageBoxes()[0].text, L"morphing animation is not initialized [missing]");
    EXPECT_TRUE(meta.MorphClips().empty());
    EXPECT_FALSE(meta.UpdateMorph(*rig.manager, 0.1f));
    EXPECT_EQ(ShownMessageBoxes().size(), 2u);

    // Loaded (here "late" under the missing name), the next attempt starts morphing.
    MobilantModule::JsonDocument other;
    std::string text = kMetaModel;
    text.replace(text.find("\"late\""), 6, "\"missing\"");
    ASSERT_EQ(other.parseText(text), JsonStatus::Ok);
    rig.manager->LoadClip(other, "missing");
    EXPECT_TRUE(meta.UpdateMorph(*rig.manager, 0.1f));
    EXPECT_EQ(ShownMessageBoxes().size(), 2u);
    ASSERT_EQ(meta.MorphClips().size(), 2u);
    EXPECT_EQ(meta.MorphClips()[1].name, "missing");
    EXPECT_NEAR(meta.MorphClips()[1].time, 7.0f, 1e-5f);  // from its start, 4

    // A missing centre clip is named the same way.
    MobilantMetaData noCentre(morphMetaText("middle", {"right"}, 2, flatImage(2, 9)));
    EXPECT_FALSE(noCentre.UpdateMorph(*rig.manager, 0.1f));
    ASSERT_EQ(ShownMessageBoxes().size(), 3u);
    EXPECT_EQ(ShownMessageBoxes()[2].text, L"morphing animation is not initialized [middle]");
    EXPECT_TRUE(noCentre.MorphClips().empty());
    ClearShownMessageBoxes();
}

// Without weight images there is nothing to blend: the model and the manager stay as they are.
TEST(Morph, WithoutMorphDataNothingIsPosed) {
    MetaRig rig;
    rig.manager->SelectClip("right", false);
    rig.manager->SetRunTime(2.0f);
    rig.manager->Advance(0.0f);
    const std::vector<float> before(rig.points(), rig.points() + 3 * kMetaPoints);
    for (const char* text : {"", R"({"skinSwapList": {}})",
                             R"({"MorphTargets": {"CenterData": [0, "centre"], "MorphShape": []},
                                 "MorphRes": 2, "MorphSpace": ""})"}) {
        MobilantMetaData meta(text);
        ClearShownMessageBoxes();
        EXPECT_FALSE(meta.UpdateMorph(*rig.manager, 0.1f)) << text;
        EXPECT_TRUE(ShownMessageBoxes().empty());
        EXPECT_EQ(std::vector<float>(rig.points(), rig.points() + 3 * kMetaPoints), before);
        EXPECT_EQ(rig.manager->ActiveClipName(), "right");
        EXPECT_EQ(rig.manager->RunTime(), 2.0f);
        meta.PlaceMorphPoint({1, 0}, {0, 0}, 1.0f);
        EXPECT_TRUE(meta.MorphWeights().empty());
    }
}

}  // namespace
