#include "Mat4.h"

#include <cmath>

Mat4 operator*(const Mat4& a, const Mat4& b) {
    Mat4 product;
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a.at(row, k) * b.at(k, column);
            product.m[4 * column + row] = sum;
        }
    }
    return product;
}

Vec4 operator*(const Mat4& a, const Vec4& v) {
    const float* m = a.m;
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12] * v.w,
            m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13] * v.w,
            m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14] * v.w,
            m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15] * v.w};
}

bool Mat4::isFinite() const {
    for (float value : m) {
        if (!std::isfinite(value)) return false;
    }
    return true;
}

Mat4 Mat4::inverse() const {
    return tryInverse().value_or(identity());
}

std::optional<Mat4> Mat4::tryInverse() const {
    // Cofactor expansion by 2x2 sub-determinants of the upper and lower row pairs.
    double a[16];
    for (int i = 0; i < 16; ++i)
        a[i] = m[i];
    auto e = [&a](int row, int column) { return a[4 * column + row]; };

    const double s0 = e(0, 0) * e(1, 1) - e(1, 0) * e(0, 1);
    const double s1 = e(0, 0) * e(1, 2) - e(1, 0) * e(0, 2);
    const double s2 = e(0, 0) * e(1, 3) - e(1, 0) * e(0, 3);
    const double s3 = e(0, 1) * e(1, 2) - e(1, 1) * e(0, 2);
    const double s4 = e(0, 1) * e(1, 3) - e(1, 1) * e(0, 3);
    const double s5 = e(0, 2) * e(1, 3) - e(1, 2) * e(0, 3);
    const double c5 = e(2, 2) * e(3, 3) - e(3, 2) * e(2, 3);
    const double c4 = e(2, 1) * e(3, 3) - e(3, 1) * e(2, 3);
    const double c3 = e(2, 1) * e(3, 2) - e(3, 1) * e(2, 2);
    const double c2 = e(2, 0) * e(3, 3) - e(3, 0) * e(2, 3);
    const double c1 = e(2, 0) * e(3, 2) - e(3, 0) * e(2, 2);
    const double c0 = e(2, 0) * e(3, 1) - e(3, 0) * e(2, 1);

    const double det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (det == 0.0 || !std::isfinite(det)) return std::nullopt;
    const double k = 1.0 / det;

    double r[4][4];  // r[row][column]
    r[0][0] = (e(1, 1) * c5 - e(1, 2) * c4 + e(1, 3) * c3) * k;
    r[0][1] = (-e(0, 1) * c5 + e(0, 2) * c4 - e(0, 3) * c3) * k;
    r[0][2] = (e(3, 1) * s5 - e(3, 2) * s4 + e(3, 3) * s3) * k;
    r[0][3] = (-e(2, 1) * s5 + e(2, 2) * s4 - e(2, 3) * s3) * k;
    r[1][0] = (-e(1, 0) * c5 + e(1, 2) * c2 - e(1, 3) * c1) * k;
    r[1][1] = (e(0, 0) * c5 - e(0, 2) * c2 + e(0, 3) * c1) * k;
    r[1][2] = (-e(3, 0) * s5 + e(3, 2) * s2 - e(3, 3) * s1) * k;
    r[1][3] = (e(2, 0) * s5 - e(2, 2) * s2 + e(2, 3) * s1) * k;
    r[2][0] = (e(1, 0) * c4 - e(1, 1) * c2 + e(1, 3) * c0) * k;
    r[2][1] = (-e(0, 0) * c4 + e(0, 1) * c2 - e(0, 3) * c0) * k;
    r[2][2] = (e(3, 0) * s4 - e(3, 1) * s2 + e(3, 3) * s0) * k;
    r[2][3] = (-e(2, 0) * s4 + e(2, 1) * s2 - e(2, 3) * s0) * k;
    r[3][0] = (-e(1, 0) * c3 + e(1, 1) * c1 - e(1, 2) * c0) * k;
    r[3][1] = (e(0, 0) * c3 - e(0, 1) * c1 + e(0, 2) * c0) * k;
    r[3][2] = (-e(3, 0) * s3 + e(3, 1) * s1 - e(3, 2) * s0) * k;
    r[3][3] = (e(2, 0) * s3 - e(2, 1) * s1 + e(2, 2) * s0) * k;

    Mat4 result;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            result.m[4 * column + row] = static_cast<float>(r[row][column]);
        }
    }
    if (!result.isFinite()) return std::nullopt;
    return result;
}

Vec4 Mat4::rotationQuaternion() const {
    enum { kW, kX, kY, kZ };
    const float candidates[4] = {
        at(0, 0) + at(1, 1) + at(2, 2),
        at(0, 0) - at(1, 1) - at(2, 2),
        at(1, 1) - at(0, 0) - at(2, 2),
        at(2, 2) - at(0, 0) - at(1, 1),
    };
    int best = kW;
    for (int i = kX; i <= kZ; ++i) {
        if (candidates[i] > candidates[best]) best = i;
    }
    const float s = 0.5f * std::sqrt(candidates[best] + 1.0f);
    const float k = 0.25f / s;
    switch (best) {
        case kW:
            return {(at(2, 1) - at(1, 2)) * k, (at(0, 2) - at(2, 0)) * k, (at(1, 0) - at(0, 1)) * k,
                    s};
        case kX:
            return {s, (at(0, 1) + at(1, 0)) * k, (at(0, 2) + at(2, 0)) * k,
                    (at(2, 1) - at(1, 2)) * k};
        case kY:
            return {(at(0, 1) + at(1, 0)) * k, s, (at(1, 2) + at(2, 1)) * k,
                    (at(0, 2) - at(2, 0)) * k};
        default:
            return {(at(0, 2) + at(2, 0)) * k, (at(1, 2) + at(2, 1)) * k, s,
                    (at(1, 0) - at(0, 1)) * k};
    }
}
