#pragma once

#include <optional>

#include "Vec4.h"

// A 4x4 matrix of 32-bit floats, read column-major with column vectors: m[4c + r] is row r of
// column c and the translation sits in m[12], m[13], m[14]. The memory layout equals that of a
// Direct3D row-vector matrix; only the reading differs. A * B applies B first, then A.
struct Mat4 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // the identity

    // The identity matrix.
    static constexpr Mat4 identity() { return {}; }

    // The identity with the translation (x, y, 0).
    static constexpr Mat4 translation(float x, float y) {
        Mat4 t;
        t.m[12] = x;
        t.m[13] = y;
        return t;
    }

    // The matrix with the four given columns.
    static constexpr Mat4 fromColumns(const Vec4& c0, const Vec4& c1, const Vec4& c2,
                                      const Vec4& c3) {
        return {{c0.x, c0.y, c0.z, c0.w, c1.x, c1.y, c1.z, c1.w, c2.x, c2.y, c2.z, c2.w, c3.x, c3.y,
                 c3.z, c3.w}};
    }

    // Element at the given row and column.
    constexpr float at(int row, int column) const { return m[4 * column + row]; }

    // The general 4x4 inverse, computed in double precision. A matrix without a usable inverse
    // (determinant zero or not finite, or an inverse too large for floats) yields the identity,
    // so nothing non-finite leaves this function.
    Mat4 inverse() const;

    // The inverse when the matrix has a usable one (as above); nothing otherwise.
    std::optional<Mat4> tryInverse() const;

    // The rotation quaternion (x, y, z, w) of the upper-left 3x3. Of the candidates W, X, Y, Z
    // (in that order) the first largest wins, so ties go to the earlier one.
    Vec4 rotationQuaternion() const;

    // True when no element is infinite or NaN.
    bool isFinite() const;

    friend constexpr bool operator==(const Mat4& a, const Mat4& b) {
        for (int i = 0; i < 16; ++i) {
            if (a.m[i] != b.m[i]) return false;
        }
        return true;
    }
};

// The product a * b: the matrix that applies b first, then a.
Mat4 operator*(const Mat4& a, const Mat4& b);

// The matrix applied to a column vector, all four components.
Vec4 operator*(const Mat4& a, const Vec4& v);
