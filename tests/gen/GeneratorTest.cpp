// The generator's own pieces, and the committed samples against fresh output.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <stdexcept>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

#include "Base64.h"
#include "DecodeBase64.h"
#include "JsonDom.h"
#include "JsonWriter.h"
#include "Kinematics.h"
#include "MetaJson.h"
#include "ModelChecks.h"
#include "ModelJson.h"
#include "Models.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<double> point(const JsonDom& p) {
    return p.numbers();
}

TEST(FormatNumber, FixedSixDecimalsWithoutTrailingZerosOrNegativeZero) {
    const std::pair<double, const char*> table[] = {
        {0.5, "0.5"},
        {-2.0, "-2"},
        {0.0, "0"},
        {-0.0, "0"},
        {1e-7, "0"},
        {-4e-7, "0"},
        {123.4567894, "123.456789"},
        {0.1 + 0.2, "0.3"},
        {2.5e-6, "0.000003"},
        {-1234567.0, "-1234567"},
    };
    for (const auto& [value, text] : table)
        EXPECT_EQ(formatNumber(value), text) << value;
    EXPECT_THROW(formatNumber(std::nan("")), std::invalid_argument);
    EXPECT_THROW(formatNumber(INFINITY), std::invalid_argument);
}

TEST(JsonWriter, NestsAndEscapes) {
    JsonWriter json(1);
    json.beginObject();
    json.key("a\"b");
    json.beginArray();
    json.integer(1);
    json.boolean(false);
    json.string("x\\y\n");
    json.endArray();
    json.key("e");
    json.beginObject();
    json.endObject();
    json.endObject();
    EXPECT_EQ(json.text(), "{\n  \"a\\\"b\": [1,false,\"x\\\\y\\u000a\"],\n  \"e\": {}\n}\n");
}

TEST(Base64, EncodesTheRfc4648Vectors) {
    const std::pair<const char*, const char*> vectors[] = {
        {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},          {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [bytes, text] : vectors) {
        const std::string_view b(bytes);
        EXPECT_EQ(encodeBase64(std::vector<std::uint8_t>(b.begin(), b.end())), text) << bytes;
    }
    EXPECT_EQ(encodeBase64({0xFB, 0xFF, 0xBF}), "+/+/");
}

// At rest angles forward kinematics must give the rest points bit for bit, so
// a "default" clip at rest reproduces the rest mesh.
TEST(Kinematics, RestAnglesGiveRestPointsExactly) {
    for (const std::string_view name : {"tiny", "character"}) {
        const GenModel model = makeModel(name);
        const std::vector<BonePoints> posed =
            posedBonePoints(model.bones, Pose(model.bones.size()));
        for (std::size_t b = 0; b < model.bones.size(); ++b) {
            EXPECT_EQ(posed[b].start.x, model.bones[b].restStart.x) << model.bones[b].name;
            EXPECT_EQ(posed[b].start.y, model.bones[b].restStart.y) << model.bones[b].name;
            EXPECT_EQ(posed[b].end.x, model.bones[b].restEnd.x) << model.bones[b].name;
            EXPECT_EQ(posed[b].end.y, model.bones[b].restEnd.y) << model.bones[b].name;
        }
    }
}

TEST(Kinematics, CheckModelRejectsAStretchedBoneAndAStrayIndex) {
    GenModel model = makeTinyModel();
    EXPECT_NO_THROW(checkModel(model));
    GenModel stretched = model;
    stretched.clips[1].keys[1].bones[2].end.x += 0.01;
    EXPECT_THROW(checkModel(stretched), std::runtime_error);
    GenModel stray = model;
    stray.indices[12] = 0;  // the hand's first triangle reaching into the arm
    EXPECT_THROW(checkModel(stray), std::runtime_error);
}

// Hand-computed: root frame T(-1, 0); mid's parent frame is root's end frame
// (the identity); tip's is mid's end frame, T(1, 0). Clip "bend": mid turned
// +90 degrees at frame 5, tip turned back by -90 degrees at frame 10.
TEST(TinySample, MatchesHandComputedFrames) {
    const JsonDom tiny = JsonDom::parse(readFile(MOBILANT_SOURCE_DIR "/samples/tiny.json"));
    const JsonDom& skeleton = tiny["skeleton"];
    EXPECT_EQ(skeleton["root"]["restParentMat"].numbers(),
              (std::vector<double>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, 0, 0, 1}));
    EXPECT_EQ(skeleton["tip"]["restParentMat"].numbers(),
              (std::vector<double>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1}));
    EXPECT_EQ(point(skeleton["root"]["localRestStartPt"]), (std::vector<double>{0, 0}));
    EXPECT_EQ(point(skeleton["tip"]["localRestEndPt"]), (std::vector<double>{0, 1}));

    const RestSkeleton rest = restPass(tiny);
    const float expected[3][4] = {{-1, 0, 0, 0}, {0, 0, 1, 0}, {1, 0, 1, 1}};
    for (int b = 0; b < 3; ++b) {
        EXPECT_FLOAT_EQ(rest.bones[b].worldStart[0], expected[b][0]);
        EXPECT_FLOAT_EQ(rest.bones[b].worldStart[1], expected[b][1]);
        EXPECT_FLOAT_EQ(rest.bones[b].worldEnd[0], expected[b][2]);
        EXPECT_FLOAT_EQ(rest.bones[b].worldEnd[1], expected[b][3]);
    }

    const JsonDom& bend = tiny["animation"]["bend"];
    const JsonDom& frames = bend["bones"];
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames.members[1].first, "5");
    EXPECT_EQ(point(frames["5"]["mid"]["end_pt"]), (std::vector<double>{0, 1}));
    EXPECT_EQ(point(frames["5"]["tip"]["end_pt"]), (std::vector<double>{-1, 1}));
    EXPECT_EQ(point(frames["10"]["tip"]["start_pt"]), (std::vector<double>{0, 1}));
    EXPECT_EQ(point(frames["10"]["tip"]["end_pt"]), (std::vector<double>{0, 2}));
    EXPECT_EQ(bend["mesh_opacities"]["5"]["hand"]["opacity"].number, 50.0);
    EXPECT_EQ(bend["meshes"]["10"]["hand"]["post_displacements"].numbers(),
              (std::vector<double>{0, 0.5, 0, 0.5, 0, 0.5, 0, 0.5}));
}

