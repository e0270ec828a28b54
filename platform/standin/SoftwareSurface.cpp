#include "SoftwareSurface.h"

#include "SoftwareDevice.h"
#include "SoftwareTexture.h"

SoftwareSurface::SoftwareSurface(SoftwareDevice& device, UINT width, UINT height, D3DFORMAT format,
                                 DWORD usage, D3DPOOL pool, bool lockable,
                                 SoftwareTexture* container)
    : SoftwareCom(device, "Surface"),
      pixels_(static_cast<size_t>(width) * height),
      width_(width),
      height_(height),
      format_(format),
      usage_(usage),
      pool_(pool),
      lockable_(lockable),
      container_(container) {
    // A texture level lives and dies with its texture.
    if (container_ != nullptr) MakeDeviceOwned();
}

ULONG SoftwareSurface::AddRef() {
    return container_ != nullptr ? container_->AddRef() : AddPublicReference();
}

ULONG SoftwareSurface::Release() {
    return container_ != nullptr ? container_->Release() : ReleasePublicReference();
}

SoftwareObject& SoftwareSurface::Owner() {
    return container_ != nullptr ? static_cast<SoftwareObject&>(*container_) : *this;
}

bool SoftwareSurface::Unusable() const {
    return container_ != nullptr ? container_->IsReleased() : IsReleased();
}

HRESULT SoftwareSurface::GetDevice(IDirect3DDevice9** ppDevice) {
    return Device().HandOut(Name(), ppDevice);
}

HRESULT SoftwareSurface::GetDesc(D3DSURFACE_DESC* pDesc) {
    if (Unusable() || pDesc == nullptr) return D3DERR_INVALIDCALL;
    *pDesc = {format_, D3DRTYPE_SURFACE, usage_, pool_, D3DMULTISAMPLE_NONE, 0, width_, height_};
    return D3D_OK;
}

HRESULT SoftwareSurface::Lock(D3DLOCKED_RECT* pLockedRect, const RECT* pRect) {
    if (pLockedRect != nullptr) *pLockedRect = {0, nullptr};
    if (Unusable() || pLockedRect == nullptr || !lockable_ || locked_ || pixels_.empty()) {
        return D3DERR_INVALIDCALL;
    }
    LONG left = 0;
    LONG top = 0;
    if (pRect != nullptr) {
        if (pRect->left < 0 || pRect->top < 0 || pRect->left >= pRect->right ||
            pRect->top >= pRect->bottom || static_cast<UINT>(pRect->right) > width_ ||
            static_cast<UINT>(pRect->bottom) > height_) {
            return D3DERR_INVALIDCALL;
        }
        left = pRect->left;
        top = pRect->top;
    }
    pLockedRect->Pitch = static_cast<INT>(width_ * sizeof(D3DCOLOR));
    pLockedRect->pBits = pixels_.data() + static_cast<size_t>(top) * width_ + left;
    locked_ = true;
    return D3D_OK;
}

HRESULT SoftwareSurface::Unlock() {
    if (Unusable() || !locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return D3D_OK;
}

HRESULT SoftwareSurface::LockRect(D3DLOCKED_RECT* pLockedRect, CONST RECT* pRect, DWORD Flags) {
    const HRESULT result = Lock(pLockedRect, pRect);
    if (pRect != nullptr) {
        Device().Log(result, "%s.LockRect({%d, %d, %d, %d}, 0x%x)", Name(), pRect->left, pRect->top,
                     pRect->right, pRect->bottom, Flags);
    } else {
        Device().Log(result, "%s.LockRect(null, 0x%x)", Name(), Flags);
    }
    return result;
}

HRESULT SoftwareSurface::UnlockRect() {
    const HRESULT result = Unlock();
    Device().Log(result, "%s.UnlockRect()", Name());
    return result;
}

void SoftwareSurface::DropContents() {
    pixels_.clear();
    pixels_.shrink_to_fit();
    locked_ = false;
}
