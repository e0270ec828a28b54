#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "meshBone.h"
#include "meshBoneCacheManager.h"
#include "meshDisplacementCacheManager.h"
#include "meshOpacityCacheManager.h"
#include "meshRenderRegion.h"
#include "meshUVWarpCacheManager.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

Vec4 pt(float x, float y) {
    return {x, y, 0, 1};
}

void expectPoint(const Vec4& actual, float x, float y) {
    EXPECT_FLOAT_EQ(actual.x, x);
    EXPECT_FLOAT_EQ(actual.y, y);
    EXPECT_FLOAT_EQ(actual.z, 0.0f);
    EXPECT_FLOAT_EQ(actual.w, 1.0f);
}

// One bone "arm" whose start point is keyed at frame f as (10 * f, 0) and end point as (0, f).
struct OneBone {
    meshBone bone{"arm", pt(0, 0), pt(1, 0), Mat4{}};
    meshRenderBoneComposition::BoneMap map{{"arm", &bone}};
    meshBoneCacheManager caches;

    explicit OneBone(std::int32_t start = 0, std::int32_t end = 5) {
        EXPECT_TRUE(caches.initFrames(start, end));
        for (std::int32_t f = start; f <= end; ++f) {
            const meshBoneCache entry("arm", pt(10.0f * f, 0), pt(0, static_cast<float>(f)));
            caches.setFrame(caches.frameIndex(f), {&entry, 1});
        }
        caches.markAllReady();
    }
    void expectAt(float t, float startX, float endY) {
        caches.applyAtTime(t, map);
        SCOPED_TRACE(t);
        expectPoint(bone.getWorldStartPt(), startX, 0);
        expectPoint(bone.getWorldEndPt(), 0, endY);
    }
};

TEST(CacheFrames, SlotsCoverTheRangeAndClampFrames) {
    meshBoneCacheManager caches;
    EXPECT_EQ(caches.frameCount(), 0u);
    EXPECT_EQ(caches.frameIndex(7), 0u);
    ASSERT_TRUE(caches.initFrames(4, 20));
    EXPECT_EQ(caches.frameCount(), 17u);
    EXPECT_EQ(caches.frameReady(), std::vector<bool>(17, false));
    const std::pair<std::int32_t, std::size_t> table[] = {
        {4, 0}, {5, 1}, {20, 16}, {3, 0}, {21, 16}, {INT32_MIN, 0}, {INT32_MAX, 16},
    };
    for (const auto& [time, slot] : table)
        EXPECT_EQ(caches.frameIndex(time), slot) << time;
    caches.markAllReady();
    EXPECT_EQ(caches.frameReady(), std::vector<bool>(17, true));
    ASSERT_TRUE(caches.initFrames(0, -1));  // an end before the start has no frames
    EXPECT_EQ(caches.frameCount(), 0u);
}

// A span of more than 2^20 frames is refused, and says so: the table is left without slots.
TEST(CacheFrames, ASpanBeyondTheSlotLimitIsRefused) {
    constexpr std::int32_t most = std::int32_t{1} << 20;
    meshDisplacementCacheManager caches;
    ASSERT_TRUE(caches.initFrames(-5, most - 6));
    EXPECT_EQ(caches.frameCount(), static_cast<std::size_t>(most));
    EXPECT_FALSE(caches.initFrames(-5, most - 5));
    EXPECT_EQ(caches.frameCount(), 0u);
    EXPECT_TRUE(caches.frameReady().empty());
    EXPECT_FALSE(caches.initFrames(INT32_MIN, INT32_MAX));
    meshBoneCacheManager bones;
    meshUVWarpCacheManager warps;
    meshOpacityCacheManager opacities;
    EXPECT_FALSE(bones.initFrames(0, most));
    EXPECT_FALSE(warps.initFrames(0, most));
    EXPECT_FALSE(opacities.initFrames(0, most));
    EXPECT_EQ(bones.frameCount() + warps.frameCount() + opacities.frameCount(), 0u);
}

TEST(BoneCaches, QuarterPastFrameTwoBlendsThreeToOne) {
    OneBone arm;
    arm.expectAt(2.25f, 0.75f * 20 + 0.25f * 30, 0.75f * 2 + 0.25f * 3);
    arm.expectAt(3.0f, 30, 3);  // a whole time copies its frame
}

