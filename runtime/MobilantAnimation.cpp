#include "MobilantAnimation.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "JsonLookup.h"
#include "MessageBoxes.h"
#include "ModelChecks.h"
#include "ModelReaders.h"
#include "ParseFrameKey.h"
#include "ValidateMobilantClip.h"
#include "Vec2.h"
#include "Vec4.h"
#include "WideStrings.h"

namespace MobilantModule {

namespace {

// The (x, y) pairs of a flat list of numbers; an odd last number is dropped.
std::vector<Vec2> readPairs(JsonValue value) {
    const std::vector<float> numbers = readFloatArray(value);
    std::vector<Vec2> pairs(numbers.size() / 2);
    for (std::size_t i = 0; i < pairs.size(); ++i)
        pairs[i] = {numbers[2 * i], numbers[2 * i + 1]};
    return pairs;
}

struct KeyedFrame {
    std::int32_t frame;
    JsonValue entries;
};

// The frames of a clip member in ascending frame order; equal frames stay in document order.
std::vector<KeyedFrame> keyedFrames(JsonValue frames) {
    std::vector<KeyedFrame> keyed;
    keyed.reserve(childCount(frames));
    for (const JsonNode* node = frames.getFirstNode(); node != nullptr; node = node->next)
        keyed.push_back({ParseFrameKey(node->key), node->value});
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const KeyedFrame& a, const KeyedFrame& b) { return a.frame < b.frame; });
    return keyed;
}

// Stores every keyed frame of `frames` in `caches`, one list per frame with an entry
// makeEntry(key, value) per member. Managers that interpolate (those with fillGap) also fill the
// gap from the previous keyed frame, the first gap starting at the clip's start.
template <class Manager, class Entry, class MakeEntry>
void loadFrames(Manager& caches, const std::vector<KeyedFrame>& frames, std::int32_t start,
                MakeEntry&& makeEntry) {
    std::vector<Entry> list;
    std::int32_t previous = start;
    for (const KeyedFrame& keyed : frames) {
        list.clear();
        for (const JsonNode* node = keyed.entries.getFirstNode(); node != nullptr;
             node = node->next) {
            list.push_back(makeEntry(node->key, node->value));
        }
        caches.setFrame(caches.frameIndex(keyed.frame), list);
        if constexpr (requires { caches.fillGap(previous, keyed.frame); })
            caches.fillGap(previous, keyed.frame);
        previous = keyed.frame;
    }
}

}  // namespace

MobilantAnimation::MobilantAnimation(const JsonDocument& document, const std::string& name)
    : MobilantAnimation(document.getRoot(), name) {}

MobilantAnimation::MobilantAnimation(JsonValue root, const std::string& name) : name(name) {
    ClipCacheSizes sizes;
    check = ValidateMobilantClip(root, name, &sizes);
    if (check.Ok()) check = build(memberValue(memberValue(root, "animation"), name), sizes);
    if (check.Ok()) return;
    if (check.error == ModelError::ClipMissing) {
        ShowMessageBox(FormatWithName(L"Animation [ %S ] does not exist", name.c_str()).c_str(),
                       L"Mobilant Animation Extention");
        return;
    }
    // The clip is there but cannot be played: say why, to the author as to the developer.
    std::printf("%s\n", check.Line().c_str());
    std::fflush(stdout);
    const std::wstring text = FormatWithName(L"Animation [ %S ] could not be loaded: ", name.c_str()) +
                              WidenNarrowString(check.Reason().c_str());
    ShowMessageBox(text.c_str(), L"mobilant animation ext");
}

MobilantAnimation::~MobilantAnimation() = default;

// The clip passed ValidateMobilantClip: every member read below is there, of its kind, and
// `sizes` bounds what the caches will hold.
ModelCheck MobilantAnimation::build(JsonValue clip, const ClipCacheSizes& sizes) {
    const std::vector<KeyedFrame> boneFrames = keyedFrames(memberValue(clip, "bones"));
    const std::int32_t start = boneFrames.empty() ? 0 : boneFrames.front().frame;
    const std::int32_t end = boneFrames.empty() ? 0 : boneFrames.back().frame;

    // The check keeps spans far below what the caches refuse; should the two ever part, the
    // clip is refused rather than left with tables that pose nothing.
    if (!boneCaches.initFrames(start, end) || !displacementCaches.initFrames(start, end) ||
        !uvWarpCaches.initFrames(start, end) || !opacityCaches.initFrames(start, end)) {
        return {ModelError::ClipTooLong, "clip " + quote(name) + ": frames " +
                                             std::to_string(start) + " to " + std::to_string(end)};
    }
    startTime = static_cast<float>(start);
    endTime = static_cast<float>(end);
    // Room for everything at once: the tables then never grow, and never hold twice their size.
    boneCaches.reserve(static_cast<std::size_t>(sizes.boneEntries));
    displacementCaches.reserve(static_cast<std::size_t>(sizes.displacementEntries),
                               static_cast<std::size_t>(sizes.displacementPairs));
    uvWarpCaches.reserve(static_cast<std::size_t>(sizes.uvWarpEntries));
    opacityCaches.reserve(static_cast<std::size_t>(sizes.opacityEntries));

    loadFrames<meshBoneCacheManager, meshBoneCache>(
        boneCaches, boneFrames, start, [](const char* key, JsonValue entry) {
            return meshBoneCache(key, readVec4(memberValue(entry, "start_pt")),
                                 readVec4(memberValue(entry, "end_pt")));
        });
    boneCaches.markAllReady();

    loadFrames<meshDisplacementCacheManager, meshDisplacementCache>(
        displacementCaches, keyedFrames(memberValue(clip, "meshes")), start,
        [](const char* key, JsonValue entry) {
            meshDisplacementCache cache;
            cache.key = key;
            if (toBool(memberValue(entry, "use_local_displacements")))
                cache.local_displacements = readPairs(memberValue(entry, "local_displacements"));
            if (toBool(memberValue(entry, "use_post_displacements")))
                cache.post_displacements = readPairs(memberValue(entry, "post_displacements"));
            return cache;
        });
    displacementCaches.markAllReady();

    loadFrames<meshUVWarpCacheManager, meshUVWarpCache>(
        uvWarpCaches, keyedFrames(memberValue(clip, "uv_swaps")), start,
        [](const char* key, JsonValue entry) {
            meshUVWarpCache cache(key);
            cache.enabled = toBool(memberValue(entry, "enabled"));
            if (cache.enabled) {
                cache.local_offset = readVec2(memberValue(entry, "local_offset"));
                cache.global_offset = readVec2(memberValue(entry, "global_offset"));
                cache.scale = readVec2(memberValue(entry, "scale"));
            }
            return cache;
        });
    uvWarpCaches.markAllReady();

    // Without the member the opacity frames never become ready; null holds no frames.
    const JsonNode* opacities = findMember(clip, "mesh_opacities");
    if (opacities == nullptr) return {};
    loadFrames<meshOpacityCacheManager, meshOpacityCache>(
        opacityCaches, keyedFrames(opacities->value), start, [](const char* key, JsonValue entry) {
            const double opacity = readNumber(memberValue(entry, "opacity")).value_or(100.0);
            return meshOpacityCache(key, static_cast<float>(opacity));
        });
    opacityCaches.markAllReady();
    return {};
}

std::size_t MobilantAnimation::MemoryBytes() const {
    return name.capacity() + boneCaches.memoryBytes() + displacementCaches.memoryBytes() +
           uvWarpCaches.memoryBytes() + opacityCaches.memoryBytes();
}

}  // namespace MobilantModule
