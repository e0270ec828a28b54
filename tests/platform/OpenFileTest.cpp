// Files named in Japanese open by their UTF-8 and by their wide names, on both targets.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "OpenFile.h"

namespace {

std::string ReadAll(std::FILE* file) {
    std::string text;
    char chunk[64];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
    std::fclose(file);
    return text;
}

TEST(OpenFile, JapaneseNamesOpenByUtf8AndWideName) {
    // "歩く.json" in the build directory's scratch space.
    const std::string dir = std::string(MOBILANT_BINARY_DIR) + "/test-scratch/platform";
    std::filesystem::create_directories(dir);
    const std::string utf8 = dir + "/\xE6\xAD\xA9\xE3\x81\x8F.json";
    std::FILE* out = OpenUtf8File(utf8.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs("{}", out);
    std::fclose(out);

    std::FILE* byUtf8 = OpenUtf8File(utf8.c_str(), "rb");
    ASSERT_NE(byUtf8, nullptr);
    EXPECT_EQ(ReadAll(byUtf8), "{}");

    std::wstring wide;
    for (const char c : dir) wide.push_back(static_cast<wchar_t>(c));  // an ASCII path
    wide += L"/\u6b69\u304f.json";
    std::FILE* byWide = OpenWideFile(wide.c_str(), "rb");
    ASSERT_NE(byWide, nullptr);
    EXPECT_EQ(ReadAll(byWide), "{}");
    std::filesystem::remove(std::filesystem::path(std::u8string(utf8.begin(), utf8.end())));

    EXPECT_EQ(OpenUtf8File("no such \xE6\xAD\xA9.json", "rb"), nullptr);
    EXPECT_EQ(OpenUtf8File("bad \xFF name", "rb"), nullptr);
    EXPECT_EQ(OpenWideFile(nullptr, "rb"), nullptr);
}

}  // namespace