TEST(BoneCaches, TimesOutsideTheRangeAndNonFiniteTimesUseAnEndFrame) {
    OneBone arm(2, 5);
    const std::tuple<float, float, float> table[] = {
        {-3.5f, 20, 2},  {1.0f, 20, 2}, {5.5f, 50, 5},  {1e30f, 50, 5},
        {-1e30f, 20, 2}, {kInf, 50, 5}, {-kInf, 20, 2}, {kNaN, 20, 2},
    };
    for (const auto& [t, startX, endY] : table)
        arm.expectAt(t, startX, endY);
}

TEST(BoneCaches, NothingMovesUntilTheFramesAreReady) {
    meshBone bone("arm", pt(0, 0), pt(1, 0), Mat4{});
    bone.setWorldStartPt(pt(7, 7));
    const meshRenderBoneComposition::BoneMap map{{"arm", &bone}};
    meshBoneCacheManager never;
    never.applyAtTime(0.0f, map);
    meshBoneCacheManager unready;
    ASSERT_TRUE(unready.initFrames(0, 1));
    const meshBoneCache entry("arm", pt(1, 1), pt(2, 2));
    unready.setFrame(0, {&entry, 1});
    unready.setFrame(1, {&entry, 1});
    unready.applyAtTime(0.5f, map);
    expectPoint(bone.getWorldStartPt(), 7, 7);
}

TEST(BoneCaches, UnknownKeysAreSkippedAndShortFramesPairUpToTheirLength) {
    meshBone arm("arm", pt(0, 0), pt(1, 0), Mat4{});
    meshBone leg("leg", pt(0, 0), pt(1, 0), Mat4{});
    const meshRenderBoneComposition::BoneMap map{{"arm", &arm}, {"leg", &leg}};
    meshBoneCacheManager caches;
    ASSERT_TRUE(caches.initFrames(0, 1));
    const meshBoneCache first[] = {
        {"ghost", pt(9, 9), pt(9, 9)}, {"arm", pt(0, 0), pt(0, 0)}, {"leg", pt(4, 4), pt(4, 4)}};
    const meshBoneCache second[] = {{"ghost", pt(9, 9), pt(9, 9)}, {"arm", pt(2, 2), pt(4, 4)}};
    caches.setFrame(0, first);
    caches.setFrame(1, second);
    caches.markAllReady();
    leg.setWorldStartPt(pt(-1, -1));
    caches.applyAtTime(0.5f, map);
    expectPoint(arm.getWorldStartPt(), 1, 1);
    expectPoint(arm.getWorldEndPt(), 2, 2);
    expectPoint(leg.getWorldStartPt(), -1, -1);  // frame 1 has no third entry
}

TEST(BoneCaches, GapsBetweenKeysAreInterpolatedByPosition) {
    meshBoneCacheManager caches;
    ASSERT_TRUE(caches.initFrames(0, 10));
    const meshBoneCache keys[3][2] = {
        {{"a", pt(10, 0), pt(0, 0)}, {"b", pt(0, 0), pt(5, 5)}},
        {{"a", pt(0, 10), pt(0, 0)}, {"b", pt(5, 0), pt(5, 5)}},
        {{"a", pt(0, 0), pt(0, 0)}, {"c", pt(0, 0), pt(0, 0)}},
    };
    std::int32_t previous = 0;
    for (int k = 0; k < 3; ++k) {
        const std::int32_t frame = 5 * k;
        caches.setFrame(caches.frameIndex(frame), keys[k]);
        caches.fillGap(previous, frame);
        previous = frame;
    }
    caches.markAllReady();
    // Frame 2 is 0.6 of frame 0 plus 0.4 of frame 5.
    const meshBoneCache two = caches.entry(2, 0);
    EXPECT_EQ(two.key, "a");
    expectPoint(two.start_pt, 6, 4);
    expectPoint(caches.entry(2, 1).start_pt, 2, 0);
    // Frame 7 is 0.6 of frame 5 plus 0.4 of frame 10; its second entry is named like frame 10's.
    expectPoint(caches.entry(7, 0).start_pt, 0, 6);
    EXPECT_EQ(caches.entry(7, 1).key, "c");
    expectPoint(caches.entry(7, 1).start_pt, 3, 0);
    expectPoint(caches.entry(7, 1).end_pt, 3, 3);
    for (std::size_t slot = 0; slot <= 10; ++slot)
        EXPECT_EQ(caches.frameSize(slot), 2u) << slot;
}

