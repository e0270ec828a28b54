#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "JsonDocument.h"
#include "MessageBoxes.h"
#include "Mobilant.h"
#include "MobilantAnimation.h"
#include "MobilantManager.h"
#include "PlayerModel.h"
#include "meshRenderRegion.h"

using namespace MobilantModule;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Plays `clip` from `runTime`.
void play(MobilantManager& manager, const char* clip, float runTime) {
    manager.SelectClip(clip, false);
    manager.SetPlaying(true);
    manager.SetRunTime(runTime);
}

TEST(MobilantManager, StartsStoppedWithNothingSelected) {
    PlayerRig rig;
    const MobilantManager& manager = *rig.manager;
    EXPECT_FALSE(manager.Playing());
    EXPECT_EQ(manager.ActiveClipName(), "");
    EXPECT_EQ(manager.RunTime(), 0.0f);
    EXPECT_EQ(manager.Model(), rig.model.get());
    EXPECT_EQ(manager.Clips().size(), 4u);
    EXPECT_FALSE(manager.BlendMode());
    EXPECT_EQ(manager.BlendFactor(), 0.0f);
    EXPECT_EQ(manager.AutoBlendStep(), 0.1f);
    EXPECT_TRUE(manager.BlendPoints(0).empty());
    // Registering sets each clip's blend time to its start.
    EXPECT_EQ(manager.BlendTime("slide"), 0.0f);
    EXPECT_EQ(manager.BlendTime("late"), 4.0f);
}

// Time moves by step * 30 frames and jumps to the other end of the range when it leaves it,
// without carrying the remainder.
TEST(MobilantManager, AdvanceWrapsTimeToTheOtherEnd) {
    struct Case {
        const char* clip;
        float from;
        float step;
        float expected;
    };
    const Case cases[] = {
        {"slide", 9.5f, 1.0f / 30.0f, 0.0f},    // 10.5 > 10: the start, not 0.5
        {"slide", 10.0f, 0.0f, 10.0f},          // the end itself is in range
        {"slide", 9.5f, 0.5f / 30.0f, 10.0f},   // reaching the end exactly stays
        {"slide", 0.2f, -0.5f / 30.0f, 10.0f},  // -0.3 < 0: the end
        {"slide", 2.0f, 0.1f, 5.0f},            // 0.1 * 30 = 3 frames
        {"late", 19.0f, 2.0f / 30.0f, 4.0f},    // 21 > 20: start 4
        {"late", 4.0f, -0.01f, 20.0f},          // 3.7 < 4: end 20
        {"late", 0.0f, 0.0f, 20.0f},            // a run time set below the range wraps too
    };
    for (const Case& c : cases) {
        PlayerRig rig;
        play(*rig.manager, c.clip, c.from);
        rig.manager->Advance(c.step);
        EXPECT_NEAR(rig.manager->RunTime(), c.expected, 1e-5f)
            << c.clip << " from " << c.from << " by " << c.step;
    }
}

TEST(MobilantManager, WrapTimeKeepsATimeInTheNamedClip) {
    PlayerRig rig;
    const MobilantManager& manager = *rig.manager;
    EXPECT_EQ(manager.WrapTime(21.0f, "late"), 4.0f);
    EXPECT_EQ(manager.WrapTime(3.5f, "late"), 20.0f);
    EXPECT_EQ(manager.WrapTime(4.0f, "late"), 4.0f);
    EXPECT_EQ(manager.WrapTime(12.25f, "late"), 12.25f);
    EXPECT_EQ(manager.WrapTime(kInf, "late"), 4.0f);
    EXPECT_EQ(manager.WrapTime(-kInf, "late"), 20.0f);
    EXPECT_EQ(manager.WrapTime(kNaN, "late"), 4.0f);
    EXPECT_EQ(manager.WrapTime(99.0f, "nothing"), 99.0f);
}

