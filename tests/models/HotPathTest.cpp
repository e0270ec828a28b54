#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>

#include "JsonDocument.h"
#include "Mobilant.h"
#include "MobilantAnimation.h"
#include "ModelPose.h"
#include "ModelText.h"

// Counting replacements of the global allocation functions. Left out of sanitizer builds, whose
// own replacements must see every allocation.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MOBILANT_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define MOBILANT_SANITIZED 1
#endif

#if !defined(MOBILANT_SANITIZED)
namespace {
int allocations = 0;
}  // namespace

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

namespace {

using namespace MobilantModule;

TEST(HotPath, PosingThroughTheCachesAllocatesNothing) {
#if defined(MOBILANT_SANITIZED)
    GTEST_SKIP() << "allocations are not counted in sanitizer builds";
#else
    JsonDocument document;
    ASSERT_EQ(document.parseText(kSmallModel), JsonStatus::Ok);
    Mobilant model(document);
    MobilantAnimation clip(document, "wave");
    poseLikeTheManager(model, clip, 0.0f);  // switches on the displacements, sizing their lists
    const int before = allocations;
    ASSERT_GT(before, 0) << "the counting allocator is not in use";
    for (float t = -1.0f; t < 12.0f; t += 0.3f)
        poseLikeTheManager(model, clip, t);
    EXPECT_EQ(allocations, before);
#endif
}

}  // namespace
