#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Vec2.h"
#include "meshAlignedFloats.h"

class meshBone;

// A named slice of a model's mesh: a contiguous run of points and of triangle index entries in
// arrays the model owns (the region only refers to them; the model outlives it and has checked
// the ranges). Each pose the region blends its bones' dual quaternions per point and writes the
// posed points; it also carries per-point displacements (added before and after skinning), a
// UV warp and an opacity, all written by a clip's caches.
//
// Skinning tables are built once from the weight table. A point blends the bones whose weight
// for it is finite and greater than 0.05, in bone-key order; weights are not renormalised (the
// blend is). A bone missing from the weight table, or a weight list shorter than the region,
// reads as weight 0 where it has no value; extra weights are ignored. A point without any
// bone above the threshold stays at its rest position (displacements still apply).
class meshRenderRegion {
public:
    // Weights whose magnitude exceeds this are scaled (per point, by a power of two, which
    // leaves the normalised blend unchanged) so that blends cannot overflow.
    static constexpr float largestPlainWeight = 65536.0f;
    // A weight counts only when greater than this.
    static constexpr float weightThreshold = 0.05f;

    // A region over points start_pt_index..end_pt_index and index entries
    // start_index..end_index (both inclusive) of the given arrays: indexBuffer (the triangle
    // list), restPts (x, y, z per point) and uvBuffer (u, v per point, written by the UV warp).
    // The loaded UVs of the region are kept as the reference of the warp.
    meshRenderRegion(const std::uint32_t* indexBuffer, const float* restPts, float* uvBuffer,
                     std::int32_t start_pt_index, std::int32_t end_pt_index,
                     std::int32_t start_index, std::int32_t end_index);
    virtual ~meshRenderRegion();

    meshRenderRegion(const meshRenderRegion&) = delete;
    meshRenderRegion& operator=(const meshRenderRegion&) = delete;

    // end - start + 1 of the point and index ranges; 0 for an empty or reversed range.
    std::int32_t numPoints() const;
    std::int32_t numIndices() const;
    std::int32_t getStartPtIndex() const { return start_pt_index; }
    std::int32_t getEndPtIndex() const { return end_pt_index; }
    std::int32_t getStartIndex() const { return start_index; }
    std::int32_t getEndIndex() const { return end_index; }

    // The region's first index entry, rest point (3 floats) and UV pair (2 floats).
    const std::uint32_t* getIndices() const;
    const float* getRestPts() const;
    float* getUvs() const;

    const std::string& getName() const { return name; }
    void setName(const std::string& value) { name = value; }
    std::int32_t getTagId() const { return tagId; }
    void setTagId(std::int32_t id) { tagId = id; }

    // The weight table as loaded: for each bone key, one weight per region point.
    std::unordered_map<std::string, std::vector<float>>& getWeights() { return weights; }
    const std::unordered_map<std::string, std::vector<float>>& getWeights() const {
        return weights;
    }

    const std::string& getMainBoneKey() const { return mainBoneKey; }
    void setMainBoneKey(const std::string& key) { mainBoneKey = key; }
    meshBone* getMainBone() const { return mainBone; }
    // mainBone := the bone of root's subtree with key mainBoneKey (null when none or no root).
    void resolveMainBone(meshBone* root);

    // Builds the skinning tables from the weight table and the model's bones by key. Run once
    // after the bone map exists; the bones must outlive the region's skinning.
    void buildSkinningTables(const std::unordered_map<std::string, meshBone*>& boneMap);

    // The bones the region blends (those with a weight above the threshold for some point).
    const std::vector<meshBone*>& getSkinBones() const { return skinBones; }
    // The bones point i blends and their weights as blended (huge ones scaled down), in blend
    // order; for inspection and tests.
    std::vector<std::pair<const meshBone*, float>> pointInfluences(std::int32_t point) const;

    // Writes numPoints posed points, (x, y, 1.0) each, from out on. Local displacements are
    // added before skinning when enabled and applyLocal, post displacements after when enabled
    // and applyPost; a displacement list that does not hold numPoints entries is ignored. Then
    // warps the UVs when the warp is on and applyUvWarp. Allocates nothing. A coordinate that
    // would not be finite (only non-finite or absurdly large input gives one) is written as 0.
    void skinPoints(float* out, bool applyLocal, bool applyPost, bool applyUvWarp);

    // Switch the displacements on or off; switching on sizes the list to numPoints entries
    // (new ones (0, 0)).
    void setUseLocalDisplacements(bool flag);
    void setUsePostDisplacements(bool flag);
    bool getUseLocalDisplacements() const { return use_local_displacements; }
    bool getUsePostDisplacements() const { return use_post_displacements; }
    std::vector<Vec2>& getLocalDisplacements() { return local_displacements; }
    std::vector<Vec2>& getPostDisplacements() { return post_displacements; }
    const std::vector<Vec2>& getLocalDisplacements() const { return local_displacements; }
    const std::vector<Vec2>& getPostDisplacements() const { return post_displacements; }

    // Switches the UV warp; switching it off puts the loaded UVs back.
    void setUseUvWarp(bool flag);
    bool getUseUvWarp() const { return use_uv_warp; }

    void setLocalOffset(Vec2 value) { local_offset = value; }
    void setGlobalOffset(Vec2 value) { global_offset = value; }
    void setScale(Vec2 value) { scale = value; }
    void setUvLevel(std::int32_t value) { uv_level = value; }
    void setOpacity(float value) { opacity = value; }
    Vec2 getLocalOffset() const { return local_offset; }
    Vec2 getGlobalOffset() const { return global_offset; }
    Vec2 getScale() const { return scale; }
    std::int32_t getUvLevel() const { return uv_level; }
    float getOpacity() const { return opacity; }
    const std::vector<Vec2>& getRefUvs() const { return ref_uvs; }

    // UV i of the region := global_offset + scale * (reference UV i - local_offset), per axis.
    void applyUvWarp();
    // UVs of the region := the reference UVs.
    void restoreReferenceUvs();

private:
    void buildRestColumns();

    std::int32_t start_pt_index;
    std::int32_t end_pt_index;
    std::int32_t start_index;
    std::int32_t end_index;
    const std::uint32_t* indexBuffer;
    const float* restPts;
    float* uvBuffer;
    std::vector<Vec2> local_displacements;
    bool use_local_displacements = false;
    std::vector<Vec2> post_displacements;
    bool use_post_displacements = false;
    bool use_uv_warp = false;
    Vec2 local_offset{0.0f, 0.0f};
    Vec2 global_offset{0.0f, 0.0f};
    Vec2 scale{1.0f, 1.0f};
    std::vector<Vec2> ref_uvs;
    std::int32_t uv_level = 0;
    float opacity = 100.0f;
    std::unordered_map<std::string, std::vector<float>> weights;

    // Skinning tables, in the block layout of meshSkinJob.
    std::vector<meshBone*> skinBones;
    std::vector<std::uint32_t> blockEntries;  // numBlocks + 1 offsets
    std::vector<std::uint32_t> entryBones;    // index into skinBones
    meshAlignedFloats entryWeights;           // blockSize weights per entry
    meshAlignedFloats restColumns;            // per block: x, y, z columns of the rest points
    std::vector<float> skinDualQuats;         // scratch: 8 floats per skin bone, each pose

    std::string mainBoneKey;
    meshBone* mainBone = nullptr;
    std::string name;
    std::int32_t tagId = -1;
};
