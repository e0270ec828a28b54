#pragma once

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
// windows.h before d3d9.h
#include <d3d9.h>
#else
#include "SoftwareDevice.h"
#endif

// A Direct3D 9 device made the way the host makes its own: on Windows a HAL device with software
// vertex processing on a small window, created without D3DCREATE_FPU_PRESERVE; elsewhere the
// software stand-in. get() is null when the device could not be made.
class HostDevice {
public:
    // Why no device can be made here, as a reason to skip; null when one can. Wine draws
    // Direct3D with OpenGL on an X display, so it needs DISPLAY; anything else that goes wrong is
    // a failure.
    static const char* whyUnavailable() {
#ifdef _WIN32
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        const bool wine = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
        if (wine && std::getenv("DISPLAY") == nullptr)
            return "Wine draws Direct3D with OpenGL on an X display, and DISPLAY is not set "
                   "(./build.sh test runs these tests under Xvfb)";
#endif
        return nullptr;
    }

    HostDevice() {
#ifdef _WIN32
        window = CreateWindowW(L"STATIC", L"device", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
        if (window == nullptr) return;
        direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        if (direct3d == nullptr) return;
        D3DPRESENT_PARAMETERS present = {};
        present.Windowed = TRUE;
        present.SwapEffect = D3DSWAPEFFECT_DISCARD;
        present.BackBufferFormat = D3DFMT_UNKNOWN;
        present.hDeviceWindow = window;
        direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present, &device);
#else
        device = SoftwareDevice::Create(64, 64);
#endif
    }

    ~HostDevice() {
        if (device != nullptr) device->Release();
#ifdef _WIN32
        if (direct3d != nullptr) direct3d->Release();
        if (window != nullptr) DestroyWindow(window);
#endif
    }

    HostDevice(const HostDevice&) = delete;
    HostDevice& operator=(const HostDevice&) = delete;

    IDirect3DDevice9* get() const {
        return device;
    }

private:
#ifdef _WIN32
    HWND window = nullptr;
    IDirect3D9* direct3d = nullptr;
#endif
    IDirect3DDevice9* device = nullptr;
};
