#pragma once

#include <cstddef>
#include <string>

#include "ClipCacheSizes.h"
#include "JsonDocument.h"
#include "JsonValue.h"
#include "ModelCheck.h"
#include "meshBoneCacheManager.h"
#include "meshDisplacementCacheManager.h"
#include "meshOpacityCacheManager.h"
#include "meshUVWarpCacheManager.h"

namespace MobilantModule {

// One named clip of a model: its frame range and the four caches that hold, for every whole
// frame of the range, the bones' end points and the regions' displacements, UV warps and
// opacities. Built once from the model document and afterwards only read (the animation
// manager samples the caches at fractional times). Clips are shared by the managers that play
// them.
//
// Construction is safe from any document. The clip is checked with ValidateMobilantClip
// first; when the document has no such clip, a message box says "Animation [ <name> ] does not
// exist" (caption "Mobilant Animation Extention"). A clip that is there but refused writes its
// check's Line on standard output and shows the box "Animation [ <name> ] could not be loaded:
// <the check's Reason>" (caption "mobilant animation ext"). Either way the clip keeps its name,
// start and end time 0 and four empty caches on which initFrames never ran, so posing it
// changes nothing; LoadCheck tells why.
//
// A built clip's range runs from the smallest to the largest "bones" frame key (0 and 0 with
// no keys), and each cache has one slot per frame of it. Keyed frames are taken in ascending
// frame order (document order among equal frames, so of the keys "3" and "03" the later
// wins); bone points, displacements and opacities of the frames between two keyed frames are
// interpolated, UV warps are not (those frames hold empty lists). A clip without
// "mesh_opacities" never marks its opacity frames ready; with null there, they are ready and
// empty.
class MobilantAnimation {
public:
    MobilantAnimation(const JsonDocument& document, const std::string& name);
    MobilantAnimation(JsonValue root, const std::string& name);
    virtual ~MobilantAnimation();

    MobilantAnimation(const MobilantAnimation&) = delete;
    MobilantAnimation& operator=(const MobilantAnimation&) = delete;

    const std::string& Name() const { return name; }
    float StartTime() const { return startTime; }
    float EndTime() const { return endTime; }

    meshBoneCacheManager& BoneCaches() { return boneCaches; }
    meshDisplacementCacheManager& DisplacementCaches() { return displacementCaches; }
    meshUVWarpCacheManager& UvWarpCaches() { return uvWarpCaches; }
    meshOpacityCacheManager& OpacityCaches() { return opacityCaches; }
    const meshBoneCacheManager& BoneCaches() const { return boneCaches; }
    const meshDisplacementCacheManager& DisplacementCaches() const { return displacementCaches; }
    const meshUVWarpCacheManager& UvWarpCaches() const { return uvWarpCaches; }
    const meshOpacityCacheManager& OpacityCaches() const { return opacityCaches; }

    // Ok for a built clip, otherwise why it was not built (ClipMissing, or the refusal).
    const ModelCheck& LoadCheck() const { return check; }

    // Bytes the clip holds on the heap.
    std::size_t MemoryBytes() const;

private:
    ModelCheck build(JsonValue clip, const ClipCacheSizes& sizes);

    ModelCheck check;
    std::string name;
    float startTime = 0.0f;
    float endTime = 0.0f;
    // Destroyed in reverse: opacities, UV warps, displacements, bones.
    meshBoneCacheManager boneCaches;
    meshDisplacementCacheManager displacementCaches;
    meshUVWarpCacheManager uvWarpCaches;
    meshOpacityCacheManager opacityCaches;
};

}  // namespace MobilantModule
