// The run-object lifecycle through the host's services: the ordinals each phase calls, the
// shared device, the render surface and its release notification, hosts without Direct3D 9.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Direct3DDevice.h"
#include "EntryPoints.h"
#include "ExtensionHost.h"
#include "MessageBoxes.h"
#include "RunData.h"
#include "RunObject.h"
#include "SoftwareDevice.h"

namespace {

namespace O = HostRecords::RunObject;
using Ordinals = std::vector<int>;

int CountColour(const std::vector<std::uint32_t>& frame, std::uint32_t colour) {
    return static_cast<int>(std::count(frame.begin(), frame.end(), colour));
}

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxDialogs(false);
        ClearShownMessageBoxes();
    }
};

// Creation takes the device, the first handling makes the render surface and registers the
// release notification, display draws and blits, destruction gives everything back.
TEST_F(Lifecycle, EachPhaseCallsTheServicesInOrder) {
    ExtensionHost e;
    HeadlessHost& host = e.host;
    host.ClearCalls();
    const int n = host.Create(100, 80, 240, 320);
    EXPECT_EQ(host.CalledOrdinals(), (Ordinals{34, 494, 493}));

    host.ClearCalls();
    EXPECT_EQ(HandleRunObject(host.RunDataOf(n)), 0);
    EXPECT_EQ(host.CalledOrdinals(), (Ordinals{34, 487, 172, 264, 372, 982}));
    EXPECT_EQ(host.Calls()[4].text, "Create(240, 320)");

    host.ClearCalls();
    EXPECT_EQ(DisplayRunObject(host.RunDataOf(n)), 0);
    EXPECT_EQ(host.CalledOrdinals(), (Ordinals{34, 1012, 341, 417, 585, 520, 849, 50}));
    EXPECT_EQ(host.Calls()[2].text, "BeginRendering(1, 0x00000000)");
    EXPECT_EQ(host.Calls()[6].text,
              "BlitEx(100, 80, 1, 1, 0, 0, 240, 320, (0, 0), 0, 1, 0, 0, 0)");

    host.ClearCalls();
    host.Destroy(n);
    EXPECT_EQ(host.CalledOrdinals(), (Ordinals{1003, 286}));
    EXPECT_EQ(host.Registrations(), 0u);
    EXPECT_EQ(host.LiveExtensionSurfaces(), 0);

    // A second creation in the same process takes the device again: the last destruction
    // forgot it.
    host.ClearCalls();
    host.Create(0, 0, 10, 10);
    EXPECT_EQ(host.CalledOrdinals(), (Ordinals{34, 494, 493}));
}

TEST_F(Lifecycle, InstancesShareTheDeviceAndTheLastOneForgetsIt) {
    ExtensionHost e;
    const int a = e.host.Create(0, 0, 240, 320);
    EXPECT_EQ(d3dDevice, e.host.Device());
    e.host.ClearCalls();
    const int b = e.host.Create(10, 10, 240, 320);
    EXPECT_EQ(e.host.CalledOrdinals(), (Ordinals{34}));  // already fetched
    EXPECT_EQ(RunObject::InstanceCount(), 2);
    e.host.Destroy(a);
    EXPECT_EQ(d3dDevice, e.host.Device());
    EXPECT_TRUE(RunObject::DeviceFetched());
    e.host.Destroy(b);
    EXPECT_EQ(d3dDevice, nullptr);
    EXPECT_FALSE(RunObject::DeviceFetched());
    EXPECT_EQ(RunObject::InstanceCount(), 0);
}

TEST_F(Lifecycle, HandlingBeforeAnyModelMakesTheSurfaceAndAnswersByTheChangeFlag) {
    ExtensionHost e;
    const int n = e.host.Create(0, 0, 64, 48);
    RunData* rd = e.Data(n);
    EXPECT_EQ(HandleRunObject(rd), 0);
    EXPECT_EQ(e.host.LiveExtensionSurfaces(), 1);
    O::Changed::Set(rd, 1);
    EXPECT_EQ(HandleRunObject(rd), 2);
    EXPECT_EQ(e.host.LiveExtensionSurfaces(), 1);  // made once
    // The edit data's size, clamped to 1..16384, is the surface's and the image's.
    const int big = e.host.Create(0, 0, 100000, -5);
    EXPECT_EQ(e.Field<O::ImageWidth>(big), 16384);
    EXPECT_EQ(e.Field<O::ImageHeight>(big), 1);
}

