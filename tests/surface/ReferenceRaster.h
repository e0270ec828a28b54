// The test's own picture of a drawn model, worked out in double precision from the model's render
// points and the definitions of the orthographic view, the mirror, the viewport and Direct3D 9's
// fill rule, without the surface's or the device's matrices: where each point lands in pixels,
// which pixels a triangle covers, how far a pixel centre is from the nearest edge, and the
// texture coordinates and colour at a pixel.
#pragma once

#include <d3d9.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

// How model points reach pixels: x from `left` to `right` spans the surface's width, y from
// `bottom` (top row) to `top` (bottom row) its height; mirrored, x is turned round after that.
// Pixel centres lie at whole numbers (Direct3D 9).
struct PixelMapping {
    double left, right, top, bottom;
    int width, height;
    bool mirrored;

    std::array<double, 2> toPixel(double x, double y) const {
        double px = (x - left) / (right - left) * width;
        if (mirrored) px = width - px;
        const double py = (bottom - y) / (bottom - top) * height;
        return {px, py};
    }
};

// One drawn triangle in pixels, with what its corners carry.
struct PixelTriangle {
    std::array<double, 3> x, y;
    std::array<double, 3> u, v;
    std::array<std::array<double, 4>, 3> colour;  // red, green, blue, alpha in 0..1
};

// The triangles of `indices` (whole triples only), from render points (x, y, z per point), UVs and
// the render colours as drawn: the model's bytes red, green, blue, alpha read by Direct3D as a
// D3DCOLOR, so the first byte is blue on screen.
inline std::vector<PixelTriangle> pixelTriangles(const PixelMapping& mapping, const float* points,
                                                 const float* uvs, const std::uint8_t* colours,
                                                 const std::int32_t* indices, std::size_t count) {
    std::vector<PixelTriangle> triangles;
    for (std::size_t i = 0; i + 3 <= count; i += 3) {
        PixelTriangle t;
        for (int k = 0; k < 3; ++k) {
            const std::size_t p = static_cast<std::size_t>(indices[i + static_cast<std::size_t>(k)]);
            const auto pixel = mapping.toPixel(points[3 * p], points[3 * p + 1]);
            t.x[k] = pixel[0];
            t.y[k] = pixel[1];
            t.u[k] = uvs[2 * p];
            t.v[k] = uvs[2 * p + 1];
            const std::uint8_t* c = colours + 4 * p;
            t.colour[k] = {c[2] / 255.0, c[1] / 255.0, c[0] / 255.0, c[3] / 255.0};
        }
        triangles.push_back(t);
    }
    return triangles;
}

