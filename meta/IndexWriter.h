#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>

namespace MobilantModule {

// The callback through which meta data writes an index list into a list its receiver owns
// (the renderer's scratch list): (destination position, index value) per entry, or a run of
// consecutive entries at once.
// It knows the length of that list, so a writer is safe to call with any destination: one
// outside 0 .. capacity - 1 is dropped before it reaches the receiver.
//
// A writer refers to its receiver and does not own it; it is made for one call and must not
// outlive the receiver. Calling it allocates nothing.
class IndexWriter {
public:
    // A writer that hands each entry to `store`, for a list of `capacity` entries (a negative
    // capacity counts as 0). `store` is called as store(destination, value); it must outlive
    // the writer, so a temporary cannot be bound.
    template <class Store>
    IndexWriter(Store& store, std::int32_t capacity)
        : receiver(std::addressof(store)),
          call([](void* target, std::int32_t destination, std::int32_t value) {
              (*static_cast<Store*>(target))(destination, value);
          }),
          callRun([](void* target, std::int32_t destination, const std::uint32_t* values,
                     std::int32_t count) {
              // One call per run; the receiver's store is inlined into the loop.
              Store& store = *static_cast<Store*>(target);
              for (std::int32_t j = 0; j < count; ++j)
                  store(destination + j, static_cast<std::int32_t>(values[j]));
          }),
          capacity(capacity > 0 ? capacity : 0) {}

    // Stores `value` at `destination` of the receiver's list; nothing outside the list.
    void operator()(std::int32_t destination, std::int32_t value) const {
        if (destination >= 0 && destination < capacity) call(receiver, destination, value);
    }

    // Stores the `count` values from `values` on at `destination`, `destination` + 1, ..., as
    // that many single calls would (entries outside the list dropped), in one call.
    void operator()(std::int32_t destination, const std::uint32_t* values,
                    std::int32_t count) const {
        // The part of the run inside the list, found before `values` moves, so that a run
        // lying wholly outside never forms a pointer past its array.
        const std::int64_t start = destination;
        const std::int64_t first = std::max<std::int64_t>(start, 0);
        const std::int64_t end = std::min<std::int64_t>(start + std::max(count, 0), capacity);
        if (first >= end) return;
        callRun(receiver, static_cast<std::int32_t>(first), values + (first - start),
                static_cast<std::int32_t>(end - first));
    }

    // The number of entries of the receiver's list.
    std::int32_t Capacity() const { return capacity; }

private:
    void* receiver;
    void (*call)(void*, std::int32_t, std::int32_t);
    void (*callRun)(void*, std::int32_t, const std::uint32_t*, std::int32_t);
    std::int32_t capacity;
};

}  // namespace MobilantModule
