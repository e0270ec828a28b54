#pragma once

#include <d3d9.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "JsonDocument.h"
#include "Mobilant.h"
#include "MobilantManager.h"

namespace MobilantModule {
class MobilantMetaData;
}

namespace MobilantRenderer {

// Turns one model into pixels. Owns the model instance and its animation manager, keeps the
// model's points, texture coordinates, colours and indices in Direct3D 9 buffers made through
// the process-wide d3dDevice, refreshes the three vertex streams after every pose, and draws the
// mesh as one indexed triangle list with the texture held in a texture pool slot.
//
// Vertex streams, one element per model point, described by one vertex declaration:
//   stream 0  FLOAT3    POSITION  12 bytes  render points x, y, z
//   stream 1  FLOAT2    TEXCOORD   8 bytes  UVs u, v
//   stream 2  D3DCOLOR  COLOR      4 bytes  render colours, the model's red, green, blue, alpha
//                                           bytes copied as they are
// Indices are 32-bit. Debug lines are drawn from user memory as D3DFVF_XYZ | D3DFVF_DIFFUSE.
//
// It sets no render, sampler or texture-stage state and begins no scene; see Direct3DDevice.h
// for the states the host provides. Without a device it creates, locks, binds and draws nothing
// and shows no message; posing, the box and hit tests work all the same. A Direct3D object that
// could not be made is reported once (ReportD3DError) and never locked, filled or bound, and a
// draw that would bind a missing one is skipped. Buffer sizes are worked out in 64 bits; a size
// beyond kMaxBufferBytes is refused as the device would refuse it, with
// "D3DERR_OUTOFVIDEOMEMORY".
//
// Meta data (skin swaps, morph targets) comes from LoadMetaFile: until a meta file has been
// loaded every meta step is skipped. While a skin swap is selected the swap's index list is
// rebuilt every Update and drawn instead of the model's; its index buffer is made anew whenever
// the list changes (a new selection, a new meta file), and if that fails the model's own list is
// drawn. With morphing on, the meta data's morph blend poses the model instead of the manager; a
// clip it misses switches morphing off (its message box shown once per attempt).
//
// Update and Draw allocate nothing.
class Renderer final {
public:
    // The largest buffer asked for: Direct3D 9 takes buffer lengths as 32-bit values.
    static constexpr std::uint64_t kMaxBufferBytes = 0xFFFFFFFFu;

    // A renderer for the model in `document` (a parsed model file from the model pool): builds
    // the model and its manager, loads, selects and plays the clip "default" posed at its start,
    // then creates the vertex declaration and, for non-empty arrays, the buffers, filled from the
    // rest points, UVs, render colours and indices. Nothing refers into `document` afterwards.
    explicit Renderer(const MobilantModule::JsonDocument& document);
    // Destroys the manager, the model and the meta data, then releases every Direct3D object.
    ~Renderer();

    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // One game loop: the manager advances by `step` and poses the model (or, with morphing on
    // and weight images loaded, the meta data's morph blend poses it; when that misses a clip,
    // morphing goes off and nothing else happens this loop), the selected skin swap's list is
    // rebuilt, then the position, colour and texture-coordinate buffers are refilled from the
    // model in that order.
    virtual void Update(float step);

    // Draws the posed mesh with projection `matrix` (followed by the mirror when it is on),
    // world and view identity, then the debug lines when asked; the device's projection, world
    // and view transforms are the same afterwards as before. Nothing without a texture slot, a
    // device, any buffer or the declaration it would bind, or a whole triangle to draw.
    void Draw(const D3DMATRIX* matrix);

    // Binds texture pool slot `slot` (not owned); the texture is read through it at every draw.
    void SetTexture(IDirect3DTexture9** slot);
    // Loads clip `name` from `document` into the manager (a missing clip shows its message).
    void InitAnimation(const MobilantModule::JsonDocument& document, const std::string& name);
    // Plays clip `name` from its start, without blending.
    void PlayAnimation(const std::string& name);
    // Cross-fades to clip `name`, the blend weight growing by `factor` per game loop.
    void SetAnimationBlending(const std::string& name, float factor);
    // The manager's run time := `t` (frames).
    void SetAnimationTime(float t);
    // The manager's run time.
    float GetAnimationTime() const;
    // Mirrors what is drawn in x (after the view) when `value` is not 0.
    void SetMirrorY(int value);
    // 1 while mirrored, else 0.
    int IsMirrorY() const;
    // Draws the bone lines and the bounding box after the mesh when on.
    void SetDebugDraw(bool flag) { debugDraw = flag; }

    // The box of the posed points' x and y: minX, maxX, minY, maxY (all 0 without points);
    // kept as the last result.
    const std::array<float, 4>& GetBoundingBox();

