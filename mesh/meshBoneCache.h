#pragma once

#include <string>

#include "Vec4.h"

// One bone's posed end points at one frame of a clip, in model space.
class meshBoneCache {
public:
    meshBoneCache() = default;
    meshBoneCache(std::string key, const Vec4& start_pt, const Vec4& end_pt);
    meshBoneCache(const meshBoneCache&) = default;
    meshBoneCache(meshBoneCache&&) = default;
    meshBoneCache& operator=(const meshBoneCache&) = default;
    meshBoneCache& operator=(meshBoneCache&&) = default;
    virtual ~meshBoneCache();

    std::string key;  // the bone's key
    Vec4 start_pt;
    Vec4 end_pt;
};
