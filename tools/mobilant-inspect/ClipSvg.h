#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "MobilantManager.h"

// A clip drawn as SVG: every triangle filled with its region's colour and outlined, every bone
// drawn from its start to its end point, model y pointing up.
struct ClipSvg {
    std::string text;         // the SVG document; empty when the clip is not in the manager
    std::size_t frames = 0;   // frames drawn
    std::size_t skipped = 0;  // frames of the clip left out beyond kMaxSvgFrames
};

// An animation longer than this (a minute at 30 frames per second) is cut short.
inline constexpr std::size_t kMaxSvgFrames = 1800;

// Poses clip `clipName` with `manager` (selecting it, playing, SetRunTime and Advance(0)) at
// every whole frame of its range and writes them as one SVG that shows them in turn at 30 frames
// per second, repeating indefinitely; or, given `still`, the pose at that time alone.
ClipSvg clipSvg(MobilantModule::MobilantManager& manager, std::string_view clipName,
                std::string_view title, std::optional<float> still);
