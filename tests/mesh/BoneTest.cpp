#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "meshBone.h"
#include "meshRenderBoneComposition.h"

namespace {

constexpr float kHalfSqrt2 = 0.70710678f;

Vec4 pt(float x, float y) {
    return {x, y, 0, 1};
}

void expectNear(const Vec4& actual, const Vec4& expected, float tolerance = 1e-6f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
    EXPECT_NEAR(actual.w, expected.w, tolerance);
}

// A root bone from (0, 0) to (1, 0) at rest, posed with the given current points.
std::unique_ptr<meshBone> posedRoot(Vec4 start, Vec4 end) {
    auto bone = std::make_unique<meshBone>("root", pt(0, 0), pt(1, 0), Mat4::identity());
    bone->prepareRestPose();
    bone->setWorldStartPt(start);
    bone->setWorldEndPt(end);
    bone->updateWorldDelta();
    bone->alignDualQuatSigns(bone->getWorldDualQuat().real);
    return bone;
}

TEST(BoneTest, TurnedByNinetyDegrees) {
    const auto bone = posedRoot(pt(0, 0), pt(0, 1));
    expectNear(bone->getWorldDualQuat().real, {0, 0, kHalfSqrt2, kHalfSqrt2});
    expectNear(bone->getWorldDualQuat().dual, {0, 0, 0, 0});
    expectNear(bone->getWorldDualQuat().transformPoint({2, 0, 0, 1}), {0, 2, 0, 1});
}

TEST(BoneTest, ShiftedByThreeFour) {
    const auto bone = posedRoot(pt(3, 4), pt(4, 4));
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(bone->getWorldDeltaMat().m[i], Mat4::translation(3, 4).m[i], 1e-6f) << i;
    }
    expectNear(bone->getWorldDualQuat().real, {0, 0, 0, 1});
    expectNear(bone->getWorldDualQuat().dual, {1.5f, 2, 0, 0});
    expectNear(bone->getWorldDualQuat().transformPoint({-5, 2, 0, 1}), {-2, 6, 0, 1});
}

TEST(BoneTest, TurnedByHalfACircleTakesTheZCandidate) {
    const auto bone = posedRoot(pt(0, 0), pt(-1, 0));
    expectNear(bone->getWorldDualQuat().real, {0, 0, 1, 0});
}

TEST(BoneTest, AtRestMovesNothing) {
    // Rest frames in a turned and shifted parent frame.
    const Mat4 parent = Mat4::translation(2, 1) *
                        Mat4::fromColumns({0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1});
    meshBone bone("b", pt(2, 1), pt(2, 4), parent);
    expectNear(bone.getLocalRestStartPt(), pt(0, 0));
    expectNear(bone.getLocalRestEndPt(), pt(3, 0));
    bone.prepareRestPose();
    bone.resetToRestPose();
    expectNear(bone.getWorldStartPt(), pt(2, 1));
    bone.updateWorldDelta();
    expectNear(bone.getWorldDualQuat().real, {0, 0, 0, 1});
    expectNear(bone.getWorldDualQuat().dual, {0, 0, 0, 0});
    expectNear(bone.getWorldDualQuat().transformPoint({7, -3, 0, 1}), {7, -3, 0, 1}, 1e-5f);
}

TEST(BoneTest, ChildRestFrameHangsOffTheParentsEnd) {
    // The parent points up; the child's local x axis is the parent's direction.
    meshBone parent("parent", pt(0, 0), pt(0, 2), Mat4::identity());
    meshBone child("child", {}, {}, Mat4::identity());
    child.getLocalRestStartPt() = pt(0, 0);
    child.getLocalRestEndPt() = pt(1, 0);
    child.computeLocalRestFrame();
    ASSERT_TRUE(parent.attachChild(&child));
    parent.prepareRestPose();
    expectNear(child.worldRestStartPt(), pt(0, 2));
    expectNear(child.worldRestEndPt(), pt(0, 3));
    // The pass hands the parent's end frame down as the child's rest parent.
    EXPECT_EQ(child.getRestParentMat(), parent.getRestEndFrameMat());
}

TEST(BoneTest, ChildInTheOppositeHemisphereIsNegatedAndSoAreItsDescendants) {
    meshBone root("root", pt(0, 0), pt(1, 0), Mat4::identity());
    meshBone child("child", pt(0, 0), pt(1, 0), Mat4::identity());
    meshBone grandchild("grandchild", pt(0, 0), pt(1, 0), Mat4::identity());
    root.attachChild(&child);
    child.attachChild(&grandchild);
    root.prepareRestPose();
    root.resetToRestPose();
    // Both lower bones turned by 225 degrees: their raw real parts have w < 0.
    const Vec4 turned = pt(-kHalfSqrt2, -kHalfSqrt2);
    child.setWorldStartPt(pt(0, 0));
    child.setWorldEndPt(turned);
    grandchild.setWorldStartPt(pt(0, 0));
    grandchild.setWorldEndPt(turned);
    root.updateWorldDelta();
    const DualQuat raw = child.getWorldDualQuat();
    const DualQuat rawGrandchild = grandchild.getWorldDualQuat();
    ASSERT_LT(raw.real.w, 0.0f);
    ASSERT_EQ(rawGrandchild.real, raw.real);

    root.alignDualQuatSigns(root.getWorldDualQuat().real);
    EXPECT_EQ(root.getWorldDualQuat(), DualQuat::identity());
    EXPECT_EQ(child.getWorldDualQuat().real, raw.real * -1.0f);
    EXPECT_EQ(child.getWorldDualQuat().dual, raw.dual * -1.0f);
    // The grandchild is compared with the child's aligned part, so it flips as well.
    EXPECT_EQ(grandchild.getWorldDualQuat().real, rawGrandchild.real * -1.0f);
    EXPECT_EQ(grandchild.getWorldDualQuat().dual, rawGrandchild.dual * -1.0f);
}

