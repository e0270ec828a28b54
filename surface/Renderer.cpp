#include "Renderer.h"

#include <algorithm>
#include <cstring>

#include "D3DXMath.h"
#include "D3DXTexture.h"
#include "Direct3DDevice.h"
#include "IndexWriter.h"
#include "MessageBoxes.h"
#include "MobilantMetaData.h"
#include "ReadWholeFile.h"
#include "meshBone.h"
#include "meshRenderBoneComposition.h"

namespace MobilantRenderer {

namespace {

using MobilantModule::JsonDocument;
using MobilantModule::Mobilant;
using MobilantModule::MobilantManager;
using MobilantModule::MobilantMetaData;

constexpr UINT kPositionStride = 12;
constexpr UINT kTexcoordStride = 8;
constexpr UINT kColourStride = 4;
constexpr UINT kIndexBytes = 4;

const D3DVERTEXELEMENT9 kVertexElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {1, 0, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    {2, 0, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    D3DDECL_END()};

// A vertex of the debug lines: D3DFVF_XYZ | D3DFVF_DIFFUSE.
struct DebugVertex {
    float x, y, z;
    D3DCOLOR colour;
};
constexpr DWORD kDebugFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
static_assert(sizeof(DebugVertex) == 16);

constexpr D3DCOLOR kBoneStartColour = 0xFF0000FF;  // blue
constexpr D3DCOLOR kBoneEndColour = 0xFF00FF00;    // green
constexpr D3DCOLOR kBoxColour = 0xFFFF0000;        // red
constexpr float kDebugZ = 1.0f;

constexpr const wchar_t* kErrorCaption = L"MobilantRenderere";

// minX, maxX, minY, maxY over the x and y of `count` points of three floats; zeros without
// points. Only strictly smaller or greater values move a bound.
std::array<float, 4> PointBox(const float* points, std::int32_t count) {
    if (count <= 0 || points == nullptr) return {0.0f, 0.0f, 0.0f, 0.0f};
    float minX = points[0], maxX = points[0], minY = points[1], maxY = points[1];
    for (std::int32_t i = 1; i < count; ++i) {
        const float x = points[3 * i];
        const float y = points[3 * i + 1];
        if (x < minX) minX = x;
        if (x > maxX) maxX = x;
        if (y < minY) minY = y;
        if (y > maxY) maxY = y;
    }
    return {minX, maxX, minY, maxY};
}

// Strictly inside triangle (a, b, c), either winding: the three edge cross products share a
// sign. Points on an edge and degenerate triangles are outside.
bool StrictlyInside(const float* a, const float* b, const float* c, float x, float y) {
    const float c1 = (b[0] - a[0]) * (y - b[1]) - (b[1] - a[1]) * (x - b[0]);
    const float c2 = (c[0] - b[0]) * (y - c[1]) - (c[1] - b[1]) * (x - c[0]);
    const float c3 = (a[0] - c[0]) * (y - a[1]) - (a[1] - c[1]) * (x - a[0]);
    return (c1 > 0.0f && c2 > 0.0f && c3 > 0.0f) || (c1 < 0.0f && c2 < 0.0f && c3 < 0.0f);
}

}  // namespace

Renderer::Renderer(const JsonDocument& document)
    : model(std::make_unique<Mobilant>(document)),
      manager(std::make_unique<MobilantManager>(model.get())),
      device(d3dDevice) {
    manager->LoadClip(document, "default");
    manager->SelectClip("default", false);
    manager->SetPlaying(true);
    manager->Advance(0.0f);

    // Nothing below throws, so a Direct3D object made here is never lost to an exception.
    if (device == nullptr) return;
    device->CreateVertexDeclaration(kVertexElements, &vertexDeclaration);
    const auto points = static_cast<std::uint64_t>(model->PointCount());
    CreateVertexStream(positionBuffer, kPositionStride * points, D3DFVF_XYZ, model->RestPoints());
    CreateVertexStream(texcoordBuffer, kTexcoordStride * points, D3DFVF_TEX1, model->Uvs());
    CreateVertexStream(colourBuffer, kColourStride * points, D3DFVF_DIFFUSE,
                       model->RenderColours());
    CreateIndexBuffer(meshIndexBuffer, static_cast<std::uint64_t>(model->IndexCount()),
                      model->Indices());
}

Renderer::~Renderer() {
    manager.reset();
    model.reset();
    metaData.reset();
    ReleaseBuffer(positionBuffer);
    ReleaseBuffer(texcoordBuffer);
    ReleaseBuffer(meshIndexBuffer);
    ReleaseBuffer(swapIndexBuffer);
    ReleaseBuffer(colourBuffer);
    if (vertexDeclaration != nullptr) {
        vertexDeclaration->Release();
        vertexDeclaration = nullptr;
    }
}

void Renderer::CreateVertexStream(VertexBuffer& stream, std::uint64_t bytes, DWORD fvf,
                                  const void* source) {
    if (bytes == 0 || source == nullptr) return;
    if (bytes > kMaxBufferBytes) {
        ReportD3DError(D3DERR_OUTOFVIDEOMEMORY);
        return;
    }
    const HRESULT result = device->CreateVertexBuffer(static_cast<UINT>(bytes), 0, fvf,
                                                      D3DPOOL_MANAGED, &stream.buffer, nullptr);
    ReportD3DError(result);
    if (FAILED(result) || stream.buffer == nullptr) {
        ReleaseBuffer(stream);
        return;
    }
    stream.bytes = static_cast<UINT>(bytes);
    Fill(stream, source);
}

void Renderer::CreateIndexBuffer(IndexBuffer& target, std::uint64_t entries,
                                 const std::int32_t* source) {
    const std::uint64_t bytes = kIndexBytes * entries;
    if (bytes == 0 || source == nullptr) return;
    if (bytes > kMaxBufferBytes) {
        ReportD3DError(D3DERR_OUTOFVIDEOMEMORY);
        return;
    }
    const HRESULT result = device->CreateIndexBuffer(static_cast<UINT>(bytes), 0, D3DFMT_INDEX32,
                                                     D3DPOOL_MANAGED, &target.buffer, nullptr);
    ReportD3DError(result);
    if (FAILED(result) || target.buffer == nullptr) {
        ReleaseBuffer(target);
        return;
    }
    target.bytes = static_cast<UINT>(bytes);
    Fill(target, source);
}

template <class Interface>
void Renderer::Fill(const Buffer<Interface>& target, const void* source) {
    if (target.buffer == nullptr || source == nullptr) return;
    void* data = nullptr;
    if (FAILED(target.buffer->Lock(0, target.bytes, &data, 0))) return;
    if (data != nullptr) std::memcpy(data, source, target.bytes);
    target.buffer->Unlock();
}

template <class Interface>
void Renderer::ReleaseBuffer(Buffer<Interface>& target) {
    if (target.buffer != nullptr) target.buffer->Release();
    target = {};
}

bool Renderer::Complete() const {
    if (device == nullptr) return true;
    const bool points = model->PointCount() > 0;
    const bool indices = model->IndexCount() > 0;
    return vertexDeclaration != nullptr &&
           (!points || (positionBuffer.buffer != nullptr && texcoordBuffer.buffer != nullptr &&
                        colourBuffer.buffer != nullptr)) &&
           (!indices || meshIndexBuffer.buffer != nullptr);
}

void Renderer::Update(float step) {
    if (manager == nullptr) return;

    if (morphOn && metaData != nullptr && !metaData->WeightImages().empty()) {
        // A clip morphing needs is missing (its box is shown): ordinary posing from next loop
        // on, and the buffers keep this loop's contents.
        if (!metaData->UpdateMorph(*manager, step)) {
            morphOn = false;
            return;
        }
    } else {
        manager->Advance(step);
    }

    if (metaData != nullptr && skinSwapOn) {
        BuildSwapList();
        if (swapIndicesDirty) {
            RebuildSwapIndexBuffer();
            swapIndicesDirty = false;
        }
    }

    Fill(positionBuffer, model->RenderPoints());
    Fill(colourBuffer, model->RenderColours());
    Fill(texcoordBuffer, model->Uvs());
}

void Renderer::BuildSwapList() {
    // The writer stores into workIndices and nowhere else, whatever position it is given.
    auto store = [this](std::int32_t destination, std::int32_t value) {
        if (destination >= 0 && static_cast<std::size_t>(destination) < workIndices.size())
            workIndices[static_cast<std::size_t>(destination)] = value;
    };
    const MobilantModule::IndexWriter writer(store, static_cast<std::int32_t>(workIndices.size()));
    std::int32_t count = 0;
    if (!metaData->BuildSkinSwapIndices(skinSwapName, *model->Composition(), writer, count))
        return;  // an unknown or refused swap: the list drawn before stays
    const auto entries = static_cast<std::size_t>(std::max(count, 0));
    const auto written = workIndices.begin();
    if (entries == drawIndices.size() &&
        std::equal(written, written + static_cast<std::ptrdiff_t>(entries), drawIndices.begin()))
        return;
    // A list unlike the one the buffer holds (another meta file, a changed swap) goes up anew.
    drawIndices.assign(written, written + static_cast<std::ptrdiff_t>(entries));
    swapIndicesDirty = true;
}

void Renderer::RebuildSwapIndexBuffer() {
    ReleaseBuffer(swapIndexBuffer);
    if (device == nullptr || drawIndices.empty()) return;
    CreateIndexBuffer(swapIndexBuffer, drawIndices.size(), drawIndices.data());
}

bool Renderer::SwapListInEffect() const {
    return metaData != nullptr && skinSwapOn && !drawIndices.empty();
}

bool Renderer::SwapListDrawn() const {
    // Without its index buffer (its creation failed) the model's own list is drawn instead.
    return SwapListInEffect() && (device == nullptr || swapIndexBuffer.buffer != nullptr);
}

void Renderer::Draw(const D3DMATRIX* matrix) {
    if (manager == nullptr || textureSlot == nullptr || matrix == nullptr) return;
    if (device == nullptr || device != d3dDevice) return;

    const bool swapList = SwapListDrawn();
    const std::uint64_t indexCount =
        swapList ? drawIndices.size() : static_cast<std::uint64_t>(model->IndexCount());
    IDirect3DIndexBuffer9* indices = swapList ? swapIndexBuffer.buffer : meshIndexBuffer.buffer;
    const auto triangles = static_cast<UINT>(indexCount / 3);
    if (triangles == 0 || indices == nullptr || positionBuffer.buffer == nullptr ||
        texcoordBuffer.buffer == nullptr || colourBuffer.buffer == nullptr ||
        vertexDeclaration == nullptr) {
        return;
    }

    D3DMATRIX savedProjection, savedWorld, savedView;
    if (FAILED(device->GetTransform(D3DTS_PROJECTION, &savedProjection)) ||
        FAILED(device->GetTransform(D3DTS_WORLD, &savedWorld)) ||
        FAILED(device->GetTransform(D3DTS_VIEW, &savedView))) {
        return;
    }

    // The mirror comes after the view: a vertex goes through `matrix`, then x is negated.
    D3DXMATRIX mirror;
    D3DXMatrixScaling(&mirror, manager->Mirrored() ? -1.0f : 1.0f, 1.0f, 1.0f);
    const D3DXMATRIX view(*matrix);
    D3DXMATRIX projection;
    D3DXMatrixMultiply(&projection, &view, &mirror);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);

