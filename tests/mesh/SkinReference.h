#pragma once

// Skinning as plainly as it can be written: per point, every bone of the weight table whose
// weight is above 0.05 is accumulated into a dual quaternion, which is normalised and applied.
// Tests and benchmarks hold the optimised paths against it.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "DualQuat.h"
#include "meshBone.h"
#include "meshRenderBoneComposition.h"
#include "meshRenderRegion.h"

inline void referenceSkinPoints(const meshRenderRegion& region,
                                const meshRenderBoneComposition::BoneMap& boneMap, float* out,
                                bool applyLocal = true, bool applyPost = true) {
    std::vector<std::pair<const std::vector<float>*, const meshBone*>> columns;
    for (const auto& [key, weights] : region.getWeights()) {
        const auto bone = boneMap.find(key);
        if (bone != boneMap.end()) columns.emplace_back(&weights, bone->second);
    }
    std::sort(columns.begin(), columns.end(),
              [](const auto& a, const auto& b) { return a.second->getKey() < b.second->getKey(); });
    const float* rest = region.getRestPts();
    for (int i = 0; i < region.numPoints(); ++i) {
        Vec4 p{rest[3 * i], rest[3 * i + 1], rest[3 * i + 2], 1};
        if (region.getUseLocalDisplacements() && applyLocal) {
            p.x += region.getLocalDisplacements()[i].x;
            p.y += region.getLocalDisplacements()[i].y;
        }
        DualQuat acc;
        for (const auto& [weights, bone] : columns) {
            const float w = i < static_cast<int>(weights->size()) ? (*weights)[i] : 0.0f;
            if (w > 0.05f && std::isfinite(w)) acc.accumulate(bone->getWorldDualQuat(), w, w);
        }
        acc.normalize();
        const Vec4 q = acc.transformPoint(p);
        out[3 * i] = q.x;
        out[3 * i + 1] = q.y;
        out[3 * i + 2] = 1.0f;
        if (region.getUsePostDisplacements() && applyPost) {
            out[3 * i] += region.getPostDisplacements()[i].x;
            out[3 * i + 1] += region.getPostDisplacements()[i].y;
        }
    }
}
