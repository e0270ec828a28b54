#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "JsonDocument.h"
#include "LoadMobilantModel.h"
#include "MessageBoxes.h"
#include "Mobilant.h"
#include "MobilantAnimation.h"
#include "MobilantManager.h"
#include "ValidateMobilantClip.h"

using namespace MobilantModule;

namespace {

struct Box {
    float minX, maxX, minY, maxY;
};

Box restBox(const Mobilant& model) {
    Box box{0, 0, 0, 0};
    for (std::int32_t i = 0; i < model.PointCount(); ++i) {
        const float x = model.RestPoints()[3 * i];
        const float y = model.RestPoints()[3 * i + 1];
        box = i == 0 ? Box{x, x, y, y}
                     : Box{std::min(box.minX, x), std::max(box.maxX, x), std::min(box.minY, y),
                           std::max(box.maxY, y)};
    }
    return box;
}

// Poses `manager`'s model with clip `name` at `time` as a game does: the clip selected (its
// region switches set), played and advanced by nothing.
void poseWithClip(MobilantManager& manager, const std::string& name, float time) {
    manager.SelectClip(name, true);
    manager.SetPlaying(true);
    manager.SetRunTime(time);
    manager.Advance(0.0f);
}

class Samples : public testing::TestWithParam<const char*> {};

// The rest pose of "default" reproduces the rest mesh, and every clip keeps every point of
// every whole frame finite and within the rest box grown by its own size on every side.
TEST_P(Samples, LoadAndPoseEveryClipAtEveryFrame) {
    const std::string path = std::string(MOBILANT_SOURCE_DIR) + "/samples/" + GetParam();
    JsonDocument document;
    const ModelCheck check = LoadMobilantModel(path.c_str(), document);
    ASSERT_TRUE(check.Ok()) << check.Line();
    Mobilant model(document);
    ASSERT_GT(model.PointCount(), 0);
    const Box rest = restBox(model);
    const float size = std::max(rest.maxX - rest.minX, rest.maxY - rest.minY);
    const Box sane{rest.minX - size, rest.maxX + size, rest.minY - size, rest.maxY + size};

    ClearShownMessageBoxes();
    ASSERT_NE(std::find(model.ClipNames().begin(), model.ClipNames().end(), "default"),
              model.ClipNames().end());
    MobilantManager manager(&model);
    for (const std::string& name : model.ClipNames()) {
        manager.LoadClip(document, name);
        const MobilantAnimation& clip = *manager.Clips().at(name);
        ASSERT_TRUE(clip.LoadCheck().Ok()) << clip.LoadCheck().Line();
        // What the check counted before building is what the caches hold, but for the names.
        ClipCacheSizes sizes;
        ASSERT_TRUE(ValidateMobilantClip(document.getRoot(), name, &sizes).Ok());
        EXPECT_LE(sizes.Bytes(), clip.MemoryBytes()) << name;
        EXPECT_LT(clip.MemoryBytes() - sizes.Bytes(), 16384u) << name;
        if (name == "default") {
            poseWithClip(manager, name, clip.StartTime());
            for (std::int32_t i = 0; i < 3 * model.PointCount(); ++i) {
                const float expected = i % 3 == 2 ? 1.0f : model.RestPoints()[i];
                ASSERT_NEAR(model.RenderPoints()[i], expected, 1e-5f * size) << i;
            }
        }
        for (float t = clip.StartTime(); t <= clip.EndTime(); t += 1.0f) {
            poseWithClip(manager, name, t);
            ASSERT_EQ(manager.RunTime(), t);
            for (std::int32_t i = 0; i < model.PointCount(); ++i) {
                const float* p = model.RenderPoints() + 3 * i;
                ASSERT_TRUE(std::isfinite(p[0]) && std::isfinite(p[1]) && p[2] == 1.0f)
                    << name << " frame " << t << " point " << i;
                ASSERT_TRUE(p[0] >= sane.minX && p[0] <= sane.maxX && p[1] >= sane.minY &&
                            p[1] <= sane.maxY)
                    << name << " frame " << t << " point " << i << ": " << p[0] << ", " << p[1];
            }
        }
    }
    EXPECT_TRUE(ShownMessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Committed, Samples, testing::Values("tiny.json", "character.json"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             const std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

// The generated stress model keys every frame of its clips; they take less memory than the
// file that holds them.
TEST(StressSample, ClipsTakeLessThanTheirFile) {
    const std::string path = std::string(MOBILANT_BINARY_DIR) + "/samples/stress.json";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no " << path;
    auto document = std::make_unique<JsonDocument>();
    ASSERT_TRUE(LoadMobilantModel(path.c_str(), *document).Ok());
    Mobilant model(*document);
    MobilantManager manager(&model);
    std::size_t clipBytes = 0;
    for (const std::string& name : model.ClipNames()) {
        manager.LoadClip(*document, name);
        ASSERT_TRUE(manager.Clips().at(name)->LoadCheck().Ok());
        clipBytes += manager.Clips().at(name)->MemoryBytes();
    }
    document.reset();  // nothing refers into it
    const auto fileBytes = std::filesystem::file_size(path);
    EXPECT_LT(clipBytes, fileBytes);
    for (const auto& [name, clip] : manager.Clips()) {
        poseWithClip(manager, name, clip->StartTime() + 0.5f);
        poseWithClip(manager, name, clip->EndTime());
    }
    for (std::int32_t i = 0; i < 3 * model.PointCount(); ++i)
        ASSERT_TRUE(std::isfinite(model.RenderPoints()[i]));
}

}  // namespace
