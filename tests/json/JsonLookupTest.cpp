#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "JsonDocument.h"
#include "JsonLookup.h"

using namespace MobilantModule;

namespace {

class JsonLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(document.parseText(R"({
            "floats": [0.1, -2, 16777217, 1e999],
            "ints": [-1.9, 2.9, 0, 3e9, -3e9, 0e999],
            "mixed": [1, "2"],
            "empty": [],
            "point": [1.5, -2],
            "triple": [1, 2, 3],
            "matrix": [1,0,0,0, 0,1,0,0, 0,0,1,0, 5,6,0,1],
            "name": "bone", "yes": true, "no": false, "nothing": null, "number": 1.5,
            "ab": 1, "a": 2, "": 3,
            "nested": {"a": 4}
        })"),
                  JsonStatus::Ok);
        root = document.getRoot();
    }

    JsonValue member(const char* key) { return memberValue(findMember(root, key)); }

    JsonDocument document;
    JsonValue root;
};

TEST_F(JsonLookupTest, FindMemberComparesWholeKeys) {
    EXPECT_EQ(readNumber(findMember(root, "a")), 2.0);  // not "ab"
    EXPECT_EQ(readNumber(findMember(root, "ab")), 1.0);
    EXPECT_EQ(readNumber(findMember(root, "")), 3.0);
    EXPECT_EQ(findMember(root, "abc"), nullptr);
    EXPECT_EQ(findMember(root, std::string_view("a\0", 2)), nullptr);
    EXPECT_EQ(findMember(root, "missing"), nullptr);
    EXPECT_EQ(readNumber(findMember(member("nested"), "a")), 4.0);  // one level only
}

TEST_F(JsonLookupTest, ReadsArraysOfNumbers) {
    EXPECT_EQ(readFloatArray(member("floats")),
              (std::vector<float>{0.1f, -2.0f, 16777216.0f, INFINITY}));
    EXPECT_EQ(readIntArray(member("ints")),
              (std::vector<std::int32_t>{-1, 2, 0, INT32_MAX, INT32_MIN, 0}));
    EXPECT_TRUE(isNumberArray(member("floats"), 4));
    EXPECT_FALSE(isNumberArray(member("floats"), 3));
    EXPECT_TRUE(isNumberArray(member("empty"), 0));
    EXPECT_EQ(childCount(member("matrix")), 16u);
    EXPECT_EQ(childCount(root), 16u);
}

TEST_F(JsonLookupTest, ReadsPointsAndMatrices) {
    const auto point = readPoint2(member("point"));
    ASSERT_TRUE(point);
    EXPECT_EQ(point->x, 1.5f);
    EXPECT_EQ(point->y, -2.0f);
    const auto point4 = readPoint4(member("point"));
    ASSERT_TRUE(point4);
    EXPECT_EQ((std::array{point4->x, point4->y, point4->z, point4->w}),
              (std::array{1.5f, -2.0f, 0.0f, 1.0f}));
    // Three or more numbers: the first two.
    const auto first = readPoint2(member("triple"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->x, 1.0f);
    EXPECT_EQ(first->y, 2.0f);
    const auto first4 = readPoint4(member("floats"));
    ASSERT_TRUE(first4);
    EXPECT_EQ((std::array{first4->x, first4->y, first4->z, first4->w}),
              (std::array{0.1f, -2.0f, 0.0f, 1.0f}));
    const auto matrix = readMatrix(member("matrix"));
    ASSERT_TRUE(matrix);
    EXPECT_EQ((*matrix)[12], 5.0f);
    EXPECT_EQ((*matrix)[13], 6.0f);
    EXPECT_EQ((*matrix)[15], 1.0f);
}

TEST_F(JsonLookupTest, ScalarsAndFlags) {
    EXPECT_EQ(readNumber(member("number")), 1.5);
    EXPECT_EQ(readInt(member("number")), 1);
    EXPECT_EQ(readInt(findMember(root, "ints")), std::nullopt);
    EXPECT_TRUE(toBool(member("yes")));
    EXPECT_FALSE(toBool(member("no")));
    EXPECT_STREQ(member("name").getString(), "bone");
}

// Asking any reader for the wrong kind of value, or through a missing member, gives nothing.
TEST_F(JsonLookupTest, WrongKindsGiveNothing) {
    const char* const keys[] = {"floats", "mixed",   "empty",  "triple", "name",   "yes",
                                "no",     "nothing", "number", "nested", "missing"};
    for (const char* key : keys) {
        const JsonValue value = member(key);
        const std::string k = key;
        const bool array = value.is(JsonTag::Array);
        const bool numbers = k == "floats" || k == "empty" || k == "triple";
        EXPECT_EQ(readFloatArray(value).empty(), !numbers || k == "empty") << key;
        EXPECT_EQ(readIntArray(value).empty(), !numbers || k == "empty") << key;
        EXPECT_EQ(isNumberArray(value), numbers) << key;
        // A point is any array of two or more numbers.
        EXPECT_EQ(readPoint2(value).has_value(), numbers && k != "empty") << key;
        EXPECT_EQ(readPoint4(value).has_value(), numbers && k != "empty") << key;
        EXPECT_FALSE(readMatrix(value)) << key;
        EXPECT_EQ(readNumber(value).has_value(), k == "number") << key;
        EXPECT_EQ(toBool(value), k == "yes") << key;
        EXPECT_EQ(value.getString() != nullptr, k == "name") << key;
        EXPECT_EQ(findMember(value, "a") != nullptr, k == "nested") << key;
        EXPECT_EQ(memberKeys(value).empty(), k != "nested") << key;
        if (!array && k != "nested") {
            EXPECT_EQ(value.getFirstNode(), nullptr) << key;
        }
    }
    EXPECT_EQ(readNumber(static_cast<const JsonNode*>(nullptr)), std::nullopt);
    EXPECT_EQ(memberValue(nullptr).getTag(), JsonTag::Null);
}

TEST(JsonLookup, TruncatesTowardZeroAndSaturates) {
    EXPECT_EQ(truncateToInt32(-2147483648.9), INT32_MIN);
    EXPECT_EQ(truncateToInt32(2147483647.9), INT32_MAX);
    EXPECT_EQ(truncateToInt32(-0.99), 0);
    EXPECT_EQ(truncateToInt32(-INFINITY), INT32_MIN);
    EXPECT_EQ(truncateToInt32(NAN), 0);
}

}  // namespace
