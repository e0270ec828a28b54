#include "SoftwareTexture.h"

#include "SoftwareDevice.h"

SoftwareTexture::SoftwareTexture(SoftwareDevice& device, UINT width, UINT height, DWORD usage,
                                 D3DFORMAT format, D3DPOOL pool)
    : SoftwareCom(device, "Texture") {
    // Like Direct3D 9, a default-pool texture can be locked only when it is dynamic.
    const bool lockable = pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC) != 0;
    level_ = std::make_unique<SoftwareSurface>(device, width, height, format, usage, pool, lockable,
                                               this);
}

HRESULT SoftwareTexture::GetDevice(IDirect3DDevice9** ppDevice) {
    return Device().HandOut(Name(), ppDevice);
}

HRESULT SoftwareTexture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
    if (IsReleased() || Level != 0) return D3DERR_INVALIDCALL;
    return level_->GetDesc(pDesc);
}

HRESULT SoftwareTexture::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) {
    HRESULT result = D3D_OK;
    if (IsReleased() || Level != 0 || ppSurfaceLevel == nullptr) {
        result = D3DERR_INVALIDCALL;
        if (ppSurfaceLevel != nullptr) *ppSurfaceLevel = nullptr;
    } else {
        AddRef();  // the level shares the texture's count
        *ppSurfaceLevel = level_.get();
    }
    Device().Log(result, "%s.GetSurfaceLevel(%u)", Name(), Level);
    return result;
}

HRESULT SoftwareTexture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, CONST RECT* pRect,
                                  DWORD Flags) {
    HRESULT result = D3DERR_INVALIDCALL;
    if (Level == 0) {
        result = level_->Lock(pLockedRect, pRect);
    } else if (pLockedRect != nullptr) {
        *pLockedRect = {0, nullptr};
    }
    if (pRect != nullptr) {
        Device().Log(result, "%s.LockRect(%u, {%d, %d, %d, %d}, 0x%x)", Name(), Level, pRect->left,
                     pRect->top, pRect->right, pRect->bottom, Flags);
    } else {
        Device().Log(result, "%s.LockRect(%u, null, 0x%x)", Name(), Level, Flags);
    }
    return result;
}

HRESULT SoftwareTexture::UnlockRect(UINT Level) {
    const HRESULT result = Level == 0 ? level_->Unlock() : D3DERR_INVALIDCALL;
    Device().Log(result, "%s.UnlockRect(%u)", Name(), Level);
    return result;
}

void SoftwareTexture::DropContents() {
    level_->DropContents();
}
