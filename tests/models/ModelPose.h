#pragma once

#include <cstddef>

#include "Mobilant.h"
#include "MobilantAnimation.h"
#include "meshRenderRegion.h"

// Poses `model` with `clip` at time t as the animation manager does: the region switches of the
// clip's first frame (entry k for region k), the four caches at t, the composition's pose
// update, and every region skinned into the model's render points.
inline void poseLikeTheManager(MobilantModule::Mobilant& model,
                               MobilantModule::MobilantAnimation& clip, float t) {
    meshRenderBoneComposition& composition = *model.Composition();
    const auto& regions = composition.getRegions();
    for (std::size_t k = 0; k < regions.size(); ++k) {
        regions[k]->setUseLocalDisplacements(clip.DisplacementCaches().hasLocalDisplacements(0, k));
        regions[k]->setUsePostDisplacements(clip.DisplacementCaches().hasPostDisplacements(0, k));
        regions[k]->setUseUvWarp(clip.UvWarpCaches().isEnabled(0, k));
    }
    clip.BoneCaches().applyAtTime(t, composition.getBoneMap());
    clip.DisplacementCaches().applyAtTime(t, composition.getRegionMap());
    clip.UvWarpCaches().applyAtTime(t, composition.getRegionMap());
    clip.OpacityCaches().applyAtTime(t, composition.getRegionMap());
    composition.updatePoseTransforms();
    for (const auto& region : regions) {
        region->skinPoints(model.RenderPoints() + 3 * std::ptrdiff_t{region->getStartPtIndex()},
                           true, true, true);
    }
}
