#pragma once

// A pair of 32-bit floats: a 2D offset, or a texture coordinate (x = u, y = v).
struct Vec2 {
    float x = 0.0f;
    float y = 0.0f;
};

static_assert(sizeof(Vec2) == 2 * sizeof(float), "Vec2 lists are read as packed float pairs");