TEST(BoneCaches, GapsPairUpToTheShorterFrameAndSkipFramesWithoutSlots) {
    meshBoneCacheManager caches;
    ASSERT_TRUE(caches.initFrames(0, 4));
    const meshBoneCache one[] = {{"a", pt(0, 0), pt(0, 0)}};
    const meshBoneCache two[] = {{"a", pt(8, 0), pt(0, 0)}, {"b", pt(0, 0), pt(0, 0)}};
    caches.setFrame(0, one);
    caches.setFrame(caches.frameIndex(8), two);  // clamped into the last slot
    caches.fillGap(0, 8);
    caches.markAllReady();
    for (std::size_t slot = 1; slot <= 4; ++slot) {
        ASSERT_EQ(caches.frameSize(slot), 1u) << slot;
        expectPoint(caches.entry(slot, 0).start_pt, static_cast<float>(slot), 0);
    }
}

TEST(BoneCaches, ALaterAssignmentReplacesASlot) {
    meshBoneCacheManager caches;
    ASSERT_TRUE(caches.initFrames(3, 4));
    const meshBoneCache first[] = {{"a", pt(1, 1), pt(1, 1)}, {"b", pt(1, 1), pt(1, 1)}};
    const meshBoneCache second[] = {{"a", pt(2, 2), pt(2, 2)}};
    caches.setFrame(caches.frameIndex(3), first);
    caches.setFrame(caches.frameIndex(3), second);
    caches.setFrame(7, first);  // no such slot
    caches.markAllReady();
    ASSERT_EQ(caches.frameSize(0), 1u);
    expectPoint(caches.entry(0, 0).start_pt, 2, 2);
    EXPECT_EQ(caches.frameSize(1), 0u);
    EXPECT_EQ(caches.frame(0).size(), 1u);
}

// One region of two points with displacement, warp and opacity state to write into.
struct OneRegion {
    std::vector<float> rest{0, 0, 0, 1, 0, 0};
    std::vector<float> uvs{0, 0, 1, 1};
    meshRenderRegion region{nullptr, rest.data(), uvs.data(), 0, 1, 0, -1};
    meshRenderBoneComposition::RegionMap map{{"r", &region}};
};

std::vector<Vec2> pairs(std::initializer_list<Vec2> list) {
    return list;
}

void expectPairs(const std::vector<Vec2>& actual, const std::vector<Vec2>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_FLOAT_EQ(actual[i].x, expected[i].x) << i;
        EXPECT_FLOAT_EQ(actual[i].y, expected[i].y) << i;
    }
}

TEST(DisplacementCaches, BlendOnlyTheListsTheRegionUsesWhenTheirLengthsMatch) {
    OneRegion r;
    meshDisplacementCacheManager caches;
    ASSERT_TRUE(caches.initFrames(2, 4));
    const meshDisplacementCache frame2("r", pairs({{0, 0}, {4, 8}}), pairs({{4, 4}, {8, 8}}));
    const meshDisplacementCache frame3("r", pairs({{4, 4}, {0, 0}}), pairs({{0, 0}}));
    const meshDisplacementCache frame4("r", pairs({{1, 1}, {2, 2}}), {});
    caches.setFrame(0, {&frame2, 1});
    caches.setFrame(1, {&frame3, 1});
    caches.setFrame(2, {&frame4, 1});
    caches.markAllReady();

    r.region.getPostDisplacements() = pairs({{9, 9}, {9, 9}});
    r.region.setUseLocalDisplacements(true);  // post displacements stay off
    caches.applyAtTime(2.25f, r.map);
    expectPairs(r.region.getLocalDisplacements(), {{1, 1}, {3, 6}});
    expectPairs(r.region.getPostDisplacements(), {{9, 9}, {9, 9}});

    r.region.setUsePostDisplacements(true);
    caches.applyAtTime(2.25f, r.map);  // frame 3 has one post pair, the region two
    expectPairs(r.region.getPostDisplacements(), {{0, 0}, {0, 0}});
    caches.applyAtTime(2.0f, r.map);
    expectPairs(r.region.getPostDisplacements(), {{4, 4}, {8, 8}});
    caches.applyAtTime(4.0f, r.map);  // frame 4 has none
    expectPairs(r.region.getPostDisplacements(), {{0, 0}, {0, 0}});
    expectPairs(r.region.getLocalDisplacements(), {{1, 1}, {2, 2}});

    EXPECT_TRUE(caches.hasLocalDisplacements(0, 0));
    EXPECT_TRUE(caches.hasPostDisplacements(0, 0));
    EXPECT_FALSE(caches.hasPostDisplacements(2, 0));
    EXPECT_FALSE(caches.hasLocalDisplacements(0, 1));
    EXPECT_FALSE(caches.hasLocalDisplacements(9, 0));
}

