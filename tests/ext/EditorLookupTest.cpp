// What the editor is told about menu commands, texts and titles, and which editors are taken.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "EditorLookup.h"
#include "RoutineTable.h"

namespace {

TEST(EditorLookup, MenuCommandsGiveTheirCodes) {
    const struct {
        int menuId, action, expression;
    } table[] = {
        {25018, 18, -1}, {25000, 0, -1}, {25023, 23, -1}, {25024, -1, -1}, {27009, -1, 9},
        {27000, -1, 0},  {27007, -1, 7}, {27005, -1, -1}, {27006, -1, -1}, {27010, -1, -1},
        {0, -1, -1},     {-1, -1, -1},   {20000, -1, -1}, {65536 + 25018, -1, -1},
    };
    for (const auto& row : table) {
        EXPECT_EQ(CodeFromMenuId(ActionInfoRecords(), ActionInfoWords(), row.menuId), row.action)
            << row.menuId;
        EXPECT_EQ(CodeFromMenuId(ExpressionInfoRecords(), ExpressionInfoWords(), row.menuId),
                  row.expression)
            << row.menuId;
    }
}

TEST(EditorLookup, RecordsAreWalkedWithinTheirWords) {
    // The second record claims three parameters but is cut short: it is never matched.
    const std::vector<std::uint16_t> words = {25000, 5000, 0, 0, 0, 25001, 5001, 1, 0, 3, 22};
    EXPECT_EQ(CodeFromMenuId(words.data(), words.size(), 25000), 0);
    EXPECT_EQ(CodeFromMenuId(words.data(), words.size(), 25001), -1);
    EXPECT_EQ(CodeFromMenuId(words.data(), 4, 25000), -1);
    EXPECT_EQ(CodeFromMenuId(nullptr, 10, 25000), -1);
}

TEST(EditorLookup, InformationRecordsFromTheirCodeWord) {
    const std::uint16_t* action = ActionInfoFromCode(12);
    ASSERT_NE(action, nullptr);
    // code, flags, four numeric parameters titled LEFT, RIGHT, TOP, BOTTOM (5515..5518)
    EXPECT_EQ(std::vector<std::uint16_t>(action, action + 11),
              (std::vector<std::uint16_t>{12, 0, 4, 22, 22, 22, 22, 5515, 5516, 5517, 5518}));
    EXPECT_EQ(ActionInfoFromCode(24), nullptr);
    EXPECT_EQ(ActionInfoFromCode(-1), nullptr);
    const std::uint16_t* expression = ExpressionInfoFromCode(5);
    ASSERT_NE(expression, nullptr);
    EXPECT_EQ(expression[0], 5);
    EXPECT_EQ(ExpressionInfoFromCode(10), nullptr);
    EXPECT_EQ(ActionStringId(18), 5018);
    EXPECT_EQ(ActionStringId(24), 0);
    EXPECT_EQ(ExpressionStringId(7), 7007);
    EXPECT_EQ(ExpressionStringId(6), 0);
}

TEST(EditorLookup, TitlesComeFromTheirStringsOrTheMenuLabel) {
    using K = TitleSource::Kind;
    const struct {
        TitleSource got;
        K kind;
        std::uint16_t id;
    } table[] = {
        {ActionTitleSource(0, 0), K::String, 5501},
        {ActionTitleSource(0, 1), K::String, 5502},
        {ActionTitleSource(17, 0), K::String, 5526},
        {ActionTitleSource(23, 3), K::String, 5535},
        {ActionTitleSource(23, 4), K::Empty, 0},   // past the parameters
        {ActionTitleSource(4, 0), K::Empty, 0},    // none at all
        {ActionTitleSource(0, -1), K::Empty, 0},
        {ActionTitleSource(24, 0), K::Empty, 0},   // no such action
        {ExpressionTitleSource(0), K::MenuLabel, 27000},  // no parameters: the label
        {ExpressionTitleSource(3), K::MenuLabel, 27003},  // an untitled first parameter
        {ExpressionTitleSource(9), K::MenuLabel, 27009},
        {ExpressionTitleSource(5), K::Empty, 0},   // no menu entry, no label
        {ExpressionTitleSource(10), K::Empty, 0},
        {ExpressionParameterSource(3, 0), K::Empty, 0},
        {ExpressionParameterSource(8, 1), K::Empty, 0},
        {ExpressionParameterSource(8, 2), K::Empty, 0},
    };
    for (std::size_t i = 0; i < std::size(table); ++i) {
        EXPECT_EQ(table[i].got.kind, table[i].kind) << "row " << i;
        EXPECT_EQ(table[i].got.id, table[i].id) << "row " << i;
    }
}

TEST(EditorLookup, EditorVersions) {
    const struct {
        std::uint32_t word;
        bool supported;
    } table[] = {
        {0x020000F9, true},   // version 0x0200, build 249
        {0x02000FFF, true},   // build 4095
        {0x030000F9, true},
        {0x020000F8, false},  // build 248
        {0x01FF00F9, false},  // version 0x01FF
        {0x020080F9, false},  // flag 0x8000
        {0x00000000, false},
    };
    for (const auto& row : table)
        EXPECT_EQ(IsSupportedEditorVersion(row.word), row.supported) << std::hex << row.word;
}

}  // namespace