// The blue outline is the render surface's, drawn inside it; the green one is the host's image
// box, drawn on the frame, only when the picture is turned or scaled.
TEST_F(Lifecycle, DebugOutlinesBlueOnlyThenBlueAndGreenUnderRotation) {
    ExtensionHost e;
    const int n = e.host.Create(300, 200, 120, 80);
    e.Act(n, "SetDebugDraw", {Int(1)});
    e.host.Loop();
    const std::uint32_t blue = 0xFF0000FF, green = 0xFF00FF00;
    std::vector<std::uint32_t> frame = e.host.Frame();
    EXPECT_EQ(CountColour(frame, blue), 2 * 120 + 2 * 78);
    EXPECT_EQ(CountColour(frame, green), 0);
    EXPECT_EQ(e.Pixel(frame, 300, 200), blue);
    EXPECT_EQ(e.Pixel(frame, 419, 279), blue);

    e.Act(n, "SetRotate", {Int(90)});  // image 80 x 120, host hot spot (0, 120)
    e.host.Loop();
    frame = e.host.Frame();
    EXPECT_GT(CountColour(frame, blue), 0);
    EXPECT_EQ(e.Pixel(frame, 300, 80), green);   // (x - hot x, y - hot y)
    EXPECT_EQ(e.Pixel(frame, 379, 199), green);  // plus the image size, exclusive
    EXPECT_EQ(CountColour(frame, green), 2 * 80 + 2 * 118);

    e.Act(n, "SetDebugDraw", {Int(0)});
    e.host.Loop();
    frame = e.host.Frame();
    EXPECT_EQ(CountColour(frame, blue) + CountColour(frame, green), 0);
}

TEST_F(Lifecycle, ReleaseNotificationBetweenLoopsLeavesOneRegistrationAndAWorkingSurface) {
    ExtensionHost e;
    const int n = e.host.Create(320, 240, 240, 320);
    e.Character(n);
    e.Act(n, "SetHotSpot", {Int(120), Int(160)});
    e.host.Loop();
    const std::vector<std::uint32_t> before = e.host.Frame();
    EXPECT_EQ(e.host.Registrations(), 1u);

    e.host.LoseDevice();
    EXPECT_EQ(e.host.LiveExtensionSurfaces(), 0);
    EXPECT_EQ(e.host.Registrations(), 1u);
    e.host.LoseDevice();  // twice: nothing left to release
    e.host.Loop();
    EXPECT_EQ(e.host.LiveExtensionSurfaces(), 1);
    EXPECT_EQ(e.host.Registrations(), 1u);
    const std::vector<std::uint32_t> after = e.host.Frame();
    EXPECT_NE(after, std::vector<std::uint32_t>(after.size(), ExtensionHost::kBackground));
    EXPECT_GT(CountColour(before, ExtensionHost::kBackground), 0);
}

// A device lost while the extension draws: the surface it is drawing into stays until the
// display is over, and the next loop makes a new one.
TEST_F(Lifecycle, ReleaseNotificationDuringDisplayWaitsForItsEnd) {
    for (const int ordinal : {341, 417, 849, 50}) {
        SCOPED_TRACE(ordinal);
        ExtensionHost e;
        const int n = e.host.Create(320, 240, 240, 320);
        e.Character(n);
        e.host.Loop();
        e.host.LoseDeviceOnNextCall(ordinal);
        e.host.Loop();
        EXPECT_EQ(e.host.LiveExtensionSurfaces(), 0);
        EXPECT_EQ(e.host.Registrations(), 1u);
        e.host.Loop();
        EXPECT_EQ(e.host.LiveExtensionSurfaces(), 1);
        EXPECT_GT(e.Ask(n, "hitTestPolygons", {Int(320), Int(240)}), -1);
    }
}

TEST_F(Lifecycle, SetSurfaceSizeBeforeTheFirstLoopRegistersOnce) {
    ExtensionHost e;
    const int n = e.host.Create(0, 0, 240, 320);
    e.Act(n, "SetSurfaceSize", {Int(100), Int(50)});
    EXPECT_EQ(e.host.Registrations(), 1u);
    EXPECT_EQ(e.host.LiveExtensionSurfaces(), 1);
    e.host.Loop();
    e.Act(n, "SetSurfaceSize", {Int(80), Int(40)});
    e.host.LoseDevice();
    e.host.Loop();
    EXPECT_EQ(e.host.Registrations(), 1u);
    e.host.ClearCalls();
    e.host.Destroy(n);
    EXPECT_EQ(e.host.CalledOrdinals(), (Ordinals{1003, 286}));
    EXPECT_EQ(e.host.Registrations(), 0u);

    // Destroyed after a release notification took the surface: still unregistered, once.
    const int m = e.host.Create(0, 0, 240, 320);
    e.host.Loop();
    e.host.LoseDevice();
    e.host.ClearCalls();
    e.host.Destroy(m);
    EXPECT_EQ(e.host.CalledOrdinals(), (Ordinals{1003}));
    EXPECT_EQ(e.host.Registrations(), 0u);
}

// Turned and scaled before the first loop, the host's image is 791 x 793; the render surface
// is still made at the animation surface's 240 x 320, which is what the model is drawn into.
TEST_F(Lifecycle, TheRenderSurfaceHasTheAnimationSurfacesSizeNotTheImages) {
    ExtensionHost e;
    const int n = e.host.Create(0, 0, 240, 320);
    e.Act(n, "SetScaleXY", {Num(2), Num(2)});
    e.Act(n, "SetRotate", {Int(45)});
    EXPECT_EQ(e.Field<O::ImageWidth>(n), 791);
    EXPECT_EQ(e.Field<O::ImageHeight>(n), 793);
    e.host.ClearCalls();
    e.host.Loop();
    EXPECT_EQ(e.host.Calls()[4].ordinal, 372);
    EXPECT_EQ(e.host.Calls()[4].text, "Create(240, 320)");
}

