// The software device's API rules: refused bad input, the call log, failure
// injection and reference counting.
#if !defined(_WIN32)  // the software device exists only where Direct3D does not
#include <cstring>

#include "DeviceFixture.h"

namespace {

class SoftwareDeviceTest : public DeviceTest {
protected:
    // A vertex buffer of `count` XYZ | DIFFUSE vertices on stream 0 and a
    // 16-bit index buffer holding `indices`.
    void BindQuad(UINT count, const std::vector<std::uint16_t>& indices) {
        struct Vertex {
            float x, y, z;
            D3DCOLOR color;
        };
        std::vector<Vertex> vertices(count, Vertex{0, 0, 0, 0xFFFFFFFF});
        if (count >= 4) {
            vertices[0] = {-1, 1, 0, 0xFFFFFFFF};
            vertices[1] = {1, 1, 0, 0xFFFFFFFF};
            vertices[2] = {-1, -1, 0, 0xFFFFFFFF};
            vertices[3] = {1, -1, 0, 0xFFFFFFFF};
        }
        ASSERT_EQ(device->CreateVertexBuffer(count * sizeof(Vertex), 0, 0, D3DPOOL_MANAGED,
                                             &vertexBuffer, nullptr),
                  D3D_OK);
        void* data = nullptr;
        vertexBuffer->Lock(0, 0, &data, 0);
        std::memcpy(data, vertices.data(), count * sizeof(Vertex));
        vertexBuffer->Unlock();
        const UINT indexBytes = static_cast<UINT>(indices.size() * 2);
        ASSERT_EQ(device->CreateIndexBuffer(indexBytes, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                            &indexBuffer, nullptr),
                  D3D_OK);
        indexBuffer->Lock(0, 0, &data, 0);
        std::memcpy(data, indices.data(), indexBytes);
        indexBuffer->Unlock();
        device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
        device->SetStreamSource(0, vertexBuffer, 0, sizeof(Vertex));
        device->SetIndices(indexBuffer);
    }

    void TearDown() override {
        if (vertexBuffer != nullptr) vertexBuffer->Release();
        if (indexBuffer != nullptr) indexBuffer->Release();
        DeviceTest::TearDown();
    }

    bool Untouched() const {
        for (D3DCOLOR p : device->ReadRenderTarget()) {
            if (p != 0) return false;
        }
        return true;
    }

    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    IDirect3DIndexBuffer9* indexBuffer = nullptr;
};

TEST_F(SoftwareDeviceTest, IndexedDrawsWithinTheirRangeSucceed) {
    Start(4, 4);
    BindQuad(4, {0, 1, 2, 2, 1, 3});
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    for (D3DCOLOR p : device->ReadRenderTarget())
        EXPECT_EQ(p, 0xFFFFFFFFu);
}

TEST_F(SoftwareDeviceTest, ViewportAndScissorBoundTheDrawing) {
    Start(8, 4);
    BindQuad(4, {0, 1, 2, 2, 1, 3});
    // The quad spans device space -1..1: with a viewport at (2, 1) of 4 x 2
    // pixels it covers columns 2..5 of rows 1..2; the non-indexed strip too.
    const D3DVIEWPORT9 viewport = {2, 1, 4, 2, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    auto shape = [this] {
        std::vector<std::string> rows;
        const auto pixels = device->ReadRenderTarget();
        for (int y = 0; y < 4; ++y) {
            std::string row;
            for (int x = 0; x < 8; ++x)
                row.push_back(pixels[y * 8 + x] ? '#' : '.');
            rows.push_back(row);
        }
        return rows;
    };
    EXPECT_EQ(shape(), (std::vector<std::string>{"........", "..####..", "..####..", "........"}));

    // The scissor rectangle cuts further, and so does a clear.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    const RECT scissor = {0, 0, 3, 2};
    device->SetScissorRect(&scissor);
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    EXPECT_EQ(shape(), (std::vector<std::string>{"........", "..#.....", "........", "........"}));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    EXPECT_EQ(shape(), (std::vector<std::string>{"........", "..#.....", "........", "........"}));

    // A viewport reaching past the target is refused.
    const D3DVIEWPORT9 tooWide = {6, 0, 4, 4, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&tooWide), D3DERR_INVALIDCALL);
}

TEST_F(SoftwareDeviceTest, UserPointerDrawsLeaveStreamZeroAndIndicesUnset) {
    Start(2, 2);
    BindQuad(4, {0, 1, 2});
    const ScreenVertex quad[] = {At(0, 0), At(2, 0), At(0, 2), At(2, 2)};
    const std::uint16_t indices[] = {0, 1, 2, 2, 1, 3};
    device->SetFVF(kScreenFvf);
    ASSERT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16,
                                             quad, sizeof(ScreenVertex)),
              D3D_OK);
    for (D3DCOLOR p : device->ReadRenderTarget())
        EXPECT_EQ(p, 0xFFFFFFFFu);
    IDirect3DVertexBuffer9* stream = vertexBuffer;
    UINT offset = 1, stride = 1;
    device->GetStreamSource(0, &stream, &offset, &stride);
    EXPECT_EQ(stream, nullptr);
    IDirect3DIndexBuffer9* bound = indexBuffer;
    device->GetIndices(&bound);
    EXPECT_EQ(bound, nullptr);
    // An index past the vertices the caller vouched for is refused.
    const std::uint16_t outside[] = {0, 1, 4};
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, outside, D3DFMT_INDEX16,
                                             quad, sizeof(ScreenVertex)),
              D3DERR_INVALIDCALL);
}

