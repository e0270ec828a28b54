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
    destroyBones();
    rootBone = root.release();
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
