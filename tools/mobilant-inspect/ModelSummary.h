#pragma once

#include <string>
#include <string_view>

#include "Mobilant.h"
#include "MobilantAnimation.h"
#include "MobilantManager.h"

// Which kinds of animated data a clip carries.
struct ClipContents {
    bool bones = false;               // some frame poses a bone
    bool localDisplacements = false;  // some region entry has local displacements
    bool postDisplacements = false;   // ... post displacements
    bool uvWarps = false;             // some region entry has its UV warp enabled
    bool opacities = false;           // the clip has opacity frames with entries
};

ClipContents clipContents(const MobilantModule::MobilantAnimation& clip);

// The summary of a loaded model for a game author: counts, the regions (name, id, point and
// index ranges, the bones that weigh on them), the bone tree, and every clip of `manager` in
// the model's clip order with its frame range and what it carries. Ends with a line end.
std::string modelSummary(std::string_view fileName, const MobilantModule::Mobilant& model,
                         const MobilantModule::MobilantManager& manager);
