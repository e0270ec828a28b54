// What the stand-in MMFS2.dll keeps behind one cSurface: a window's frame buffer, a prototype,
// a render-target texture of the real Direct3D 9 device with a copy of its pixels in memory, or
// plain memory.
//
// The device draws the model into the render target; when rendering ends the target is read
// back into memory, so that blits, outlines and lines are drawn by the same code as the Linux
// host's (host/Canvas.h) on the same 0xAARRGGBB pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include <windows.h>
// windows.h before d3d9.h
#include <d3d9.h>

#include "HostConventions.h"
#include "cSurface.h"

class Canvas;

class StandInSurface {
public:
    enum class Kind { Window, Prototype, RenderTarget, Memory };

    // A window's surface of width x height pixels; `device` null on a host whose surfaces are
    // not Direct3D 9.
    static StandInSurface* MakeWindow(int width, int height, IDirect3DDevice9* device);
    static StandInSurface* MakePrototype(int type, int driver, IDirect3DDevice9* device);
    // A surface of the prototype's kind (memory without one); null when it cannot be made.
    static StandInSurface* MakeFrom(const StandInSurface* prototype, int width, int height);

    ~StandInSurface();
    StandInSurface(const StandInSurface&) = delete;
    StandInSurface& operator=(const StandInSurface&) = delete;

    Kind kind() const { return kind_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Driver() const { return driver_; }
    IDirect3DDevice9* Device() const { return device_; }
    IDirect3DTexture9* Texture() const { return texture_; }
    bool HasAlpha() const { return kind_ == Kind::RenderTarget; }

    // The pixels in memory (0xAARRGGBB); null for a prototype.
    std::uint32_t* Pixels();

    // Directs the device's drawing into this render target, cleared to `rgba` when `clear`;
    // false for any other surface or when the device refuses.
    bool BeginRendering(bool clear, DWORD rgba, IDirect3DSurface9* backBuffer);
    // Ends the scene, gives the device its own surface back and reads the target into memory,
    // then draws what was drawn on the surface meanwhile.
    bool EndRendering(IDirect3DSurface9* backBuffer);

    // Draws with `draw` on the pixels: at once, or after the read-back when rendering into this
    // surface, so it lands on top of what the device drew. False for a prototype.
    bool Draw(std::function<void(Canvas&)> draw);

    // Lost-device registrations of a window surface, oldest first.
    std::vector<std::pair<LostDeviceCallBack, LPARAM>>& Registrations() { return registrations_; }

private:
    StandInSurface(Kind kind, int width, int height, int driver, int type, IDirect3DDevice9* device);
    bool ReadBack();

    Kind kind_;
    int width_;
    int height_;
    int driver_;
    int type_;
    IDirect3DDevice9* device_;
    IDirect3DTexture9* texture_ = nullptr;
    IDirect3DSurface9* readBack_ = nullptr;  // system-memory copy of the render target
    bool rendering_ = false;
    std::vector<std::function<void(Canvas&)>> pending_;
    std::vector<std::uint32_t> memory_;
    std::vector<std::pair<LostDeviceCallBack, LPARAM>> registrations_;
};

// The host's words of a cSurface, as the stand-in uses them: the state behind the surface and
// whether the surface owns it (the class grants this name access to its words).
class HostSurface {
public:
    static StandInSurface* Of(const cSurface& surface);
    static bool Owned(const cSurface& surface);
    static void Attach(cSurface& surface, StandInSurface* state, bool owned);
};