TEST_F(SoftwareDeviceTest, DrawsReadingOutsideTheirDataAreRefused) {
    Start(4, 4);
    // Index 4 lies past the quad's four vertices (and past the buffer).
    BindQuad(4, {0, 1, 2, 2, 1, 3, 0, 1, 4});
    struct Case {
        const char* name;
        INT base;
        UINT minIndex, numVertices, startIndex, primitives;
    };
    const Case cases[] = {
        {"index past the vertex count", 0, 0, 4, 3, 2},
        {"index past the buffer, inside the given range", 0, 0, 5, 6, 1},
        {"indices past the index buffer", 0, 0, 4, 6, 2},
        {"base vertex pushing an index out", 1, 0, 4, 0, 2},
        {"negative base vertex", -1, 0, 4, 0, 1},
        {"index below the minimum", 0, 1, 3, 0, 1},
        {"unknown primitive type", 0, 0, 4, 0, 1},
    };
    for (const Case& c : cases) {
        const D3DPRIMITIVETYPE type = std::strcmp(c.name, "unknown primitive type") == 0
                                          ? static_cast<D3DPRIMITIVETYPE>(9)
                                          : D3DPT_TRIANGLELIST;
        EXPECT_EQ(device->DrawIndexedPrimitive(type, c.base, c.minIndex, c.numVertices,
                                               c.startIndex, c.primitives),
                  D3DERR_INVALIDCALL)
            << c.name;
    }
    EXPECT_TRUE(Untouched());

    // Missing pieces: an unbound stream, no index buffer, outside a scene.
    device->SetStreamSource(0, nullptr, 0, 0);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 1), D3DERR_INVALIDCALL);
    device->SetStreamSource(0, vertexBuffer, 0, 16);
    device->SetIndices(nullptr);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 1), D3DERR_INVALIDCALL);
    device->SetIndices(indexBuffer);
    device->EndScene();
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 1), D3DERR_INVALIDCALL);
    device->BeginScene();
    // A stream offset that pushes the last vertex past the end.
    device->SetStreamSource(0, vertexBuffer, 4, 16);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_TRUE(Untouched());
}

