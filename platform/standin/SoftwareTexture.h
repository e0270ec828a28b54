// A 2D texture of the software device with a single level.
#pragma once

#include <memory>

#include "SoftwareObject.h"
#include "SoftwareSurface.h"

class SoftwareTexture final : public SoftwareCom<IDirect3DTexture9> {
public:
    SoftwareTexture(SoftwareDevice& device, UINT width, UINT height, DWORD usage, D3DFORMAT format,
                    D3DPOOL pool);

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** ppDevice) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT Level,
                                              IDirect3DSurface9** ppSurfaceLevel) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, CONST RECT* pRect,
                                       DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT Level) override;

    SoftwareSurface& Level() { return *level_; }
    const SoftwareSurface& Level() const { return *level_; }

private:
    void DropContents() override;

    std::unique_ptr<SoftwareSurface> level_;
};
