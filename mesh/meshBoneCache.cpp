#include "meshBoneCache.h"

#include <utility>

meshBoneCache::meshBoneCache(std::string key, const Vec4& start_pt, const Vec4& end_pt)
    : key(std::move(key)), start_pt(start_pt), end_pt(end_pt) {}

meshBoneCache::~meshBoneCache() = default;
