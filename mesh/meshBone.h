#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "DualQuat.h"
#include "Mat4.h"
#include "Vec4.h"

// One bone of a 2D skeleton: a segment from a start point to an end point, kept in a tree.
// Its rest pose is stored in the rest frame of its parent; prepareRestPose turns that into
// model-space rest frames once. Each pose, the current model-space points are written into the
// bone and updateWorldDelta turns them into the rigid motion from rest to pose, as a matrix and
// as a unit dual quaternion. Everything lives in the xy plane: rotations turn about z, and the
// z of points enters direction lengths but not frames.
//
// Degenerate data never produces non-finite frames or dual quaternions:
// - a bone whose rest start and end points coincide points along the x axis of its parent's
//   rest frame (locally: the x axis);
// - a bone whose current start and end points coincide keeps the rotation it had at rest, so it
//   only follows its start point;
// - a bone whose current points (or the resulting transform) are not finite gets the identity.
//
// The traversals (rest pass, pose pass, sign alignment, lookups) walk the tree through parent
// links, without recursion, so a very deep chain cannot exhaust the stack.
class meshBone {
public:
    // A bone with the rest parent frame parentMat and rest points startPt and endPt given in
    // model space; they are stored in the parent frame and the local rest frame is computed.
    meshBone(std::string key, const Vec4& startPt, const Vec4& endPt, const Mat4& parentMat);
    virtual ~meshBone();

    meshBone(const meshBone&) = delete;
    meshBone& operator=(const meshBone&) = delete;

    // Sets the rest frame of the parent and its inverse (computed when not given).
    void setRestParent(const Mat4& mat);
    void setRestParent(const Mat4& mat, const Mat4& inv);

    // The local rest points, in the parent's rest frame; computeLocalRestFrame must follow a
    // change.
    Vec4& getLocalRestStartPt() { return localRestStartPt; }
    Vec4& getLocalRestEndPt() { return localRestEndPt; }
    const Vec4& getLocalRestStartPt() const { return localRestStartPt; }
    const Vec4& getLocalRestEndPt() const { return localRestEndPt; }

    // Recomputes the local rest direction and normal from the local rest points.
    void computeLocalRestFrame();

    // Links child below this bone (the child's rest parent becomes this bone's end frame) and
    // returns true. Refuses (returns false, changes nothing) a null child, a child that already
    // has a parent, and this bone or one of its ancestors, so the bones always form a tree.
    bool attachChild(meshBone* child);

    // The rest pass over this subtree: rest end frames, model-space rest frames, and each
    // child's rest parent frame, parents before children.
    void prepareRestPose();

    // The rest points in model space: restParentMat applied to the local rest points.
    Vec4 worldRestStartPt() const;
    Vec4 worldRestEndPt() const;

    // The current (posed) points in model space.
    const Vec4& getWorldStartPt() const { return worldStartPt; }
    const Vec4& getWorldEndPt() const { return worldEndPt; }
    void setWorldStartPt(const Vec4& point) { worldStartPt = point; }
    void setWorldEndPt(const Vec4& point) { worldEndPt = point; }

    // Current points := rest points, for this bone and its whole subtree.
    void resetToRestPose();

    // The pose pass over this subtree: worldDeltaMat and worldDualQuat from the current points.
    void updateWorldDelta();

    // Negates this bone's dual quaternion when its real part points away from reference (a
    // quaternion x, y, z, w), then aligns every child with its parent's aligned real part, so
    // that blends of neighbouring bones never cancel.
    void alignDualQuatSigns(Vec4 reference);

    // The first bone of this subtree, in depth-first pre-order, whose key equals key byte for
    // byte; null when there is none.
    meshBone* findByKey(const std::string& key);
    const meshBone* findByKey(const std::string& key) const;

    // The keys of this subtree in depth-first pre-order.
    std::vector<std::string> collectKeys() const;

    // Calls visit(bone) for every bone of this subtree in depth-first pre-order: this bone,
    // then each child's subtree in order. visit must not relink bones.
    template <class Visit>
    void forEachInPreOrder(Visit&& visit) {
        for (meshBone* bone = this; bone != nullptr; bone = bone->nextInPreOrder(this)) {
            visit(*bone);
        }
    }
    template <class Visit>
    void forEachInPreOrder(Visit&& visit) const {
        for (const meshBone* bone = this; bone != nullptr; bone = bone->nextInPreOrder(this)) {
            visit(*bone);
        }
    }

    const std::string& getKey() const { return key; }
    std::int32_t getTagId() const { return tagId; }
    void setTagId(std::int32_t id) { tagId = id; }
    const std::vector<meshBone*>& getChildren() const { return children; }
    meshBone* getParent() const { return parent; }

    const Mat4& getRestParentMat() const { return restParentMat; }
    const Mat4& getRestParentInvMat() const { return restParentInvMat; }
    const Vec4& getLocalRestDir() const { return localRestDir; }
    const Vec4& getLocalRestNormal() const { return localRestNormal; }
    const Mat4& getRestEndFrameMat() const { return restEndFrameMat; }
    const Mat4& getRestEndFrameInvMat() const { return restEndFrameInvMat; }
    const Mat4& getWorldRestMat() const { return worldRestMat; }
    const Mat4& getWorldRestInvMat() const { return worldRestInvMat; }
    const Mat4& getWorldDeltaMat() const { return worldDeltaMat; }
    const DualQuat& getWorldDualQuat() const { return worldDualQuat; }

private:
    // The bone after this one in pre-order within the subtree of top; null after the last.
    meshBone* nextInPreOrder(const meshBone* top) const;
    void computeRestFrames();
    void computeWorldDelta();

    std::string key;
    std::int32_t tagId = 0;
    Mat4 restParentMat;
    Mat4 restParentInvMat;
    Vec4 localRestStartPt;
    Vec4 localRestEndPt;
    Vec4 localRestDir;
    Vec4 localRestNormal;
    std::array<float, 3> binormal{0.0f, 0.0f, 1.0f};
    Mat4 restEndFrameMat;
    Mat4 restEndFrameInvMat;
    Mat4 worldRestMat;
    Mat4 worldRestInvMat;
    Vec4 worldStartPt;
    Vec4 worldEndPt;
    Mat4 worldDeltaMat;
    DualQuat worldDualQuat;
    std::vector<meshBone*> children;  // not owned
    meshBone* parent = nullptr;
    std::size_t indexInParent = 0;  // position in parent->children
};
