#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "JsonDocument.h"
#include "MessageBoxes.h"
#include "MobilantAnimation.h"
#include "ValidateMobilantClip.h"
#include "WideStrings.h"
#include "ModelText.h"

using namespace MobilantModule;

namespace {

std::unique_ptr<JsonDocument> parsed(const std::string& text) {
    auto document = std::make_unique<JsonDocument>();
    EXPECT_EQ(document->parseText(text), JsonStatus::Ok);
    return document;
}

// A "bones" frame member for the small model's two bones, the tip ending at (x, y).
std::string boneFrame(std::string_view key, float x, float y) {
    std::string text = "\"";
    text.append(key).append("\": {\"root\": {\"start_pt\": [0, 0], \"end_pt\": [1, 0]}, ");
    text.append("\"tip\": {\"start_pt\": [1, 0], \"end_pt\": [").append(std::to_string(x));
    text.append(", ").append(std::to_string(y)).append("]}}");
    return text;
}

// A clip member named `name` with the given "bones" frames and other members.
std::string clipText(std::string_view name, std::string_view boneFrames,
                     std::string_view rest = "\"meshes\": {}, \"uv_swaps\": {}") {
    std::string text = "\"";
    text.append(name).append("\": {\"bones\": {").append(boneFrames).append("}, ");
    text.append(rest).append("}");
    return text;
}

void expectPoint(const Vec4& point, float x, float y) {
    EXPECT_FLOAT_EQ(point.x, x);
    EXPECT_FLOAT_EQ(point.y, y);
    EXPECT_EQ(point.z, 0.0f);
    EXPECT_EQ(point.w, 1.0f);
}

void expectPairs(const std::vector<Vec2>& pairs, const std::vector<Vec2>& expected) {
    ASSERT_EQ(pairs.size(), expected.size());
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        EXPECT_FLOAT_EQ(pairs[i].x, expected[i].x) << i;
        EXPECT_FLOAT_EQ(pairs[i].y, expected[i].y) << i;
    }
}

void expectNothingBuilt(const MobilantAnimation& clip) {
    EXPECT_EQ(clip.StartTime(), 0.0f);
    EXPECT_EQ(clip.EndTime(), 0.0f);
    EXPECT_EQ(clip.BoneCaches().frameCount(), 0u);
    EXPECT_EQ(clip.DisplacementCaches().frameCount(), 0u);
    EXPECT_EQ(clip.UvWarpCaches().frameCount(), 0u);
    EXPECT_EQ(clip.OpacityCaches().frameCount(), 0u);
    EXPECT_TRUE(clip.BoneCaches().frameReady().empty());
}

class Clip : public testing::Test {
protected:
    void SetUp() override { ClearShownMessageBoxes(); }
};

TEST_F(Clip, KeysZeroFiveTenFillTheFramesBetween) {
    const auto document = parsed(kSmallModel);
    const MobilantAnimation clip(*document, "wave");
    ASSERT_TRUE(clip.LoadCheck().Ok());
    EXPECT_EQ(clip.Name(), "wave");
    EXPECT_EQ(clip.StartTime(), 0.0f);
    EXPECT_EQ(clip.EndTime(), 10.0f);
    EXPECT_EQ(clip.BoneCaches().frameCount(), 11u);
    EXPECT_EQ(clip.DisplacementCaches().frameCount(), 11u);
    EXPECT_EQ(clip.UvWarpCaches().frameCount(), 11u);
    EXPECT_EQ(clip.OpacityCaches().frameCount(), 11u);

    // The tip ends at (2, 0), (1, 1) and (0, 0) at frames 0, 5 and 10.
    const meshBoneCache two = clip.BoneCaches().entry(2, 1);
    EXPECT_EQ(two.key, "tip");
    expectPoint(two.end_pt, 0.6f * 2 + 0.4f * 1, 0.4f);
    expectPoint(clip.BoneCaches().entry(7, 1).end_pt, 0.6f, 0.6f);
    expectPoint(clip.BoneCaches().entry(10, 1).end_pt, 0, 0);
    for (std::size_t slot = 0; slot <= 10; ++slot)
        EXPECT_EQ(clip.BoneCaches().frameSize(slot), 2u);

    // Post displacements keyed at 0 and 10 only.
    const meshDisplacementCache five = clip.DisplacementCaches().entry(5, 0);
    EXPECT_EQ(five.key, "body");
    EXPECT_TRUE(five.local_displacements.empty());
    expectPairs(five.post_displacements, {{0.5f, 0}, {0.5f, 0}, {0.5f, 0}, {0.5f, 0}});

    // UV warps only at keyed frames; a disabled one carries only its flag.
    EXPECT_EQ(clip.UvWarpCaches().frameSize(2), 0u);
    const meshUVWarpCache off = clip.UvWarpCaches().entry(0, 0);
    EXPECT_FALSE(off.enabled);
    EXPECT_EQ(off.scale.x, -1.0f);
    EXPECT_EQ(off.global_offset.x, 0.0f);
    const meshUVWarpCache on = clip.UvWarpCaches().entry(5, 0);
    EXPECT_TRUE(on.enabled);
    EXPECT_EQ(on.global_offset.x, 0.5f);
    EXPECT_EQ(on.scale.y, 1.0f);

    // No "mesh_opacities": the opacity frames exist but never become ready.
    EXPECT_EQ(clip.OpacityCaches().frameReady(), std::vector<bool>(11, false));
    EXPECT_EQ(clip.BoneCaches().frameReady(), std::vector<bool>(11, true));
    EXPECT_TRUE(ShownMessageBoxes().empty());
}

