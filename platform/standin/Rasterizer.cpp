#include "Rasterizer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int kSubpixelBits = 8;
constexpr std::int64_t kOne = std::int64_t{1} << kSubpixelBits;
constexpr std::int64_t kHalf = kOne / 2;
// Screen coordinates beyond this many pixels are clipped away, which keeps edge
// function products below 2^60.
constexpr double kScreenLimit = 1 << 20;

// Clip planes as distances that are >= 0 inside: z >= 0, z <= w, then the guard band.
constexpr int kPlanes = 6;
constexpr int kMaxPolygon = 3 + kPlanes;

float PlaneDistance(const ClipVertex& v, int plane, float band) {
    const float* p = v.position;
    switch (plane) {
        case 0:
            return p[2];
        case 1:
            return p[3] - p[2];
        case 2:
            return band * p[3] - p[0];
        case 3:
            return band * p[3] + p[0];
        case 4:
            return band * p[3] - p[1];
        default:
            return band * p[3] + p[1];
    }
}

unsigned Outcode(const ClipVertex& v, float band) {
    unsigned code = 0;
    for (int plane = 0; plane < kPlanes; ++plane) {
        // NaN counts as outside every plane, so the primitive is dropped.
        if (!(PlaneDistance(v, plane, band) >= 0.0f)) code |= 1u << plane;
    }
    return code;
}

// The point where edge inside -> outside crosses a plane; always interpolated
// from the inside vertex, so two primitives sharing the edge agree to the bit.
ClipVertex Intersect(const ClipVertex& inside, const ClipVertex& outside, float dIn, float dOut) {
    const float t = dIn / (dIn - dOut);
    ClipVertex r;
    for (int i = 0; i < 4; ++i) {
        r.position[i] = inside.position[i] + (outside.position[i] - inside.position[i]) * t;
        r.color[i] = inside.color[i] + (outside.color[i] - inside.color[i]) * t;
    }
    for (int i = 0; i < 2; ++i) {
        r.texcoord[i] = inside.texcoord[i] + (outside.texcoord[i] - inside.texcoord[i]) * t;
    }
    return r;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {  // b > 0
    std::int64_t q = a / b;
    if ((a % b != 0) && (a < 0)) --q;
    return q;
}

// The pixel whose centre is nearest a fixed-point coordinate (halves go up).
std::int64_t NearestPixel(std::int64_t v) {
    return FloorDiv(v + kHalf, kOne);
}

bool TopLeft(std::int64_t dx, std::int64_t dy) {
    // Edges of a clockwise (on screen, y down) triangle: left edges go up, top edges go right.
    return dy < 0 || (dy == 0 && dx > 0);
}

}  // namespace

Rasterizer::Rasterizer(const RasterSetup& setup, PixelPipeline& pipeline, UINT textureWidth,
                       UINT textureHeight)
    : setup_(setup),
      pipeline_(pipeline),
      textureWidth_(textureWidth),
      textureHeight_(textureHeight) {
    const double half = std::max({setup_.viewport.Width / 2.0, setup_.viewport.Height / 2.0, 1.0});
    guardBand_ = (kScreenLimit / 2) / half;
}

bool Rasterizer::ToScreen(const ClipVertex& v, ScreenVertex& out) const {
    double sx, sy, invW;
    if (setup_.pretransformed) {
        sx = v.position[0];
        sy = v.position[1];
        invW = v.position[3];
        if (!(invW > 0.0) || !std::isfinite(invW)) invW = 1.0;
    } else {
        const D3DVIEWPORT9& vp = setup_.viewport;
        invW = 1.0 / v.position[3];
        sx = vp.X + (1.0 + v.position[0] * invW) * (vp.Width / 2.0);
        sy = vp.Y + (1.0 - v.position[1] * invW) * (vp.Height / 2.0);
    }
    if (!(std::fabs(sx) <= kScreenLimit && std::fabs(sy) <= kScreenLimit) || !std::isfinite(invW)) {
        return false;
    }
    out.x = static_cast<std::int64_t>(std::nearbyint(sx * kOne));
    out.y = static_cast<std::int64_t>(std::nearbyint(sy * kOne));
    out.invW = invW;
    for (int i = 0; i < 4; ++i)
        out.color[i] = v.color[i];
    out.texcoord[0] = v.texcoord[0];
    out.texcoord[1] = v.texcoord[1];
    return true;
}

