#pragma once

#include <cstdint>

namespace MobilantModule {

// What the four caches of one clip will hold once built, counted from the checked document
// before anything is allocated: the frame slots every cache has, and the entries (and the
// displacement pairs) over all slots. Counts of interpolated frames are bounds: a frame between
// two keyed frames holds at most as many entries and pairs as the larger of them.
struct ClipCacheSizes {
    std::uint64_t slots = 0;
    std::uint64_t boneEntries = 0;
    std::uint64_t displacementEntries = 0;
    std::uint64_t displacementPairs = 0;
    std::uint64_t uvWarpEntries = 0;
    std::uint64_t opacityEntries = 0;

    // The bytes the four frame tables take with these counts (the bone and region names they
    // keep once each aside).
    std::uint64_t Bytes() const;
};

}  // namespace MobilantModule