TEST(MobilantManager, AdvancePosesTheActiveClipAtItsRunTime) {
    PlayerRig rig;
    play(*rig.manager, "slide", 2.0f);
    rig.manager->Advance(0.015f);  // 0.45 frames: between the whole frames 2 and 3
    expectMoved(rig.points(), 2.45f, 0.0f);
    play(*rig.manager, "late", 6.0f);
    rig.manager->Advance(0.0f);
    expectMoved(rig.points(), 6.0f, 6.0f);
}

TEST(MobilantManager, NothingMovesWhileStopped) {
    PlayerRig rig;
    play(*rig.manager, "slide", 2.0f);
    rig.manager->Advance(0.0f);
    rig.manager->SetPlaying(false);
    rig.manager->SetRunTime(5.0f);
    rig.manager->Advance(0.1f);
    EXPECT_EQ(rig.manager->RunTime(), 5.0f);
    expectMoved(rig.points(), 2.0f, 0.0f);
    // Posing by hand still works.
    ASSERT_TRUE(rig.manager->PoseMobilant("rise", rig.model->RenderPoints(), 1.5f));
    expectMoved(rig.points(), 0.0f, 3.0f);
}

TEST(MobilantManager, SelectClipRestartsUnlessSkippingTheActiveClip) {
    PlayerRig rig;
    MobilantManager& manager = *rig.manager;
    play(manager, "late", 12.0f);
    EXPECT_EQ(manager.ActiveClipName(), "late");

    manager.SelectClip("late", true);
    EXPECT_EQ(manager.RunTime(), 12.0f);
    manager.SelectClip("late", false);
    EXPECT_EQ(manager.RunTime(), 4.0f);

    manager.SetRunTime(7.0f);
    manager.SelectClip("slide", true);  // another clip: skipping does not apply
    EXPECT_EQ(manager.ActiveClipName(), "slide");
    EXPECT_EQ(manager.RunTime(), 0.0f);

    manager.SetRunTime(7.0f);
    manager.SelectClip("walk", false);
    manager.SelectClip("", false);
    EXPECT_EQ(manager.ActiveClipName(), "slide");
    EXPECT_EQ(manager.RunTime(), 7.0f);

    // The active name may be passed back in.
    manager.SelectClip(manager.ActiveClipName(), false);
    EXPECT_EQ(manager.ActiveClipName(), "slide");
    EXPECT_EQ(manager.RunTime(), 0.0f);
}

// Entry k of the clip's first frame switches region k, whatever the entry is called.
TEST(MobilantManager, ClipSwitchesGoToRegionsByPosition) {
    PlayerRig rig;
    const auto& regions = rig.model->Composition()->getRegions();
    rig.manager->SelectClip("flags", false);
    EXPECT_TRUE(regions[0]->getUseLocalDisplacements());
    EXPECT_EQ(regions[0]->getLocalDisplacements().size(), 4u);
    EXPECT_FALSE(regions[0]->getUseUvWarp());
    EXPECT_FALSE(regions[1]->getUseLocalDisplacements());
    EXPECT_TRUE(regions[1]->getUseUvWarp());
    EXPECT_FALSE(regions[1]->getUsePostDisplacements());

    rig.manager->ApplyClipSwitches("slide");
    for (const auto& region : regions) {
        EXPECT_FALSE(region->getUseLocalDisplacements());
        EXPECT_FALSE(region->getUseUvWarp());
    }
    rig.manager->ApplyClipSwitches("flags");
    rig.manager->ApplyClipSwitches("nothing");
    EXPECT_TRUE(regions[0]->getUseLocalDisplacements());
}

