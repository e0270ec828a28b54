// A host of our own that runs the extension without the game maker: it implements the surface
// services on the software Direct3D 9 device, the run header with its callbacks and parameter
// fetching, the records the extension reads, and a game loop that draws every instance into a
// frame buffer through the extension's render surface and the rotated, scaled blit.
//
// One host exists at a time (the surface services are free functions and find it through
// Current()). Everything runs on the calling thread, as in the game maker.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ExtensionEntryPoints.h"
#include "HostConventions.h"
#include "HostValue.h"

class cSurface;
class HostSurface;
class SoftwareDevice;
struct IDirect3DSurface9;

// One call of a surface service, as the host's log keeps it: its ordinal and a readable line.
struct ServiceCall {
    int ordinal = 0;
    std::string text;
};

class HeadlessHost {
public:
    struct Options {
        int frameWidth = 640;
        int frameHeight = 480;
        // False: the window surfaces are not Direct3D 9 (no device, no render targets).
        bool direct3D9 = true;
        std::uint32_t background = 0xFFE8EEF2;  // 0xAARRGGBB
        // The application runs inside a parent application that shows it as a sprite; the
        // object is then drawn on the parent's window surface.
        bool subApplication = false;
    };

    // Window ids of the run header.
    static constexpr int kFrameWindow = 1;
    static constexpr int kMainWindow = 2;
    static constexpr int kParentFrameWindow = 3;
    // Largest frame the host makes.
    static constexpr int kMaxFrameSize = 16384;
    static constexpr std::int64_t kMaxFramePixels = std::int64_t{1} << 26;

    // Starts the application (StartApp). Throws std::invalid_argument for a frame size
    // outside 1..kMaxFrameSize or beyond kMaxFramePixels, or incomplete entry points, and
    // std::logic_error when another host exists.
    HeadlessHost(const ExtensionEntryPoints& extension, const Options& options);
    // Ends the application if End has not (destroying every instance first).
    ~HeadlessHost();
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    // The host that exists, or null.
    static HeadlessHost* Current();

    // Creates an instance at frame position (x, y) whose edit data says width x height;
    // returns its number (from 0, never reused), or -1 when the application has ended.
    int Create(int x, int y, int width, int height);
    // Destroys instance `number`; false when there is no such live instance.
    bool Destroy(int number);
    bool Exists(int number) const;
    // The live instances' numbers in creation order.
    std::vector<int> Instances() const;
    // The run data of a live instance, or null.
    RunData* RunDataOf(int number);

    // One game loop: the frame cleared to its background, HandleRunObject for every instance
    // in creation order, then DisplayRunObject for every instance.
    void Loop();
    // Runs action `code` on an instance with `parameters`; false for an unknown instance or
    // code.
    bool Action(int number, int code, const std::vector<HostValue>& parameters);
    // Runs expression `code`; false for an unknown instance or code.
    bool Expression(int number, int code, const std::vector<HostValue>& parameters,
                    ExpressionValue& result);
    // Calls every lost-device registration of every window surface, as a host whose device
    // was lost does.
    void LoseDevice();
    // Makes the next call of service `ordinal` by the extension fire LoseDevice first.
    void LoseDeviceOnNextCall(int ordinal) { loseDeviceOn_ = ordinal; }
    // Destroys every instance and ends the application (EndApp). Idempotent.
    void End();

    // The frame buffer: FrameWidth() x FrameHeight() pixels 0xAARRGGBB, row by row.
    std::vector<std::uint32_t> Frame() const;
    int FrameWidth() const { return options_.frameWidth; }
    int FrameHeight() const { return options_.frameHeight; }
    // The parent application's frame (only with Options::subApplication, else empty).
    std::vector<std::uint32_t> ParentFrame() const;

    // The run header all instances share, and how many parameters the last action or
    // expression fetched (for tests).
    void* RunHeaderRecord() { return runHeader_.data(); }
    std::size_t ParametersFetched() const { return parametersFetched_; }

    // Surface services called so far, oldest first.
    const std::vector<ServiceCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    std::vector<int> CalledOrdinals() const;

    // The device the window surfaces draw with (null without Direct3D 9).
    SoftwareDevice* Device() const { return device_; }
    // Lost-device registrations on all window surfaces.
    std::size_t Registrations() const;
    // Surfaces the extension holds (constructed and not yet destroyed).
    int LiveExtensionSurfaces() const { return liveSurfaces_; }

    // --- For the surface services and the callbacks ---

    // Logs a service call; fires a pending device loss for `ordinal`.
    void Record(int ordinal, std::string text);
    // Directs the device's drawing back to its own surface.
    void RestoreBackBuffer();
    cSurface* WindowSurface(int windowId);
    cSurface* Prototype(int depth, int type, int driver);
    void SurfaceMade() {
        if (quiet_ == 0) ++liveSurfaces_;
    }
    void SurfaceGone() {
        if (quiet_ == 0) --liveSurfaces_;
    }
    // The next action parameter, fetched as `kind`.
    LRESULT NextActionParameter(WPARAM kind);
    // The first or next expression parameter, fetched as `kind`.
    LRESULT ExpressionParameter(bool first, WPARAM kind);

private:
    struct Instance;
    struct Window;
    class Quiet;
    struct ParameterFrame;
    class ParameterScope;

    Instance* Find(int number);
    const Instance* Find(int number) const;
    void UpdateDisplayRectangle(Instance& instance);
    LRESULT HandOver(const HostValue& value, WPARAM kind);

    ExtensionEntryPoints extension_;
    Options options_;
    SoftwareDevice* device_ = nullptr;
    IDirect3DSurface9* backBuffer_ = nullptr;
    std::vector<std::unique_ptr<Window>> windows_;
    std::vector<std::unique_ptr<cSurface>> prototypes_;
    std::vector<unsigned char> runHeader_;
    std::vector<unsigned char> application_;
    std::vector<unsigned char> parentApplication_;
    std::vector<unsigned char> objectInfo_;
    ActionRoutine* actions_ = nullptr;
    ExpressionRoutine* expressions_ = nullptr;
    int actionCount_ = 0;
    int expressionCount_ = 0;
    std::size_t runDataSize_ = 0;
    std::size_t editDataSize_ = 0;
    std::vector<std::unique_ptr<Instance>> instances_;
    int nextNumber_ = 0;
    bool ended_ = false;

    std::vector<std::unique_ptr<ParameterFrame>> parameterFrames_;
    std::size_t parametersFetched_ = 0;

    std::vector<ServiceCall> calls_;
    int loseDeviceOn_ = 0;
    int liveSurfaces_ = 0;
    int quiet_ = 0;  // the host's own surface work is not the extension's: not logged
};
