// A software device with the states a host sets for sprites, and helpers to
// draw pretransformed vertices (screen pixels in, no matrices) and read pixels.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SoftwareDevice.h"

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
inline constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

inline ScreenVertex At(float x, float y, D3DCOLOR color = 0xFFFFFFFF, float u = 0, float v = 0) {
    return {x, y, 0.0f, 1.0f, color, u, v};
}

class DeviceTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (device != nullptr) device->Release();
    }

    // A width x height A8R8G8B8 target cleared to `clear`, inside a scene.
    void Start(UINT width, UINT height, D3DCOLOR clear = 0) {
        device = SoftwareDevice::Create(width, height, D3DFMT_A8R8G8B8);
        ASSERT_NE(device, nullptr);
        this->width = width;
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, clear, 1.0f, 0);
        device->SetFVF(kScreenFvf);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
    }

    // Adds each pixel drawn (colour 0x40 in every channel, so a pixel drawn twice shows 0x80).
    void CountOverdraw() {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    }

    HRESULT Draw(D3DPRIMITIVETYPE type, UINT count, const std::vector<ScreenVertex>& vertices) {
        return device->DrawPrimitiveUP(type, count, vertices.data(), sizeof(ScreenVertex));
    }

    D3DCOLOR Pixel(UINT x, UINT y) const { return device->ReadRenderTarget()[y * width + x]; }

    // The target as text, one string per row: '.' for 0, else the pixel's blue
    // channel divided by 0x40 (the number of times CountOverdraw drew it).
    std::vector<std::string> Coverage() const {
        const std::vector<D3DCOLOR> pixels = device->ReadRenderTarget();
        std::vector<std::string> rows;
        for (size_t i = 0; i < pixels.size(); i += width) {
            std::string row;
            for (size_t x = 0; x < width; ++x) {
                const D3DCOLOR p = pixels[i + x];
                row.push_back(p == 0 ? '.' : static_cast<char>('0' + (p & 0xFF) / 0x40));
            }
            rows.push_back(row);
        }
        return rows;
    }

    IDirect3DTexture9* MakeTexture(UINT width, UINT height, const std::vector<D3DCOLOR>& texels) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        &texture, nullptr),
                  D3D_OK);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < height; ++y) {
            std::copy_n(
                texels.begin() + y * width, width,
                reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch));
        }
        texture->UnlockRect(0);
        return texture;
    }

    SoftwareDevice* device = nullptr;
    UINT width = 0;
};