// The surface follows SetSurfaceSize at once; the host image size only with the next transform.
TEST_F(Lifecycle, SetSurfaceSizeReplacesTheSurfaceAtOnce) {
    ExtensionHost e;
    const int n = e.host.Create(0, 0, 240, 320);
    e.host.Loop();
    e.host.ClearCalls();
    e.Act(n, "SetSurfaceSize", {Int(100), Int(50)});
    EXPECT_EQ(e.host.CalledOrdinals(), (Ordinals{286, 34, 487, 172, 264, 372}));
    EXPECT_EQ(e.host.Calls()[5].text, "Create(100, 50)");
    EXPECT_EQ(e.Field<O::ImageWidth>(n), 240);
    e.Act(n, "SetRotate", {Int(0)});
    EXPECT_EQ(e.Field<O::ImageWidth>(n), 100);
    EXPECT_EQ(e.Field<O::ImageHeight>(n), 50);
    for (const auto& [w, h] : {std::pair{0, 10}, {10, 0}, {16385, 10}, {10, -1}}) {
        e.host.ClearCalls();
        e.Act(n, "SetSurfaceSize", {Int(w), Int(h)});
        EXPECT_TRUE(e.host.Calls().empty());
    }
}

// A host whose surfaces are not Direct3D 9: one box at creation, then everything works without
// drawing.
TEST_F(Lifecycle, WithoutDirect3DOneBoxAndEverythingElseRuns) {
    HeadlessHost::Options options;
    options.direct3D9 = false;
    ExtensionHost e(options);
    const int n = e.host.Create(320, 240, 240, 320);
    ASSERT_EQ(ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(ShownMessageBoxes()[0].caption, L"Error");
    EXPECT_EQ(ShownMessageBoxes()[0].text, L"DirectX9を取得できません[mobilant animation ext]");
    ClearShownMessageBoxes();
    e.Act(n, "LoadMobilantPool", {Int(0), Text(Sample("character.json"))});
    e.Act(n, "SetMobilantData", {Int(0)});
    e.Act(n, "InitAnimation", {Text("walk")});
    e.Act(n, "PlayAnimation", {Text("walk")});
    e.Act(n, "SetHotSpot", {Int(120), Int(160)});
    e.Act(n, "SetRotate", {Int(30)});
    e.host.Loop();
    e.host.Loop();
    EXPECT_TRUE(ShownMessageBoxes().empty());
    EXPECT_EQ(e.host.LiveExtensionSurfaces(), 0);  // no prototype, no render surface
    EXPECT_EQ(e.Ask(n, "hitTestPolygons", {Int(320), Int(240)}), 1);
    EXPECT_EQ(e.Ask(n, "hitTestBoundingBox", {Int(320), Int(240)}), 1);
    EXPECT_NEAR(e.Ask(n, "getAnimetionTime"), 0.6, 1e-5);
    EXPECT_EQ(e.Ask(n, "getRotate"), 30);
    EXPECT_NE(e.Ask(n, "getBoxPoint_X", {Int(0)}), 0);
    // Textures need the device: the pool says so.
    e.Act(n, "LoadTexturePool", {Int(0), Text(Sample("character.png"))});
    ASSERT_EQ(ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(ShownMessageBoxes()[0].text, L"D3D9 device NULL");
}

// A modal box runs a message loop in which the host may run the game: the instance is whole
// before the box is shown.
TEST_F(Lifecycle, TheHostMayRunLoopsFromInsideACreationBox) {
    HeadlessHost::Options options;
    options.direct3D9 = false;
    ExtensionHost e(options);
    static HeadlessHost* host = nullptr;
    static int loopsRun = 0;
    host = &e.host;
    loopsRun = 0;
    SetMessageBoxObserver([](const ShownMessageBox&) {
        host->Loop();
        ++loopsRun;
    });
    const int n = e.host.Create(0, 0, 240, 320);
    SetMessageBoxObserver(nullptr);
    EXPECT_EQ(loopsRun, 1);
    EXPECT_EQ(e.Ask(n, "getScaleX"), 1);
}

// Nothing the game does crosses into the host as an error or corrupts the record.
TEST_F(Lifecycle, EntryPointsTolerateMissingRecords) {
    EXPECT_EQ(CreateRunObject(nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(HandleRunObject(nullptr), 0);
    EXPECT_EQ(DisplayRunObject(nullptr), 0);
    EXPECT_EQ(DestroyRunObject(nullptr, 0), 0);
    EXPECT_EQ(GetRunObjectInfos(nullptr, nullptr), 0);
    EXPECT_EQ(GetInfos(0), 0x300u);
    EXPECT_EQ(GetInfos(2), 0x100u);
    EXPECT_EQ(GetInfos(6), 2u);
    EXPECT_EQ(GetInfos(7), 249u);
    EXPECT_EQ(GetInfos(8), 1u);
    EXPECT_EQ(GetInfos(5), 0u);
    EXPECT_EQ(GetDebugTree(nullptr)[0], 0xFFFF);
}

}  // namespace
