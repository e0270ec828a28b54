#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "IndexWriter.h"
#include "LoadMobilantModel.h"
#include "MessageBoxes.h"
#include "Mobilant.h"
#include "MobilantManager.h"
#include "MobilantMetaData.h"
#include "ReadWholeFile.h"
#include "meshRenderRegion.h"

using namespace MobilantModule;

namespace {

// The committed character with every clip loaded and its meta data, as a game sets it up.
struct Character {
    Character() {
        const std::string samples = std::string(MOBILANT_SOURCE_DIR) + "/samples/";
        EXPECT_TRUE(LoadMobilantModel((samples + "character.json").c_str(), document).Ok());
        model = std::make_unique<Mobilant>(document);
        manager = std::make_unique<MobilantManager>(model.get());
        for (const std::string& name : model->ClipNames())
            manager->LoadClip(document, name);
        manager->SelectClip("default", false);
        manager->SetPlaying(true);
        std::string text;
        EXPECT_TRUE(readWholeFile((samples + "character.meta.json").c_str(), text));
        meta = std::make_unique<MobilantMetaData>(text);
    }

    const meshRenderRegion& region(const std::string& name) const {
        for (const auto& region : model->Composition()->getRegions()) {
            if (region->getName() == name) return *region;
        }
        ADD_FAILURE() << "no region " << name;
        return *model->Composition()->getRegions().front();
    }

    // The mean of the region's drawn points.
    std::pair<float, float> centreOf(const std::string& name) const {
        const meshRenderRegion& r = region(name);
        float x = 0.0f, y = 0.0f;
        for (std::int32_t k = r.getStartPtIndex(); k <= r.getEndPtIndex(); ++k) {
            x += model->RenderPoints()[3 * k];
            y += model->RenderPoints()[3 * k + 1];
        }
        return {x / static_cast<float>(r.numPoints()), y / static_cast<float>(r.numPoints())};
    }

    JsonDocument document;
    std::unique_ptr<Mobilant> model;
    std::unique_ptr<MobilantManager> manager;
    std::unique_ptr<MobilantMetaData> meta;
};

TEST(CharacterMeta, SwapsListTheirRegionsInModelOrder) {
    Character character;
    ASSERT_EQ(character.meta->SkinSwaps().size(), 3u);
    std::vector<std::int32_t> list(static_cast<std::size_t>(character.model->IndexCount()));
    auto store = [&](std::int32_t at, std::int32_t value) { list.at(at) = value; };
    const IndexWriter writer(store, character.model->IndexCount());

    struct Case {
        const char* swap;
        std::vector<std::string> regions;  // in the model's order
    };
    const Case cases[] = {
        {"no_back_limbs",
         {"shadow", "leg_front_upper", "leg_front_lower", "foot_front", "torso", "head",
          "arm_front_upper", "arm_front_lower"}},
        {"upper_body",
         {"arm_back_upper", "arm_back_lower", "torso", "head", "arm_front_upper",
          "arm_front_lower"}},
    };
    for (const Case& c : cases) {
        std::vector<std::int32_t> expected;
        for (const std::string& name : c.regions) {
            const meshRenderRegion& region = character.region(name);
            expected.insert(expected.end(), region.getIndices(),
                            region.getIndices() + region.numIndices());
        }
        std::int32_t count = 0;
        ASSERT_TRUE(character.meta->BuildSkinSwapIndices(c.swap, *character.model->Composition(),
                                                         writer, count));
        EXPECT_EQ(std::vector<std::int32_t>(list.begin(), list.begin() + count), expected)
            << c.swap;
    }
    std::int32_t count = 0;
    ASSERT_TRUE(character.meta->BuildSkinSwapIndices("full", *character.model->Composition(),
                                                     writer, count));
    EXPECT_EQ(list, std::vector<std::int32_t>(character.model->Indices(),
                                              character.model->Indices() + count));
    EXPECT_EQ(count, character.model->IndexCount());
}

// A control point to the right of the base leans the figure to the right, one to the left to
// the left; on the base the centre clip alone is drawn.
TEST(CharacterMeta, AControlPointToTheRightLeansTheFigureRight) {
    Character character;
    MobilantMetaData& meta = *character.meta;
    ASSERT_EQ(meta.WeightImages().size(), 4u);
    ClearShownMessageBoxes();

    // The renderer passes (x, -y) of model-space points.
    meta.PlaceMorphPoint({0.0f, 0.0f}, {0.0f, 0.0f}, 1.0f);
    ASSERT_TRUE(meta.UpdateMorph(*character.manager, 0.0f));
    const std::vector<float> morphed(character.model->RenderPoints(),
                                     character.model->RenderPoints() +
                                         3 * character.model->PointCount());
    const auto head = character.centreOf("head");
    const auto torso = character.centreOf("torso");
    const auto hand = character.centreOf("arm_front_lower");
    std::vector<float> centre(morphed.size());
    ASSERT_TRUE(character.manager->PoseMobilant("lean_centre", centre.data(), 0.0f));
    for (std::size_t k = 0; k < morphed.size(); k += 3) {
        ASSERT_NEAR(morphed[k], centre[k], 1e-5f) << k / 3;
        ASSERT_NEAR(morphed[k + 1], centre[k + 1], 1e-5f) << k / 3;
    }

    meta.PlaceMorphPoint({1.0f, 0.0f}, {0.0f, 0.0f}, 1.0f);
    ASSERT_TRUE(meta.UpdateMorph(*character.manager, 0.0f));
    EXPECT_GT(character.centreOf("head").first, head.first + 0.2f);
    EXPECT_GT(character.centreOf("torso").first, torso.first);

    meta.PlaceMorphPoint({-1.0f, 0.0f}, {0.0f, 0.0f}, 1.0f);
    ASSERT_TRUE(meta.UpdateMorph(*character.manager, 0.0f));
    EXPECT_LT(character.centreOf("head").first, head.first - 0.2f);
    EXPECT_LT(character.centreOf("torso").first, torso.first);

    // A control point above the base (y negated) raises the near hand; below, the body sinks.
    meta.PlaceMorphPoint({0.0f, -1.0f}, {0.0f, 0.0f}, 1.0f);
    ASSERT_TRUE(meta.UpdateMorph(*character.manager, 0.0f));
    EXPECT_GT(character.centreOf("arm_front_lower").second, hand.second + 1.0f);
    meta.PlaceMorphPoint({0.0f, 1.0f}, {0.0f, 0.0f}, 1.0f);
    ASSERT_TRUE(meta.UpdateMorph(*character.manager, 0.0f));
    EXPECT_LT(character.centreOf("torso").second, torso.second - 0.2f);
    EXPECT_LT(character.centreOf("head").second, head.second - 0.2f);
    EXPECT_TRUE(ShownMessageBoxes().empty());
}

}  // namespace
