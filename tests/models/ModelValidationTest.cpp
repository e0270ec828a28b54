#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "JsonDocument.h"
#include "LoadMobilantModel.h"
#include "Mobilant.h"
#include "ModelText.h"
#include "ValidateMobilantModel.h"

using namespace MobilantModule;

namespace {

std::string bone(std::string_view name, int id, std::string_view children) {
    return boneText(name, id, children);
}

const char* kIdentity = kIdentityMatrix;

struct Rejection {
    const char* name;
    std::string text;
    ModelError error;
};

class ModelRejection : public testing::TestWithParam<Rejection> {};

TEST_P(ModelRejection, IsReportedAndBuildsNothing) {
    const Rejection& rejection = GetParam();
    JsonDocument document;
    document.parseText(rejection.text);
    const ModelCheck check = ValidateMobilantModel(document.getRoot());
    EXPECT_EQ(check.error, rejection.error) << check.Line();
    EXPECT_FALSE(check.where.empty());

    const Mobilant model(document);
    EXPECT_EQ(model.PointCount(), 0);
    EXPECT_EQ(model.IndexCount(), 0);
    EXPECT_EQ(model.RenderPoints(), nullptr);
    EXPECT_EQ(model.RestPoints(), nullptr);
    EXPECT_EQ(model.RenderColours(), nullptr);
    ASSERT_NE(model.Composition(), nullptr);
    EXPECT_EQ(model.Composition()->getRootBone(), nullptr);
    EXPECT_TRUE(model.Composition()->getRegions().empty());
    EXPECT_TRUE(model.Composition()->getBoneMap().empty());
    EXPECT_TRUE(model.ClipNames().empty());
}

const std::string& m = kSmallModel;

INSTANTIATE_TEST_SUITE_P(
    Documents, ModelRejection,
    testing::Values(
        Rejection{"RootArray", "[1, 2]", ModelError::RootNotObject},
        Rejection{"NotJson", "{\"mesh\": ", ModelError::RootNotObject},
        Rejection{"NoMesh", replaced(m, "\"mesh\"", "\"mesh2\""), ModelError::MissingMember},
        Rejection{"NoSkeleton", replaced(m, "\"skeleton\"", "\"bones\""),
                  ModelError::MissingMember},
        Rejection{"AnimationNotObject",
                  replaced(m, "\"animation\": {", "\"animation\": 3, \"x\": {"),
                  ModelError::WrongKind},
        Rejection{"MeshArray", "{\"mesh\": [], \"skeleton\": {}, \"animation\": {}}",
                  ModelError::WrongKind},
        Rejection{"NoPoints", replaced(m, "\"points\"", "\"pts\""), ModelError::MissingMember},
        Rejection{"PointsText",
                  replaced(m, "[0, 0, 1, 0, 1, 1, 0, 1],\n    \"uvs\"", "\"0 0\",\n    \"uvs\""),
                  ModelError::WrongKind},
        Rejection{"PointsWithString", replaced(m, "\"points\": [0, 0,", "\"points\": [\"0\", 0,"),
                  ModelError::WrongKind},
        Rejection{"IndicesMissing", replaced(m, "\"indices\"", "\"index\""),
                  ModelError::MissingMember},
        Rejection{"RegionsArray", replaced(m, "\"regions\": {", "\"regions\": [], \"r\": {"),
                  ModelError::WrongKind},
        Rejection{"PointsOdd", replaced(m, "\"points\": [0, 0,", "\"points\": [0,"),
                  ModelError::OddPoints},
        Rejection{"UvsOdd", replaced(m, "\"uvs\": [0, 0,", "\"uvs\": [0,"), ModelError::OddUvs},
        Rejection{"UvsShorter", replaced(m, "\"uvs\": [0, 0,", "\"uvs\": ["),
                  ModelError::UvsPointsMismatch},
        Rejection{"IndexPastPoints", replaced(m, "[0, 1, 2, 0, 2, 3]", "[0, 1, 2, 0, 2, 4]"),
                  ModelError::IndexOutOfRange},
        Rejection{"IndexNegative", replaced(m, "[0, 1, 2, 0, 2, 3]", "[0, 1, 2, -1, 2, 3]"),
                  ModelError::IndexOutOfRange},
        Rejection{"IndexInfinite", replaced(m, "[0, 1, 2, 0, 2, 3]", "[0, 1, 2, 1e999, 2, 3]"),
                  ModelError::NotFinite},
        Rejection{"RegionPointsPastEnd", replaced(m, "\"end_pt_index\": 3", "\"end_pt_index\": 4"),
                  ModelError::RegionPointRange},
        Rejection{"RegionPointsBackwards",
                  replaced(m, "\"start_pt_index\": 0, \"end_pt_index\": 3",
                           "\"start_pt_index\": 3, \"end_pt_index\": 1"),
                  ModelError::RegionPointRange},
        Rejection{"RegionPointsNegative",
                  replaced(m, "\"start_pt_index\": 0", "\"start_pt_index\": -1"),
                  ModelError::RegionPointRange},
        Rejection{"RegionEmptyPastEnd",
                  replaced(m, "\"start_pt_index\": 0, \"end_pt_index\": 3",
                           "\"start_pt_index\": 5, \"end_pt_index\": 4"),
                  ModelError::RegionPointRange},
        Rejection{"RegionIndicesPastEnd", replaced(m, "\"end_index\": 5", "\"end_index\": 6"),
                  ModelError::RegionIndexRange},
        Rejection{"RegionIndicesBackwards",
                  replaced(m, "\"start_index\": 0, \"end_index\": 5",
                           "\"start_index\": 4, \"end_index\": 2"),
                  ModelError::RegionIndexRange},
        Rejection{"RegionNotObject", replaced(m, "\"regions\": {", "\"regions\": {\"odd\": 1,"),
                  ModelError::WrongKind},
        Rejection{"RegionWithoutWeights", replaced(m, "\"weights\"", "\"weight\""),
                  ModelError::MissingMember},
        Rejection{"RegionIdText", replaced(m, "\"id\": 7", "\"id\": \"7\""), ModelError::WrongKind},
        Rejection{"WeightsNotNumbers", replaced(m, "\"tip\": [0, 0, 0.5, 0.5]", "\"tip\": [true]"),
                  ModelError::WrongKind},
        Rejection{"WeightTooLarge",
                  replaced(m, "\"tip\": [0, 0, 0.5, 0.5]", "\"tip\": [0, 0, 1e39, 0.5]"),
                  ModelError::NotFinite},
        Rejection{"PointInfinite", replaced(m, "\"points\": [0, 0,", "\"points\": [1e999, 0,"),
                  ModelError::NotFinite},
        Rejection{"UvNotANumber", replaced(m, "\"uvs\": [0, 0,", "\"uvs\": [0e999, 0,"),
                  ModelError::NotFinite},
        Rejection{
            "MatrixFifteen",
            withSkeleton(bone("root", 0, "[]")
                             .replace(bone("root", 0, "[]").find("[1, 0, 0, 0,"), 12, "[0, 0, 0,")),
            ModelError::MatrixNotSixteen},
        Rejection{"MatrixWithText",
                  withSkeleton(replaced(bone("root", 0, "[]"), "0, 0, 0, 1]", "0, 0, 0, \"1\"]")),
                  ModelError::MatrixNotSixteen},
        Rejection{"MatrixTooLarge",
                  withSkeleton(replaced(bone("root", 0, "[]"), "0, 0, 0, 1]", "0, 0, 0, 1e39]")),
                  ModelError::NotFinite},
        Rejection{"RestPointWithText",
                  withSkeleton(replaced(bone("root", 0, "[]"), "\"localRestEndPt\": [1, 0]",
                                        "\"localRestEndPt\": [1, 0, \"z\"]")),
                  ModelError::WrongKind},
        Rejection{"RestPointShort",
                  withSkeleton(replaced(bone("root", 0, "[]"), "\"localRestEndPt\": [1, 0]",
                                        "\"localRestEndPt\": [1]")),
                  ModelError::WrongKind},
        Rejection{"RestPointInfinite",
                  withSkeleton(replaced(bone("root", 0, "[]"), "\"localRestStartPt\": [0, 0]",
                                        "\"localRestStartPt\": [0, -1e999]")),
                  ModelError::NotFinite},
        Rejection{"BoneWithoutChildren",
                  withSkeleton(replaced(bone("root", 0, "[]"), ", \"children\": []", "")),
                  ModelError::MissingMember},
        Rejection{"BoneNotObject", withSkeleton(bone("root", 0, "[]") + ", \"x\": []"),
                  ModelError::WrongKind},
        Rejection{"NoBones", withSkeleton(""), ModelError::NoBones},
        Rejection{"DuplicateIds",
                  withSkeleton(bone("a", 0, "[1]") + ", " + bone("b", 1, "[]") + ", " +
                               bone("c", 1, "[]")),
                  ModelError::DuplicateBoneId},
        Rejection{"UnknownChild", withSkeleton(bone("a", 0, "[1, 2]") + ", " + bone("b", 1, "[]")),
                  ModelError::UnknownChild},
        Rejection{"TwoParents",
                  withSkeleton(bone("a", 0, "[1, 2]") + ", " + bone("b", 1, "[2]") + ", " +
                               bone("c", 2, "[]")),
                  ModelError::ChildOfTwoParents},
        Rejection{"ListedTwice", withSkeleton(bone("a", 0, "[1, 1]") + ", " + bone("b", 1, "[]")),
                  ModelError::ChildOfTwoParents},
        Rejection{"NoRoot", withSkeleton(bone("a", 0, "[1]") + ", " + bone("b", 1, "[0]")),
                  ModelError::NoRootBone},
        Rejection{"Cycle",
                  withSkeleton(bone("a", 0, "[]") + ", " + bone("b", 1, "[2]") + ", " +
                               bone("c", 2, "[3]") + ", " + bone("d", 3, "[1]")),
                  ModelError::BoneCycle},
        Rejection{"OwnChild", withSkeleton(bone("a", 0, "[]") + ", " + bone("b", 1, "[1]")),
                  ModelError::BoneCycle}),
    [](const testing::TestParamInfo<Rejection>& info) { return info.param.name; });

TEST(ModelValidation, TheSmallModelAndItsVariantsPass) {
    const std::string accepted[] = {
        m,
        // Empty regions at either end, indices truncated toward zero, a huge but finite id.
        replaced(m, "\"start_pt_index\": 0, \"end_pt_index\": 3",
                 "\"start_pt_index\": 4, \"end_pt_index\": 3"),
        replaced(m, "\"start_index\": 0, \"end_index\": 5",
                 "\"start_index\": 0, \"end_index\": -1"),
        replaced(m, "[0, 1, 2, 0, 2, 3]", "[0.9, 1, 2, 3.99, 2, -0.5]"),
        replaced(m, "\"id\": 7", "\"id\": 1e300"),
        // A second parentless bone, a singular matrix on a bone that is not the root, weights
        // for bones the skeleton lacks, lists of other lengths, optional tables of any kind.
        withSkeleton(bone("root", 0, "[1]") + ", " + bone("tip", 1, "[]") + ", " +
                     replaced(bone("loose", 2, "[]"), kIdentity,
                              "[0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0]")),
        replaced(m, "\"tip\": [0, 0, 0.5, 0.5]", "\"tip\": [0], \"ghost\": [1, 2, 3, 4, 5]"),
        replaced(m, "\"animation\"",
                 "\"uv_swap_items\": 1, \"anchor_points_items\": [],\n  \"animation\""),
        // Points of three or more numbers (read from their first two; what follows is not
        // read, so it need not fit a float).
        withSkeleton(replaced(bone("root", 0, "[]"), "\"localRestEndPt\": [1, 0]",
                              "\"localRestEndPt\": [1, 0, 0, 1e999]")),
    };
    for (const std::string& text : accepted) {
        JsonDocument document;
        ASSERT_EQ(document.parseText(text), JsonStatus::Ok) << text;
        const ModelCheck check = ValidateMobilantModel(document.getRoot());
        EXPECT_TRUE(check.Ok()) << check.Line() << "\n" << text;
    }
}

TEST(ModelValidation, ABuildBeyondTheBudgetIsRefused) {
    // Every region's skinning tables walk every bone: 6000 regions over 6000 bones.
    std::string regions, bones;
    for (int i = 0; i < 6000; ++i) {
        const std::string number = std::to_string(i);
        if (i > 0) regions += ", ", bones += ", ";
        regions += "\"r";
        regions += number;
        regions +=
            "\": {\"id\": 0, \"start_pt_index\": 0, \"end_pt_index\": -1, "
            "\"start_index\": 0, \"end_index\": -1, \"weights\": {}}";
        bones += bone(std::string("b").append(number), i, "[]");
    }
    const std::string text =
        "{\"mesh\": {\"points\": [], \"uvs\": [], \"indices\": [], "
        "\"regions\": {" +
        regions + "}}, \"skeleton\": {" + bones + "}, \"animation\": {}}";
    JsonDocument document;
    ASSERT_EQ(document.parseText(text), JsonStatus::Ok);
    EXPECT_EQ(ValidateMobilantModel(document.getRoot()).error, ModelError::ModelTooLarge);
}

TEST(ModelValidation, MessagesNameThePlace) {
    JsonDocument document;
    document.parseText(replaced(m, "[0, 1, 2, 0, 2, 3]", "[0, 1, 2, 0, 2, 12]"));
    EXPECT_EQ(ValidateMobilantModel(document.getRoot()).Line(),
              "LoadMobilantJSONData() - an index names no point: mesh: \"indices\"[5] is 12, the "
              "mesh has 4 points");
    document.parseText(replaced(m, "\"end_pt_index\": 3", "\"end_pt_index\": 9"));
    EXPECT_EQ(ValidateMobilantModel(document.getRoot()).Line(),
              "LoadMobilantJSONData() - a region's points leave the mesh or run backwards: "
              "region \"body\": points 0 to 9, the mesh has 4");
    document.parseText(replaced(m, "\"weights\"", "\"weight\""));
    EXPECT_EQ(ValidateMobilantModel(document.getRoot()).Line(),
              "LoadMobilantJSONData() - a required member is missing: region \"body\": "
              "\"weights\"");
    EXPECT_STREQ(ModelErrorMessage(static_cast<ModelError>(99)), "unknown error");
}

TEST(LoadMobilantModel, ARefusedFileLeavesANullRootAndOneLine) {
    const std::string path = testing::TempDir() + "refused-model.json";
    std::ofstream(path) << replaced(m, "\"children\": [1]", "\"children\": [5]");
    JsonDocument document;
    testing::internal::CaptureStdout();
    const ModelCheck check = LoadMobilantModel(path.c_str(), document);
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(check.error, ModelError::UnknownChild);
    EXPECT_EQ(output, check.Line() + "\n");
    EXPECT_EQ(output,
              "LoadMobilantJSONData() - a child id names no bone: bone \"root\": "
              "\"children\"[0] is 5\n");
    EXPECT_TRUE(document.getRoot().is(JsonTag::Null));

    std::ofstream(path) << m;
    EXPECT_TRUE(LoadMobilantModel(path.c_str(), document).Ok());
    EXPECT_TRUE(document.getRoot().is(JsonTag::Object));

    std::ofstream(path) << "{";
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadMobilantModel(path.c_str(), document).error, ModelError::ParseFailed);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "LoadMobilantJSONData() - Error parsing JSON!\n");
    EXPECT_TRUE(document.getRoot().is(JsonTag::Null));
    std::remove(path.c_str());
}

}  // namespace
