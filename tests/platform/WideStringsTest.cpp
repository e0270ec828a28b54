// Narrowing and widening of host strings, and message boxes.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "MessageBoxes.h"
#include "WideStrings.h"

namespace {

// Switches LC_CTYPE for one test and back.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) : previous_(std::setlocale(LC_CTYPE, nullptr)) {
        active_ = std::setlocale(LC_CTYPE, name) != nullptr;
    }
    ~LocaleScope() { std::setlocale(LC_CTYPE, previous_.c_str()); }
    bool Active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

TEST(WideStrings, HostStringsNarrowToAtMost255Bytes) {
    EXPECT_EQ(NarrowHostString(L"walk"), "walk");
    EXPECT_EQ(NarrowHostString(nullptr), "");
    EXPECT_EQ(NarrowHostString(std::wstring(300, L'a').c_str()), std::string(255, 'a'));
}

TEST(WideStrings, NarrowingNeverSplitsOrInventsACharacter) {
    LocaleScope utf8("C.UTF-8");
    if (!utf8.Active()) GTEST_SKIP() << "no C.UTF-8 locale";
    // 'é' takes two bytes: 127 of them fill 254 bytes, and the 128th would not fit.
    const std::string narrow = NarrowHostString(std::wstring(200, L'\u00e9').c_str());
    EXPECT_EQ(narrow.size(), 254u);
    EXPECT_EQ(narrow.substr(0, 4), "\xC3\xA9\xC3\xA9");
    EXPECT_EQ(NarrowWideString(L"ab\u00e9", 3), "ab");
    EXPECT_EQ(WidenNarrowString("caf\xC3\xA9"), L"caf\u00e9");
    EXPECT_EQ(WidenNarrowString("a\xFF"
                                "b"),
              L"a?b");  // not UTF-8: replaced, not dropped
}

TEST(WideStrings, UnconvertibleCharactersEndTheNarrowString) {
    LocaleScope c("C");
    ASSERT_TRUE(c.Active());
    // No C locale has 'あ': the conversion stops there rather than guess.
    EXPECT_EQ(NarrowHostString(L"walk\u3042s"), "walk");
    // Beyond the BMP: a surrogate pair in Windows' 2-byte wchar_t, one wchar_t on Linux.
    EXPECT_EQ(NarrowHostString(L"a\U0001F600b"), "a");
    std::string name;
    EXPECT_FALSE(NarrowFileName(L"textures/\u3042.png", name));
    EXPECT_TRUE(NarrowFileName(L"textures/cafe.png", name));
    EXPECT_EQ(name, "textures/cafe.png");
    // The two C libraries disagree on Latin-1: Microsoft's C locale narrows U+0080 to
    // U+00FF to one byte each ('é' to 0xE9, not UTF-8), glibc's knows ASCII only.
#ifdef _WIN32
    EXPECT_EQ(NarrowHostString(L"caf\u00e9s"), "caf\xE9s");
#else
    EXPECT_EQ(NarrowHostString(L"caf\u00e9s"), "caf");
#endif
}

TEST(WideStrings, FormatWithNameFillsEveryPlaceholder) {
    EXPECT_EQ(FormatWithName(L"Animation [ %S ] does not exist", "walk"),
              L"Animation [ walk ] does not exist");
    EXPECT_EQ(FormatWithName(L"%S and %S, 100%", "x"), L"x and x, 100%");
    EXPECT_EQ(FormatWithName(L"no name", nullptr), L"no name");
}

TEST(MessageBoxes, ShownBoxesAreRecordedInOrder) {
    SetMessageBoxDialogs(false);  // nobody to click in a test
    ClearShownMessageBoxes();
    EXPECT_EQ(ShowMessageBox(L"texture load failed", L"mobilant animation ext"), 1);
    EXPECT_EQ(ShowMessageBox(L"D3DERR_INVALIDCALL", L"MobilantRenderere"), 1);
    const std::vector<ShownMessageBox> shown = ShownMessageBoxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, L"mobilant animation ext");
    EXPECT_EQ(shown[0].text, L"texture load failed");
    EXPECT_EQ(shown[1].caption, L"MobilantRenderere");

    for (size_t i = 0; i < kMaxRecordedMessageBoxes + 5; ++i)
        ShowMessageBox(L"again", L"Error");
    EXPECT_EQ(ShownMessageBoxes().size(), kMaxRecordedMessageBoxes);
    ClearShownMessageBoxes();
    EXPECT_TRUE(ShownMessageBoxes().empty());
}

}  // namespace
