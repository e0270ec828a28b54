#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "Vec2.h"
#include "meshCacheFrames.h"
#include "meshDisplacementCache.h"
#include "meshRenderBoneComposition.h"

// The displacements of every region of one clip, for every whole frame of the clip. Filled
// once by the loader and afterwards only read; applyAtTime writes them into the regions for a
// fractional time, interpolating linearly between the two frames around it. The pairs of all
// entries share one contiguous array.
class meshDisplacementCacheManager {
public:
    meshDisplacementCacheManager();
    virtual ~meshDisplacementCacheManager();

    meshDisplacementCacheManager(const meshDisplacementCacheManager&) = delete;
    meshDisplacementCacheManager& operator=(const meshDisplacementCacheManager&) = delete;

    // Forgets all frames and makes one empty, not ready slot per frame startTime..endTime. A
    // span longer than meshCacheFrames::maxSlots frames is refused: no slots, and false.
    [[nodiscard]] bool initFrames(std::int32_t startTime, std::int32_t endTime);
    // Makes room for `records` entries and `pairList` displacement pairs over all frames, before
    // the table is filled.
    void reserve(std::size_t records, std::size_t pairList) {
        frames.reserve(records);
        pairs.reserve(pairList);
    }
    // The bytes the filled table of `slots` frames, `records` entries and `pairList` pairs in
    // all will hold (the keys aside), for a budget checked before anything is allocated.
    static std::uint64_t bytesFor(std::uint64_t slots, std::uint64_t records,
                                  std::uint64_t pairList) {
        return meshCacheFrames<Record>::tableBytes(slots, records) + pairList * sizeof(Vec2);
    }

    std::int32_t getStartTime() const { return frames.startTime(); }
    std::int32_t getEndTime() const { return frames.endTime(); }
    std::size_t frameCount() const { return frames.slotCount(); }
    // The slot of a whole frame: time - startTime clamped to the slots (0 when there are none).
    std::size_t frameIndex(std::int32_t time) const { return frames.frameIndex(time); }

    // Slot `slot` := a copy of entries. A slot out of range is left alone.
    void setFrame(std::size_t slot, std::span<const meshDisplacementCache> entries);
    // Interpolates the frames strictly between two keyed frames (see meshCacheFrames::fillGap).
    // Each list, local and post, that both entries hold is interpolated into the new entry,
    // pairs matched by position up to the shorter list; a list only one of them holds is left
    // out.
    void fillGap(std::int32_t previousFrame, std::int32_t currentFrame);
    // Marks every slot ready and packs the storage; called once, after filling the table.
    void markAllReady();
    const std::vector<bool>& frameReady() const { return frames.readyFlags(); }

    std::size_t frameSize(std::size_t slot) const { return frames.slot(slot).size(); }
    meshDisplacementCache entry(std::size_t slot, std::size_t k) const;
    std::vector<meshDisplacementCache> frame(std::size_t slot) const;
    // Whether entry k of a slot has local (post) displacements; false when there is no entry k.
    // Allocate nothing, unlike entry.
    bool hasLocalDisplacements(std::size_t slot, std::size_t k) const;
    bool hasPostDisplacements(std::size_t slot, std::size_t k) const;

    // For every region named in the frames around t (entries paired by position up to the
    // shorter frame, unknown names skipped): when the region uses local displacements, they
    // become (1 - r) * earlier + r * later if both frames hold exactly as many pairs as the
    // region has, and all (0, 0) otherwise; likewise the post displacements. Nothing changes
    // unless both frames are ready. Any t is accepted. Allocates nothing.
    void applyAtTime(float t, const meshRenderBoneComposition::RegionMap& regionMap);

    // Bytes held on the heap.
    std::size_t memoryBytes() const;

private:
    // The pairs of an entry: localCount local ones from `first`, then postCount post ones.
    struct Record {
        std::uint32_t key;
        std::uint32_t localCount;
        std::uint32_t postCount;
        std::size_t first;
    };

    std::span<const Vec2> localPairs(const Record& record) const;
    std::span<const Vec2> postPairs(const Record& record) const;
    const Record* find(std::size_t slot, std::size_t k) const;

    meshCacheFrames<Record> frames;
    std::vector<Vec2> pairs;
    std::mutex mutex;  // held while a pose is written
};
