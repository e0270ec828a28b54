#include "meshOpacityCache.h"

#include <utility>

meshOpacityCache::meshOpacityCache(std::string key, float opacity)
    : key(std::move(key)), opacity(opacity) {}

meshOpacityCache::~meshOpacityCache() = default;
