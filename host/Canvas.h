// Drawing into a block of 32-bit pixels (0xAARRGGBB, row by row) the way the host's surface
// services draw: rectangles, lines and the rotated, scaled blit. Pure arithmetic on memory, so
// any host of ours can use it whatever device drew the source.
#pragma once

#include <cstdint>

#include <windows.h>

// What BlitEx was asked to do, in source pixels and frame pixels.
struct BlitSpec {
    float destX = 0, destY = 0;      // where the centre lands
    float scaleX = 1, scaleY = 1;
    int sourceX = 0, sourceY = 0, sourceWidth = 0, sourceHeight = 0;
    float centreX = 0, centreY = 0;  // source pixel placed at (destX, destY)
    float angle = 0;                 // degrees, counter-clockwise on screen
    bool transparent = false;        // skip the transparent colour (black) of opaque sources
    int operation = 0;               // 0 copy, 1 blend by `parameter` (0 opaque .. 128 invisible)
    std::uint32_t parameter = 0;
    bool resample = false;           // bilinear instead of nearest
    bool sourceHasAlpha = false;     // blend by the source's alpha channel
};

// Where the blit puts source point (x, y): dest + R(-angle)((x, y) - centre) x scale, the
// inverse of the mapping Canvas::Blit samples by.
void BlitPlace(const BlitSpec& blit, double x, double y, double& frameX, double& frameY);

class Canvas {
public:
    // A view of width x height pixels at `pixels` (not owned).
    Canvas(std::uint32_t* pixels, int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }

    void Fill(std::uint32_t argb);
    // Pixels with left <= x < right, top <= y < bottom (clipped to the canvas).
    void FillRect(int left, int top, int right, int bottom, std::uint32_t argb);
    // The `thickness` pixels just inside the edges of that rectangle.
    void Outline(int left, int top, int right, int bottom, int thickness, std::uint32_t argb);
    // From (x1, y1) to (x2, y2), both ends included; thicker lines are square pens.
    void Line(int x1, int y1, int x2, int y2, int thickness, std::uint32_t argb);

    // Draws the source rectangle of `source` (sourceStride pixels per row, sourceRows rows)
    // turned and scaled: frame pixel (i, j) shows the source point
    // centre + R(angle)((i, j) - dest) / scale, where R turns (x, y) to
    // (x cos - y sin, x sin + y cos); pixel centres sit on whole coordinates, so the nearest
    // source pixel is floor(point + 0.5).
    void Blit(const std::uint32_t* source, int sourceStride, int sourceRows, const BlitSpec& blit);

    // 0x00BBGGRR as an opaque 0xAARRGGBB pixel.
    static std::uint32_t FromColorRef(COLORREF colour);

private:
    void Plot(int x, int y, std::uint32_t argb);

    std::uint32_t* pixels_;
    int width_;
    int height_;
};