TEST_F(Clip, KeysThreeAndZeroThreeAreOneFrameAndTheLaterWins) {
    const auto document =
        parsed(withClips(clipText("c", boneFrame("0", 0, 0) + ", " + boneFrame("3", 3, 0) + ", " +
                                           boneFrame("03", 6, 6) + ", " + boneFrame("6", 0, 0))));
    const MobilantAnimation clip(*document, "c");
    ASSERT_EQ(clip.BoneCaches().frameCount(), 7u);
    expectPoint(clip.BoneCaches().entry(3, 1).end_pt, 6, 6);
    expectPoint(clip.BoneCaches().entry(1, 1).end_pt, 1, 0);  // towards the first frame 3
    expectPoint(clip.BoneCaches().entry(4, 1).end_pt, 4, 4);  // from the second
}

TEST_F(Clip, KeysAreTakenInFrameOrderWhateverTheirPlace) {
    const auto document =
        parsed(withClips(clipText("c",
                                  boneFrame("8", 8, 0) + ", " + boneFrame(" +4", 4, 0) + ", " +
                                      boneFrame("20", 20, 0) + ", " + boneFrame("6abc", 6, 0),
                                  R"("meshes": {}, "uv_swaps": {},
                    "mesh_opacities": {"4": {"body": {"opacity": 0}}, "20": {"body": {"opacity": 80}}})")));
    const MobilantAnimation clip(*document, "c");
    EXPECT_EQ(clip.StartTime(), 4.0f);
    EXPECT_EQ(clip.EndTime(), 20.0f);
    EXPECT_EQ(clip.BoneCaches().frameCount(), 17u);
    EXPECT_EQ(clip.DisplacementCaches().frameCount(), 17u);
    EXPECT_EQ(clip.UvWarpCaches().frameCount(), 17u);
    EXPECT_EQ(clip.OpacityCaches().frameReady(), std::vector<bool>(17, true));
    for (std::size_t slot = 0; slot <= 16; ++slot) {
        expectPoint(clip.BoneCaches().entry(slot, 1).end_pt, 4.0f + slot, 0);
        EXPECT_FLOAT_EQ(clip.OpacityCaches().entry(slot, 0).opacity, 5.0f * slot);
    }
}

TEST_F(Clip, EntriesTakeWhatTheirFlagsSay) {
    const auto document = parsed(withClips(clipText("c", boneFrame("0", 0, 0), R"(
        "meshes": {"0": {
            "body": {"use_local_displacements": false, "use_post_displacements": false,
                     "local_displacements": "ignored"},
            "odd": {"use_local_displacements": true, "local_displacements": [1, 2, 3],
                    "use_post_displacements": true, "post_displacements": [4]}}},
        "uv_swaps": {"0": {"body": {"enabled": false, "scale": "ignored"}}})")));
    const MobilantAnimation clip(*document, "c");
    ASSERT_TRUE(clip.LoadCheck().Ok()) << clip.LoadCheck().Line();
    const meshDisplacementCache none = clip.DisplacementCaches().entry(0, 0);
    EXPECT_TRUE(none.local_displacements.empty());
    EXPECT_TRUE(none.post_displacements.empty());
    const meshDisplacementCache odd = clip.DisplacementCaches().entry(0, 1);
    expectPairs(odd.local_displacements, {{1, 2}});
    EXPECT_TRUE(odd.post_displacements.empty());
    EXPECT_FALSE(clip.DisplacementCaches().hasPostDisplacements(0, 1));
    EXPECT_FALSE(clip.UvWarpCaches().entry(0, 0).enabled);
}

TEST_F(Clip, AMissingClipShowsOneMessageBoxPerConstruction) {
    const auto document = parsed(kSmallModel);
    testing::internal::CaptureStdout();
    const MobilantAnimation first(*document, "run");
    const MobilantAnimation second(*document, "run");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    const std::vector<ShownMessageBox> boxes = ShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, L"Mobilant Animation Extention");
    EXPECT_EQ(boxes[0].text, L"Animation [ run ] does not exist");
    EXPECT_EQ(first.Name(), "run");
    EXPECT_EQ(first.LoadCheck().error, ModelError::ClipMissing);
    expectNothingBuilt(first);

    // A document without a model is missing every clip.
    const JsonDocument empty;
    const MobilantAnimation none(empty, "default");
    EXPECT_EQ(none.LoadCheck().error, ModelError::ClipMissing);
    EXPECT_EQ(ShownMessageBoxes().size(), 3u);
}

TEST_F(Clip, ASpanOfExactlyOneHundredThousandFramesLoads) {
    const auto document = parsed(
        withClips(clipText("c", boneFrame("-50000", 0, 0) + ", " + boneFrame("50000", 1, 0))));
    const MobilantAnimation clip(*document, "c");
    EXPECT_TRUE(clip.LoadCheck().Ok());
    EXPECT_EQ(clip.BoneCaches().frameCount(), 100001u);
    expectPoint(clip.BoneCaches().entry(50000, 1).end_pt, 0.5f, 0);
}

struct ClipRejection {
    const char* name;
    std::string clips;
    ModelError error;
};

class ClipRefusal : public testing::TestWithParam<ClipRejection> {};

TEST_P(ClipRefusal, ShowsTheBoxAndTheReasonAndBuildsNothing) {
    ClearShownMessageBoxes();
    const auto document = parsed(withClips(GetParam().clips));
    testing::internal::CaptureStdout();
    const MobilantAnimation clip(*document, "c");
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(clip.LoadCheck().error, GetParam().error) << clip.LoadCheck().Line();
    EXPECT_EQ(output, clip.LoadCheck().Line() + "\n");
    // The box says why, in the words of the line: the message, then the place.
    const std::string reason =
        std::string(ModelErrorMessage(clip.LoadCheck().error)) + ": " + clip.LoadCheck().where;
    ASSERT_EQ(ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(ShownMessageBoxes()[0].caption, L"mobilant animation ext");
    EXPECT_EQ(ShownMessageBoxes()[0].text,
              L"Animation [ c ] could not be loaded: " + WidenNarrowString(reason.c_str()));
    expectNothingBuilt(clip);
}

// `count` bone entries for one frame.
std::string manyBones(int count) {
    std::string entries;
    for (int i = 0; i < count; ++i) {
        if (i > 0) entries += ", ";
        entries.append("\"b").append(std::to_string(i));
        entries += "\": {\"start_pt\": [0, 0], \"end_pt\": [1, 0]}";
    }
    return entries;
}

// `count` zeros, comma separated.
std::string zeros(int count) {
    std::string list = "0";
    for (int i = 1; i < count; ++i)
        list += ", 0";
    return list;
}

// A "meshes" frame member whose region "body" has `localPairs` local and `postPairs` post
// displacements, all zero.
std::string meshFrame(std::string_view key, int localPairs, int postPairs = 0) {
    std::string text = "\"";
    text.append(key).append("\": {\"body\": {\"use_local_displacements\": ");
    text.append(localPairs > 0 ? "true" : "false");
    text.append(", \"use_post_displacements\": ").append(postPairs > 0 ? "true" : "false");
    if (localPairs > 0) text.append(", \"local_displacements\": [").append(zeros(2 * localPairs)) += ']';
    if (postPairs > 0) text.append(", \"post_displacements\": [").append(zeros(2 * postPairs)) += ']';
    text.append("}}");
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Clips, ClipRefusal,
    testing::Values(
        ClipRejection{"NotAnObject", "\"c\": [1]", ModelError::WrongKind},
        ClipRejection{"NoBones", R"("c": {"meshes": {}, "uv_swaps": {}})",
                      ModelError::MissingMember},
        ClipRejection{"NoMeshes", R"("c": {"bones": {}, "uv_swaps": {}})",
                      ModelError::MissingMember},
        ClipRejection{"NoUvSwaps", R"("c": {"bones": {}, "meshes": {}})",
                      ModelError::MissingMember},
        ClipRejection{"OpacitiesNotAnObject",
                      clipText("c", "", R"("meshes": {}, "uv_swaps": {}, "mesh_opacities": [])"),
                      ModelError::WrongKind},
        ClipRejection{"FrameNotAnObject", clipText("c", "\"0\": []"), ModelError::WrongKind},
        ClipRejection{"EntryNotAnObject", clipText("c", "\"0\": {\"root\": 1}"),
                      ModelError::WrongKind},
        ClipRejection{"NoEndPoint", clipText("c", R"("0": {"root": {"start_pt": [0, 0]}})"),
                      ModelError::MissingMember},
        ClipRejection{"PointInfinite",
                      clipText("c", R"("0": {"root": {"start_pt": [0, 1e999], "end_pt": [0, 0]}})"),
                      ModelError::NotFinite},
        ClipRejection{"FlagNotBool",
                      clipText("c", "", R"("meshes": {"0": {"body": {"use_local_displacements": 1,
                                    "use_post_displacements": false}}}, "uv_swaps": {})"),
                      ModelError::WrongKind},
        ClipRejection{
            "FlagWithoutList",
            clipText("c", "", R"("meshes": {"0": {"body": {"use_local_displacements": false,
                                    "use_post_displacements": true}}}, "uv_swaps": {})"),
            ModelError::MissingMember},
        ClipRejection{
            "ListWithText",
            clipText("c", "", R"("meshes": {"0": {"body": {"use_local_displacements": true,
                                    "local_displacements": [0, "1"],
                                    "use_post_displacements": false}}}, "uv_swaps": {})"),
            ModelError::WrongKind},
        ClipRejection{
            "EnabledWithoutScale",
            clipText("c", "", R"("meshes": {}, "uv_swaps": {"0": {"body": {"enabled": true,
                                    "local_offset": [0, 0], "global_offset": [0, 0]}}})"),
            ModelError::MissingMember},
        ClipRejection{"OpacityText", clipText("c", "", R"("meshes": {}, "uv_swaps": {},
                                    "mesh_opacities": {"0": {"body": {"opacity": "50"}}})"),
                      ModelError::WrongKind},
        ClipRejection{"SpanTooLong",
                      clipText("c", boneFrame("0", 0, 0) + ", " + boneFrame("100001", 0, 0)),
                      ModelError::ClipTooLong},
        ClipRejection{
            "SpanFromSaturatedKeys",
            clipText("c", boneFrame("-99999999999", 0, 0) + ", " + boneFrame("99999999999", 0, 0)),
            ModelError::ClipTooLong},
        // 100001 frames of 80 bones take 100001 * 80 * 36 bytes (288 MB) of bone records alone.
        ClipRejection{"TooManyBoneEntries",
                      clipText("c", "\"0\": {" + manyBones(80) + "}, \"100000\": {" +
                                        manyBones(80) + "}"),
                      ModelError::ClipTooLarge},
        // 100001 frames of 336 pairs take 100001 * 336 * 8 bytes (269 MB) of pairs alone.
        ClipRejection{"TooManyDisplacementPairs",
                      clipText("c", "\"0\": {}, \"100000\": {}",
                               "\"meshes\": {" + meshFrame("0", 336) + ", " +
                                   meshFrame("100000", 336) + "}, \"uv_swaps\": {}"),
                      ModelError::ClipTooLarge}),
    [](const testing::TestParamInfo<ClipRejection>& info) { return info.param.name; });

