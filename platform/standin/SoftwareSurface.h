// A 32-bit surface of the software device: a render target, an off-screen plain
// surface, or the level of a texture (which shares its texture's reference count).
#pragma once

#include <vector>

#include "SoftwareObject.h"

class SoftwareTexture;

class SoftwareSurface final : public SoftwareCom<IDirect3DSurface9> {
public:
    // Formats the device can draw to and sample from.
    static bool SupportedFormat(D3DFORMAT format) {
        return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
    }

    // A surface of width x height pixels, cleared to 0. `container` is the texture
    // this surface is a level of, or null.
    SoftwareSurface(SoftwareDevice& device, UINT width, UINT height, D3DFORMAT format, DWORD usage,
                    D3DPOOL pool, bool lockable, SoftwareTexture* container);

    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice9** ppDevice) override;
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* pDesc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* pLockedRect, CONST RECT* pRect,
                                       DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;

    // The object whose references and bindings keep this surface alive.
    SoftwareObject& Owner();
    // True when the surface (or its texture) has no public reference left.
    bool Unusable() const;

    UINT Width() const { return width_; }
    UINT Height() const { return height_; }
    D3DFORMAT Format() const { return format_; }
    bool HasAlpha() const { return format_ == D3DFMT_A8R8G8B8; }
    bool IsLocked() const { return locked_; }
    bool IsRenderTarget() const { return (usage_ & D3DUSAGE_RENDERTARGET) != 0; }
    D3DPOOL Pool() const { return pool_; }

    // Pixels as 0xAARRGGBB words, row by row; empty once dropped.
    D3DCOLOR* Pixels() { return pixels_.data(); }
    const D3DCOLOR* Pixels() const { return pixels_.data(); }

    // Surface-level lock shared with the texture's LockRect (which logs by itself).
    HRESULT Lock(D3DLOCKED_RECT* pLockedRect, const RECT* pRect);
    HRESULT Unlock();

    void DropContents() override;

private:
    std::vector<D3DCOLOR> pixels_;
    UINT width_;
    UINT height_;
    D3DFORMAT format_;
    DWORD usage_;
    D3DPOOL pool_;
    bool lockable_;
    bool locked_ = false;
    SoftwareTexture* container_;
};
