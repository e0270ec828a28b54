#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "JsonLookup.h"
#include "JsonNode.h"
#include "JsonParse.h"

using namespace MobilantModule;

namespace {

struct Parsed {
    JsonStatus status;
    std::size_t end;
    JsonValue root;
};

// Parses a copy of `text` and keeps buffer and nodes alive with the fixture.
class JsonParseTest : public ::testing::Test {
protected:
    Parsed parse(const std::string& text) {
        buffers.emplace_back(text.begin(), text.end());
        buffers.back().push_back('\0');
        char* start = buffers.back().data();
        char* end = nullptr;
        JsonValue root = JsonValue::fromBits(0x1234);  // a sentinel a failed parse must keep
        const JsonStatus status = jsonParse(start, end, root, allocator);
        return {status, static_cast<std::size_t>(end - start), root};
    }

    std::vector<double> numbers(JsonValue array) {
        std::vector<double> result;
        for (const JsonNode* node = array.getFirstNode(); node != nullptr; node = node->next) {
            result.push_back(node->value.getNumber());
        }
        return result;
    }

    std::vector<std::vector<char>> buffers;
    JsonAllocator allocator;
};

struct StatusCase {
    const char* text;
    JsonStatus status;
    std::size_t end;  // where the parser stopped: just past the root, or at the failure
};

TEST_F(JsonParseTest, StatusAndEndPosition) {
    using enum JsonStatus;
    const StatusCase cases[] = {
        {"{\"a\":1}", Ok, 7},
        {"[1 2]", Ok, 5},      // commas are optional
        {"[1,2,]", Ok, 6},     // and may trail
        {"{\"a\" 1}", Ok, 7},  // so is the colon
        {"{\"a\":1,}", Ok, 8},
        {"  {} xyz", Ok, 4},  // text after the root is never read
        {"[]]", Ok, 2},
        {"\"open", Ok, 5},  // a string may end with the text
        {"01", Ok, 2},
        {"-.5", Ok, 3},
        {"1e+", Ok, 3},
        {"[true,false,null]", Ok, 17},
        {"", UnexpectedEnd, 0},
        {" \t\r\n\v\f", UnexpectedEnd, 6},
        {"[1,2", UnexpectedEnd, 3},  // at the last token read
        {"[\"open", UnexpectedEnd, 1},
        {"[,1]", UnexpectedCharacter, 1},
        {"[1,,2]", UnexpectedCharacter, 3},
        {"{:1}", UnexpectedCharacter, 1},
        {"[1:2]", UnexpectedCharacter, 2},
        {"{\"a\"::1}", UnexpectedCharacter, 5},
        {"{\"a\",1}", UnexpectedCharacter, 4},
        {"{\"a\":}", UnexpectedCharacter, 5},
        {"{\"a\"}", UnexpectedCharacter, 4},
        {"+1", UnexpectedCharacter, 0},
        {".5", UnexpectedCharacter, 0},
        {"[1, ~]", UnexpectedCharacter, 4},
        {"\x7F", UnexpectedCharacter, 0},
        {"\xC3\xA9", UnexpectedCharacter, 0},
        {"{1:2}", KeyNotString, 1},
        {"{[]:2}", KeyNotString, 2},
        {"[1}", MismatchedClose, 2},
        {"{\"a\":1]", MismatchedClose, 6},
        {"]", UnexpectedClose, 0},
        {" }", UnexpectedClose, 1},
        {"tru", BadLiteral, 0},
        {"[nullx]", BadLiteral, 1},
        {"falsE", BadLiteral, 0},
        {"-x", BadNumber, 1},
        {"-", BadNumber, 1},
        {"12a", BadNumber, 2},
        {"1.5.3", BadNumber, 3},
        {"[0x10]", BadNumber, 2},
        {"\"a\\qb\"", BadString, 3},  // at the escape character
        {"\"a\tb\"", BadString, 2},   // at the raw control character
        {"\"a\x7F\"", BadString, 2},
        {"\"\\u12g4\"", BadString, 5},  // at the bad hex digit
        {"\"\\u12", BadString, 5},      // the text ends inside the escape
        {"\"\\", BadString, 2},
        {"[\"ab\"x]", BadString, 1},  // at the opening quote
    };
    for (const StatusCase& c : cases) {
        const Parsed parsed = parse(c.text);
        EXPECT_EQ(parsed.status, c.status) << '"' << c.text << '"';
        EXPECT_EQ(parsed.end, c.end) << '"' << c.text << '"';
        if (c.status != Ok) {
            EXPECT_EQ(parsed.root.getBits(), 0x1234u) << "root written on failure";
        }
    }
}

TEST_F(JsonParseTest, NestingStopsAtThirtyTwoLevels) {
    const Parsed deep = parse(std::string(32, '[') + std::string(32, ']'));
    EXPECT_EQ(deep.status, JsonStatus::Ok);
    EXPECT_EQ(deep.end, 64u);
    const Parsed tooDeep = parse(std::string(16, '[') + std::string(17, '{'));
    EXPECT_EQ(tooDeep.status, JsonStatus::TooDeep);
    EXPECT_EQ(tooDeep.end, 32u);
}

TEST_F(JsonParseTest, BuildsTreeInDocumentOrder) {
    const Parsed parsed = parse(R"({"a":1, "list":[1 2,], "a":"two", "e":[], "o":{}, "t":true,
                                    "f":false, "n":null})");
    ASSERT_EQ(parsed.status, JsonStatus::Ok);
    const JsonValue root = parsed.root;
    ASSERT_TRUE(root.is(JsonTag::Object));
    EXPECT_EQ(memberKeys(root),
              (std::vector<std::string>{"a", "list", "a", "e", "o", "t", "f", "n"}));
    EXPECT_EQ(readNumber(findMember(root, "a")), 1.0);  // the first of two duplicates
    EXPECT_EQ(numbers(memberValue(findMember(root, "list"))), (std::vector<double>{1, 2}));
    for (const char* empty : {"e", "o"}) {
        const JsonValue value = memberValue(findMember(root, empty));
        EXPECT_EQ(value.getPayload(), 0u) << empty;
        EXPECT_EQ(value.getTag(), *empty == 'e' ? JsonTag::Array : JsonTag::Object);
    }
    EXPECT_EQ(memberValue(findMember(root, "t")).getBits(), 0x7FF9000000000001u);
    EXPECT_EQ(memberValue(findMember(root, "f")).getBits(), 0x7FF9000000000000u);
    EXPECT_EQ(memberValue(findMember(root, "n")).getBits(), 0x7FFF800000000000u);
}

