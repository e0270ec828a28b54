#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "GeneratedRig.h"
#include "meshSkinning.h"

namespace {

TEST(HotPathTest, PosingAndSkinningAllocateNothing) {
    if (!allocationsCounted()) GTEST_SKIP() << "allocations are not counted in sanitizer builds";
    GeneratedRig rig = makeRig({});
    scramblePose(rig, 2, 1.0f);
    for (const auto& region : rig.composition->getRegions()) {
        region->setUseLocalDisplacements(true);
        region->setUsePostDisplacements(true);
        region->setUseUvWarp(true);
    }
    const std::size_t before = allocationCount();
    ASSERT_GT(before, 0) << "the counting allocator is not in use";
    for (meshSkinPath path :
         {meshSkinPath::plain, meshSkinPath::sse2, meshSkinPath::avx2, meshSkinPath::avx512}) {
        if (meshSkinning::setActivePath(path)) rig.pose();
    }
    meshSkinning::setActivePath(meshSkinning::bestPath());
    EXPECT_EQ(allocationCount(), before);
}

}  // namespace
