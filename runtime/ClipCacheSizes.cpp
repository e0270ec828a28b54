#include "ClipCacheSizes.h"

#include "meshBoneCacheManager.h"
#include "meshDisplacementCacheManager.h"
#include "meshOpacityCacheManager.h"
#include "meshUVWarpCacheManager.h"

namespace MobilantModule {

std::uint64_t ClipCacheSizes::Bytes() const {
    return meshBoneCacheManager::bytesFor(slots, boneEntries) +
           meshDisplacementCacheManager::bytesFor(slots, displacementEntries, displacementPairs) +
           meshUVWarpCacheManager::bytesFor(slots, uvWarpEntries) +
           meshOpacityCacheManager::bytesFor(slots, opacityEntries);
}

}  // namespace MobilantModule
