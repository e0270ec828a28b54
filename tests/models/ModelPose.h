#pragma once

#include <cstddef>

#include "Mobilant.h"
#include "MobilantAnimation.h"
#include "meshRenderRegion.h"

// The region switches of the clip's first frame (entry k for region k), as the animation
// manager sets them when a clip is selected.
inline void applyClipSwitches(MobilantModule::Mobilant& model,
                              MobilantModule::MobilantAnimation& clip) {
    const auto& regions = model.Composition()->getRegions();
    for (std::size_t k = 0; k < regions.size(); ++k) {
        regions[k]->setUseLocalDisplacements(clip.DisplacementCaches().hasLocalDisplacements(0, k));
        regions[k]->setUsePostDisplacements(clip.DisplacementCaches().hasPostDisplacements(0, k));
        regions[k]->setUseUvWarp(clip.UvWarpCaches().isEnabled(0, k));
    }
}

// One pose at time t with the switches as they are: the four caches at t, the composition's
// pose update, and every region skinned into the model's render points.
inline void poseAt(MobilantModule::Mobilant& model, MobilantModule::MobilantAnimation& clip,
                   float t) {
    meshRenderBoneComposition& composition = *model.Composition();
    clip.BoneCaches().applyAtTime(t, composition.getBoneMap());
    clip.DisplacementCaches().applyAtTime(t, composition.getRegionMap());
    clip.UvWarpCaches().applyAtTime(t, composition.getRegionMap());
    clip.OpacityCaches().applyAtTime(t, composition.getRegionMap());
    composition.updatePoseTransforms();
    for (const auto& region : composition.getRegions()) {
        region->skinPoints(model.RenderPoints() + 3 * std::ptrdiff_t{region->getStartPtIndex()},
                           true, true, true);
    }
}

// Poses `model` with `clip` at time t as the animation manager does: the clip's region
// switches, then one pose.
inline void poseLikeTheManager(MobilantModule::Mobilant& model,
                               MobilantModule::MobilantAnimation& clip, float t) {
    applyClipSwitches(model, clip);
    poseAt(model, clip, t);
}
