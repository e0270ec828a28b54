#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

// The frame table of a cache manager: one list of records per whole frame from startTime to
// endTime inclusive (slot s holds frame startTime + s), a ready flag per slot, and the keys the
// records name. Each of the four cache managers holds one for its own record type.
//
// A clip lists the same bones or regions in every frame, so keys are interned once per table
// and a record stores only the key's index (member `key`, a std::uint32_t) beside plain values.
// All records live in one contiguous array; a slot is a run of it. Assigning a slot appends a
// new run (the old one stays until markAllReady packs the array in slot order).
template <class Record>
class meshCacheFrames {
public:
    // Spans of more frames than this are refused (the loader refuses far shorter spans).
    static constexpr std::int64_t maxSlots = std::int64_t{1} << 20;

    // The two slots to blend for a time, and the weight r of the later one (0 <= r < 1).
    struct Pick {
        std::size_t lo = 0;
        std::size_t hi = 0;
        float r = 0.0f;
    };

    // Forgets everything, then makes endTime - startTime + 1 empty slots that are not ready
    // (none when endTime < startTime). A span of more than maxSlots frames is refused: the
    // table is left empty and the result is false.
    [[nodiscard]] bool init(std::int32_t startTime, std::int32_t endTime) {
        *this = meshCacheFrames();
        const std::int64_t count = std::int64_t{endTime} - startTime + 1;
        if (count > maxSlots) return false;
        start = startTime;
        end = endTime;
        if (count > 0) {
            slots.resize(static_cast<std::size_t>(count));
            ready.resize(static_cast<std::size_t>(count), false);
        }
        return true;
    }

    // Makes room for `count` records in all, so that filling the table does not grow it step by
    // step (the loader knows the sizes from its checks).
    void reserve(std::size_t count) { records.reserve(count); }

    // The bytes a table of `slotCount` slots holding `recordCount` records takes once packed:
    // the records, a range per slot and the ready flags in 64-bit words. Wide enough for any
    // count on any target.
    static std::uint64_t tableBytes(std::uint64_t slotCount, std::uint64_t recordCount) {
        return recordCount * sizeof(Record) + slotCount * sizeof(Range) + (slotCount + 63) / 64 * 8;
    }

    std::int32_t startTime() const { return start; }
    std::int32_t endTime() const { return end; }
    std::size_t slotCount() const { return slots.size(); }

    // time - startTime, clamped to the slots; 0 when there are none.
    std::size_t frameIndex(std::int32_t time) const {
        if (slots.empty()) return 0;
        const std::int64_t slot = std::int64_t{time} - start;
        return static_cast<std::size_t>(
            std::clamp<std::int64_t>(slot, 0, static_cast<std::int64_t>(slots.size()) - 1));
    }

    // The index of `key` in the key table, adding it when new.
    std::uint32_t internKey(std::string_view key) {
        const auto found = keyIndices.find(key);
        if (found != keyIndices.end()) return found->second;
        const auto index = static_cast<std::uint32_t>(keys.size());
        keys.emplace_back(key);
        keyIndices.emplace(keys.back(), index);
        return index;
    }

    // The key a record names.
    const std::string& keyOf(const Record& record) const { return keys[record.key]; }

    // The records of a slot; empty for a slot out of range.
    std::span<const Record> slot(std::size_t index) const {
        if (index >= slots.size()) return {};
        return {records.data() + slots[index].first, slots[index].count};
    }

    // Replaces slot `index` by `count` records, record k being make(k). Out of range: nothing.
    template <class Make>
    void assign(std::size_t index, std::size_t count, Make&& make) {
        if (index >= slots.size()) return;
        const std::size_t first = records.size();
        for (std::size_t k = 0; k < count; ++k)
            records.push_back(make(k));
        replace(index, {first, count});
    }