bool Rasterizer::Inside(std::int64_t x, std::int64_t y) const {
    return x >= setup_.pixels.left && x < setup_.pixels.right && y >= setup_.pixels.top &&
           y < setup_.pixels.bottom;
}

void Rasterizer::Triangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c,
                          const ClipVertex& flat) {
    const float* flatColor = setup_.flatShading ? flat.color : nullptr;
    ScreenVertex s[kMaxPolygon];
    if (setup_.pretransformed) {
        if (ToScreen(a, s[0]) && ToScreen(b, s[1]) && ToScreen(c, s[2])) {
            ScreenTriangle(s[0], s[1], s[2], flatColor);
        }
        return;
    }

    const float band = static_cast<float>(guardBand_);
    const unsigned codeA = Outcode(a, band);
    const unsigned codeB = Outcode(b, band);
    const unsigned codeC = Outcode(c, band);
    if (codeA & codeB & codeC) return;  // wholly outside one plane

    ClipVertex buffers[2][kMaxPolygon];
    int count = 3;
    buffers[0][0] = a;
    buffers[0][1] = b;
    buffers[0][2] = c;
    int current = 0;
    const unsigned crossed = codeA | codeB | codeC;
    for (int plane = 0; plane < kPlanes; ++plane) {
        if (!(crossed & (1u << plane))) continue;
        const ClipVertex* in = buffers[current];
        ClipVertex* out = buffers[current ^ 1];
        int outCount = 0;
        for (int i = 0; i < count; ++i) {
            const ClipVertex& p = in[i];
            const ClipVertex& q = in[(i + 1) % count];
            const float dp = PlaneDistance(p, plane, band);
            const float dq = PlaneDistance(q, plane, band);
            const bool pIn = dp >= 0.0f;
            const bool qIn = dq >= 0.0f;
            if (pIn) out[outCount++] = p;
            if (pIn && !qIn) out[outCount++] = Intersect(p, q, dp, dq);
            if (!pIn && qIn) out[outCount++] = Intersect(q, p, dq, dp);
        }
        count = outCount;
        current ^= 1;
        if (count < 3) return;
    }
    for (int i = 0; i < count; ++i) {
        if (!ToScreen(buffers[current][i], s[i])) return;
    }
    for (int i = 1; i + 1 < count; ++i)
        ScreenTriangle(s[0], s[i], s[i + 1], flatColor);
}

