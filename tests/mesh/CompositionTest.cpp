#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "GeneratedRig.h"
#include "SkinReference.h"
#include "meshSkinning.h"

namespace {

Vec4 pt(float x, float y) {
    return {x, y, 0, 1};
}

TEST(CompositionTest, OneBoneOneRegion) {
    std::vector<float> rest{0, 0, 0, 1, 0, 0, 2, 0, 0}, uvs(6, 0.0f), out(9, 0.0f);
    meshRenderBoneComposition composition;
    composition.setRootBone(std::make_unique<meshBone>("only", pt(0, 0), pt(1, 0), Mat4{}));
    composition.getRootBone()->prepareRestPose();
    auto region = std::make_unique<meshRenderRegion>(nullptr, rest.data(), uvs.data(), 0, 2, 0, -1);
    region->getWeights()["only"] = {1, 0.05f, 0.5f};
    region->setMainBoneKey("only");
    region->resolveMainBone(composition.getRootBone());
    EXPECT_EQ(region->getMainBone(), composition.getRootBone());
    composition.addRegion(std::move(region));
    composition.buildBoneMap();
    composition.buildRegionMap();
    meshRenderRegion& only = *composition.getRegions().front();
    only.buildSkinningTables(composition.getBoneMap());
    ASSERT_EQ(composition.getBoneMap().size(), 1u);
    EXPECT_EQ(only.getSkinBones(), std::vector<meshBone*>{composition.getRootBone()});
    EXPECT_EQ(only.pointInfluences(0).size(), 1u);
    EXPECT_EQ(only.pointInfluences(1).size(), 0u);
    EXPECT_EQ(only.pointInfluences(2).size(), 1u);
}

TEST(CompositionTest, RegionsWithOneNameAreAllSkinnedButTheLaterIsFound) {
    std::vector<float> rest{0, 0, 0, 5, 5, 0}, uvs(4, 0.0f), out(6, 0.0f);
    meshRenderBoneComposition composition;
    composition.setRootBone(std::make_unique<meshBone>("root", pt(0, 0), pt(1, 0), Mat4{}));
    composition.getRootBone()->prepareRestPose();
    for (int i = 0; i < 2; ++i) {
        auto region =
            std::make_unique<meshRenderRegion>(nullptr, rest.data(), uvs.data(), i, i, 0, -1);
        region->setName("twin");
        region->setTagId(i);
        region->getWeights()["root"] = {1};
        composition.addRegion(std::move(region));
    }
    composition.buildBoneMap();
    composition.buildRegionMap();
    for (const auto& region : composition.getRegions()) {
        region->buildSkinningTables(composition.getBoneMap());
    }
    EXPECT_EQ(composition.getRegionMap().size(), 1u);
    EXPECT_EQ(composition.getRegionMap().at("twin")->getTagId(), 1);

    composition.resetToRestPose();
    composition.getRootBone()->setWorldStartPt(pt(1, 0));
    composition.getRootBone()->setWorldEndPt(pt(2, 0));
    composition.updatePoseTransforms();
    for (const auto& region : composition.getRegions()) {
        region->skinPoints(out.data() + 3 * region->getStartPtIndex(), true, true, true);
    }
    EXPECT_EQ(out, (std::vector<float>{1, 0, 1, 6, 5, 1}));
}

// A root "a" from (0, 0) to (1, 0) with a child "b" from (1, 0) to (2, 0), rest frames ready.
std::unique_ptr<meshBone> twoBoneTree() {
    auto root = std::make_unique<meshBone>("a", pt(0, 0), pt(1, 0), Mat4{});
    auto* child = new meshBone("b", {}, {}, Mat4{});
    child->getLocalRestStartPt() = pt(0, 0);
    child->getLocalRestEndPt() = pt(1, 0);
    child->computeLocalRestFrame();
    root->attachChild(child);
    root->prepareRestPose();
    return root;
}

// Replacing the root destroys the old tree in the same call that rebinds the bone map and
// every region's main bone and skinning bones to the new one: skinning right after it reads
// only the new bones (under ASan, any read of the old tree fails the test).
TEST(CompositionTest, ReplacingTheRootRebindsEverythingToTheNewTree) {
    std::vector<float> rest{0, 0, 0, 3, 1, 0}, uvs(4, 0.0f), out(6, -7.0f);
    meshRenderBoneComposition composition;
    composition.setRootBone(twoBoneTree());
    auto region = std::make_unique<meshRenderRegion>(nullptr, rest.data(), uvs.data(), 0, 1, 0, -1);
    region->getWeights() = {{"a", {1, 0}}, {"b", {0, 1}}};
    region->setMainBoneKey("a");
    region->resolveMainBone(composition.getRootBone());
    composition.addRegion(std::move(region));
    composition.buildBoneMap();
    composition.buildRegionMap();
    meshRenderRegion& body = *composition.getRegions().front();
    body.buildSkinningTables(composition.getBoneMap());

    auto replacement = twoBoneTree();
    meshBone* newRoot = replacement.get();
    meshBone* newChild = newRoot->getChildren().front();
    composition.setRootBone(std::move(replacement));
    EXPECT_EQ(composition.getRootBone(), newRoot);
    ASSERT_EQ(composition.getBoneMap().size(), 2u);
    EXPECT_EQ(composition.getBoneMap().at("a"), newRoot);
    EXPECT_EQ(composition.getBoneMap().at("b"), newChild);
    EXPECT_EQ(body.getMainBone(), newRoot);
    EXPECT_EQ(body.getSkinBones(), (std::vector<meshBone*>{newRoot, newChild}));

    newChild->setWorldStartPt(pt(1, 2));
    newChild->setWorldEndPt(pt(2, 2));
    composition.updatePoseTransforms();
    body.skinPoints(out.data(), true, true, true);
    const std::vector<float> expected{0, 0, 1, 3, 3, 1};  // the point on "b" moves up by 2
    for (std::size_t i = 0; i < out.size(); ++i)
        EXPECT_NEAR(out[i], expected[i], 1e-5f) << i;
}

// Every test below runs once per skinning path, and is skipped on processors without it.
class SkinPathTest : public ::testing::TestWithParam<meshSkinPath> {
protected:
    void SetUp() override {
        if (!meshSkinning::isAvailable(GetParam())) {
            GTEST_SKIP() << "the " << meshSkinning::pathName(GetParam())
                         << " skinning path is not built in or this processor cannot run it";
        }
        ASSERT_TRUE(meshSkinning::setActivePath(GetParam()));
    }
    void TearDown() override { meshSkinning::setActivePath(meshSkinning::bestPath()); }
};

TEST_P(SkinPathTest, PosingEveryBoneAtRestReproducesTheRestMesh) {
    GeneratedRig rig = makeRig({});
    rig.pose();
    for (int i = 0; i < rig.pointCount(); ++i) {
        ASSERT_NEAR(rig.renderPoints[3 * i], rig.restPoints[3 * i], 1e-6f * rig.extent) << i;
        ASSERT_NEAR(rig.renderPoints[3 * i + 1], rig.restPoints[3 * i + 1], 1e-6f * rig.extent)
            << i;
        ASSERT_EQ(rig.renderPoints[3 * i + 2], 1.0f) << i;
    }
}

TEST_P(SkinPathTest, ACommonRigidMotionMovesEveryInfluencedPointRigidly) {
    GeneratedRig rig = makeRig({.seed = 7});
    const Mat4 motion =
        Mat4::translation(-12.5f, 30) *
        Mat4::fromColumns({0.6f, -0.8f, 0, 0}, {0.8f, 0.6f, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1});
    for (meshBone* bone : rig.bones) {
        bone->setWorldStartPt(motion * bone->worldRestStartPt());
        bone->setWorldEndPt(motion * bone->worldRestEndPt());
    }
    rig.pose();
    const float tolerance = 1e-6f * (rig.extent + 30);
    for (int i = 0; i < rig.pointCount(); ++i) {
        const Vec4 expected = motion * Vec4{rig.restPoints[3 * i], rig.restPoints[3 * i + 1], 0, 1};
        ASSERT_NEAR(rig.renderPoints[3 * i], expected.x, tolerance) << i;
        ASSERT_NEAR(rig.renderPoints[3 * i + 1], expected.y, tolerance) << i;
        ASSERT_EQ(rig.renderPoints[3 * i + 2], 1.0f) << i;
    }
}

TEST_P(SkinPathTest, MatchesThePlainStepsOnScrambledPoses) {
    // Regions of 37 points leave a partly filled last block in every region.
    GeneratedRig rig = makeRig({.bones = 40, .regions = 5, .pointsPerRegion = 37, .seed = 3});
    std::vector<float> expected(rig.renderPoints.size());
    for (std::uint32_t pose = 1; pose <= 4; ++pose) {
        scramblePose(rig, pose, 3.0f);
        const auto& regions = rig.composition->getRegions();
        regions[pose % regions.size()]->setUseLocalDisplacements(true);
        regions[pose % regions.size()]->getLocalDisplacements().back() = {0.5f, -1.0f};
        regions[(pose + 1) % regions.size()]->setUsePostDisplacements(true);
        regions[(pose + 1) % regions.size()]->getPostDisplacements().front() = {2.0f, 0.25f};
        rig.pose();
        for (const auto& region : regions) {
            referenceSkinPoints(*region, rig.composition->getBoneMap(),
                                expected.data() + 3 * region->getStartPtIndex());
        }
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_NEAR(rig.renderPoints[i], expected[i], 1e-6f * rig.extent) << pose << " " << i;
        }
    }
}

