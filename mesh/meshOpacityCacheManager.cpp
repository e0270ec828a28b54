#include "meshOpacityCacheManager.h"

#include "meshRenderRegion.h"

meshOpacityCacheManager::meshOpacityCacheManager() = default;

meshOpacityCacheManager::~meshOpacityCacheManager() = default;

bool meshOpacityCacheManager::initFrames(std::int32_t startTime, std::int32_t endTime) {
    return frames.init(startTime, endTime);
}

void meshOpacityCacheManager::setFrame(std::size_t slot,
                                       std::span<const meshOpacityCache> entries) {
    frames.assign(slot, entries.size(), [&](std::size_t k) {
        return Record{frames.internKey(entries[k].key), entries[k].opacity};
    });
}

void meshOpacityCacheManager::fillGap(std::int32_t previousFrame, std::int32_t currentFrame) {
    frames.fillGap(previousFrame, currentFrame, [](const Record& a, const Record& b, float f) {
        return Record{b.key, a.opacity * (1.0f - f) + b.opacity * f};
    });
}

meshOpacityCache meshOpacityCacheManager::entry(std::size_t slot, std::size_t k) const {
    const auto records = frames.slot(slot);
    if (k >= records.size()) return {};
    return {frames.keyOf(records[k]), records[k].opacity};
}

std::vector<meshOpacityCache> meshOpacityCacheManager::frame(std::size_t slot) const {
    std::vector<meshOpacityCache> list;
    for (std::size_t k = 0; k < frameSize(slot); ++k)
        list.push_back(entry(slot, k));
    return list;
}

void meshOpacityCacheManager::applyAtTime(float t,
                                          const meshRenderBoneComposition::RegionMap& regionMap) {
    const auto pick = frames.pick(t);
    if (!pick) return;
    const std::lock_guard lock(mutex);
    for (const Record& record : frames.slot(pick->lo)) {
        const auto found = regionMap.find(frames.keyOf(record));
        if (found != regionMap.end() && found->second != nullptr)
            found->second->setOpacity(record.opacity);
    }
}
