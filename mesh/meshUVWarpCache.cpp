#include "meshUVWarpCache.h"

#include <utility>

meshUVWarpCache::meshUVWarpCache(std::string key) : key(std::move(key)) {}

meshUVWarpCache::meshUVWarpCache(std::string key, Vec2 local_offset, Vec2 global_offset, Vec2 scale,
                                 bool enabled)
    : key(std::move(key)),
      local_offset(local_offset),
      global_offset(global_offset),
      scale(scale),
      enabled(enabled) {}

meshUVWarpCache::~meshUVWarpCache() = default;
