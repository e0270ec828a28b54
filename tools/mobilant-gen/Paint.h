#pragma once

#include <algorithm>
#include <cmath>

#include "Vec2.h"

// Small helpers for painting textures from signed distances in model units
// (negative inside a shape).

// A straight (not premultiplied) colour, every channel 0 to 1.
struct Color {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
    double a = 0.0;
};

inline Color rgb(int r, int g, int b, double a = 1.0) {
    return {r / 255.0, g / 255.0, b / 255.0, a};
}
inline Color scaled(Color c, double k) {
    return {c.r * k, c.g * k, c.b * k, c.a};
}
inline Color mixed(Color x, Color y, double t) {
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
            x.a + (y.a - x.a) * t};
}

// How much of a pixel of size `pixel` a shape covers, anti-aliased over one pixel.
inline double coverage(double distance, double pixel) {
    return std::clamp(0.5 - distance / pixel, 0.0, 1.0);
}

// Accumulates layers painted back to front.
struct PixelPaint {
    Color color;

    void over(Color src, double cover) {
        const double a = src.a * cover;
        const double outA = a + color.a * (1.0 - a);
        if (outA <= 0.0) return;
        const auto blend = [&](double s, double d) {
            return (s * a + d * color.a * (1.0 - a)) / outA;
        };
        color = {blend(src.r, color.r), blend(src.g, color.g), blend(src.b, color.b), outA};
    }

    // A filled shape with an outline of width `outline` just inside its edge.
    void outlined(double distance, double pixel, Color fill, Color line, double outline) {
        over(line, coverage(distance, pixel));
        over(fill, coverage(distance + outline, pixel));
    }
};

inline double sdCircle(Vec2 p, Vec2 center, double radius) {
    return length(p - center) - radius;
}

// A capsule whose radius runs from ra at a to rb at b.
inline double sdCapsule(Vec2 p, Vec2 a, Vec2 b, double ra, double rb) {
    const Vec2 ab = b - a;
    const double h = std::clamp(dot(p - a, ab) / dot(ab, ab), 0.0, 1.0);
    return length(p - (a + ab * h)) - (ra + (rb - ra) * h);
}

// An approximate distance to an axis-aligned ellipse, exact on the axes.
inline double sdEllipse(Vec2 p, Vec2 center, Vec2 radii) {
    const Vec2 q = {(p.x - center.x) / radii.x, (p.y - center.y) / radii.y};
    return (length(q) - 1.0) * std::min(radii.x, radii.y);
}

inline double sdBox(Vec2 p, Vec2 center, Vec2 halfSize) {
    const Vec2 d = {std::abs(p.x - center.x) - halfSize.x, std::abs(p.y - center.y) - halfSize.y};
    const Vec2 outside = {std::max(d.x, 0.0), std::max(d.y, 0.0)};
    return length(outside) + std::min(std::max(d.x, d.y), 0.0);
}

inline double smoothstep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}