// The worked blend: A ("slide") active, auto blend on, BlendTo(B = "rise", 0.25), then five
// game frames of 0.01 (0.3 frames each). Both clips' blend times start at 0 and move 0.3 per
// frame, so after frame n A is at (0.3n, 0) and B at (0, 0.6n).
TEST(MobilantManager, AutoBlendMixesTheTwoClipsWithAGrowingFactor) {
    PlayerRig rig;
    MobilantManager& manager = *rig.manager;
    play(manager, "slide", 5.0f);
    manager.SetAutoBlend(true);
    manager.BlendTo("rise", 0.25f);
    EXPECT_EQ(manager.ActiveClipName(), "rise");
    EXPECT_EQ(manager.BlendPair().first, "slide");
    EXPECT_EQ(manager.BlendPair().second, "rise");
    EXPECT_EQ(manager.BlendFactor(), 0.0f);
    ASSERT_EQ(manager.BlendPoints(0).size(), 3u * kPlayerPoints);

    const float factors[] = {0.25f, 0.5f, 0.75f, 1.0f, 1.0f};
    for (int n = 1; n <= 5; ++n) {
        manager.Advance(0.01f);
        const float f = factors[n - 1];
        EXPECT_EQ(manager.BlendFactor(), f) << "frame " << n;
        EXPECT_NEAR(manager.BlendTime("slide"), 0.3f * n, 1e-5f);
        EXPECT_NEAR(manager.BlendTime("rise"), 0.3f * n, 1e-5f);
        expectMoved(manager.BlendPoints(0).data(), 0.3f * n, 0.0f, "A");
        expectMoved(manager.BlendPoints(1).data(), 0.0f, 0.6f * n, "B");
        expectMoved(rig.points(), (1.0f - f) * 0.3f * n, f * 0.6f * n, "mix");
    }

    // The blend stays on, at factor 1, until auto blend is switched off; then the active clip
    // plays alone at the run time.
    manager.SetAutoBlend(false);
    EXPECT_FALSE(manager.BlendMode());
    EXPECT_EQ(manager.BlendFactor(), 1.0f);
    manager.SetRunTime(4.0f);
    manager.Advance(0.0f);
    expectMoved(rig.points(), 0.0f, 8.0f);
}

TEST(MobilantManager, BlendToTheClipAlreadyBlendedToChangesNothing) {
    PlayerRig rig;
    MobilantManager& manager = *rig.manager;
    play(manager, "slide", 0.0f);
    manager.SetAutoBlend(true);
    manager.BlendTo("rise", 0.25f);
    manager.Advance(0.01f);
    manager.Advance(0.01f);
    manager.BlendTo("rise", 0.5f);
    EXPECT_EQ(manager.BlendFactor(), 0.5f);
    EXPECT_EQ(manager.AutoBlendStep(), 0.25f);
    EXPECT_NEAR(manager.BlendTime("rise"), 0.6f, 1e-5f);
    // Unknown names change nothing either.
    manager.BlendTo("walk", 0.5f);
    EXPECT_EQ(manager.ActiveClipName(), "rise");
    EXPECT_EQ(manager.AutoBlendNames().second, "rise");

    // Blending on to a third clip: from the active one, whose blend time goes on from where it
    // was; the new clip starts at its start.
    manager.BlendTo("late", 0.5f);
    EXPECT_EQ(manager.BlendPair().first, "rise");
    EXPECT_EQ(manager.BlendPair().second, "late");
    EXPECT_EQ(manager.BlendFactor(), 0.0f);
    EXPECT_NEAR(manager.BlendTime("rise"), 0.6f, 1e-5f);
    EXPECT_EQ(manager.BlendTime("late"), 4.0f);
}

TEST(MobilantManager, SwitchingAutoBlendOnRestartsTheActiveClipOnce) {
    PlayerRig rig;
    MobilantManager& manager = *rig.manager;
    play(manager, "late", 10.0f);
    manager.SetAutoBlend(true);
    EXPECT_EQ(manager.BlendPair().first, "late");
    EXPECT_EQ(manager.BlendPair().second, "late");
    EXPECT_EQ(manager.BlendTime("late"), 4.0f);
    EXPECT_EQ(manager.AutoBlendStep(), 0.1f);
    // A clip blended with itself advances once per frame, not twice.
    manager.Advance(0.1f);
    EXPECT_NEAR(manager.BlendTime("late"), 7.0f, 1e-5f);
    expectMoved(rig.points(), 7.0f, 7.0f);
    // Now "late" is the second blend name: switching on again does not restart it.
    manager.SetAutoBlend(false);
    manager.SetAutoBlend(true);
    EXPECT_NEAR(manager.BlendTime("late"), 7.0f, 1e-5f);
}

