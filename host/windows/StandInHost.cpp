#include "StandInHost.h"

#include "HostRecords.h"
#include "StandInSurface.h"
#include "cSurface.h"

namespace {

StandInHost* current = nullptr;
std::string lastError;

constexpr int kMaxFrameSize = 16384;

}  // namespace

struct StandInHost::Window {
    int id = 0;
    std::unique_ptr<StandInSurface> state;
    std::unique_ptr<cSurface> surface;
};

StandInHost* StandInHost::Start(const StandInOptions& options) {
    if (current != nullptr) {
        lastError = "the stand-in host is already running";
        return nullptr;
    }
    if (options.frameWidth < 1 || options.frameHeight < 1 || options.frameWidth > kMaxFrameSize ||
        options.frameHeight > kMaxFrameSize || options.windowCount < 1 ||
        options.windowCount > StandInHostApi::kMaxWindows) {
        lastError = "frame size or window count out of range";
        return nullptr;
    }
    lastError.clear();
    std::unique_ptr<StandInHost> host(new StandInHost());
    ++host->quiet_;
    if (options.direct3D9) host->MakeDevice(options);
    for (int i = 0; i < options.windowCount; ++i) {
        auto window = std::make_unique<Window>();
        window->id = options.windowIds[i];
        window->state.reset(
            StandInSurface::MakeWindow(options.frameWidth, options.frameHeight, host->device_));
        window->surface = std::make_unique<cSurface>();
        HostSurface::Attach(*window->surface, window->state.get(), false);
        host->windows_.push_back(std::move(window));
    }
    --host->quiet_;
    current = host.release();
    return current;
}

void StandInHost::Stop() {
    delete current;
    current = nullptr;
}

StandInHost* StandInHost::Current() {
    return current;
}

const char* StandInHost::LastError() {
    return lastError.c_str();
}

bool StandInHost::MakeDevice(const StandInOptions& options) {
    // Made as the game maker makes its own: a HAL device with software vertex processing on a
    // window of the frame's size, without D3DCREATE_FPU_PRESERVE unless asked.
    window_ = CreateWindowW(L"STATIC", L"MMFS2 stand-in", WS_OVERLAPPEDWINDOW, 0, 0,
                            options.frameWidth, options.frameHeight, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) {
        lastError = "no window for the device";
        return false;
    }
    direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    if (direct3d_ == nullptr) {
        lastError = "Direct3DCreate9 failed";
        return false;
    }
    D3DPRESENT_PARAMETERS present = {};
    present.Windowed = TRUE;
    present.SwapEffect = D3DSWAPEFFECT_DISCARD;
    present.BackBufferFormat = D3DFMT_UNKNOWN;
    present.BackBufferWidth = static_cast<UINT>(options.frameWidth);
    present.BackBufferHeight = static_cast<UINT>(options.frameHeight);
    present.hDeviceWindow = window_;
    DWORD flags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    if (options.preserveFpu) flags |= D3DCREATE_FPU_PRESERVE;
    if (FAILED(direct3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_, flags,
                                       &present, &device_)) ||
        device_ == nullptr) {
        device_ = nullptr;
        lastError = "CreateDevice failed";
        return false;
    }
    device_->GetRenderTarget(0, &backBuffer_);
    return true;
}

StandInHost::~StandInHost() {
    ++quiet_;
    prototypes_.clear();
    windows_.clear();
    if (backBuffer_ != nullptr) backBuffer_->Release();
    if (device_ != nullptr) device_->Release();
    if (direct3d_ != nullptr) direct3d_->Release();
    if (window_ != nullptr) DestroyWindow(window_);
}

cSurface* StandInHost::WindowSurface(int windowId) {
    for (auto& window : windows_)
        if (window->id == windowId) return window->surface.get();
    return nullptr;
}

StandInSurface* StandInHost::WindowState(int windowId) {
    for (auto& window : windows_)
        if (window->id == windowId) return window->state.get();
    return nullptr;
}

cSurface* StandInHost::Prototype(int depth, int type, int driver) {
    if (depth <= 0 || type != HostRecords::kSurfaceTypeRenderTargetTexture ||
        driver != HostRecords::kDriverDirect3D9 || device_ == nullptr)
        return nullptr;
    if (prototypes_.empty()) {
        ++quiet_;
        auto prototype = std::make_unique<cSurface>();
        HostSurface::Attach(*prototype, StandInSurface::MakePrototype(type, driver, device_), true);
        prototypes_.push_back(std::move(prototype));
        --quiet_;
    }
    return prototypes_.front().get();
}

void StandInHost::LoseDevice() {
    for (auto& window : windows_) {
        // A copy: a callback may register or unregister.
        const auto registrations = window->state->Registrations();
        for (const auto& [callback, user] : registrations) callback(window->surface.get(), user);
    }
}

int StandInHost::Registrations() const {
    int count = 0;
    for (const auto& window : windows_)
        count += static_cast<int>(window->state->Registrations().size());
    return count;
}

void StandInHost::Record(int ordinal, const std::string& text) {
    if (quiet_ == 0 && observer_ != nullptr) observer_(ordinal, text.c_str(), observerUser_);
}

void StandInHost::SetCallObserver(StandInCallObserver observer, void* user) {
    observer_ = observer;
    observerUser_ = user;
}
