// The information records, labels and strings against the object's own table, letter for letter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RoutineTable.h"

namespace {

std::vector<std::string> Collect(const char* const* items, std::size_t n) {
    return {items, items + n};
}

TEST(RoutineTable, ActionLabelsAndDisplayStrings) {
    const char* labels[] = {
        "LoadTexturePool",    "LoadMobilantPool",   "ReleaseTexturePool", "ReleaseMobilantPool",
        "ReleaseAllPool",     "SetMobilantData",    "SetTexture",         "InitAnimation",
        "PlayAnimation",      "SetAnimationSpeed",  "SetAnimationBlending", "SetMirrorY",
        "UpdateViewMatrix",   "SetSurfaceSize",     "SetHotSpot",         "SetRotate",
        "SetScaleXY",         "fitMatrixtoSurface", "SetAnimationTime",   "SetDebugDraw",
        "LoadMetaFile",       "SetSkinSwap",        "setMorphTargetFlg",  "setMorphTargetPos"};
    const char* texts[] = {"LoadTexturePool:(%0,%1)",
                           "LoadMobilantPool:(%0,%1)",
                           "ReleaseTexturePool:(%0)",
                           "ReleaseMobilantPool:(%0)",
                           "ReleaseAllPool",
                           "SetMobilantData:(%0)",
                           "SetTexture:(%0)",
                           "InitAnimation:(%0)",
                           "PlayAnimation:(%0)",
                           "SetAnimationSpeed:(%0)",
                           "SetAnimationBlending:(%0,%1)",
                           "SetMirrorY:(%0)",
                           "UpdateViewMatrix:(%0,%1,%2,%3)",
                           "SetSurfaceSize:(%0,%1)",
                           "SetHotSpot:(%0,%1)",
                           "SetRotate:(%0)",
                           "SetScaleXY:(%0,%1)",
                           "FitMatrixToSurface:(%0)",
                           "SetAnimetionTime:(%0)",
                           "SetDebugDraw:(%0)",
                           "LoadSkinMetaFile:(%0)",
                           "SetSkinSwap:(%0)",
                           "setMorphTargetFlg:(%0)",
                           "setMorphTargetPos: base(%0,%1) target(%2,%3)"};
    std::vector<std::string> gotLabels, gotTexts;
    for (std::size_t code = 0; code < kActionTable.size(); ++code) {
        const RoutineEntry& e = kActionTable[code];
        EXPECT_EQ(e.code, static_cast<int>(code));
        EXPECT_EQ(e.menuId, 25000 + code);
        EXPECT_EQ(e.stringId, 5000 + code);
        gotLabels.push_back(e.label);
        gotTexts.push_back(e.text);
    }
    EXPECT_EQ(gotLabels, Collect(labels, std::size(labels)));
    EXPECT_EQ(gotTexts, Collect(texts, std::size(texts)));
}

TEST(RoutineTable, ActionParameterTitlesAreNumberedInOrder) {
    const char* titles[] = {
        "texture pool_id", "filename", "mobilant pool_id", "filename", "texture pool_id",
        "mobilant pool_id", "mobilant pool_id", "texture pool_id", "Animation name",
        "Animation name", "animation speed", "Animation name", "Animation Factor(0.0 to 1.0)",
        "0:off 1:on", "LEFT", "RIGHT", "TOP", "BOTTOM", "width", "height", "x", "y", "angle",
        "scale_x", "scale_y", "scale raito(default 1.0)", "time (start 0.0)", "0:off 1:on",
        "filename", "name", "flg (0:off 1:on)", "base_x", "base_y", "target_x", "target_y"};
    // Strings (45) are the file names and names; everything else is numeric (22).
    const int types[] = {22, 45, 22, 45, 22, 22, 22, 22, 45, 45, 22, 45, 22, 22, 22, 22, 22, 22,
                         22, 22, 22, 22, 22, 22, 22, 22, 22, 22, 45, 45, 22, 22, 22, 22, 22};
    std::vector<std::string> gotTitles;
    std::vector<int> gotIds, gotTypes, wantIds;
    for (const RoutineEntry& e : kActionTable)
        for (std::size_t p = 0; p < e.parameterCount; ++p) {
            gotTitles.push_back(e.parameters[p].title);
            gotIds.push_back(e.parameters[p].titleId);
            gotTypes.push_back(static_cast<int>(e.parameters[p].type));
        }
    for (int id = 5501; id <= 5535; ++id) wantIds.push_back(id);
    EXPECT_EQ(gotTitles.size(), 35u);
    EXPECT_EQ(gotTitles, Collect(titles, std::size(titles)));
    EXPECT_EQ(gotIds, wantIds);
    EXPECT_EQ(gotTypes, std::vector<int>(std::begin(types), std::end(types)));
}

TEST(RoutineTable, ExpressionsAndTheirNameStrings) {
    const char* labels[] = {"getScaleX", "getScaleY", "getRotate", "getBoxPoint_X",
                            "getBoxPoint_Y", "", "", "getAnimetionTime", "hitTestPolygons",
                            "hitTestBoundingBox"};
    const int params[] = {0, 0, 0, 1, 1, 0, 0, 0, 2, 2};
    for (std::size_t code = 0; code < kExpressionTable.size(); ++code) {
        SCOPED_TRACE(code);
        const RoutineEntry& e = kExpressionTable[code];
        const std::string label = labels[code];
        if (label.empty()) {  // codes 5 and 6: no menu entry, no string
            EXPECT_EQ(e.label, nullptr);
            EXPECT_EQ(e.text, nullptr);
            EXPECT_EQ(e.menuId, 0);
            EXPECT_EQ(e.stringId, 0);
        } else {
            EXPECT_EQ(e.label, label);
            EXPECT_EQ(e.text, label + "(");
            EXPECT_EQ(e.menuId, 27000 + code);
            EXPECT_EQ(e.stringId, 7000 + code);
        }
        ASSERT_EQ(e.parameterCount, params[code]);
        for (std::size_t p = 0; p < e.parameterCount; ++p) {
            EXPECT_EQ(e.parameters[p].type, ParameterType::Integer);
            EXPECT_EQ(e.parameters[p].titleId, 0);
            // The hit tests take frame coordinates as floats.
            EXPECT_EQ(e.parameters[p].fetch, code >= 8 ? FetchAs::Float : FetchAs::Integer);
        }
    }
}

// The host walks the records (each 5 + 2n words) until word 2 is the code.
TEST(RoutineTable, InformationRecordsAreFoundByWalking) {
    const std::uint16_t* pos = FindInfoRecord(ActionInfoRecords(), ActionInfoWords(), 23);
    ASSERT_NE(pos, nullptr);
    const std::vector<std::uint16_t> morphPos(pos, pos + 13);
    EXPECT_EQ(morphPos, (std::vector<std::uint16_t>{25023, 5023, 23, 0, 4, 22, 22, 22, 22, 5532,
                                                    5533, 5534, 5535}));
    const std::uint16_t* load = FindInfoRecord(ActionInfoRecords(), ActionInfoWords(), 0);
    ASSERT_EQ(load, ActionInfoRecords());
    EXPECT_EQ(std::vector<std::uint16_t>(load, load + 9),
              (std::vector<std::uint16_t>{25000, 5000, 0, 0, 2, 22, 45, 5501, 5502}));
    // 24 records of 5 words and 35 parameters of 2.
    EXPECT_EQ(ActionInfoWords(), 24u * 5 + 35u * 2);
    EXPECT_EQ(ExpressionInfoWords(), 10u * 5 + 6u * 2);
    const std::uint16_t* hit = FindInfoRecord(ExpressionInfoRecords(), ExpressionInfoWords(), 9);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(std::vector<std::uint16_t>(hit, hit + 9),
              (std::vector<std::uint16_t>{27009, 7009, 9, 0, 2, 1, 1, 0, 0}));
    EXPECT_EQ(FindInfoRecord(ActionInfoRecords(), ActionInfoWords(), 24), nullptr);
    EXPECT_EQ(FindInfoRecord(ActionInfoRecords(), ActionInfoWords(), -1), nullptr);
    EXPECT_EQ(FindInfoRecord(ActionInfoRecords(), 7, 1), nullptr);  // cut short
    EXPECT_EQ(FindActionByLabel("SetRotate")->code, 15);
    EXPECT_EQ(FindActionByLabel("setrotate"), nullptr);
    EXPECT_EQ(FindExpressionByLabel("hitTestPolygons")->code, 8);
}

}  // namespace