// A "bones" frame member with the one bone "root".
std::string rootFrame(std::int64_t frame) {
    std::string text = "\"";
    text.append(std::to_string(frame));
    text.append(R"(": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}})");
    return text;
}

// Clips authors make: long, and dense with displacements or bones.
TEST_F(Clip, LongDenseClipsLoad) {
    // A 5,000-point region with local displacements keyed at frames 0 and 900: 901 frames of
    // 5,000 pairs, 36 MB of caches from a 60 KB text.
    const auto region = parsed(withClips(clipText(
        "c", rootFrame(0) + ", " + rootFrame(900),
        "\"meshes\": {" + meshFrame("0", 5000) + ", " + meshFrame("900", 5000) +
            "}, \"uv_swaps\": {}")));
    const MobilantAnimation clip(*region, "c");
    ASSERT_TRUE(clip.LoadCheck().Ok()) << clip.LoadCheck().Line();
    EXPECT_EQ(clip.DisplacementCaches().frameCount(), 901u);
    EXPECT_EQ(clip.DisplacementCaches().entry(450, 0).local_displacements.size(), 5000u);
    // What the check counts before anything is built is what the caches hold, but for the
    // few names they keep.
    ClipCacheSizes sizes;
    ASSERT_TRUE(ValidateMobilantClip(region->getRoot(), "c", &sizes).Ok());
    EXPECT_EQ(sizes.slots, 901u);
    EXPECT_EQ(sizes.displacementPairs, 901u * 5000u);
    EXPECT_LE(sizes.Bytes(), clip.MemoryBytes());
    EXPECT_LT(clip.MemoryBytes() - sizes.Bytes(), 4096u);

    // A 10,000-point mesh with local and post displacements over 1,000 frames (160 MB), and
    // 110 bones over 9,601 frames (38 MB): checked only, not built.
    const auto mesh = parsed(withClips(clipText(
        "c", rootFrame(0) + ", " + rootFrame(999),
        "\"meshes\": {" + meshFrame("0", 10000, 10000) + ", " + meshFrame("999", 10000, 10000) +
            "}, \"uv_swaps\": {}")));
    EXPECT_TRUE(ValidateMobilantClip(mesh->getRoot(), "c").Ok())
        << ValidateMobilantClip(mesh->getRoot(), "c").Line();
    const auto bones = parsed(withClips(
        clipText("c", "\"0\": {" + manyBones(110) + "}, \"9600\": {" + manyBones(110) + "}")));
    EXPECT_TRUE(ValidateMobilantClip(bones->getRoot(), "c").Ok())
        << ValidateMobilantClip(bones->getRoot(), "c").Line();
    EXPECT_TRUE(ShownMessageBoxes().empty());
}

