#include "TexturePool.h"

#include "D3DXTexture.h"
#include "Direct3DDevice.h"
#include "MessageBoxes.h"

IDirect3DTexture9* TexturePool::slots[TexturePool::kSlots] = {};

namespace {

constexpr const wchar_t* kCaption = L"mobilant animation ext";

}  // namespace

IDirect3DTexture9** TexturePool::Slot(int id) {
    const auto index = static_cast<std::uint32_t>(id);
    return index < kSlots ? &slots[index] : nullptr;
}

void TexturePool::Load(int id, const wchar_t* fileName) {
    IDirect3DTexture9** slot = Slot(id);
    if (slot == nullptr) return;
    Release(id);
    if (d3dDevice == nullptr) {
        ShowMessageBox(L"D3D9 device NULL", kCaption);
        return;
    }
    const HRESULT result = D3DXCreateTextureFromFileExW(
        d3dDevice, fileName, D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
        D3DX_FILTER_POINT, D3DX_DEFAULT, 0, nullptr, nullptr, slot);
    // Both must agree: a loader that reports failure yet hands out a texture has not loaded it.
    if (FAILED(result) || *slot == nullptr) {
        if (*slot != nullptr) {
            (*slot)->Release();
            *slot = nullptr;
        }
        ShowMessageBox(L"texture load failed", kCaption);
    }
}

void TexturePool::Release(int id) {
    IDirect3DTexture9** slot = Slot(id);
    if (slot == nullptr || *slot == nullptr) return;
    (*slot)->Release();
    *slot = nullptr;
}

void TexturePool::ReleaseAll() {
    for (IDirect3DTexture9*& slot : slots) {
        if (slot != nullptr) {
            slot->Release();
            slot = nullptr;
        }
    }
}

void LoadTexturePool(int id, const wchar_t* fileName) {
    TexturePool::Load(id, fileName);
}

void ReleaseTexturePool(int id) {
    TexturePool::Release(id);
}
