#include "Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

struct Rgba {
    double a, r, g, b;
};

Rgba Unpack(std::uint32_t p) {
    return {static_cast<double>(p >> 24), static_cast<double>((p >> 16) & 0xFF),
            static_cast<double>((p >> 8) & 0xFF), static_cast<double>(p & 0xFF)};
}

std::uint32_t Channel(double v) {
    return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L));
}

// Bilinear sample of the source rectangle at point (x, y), edges clamped.
std::uint32_t Bilinear(const std::uint32_t* source, int stride, const BlitSpec& s, double x,
                       double y) {
    const double fx = std::floor(x), fy = std::floor(y);
    const double tx = x - fx, ty = y - fy;
    Rgba sum{0, 0, 0, 0};
    for (int k = 0; k < 4; ++k) {
        const int sx = std::clamp(static_cast<int>(fx) + (k & 1), s.sourceX,
                                  s.sourceX + s.sourceWidth - 1);
        const int sy = std::clamp(static_cast<int>(fy) + (k >> 1), s.sourceY,
                                  s.sourceY + s.sourceHeight - 1);
        const double w = ((k & 1) ? tx : 1 - tx) * ((k >> 1) ? ty : 1 - ty);
        const Rgba p = Unpack(source[static_cast<std::size_t>(sy) * stride + sx]);
        sum.a += w * p.a, sum.r += w * p.r, sum.g += w * p.g, sum.b += w * p.b;
    }
    return Channel(sum.a) << 24 | Channel(sum.r) << 16 | Channel(sum.g) << 8 | Channel(sum.b);
}

}  // namespace

void BlitPlace(const BlitSpec& s, double x, double y, double& frameX, double& frameY) {
    const double theta = static_cast<double>(s.angle) * 3.14159265358979323846 / 180.0;
    const double c = std::cos(theta), sn = std::sin(theta);
    const double vx = (x - s.centreX) * s.scaleX, vy = (y - s.centreY) * s.scaleY;
    frameX = s.destX + vx * c + vy * sn;
    frameY = s.destY - vx * sn + vy * c;
}

Canvas::Canvas(std::uint32_t* pixels, int width, int height)
    : pixels_(pixels), width_(width), height_(height) {}

std::uint32_t Canvas::FromColorRef(COLORREF colour) {
    return 0xFF000000u | (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

void Canvas::Plot(int x, int y, std::uint32_t argb) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_)
        pixels_[static_cast<std::size_t>(y) * width_ + x] = argb;
}

void Canvas::Fill(std::uint32_t argb) {
    std::fill_n(pixels_, static_cast<std::size_t>(width_) * height_, argb);
}

void Canvas::FillRect(int left, int top, int right, int bottom, std::uint32_t argb) {
    left = std::max(left, 0), top = std::max(top, 0);
    right = std::min(right, width_), bottom = std::min(bottom, height_);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) pixels_[static_cast<std::size_t>(y) * width_ + x] = argb;
}

void Canvas::Outline(int left, int top, int right, int bottom, int thickness,
                     std::uint32_t argb) {
    if (thickness <= 0 || right <= left || bottom <= top) return;
    const int t = std::min({thickness, (right - left + 1) / 2, (bottom - top + 1) / 2});
    FillRect(left, top, right, top + t, argb);
    FillRect(left, bottom - t, right, bottom, argb);
    FillRect(left, top, left + t, bottom, argb);
    FillRect(right - t, top, right, bottom, argb);
}

void Canvas::Line(int x1, int y1, int x2, int y2, int thickness, std::uint32_t argb) {
    const int pen = std::max(thickness, 1);
    const int before = (pen - 1) / 2;
    // Bresenham over 64-bit steps, so far-away ends cannot overflow; only what falls on the
    // canvas costs anything beyond the walk, which is bounded by clipping the ends first.
    const auto clampEnd = [](int v, int limit) { return std::clamp(v, -limit, 2 * limit); };
    const int limit = std::max(width_, height_) + pen;
    long long x = clampEnd(x1, limit), y = clampEnd(y1, limit);
    const long long ex = clampEnd(x2, limit), ey = clampEnd(y2, limit);
    const long long dx = std::llabs(ex - x), dy = -std::llabs(ey - y);
    const int sx = x < ex ? 1 : -1, sy = y < ey ? 1 : -1;
    long long error = dx + dy;
    for (;;) {
        for (int py = 0; py < pen; ++py)
            for (int px = 0; px < pen; ++px)
                Plot(static_cast<int>(x) - before + px, static_cast<int>(y) - before + py, argb);
        if (x == ex && y == ey) break;
        const long long twice = 2 * error;
        if (twice >= dy) error += dy, x += sx;
        if (twice <= dx) error += dx, y += sy;
    }
}

