#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "IndexWriter.h"
#include "JsonValue.h"
#include "MobilantManager.h"
#include "Vec2.h"
#include "meshRenderBoneComposition.h"

namespace MobilantModule {

// The meta data of one model, read from a meta-data file: skin swaps (named sets of regions to
// draw together) and morph targets (clips blended by a two-dimensional control point through
// one grayscale weight image per target, optionally around a centre clip). Built in one step
// from the file's text; afterwards its tables only answer (BuildSkinSwapIndices) and its morph
// state changes only through PlaceMorphPoint, SampleMorphWeights and UpdateMorph.
//
// The file is one JSON object. "skinSwapList" maps swap names to {"swap": {"swap_items":
// [region names]}}. "MorphTargets" ({"CenterData": [_, centre clip], "MorphShape": [[clip,
// [x, y]], ...]}), "MorphRes" (the side of each weight image) and "MorphSpace" (the images in
// base64, one after the other) are used only together; of a key given twice the last counts.
// "meshes", "regionOrders", "eventTriggers" and unknown keys are passed over.
//
// Any text is safe. Text that is not JSON, or whose root is not an object, gives meta data
// without swaps or morph data. A swap without "swap" or "swap_items" is skipped, and so is an
// item that is not a string. Morph data loads whole or not at all: without any of the three
// keys, with a "MorphRes" outside 1 .. kMaxMorphRes, with "CenterData" lacking a string at
// element 1, a "MorphShape" element lacking a string at element 0, or fewer decoded bytes than
// the images need, there is none (and so no morphing), while the skin swaps still load.
class MobilantMetaData {
public:
    // Lookups by string_view without making a string.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const {
            return std::hash<std::string_view>{}(name);
        }
    };
    using NameSet = std::unordered_set<std::string, NameHash, std::equal_to<>>;
    using SwapTable = std::unordered_map<std::string, NameSet, NameHash, std::equal_to<>>;

    // A morph target's clip and its own play time.
    struct MorphClip {
        std::string name;
        float time = 0.0f;
    };

    // The largest side of a weight image: 4096 x 4096 bytes per target.
    static constexpr std::int32_t kMaxMorphRes = 4096;

    // Reads the meta data from the whole text of a meta-data file; never fails visibly.
    explicit MobilantMetaData(std::string_view text);
    virtual ~MobilantMetaData();

    MobilantMetaData(const MobilantMetaData&) = delete;
    MobilantMetaData& operator=(const MobilantMetaData&) = delete;

    // Skin swaps.

    // Writes, through `writer`, the index entries of every region of `composition` named in
    // swap `swapName`, in the composition's region order, one region's slice after the other
    // from position 0; `count` receives their number. False, with count 0 and nothing written,
    // for a swap it does not know, or one whose entries would not fit the writer's list
    // (regions that overlap or share a name). Allocates nothing.
    bool BuildSkinSwapIndices(std::string_view swapName,
                              const meshRenderBoneComposition& composition,
                              const IndexWriter& writer, std::int32_t& count) const;

    // Morph targets.

    // Places the control point at the vector a - b (cut to length `radius` when longer) mapped
    // onto the weight-image grid, so that -radius .. radius covers 0 .. MorphRes - 1 on both
    // axes, and samples the weights there. A point, vector or radius that is not finite, or a
    // radius that is not positive, changes nothing.
    void PlaceMorphPoint(Vec2 a, Vec2 b, float radius);

    // Moves the control point to grid point `g` (kept within the grid) and sets each target's
    // weight to its image sampled there: bilinear between the four neighbouring bytes, or the
    // byte at the floor of g when either coordinate is whole; byte b weighs b / 255. A point
    // that is not finite changes nothing.
    void SampleMorphWeights(Vec2 g);

    // Poses the manager's model with the morph blend: the centre clip and every target clip,
    // each from its own time advanced by `step` as the manager's Advance would with blending
    // off, summed with the weights into the render points (x, y; z = 0). With a centre clip,
    // d is the control point's distance from the grid centre in half grid widths, the centre
    // pose weighs 1 - d and each target its weight times d (times 1 when d is 0); without one,
    // each target weighs its weight. The manager is left on the last clip posed.
    //
    // The first call (and the first after a failure) looks the clips up in the manager's
    // table. A clip that is not there shows the message box "morphing animation is not
    // initialized [<clip>]" and returns false; the next call tries again. Without morph data
    // it does nothing and returns false. Allocates nothing after its first success.
    bool UpdateMorph(MobilantManager& manager, float step);

    // The loaded tables and the morph state, for the renderer and for inspection.
    const std::vector<std::vector<std::uint8_t>>& WeightImages() const { return weightImages; }
    const std::string& CenterClipName() const { return centerClipName; }
    const std::vector<std::string>& ShapeTargets() const { return shapeTargets; }
    const std::vector<float>& MorphWeights() const { return morphWeights; }
    std::int32_t MorphRes() const { return morphRes; }
    const std::vector<MorphClip>& MorphClips() const { return morphClips; }
    const std::string& ActiveCenterClip() const { return activeCenterClip; }
    float CenterClipTime() const { return centerClipTime; }
    const std::vector<float>& MorphAccum() const { return morphAccum; }
    Vec2 MorphPoint() const { return morphPoint; }
    const SwapTable& SkinSwaps() const { return skinSwaps; }

private:
    void readSkinSwaps(JsonValue list);
    void readMorphData(JsonValue targets, JsonValue resolution, JsonValue space);
    bool startMorphing(const MobilantManager& manager);
    void addPose(const float* points, float weight);

    std::vector<std::vector<std::uint8_t>> weightImages;
    std::string centerClipName;
    std::vector<std::string> shapeTargets;
    std::vector<float> morphWeights;
    std::int32_t morphRes = 0;
    std::vector<MorphClip> morphClips;
    std::string activeCenterClip;
    float centerClipTime = 0.0f;
    std::vector<float> morphAccum;
    Vec2 morphPoint{0.0f, 0.0f};
    SwapTable skinSwaps;
};

}  // namespace MobilantModule
