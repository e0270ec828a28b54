#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "Direct3DFpuMode.h"

#ifdef _WIN32

#include <windows.h>
// windows.h before d3d9.h
#include <d3d9.h>

namespace {

bool underWineWithoutDisplay() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const bool wine = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    return wine && std::getenv("DISPLAY") == nullptr;
}

volatile double one = 1.0, three = 3.0;

}  // namespace

// Direct3DFpuMode stands for the real thing in the other tests: a device created the way the
// host creates its own, without D3DCREATE_FPU_PRESERVE, leaves exactly that x87 state behind,
// and our doubles stay exact in it.
TEST(Direct3DFpuMode, IsWhatAHostDeviceLeaves) {
    if (underWineWithoutDisplay())
        GTEST_SKIP() << "Wine draws Direct3D with OpenGL on an X display, and DISPLAY is not "
                        "set (./build.sh test runs these tests under Xvfb)";
    std::uint16_t emulated;
    {
        Direct3DFpuMode mode;
        emulated = Direct3DFpuMode::controlWord();
    }
    Direct3DFpuMode restoreAfterwards;  // brings back the present state when the test ends

    const HWND window = CreateWindowW(L"STATIC", L"device", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3d, nullptr);
    D3DPRESENT_PARAMETERS present = {};
    present.Windowed = TRUE;
    present.SwapEffect = D3DSWAPEFFECT_DISCARD;
    present.BackBufferFormat = D3DFMT_UNKNOWN;
    present.hDeviceWindow = window;
    IDirect3DDevice9* device = nullptr;
    const HRESULT created =
        direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present, &device);
    const std::uint16_t afterDevice = Direct3DFpuMode::controlWord();
    const double third = one / three;
    if (device != nullptr) device->Release();
    direct3d->Release();
    DestroyWindow(window);

    ASSERT_EQ(created, D3D_OK);
    EXPECT_EQ(afterDevice, emulated);
    EXPECT_EQ(third, 1.0 / 3.0);
}

#else

TEST(Direct3DFpuMode, IsWhatAHostDeviceLeaves) {
    GTEST_SKIP() << "no Direct3D 9 on Linux: Direct3DFpuMode stands in for a device's x87 state";
}

#endif
