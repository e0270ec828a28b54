#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "Vec4.h"
#include "meshBoneCache.h"
#include "meshCacheFrames.h"
#include "meshRenderBoneComposition.h"

// The posed end points of every bone of one clip, for every whole frame of the clip. Filled
// once by the loader (setFrame for keyed frames, fillGap between them, then markAllReady) and
// afterwards only read. applyAtTime writes the points for a fractional time into the bones,
// interpolating linearly between the two frames around it.
class meshBoneCacheManager {
public:
    meshBoneCacheManager();
    virtual ~meshBoneCacheManager();

    meshBoneCacheManager(const meshBoneCacheManager&) = delete;
    meshBoneCacheManager& operator=(const meshBoneCacheManager&) = delete;

    // Forgets all frames and makes one empty, not ready slot per frame startTime..endTime. A
    // span longer than meshCacheFrames::maxSlots frames is refused: no slots, and false.
    [[nodiscard]] bool initFrames(std::int32_t startTime, std::int32_t endTime);
    // Makes room for `records` entries over all frames, before the table is filled.
    void reserve(std::size_t records) { frames.reserve(records); }
    // The bytes the filled table of `slots` frames and `records` entries in all will hold (the
    // keys aside), for a budget checked before anything is allocated.
    static std::uint64_t bytesFor(std::uint64_t slots, std::uint64_t records) {
        return meshCacheFrames<Record>::tableBytes(slots, records);
    }

    std::int32_t getStartTime() const { return frames.startTime(); }
    std::int32_t getEndTime() const { return frames.endTime(); }
    // Number of frame slots.
    std::size_t frameCount() const { return frames.slotCount(); }
    // The slot of a whole frame: time - startTime clamped to the slots (0 when there are none).
    std::size_t frameIndex(std::int32_t time) const { return frames.frameIndex(time); }

    // Slot `slot` := a copy of entries. A slot out of range is left alone.
    void setFrame(std::size_t slot, std::span<const meshBoneCache> entries);
    // Interpolates the frames strictly between two keyed frames (see meshCacheFrames::fillGap):
    // both points of each bone, component by component.
    void fillGap(std::int32_t previousFrame, std::int32_t currentFrame);
    // Marks every slot ready; the loader calls it once, after filling the table.
    void markAllReady() { frames.markAllReady(); }
    // One flag per slot.
    const std::vector<bool>& frameReady() const { return frames.readyFlags(); }

    // Number of entries in a slot (0 out of range), entry k of it, the whole slot.
    std::size_t frameSize(std::size_t slot) const { return frames.slot(slot).size(); }
    meshBoneCache entry(std::size_t slot, std::size_t k) const;
    std::vector<meshBoneCache> frame(std::size_t slot) const;

    // Sets every bone named in the frames around t to (1 - r) * earlier + r * later of its
    // start and end points (r = t - floor(t)). Entries pair by position up to the shorter
    // frame; an entry whose key names no bone is skipped. Nothing changes unless both frames
    // are ready. Any t is accepted (see meshCacheFrames::pick). Allocates nothing.
    void applyAtTime(float t, const meshRenderBoneComposition::BoneMap& boneMap);

    // Bytes held on the heap.
    std::size_t memoryBytes() const { return frames.memoryBytes(); }

private:
    struct Record {
        std::uint32_t key;
        Vec4 start_pt;
        Vec4 end_pt;
    };

    meshCacheFrames<Record> frames;
    std::mutex mutex;  // held while a pose is written
};
