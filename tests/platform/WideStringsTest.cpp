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

TEST(WideStrings, NamesNarrowToUtf8NeverSplittingACharacter) {
    // 'é' takes two bytes: 127 of them fill 254 bytes, and the 128th would not fit.
    const std::string narrow = NarrowHostString(std::wstring(200, L'\u00e9').c_str());
    EXPECT_EQ(narrow.size(), 254u);
    EXPECT_EQ(narrow.substr(0, 4), "\xC3\xA9\xC3\xA9");
    EXPECT_EQ(NarrowWideString(L"ab\u00e9", 3), "ab");
    // A walk clip named in Japanese, and a character beyond the BMP (a surrogate pair in
    // Windows' 2-byte wchar_t, one wchar_t on Linux).
    EXPECT_EQ(NarrowHostString(L"\u6b69\u304f"), "\xE6\xAD\xA9\xE3\x81\x8F");
    EXPECT_EQ(NarrowHostString(L"a\U0001F600b"), "a\xF0\x9F\x98\x80"
                                                  "b");
    EXPECT_EQ(WidenNarrowString("caf\xC3\xA9"), L"caf\u00e9");
    EXPECT_EQ(WidenNarrowString("\xE6\xAD\xA9\xF0\x9F\x98\x80"), L"\u6b69\U0001F600");
    EXPECT_EQ(WidenNarrowString("a\xFF"
                                "b"),
              L"a?b");  // not UTF-8: replaced, not dropped
    EXPECT_EQ(WidenNarrowString("\xC0\xAF\xED\xA0\x80"), L"?????");  // overlong, surrogate
}

TEST(WideStrings, NarrowingIgnoresTheProcessLocale) {
    // A host in the C locale: every non-ASCII character would be lost through the C library.
    LocaleScope c("C");
    ASSERT_TRUE(c.Active());
    EXPECT_EQ(NarrowHostString(L"caf\u00e9s"), "caf\xC3\xA9s");
    EXPECT_EQ(NarrowHostString(L"walk\u3042s"), "walk\xE3\x81\x82s");
    std::string name;
    EXPECT_TRUE(NarrowFileName(L"textures/\u3042.png", name));
    EXPECT_EQ(name, "textures/\xE3\x81\x82.png");
    std::wstring wide;
    EXPECT_TRUE(WidenFileName("textures/\xE3\x81\x82.png", wide));
    EXPECT_EQ(wide, L"textures/\u3042.png");
}

TEST(WideStrings, WhatIsNoCharacterEndsTheName) {
    // An unpaired surrogate has no UTF-8 form: names stop there, file names are refused.
    const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xD800), L'b', 0};
    EXPECT_EQ(NarrowHostString(lone), "a");
    std::string name = "old";
    EXPECT_FALSE(NarrowFileName(lone, name));
    EXPECT_TRUE(name.empty());
    std::wstring wide = L"old";
    EXPECT_FALSE(WidenFileName("a\xFF.png", wide));
    EXPECT_TRUE(wide.empty());
    EXPECT_FALSE(NarrowFileName(std::wstring(5000, L'a').c_str(), name));
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
