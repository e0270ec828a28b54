#include "SoftwareDevice.h"

#include <algorithm>
#include <bit>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

namespace {

const char* ObjectName(const SoftwareObject* object) {
    return object != nullptr ? object->Name() : "null";
}

const char* TransformName(D3DTRANSFORMSTATETYPE state) {
    switch (static_cast<int>(state)) {
        case D3DTS_VIEW:
            return "D3DTS_VIEW";
        case D3DTS_PROJECTION:
            return "D3DTS_PROJECTION";
        case 256:
            return "D3DTS_WORLD";
        default:
            return nullptr;
    }
}

const char* PrimitiveName(D3DPRIMITIVETYPE type) {
    switch (type) {
        case D3DPT_POINTLIST:
            return "D3DPT_POINTLIST";
        case D3DPT_LINELIST:
            return "D3DPT_LINELIST";
        case D3DPT_LINESTRIP:
            return "D3DPT_LINESTRIP";
        case D3DPT_TRIANGLELIST:
            return "D3DPT_TRIANGLELIST";
        case D3DPT_TRIANGLESTRIP:
            return "D3DPT_TRIANGLESTRIP";
        case D3DPT_TRIANGLEFAN:
            return "D3DPT_TRIANGLEFAN";
        default:
            return "?";
    }
}

bool ValidTransform(D3DTRANSFORMSTATETYPE state) {
    const int s = static_cast<int>(state);
    return s == D3DTS_VIEW || s == D3DTS_PROJECTION ||
           (s >= D3DTS_TEXTURE0 && s <= D3DTS_TEXTURE7) || (s >= 256 && s < 512);
}

bool ValidPool(D3DPOOL pool) {
    return pool == D3DPOOL_DEFAULT || pool == D3DPOOL_MANAGED || pool == D3DPOOL_SYSTEMMEM ||
           pool == D3DPOOL_SCRATCH;
}

bool ValidSize(UINT width, UINT height) {
    return width >= 1 && height >= 1 && width <= SoftwareDevice::kMaxSurfaceSize &&
           height <= SoftwareDevice::kMaxSurfaceSize;
}

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

// Vertices a draw of `count` primitives reads; 0 for an unknown type.
std::uint64_t VerticesFor(D3DPRIMITIVETYPE type, std::uint64_t count) {
    switch (type) {
        case D3DPT_POINTLIST:
            return count;
        case D3DPT_LINELIST:
            return 2 * count;
        case D3DPT_LINESTRIP:
            return count + 1;
        case D3DPT_TRIANGLELIST:
            return 3 * count;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN:
            return count + 2;
        default:
            return 0;
    }
}

DWORD FloatBits(float f) {
    return std::bit_cast<DWORD>(f);
}

template <class T, class Interface>
T* Own(Interface* object, const SoftwareDevice* device) {
    T* own = dynamic_cast<T*>(object);
    return own != nullptr && &own->Device() == device ? own : nullptr;
}

}  // namespace

SoftwareDevice* SoftwareDevice::Create(UINT width, UINT height, D3DFORMAT format) {
    if (!ValidSize(width, height) || !SoftwareSurface::SupportedFormat(format)) return nullptr;
    auto* device = new SoftwareDevice(width, height, format);
    if (device->backBuffer_ == nullptr) {  // out of memory
        device->Release();
        return nullptr;
    }
    return device;
}

