#include "HostSurface.h"

#include "HostRecords.h"
#include "SoftwareTexture.h"

HostSurface::HostSurface(Kind kind, int width, int height, int driver, int type,
                         IDirect3DDevice9* device)
    : kind_(kind), width_(width), height_(height), driver_(driver), type_(type), device_(device) {}

HostSurface::~HostSurface() {
    if (texture_ != nullptr) texture_->Release();
}

HostSurface* HostSurface::MakeWindow(int width, int height, IDirect3DDevice9* device) {
    auto* surface = new HostSurface(Kind::Window, width, height,
                                    device != nullptr ? HostRecords::kDriverDirect3D9 : 0, 0,
                                    device);
    surface->memory_.assign(static_cast<std::size_t>(width) * height, 0xFF000000u);
    return surface;
}

HostSurface* HostSurface::MakePrototype(int type, int driver, IDirect3DDevice9* device) {
    return new HostSurface(Kind::Prototype, 0, 0, driver, type, device);
}

HostSurface* HostSurface::MakeFrom(const HostSurface* prototype, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    if (prototype != nullptr && prototype->type_ == HostRecords::kSurfaceTypeRenderTargetTexture &&
        prototype->device_ != nullptr) {
        IDirect3DTexture9* texture = nullptr;
        if (FAILED(prototype->device_->CreateTexture(static_cast<UINT>(width),
                                                     static_cast<UINT>(height), 1,
                                                     D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                                     D3DPOOL_DEFAULT, &texture, nullptr)) ||
            texture == nullptr)
            return nullptr;
        auto* surface = new HostSurface(Kind::RenderTarget, width, height, prototype->driver_,
                                        prototype->type_, prototype->device_);
        surface->texture_ = texture;
        return surface;
    }
    auto* surface = new HostSurface(Kind::Memory, width, height, 0, 0, nullptr);
    surface->memory_.assign(static_cast<std::size_t>(width) * height, 0);
    return surface;
}

std::uint32_t* HostSurface::Pixels() {
    if (texture_ != nullptr) return static_cast<SoftwareTexture*>(texture_)->Level().Pixels();
    return memory_.empty() ? nullptr : memory_.data();
}

HostSurface* HostSurface::Of(const cSurface& surface) {
    return static_cast<HostSurface*>(surface.words_[0]);
}

bool HostSurface::Owned(const cSurface& surface) {
    return surface.words_[1] != nullptr;
}

void HostSurface::Attach(cSurface& surface, HostSurface* state, bool owned) {
    surface.words_[0] = state;
    surface.words_[1] = owned ? &surface : nullptr;
}
