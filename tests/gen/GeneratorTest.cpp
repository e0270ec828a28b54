// The generator's own pieces, and the committed samples against fresh output.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

#include "JsonDom.h"
#include "JsonWriter.h"
#include "Kinematics.h"
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
    for (const char* name : {"default", "walk", "wave", "jump"})
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