SoftwareDevice::SoftwareDevice(UINT width, UINT height, D3DFORMAT format) {
    // Direct3D 9's documented defaults; floats are stored as their bits.
    DWORD* rs = renderStates_.data();
    rs[D3DRS_ZENABLE] = D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGEND] = FloatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = 0xFFFFFFFF;
    rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
    rs[D3DRS_POINTSIZE_MIN] = FloatBits(1.0f);
    rs[D3DRS_POINTSCALE_A] = FloatBits(1.0f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    rs[D3DRS_POSITIONDEGREE] = D3DDEGREE_CUBIC;
    rs[D3DRS_NORMALDEGREE] = D3DDEGREE_LINEAR;
    rs[D3DRS_MINTESSELLATIONLEVEL] = FloatBits(1.0f);
    rs[D3DRS_MAXTESSELLATIONLEVEL] = FloatBits(1.0f);
    rs[D3DRS_ADAPTIVETESS_Z] = FloatBits(1.0f);
    rs[D3DRS_CCW_STENCILFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_CCW_STENCILZFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_CCW_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_COLORWRITEENABLE1] = 0xF;
    rs[D3DRS_COLORWRITEENABLE2] = 0xF;
    rs[D3DRS_COLORWRITEENABLE3] = 0xF;
    rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;

    for (auto& sampler : samplerStates_) {
        sampler[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        sampler[D3DSAMP_MAXANISOTROPY] = 1;
    }
    for (DWORD stage = 0; stage < stageStates_.size(); ++stage) {
        auto& s = stageStates_[stage];
        s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        s[D3DTSS_TEXCOORDINDEX] = stage;
        s[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        s[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        s[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }
    transforms_.fill(Identity());

    backBuffer_ = Adopt<SoftwareSurface>(*this, width, height, format, D3DUSAGE_RENDERTARGET,
                                         D3DPOOL_DEFAULT, true, nullptr);
    if (backBuffer_ == nullptr) return;
    // The device's own surface does not keep the device alive.
    backBuffer_->MakeDeviceOwned();
    ReleaseInternal();
    renderTarget_ = backBuffer_;
    renderTarget_->Bind();
    ResetTargetRectangles();
}

SoftwareDevice::~SoftwareDevice() = default;

template <class T, class... Args>
T* SoftwareDevice::Adopt(Args&&... args) {
    T* raw = nullptr;
    try {
        auto object = std::make_unique<T>(std::forward<Args>(args)...);
        raw = object.get();
        objects_.push_back(std::move(object));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    AddRef();  // the object's first public reference keeps the device alive
    return raw;
}

// --- IUnknown ---

HRESULT SoftwareDevice::QueryInterface(REFIID, void** ppvObject) {
    if (ppvObject != nullptr) *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG SoftwareDevice::AddRef() {
    return ++references_;
}

ULONG SoftwareDevice::Release() {
    if (references_ == 0) return 0;
    if (--references_ > 0) return references_;
    delete this;
    return 0;
}

// --- Logging and object support ---

void SoftwareDevice::Log(HRESULT result, const char* format, ...) {
    if (!logging_ || calls_.size() >= kMaxLoggedCalls) return;
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    DeviceCall entry;
    entry.call = text;
    entry.result = result;
    calls_.push_back(std::move(entry));
}

void SoftwareDevice::Misuse(const char* object, const char* what) {
    Log(D3DERR_INVALIDCALL, "%s: %s", object, what);
}

HRESULT SoftwareDevice::HandOut(const char* object, IDirect3DDevice9** ppDevice) {
    HRESULT result = D3DERR_INVALIDCALL;
    if (ppDevice != nullptr) {
        *ppDevice = this;
        AddRef();
        result = D3D_OK;
    }
    Log(result, "%s.GetDevice()", object);
    return result;
}

const char* SoftwareDevice::ResultName(HRESULT result) {
    switch (result) {
        case D3D_OK:
            return "D3D_OK";
        case D3DERR_INVALIDCALL:
            return "D3DERR_INVALIDCALL";
        case D3DERR_OUTOFVIDEOMEMORY:
            return "D3DERR_OUTOFVIDEOMEMORY";
        case D3DERR_NOTAVAILABLE:
            return "D3DERR_NOTAVAILABLE";
        case D3DERR_TOOMANYOPERATIONS:
            return "D3DERR_TOOMANYOPERATIONS";
        case D3DERR_UNSUPPORTEDCOLOROPERATION:
            return "D3DERR_UNSUPPORTEDCOLOROPERATION";
        case D3DERR_UNSUPPORTEDALPHAOPERATION:
            return "D3DERR_UNSUPPORTEDALPHAOPERATION";
        case E_OUTOFMEMORY:
            return "E_OUTOFMEMORY";
        default:
            return "(other)";
    }
}

UINT SoftwareDevice::LiveObjects() const {
    UINT live = 0;
    for (const auto& object : objects_) {
        if (object->PublicReferences() > 0) ++live;
    }
    return live;
}

void SoftwareDevice::FailCreateCalls(CreateCall kind, HRESULT result, UINT skip, UINT count) {
    failure_ = {kind, result, skip, count};
}

bool SoftwareDevice::InjectedFailure(CreateCall kind, HRESULT& result) {
    if (failure_.count == 0 || (failure_.kind != CreateCall::Any && failure_.kind != kind)) {
        return false;
    }
    if (failure_.skip > 0) {
        --failure_.skip;
        return false;
    }
    --failure_.count;
    result = failure_.result;
    return true;
}

void SoftwareDevice::Rebind(SoftwareObject* previous, SoftwareObject* next) {
    // Bind first: rebinding the same object must not drop its contents in between.
    if (next != nullptr) next->Bind();
    if (previous != nullptr) previous->Unbind();
}

// --- Resources ---

HRESULT SoftwareDevice::TestCooperativeLevel() {
    return D3D_OK;
}

HRESULT SoftwareDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                      D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                                      HANDLE* pSharedHandle) {
    HRESULT result = D3D_OK;
    if (ppTexture != nullptr) *ppTexture = nullptr;
    const bool renderTarget = (Usage & D3DUSAGE_RENDERTARGET) != 0;
    if (ppTexture == nullptr || pSharedHandle != nullptr || !ValidSize(Width, Height) ||
        Levels > 1 || !SoftwareSurface::SupportedFormat(Format) || !ValidPool(Pool) ||
        (renderTarget && Pool != D3DPOOL_DEFAULT) ||
        ((Usage & D3DUSAGE_DYNAMIC) && Pool == D3DPOOL_MANAGED) ||
        (Usage & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC | D3DUSAGE_AUTOGENMIPMAP))) {
        result = D3DERR_INVALIDCALL;
    } else if (!InjectedFailure(CreateCall::Texture, result)) {
        *ppTexture = Adopt<SoftwareTexture>(*this, Width, Height, Usage, Format, Pool);
        if (*ppTexture == nullptr) result = E_OUTOFMEMORY;
    }
    Log(result, "CreateTexture(%u, %u, %u, 0x%x, %d, %d) -> %s", Width, Height, Levels, Usage,
        Format, Pool,
        ppTexture != nullptr ? ObjectName(Own<SoftwareTexture>(*ppTexture, this)) : "null");
    return result;
}

HRESULT SoftwareDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                           IDirect3DVertexBuffer9** ppVertexBuffer,
                                           HANDLE* pSharedHandle) {
    HRESULT result = D3D_OK;
    if (ppVertexBuffer != nullptr) *ppVertexBuffer = nullptr;
    if (ppVertexBuffer == nullptr || pSharedHandle != nullptr || Length == 0 || !ValidPool(Pool) ||
        (FVF != 0 && Length < VertexLayout::FvfVertexSize(FVF))) {
        result = D3DERR_INVALIDCALL;
    } else if (Length > kMaxBufferBytes) {
        result = D3DERR_OUTOFVIDEOMEMORY;
    } else if (!InjectedFailure(CreateCall::VertexBuffer, result)) {
        *ppVertexBuffer =
            Adopt<SoftwareVertexBuffer>(*this, Length, Usage, D3DFMT_VERTEXDATA, FVF, Pool);
        if (*ppVertexBuffer == nullptr) result = E_OUTOFMEMORY;
    }
    Log(result, "CreateVertexBuffer(%u, 0x%x, 0x%x, %d) -> %s", Length, Usage, FVF, Pool,
        ppVertexBuffer != nullptr ? ObjectName(Own<SoftwareVertexBuffer>(*ppVertexBuffer, this))
                                  : "null");
    return result;
}

HRESULT SoftwareDevice::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                          IDirect3DIndexBuffer9** ppIndexBuffer,
                                          HANDLE* pSharedHandle) {
    HRESULT result = D3D_OK;
    if (ppIndexBuffer != nullptr) *ppIndexBuffer = nullptr;
    if (ppIndexBuffer == nullptr || pSharedHandle != nullptr || Length == 0 || !ValidPool(Pool) ||
        (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32)) {
        result = D3DERR_INVALIDCALL;
    } else if (Length > kMaxBufferBytes) {
        result = D3DERR_OUTOFVIDEOMEMORY;
    } else if (!InjectedFailure(CreateCall::IndexBuffer, result)) {
        *ppIndexBuffer = Adopt<SoftwareIndexBuffer>(*this, Length, Usage, Format, 0, Pool);
        if (*ppIndexBuffer == nullptr) result = E_OUTOFMEMORY;
    }
    Log(result, "CreateIndexBuffer(%u, 0x%x, %d, %d) -> %s", Length, Usage, Format, Pool,
        ppIndexBuffer != nullptr ? ObjectName(Own<SoftwareIndexBuffer>(*ppIndexBuffer, this))
                                 : "null");
    return result;
}

HRESULT SoftwareDevice::CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format,
                                           D3DMULTISAMPLE_TYPE MultiSample,
                                           DWORD MultisampleQuality, BOOL Lockable,
                                           IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) {
    HRESULT result = D3D_OK;
    if (ppSurface != nullptr) *ppSurface = nullptr;
    if (ppSurface == nullptr || pSharedHandle != nullptr || !ValidSize(Width, Height) ||
        !SoftwareSurface::SupportedFormat(Format)) {
        result = D3DERR_INVALIDCALL;
    } else if (MultiSample != D3DMULTISAMPLE_NONE) {
        result = D3DERR_NOTAVAILABLE;
    } else if (!InjectedFailure(CreateCall::RenderTarget, result)) {
        *ppSurface = Adopt<SoftwareSurface>(*this, Width, Height, Format, D3DUSAGE_RENDERTARGET,
                                            D3DPOOL_DEFAULT, Lockable != FALSE, nullptr);
        if (*ppSurface == nullptr) result = E_OUTOFMEMORY;
    }
    Log(result, "CreateRenderTarget(%u, %u, %d, %d, %u, %d) -> %s", Width, Height, Format,
        MultiSample, MultisampleQuality, Lockable,
        ppSurface != nullptr ? ObjectName(Own<SoftwareSurface>(*ppSurface, this)) : "null");
    return result;
}

HRESULT SoftwareDevice::CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                                    D3DPOOL Pool, IDirect3DSurface9** ppSurface,
                                                    HANDLE* pSharedHandle) {
    HRESULT result = D3D_OK;
    if (ppSurface != nullptr) *ppSurface = nullptr;
    if (ppSurface == nullptr || pSharedHandle != nullptr || !ValidSize(Width, Height) ||
        !SoftwareSurface::SupportedFormat(Format) || !ValidPool(Pool) || Pool == D3DPOOL_MANAGED) {
        result = D3DERR_INVALIDCALL;
    } else if (!InjectedFailure(CreateCall::OffscreenPlainSurface, result)) {
        *ppSurface = Adopt<SoftwareSurface>(*this, Width, Height, Format, 0, Pool, true, nullptr);
        if (*ppSurface == nullptr) result = E_OUTOFMEMORY;
    }
    Log(result, "CreateOffscreenPlainSurface(%u, %u, %d, %d) -> %s", Width, Height, Format, Pool,
        ppSurface != nullptr ? ObjectName(Own<SoftwareSurface>(*ppSurface, this)) : "null");
    return result;
}

