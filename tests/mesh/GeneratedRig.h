#pragma once

// A generated model for tests and benchmarks: a random bone tree, regions of points scattered
// along the bones, each point weighted on its nearest bones (plus a weight just under the
// threshold). Built in the same order the model loader uses.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Mat4.h"
#include "Vec4.h"
#include "meshBone.h"
#include "meshRenderBoneComposition.h"
#include "meshRenderRegion.h"

struct RigShape {
    int bones = 30;
    int regions = 4;
    int pointsPerRegion = 250;
    int influences = 3;
    std::uint32_t seed = 1;
};

// Deterministic on every platform (unlike the standard distributions).
class RigRandom {
public:
    explicit RigRandom(std::uint32_t seed) : state(seed * 2654435761u + 1u) {}
    float uniform(float lo, float hi) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return lo + (hi - lo) * static_cast<float>(state % 1000003u) / 1000003.0f;
    }
    int below(int n) { return static_cast<int>(uniform(0.0f, static_cast<float>(n))) % n; }

private:
    std::uint32_t state;
};

struct GeneratedRig {
    std::vector<float> restPoints;  // x, y, z per point
    std::vector<float> uvs;
    std::vector<std::uint32_t> indices;
    std::vector<float> renderPoints;
    std::unique_ptr<meshRenderBoneComposition> composition;
    std::vector<meshBone*> bones;  // in creation order
    float extent = 0.0f;           // largest coordinate magnitude of the rest mesh

    int pointCount() const { return static_cast<int>(restPoints.size() / 3); }

    // The per-pose work: dual quaternions, then every region into renderPoints.
    void pose() {
        composition->updatePoseTransforms();
        for (const auto& region : composition->getRegions()) {
            region->skinPoints(renderPoints.data() + 3 * region->getStartPtIndex(), true, true,
                               true);
        }
    }
};

inline float distanceToSegment(float px, float py, const Vec4& s, const Vec4& e) {
    const float dx = e.x - s.x, dy = e.y - s.y;
    const float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? ((px - s.x) * dx + (py - s.y) * dy) / len2 : 0.0f;
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return std::hypot(px - (s.x + t * dx), py - (s.y + t * dy));
}

