#pragma once

#include <cstdint>
#include <memory>

namespace MobilantModule {

// The callback through which meta data writes an index list into a list its receiver owns
// (the renderer's scratch list): one call per entry, (destination position, index value).
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
          capacity(capacity > 0 ? capacity : 0) {}

    // Stores `value` at `destination` of the receiver's list; nothing outside the list.
    void operator()(std::int32_t destination, std::int32_t value) const {
        if (destination >= 0 && destination < capacity) call(receiver, destination, value);
    }

    // The number of entries of the receiver's list.
    std::int32_t Capacity() const { return capacity; }

private:
    void* receiver;
    void (*call)(void*, std::int32_t, std::int32_t);
    std::int32_t capacity;
};

}  // namespace MobilantModule