    device->SetTexture(0, *textureSlot);
    device->SetStreamSource(0, positionBuffer.buffer, 0, kPositionStride);
    device->SetStreamSource(1, texcoordBuffer.buffer, 0, kTexcoordStride);
    device->SetStreamSource(2, colourBuffer.buffer, 0, kColourStride);
    device->SetVertexDeclaration(vertexDeclaration);
    device->SetIndices(indices);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, static_cast<UINT>(model->PointCount()),
                                 0, triangles);

    if (debugDraw) DrawDebugLines();

    device->SetTransform(D3DTS_PROJECTION, &savedProjection);
    device->SetTransform(D3DTS_WORLD, &savedWorld);
    device->SetTransform(D3DTS_VIEW, &savedView);
}

void Renderer::DrawDebugLines() {
    device->SetTexture(0, nullptr);
    device->SetFVF(kDebugFvf);

    // Bones from the root down, each before its children.
    if (const meshBone* root = model->Composition()->getRootBone()) {
        root->forEachInPreOrder([&](const meshBone& bone) {
            const DebugVertex line[2] = {
                {bone.getWorldStartPt().x, bone.getWorldStartPt().y, kDebugZ, kBoneStartColour},
                {bone.getWorldEndPt().x, bone.getWorldEndPt().y, kDebugZ, kBoneEndColour}};
            device->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(DebugVertex));
        });
    }

    // The box of this pose, drawn without being kept.
    const std::array<float, 4> box = PointBox(model->RenderPoints(), model->PointCount());
    const float minX = box[0], maxX = box[1], minY = box[2], maxY = box[3];
    const DebugVertex outline[5] = {{minX, minY, kDebugZ, kBoxColour},
                                    {minX, maxY, kDebugZ, kBoxColour},
                                    {maxX, maxY, kDebugZ, kBoxColour},
                                    {maxX, minY, kDebugZ, kBoxColour},
                                    {minX, minY, kDebugZ, kBoxColour}};
    device->DrawPrimitiveUP(D3DPT_LINESTRIP, 4, outline, sizeof(DebugVertex));
}