inline GeneratedRig makeRig(const RigShape& shape) {
    RigRandom random(shape.seed);
    GeneratedRig rig;

    // Bones: the root in a turned and shifted frame, every other bone hanging off an earlier one.
    std::vector<std::unique_ptr<meshBone>> owned;
    std::vector<int> parents;
    for (int i = 0; i < shape.bones; ++i) {
        const float angle = random.uniform(-1.2f, 1.2f);
        const float length = random.uniform(4.0f, 12.0f);
        const Vec4 start{random.uniform(-1, 1), random.uniform(-1, 1), 0, 1};
        const Vec4 end{start.x + length * std::cos(angle), start.y + length * std::sin(angle), 0,
                       1};
        Mat4 parentMat;
        if (i == 0) {
            parentMat = Mat4::translation(5, -3) * Mat4::fromColumns({0.8f, 0.6f, 0, 0},
                                                                     {-0.6f, 0.8f, 0, 0},
                                                                     {0, 0, 1, 0}, {0, 0, 0, 1});
        }
        auto bone =
            std::make_unique<meshBone>("bone" + std::to_string(i), Vec4{}, Vec4{}, parentMat);
        bone->getLocalRestStartPt() = start;
        bone->getLocalRestEndPt() = end;
        bone->computeLocalRestFrame();
        bone->setTagId(i);
        parents.push_back(i == 0 ? -1 : random.below(i));
        owned.push_back(std::move(bone));
    }
    for (int i = 1; i < shape.bones; ++i)
        owned[parents[i]]->attachChild(owned[i].get());
    for (auto& bone : owned)
        rig.bones.push_back(bone.get());

    rig.composition = std::make_unique<meshRenderBoneComposition>();
    rig.composition->setRootBone(std::move(owned[0]));
    for (auto& bone : owned)
        bone.release();  // now owned through the root's tree
    meshBone* root = rig.composition->getRootBone();
    root->prepareRestPose();

    // Points along the bones of each region's share of the skeleton, in bone order.
    const int total = shape.regions * shape.pointsPerRegion;
    rig.restPoints.resize(3 * total);
    rig.uvs.resize(2 * total);
    rig.renderPoints.assign(3 * total, 0.0f);
    std::vector<std::vector<float>> weights(shape.bones, std::vector<float>(total, 0.0f));
    for (int p = 0; p < total; ++p) {
        const int region = p / shape.pointsPerRegion;
        const int bonesPerRegion = std::max(1, shape.bones / shape.regions);
        const int within = (p % shape.pointsPerRegion) * bonesPerRegion / shape.pointsPerRegion;
        const meshBone* bone = rig.bones[(region * bonesPerRegion + within) % shape.bones];
        const Vec4 s = bone->worldRestStartPt(), e = bone->worldRestEndPt();
        const float t = random.uniform(0, 1), side = random.uniform(-1.5f, 1.5f);
        const float len = std::hypot(e.x - s.x, e.y - s.y);
        const float x = s.x + t * (e.x - s.x) - side * (e.y - s.y) / len;
        const float y = s.y + t * (e.y - s.y) + side * (e.x - s.x) / len;
        rig.restPoints[3 * p] = x;
        rig.restPoints[3 * p + 1] = y;
        rig.uvs[2 * p] = random.uniform(0, 1);
        rig.uvs[2 * p + 1] = random.uniform(0, 1);
        rig.extent = std::max({rig.extent, std::abs(x), std::abs(y)});

        // The nearest bones, weighted by inverse squared distance; one more just under 0.05.
        std::vector<std::pair<float, int>> near;
        for (int b = 0; b < shape.bones; ++b) {
            near.emplace_back(distanceToSegment(x, y, rig.bones[b]->worldRestStartPt(),
                                                rig.bones[b]->worldRestEndPt()),
                              b);
        }
        std::sort(near.begin(), near.end());
        float sum = 0;
        for (int k = 0; k < shape.influences; ++k)
            sum += 1.0f / (near[k].first + 0.5f);
        for (int k = 0; k < shape.influences; ++k) {
            weights[near[k].second][p] = 1.0f / (near[k].first + 0.5f) / sum;
        }
        if (shape.influences < shape.bones) weights[near[shape.influences].second][p] = 0.04f;
    }
    for (int i = 0; i + 2 < total; ++i) {
        rig.indices.insert(rig.indices.end(),
                           {std::uint32_t(i), std::uint32_t(i + 1), std::uint32_t(i + 2)});
    }

    for (int r = 0; r < shape.regions; ++r) {
        const int first = r * shape.pointsPerRegion;
        const int last = first + shape.pointsPerRegion - 1;
        auto region = std::make_unique<meshRenderRegion>(rig.indices.data(), rig.restPoints.data(),
                                                         rig.uvs.data(), first, last, 3 * first,
                                                         3 * last - 4);
        region->setName("region" + std::to_string(r));
        region->setTagId(r);
        for (int b = 0; b < shape.bones; ++b) {
            std::vector<float> list(weights[b].begin() + first, weights[b].begin() + last + 1);
            if (std::any_of(list.begin(), list.end(), [](float w) { return w != 0; })) {
                region->getWeights()[rig.bones[b]->getKey()] = std::move(list);
            }
        }
        region->setMainBoneKey(root->getKey());
        region->resolveMainBone(root);
        rig.composition->addRegion(std::move(region));
    }
    rig.composition->buildBoneMap();
    rig.composition->buildRegionMap();
    for (const auto& region : rig.composition->getRegions()) {
        region->buildSkinningTables(rig.composition->getBoneMap());
    }
    rig.composition->resetToRestPose();
    return rig;
}

// Moves every bone's current points off rest by up to `amount` (bones also turn and stretch).
inline void scramblePose(GeneratedRig& rig, std::uint32_t seed, float amount) {
    RigRandom random(seed);
    for (meshBone* bone : rig.bones) {
        const Vec4 s = bone->worldRestStartPt(), e = bone->worldRestEndPt();
        bone->setWorldStartPt(
            {s.x + random.uniform(-amount, amount), s.y + random.uniform(-amount, amount), 0, 1});
        bone->setWorldEndPt(
            {e.x + random.uniform(-amount, amount), e.y + random.uniform(-amount, amount), 0, 1});
    }
}
