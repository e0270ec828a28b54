// The renderer's Direct3D calls on the software device: the exact calls of construction, Update
// and Draw, the transforms it leaves behind, failures of every Create call, and leaks.
#if !defined(_WIN32)  // the software device exists only where Direct3D does not

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "AnimationSurface.h"
#include "Direct3DDevice.h"
#include "MessageBoxes.h"
#include "MobilantPool.h"
#include "Renderer.h"
#include "ResourcePools.h"
#include "SoftwareDevice.h"
#include "SurfaceModels.h"
#include "TexturePool.h"

namespace {

using MobilantRenderer::Renderer;
using Calls = std::vector<std::string>;

class RendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxDialogs(false);
        ClearShownMessageBoxes();
        device = SoftwareDevice::Create(64, 64, D3DFMT_A8R8G8B8);
        ASSERT_NE(device, nullptr);
        d3dDevice = device;
        ApplyModelDeviceStates(device);
        device->ClearCallLog();
    }

    void TearDown() override {
        ReleaseAllPool();
        d3dDevice = nullptr;
        if (device != nullptr) {
            // Nothing a renderer or pool made may be left, only the caller's one reference.
            EXPECT_EQ(device->LiveObjects(), 0u);
            EXPECT_EQ(device->References(), 1u);
            device->Release();
        }
    }

    Calls calls() const {
        Calls out;
        for (const DeviceCall& call : device->CallLog())
            out.push_back(call.call);
        return out;
    }

    std::vector<std::wstring> messages() const {
        std::vector<std::wstring> out;
        for (const ShownMessageBox& box : ShownMessageBoxes()) {
            EXPECT_EQ(box.caption, L"MobilantRenderere");
            out.push_back(box.text);
        }
        return out;
    }

    // A 1 x 1 texture in texture pool slot `id`, made directly on the device.
    IDirect3DTexture9** textureInSlot(int id) {
        IDirect3DTexture9** slot = TexturePool::Slot(id);
        EXPECT_EQ(device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, slot, nullptr),
                  D3D_OK);
        return slot;
    }

    template <class Buffer>
    std::vector<BYTE> contents(Buffer* buffer, UINT bytes) {
        std::vector<BYTE> out(bytes);
        void* data = nullptr;
        if (buffer->Lock(0, bytes, &data, 0) == D3D_OK) {
            std::memcpy(out.data(), data, bytes);
            buffer->Unlock();
        }
        return out;
    }

    static D3DMATRIX numbered(float start) {
        D3DMATRIX m;
        for (int i = 0; i < 16; ++i)
            m.m[i / 4][i % 4] = start + static_cast<float>(i);
        return m;
    }

    SoftwareDevice* device = nullptr;
};