void Canvas::Blit(const std::uint32_t* source, int sourceStride, int sourceRows,
                  const BlitSpec& blit) {
    // The source rectangle, clipped to the source.
    BlitSpec s = blit;
    const int sx0 = std::max(s.sourceX, 0), sy0 = std::max(s.sourceY, 0);
    const int sx1 = std::min(s.sourceX + s.sourceWidth, sourceStride);
    const int sy1 = std::min(s.sourceY + s.sourceHeight, sourceRows);
    if (source == nullptr || sx1 <= sx0 || sy1 <= sy0) return;
    s.sourceX = sx0, s.sourceY = sy0, s.sourceWidth = sx1 - sx0, s.sourceHeight = sy1 - sy0;
    if (!(std::isfinite(s.scaleX) && std::isfinite(s.scaleY) && std::isfinite(s.angle) &&
          std::isfinite(s.destX) && std::isfinite(s.destY)) ||
        s.scaleX == 0 || s.scaleY == 0)
        return;

    const double theta = static_cast<double>(s.angle) * 3.14159265358979323846 / 180.0;
    const double c = std::cos(theta), sn = std::sin(theta);

    // Frame pixels that can show the source: the turned, scaled corners of its rectangle.
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (int k = 0; k < 4; ++k) {
        double fx, fy;
        BlitPlace(s, ((k & 1) ? sx1 : sx0) - 0.5, ((k >> 1) ? sy1 : sy0) - 0.5, fx, fy);
        minX = std::min(minX, fx), maxX = std::max(maxX, fx);
        minY = std::min(minY, fy), maxY = std::max(maxY, fy);
    }
    // Huge scales put the corners beyond any int, or at infinity: the canvas bounds them.
    const auto bound = [](double v, int high, int otherwise) {
        return std::isnan(v) ? otherwise : static_cast<int>(std::clamp(v, 0.0, static_cast<double>(high)));
    };
    const int left = bound(std::floor(minX) - 1, width_, 0);
    const int top = bound(std::floor(minY) - 1, height_, 0);
    const int right = bound(std::ceil(maxX) + 2, width_, width_);
    const int bottom = bound(std::ceil(maxY) + 2, height_, height_);

    double opacity = 1.0;
    if (s.operation == 1) opacity = std::clamp((128.0 - s.parameter) / 128.0, 0.0, 1.0);

    for (int j = top; j < bottom; ++j) {
        for (int i = left; i < right; ++i) {
            const double dx = i - s.destX, dy = j - s.destY;
            const double px = (dx * c - dy * sn) / s.scaleX + s.centreX;
            const double py = (dx * sn + dy * c) / s.scaleY + s.centreY;
            const double nx = std::floor(px + 0.5), ny = std::floor(py + 0.5);
            if (nx < s.sourceX || ny < s.sourceY || nx >= s.sourceX + s.sourceWidth ||
                ny >= s.sourceY + s.sourceHeight)
                continue;
            const std::uint32_t texel =
                s.resample
                    ? Bilinear(source, sourceStride, s, px, py)
                    : source[static_cast<std::size_t>(ny) * sourceStride + static_cast<int>(nx)];
            double alpha = s.sourceHasAlpha ? (texel >> 24) / 255.0 : 1.0;
            if (s.transparent && !s.sourceHasAlpha && (texel & 0xFFFFFF) == 0) continue;
            alpha *= opacity;
            if (alpha <= 0) continue;
            std::uint32_t& out = pixels_[static_cast<std::size_t>(j) * width_ + i];
            const Rgba src = Unpack(texel), dst = Unpack(out);
            out = 0xFF000000u | Channel(src.r * alpha + dst.r * (1 - alpha)) << 16 |
                  Channel(src.g * alpha + dst.g * (1 - alpha)) << 8 |
                  Channel(src.b * alpha + dst.b * (1 - alpha));
        }
    }
}
