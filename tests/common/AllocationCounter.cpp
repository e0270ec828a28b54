#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

#ifdef _WIN32
#include <malloc.h>
#endif

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MOBILANT_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define MOBILANT_SANITIZED 1
#endif

namespace {

std::size_t allocations = 0;

#if !defined(MOBILANT_SANITIZED)
void* allocate(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}

// Storage aligned beyond what malloc promises, as the over-aligned forms of new ask for (the
// skinning tables' 64-byte arrays among them). Released by releaseAligned only.
void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    ++allocations;
    const auto align = static_cast<std::size_t>(alignment);
#ifdef _WIN32
    void* p = _aligned_malloc(size != 0 ? size : 1, align);
#else
    // aligned_alloc wants a size that is a multiple of the alignment.
    const std::size_t rounded = (size + align - 1) / align * align;
    void* p = std::aligned_alloc(align, rounded != 0 ? rounded : align);
#endif
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

void releaseAligned(void* p) {
#ifdef _WIN32
    _aligned_free(p);
#else
    std::free(p);
#endif
}
#endif

}  // namespace

#if !defined(MOBILANT_SANITIZED)
// Every throwing form, plain and over-aligned, single and array; the library's nothrow forms
// call these.
void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void operator delete(void* p, std::align_val_t) noexcept {
    releaseAligned(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    releaseAligned(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    releaseAligned(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    releaseAligned(p);
}
#endif

bool allocationsCounted() {
#if defined(MOBILANT_SANITIZED)
    return false;
#else
    return true;
#endif
}

std::size_t allocationCount() {
    return allocations;
}
