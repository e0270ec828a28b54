#pragma once

#include <cmath>

#include "Vec2.h"

// A rigid 2D transform: a rotation (cos, sin) followed by a translation.
// Transforms built from a zero angle are the exact identity, so a skeleton
// posed at its rest angles reproduces its rest points bit for bit.
struct Rigid2 {
    double cosine = 1.0;
    double sine = 0.0;
    Vec2 translation;

    // Rotation by `radians` about `pivot`.
    static Rigid2 rotationAbout(Vec2 pivot, double radians) {
        Rigid2 r{std::cos(radians), std::sin(radians), {}};
        r.translation = pivot - r.applyToVector(pivot);
        return r;
    }

    static Rigid2 translationBy(Vec2 offset) { return {1.0, 0.0, offset}; }

    // The frame with its origin at `origin` and its x axis along the unit vector `xAxis`.
    static Rigid2 frame(Vec2 origin, Vec2 xAxis) { return {xAxis.x, xAxis.y, origin}; }

    Vec2 applyToVector(Vec2 v) const {
        return {cosine * v.x - sine * v.y, sine * v.x + cosine * v.y};
    }
    Vec2 apply(Vec2 p) const { return applyToVector(p) + translation; }

    // The transform that applies `rhs` first, then this one.
    Rigid2 operator*(const Rigid2& rhs) const {
        return {cosine * rhs.cosine - sine * rhs.sine, sine * rhs.cosine + cosine * rhs.sine,
                apply(rhs.translation)};
    }

    Rigid2 inverse() const {
        Rigid2 r{cosine, -sine, {}};
        r.translation = r.applyToVector(translation) * -1.0;
        return r;
    }

    // Column-major 4x4 with the translation in elements 12 and 13 (the model file's layout).
    void toColumnMajor(double out[16]) const {
        const double m[16] = {cosine, sine, 0.0, 0.0, -sine,         cosine,        0.0, 0.0,
                              0.0,    0.0,  1.0, 0.0, translation.x, translation.y, 0.0, 1.0};
        for (int i = 0; i < 16; ++i)
            out[i] = m[i];
    }
};
