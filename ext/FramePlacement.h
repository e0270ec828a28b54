// Where an object's render surface lands in the frame: the host blits it with its pixel
// `hotSpot` at the object's position, scaled, then turned by the object's angle (degrees,
// counter-clockwise on screen). These map between frame points and render-surface pixels along
// that blit, so that hit tests and box corners agree with the picture.
#pragma once

#include <array>
#include <cstdint>

struct FramePlacement {
    std::int32_t x = 0;  // object position in the frame
    std::int32_t y = 0;
    float angle = 0.0f;  // degrees
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    std::int32_t hotSpotX = 0;  // render-surface pixel placed at the position
    std::int32_t hotSpotY = 0;
};

struct SurfacePoint {
    float x = 0.0f;
    float y = 0.0f;
};

// A corner in frame pixels.
struct FrameCorner {
    std::int32_t x = 0;
    std::int32_t y = 0;

    bool operator==(const FrameCorner&) const = default;
};

// The render-surface pixel that frame point (x, y) shows: d = (x - X, y - Y) turned by the
// object angle, divided by the scale, plus the hot spot. False when the scale cannot be
// inverted (0 or not finite): such a placement shows nothing.
bool FrameToSurface(const FramePlacement& placement, float x, float y, SurfacePoint& out);

// The exact inverse of FrameToSurface, truncated toward zero: the render-surface pixel (px, py)
// less the hot spot, scaled, turned back by the angle, plus the position.
FrameCorner SurfaceToFrame(const FramePlacement& placement, float px, float py);

// The four corners of a render-surface box (left, right, top, bottom) in the frame, in the
// order (left, top), (right, top), (left, bottom), (right, bottom).
std::array<FrameCorner, 4> BoxCornersInFrame(const FramePlacement& placement, float left,
                                             float right, float top, float bottom);

// True when surface point `p` lies on a surfaceWidth x surfaceHeight render surface as the blit
// samples it: its nearest pixel centre is one of the surface's pixels.
bool OnRenderSurface(const SurfacePoint& p, std::int32_t surfaceWidth, std::int32_t surfaceHeight);
