#include <gtest/gtest.h>

#include <memory>

#include "AllocationCounter.h"
#include "JsonDocument.h"
#include "Mobilant.h"
#include "MobilantAnimation.h"
#include "ModelPose.h"
#include "ModelText.h"

namespace {

using namespace MobilantModule;

TEST(HotPath, PosingThroughTheCachesAllocatesNothing) {
    if (!allocationsCounted()) GTEST_SKIP() << "allocations are not counted in sanitizer builds";
    JsonDocument document;
    ASSERT_EQ(document.parseText(kSmallModel), JsonStatus::Ok);
    Mobilant model(document);
    MobilantAnimation clip(document, "wave");
    poseLikeTheManager(model, clip, 0.0f);  // switches on the displacements, sizing their lists
    const std::size_t before = allocationCount();
    ASSERT_GT(before, 0) << "the counting allocator is not in use";
    for (float t = -1.0f; t < 12.0f; t += 0.3f)
        poseLikeTheManager(model, clip, t);
    EXPECT_EQ(allocationCount(), before);
}

}  // namespace
