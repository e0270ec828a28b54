#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

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
}  // namespace

#if !defined(MOBILANT_SANITIZED)
void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
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
