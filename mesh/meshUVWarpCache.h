#pragma once

#include <cstdint>
#include <string>

#include "Vec2.h"

// One region's UV warp at one frame of a clip. A frame whose warp is off keeps the defaults,
// and its scale is (-1, -1): a region whose warp is switched on by its first frame still takes
// these values from every later frame.
class meshUVWarpCache {
public:
    meshUVWarpCache() = default;
    explicit meshUVWarpCache(std::string key);
    meshUVWarpCache(std::string key, Vec2 local_offset, Vec2 global_offset, Vec2 scale,
                    bool enabled);
    meshUVWarpCache(const meshUVWarpCache&) = default;
    meshUVWarpCache(meshUVWarpCache&&) = default;
    meshUVWarpCache& operator=(const meshUVWarpCache&) = default;
    meshUVWarpCache& operator=(meshUVWarpCache&&) = default;
    virtual ~meshUVWarpCache();

    std::string key;  // the region's name
    Vec2 local_offset{0.0f, 0.0f};
    Vec2 global_offset{0.0f, 0.0f};
    Vec2 scale{-1.0f, -1.0f};
    bool enabled = false;
    std::int32_t uv_level = 0;
};
