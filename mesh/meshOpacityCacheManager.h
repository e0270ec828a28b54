#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "meshCacheFrames.h"
#include "meshOpacityCache.h"
#include "meshRenderBoneComposition.h"

// The opacities of every region of one clip, for every whole frame of the clip. Filled once by
// the loader and afterwards only read; applyAtTime writes the earlier frame's values for a
// fractional time, without interpolation. A clip without opacities never marks its frames
// ready, so it leaves the regions' opacities alone.
class meshOpacityCacheManager {
public:
    meshOpacityCacheManager();
    virtual ~meshOpacityCacheManager();

    meshOpacityCacheManager(const meshOpacityCacheManager&) = delete;
    meshOpacityCacheManager& operator=(const meshOpacityCacheManager&) = delete;

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
    std::size_t frameCount() const { return frames.slotCount(); }
    // The slot of a whole frame: time - startTime clamped to the slots (0 when there are none).
    std::size_t frameIndex(std::int32_t time) const { return frames.frameIndex(time); }

    // Slot `slot` := a copy of entries. A slot out of range is left alone.
    void setFrame(std::size_t slot, std::span<const meshOpacityCache> entries);
    // Interpolates the opacities of the frames strictly between two keyed frames (see
    // meshCacheFrames::fillGap).
    void fillGap(std::int32_t previousFrame, std::int32_t currentFrame);
    // Marks every slot ready and packs the storage; called once, after filling the table.
    void markAllReady() { frames.markAllReady(); }
    const std::vector<bool>& frameReady() const { return frames.readyFlags(); }

    std::size_t frameSize(std::size_t slot) const { return frames.slot(slot).size(); }
    meshOpacityCache entry(std::size_t slot, std::size_t k) const;
    std::vector<meshOpacityCache> frame(std::size_t slot) const;

    // Every region named in the frame at floor(t) takes that entry's opacity. Nothing changes
    // unless the frames at floor(t) and ceil(t) are both ready. Any t is accepted. Allocates
    // nothing.
    void applyAtTime(float t, const meshRenderBoneComposition::RegionMap& regionMap);

    // Bytes held on the heap.
    std::size_t memoryBytes() const { return frames.memoryBytes(); }

private:
    struct Record {
        std::uint32_t key;
        float opacity;
    };

    meshCacheFrames<Record> frames;
    std::mutex mutex;  // held while a pose is written
};
