#include "StandInHostApi.h"

#include "StandInHost.h"
#include "StandInSurface.h"

namespace {

bool Start(const StandInOptions* options) {
    return options != nullptr && StandInHost::Start(*options) != nullptr;
}

void Stop() {
    StandInHost::Stop();
}

const char* LastError() {
    return StandInHost::LastError();
}

cSurface* WindowSurface(int windowId) {
    StandInHost* host = StandInHost::Current();
    return host != nullptr ? host->WindowSurface(windowId) : nullptr;
}

std::uint32_t* WindowPixels(int windowId, int* width, int* height) {
    StandInHost* host = StandInHost::Current();
    StandInSurface* state = host != nullptr ? host->WindowState(windowId) : nullptr;
    if (state == nullptr) return nullptr;
    if (width != nullptr) *width = state->Width();
    if (height != nullptr) *height = state->Height();
    return state->Pixels();
}

IDirect3DDevice9* Device() {
    StandInHost* host = StandInHost::Current();
    return host != nullptr ? host->Device() : nullptr;
}

void LoseDevice() {
    if (StandInHost* host = StandInHost::Current()) host->LoseDevice();
}

int Registrations() {
    StandInHost* host = StandInHost::Current();
    return host != nullptr ? host->Registrations() : 0;
}

int LiveSurfaces() {
    StandInHost* host = StandInHost::Current();
    return host != nullptr ? host->LiveSurfaces() : 0;
}

void SetCallObserver(StandInCallObserver observer, void* user) {
    if (StandInHost* host = StandInHost::Current()) host->SetCallObserver(observer, user);
}

constexpr StandInHostApi kApi = {Start,        Stop,          LastError,    WindowSurface,
                                 WindowPixels, Device,        LoseDevice,   Registrations,
                                 LiveSurfaces, SetCallObserver};

}  // namespace

extern "C" const StandInHostApi* MobilantStandInHost() {
    return &kApi;
}