TEST(CharacterSample, HasWhatAPlayableSampleNeeds) {
    const JsonDom character =
        JsonDom::parse(readFile(MOBILANT_SOURCE_DIR "/samples/character.json"));
    EXPECT_GE(character["mesh"]["regions"].size(), 6u);
    EXPECT_GE(character["skeleton"].size(), 12u);
    EXPECT_GE(character["mesh"]["points"].size(), 2000u);
    const JsonDom& clips = character["animation"];
    ASSERT_EQ(clips.size(), 9u);
    for (const char* name : {"default", "walk", "wave", "jump", "lean_centre", "lean_right",
                             "lean_left", "lean_up", "lean_down"})
        ASSERT_NE(clips.find(name), nullptr) << name;
    EXPECT_NE(character.find("uv_swap_items"), nullptr);
    EXPECT_EQ(character["anchor_points_items"]["AnchorPoints"][0]["anim_clip_name"].text, "walk");
    EXPECT_EQ(clips["jump"]["bones"].members.front().first, "4");

    // The walk loops: its last frame repeats its first.
    const JsonDom& walk = clips["walk"]["bones"];
    for (const auto& [bone, first] : walk.members.front().second.members) {
        EXPECT_EQ(point(first["start_pt"]), point(walk.members.back().second[bone]["start_pt"]))
            << bone;
        EXPECT_EQ(point(first["end_pt"]), point(walk.members.back().second[bone]["end_pt"]))
            << bone;
    }

    // "wave" drives every kind of region animation.
    const JsonDom& wave = clips["wave"];
    bool local = false, post = false, warp = false;
    for (const auto& [region, entry] : wave["meshes"].members.front().second.members) {
        local = local || entry["use_local_displacements"].boolean;
        post = post || entry["use_post_displacements"].boolean;
    }
    for (const auto& [region, entry] : wave["uv_swaps"].members.front().second.members)
        warp = warp || entry["enabled"].boolean;
    EXPECT_TRUE(local && post && warp);
    EXPECT_NE(wave.find("mesh_opacities"), nullptr);
}

