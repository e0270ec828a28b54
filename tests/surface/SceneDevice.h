// A Direct3D 9 device with an A8R8G8B8 render target of a given size, set up as a host sets it
// up to draw objects, and its pixels read back: the software device on Linux, a real device on
// Windows (Wine's own Direct3D 9 under Wine).
#pragma once

#include <cstdlib>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// windows.h before d3d9.h
#include <d3d9.h>
#else
#include "SoftwareDevice.h"
#endif

#include "Direct3DDevice.h"

class SceneDevice {
public:
    // Why no device can be made here, as a reason to skip; null when one can.
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

    SceneDevice(UINT width, UINT height) : width(width), height(height) {
#ifdef _WIN32
        window = CreateWindowW(L"STATIC", L"scene", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
        if (window == nullptr) return;
        direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        if (direct3d == nullptr) return;
        D3DPRESENT_PARAMETERS present = {};
        present.Windowed = TRUE;
        present.SwapEffect = D3DSWAPEFFECT_DISCARD;
        present.BackBufferFormat = D3DFMT_UNKNOWN;
        present.hDeviceWindow = window;
        if (FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                          D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present,
                                          &device))) {
            device = nullptr;
            return;
        }
        if (FAILED(device->CreateRenderTarget(width, height, D3DFMT_A8R8G8B8,
                                              D3DMULTISAMPLE_NONE, 0, FALSE, &target, nullptr)) ||
            FAILED(device->CreateOffscreenPlainSurface(width, height, D3DFMT_A8R8G8B8,
                                                       D3DPOOL_SYSTEMMEM, &readBack, nullptr)) ||
            FAILED(device->SetRenderTarget(0, target))) {
            release();
        }
#else
        software = SoftwareDevice::Create(width, height, D3DFMT_A8R8G8B8);
        device = software;
#endif
    }

    ~SceneDevice() { release(); }

    SceneDevice(const SceneDevice&) = delete;
    SceneDevice& operator=(const SceneDevice&) = delete;

    IDirect3DDevice9* get() const { return device; }
#ifndef _WIN32
    SoftwareDevice* software = nullptr;
#endif

    // Clears the target to transparent black, sets the states a host sets for the objects it
    // draws, and begins a scene.
    void begin() {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
        ApplyModelDeviceStates(device);
        device->BeginScene();
    }

    void end() { device->EndScene(); }

    // The target's pixels as 0xAARRGGBB words, row by row; empty when they cannot be read.
    std::vector<D3DCOLOR> pixels() const {
#ifdef _WIN32
        std::vector<D3DCOLOR> out;
        if (FAILED(device->GetRenderTargetData(target, readBack))) return out;
        D3DLOCKED_RECT locked;
        if (FAILED(readBack->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return out;
        for (UINT y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const D3DCOLOR*>(
                static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
            out.insert(out.end(), row, row + width);
        }
        readBack->UnlockRect();
        return out;
#else
        return software->ReadRenderTarget();
#endif
    }

    const UINT width;
    const UINT height;

private:
    void release() {
#ifdef _WIN32
        if (readBack != nullptr) readBack->Release();
        if (target != nullptr) target->Release();
        readBack = target = nullptr;
#endif
        if (device != nullptr) device->Release();
        device = nullptr;
#ifdef _WIN32
        if (direct3d != nullptr) direct3d->Release();
        if (window != nullptr) DestroyWindow(window);
        direct3d = nullptr;
        window = nullptr;
#endif
    }

#ifdef _WIN32
    HWND window = nullptr;
    IDirect3D9* direct3d = nullptr;
    IDirect3DSurface9* target = nullptr;
    IDirect3DSurface9* readBack = nullptr;
#endif
    IDirect3DDevice9* device = nullptr;
};
