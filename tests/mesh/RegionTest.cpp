#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "meshBone.h"
#include "meshRenderBoneComposition.h"
#include "meshRenderRegion.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

Vec4 pt(float x, float y) {
    return {x, y, 0, 1};
}

// Two bones, "a" (the root, from (0, 0) to (1, 0)) and "b" (its child, from (1, 0) to (2, 0)),
// and one region over every point of the model.
class TwoBones : public ::testing::Test {
protected:
    void build(std::vector<Vec2> points,
               std::unordered_map<std::string, std::vector<float>> weights) {
        for (const Vec2& p : points)
            restPoints.insert(restPoints.end(), {p.x, p.y, 0});
        uvs.assign(2 * points.size(), 0.5f);
        out.assign(3 * points.size() + 3, -7.0f);  // one sentinel point past the end
        auto root = std::make_unique<meshBone>("a", pt(0, 0), pt(1, 0), Mat4::identity());
        auto* child = new meshBone("b", {}, {}, Mat4::identity());
        child->getLocalRestStartPt() = pt(0, 0);
        child->getLocalRestEndPt() = pt(1, 0);
        child->computeLocalRestFrame();
        root->attachChild(child);
        composition.setRootBone(std::move(root));
        composition.getRootBone()->prepareRestPose();
        auto owned = std::make_unique<meshRenderRegion>(nullptr, restPoints.data(), uvs.data(), 0,
                                                        static_cast<int>(points.size()) - 1, 0, -1);
        region = owned.get();
        region->getWeights() = std::move(weights);
        composition.addRegion(std::move(owned));
        composition.buildBoneMap();
        composition.buildRegionMap();
        region->buildSkinningTables(composition.getBoneMap());
        composition.resetToRestPose();
    }

    meshBone& bone(const char* key) { return *composition.getBoneMap().at(key); }

    void shift(const char* key, float dx, float dy) {
        meshBone& b = bone(key);
        b.setWorldStartPt(b.worldRestStartPt() + Vec4{dx, dy, 0, 0});
        b.setWorldEndPt(b.worldRestEndPt() + Vec4{dx, dy, 0, 0});
    }

    void skin(bool applyLocal = true, bool applyPost = true) {
        composition.updatePoseTransforms();
        region->skinPoints(out.data(), applyLocal, applyPost, true);
    }

    void expectPoint(int i, float x, float y, float tolerance = 1e-5f) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(out[3 * i], x, tolerance);
        EXPECT_NEAR(out[3 * i + 1], y, tolerance);
        EXPECT_EQ(out[3 * i + 2], 1.0f);
    }

    std::vector<float> restPoints, uvs, out;
    meshRenderBoneComposition composition;
    meshRenderRegion* region = nullptr;
};

TEST_F(TwoBones, HalfAndHalfBetweenRestAndShiftMovesHalfway) {
    build({{3, 1}}, {{"a", {0.5f}}, {"b", {0.5f}}});
    shift("b", 2, 0);
    skin();
    expectPoint(0, 4, 1);
    EXPECT_EQ(out[3], -7.0f);  // nothing written past the region
}

TEST_F(TwoBones, OnlyWeightsAboveTheThresholdCount) {
    const float justAbove = 0.0500001f;
    build({{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}},
          {{"a", {1, 1, kNaN, kInf, 1e30f, 1e6f}}, {"b", {0.05f, justAbove, 1, 1, 1e30f, 3e6f}}});
    shift("b", 2, 0);
    skin();
    expectPoint(0, 0, 0);                                       // exactly 0.05 is not used
    expectPoint(1, 2 * justAbove / (1 + justAbove), 0, 1e-6f);  // full value, not renormalised
    expectPoint(2, 2, 0);                                       // a NaN weight is no weight
    expectPoint(3, 2, 0);                                       // nor is an infinite one
    expectPoint(4, 1, 0);                                       // huge weights blend as equal
    expectPoint(5, 1.5f, 0);  // and unequal ones in their ratio: 3e6 / (1e6 + 3e6) of 2
    // Scaled by 2^-22, which brings 3e6 below 1 and keeps the ratio exactly.
    const auto scaled = region->pointInfluences(5);
    ASSERT_EQ(scaled.size(), 2u);
    EXPECT_EQ(scaled[0].second, 0.2384185791015625f);  // 1e6 / 4194304
    EXPECT_EQ(scaled[1].second, 0.7152557373046875f);  // 3e6 / 4194304
    ASSERT_EQ(region->pointInfluences(1).size(), 2u);
    EXPECT_EQ(region->pointInfluences(1)[1].first, &bone("b"));
    EXPECT_EQ(region->pointInfluences(1)[1].second, justAbove);
    EXPECT_EQ(region->pointInfluences(0).size(), 1u);
}

TEST_F(TwoBones, PointWithoutInfluenceStaysAtRestWithItsDisplacements) {
    build({{3, 1}, {5, 5}}, {{"a", {1, 0.01f}}, {"b", {0, 0.05f}}});
    shift("a", 2, 0);
    shift("b", 2, 0);
    region->setUseLocalDisplacements(true);
    region->setUsePostDisplacements(true);
    region->getLocalDisplacements()[1] = {0.5f, 0};
    region->getPostDisplacements()[1] = {0, 0.25f};
    skin();
    expectPoint(0, 5, 1);
    expectPoint(1, 5.5f, 5.25f, 0.0f);
}

