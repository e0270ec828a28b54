// A Direct3D 9 device that draws in software, for builds without Windows and for
// tests that look at pixels.
//
// It implements the fixed-function pipeline the way Direct3D 9 defines it, so
// its pictures can be held against a real device: world x view x projection with
// row vectors, clipping, the viewport mapping, pixel centres at integer screen
// coordinates, the top-left fill rule, Gouraud colours, texel addressing, the
// texture stage, the alpha test and blending, in that order (see Rasterizer.h
// and PixelPipeline.h for the arithmetic). The same calls give the same bytes on
// every machine.
//
// What it leaves out: depth and stencil buffers (there is no depth surface, so
// z is only clipped), lights (with D3DRS_LIGHTING on, vertices are lit by no
// light: black, with their diffuse alpha), fog, specular, texture stages past 0
// (a draw with stage 1 enabled fails with D3DERR_TOOMANYOPERATIONS), mipmaps
// (textures have one level), multisampling and texture transforms.
//
// Bad input never reads or writes out of bounds: a draw whose indices or
// vertices fall outside the bound buffers or the given vertex range, a draw
// with a stream missing, a lock of a released or out-of-range buffer, are all
// refused with D3DERR_INVALIDCALL before anything is drawn or written.
//
// For tests it logs every call with its result, and can make Create calls fail.
#pragma once

#include <d3d9.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PixelPipeline.h"
#include "Rasterizer.h"
#include "SoftwareBuffer.h"
#include "SoftwareSurface.h"
#include "SoftwareTexture.h"
#include "SoftwareVertexDeclaration.h"
#include "VertexLayout.h"

// One logged call: its text with arguments, e.g.
// "SetStreamSource(0, VertexBuffer#2, 0, 12)", and its result.
struct DeviceCall {
    std::string call;
    HRESULT result = D3D_OK;
    bool hasMatrix = false;  // SetTransform and GetTransform carry their matrix
    D3DMATRIX matrix{};
};

// Which Create calls an injected failure applies to.
enum class CreateCall {
    Any,
    VertexBuffer,
    IndexBuffer,
    VertexDeclaration,
    Texture,
    RenderTarget,
    OffscreenPlainSurface,
};

class SoftwareDevice final : public IDirect3DDevice9 {
public:
    // Largest width or height of a texture or surface.
    static constexpr UINT kMaxSurfaceSize = 16384;
    // Largest vertex or index buffer, in bytes.
    static constexpr UINT kMaxBufferBytes = 256u << 20;
    // Largest vertex range one draw may span (its vertices are transformed up front).
    static constexpr UINT kMaxDrawVertices = 1u << 22;

    // A device with one reference whose implicit render target (lockable, cleared
    // to 0) has the given size and format (A8R8G8B8 or X8R8G8B8); null when the
    // size or format is not supported.
    static SoftwareDevice* Create(UINT width, UINT height, D3DFORMAT format = D3DFMT_X8R8G8B8);

