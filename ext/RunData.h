// The extension's own fields of an instance's run data, behind the host's standard blocks, with
// the same accessors and the same stretching rule as the host's fields (HostRecords.h).
#pragma once

#include <cstdint>

#include "HostRecords.h"
#include "cSurface.h"

class AnimationSurface;

namespace RunDataField {

using HostRecords::HostField;
using HostRecords::RunObject::kOwnFields;

// The instance's animation surface (owned); null for an instance the extension could not make.
using Animation = HostField<AnimationSurface*, kOwnFields + 0>;
// The off-screen render surface the model is drawn into (owned, in storage of our own); null
// until the first handling, after a release notification, and after destruction.
using RenderSurface = HostField<cSurface*, kOwnFields + 4>;
// The blit centre in render-surface pixels (SetHotSpot).
using HotSpotX = HostField<std::int32_t, kOwnFields + 8>;
using HotSpotY = HostField<std::int32_t, kOwnFields + 12>;
// The frame corners of the box (left, top), (right, top), (left, bottom), (right, bottom); X of
// corner 0 is 0 while they are stale.
template <int Corner>
using BoxPointX = HostField<std::int32_t, kOwnFields + 16 + 8 * Corner>;
template <int Corner>
using BoxPointY = HostField<std::int32_t, kOwnFields + 20 + 8 * Corner>;
// SetDebugDraw's flag, 0 or 1.
using DebugDraw = HostField<std::uint8_t, kOwnFields + 48>;
// 1 while DisplayRunObject runs: a release notification then waits for its end.
using Displaying = HostField<std::uint8_t, kOwnFields + 49>;
// A release notification arrived during display.
using ReleasePending = HostField<std::uint8_t, kOwnFields + 50>;
// The window surface the release notification is registered on; null while unregistered.
using NotificationSurface = HostField<cSurface*, kOwnFields + 52>;

static_assert(NotificationSurface::offset32 + 4 <= HostRecords::RunObject::kSize32,
              "the extension's fields fit the run data it asks for");

}  // namespace RunDataField
