// The host's surface services as our stand-in MMFS2.dll provides them, exported by ordinal
// (platform/MMFS2.def). They behave, and report their calls, as the Linux host's do
// (host/cSurface.cpp), but draw the model with the real Direct3D 9 device.
#include "cSurface.h"

#include <cstdio>
#include <string>

#include "Canvas.h"
#include "HostRecords.h"
#include "StandInHost.h"
#include "StandInSurface.h"
#include "WideStrings.h"

namespace {

template <class... Args>
std::string Format(const char* format, Args... args) {
    char text[256];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

void Record(int ordinal, const std::string& text) {
    if (StandInHost* host = StandInHost::Current()) host->Record(ordinal, text);
}

IDirect3DSurface9* BackBuffer() {
    StandInHost* host = StandInHost::Current();
    return host != nullptr ? host->BackBuffer() : nullptr;
}

}  // namespace

cSurface::cSurface() : words_{} {
    Record(264, "cSurface()");
    if (StandInHost* host = StandInHost::Current()) host->SurfaceMade();
}

cSurface::~cSurface() {
    Record(286, "~cSurface()");
    if (StandInHost* host = StandInHost::Current()) host->SurfaceGone();
    if (HostSurface::Owned(*this)) delete HostSurface::Of(*this);
}

int cSurface::GetDriver() {
    Record(493, "GetDriver()");
    const StandInSurface* state = HostSurface::Of(*this);
    return state != nullptr ? state->Driver() : 0;
}

DWORD cSurface::GetDriverInfo(void* info) {
    Record(494, "GetDriverInfo()");
    namespace D = HostRecords::DriverInfo;
    const StandInSurface* state = HostSurface::Of(*this);
    if (state == nullptr || info == nullptr || D::Size::Get(info) < D::kSize) return 0;
    IDirect3DDevice9* device = state->Device();
    IDirect3D9* direct3d = nullptr;
    D3DCAPS9 caps = {};
    if (device != nullptr) {
        device->GetDirect3D(&direct3d);
        device->GetDeviceCaps(&caps);
    }
    D::Direct3DVersion::Set(info, device != nullptr ? 9 : 0);
    D::Direct3D::Set(info, direct3d);
    D::Direct3DDevice::Set(info, device);
    D::Direct3DTexture::Set(info, state->Texture());
    D::PixelShaderVersion::Set(info, static_cast<std::int32_t>(caps.PixelShaderVersion));
    D::VertexShaderVersion::Set(info, static_cast<std::int32_t>(caps.VertexShaderVersion));
    D::MaxTextureWidth::Set(info, static_cast<std::int32_t>(caps.MaxTextureWidth));
    D::MaxTextureHeight::Set(info, static_cast<std::int32_t>(caps.MaxTextureHeight));
    // The record lends the pointer; the device holds the object.
    if (direct3d != nullptr) direct3d->Release();
    return 1;
}

int cSurface::GetDepth() const {
    Record(487, "GetDepth()");
    return HostSurface::Of(*this) != nullptr ? 32 : 0;
}

int cSurface::GetWidth() const {
    Record(585, "GetWidth()");
    const StandInSurface* state = HostSurface::Of(*this);
    return state != nullptr ? state->Width() : 0;
}

int cSurface::GetHeight() const {
    Record(520, "GetHeight()");
    const StandInSurface* state = HostSurface::Of(*this);
    return state != nullptr ? state->Height() : 0;
}

void cSurface::Create(int width, int height, cSurface* prototype) {
    Record(372, Format("Create(%d, %d)", width, height));
    if (HostSurface::Owned(*this)) delete HostSurface::Of(*this);
    HostSurface::Attach(*this, nullptr, false);
    const StandInSurface* kind = prototype != nullptr ? HostSurface::Of(*prototype) : nullptr;
    HostSurface::Attach(*this, StandInSurface::MakeFrom(kind, width, height), true);
}

void cSurface::AddLostDeviceCallBack(LostDeviceCallBack callback, LPARAM user) {
    Record(982, "AddLostDeviceCallBack()");
    StandInSurface* state = HostSurface::Of(*this);
    if (state != nullptr && callback != nullptr) state->Registrations().emplace_back(callback, user);
}

void cSurface::RemoveLostDeviceCallBack(LostDeviceCallBack callback, LPARAM user) {
    Record(1003, "RemoveLostDeviceCallBack()");
    StandInSurface* state = HostSurface::Of(*this);
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
    Record(341, Format("BeginRendering(%d, 0x%08x)", clear, static_cast<unsigned>(rgba)));
    StandInSurface* state = HostSurface::Of(*this);
    return state != nullptr && state->BeginRendering(clear != FALSE, rgba, BackBuffer()) ? 1 : 0;
}

int cSurface::EndRendering() {
    Record(417, "EndRendering()");
    StandInSurface* state = HostSurface::Of(*this);
    return state != nullptr && state->EndRendering(BackBuffer()) ? 1 : 0;
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
                       static_cast<long>(param), static_cast<unsigned>(flags)));
    StandInSurface* source = HostSurface::Of(*this);
    StandInSurface* target = HostSurface::Of(dest);
    if (source == nullptr || target == nullptr || source->Pixels() == nullptr) return FALSE;
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
    const std::uint32_t* pixels = source->Pixels();
    const int width = source->Width(), height = source->Height();
    return target->Draw([=](Canvas& canvas) { canvas.Blit(pixels, width, height, blit); });
}

