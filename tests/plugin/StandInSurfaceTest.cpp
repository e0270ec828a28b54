// Our stand-in MMFS2.dll, called through the import library of ordinals as the plug-in calls the
// host: render targets of a real Direct3D 9 device read back into memory, blits, outlines drawn
// on top of the device's picture, lost-device registrations and the driver record.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <vector>

#include <windows.h>
// windows.h before d3d9.h
#include <d3d9.h>

#include "HostRecords.h"
#include "PluginTestSupport.h"
#include "cSurface.h"

namespace {

constexpr int kFrameWindow = 1;

class StandInSurfaces : public ::testing::Test {
protected:
    void SetUp() override {
        api_ = StandInApi();
        ASSERT_NE(api_, nullptr) << "the stand-in MMFS2.dll beside the test";
        if (const char* reason = WhyNoDevice()) GTEST_SKIP() << reason;
        StandInOptions options;
        options.frameWidth = 64;
        options.frameHeight = 48;
        options.windowIds[0] = kFrameWindow;
        ASSERT_TRUE(api_->Start(&options)) << api_->LastError();
        started_ = true;
        if (api_->Device() == nullptr) GTEST_FAIL() << "no device: " << api_->LastError();
    }
    void TearDown() override {
        if (started_) api_->Stop();
    }

    const StandInHostApi* api_ = nullptr;
    bool started_ = false;
};

// A surface object in storage of our own, as the extension keeps its render surface.
struct OwnSurface {
    alignas(8) unsigned char storage[64] = {};
    cSurface* surface = new (storage) cSurface();
    ~OwnSurface() { surface->~cSurface(); }
};

struct ColouredVertex {
    float x, y, z, rhw;
    DWORD colour;
};

TEST_F(StandInSurfaces, TheDevicesPictureIsReadBackAndBlittedIntoTheFrame) {
    cSurface* frame = WinGetSurface(kFrameWindow, 0);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetDriver(), HostRecords::kDriverDirect3D9);
    cSurface* prototype = nullptr;
    ASSERT_TRUE(GetSurfacePrototype(&prototype, frame->GetDepth(), 5, 5));

    const CallLog log(api_);
    OwnSurface target;
    target.surface->Create(16, 8, prototype);
    EXPECT_EQ(target.surface->GetWidth(), 16);
    EXPECT_EQ(target.surface->GetHeight(), 8);
    EXPECT_EQ(api_->LiveSurfaces(), 1);

    ASSERT_EQ(target.surface->BeginRendering(TRUE, 0xFF2040C0), 1);
    IDirect3DDevice9* device = api_->Device();
    // A red triangle over the top left corner, in render-target pixels.
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    const ColouredVertex triangle[3] = {{0, 0, 0, 1, 0xFFFF0000},
                                        {8, 0, 0, 1, 0xFFFF0000},
                                        {0, 8, 0, 1, 0xFFFF0000}};
    EXPECT_TRUE(SUCCEEDED(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof triangle[0])));
    // Drawn while rendering, the outline lands on top of the device's picture.
    target.surface->Rectangle(12, 4, 16, 8, 1, RGB(0, 255, 0));
    ASSERT_EQ(target.surface->EndRendering(), 1);

    POINT centre = {0, 0};
    ASSERT_TRUE(target.surface->BlitEx(*frame, 10, 5, 1, 1, 0, 0, 16, 8, &centre, 0));
    int width = 0, height = 0;
    const std::uint32_t* pixels = api_->WindowPixels(kFrameWindow, &width, &height);
    ASSERT_NE(pixels, nullptr);
    ASSERT_EQ(width, 64);
    const auto at = [&](int x, int y) { return pixels[y * width + x]; };
    EXPECT_EQ(at(11, 6), 0xFFFF0000u);   // the triangle
    EXPECT_EQ(at(18, 11), 0xFF2040C0u);  // cleared
    EXPECT_EQ(at(22, 9), 0xFF00FF00u);   // the outline's corner
    EXPECT_EQ(at(9, 5), 0xFF000000u);    // outside the blit
    EXPECT_EQ(at(26, 5), 0xFF000000u);

    EXPECT_EQ(log.ordinals(), (std::vector<int>{264, 372, 585, 520, 341, 677, 417, 849}));
}

std::vector<std::pair<cSurface*, LPARAM>> lostDeviceCalls;

void MOBILANT_STDCALL OnLostDevice(cSurface* surface, LPARAM user) {
    lostDeviceCalls.emplace_back(surface, user);
}

TEST_F(StandInSurfaces, LostDeviceRegistrationsAreCalledUntilRemoved) {
    cSurface* frame = WinGetSurface(kFrameWindow, 0);
    ASSERT_NE(frame, nullptr);
    std::vector<std::pair<cSurface*, LPARAM>>& calls = lostDeviceCalls;
    calls.clear();
    const LostDeviceCallBack callback = &OnLostDevice;
    frame->AddLostDeviceCallBack(callback, 42);
    EXPECT_EQ(api_->Registrations(), 1);
    api_->LoseDevice();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, frame);
    EXPECT_EQ(calls[0].second, 42);
    frame->RemoveLostDeviceCallBack(callback, 42);
    EXPECT_EQ(api_->Registrations(), 0);
    api_->LoseDevice();
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(StandInSurfaces, DriverRecordCarriesTheDevice) {
    cSurface* frame = WinGetSurface(kFrameWindow, 0);
    ASSERT_NE(frame, nullptr);
    std::vector<unsigned char> record(HostRecords::DriverInfo::kSize, 0);
    HostRecords::DriverInfo::Size::Set(record.data(), HostRecords::DriverInfo::kSize);
    ASSERT_EQ(frame->GetDriverInfo(record.data()), 1u);
    EXPECT_EQ(HostRecords::DriverInfo::Direct3DDevice::Get(record.data()), api_->Device());
    EXPECT_NE(HostRecords::DriverInfo::Direct3D::Get(record.data()), nullptr);
    EXPECT_EQ(HostRecords::DriverInfo::Direct3DVersion::Get(record.data()), 9);
    // A record that says it is too short is left alone.
    std::vector<unsigned char> small(HostRecords::DriverInfo::kSize, 0);
    HostRecords::DriverInfo::Size::Set(small.data(), 8);
    EXPECT_EQ(frame->GetDriverInfo(small.data()), 0u);
    EXPECT_EQ(HostRecords::DriverInfo::Direct3DDevice::Get(small.data()), nullptr);
}

TEST(StandInWithoutDirect3D, WindowSurfacesHaveNoDriverAndNoPrototype) {
    const StandInHostApi* api = StandInApi();
    ASSERT_NE(api, nullptr);
    StandInOptions options;
    options.direct3D9 = false;
    const StandInRun run(api, options);
    ASSERT_TRUE(run.started()) << api->LastError();
    cSurface* frame = WinGetSurface(options.windowIds[0], 0);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetDriver(), 0);
    cSurface* prototype = reinterpret_cast<cSurface*>(1);
    EXPECT_FALSE(GetSurfacePrototype(&prototype, 32, 5, 5));
    EXPECT_EQ(prototype, nullptr);
    EXPECT_EQ(WinGetSurface(options.windowIds[0], 1), nullptr);
    EXPECT_EQ(WinGetSurface(99, 0), nullptr);
}

}  // namespace