TEST_F(JsonParseTest, DecodesStringsInPlace) {
    const Parsed parsed =
        parse(R"(["\u00e9\u20ac", "\u07FF\u0041", "\uD83D\uDE00", "\"\\\/\b\f\n\r\t", "\u00ff"])");
    ASSERT_EQ(parsed.status, JsonStatus::Ok);
    std::vector<std::string> strings;
    for (const JsonNode* node = parsed.root.getFirstNode(); node; node = node->next) {
        const char* text = node->value.getString();
        ASSERT_NE(text, nullptr);
        EXPECT_GE(text, buffers.back().data());  // decoded inside the parsed buffer
        EXPECT_LT(text, buffers.back().data() + buffers.back().size());
        strings.emplace_back(text);
    }
    EXPECT_EQ(strings, (std::vector<std::string>{
                           "\xC3\xA9\xE2\x82\xAC",
                           "\xDF\xBF"
                           "A",
                           "\xED\xA0\xBD\xED\xB8\x80",  // each half of the pair on its own
                           "\"\\/\b\f\n\r\t",
                           "\xC3\xBF",
                       }));
}

TEST_F(JsonParseTest, NumbersAndNonFiniteValues) {
    const Parsed parsed = parse("[-0, 1e999, -1e999, 0e999, -0e999, 1.5e1]");
    ASSERT_EQ(parsed.status, JsonStatus::Ok);
    const std::vector<double> values = numbers(parsed.root);
    ASSERT_EQ(values.size(), 6u);
    EXPECT_TRUE(std::signbit(values[0]));
    EXPECT_EQ(values[1], INFINITY);
    EXPECT_EQ(values[2], -INFINITY);
    EXPECT_TRUE(std::isnan(values[3]));
    EXPECT_TRUE(std::isnan(values[4]));
    EXPECT_EQ(values[5], 15.0);
    for (const JsonNode* node = parsed.root.getFirstNode(); node; node = node->next) {
        EXPECT_TRUE(node->value.isNumber());
    }
}

}  // namespace
