// Texture loading from image files into the software device.
#if !defined(_WIN32)  // needs the software device

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "D3DXTexture.h"
#include "SoftwareDevice.h"
#include "WideStrings.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

namespace fs = std::filesystem;

// The committed image: 3 x 2 texels, as red, green, blue, alpha bytes.
const unsigned char kImageRgba[] = {
    255, 0,   0,   255, 0, 255, 0, 128, 0,  0,  255, 0,    // red, half green, clear blue
    255, 255, 255, 255, 0, 0,   0, 255, 18, 52, 86,  200,  // white, black, a dim blue
};
// The same texels as the texture holds them, 0xAARRGGBB.
const D3DCOLOR kImageTexels[] = {0xFFFF0000, 0x8000FF00, 0x000000FF,
                                 0xFFFFFFFF, 0xFF000000, 0xC8123456};

fs::path CommittedImage() {
    return fs::path(MOBILANT_SOURCE_DIR) / "tests/platform/data/texels-3x2.png";
}

fs::path Scratch(const std::string& name) {
    const fs::path dir = fs::path(MOBILANT_BINARY_DIR) / "test-scratch/platform";
    fs::create_directories(dir);
    return dir / name;
}

void WriteBytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

class TextureLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { device = SoftwareDevice::Create(4, 4); }
    void TearDown() override {
        // Every texture was released: the device is its only reference holder.
        EXPECT_EQ(device->References(), 1u);
        device->Release();
    }

    HRESULT Load(const fs::path& path, IDirect3DTexture9** texture, D3DXIMAGE_INFO* info = nullptr,
                 D3DCOLOR colorKey = 0) {
        *texture = reinterpret_cast<IDirect3DTexture9*>(1);  // must come back null on failure
        const std::wstring name = WidenNarrowString(path.string().c_str());
        // The texture pool's own arguments.
        return D3DXCreateTextureFromFileExW(device, name.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                            D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_POINT,
                                            D3DX_DEFAULT, colorKey, info, nullptr, texture);
    }

    std::vector<D3DCOLOR> Texels(IDirect3DTexture9* texture) {
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(0, &desc);
        std::vector<D3DCOLOR> texels;
        D3DLOCKED_RECT locked;
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        for (UINT y = 0; y < desc.Height; ++y) {
            const D3DCOLOR* row = reinterpret_cast<const D3DCOLOR*>(
                static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch);
            texels.insert(texels.end(), row, row + desc.Width);
        }
        texture->UnlockRect(0);
        return texels;
    }

    SoftwareDevice* device = nullptr;
};

// Writes the committed image; run by hand with --gtest_also_run_disabled_tests.
TEST(TextureFile, DISABLED_WriteCommittedImage) {
    ASSERT_TRUE(stbi_write_png(CommittedImage().string().c_str(), 3, 2, 4, kImageRgba, 3 * 4));
}

TEST_F(TextureLoaderTest, PngLoadsIntoAManagedTextureOfItsOwnSize) {
    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(Load(CommittedImage(), &texture, &info), D3D_OK);
    ASSERT_NE(texture, nullptr);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 3u);
    EXPECT_EQ(desc.Height, 2u);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(texture->GetLevelCount(), 1u);
    EXPECT_EQ(Texels(texture),
              std::vector<D3DCOLOR>(std::begin(kImageTexels), std::end(kImageTexels)));
    EXPECT_EQ(info.Width, 3u);
    EXPECT_EQ(info.Height, 2u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
    // Made through CreateTexture and filled through LockRect, like any texture.
    bool created = false;
    for (const DeviceCall& call : device->CallLog()) {
        created |= call.call.rfind("CreateTexture(3, 2, 1, 0x0, 21, 1)", 0) == 0;
    }
    EXPECT_TRUE(created);
    texture->Release();
}

// The committed image as TGA (run-length coded) and BMP (without alpha), and a
// flat 16 x 8 JPEG of (200, 100, 50).
struct OtherFormats {
    fs::path tga, bmp, jpeg;
};

OtherFormats WriteOtherFormats() {
    OtherFormats files{Scratch("texels.tga"), Scratch("texels.bmp"), Scratch("flat.jpg")};
    EXPECT_TRUE(stbi_write_tga(files.tga.string().c_str(), 3, 2, 4, kImageRgba));
    unsigned char rgb[3 * 2 * 3];
    for (int i = 0; i < 6; ++i)
        std::copy_n(kImageRgba + 4 * i, 3, rgb + 3 * i);
    EXPECT_TRUE(stbi_write_bmp(files.bmp.string().c_str(), 3, 2, 3, rgb));
    std::vector<unsigned char> flat(16 * 8 * 3);
    for (size_t i = 0; i < flat.size(); i += 3) {
        flat[i] = 200;
        flat[i + 1] = 100;
        flat[i + 2] = 50;
    }
    EXPECT_TRUE(stbi_write_jpg(files.jpeg.string().c_str(), 16, 8, 3, flat.data(), 100));
    return files;
}