// One clip played alone from its own time while a blend is under way: the clip is posed and
// becomes active at its new time, and the blend (mode, pair, factor, blend times) is as it was,
// so the next Advance goes on blending from there.
TEST(MobilantManager, AdvanceClipAloneLeavesTheBlendAsItWas) {
    PlayerRig rig;
    MobilantManager& manager = *rig.manager;
    play(manager, "slide", 0.0f);
    manager.SetAutoBlend(true);
    manager.BlendTo("rise", 0.25f);
    manager.Advance(0.01f);

    EXPECT_NEAR(manager.AdvanceClipAlone("late", 9.0f, 0.1f), 12.0f, 1e-5f);
    expectMoved(rig.points(), 12.0f, 12.0f);
    EXPECT_EQ(manager.ActiveClipName(), "late");
    EXPECT_NEAR(manager.RunTime(), 12.0f, 1e-5f);
    EXPECT_TRUE(manager.BlendMode());
    EXPECT_TRUE(manager.AutoBlend());
    EXPECT_EQ(manager.BlendFactor(), 0.25f);
    EXPECT_EQ(manager.BlendPair().second, "rise");
    EXPECT_NEAR(manager.BlendTime("slide"), 0.3f, 1e-5f);
    EXPECT_NEAR(manager.BlendTime("rise"), 0.3f, 1e-5f);
    EXPECT_EQ(manager.BlendTime("late"), 4.0f);

    // Wrapping as Advance does: 19 + 3 > 20 gives the start.
    EXPECT_EQ(manager.AdvanceClipAlone("late", 19.0f, 0.1f), 4.0f);
    expectMoved(rig.points(), 4.0f, 4.0f);
    // Its switches are applied: entry 1 of "flags" turns the second region's UV warp on.
    manager.AdvanceClipAlone("flags", 0.0f, 0.0f);
    EXPECT_TRUE(rig.model->Composition()->getRegions()[1]->getUseUvWarp());

    // An unknown clip changes nothing; a stopped manager selects and sets the time but poses
    // nothing, as SelectClip, SetRunTime and a stopped Advance would.
    EXPECT_EQ(manager.AdvanceClipAlone("walk", 7.0f, 0.1f), 7.0f);
    EXPECT_EQ(manager.ActiveClipName(), "flags");
    manager.SetPlaying(false);
    EXPECT_EQ(manager.AdvanceClipAlone("slide", 6.0f, 0.1f), 6.0f);
    EXPECT_EQ(manager.ActiveClipName(), "slide");
    expectMoved(rig.points(), 0.0f, 0.0f);

    // The blend goes on: one more frame moves its factor and both blend times.
    manager.SetPlaying(true);
    manager.Advance(0.01f);
    EXPECT_EQ(manager.BlendFactor(), 0.5f);
    EXPECT_NEAR(manager.BlendTime("rise"), 0.6f, 1e-5f);
}

TEST(MobilantManager, BlendArraysAreMadeOnceAndBlendFactorStaysWithinZeroAndOne) {
    PlayerRig rig;
    MobilantManager& manager = *rig.manager;
    manager.SetBlendMode(true);
    const float* first = manager.BlendPoints(0).data();
    manager.SetBlendMode(false);
    manager.SetBlendMode(true);
    EXPECT_EQ(manager.BlendPoints(0).data(), first);

    play(manager, "slide", 0.0f);
    manager.SetAutoBlend(true);
    manager.BlendTo("rise", -0.25f);
    manager.StepBlendWeight();
    EXPECT_EQ(manager.BlendFactor(), 0.0f);
    manager.BlendTo("late", kInf);
    manager.StepBlendWeight();
    EXPECT_EQ(manager.BlendFactor(), 1.0f);
    manager.BlendTo("slide", kNaN);  // keeps the step it had
    EXPECT_EQ(manager.AutoBlendStep(), kInf);
}