    // Fills the frames strictly between previousFrame and currentFrame that have a slot with
    // lists interpolated between the lists held at those two frames' slots: at frame F,
    // f = (F - previousFrame) / (currentFrame - previousFrame) in single precision, and entry k
    // is lerp(previous entry k, current entry k, f) under the current entry's key. Entries pair
    // by position, up to the shorter list. Frames outside the span have no slot and are skipped.
    template <class Lerp>
    void fillGap(std::int32_t previousFrame, std::int32_t currentFrame, Lerp&& lerp) {
        const std::int64_t gap = std::int64_t{currentFrame} - previousFrame;
        if (slots.empty() || gap <= 1) return;
        const Range from = slots[frameIndex(previousFrame)];
        const Range to = slots[frameIndex(currentFrame)];
        const std::size_t count = std::min(from.count, to.count);
        const std::int64_t first = std::max<std::int64_t>(previousFrame + std::int64_t{1}, start);
        const std::int64_t last = std::min<std::int64_t>(currentFrame - std::int64_t{1}, end);
        for (std::int64_t frame = first; frame <= last; ++frame) {
            const float f = static_cast<float>(frame - previousFrame) / static_cast<float>(gap);
            const std::size_t begin = records.size();
            for (std::size_t k = 0; k < count; ++k) {
                // Made before push_back: the arguments refer into records.
                Record record = lerp(records[from.first + k], records[to.first + k], f);
                record.key = records[to.first + k].key;
                records.push_back(record);
            }
            replace(static_cast<std::size_t>(frame - start), {begin, count});
        }
    }

    // Marks every slot ready and packs the records in slot order, without spare capacity.
    void markAllReady() {
        ready.assign(slots.size(), true);
        if (records.size() == live && records.capacity() == live) return;
        std::vector<Record> packed;
        packed.reserve(live);
        for (Range& range : slots) {
            const auto from = records.begin() + static_cast<std::ptrdiff_t>(range.first);
            range.first = packed.size();
            packed.insert(packed.end(), from, from + static_cast<std::ptrdiff_t>(range.count));
        }
        records.swap(packed);
    }

    const std::vector<bool>& readyFlags() const { return ready; }

    // The slots and weight for time t, or nothing when either slot is not ready. lo and hi hold
    // floor(t) and ceil(t) (clamped to the slots); a whole t gives one slot and r = 0. NaN
    // reads the first slot and an infinite time the first or last, both with r = 0.
    std::optional<Pick> pick(float t) const {
        if (ready.empty()) return std::nullopt;
        Pick pick;
        if (!std::isnan(t)) {
            const double below = std::floor(static_cast<double>(t));
            const double above = std::ceil(static_cast<double>(t));
            pick.lo = frameIndex(wholeFrame(below));
            pick.hi = frameIndex(wholeFrame(above));
            if (std::isfinite(t)) pick.r = t - static_cast<float>(below);
        }
        if (!ready[pick.lo] || !ready[pick.hi]) return std::nullopt;
        return pick;
    }

    // Every record in slot order, for a manager that keeps side arrays to repack (after
    // markAllReady, each slot's run follows the previous one).
    std::span<Record> allRecords() { return records; }

    // Bytes held on the heap by the table (an estimate for the keys' hash map).
    std::size_t memoryBytes() const {
        std::size_t bytes = records.capacity() * sizeof(Record) + slots.capacity() * sizeof(Range) +
                            ready.capacity() / 8 + keys.capacity() * sizeof(std::string) +
                            keyIndices.bucket_count() * sizeof(void*);
        for (const std::string& key : keys) {
            const std::size_t text = key.capacity() > 15 ? key.capacity() + 1 : 0;
            bytes += 2 * text + sizeof(std::string) + 4 * sizeof(void*);  // table and map node
        }
        return bytes;
    }

private:
    struct Range {
        std::size_t first = 0;
        std::size_t count = 0;
    };

    struct KeyHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const {
            return std::hash<std::string_view>{}(key);
        }
    };

    // floor(t) or ceil(t) as a frame number. For a float t it is a whole number that a float
    // holds exactly; clamping first keeps huge and infinite times from overflowing.
    static std::int32_t wholeFrame(double frame) {
        constexpr double lowest = std::numeric_limits<std::int32_t>::min();
        constexpr double highest = std::numeric_limits<std::int32_t>::max();
        return static_cast<std::int32_t>(std::clamp(frame, lowest, highest));
    }

    void replace(std::size_t index, Range range) {
        live = live - slots[index].count + range.count;
        slots[index] = range;
    }

    std::int32_t start = 0;
    std::int32_t end = 0;
    std::vector<Range> slots;
    std::vector<bool> ready;
    std::vector<Record> records;
    std::size_t live = 0;  // records that some slot holds
    std::vector<std::string> keys;
    std::unordered_map<std::string, std::uint32_t, KeyHash, std::equal_to<>> keyIndices;
};
