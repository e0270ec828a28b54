#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "IndexWriter.h"
#include "MetaModel.h"
#include "MobilantMetaData.h"

using namespace MobilantModule;

namespace {

// Every frame of a game with morphing on and a skin swap selected: the morph blend, then the
// swap's index list. After the first frame neither allocates.
TEST(HotPath, UpdateMorphAndBuildSkinSwapIndicesAllocateNothing) {
    if (!allocationsCounted()) GTEST_SKIP() << "allocations are not counted in sanitizer builds";
    // Names too long to fit in a string object itself: a temporary string of one would
    // allocate.
    const std::string centre = "centre-a-name-longer-than-a-short-string";
    const std::string late = "late-a-name-longer-than-a-short-string";
    std::string text = kMetaModel;
    text.replace(text.find("\"centre\""), 8, "\"" + centre + "\"");
    text.replace(text.find("\"late\""), 6, "\"" + late + "\"");
    MetaRig rig(text);
    MobilantMetaData meta(
        morphMetaText(centre, {"right", late, "left"}, 4, std::vector<std::uint8_t>(48, 100)));
    const std::string swapName = "a-swap-name-longer-than-a-short-string";
    const MobilantMetaData swaps(R"({"skinSwapList": {")" + swapName +
                                 R"(": {"swap": {"swap_items": ["c", "a"]}}}})");
    std::vector<std::int32_t> workIndices(kMetaIndices);
    auto store = [&](std::int32_t destination, std::int32_t value) {
        workIndices[static_cast<std::size_t>(destination)] = value;
    };
    std::int32_t count = 0;
    const auto frame = [&](float step) {
        ASSERT_TRUE(meta.UpdateMorph(*rig.manager, step));
        const IndexWriter writer(store, static_cast<std::int32_t>(workIndices.size()));
        ASSERT_TRUE(swaps.BuildSkinSwapIndices(swapName, *rig.model->Composition(), writer, count));
    };
    meta.PlaceMorphPoint({0.4f, 0.1f}, {0, 0}, 1.0f);
    frame(0.01f);

    const std::size_t before = allocationCount();
    ASSERT_GT(before, 0) << "the counting allocator is not in use";
    for (int i = 0; i < 100; ++i) {  // through the clips' wraps
        meta.PlaceMorphPoint({0.01f * i, -0.3f}, {0, 0}, 1.0f);
        frame(0.05f);
    }
    EXPECT_EQ(allocationCount(), before);
    EXPECT_EQ(count, 9);
}

}  // namespace
