#pragma once

#include <string>
#include <vector>

#include "Vec2.h"

// One region's displacements at one frame of a clip: one (x, y) pair per region point added
// before skinning (local) and after it (post). An empty list means the frame has none.
class meshDisplacementCache {
public:
    meshDisplacementCache() = default;
    meshDisplacementCache(std::string key, std::vector<Vec2> local_displacements,
                          std::vector<Vec2> post_displacements);
    meshDisplacementCache(const meshDisplacementCache&) = default;
    meshDisplacementCache(meshDisplacementCache&&) = default;
    meshDisplacementCache& operator=(const meshDisplacementCache&) = default;
    meshDisplacementCache& operator=(meshDisplacementCache&&) = default;
    virtual ~meshDisplacementCache();

    std::string key;  // the region's name
    std::vector<Vec2> local_displacements;
    std::vector<Vec2> post_displacements;
};
