// The state of the stand-in MMFS2.dll between Start and Stop: a hidden window with a real
// Direct3D 9 device on it, the window surfaces the run header names, the prototypes handed out,
// and the observer of service calls. One exists at a time, found through Current() by the
// services, which are free of any object the extension could pass.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "StandInHostApi.h"

class StandInSurface;

class StandInHost {
public:
    // Starts the one host; null, with the reason in LastError(), when one runs or the window
    // surfaces cannot be made. No device is not a failure: the reason is kept all the same.
    static StandInHost* Start(const StandInOptions& options);
    // Stops the running host, if any.
    static void Stop();
    static StandInHost* Current();
    static const char* LastError();

    ~StandInHost();
    StandInHost(const StandInHost&) = delete;
    StandInHost& operator=(const StandInHost&) = delete;

    IDirect3DDevice9* Device() const { return device_; }
    IDirect3DSurface9* BackBuffer() const { return backBuffer_; }
    cSurface* WindowSurface(int windowId);
    StandInSurface* WindowState(int windowId);
    // A prototype for surfaces of `type` drawn by `driver`; null unless render-target textures
    // of a Direct3D 9 device are asked for and there is a device.
    cSurface* Prototype(int depth, int type, int driver);
    void LoseDevice();
    int Registrations() const;

    // Every service call, for the observer.
    void Record(int ordinal, const std::string& text);
    void SetCallObserver(StandInCallObserver observer, void* user);
    // Constructions and destructions of surfaces by the extension (the host's own windows and
    // prototypes are made quietly).
    void SurfaceMade() { if (quiet_ == 0) ++liveSurfaces_; }
    void SurfaceGone() { if (quiet_ == 0) --liveSurfaces_; }
    int LiveSurfaces() const { return liveSurfaces_; }

private:
    struct Window;
    StandInHost() = default;
    bool MakeDevice(const StandInOptions& options);

    HWND window_ = nullptr;
    IDirect3D9* direct3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    IDirect3DSurface9* backBuffer_ = nullptr;
    std::vector<std::unique_ptr<Window>> windows_;
    std::vector<std::unique_ptr<cSurface>> prototypes_;
    StandInCallObserver observer_ = nullptr;
    void* observerUser_ = nullptr;
    int liveSurfaces_ = 0;
    int quiet_ = 0;
};
