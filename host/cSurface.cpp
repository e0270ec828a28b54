// The host's surface services, as the headless host provides them. Every call is logged with
// its ordinal in the host's call log.
#include "cSurface.h"

#include <cstdio>
#include <string>

#include "Canvas.h"
#include "HeadlessHost.h"
#include "HostRecords.h"
#include "HostSurface.h"
#include "Direct3DDevice.h"
#include "WideStrings.h"

namespace {

std::string Format(const char* format, auto... args) {
    char text[256];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

void Record(int ordinal, std::string text) {
    if (HeadlessHost* host = HeadlessHost::Current()) host->Record(ordinal, std::move(text));
}

}  // namespace

cSurface::cSurface() : words_{} {
    Record(264, "cSurface()");
    if (HeadlessHost* host = HeadlessHost::Current()) host->SurfaceMade();
}

cSurface::~cSurface() {
    Record(286, "~cSurface()");
    if (HeadlessHost* host = HeadlessHost::Current()) host->SurfaceGone();
    if (HostSurface::Owned(*this)) delete HostSurface::Of(*this);
}

int cSurface::GetDriver() {
    Record(493, "GetDriver()");
    const HostSurface* state = HostSurface::Of(*this);
    return state != nullptr ? state->Driver() : 0;
}

DWORD cSurface::GetDriverInfo(void* info) {
    Record(494, "GetDriverInfo()");
    namespace D = HostRecords::DriverInfo;
    const HostSurface* state = HostSurface::Of(*this);
    if (state == nullptr || info == nullptr || D::Size::Get(info) < D::kSize) return 0;
    IDirect3DDevice9* device = state->Device();
    D::Direct3DVersion::Set(info, device != nullptr ? 9 : 0);
    // There is no IDirect3D9 behind the software device; the record's word only has to be
    // non-null beside a device.
    D::Direct3D::Set(info, device != nullptr ? static_cast<void*>(HeadlessHost::Current()) : nullptr);
    D::Direct3DDevice::Set(info, device);
    D::Direct3DTexture::Set(info, state->Texture());
    D::PixelShaderVersion::Set(info, 0);
    D::VertexShaderVersion::Set(info, 0);
    D::MaxTextureWidth::Set(info, device != nullptr ? 16384 : 0);
    D::MaxTextureHeight::Set(info, device != nullptr ? 16384 : 0);
    return 1;
}

int cSurface::GetDepth() const {
    Record(487, "GetDepth()");
    return HostSurface::Of(*this) != nullptr ? 32 : 0;
}

int cSurface::GetWidth() const {
    Record(585, "GetWidth()");
    const HostSurface* state = HostSurface::Of(*this);
    return state != nullptr ? state->Width() : 0;
}

int cSurface::GetHeight() const {
    Record(520, "GetHeight()");
    const HostSurface* state = HostSurface::Of(*this);
    return state != nullptr ? state->Height() : 0;
}

void cSurface::Create(int width, int height, cSurface* prototype) {
    Record(372, Format("Create(%d, %d)", width, height));
    if (HostSurface::Owned(*this)) delete HostSurface::Of(*this);
    HostSurface::Attach(*this, nullptr, false);
    const HostSurface* kind = prototype != nullptr ? HostSurface::Of(*prototype) : nullptr;
    HostSurface::Attach(*this, HostSurface::MakeFrom(kind, width, height), true);
}

void cSurface::AddLostDeviceCallBack(LostDeviceCallBack callback, LPARAM user) {
    Record(982, "AddLostDeviceCallBack()");
    HostSurface* state = HostSurface::Of(*this);
    if (state != nullptr && callback != nullptr) state->Registrations().emplace_back(callback, user);
}

void cSurface::RemoveLostDeviceCallBack(LostDeviceCallBack callback, LPARAM user) {
    Record(1003, "RemoveLostDeviceCallBack()");
    HostSurface* state = HostSurface::Of(*this);
    if (state == nullptr) return;
    auto& registrations = state->Registrations();
    for (auto it = registrations.begin(); it != registrations.end(); ++it) {
        if (it->first == callback && it->second == user) {
            registrations.erase(it);
            return;
        }
    }
}

void cSurface::Flush(BOOL max) {
    Record(1012, Format("Flush(%d)", max));
}

int cSurface::BeginRendering(BOOL clear, DWORD rgba) {
    Record(341, Format("BeginRendering(%d, 0x%08x)", clear, rgba));
    HostSurface* state = HostSurface::Of(*this);
    if (state == nullptr || state->kind() != HostSurface::Kind::RenderTarget) return 0;
    IDirect3DDevice9* device = state->Device();
    IDirect3DSurface9* level = nullptr;
    if (FAILED(state->Texture()->GetSurfaceLevel(0, &level)) || level == nullptr) return 0;
    const HRESULT set = device->SetRenderTarget(0, level);
    level->Release();
    if (FAILED(set)) return 0;
    const D3DVIEWPORT9 viewport{0, 0, static_cast<DWORD>(state->Width()),
                                static_cast<DWORD>(state->Height()), 0.0f, 1.0f};
    device->SetViewport(&viewport);
    ApplyModelDeviceStates(device);  // the states the renderer expects of its host
    if (clear) device->Clear(0, nullptr, D3DCLEAR_TARGET, rgba, 1.0f, 0);
    device->BeginScene();
    return 1;
}

int cSurface::EndRendering() {
    Record(417, "EndRendering()");
    HostSurface* state = HostSurface::Of(*this);
    if (state == nullptr || state->kind() != HostSurface::Kind::RenderTarget) return 0;
    state->Device()->EndScene();
    // Back to the device's own surface, so the render target is free to be released.
    if (HeadlessHost* host = HeadlessHost::Current()) host->RestoreBackBuffer();
    return 1;
}

BOOL cSurface::BlitEx(cSurface& dest, float dX, float dY, float scaleX, float scaleY, int sX,
                      int sY, int sW, int sH, POINT* centre, float angle, BlitMode mode,
                      BlitOp op, LPARAM param, DWORD flags) const {
    Record(849, Format("BlitEx(%g, %g, %g, %g, %d, %d, %d, %d, (%ld, %ld), %g, %d, %d, %ld, %u)",
                       static_cast<double>(dX), static_cast<double>(dY),
                       static_cast<double>(scaleX), static_cast<double>(scaleY), sX, sY, sW, sH,
                       centre != nullptr ? static_cast<long>(centre->x) : 0L,
                       centre != nullptr ? static_cast<long>(centre->y) : 0L,
                       static_cast<double>(angle), static_cast<int>(mode), static_cast<int>(op),
                       static_cast<long>(param), flags));
    HostSurface* source = HostSurface::Of(*this);
    HostSurface* target = HostSurface::Of(dest);
    if (source == nullptr || target == nullptr || source->Pixels() == nullptr ||
        target->Pixels() == nullptr)
        return FALSE;
    BlitSpec blit;
    blit.destX = dX, blit.destY = dY, blit.scaleX = scaleX, blit.scaleY = scaleY;
    blit.sourceX = sX, blit.sourceY = sY, blit.sourceWidth = sW, blit.sourceHeight = sH;
    blit.centreX = centre != nullptr ? static_cast<float>(centre->x) : 0.0f;
    blit.centreY = centre != nullptr ? static_cast<float>(centre->y) : 0.0f;
    blit.angle = angle;
    blit.transparent = mode == BMODE_TRANSP;
    blit.operation = static_cast<int>(op);
    blit.parameter = static_cast<std::uint32_t>(param);
    blit.resample = (flags & BLTF_ANTIA) != 0;
    blit.sourceHasAlpha = source->HasAlpha();
    Canvas(target->Pixels(), target->Width(), target->Height())
        .Blit(source->Pixels(), source->Width(), source->Height(), blit);
    return TRUE;
}

BOOL cSurface::Rectangle(int left, int top, int right, int bottom, int thickness,
                         COLORREF colour) {
    Record(677, Format("Rectangle(%d, %d, %d, %d, %d, 0x%06x)", left, top, right, bottom,
                       thickness, colour));
    HostSurface* state = HostSurface::Of(*this);
    if (state == nullptr || state->Pixels() == nullptr) return FALSE;
    Canvas(state->Pixels(), state->Width(), state->Height())
        .Outline(left, top, right, bottom, thickness, Canvas::FromColorRef(colour));
    return TRUE;
}

BOOL cSurface::Rectangle(int left, int top, int right, int bottom, COLORREF fill, int thickness,
                         COLORREF outline, BOOL filled) {
    Record(679, Format("Rectangle(%d, %d, %d, %d, 0x%06x, %d, 0x%06x, %d)", left, top, right,
                       bottom, fill, thickness, outline, filled));
    HostSurface* state = HostSurface::Of(*this);
    if (state == nullptr || state->Pixels() == nullptr) return FALSE;
    Canvas canvas(state->Pixels(), state->Width(), state->Height());
    if (filled) canvas.FillRect(left, top, right, bottom, Canvas::FromColorRef(fill));
    canvas.Outline(left, top, right, bottom, thickness, Canvas::FromColorRef(outline));
    return TRUE;
}

BOOL cSurface::Line(int x1, int y1, int x2, int y2, int thickness, COLORREF colour) {
    Record(611, Format("Line(%d, %d, %d, %d, %d, 0x%06x)", x1, y1, x2, y2, thickness, colour));
    HostSurface* state = HostSurface::Of(*this);
    if (state == nullptr || state->Pixels() == nullptr) return FALSE;
    Canvas(state->Pixels(), state->Width(), state->Height())
        .Line(x1, y1, x2, y2, thickness, Canvas::FromColorRef(colour));
    return TRUE;
}

int cSurface::DrawTextW(LPCWSTR text, DWORD count, RECT* rect, DWORD format, COLORREF colour,
                        HFONT font, BlitMode mode, BlitOp op, LPARAM param, int antialias,
                        DWORD leftMargin, DWORD rightMargin, DWORD tabSize) {
    // The headless host has no fonts: the text is logged, not drawn.
    std::wstring shown = text != nullptr ? std::wstring(text, text + count) : std::wstring();
    Record(1029, Format("DrawTextW(\"%s\", %u, %u, 0x%06x, %d, %d, %d, %ld, %d, %u, %u, %u)",
                        NarrowWideString(shown.c_str(), 200).c_str(), count, format, colour,
                        font != nullptr, static_cast<int>(mode), static_cast<int>(op),
                        static_cast<long>(param), antialias, leftMargin, rightMargin, tabSize));
    (void)rect;
    return static_cast<int>(count);
}

cSurface* MOBILANT_STDCALL WinGetSurface(int windowId, int surfaceId) {
    Record(34, Format("WinGetSurface(%d, %d)", windowId, surfaceId));
    HeadlessHost* host = HeadlessHost::Current();
    return host != nullptr && surfaceId == 0 ? host->WindowSurface(windowId) : nullptr;
}

BOOL MOBILANT_STDCALL GetSurfacePrototype(cSurface** out, int depth, int surfaceType, int driver) {
    Record(172, Format("GetSurfacePrototype(%d, %d, %d)", depth, surfaceType, driver));
    if (out == nullptr) return FALSE;
    HeadlessHost* host = HeadlessHost::Current();
    *out = host != nullptr ? host->Prototype(depth, surfaceType, driver) : nullptr;
    return *out != nullptr;
}

extern "C" void MOBILANT_STDCALL WinAddZone(void* window, RECT* rect) {
    Record(50, rect != nullptr
                   ? Format("WinAddZone(%d, %ld, %ld, %ld, %ld)",
                            static_cast<int>(reinterpret_cast<std::intptr_t>(window)),
                            static_cast<long>(rect->left), static_cast<long>(rect->top),
                            static_cast<long>(rect->right), static_cast<long>(rect->bottom))
                   : std::string("WinAddZone(null)"));
}
