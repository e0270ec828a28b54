#include "D3DXTexture.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "StbImage.h"
#include "WideStrings.h"

namespace {

// Files larger than this are not images the game could use.
constexpr std::size_t kMaxFileBytes = 256u << 20;

std::FILE* OpenWide(const wchar_t* name) {
#ifdef _WIN32
    return _wfopen(name, L"rb");
#else
    std::string narrow;
    if (!NarrowFileName(name, narrow)) return nullptr;
    return std::fopen(narrow.c_str(), "rb");
#endif
}

bool ReadWholeFile(const wchar_t* name, std::vector<unsigned char>& bytes) {
    std::FILE* file = OpenWide(name);
    if (file == nullptr) return false;
    unsigned char chunk[65536];
    bool ok = true;
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, file);
        if (bytes.size() + n > kMaxFileBytes) {
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

D3DXIMAGE_FILEFORMAT DetectFormat(const std::vector<unsigned char>& b) {
    if (b.size() >= 4 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G') {
        return D3DXIFF_PNG;
    }
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return D3DXIFF_BMP;
    if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xD8) return D3DXIFF_JPG;
    return D3DXIFF_TGA;  // TGA has no signature
}

std::uint32_t Little16(const std::vector<unsigned char>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}

std::uint32_t Little32(const std::vector<unsigned char>& b, std::size_t at) {
    return Little16(b, at) | (Little16(b, at + 2) << 16);
}

// stb_image reads past the end of a file as zeros instead of failing, so a
// truncated file would load as a damaged picture. These checks make sure the
// file holds all the data its headers announce.
bool HoldsPngChunks(const std::vector<unsigned char>& b) {
    // Every chunk whole (length, type, data, checksum) up to and including IEND.
    for (std::uint64_t at = 8; at + 12 <= b.size();) {
        const std::uint64_t length =
            (std::uint64_t{b[at]} << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
        if (at + 12 + length > b.size()) return false;
        if (std::memcmp(&b[at + 4], "IEND", 4) == 0) return true;
        at += 12 + length;
    }
    return false;
}

bool HoldsBmpPixels(const std::vector<unsigned char>& b, std::uint64_t width,
                    std::uint64_t height) {
    if (b.size() < 30) return false;
    const std::uint32_t headerSize = Little32(b, 14);
    const std::uint64_t bitsPerPixel = headerSize == 12 ? Little16(b, 24) : Little16(b, 28);
    const std::uint64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    return Little32(b, 10) + rowBytes * height <= b.size();
}

bool HoldsTgaPixels(const std::vector<unsigned char>& b, std::uint64_t width,
                    std::uint64_t height) {
    if (b.size() < 18) return false;
    const std::uint64_t pixelBytes = (b[16] + 7u) / 8;
    std::uint64_t at = 18 + b[0];
    if (b[1] == 1) at += Little16(b, 5) * std::uint64_t{(b[7] + 7u) / 8};  // colour map
    const std::uint64_t pixels = width * height;
    if (b[2] < 8) return at + pixels * pixelBytes <= b.size();
    // Run-length packets: a header byte, then one pixel for a run or `count` raw pixels.
    for (std::uint64_t done = 0; done < pixels;) {
        if (at >= b.size()) return false;
        const unsigned header = b[at++];
        const std::uint64_t count = (header & 0x7F) + 1;
        at += (header & 0x80) ? pixelBytes : count * pixelBytes;
        if (at > b.size()) return false;
        done += count;
    }
    return true;
}

bool HoldsJpegEnd(const std::vector<unsigned char>& b) {
    // The end-of-image marker must follow the first scan: entropy-coded data
    // never holds 0xFF 0xD9, since 0xFF bytes are stuffed there.
    std::size_t at = 2;
    while (at + 1 < b.size() && !(b[at] == 0xFF && b[at + 1] == 0xDA))
        ++at;
    for (at += 2; at + 1 < b.size(); ++at) {
        if (b[at] == 0xFF && b[at + 1] == 0xD9) return true;
    }
    return false;
}

bool HoldsWholeImage(const std::vector<unsigned char>& file, D3DXIMAGE_FILEFORMAT format, int width,
                     int height) {
    switch (format) {
        case D3DXIFF_BMP:
            return HoldsBmpPixels(file, width, height);
        case D3DXIFF_TGA:
            return HoldsTgaPixels(file, width, height);
        case D3DXIFF_JPG:
            return HoldsJpegEnd(file);
        default:
            return HoldsPngChunks(file);
    }
}

bool SizeArgumentFits(UINT requested, int actual) {
    return requested == 0 || requested == D3DX_DEFAULT || requested == D3DX_DEFAULT_NONPOW2 ||
           requested == D3DX_FROM_FILE || requested == static_cast<UINT>(actual);
}

struct PixelsDeleter {
    void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

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
    if (!ReadWholeFile(pSrcFile, file) || file.empty()) return D3DXERR_INVALIDDATA;
    const int length = static_cast<int>(file.size());

    // The header alone says how large the image is: refuse before decoding.
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!stbi_info_from_memory(file.data(), length, &width, &height, &channels) || width <= 0 ||
        height <= 0 || width > static_cast<int>(kMaxTextureImageSize) ||
        height > static_cast<int>(kMaxTextureImageSize)) {
        return D3DXERR_INVALIDDATA;
    }
    if (!SizeArgumentFits(Width, width) || !SizeArgumentFits(Height, height)) {
        return D3DERR_INVALIDCALL;
    }
    const D3DXIMAGE_FILEFORMAT fileFormat = DetectFormat(file);
    if (!HoldsWholeImage(file, fileFormat, width, height)) return D3DXERR_INVALIDDATA;

    int decodedWidth = 0;
    int decodedHeight = 0;
    std::unique_ptr<stbi_uc, PixelsDeleter> rgba(
        stbi_load_from_memory(file.data(), length, &decodedWidth, &decodedHeight, &channels, 4));
    if (rgba == nullptr || decodedWidth != width || decodedHeight != height) {
        return D3DXERR_INVALIDDATA;
    }

    IDirect3DTexture9* texture = nullptr;
    HRESULT result = pDevice->CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height), 1,
                                            Usage, D3DFMT_A8R8G8B8, Pool, &texture, nullptr);
    if (FAILED(result) || texture == nullptr) return FAILED(result) ? result : E_OUTOFMEMORY;

    D3DLOCKED_RECT locked{};
    result = texture->LockRect(0, &locked, nullptr, 0);
    if (FAILED(result) || locked.pBits == nullptr) {
        texture->Release();
        return FAILED(result) ? result : D3DERR_INVALIDCALL;
    }
    for (int y = 0; y < height; ++y) {
        const stbi_uc* source = rgba.get() + static_cast<std::size_t>(y) * width * 4;
        unsigned char* row = static_cast<unsigned char*>(locked.pBits) +
                             static_cast<std::ptrdiff_t>(y) * locked.Pitch;
        for (int x = 0; x < width; ++x, source += 4) {
            D3DCOLOR texel = D3DCOLOR_ARGB(source[3], source[0], source[1], source[2]);
            if (ColorKey != 0 && texel == ColorKey) texel = 0;
            std::memcpy(row + 4 * x, &texel, sizeof texel);
        }
    }
    texture->UnlockRect(0);

    if (pSrcInfo != nullptr) {
        const bool alpha = channels == 2 || channels == 4;
        *pSrcInfo = {static_cast<UINT>(width),
                     static_cast<UINT>(height),
                     1,
                     1,
                     alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8,
                     D3DRTYPE_TEXTURE,
                     fileFormat};
    }
    *ppTexture = texture;
    return D3D_OK;
}
