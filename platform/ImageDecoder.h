// Decoding of image files held in memory, for the texture loader.
#pragma once

#include <d3d9.h>

#include <cstddef>
#include <span>
#include <vector>

#include "D3DXTexture.h"

// Files larger than this are no images a game could use (stb_image takes int lengths).
inline constexpr std::size_t kMaxImageFileBytes = 256u << 20;

// A decoded image: texels as 0xAARRGGBB words, row by row from the top.
struct DecodedImage {
    UINT width = 0;
    UINT height = 0;
    bool hasAlpha = false;  // the file stores an alpha channel
    D3DXIMAGE_FILEFORMAT fileFormat = D3DXIFF_PNG;
    std::vector<D3DCOLOR> texels;
};

// Decodes a whole PNG, BMP, TGA or JPEG file. False when the data is not a
// complete image of one of those kinds, or is wider or taller than `maxSize`
// (checked from the header, before anything is decoded).
bool DecodeImage(std::span<const unsigned char> file, UINT maxSize, DecodedImage& out);
