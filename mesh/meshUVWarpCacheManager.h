#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "Vec2.h"
#include "meshCacheFrames.h"
#include "meshRenderBoneComposition.h"
#include "meshUVWarpCache.h"

// The UV warps of every region of one clip, for every whole frame of the clip (frames between
// keyed ones hold empty lists). Filled once by the loader and afterwards only read; applyAtTime
// writes the earlier frame's values for a fractional time, without interpolation.
class meshUVWarpCacheManager {
public:
    meshUVWarpCacheManager();
    virtual ~meshUVWarpCacheManager();

    meshUVWarpCacheManager(const meshUVWarpCacheManager&) = delete;
    meshUVWarpCacheManager& operator=(const meshUVWarpCacheManager&) = delete;

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
    void setFrame(std::size_t slot, std::span<const meshUVWarpCache> entries);
    // Marks every slot ready and packs the storage; called once, after filling the table.
    void markAllReady() { frames.markAllReady(); }
    const std::vector<bool>& frameReady() const { return frames.readyFlags(); }

    std::size_t frameSize(std::size_t slot) const { return frames.slot(slot).size(); }
    meshUVWarpCache entry(std::size_t slot, std::size_t k) const;
    std::vector<meshUVWarpCache> frame(std::size_t slot) const;
    // Whether entry k of a slot is enabled; false when there is no entry k. Allocates nothing.
    bool isEnabled(std::size_t slot, std::size_t k) const;

    // For every entry of the frame at floor(t) whose key names a region: when the region's
    // warp is on or the entry is enabled, the region takes the entry's offsets, scale and UV
    // level. Nothing changes unless the frames at floor(t) and ceil(t) are both ready. Any t is
    // accepted. Allocates nothing.
    void applyAtTime(float t, const meshRenderBoneComposition::RegionMap& regionMap);

    // Bytes held on the heap.
    std::size_t memoryBytes() const { return frames.memoryBytes(); }

private:
    struct Record {
        std::uint32_t key;
        Vec2 local_offset;
        Vec2 global_offset;
        Vec2 scale;
        std::int32_t uv_level;
        bool enabled;
    };

    meshCacheFrames<Record> frames;
    std::mutex mutex;  // held while a pose is written
};
