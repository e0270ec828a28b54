#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "JsonDocument.h"
#include "JsonLookup.h"
#include "JsonTreePrinter.h"
#include "LoadMobilantJSONData.h"

using namespace MobilantModule;

namespace {

const char parseError[] = "LoadMobilantJSONData() - Error parsing JSON!\n";

std::string writeTempFile(const char* name, const std::string& text) {
    const auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

TEST(JsonDocument, KeepsTextAndResetsOnEveryParse) {
    JsonDocument document;
    EXPECT_EQ(document.getRoot().getTag(), JsonTag::Null);
    EXPECT_EQ(document.getText(), nullptr);

    std::size_t end = 0;
    EXPECT_EQ(document.parseText("{\"k\":\"v\"} tail", &end), JsonStatus::Ok);
    EXPECT_EQ(end, 9u);
    EXPECT_STREQ(memberValue(findMember(document.getRoot(), "k")).getString(), "v");
    EXPECT_EQ(document.zoneCount(), 1u);

    // A failed parse keeps its text but leaves no tree of the earlier text behind.
    EXPECT_EQ(document.parseText("[1,", &end), JsonStatus::UnexpectedEnd);
    EXPECT_EQ(end, 2u);
    EXPECT_EQ(document.getRoot().getTag(), JsonTag::Null);
    EXPECT_STREQ(document.getText(), "[1,");

    // The text ends at its first zero byte: "[1" is all there is of "[1\0]".
    EXPECT_EQ(document.parseText(std::string_view("[1\0]", 4), &end), JsonStatus::UnexpectedEnd);
}

TEST(LoadMobilantJSONData, ReportsFailuresOnStandardOutput) {
    JsonDocument document;
    const std::string good = writeTempFile("mobilant-json-good.json", "[1, 2]");
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadMobilantJSONData(good.c_str(), document), JsonStatus::Ok);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(readIntArray(document.getRoot()), (std::vector<std::int32_t>{1, 2}));

    const std::string bad = writeTempFile("mobilant-json-bad.json", "[1, 2");
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadMobilantJSONData(bad.c_str(), document), JsonStatus::UnexpectedEnd);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), parseError);
    EXPECT_EQ(document.getRoot().getTag(), JsonTag::Null);

    // A file that cannot be read is an empty text.
    JsonDocument missing;
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadMobilantJSONData("/nonexistent/model.json", missing), JsonStatus::UnexpectedEnd);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), parseError);
    EXPECT_EQ(missing.getRoot().getTag(), JsonTag::Null);
    std::filesystem::remove(good);
    std::filesystem::remove(bad);
}

TEST(JsonTreePrinter, PrintsCompactJsonWithEscapesAndNonFiniteNumbers) {
    JsonDocument document;
    ASSERT_EQ(document.parseText(R"({"s": "q\"\\\u0001\u007f\u00e9", "n": [0.1, 1e999, -1e999,
        0e999, -0, 5, 123456789012345678], "d": 1, "d": {}, "b": [true, false, null, []]})"),
              JsonStatus::Ok);
    // 123456789012345678 sums to 123456789012345696 digit by digit: the last two steps round
    // to even (...567 -> ...568, then ...688 -> ...696), where strtod would give ...680.
    std::string out;
    JsonTreePrinter::print(document.getRoot(), out);
    EXPECT_EQ(out,
              "{\"s\":\"q\\u0022\\u005C\\u0001\\u007F\xC3\xA9\",\"n\":[0.10000000000000001,"
              "Infinity,-Infinity,NaN,-0,5,1.234567890123457e+17],\"d\":1,\"d\":{},"
              "\"b\":[true,false,null,[]]}");
}

}  // namespace