TEST_F(SoftwareDeviceTest, DeclarationStreamsMustAllBeBound) {
    Start(4, 4);
    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {2, 0, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        D3DDECL_END()};
    IDirect3DVertexDeclaration9* declaration = nullptr;
    ASSERT_EQ(device->CreateVertexDeclaration(elements, &declaration), D3D_OK);
    BindQuad(4, {0, 1, 2});
    device->SetVertexDeclaration(declaration);
    device->SetStreamSource(0, vertexBuffer, 0, 16);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 1), D3DERR_INVALIDCALL);
    device->SetStreamSource(2, vertexBuffer, 12, 16);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 1), D3D_OK);

    // Malformed declarations are refused: a repeated usage, an unknown type.
    const D3DVERTEXELEMENT9 twice[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                       {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                       D3DDECL_END()};
    const D3DVERTEXELEMENT9 unknown[] = {{0, 0, 40, 0, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END()};
    IDirect3DVertexDeclaration9* bad = nullptr;
    EXPECT_EQ(device->CreateVertexDeclaration(twice, &bad), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateVertexDeclaration(unknown, &bad), D3DERR_INVALIDCALL);
    EXPECT_EQ(bad, nullptr);
    declaration->Release();
}

TEST_F(SoftwareDeviceTest, BufferLocksStayInsideTheBuffer) {
    Start(1, 1);
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(48, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, &buffer, nullptr),
              D3D_OK);
    void* data = reinterpret_cast<void*>(1);
    EXPECT_EQ(buffer->Lock(40, 16, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(buffer->Lock(49, 0, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);  // nothing locked
    ASSERT_EQ(buffer->Lock(32, 16, &data, 0), D3D_OK);
    std::memset(data, 0xAB, 16);  // ASan would catch a pointer past the end
    EXPECT_EQ(buffer->Unlock(), D3D_OK);

    // Released: the object stays behind, empty, and refuses every call.
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(device->SetStreamSource(0, buffer, 0, 12), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->Release(), 0u);

    // Too short for one vertex of its FVF, or empty: refused at creation.
    IDirect3DVertexBuffer9* small = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(8, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, &small, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, &small, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(small, nullptr);
}

TEST_F(SoftwareDeviceTest, LogRecordsCallsAndObjectsByName) {
    Start(4, 4);
    device->ClearCallLog();
    BindQuad(4, {0, 1, 2});
    const D3DMATRIX scale = {{{2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};
    device->SetTransform(D3DTS_PROJECTION, &scale);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 1);
    std::vector<std::string> calls;
    for (const DeviceCall& c : device->CallLog()) {
        calls.push_back(c.call + " = " + SoftwareDevice::ResultName(c.result));
    }
    // Surface#1 is the implicit render target.
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "CreateVertexBuffer(64, 0x0, 0x0, 1) -> VertexBuffer#2 = D3D_OK",
                         "VertexBuffer#2.Lock(0, 0, 0x0) = D3D_OK",
                         "VertexBuffer#2.Unlock() = D3D_OK",
                         "CreateIndexBuffer(6, 0x0, 101, 1) -> IndexBuffer#3 = D3D_OK",
                         "IndexBuffer#3.Lock(0, 0, 0x0) = D3D_OK",
                         "IndexBuffer#3.Unlock() = D3D_OK",
                         "SetFVF(0x42) = D3D_OK",
                         "SetStreamSource(0, VertexBuffer#2, 0, 16) = D3D_OK",
                         "SetIndices(IndexBuffer#3) = D3D_OK",
                         "SetTransform(D3DTS_PROJECTION) = D3D_OK",
                         "DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 1) = D3D_OK",
                     }));
    const DeviceCall& transform = device->CallLog()[9];
    ASSERT_TRUE(transform.hasMatrix);
    EXPECT_EQ(transform.matrix._22, 3.0f);
}

TEST_F(SoftwareDeviceTest, InjectedFailuresHitTheChosenCreateCalls) {
    Start(1, 1);
    device->FailCreateCalls(CreateCall::VertexBuffer, E_OUTOFMEMORY, 1, 1);
    IDirect3DVertexBuffer9* buffers[3] = {};
    const HRESULT expected[3] = {D3D_OK, E_OUTOFMEMORY, D3D_OK};
    for (int i = 0; i < 3; ++i) {
        // An index buffer between them is not of the chosen kind and is not counted.
        IDirect3DIndexBuffer9* indices = nullptr;
        ASSERT_EQ(
            device->CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr),
            D3D_OK);
        indices->Release();
        EXPECT_EQ(
            device->CreateVertexBuffer(12, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, &buffers[i], nullptr),
            expected[i]);
    }
    EXPECT_NE(buffers[0], nullptr);
    EXPECT_EQ(buffers[1], nullptr);
    EXPECT_NE(buffers[2], nullptr);
    buffers[0]->Release();
    buffers[2]->Release();

    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                          D3DDECL_END()};
    IDirect3DVertexDeclaration9* declaration = nullptr;
    IDirect3DTexture9* texture = nullptr;
    device->FailCreateCalls(CreateCall::Any, D3DERR_OUTOFVIDEOMEMORY, 0, 2);
    EXPECT_EQ(device->CreateVertexDeclaration(elements, &declaration), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(
        device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(declaration, nullptr);
    EXPECT_EQ(texture, nullptr);
}

TEST_F(SoftwareDeviceTest, BindingsKeepReleasedObjectsAliveUntilUnbound) {
    Start(2, 1);
    IDirect3DTexture9* texture = MakeTexture(1, 1, {0xFF123456});
    EXPECT_EQ(device->References(), 2u);  // the texture holds the device
    device->SetTexture(0, texture);
    EXPECT_EQ(texture->Release(), 0u);
    EXPECT_EQ(device->References(), 1u);

    // Still bound, so still drawn, as with Direct3D's own internal reference.
    Draw(D3DPT_TRIANGLESTRIP, 2, {At(0, 0), At(2, 0, ~0u, 1), At(0, 1, ~0u, 0, 1), At(2, 1)});
    EXPECT_EQ(Pixel(1, 0), 0xFF123456u);

    // Taking it back from the device revives a public reference.
    IDirect3DBaseTexture9* again = nullptr;
    device->GetTexture(0, &again);
    EXPECT_EQ(again, texture);
    EXPECT_EQ(device->References(), 2u);
    EXPECT_EQ(again->Release(), 0u);
    device->SetTexture(0, nullptr);  // now unbound and gone
    EXPECT_EQ(device->SetTexture(0, texture), D3DERR_INVALIDCALL);

    // The render target: GetRenderTarget hands out a counted reference.
    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(device->GetRenderTarget(0, &target), D3D_OK);
    EXPECT_EQ(device->References(), 2u);
    target->Release();
    EXPECT_EQ(device->References(), 1u);
}

// Live objects are those someone still holds; a binding alone does not count, nor do the
// device's own surfaces.
TEST_F(SoftwareDeviceTest, LiveObjectsAreThoseStillHeld) {
    Start(2, 1);
    EXPECT_EQ(device->LiveObjects(), 0u);
    IDirect3DTexture9* texture = MakeTexture(1, 1, {0xFF123456});
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
    EXPECT_EQ(device->LiveObjects(), 2u);
    device->SetTexture(0, texture);
    texture->Release();
    EXPECT_EQ(device->LiveObjects(), 1u);
    buffer->Release();
    EXPECT_EQ(device->LiveObjects(), 0u);
    device->SetTexture(0, nullptr);
}

// With rasterising off a draw is checked and logged but writes no pixel.
TEST_F(SoftwareDeviceTest, DrawsWithoutRasterisingWriteNothing) {
    Start(2, 2);
    device->SetRasterizing(false);
    const std::vector<ScreenVertex> quad = {At(0, 0), At(2, 0), At(0, 2), At(2, 2)};
    EXPECT_EQ(Draw(D3DPT_TRIANGLESTRIP, 2, quad), D3D_OK);
    EXPECT_EQ(Draw(static_cast<D3DPRIMITIVETYPE>(0), 2, quad), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CallLog().back().call, "DrawPrimitiveUP(?, 2, 28)");
    EXPECT_EQ(device->PixelsShaded(), 0u);
    EXPECT_EQ(Pixel(0, 0), 0u);
    device->SetRasterizing(true);
    EXPECT_EQ(Draw(D3DPT_TRIANGLESTRIP, 2, quad), D3D_OK);
    EXPECT_EQ(Pixel(0, 0), 0xFFFFFFFFu);
}

TEST_F(SoftwareDeviceTest, RenderTargetsAndReadBack) {
    Start(4, 4);
    IDirect3DTexture9* canvas = nullptr;
    ASSERT_EQ(device->CreateTexture(3, 2, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                    D3DPOOL_DEFAULT, &canvas, nullptr),
              D3D_OK);
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(canvas->GetSurfaceLevel(0, &surface), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(0, surface), D3D_OK);
    D3DVIEWPORT9 viewport;
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 3u);  // reset to the new target
    EXPECT_EQ(viewport.Height, 2u);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x11223344, 1.0f, 0);
    const D3DRECT corner = {2, 1, 9, 9};
    device->Clear(1, &corner, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);

    // A default-pool render target cannot be locked; its data is copied out.
    D3DLOCKED_RECT locked;
    EXPECT_EQ(surface->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);
    IDirect3DSurface9* copy = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(3, 2, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &copy,
                                                  nullptr),
              D3D_OK);
    ASSERT_EQ(device->GetRenderTargetData(surface, copy), D3D_OK);
    ASSERT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const D3DCOLOR* row1 =
        reinterpret_cast<const D3DCOLOR*>(static_cast<const BYTE*>(locked.pBits) + locked.Pitch);
    EXPECT_EQ(row1[1], 0x11223344u);
    EXPECT_EQ(row1[2], 0xFFFFFFFFu);
    copy->UnlockRect();
    EXPECT_EQ(device->ReadPixels(surface), device->ReadPixels(copy));

    // No depth buffer exists, so clearing one is invalid; a texture is no render target.
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    IDirect3DTexture9* plain = MakeTexture(1, 1, {0});
    IDirect3DSurface9* plainSurface = nullptr;
    plain->GetSurfaceLevel(0, &plainSurface);
    EXPECT_EQ(device->SetRenderTarget(0, plainSurface), D3DERR_INVALIDCALL);
    plainSurface->Release();
    plain->Release();
    copy->Release();
    surface->Release();
    canvas->Release();  // still bound as the render target: kept until the device goes
}

}  // namespace

#else

#include <gtest/gtest.h>

TEST(SoftwareDeviceTest, SoftwareDeviceOnly) {
    GTEST_SKIP() << "the software device stands in for Direct3D 9 where it is missing; Windows "
                    "draws with the real one";
}

#endif
