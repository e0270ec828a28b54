#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "JsonValue.h"
#include "ModelCheck.h"

namespace MobilantModule {

// A clip may span at most this many frames from its first to its last "bones" key.
inline constexpr std::int64_t kMaxClipFrameSpan = 100000;
// A clip's bone, displacement or opacity caches may hold at most this many entries (frames
// times entries per frame; gaps between keyed frames are filled, so a sparse file can ask for
// far more than it holds), and its displacement caches at most this many (x, y) pairs.
inline constexpr std::int64_t kMaxClipCacheEntries = std::int64_t{1} << 20;
inline constexpr std::int64_t kMaxClipDisplacementPairs = std::int64_t{1} << 22;

// Checks the clip `clipName` of a model document before its caches are built. ClipMissing
// when the root, its "animation" or the clip member is missing (or of another kind than an
// object); otherwise the first fault of the clip: the clip and every frame and entry must be
// objects; "bones", "meshes" and "uv_swaps" are required, "mesh_opacities" optional; every
// entry holds the members its kind reads ("start_pt" and "end_pt" points; the two
// displacement flags, and each list whose flag is true; "enabled", and the three points when
// it is true; "opacity") with finite numbers. The frame span and the cache sizes must stay
// within the limits above. Frame keys are not checked: any key converts (see ParseFrameKey).
// Displacement lists of odd length are allowed (the last number is dropped).
ModelCheck ValidateMobilantClip(JsonValue root, std::string_view clipName);

}  // namespace MobilantModule
