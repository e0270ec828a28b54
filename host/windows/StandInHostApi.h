// What our stand-in MMFS2.dll offers the programs that play the host: starting and stopping its
// window surfaces and Direct3D 9 device, the frame buffers, the lost-device registrations and a
// log of the services the extension calls. The host's own services are the ordinals of
// platform/MMFS2.def; this table is the one named export beside them, MobilantStandInHost.
#pragma once

#include <cstdint>

#include <windows.h>
// windows.h before d3d9.h
#include <d3d9.h>

class cSurface;

struct StandInOptions {
    int frameWidth = 640;
    int frameHeight = 480;
    // False: the window surfaces are not Direct3D 9 (no device, no render targets).
    bool direct3D9 = true;
    // Keep the x87 unit as it is when the device is made (D3DCREATE_FPU_PRESERVE). The game
    // maker does not, so its extensions run with the x87 unit in single precision.
    bool preserveFpu = false;
    // Ids of the window surfaces, each frameWidth x frameHeight (at most kMaxWindows).
    int windowIds[4] = {1, 0, 0, 0};
    int windowCount = 1;
};

// Called for every service the extension calls: its ordinal and a readable line.
using StandInCallObserver = void (*)(int ordinal, const char* text, void* user);

struct StandInHostApi {
    static constexpr int kMaxWindows = 4;

    // Makes the window surfaces and, when asked and possible, the device. False, with the
    // reason in LastError, when the surfaces cannot be made or a start is already running.
    bool (*Start)(const StandInOptions* options);
    // Releases everything Start made. The extension's own surfaces must be gone by then.
    void (*Stop)();
    // Why the last Start failed, or why there is no device.
    const char* (*LastError)();
    // The surface of window `windowId`, or null.
    cSurface* (*WindowSurface)(int windowId);
    // The frame buffer of window `windowId` (0xAARRGGBB, row by row) and its size; null for an
    // unknown window.
    std::uint32_t* (*WindowPixels)(int windowId, int* width, int* height);
    // The device, or null.
    IDirect3DDevice9* (*Device)();
    // Calls every lost-device registration of every window surface, as a host whose device was
    // lost does.
    void (*LoseDevice)();
    // Lost-device registrations on all window surfaces.
    int (*Registrations)();
    // Surfaces the extension constructed and has not destroyed.
    int (*LiveSurfaces)();
    // Sets (null: removes) the observer of service calls.
    void (*SetCallObserver)(StandInCallObserver observer, void* user);
};

// The table, exported by name from the stand-in MMFS2.dll.
extern "C" const StandInHostApi* MobilantStandInHost();
using MobilantStandInHostFunction = const StandInHostApi* (*)();
inline constexpr const char* kStandInHostExport = "MobilantStandInHost";
