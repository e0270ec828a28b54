#pragma once

#include <string_view>
#include <vector>

#include "GenModel.h"
#include "Rigid2.h"

// Joint angles and offsets of one pose. A bone turns by its angle about its
// rest start point and moves by its offset, both within its parent's posed
// frame, so bone lengths never change and a child attached at its parent's
// end stays there.
struct Pose {
    std::vector<double> degrees;  // counter-clockwise, per bone
    std::vector<Vec2> offsets;    // per bone

    explicit Pose(std::size_t boneCount) : degrees(boneCount, 0.0), offsets(boneCount) {}
};

// Index of the bone named `name`; throws std::out_of_range when there is none.
int boneIndex(const GenModel& model, std::string_view name);

// Per bone, the rigid transform that carries its rest pose onto `pose` (forward kinematics).
std::vector<Rigid2> poseTransforms(const std::vector<GenBone>& bones, const Pose& pose);

// Per bone, the posed model-space start and end points.
std::vector<BonePoints> posedBonePoints(const std::vector<GenBone>& bones, const Pose& pose);

// The rest frame at the bone's end point, its x axis along the bone.
Rigid2 restEndFrame(const GenBone& bone);

// The frame the bone's local rest points are given in: the model's root
// frame for the root, the parent's rest end frame for every other bone.
Rigid2 restParentFrame(const GenModel& model, int bone);

// The rigid transform that carries the bone from its rest points to `posed`.
Rigid2 deltaFromPoints(const GenBone& bone, BonePoints posed);

// A keyed frame with the bones posed as `pose` and every region at its defaults
// (no displacements, UV warp off, opacity 100).
ClipKey makeClipKey(const GenModel& model, int frame, const Pose& pose);