    SoftwareDevice(const SoftwareDevice&) = delete;
    SoftwareDevice& operator=(const SoftwareDevice&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDirect3DDevice9
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
    HRESULT STDMETHODCALLTYPE CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                            D3DFORMAT Format, D3DPOOL Pool,
                                            IDirect3DTexture9** ppTexture,
                                            HANDLE* pSharedHandle) override;
    HRESULT STDMETHODCALLTYPE CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                                 IDirect3DVertexBuffer9** ppVertexBuffer,
                                                 HANDLE* pSharedHandle) override;
    HRESULT STDMETHODCALLTYPE CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format,
                                                D3DPOOL Pool, IDirect3DIndexBuffer9** ppIndexBuffer,
                                                HANDLE* pSharedHandle) override;
    HRESULT STDMETHODCALLTYPE CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format,
                                                 D3DMULTISAMPLE_TYPE MultiSample,
                                                 DWORD MultisampleQuality, BOOL Lockable,
                                                 IDirect3DSurface9** ppSurface,
                                                 HANDLE* pSharedHandle) override;
    HRESULT STDMETHODCALLTYPE GetRenderTargetData(IDirect3DSurface9* pRenderTarget,
                                                  IDirect3DSurface9* pDestSurface) override;
    HRESULT STDMETHODCALLTYPE CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                                          D3DPOOL Pool,
                                                          IDirect3DSurface9** ppSurface,
                                                          HANDLE* pSharedHandle) override;
    HRESULT STDMETHODCALLTYPE SetRenderTarget(DWORD RenderTargetIndex,
                                              IDirect3DSurface9* pRenderTarget) override;
    HRESULT STDMETHODCALLTYPE GetRenderTarget(DWORD RenderTargetIndex,
                                              IDirect3DSurface9** ppRenderTarget) override;
    HRESULT STDMETHODCALLTYPE BeginScene() override;
    HRESULT STDMETHODCALLTYPE EndScene() override;
    HRESULT STDMETHODCALLTYPE Clear(DWORD Count, CONST D3DRECT* pRects, DWORD Flags, D3DCOLOR Color,
                                    float Z, DWORD Stencil) override;
    HRESULT STDMETHODCALLTYPE SetTransform(D3DTRANSFORMSTATETYPE State,
                                           CONST D3DMATRIX* pMatrix) override;
    HRESULT STDMETHODCALLTYPE GetTransform(D3DTRANSFORMSTATETYPE State,
                                           D3DMATRIX* pMatrix) override;
    HRESULT STDMETHODCALLTYPE SetViewport(CONST D3DVIEWPORT9* pViewport) override;
    HRESULT STDMETHODCALLTYPE GetViewport(D3DVIEWPORT9* pViewport) override;
    HRESULT STDMETHODCALLTYPE SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
    HRESULT STDMETHODCALLTYPE GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
    HRESULT STDMETHODCALLTYPE GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) override;
    HRESULT STDMETHODCALLTYPE SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
    HRESULT STDMETHODCALLTYPE GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                                   DWORD* pValue) override;
    HRESULT STDMETHODCALLTYPE SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                                   DWORD Value) override;
    HRESULT STDMETHODCALLTYPE GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type,
                                              DWORD* pValue) override;
    HRESULT STDMETHODCALLTYPE SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type,
                                              DWORD Value) override;
    HRESULT STDMETHODCALLTYPE SetScissorRect(CONST RECT* pRect) override;
    HRESULT STDMETHODCALLTYPE GetScissorRect(RECT* pRect) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                            UINT PrimitiveCount) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType,
                                                   INT BaseVertexIndex, UINT MinVertexIndex,
                                                   UINT NumVertices, UINT startIndex,
                                                   UINT primCount) override;
    HRESULT STDMETHODCALLTYPE DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                              CONST void* pVertexStreamZeroData,
                                              UINT VertexStreamZeroStride) override;
    HRESULT STDMETHODCALLTYPE DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType,
                                                     UINT MinVertexIndex, UINT NumVertices,
                                                     UINT PrimitiveCount, CONST void* pIndexData,
                                                     D3DFORMAT IndexDataFormat,
                                                     CONST void* pVertexStreamZeroData,
                                                     UINT VertexStreamZeroStride) override;
    HRESULT STDMETHODCALLTYPE CreateVertexDeclaration(
        CONST D3DVERTEXELEMENT9* pVertexElements, IDirect3DVertexDeclaration9** ppDecl) override;
    HRESULT STDMETHODCALLTYPE SetVertexDeclaration(IDirect3DVertexDeclaration9* pDecl) override;
    HRESULT STDMETHODCALLTYPE GetVertexDeclaration(IDirect3DVertexDeclaration9** ppDecl) override;
    HRESULT STDMETHODCALLTYPE SetFVF(DWORD FVF) override;
    HRESULT STDMETHODCALLTYPE GetFVF(DWORD* pFVF) override;
    HRESULT STDMETHODCALLTYPE SetStreamSource(UINT StreamNumber,
                                              IDirect3DVertexBuffer9* pStreamData,
                                              UINT OffsetInBytes, UINT Stride) override;
    HRESULT STDMETHODCALLTYPE GetStreamSource(UINT StreamNumber,
                                              IDirect3DVertexBuffer9** ppStreamData,
                                              UINT* pOffsetInBytes, UINT* pStride) override;
    HRESULT STDMETHODCALLTYPE SetIndices(IDirect3DIndexBuffer9* pIndexData) override;
    HRESULT STDMETHODCALLTYPE GetIndices(IDirect3DIndexBuffer9** ppIndexData) override;

    // --- For tests and the headless host ---

    // Every call made so far, oldest first (at most kMaxLoggedCalls are kept).
    const std::vector<DeviceCall>& CallLog() const { return calls_; }
    void ClearCallLog() { calls_.clear(); }
    // Logging is on by default; a long-running host or a benchmark turns it off.
    void SetCallLogging(bool enabled) { logging_ = enabled; }
    static constexpr size_t kMaxLoggedCalls = 1u << 20;

    // Makes Create calls of the given kind fail with `result` (after argument
    // checks pass): the next `skip` such calls succeed, the `count` after them
    // fail, returning `result` and a null object. Replaces any earlier injection.
    void FailCreateCalls(CreateCall kind, HRESULT result, UINT skip = 0, UINT count = 1);
    void ClearCreateFailures() { failure_ = {}; }

    // The pixels of any surface of this device (lockable or not) as 0xAARRGGBB
    // words, row by row; empty for a surface that is not this device's or is released.
    std::vector<D3DCOLOR> ReadPixels(IDirect3DSurface9* surface) const;
    // The pixels of the current render target.
    std::vector<D3DCOLOR> ReadRenderTarget() const;

    // Pixels handed to the pixel pipeline by draws so far.
    std::uint64_t PixelsShaded() const { return pixelsShaded_; }

    // The device's reference count (for leak checks in tests).
    ULONG References() const { return references_; }

    // Objects made by Create calls that someone still holds a public reference to (for leak
    // checks in tests); the device's own surfaces, and released objects kept only by a binding,
    // are not counted.
    UINT LiveObjects() const;

    // Rasterising is on by default. Off, draws are checked, logged and counted as usual but
    // transform and shade nothing, so a benchmark measures what issuing them costs the caller.
    void SetRasterizing(bool enabled) { rasterizing_ = enabled; }

    // A readable name for a result code, e.g. "D3DERR_INVALIDCALL".
    static const char* ResultName(HRESULT result);

    // --- Used by the device's objects ---

    void Log(HRESULT result, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void Misuse(const char* object, const char* what);
    HRESULT HandOut(const char* object, IDirect3DDevice9** ppDevice);
    UINT NextObjectNumber() { return ++objectNumber_; }
    // Drops a reference without destroying the device (its own objects' references).
    void ReleaseInternal() { --references_; }

private:
    struct Stream {
        SoftwareVertexBuffer* buffer = nullptr;
        UINT offset = 0;
        UINT stride = 0;
    };

    // Where a draw's vertices and indices come from.
    struct DrawCall {
        D3DPRIMITIVETYPE type;
        UINT primitiveCount;
        const BYTE* userVertices = nullptr;  // the UP draws' stream 0
        UINT userStride = 0;
        bool indexed = false;
        const BYTE* indices = nullptr;
        std::uint64_t indexEntries = 0;  // entries available from `indices`
        bool index32 = false;
        UINT startIndex = 0;
        std::int64_t baseVertex = 0;
        UINT minIndex = 0;
        UINT numVertices = 0;
        UINT startVertex = 0;
    };

    struct CreateFailure {
        CreateCall kind = CreateCall::Any;
        HRESULT result = D3D_OK;
        UINT skip = 0;
        UINT count = 0;
    };

    SoftwareDevice(UINT width, UINT height, D3DFORMAT format);
    ~SoftwareDevice();

    template <class T, class... Args>
    T* Adopt(Args&&... args);
    bool InjectedFailure(CreateCall kind, HRESULT& result);
    void Rebind(SoftwareObject* previous, SoftwareObject* next);
    void ResetTargetRectangles();
    RECT WritableRect() const;
    const VertexLayout* CurrentLayout() const;
    HRESULT Draw(const DrawCall& call);
    HRESULT CheckDraw(const DrawCall& call, const VertexLayout& layout, std::uint64_t& first,
                      std::uint64_t& count) const;
    void TransformVertices(const DrawCall& call, const VertexLayout& layout, std::uint64_t first,
                           std::uint64_t count);
    ShadingState CaptureShading() const;
    std::uint64_t IndexAt(const DrawCall& call, std::uint64_t position) const;

    ULONG references_ = 1;
    UINT objectNumber_ = 0;
    std::vector<std::unique_ptr<SoftwareObject>> objects_;

    SoftwareSurface* backBuffer_ = nullptr;
    SoftwareSurface* renderTarget_ = nullptr;
    std::array<SoftwareTexture*, 16> textures_{};
    std::array<Stream, VertexLayout::kStreams> streams_{};
    SoftwareIndexBuffer* indices_ = nullptr;
    SoftwareVertexDeclaration* declaration_ = nullptr;
    DWORD fvf_ = 0;
    VertexLayout fvfLayout_;
    bool fvfLayoutValid_ = false;

    std::array<DWORD, 256> renderStates_{};
    std::array<std::array<DWORD, 14>, 16> samplerStates_{};
    std::array<std::array<DWORD, 33>, 8> stageStates_{};
    std::array<D3DMATRIX, 512> transforms_{};
    D3DVIEWPORT9 viewport_{};
    RECT scissor_{};
    bool inScene_ = false;

    std::vector<ClipVertex> vertices_;  // scratch, reused by every draw
    std::uint64_t pixelsShaded_ = 0;

    std::vector<DeviceCall> calls_;
    bool logging_ = true;
    bool rasterizing_ = true;
    CreateFailure failure_;
};