TEST_P(SkinPathTest, NonFiniteCoordinatesAreWrittenAsZero) {
    GeneratedRig rig = makeRig({.bones = 4, .regions = 1, .pointsPerRegion = 20});
    meshRenderRegion& region = *rig.composition->getRegions().front();
    region.setUsePostDisplacements(true);
    region.getPostDisplacements()[3] = {std::numeric_limits<float>::infinity(), 0};
    region.getPostDisplacements()[18] = {0, std::numeric_limits<float>::quiet_NaN()};
    rig.pose();
    EXPECT_EQ(rig.renderPoints[9], 0.0f);
    EXPECT_NEAR(rig.renderPoints[10], rig.restPoints[10], 1e-5f);
    EXPECT_NEAR(rig.renderPoints[54], rig.restPoints[54], 1e-5f);
    EXPECT_EQ(rig.renderPoints[55], 0.0f);
    EXPECT_EQ(rig.renderPoints[56], 1.0f);
}

TEST_P(SkinPathTest, GeneralKernelMatchesTheDualQuaternionSteps) {
    // Bones of a 3D rig never come out of a 2D skeleton; drive the kernel with them directly.
    const int points = 21;  // one full block and one partial
    RigRandom random(11);
    std::vector<DualQuat> bones;
    for (int b = 0; b < 3; ++b) {
        Vec4 axis{random.uniform(-1, 1), random.uniform(-1, 1), random.uniform(-1, 1), 0};
        axis = axis / std::sqrt(dot(axis, axis));
        const float half = random.uniform(-1.5f, 1.5f);
        const Vec4 q{axis.x * std::sin(half), axis.y * std::sin(half), axis.z * std::sin(half),
                     std::cos(half)};
        const Vec4 t{random.uniform(-5, 5), random.uniform(-5, 5), random.uniform(-5, 5), 0};
        const Vec4 d{0.5f * (t.x * q.w + t.y * q.z - t.z * q.y),
                     0.5f * (t.y * q.w + t.z * q.x - t.x * q.z),
                     0.5f * (t.z * q.w + t.x * q.y - t.y * q.x),
                     -0.5f * (t.x * q.x + t.y * q.y + t.z * q.z)};
        bones.push_back({q, d});
    }
    std::vector<float> dualQuats;
    for (const DualQuat& dq : bones) {
        dualQuats.insert(dualQuats.end(), {dq.real.x, dq.real.y, dq.real.z, dq.real.w, dq.dual.x,
                                           dq.dual.y, dq.dual.z, dq.dual.w});
    }
    // Block 0 blends bones 0 and 2, block 1 bones 0, 1 and 2; point 20 has no weight at all.
    const std::vector<std::uint32_t> blockEntries{0, 2, 5};
    const std::vector<std::uint32_t> entryBones{0, 2, 0, 1, 2};
    std::vector<float> weights(5 * 16, 0.0f), rest(2 * 48, 0.0f), local(2 * points);
    for (int e = 0; e < 5; ++e) {
        for (int lane = 0; lane < 16; ++lane) {
            if (e < 2 || lane < 4) weights[16 * e + lane] = random.uniform(0.06f, 1);
        }
    }
    for (int i = 0; i < points; ++i) {
        for (int c = 0; c < 3; ++c)
            rest[48 * (i / 16) + 16 * c + i % 16] = random.uniform(-9, 9);
        local[2 * i] = random.uniform(-1, 1);
        local[2 * i + 1] = random.uniform(-1, 1);
    }
    std::vector<float> out(3 * points + 1, -7.0f);
    meshSkinJob job;
    job.numPoints = points;
    job.numBlocks = 2;
    job.blockEntries = blockEntries.data();
    job.entryBones = entryBones.data();
    job.entryWeights = weights.data();
    job.restPoints = rest.data();
    job.dualQuats = dualQuats.data();
    job.localDisplacements = local.data();
    job.out = out.data();
    meshSkinning::run(job, false);

    for (int i = 0; i < points; ++i) {
        const int b = i / 16, lane = i % 16;
        DualQuat acc;
        for (std::uint32_t e = blockEntries[b]; e < blockEntries[b + 1]; ++e) {
            const float w = weights[16 * e + lane];
            if (w != 0) acc.accumulate(bones[entryBones[e]], w, w);
        }
        acc.normalize();
        const float* p = &rest[48 * b + lane];
        const Vec4 q =
            acc.transformPoint({p[0] + local[2 * i], p[16] + local[2 * i + 1], p[32], 1});
        EXPECT_NEAR(out[3 * i], q.x, 2e-5f) << i;
        EXPECT_NEAR(out[3 * i + 1], q.y, 2e-5f) << i;
        EXPECT_EQ(out[3 * i + 2], 1.0f) << i;
    }
    EXPECT_EQ(out[3 * points], -7.0f);
}

INSTANTIATE_TEST_SUITE_P(Paths, SkinPathTest,
                         ::testing::Values(meshSkinPath::plain, meshSkinPath::sse2,
                                           meshSkinPath::avx2, meshSkinPath::avx512),
                         [](const auto& info) { return meshSkinning::pathName(info.param); });

}  // namespace