TEST_F(TextureLoaderTest, TgaBmpAndJpegLoadToo) {
    const auto [tga, bmp, jpeg] = WriteOtherFormats();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(Load(tga, &texture), D3D_OK);
    EXPECT_EQ(Texels(texture),
              std::vector<D3DCOLOR>(std::begin(kImageTexels), std::end(kImageTexels)));
    texture->Release();

    ASSERT_EQ(Load(bmp, &texture), D3D_OK);
    std::vector<D3DCOLOR> opaque;
    for (D3DCOLOR c : kImageTexels)
        opaque.push_back(c | 0xFF000000);
    EXPECT_EQ(Texels(texture), opaque);
    texture->Release();

    ASSERT_EQ(Load(jpeg, &texture), D3D_OK);
    for (D3DCOLOR c : Texels(texture)) {  // lossy: within a few steps of (200, 100, 50)
        EXPECT_EQ(c >> 24, 255u);
        EXPECT_NEAR(static_cast<int>((c >> 16) & 0xFF), 200, 3);
        EXPECT_NEAR(static_cast<int>((c >> 8) & 0xFF), 100, 3);
        EXPECT_NEAR(static_cast<int>(c & 0xFF), 50, 3);
    }
    texture->Release();
}

TEST_F(TextureLoaderTest, ColorKeyTurnsMatchingTexelsTransparent) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(Load(CommittedImage(), &texture, nullptr, 0xFF000000), D3D_OK);
    EXPECT_EQ(Texels(texture)[4], 0u);  // the opaque black texel
    EXPECT_EQ(Texels(texture)[3], 0xFFFFFFFFu);
    texture->Release();
}

TEST_F(TextureLoaderTest, BadFilesGiveNoTexture) {
    const std::vector<unsigned char> png = ReadBytes(CommittedImage());
    ASSERT_GT(png.size(), 60u);
    WriteBytes(Scratch("truncated.png"), std::vector<unsigned char>(png.begin(), png.begin() + 60));
    WriteBytes(Scratch("empty.png"), {});
    const std::string text = "this is a model file, not an image\n";
    WriteBytes(Scratch("text.png"), std::vector<unsigned char>(text.begin(), text.end()));
    // A BMP header announcing 16385 x 1 pixels and holding none: refused from
    // the header, before anything is decoded.
    auto bmpHeader = [](std::uint32_t width, std::uint32_t height) {
        std::vector<unsigned char> b(54, 0);
        auto put = [&b](size_t at, std::uint32_t v) {
            for (int i = 0; i < 4; ++i)
                b[at + i] = static_cast<unsigned char>(v >> (8 * i));
        };
        b[0] = 'B';
        b[1] = 'M';
        put(2, 54);
        put(10, 54);
        put(14, 40);
        put(18, width);
        put(22, height);
        b[26] = 1;
        b[28] = 24;
        return b;
    };
    WriteBytes(Scratch("wide.bmp"), bmpHeader(16385, 1));
    WriteBytes(Scratch("tall.bmp"), bmpHeader(1, 20000));
    WriteBytes(Scratch("hollow.bmp"), bmpHeader(64, 64));  // fits, but its pixels are missing

    const char* names[] = {"missing.png", "truncated.png", "empty.png", "text.png",
                           "wide.bmp",    "tall.bmp",      "hollow.bmp"};
    for (const char* name : names) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(Load(Scratch(name), &texture), D3DXERR_INVALIDDATA) << name;
        EXPECT_EQ(texture, nullptr) << name;
    }
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(Load(Scratch(""), &texture), D3DXERR_INVALIDDATA);  // a directory
    EXPECT_EQ(texture, nullptr);
}

TEST_F(TextureLoaderTest, EveryTruncationOfAGoodFileGivesNoTexture) {
    const OtherFormats other = WriteOtherFormats();
    for (const fs::path& good : {CommittedImage(), other.tga, other.bmp, other.jpeg}) {
        const std::vector<unsigned char> bytes = ReadBytes(good);
        const fs::path cut = Scratch("cut" + good.extension().string());
        // Every length of the small files; of the JPEG, every fifth and the last twenty.
        for (size_t length = 1; length < bytes.size();
             length += (bytes.size() < 128 || length + 20 >= bytes.size()) ? 1 : 5) {
            WriteBytes(cut, std::vector<unsigned char>(bytes.begin(), bytes.begin() + length));
            IDirect3DTexture9* texture = nullptr;
            ASSERT_EQ(Load(cut, &texture), D3DXERR_INVALIDDATA)
                << good.filename() << " cut to " << length << " of " << bytes.size();
            ASSERT_EQ(texture, nullptr);
        }
    }
}

TEST_F(TextureLoaderTest, DeviceFailuresComeBackUnchanged) {
    IDirect3DTexture9* texture = nullptr;
    device->FailCreateCalls(CreateCall::Texture, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(Load(CommittedImage(), &texture), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(texture, nullptr);
    // Arguments that would need resampling or mipmaps are refused.
    const std::wstring name = WidenNarrowString(CommittedImage().string().c_str());
    EXPECT_EQ(D3DXCreateTextureFromFileExW(device, name.c_str(), 4, 4, 1, 0, D3DFMT_A8R8G8B8,
                                           D3DPOOL_MANAGED, D3DX_FILTER_POINT, D3DX_DEFAULT, 0,
                                           nullptr, nullptr, &texture),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromFileExW(nullptr, name.c_str(), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                           D3DPOOL_MANAGED, 0, 0, 0, nullptr, nullptr, &texture),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);
}

}  // namespace

#else

#include <gtest/gtest.h>

TEST(TextureLoaderTest, SoftwareDeviceOnly) {
    GTEST_SKIP() << "these tests load into the software device, which Windows does not have; the "
                    "loader on a real Direct3D 9 device is not tested yet";
}

#endif
