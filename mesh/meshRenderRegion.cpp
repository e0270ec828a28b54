#include "meshRenderRegion.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "meshBone.h"
#include "meshSkinning.h"

namespace {

constexpr int kBlock = meshSkinJob::blockSize;

std::int32_t rangeLength(std::int32_t first, std::int32_t last) {
    const std::int64_t length = static_cast<std::int64_t>(last) - first + 1;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(length, 0, std::numeric_limits<std::int32_t>::max()));
}

bool isInfluence(float weight) {
    return weight > meshRenderRegion::weightThreshold && std::isfinite(weight);
}

std::size_t blockCount(std::int32_t points) {
    return (static_cast<std::size_t>(points) + kBlock - 1) / kBlock;
}

bool isPlanar(const DualQuat& dq) {
    return dq.real.x == 0.0f && dq.real.y == 0.0f && dq.dual.z == 0.0f && dq.dual.w == 0.0f;
}

}  // namespace

meshRenderRegion::meshRenderRegion(const std::uint32_t* indexBuffer, const float* restPts,
                                   float* uvBuffer, std::int32_t start_pt_index,
                                   std::int32_t end_pt_index, std::int32_t start_index,
                                   std::int32_t end_index)
    : start_pt_index(start_pt_index),
      end_pt_index(end_pt_index),
      start_index(start_index),
      end_index(end_index),
      indexBuffer(indexBuffer),
      restPts(restPts),
      uvBuffer(uvBuffer) {
    const float* uvs = getUvs();
    if (uvs != nullptr) {
        ref_uvs.resize(static_cast<std::size_t>(numPoints()));
        for (std::size_t i = 0; i < ref_uvs.size(); ++i)
            ref_uvs[i] = {uvs[2 * i], uvs[2 * i + 1]};
    }
    buildRestColumns();
    blockEntries.assign(blockCount(numPoints()) + 1, 0);
}

meshRenderRegion::~meshRenderRegion() = default;

std::int32_t meshRenderRegion::numPoints() const {
    return rangeLength(start_pt_index, end_pt_index);
}

std::int32_t meshRenderRegion::numIndices() const {
    return rangeLength(start_index, end_index);
}

const std::uint32_t* meshRenderRegion::getIndices() const {
    return indexBuffer != nullptr ? indexBuffer + start_index : nullptr;
}

const float* meshRenderRegion::getRestPts() const {
    return restPts != nullptr ? restPts + 3 * static_cast<std::ptrdiff_t>(start_pt_index) : nullptr;
}

float* meshRenderRegion::getUvs() const {
    return uvBuffer != nullptr ? uvBuffer + 2 * static_cast<std::ptrdiff_t>(start_pt_index)
                               : nullptr;
}

void meshRenderRegion::resolveMainBone(meshBone* root) {
    mainBone = root != nullptr ? root->findByKey(mainBoneKey) : nullptr;
}

void meshRenderRegion::buildRestColumns() {
    const std::int32_t points = numPoints();
    restColumns = meshAlignedFloats(blockCount(points) * 3 * kBlock);
    const float* rest = getRestPts();
    if (rest == nullptr) return;
    for (std::int32_t i = 0; i < points; ++i) {
        float* column = restColumns.data() + (i / kBlock) * 3 * kBlock + i % kBlock;
        column[0] = rest[3 * i];
        column[kBlock] = rest[3 * i + 1];
        column[2 * kBlock] = rest[3 * i + 2];
    }
}

void meshRenderRegion::buildSkinningTables(
    const std::unordered_map<std::string, meshBone*>& boneMap) {
    const std::int32_t points = numPoints();

    // A fixed bone order (by key), so that blends round the same way on every run.
    std::vector<std::pair<const std::string*, meshBone*>> bones;
    for (const auto& [key, bone] : boneMap) {
        if (bone != nullptr) bones.emplace_back(&key, bone);
    }
    std::sort(bones.begin(), bones.end(),
              [](const auto& a, const auto& b) { return *a.first < *b.first; });

    // One column per bone that influences some point; missing weights read as 0.
    skinBones.clear();
    std::vector<std::vector<float>> columns;
    for (const auto& [key, bone] : bones) {
        const auto found = weights.find(*key);
        if (found == weights.end()) continue;
        const std::vector<float>& list = found->second;
        const std::size_t known = std::min(list.size(), static_cast<std::size_t>(points));
        std::vector<float> column(static_cast<std::size_t>(points), 0.0f);
        bool influences = false;
        for (std::size_t i = 0; i < known; ++i) {
            if (isInfluence(list[i])) {
                column[i] = list[i];
                influences = true;
            }
        }
        if (!influences) continue;
        skinBones.push_back(bone);
        columns.push_back(std::move(column));
    }

    // Scale down the weights of points with huge weights, by a power of two (exact).
    for (std::int32_t i = 0; i < points; ++i) {
        float largest = 0.0f;
        for (const std::vector<float>& column : columns)
            largest = std::max(largest, column[i]);
        if (largest <= largestPlainWeight) continue;
        int exponent = 0;
        std::frexp(largest, &exponent);
        for (std::vector<float>& column : columns)
            column[i] = std::ldexp(column[i], -exponent);
    }

    // Per block, an entry for every bone that influences one of its points.
    const std::size_t blocks = blockCount(points);
    blockEntries.assign(blocks + 1, 0);
    entryBones.clear();
    std::vector<float> blockWeights;
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t first = b * kBlock;
        const std::size_t last = std::min(first + kBlock, static_cast<std::size_t>(points));
        for (std::size_t j = 0; j < columns.size(); ++j) {
            const auto begin = columns[j].begin() + static_cast<std::ptrdiff_t>(first);
            const auto end = columns[j].begin() + static_cast<std::ptrdiff_t>(last);
            if (std::all_of(begin, end, [](float w) { return w == 0.0f; })) continue;
            entryBones.push_back(static_cast<std::uint32_t>(j));
            blockWeights.insert(blockWeights.end(), begin, end);
            blockWeights.resize(entryBones.size() * kBlock, 0.0f);
        }
        blockEntries[b + 1] = static_cast<std::uint32_t>(entryBones.size());
    }
    entryWeights = meshAlignedFloats(blockWeights.size());
    std::copy(blockWeights.begin(), blockWeights.end(), entryWeights.data());

    skinDualQuats.assign(8 * skinBones.size(), 0.0f);
}