TEST_F(TwoBones, MissingShortAndLongWeightListsReadAsZero) {
    // "b" has no list at all, "a" one value for three points, "ghost" names no bone.
    build({{0, 0}, {0, 1}, {0, 2}}, {{"a", {1}}, {"ghost", {1, 1, 1}}});
    shift("a", 2, 0);
    skin();
    expectPoint(0, 2, 0);
    expectPoint(1, 0, 1);
    expectPoint(2, 0, 2);
    EXPECT_EQ(out[9], -7.0f);

    region->getWeights() = {{"b", {1, 1, 1, 1, 1, 1}}};  // longer than the region
    region->buildSkinningTables(composition.getBoneMap());
    shift("b", 0, 3);
    skin();
    expectPoint(2, 0, 5);
    EXPECT_EQ(out[9], -7.0f);
}

TEST_F(TwoBones, DisplacementsBeforeAndAfterSkinning) {
    build({{1, 0}}, {{"a", {1}}});
    bone("a").setWorldEndPt(pt(0, 1));  // "a" turns by 90 degrees about the origin
    region->setUseLocalDisplacements(true);
    region->setUsePostDisplacements(true);
    ASSERT_EQ(region->getLocalDisplacements().size(), 1u);
    region->getLocalDisplacements()[0] = {1, 0};  // turned with the point
    region->getPostDisplacements()[0] = {0, 1};   // added as it is
    skin();
    expectPoint(0, 0, 3);
    skin(false, true);
    expectPoint(0, 0, 2);
    skin(true, false);
    expectPoint(0, 0, 2);
    region->setUseLocalDisplacements(false);
    region->setUsePostDisplacements(false);
    skin();
    expectPoint(0, 0, 1);
    // A list that no longer fits the region is ignored rather than read past its end.
    region->setUsePostDisplacements(true);
    region->getPostDisplacements().clear();
    skin();
    expectPoint(0, 0, 1);
}

TEST_F(TwoBones, UvWarpAndRestore) {
    build({{0, 0}, {1, 0}}, {{"a", {1, 1}}});
    uvs[2] = 0.3f;  // the reference is what the array held at construction
    EXPECT_FLOAT_EQ(region->getRefUvs()[1].x, 0.5f);
    region->setLocalOffset({0.25f, 0.25f});
    region->setScale({2, 2});
    region->setGlobalOffset({0.1f, 0});
    region->setUseUvWarp(true);
    EXPECT_EQ(uvs[2], 0.3f);  // nothing changes until the next skinning
    skin();
    EXPECT_FLOAT_EQ(uvs[0], 0.6f);
    EXPECT_FLOAT_EQ(uvs[1], 0.5f);
    EXPECT_FLOAT_EQ(uvs[2], 0.6f);
    region->setUseUvWarp(false);
    EXPECT_EQ(uvs, (std::vector<float>{0.5f, 0.5f, 0.5f, 0.5f}));

    region->setLocalOffset({0.125f, 0.375f});
    region->setGlobalOffset({0.125f, 0.375f});
    region->setScale({1, 1});
    region->applyUvWarp();
    EXPECT_EQ(uvs, (std::vector<float>{0.5f, 0.5f, 0.5f, 0.5f}));
}

TEST(RegionTest, RangesAndDefaults) {
    std::vector<float> rest(30), uvs(20, 0.25f);
    for (std::size_t j = 0; j < rest.size(); ++j)
        rest[j] = 0.5f * static_cast<float>(j) + 1.0f;  // every coordinate its own value
    std::vector<std::uint32_t> indices(12, 0);
    meshRenderRegion region(indices.data(), rest.data(), uvs.data(), 2, 5, 3, 8);
    EXPECT_EQ(region.numPoints(), 4);
    EXPECT_EQ(region.numIndices(), 6);
    EXPECT_EQ(region.getIndices(), indices.data() + 3);
    EXPECT_EQ(region.getRestPts(), rest.data() + 6);
    EXPECT_EQ(region.getUvs(), uvs.data() + 4);
    EXPECT_EQ(region.getRefUvs().size(), 4u);
    EXPECT_EQ(region.getTagId(), -1);
    EXPECT_EQ(region.getOpacity(), 100.0f);
    EXPECT_EQ(region.getScale().x, 1.0f);

    // Skinned before any table exists: every point stays at rest.
    std::vector<float> out(12, -7.0f);
    region.skinPoints(out.data(), true, true, true);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(out[3 * i], rest[3 * (2 + i)]) << i;
        EXPECT_EQ(out[3 * i + 1], rest[3 * (2 + i) + 1]) << i;
        EXPECT_EQ(out[3 * i + 2], 1.0f) << i;
    }

    meshRenderRegion reversed(nullptr, rest.data(), uvs.data(), 5, 2, 2147483647, -2147483647 - 1);
    EXPECT_EQ(reversed.numPoints(), 0);
    EXPECT_EQ(reversed.numIndices(), 0);
    reversed.setUseLocalDisplacements(true);
    out.assign(12, -7.0f);
    reversed.skinPoints(out.data(), true, true, true);
    EXPECT_EQ(out, std::vector<float>(12, -7.0f));
}

}  // namespace