void Rasterizer::ScreenTriangle(const ScreenVertex& v0, const ScreenVertex& v1In,
                                const ScreenVertex& v2In, const float* flatColor) {
    const ScreenVertex* v1 = &v1In;
    const ScreenVertex* v2 = &v2In;
    // Twice the signed area; positive is clockwise on screen (y points down).
    std::int64_t area = (v1->x - v0.x) * (v2->y - v0.y) - (v2->x - v0.x) * (v1->y - v0.y);
    if (area == 0) return;
    if ((setup_.cullMode == D3DCULL_CW && area > 0) ||
        (setup_.cullMode == D3DCULL_CCW && area < 0)) {
        return;
    }
    if (area < 0) {
        std::swap(v1, v2);
        area = -area;
    }
    const ScreenVertex* v[3] = {&v0, v1, v2};

    // Pixel centres inside the bounding box and the writable rectangle.
    const std::int64_t minX = std::max<std::int64_t>(
        FloorDiv(std::min({v[0]->x, v[1]->x, v[2]->x}) + kOne - 1, kOne), setup_.pixels.left);
    const std::int64_t maxX = std::min<std::int64_t>(
        FloorDiv(std::max({v[0]->x, v[1]->x, v[2]->x}), kOne), setup_.pixels.right - 1);
    const std::int64_t minY = std::max<std::int64_t>(
        FloorDiv(std::min({v[0]->y, v[1]->y, v[2]->y}) + kOne - 1, kOne), setup_.pixels.top);
    const std::int64_t maxY = std::min<std::int64_t>(
        FloorDiv(std::max({v[0]->y, v[1]->y, v[2]->y}), kOne), setup_.pixels.bottom - 1);
    if (minX > maxX || minY > maxY) return;

    // Edge i runs opposite vertex i: from v[i+1] to v[i+2]. Its function is
    // positive inside, and equals `area` at vertex i.
    std::int64_t stepX[3], stepY[3], rowStart[3], bias[3];
    for (int i = 0; i < 3; ++i) {
        const ScreenVertex& from = *v[(i + 1) % 3];
        const ScreenVertex& to = *v[(i + 2) % 3];
        const std::int64_t dx = to.x - from.x;
        const std::int64_t dy = to.y - from.y;
        stepX[i] = -dy * kOne;
        stepY[i] = dx * kOne;
        rowStart[i] = dx * (minY * kOne - from.y) - dy * (minX * kOne - from.x);
        bias[i] = TopLeft(dx, dy) ? 0 : -1;
    }

    // Attribute set-up: values divided by w for perspective-correct interpolation.
    const bool perspective = v[0]->invW != v[1]->invW || v[0]->invW != v[2]->invW;
    double q[3], color[3][4], tex[3][2];
    for (int i = 0; i < 3; ++i) {
        q[i] = perspective ? v[i]->invW : 1.0;
        for (int k = 0; k < 4; ++k)
            color[i][k] = v[i]->color[k] * q[i];
        for (int k = 0; k < 2; ++k)
            tex[i][k] = v[i]->texcoord[k] * q[i];
    }
    const double invArea = 1.0 / static_cast<double>(area);

    if (pipeline_.Textured()) {
        // Texels per pixel, from the screen-space derivatives of the coordinates.
        double du[2] = {0, 0}, dv[2] = {0, 0};
        for (int i = 0; i < 3; ++i) {
            const double dldx = static_cast<double>(stepX[i]) * invArea;
            const double dldy = static_cast<double>(stepY[i]) * invArea;
            du[0] += v[i]->texcoord[0] * dldx * textureWidth_;
            du[1] += v[i]->texcoord[0] * dldy * textureWidth_;
            dv[0] += v[i]->texcoord[1] * dldx * textureHeight_;
            dv[1] += v[i]->texcoord[1] * dldy * textureHeight_;
        }
        const double rho = std::max(std::sqrt(du[0] * du[0] + dv[0] * dv[0]),
                                    std::sqrt(du[1] * du[1] + dv[1] * dv[1]));
        pipeline_.SelectFilter(rho);
    }

    for (std::int64_t y = minY; y <= maxY; ++y) {
        std::int64_t e[3] = {rowStart[0], rowStart[1], rowStart[2]};
        for (std::int64_t x = minX; x <= maxX; ++x) {
            if (((e[0] + bias[0]) | (e[1] + bias[1]) | (e[2] + bias[2])) >= 0) {
                const double l[3] = {e[0] * invArea, e[1] * invArea, e[2] * invArea};
                const double qq = l[0] * q[0] + l[1] * q[1] + l[2] * q[2];
                const double norm = perspective ? 1.0 / qq : 1.0;
                float rgba[4];
                for (int k = 0; k < 4; ++k) {
                    rgba[k] = flatColor != nullptr
                                  ? flatColor[k]
                                  : static_cast<float>((l[0] * color[0][k] + l[1] * color[1][k] +
                                                        l[2] * color[2][k]) *
                                                       norm);
                }
                const double u = (l[0] * tex[0][0] + l[1] * tex[1][0] + l[2] * tex[2][0]) * norm;
                const double t = (l[0] * tex[0][1] + l[1] * tex[1][1] + l[2] * tex[2][1]) * norm;
                pipeline_.Shade(static_cast<int>(x), static_cast<int>(y), rgba, u, t);
                ++shaded_;
            }
            for (int i = 0; i < 3; ++i)
                e[i] += stepX[i];
        }
        for (int i = 0; i < 3; ++i)
            rowStart[i] += stepY[i];
    }
}

void Rasterizer::Line(const ClipVertex& a, const ClipVertex& b, bool drawLastPixel,
                      const ClipVertex& flat) {
    const float* flatColor = setup_.flatShading ? flat.color : nullptr;
    ScreenVertex sa, sb;
    if (setup_.pretransformed) {
        if (ToScreen(a, sa) && ToScreen(b, sb)) ScreenLine(sa, sb, drawLastPixel, flatColor);
        return;
    }
    const float band = static_cast<float>(guardBand_);
    if (Outcode(a, band) & Outcode(b, band)) return;
    ClipVertex p = a;
    ClipVertex q = b;
    for (int plane = 0; plane < kPlanes; ++plane) {
        const float dp = PlaneDistance(p, plane, band);
        const float dq = PlaneDistance(q, plane, band);
        const bool pIn = dp >= 0.0f;
        const bool qIn = dq >= 0.0f;
        if (!pIn && !qIn) return;
        if (!qIn) {
            q = Intersect(p, q, dp, dq);
        } else if (!pIn) {
            p = Intersect(q, p, dq, dp);
        }
    }
    if (ToScreen(p, sa) && ToScreen(q, sb)) ScreenLine(sa, sb, drawLastPixel, flatColor);
}

