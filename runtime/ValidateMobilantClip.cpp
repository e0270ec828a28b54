#include "ValidateMobilantClip.h"

#include <algorithm>
#include <string>

#include "JsonLookup.h"
#include "ModelChecks.h"
#include "ParseFrameKey.h"

namespace MobilantModule {

namespace {

// What the frames of one clip member add up to.
struct FrameStats {
    bool keyed = false;  // at least one frame
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::int64_t mostEntries = 0;   // in one frame
    std::int64_t mostPairs = 0;     // displacement pairs in one frame
    std::int64_t totalEntries = 0;  // in all frames
};

// Checks every frame of `frames` (a member of the clip named `member`) and every entry of each
// frame with checkEntry(entry, where, pairs), which adds the entry's displacement pairs.
template <class CheckEntry>
bool checkFrames(JsonValue frames, const std::string& inClip, const char* member, FrameStats& stats,
                 ModelCheck& check, CheckEntry&& checkEntry) {
    for (const JsonNode* frame = frames.getFirstNode(); frame != nullptr; frame = frame->next) {
        const auto inFrame = [&] {
            return inClip + ": " + quote(member) + " frame " + quote(frame->key);
        };
        if (!frame->value.is(JsonTag::Object)) {
            check = {ModelError::WrongKind, inFrame() + " must be an object"};
            return false;
        }
        const std::int64_t number = ParseFrameKey(frame->key);
        stats.first = stats.keyed ? std::min(stats.first, number) : number;
        stats.last = stats.keyed ? std::max(stats.last, number) : number;
        stats.keyed = true;
        std::int64_t entries = 0;
        std::int64_t pairs = 0;
        for (const JsonNode* entry = frame->value.getFirstNode(); entry != nullptr;
             entry = entry->next, ++entries) {
            const auto inEntry = [&] { return inFrame() + " entry " + quote(entry->key); };
            if (!entry->value.is(JsonTag::Object)) {
                check = {ModelError::WrongKind, inEntry() + " must be an object"};
                return false;
            }
            if (!checkEntry(entry->value, inEntry, pairs)) return false;
        }
        stats.mostEntries = std::max(stats.mostEntries, entries);
        stats.mostPairs = std::max(stats.mostPairs, pairs);
        stats.totalEntries += entries;
    }
    return true;
}

}  // namespace

ModelCheck ValidateMobilantClip(JsonValue root, std::string_view clipName,
                                ClipCacheSizes* sizes) {
    ModelCheck check;
    const std::string inClip = "clip " + quote(clipName);
    const JsonNode* clipMember = findMember(memberValue(findMember(root, "animation")), clipName);
    if (clipMember == nullptr) {
        check = {ModelError::ClipMissing, inClip};
        return check;
    }
    const JsonValue clip = clipMember->value;
    if (!clip.is(JsonTag::Object)) {
        check = {ModelError::WrongKind, inClip + " must be an object"};
        return check;
    }
    const auto atClip = [&] { return inClip; };
    JsonValue bones, meshes, uvSwaps;
    if (!requireMember(clip, "bones", ValueKind::Object, bones, check, atClip) ||
        !requireMember(clip, "meshes", ValueKind::Object, meshes, check, atClip) ||
        !requireMember(clip, "uv_swaps", ValueKind::Object, uvSwaps, check, atClip)) {
        return check;
    }
    // Null, as exporters write for "nothing", holds no frames.
    const JsonNode* opacityMember = findMember(clip, "mesh_opacities");
    if (opacityMember != nullptr && !opacityMember->value.is(JsonTag::Object) &&
        !opacityMember->value.is(JsonTag::Null)) {
        check = {ModelError::WrongKind,
                 inClip + ": \"mesh_opacities\" must be an object or null"};
        return check;
    }

    FrameStats boneStats;
    const bool bonesOk = checkFrames(
        bones, inClip, "bones", boneStats, check,
        [&](JsonValue entry, const auto& where, std::int64_t&) {
            JsonValue point;
            return requireMember(entry, "start_pt", ValueKind::Point, point, check, where) &&
                   requireMember(entry, "end_pt", ValueKind::Point, point, check, where);
        });
    if (!bonesOk) return check;
    if (boneStats.last - boneStats.first > kMaxClipFrameSpan) {
        check = {ModelError::ClipTooLong, inClip + ": \"bones\" frames " +
                                              std::to_string(boneStats.first) + " to " +
                                              std::to_string(boneStats.last)};
        return check;
    }

    FrameStats meshStats;
    const bool meshesOk =
        checkFrames(meshes, inClip, "meshes", meshStats, check,
                    [&](JsonValue entry, const auto& where, std::int64_t& pairs) {
                        JsonValue useLocal, usePost, list;
                        if (!requireMember(entry, "use_local_displacements", ValueKind::Bool,
                                           useLocal, check, where) ||
                            !requireMember(entry, "use_post_displacements", ValueKind::Bool,
                                           usePost, check, where)) {
                            return false;
                        }
                        if (toBool(useLocal)) {
                            if (!requireMember(entry, "local_displacements", ValueKind::FloatList,
                                               list, check, where))
                                return false;
                            pairs += static_cast<std::int64_t>(childCount(list) / 2);
                        }
                        if (toBool(usePost)) {
                            if (!requireMember(entry, "post_displacements", ValueKind::FloatList,
                                               list, check, where))
                                return false;
                            pairs += static_cast<std::int64_t>(childCount(list) / 2);
                        }
                        return true;
                    });
    if (!meshesOk) return check;

    // UV warps are not interpolated: their caches hold only what the file holds.
    FrameStats uvStats;
    const bool uvSwapsOk = checkFrames(
        uvSwaps, inClip, "uv_swaps", uvStats, check,
        [&](JsonValue entry, const auto& where, std::int64_t&) {
            JsonValue enabled, point;
            if (!requireMember(entry, "enabled", ValueKind::Bool, enabled, check, where))
                return false;
            if (!toBool(enabled)) return true;
            return requireMember(entry, "local_offset", ValueKind::Point, point, check, where) &&
                   requireMember(entry, "global_offset", ValueKind::Point, point, check, where) &&
                   requireMember(entry, "scale", ValueKind::Point, point, check, where);
        });
    if (!uvSwapsOk) return check;

    FrameStats opacityStats;
    if (opacityMember != nullptr) {
        const bool opacitiesOk = checkFrames(
            opacityMember->value, inClip, "mesh_opacities", opacityStats, check,
            [&](JsonValue entry, const auto& where, std::int64_t&) {
                JsonValue opacity;
                return requireMember(entry, "opacity", ValueKind::Float, opacity, check, where);
            });
        if (!opacitiesOk) return check;
    }

    // Every cache has a slot per frame of the bones' range. Bones, displacements and opacities
    // fill every slot, none holding more entries or pairs than the fullest keyed frame; UV
    // warps hold only their keyed frames.
    ClipCacheSizes counted;
    counted.slots = static_cast<std::uint64_t>(boneStats.last - boneStats.first + 1);
    counted.boneEntries = counted.slots * static_cast<std::uint64_t>(boneStats.mostEntries);
    counted.displacementEntries =
        counted.slots * static_cast<std::uint64_t>(meshStats.mostEntries);
    counted.displacementPairs = counted.slots * static_cast<std::uint64_t>(meshStats.mostPairs);
    counted.uvWarpEntries = static_cast<std::uint64_t>(uvStats.totalEntries);
    counted.opacityEntries = counted.slots * static_cast<std::uint64_t>(opacityStats.mostEntries);
    const std::uint64_t bytes = counted.Bytes();
    if (bytes > kMaxClipCacheBytes) {
        check = {ModelError::ClipTooLarge,
                 inClip + ": " + std::to_string(counted.slots) + " frames would hold " +
                     std::to_string(bytes) + " bytes, more than " +
                     std::to_string(kMaxClipCacheBytes)};
        return check;
    }
    if (sizes != nullptr) *sizes = counted;
    return check;
}

}  // namespace MobilantModule
