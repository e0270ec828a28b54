#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "JsonDocument.h"
#include "Mobilant.h"
#include "MobilantManager.h"
#include "ModelText.h"
#include "ParseFrameKey.h"
#include "meshBone.h"
#include "meshRenderRegion.h"

using namespace MobilantModule;

namespace {

std::unique_ptr<JsonDocument> parsed(const std::string& text) {
    auto document = std::make_unique<JsonDocument>();
    EXPECT_EQ(document->parseText(text), JsonStatus::Ok);
    return document;
}

std::vector<std::string> childKeys(const meshBone& bone) {
    std::vector<std::string> keys;
    for (const meshBone* child : bone.getChildren())
        keys.push_back(child->getKey());
    return keys;
}

TEST(Model, MeshArraysHoldTheFileAndColoursStartWhite) {
    const auto document = parsed(kSmallModel);
    Mobilant model(*document);
    ASSERT_EQ(model.PointCount(), 4);
    ASSERT_EQ(model.IndexCount(), 6);
    EXPECT_EQ(std::vector<float>(model.RestPoints(), model.RestPoints() + 12),
              (std::vector<float>{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}));
    EXPECT_EQ(std::vector<float>(model.Uvs(), model.Uvs() + 8),
              (std::vector<float>{0, 0, 1, 0, 1, 1, 0, 1}));
    EXPECT_EQ(std::vector<std::int32_t>(model.Indices(), model.Indices() + 6),
              (std::vector<std::int32_t>{0, 1, 2, 0, 2, 3}));
    // Until the first pose the render points are the rest points as skinning writes them.
    EXPECT_EQ(std::vector<float>(model.RenderPoints(), model.RenderPoints() + 12),
              (std::vector<float>{0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1}));
    EXPECT_EQ(std::vector<std::uint8_t>(model.RenderColours(), model.RenderColours() + 16),
              std::vector<std::uint8_t>(16, 255));
    model.SetAllColours(10, 20, 30, 40);
    for (int i = 0; i < model.PointCount(); ++i) {
        const std::uint8_t* colour = model.RenderColours() + 4 * i;
        EXPECT_EQ(std::vector<std::uint8_t>(colour, colour + 4),
                  (std::vector<std::uint8_t>{10, 20, 30, 40}));
    }
    EXPECT_EQ(model.ClipNames(), std::vector<std::string>{"wave"});
}

TEST(Model, TheRootIsTheLowestIdThatIsNoChildAndOtherTreesAreLeftOut) {
    const auto document = parsed(replaced(
        kSmallModel, R"("tip": {"id": 1,)",
        R"("orphan": {"id": 9, "restParentMat": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1],
            "localRestStartPt": [0, 0], "localRestEndPt": [0, 1], "children": [3]},
         "leaf": {"id": 3, "restParentMat": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1],
            "localRestStartPt": [0, 0], "localRestEndPt": [0, 1], "children": []},
         "tip": {"id": 1,)"));
    const Mobilant model(*document);
    const meshBone* root = model.Composition()->getRootBone();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->getKey(), "root");
    EXPECT_EQ(root->collectKeys(), (std::vector<std::string>{"root", "tip"}));
    EXPECT_EQ(model.Composition()->getBoneMap().size(), 2u);
}

TEST(Model, ChildrenAreLinkedInTheirParentsOrderWithTheFilesIds) {
    const auto document =
        parsed(withSkeleton(boneText("c", 30, "[]") + ", " + boneText("hub", 4, "[30, 10, 20]") +
                            ", " + boneText("b", 20, "[]") + ", " + boneText("a", 10, "[]")));
    const Mobilant model(*document);
    const meshBone* root = model.Composition()->getRootBone();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->getKey(), "hub");
    EXPECT_EQ(root->getTagId(), 4);
    EXPECT_EQ(childKeys(*root), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_EQ(root->getChildren()[0]->getTagId(), 30);
}

