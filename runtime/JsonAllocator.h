#pragma once

#include <cstddef>

namespace MobilantModule {

// A bump allocator over a singly linked list of zones, newest first. Storage is handed out
// 8-byte aligned and is never freed piece by piece: release() frees every zone at once.
class JsonAllocator {
public:
    static constexpr std::size_t zoneSize = 4096;  // bytes per ordinary zone, header included

    JsonAllocator() = default;
    JsonAllocator(const JsonAllocator&) = delete;
    JsonAllocator& operator=(const JsonAllocator&) = delete;
    JsonAllocator(JsonAllocator&& other) noexcept;
    JsonAllocator& operator=(JsonAllocator&& other) noexcept;
    virtual ~JsonAllocator();

    // Storage for `size` bytes, 8-byte aligned, valid until release(). A request larger than
    // a zone's storage gets a zone of its own. Throws std::bad_alloc when memory runs out.
    void* allocate(std::size_t size) {
        if (head != nullptr && size <= zoneSize) {
            const std::size_t rounded = (size + 7) & ~std::size_t{7};
            if (head->used + rounded <= zoneSize) {
                char* storage = reinterpret_cast<char*>(head) + head->used;
                head->used += rounded;
                return storage;
            }
        }
        return allocateInNewZone(size);
    }

    // Frees every zone and leaves the allocator empty.
    void release();

    // Number of zones held (for tests and statistics).
    std::size_t zoneCount() const;

private:
    struct Zone {
        Zone* next;
        std::size_t used;  // bytes handed out, header included
    };
    static constexpr std::size_t headerSize = sizeof(Zone);
    static_assert(headerSize % 8 == 0, "zone storage must start 8-byte aligned");

    void* allocateInNewZone(std::size_t size);

    Zone* head = nullptr;
};

}  // namespace MobilantModule
