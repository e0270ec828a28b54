#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "AllocationCounter.h"
#include "GeneratedRig.h"
#include "meshAlignedFloats.h"
#include "meshSkinning.h"

namespace {

// The skinning tables are over-aligned: the counter must see the aligned allocation forms too,
// or a hot path that rebuilt them would pass for allocation-free.
TEST(HotPathTest, AlignedAllocationsAreCounted) {
    if (!allocationsCounted()) GTEST_SKIP() << "allocations are not counted in sanitizer builds";
    struct alignas(64) Line {
        float values[16];
    };
    // Nothing but the allocations between the counts: assertions may allocate themselves.
    const std::size_t before = allocationCount();
    std::uintptr_t floatsAddress = 0;
    {
        const meshAlignedFloats floats(100);
        floatsAddress = reinterpret_cast<std::uintptr_t>(floats.data());
    }
    const std::size_t afterFloats = allocationCount();
    const auto single = std::make_unique<Line>();
    const auto array = std::make_unique<Line[]>(3);
    const std::size_t afterLines = allocationCount();
    EXPECT_EQ(afterFloats, before + 1);
    EXPECT_EQ(afterLines, before + 3);
    EXPECT_EQ(floatsAddress % meshAlignedFloats::alignment, 0u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(single.get()) % 64, 0u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(array.get()) % 64, 0u);
}

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
