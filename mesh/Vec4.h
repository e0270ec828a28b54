#pragma once

#include <cmath>

// Four 32-bit floats. Points carry w = 1, so differences of points carry w = 0.
// Quaternions are stored as (x, y, z, w) in the same type.
struct Vec4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;

    // Componentwise sum, all four components.
    friend constexpr Vec4 operator+(const Vec4& a, const Vec4& b) {
        return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
    }
    // Componentwise difference, all four components.
    friend constexpr Vec4 operator-(const Vec4& a, const Vec4& b) {
        return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
    }
    // Every component times s.
    friend constexpr Vec4 operator*(const Vec4& a, float s) {
        return {a.x * s, a.y * s, a.z * s, a.w * s};
    }
    // Every component divided by s.
    friend constexpr Vec4 operator/(const Vec4& a, float s) {
        return {a.x / s, a.y / s, a.z / s, a.w / s};
    }
    friend constexpr bool operator==(const Vec4& a, const Vec4& b) = default;

    // Dot product over all four components.
    friend constexpr float dot(const Vec4& a, const Vec4& b) {
        return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    }

    // True when no component is infinite or NaN.
    bool isFinite() const {
        return std::isfinite(x) && std::isfinite(y) && std::isfinite(z) && std::isfinite(w);
    }
};
