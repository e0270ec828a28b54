#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "MobilantManager.h"
#include "PlayerModel.h"

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

TEST(HotPath, AdvanceAndPoseMobilantAllocateNothing) {
#if defined(MOBILANT_SANITIZED)
    GTEST_SKIP() << "allocations are not counted in sanitizer builds";
#else
    // Names too long to fit in a string object itself: a temporary string of one would
    // allocate.
    const std::string longName = "late-a-name-longer-than-a-short-string";
    std::string text = kPlayerModel;
    text.replace(text.find("\"late\""), 6, "\"" + longName + "\"");
    PlayerRig rig(text);
    MobilantManager& manager = *rig.manager;
    manager.SelectClip(longName, false);
    manager.SetPlaying(true);
    // Blending switches the regions' displacements between the two clips every frame; the
    // first switch on sizes their lists, as it would in a game's first frame.
    manager.SetAutoBlend(true);
    manager.BlendTo("flags", 0.05f);
    manager.Advance(0.01f);

    const int before = allocations;
    ASSERT_GT(before, 0) << "the counting allocator is not in use";
    for (int frame = 0; frame < 100; ++frame)  // through wraps, with the factor reaching 1
        manager.Advance(0.05f);
    manager.SetAutoBlend(false);
    for (int frame = 0; frame < 100; ++frame)
        manager.Advance(-0.05f);
    for (float t = -2.0f; t < 24.0f; t += 0.7f) {
        manager.PoseMobilant(longName, rig.model->RenderPoints(), t);
        manager.PoseMobilant("flags", rig.model->RenderPoints(), t);
    }
    EXPECT_EQ(allocations, before);
#endif
}

}  // namespace