HRESULT SoftwareDevice::CreateVertexDeclaration(CONST D3DVERTEXELEMENT9* pVertexElements,
                                                IDirect3DVertexDeclaration9** ppDecl) {
    HRESULT result = D3D_OK;
    if (ppDecl != nullptr) *ppDecl = nullptr;
    std::vector<D3DVERTEXELEMENT9> elements;
    VertexLayout layout;
    bool valid = ppDecl != nullptr && pVertexElements != nullptr;
    if (valid) {
        // Read up to the end marker, and no further than the longest legal declaration.
        UINT count = 0;
        while (count <= MAXD3DDECLLENGTH && pVertexElements[count].Stream != 0xFF)
            ++count;
        valid = count <= MAXD3DDECLLENGTH &&
                VertexLayout::FromDeclaration(pVertexElements, count, layout);
        if (valid) elements.assign(pVertexElements, pVertexElements + count + 1);
    }
    if (!valid) {
        result = D3DERR_INVALIDCALL;
    } else if (!InjectedFailure(CreateCall::VertexDeclaration, result)) {
        *ppDecl = Adopt<SoftwareVertexDeclaration>(*this, std::move(elements), layout);
        if (*ppDecl == nullptr) result = E_OUTOFMEMORY;
    }
    Log(result, "CreateVertexDeclaration() -> %s",
        ppDecl != nullptr ? ObjectName(Own<SoftwareVertexDeclaration>(*ppDecl, this)) : "null");
    return result;
}

// --- Render targets ---

void SoftwareDevice::ResetTargetRectangles() {
    // Setting a render target resets the viewport and scissor rectangle to the whole target.
    viewport_ = {0, 0, renderTarget_->Width(), renderTarget_->Height(), 0.0f, 1.0f};
    scissor_ = {0, 0, static_cast<LONG>(renderTarget_->Width()),
                static_cast<LONG>(renderTarget_->Height())};
}

HRESULT SoftwareDevice::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) {
    HRESULT result = D3D_OK;
    SoftwareSurface* surface = Own<SoftwareSurface>(pRenderTarget, this);
    if (RenderTargetIndex != 0 || surface == nullptr || surface->Unusable() ||
        !surface->IsRenderTarget()) {
        result = D3DERR_INVALIDCALL;
    } else {
        Rebind(&renderTarget_->Owner(), &surface->Owner());
        renderTarget_ = surface;
        ResetTargetRectangles();
    }
    Log(result, "SetRenderTarget(%u, %s)", RenderTargetIndex, ObjectName(surface));
    return result;
}

HRESULT SoftwareDevice::GetRenderTarget(DWORD RenderTargetIndex,
                                        IDirect3DSurface9** ppRenderTarget) {
    HRESULT result = D3D_OK;
    if (ppRenderTarget == nullptr) {
        result = D3DERR_INVALIDCALL;
    } else if (RenderTargetIndex != 0) {
        *ppRenderTarget = nullptr;
        result = D3DERR_NOTFOUND;
    } else {
        renderTarget_->AddRef();
        *ppRenderTarget = renderTarget_;
    }
    Log(result, "GetRenderTarget(%u) -> %s", RenderTargetIndex,
        result == D3D_OK ? renderTarget_->Name() : "null");
    return result;
}

