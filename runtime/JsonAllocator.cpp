#include "JsonAllocator.h"

#include <new>
#include <utility>

namespace MobilantModule {

JsonAllocator::JsonAllocator(JsonAllocator&& other) noexcept
    : head(std::exchange(other.head, nullptr)) {}

JsonAllocator& JsonAllocator::operator=(JsonAllocator&& other) noexcept {
    if (this != &other) {
        release();
        head = std::exchange(other.head, nullptr);
    }
    return *this;
}

JsonAllocator::~JsonAllocator() {
    release();
}

void* JsonAllocator::allocateInNewZone(std::size_t size) {
    if (size > static_cast<std::size_t>(-1) - headerSize - 7) throw std::bad_alloc();
    size = (size + 7) & ~std::size_t{7};
    const std::size_t bytes = headerSize + size > zoneSize ? headerSize + size : zoneSize;
    // operator new returns storage aligned for any fundamental type, so at least 8 bytes.
    Zone* zone = static_cast<Zone*>(::operator new(bytes));
    zone->used = headerSize + size;
    if (bytes > zoneSize && head != nullptr) {
        // A large zone is full at once: keep the current head, which may still have room.
        zone->next = head->next;
        head->next = zone;
    } else {
        zone->next = head;
        head = zone;
    }
    return reinterpret_cast<char*>(zone) + headerSize;
}

void JsonAllocator::release() {
    while (head != nullptr) {
        Zone* next = head->next;
        ::operator delete(head);
        head = next;
    }
}

std::size_t JsonAllocator::zoneCount() const {
    std::size_t count = 0;
    for (const Zone* zone = head; zone != nullptr; zone = zone->next)
        ++count;
    return count;
}

}  // namespace MobilantModule