TEST(MobilantManager, TimesThatAreNotFiniteAreIgnored) {
    PlayerRig rig;
    MobilantManager& manager = *rig.manager;
    play(manager, "slide", 3.0f);
    manager.SetAutoBlend(true);
    manager.BlendTo("rise", 0.25f);
    manager.Advance(0.1f);
    const float runTime = manager.RunTime();
    const float factor = manager.BlendFactor();
    for (const float bad : {kNaN, kInf, -kInf, 1e38f}) {
        manager.Advance(bad);  // 1e38 is finite, but not as frames (times 30)
        if (!std::isfinite(bad)) {
            manager.SetRunTime(bad);
            manager.AdvanceBlendTimes(bad);
        }
        EXPECT_EQ(manager.RunTime(), runTime) << bad;
        EXPECT_EQ(manager.BlendFactor(), factor) << bad;
        EXPECT_NEAR(manager.BlendTime("slide"), 3.0f, 1e-5f) << bad;
        EXPECT_NEAR(manager.BlendTime("rise"), 3.0f, 1e-5f) << bad;
    }
    // A finite but huge run time wraps like any other.
    manager.SetRunTime(3e38f);
    manager.Advance(3e36f);
    EXPECT_EQ(manager.RunTime(), 0.0f);
    for (int i = 0; i < 3 * kPlayerPoints; ++i)
        EXPECT_TRUE(std::isfinite(rig.points()[i])) << i;
}

TEST(MobilantManager, PosingAnUnknownClipSaysSoAndWritesNothing) {
    PlayerRig rig;
    play(*rig.manager, "slide", 2.0f);
    rig.manager->Advance(0.0f);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(rig.manager->PoseMobilant("walk", rig.model->RenderPoints(), 1.0f));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "MobilantManager::PoseMobilant() - Animation not found: walk\n");
    expectMoved(rig.points(), 2.0f, 0.0f);
}