HRESULT SoftwareDevice::GetRenderTargetData(IDirect3DSurface9* pRenderTarget,
                                            IDirect3DSurface9* pDestSurface) {
    HRESULT result = D3D_OK;
    SoftwareSurface* source = Own<SoftwareSurface>(pRenderTarget, this);
    SoftwareSurface* dest = Own<SoftwareSurface>(pDestSurface, this);
    if (source == nullptr || dest == nullptr || source->Unusable() || dest->Unusable() ||
        !source->IsRenderTarget() || dest->Pool() != D3DPOOL_SYSTEMMEM ||
        source->Width() != dest->Width() || source->Height() != dest->Height() ||
        source->Format() != dest->Format() || source->IsLocked() || dest->IsLocked()) {
        result = D3DERR_INVALIDCALL;
    } else {
        std::copy_n(source->Pixels(), static_cast<size_t>(source->Width()) * source->Height(),
                    dest->Pixels());
    }
    Log(result, "GetRenderTargetData(%s, %s)", ObjectName(source), ObjectName(dest));
    return result;
}

std::vector<D3DCOLOR> SoftwareDevice::ReadPixels(IDirect3DSurface9* surface) const {
    const SoftwareSurface* own = Own<SoftwareSurface>(surface, this);
    if (own == nullptr || own->Unusable()) return {};
    return std::vector<D3DCOLOR>(own->Pixels(),
                                 own->Pixels() + static_cast<size_t>(own->Width()) * own->Height());
}

std::vector<D3DCOLOR> SoftwareDevice::ReadRenderTarget() const {
    return std::vector<D3DCOLOR>(
        renderTarget_->Pixels(),
        renderTarget_->Pixels() +
            static_cast<size_t>(renderTarget_->Width()) * renderTarget_->Height());
}

// --- Scene, clearing, fixed states ---

HRESULT SoftwareDevice::BeginScene() {
    const HRESULT result = inScene_ ? D3DERR_INVALIDCALL : D3D_OK;
    inScene_ = true;
    Log(result, "BeginScene()");
    return result;
}

HRESULT SoftwareDevice::EndScene() {
    const HRESULT result = inScene_ ? D3D_OK : D3DERR_INVALIDCALL;
    inScene_ = false;
    Log(result, "EndScene()");
    return result;
}

RECT SoftwareDevice::WritableRect() const {
    RECT r{static_cast<LONG>(viewport_.X), static_cast<LONG>(viewport_.Y),
           static_cast<LONG>(viewport_.X + viewport_.Width),
           static_cast<LONG>(viewport_.Y + viewport_.Height)};
    if (renderStates_[D3DRS_SCISSORTESTENABLE]) {
        r.left = std::max(r.left, scissor_.left);
        r.top = std::max(r.top, scissor_.top);
        r.right = std::min(r.right, scissor_.right);
        r.bottom = std::min(r.bottom, scissor_.bottom);
    }
    r.right = std::min<LONG>(r.right, static_cast<LONG>(renderTarget_->Width()));
    r.bottom = std::min<LONG>(r.bottom, static_cast<LONG>(renderTarget_->Height()));
    return r;
}

HRESULT SoftwareDevice::Clear(DWORD Count, CONST D3DRECT* pRects, DWORD Flags, D3DCOLOR Color,
                              float Z, DWORD Stencil) {
    HRESULT result = D3D_OK;
    // There is no depth-stencil surface, so clearing one is invalid, as on a real device.
    if ((Count != 0) != (pRects != nullptr) || (Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) ||
        renderTarget_->IsLocked()) {
        result = D3DERR_INVALIDCALL;
    } else if (Flags & D3DCLEAR_TARGET) {
        const RECT area = WritableRect();
        const D3DCOLOR value = renderTarget_->HasAlpha() ? Color : (Color | 0xFF000000u);
        const D3DRECT whole{area.left, area.top, area.right, area.bottom};
        const DWORD rects = Count == 0 ? 1 : Count;
        for (DWORD i = 0; i < rects; ++i) {
            const D3DRECT& r = Count == 0 ? whole : pRects[i];
            const LONG left = std::max(r.x1, area.left);
            const LONG top = std::max(r.y1, area.top);
            const LONG right = std::min(r.x2, area.right);
            const LONG bottom = std::min(r.y2, area.bottom);
            for (LONG y = top; y < bottom; ++y) {
                std::fill_n(renderTarget_->Pixels() +
                                static_cast<size_t>(y) * renderTarget_->Width() + left,
                            std::max<LONG>(right - left, 0), value);
            }
        }
    }
    Log(result, "Clear(%u, %s, 0x%x, 0x%08x, %g, %u)", Count, pRects != nullptr ? "rects" : "null",
        Flags, Color, static_cast<double>(Z), Stencil);
    return result;
}

HRESULT SoftwareDevice::SetTransform(D3DTRANSFORMSTATETYPE State, CONST D3DMATRIX* pMatrix) {
    HRESULT result = D3D_OK;
    if (!ValidTransform(State) || pMatrix == nullptr) {
        result = D3DERR_INVALIDCALL;
    } else {
        transforms_[static_cast<size_t>(State)] = *pMatrix;
    }
    const char* name = TransformName(State);
    if (name != nullptr) {
        Log(result, "SetTransform(%s)", name);
    } else {
        Log(result, "SetTransform(%d)", static_cast<int>(State));
    }
    if (result == D3D_OK && logging_ && !calls_.empty()) {
        calls_.back().hasMatrix = true;
        calls_.back().matrix = *pMatrix;
    }
    return result;
}

