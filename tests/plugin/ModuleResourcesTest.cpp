// The resources of the built plug-in, read back through the Windows API as the editor reads
// them, against the resource table they were written from and against the object's own texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <windows.h>

#include "PluginTestSupport.h"
#include "ResourceTable.h"

namespace {

class ModuleResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryExW(BesideThisProgram(L"mobilant.mfx").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() {
        if (module_ != nullptr) FreeLibrary(module_);
        module_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(module_, nullptr) << "mobilant.mfx beside the test"; }

    static std::wstring String(UINT id) {
        wchar_t buffer[2048] = {};
        const int length = LoadStringW(module_, id, buffer, 2048);
        return std::wstring(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
    }

    static HMODULE module_;
};

HMODULE ModuleResources::module_ = nullptr;

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring MenuText(HMENU menu, int position) {
    wchar_t buffer[256] = {};
    const int length = GetMenuStringW(menu, static_cast<UINT>(position), buffer, 256, MF_BYPOSITION);
    return std::wstring(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
}

void ExpectMenuIs(HMENU menu, const std::vector<MenuNode>& tree, const std::string& where) {
    ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(tree.size())) << where;
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const int position = static_cast<int>(i);
        const MenuNode& node = tree[i];
        const std::string here = where + "/" + std::to_string(i);
        const UINT id = GetMenuItemID(menu, position);
        switch (node.kind) {
            case MenuNode::Kind::Separator: {
                MENUITEMINFOW info = {};
                info.cbSize = sizeof info;
                info.fMask = MIIM_FTYPE;
                ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info));
                EXPECT_NE(info.fType & MFT_SEPARATOR, 0u) << here;
                EXPECT_EQ(id, 0u) << here;
                break;
            }
            case MenuNode::Kind::Item:
                EXPECT_EQ(id, node.id) << here;
                EXPECT_EQ(MenuText(menu, position), Wide(node.text)) << here;
                break;
            case MenuNode::Kind::SubMenu:
                EXPECT_EQ(id, 0xFFFFFFFFu) << here;
                EXPECT_EQ(MenuText(menu, position), Wide(node.text)) << here;
                ExpectMenuIs(GetSubMenu(menu, position), node.children, here + " " + node.text);
                break;
        }
    }
}

TEST_F(ModuleResources, StringTableHoldsEveryStringOfTheTable) {
    const std::vector<StringResource> strings = StringResources();
    for (const StringResource& string : strings)
        EXPECT_EQ(String(string.id), Wide(string.text)) << "string " << string.id;
    // Ids between the runs hold nothing.
    for (const UINT absent : {0u, 3u, 127u, 133u, 5024u, 5500u, 5536u, 7005u, 7006u, 7010u})
        EXPECT_EQ(String(absent), L"") << "string " << absent;
}

TEST_F(ModuleResources, StringsTheEditorShowsForTheObject) {
    EXPECT_EQ(String(1), L"MF2");
    EXPECT_EQ(String(2), L"Mobilant_Animation");
    EXPECT_EQ(String(128), L"Mobilant Animation Extension");
    EXPECT_EQ(String(131), L"Build[20190104] Mobilant Animation Extension");
    EXPECT_EQ(String(5017), L"FitMatrixToSurface:(%0)");
    EXPECT_EQ(String(5023), L"setMorphTargetPos: base(%0,%1) target(%2,%3)");
    EXPECT_EQ(String(5501), L"texture pool_id");
    EXPECT_EQ(String(5526), L"scale raito(default 1.0)");
    EXPECT_EQ(String(5535), L"target_y");
    EXPECT_EQ(String(7007), L"getAnimetionTime(");
    EXPECT_EQ(String(7009), L"hitTestBoundingBox(");
}