namespace {

// Every record the host reads says what the table says: menu id, string id, code, flags 0, the
// parameter count, the type codes, then the title ids.
void ExpectRecordsFollowTable(const std::uint16_t* records, std::size_t words,
                              const RoutineEntry* table, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t code = 0; code < count; ++code) {
        SCOPED_TRACE(code);
        const RoutineEntry& e = table[code];
        ASSERT_EQ(FindInfoRecord(records, words, static_cast<int>(code)), records + at);
        std::vector<std::uint16_t> want = {e.menuId, e.stringId, static_cast<std::uint16_t>(code), 0,
                                           e.parameterCount};
        for (std::size_t p = 0; p < e.parameterCount; ++p)
            want.push_back(static_cast<std::uint16_t>(e.parameters[p].type));
        for (std::size_t p = 0; p < e.parameterCount; ++p) want.push_back(e.parameters[p].titleId);
        ASSERT_LE(at + want.size(), words);
        EXPECT_EQ(std::vector<std::uint16_t>(records + at, records + at + want.size()), want);
        at += want.size();
    }
    EXPECT_EQ(at, words);  // packed one after another, nothing behind the last
}

}  // namespace

TEST(RoutineTable, EveryInformationRecordFollowsTheTable) {
    ExpectRecordsFollowTable(ActionInfoRecords(), ActionInfoWords(), kActionTable.data(),
                             kActionTable.size());
    ExpectRecordsFollowTable(ExpressionInfoRecords(), ExpressionInfoWords(),
                             kExpressionTable.data(), kExpressionTable.size());
}
