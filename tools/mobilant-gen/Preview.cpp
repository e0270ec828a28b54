#include "Preview.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "Kinematics.h"
#include "Paint.h"

namespace {

constexpr double kLeft = -4.0, kRight = 4.0, kBottom = -3.0, kTop = 3.0;

Color fetch(const RgbaImage& image, int x, int y) {
    x = std::clamp(x, 0, image.width - 1);
    y = std::clamp(y, 0, image.height - 1);
    const std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
    const double a = p[3] / 255.0;
    return {p[0] / 255.0 * a, p[1] / 255.0 * a, p[2] / 255.0 * a, a};  // premultiplied
}

// Bilinear sample, premultiplied alpha.
Color sample(const RgbaImage& image, Vec2 uv) {
    const double x = uv.x * image.width - 0.5;
    const double y = uv.y * image.height - 0.5;
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const double fx = x - x0;
    const double fy = y - y0;
    const Color top = mixed(fetch(image, x0, y0), fetch(image, x0 + 1, y0), fx);
    const Color bottom = mixed(fetch(image, x0, y0 + 1), fetch(image, x0 + 1, y0 + 1), fx);
    return mixed(top, bottom, fy);
}

struct Canvas {
    RgbaImage image;

    void blend(int x, int y, Color premultiplied) {
        if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
        std::uint8_t* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
        const double keep = 1.0 - premultiplied.a;
        p[0] = static_cast<std::uint8_t>(
            std::lround(std::clamp(premultiplied.r * 255.0 + p[0] * keep, 0.0, 255.0)));
        p[1] = static_cast<std::uint8_t>(
            std::lround(std::clamp(premultiplied.g * 255.0 + p[1] * keep, 0.0, 255.0)));
        p[2] = static_cast<std::uint8_t>(
            std::lround(std::clamp(premultiplied.b * 255.0 + p[2] * keep, 0.0, 255.0)));
    }

    void line(Vec2 a, Vec2 b, Color color) {
        const int steps =
            static_cast<int>(std::ceil(std::max(std::abs(b.x - a.x), std::abs(b.y - a.y)))) + 1;
        for (int i = 0; i <= steps; ++i) {
            const Vec2 p = lerp(a, b, static_cast<double>(i) / steps);
            blend(static_cast<int>(p.x), static_cast<int>(p.y), color);
        }
    }
};

Color regionColor(int region) {
    static const std::array<Color, 6> palette = {rgb(220, 90, 70),  rgb(70, 140, 220),
                                                 rgb(90, 180, 90),  rgb(220, 180, 60),
                                                 rgb(160, 90, 200), rgb(60, 190, 190)};
    return palette[region % palette.size()];
}

}  // namespace