// Advance needs the active clip, or in blend mode both blend clips, in the table; without them
// the render points keep the last pose.
TEST(MobilantManager, AdvanceWithoutItsClipsLeavesThePointsAlone) {
    PlayerRig rig;
    MobilantManager& manager = *rig.manager;
    manager.SetPlaying(true);
    testing::internal::CaptureStdout();
    manager.Advance(0.1f);  // nothing selected yet
    expectMoved(rig.points(), 0.0f, 0.0f);
    EXPECT_EQ(manager.RunTime(), 0.0f);

    play(manager, "slide", 2.0f);
    manager.Advance(0.0f);
    manager.SetBlendMode(true);
    manager.SetBlendPair("slide", "walk");
    manager.Advance(0.1f);
    expectMoved(rig.points(), 2.0f, 0.0f);
    manager.SetBlendPair("", "slide");
    manager.Advance(0.1f);
    expectMoved(rig.points(), 2.0f, 0.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// A clip the file lacks has empty caches: posing it leaves the bones where the last pose put
// them and skins them there.
TEST(MobilantManager, AClipTheFileLacksKeepsTheBonesWhereTheyAre) {
    PlayerRig rig;
    ClearShownMessageBoxes();
    rig.manager->LoadClip(rig.document, "walk");
    EXPECT_EQ(ShownMessageBoxes().size(), 1u);
    ClearShownMessageBoxes();
    ASSERT_EQ(rig.manager->Clips().count("walk"), 1u);

    play(*rig.manager, "late", 9.0f);
    rig.manager->Advance(0.0f);
    play(*rig.manager, "walk", 0.0f);
    rig.manager->Advance(0.1f);
    EXPECT_EQ(rig.manager->RunTime(), 0.0f);
    expectMoved(rig.points(), 9.0f, 9.0f);
}

TEST(MobilantManager, RegisteringReplacesAClipByNameAndSharesIt) {
    PlayerRig rig;
    MobilantManager& manager = *rig.manager;
    auto clip = std::make_shared<MobilantAnimation>(rig.document, "late");
    manager.AdvanceBlendTimes(1.0f);  // no auto blend names: nothing moves
    EXPECT_EQ(manager.BlendTime("late"), 4.0f);
    // An auto blend moves the clip's blend time; restarting puts it back at the start.
    play(manager, "late", 4.0f);
    manager.SetAutoBlend(true);
    manager.Advance(0.1f);  // 3 frames
    EXPECT_EQ(manager.BlendTime("late"), 7.0f);
    manager.RestartBlendTime("late");
    EXPECT_EQ(manager.BlendTime("late"), 4.0f);
    manager.SetAutoBlend(false);

    manager.RegisterClip(clip);
    manager.RegisterClip(nullptr);
    EXPECT_EQ(manager.Clips().size(), 4u);
    EXPECT_EQ(manager.Clips().at("late").get(), clip.get());
    EXPECT_EQ(clip.use_count(), 2);
    {
        PlayerRig other;
        other.manager->RegisterClip(clip);
        EXPECT_EQ(clip.use_count(), 3);
    }
    EXPECT_EQ(clip.use_count(), 2);
}

// A region keyed at frames 0 and 10 with local displacements (0, 1) and post displacements
// (1, 0) on every point keeps both at every time between: its points sit at rest + (1, 1).
TEST(MobilantManager, LocalAndPostDisplacementsBothHoldBetweenKeyedFrames) {
    const std::string entry = R"({"use_local_displacements": true, "use_post_displacements": true,
        "local_displacements": [0, 1, 0, 1, 0, 1, 0, 1],
        "post_displacements": [1, 0, 1, 0, 1, 0, 1, 0]})";
    const std::string none = R"({"use_local_displacements": false, "use_post_displacements": false})";
    const std::string drift = R"("drift": {
      "bones": {"0": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}},
                "10": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}}},
      "meshes": {"0": {"a": )" + entry + R"(, "b": )" + none + R"(},
                 "10": {"a": )" + entry + R"(, "b": )" + none + R"(}},
      "uv_swaps": {}
    },
    "flags": {)";
    std::string text = kPlayerModel;
    text.replace(text.find(R"("flags": {)"), 10, drift);
    PlayerRig rig(text);
    ASSERT_EQ(rig.manager->Clips().count("drift"), 1u);
    play(*rig.manager, "drift", 0.0f);
    for (const float time : {0.0f, 0.5f, 5.0f, 9.9f, 10.0f}) {
        rig.manager->SetRunTime(time);
        rig.manager->Advance(0.0f);
        for (int i = 0; i < kPlayerPoints; ++i) {
            const float moved = i < 4 ? 1.0f : 0.0f;  // region "a" holds points 0 to 3
            EXPECT_NEAR(rig.points()[3 * i], kPlayerRest[2 * i] + moved, 1e-5f)
                << "time " << time << " point " << i;
            EXPECT_NEAR(rig.points()[3 * i + 1], kPlayerRest[2 * i + 1] + moved, 1e-5f)
                << "time " << time << " point " << i;
        }
    }
}

// A refused document builds the empty model: no points, bones or regions. Every operation
// must carry it.
TEST(MobilantManager, TheEmptyModelIsCarriedThroughEverything) {
    JsonDocument document;
    ASSERT_EQ(document.parseText(R"({"mesh": {}})"), JsonStatus::Ok);
    Mobilant model(document);
    ASSERT_EQ(model.PointCount(), 0);
    PlayerRig clips;
    for (Mobilant* target : {&model, static_cast<Mobilant*>(nullptr)}) {
        MobilantManager manager(target);
        for (const auto& [name, clip] : clips.manager->Clips())
            manager.RegisterClip(clip);
        play(manager, "slide", 2.0f);
        manager.Advance(0.1f);
        EXPECT_EQ(manager.RunTime(), 5.0f);
        EXPECT_TRUE(manager.PoseMobilant("rise", nullptr, 1.0f));
        manager.SetAutoBlend(true);
        manager.BlendTo("late", 0.5f);
        manager.Advance(0.1f);
        manager.ApplyClipSwitches("flags");
        EXPECT_TRUE(manager.BlendPoints(1).empty());
        EXPECT_EQ(manager.BlendFactor(), 0.5f);
    }
}

}  // namespace