TEST_F(RendererTest, ConstructionCreatesTheDeclarationAndFillsEachBuffer) {
    const auto document = parsedModel(squareModel());
    Renderer renderer(*document);
    EXPECT_EQ(calls(), (Calls{
                           "CreateVertexDeclaration() -> VertexDeclaration#2",
                           "CreateVertexBuffer(48, 0x0, 0x2, 1) -> VertexBuffer#3",
                           "VertexBuffer#3.Lock(0, 48, 0x0)",
                           "VertexBuffer#3.Unlock()",
                           "CreateVertexBuffer(32, 0x0, 0x100, 1) -> VertexBuffer#4",
                           "VertexBuffer#4.Lock(0, 32, 0x0)",
                           "VertexBuffer#4.Unlock()",
                           "CreateVertexBuffer(16, 0x0, 0x40, 1) -> VertexBuffer#5",
                           "VertexBuffer#5.Lock(0, 16, 0x0)",
                           "VertexBuffer#5.Unlock()",
                           "CreateIndexBuffer(24, 0x0, 102, 1) -> IndexBuffer#6",
                           "IndexBuffer#6.Lock(0, 24, 0x0)",
                           "IndexBuffer#6.Unlock()",
                       }));
    EXPECT_TRUE(renderer.Complete());
    EXPECT_TRUE(ShownMessageBoxes().empty());

    // The declaration: three streams, then the end marker.
    device->BeginScene();
    IDirect3DTexture9** slot = textureInSlot(0);
    renderer.SetTexture(slot);
    D3DXMATRIX view;
    D3DXMatrixIdentity(&view);
    renderer.Draw(&view);
    IDirect3DVertexDeclaration9* declaration = nullptr;
    ASSERT_EQ(device->GetVertexDeclaration(&declaration), D3D_OK);
    D3DVERTEXELEMENT9 elements[8];
    UINT count = 8;
    ASSERT_EQ(declaration->GetDeclaration(elements, &count), D3D_OK);
    declaration->Release();
    ASSERT_EQ(count, 4u);
    const BYTE expected[4][6] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                 {1, 0, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                 {2, 0, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                 {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0}};
    for (UINT i = 0; i < count; ++i) {
        EXPECT_EQ(elements[i].Stream & 0xFF, expected[i][0]);
        EXPECT_EQ(elements[i].Offset, expected[i][1]);
        EXPECT_EQ(elements[i].Type, expected[i][2]);
        EXPECT_EQ(elements[i].Method, expected[i][3]);
        EXPECT_EQ(elements[i].Usage, expected[i][4]);
        EXPECT_EQ(elements[i].UsageIndex, expected[i][5]);
    }

    // The buffers hold the rest points (z 0), the UVs, opaque white and the indices.
    IDirect3DVertexBuffer9* stream = nullptr;
    UINT offset = 0, stride = 0;
    ASSERT_EQ(device->GetStreamSource(0, &stream, &offset, &stride), D3D_OK);
    const float rest[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    EXPECT_EQ(contents(stream, 48), std::vector<BYTE>(reinterpret_cast<const BYTE*>(rest),
                                                      reinterpret_cast<const BYTE*>(rest) + 48));
    stream->Release();
    ASSERT_EQ(device->GetStreamSource(1, &stream, &offset, &stride), D3D_OK);
    const float uvs[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    EXPECT_EQ(contents(stream, 32), std::vector<BYTE>(reinterpret_cast<const BYTE*>(uvs),
                                                      reinterpret_cast<const BYTE*>(uvs) + 32));
    stream->Release();
    ASSERT_EQ(device->GetStreamSource(2, &stream, &offset, &stride), D3D_OK);
    EXPECT_EQ(contents(stream, 16), std::vector<BYTE>(16, 0xFF));
    stream->Release();
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(device->GetIndices(&indices), D3D_OK);
    const std::int32_t triangles[6] = {0, 1, 2, 0, 2, 3};
    EXPECT_EQ(contents(indices, 24), std::vector<BYTE>(reinterpret_cast<const BYTE*>(triangles),
                                                       reinterpret_cast<const BYTE*>(triangles) + 24));
    indices->Release();
    device->EndScene();
}

TEST_F(RendererTest, UpdateRefillsPositionsColoursAndUvsInThatOrder) {
    const auto document = parsedModel(squareModel());
    Renderer renderer(*document);
    device->ClearCallLog();
    renderer.Update(0.01f);
    EXPECT_EQ(calls(), (Calls{
                           "VertexBuffer#3.Lock(0, 48, 0x0)",
                           "VertexBuffer#3.Unlock()",
                           "VertexBuffer#5.Lock(0, 16, 0x0)",
                           "VertexBuffer#5.Unlock()",
                           "VertexBuffer#4.Lock(0, 32, 0x0)",
                           "VertexBuffer#4.Unlock()",
                       }));
}

TEST_F(RendererTest, DrawSetsTransformsBindsTheStreamsAndRestoresTheTransforms) {
    const auto document = parsedModel(squareModel());
    Renderer renderer(*document);
    renderer.SetTexture(textureInSlot(0));
    const D3DMATRIX projection = numbered(1), world = numbered(20), view = numbered(40);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetTransform(D3DTS_VIEW, &view);
    device->BeginScene();
    device->ClearCallLog();
    const D3DMATRIX m = numbered(100);
    renderer.Draw(&m);
    EXPECT_EQ(calls(), (Calls{
                           "GetTransform(D3DTS_PROJECTION)",
                           "GetTransform(D3DTS_WORLD)",
                           "GetTransform(D3DTS_VIEW)",
                           "SetTransform(D3DTS_PROJECTION)",
                           "SetTransform(D3DTS_WORLD)",
                           "SetTransform(D3DTS_VIEW)",
                           "SetTexture(0, Texture#7)",
                           "SetStreamSource(0, VertexBuffer#3, 0, 12)",
                           "SetStreamSource(1, VertexBuffer#4, 0, 8)",
                           "SetStreamSource(2, VertexBuffer#5, 0, 4)",
                           "SetVertexDeclaration(VertexDeclaration#2)",
                           "SetIndices(IndexBuffer#6)",
                           "DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2)",
                           "SetTransform(D3DTS_PROJECTION)",
                           "SetTransform(D3DTS_WORLD)",
                           "SetTransform(D3DTS_VIEW)",
                       }));
    for (const DeviceCall& call : device->CallLog())
        EXPECT_EQ(call.result, D3D_OK) << call.call;
    const auto& log = device->CallLog();
    EXPECT_EQ(std::memcmp(&log[3].matrix, &m, sizeof m), 0);
    D3DMATRIX identity{};
    identity._11 = identity._22 = identity._33 = identity._44 = 1;
    EXPECT_EQ(std::memcmp(&log[4].matrix, &identity, sizeof identity), 0);
    EXPECT_EQ(std::memcmp(&log[5].matrix, &identity, sizeof identity), 0);
    EXPECT_EQ(std::memcmp(&log[13].matrix, &projection, sizeof projection), 0);
    EXPECT_EQ(std::memcmp(&log[14].matrix, &world, sizeof world), 0);
    EXPECT_EQ(std::memcmp(&log[15].matrix, &view, sizeof view), 0);
    device->EndScene();
}

// Mirrored, the projection is the given matrix followed by the scaling (-1, 1, 1): its first
// column negated.
TEST_F(RendererTest, MirroredProjectionIsTheMatrixFollowedByTheMirror) {
    const auto document = parsedModel(squareModel());
    Renderer renderer(*document);
    renderer.SetTexture(textureInSlot(0));
    renderer.SetMirrorY(5);
    EXPECT_EQ(renderer.IsMirrorY(), 1);
    device->BeginScene();
    device->ClearCallLog();
    const D3DMATRIX m = numbered(1);
    renderer.Draw(&m);
    const DeviceCall& set = device->CallLog()[3];
    ASSERT_EQ(set.call, "SetTransform(D3DTS_PROJECTION)");
    D3DMATRIX expected = m;
    for (auto& row : expected.m)
        row[0] = -row[0];
    EXPECT_EQ(std::memcmp(&set.matrix, &expected, sizeof expected), 0);
    device->EndScene();
}

TEST_F(RendererTest, DebugDrawAddsOneLinePerBoneInPreOrderThenTheBox) {
    LoadMobilantPool(0, wideSamplePath("tiny.json").c_str());
    Renderer renderer(*MobilantPool::Document(0));
    renderer.SetTexture(textureInSlot(0));
    renderer.SetDebugDraw(true);
    device->BeginScene();
    device->ClearCallLog();
    const D3DMATRIX m = numbered(0);
    renderer.Draw(&m);
    const Calls log = calls();
    ASSERT_EQ(log.size(), 22u);
    EXPECT_EQ(Calls(log.begin() + 13, log.begin() + 19),
              (Calls{"SetTexture(0, null)", "SetFVF(0x42)",
                     "DrawPrimitiveUP(D3DPT_LINELIST, 1, 16)",
                     "DrawPrimitiveUP(D3DPT_LINELIST, 1, 16)",
                     "DrawPrimitiveUP(D3DPT_LINELIST, 1, 16)",
                     "DrawPrimitiveUP(D3DPT_LINESTRIP, 4, 16)"}));
    EXPECT_EQ(log[19], "SetTransform(D3DTS_PROJECTION)");
    device->EndScene();
}

// Nothing is drawn without a texture slot, not even the debug lines; an emptied slot draws
// without a texture.
TEST_F(RendererTest, DrawNeedsASlotButNotATexture) {
    const auto document = parsedModel(squareModel());
    Renderer renderer(*document);
    renderer.SetDebugDraw(true);
    device->BeginScene();
    device->ClearCallLog();
    const D3DMATRIX m = numbered(0);
    renderer.Draw(&m);
    EXPECT_TRUE(calls().empty());
    renderer.SetTexture(TexturePool::Slot(9));
    renderer.Draw(&m);
    EXPECT_EQ(calls()[6], "SetTexture(0, null)");
    EXPECT_EQ(calls()[12], "DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2)");
    device->EndScene();
}

// Seven indices make two whole triangles; the seventh is drawn and hit-tested by nobody.
TEST_F(RendererTest, IndexCountNotAMultipleOfThreeDrawsWholeTriangles) {
    const auto document =
        parsedModel(flatModel({0, 0, 1, 0, 1, 1, 0, 1, 2, 2}, {0, 1, 2, 0, 2, 3, 4}));
    Renderer renderer(*document);
    renderer.SetTexture(textureInSlot(0));
    device->BeginScene();
    device->ClearCallLog();
    const D3DMATRIX m = numbered(0);
    renderer.Draw(&m);
    EXPECT_EQ(calls()[12], "DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 5, 0, 2)");
    device->EndScene();
}

// An empty model makes no buffer (never CreateVertexBuffer(0)) and draws nothing; a model with
// points and no triangles makes its vertex streams only, and draws nothing either.
TEST_F(RendererTest, EmptyArraysMakeNoBuffers) {
    const auto empty = parsedModel(flatModel({}, {}));
    {
        Renderer renderer(*empty);
        EXPECT_EQ(calls(), (Calls{"CreateVertexDeclaration() -> VertexDeclaration#2"}));
        EXPECT_TRUE(renderer.Complete());
        renderer.SetTexture(textureInSlot(0));
        device->BeginScene();
        device->ClearCallLog();
        renderer.Update(0.01f);
        const D3DMATRIX m = numbered(0);
        renderer.Draw(&m);
        EXPECT_TRUE(calls().empty());
        EXPECT_EQ(renderer.GetBoundingBox(), (std::array<float, 4>{0, 0, 0, 0}));
        EXPECT_EQ(renderer.HitTestPolygons(0, 0), 0);
        device->EndScene();
    }
    const auto pointsOnly = parsedModel(flatModel({0, 0, 1, 0, 1, 1}, {}));
    device->ClearCallLog();
    Renderer renderer(*pointsOnly);
    EXPECT_EQ(calls().size(), 10u);
    EXPECT_EQ(calls().back(), "VertexBuffer#8.Unlock()");  // #4 is the texture's level
    EXPECT_TRUE(renderer.Complete());
    renderer.SetTexture(TexturePool::Slot(0));
    device->BeginScene();
    device->ClearCallLog();
    const D3DMATRIX m = numbered(0);
    renderer.Draw(&m);
    EXPECT_TRUE(calls().empty());
    device->EndScene();
    EXPECT_TRUE(ShownMessageBoxes().empty());
}

TEST_F(RendererTest, WithoutADeviceNothingIsMadeAndPosingStillWorks) {
    d3dDevice = nullptr;
    LoadMobilantPool(0, wideSamplePath("tiny.json").c_str());
    Renderer renderer(*MobilantPool::Document(0));
    EXPECT_TRUE(renderer.Complete());
    renderer.SetTexture(TexturePool::Slot(0));
    renderer.SetDebugDraw(true);
    renderer.InitAnimation(*MobilantPool::Document(0), "bend");
    renderer.PlayAnimation("bend");
    renderer.SetAnimationTime(5.0f);
    const std::array<float, 4> before = renderer.GetBoundingBox();
    renderer.Update(0.0f);
    const D3DMATRIX m = numbered(0);
    renderer.Draw(&m);
    EXPECT_NE(renderer.GetBoundingBox(), before);
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(ShownMessageBoxes().empty());
    d3dDevice = device;
}

// Each Create call failing in turn: the failure is reported (the declaration's is not), the
// renderer is incomplete, no missing buffer is locked or bound, and nothing is left behind.
TEST_F(RendererTest, EachCreateFailingInTurnIsReportedAndLeavesNothing) {
    const auto document = parsedModel(squareModel());
    IDirect3DTexture9** slot = textureInSlot(0);
    for (UINT failing = 0; failing < 5; ++failing) {
        SCOPED_TRACE(failing);
        ClearShownMessageBoxes();
        device->ClearCallLog();
        device->FailCreateCalls(CreateCall::Any, E_OUTOFMEMORY, failing, 1);
        {
            Renderer renderer(*document);
            EXPECT_FALSE(renderer.Complete());
            EXPECT_EQ(messages(), failing == 0 ? std::vector<std::wstring>{}
                                               : std::vector<std::wstring>{L"E_OUTOFMEMORY"});
            renderer.SetTexture(slot);
            device->BeginScene();
            renderer.Update(0.01f);
            const D3DMATRIX m = numbered(0);
            renderer.Draw(&m);
            device->EndScene();
            for (const DeviceCall& call : device->CallLog()) {
                EXPECT_EQ(call.call.find("Draw"), std::string::npos) << call.call;
                if (call.call.rfind("Create", 0) != 0) {
                    EXPECT_EQ(call.result, D3D_OK) << call.call;
                }
            }
        }
        EXPECT_EQ(device->LiveObjects(), 1u);  // the slot's texture only
        EXPECT_EQ(device->References(), 2u);
    }
    device->ClearCreateFailures();
}

// A model that cannot get its buffers does not replace the one in play.
TEST_F(RendererTest, SetMobilantDataKeepsThePlayingModelWhenBuffersFail) {
    LoadMobilantPool(0, wideSamplePath("tiny.json").c_str());
    const TempFile square("square.json", squareModel());
    LoadMobilantPool(1, square.wideName().c_str());
    {
        AnimationSurface surface;
        surface.SetMobilantData(0);
        const Renderer* playing = surface.GetRenderer();
        ASSERT_NE(playing, nullptr);
        const UINT live = device->LiveObjects();
        device->FailCreateCalls(CreateCall::IndexBuffer, D3DERR_OUTOFVIDEOMEMORY);
        surface.SetMobilantData(1);
        EXPECT_EQ(surface.GetRenderer(), playing);
        EXPECT_EQ(surface.ModelId(), 0);
        EXPECT_EQ(device->LiveObjects(), live);
        EXPECT_EQ(messages(), std::vector<std::wstring>{L"D3DERR_OUTOFVIDEOMEMORY"});
        surface.SetMobilantData(1);
        EXPECT_NE(surface.GetRenderer(), playing);
        EXPECT_EQ(device->LiveObjects(), live);
    }
    EXPECT_EQ(device->LiveObjects(), 0u);
}

TEST_F(RendererTest, ReportD3DErrorNamesFourCodesAndNothingElse) {
    Renderer::ReportD3DError(D3D_OK);
    Renderer::ReportD3DError(E_FAIL);
    Renderer::ReportD3DError(D3DERR_NOTAVAILABLE);
    EXPECT_TRUE(messages().empty());
    Renderer::ReportD3DError(static_cast<HRESULT>(0x8876086C));
    Renderer::ReportD3DError(static_cast<HRESULT>(0x8876017C));
    Renderer::ReportD3DError(static_cast<HRESULT>(0x8007000E));
    Renderer::ReportD3DError(static_cast<HRESULT>(0x88760B59));
    EXPECT_EQ(messages(), (std::vector<std::wstring>{L"D3DERR_INVALIDCALL", L"D3DERR_OUTOFVIDEOMEMORY",
                                                     L"E_OUTOFMEMORY", L"D3DXERR_INVALIDDATA"}));
}

// A whole life: pools loaded, two instances drawn, everything destroyed and released; the
// device's bindings are then replaced as the host's next draw would. Nothing is left.
TEST_F(RendererTest, AfterDestructionAndReleaseAllTheDeviceHoldsNothingOfOurs) {
    LoadMobilantPool(0, wideSamplePath("character.json").c_str());
    LoadTexturePool(0, wideSamplePath("character.png").c_str());
    {
        AnimationSurface first, second;
        for (AnimationSurface* surface : {&first, &second}) {
            surface->SetSurfaceSize(64, 64);
            surface->SetMobilantData(0);
            surface->SetTexture(0);
            surface->SetDebugDraw(1);
        }
        device->BeginScene();
        for (int frame = 0; frame < 3; ++frame) {
            first.Handle();
            second.Handle();
            first.Display();
            second.Display();
        }
        device->EndScene();
        EXPECT_EQ(device->LiveObjects(), 11u);  // 2 x (declaration and 4 buffers), the texture
    }
    EXPECT_EQ(device->LiveObjects(), 1u);
    ReleaseAllPool();
    EXPECT_EQ(device->LiveObjects(), 0u);
    EXPECT_EQ(device->References(), 1u);
    device->SetTexture(0, nullptr);
    for (UINT stream = 0; stream < 3; ++stream)
        device->SetStreamSource(stream, nullptr, 0, 0);
    device->SetIndices(nullptr);
    device->SetFVF(D3DFVF_XYZ);
    EXPECT_TRUE(ShownMessageBoxes().empty());
}

// A game loop of a playing instance allocates nothing: Handle (advance and refill) and Display.
TEST_F(RendererTest, HandleAndDisplayAllocateNothing) {
    if (!allocationsCounted()) GTEST_SKIP() << "allocations are not counted in sanitizer builds";
    LoadMobilantPool(0, wideSamplePath("character.json").c_str());
    LoadTexturePool(0, wideSamplePath("character.png").c_str());
    AnimationSurface surface;
    surface.SetSurfaceSize(64, 64);
    surface.SetMobilantData(0);
    surface.SetTexture(0);
    surface.InitAnimation(L"walk");
    surface.InitAnimation(L"wave");
    surface.PlayAnimation(L"walk");
    surface.SetAnimationBlending(L"wave", 0.01f);
    device->SetCallLogging(false);
    device->BeginScene();
    surface.Handle();
    surface.Display();
    const std::size_t before = allocationCount();
    for (int frame = 0; frame < 200; ++frame) {
        surface.Handle();
        surface.Display();
        surface.GetScreenBox();
        surface.HitTestPolygons(32, 32);
    }
    EXPECT_EQ(allocationCount(), before);
    device->EndScene();
}

}  // namespace

#else

#include <gtest/gtest.h>

TEST(RendererTest, SoftwareDeviceOnly) {
    GTEST_SKIP() << "the exact call logs, injected Create failures and leak counts come from the "
                    "software device, which stands in for Direct3D 9 where it is missing; Windows "
                    "draws the scenes with the real one (SceneTest)";
}

#endif
