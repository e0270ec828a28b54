#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "JsonDocument.h"
#include "Mobilant.h"
#include "MobilantManager.h"
#include "ModelText.h"

namespace {

using namespace MobilantModule;

// The small model's clip has post displacements between keys and a UV warp: posing it through
// the manager, at any time, allocates nothing once its regions' lists are sized.
TEST(HotPath, PosingThroughTheCachesAllocatesNothing) {
    if (!allocationsCounted()) GTEST_SKIP() << "allocations are not counted in sanitizer builds";
    JsonDocument document;
    ASSERT_EQ(document.parseText(kSmallModel), JsonStatus::Ok);
    Mobilant model(document);
    MobilantManager manager(&model);
    manager.LoadClip(document, "wave");
    manager.SelectClip("wave", false);  // switches on the displacements, sizing their lists
    manager.SetPlaying(true);
    manager.Advance(0.0f);
    const std::size_t before = allocationCount();
    ASSERT_GT(before, 0) << "the counting allocator is not in use";
    for (float t = -1.0f; t < 12.0f; t += 0.3f)
        manager.PoseMobilant("wave", model.RenderPoints(), t);
    for (int frame = 0; frame < 50; ++frame)
        manager.Advance(0.01f);
    EXPECT_EQ(allocationCount(), before);
}

}  // namespace
