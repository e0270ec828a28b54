#include "ImageBounds.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "HostNumbers.h"

namespace {

struct CosSin {
    float c;
    float s;
};

CosSin TurnOf(float angle) {
    if (angle == 90.0f) return {0.0f, 1.0f};
    if (angle == 180.0f) return {-1.0f, 0.0f};
    if (angle == 270.0f) return {0.0f, -1.0f};
    const double theta = ObjectAngleRadians(angle);
    return {static_cast<float>(std::cos(theta)), static_cast<float>(std::sin(theta))};
}

}  // namespace

float ObjectAngleRadians(float degrees) {
    return static_cast<float>(static_cast<double>(degrees) * 3.1415926535 / 180.0);
}

ImageBounds ComputeImageBounds(std::int32_t surfaceWidth, std::int32_t surfaceHeight, float scaleX,
                               float scaleY, float angle, std::int32_t hotSpotX,
                               std::int32_t hotSpotY) {
    // Step 1: the scaled size.
    const std::int32_t w = SaturatingTrunc(scaleX * static_cast<float>(surfaceWidth));
    const std::int32_t h = SaturatingTrunc(scaleY * static_cast<float>(surfaceHeight));

    // Step 2: the box of the turned corners, the origin corner included.
    const CosSin turn = TurnOf(angle);
    const float wf = static_cast<float>(w);
    const float hf = static_cast<float>(h);
    const std::int64_t p1x = SaturatingFloor(wf * turn.c);
    const std::int64_t p1y = SaturatingFloor(-wf * turn.s);
    const std::int64_t p2x = SaturatingFloor(wf * turn.c + hf * turn.s);
    const std::int64_t p2y = SaturatingFloor(hf * turn.c - wf * turn.s);
    const std::int64_t p3x = p2x - p1x;
    const std::int64_t p3y = p2y - p1y;
    const auto [minX, maxX] = std::minmax({std::int64_t{0}, p1x, p2x, p3x});
    const auto [minY, maxY] = std::minmax({std::int64_t{0}, p1y, p2y, p3y});

    ImageBounds bounds;
    bounds.width = Saturate(maxX - minX);
    bounds.height = Saturate(maxY - minY);

    // Step 3: the hot spot, scaled, then turned about the centre of the image.
    std::int64_t hx = SaturatingTrunc(static_cast<float>(hotSpotX) * scaleX);
    std::int64_t hy = SaturatingTrunc(static_cast<float>(hotSpotY) * scaleY);
    if (angle != 0.0f) {
        const std::int64_t dx = hx - w / 2;
        const std::int64_t dy = hy - h / 2;
        const float dxf = static_cast<float>(dx);
        const float dyf = static_cast<float>(dy);
        hx = std::int64_t{SaturatingTrunc(dxf * turn.c + dyf * turn.s)} + bounds.width / 2;
        hy = std::int64_t{SaturatingTrunc(dyf * turn.c - dxf * turn.s)} + bounds.height / 2;
    }
    bounds.hotSpotX = Saturate(hx);
    bounds.hotSpotY = Saturate(hy);
    return bounds;
}