void Renderer::SetTexture(IDirect3DTexture9** slot) {
    textureSlot = slot;
}

void Renderer::InitAnimation(const JsonDocument& document, const std::string& name) {
    manager->LoadClip(document, name);
}

void Renderer::PlayAnimation(const std::string& name) {
    manager->SelectClip(name, false);
    manager->SetPlaying(true);
    manager->SetAutoBlend(false);
}

void Renderer::SetAnimationBlending(const std::string& name, float factor) {
    manager->SetAutoBlend(true);
    manager->BlendTo(name, factor);
}

void Renderer::SetAnimationTime(float t) {
    manager->SetRunTime(t);
}

float Renderer::GetAnimationTime() const {
    return manager->RunTime();
}

void Renderer::SetMirrorY(int value) {
    manager->SetMirrored(value != 0);
}

int Renderer::IsMirrorY() const {
    return manager->Mirrored() ? 1 : 0;
}

const std::array<float, 4>& Renderer::GetBoundingBox() {
    boxCache = PointBox(model->RenderPoints(), model->PointCount());
    return boxCache;
}

int Renderer::HitTestPolygons(float x, float y) const {
    const bool swapList = SwapListDrawn();
    const std::int32_t* indices = swapList ? drawIndices.data() : model->Indices();
    const std::size_t count =
        swapList ? drawIndices.size() : static_cast<std::size_t>(model->IndexCount());
    const float* points = model->RenderPoints();
    const auto pointCount = static_cast<std::uint32_t>(model->PointCount());
    for (std::size_t i = 0; i + 3 <= count; i += 3) {
        const auto a = static_cast<std::uint32_t>(indices[i]);
        const auto b = static_cast<std::uint32_t>(indices[i + 1]);
        const auto c = static_cast<std::uint32_t>(indices[i + 2]);
        if (a >= pointCount || b >= pointCount || c >= pointCount) continue;
        if (StrictlyInside(points + 3 * a, points + 3 * b, points + 3 * c, x, y)) return 1;
    }
    return 0;
}