std::vector<std::pair<const meshBone*, float>> meshRenderRegion::pointInfluences(
    std::int32_t point) const {
    std::vector<std::pair<const meshBone*, float>> influences;
    if (point < 0 || point >= numPoints()) return influences;
    const std::size_t b = static_cast<std::size_t>(point) / kBlock;
    for (std::uint32_t e = blockEntries[b]; e < blockEntries[b + 1]; ++e) {
        const float weight = entryWeights[static_cast<std::size_t>(e) * kBlock + point % kBlock];
        if (weight != 0.0f) influences.emplace_back(skinBones[entryBones[e]], weight);
    }
    return influences;
}

void meshRenderRegion::skinPoints(float* out, bool applyLocal, bool applyPost, bool applyUvWarp) {
    const std::int32_t points = numPoints();
    if (points > 0 && out != nullptr) {
        bool planar = true;
        for (std::size_t j = 0; j < skinBones.size(); ++j) {
            const DualQuat& dq = skinBones[j]->getWorldDualQuat();
            float* slot = skinDualQuats.data() + 8 * j;
            slot[0] = dq.real.x;
            slot[1] = dq.real.y;
            slot[2] = dq.real.z;
            slot[3] = dq.real.w;
            slot[4] = dq.dual.x;
            slot[5] = dq.dual.y;
            slot[6] = dq.dual.z;
            slot[7] = dq.dual.w;
            planar = planar && isPlanar(dq);
        }
        const auto sized = [points](const std::vector<Vec2>& list) {
            return list.size() == static_cast<std::size_t>(points);
        };

        meshSkinJob job;
        job.numPoints = points;
        job.numBlocks = static_cast<std::int32_t>(blockEntries.size() - 1);
        job.blockEntries = blockEntries.data();
        job.entryBones = entryBones.data();
        job.entryWeights = entryWeights.data();
        job.restPoints = restColumns.data();
        job.dualQuats = skinDualQuats.data();
        if (use_local_displacements && applyLocal && sized(local_displacements)) {
            job.localDisplacements = &local_displacements.front().x;
        }
        if (use_post_displacements && applyPost && sized(post_displacements)) {
            job.postDisplacements = &post_displacements.front().x;
        }
        job.out = out;
        meshSkinning::run(job, planar);
    }
    if (use_uv_warp && applyUvWarp) this->applyUvWarp();
}

void meshRenderRegion::setUseLocalDisplacements(bool flag) {
    use_local_displacements = flag;
    if (flag) local_displacements.resize(static_cast<std::size_t>(numPoints()));
}

void meshRenderRegion::setUsePostDisplacements(bool flag) {
    use_post_displacements = flag;
    if (flag) post_displacements.resize(static_cast<std::size_t>(numPoints()));
}

void meshRenderRegion::setUseUvWarp(bool flag) {
    use_uv_warp = flag;
    if (!flag) restoreReferenceUvs();
}

void meshRenderRegion::applyUvWarp() {
    float* uvs = getUvs();
    if (uvs == nullptr) return;
    for (std::size_t i = 0; i < ref_uvs.size(); ++i) {
        uvs[2 * i] = global_offset.x + scale.x * (ref_uvs[i].x - local_offset.x);
        uvs[2 * i + 1] = global_offset.y + scale.y * (ref_uvs[i].y - local_offset.y);
    }
}

void meshRenderRegion::restoreReferenceUvs() {
    float* uvs = getUvs();
    if (uvs == nullptr) return;
    for (std::size_t i = 0; i < ref_uvs.size(); ++i) {
        uvs[2 * i] = ref_uvs[i].x;
        uvs[2 * i + 1] = ref_uvs[i].y;
    }
}
