#include "MetaJson.h"

#include <algorithm>
#include <stdexcept>

#include "Base64.h"
#include "JsonWriter.h"

namespace {

// Members of the root and of "skinSwapList" and "MorphTargets" get their own lines.
constexpr int kLineDepth = 2;

void writeMeshes(JsonWriter& json, const GenModel& model) {
    json.key("meshes");
    json.beginArray();
    for (const GenRegion& region : model.regions) {
        json.beginObject();
        json.key("id");
        json.integer(region.id);
        json.key("startIndex");
        json.integer(region.firstIndex);
        json.key("endIndex");
        json.integer(region.firstIndex + region.indexCount - 1);
        json.endObject();
    }
    json.endArray();
}

void writeEventTriggers(JsonWriter& json, const GenMeta& meta) {
    json.key("eventTriggers");
    json.beginObject();
    std::vector<std::string> clips;
    for (const EventTrigger& trigger : meta.eventTriggers) {
        if (std::find(clips.begin(), clips.end(), trigger.clip) == clips.end())
            clips.push_back(trigger.clip);
    }
    for (const std::string& clip : clips) {
        json.key(clip);
        json.beginArray();
        for (const EventTrigger& trigger : meta.eventTriggers) {
            if (trigger.clip != clip) continue;
            json.beginObject();
            json.key("event_name");
            json.string(trigger.event);
            json.key("switch_time");
            json.integer(trigger.frame);
            json.endObject();
        }
        json.endArray();
    }
    json.endObject();
}

void writeSkinSwaps(JsonWriter& json, const GenMeta& meta) {
    json.key("skinSwapList");
    json.beginObject();
    for (const SkinSwap& swap : meta.skinSwaps) {
        json.key(swap.name);
        json.beginObject();
        json.key("swap");
        json.beginObject();
        json.key("swap_items");
        json.beginArray();
        for (const std::string& region : swap.regions)
            json.string(region);
        json.endArray();
        json.endObject();
        json.endObject();
    }
    json.endObject();
}

void writeMorphTargets(JsonWriter& json, const GenMeta& meta) {
    json.key("MorphTargets");
    json.beginObject();
    json.key("CenterData");
    json.beginArray();
    json.beginArray();
    json.number(0.0);
    json.number(0.0);
    json.endArray();
    json.string(meta.centreClip);
    json.endArray();
    json.key("MorphShape");
    json.beginArray();
    for (const MorphTarget& target : meta.morphTargets) {
        json.beginArray();
        json.string(target.clip);
        json.beginArray();
        json.number(target.position.x);
        json.number(target.position.y);
        json.endArray();
        json.endArray();
    }
    json.endArray();
    json.endObject();
    json.key("MorphRes");
    json.integer(meta.morphRes);
    std::vector<std::uint8_t> images;
    for (const std::vector<std::uint8_t>& image : meta.weightImages)
        images.insert(images.end(), image.begin(), image.end());
    json.key("MorphSpace");
    json.string(encodeBase64(images));
}

[[noreturn]] void fail(const GenModel& model, const std::string& what) {
    throw std::runtime_error(model.name + " meta data: " + what);
}

bool hasClip(const GenModel& model, const std::string& name) {
    return std::any_of(model.clips.begin(), model.clips.end(),
                       [&](const GenClip& clip) { return clip.name == name; });
}

}  // namespace

std::string metaToJson(const GenModel& model) {
    const GenMeta& meta = model.meta;
    JsonWriter json(kLineDepth);
    json.beginObject();
    writeMeshes(json, model);
    json.key("regionOrders");
    json.beginObject();
    json.endObject();
    writeEventTriggers(json, meta);
    writeSkinSwaps(json, meta);
    if (!meta.morphTargets.empty()) writeMorphTargets(json, meta);
    json.endObject();
    return json.text();
}

void checkMeta(const GenModel& model) {
    const GenMeta& meta = model.meta;
    for (const SkinSwap& swap : meta.skinSwaps) {
        for (const std::string& name : swap.regions) {
            if (std::none_of(model.regions.begin(), model.regions.end(),
                             [&](const GenRegion& region) { return region.name == name; }))
                fail(model, "swap " + swap.name + " names no region " + name);
        }
    }
    if (!meta.centreClip.empty() && !hasClip(model, meta.centreClip))
        fail(model, "no centre clip " + meta.centreClip);
    for (const MorphTarget& target : meta.morphTargets) {
        if (!hasClip(model, target.clip)) fail(model, "no morph clip " + target.clip);
    }
    for (const EventTrigger& trigger : meta.eventTriggers) {
        if (!hasClip(model, trigger.clip)) fail(model, "no event clip " + trigger.clip);
    }
    if (meta.morphTargets.empty()) return;
    if (meta.morphRes < 1 || meta.morphRes > 4096) fail(model, "weight images of a bad size");
    const auto bytes = static_cast<std::size_t>(meta.morphRes) * meta.morphRes;
    if (meta.weightImages.size() != meta.morphTargets.size())
        fail(model, "not one weight image per morph target");
    for (const std::vector<std::uint8_t>& image : meta.weightImages) {
        if (image.size() != bytes) fail(model, "a weight image of the wrong size");
    }
}
