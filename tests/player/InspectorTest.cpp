#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "Inspector.h"
#include "PlayerModel.h"

namespace {

const std::string kTiny = std::string(MOBILANT_SOURCE_DIR) + "/samples/tiny.json";

testing::AssertionResult contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

testing::AssertionResult matches(const std::string& text, const std::string& pattern) {
    if (std::regex_search(text, std::regex(pattern))) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "nothing matches " << pattern << " in:\n" << text;
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome inspect(const std::vector<std::string>& args) {
    Outcome run;
    run.status = runInspector(args, run.out, run.err);
    return run;
}

// A directory of this build for the files the tests write.
std::string scratch() {
    const std::string directory = std::string(MOBILANT_BINARY_DIR) + "/player-scratch/";
    std::filesystem::create_directories(directory);
    return directory;
}

std::string scratchFile(const std::string& name, const std::string& text) {
    const std::string path = scratch() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::array<float, 3>> parsePoints(const std::string& text) {
    std::vector<std::array<float, 3>> points;
    std::istringstream lines(text);
    std::array<float, 3> point{};
    while (lines >> point[0] >> point[1] >> point[2])
        points.push_back(point);
    return points;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t found = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++found;
    return found;
}

TEST(Inspector, SummarisesTheModel) {
    const Outcome run = inspect({kTiny});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')),
              kTiny + ": 10 points, 6 triangles, 2 regions, 3 bones, 2 clips");
    // "arm": points 0..5, index entries 0..11, weighed on by root and mid (tip's weights are 0).
    EXPECT_TRUE(matches(run.out,
                        "arm +id 0 +0\\.\\.5 \\(6\\) +0\\.\\.11 \\(4 "
                        "triangles\\) +(mid, root|root, mid)\n"));
    EXPECT_TRUE(matches(run.out,
                        "hand +id 1 +6\\.\\.9 \\(4\\) +12\\.\\.17 \\(2 "
                        "triangles\\) +(mid, tip|tip, mid)\n"));
    EXPECT_TRUE(contains(run.out, "\nbones\n  root  id 0\n    mid  id 1\n      tip  id 2\n"));
    EXPECT_TRUE(matches(run.out, "default +0\\.\\.0 \\(1 frame\\) +bones\n"));
    EXPECT_TRUE(matches(run.out,
                        "bend +0\\.\\.10 \\(11 frames\\) +bones, post displacements, "
                        "opacities\n"));
}

// Frame 10 of "bend": mid turned a quarter turn about the origin, tip moved by (-1, 1), the
// hand's post displacements (0, 0.5). Points on root alone stay, points on mid alone turn,
// points half on root and half on mid turn by half as much (45 degrees), points on tip alone
// move and are displaced.
TEST(Inspector, DumpsThePosedPoints) {
    const Outcome run = inspect({kTiny, "--dump", "bend", "10"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto points = parsePoints(run.out);
    ASSERT_EQ(points.size(), 10u);
    const float h = 0.353553391f;  // 0.5 * cos 45
    const struct {
        int index;
        float x, y;
    } expected[] = {{0, -1, -0.5f}, {1, -1, 0.5f}, {2, h, -h},       {3, -h, h},
                    {4, 0.5f, 1},   {5, -0.5f, 1}, {7, -0.5f, 2.5f}, {9, 0.5f, 2.5f}};
    for (const auto& e : expected) {
        EXPECT_NEAR(points[e.index][0], e.x, 1e-5f) << "point " << e.index;
        EXPECT_NEAR(points[e.index][1], e.y, 1e-5f) << "point " << e.index;
        EXPECT_EQ(points[e.index][2], 1.0f);
    }
    // Nine significant digits: floats survive the text.
    EXPECT_TRUE(contains(run.out, "0.353553"));
}

// From "bend" to "default" by 0.5 for two frames: the factor reaches 1, so the points are
// "default"'s, which poses the rest mesh.
TEST(Inspector, DumpsABlend) {
    const Outcome run = inspect({kTiny, "--blend", "bend", "default", "0.5", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto points = parsePoints(run.out);
    const float rest[10][2] = {{-1, -0.5f}, {-1, 0.5f}, {0, -0.5f}, {0, 0.5f}, {1, -0.5f},
                               {1, 0.5f},   {0.5f, 0},  {0.5f, 1},  {1.5f, 0}, {1.5f, 1}};
    ASSERT_EQ(points.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_NEAR(points[i][0], rest[i][0], 1e-5f) << i;
        EXPECT_NEAR(points[i][1], rest[i][1], 1e-5f) << i;
    }
}

TEST(Inspector, WritesAnAnimatedSvgAndStills) {
    const std::string path = scratch() + "bend.svg";
    const Outcome run = inspect({kTiny, "--svg", path, "--clip", "bend"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "wrote " + path + ": clip \"bend\", 11 frames"));
    const std::string svg = readFile(path);
    EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
    // One group per frame, each shown for a thirtieth of the 11/30 s loop.
    EXPECT_EQ(count(svg, "<g"), 11u);
    EXPECT_EQ(count(svg, "dur=\"0.366667s\" repeatCount=\"indefinite\""), 11u);
    EXPECT_TRUE(contains(svg, "keyTimes=\"0;0.0909091;0.181818\""));
    EXPECT_EQ(count(svg, "<path class=\"r0\""), 11u);
    EXPECT_EQ(count(svg, "<path class=\"b\""), 11u);

    // A still of the rest pose: y is flipped, so the first triangle of "arm", over the points
    // (-1, -0.5), (-1, 0.5) and (0, 0.5), starts at (-1, 0.5) and goes up by 1, then right.
    const std::string stillPath = scratch() + "default.svg";
    ASSERT_EQ(inspect({kTiny, "--svg", stillPath, "--clip", "default", "--time", "0"}).status, 0);
    const std::string still = readFile(stillPath);
    EXPECT_EQ(count(still, "<g"), 1u);
    EXPECT_EQ(count(still, "<animate"), 0u);
    EXPECT_TRUE(contains(still, "<path class=\"r0\" d=\"M-1 .5l0-1 1 0z"));
    // The bones from start to end: root (-1, 0) to (0, 0), then mid, then tip.
    EXPECT_TRUE(contains(still, "<path class=\"b\" d=\"M-1 0l1 0M0 0l1 0M1 0l0-1\""));
}

TEST(Inspector, RefusesBadModelsAndRequests) {
    const struct {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{}, 2, "no model file"},
        {{kTiny, "--dump", "bend"}, 2, "--dump needs 2 values"},
        {{kTiny, "--dump", "bend", "nan"}, 2, "not a finite number"},
        {{kTiny, "--blend", "bend", "default", "0.1", "-1"}, 2, "LOOPS is not a count"},
        {{kTiny, "--svg", "x.svg"}, 2, "--svg and --clip go together"},
        {{kTiny, "--time", "1"}, 2, "--time goes with --svg"},
        {{kTiny, "--frobnicate"}, 2, "unknown option --frobnicate"},
        {{kTiny, "--dump", "walk", "0"},
         2,
         "no clip named \"walk\"; the model has: "
         "\"default\" \"bend\""},
        {{scratch() + "missing.json"}, 2, "cannot read"},
        {{scratchFile("not-json.json", "{\"mesh\":\n  x}")},
         1,
         "refused: not JSON (UnexpectedCharacter at line 2, column 3)"},
        {{scratchFile("empty-skeleton.json",
                      R"({"mesh": {"points": [], "uvs": [], "indices": [], "regions": {}},
                          "skeleton": {}, "animation": {}})")},
         1,
         "refused: error 15: the skeleton has no bone"},
    };
    for (const auto& c : cases) {
        const Outcome run = inspect(c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_TRUE(contains(run.err, c.message));
        EXPECT_EQ(run.out, "");
    }
}

// The game refuses a broken clip and plays the rest; the inspector names every broken clip.
TEST(Inspector, NamesEveryRefusedClip) {
    std::string text = kPlayerModel;
    text.replace(text.find("[10, 0], \"end_pt\""), 7, "[10, 0, \"x\"]");
    text.replace(text.find("[4, 4], \"end_pt\""), 6, "\"four\"");
    const Outcome run = inspect({scratchFile("broken-clips.json", text)});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(contains(run.err, "clip \"slide\" refused: error 4"));
    EXPECT_TRUE(contains(run.err, "clip \"late\" refused: error 4"));
    EXPECT_EQ(count(run.err, "refused"), 2u);
}

}  // namespace
