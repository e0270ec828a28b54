// Fill rate of the software device: textured, alpha-blended triangles as a
// sprite host draws them, and the renderer's indexed mesh draw.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "CostClock.h"
#include "D3DXMath.h"
#include "SoftwareDevice.h"

namespace {

struct Sprite {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};

SoftwareDevice* MakeDevice(UINT width, UINT height, IDirect3DTexture9** texture, DWORD filter) {
    SoftwareDevice* device = SoftwareDevice::Create(width, height, D3DFMT_A8R8G8B8);
    device->SetCallLogging(false);
    device->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture, nullptr);
    D3DLOCKED_RECT locked;
    (*texture)->LockRect(0, &locked, nullptr, 0);
    for (UINT y = 0; y < 64; ++y) {
        auto* row =
            reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
        for (UINT x = 0; x < 64; ++x)
            row[x] = D3DCOLOR_ARGB((x * 4) & 0xFF, 255, y * 4, 128);
    }
    (*texture)->UnlockRect(0);
    // The states a host sets for sprites.
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLENDALPHA, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLENDALPHA, D3DBLEND_INVSRCALPHA);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTexture(0, *texture);
    return device;
}

// One rotated textured quad (two triangles) covering about a third of the target.
void BM_BlendedTexturedQuads(benchmark::State& state) {
    const UINT size = static_cast<UINT>(state.range(0));
    IDirect3DTexture9* texture = nullptr;
    SoftwareDevice* device = MakeDevice(size, size, &texture, static_cast<DWORD>(state.range(1)));
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    device->BeginScene();
    const float c = size / 2.0f;
    const float r = size * 0.4f;
    Sprite quad[4];
    float angle = 0;
    const std::uint64_t before = device->PixelsShaded();
    const CostClock clock;
    for (auto _ : state) {
        for (int i = 0; i < 4; ++i) {
            const float a = angle + 1.5707963f * static_cast<float>(i == 3 ? 2 : i == 2 ? 3 : i);
            quad[i] = {c + r * std::cos(a),
                       c + r * std::sin(a),
                       0,
                       1,
                       0xC0FFFFFF,
                       (i == 1 || i == 3) ? 1.0f : 0.0f,
                       i >= 2 ? 1.0f : 0.0f};
        }
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Sprite));
        angle += 0.01f;
    }
    const double pixels = static_cast<double>(device->PixelsShaded() - before);
    state.counters["pixels_per_second"] = benchmark::Counter(pixels, benchmark::Counter::kIsRate);
    clock.report(state, "ns_per_pixel", pixels / static_cast<double>(state.iterations()), 1e-9);
    state.SetBytesProcessed(static_cast<std::int64_t>(pixels) * 4);
    device->EndScene();
    texture->Release();
    device->Release();
}
BENCHMARK(BM_BlendedTexturedQuads)
    ->ArgNames({"size", "filter"})
    ->Args({256, D3DTEXF_POINT})
    ->Args({256, D3DTEXF_LINEAR})
    ->Args({1024, D3DTEXF_POINT});

// The renderer's draw: a 32 x 32 grid mesh (2048 triangles) through three
// streams, 32-bit indices and an orthographic projection, filling 512 x 512.
void BM_IndexedMesh(benchmark::State& state) {
    constexpr UINT kSize = 512;
    constexpr int kGrid = 32;
    IDirect3DTexture9* texture = nullptr;
    SoftwareDevice* device = MakeDevice(kSize, kSize, &texture, D3DTEXF_POINT);
    std::vector<float> positions, uvs;
    std::vector<D3DCOLOR> colours;
    std::vector<std::uint32_t> indices;
    for (int y = 0; y <= kGrid; ++y) {
        for (int x = 0; x <= kGrid; ++x) {
            positions.insert(positions.end(), {x * 8.0f / kGrid - 4, y * 6.0f / kGrid - 3, 0});
            uvs.insert(uvs.end(), {static_cast<float>(x) / kGrid, static_cast<float>(y) / kGrid});
            colours.push_back(0xFFFFFFFF);
        }
    }
    for (int y = 0; y < kGrid; ++y) {
        for (int x = 0; x < kGrid; ++x) {
            const std::uint32_t i = y * (kGrid + 1) + x;
            indices.insert(indices.end(),
                           {i, i + 1, i + kGrid + 1, i + 1, i + kGrid + 2, i + kGrid + 1});
        }
    }
    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {1, 0, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        {2, 0, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        D3DDECL_END()};
    IDirect3DVertexDeclaration9* declaration = nullptr;
    device->CreateVertexDeclaration(elements, &declaration);
    IDirect3DVertexBuffer9* streams[3] = {};
    const void* sources[3] = {positions.data(), uvs.data(), colours.data()};
    const UINT strides[3] = {12, 8, 4};
    const UINT points = static_cast<UINT>(colours.size());
    for (int s = 0; s < 3; ++s) {
        device->CreateVertexBuffer(points * strides[s], 0, 0, D3DPOOL_MANAGED, &streams[s],
                                   nullptr);
        void* data;
        streams[s]->Lock(0, 0, &data, 0);
        std::memcpy(data, sources[s], points * strides[s]);
        streams[s]->Unlock();
        device->SetStreamSource(s, streams[s], 0, strides[s]);
    }
    IDirect3DIndexBuffer9* indexBuffer = nullptr;
    device->CreateIndexBuffer(static_cast<UINT>(indices.size() * 4), 0, D3DFMT_INDEX32,
                              D3DPOOL_MANAGED, &indexBuffer, nullptr);
    void* data;
    indexBuffer->Lock(0, 0, &data, 0);
    std::memcpy(data, indices.data(), indices.size() * 4);
    indexBuffer->Unlock();
    device->SetVertexDeclaration(declaration);
    device->SetIndices(indexBuffer);
    D3DXMATRIX projection;
    D3DXMatrixOrthoOffCenterLH(&projection, -4, 4, -3, 3, -1, 1);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->BeginScene();

    const std::uint64_t before = device->PixelsShaded();
    for (auto _ : state) {
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, points, 0,
                                     static_cast<UINT>(indices.size() / 3));
    }
    const double pixels = static_cast<double>(device->PixelsShaded() - before);
    state.counters["pixels_per_second"] = benchmark::Counter(pixels, benchmark::Counter::kIsRate);
    state.counters["triangles_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * (indices.size() / 3),
                           benchmark::Counter::kIsRate);
    state.SetBytesProcessed(static_cast<std::int64_t>(pixels) * 4);
    device->EndScene();
    for (IDirect3DVertexBuffer9* s : streams)
        s->Release();
    indexBuffer->Release();
    declaration->Release();
    texture->Release();
    device->Release();
}
BENCHMARK(BM_IndexedMesh);

}  // namespace
