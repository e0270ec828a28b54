#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <string>
#include <vector>

#include "D3DXTexture.h"
#include "HostDevice.h"
#include "WideStrings.h"

namespace {

namespace fs = std::filesystem;

// The committed 3 x 2 image (red, half-transparent green, clear blue / white, black, a dim
// blue) as the texture must hold it, 0xAARRGGBB.
const std::vector<D3DCOLOR> committedTexels = {0xFFFF0000, 0x8000FF00, 0x000000FF,
                                               0xFFFFFFFF, 0xFF000000, 0xC8123456};

std::vector<D3DCOLOR> texelsOf(IDirect3DTexture9* texture, const D3DSURFACE_DESC& desc) {
    std::vector<D3DCOLOR> texels;
    D3DLOCKED_RECT locked;
    if (texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) return texels;
    for (UINT y = 0; y < desc.Height; ++y) {
        const auto* row = reinterpret_cast<const D3DCOLOR*>(static_cast<const BYTE*>(locked.pBits) +
                                                            y * locked.Pitch);
        texels.insert(texels.end(), row, row + desc.Width);
    }
    texture->UnlockRect(0);
    return texels;
}

}  // namespace

// Texture file names stay wide from the host to the loader, which opens them on both targets:
// through the wide API on Windows, narrowed to UTF-8 by the locale on Linux. Loaded with the
// texture pool's arguments into a device made like the host's (a real one under Wine).
TEST(TexturePortability, LoadsAnImageWhoseFileNameIsNotAscii) {
    if (const char* why = HostDevice::whyUnavailable()) GTEST_SKIP() << why;
#ifndef _WIN32
    const std::string previousLocale = std::setlocale(LC_CTYPE, nullptr);
    if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr)
        GTEST_SKIP() << "no C.UTF-8 locale to spell Linux's UTF-8 file names with";
    struct RestoreLocale {
        std::string name;
        ~RestoreLocale() { std::setlocale(LC_CTYPE, name.c_str()); }
    } restoreLocale{previousLocale};
#endif
    const fs::path path = fs::temp_directory_path() / std::u8string(u8"テクスチャ_é.png");
    fs::copy_file(fs::path(MOBILANT_SOURCE_DIR) / "tests/platform/data/texels-3x2.png", path,
                  fs::copy_options::overwrite_existing);
#ifdef _WIN32
    const std::wstring name = path.wstring();
#else
    const std::wstring name = WidenNarrowString(path.c_str());
#endif

    const HostDevice device;
    ASSERT_NE(device.get(), nullptr);
    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXCreateTextureFromFileExW(
                  device.get(), name.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0, D3DFMT_A8R8G8B8,
                  D3DPOOL_MANAGED, D3DX_FILTER_POINT, D3DX_DEFAULT, 0, &info, nullptr, &texture),
              D3D_OK);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 3u);
    EXPECT_EQ(desc.Height, 2u);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
    EXPECT_EQ(texelsOf(texture, desc), committedTexels);
    texture->Release();
    fs::remove(path);
}
