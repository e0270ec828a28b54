#pragma once

#include <string>

// One region's opacity, in percent, at one frame of a clip.
class meshOpacityCache {
public:
    meshOpacityCache() = default;
    meshOpacityCache(std::string key, float opacity);
    meshOpacityCache(const meshOpacityCache&) = default;
    meshOpacityCache(meshOpacityCache&&) = default;
    meshOpacityCache& operator=(const meshOpacityCache&) = default;
    meshOpacityCache& operator=(meshOpacityCache&&) = default;
    virtual ~meshOpacityCache();

    std::string key;  // the region's name
    float opacity = 100.0f;
};