TEST(BoneTest, LookupsWalkInPreOrder) {
    meshRenderBoneComposition composition;  // owns the tree
    auto root = std::make_unique<meshBone>("a", pt(0, 0), pt(1, 0), Mat4::identity());
    auto* b = new meshBone("b", pt(0, 0), pt(1, 0), Mat4::identity());
    auto* firstDup = new meshBone("dup", pt(0, 0), pt(1, 0), Mat4::identity());
    auto* secondDup = new meshBone("dup", pt(0, 0), pt(1, 0), Mat4::identity());
    root->attachChild(b);
    root->attachChild(secondDup);
    b->attachChild(firstDup);
    composition.setRootBone(std::move(root));
    const meshBone* top = composition.getRootBone();

    EXPECT_EQ(top->collectKeys(), (std::vector<std::string>{"a", "b", "dup", "dup"}));
    EXPECT_EQ(top->findByKey("dup"), firstDup);
    EXPECT_EQ(top->findByKey("b"), b);
    EXPECT_EQ(top->findByKey("missing"), nullptr);
    EXPECT_EQ(b->findByKey("a"), nullptr);  // only the subtree is searched
    composition.buildBoneMap();
    EXPECT_EQ(composition.getBoneMap().size(), 3u);
    EXPECT_EQ(composition.getBoneMap().at("dup"), firstDup);
}

TEST(BoneTest, AttachChildKeepsATree) {
    meshBone a("a", pt(0, 0), pt(1, 0), Mat4::identity());
    meshBone b("b", pt(0, 0), pt(1, 0), Mat4::identity());
    meshBone c("c", pt(0, 0), pt(1, 0), Mat4::identity());
    EXPECT_FALSE(a.attachChild(nullptr));
    EXPECT_FALSE(a.attachChild(&a));
    EXPECT_TRUE(a.attachChild(&b));
    EXPECT_TRUE(b.attachChild(&c));
    EXPECT_FALSE(c.attachChild(&a));  // would close a cycle
    EXPECT_FALSE(b.attachChild(&a));
    EXPECT_FALSE(a.attachChild(&c));  // already has a parent
    EXPECT_EQ(a.collectKeys(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(BoneTest, CoincidingRestPointsPointAlongTheParentFramesXAxis) {
    const Mat4 upright = Mat4::fromColumns({0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1});
    meshBone bone("dot", pt(3, 3), pt(3, 3), upright);
    expectNear(bone.getLocalRestDir(), {1, 0, 0, 0});
    bone.prepareRestPose();
    EXPECT_TRUE(bone.getWorldRestMat().isFinite());
    EXPECT_TRUE(bone.getRestEndFrameMat().isFinite());
    expectNear(bone.getWorldRestMat() * Vec4{1, 0, 0, 0}, {0, 1, 0, 0});
    // Posed at rest it moves nothing.
    bone.resetToRestPose();
    bone.updateWorldDelta();
    expectNear(bone.getWorldDualQuat().transformPoint(pt(5, 6)), pt(5, 6), 1e-5f);
}

TEST(BoneTest, CoincidingPosedPointsKeepTheRestTurnAndFollowTheStart) {
    const auto bone = posedRoot(pt(4, -2), pt(4, -2));
    expectNear(bone->getWorldDualQuat().real, {0, 0, 0, 1});
    expectNear(bone->getWorldDualQuat().transformPoint(pt(1, 1)), pt(5, -1));
}

TEST(BoneTest, NonFinitePosedPointsGiveTheIdentity) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const auto& [start, end] :
         {std::pair{pt(nan, 0), pt(1, 0)}, std::pair{pt(0, 0), pt(inf, 0)},
          std::pair{pt(-3e38f, 0), pt(3e38f, 0)}}) {
        const auto bone = posedRoot(start, end);
        EXPECT_TRUE(bone->getWorldDualQuat().isFinite());
        EXPECT_TRUE(bone->getWorldDeltaMat().isFinite());
    }
    EXPECT_EQ(posedRoot(pt(nan, 0), pt(1, 0))->getWorldDualQuat(), DualQuat::identity());
}

TEST(BoneTest, VeryDeepChainsNeedNoStack) {
    meshRenderBoneComposition composition;
    auto root = std::make_unique<meshBone>("0", pt(0, 0), pt(1, 0), Mat4::identity());
    meshBone* tip = root.get();
    for (int i = 1; i < 100000; ++i) {
        auto* bone = new meshBone(std::to_string(i), {}, {}, Mat4::identity());
        bone->getLocalRestStartPt() = pt(0, 0);
        bone->getLocalRestEndPt() = pt(1, 0);
        bone->computeLocalRestFrame();
        tip->attachChild(bone);
        tip = bone;
    }
    composition.setRootBone(std::move(root));
    composition.getRootBone()->prepareRestPose();
    composition.resetToRestPose();
    composition.updatePoseTransforms();
    composition.buildBoneMap();
    EXPECT_EQ(composition.getBoneMap().size(), 100000u);
    expectNear(tip->worldRestEndPt(), pt(100000, 0), 0.0f);
}

}  // namespace
