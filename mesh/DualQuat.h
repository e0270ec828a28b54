#pragma once

#include "Mat4.h"
#include "Vec4.h"

// A dual quaternion: eight 32-bit floats, the real quaternion (x, y, z, w) followed by the dual
// quaternion (x, y, z, w). A unit dual quaternion is a rigid transform. A default-made one is
// all zeros, the empty accumulator of a blend (not the identity).
struct DualQuat {
    Vec4 real;
    Vec4 dual;

    // Real part (0, 0, 0, 1), dual part zero: moves nothing.
    static constexpr DualQuat identity() { return {{0, 0, 0, 1}, {0, 0, 0, 0}}; }

    // The rigid transform of m (rotation of the upper-left 3x3, translation in m[12..14]).
    static DualQuat fromRigidTransform(const Mat4& m);

    // real += other.real * wReal and dual += other.dual * wDual, componentwise.
    void accumulate(const DualQuat& other, float wReal, float wDual);

    // Divides all eight components by the length of the real part. An all-zero blend (or one
    // whose length is not a positive finite number) is left as it is, so it moves nothing.
    void normalize();

    // The point p (x, y, z) under the transform: with c = r x p,
    // p + 2w c + 2 (r x c) + 2 (w d - dw r + r x d). Returns (x, y, z, 1).
    Vec4 transformPoint(const Vec4& p) const;

    // True when no component is infinite or NaN.
    bool isFinite() const { return real.isFinite() && dual.isFinite(); }

    friend constexpr bool operator==(const DualQuat& a, const DualQuat& b) = default;
};

static_assert(sizeof(DualQuat) == 8 * sizeof(float), "DualQuat is eight packed floats");
