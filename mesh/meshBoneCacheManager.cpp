#include "meshBoneCacheManager.h"

#include <algorithm>

#include "meshBone.h"

meshBoneCacheManager::meshBoneCacheManager() = default;

meshBoneCacheManager::~meshBoneCacheManager() = default;

bool meshBoneCacheManager::initFrames(std::int32_t startTime, std::int32_t endTime) {
    return frames.init(startTime, endTime);
}

void meshBoneCacheManager::setFrame(std::size_t slot, std::span<const meshBoneCache> entries) {
    frames.assign(slot, entries.size(), [&](std::size_t k) {
        const meshBoneCache& entry = entries[k];
        return Record{frames.internKey(entry.key), entry.start_pt, entry.end_pt};
    });
}

void meshBoneCacheManager::fillGap(std::int32_t previousFrame, std::int32_t currentFrame) {
    frames.fillGap(previousFrame, currentFrame, [](const Record& a, const Record& b, float f) {
        return Record{b.key, a.start_pt * (1.0f - f) + b.start_pt * f,
                      a.end_pt * (1.0f - f) + b.end_pt * f};
    });
}

meshBoneCache meshBoneCacheManager::entry(std::size_t slot, std::size_t k) const {
    const auto records = frames.slot(slot);
    if (k >= records.size()) return {};
    const Record& record = records[k];
    return {frames.keyOf(record), record.start_pt, record.end_pt};
}

std::vector<meshBoneCache> meshBoneCacheManager::frame(std::size_t slot) const {
    std::vector<meshBoneCache> list;
    for (std::size_t k = 0; k < frameSize(slot); ++k)
        list.push_back(entry(slot, k));
    return list;
}

void meshBoneCacheManager::applyAtTime(float t, const meshRenderBoneComposition::BoneMap& boneMap) {
    const auto pick = frames.pick(t);
    if (!pick) return;
    const float r = pick->r;
    const auto lo = frames.slot(pick->lo);
    const auto hi = frames.slot(pick->hi);
    const std::size_t count = std::min(lo.size(), hi.size());
    const std::lock_guard lock(mutex);
    for (std::size_t k = 0; k < count; ++k) {
        const auto found = boneMap.find(frames.keyOf(lo[k]));
        if (found == boneMap.end() || found->second == nullptr) continue;
        const Record& a = lo[k];
        const Record& b = hi[k];
        found->second->setWorldStartPt(a.start_pt * (1.0f - r) + b.start_pt * r);
        found->second->setWorldEndPt(a.end_pt * (1.0f - r) + b.end_pt * r);
    }
}
