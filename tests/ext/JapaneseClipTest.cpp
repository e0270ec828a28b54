// On both targets: a model file with a Japanese name, opened through the pool by its wide name,
// plays a clip whose Japanese name comes from the host as a wide string.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "AnimationSurface.h"
#include "MessageBoxes.h"
#include "MobilantPool.h"
#include "OpenFile.h"
#include "ResourcePools.h"

namespace {

TEST(JapaneseClip, LoadsAndPlaysByItsWideName) {
    SetMessageBoxDialogs(false);
    ClearShownMessageBoxes();
    std::ifstream in(std::string(MOBILANT_SOURCE_DIR) + "/samples/tiny.json", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string model = text.str();
    const std::size_t at = model.find("\"bend\"");
    ASSERT_NE(at, std::string::npos);
    model.replace(at, 6, "\"\xE6\x9B\xB2\xE3\x81\x92\xE3\x82\x8B\"");  // 曲げる

    std::wstring dir;
    for (const char c : std::string(MOBILANT_BINARY_DIR)) dir.push_back(static_cast<wchar_t>(c));
    const std::wstring path = dir + L"/\u30bf\u30a4\u30cb\u30fc.json";  // タイニー.json
    std::FILE* file = OpenWideFile(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(model.data(), 1, model.size(), file);
    std::fclose(file);

    StartAppPools();
    LoadMobilantPool(7, path.c_str());
    {
        AnimationSurface surface;
        surface.SetMobilantData(7);
        ASSERT_TRUE(surface.ModelReady());
        surface.InitAnimation(L"\u66f2\u3052\u308b");
        surface.PlayAnimation(L"\u66f2\u3052\u308b");
        for (int i = 0; i < 5; ++i) surface.Handle();
        EXPECT_NEAR(surface.GetAnimationTime(), 1.5f, 1e-5f);
        EXPECT_TRUE(ShownMessageBoxes().empty());
        surface.InitAnimation(L"\u8d70\u308b");  // 走る: no such clip
        ASSERT_EQ(ShownMessageBoxes().size(), 1u);
        EXPECT_EQ(ShownMessageBoxes()[0].text, L"Animation [ \u8d70\u308b ] does not exist");
    }
    EndAppPools();
}

}  // namespace