TEST_F(ModuleResources, MenusHoldTheTreesOfTheTable) {
    const HMENU actions = LoadMenuW(module_, MAKEINTRESOURCEW(kActionMenuResource));
    ASSERT_NE(actions, nullptr);
    EXPECT_EQ(GetMenuItemCount(actions), 1);
    ExpectMenuIs(GetSubMenu(actions, 0), ActionMenuTree(), "20000");
    DestroyMenu(actions);

    const HMENU expressions = LoadMenuW(module_, MAKEINTRESOURCEW(kExpressionMenuResource));
    ASSERT_NE(expressions, nullptr);
    EXPECT_EQ(GetMenuItemCount(expressions), 1);
    ExpectMenuIs(GetSubMenu(expressions, 0), ExpressionMenuTree(), "20002");
    DestroyMenu(expressions);

    // No conditions, no condition menu.
    EXPECT_EQ(LoadMenuW(module_, MAKEINTRESOURCEW(kConditionMenuResource)), nullptr);
}

TEST_F(ModuleResources, ActionMenuPlacesItemsAsTheObjectDescribesThem) {
    const HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(20000));
    ASSERT_NE(menu, nullptr);
    const HMENU popup = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(popup), 3);
    EXPECT_EQ(MenuText(popup, 0), L"Global POOL");
    EXPECT_EQ(MenuText(popup, 1), L"Mobilant Animation");
    EXPECT_EQ(MenuText(popup, 2), L"Mobilant Surface");
    const HMENU pool = GetSubMenu(popup, 0);
    EXPECT_EQ(GetMenuItemID(pool, 0), 25001u);  // LoadMobilantPool first
    EXPECT_EQ(GetMenuItemID(pool, 2), 0u);      // then a separator
    const HMENU animation = GetSubMenu(popup, 1);
    EXPECT_EQ(GetMenuItemCount(animation), 16);
    EXPECT_EQ(GetMenuItemID(animation, 6), 25018u);  // SetAnimationTime after the speed
    EXPECT_EQ(MenuText(animation, 10), L"Meta Data");
    const HMENU meta = GetSubMenu(animation, 10);
    ASSERT_NE(meta, nullptr);
    EXPECT_EQ(GetMenuItemID(meta, 4), 25023u);
    EXPECT_EQ(MenuText(meta, 4), L"setMorphTargetPos");
    DestroyMenu(menu);
}

TEST_F(ModuleResources, PicturesAre32By32With8BitsAsTheTableDrawsThem) {
    for (const std::uint16_t id : kBitmapResources) {
        SCOPED_TRACE(id);
        const HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2));
        ASSERT_NE(found, nullptr);
        const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(module_, found)));
        ASSERT_NE(bytes, nullptr);
        BITMAPINFOHEADER header;
        std::memcpy(&header, bytes, sizeof header);
        EXPECT_EQ(header.biSize, 40u);
        EXPECT_EQ(header.biWidth, 32);
        EXPECT_EQ(header.biHeight, 32);  // rows bottom up
        EXPECT_EQ(header.biBitCount, 8);
        EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
        const DWORD colours = header.biClrUsed != 0 ? header.biClrUsed : 256;
        ASSERT_EQ(SizeofResource(module_, found), 40 + 4 * colours + 32 * 32);
        const unsigned char* palette = bytes + 40;
        const unsigned char* rows = palette + 4 * colours;
        const auto rgb = [&](int x, int y) {
            const unsigned char index = rows[(31 - y) * 32 + x];
            const unsigned char* entry = palette + 4 * index;
            return static_cast<std::uint32_t>(entry[2]) << 16 | entry[1] << 8 | entry[0];
        };
        const BitmapResource table = ObjectBitmap(id);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                ASSERT_EQ(rgb(x, y), table.palette[table.pixels[static_cast<std::size_t>(y * 32 + x)]])
                    << x << ", " << y;
        if (id == 400) {
            EXPECT_EQ(rgb(0, 0), 0x00FF00u);   // the placeholder's outline
            EXPECT_EQ(rgb(3, 28), 0xC8DCFAu);  // and fill
        }
    }
}

TEST_F(ModuleResources, DataResource200HoldsItsFourBytes) {
    const HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(200), MAKEINTRESOURCEW(10));
    ASSERT_NE(found, nullptr);
    ASSERT_EQ(SizeofResource(module_, found), 4u);
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(module_, found)));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + 4),
              (std::vector<unsigned char>{0x16, 0x25, 0x08, 0x59}));
}

}  // namespace