HRESULT SoftwareDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
    HRESULT result = D3D_OK;
    if (!ValidTransform(State) || pMatrix == nullptr) {
        result = D3DERR_INVALIDCALL;
    } else {
        *pMatrix = transforms_[static_cast<size_t>(State)];
    }
    const char* name = TransformName(State);
    if (name != nullptr) {
        Log(result, "GetTransform(%s)", name);
    } else {
        Log(result, "GetTransform(%d)", static_cast<int>(State));
    }
    if (result == D3D_OK && logging_ && !calls_.empty()) {
        calls_.back().hasMatrix = true;
        calls_.back().matrix = *pMatrix;
    }
    return result;
}

HRESULT SoftwareDevice::SetViewport(CONST D3DVIEWPORT9* pViewport) {
    HRESULT result = D3D_OK;
    if (pViewport == nullptr || pViewport->Width == 0 || pViewport->Height == 0 ||
        std::uint64_t{pViewport->X} + pViewport->Width > renderTarget_->Width() ||
        std::uint64_t{pViewport->Y} + pViewport->Height > renderTarget_->Height() ||
        !(pViewport->MinZ >= 0.0f && pViewport->MinZ <= 1.0f) ||
        !(pViewport->MaxZ >= 0.0f && pViewport->MaxZ <= 1.0f)) {
        result = D3DERR_INVALIDCALL;
    } else {
        viewport_ = *pViewport;
    }
    if (pViewport != nullptr) {
        Log(result, "SetViewport(%u, %u, %u, %u, %g, %g)", pViewport->X, pViewport->Y,
            pViewport->Width, pViewport->Height, static_cast<double>(pViewport->MinZ),
            static_cast<double>(pViewport->MaxZ));
    } else {
        Log(result, "SetViewport(null)");
    }
    return result;
}

HRESULT SoftwareDevice::GetViewport(D3DVIEWPORT9* pViewport) {
    if (pViewport == nullptr) return D3DERR_INVALIDCALL;
    *pViewport = viewport_;
    return D3D_OK;
}

HRESULT SoftwareDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
    HRESULT result = D3D_OK;
    if (static_cast<DWORD>(State) >= renderStates_.size()) {
        result = D3DERR_INVALIDCALL;
    } else {
        renderStates_[State] = Value;
    }
    Log(result, "SetRenderState(%d, 0x%x)", static_cast<int>(State), Value);
    return result;
}

HRESULT SoftwareDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
    if (static_cast<DWORD>(State) >= renderStates_.size() || pValue == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pValue = renderStates_[State];
    return D3D_OK;
}

HRESULT SoftwareDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                             DWORD Value) {
    HRESULT result = D3D_OK;
    if (Stage >= stageStates_.size() || Type < 1 ||
        static_cast<DWORD>(Type) >= stageStates_[0].size()) {
        result = D3DERR_INVALIDCALL;
    } else {
        stageStates_[Stage][Type] = Value;
    }
    Log(result, "SetTextureStageState(%u, %d, 0x%x)", Stage, static_cast<int>(Type), Value);
    return result;
}

HRESULT SoftwareDevice::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                             DWORD* pValue) {
    if (Stage >= stageStates_.size() || Type < 1 ||
        static_cast<DWORD>(Type) >= stageStates_[0].size() || pValue == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pValue = stageStates_[Stage][Type];
    return D3D_OK;
}

HRESULT SoftwareDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
    HRESULT result = D3D_OK;
    if (Sampler >= samplerStates_.size() || Type < 1 ||
        static_cast<DWORD>(Type) >= samplerStates_[0].size()) {
        result = D3DERR_INVALIDCALL;
    } else {
        samplerStates_[Sampler][Type] = Value;
    }
    Log(result, "SetSamplerState(%u, %d, 0x%x)", Sampler, static_cast<int>(Type), Value);
    return result;
}

HRESULT SoftwareDevice::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) {
    if (Sampler >= samplerStates_.size() || Type < 1 ||
        static_cast<DWORD>(Type) >= samplerStates_[0].size() || pValue == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *pValue = samplerStates_[Sampler][Type];
    return D3D_OK;
}

HRESULT SoftwareDevice::SetScissorRect(CONST RECT* pRect) {
    HRESULT result = D3D_OK;
    if (pRect == nullptr) {
        result = D3DERR_INVALIDCALL;
        Log(result, "SetScissorRect(null)");
        return result;
    }
    scissor_ = *pRect;
    Log(result, "SetScissorRect({%d, %d, %d, %d})", pRect->left, pRect->top, pRect->right,
        pRect->bottom);
    return result;
}

HRESULT SoftwareDevice::GetScissorRect(RECT* pRect) {
    if (pRect == nullptr) return D3DERR_INVALIDCALL;
    *pRect = scissor_;
    return D3D_OK;
}

// --- Bindings ---

HRESULT SoftwareDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
    HRESULT result = D3D_OK;
    SoftwareTexture* texture = Own<SoftwareTexture>(pTexture, this);
    if (Stage >= textures_.size() || (pTexture != nullptr && texture == nullptr) ||
        (texture != nullptr && texture->IsReleased())) {
        result = D3DERR_INVALIDCALL;
    } else {
        Rebind(textures_[Stage], texture);
        textures_[Stage] = texture;
    }
    Log(result, "SetTexture(%u, %s)", Stage, ObjectName(texture));
    return result;
}

HRESULT SoftwareDevice::GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) {
    HRESULT result = D3D_OK;
    if (Stage >= textures_.size() || ppTexture == nullptr) {
        result = D3DERR_INVALIDCALL;
    } else {
        *ppTexture = textures_[Stage];
        if (textures_[Stage] != nullptr) textures_[Stage]->AddRef();
    }
    Log(result, "GetTexture(%u) -> %s", Stage,
        result == D3D_OK ? ObjectName(textures_[Stage]) : "null");
    return result;
}

HRESULT SoftwareDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                        UINT OffsetInBytes, UINT Stride) {
    HRESULT result = D3D_OK;
    SoftwareVertexBuffer* buffer = Own<SoftwareVertexBuffer>(pStreamData, this);
    if (StreamNumber >= streams_.size() || (pStreamData != nullptr && buffer == nullptr) ||
        (buffer != nullptr && buffer->IsReleased())) {
        result = D3DERR_INVALIDCALL;
    } else {
        Rebind(streams_[StreamNumber].buffer, buffer);
        streams_[StreamNumber] = {buffer, OffsetInBytes, Stride};
    }
    Log(result, "SetStreamSource(%u, %s, %u, %u)", StreamNumber, ObjectName(buffer), OffsetInBytes,
        Stride);
    return result;
}

