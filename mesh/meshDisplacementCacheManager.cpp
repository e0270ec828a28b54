#include "meshDisplacementCacheManager.h"

#include <algorithm>

#include "meshRenderRegion.h"

namespace {

Vec2 lerp(Vec2 a, Vec2 b, float f) {
    return {a.x * (1.0f - f) + b.x * f, a.y * (1.0f - f) + b.y * f};
}

// target[i] := lerp(a[i], b[i], r) when all three have one length, else every target (0, 0).
void blendInto(std::vector<Vec2>& target, std::span<const Vec2> a, std::span<const Vec2> b,
               float r) {
    if (a.size() == target.size() && b.size() == target.size()) {
        for (std::size_t i = 0; i < target.size(); ++i)
            target[i] = lerp(a[i], b[i], r);
    } else {
        std::fill(target.begin(), target.end(), Vec2{});
    }
}

}  // namespace

meshDisplacementCacheManager::meshDisplacementCacheManager() = default;

meshDisplacementCacheManager::~meshDisplacementCacheManager() = default;

bool meshDisplacementCacheManager::initFrames(std::int32_t startTime, std::int32_t endTime) {
    pairs = {};
    return frames.init(startTime, endTime);
}

void meshDisplacementCacheManager::setFrame(std::size_t slot,
                                            std::span<const meshDisplacementCache> entries) {
    if (slot >= frames.slotCount()) return;
    frames.assign(slot, entries.size(), [&](std::size_t k) {
        const meshDisplacementCache& entry = entries[k];
        const Record record{frames.internKey(entry.key),
                            static_cast<std::uint32_t>(entry.local_displacements.size()),
                            static_cast<std::uint32_t>(entry.post_displacements.size()),
                            pairs.size()};
        pairs.insert(pairs.end(), entry.local_displacements.begin(),
                     entry.local_displacements.end());
        pairs.insert(pairs.end(), entry.post_displacements.begin(), entry.post_displacements.end());
        return record;
    });
}

void meshDisplacementCacheManager::fillGap(std::int32_t previousFrame, std::int32_t currentFrame) {
    frames.fillGap(previousFrame, currentFrame, [this](const Record& a, const Record& b, float f) {
        // A list that either entry lacks has no pairs in common: min gives 0.
        const std::uint32_t local = std::min(a.localCount, b.localCount);
        const std::uint32_t post = std::min(a.postCount, b.postCount);
        const Record record{b.key, local, post, pairs.size()};
        for (std::size_t i = 0; i < local; ++i) {
            const Vec2 pair = lerp(pairs[a.first + i], pairs[b.first + i], f);
            pairs.push_back(pair);
        }
        for (std::size_t i = 0; i < post; ++i) {
            const Vec2 pair =
                lerp(pairs[a.first + a.localCount + i], pairs[b.first + b.localCount + i], f);
            pairs.push_back(pair);
        }
        return record;
    });
}

void meshDisplacementCacheManager::markAllReady() {
    frames.markAllReady();
    // Repack the pairs in record order, dropping those of replaced slots.
    std::size_t live = 0;
    for (const Record& record : frames.allRecords())
        live += record.localCount + record.postCount;
    if (live == pairs.size() && live == pairs.capacity()) return;
    std::vector<Vec2> packed;
    packed.reserve(live);
    for (Record& record : frames.allRecords()) {
        const auto from = pairs.begin() + static_cast<std::ptrdiff_t>(record.first);
        record.first = packed.size();
        packed.insert(packed.end(), from,
                      from + static_cast<std::ptrdiff_t>(record.localCount + record.postCount));
    }
    pairs.swap(packed);
}

std::span<const Vec2> meshDisplacementCacheManager::localPairs(const Record& record) const {
    return {pairs.data() + record.first, record.localCount};
}

std::span<const Vec2> meshDisplacementCacheManager::postPairs(const Record& record) const {
    return {pairs.data() + record.first + record.localCount, record.postCount};
}

const meshDisplacementCacheManager::Record* meshDisplacementCacheManager::find(
    std::size_t slot, std::size_t k) const {
    const auto records = frames.slot(slot);
    return k < records.size() ? &records[k] : nullptr;
}

meshDisplacementCache meshDisplacementCacheManager::entry(std::size_t slot, std::size_t k) const {
    const Record* record = find(slot, k);
    if (record == nullptr) return {};
    const auto local = localPairs(*record);
    const auto post = postPairs(*record);
    return {frames.keyOf(*record), {local.begin(), local.end()}, {post.begin(), post.end()}};
}

std::vector<meshDisplacementCache> meshDisplacementCacheManager::frame(std::size_t slot) const {
    std::vector<meshDisplacementCache> list;
    for (std::size_t k = 0; k < frameSize(slot); ++k)
        list.push_back(entry(slot, k));
    return list;
}

bool meshDisplacementCacheManager::hasLocalDisplacements(std::size_t slot, std::size_t k) const {
    const Record* record = find(slot, k);
    return record != nullptr && record->localCount > 0;
}

bool meshDisplacementCacheManager::hasPostDisplacements(std::size_t slot, std::size_t k) const {
    const Record* record = find(slot, k);
    return record != nullptr && record->postCount > 0;
}

void meshDisplacementCacheManager::applyAtTime(
    float t, const meshRenderBoneComposition::RegionMap& regionMap) {
    const auto pick = frames.pick(t);
    if (!pick) return;
    const auto lo = frames.slot(pick->lo);
    const auto hi = frames.slot(pick->hi);
    const std::size_t count = std::min(lo.size(), hi.size());
    const std::lock_guard lock(mutex);
    for (std::size_t k = 0; k < count; ++k) {
        const auto found = regionMap.find(frames.keyOf(lo[k]));
        if (found == regionMap.end() || found->second == nullptr) continue;
        meshRenderRegion& region = *found->second;
        if (region.getUseLocalDisplacements()) {
            blendInto(region.getLocalDisplacements(), localPairs(lo[k]), localPairs(hi[k]),
                      pick->r);
        }
        if (region.getUsePostDisplacements()) {
            blendInto(region.getPostDisplacements(), postPairs(lo[k]), postPairs(hi[k]), pick->r);
        }
    }
}

std::size_t meshDisplacementCacheManager::memoryBytes() const {
    return frames.memoryBytes() + pairs.capacity() * sizeof(Vec2);
}
