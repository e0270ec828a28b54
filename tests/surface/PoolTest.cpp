// The two pools: slots 0 to 254, loads that fail, releases, and the application's start and end.
#include <gtest/gtest.h>

#include <string>

#include "Direct3DDevice.h"
#include "MessageBoxes.h"
#include "MobilantPool.h"
#include "ResourcePools.h"
#include "SurfaceModels.h"
#include "TexturePool.h"

#if !defined(_WIN32)
#include "SoftwareDevice.h"
#endif

namespace {

class PoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxDialogs(false);
        ClearShownMessageBoxes();
    }
    void TearDown() override {
        ReleaseAllPool();
        d3dDevice = nullptr;
    }

    static std::vector<std::wstring> texts() {
        std::vector<std::wstring> out;
        for (const ShownMessageBox& box : ShownMessageBoxes()) {
            EXPECT_EQ(box.caption, L"mobilant animation ext");
            out.push_back(box.text);
        }
        return out;
    }
};

TEST_F(PoolTest, ModelSlotsRunFrom0To254) {
    const std::wstring tiny = wideSamplePath("tiny.json");
    for (const int id : {0, 254}) {
        LoadMobilantPool(id, tiny.c_str());
        EXPECT_NE(MobilantPool::Document(id), nullptr) << id;
    }
    for (const int id : {255, 256, -1, -255}) {
        LoadMobilantPool(id, tiny.c_str());  // ignored
        EXPECT_EQ(MobilantPool::Document(id), nullptr) << id;
        ReleaseMobilantPool(id);
    }
    ReleaseMobilantPool(254);
    EXPECT_EQ(MobilantPool::Document(254), nullptr);
    EXPECT_NE(MobilantPool::Document(0), nullptr);
    ReleaseMobilantPool(254);  // an empty slot: nothing
}

// A file that is missing, does not parse or holds a refused model leaves an empty slot, also
// when the slot held a model before.
TEST_F(PoolTest, FailedModelLoadsLeaveTheSlotEmpty) {
    const TempFile broken("broken.json", "{\"mesh\": [");
    const TempFile refused("refused.json", flatModel({0, 0, 1, 0}, {0, 1, 2}));
    for (const std::wstring& name :
         {broken.wideName(), refused.wideName(), std::wstring(L"/no/such/file.json")}) {
        LoadMobilantPool(3, wideSamplePath("tiny.json").c_str());
        ASSERT_NE(MobilantPool::Document(3), nullptr);
        LoadMobilantPool(3, name.c_str());
        EXPECT_EQ(MobilantPool::Document(3), nullptr);
    }
    EXPECT_TRUE(ShownMessageBoxes().empty());
}

TEST_F(PoolTest, TheApplicationsEndEmptiesThePoolsAndTheyStayUsable) {
    StartAppPools();
    LoadMobilantPool(5, wideSamplePath("tiny.json").c_str());
    StartAppPools();  // a second start keeps what is loaded
    EXPECT_NE(MobilantPool::Document(5), nullptr);
    EndAppPools();
    EXPECT_EQ(MobilantPool::Document(5), nullptr);
    StartAppPools();
    LoadMobilantPool(5, wideSamplePath("tiny.json").c_str());
    EXPECT_NE(MobilantPool::Document(5), nullptr);
    ReleaseAllPool();
    EXPECT_EQ(MobilantPool::Document(5), nullptr);
    LoadMobilantPool(9, wideSamplePath("tiny.json").c_str());
    EXPECT_NE(MobilantPool::Document(9), nullptr);
}

TEST_F(PoolTest, TextureSlotAddressesNeverChange) {
    EXPECT_EQ(TexturePool::Slot(0) + 254, TexturePool::Slot(254));
    EXPECT_EQ(TexturePool::Slot(255), nullptr);
    EXPECT_EQ(TexturePool::Slot(-1), nullptr);
    IDirect3DTexture9** slot = TexturePool::Slot(7);
    EndAppPools();
    StartAppPools();
    EXPECT_EQ(TexturePool::Slot(7), slot);
}

