#include "meshUVWarpCacheManager.h"

#include "meshRenderRegion.h"

meshUVWarpCacheManager::meshUVWarpCacheManager() = default;

meshUVWarpCacheManager::~meshUVWarpCacheManager() = default;

bool meshUVWarpCacheManager::initFrames(std::int32_t startTime, std::int32_t endTime) {
    return frames.init(startTime, endTime);
}

void meshUVWarpCacheManager::setFrame(std::size_t slot, std::span<const meshUVWarpCache> entries) {
    frames.assign(slot, entries.size(), [&](std::size_t k) {
        const meshUVWarpCache& entry = entries[k];
        return Record{frames.internKey(entry.key),
                      entry.local_offset,
                      entry.global_offset,
                      entry.scale,
                      entry.uv_level,
                      entry.enabled};
    });
}

meshUVWarpCache meshUVWarpCacheManager::entry(std::size_t slot, std::size_t k) const {
    const auto records = frames.slot(slot);
    if (k >= records.size()) return {};
    const Record& record = records[k];
    meshUVWarpCache cache(frames.keyOf(record), record.local_offset, record.global_offset,
                          record.scale, record.enabled);
    cache.uv_level = record.uv_level;
    return cache;
}

std::vector<meshUVWarpCache> meshUVWarpCacheManager::frame(std::size_t slot) const {
    std::vector<meshUVWarpCache> list;
    for (std::size_t k = 0; k < frameSize(slot); ++k)
        list.push_back(entry(slot, k));
    return list;
}

bool meshUVWarpCacheManager::isEnabled(std::size_t slot, std::size_t k) const {
    const auto records = frames.slot(slot);
    return k < records.size() && records[k].enabled;
}

void meshUVWarpCacheManager::applyAtTime(float t,
                                         const meshRenderBoneComposition::RegionMap& regionMap) {
    const auto pick = frames.pick(t);
    if (!pick) return;
    const std::lock_guard lock(mutex);
    for (const Record& record : frames.slot(pick->lo)) {
        const auto found = regionMap.find(frames.keyOf(record));
        if (found == regionMap.end() || found->second == nullptr) continue;
        meshRenderRegion& region = *found->second;
        if (!region.getUseUvWarp() && !record.enabled) continue;
        region.setLocalOffset(record.local_offset);
        region.setGlobalOffset(record.global_offset);
        region.setScale(record.scale);
        region.setUvLevel(record.uv_level);
    }
}
