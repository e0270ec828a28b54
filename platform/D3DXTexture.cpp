#include "D3DXTexture.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ImageDecoder.h"
#include "OpenFile.h"
#include "WideStrings.h"

namespace {

bool ReadWholeFile(const wchar_t* name, std::vector<unsigned char>& bytes) {
    std::FILE* file = OpenWideFile(name, "rb");
    if (file == nullptr) return false;
    unsigned char chunk[65536];
    bool ok = true;
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, file);
        if (bytes.size() + n > kMaxImageFileBytes) {
            ok = false;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (n < sizeof chunk) {
            ok = std::ferror(file) == 0;
            break;
        }
    }
    std::fclose(file);
    return ok;
}

bool SizeArgumentFits(UINT requested, UINT actual) {
    return requested == 0 || requested == D3DX_DEFAULT || requested == D3DX_DEFAULT_NONPOW2 ||
           requested == D3DX_FROM_FILE || requested == actual;
}

}  // namespace

HRESULT D3DXCreateTextureFromFileExW(IDirect3DDevice9* pDevice, LPCWSTR pSrcFile, UINT Width,
                                     UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                     D3DPOOL Pool, DWORD /*Filter*/, DWORD /*MipFilter*/,
                                     D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                     PALETTEENTRY* /*pPalette*/, IDirect3DTexture9** ppTexture) {
    if (ppTexture != nullptr) *ppTexture = nullptr;
    if (pDevice == nullptr || pSrcFile == nullptr || ppTexture == nullptr ||
        !(MipLevels == 0 || MipLevels == 1 || MipLevels == D3DX_DEFAULT) ||
        !(Format == D3DFMT_A8R8G8B8 || Format == D3DFMT_UNKNOWN ||
          static_cast<UINT>(Format) == D3DX_DEFAULT)) {
        return D3DERR_INVALIDCALL;
    }

    std::vector<unsigned char> file;
    DecodedImage image;
    if (!ReadWholeFile(pSrcFile, file) || !DecodeImage(file, kMaxTextureImageSize, image)) {
        return D3DXERR_INVALIDDATA;
    }
    if (!SizeArgumentFits(Width, image.width) || !SizeArgumentFits(Height, image.height)) {
        return D3DERR_INVALIDCALL;  // the image would have to be resampled
    }

    IDirect3DTexture9* texture = nullptr;
    HRESULT result = pDevice->CreateTexture(image.width, image.height, 1, Usage, D3DFMT_A8R8G8B8,
                                            Pool, &texture, nullptr);
    if (FAILED(result) || texture == nullptr) return FAILED(result) ? result : E_OUTOFMEMORY;

    D3DLOCKED_RECT locked{};
    result = texture->LockRect(0, &locked, nullptr, 0);
    if (FAILED(result) || locked.pBits == nullptr) {
        texture->Release();
        return FAILED(result) ? result : D3DERR_INVALIDCALL;
    }
    const D3DCOLOR* source = image.texels.data();
    for (UINT y = 0; y < image.height; ++y) {
        unsigned char* row = static_cast<unsigned char*>(locked.pBits) +
                             static_cast<std::ptrdiff_t>(y) * locked.Pitch;
        for (UINT x = 0; x < image.width; ++x) {
            const D3DCOLOR texel = (ColorKey != 0 && *source == ColorKey) ? 0 : *source;
            std::memcpy(row + 4 * x, &texel, sizeof texel);
            ++source;
        }
    }
    texture->UnlockRect(0);

    if (pSrcInfo != nullptr) {
        *pSrcInfo = {image.width,
                     image.height,
                     1,
                     1,
                     image.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8,
                     D3DRTYPE_TEXTURE,
                     image.fileFormat};
    }
    *ppTexture = texture;
    return D3D_OK;
}
