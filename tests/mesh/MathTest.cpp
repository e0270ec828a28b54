#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "DualQuat.h"
#include "Mat4.h"
#include "Vec4.h"

namespace {

constexpr float kHalfSqrt2 = 0.70710678f;

Mat4 turn(float degrees) {
    const float c = std::cos(degrees * 3.14159265f / 180.0f);
    const float s = std::sin(degrees * 3.14159265f / 180.0f);
    return Mat4::fromColumns({c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1});
}

void expectNear(const Vec4& actual, const Vec4& expected, float tolerance = 1e-6f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
    EXPECT_NEAR(actual.w, expected.w, tolerance);
}

TEST(Mat4Test, ColumnMajorProductAppliesTheRightFactorFirst) {
    const Vec4 p{1, 0, 0, 1};
    // Turn first, then shift: (1, 0) -> (0, 1) -> (1, 1).
    expectNear((Mat4::translation(1, 0) * turn(90)) * p, {1, 1, 0, 1});
    // Shift first, then turn: (1, 0) -> (2, 0) -> (0, 2).
    expectNear((turn(90) * Mat4::translation(1, 0)) * p, {0, 2, 0, 1});
    EXPECT_EQ(Mat4::translation(3, 4).m[12], 3.0f);
    EXPECT_EQ(Mat4::translation(3, 4).m[13], 4.0f);
    EXPECT_EQ(Mat4::translation(3, 4).at(1, 3), 4.0f);
}

TEST(Mat4Test, InverseOfAGeneralMatrix) {
    const Mat4 m{{2, 1, 0, 0.5f, -1, 3, 1, 0, 0.25f, 0, 4, 1, 7, -2, 1, 1}};
    const Mat4 product = m * m.inverse();
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(product.m[i], Mat4::identity().m[i], 1e-6f) << i;
    const Mat4 rigid = Mat4::translation(5, -3) * turn(30);
    expectNear(rigid.inverse() * Vec4{5, -3, 0, 1}, {0, 0, 0, 1});
}

TEST(Mat4Test, MatricesWithoutAnInverseGiveTheIdentity) {
    Mat4 zero;
    for (float& value : zero.m)
        value = 0;
    Mat4 flat = Mat4::identity();  // no z axis
    flat.m[10] = 0;
    Mat4 poisoned = turn(10);
    poisoned.m[5] = std::numeric_limits<float>::quiet_NaN();
    Mat4 tiny = Mat4::identity();  // the inverse would overflow floats
    tiny.m[0] = 1e-39f;
    for (const Mat4& m : {zero, flat, poisoned, tiny})
        EXPECT_EQ(m.inverse(), Mat4::identity());
}

TEST(Mat4Test, QuaternionFromRotationTakesTheFirstLargestCandidate) {
    struct Case {
        const char* what;
        Mat4 m;
        Vec4 expected;
    };
    const Case cases[] = {
        {"identity", Mat4::identity(), {0, 0, 0, 1}},
        {"90 degrees: W and Z tie, W wins", turn(90), {0, 0, kHalfSqrt2, kHalfSqrt2}},
        {"180 degrees about z: Z", turn(180), {0, 0, 1, 0}},
        {"180 degrees about x: X",
         Mat4::fromColumns({1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {0, 0, 0, 1}),
         {1, 0, 0, 0}},
        {"180 degrees about y: Y",
         Mat4::fromColumns({-1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -1, 0}, {0, 0, 0, 1}),
         {0, 1, 0, 0}},
        {"120 degrees about (1, 1, 1): all four tie",
         Mat4::fromColumns({0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 0}, {0, 0, 0, 1}),
         {0.5f, 0.5f, 0.5f, 0.5f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        expectNear(c.m.rotationQuaternion(), c.expected);
    }
}

TEST(DualQuatTest, RigidTransformsMovePointsLikeTheirMatrices) {
    const DualQuat rotation = DualQuat::fromRigidTransform(turn(90));
    expectNear(rotation.real, {0, 0, kHalfSqrt2, kHalfSqrt2});
    expectNear(rotation.dual, {0, 0, 0, 0});
    expectNear(rotation.transformPoint({2, 0, 0, 1}), {0, 2, 0, 1});

    const DualQuat shift = DualQuat::fromRigidTransform(Mat4::translation(3, 4));
    expectNear(shift.real, {0, 0, 0, 1});
    expectNear(shift.dual, {1.5f, 2, 0, 0});
    expectNear(shift.transformPoint({-1, 7, 0.5f, 1}), {2, 11, 0.5f, 1});

    const Mat4 both = Mat4::translation(-2, 5) * turn(37);
    const Vec4 p{1.5f, -0.25f, 0, 1};
    expectNear(DualQuat::fromRigidTransform(both).transformPoint(p), both * p, 1e-5f);
}

TEST(DualQuatTest, HalfAndHalfBlendOfRestAndShiftMovesHalfway) {
    const DualQuat rest = DualQuat::identity();
    const DualQuat shifted{{0, 0, 0, 1}, {1, 0, 0, 0}};  // moved by (2, 0)
    DualQuat acc;
    EXPECT_EQ(acc, (DualQuat{{0, 0, 0, 0}, {0, 0, 0, 0}}));
    acc.accumulate(rest, 0.5f, 0.5f);
    acc.accumulate(shifted, 0.5f, 0.5f);
    acc.normalize();
    expectNear(acc.real, {0, 0, 0, 1});
    expectNear(acc.dual, {0.5f, 0, 0, 0});
    expectNear(acc.transformPoint({3, -2, 0, 1}), {4, -2, 0, 1});
}

TEST(DualQuatTest, NormalizingAnEmptyBlendLeavesItAndMovesNothing) {
    DualQuat acc;
    acc.normalize();
    EXPECT_EQ(acc, DualQuat{});
    expectNear(acc.transformPoint({3, -2, 0, 1}), {3, -2, 0, 1});

    DualQuat scaled{{0, 0, 0, 4}, {2, 0, 0, 0}};  // all eight components are divided
    scaled.normalize();
    expectNear(scaled.real, {0, 0, 0, 1});
    expectNear(scaled.dual, {0.5f, 0, 0, 0});
}

}  // namespace