// Each list both neighbouring keys hold is interpolated, up to the shorter one; a list one of
// them lacks is left out.
TEST(DisplacementCaches, AGapInterpolatesEveryListBothKeysHold) {
    meshDisplacementCacheManager caches;
    ASSERT_TRUE(caches.initFrames(0, 4));
    const meshDisplacementCache first[] = {
        {"both", pairs({{0, 0}, {10, 10}}), pairs({{5, 5}})},
        {"post", pairs({{7, 7}}), pairs({{0, 0}, {2, 4}, {8, 8}})},
    };
    const meshDisplacementCache second[] = {
        {"both", pairs({{10, 0}, {0, 10}, {3, 3}}), pairs({{5, 5}})},
        {"post", {}, pairs({{4, 4}, {6, 8}})},
    };
    caches.setFrame(0, first);
    caches.setFrame(2, second);
    caches.fillGap(0, 2);
    caches.markAllReady();
    const meshDisplacementCache both = caches.entry(1, 0);
    expectPairs(both.local_displacements, {{5, 0}, {5, 10}});
    expectPairs(both.post_displacements, {{5, 5}});
    const meshDisplacementCache post = caches.entry(1, 1);
    EXPECT_TRUE(post.local_displacements.empty());
    expectPairs(post.post_displacements, {{2, 2}, {4, 6}});
    EXPECT_EQ(caches.frameSize(3), 0u);  // nothing keyed after frame 2
}

TEST(UVWarpCaches, TheEarlierFrameIsTakenWhenTheWarpIsOnOrTheEntryEnabled) {
    OneRegion r;
    meshUVWarpCacheManager caches;
    ASSERT_TRUE(caches.initFrames(2, 3));
    const meshUVWarpCache frame2("r", {0.25f, 0.5f}, {1, 2}, {2, 3}, true);
    const meshUVWarpCache frame3("r", {9, 9}, {9, 9}, {9, 9}, true);
    caches.setFrame(0, {&frame2, 1});
    caches.setFrame(1, {&frame3, 1});
    caches.markAllReady();
    caches.applyAtTime(2.25f, r.map);
    EXPECT_FLOAT_EQ(r.region.getLocalOffset().x, 0.25f);
    EXPECT_FLOAT_EQ(r.region.getLocalOffset().y, 0.5f);
    EXPECT_FLOAT_EQ(r.region.getGlobalOffset().y, 2.0f);
    EXPECT_FLOAT_EQ(r.region.getScale().x, 2.0f);
    EXPECT_FALSE(r.region.getUseUvWarp());  // the flag is not the caches' to change

    // A disabled entry changes a region only when its warp is on, with the defaults.
    const meshUVWarpCache off("r");
    caches.setFrame(0, {&off, 1});
    caches.markAllReady();
    caches.applyAtTime(2.0f, r.map);
    EXPECT_FLOAT_EQ(r.region.getScale().x, 2.0f);
    r.region.setUseUvWarp(true);
    caches.applyAtTime(2.0f, r.map);
    EXPECT_FLOAT_EQ(r.region.getLocalOffset().x, 0.0f);
    EXPECT_FLOAT_EQ(r.region.getGlobalOffset().x, 0.0f);
    EXPECT_FLOAT_EQ(r.region.getScale().x, -1.0f);
    EXPECT_FLOAT_EQ(r.region.getScale().y, -1.0f);
    EXPECT_TRUE(caches.isEnabled(1, 0));
    EXPECT_FALSE(caches.isEnabled(0, 0));
}

TEST(OpacityCaches, TheEarlierFrameIsTakenAndGapsAreInterpolated) {
    OneRegion r;
    meshOpacityCacheManager caches;
    ASSERT_TRUE(caches.initFrames(0, 4));
    const meshOpacityCache full("r", 100), none("r", 0), ghost("ghost", 5);
    caches.setFrame(0, {&full, 1});
    caches.setFrame(4, {&none, 1});
    caches.fillGap(0, 4);
    const meshOpacityCache withGhost[] = {ghost, full};
    caches.setFrame(1, withGhost);
    caches.applyAtTime(3.0f, r.map);
    EXPECT_FLOAT_EQ(r.region.getOpacity(), 100.0f);  // not ready yet
    caches.markAllReady();
    caches.applyAtTime(2.25f, r.map);
    EXPECT_FLOAT_EQ(r.region.getOpacity(), 50.0f);
    caches.applyAtTime(3.99f, r.map);
    EXPECT_FLOAT_EQ(r.region.getOpacity(), 25.0f);
    caches.applyAtTime(1.0f, r.map);
    EXPECT_FLOAT_EQ(r.region.getOpacity(), 100.0f);
    EXPECT_EQ(meshOpacityCache().opacity, 100.0f);
}

}  // namespace