BOOL cSurface::Rectangle(int left, int top, int right, int bottom, int thickness,
                         COLORREF colour) {
    Record(677, Format("Rectangle(%d, %d, %d, %d, %d, 0x%06x)", left, top, right, bottom,
                       thickness, static_cast<unsigned>(colour)));
    StandInSurface* state = HostSurface::Of(*this);
    if (state == nullptr) return FALSE;
    return state->Draw([=](Canvas& canvas) {
        canvas.Outline(left, top, right, bottom, thickness, Canvas::FromColorRef(colour));
    });
}

BOOL cSurface::Rectangle(int left, int top, int right, int bottom, COLORREF fill, int thickness,
                         COLORREF outline, BOOL filled) {
    Record(679, Format("Rectangle(%d, %d, %d, %d, 0x%06x, %d, 0x%06x, %d)", left, top, right,
                       bottom, static_cast<unsigned>(fill), thickness,
                       static_cast<unsigned>(outline), filled));
    StandInSurface* state = HostSurface::Of(*this);
    if (state == nullptr) return FALSE;
    return state->Draw([=](Canvas& canvas) {
        if (filled) canvas.FillRect(left, top, right, bottom, Canvas::FromColorRef(fill));
        canvas.Outline(left, top, right, bottom, thickness, Canvas::FromColorRef(outline));
    });
}

BOOL cSurface::Line(int x1, int y1, int x2, int y2, int thickness, COLORREF colour) {
    Record(611, Format("Line(%d, %d, %d, %d, %d, 0x%06x)", x1, y1, x2, y2, thickness,
                       static_cast<unsigned>(colour)));
    StandInSurface* state = HostSurface::Of(*this);
    if (state == nullptr) return FALSE;
    return state->Draw([=](Canvas& canvas) {
        canvas.Line(x1, y1, x2, y2, thickness, Canvas::FromColorRef(colour));
    });
}

int cSurface::DrawTextW(LPCWSTR text, DWORD count, RECT* rect, DWORD format, COLORREF colour,
                        HFONT font, BlitMode mode, BlitOp op, LPARAM param, int antialias,
                        DWORD leftMargin, DWORD rightMargin, DWORD tabSize) {
    // Like the Linux host's: the text is logged, not drawn. The font must be a live GDI font.
    const std::wstring shown = text != nullptr ? std::wstring(text, text + count) : std::wstring();
    const bool liveFont = font != nullptr && GetObjectType(font) == OBJ_FONT;
    Record(1029, Format("DrawTextW(\"%s\", %u, %u, 0x%06x, %d, %d, %d, %ld, %d, %u, %u, %u)",
                        NarrowWideString(shown.c_str(), 200).c_str(),
                        static_cast<unsigned>(count), static_cast<unsigned>(format),
                        static_cast<unsigned>(colour), liveFont ? 1 : 0, static_cast<int>(mode),
                        static_cast<int>(op), static_cast<long>(param), antialias,
                        static_cast<unsigned>(leftMargin), static_cast<unsigned>(rightMargin),
                        static_cast<unsigned>(tabSize)));
    (void)rect;
    return static_cast<int>(count);
}

cSurface* MOBILANT_STDCALL WinGetSurface(int windowId, int surfaceId) {
    Record(34, Format("WinGetSurface(%d, %d)", windowId, surfaceId));
    StandInHost* host = StandInHost::Current();
    return host != nullptr && surfaceId == 0 ? host->WindowSurface(windowId) : nullptr;
}

BOOL MOBILANT_STDCALL GetSurfacePrototype(cSurface** out, int depth, int surfaceType, int driver) {
    Record(172, Format("GetSurfacePrototype(%d, %d, %d)", depth, surfaceType, driver));
    if (out == nullptr) return FALSE;
    StandInHost* host = StandInHost::Current();
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
