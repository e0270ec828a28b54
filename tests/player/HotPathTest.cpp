#include <gtest/gtest.h>

#include <string>

#include "AllocationCounter.h"
#include "MobilantManager.h"
#include "PlayerModel.h"

namespace {

using namespace MobilantModule;

TEST(HotPath, AdvanceAndPoseMobilantAllocateNothing) {
    if (!allocationsCounted()) GTEST_SKIP() << "allocations are not counted in sanitizer builds";
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

    const std::size_t before = allocationCount();
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
    EXPECT_EQ(allocationCount(), before);
}

}  // namespace