    // 1 when model-space point (x, y) lies strictly inside one of the triangles drawn (the skin
    // swap's list when it is drawn, else the model's), in either winding, else 0. Points on
    // an edge, degenerate triangles, a trailing part of a triangle and triangles with an index
    // outside the points count for nothing.
    int HitTestPolygons(float x, float y) const;

    // Loads the meta data file `fileName` for this model, replacing earlier meta data; a file
    // that cannot be read, or is not meta data, gives meta data without swaps or morph targets.
    void LoadMetaFile(const std::string& fileName);
    // Selects skin swap `name` from the next Update on; an empty name goes back to the whole
    // mesh. A name the meta data does not know keeps the list drawn before.
    void SetSkinSwap(const std::string& name);
    // Morph-target blending replaces posing while on (and meta data with weight images exists).
    void SetMorphTargetFlg(bool flag) { morphOn = flag; }
    // Places the morph control point: target and base points are three floats (x, y, z); y is
    // element 2 when `useZ` is not 0. Only with meta data that holds weight images.
    void SetMorphTargetPos(const float* target, const float* base, float radius,
                           std::uint8_t useZ);

    // Shows the message box for a failed Direct3D call: caption "MobilantRenderere", text the
    // code's name for D3DERR_INVALIDCALL, D3DERR_OUTOFVIDEOMEMORY, E_OUTOFMEMORY and
    // D3DXERR_INVALIDDATA; any other code, success included, shows nothing.
    static void ReportD3DError(HRESULT result);

    // True when every Direct3D object this model needs exists: always without a device.
    bool Complete() const;

    MobilantModule::Mobilant& Model() { return *model; }
    const MobilantModule::Mobilant& Model() const { return *model; }
    MobilantModule::MobilantManager& Manager() { return *manager; }
    const MobilantModule::MobilantManager& Manager() const { return *manager; }
    // The meta data; null until a meta file is loaded.
    const MobilantModule::MobilantMetaData* MetaData() const { return metaData.get(); }
    // The skin swap's index list as its index buffer holds it (empty: none drawn).
    const std::vector<std::int32_t>& DrawIndices() const { return drawIndices; }
    IDirect3DTexture9** TextureSlot() const { return textureSlot; }
    bool DebugDraw() const { return debugDraw; }
    bool SkinSwapOn() const { return skinSwapOn; }
    const std::string& SkinSwapName() const { return skinSwapName; }
    bool MorphOn() const { return morphOn; }

private:
    template <class Interface>
    struct Buffer {
        Interface* buffer = nullptr;
        UINT bytes = 0;
    };
    using VertexBuffer = Buffer<IDirect3DVertexBuffer9>;
    using IndexBuffer = Buffer<IDirect3DIndexBuffer9>;

    void CreateVertexStream(VertexBuffer& stream, std::uint64_t bytes, DWORD fvf,
                            const void* source);
    void CreateIndexBuffer(IndexBuffer& target, std::uint64_t entries,
                           const std::int32_t* source);
    void BuildSwapList();
    void RebuildSwapIndexBuffer();
    bool SwapListInEffect() const;
    bool SwapListDrawn() const;
    void DrawDebugLines();

    template <class Interface>
    static void Fill(const Buffer<Interface>& target, const void* source);
    template <class Interface>
    static void ReleaseBuffer(Buffer<Interface>& target);

    IDirect3DTexture9** textureSlot = nullptr;
    std::array<float, 4> boxCache{};
    // The model before its manager, so the manager goes first whatever ends the renderer.
    std::unique_ptr<MobilantModule::Mobilant> model;
    std::unique_ptr<MobilantModule::MobilantManager> manager;
    VertexBuffer positionBuffer;
    VertexBuffer texcoordBuffer;
    VertexBuffer colourBuffer;
    IndexBuffer meshIndexBuffer;
    IndexBuffer swapIndexBuffer;
    bool swapIndicesDirty = false;
    IDirect3DVertexDeclaration9* vertexDeclaration = nullptr;
    bool debugDraw = false;
    // Scratch list the meta data writes a skin swap's indices into.
    std::vector<std::int32_t> workIndices;
    // The skin swap's index list, as swapIndexBuffer holds it.
    std::vector<std::int32_t> drawIndices;
    // The model's meta data: null until a meta file is loaded.
    std::unique_ptr<MobilantModule::MobilantMetaData> metaData;
    std::string skinSwapName;
    bool skinSwapOn = false;
    bool morphOn = false;
    // The device the Direct3D objects were made with; draws only while it is d3dDevice.
    IDirect3DDevice9* device = nullptr;
};

}  // namespace MobilantRenderer
