// What the entry points and the routines share about one instance: its surfaces, the release
// notification, its placement in the frame and the host's image bounds.
#pragma once

#include <array>
#include <cstdint>

#include "FramePlacement.h"
#include "HostConventions.h"

class AnimationSurface;

namespace RunObject {

// Largest render-surface width or height; edit-data sizes and SetSurfaceSize are held to
// 1..kMaxSurfaceSize.
inline constexpr int kMaxSurfaceSize = 16384;

// The instance's animation surface, or null.
AnimationSurface* Animation(RunData* runData);

// The surface of the run header's frame window (service 34), or null.
cSurface* FrameWindowSurface(RunData* runData);

// Replaces the render surface with a new one of width x height made like the host's render
// targets (prototype of type 5, driver 5, at `window`'s depth), and registers the release
// notification on `window` unless it is registered already. Without a prototype, the instance
// is left without a render surface.
void MakeRenderSurface(RunData* runData, cSurface* window, int width, int height);
// Destroys the render surface, if any, and frees its storage.
void DestroyRenderSurface(RunData* runData);
// Unregisters the release notification from the surface it was registered on, if it is.
void UnregisterReleaseNotification(RunData* runData);

// The host's lost-device callback: `user` is the run data. Destroys the render surface (the next
// handling makes a new one); during display it waits until the display ends.
void MOBILANT_STDCALL ReleaseNotification(cSurface* surface, LPARAM user);

// Where the render surface lands in the frame: position, angle, scale and hot spot.
FramePlacement Placement(RunData* runData);

// Sets the host's image size and hot spot from the animation surface's size, the scale, the
// angle and the hot spot (ComputeImageBounds).
void UpdateImageBounds(RunData* runData);

// Marks the box corners stale, so the next query recomputes them.
void InvalidateBoxPoints(RunData* runData);
// The four frame corners of the box, recomputed when stale.
std::array<FrameCorner, 4> BoxPoints(RunData* runData);

// Live instances, and whether the device has been fetched (for tests).
int InstanceCount();
bool DeviceFetched();

// Called by creation and destruction.
void CountInstance();
void UncountInstance();
// Takes the device from the frame window's surface if it has not been fetched; false when
// that surface's driver is not Direct3D 9.
bool FetchDevice(cSurface* window);

}  // namespace RunObject