// The budget's edge, 2^28 = 268,435,456 bytes: a clip of the bone "root" and the region "body"
// with 5,000 local pairs, keyed at its first and last frame. On a 64-bit target each frame
// takes a 36-byte bone record, a 24-byte displacement record, 40,000 bytes of pairs and a
// 16-byte slot in each of the four caches: 40,124 bytes; the ready flags take 8 bytes per 64
// frames in each cache. 6,690 frames take 40,124 * 6,690 + 4 * 8 * 105 = 268,432,920 bytes,
// 6,691 frames 268,473,044. On the 32-bit target a displacement record takes 16 bytes and a
// slot 8: 40,084 bytes a frame; 6,696 frames take 268,405,824 bytes, 6,697 frames 268,445,908.
TEST_F(Clip, TheCacheBudgetEndsAt256MiB) {
    const std::int64_t mostFrames = sizeof(void*) == 8 ? 6690 : 6696;
    for (const std::int64_t frames : {mostFrames, mostFrames + 1}) {
        const std::string last = std::to_string(frames - 1);
        const auto document = parsed(withClips(clipText(
            "c", rootFrame(0) + ", " + rootFrame(frames - 1),
            "\"meshes\": {" + meshFrame("0", 5000) + ", " + meshFrame(last, 5000) +
                "}, \"uv_swaps\": {}")));
        const ModelCheck check = ValidateMobilantClip(document->getRoot(), "c");
        EXPECT_EQ(check.error, frames == mostFrames ? ModelError::Ok : ModelError::ClipTooLarge)
            << frames << " frames: " << check.Line();
    }
}

// "mesh_opacities": null holds no frames: the clip loads and its opacity frames are ready and
// empty, as for an empty object.
TEST_F(Clip, NullOpacitiesAreNoFrames) {
    const auto document = parsed(withClips(clipText(
        "c", boneFrame("0", 0, 0) + ", " + boneFrame("4", 1, 1),
        R"("meshes": {}, "uv_swaps": {}, "mesh_opacities": null)")));
    const MobilantAnimation clip(*document, "c");
    ASSERT_TRUE(clip.LoadCheck().Ok()) << clip.LoadCheck().Line();
    EXPECT_EQ(clip.OpacityCaches().frameReady(), std::vector<bool>(5, true));
    EXPECT_EQ(clip.OpacityCaches().frameSize(2), 0u);
    expectPoint(clip.BoneCaches().entry(2, 1).end_pt, 0.5f, 0.5f);
    EXPECT_TRUE(ShownMessageBoxes().empty());
}

}  // namespace