void Renderer::LoadMetaFile(const std::string& fileName) {
    // A file that cannot be opened reads as empty text: meta data without swaps or morphs.
    std::string text;
    if (!MobilantModule::readWholeFile(fileName.c_str(), text)) text.clear();
    metaData = std::make_unique<MobilantMetaData>(text);
    const auto indices = static_cast<std::size_t>(model->IndexCount());
    workIndices.assign(indices, 0);
    // Room for any list, so that rebuilding one each loop allocates nothing.
    drawIndices.reserve(indices);
}

void Renderer::SetSkinSwap(const std::string& name) {
    if (name.empty()) {
        skinSwapOn = false;
        return;
    }
    skinSwapName = name;
    skinSwapOn = true;
    swapIndicesDirty = true;
}

void Renderer::SetMorphTargetPos(const float* target, const float* base, float radius,
                                 std::uint8_t useZ) {
    if (target == nullptr || base == nullptr || metaData == nullptr ||
        metaData->WeightImages().empty()) {
        return;
    }
    // Model space has y up; the control plane's rows run down, so y goes in negated.
    const std::size_t y = useZ != 0 ? 2 : 1;
    metaData->PlaceMorphPoint({target[0], -target[y]}, {base[0], -base[y]}, radius);
}

void Renderer::ReportD3DError(HRESULT result) {
    const wchar_t* text = nullptr;
    switch (static_cast<std::uint32_t>(result)) {
        case 0x8876086Cu:
            text = L"D3DERR_INVALIDCALL";
            break;
        case 0x8876017Cu:
            text = L"D3DERR_OUTOFVIDEOMEMORY";
            break;
        case 0x8007000Eu:
            text = L"E_OUTOFMEMORY";
            break;
        case 0x88760B59u:
            text = L"D3DXERR_INVALIDDATA";
            break;
        default:
            return;
    }
    ShowMessageBox(text, kErrorCaption);
}

}  // namespace MobilantRenderer