void Rasterizer::ScreenLine(const ScreenVertex& a, const ScreenVertex& b, bool drawLastPixel,
                            const float* flatColor) {
    const std::int64_t dx = b.x - a.x;
    const std::int64_t dy = b.y - a.y;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    // Major and minor coordinates of the two ends.
    const std::int64_t major0 = xMajor ? a.x : a.y;
    const std::int64_t minor0 = xMajor ? a.y : a.x;
    const std::int64_t dMajor = xMajor ? dx : dy;
    const std::int64_t dMinor = xMajor ? dy : dx;
    const std::int64_t first = NearestPixel(major0);
    const std::int64_t last = NearestPixel(xMajor ? b.x : b.y);
    const std::int64_t step = last >= first ? 1 : -1;
    const std::int64_t count = (last - first) * step + (drawLastPixel ? 1 : 0);

    if (pipeline_.Textured()) {
        const double length =
            std::max(std::hypot(static_cast<double>(dx), static_cast<double>(dy)) / kOne, 1e-9);
        const double du = (b.texcoord[0] - a.texcoord[0]) * textureWidth_ / length;
        const double dv = (b.texcoord[1] - a.texcoord[1]) * textureHeight_ / length;
        pipeline_.SelectFilter(std::sqrt(du * du + dv * dv));
    }

    // Only the steps whose major coordinate lies on the writable rectangle.
    const std::int64_t low = xMajor ? setup_.pixels.left : setup_.pixels.top;
    const std::int64_t high = (xMajor ? setup_.pixels.right : setup_.pixels.bottom) - 1;
    const std::int64_t kLow = std::max<std::int64_t>(0, step > 0 ? low - first : first - high);
    const std::int64_t kHigh = std::min(count, (step > 0 ? high - first : first - low) + 1);
    for (std::int64_t k = kLow; k < kHigh; ++k) {
        const std::int64_t major = first + k * step;
        std::int64_t minor = NearestPixel(minor0);
        double t = 0.0;
        if (dMajor != 0) {
            // Minor coordinate where the line crosses the pixel centre's major coordinate.
            const std::int64_t sign = dMajor > 0 ? 1 : -1;
            const std::int64_t along = major * kOne - major0;
            const std::int64_t numerator =
                (minor0 * dMajor + along * dMinor + kHalf * dMajor) * sign;
            minor = FloorDiv(numerator, kOne * dMajor * sign);
            t = std::clamp(static_cast<double>(along) / static_cast<double>(dMajor), 0.0, 1.0);
        }
        const std::int64_t x = xMajor ? major : minor;
        const std::int64_t y = xMajor ? minor : major;
        if (!Inside(x, y)) continue;
        float rgba[4];
        for (int i = 0; i < 4; ++i) {
            rgba[i] = flatColor != nullptr
                          ? flatColor[i]
                          : static_cast<float>(a.color[i] + (b.color[i] - a.color[i]) * t);
        }
        const double u = a.texcoord[0] + (b.texcoord[0] - a.texcoord[0]) * t;
        const double v = a.texcoord[1] + (b.texcoord[1] - a.texcoord[1]) * t;
        pipeline_.Shade(static_cast<int>(x), static_cast<int>(y), rgba, u, v);
        ++shaded_;
    }
}

void Rasterizer::Point(const ClipVertex& a) {
    if (!setup_.pretransformed && Outcode(a, static_cast<float>(guardBand_)) != 0) return;
    ScreenVertex s;
    if (!ToScreen(a, s)) return;
    const std::int64_t x = NearestPixel(s.x);
    const std::int64_t y = NearestPixel(s.y);
    if (!Inside(x, y)) return;
    pipeline_.SelectFilter(0.0);
    pipeline_.Shade(static_cast<int>(x), static_cast<int>(y), a.color, s.texcoord[0],
                    s.texcoord[1]);
    ++shaded_;
}
