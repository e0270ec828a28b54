// The host's drawing surfaces, as its surface library declares them: the surface class with
// the members an extension calls and three free functions. On Windows they are imported from
// the host's MMFS2.dll by ordinal (noted at each declaration); on Linux our headless host
// defines them.
//
// The class has no virtual functions and is 16 bytes on the 32-bit target: an extension
// constructs and destroys it in storage of its own (zeroed storage larger than sizeof serves).
// Its words belong to the host.
#pragma once

#include <cstddef>

#include "HostConventions.h"

// How BlitEx treats the source's transparent colour: copied (opaque) or skipped.
enum BlitMode : int {
    BMODE_OPAQUE = 0,
    BMODE_TRANSP = 1,
};

// How BlitEx combines source and destination; the ink effect's low 16 bits.
enum BlitOp : int {
    BOP_COPY = 0,
    BOP_BLEND = 1,
};

// BlitEx flags.
inline constexpr DWORD BLTF_ANTIA = 0x0001;          // resample (bilinear)
inline constexpr DWORD BLTF_ANTIA_TRANSP = 0x0002;   // resample the transparent colour too
inline constexpr DWORD BLTF_COPYALPHA = 0x0004;      // copy the source's alpha channel

class cSurface {
public:
    // Ordinal 264: an empty surface.
    MOBILANT_THISCALL cSurface();
    // Ordinal 286: releases whatever the surface holds.
    MOBILANT_THISCALL ~cSurface();

    cSurface(const cSurface&) = delete;
    cSurface& operator=(const cSurface&) = delete;

    // Ordinal 493: the surface's driver; 5 is Direct3D 9.
    int MOBILANT_THISCALL GetDriver();
    // Ordinal 494: fills the driver-information record `info` (its first word gives its
    // size); 0 when it could not.
    DWORD MOBILANT_THISCALL GetDriverInfo(void* info);
    // Ordinals 487, 585, 520: colour depth, width and height in pixels.
    int MOBILANT_THISCALL GetDepth() const;
    int MOBILANT_THISCALL GetWidth() const;
    int MOBILANT_THISCALL GetHeight() const;

    // Ordinal 372: allocates width x height pixels of the prototype's kind.
    void MOBILANT_THISCALL Create(int width, int height, cSurface* prototype);

    // Ordinals 982, 1003: registers, unregisters a function the host calls with `user` when
    // the device behind this surface is lost.
    void MOBILANT_THISCALL AddLostDeviceCallBack(LostDeviceCallBack callback, LPARAM user);
    void MOBILANT_THISCALL RemoveLostDeviceCallBack(LostDeviceCallBack callback, LPARAM user);

    // Ordinal 1012: finishes pending drawing into this surface.
    void MOBILANT_THISCALL Flush(BOOL max);
    // Ordinals 341, 417: directs the device's drawing into this surface, cleared to `rgba`
    // when `clear`; and back. Non-zero on success.
    int MOBILANT_THISCALL BeginRendering(BOOL clear, DWORD rgba);
    int MOBILANT_THISCALL EndRendering();

    // Ordinal 849: draws the source rectangle (sX, sY, sW, sH) into `dest`, its point `centre`
    // (source pixels) at (dX, dY), scaled and turned by `angle` degrees counter-clockwise.
    BOOL MOBILANT_THISCALL BlitEx(cSurface& dest, float dX, float dY, float scaleX, float scaleY,
                                  int sX, int sY, int sW, int sH, POINT* centre, float angle,
                                  BlitMode mode = BMODE_OPAQUE, BlitOp op = BOP_COPY,
                                  LPARAM param = 0, DWORD flags = 0) const;

    // Ordinal 677: a rectangle outline `thickness` pixels wide.
    BOOL MOBILANT_THISCALL Rectangle(int left, int top, int right, int bottom, int thickness,
                                     COLORREF colour);
    // Ordinal 679: a rectangle filled with `fill` (when `filled`) and outlined.
    BOOL MOBILANT_THISCALL Rectangle(int left, int top, int right, int bottom, COLORREF fill,
                                     int thickness, COLORREF outline, BOOL filled);
    // Ordinal 611: a line `thickness` pixels wide.
    BOOL MOBILANT_THISCALL Line(int x1, int y1, int x2, int y2, int thickness, COLORREF colour);
    // Ordinal 1029: `count` characters of `text` in `rect`.
    int MOBILANT_THISCALL DrawTextW(LPCWSTR text, DWORD count, RECT* rect, DWORD format,
                                    COLORREF colour, HFONT font, BlitMode mode, BlitOp op,
                                    LPARAM param, int antialias, DWORD leftMargin = 0,
                                    DWORD rightMargin = 0, DWORD tabSize = 8);

private:
    // The host's words: what it keeps for the surface.
    friend class HostSurface;
    void* words_[4];
};

// Ordinal 34: the surface of a host window (a window id of the run header), or null.
cSurface* MOBILANT_STDCALL WinGetSurface(int windowId, int surfaceId = 0);
// Ordinal 172: a prototype for surfaces of `surfaceType` (5: render-target texture) with
// `driver` (5: Direct3D 9) at `depth` bits; FALSE, with *out null, when the host has none.
BOOL MOBILANT_STDCALL GetSurfacePrototype(cSurface** out, int depth, int surfaceType, int driver);
// Ordinal 50: adds `rect` to the area of `window` redrawn this frame.
extern "C" void MOBILANT_STDCALL WinAddZone(void* window, RECT* rect);

// The 32-bit layout extensions rely on.
static_assert(sizeof(cSurface) == 4 * sizeof(void*));
