#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "IndexWriter.h"
#include "MetaModel.h"
#include "MobilantMetaData.h"

using namespace MobilantModule;

namespace {

// A list like the renderer's scratch list, written through a writer that does not check the
// destination itself: a write past the end is a heap overflow that AddressSanitizer reports.
struct ScratchList {
    explicit ScratchList(std::size_t size) : entries(size, -1) {}

    void operator()(std::int32_t destination, std::int32_t value) {
        entries.data()[destination] = value;
        ++calls;
    }

    std::vector<std::int32_t> entries;
    int calls = 0;
};

const std::string kSwaps = R"({"skinSwapList": {
    "ab": {"swap": {"swap_items": ["a", "b"]}},
    "ba": {"swap": {"swap_items": ["b", "a"]}},
    "ca": {"swap": {"swap_items": ["c", "a", "nothing"]}},
    "none": {"swap": {"swap_items": ["x", "y"]}},
    "all": {"swap": {"swap_items": ["c", "b", "a"]}}
}})";

// The list swap `name` writes for `rig`'s model, or {-2} when it is refused.
std::vector<std::int32_t> swapList(const MobilantMetaData& meta, MetaRig& rig,
                                   const std::string& name) {
    ScratchList list(static_cast<std::size_t>(rig.model->IndexCount()));
    const IndexWriter writer(list, rig.model->IndexCount());
    std::int32_t count = -1;
    if (!meta.BuildSkinSwapIndices(name, *rig.model->Composition(), writer, count)) {
        EXPECT_EQ(count, 0) << name;
        EXPECT_EQ(list.calls, 0) << name;
        return {-2};
    }
    EXPECT_EQ(list.calls, count) << name;
    return std::vector<std::int32_t>(list.entries.begin(), list.entries.begin() + count);
}

// Regions come in the model's order (b, a, c), whatever the order of "swap_items"; each index
// is the model's own.
TEST(SkinSwap, WritesTheSelectedRegionsInModelOrder) {
    MetaRig rig;
    const MobilantMetaData meta(kSwaps);
    const std::vector<std::int32_t> bThenA = {0, 1, 2, 3, 4, 5, 3, 5, 6};
    EXPECT_EQ(swapList(meta, rig, "ab"), bThenA);
    EXPECT_EQ(swapList(meta, rig, "ba"), bThenA);
    EXPECT_EQ(swapList(meta, rig, "ca"), (std::vector<std::int32_t>{3, 4, 5, 3, 5, 6, 7, 8, 9}));
    EXPECT_EQ(swapList(meta, rig, "all"),
              (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 3, 5, 6, 7, 8, 9}));
    // Two swaps sharing region a both draw it.
    EXPECT_EQ(swapList(meta, rig, "ab")[3], 3);
    EXPECT_EQ(swapList(meta, rig, "ca")[0], 3);
    // A swap naming no region of the model succeeds with nothing (the renderer then draws the
    // whole mesh); an unknown swap fails.
    EXPECT_EQ(swapList(meta, rig, "none"), std::vector<std::int32_t>{});
    EXPECT_EQ(swapList(meta, rig, "unknown"), std::vector<std::int32_t>{-2});
    EXPECT_EQ(swapList(meta, rig, "AB"), std::vector<std::int32_t>{-2});
    // Without swaps (a text that is no meta data) every name is unknown.
    EXPECT_EQ(swapList(MobilantMetaData("not json"), rig, "ab"), std::vector<std::int32_t>{-2});
}

// A malformed model whose regions overlap, or share a name, selects more index entries than
// the model holds. Such a swap is refused before anything is written.
TEST(SkinSwap, RefusesRegionsThatDoNotFitTheList) {
    std::string overlapping = kMetaModel;
    // Region c's slice becomes entries 3..11, overlapping a's 3..8.
    overlapping.replace(overlapping.find("\"start_index\": 9"), 16, "\"start_index\": 3");
    MetaRig overlap(overlapping);
    ASSERT_EQ(overlap.model->Composition()->getRegions()[2]->numIndices(), 9);
    const MobilantMetaData meta(kSwaps);
    EXPECT_EQ(swapList(meta, overlap, "all"), std::vector<std::int32_t>{-2});  // 3 + 6 + 9 > 12
    EXPECT_EQ(swapList(meta, overlap, "ca"), std::vector<std::int32_t>{-2});   // 6 + 9 > 12
    // What fits still works: a and b are 9 entries.
    EXPECT_EQ(swapList(meta, overlap, "ab"), (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 3, 5, 6}));

    std::string sharedName = kMetaModel;
    sharedName.replace(sharedName.find("\"c\": {\"id\""), 3, "\"a\"");  // two regions "a"
    MetaRig shared(sharedName);
    EXPECT_EQ(swapList(meta, shared, "ab"),
              (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 3, 5, 6, 7, 8, 9}));
    // A list one entry short of that refuses it too.
    ScratchList list(11);
    const IndexWriter shortWriter(list, 11);
    std::int32_t count = -1;
    EXPECT_FALSE(meta.BuildSkinSwapIndices("ab", *shared.model->Composition(), shortWriter, count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(list.calls, 0);
}

TEST(IndexWriter, DropsDestinationsOutsideItsList) {
    ScratchList list(3);
    const IndexWriter writer(list, 3);
    EXPECT_EQ(writer.Capacity(), 3);
    writer(0, 10);
    writer(2, 12);
    writer(3, 13);
    writer(-1, 9);
    writer(1 << 30, 9);
    EXPECT_EQ(list.entries, (std::vector<std::int32_t>{10, -1, 12}));
    EXPECT_EQ(list.calls, 2);
    const IndexWriter negative(list, -5);
    EXPECT_EQ(negative.Capacity(), 0);
    negative(0, 1);
    EXPECT_EQ(list.calls, 2);

    // A run is cut to the list the same way, entry by entry.
    ScratchList four(4);
    const IndexWriter runs(four, 4);
    const std::uint32_t values[] = {10, 11, 12, 13, 14, 15};
    runs(-2, values, 6);
    EXPECT_EQ(four.entries, (std::vector<std::int32_t>{12, 13, 14, 15}));
    runs(3, values, 3);
    EXPECT_EQ(four.entries, (std::vector<std::int32_t>{12, 13, 14, 10}));
    runs(-1, values, 6);  // cut at both ends
    EXPECT_EQ(four.entries, (std::vector<std::int32_t>{11, 12, 13, 14}));
    EXPECT_EQ(four.calls, 9);
    runs(4, values, 2);
    runs(1, values, 0);
    runs(1, values, -3);
    runs(-7, values, 6);
    runs(2147483647, values, 6);
    runs(-2147483647 - 1, values, 2147483647);
    EXPECT_EQ(four.calls, 9);
}

}  // namespace
