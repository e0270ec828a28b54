#pragma once

#include <cmath>

// A 2D point or vector in model space (y up), in double precision: the
// generator does its geometry in doubles and rounds only when it writes text.
struct Vec2 {
    double x = 0.0;
    double y = 0.0;
};

inline Vec2 operator+(Vec2 a, Vec2 b) {
    return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b) {
    return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, double k) {
    return {a.x * k, a.y * k};
}
inline Vec2 operator*(double k, Vec2 a) {
    return {a.x * k, a.y * k};
}
inline double dot(Vec2 a, Vec2 b) {
    return a.x * b.x + a.y * b.y;
}
inline double length(Vec2 a) {
    return std::sqrt(dot(a, a));
}
inline Vec2 normalized(Vec2 a) {
    return a * (1.0 / length(a));
}
// The vector turned by +90 degrees (counter-clockwise with y up).
inline Vec2 perp(Vec2 a) {
    return {-a.y, a.x};
}
inline Vec2 lerp(Vec2 a, Vec2 b, double t) {
    return a + (b - a) * t;
}