// The leaning clips at frame 0 (no breath): the spine, from (0, 0) to (0.02, 0.5) at rest,
// turns 10 degrees clockwise to lean right and counter-clockwise to lean left; leaning down
// lowers the hip by 0.3; the centre clip is the rest pose.
TEST(CharacterSample, LeaningClipsLeanTheirWay) {
    const JsonDom character =
        JsonDom::parse(readFile(MOBILANT_SOURCE_DIR "/samples/character.json"));
    const JsonDom& clips = character["animation"];
    const auto at = [&](const char* clip, const char* bone, const char* end) {
        return point(clips[clip]["bones"]["0"][bone][end]);
    };
    const double c = std::cos(std::numbers::pi / 18.0), s = std::sin(std::numbers::pi / 18.0);
    const std::vector<double> right = at("lean_right", "spine", "end_pt");
    EXPECT_NEAR(right[0], 0.02 * c + 0.5 * s, 1e-6);  // 0.106520
    EXPECT_NEAR(right[1], -0.02 * s + 0.5 * c, 1e-6);  // 0.488931
    const std::vector<double> left = at("lean_left", "spine", "end_pt");
    EXPECT_NEAR(left[0], 0.02 * c - 0.5 * s, 1e-6);  // -0.067128
    EXPECT_NEAR(left[1], 0.02 * s + 0.5 * c, 1e-6);  // 0.495877
    EXPECT_EQ(at("lean_down", "hip", "end_pt"), (std::vector<double>{0, -0.3}));
    EXPECT_EQ(at("lean_centre", "spine", "end_pt"), (std::vector<double>{0.02, 0.5}));
    EXPECT_EQ(at("lean_centre", "head", "end_pt"), (std::vector<double>{0.06, 2.3}));
    // Leaning up raises the near hand above the head.
    EXPECT_GT(at("lean_up", "hand_front", "end_pt")[1], at("lean_up", "head", "end_pt")[1]);
    for (const char* clip : {"lean_centre", "lean_right", "lean_left", "lean_up", "lean_down"}) {
        ASSERT_EQ(clips[clip]["bones"].size(), 4u) << clip;
        EXPECT_EQ(clips[clip]["bones"].members.back().first, "30") << clip;
    }
}

// Byte (x, y) of image `target` (right, left, up, down) of the 33 x 33 grid.
int weightAt(const std::vector<std::uint8_t>& bytes, int target, int x, int y) {
    return bytes.at(static_cast<std::size_t>(target) * 33 * 33 + 33 * y + x);
}

