// The host's drawing: rectangles, lines and the rotated, scaled blit, by hand-counted pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "Canvas.h"

namespace {

constexpr std::uint32_t kBack = 0xFF101010;
constexpr std::uint32_t A = 0xFFAA0000, B = 0xFF00BB00, C = 0xFF0000CC, D = 0xFF777777;

struct Picture {
    int width, height;
    std::vector<std::uint32_t> pixels;
    Canvas canvas;

    Picture(int w, int h)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, kBack),
          canvas(pixels.data(), w, h) {}
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    int Count(std::uint32_t colour) const {
        int n = 0;
        for (const std::uint32_t p : pixels) n += p == colour;
        return n;
    }
};

TEST(Canvas, ColoursComeFromColorRefs) {
    EXPECT_EQ(Canvas::FromColorRef(0xFF0000), 0xFF0000FFu);  // 0x00BBGGRR: blue
    EXPECT_EQ(Canvas::FromColorRef(0x00FF00), 0xFF00FF00u);
    EXPECT_EQ(Canvas::FromColorRef(0x0000FF), 0xFFFF0000u);
}

TEST(Canvas, OutlinesStayInsideTheRectangle) {
    Picture p(8, 6);
    p.canvas.Outline(1, 1, 6, 5, 1, A);  // 5 x 4: 14 border pixels
    EXPECT_EQ(p.Count(A), 14);
    EXPECT_EQ(p.At(1, 1), A);
    EXPECT_EQ(p.At(5, 4), A);
    EXPECT_EQ(p.At(6, 4), kBack);  // right and bottom are exclusive
    EXPECT_EQ(p.At(3, 2), kBack);
    p.canvas.Outline(-5, -5, 100, 100, 2, B);  // clipped, nothing out of bounds
    EXPECT_EQ(p.At(0, 0), kBack);
    Picture q(8, 6);
    q.canvas.Outline(0, 0, 8, 6, 2, B);
    EXPECT_EQ(q.Count(B), 48 - 8);  // all but the inner 4 x 2
}

TEST(Canvas, LinesIncludeBothEnds) {
    Picture p(6, 6);
    p.canvas.Line(5, 0, 0, 5, 1, A);  // the anti-diagonal
    EXPECT_EQ(p.Count(A), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(p.At(5 - i, i), A);
    p.canvas.Line(-1000000, 2, 1000000, 2, 1, B);  // far ends, clipped
    for (int x = 0; x < 6; ++x) EXPECT_EQ(p.At(x, 2), B);
}

BlitSpec Placement(float destX, float destY, float angle, float scale, float cx, float cy, int w, int h) {
    BlitSpec s;
    s.destX = destX, s.destY = destY, s.angle = angle, s.scaleX = s.scaleY = scale;
    s.centreX = cx, s.centreY = cy, s.sourceWidth = w, s.sourceHeight = h;
    return s;
}

TEST(Canvas, UnturnedBlitPlacesTheCentreAtTheDestination) {
    const std::uint32_t source[] = {A, B, C, D, A, B};  // 3 x 2
    Picture p(10, 10);
    p.canvas.Blit(source, 3, 2, Placement(5, 6, 0, 1, 1, 1, 3, 2));  // source (1, 1) lands on (5, 6)
    EXPECT_EQ(p.At(5, 6), A);
    EXPECT_EQ(p.At(4, 5), A);
    EXPECT_EQ(p.At(6, 5), C);
    EXPECT_EQ(p.At(6, 6), B);
    EXPECT_EQ(p.Count(kBack), 100 - 6);
}

// Positive angles turn counter-clockwise on screen: the source's x axis points up.
TEST(Canvas, TurnedBlitGoesCounterClockwise) {
    const std::uint32_t source[] = {A, B, C};  // 3 x 1
    Picture p(10, 10);
    p.canvas.Blit(source, 3, 1, Placement(5, 5, 90, 1, 0, 0, 3, 1));
    EXPECT_EQ(p.At(5, 5), A);
    EXPECT_EQ(p.At(5, 4), B);
    EXPECT_EQ(p.At(5, 3), C);
    EXPECT_EQ(p.Count(kBack), 97);
    Picture q(10, 10);
    q.canvas.Blit(source, 3, 1, Placement(5, 5, 180, 1, 0, 0, 3, 1));
    EXPECT_EQ(q.At(4, 5), B);
    EXPECT_EQ(q.At(3, 5), C);
}

// Pixel k of the source covers [k - 0.5, k + 0.5) about its centre: scaled by 2 about pixel 0,
// pixel 0 covers frame [-1, 1) and pixel 1 covers [1, 3).
TEST(Canvas, ScaledBlitSamplesTheNearestSourcePixel) {
    const std::uint32_t source[] = {A, B};
    Picture p(6, 1);
    p.canvas.Blit(source, 2, 1, Placement(0, 0, 0, 2, 0, 0, 2, 1));
    EXPECT_EQ(p.At(0, 0), A);
    EXPECT_EQ(p.At(1, 0), B);
    EXPECT_EQ(p.At(2, 0), B);
    EXPECT_EQ(p.At(3, 0), kBack);
}

TEST(Canvas, AlphaSourcesBlendOverTheFrame) {
    const std::uint32_t source[] = {0x00FFFFFF, 0x80FF0000, 0xFF00FF00};
    Picture p(3, 1);
    BlitSpec s = Placement(0, 0, 0, 1, 0, 0, 3, 1);
    s.sourceHasAlpha = true;
    p.canvas.Blit(source, 3, 1, s);
    EXPECT_EQ(p.At(0, 0), kBack);
    EXPECT_EQ(p.At(1, 0), 0xFF880808u);  // 0x80/255 of red over 0x10
    EXPECT_EQ(p.At(2, 0), 0xFF00FF00u);
    // An opaque source in transparent mode skips its transparent colour, black.
    const std::uint32_t opaque[] = {0xFF000000, B};
    Picture q(2, 1);
    BlitSpec t = Placement(0, 0, 0, 1, 0, 0, 2, 1);
    t.transparent = true;
    q.canvas.Blit(opaque, 2, 1, t);
    EXPECT_EQ(q.At(0, 0), kBack);
    EXPECT_EQ(q.At(1, 0), B);
}

TEST(Canvas, DegenerateBlitsDrawNothing) {
    const std::uint32_t source[] = {A};
    Picture p(4, 4);
    p.canvas.Blit(source, 1, 1, Placement(1, 1, 0, 0, 0, 0, 1, 1));
    p.canvas.Blit(source, 1, 1, Placement(1, 1, std::numeric_limits<float>::infinity(), 1, 0, 0, 1, 1));
    p.canvas.Blit(source, 1, 1, Placement(1, 1, 0, 1, 0, 0, 5, -1));
    p.canvas.Blit(nullptr, 1, 1, Placement(1, 1, 0, 1, 0, 0, 1, 1));
    EXPECT_EQ(p.Count(kBack), 16);
    // Scales so large that the corners lie beyond any int, or at infinity (found by the routine
    // fuzzer): the canvas bounds the walk.
    p.canvas.Blit(source, 1, 1, Placement(1, 1, 30, 3e38f, 0, 0, 1, 1));
    p.canvas.Blit(source, 1, 1, Placement(1e30f, 1, 0, 1, 0, 0, 1, 1));
    EXPECT_EQ(p.Count(A) + p.Count(kBack), 16);
}

}  // namespace
