#include "meshDisplacementCache.h"

#include <utility>

meshDisplacementCache::meshDisplacementCache(std::string key, std::vector<Vec2> local_displacements,
                                             std::vector<Vec2> post_displacements)
    : key(std::move(key)),
      local_displacements(std::move(local_displacements)),
      post_displacements(std::move(post_displacements)) {}

meshDisplacementCache::~meshDisplacementCache() = default;