// Distance from (px, py) to the segment from (ax, ay) to (bx, by).
inline double segmentDistance(double ax, double ay, double bx, double by, double px,
                              double py) {
    const double dx = bx - ax, dy = by - ay;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

inline double edgeDistance(const PixelTriangle& t, double px, double py) {
    return std::min({segmentDistance(t.x[0], t.y[0], t.x[1], t.y[1], px, py),
                     segmentDistance(t.x[1], t.y[1], t.x[2], t.y[2], px, py),
                     segmentDistance(t.x[2], t.y[2], t.x[0], t.y[0], px, py)});
}

// Barycentric weights of (px, py); false for a triangle without area.
inline bool barycentric(const PixelTriangle& t, double px, double py, std::array<double, 3>& w) {
    const double area = (t.x[1] - t.x[0]) * (t.y[2] - t.y[0]) - (t.x[2] - t.x[0]) * (t.y[1] - t.y[0]);
    if (area == 0) return false;
    w[0] = ((t.x[1] - px) * (t.y[2] - py) - (t.x[2] - px) * (t.y[1] - py)) / area;
    w[1] = ((t.x[2] - px) * (t.y[0] - py) - (t.x[0] - px) * (t.y[2] - py)) / area;
    w[2] = 1.0 - w[0] - w[1];
    return true;
}

// Whether a pixel centre is covered: a centre inside the triangle is, one outside is not, and
// one on an edge is covered only on a top or left edge. Centres within `margin` pixels of an edge
// are Near: there the rounding of the rasteriser's arithmetic decides, not the geometry.
enum class Cover { Outside, Inside, Near };

inline Cover coverOf(const PixelTriangle& t, double px, double py, double margin) {
    std::array<double, 3> w;
    if (!barycentric(t, px, py, w)) return Cover::Outside;
    const bool inside = w[0] > 0 && w[1] > 0 && w[2] > 0;
    const bool onEdge = edgeDistance(t, px, py) <= margin;
    if (onEdge) return Cover::Near;
    return inside ? Cover::Inside : Cover::Outside;
}

// The pixels around a triangle, within a width x height surface (empty when it lies outside).
struct PixelRange {
    int x0, x1, y0, y1;
};

inline PixelRange pixelRange(const PixelTriangle& t, int width, int height) {
    const auto [minX, maxX] = std::minmax({t.x[0], t.x[1], t.x[2]});
    const auto [minY, maxY] = std::minmax({t.y[0], t.y[1], t.y[2]});
    const auto clampTo = [](double v, int limit) {
        return static_cast<int>(std::clamp(v, -1.0, static_cast<double>(limit)));
    };
    return {std::max(0, clampTo(std::floor(minX) - 1, width)),
            std::min(width - 1, clampTo(std::ceil(maxX) + 1, width)),
            std::max(0, clampTo(std::floor(minY) - 1, height)),
            std::min(height - 1, clampTo(std::ceil(maxY) + 1, height))};
}

// Per pixel of a width x height surface, row by row: 1 covered by some triangle, 0 by none,
// -1 near an edge of one and covered by no other.
inline std::vector<int> expectedCoverage(const std::vector<PixelTriangle>& triangles, int width,
                                         int height, double margin) {
    std::vector<int> coverage(static_cast<std::size_t>(width) * height, 0);
    for (const PixelTriangle& t : triangles) {
        const PixelRange r = pixelRange(t, width, height);
        for (int y = r.y0; y <= r.y1; ++y) {
            for (int x = r.x0; x <= r.x1; ++x) {
                int& cell = coverage[static_cast<std::size_t>(y) * width + x];
                if (cell == 1) continue;
                const Cover cover = coverOf(t, x, y, margin);
                if (cover == Cover::Inside) cell = 1;
                if (cover == Cover::Near) cell = -1;
            }
        }
    }
    return coverage;
}

// `t` with its corners on the rasteriser's grid of 1/256 pixel, as Direct3D 9 hardware and the
// software device place them before deciding coverage.
inline PixelTriangle snapped(PixelTriangle t) {
    for (int k = 0; k < 3; ++k) {
        t.x[k] = std::nearbyint(t.x[k] * 256) / 256;
        t.y[k] = std::nearbyint(t.y[k] * 256) / 256;
    }
    return t;
}

// Per pixel, what a hit test at its centre must say: 1 when some triangle holds the centre more
// than `margin` pixels inside its edges, both as given and as snapped to the rasteriser's grid; 0
// when every triangle has it more than `margin` outside, both ways; -1 (not decided by the
// geometry) otherwise. Snapping moves an edge by up to 0.003 pixel, so a centre just outside the
// given edge may be just inside the drawn one.
inline std::vector<int> decidedHits(const std::vector<PixelTriangle>& triangles, int width,
                                    int height, double margin) {
    std::vector<int> decided(static_cast<std::size_t>(width) * height, 0);
    for (const PixelTriangle& t : triangles) {
        const PixelTriangle drawn = snapped(t);
        const PixelRange r = pixelRange(t, width, height);
        for (int y = r.y0; y <= r.y1; ++y) {
            for (int x = r.x0; x <= r.x1; ++x) {
                int& cell = decided[static_cast<std::size_t>(y) * width + x];
                if (cell == 1) continue;
                const Cover given = coverOf(t, x, y, margin);
                const Cover onGrid = coverOf(drawn, x, y, margin);
                if (given == Cover::Inside && onGrid == Cover::Inside) {
                    cell = 1;
                } else if (given != Cover::Outside || onGrid != Cover::Outside) {
                    cell = -1;
                }
            }
        }
    }
    return decided;
}

// Channels of 0xAARRGGBB as 0..255: alpha, red, green, blue.
inline std::array<int, 4> channels(D3DCOLOR c) {
    return {static_cast<int>(c >> 24), static_cast<int>((c >> 16) & 0xFF),
            static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c & 0xFF)};
}

// The largest difference between two pixels over their four channels.
inline int channelDistance(D3DCOLOR a, D3DCOLOR b) {
    const auto ca = channels(a), cb = channels(b);
    int most = 0;
    for (int k = 0; k < 4; ++k)
        most = std::max(most, std::abs(ca[k] - cb[k]));
    return most;
}