HRESULT SoftwareDevice::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData,
                                        UINT* pOffsetInBytes, UINT* pStride) {
    if (StreamNumber >= streams_.size() || ppStreamData == nullptr || pOffsetInBytes == nullptr ||
        pStride == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const Stream& s = streams_[StreamNumber];
    *ppStreamData = s.buffer;
    if (s.buffer != nullptr) s.buffer->AddRef();
    *pOffsetInBytes = s.offset;
    *pStride = s.stride;
    return D3D_OK;
}

HRESULT SoftwareDevice::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
    HRESULT result = D3D_OK;
    SoftwareIndexBuffer* buffer = Own<SoftwareIndexBuffer>(pIndexData, this);
    if ((pIndexData != nullptr && buffer == nullptr) ||
        (buffer != nullptr && buffer->IsReleased())) {
        result = D3DERR_INVALIDCALL;
    } else {
        Rebind(indices_, buffer);
        indices_ = buffer;
    }
    Log(result, "SetIndices(%s)", ObjectName(buffer));
    return result;
}

HRESULT SoftwareDevice::GetIndices(IDirect3DIndexBuffer9** ppIndexData) {
    if (ppIndexData == nullptr) return D3DERR_INVALIDCALL;
    *ppIndexData = indices_;
    if (indices_ != nullptr) indices_->AddRef();
    return D3D_OK;
}

HRESULT SoftwareDevice::SetVertexDeclaration(IDirect3DVertexDeclaration9* pDecl) {
    HRESULT result = D3D_OK;
    SoftwareVertexDeclaration* declaration = Own<SoftwareVertexDeclaration>(pDecl, this);
    if ((pDecl != nullptr && declaration == nullptr) ||
        (declaration != nullptr && declaration->IsReleased())) {
        result = D3DERR_INVALIDCALL;
    } else {
        Rebind(declaration_, declaration);
        declaration_ = declaration;
        fvf_ = 0;
        fvfLayoutValid_ = false;
    }
    Log(result, "SetVertexDeclaration(%s)", ObjectName(declaration));
    return result;
}

HRESULT SoftwareDevice::GetVertexDeclaration(IDirect3DVertexDeclaration9** ppDecl) {
    if (ppDecl == nullptr) return D3DERR_INVALIDCALL;
    *ppDecl = declaration_;
    if (declaration_ != nullptr) declaration_->AddRef();
    return D3D_OK;
}

HRESULT SoftwareDevice::SetFVF(DWORD FVF) {
    // Setting an FVF replaces the vertex declaration, as on a real device.
    Rebind(declaration_, nullptr);
    declaration_ = nullptr;
    fvf_ = FVF;
    fvfLayoutValid_ = FVF != 0 && VertexLayout::FromFvf(FVF, fvfLayout_);
    Log(D3D_OK, "SetFVF(0x%x)", FVF);
    return D3D_OK;
}

HRESULT SoftwareDevice::GetFVF(DWORD* pFVF) {
    if (pFVF == nullptr) return D3DERR_INVALIDCALL;
    *pFVF = fvf_;
    return D3D_OK;
}

const VertexLayout* SoftwareDevice::CurrentLayout() const {
    if (declaration_ != nullptr) return &declaration_->Layout();
    return fvfLayoutValid_ ? &fvfLayout_ : nullptr;
}

// --- Drawing ---

HRESULT SoftwareDevice::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                      UINT PrimitiveCount) {
    DrawCall call{PrimitiveType, PrimitiveCount};
    call.startVertex = StartVertex;
    const HRESULT result = Draw(call);
    Log(result, "DrawPrimitive(%s, %u, %u)", PrimitiveName(PrimitiveType), StartVertex,
        PrimitiveCount);
    return result;
}

HRESULT SoftwareDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                             UINT MinVertexIndex, UINT NumVertices, UINT startIndex,
                                             UINT primCount) {
    DrawCall call{PrimitiveType, primCount};
    call.indexed = true;
    call.baseVertex = BaseVertexIndex;
    call.minIndex = MinVertexIndex;
    call.numVertices = NumVertices;
    call.startIndex = startIndex;
    HRESULT result = D3DERR_INVALIDCALL;
    if (indices_ != nullptr) {
        call.indices = indices_->Bytes();
        call.index32 = indices_->Format() == D3DFMT_INDEX32;
        call.indexEntries = indices_->Size() / (call.index32 ? 4u : 2u);
        result = Draw(call);
    }
    Log(result, "DrawIndexedPrimitive(%s, %d, %u, %u, %u, %u)", PrimitiveName(PrimitiveType),
        BaseVertexIndex, MinVertexIndex, NumVertices, startIndex, primCount);
    return result;
}

HRESULT SoftwareDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                        CONST void* pVertexStreamZeroData,
                                        UINT VertexStreamZeroStride) {
    DrawCall call{PrimitiveType, PrimitiveCount};
    call.userVertices = static_cast<const BYTE*>(pVertexStreamZeroData);
    call.userStride = VertexStreamZeroStride;
    HRESULT result = D3DERR_INVALIDCALL;
    if (call.userVertices != nullptr && call.userStride != 0) result = Draw(call);
    // Like Direct3D 9, a UP draw leaves stream 0 unset.
    Rebind(streams_[0].buffer, nullptr);
    streams_[0] = {};
    Log(result, "DrawPrimitiveUP(%s, %u, %u)", PrimitiveName(PrimitiveType), PrimitiveCount,
        VertexStreamZeroStride);
    return result;
}

