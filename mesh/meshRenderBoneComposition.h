#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "meshBone.h"
#include "meshRenderRegion.h"

// One model's skeleton and render regions, posed together. Owns the bone tree (every bone
// reachable from the root) and the regions; the maps find them by key and own nothing.
//
// Load order: setRootBone, the root's prepareRestPose, each region's resolveMainBone and
// addRegion, buildBoneMap, buildRegionMap, each region's buildSkinningTables (boneMap),
// resetToRestPose. Per pose: write the bones' current points (and the regions' displacements,
// UV warps and opacities), then updatePoseTransforms, then each region's skinPoints.
class meshRenderBoneComposition {
public:
    using BoneMap = std::unordered_map<std::string, meshBone*>;
    using RegionMap = std::unordered_map<std::string, meshRenderRegion*>;
    using RegionList = std::vector<std::unique_ptr<meshRenderRegion>>;

    meshRenderBoneComposition();
    virtual ~meshRenderBoneComposition();

    meshRenderBoneComposition(const meshRenderBoneComposition&) = delete;
    meshRenderBoneComposition& operator=(const meshRenderBoneComposition&) = delete;

    // Takes the root and with it its whole tree; a previous tree is destroyed. In the same call
    // the bone map is rebuilt from the new tree and every region resolves its main bone and
    // rebuilds its skinning tables against it, so nothing refers to the old tree.
    void setRootBone(std::unique_ptr<meshBone> root);
    meshBone* getRootBone() const { return rootBone; }

    // Appends a region (in the model file's order) and takes it over.
    void addRegion(std::unique_ptr<meshRenderRegion> region);

    // boneMap := every key of the tree, each mapped to the first bone with that key in
    // depth-first pre-order.
    void buildBoneMap();
    // regionMap := every region by name; of two regions with one name the later wins.
    void buildRegionMap();

    BoneMap& getBoneMap() { return boneMap; }
    const BoneMap& getBoneMap() const { return boneMap; }
    const RegionList& getRegions() const { return regions; }
    RegionMap& getRegionMap() { return regionMap; }
    const RegionMap& getRegionMap() const { return regionMap; }

    // Every bone's current points := its rest points.
    void resetToRestPose();

    // Every bone's dual quaternion from its current points, then the signs aligned from the
    // root down (the root against itself, so it never flips). Allocates nothing.
    void updatePoseTransforms();

private:
    void destroyBones();

    meshBone* rootBone = nullptr;  // owns the tree
    BoneMap boneMap;
    RegionList regions;
    RegionMap regionMap;
};
