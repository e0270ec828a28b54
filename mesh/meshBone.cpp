#include "meshBone.h"

#include <cmath>
#include <optional>
#include <utility>

#include "Vec2.h"

namespace {

// The length of v over all four components, in double precision so that no finite vector
// overflows or underflows.
double length4(const Vec4& v) {
    const double x = v.x, y = v.y, z = v.z, w = v.w;
    return std::sqrt(x * x + y * y + z * z + w * w);
}

bool isUsableLength(double length) {
    return length > 0.0 && std::isfinite(length);
}

// x and y of v divided by v's length over all four components; none when v has no direction.
std::optional<Vec2> unitXY(const Vec4& v) {
    const double length = length4(v);
    if (!isUsableLength(length)) return std::nullopt;
    return Vec2{static_cast<float>(v.x / length), static_cast<float>(v.y / length)};
}

// The turn about z whose first column is (ux, uy) and whose second is that turned by +90 degrees.
Mat4 planarRotation(const Vec2& u) {
    return Mat4::fromColumns({u.x, u.y, 0, 0}, {-u.y, u.x, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1});
}

}  // namespace

meshBone::meshBone(std::string key, const Vec4& startPt, const Vec4& endPt, const Mat4& parentMat)
    : key(std::move(key)) {
    setRestParent(parentMat);
    localRestStartPt = restParentInvMat * startPt;
    computeLocalRestFrame();
    localRestEndPt = restParentInvMat * endPt;
    computeLocalRestFrame();
}

meshBone::~meshBone() = default;

void meshBone::setRestParent(const Mat4& mat) {
    setRestParent(mat, mat.inverse());
}

void meshBone::setRestParent(const Mat4& mat, const Mat4& inv) {
    restParentMat = mat;
    restParentInvMat = inv;
}

void meshBone::computeLocalRestFrame() {
    const Vec4 d = localRestEndPt - localRestStartPt;
    const double length = length4(d);
    if (isUsableLength(length)) {
        localRestDir = {static_cast<float>(d.x / length), static_cast<float>(d.y / length),
                        static_cast<float>(d.z / length), static_cast<float>(d.w / length)};
    } else {
        localRestDir = {1, 0, 0, 0};  // no direction: the parent frame's x axis
    }
    localRestNormal = {-localRestDir.y, localRestDir.x, localRestDir.z, localRestDir.w};
}

bool meshBone::attachChild(meshBone* child) {
    if (child == nullptr || child->parent != nullptr || child == this) return false;
    // Only a bone with children can be an ancestor of this one; a leaf (the usual case while a
    // skeleton is linked) needs no walk up the tree.
    if (!child->children.empty()) {
        for (const meshBone* ancestor = parent; ancestor != nullptr; ancestor = ancestor->parent) {
            if (ancestor == child) return false;
        }
    }
    child->setRestParent(restEndFrameMat, restEndFrameInvMat);
    child->parent = this;
    child->indexInParent = children.size();
    children.push_back(child);
    return true;
}

meshBone* meshBone::nextInPreOrder(const meshBone* top) const {
    if (!children.empty()) return children.front();
    for (const meshBone* node = this; node != top && node->parent != nullptr; node = node->parent) {
        const std::vector<meshBone*>& siblings = node->parent->children;
        if (node->indexInParent + 1 < siblings.size()) return siblings[node->indexInParent + 1];
    }
    return nullptr;
}

void meshBone::prepareRestPose() {
    forEachInPreOrder([](meshBone& bone) {
        bone.computeRestFrames();
        for (meshBone* child : bone.children) {
            child->setRestParent(bone.restEndFrameMat, bone.restEndFrameInvMat);
        }
    });
}

void meshBone::computeRestFrames() {
    const Mat4 toEnd = Mat4::translation(localRestEndPt.x, localRestEndPt.y);
    const Mat4 localRotation = Mat4::fromColumns(
        {localRestDir.x, localRestDir.y, 0, 0}, {localRestNormal.x, localRestNormal.y, 0, 0},
        {binormal[0], binormal[1], binormal[2], 0}, {0, 0, 0, 1});
    restEndFrameMat = restParentMat * toEnd * localRotation;
    restEndFrameInvMat = restEndFrameMat.inverse();

    const Vec4 start = worldRestStartPt();
    std::optional<Vec2> u = unitXY(worldRestEndPt() - start);
    if (!u) u = unitXY(restParentMat * localRestDir);  // coinciding points: the local direction
    if (!u) u = Vec2{1, 0};
    worldRestMat = Mat4::translation(start.x, start.y) * planarRotation(*u);
    worldRestInvMat = worldRestMat.inverse();
}

Vec4 meshBone::worldRestStartPt() const {
    return restParentMat * localRestStartPt;
}

Vec4 meshBone::worldRestEndPt() const {
    return restParentMat * localRestEndPt;
}

void meshBone::resetToRestPose() {
    forEachInPreOrder([](meshBone& bone) {
        bone.worldStartPt = bone.worldRestStartPt();
        bone.worldEndPt = bone.worldRestEndPt();
    });
}

void meshBone::updateWorldDelta() {
    forEachInPreOrder([](meshBone& bone) { bone.computeWorldDelta(); });
}

void meshBone::computeWorldDelta() {
    worldDeltaMat = Mat4::identity();
    worldDualQuat = DualQuat::identity();
    if (!worldStartPt.isFinite() || !worldEndPt.isFinite()) return;

    // Coinciding current points: keep the rest rotation (the first column of worldRestMat).
    const Vec2 u =
        unitXY(worldEndPt - worldStartPt).value_or(Vec2{worldRestMat.m[0], worldRestMat.m[1]});
    // T(start) * R, built directly: R's columns with the start point as the last one.
    const Mat4 posed = Mat4::fromColumns({u.x, u.y, 0, 0}, {-u.y, u.x, 0, 0},
                                         {binormal[0], binormal[1], binormal[2], 0},
                                         {worldStartPt.x, worldStartPt.y, 0, 1});
    const Mat4 delta = posed * worldRestInvMat;
    const DualQuat dq = DualQuat::fromRigidTransform(delta);
    if (!delta.isFinite() || !dq.isFinite()) return;
    worldDeltaMat = delta;
    worldDualQuat = dq;
}

void meshBone::alignDualQuatSigns(Vec4 reference) {
    forEachInPreOrder([this, reference](meshBone& bone) {
        const Vec4& ref = &bone == this ? reference : bone.parent->worldDualQuat.real;
        if (dot(bone.worldDualQuat.real, ref) < 0.0f) {
            bone.worldDualQuat.real = bone.worldDualQuat.real * -1.0f;
            bone.worldDualQuat.dual = bone.worldDualQuat.dual * -1.0f;
        }
    });
}

meshBone* meshBone::findByKey(const std::string& wanted) {
    for (meshBone* bone = this; bone != nullptr; bone = bone->nextInPreOrder(this)) {
        if (bone->key == wanted) return bone;
    }
    return nullptr;
}

const meshBone* meshBone::findByKey(const std::string& wanted) const {
    return const_cast<meshBone*>(this)->findByKey(wanted);
}

std::vector<std::string> meshBone::collectKeys() const {
    std::vector<std::string> keys;
    forEachInPreOrder([&keys](const meshBone& bone) { keys.push_back(bone.key); });
    return keys;
}