TEST(Model, RegionsTakeTheirRangesNamesIdsAndLastWeights) {
    const auto document =
        parsed(replaced(kSmallModel, R"("tip": [0, 0, 0.5, 0.5]})",
                        R"("tip": [0, 0, 0.5, 0.5], "root": [0.25, 0.25, 0.25, 0.25]}},
           "empty": {"id": -2, "start_pt_index": 4, "end_pt_index": 3, "start_index": 6,
                     "end_index": 5, "weights": {})"));
    const Mobilant model(*document);
    const auto& regions = model.Composition()->getRegions();
    ASSERT_EQ(regions.size(), 2u);
    const meshRenderRegion& body = *regions[0];
    EXPECT_EQ(body.getName(), "body");
    EXPECT_EQ(body.getTagId(), 7);
    EXPECT_EQ(body.numPoints(), 4);
    EXPECT_EQ(body.numIndices(), 6);
    EXPECT_EQ(body.getWeights().at("root"), (std::vector<float>{0.25f, 0.25f, 0.25f, 0.25f}));
    EXPECT_EQ(body.getMainBone(), model.Composition()->getRootBone());
    EXPECT_EQ(regions[1]->getName(), "empty");
    EXPECT_EQ(regions[1]->getTagId(), -2);
    EXPECT_EQ(regions[1]->numPoints(), 0);
    EXPECT_EQ(model.Composition()->getRegionMap().at("empty"), regions[1].get());
}

TEST(Model, AtRestSkinningReproducesTheRestMesh) {
    const auto document = parsed(kSmallModel);
    Mobilant model(*document);
    std::vector<float> out(12, -1.0f);
    model.Composition()->updatePoseTransforms();
    for (const auto& region : model.Composition()->getRegions())
        region->skinPoints(out.data() + 3 * region->getStartPtIndex(), true, true, true);
    const std::vector<float> expected{0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1};
    for (std::size_t i = 0; i < out.size(); ++i)
        EXPECT_NEAR(out[i], expected[i], 1e-6f) << i;
}

// The render points of `text`'s model posed by its clip "wave" at `time`, through the
// animation manager as the game plays it.
std::vector<float> posedWave(const std::string& text, float time) {
    const auto document = parsed(text);
    Mobilant model(*document);
    MobilantManager manager(&model);
    manager.LoadClip(*document, "wave");
    manager.SelectClip("wave", false);
    manager.SetPlaying(true);
    manager.SetRunTime(time);
    manager.Advance(0.0f);
    return {model.RenderPoints(), model.RenderPoints() + 3 * model.PointCount()};
}

// Points read their first two numbers, in the skeleton and in the clips alike.
TEST(Model, PointsOfThreeOrMoreNumbersReadTheirFirstTwo) {
    std::string longer = replaced(kSmallModel, R"("localRestStartPt": [0, 0], "localRestEndPt": [1, 0], "children": [1])",
                                  R"("localRestStartPt": [0, 0, 0], "localRestEndPt": [1, 0, 5, 1e999], "children": [1])");
    longer = replaced(longer, R"("tip": {"start_pt": [1, 0], "end_pt": [1, 1]})",
                      R"("tip": {"start_pt": [1, 0, 1], "end_pt": [1, 1, -3]})");
    const std::vector<float> expected = posedWave(kSmallModel, 5.0f);
    ASSERT_EQ(expected.size(), 12u);
    EXPECT_EQ(posedWave(longer, 5.0f), expected);
    EXPECT_EQ(posedWave(longer, 2.5f), posedWave(kSmallModel, 2.5f));
}

// Posing never needs the inverse of the root's rest matrix: a singular one builds and poses.
TEST(Model, ARootWithASingularRestMatrixBuildsAndPoses) {
    const std::string singular =
        replaced(kSmallModel, R"("root": {"id": 0, "restParentMat": [1, 0, 0, 0, 0, 1, 0, 0,)",
                 R"("root": {"id": 0, "restParentMat": [1, 0, 0, 0, 2, 0, 0, 0,)");
    const auto document = parsed(singular);
    const Mobilant model(*document);
    ASSERT_EQ(model.PointCount(), 4);
    ASSERT_NE(model.Composition()->getRootBone(), nullptr);
    for (const float time : {0.0f, 2.5f, 10.0f}) {
        const std::vector<float> points = posedWave(singular, time);
        ASSERT_EQ(points.size(), 12u);
        for (std::size_t i = 0; i < points.size(); ++i)
            EXPECT_TRUE(std::isfinite(points[i])) << "time " << time << ", float " << i;
    }
}

TEST(ParseFrameKey, ReadsLikeTheCLibraryButSaturates) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const std::pair<const char*, std::int32_t> table[] = {
        {"3", 3},
        {"03", 3},
        {"  -12abc", -12},
        {"\t\n\v\f\r+7", 7},
        {"", 0},
        {"x1", 0},
        {"- 5", 0},
        {"5.9", 5},
        {"1e3", 1},
        {"2147483647", kMax},
        {"2147483648", kMax},
        {"-2147483648", kMin},
        {"-2147483649", kMin},
        {"99999999999999999999999", kMax},
        {"-00000000000000000000042", -42},
    };
    for (const auto& [key, frame] : table)
        EXPECT_EQ(ParseFrameKey(key), frame) << key;
}

}  // namespace
