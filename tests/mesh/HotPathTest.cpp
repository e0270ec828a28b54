#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "GeneratedRig.h"
#include "meshSkinning.h"

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

TEST(HotPathTest, PosingAndSkinningAllocateNothing) {
#if defined(MOBILANT_SANITIZED)
    GTEST_SKIP() << "allocations are not counted in sanitizer builds";
#else
    GeneratedRig rig = makeRig({});
    scramblePose(rig, 2, 1.0f);
    for (const auto& region : rig.composition->getRegions()) {
        region->setUseLocalDisplacements(true);
        region->setUsePostDisplacements(true);
        region->setUseUvWarp(true);
    }
    const int before = allocations;
    ASSERT_GT(before, 0) << "the counting allocator is not in use";
    for (meshSkinPath path :
         {meshSkinPath::plain, meshSkinPath::sse2, meshSkinPath::avx2, meshSkinPath::avx512}) {
        if (meshSkinning::setActivePath(path)) rig.pose();
    }
    meshSkinning::setActivePath(meshSkinning::bestPath());
    EXPECT_EQ(allocations, before);
#endif
}

}  // namespace
