// The host's image size and hot spot for a render surface drawn rotated and scaled: the
// host sizes the object's collision and redraw box from them, so they must enclose the picture
// the rotated blit makes.
#pragma once

#include <cstdint>

struct ImageBounds {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t hotSpotX = 0;
    std::int32_t hotSpotY = 0;

    bool operator==(const ImageBounds&) const = default;
};

// The angle in radians as the object turns: degrees x 3.1415926535 / 180, formed in double
// precision and rounded to float.
float ObjectAngleRadians(float degrees);

// The bounds of a surfaceWidth x surfaceHeight render surface scaled by (scaleX, scaleY) and
// turned by `angle` degrees counter-clockwise about its pixel (hotSpotX, hotSpotY):
// 1. w = trunc(scaleX x surfaceWidth), h = trunc(scaleY x surfaceHeight);
// 2. the box spanned by (0, 0) and the floored turned corners (w, 0), (w, h), (0, h), whose
//    width and height are the image size;
// 3. the hot spot scaled, then turned about the image centre.
// Exactly 90, 180 and 270 degrees use exact sines and cosines in steps 2 and 3 (at 180 the
// rounded cosine and sine of 3.1415926535 would lose a pixel to truncation). Every conversion to
// an integer truncates and saturates; NaN gives 0.
ImageBounds ComputeImageBounds(std::int32_t surfaceWidth, std::int32_t surfaceHeight, float scaleX,
                               float scaleY, float angle, std::int32_t hotSpotX,
                               std::int32_t hotSpotY);
