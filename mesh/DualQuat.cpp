#include "DualQuat.h"

#include <cmath>

namespace {

struct Vec3 {
    float x, y, z;
};

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

}  // namespace

DualQuat DualQuat::fromRigidTransform(const Mat4& m) {
    const Vec4 q = m.rotationQuaternion();
    const float tx = m.m[12];
    const float ty = m.m[13];
    const float tz = m.m[14];
    // The dual part is (t, 0) * q / 2.
    const Vec4 d{0.5f * (tx * q.w + ty * q.z - tz * q.y), 0.5f * (ty * q.w + tz * q.x - tx * q.z),
                 0.5f * (tz * q.w + tx * q.y - ty * q.x), -0.5f * (tx * q.x + ty * q.y + tz * q.z)};
    return {q, d};
}

void DualQuat::accumulate(const DualQuat& other, float wReal, float wDual) {
    real = real + other.real * wReal;
    dual = dual + other.dual * wDual;
}

void DualQuat::normalize() {
    const float length = std::sqrt(dot(real, real));
    if (!(length > 0.0f) || !std::isfinite(length)) return;
    real = real / length;
    dual = dual / length;
}

Vec4 DualQuat::transformPoint(const Vec4& point) const {
    const Vec3 p{point.x, point.y, point.z};
    const Vec3 r{real.x, real.y, real.z};
    const Vec3 d{dual.x, dual.y, dual.z};
    const float w = real.w;
    const float dw = dual.w;
    const Vec3 c = cross(r, p);
    const Vec3 rc = cross(r, c);
    const Vec3 rd = cross(r, d);
    return {p.x + 2.0f * w * c.x + 2.0f * rc.x + 2.0f * (w * d.x - dw * r.x + rd.x),
            p.y + 2.0f * w * c.y + 2.0f * rc.y + 2.0f * (w * d.y - dw * r.y + rd.y),
            p.z + 2.0f * w * c.z + 2.0f * rc.z + 2.0f * (w * d.z - dw * r.z + rd.z), 1.0f};
}
