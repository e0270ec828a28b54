#include "Kinematics.h"

#include <numbers>
#include <stdexcept>
#include <string>

int boneIndex(const GenModel& model, std::string_view name) {
    for (std::size_t i = 0; i < model.bones.size(); ++i) {
        if (model.bones[i].name == name) return static_cast<int>(i);
    }
    throw std::out_of_range("no bone named " + std::string(name));
}

std::vector<Rigid2> poseTransforms(const std::vector<GenBone>& bones, const Pose& pose) {
    std::vector<Rigid2> transforms(bones.size());
    // Bones are in pre-order, so a parent's transform is ready before its children's.
    for (std::size_t i = 0; i < bones.size(); ++i) {
        const GenBone& bone = bones[i];
        const Rigid2 parent = bone.parent < 0 ? Rigid2{} : transforms[bone.parent];
        const double radians = pose.degrees[i] * (std::numbers::pi / 180.0);
        transforms[i] = parent * Rigid2::translationBy(pose.offsets[i]) *
                        Rigid2::rotationAbout(bone.restStart, radians);
    }
    return transforms;
}

std::vector<BonePoints> posedBonePoints(const std::vector<GenBone>& bones, const Pose& pose) {
    const std::vector<Rigid2> transforms = poseTransforms(bones, pose);
    std::vector<BonePoints> points(bones.size());
    for (std::size_t i = 0; i < bones.size(); ++i) {
        points[i] = {transforms[i].apply(bones[i].restStart),
                     transforms[i].apply(bones[i].restEnd)};
    }
    return points;
}

Rigid2 restEndFrame(const GenBone& bone) {
    return Rigid2::frame(bone.restEnd, normalized(bone.restEnd - bone.restStart));
}

Rigid2 restParentFrame(const GenModel& model, int bone) {
    const int parent = model.bones[bone].parent;
    return parent < 0 ? model.rootParentFrame : restEndFrame(model.bones[parent]);
}

Rigid2 deltaFromPoints(const GenBone& bone, BonePoints posed) {
    const Rigid2 rest = Rigid2::frame(bone.restStart, normalized(bone.restEnd - bone.restStart));
    const Rigid2 now = Rigid2::frame(posed.start, normalized(posed.end - posed.start));
    return now * rest.inverse();
}

ClipKey makeClipKey(const GenModel& model, int frame, const Pose& pose) {
    ClipKey key;
    key.frame = frame;
    key.bones = posedBonePoints(model.bones, pose);
    key.regions.resize(model.regions.size());
    return key;
}
