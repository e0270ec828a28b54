#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ClipCacheSizes.h"
#include "JsonValue.h"
#include "ModelCheck.h"

namespace MobilantModule {

// A clip may span at most this many frames from its first to its last "bones" key.
inline constexpr std::int64_t kMaxClipFrameSpan = 100000;
// A clip's caches may hold at most this many bytes (see ClipCacheSizes): far more than any clip
// authors make, and still a part of what a 32-bit game can hold. Gaps between keyed frames are
// filled, so a sparse file can ask for far more than it holds.
inline constexpr std::uint64_t kMaxClipCacheBytes = std::uint64_t{256} << 20;

// Checks the clip `clipName` of a model document before its caches are built. ClipMissing
// when the root, its "animation" or the clip member is missing (or of another kind than an
// object); otherwise the first fault of the clip: the clip and every frame and entry must be
// objects; "bones", "meshes" and "uv_swaps" are required, "mesh_opacities" optional (null
// counts as an object without frames); every entry holds the members its kind reads
// ("start_pt" and "end_pt" points; the two displacement flags, and each list whose flag is
// true; "enabled", and the three points when it is true; "opacity") with finite numbers. The
// frame span must stay within kMaxClipFrameSpan (ClipTooLong), and what the caches will hold
// within kMaxClipCacheBytes (ClipTooLarge). Frame keys are not checked: any key converts (see
// ParseFrameKey). Displacement lists of odd length are allowed (the last number is dropped).
// For a clip that passes, `sizes` (when given) receives what its caches will hold.
ModelCheck ValidateMobilantClip(JsonValue root, std::string_view clipName,
                                ClipCacheSizes* sizes = nullptr);

}  // namespace MobilantModule