RgbaImage renderPreview(const GenModel& model, const ClipKey& key, int width, int height) {
    Canvas canvas;
    canvas.image.width = width;
    canvas.image.height = height;
    canvas.image.pixels.assign(static_cast<std::size_t>(width) * height * 4, 255);
    for (std::size_t i = 0; i < canvas.image.pixels.size(); i += 4) {
        canvas.image.pixels[i + 0] = 236;
        canvas.image.pixels[i + 1] = 238;
        canvas.image.pixels[i + 2] = 242;
    }
    const auto toScreen = [&](Vec2 p) {
        return Vec2{(p.x - kLeft) / (kRight - kLeft) * width,
                    (kTop - p.y) / (kTop - kBottom) * height};
    };

    std::vector<Rigid2> deltas(model.bones.size());
    for (std::size_t b = 0; b < model.bones.size(); ++b)
        deltas[b] = deltaFromPoints(model.bones[b], key.bones[b]);

    std::vector<Vec2> screen(model.points.size());
    std::vector<Vec2> uvs = model.uvs;
    for (std::size_t r = 0; r < model.regions.size(); ++r) {
        const GenRegion& region = model.regions[r];
        const RegionKey& state = key.regions[r];
        for (int i = 0; i < region.pointCount; ++i) {
            const int point = region.firstPoint + i;
            Vec2 p = model.points[point];
            if (state.useLocal) p = p + state.localDisplacements[i];
            Vec2 q;
            for (std::size_t b = 0; b < model.bones.size(); ++b) {
                const double w = region.weights[b][i];
                if (w > 0.0) q = q + deltas[b].apply(p) * w;
            }
            if (state.usePost) q = q + state.postDisplacements[i];
            screen[point] = toScreen(q);
            if (state.uvEnabled) {
                const Vec2 uv = model.uvs[point];
                uvs[point] = {state.globalOffset.x + state.scale.x * (uv.x - state.localOffset.x),
                              state.globalOffset.y + state.scale.y * (uv.y - state.localOffset.y)};
            }
        }
    }

    const bool textured = model.texture.width > 0;
    for (std::size_t r = 0; r < model.regions.size(); ++r) {
        const GenRegion& region = model.regions[r];
        const double opacity = key.regions[r].opacity / 100.0;
        for (int t = region.firstIndex; t < region.firstIndex + region.indexCount; t += 3) {
            const std::uint32_t i0 = model.indices[t], i1 = model.indices[t + 1],
                                i2 = model.indices[t + 2];
            const Vec2 a = screen[i0], b = screen[i1], c = screen[i2];
            const double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
            if (std::abs(area) < 1e-12) continue;
            const int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.x, b.x, c.x}))));
            const int x1 =
                std::min(width - 1, static_cast<int>(std::ceil(std::max({a.x, b.x, c.x}))));
            const int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.y, b.y, c.y}))));
            const int y1 =
                std::min(height - 1, static_cast<int>(std::ceil(std::max({a.y, b.y, c.y}))));
            for (int y = y0; y <= y1; ++y) {
                for (int x = x0; x <= x1; ++x) {
                    const Vec2 p = {x + 0.5, y + 0.5};
                    const double w0 =
                        ((b.x - p.x) * (c.y - p.y) - (b.y - p.y) * (c.x - p.x)) / area;
                    const double w1 =
                        ((c.x - p.x) * (a.y - p.y) - (c.y - p.y) * (a.x - p.x)) / area;
                    const double w2 = 1.0 - w0 - w1;
                    if (w0 < 0.0 || w1 < 0.0 || w2 < 0.0) continue;
                    Color color;
                    if (textured) {
                        color = sample(model.texture, uvs[i0] * w0 + uvs[i1] * w1 + uvs[i2] * w2);
                    } else {
                        const Color flat = regionColor(static_cast<int>(r));
                        color = {flat.r * 0.5, flat.g * 0.5, flat.b * 0.5, 0.5};
                    }
                    canvas.blend(x, y,
                                 {color.r * opacity, color.g * opacity, color.b * opacity,
                                  color.a * opacity});
                }
            }
            if (!textured) {
                const Color edge = {0.1, 0.1, 0.1, 0.8};
                canvas.line(a, b, edge);
                canvas.line(b, c, edge);
                canvas.line(c, a, edge);
            }
        }
    }
    for (const BonePoints& bone : key.bones) {
        canvas.line(toScreen(bone.start), toScreen(bone.end), {0.8, 0.0, 0.0, 0.8});
    }
    return canvas.image;
}

void pasteImage(RgbaImage& sheet, const RgbaImage& tile, int x, int y) {
    for (int ty = 0; ty < tile.height; ++ty) {
        for (int tx = 0; tx < tile.width; ++tx) {
            const int sx = x + tx, sy = y + ty;
            if (sx < 0 || sy < 0 || sx >= sheet.width || sy >= sheet.height) continue;
            for (int c = 0; c < 4; ++c) {
                sheet.pixels[(static_cast<std::size_t>(sy) * sheet.width + sx) * 4 + c] =
                    tile.pixels[(static_cast<std::size_t>(ty) * tile.width + tx) * 4 + c];
            }
        }
    }
}
