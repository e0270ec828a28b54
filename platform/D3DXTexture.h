// Texture loading in place of D3DX's D3DXCreateTextureFromFileExW, with the same
// name and parameters, used on every platform (so the shipped plug-in needs no
// D3DX redistributable). PNG, BMP, TGA and JPEG files are decoded by stb_image.
#pragma once

#include <d3d9.h>

#define D3DX_DEFAULT ((UINT)-1)
#define D3DX_DEFAULT_NONPOW2 ((UINT)-2)
#define D3DX_FROM_FILE ((UINT)-3)

#define D3DX_FILTER_NONE 0x00000001
#define D3DX_FILTER_POINT 0x00000002
#define D3DX_FILTER_LINEAR 0x00000003
#define D3DX_FILTER_TRIANGLE 0x00000004
#define D3DX_FILTER_BOX 0x00000005

// D3DX's "the data is invalid" result.
inline constexpr HRESULT D3DXERR_INVALIDDATA = MAKE_HRESULT(1, 0x876, 2905);

// Largest image width or height the loader accepts.
inline constexpr UINT kMaxTextureImageSize = 16384;

enum D3DXIMAGE_FILEFORMAT {
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6,
    D3DXIFF_HDR = 7,
    D3DXIFF_PFM = 8,
    D3DXIFF_FORCE_DWORD = 0x7fffffff
};

struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

// Loads the image file `pSrcFile` into a new texture of `pDevice` with one
// level, of the image's own size, in D3DFMT_A8R8G8B8, with `Usage` and `Pool`,
// created through CreateTexture and filled through LockRect. Texels whose ARGB
// equals a non-zero `ColorKey` become transparent black. Fills `pSrcInfo` when
// given. Width and Height must be 0, D3DX_DEFAULT, D3DX_DEFAULT_NONPOW2,
// D3DX_FROM_FILE or the image's size (nothing is resampled); MipLevels 0, 1 or
// D3DX_DEFAULT; Format D3DFMT_A8R8G8B8, D3DFMT_UNKNOWN or D3DX_DEFAULT. `Filter`,
// `MipFilter` and `pPalette` are ignored.
//
// A missing, unreadable, truncated or unknown file, or one wider or taller than
// kMaxTextureImageSize (checked from its header before decoding), returns
// D3DXERR_INVALIDDATA; *ppTexture is null after every failure.
HRESULT D3DXCreateTextureFromFileExW(IDirect3DDevice9* pDevice, LPCWSTR pSrcFile, UINT Width,
                                     UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                     D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                     D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                     IDirect3DTexture9** ppTexture);
