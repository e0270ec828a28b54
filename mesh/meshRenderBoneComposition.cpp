#include "meshRenderBoneComposition.h"

#include <utility>

meshRenderBoneComposition::meshRenderBoneComposition() = default;

meshRenderBoneComposition::~meshRenderBoneComposition() {
    regions.clear();
    destroyBones();
}

void meshRenderBoneComposition::destroyBones() {
    if (rootBone == nullptr) return;
    std::vector<meshBone*> bones;
    rootBone->forEachInPreOrder([&bones](meshBone& bone) { bones.push_back(&bone); });
    for (meshBone* bone : bones)
        delete bone;
    rootBone = nullptr;
}

void meshRenderBoneComposition::setRootBone(std::unique_ptr<meshBone> root) {
    if (root != nullptr && root.get() == rootBone) {
        (void)root.release();  // the tree it already owns: nothing changes hands
        return;
    }
    destroyBones();
    rootBone = root.release();
    // Nothing may keep pointing into the tree just destroyed: the bone map and every region's
    // main bone and skinning tables are bound to the new tree now, not at the next build.
    buildBoneMap();
    for (const auto& region : regions) {
        region->resolveMainBone(rootBone);
        region->buildSkinningTables(boneMap);
    }
}

void meshRenderBoneComposition::addRegion(std::unique_ptr<meshRenderRegion> region) {
    if (region != nullptr) regions.push_back(std::move(region));
}

void meshRenderBoneComposition::buildBoneMap() {
    boneMap.clear();
    if (rootBone == nullptr) return;
    // The first bone met in pre-order keeps the key.
    rootBone->forEachInPreOrder(
        [this](meshBone& bone) { boneMap.try_emplace(bone.getKey(), &bone); });
}

void meshRenderBoneComposition::buildRegionMap() {
    regionMap.clear();
    for (const auto& region : regions)
        regionMap[region->getName()] = region.get();
}

void meshRenderBoneComposition::resetToRestPose() {
    if (rootBone != nullptr) rootBone->resetToRestPose();
}

void meshRenderBoneComposition::updatePoseTransforms() {
    if (rootBone == nullptr) return;
    rootBone->updateWorldDelta();
    rootBone->alignDualQuatSigns(rootBone->getWorldDualQuat().real);
}