TEST(CharacterMeta, NamesTheSwapsAndTheLeaningClips) {
    const JsonDom meta =
        JsonDom::parse(readFile(MOBILANT_SOURCE_DIR "/samples/character.meta.json"));
    const JsonDom character =
        JsonDom::parse(readFile(MOBILANT_SOURCE_DIR "/samples/character.json"));

    const JsonDom& swaps = meta["skinSwapList"];
    ASSERT_EQ(swaps.size(), 3u);
    const auto items = [&](const char* swap) {
        std::vector<std::string> names;
        for (const JsonDom& item : swaps[swap]["swap"]["swap_items"].items)
            names.push_back(item.text);
        return names;
    };
    EXPECT_EQ(items("full").size(), 13u);
    EXPECT_EQ(items("no_back_limbs"),
              (std::vector<std::string>{"shadow", "leg_front_upper", "leg_front_lower",
                                        "foot_front", "torso", "head", "arm_front_upper",
                                        "arm_front_lower"}));
    EXPECT_EQ(items("upper_body"),
              (std::vector<std::string>{"head", "torso", "arm_front_upper", "arm_front_lower",
                                        "arm_back_upper", "arm_back_lower"}));
    for (const std::string& name : items("full"))
        EXPECT_NE(character["mesh"]["regions"].find(name), nullptr) << name;

    const JsonDom& targets = meta["MorphTargets"];
    EXPECT_EQ(targets["CenterData"][1].text, "lean_centre");
    const char* const names[] = {"lean_right", "lean_left", "lean_up", "lean_down"};
    const std::vector<double> directions[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    ASSERT_EQ(targets["MorphShape"].size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(targets["MorphShape"][i][0].text, names[i]);
        EXPECT_EQ(targets["MorphShape"][i][1].numbers(), directions[i]);
        EXPECT_NE(character["animation"].find(names[i]), nullptr);
    }
    EXPECT_EQ(meta["MorphRes"].number, 33.0);

    // "meshes" gives each region's index entries.
    const JsonDom& regions = character["mesh"]["regions"];
    ASSERT_EQ(meta["meshes"].size(), regions.size());
    for (std::size_t r = 0; r < regions.size(); ++r) {
        const JsonDom& region = regions.members[r].second;
        EXPECT_EQ(meta["meshes"][r]["id"].number, region["id"].number);
        EXPECT_EQ(meta["meshes"][r]["startIndex"].number, region["start_index"].number);
        EXPECT_EQ(meta["meshes"][r]["endIndex"].number, region["end_index"].number);
    }
    EXPECT_EQ(meta["eventTriggers"]["walk"][0]["event_name"].text, "footstep_front");
}

// Each target weighs the share of |ox| + |oy| on its side of the centre (16, 16), times 255.
TEST(CharacterMeta, WeightImagesPointTheirWay) {
    const JsonDom meta =
        JsonDom::parse(readFile(MOBILANT_SOURCE_DIR "/samples/character.meta.json"));
    const std::vector<std::uint8_t> bytes = MobilantModule::DecodeBase64(meta["MorphSpace"].text);
    ASSERT_EQ(bytes.size(), 4u * 33 * 33);
    enum { kRight, kLeft, kUp, kDown };
    struct Case {
        int x, y;
        int weights[4];  // right, left, up, down
    };
    const Case cases[] = {
        {16, 16, {0, 0, 0, 0}},      // the centre: the centre clip alone
        {32, 16, {255, 0, 0, 0}},    // right edge
        {17, 16, {255, 0, 0, 0}},    // one cell right
        {0, 16, {0, 255, 0, 0}},     // left edge
        {16, 0, {0, 0, 255, 0}},     // top: the control point above the base
        {16, 32, {0, 0, 0, 255}},    // bottom
        {28, 12, {191, 0, 64, 0}},   // (12, -4): 191.25 and 63.75
        {24, 8, {128, 0, 128, 0}},   // (8, -8): 127.5 each, rounded up
        {0, 32, {0, 128, 0, 128}},   // (-16, 16)
        {11, 19, {0, 159, 0, 96}},   // (-5, 3): 159.375 and 95.625
    };
    for (const Case& c : cases) {
        for (const int target : {kRight, kLeft, kUp, kDown})
            EXPECT_EQ(weightAt(bytes, target, c.x, c.y), c.weights[target])
                << "target " << target << " at " << c.x << ", " << c.y;
    }
    // Away from the centre the four weights sum to 255, give or take rounding.
    for (int y = 0; y < 33; ++y) {
        for (int x = 0; x < 33; ++x) {
            if (x == 16 && y == 16) continue;
            int sum = 0;
            for (int target = 0; target < 4; ++target)
                sum += weightAt(bytes, target, x, y);
            EXPECT_GE(sum, 254) << x << ", " << y;
            EXPECT_LE(sum, 256) << x << ", " << y;
        }
    }
}

// Splits JSON text into tokens; numbers compare within the text's precision so
// that a platform whose last digit rounds differently still matches.
std::vector<std::string> tokens(const std::string& text) {
    std::vector<std::string> out;
    std::string current;
    for (const char c : text) {
        if (std::string_view("{}[],: \n").find(c) != std::string_view::npos) {
            if (!current.empty()) out.push_back(current);
            current.clear();
            if (c != ' ' && c != '\n') out.emplace_back(1, c);
        } else {
            current += c;
        }
    }
    if (!current.empty()) out.push_back(current);
    return out;
}

void expectSameJson(const std::string& committed, const std::string& fresh) {
    const std::vector<std::string> a = tokens(committed), b = tokens(fresh);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) continue;
        const bool numeric =
            !a[i].empty() && (std::isdigit(static_cast<unsigned char>(a[i].back())) != 0);
        ASSERT_TRUE(numeric) << "token " << i << ": " << a[i] << " vs " << b[i];
        ASSERT_NEAR(std::stod(a[i]), std::stod(b[i]), 1.5e-6) << "token " << i;
    }
}

// The committed samples are what the generator writes today: regenerate them
// with `mobilant-gen tiny character samples` after changing a model.
TEST(CommittedSamples, MatchTheGeneratorsOutput) {
    expectSameJson(readFile(MOBILANT_SOURCE_DIR "/samples/tiny.json"), generatedModelText("tiny"));
    const GenModel character = makeCharacterModel();
    expectSameJson(readFile(MOBILANT_SOURCE_DIR "/samples/character.json"), modelToJson(character));
    EXPECT_NO_THROW(checkMeta(character));
    expectSameJson(readFile(MOBILANT_SOURCE_DIR "/samples/character.meta.json"),
                   metaToJson(character));

    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels =
        stbi_load(MOBILANT_SOURCE_DIR "/samples/character.png", &width, &height, &channels, 4);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(width, character.texture.width);
    EXPECT_EQ(height, character.texture.height);
    int worst = 0;
    for (std::size_t i = 0; i < character.texture.pixels.size() &&
                            width == character.texture.width && height == character.texture.height;
         ++i) {
        worst = std::max(worst, std::abs(pixels[i] - character.texture.pixels[i]));
    }
    stbi_image_free(pixels);
    EXPECT_LE(worst, 1);
}

}  // namespace
