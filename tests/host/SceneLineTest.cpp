// Splitting scene-script lines: words, numbers as written, strings with their two escapes.
#include <gtest/gtest.h>

#include "SceneLine.h"

namespace {

using Kind = SceneToken::Kind;

TEST(SceneLine, WordsNumbersAndStrings) {
    SceneLine line;
    std::string error;
    ASSERT_TRUE(line.Parse("  LoadMobilantPool 0 \"samples/a b.json\"  # a comment \"x", error));
    const auto& t = line.Tokens();
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].kind, Kind::Word);
    EXPECT_EQ(t[0].text, "LoadMobilantPool");
    EXPECT_EQ(t[1].kind, Kind::Integer);
    EXPECT_EQ(t[1].integer, 0);
    EXPECT_EQ(t[2].kind, Kind::String);
    EXPECT_EQ(t[2].text, "samples/a b.json");

    ASSERT_TRUE(line.Parse("expect getScaleX = 2.5 1e-6", error));
    ASSERT_EQ(line.Tokens().size(), 5u);
    EXPECT_EQ(line.Tokens()[2].kind, Kind::Word);
    EXPECT_EQ(line.Tokens()[3].kind, Kind::Number);
    EXPECT_DOUBLE_EQ(line.Tokens()[3].number, 2.5);
    EXPECT_EQ(line.Tokens()[4].text, "1e-6");  // kept as written, for printing
    ASSERT_TRUE(line.Parse("UpdateViewMatrix -4 4 -3.5 +3", error));
    EXPECT_EQ(line.Tokens()[1].integer, -4);
    EXPECT_EQ(line.Tokens()[3].kind, Kind::Number);
    EXPECT_EQ(line.Tokens()[4].kind, Kind::Integer);
    ASSERT_TRUE(line.Parse("   # only a comment", error));
    EXPECT_TRUE(line.Tokens().empty());
}

TEST(SceneLine, StringEscapes) {
    SceneLine line;
    std::string error;
    ASSERT_TRUE(line.Parse(R"(PlayAnimation "say \"hi\" \\ #not a comment")", error));
    EXPECT_EQ(line.Tokens()[1].text, R"(say "hi" \ #not a comment)");
    ASSERT_TRUE(line.Parse("PlayAnimation \"\xE6\xAD\xA9\xE3\x81\x8F\"", error));
    EXPECT_EQ(line.Tokens()[1].text, "\xE6\xAD\xA9\xE3\x81\x8F");
    EXPECT_FALSE(line.Parse(R"(PlayAnimation "open)", error));
    EXPECT_EQ(error, "unterminated string");
    EXPECT_FALSE(line.Parse(R"(PlayAnimation "a\n")", error));
    EXPECT_FALSE(line.Parse(R"(PlayAnimation "a\)", error));
}

TEST(SceneLine, NumbersThatAreNotNumbers) {
    SceneLine line;
    std::string error;
    ASSERT_TRUE(line.Parse("x 99999999999999999999 1e999 - 12abc", error));
    const auto& t = line.Tokens();
    EXPECT_EQ(t[1].kind, Kind::Number);  // too large for an integer, still a number
    EXPECT_EQ(t[2].kind, Kind::Word);    // not finite
    EXPECT_EQ(t[3].kind, Kind::Word);
    EXPECT_EQ(t[4].kind, Kind::Word);
}

}  // namespace