HRESULT SoftwareDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex,
                                               UINT NumVertices, UINT PrimitiveCount,
                                               CONST void* pIndexData, D3DFORMAT IndexDataFormat,
                                               CONST void* pVertexStreamZeroData,
                                               UINT VertexStreamZeroStride) {
    DrawCall call{PrimitiveType, PrimitiveCount};
    call.userVertices = static_cast<const BYTE*>(pVertexStreamZeroData);
    call.userStride = VertexStreamZeroStride;
    call.indexed = true;
    call.indices = static_cast<const BYTE*>(pIndexData);
    call.index32 = IndexDataFormat == D3DFMT_INDEX32;
    call.indexEntries = VerticesFor(PrimitiveType, PrimitiveCount);  // the caller's array
    call.minIndex = MinVertexIndex;
    call.numVertices = NumVertices;
    HRESULT result = D3DERR_INVALIDCALL;
    if (call.userVertices != nullptr && call.userStride != 0 && call.indices != nullptr &&
        (IndexDataFormat == D3DFMT_INDEX16 || IndexDataFormat == D3DFMT_INDEX32)) {
        result = Draw(call);
    }
    Rebind(streams_[0].buffer, nullptr);
    streams_[0] = {};
    Rebind(indices_, nullptr);
    indices_ = nullptr;
    Log(result, "DrawIndexedPrimitiveUP(%s, %u, %u, %u, %d, %u)", PrimitiveName(PrimitiveType),
        MinVertexIndex, NumVertices, PrimitiveCount, IndexDataFormat, VertexStreamZeroStride);
    return result;
}