TEST_F(PoolTest, TextureLoadsWithoutADeviceSayThatThereIsNone) {
    d3dDevice = nullptr;
    LoadTexturePool(0, wideSamplePath("character.png").c_str());
    EXPECT_EQ(*TexturePool::Slot(0), nullptr);
    LoadTexturePool(255, wideSamplePath("character.png").c_str());  // ignored, no message
    EXPECT_EQ(texts(), std::vector<std::wstring>{L"D3D9 device NULL"});
}

#if !defined(_WIN32)

class TexturePoolTest : public PoolTest {
protected:
    void SetUp() override {
        PoolTest::SetUp();
        device = SoftwareDevice::Create(4, 4);
        ASSERT_NE(device, nullptr);
        d3dDevice = device;
    }
    void TearDown() override {
        PoolTest::TearDown();
        EXPECT_EQ(device->LiveObjects(), 0u);
        EXPECT_EQ(device->References(), 1u);
        device->Release();
    }
    SoftwareDevice* device = nullptr;
};

TEST_F(TexturePoolTest, TextureSlotsRunFrom0To254) {
    const std::wstring png = wideSamplePath("character.png");
    for (const int id : {0, 254}) {
        LoadTexturePool(id, png.c_str());
        ASSERT_NE(*TexturePool::Slot(id), nullptr) << id;
        D3DSURFACE_DESC desc;
        ASSERT_EQ((*TexturePool::Slot(id))->GetLevelDesc(0, &desc), D3D_OK);
        EXPECT_EQ(desc.Width, 1024u);
        EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    }
    device->ClearCallLog();
    LoadTexturePool(255, png.c_str());
    LoadTexturePool(-1, png.c_str());
    ReleaseTexturePool(255);
    EXPECT_TRUE(device->CallLog().empty());
    EXPECT_EQ(device->LiveObjects(), 2u);
    ReleaseTexturePool(254);
    EXPECT_EQ(*TexturePool::Slot(254), nullptr);
    EXPECT_EQ(device->LiveObjects(), 1u);
    EXPECT_TRUE(texts().empty());
}

// Loading into an occupied slot releases the old texture even when the new load fails.
TEST_F(TexturePoolTest, AFailedLoadLeavesTheSlotEmpty) {
    const std::wstring png = wideSamplePath("character.png");
    const TempFile notAnImage("texture.png", "not an image");
    LoadTexturePool(3, png.c_str());
    LoadTexturePool(3, notAnImage.wideName().c_str());
    EXPECT_EQ(*TexturePool::Slot(3), nullptr);
    LoadTexturePool(3, png.c_str());
    device->FailCreateCalls(CreateCall::Texture, E_OUTOFMEMORY);
    LoadTexturePool(3, png.c_str());
    EXPECT_EQ(*TexturePool::Slot(3), nullptr);
    EXPECT_EQ(device->LiveObjects(), 0u);
    EXPECT_EQ(texts(), (std::vector<std::wstring>{L"texture load failed", L"texture load failed"}));
}

TEST_F(TexturePoolTest, ReleaseAllEmptiesEverySlotAndLoadsWorkAfterwards) {
    const std::wstring png = wideSamplePath("character.png");
    LoadTexturePool(0, png.c_str());
    LoadTexturePool(100, png.c_str());
    LoadMobilantPool(100, wideSamplePath("tiny.json").c_str());
    ReleaseAllPool();
    EXPECT_EQ(device->LiveObjects(), 0u);
    EXPECT_EQ(MobilantPool::Document(100), nullptr);
    LoadTexturePool(100, png.c_str());
    EXPECT_NE(*TexturePool::Slot(100), nullptr);
    EndAppPools();
    EXPECT_EQ(device->LiveObjects(), 0u);
}

#endif

}  // namespace
