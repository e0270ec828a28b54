// The geometric half of Direct3D 9's fixed-function pipeline after vertex
// transformation: clipping, the viewport mapping and pixel coverage.
//
// The rules are Direct3D 9's: the view volume is -w <= x, y <= w and
// 0 <= z <= w; pixel centres lie at integer screen coordinates; a pixel is
// covered by a triangle when its centre is inside, or on a top or left edge
// (top-left rule), so triangles sharing an edge never draw a pixel twice.
// Positions are snapped to 1/256 pixel and coverage is decided with exact
// integer edge functions; colours and texture coordinates are interpolated
// perspective-correctly from the same integers, so a pixel's value depends
// only on its triangle and never on the traversal.
//
// Clipping against x and y is done by the pixel rectangle (a guard band keeps
// far-off vertices in integer range), so it never moves an edge inside the
// viewport. Lines step along their major axis and light, per column (or row),
// the pixel whose centre is nearest the line: the first pixel is drawn and the
// last only when asked (D3DRS_LASTPIXEL).
#pragma once

#include <d3d9.h>

#include <cstdint>

#include "PixelPipeline.h"

// A vertex after the fixed-function vertex stage: clip-space position (or, when
// pretransformed, screen x, y, z and 1/w), diffuse red, green, blue, alpha in
// 0..1, and the texture coordinates stage 0 uses.
struct ClipVertex {
    float position[4];
    float color[4];
    float texcoord[2];
};

struct RasterSetup {
    D3DVIEWPORT9 viewport{};
    RECT pixels{};  // pixels that may be written: viewport, scissor and target bounds
    DWORD cullMode = D3DCULL_CCW;
    bool flatShading = false;
    bool pretransformed = false;
};

class Rasterizer {
public:
    Rasterizer(const RasterSetup& setup, PixelPipeline& pipeline, UINT textureWidth,
               UINT textureHeight);

    // `flat` is the vertex whose colour a flat-shaded primitive takes.
    void Triangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c,
                  const ClipVertex& flat);
    void Line(const ClipVertex& a, const ClipVertex& b, bool drawLastPixel, const ClipVertex& flat);
    void Point(const ClipVertex& a);

    // Pixels handed to the pixel pipeline so far.
    std::uint64_t PixelsShaded() const { return shaded_; }

private:
    struct ScreenVertex {
        std::int64_t x;  // 1/256 pixel
        std::int64_t y;
        double invW;
        float color[4];
        double texcoord[2];
    };

    bool ToScreen(const ClipVertex& v, ScreenVertex& out) const;
    void ScreenTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                        const float* flatColor);
    void ScreenLine(const ScreenVertex& a, const ScreenVertex& b, bool drawLastPixel,
                    const float* flatColor);
    bool Inside(std::int64_t x, std::int64_t y) const;

    RasterSetup setup_;
    PixelPipeline& pipeline_;
    double textureWidth_;
    double textureHeight_;
    double guardBand_;  // |x| and |y| limit in normalised device units
    std::uint64_t shaded_ = 0;
};