std::uint64_t SoftwareDevice::IndexAt(const DrawCall& call, std::uint64_t position) const {
    const BYTE* p = call.indices + position * (call.index32 ? 4 : 2);
    if (call.index32) {
        std::uint32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    std::uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

HRESULT SoftwareDevice::CheckDraw(const DrawCall& call, const VertexLayout& layout,
                                  std::uint64_t& first, std::uint64_t& count) const {
    const std::uint64_t needed = VerticesFor(call.type, call.primitiveCount);
    if (needed == 0 || !layout.position.Present()) return D3DERR_INVALIDCALL;

    if (call.indexed) {
        // Every index, offset by the base vertex, must fall in the window the caller gave.
        if (call.startIndex + needed > call.indexEntries) return D3DERR_INVALIDCALL;
        const std::int64_t windowStart = call.baseVertex + call.minIndex;
        if (windowStart < 0 || call.numVertices == 0) return D3DERR_INVALIDCALL;
        first = static_cast<std::uint64_t>(windowStart);
        count = call.numVertices;
        for (std::uint64_t i = 0; i < needed; ++i) {
            const std::uint64_t index = IndexAt(call, call.startIndex + i);
            if (index < call.minIndex || index - call.minIndex >= call.numVertices) {
                return D3DERR_INVALIDCALL;
            }
        }
    } else {
        first = call.startVertex;
        count = needed;
    }

    if (count > kMaxDrawVertices) return D3DERR_INVALIDCALL;

    // Every stream the layout reads must hold all vertices of the range.
    const std::uint64_t last = first + count - 1;
    for (int s = 0; s < VertexLayout::kStreams; ++s) {
        const UINT bytes = layout.streamBytes[static_cast<size_t>(s)];
        if (bytes == 0) continue;
        if (call.userVertices != nullptr) {
            // A UP draw has stream 0 only, of the caller's size; its stride must fit a vertex.
            if (s != 0 || call.userStride < bytes) return D3DERR_INVALIDCALL;
            continue;
        }
        const Stream& stream = streams_[static_cast<size_t>(s)];
        if (stream.buffer == nullptr) return D3DERR_INVALIDCALL;
        // With a stride of 1 or more, vertex `last` starts at least `last` bytes in;
        // refusing larger ones first keeps the product below 2^60.
        if (stream.stride != 0 && last > stream.buffer->Size()) return D3DERR_INVALIDCALL;
        const std::uint64_t end = std::uint64_t{stream.offset} + last * stream.stride + bytes;
        if (end > stream.buffer->Size()) return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

ShadingState SoftwareDevice::CaptureShading() const {
    ShadingState s;
    const SoftwareTexture* texture = textures_[0];
    const auto& sampler = samplerStates_[0];
    const auto& stage = stageStates_[0];
    const DWORD* rs = renderStates_.data();
    if (texture != nullptr) {
        const SoftwareSurface& level = texture->Level();
        s.texels = level.Pixels();
        s.textureWidth = level.Width();
        s.textureHeight = level.Height();
        s.textureHasAlpha = level.HasAlpha();
    }
    s.addressU = sampler[D3DSAMP_ADDRESSU];
    s.addressV = sampler[D3DSAMP_ADDRESSV];
    s.borderColor = sampler[D3DSAMP_BORDERCOLOR];
    s.magFilter = sampler[D3DSAMP_MAGFILTER];
    s.minFilter = sampler[D3DSAMP_MINFILTER];
    s.colorOp = stage[D3DTSS_COLOROP];
    s.colorArg0 = stage[D3DTSS_COLORARG0];
    s.colorArg1 = stage[D3DTSS_COLORARG1];
    s.colorArg2 = stage[D3DTSS_COLORARG2];
    s.alphaOp = stage[D3DTSS_ALPHAOP];
    s.alphaArg0 = stage[D3DTSS_ALPHAARG0];
    s.alphaArg1 = stage[D3DTSS_ALPHAARG1];
    s.alphaArg2 = stage[D3DTSS_ALPHAARG2];
    s.stageConstant = stage[D3DTSS_CONSTANT];
    s.textureFactor = rs[D3DRS_TEXTUREFACTOR];
    s.alphaTest = rs[D3DRS_ALPHATESTENABLE] != 0;
    s.alphaFunc = rs[D3DRS_ALPHAFUNC];
    s.alphaRef = rs[D3DRS_ALPHAREF];
    s.blend = rs[D3DRS_ALPHABLENDENABLE] != 0;
    s.srcBlend = rs[D3DRS_SRCBLEND];
    s.destBlend = rs[D3DRS_DESTBLEND];
    s.blendOp = rs[D3DRS_BLENDOP];
    s.separateAlphaBlend = rs[D3DRS_SEPARATEALPHABLENDENABLE] != 0;
    s.srcBlendAlpha = rs[D3DRS_SRCBLENDALPHA];
    s.destBlendAlpha = rs[D3DRS_DESTBLENDALPHA];
    s.blendOpAlpha = rs[D3DRS_BLENDOPALPHA];
    s.blendFactor = rs[D3DRS_BLENDFACTOR];
    s.writeMask = rs[D3DRS_COLORWRITEENABLE];
    return s;
}

void SoftwareDevice::TransformVertices(const DrawCall& call, const VertexLayout& layout,
                                       std::uint64_t first, std::uint64_t count) {
    const D3DMATRIX wvp = Multiply(Multiply(transforms_[256], transforms_[D3DTS_VIEW]),
                                   transforms_[D3DTS_PROJECTION]);
    const bool lit = renderStates_[D3DRS_LIGHTING] != 0 && !layout.pretransformed;
    const DWORD set = stageStates_[0][D3DTSS_TEXCOORDINDEX] & 0xFFFF;
    const VertexElement* texcoord =
        set < VertexLayout::kTexcoordSets && layout.texcoord[set].Present() ? &layout.texcoord[set]
                                                                            : nullptr;

    auto source = [&](const VertexElement& e, std::uint64_t vertex) -> const BYTE* {
        if (call.userVertices != nullptr)
            return call.userVertices + vertex * call.userStride + e.offset;
        const Stream& s = streams_[static_cast<size_t>(e.stream)];
        return s.buffer->Bytes() + s.offset + vertex * s.stride + e.offset;
    };

    vertices_.resize(static_cast<size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t vertex = first + i;
        ClipVertex& out = vertices_[static_cast<size_t>(i)];
        float p[4];
        VertexLayout::Read(source(layout.position, vertex), layout.position.type, p);
        if (layout.pretransformed) {
            for (int k = 0; k < 4; ++k)
                out.position[k] = p[k];
        } else {
            for (int k = 0; k < 4; ++k) {
                out.position[k] = p[0] * wvp.m[0][k] + p[1] * wvp.m[1][k] + p[2] * wvp.m[2][k] +
                                  p[3] * wvp.m[3][k];
            }
        }
        float c[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // no diffuse colour reads as opaque white
        if (layout.diffuse.Present()) {
            VertexLayout::Read(source(layout.diffuse, vertex), layout.diffuse.type, c);
        }
        if (lit) {
            // No lights and a black material: only the diffuse alpha survives.
            const float alpha = layout.diffuse.Present() ? c[3] : 0.0f;
            c[0] = c[1] = c[2] = 0.0f;
            c[3] = alpha;
        }
        for (int k = 0; k < 4; ++k)
            out.color[k] = c[k];
        float t[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        if (texcoord != nullptr) VertexLayout::Read(source(*texcoord, vertex), texcoord->type, t);
        out.texcoord[0] = t[0];
        out.texcoord[1] = t[1];
    }
}

HRESULT SoftwareDevice::Draw(const DrawCall& call) {
    if (!inScene_ || call.primitiveCount == 0) {
        return inScene_ ? D3D_OK : D3DERR_INVALIDCALL;  // an empty draw does nothing
    }
    const VertexLayout* layout = CurrentLayout();
    if (layout == nullptr || renderTarget_->IsLocked()) return D3DERR_INVALIDCALL;
    if (stageStates_[1][D3DTSS_COLOROP] != D3DTOP_DISABLE) return D3DERR_TOOMANYOPERATIONS;
    const SoftwareTexture* texture = textures_[0];
    if (texture != nullptr && texture->Level().IsLocked()) return D3DERR_INVALIDCALL;

    std::uint64_t first = 0;
    std::uint64_t count = 0;
    HRESULT result = CheckDraw(call, *layout, first, count);
    if (FAILED(result) || !rasterizing_) return result;

    RenderTargetView target{renderTarget_->Pixels(), renderTarget_->Width(),
                            renderTarget_->Height(), renderTarget_->HasAlpha()};
    PixelPipeline pipeline(CaptureShading(), target);
    result = pipeline.Validate();
    if (FAILED(result)) return result;

    try {
        TransformVertices(call, *layout, first, count);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }

    RasterSetup setup;
    setup.viewport = viewport_;
    setup.pixels = WritableRect();
    setup.cullMode = renderStates_[D3DRS_CULLMODE];
    setup.flatShading = renderStates_[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
    setup.pretransformed = layout->pretransformed;
    Rasterizer rasterizer(setup, pipeline, texture != nullptr ? texture->Level().Width() : 1,
                          texture != nullptr ? texture->Level().Height() : 1);

    // Position in the vertex list -> index into the transformed vertices.
    auto at = [&](std::uint64_t position) -> const ClipVertex& {
        const std::uint64_t vertex = call.indexed ? static_cast<std::uint64_t>(call.baseVertex) +
                                                        IndexAt(call, call.startIndex + position)
                                                  : first + position;
        return vertices_[static_cast<size_t>(vertex - first)];
    };
    const bool lastPixel = renderStates_[D3DRS_LASTPIXEL] != 0;
    const std::uint64_t n = call.primitiveCount;
    for (std::uint64_t i = 0; i < n; ++i) {
        switch (call.type) {
            case D3DPT_POINTLIST:
                rasterizer.Point(at(i));
                break;
            case D3DPT_LINELIST:
                rasterizer.Line(at(2 * i), at(2 * i + 1), lastPixel, at(2 * i));
                break;
            case D3DPT_LINESTRIP:
                // Joints are drawn once, as the first pixel of the next segment.
                rasterizer.Line(at(i), at(i + 1), lastPixel && i + 1 == n, at(i));
                break;
            case D3DPT_TRIANGLELIST:
                rasterizer.Triangle(at(3 * i), at(3 * i + 1), at(3 * i + 2), at(3 * i));
                break;
            case D3DPT_TRIANGLESTRIP:
                // Odd triangles are reversed to keep the winding; the first vertex leads.
                if (i % 2 == 0) {
                    rasterizer.Triangle(at(i), at(i + 1), at(i + 2), at(i));
                } else {
                    rasterizer.Triangle(at(i), at(i + 2), at(i + 1), at(i));
                }
                break;
            case D3DPT_TRIANGLEFAN:
                rasterizer.Triangle(at(0), at(i + 1), at(i + 2), at(i + 1));
                break;
            default:
                break;
        }
    }
    pixelsShaded_ += rasterizer.PixelsShaded();
    return D3D_OK;
}
