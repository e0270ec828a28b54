// The resource table against the object's description: which strings exist, where every action
// and expression sits in the menus, and the two pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "ResourceTable.h"

namespace {

std::vector<std::string> Labels(const std::vector<MenuNode>& items) {
    std::vector<std::string> labels;
    for (const MenuNode& item : items)
        labels.push_back(item.kind == MenuNode::Kind::Separator ? "-" : item.text);
    return labels;
}

void CollectIds(const std::vector<MenuNode>& items, std::vector<int>& ids) {
    for (const MenuNode& item : items) {
        if (item.kind == MenuNode::Kind::Item) ids.push_back(item.id);
        CollectIds(item.children, ids);
    }
}

TEST(ResourceTable, StringIdsAreTheObjectsRuns) {
    std::vector<int> ids;
    for (const StringResource& string : StringResources()) ids.push_back(string.id);
    std::vector<int> expected = {1, 2, 128, 129, 130, 131, 132};
    for (int id = 5000; id <= 5023; ++id) expected.push_back(id);
    for (int id = 5501; id <= 5535; ++id) expected.push_back(id);
    for (const int id : {7000, 7001, 7002, 7003, 7004, 7007, 7008, 7009}) expected.push_back(id);
    EXPECT_EQ(ids, expected);
    for (const StringResource& string : StringResources())
        EXPECT_FALSE(string.text.empty()) << string.id;
}

TEST(ResourceTable, ActionMenuTree) {
    const std::vector<MenuNode> tree = ActionMenuTree();
    EXPECT_EQ(Labels(tree),
              (std::vector<std::string>{"Global POOL", "Mobilant Animation", "Mobilant Surface"}));
    EXPECT_EQ(Labels(tree[0].children),
              (std::vector<std::string>{"LoadMobilantPool", "LoadTexturePool", "-",
                                        "ReleaseMobilantPool", "ReleaseTexturePool",
                                        "ReleaseAllPool"}));
    EXPECT_EQ(Labels(tree[1].children),
              (std::vector<std::string>{"SetMobilantData", "SetTexture", "InitAnimation", "-",
                                        "PlayAnimation", "SetAnimationSpeed", "SetAnimationTime",
                                        "SetAnimationBlending", "SetMirrorY", "-", "Meta Data",
                                        "-", "UpdateViewMatrix", "fitMatrixtoSurface", "-",
                                        "SetDebugDraw"}));
    EXPECT_EQ(Labels(tree[1].children[10].children),
              (std::vector<std::string>{"LoadMetaFile", "SetSkinSwap", "-", "setMorphTargetFlg",
                                        "setMorphTargetPos"}));
    EXPECT_EQ(Labels(tree[2].children),
              (std::vector<std::string>{"SetSurfaceSize", "SetHotSpot", "SetRotate",
                                        "SetScaleXY"}));
    // Every action exactly once.
    std::vector<int> ids;
    CollectIds(tree, ids);
    std::sort(ids.begin(), ids.end());
    std::vector<int> all(24);
    std::iota(all.begin(), all.end(), 25000);
    EXPECT_EQ(ids, all);
}

TEST(ResourceTable, ExpressionMenuTree) {
    const std::vector<MenuNode> tree = ExpressionMenuTree();
    EXPECT_EQ(Labels(tree), (std::vector<std::string>{"Mobilant Animation", "Mobilant Surface"}));
    EXPECT_EQ(Labels(tree[0].children),
              (std::vector<std::string>{"getAnimetionTime", "hitTestBoundingBox",
                                        "hitTestPolygons", "-", "getBoxPoint_X",
                                        "getBoxPoint_Y"}));
    EXPECT_EQ(Labels(tree[1].children),
              (std::vector<std::string>{"getScaleX", "getScaleY", "getRotate"}));
    std::vector<int> ids;
    CollectIds(tree, ids);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<int>{27000, 27001, 27002, 27003, 27004, 27007, 27008, 27009}));
}

TEST(ResourceTable, PicturesAre32By32InAFewColours) {
    const BitmapResource editor = ObjectBitmap(400);
    const BitmapResource list = ObjectBitmap(401);
    for (const BitmapResource* picture : {&editor, &list}) {
        EXPECT_EQ(picture->width, 32);
        EXPECT_EQ(picture->height, 32);
        ASSERT_EQ(picture->pixels.size(), 1024u);
        const std::set<std::uint8_t> used(picture->pixels.begin(), picture->pixels.end());
        EXPECT_GE(used.size(), 3u);
        EXPECT_LE(*used.rbegin(), 4);
    }
    // The editor's picture is framed in the placeholder's colours; the list's is on white.
    EXPECT_EQ(editor.palette[editor.pixels[0]], 0x00FF00u);
    EXPECT_EQ(editor.palette[editor.pixels[3 + 28 * 32]], 0xC8DCFAu);
    EXPECT_EQ(list.palette[list.pixels[0]], 0xFFFFFFu);
    EXPECT_NE(editor.pixels, list.pixels);
    EXPECT_TRUE(ObjectBitmap(402).pixels.empty());
}

}  // namespace
