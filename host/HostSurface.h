// What the headless host keeps behind one cSurface: a window's frame buffer, a prototype, a
// render-target texture on the software device, or plain memory.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include <d3d9.h>

#include "HostConventions.h"
#include "cSurface.h"

class HostSurface {
public:
    enum class Kind {
        Window,        // a window's surface: the frame buffer, in memory
        Prototype,     // describes surfaces to make; holds no pixels
        RenderTarget,  // a render-target texture of the device
        Memory,        // pixels in memory
    };

    // A window surface of width x height pixels; `device` is null on a host whose surfaces
    // are not Direct3D 9.
    static HostSurface* MakeWindow(int width, int height, IDirect3DDevice9* device);
    // A prototype for surfaces of `type` drawn by `driver`.
    static HostSurface* MakePrototype(int type, int driver, IDirect3DDevice9* device);
    // A surface of width x height of the prototype's kind (memory without one); null when
    // the device cannot make it.
    static HostSurface* MakeFrom(const HostSurface* prototype, int width, int height);

    ~HostSurface();
    HostSurface(const HostSurface&) = delete;
    HostSurface& operator=(const HostSurface&) = delete;

    Kind kind() const { return kind_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Driver() const { return driver_; }
    int Type() const { return type_; }
    IDirect3DDevice9* Device() const { return device_; }
    IDirect3DTexture9* Texture() const { return texture_; }

    // The pixels as 0xAARRGGBB words (the render target's texels on the software device);
    // null for a prototype.
    std::uint32_t* Pixels();
    bool HasAlpha() const { return kind_ == Kind::RenderTarget; }

    // The state behind `surface` (null before Create), and whether the surface owns it.
    static HostSurface* Of(const cSurface& surface);
    static bool Owned(const cSurface& surface);
    // Puts `state` behind `surface`; an owned state is deleted with the surface.
    static void Attach(cSurface& surface, HostSurface* state, bool owned);

    // Lost-device registrations of a window surface, oldest first.
    std::vector<std::pair<LostDeviceCallBack, LPARAM>>& Registrations() { return registrations_; }

private:
    HostSurface(Kind kind, int width, int height, int driver, int type, IDirect3DDevice9* device);

    Kind kind_;
    int width_;
    int height_;
    int driver_;
    int type_;
    IDirect3DDevice9* device_;
    IDirect3DTexture9* texture_ = nullptr;
    std::vector<std::uint32_t> memory_;
    std::vector<std::pair<LostDeviceCallBack, LPARAM>> registrations_;
};
