#include "StandInSurface.h"

#include <cstring>

#include "Canvas.h"
#include "HostRecords.h"
#include "Direct3DDevice.h"

StandInSurface::StandInSurface(Kind kind, int width, int height, int driver, int type,
                               IDirect3DDevice9* device)
    : kind_(kind), width_(width), height_(height), driver_(driver), type_(type), device_(device) {}

StandInSurface::~StandInSurface() {
    if (readBack_ != nullptr) readBack_->Release();
    if (texture_ != nullptr) texture_->Release();
}

StandInSurface* StandInSurface::MakeWindow(int width, int height, IDirect3DDevice9* device) {
    auto* surface = new StandInSurface(Kind::Window, width, height,
                                       device != nullptr ? HostRecords::kDriverDirect3D9 : 0, 0,
                                       device);
    surface->memory_.assign(static_cast<std::size_t>(width) * height, 0xFF000000u);
    return surface;
}

StandInSurface* StandInSurface::MakePrototype(int type, int driver, IDirect3DDevice9* device) {
    return new StandInSurface(Kind::Prototype, 0, 0, driver, type, device);
}

StandInSurface* StandInSurface::MakeFrom(const StandInSurface* prototype, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    if (prototype != nullptr &&
        prototype->type_ == HostRecords::kSurfaceTypeRenderTargetTexture &&
        prototype->device_ != nullptr) {
        IDirect3DDevice9* device = prototype->device_;
        IDirect3DTexture9* texture = nullptr;
        IDirect3DSurface9* readBack = nullptr;
        if (FAILED(device->CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height), 1,
                                         D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                         &texture, nullptr)) ||
            FAILED(device->CreateOffscreenPlainSurface(static_cast<UINT>(width),
                                                       static_cast<UINT>(height), D3DFMT_A8R8G8B8,
                                                       D3DPOOL_SYSTEMMEM, &readBack, nullptr))) {
            if (texture != nullptr) texture->Release();
            return nullptr;
        }
        auto* surface = new StandInSurface(Kind::RenderTarget, width, height, prototype->driver_,
                                           prototype->type_, device);
        surface->texture_ = texture;
        surface->readBack_ = readBack;
        surface->memory_.assign(static_cast<std::size_t>(width) * height, 0);
        return surface;
    }
    auto* surface = new StandInSurface(Kind::Memory, width, height, 0, 0, nullptr);
    surface->memory_.assign(static_cast<std::size_t>(width) * height, 0);
    return surface;
}

std::uint32_t* StandInSurface::Pixels() {
    return memory_.empty() ? nullptr : memory_.data();
}

bool StandInSurface::BeginRendering(bool clear, DWORD rgba, IDirect3DSurface9* backBuffer) {
    if (kind_ != Kind::RenderTarget || rendering_) return false;
    IDirect3DSurface9* level = nullptr;
    if (FAILED(texture_->GetSurfaceLevel(0, &level)) || level == nullptr) return false;
    const HRESULT set = device_->SetRenderTarget(0, level);
    level->Release();
    if (FAILED(set)) return false;
    D3DVIEWPORT9 viewport = {0, 0, static_cast<DWORD>(width_), static_cast<DWORD>(height_), 0.0f,
                             1.0f};
    device_->SetViewport(&viewport);
    ApplyModelDeviceStates(device_);  // the states the renderer expects of its host
    if (clear) device_->Clear(0, nullptr, D3DCLEAR_TARGET, rgba, 1.0f, 0);
    if (FAILED(device_->BeginScene())) {
        if (backBuffer != nullptr) device_->SetRenderTarget(0, backBuffer);
        return false;
    }
    rendering_ = true;
    return true;
}

bool StandInSurface::EndRendering(IDirect3DSurface9* backBuffer) {
    if (kind_ != Kind::RenderTarget || !rendering_) return false;
    rendering_ = false;
    device_->EndScene();
    // Back to the device's own surface, so the render target is free to be released.
    if (backBuffer != nullptr) device_->SetRenderTarget(0, backBuffer);
    const bool read = ReadBack();
    std::vector<std::function<void(Canvas&)>> pending;
    pending.swap(pending_);
    Canvas canvas(memory_.data(), width_, height_);
    for (const auto& draw : pending) draw(canvas);
    return read;
}

bool StandInSurface::ReadBack() {
    IDirect3DSurface9* level = nullptr;
    if (FAILED(texture_->GetSurfaceLevel(0, &level)) || level == nullptr) return false;
    const HRESULT copied = device_->GetRenderTargetData(level, readBack_);
    level->Release();
    if (FAILED(copied)) return false;
    D3DLOCKED_RECT locked = {};
    if (FAILED(readBack_->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return false;
    const auto* bytes = static_cast<const unsigned char*>(locked.pBits);
    for (int y = 0; y < height_; ++y)
        std::memcpy(memory_.data() + static_cast<std::size_t>(y) * width_,
                    bytes + static_cast<std::ptrdiff_t>(y) * locked.Pitch,
                    static_cast<std::size_t>(width_) * sizeof(std::uint32_t));
    readBack_->UnlockRect();
    return true;
}

bool StandInSurface::Draw(std::function<void(Canvas&)> draw) {
    if (memory_.empty()) return false;
    if (rendering_) {
        pending_.push_back(std::move(draw));
        return true;
    }
    Canvas canvas(memory_.data(), width_, height_);
    draw(canvas);
    return true;
}

StandInSurface* HostSurface::Of(const cSurface& surface) {
    return static_cast<StandInSurface*>(surface.words_[0]);
}

bool HostSurface::Owned(const cSurface& surface) {
    return surface.words_[1] != nullptr;
}

void HostSurface::Attach(cSurface& surface, StandInSurface* state, bool owned) {
    surface.words_[0] = state;
    surface.words_[1] = owned ? &surface : nullptr;
}
