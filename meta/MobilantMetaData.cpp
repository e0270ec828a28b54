#include "MobilantMetaData.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "DecodeBase64.h"
#include "JsonDocument.h"
#include "JsonLookup.h"
#include "JsonNode.h"
#include "MessageBoxes.h"
#include "Mobilant.h"
#include "WideStrings.h"
#include "meshRenderRegion.h"

namespace MobilantModule {

namespace {

// A list of the file format: an array, or an object walked the same way (its keys ignored).
bool isList(JsonValue value) {
    return value.is(JsonTag::Array) || value.is(JsonTag::Object);
}

// Element `index` of a list; the null value when the list is shorter or not a list.
JsonValue elementAt(JsonValue list, std::size_t index) {
    const JsonNode* node = isList(list) ? list.getFirstNode() : nullptr;
    for (; node != nullptr && index > 0; --index)
        node = node->next;
    return node != nullptr ? node->value : JsonValue();
}

// Element `index` of a list when it is a string.
std::optional<std::string> stringAt(JsonValue list, std::size_t index) {
    const char* text = elementAt(list, index).getString();
    if (text == nullptr) return std::nullopt;
    return std::string(text);
}

// Three floats (x, y, z) per point of the model; none without a model.
std::size_t pointFloats(const Mobilant* model) {
    return model != nullptr ? 3 * static_cast<std::size_t>(std::max(model->PointCount(), 0)) : 0;
}

}  // namespace

MobilantMetaData::MobilantMetaData(std::string_view text) {
    JsonDocument document;
    if (document.parseText(text) != JsonStatus::Ok) return;
    const JsonValue root = document.getRoot();
    if (!root.is(JsonTag::Object)) return;

    // The morph keys count together, each by its last occurrence; swaps are read as they come.
    const JsonNode* targets = nullptr;
    const JsonNode* resolution = nullptr;
    const JsonNode* space = nullptr;
    for (const JsonNode* member = root.getFirstNode(); member != nullptr; member = member->next) {
        const std::string_view key = member->key;
        if (key == "skinSwapList") {
            readSkinSwaps(member->value);
        } else if (key == "MorphTargets") {
            targets = member;
        } else if (key == "MorphRes") {
            resolution = member;
        } else if (key == "MorphSpace") {
            space = member;
        }
    }
    if (targets != nullptr && resolution != nullptr && space != nullptr)
        readMorphData(targets->value, resolution->value, space->value);
    // Everything kept is a copy: the document and its text go here.
}

MobilantMetaData::~MobilantMetaData() = default;

void MobilantMetaData::readSkinSwaps(JsonValue list) {
    if (!list.is(JsonTag::Object)) return;
    for (const JsonNode* member = list.getFirstNode(); member != nullptr; member = member->next) {
        const JsonValue swap = memberValue(member->value, "swap");
        const JsonValue items = memberValue(swap, "swap_items");
        if (!swap.is(JsonTag::Object) || !isList(items)) continue;
        NameSet names;
        for (const JsonNode* item = items.getFirstNode(); item != nullptr; item = item->next) {
            if (const char* name = item->value.getString()) names.emplace(name);
        }
        skinSwaps.insert_or_assign(member->key, std::move(names));
    }
}

void MobilantMetaData::readMorphData(JsonValue targets, JsonValue resolution, JsonValue space) {
    // Everything is checked before anything is kept, so the morph data loads whole or not at all.
    if (!targets.is(JsonTag::Object)) return;
    const std::optional<std::string> centre = stringAt(memberValue(targets, "CenterData"), 1);
    const JsonValue shapes = memberValue(targets, "MorphShape");
    if (!centre || !isList(shapes)) return;
    std::vector<std::string> names;
    for (const JsonNode* shape = shapes.getFirstNode(); shape != nullptr; shape = shape->next) {
        std::optional<std::string> name = stringAt(shape->value, 0);
        if (!name) return;
        names.push_back(std::move(*name));
    }
    const std::optional<std::int32_t> side = readInt(resolution);
    if (!side || *side < 1 || *side > kMaxMorphRes) return;
    const char* encoded = space.getString();
    if (encoded == nullptr) return;
    const std::vector<std::uint8_t> bytes = DecodeBase64(encoded);
    const auto imageBytes = static_cast<std::size_t>(*side) * static_cast<std::size_t>(*side);
    // At most 2^24 bytes per image, and no more images than the text has elements: the
    // product stays far below the size type's range.
    if (bytes.size() / imageBytes < names.size()) return;

    centerClipName = *centre;
    shapeTargets = std::move(names);
    morphRes = *side;
    weightImages.reserve(shapeTargets.size());
    for (std::size_t i = 0; i < shapeTargets.size(); ++i) {
        const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(i * imageBytes);
        weightImages.emplace_back(first, first + static_cast<std::ptrdiff_t>(imageBytes));
    }
    morphWeights.assign(shapeTargets.size(), 0.0f);
}

bool MobilantMetaData::BuildSkinSwapIndices(std::string_view swapName,
                                            const meshRenderBoneComposition& composition,
                                            const IndexWriter& writer,
                                            std::int32_t& count) const {
    count = 0;
    const auto swap = skinSwaps.find(swapName);
    if (swap == skinSwaps.end()) return false;
    const NameSet& names = swap->second;
    // The total first: overlapping regions could add up to more entries than the list holds.
    std::int64_t total = 0;
    for (const auto& region : composition.getRegions()) {
        if (names.find(region->getName()) != names.end()) total += region->numIndices();
    }
    if (total > writer.Capacity()) return false;

    std::int32_t written = 0;
    for (const auto& region : composition.getRegions()) {
        if (names.find(region->getName()) == names.end()) continue;
        const std::int32_t entries = region->numIndices();
        if (entries > 0) writer(written, region->getIndices(), entries);
        written += entries;
    }
    count = written;
    return true;
}

void MobilantMetaData::PlaceMorphPoint(Vec2 a, Vec2 b, float radius) {
    float dx = a.x - b.x;
    float dy = a.y - b.y;
    // A degenerate view gives points that are not finite; a difference can also overflow.
    if (!std::isfinite(dx) || !std::isfinite(dy) || !std::isfinite(radius) || radius <= 0.0f)
        return;
    // The length in doubles, where the squares of any two floats fit.
    const double length = std::sqrt(double{dx} * dx + double{dy} * dy);
    if (length > radius) {
        dx = static_cast<float>(dx / length * radius);
        dy = static_cast<float>(dy / length * radius);
    }
    const float u = (dx + radius) / (radius + radius);
    const float v = (dy + radius) / (radius + radius);
    const auto last = static_cast<float>(morphRes - 1);
    const float gx = std::max(std::min(u * last, last), 0.0f);
    const float gy = std::max(std::min(v * last, last), 0.0f);
    SampleMorphWeights({gx, gy});
}

void MobilantMetaData::SampleMorphWeights(Vec2 g) {
    if (!std::isfinite(g.x) || !std::isfinite(g.y)) return;
    if (weightImages.empty()) {
        morphPoint = g;
        return;
    }
    const auto last = static_cast<float>(morphRes - 1);
    g.x = std::clamp(g.x, 0.0f, last);
    g.y = std::clamp(g.y, 0.0f, last);
    morphPoint = g;

    const float x0 = std::floor(g.x), x1 = std::ceil(g.x);
    const float y0 = std::floor(g.y), y1 = std::ceil(g.y);
    const float area = (y1 - y0) * (x1 - x0);
    const auto at = [side = static_cast<std::size_t>(morphRes)](float x, float y) {
        return static_cast<std::size_t>(y) * side + static_cast<std::size_t>(x);
    };
    for (std::size_t i = 0; i < weightImages.size(); ++i) {
        const std::uint8_t* image = weightImages[i].data();
        const auto weight = [&](float x, float y) { return image[at(x, y)] / 255.0f; };
        if (area != 0.0f) {
            morphWeights[i] = (weight(x0, y0) * (x1 - g.x) * (y1 - g.y) +
                               weight(x1, y0) * (g.x - x0) * (y1 - g.y) +
                               weight(x0, y1) * (x1 - g.x) * (g.y - y0) +
                               weight(x1, y1) * (g.x - x0) * (g.y - y0)) *
                              (1.0f / area);
        } else {
            morphWeights[i] = weight(x0, y0);
        }
    }
}

bool MobilantMetaData::startMorphing(const MobilantManager& manager) {
    const auto fail = [this](const std::string& clip) {
        ShowMessageBox(FormatWithName(L"morphing animation is not initialized [%S]", clip.c_str())
                           .c_str(),
                       L"mobilant animation ext");
        morphClips.clear();
        return false;
    };
    morphClips.resize(shapeTargets.size());
    for (std::size_t i = 0; i < shapeTargets.size(); ++i) {
        MorphClip& entry = morphClips[i];
        entry.name = shapeTargets[i];
        const auto clip = manager.Clips().find(entry.name);
        if (clip == manager.Clips().end()) return fail(entry.name);
        entry.time = clip->second->StartTime();
    }
    if (!centerClipName.empty()) {
        activeCenterClip = centerClipName;
        const auto clip = manager.Clips().find(activeCenterClip);
        if (clip == manager.Clips().end()) return fail(activeCenterClip);
        centerClipTime = clip->second->StartTime();
    }
    return true;
}

bool MobilantMetaData::UpdateMorph(MobilantManager& manager, float step) {
    if (weightImages.empty()) return false;
    if (morphClips.empty() && !startMorphing(manager)) return false;
    Mobilant* model = manager.Model();
    const std::size_t floats = pointFloats(model);
    // Sized for the model on the first frame; every later frame only clears it.
    morphAccum.resize(floats);
    std::fill(morphAccum.begin(), morphAccum.end(), 0.0f);
    float* points = floats > 0 ? model->RenderPoints() : nullptr;

    // Posing writes only the points of regions: the others would otherwise carry the last
    // blend into the next one and shrink or grow without bound.
    if (points != nullptr) {
        const float* rest = model->RestPoints();
        for (std::size_t k = 0; k < floats; k += 3) {
            points[k] = rest[k];
            points[k + 1] = rest[k + 1];
        }
    }

    float d = 0.0f;
    if (!centerClipName.empty()) {
        const auto half = static_cast<float>(morphRes / 2);
        const float s = static_cast<float>(morphRes) * 0.5f;
        const float ox = (morphPoint.x - half) / s;
        const float oy = (morphPoint.y - half) / s;
        d = std::sqrt(ox * ox + oy * oy);
        centerClipTime = manager.AdvanceClipAlone(activeCenterClip, centerClipTime, step);
        addPose(points, 1.0f - d);
    }
    for (std::size_t i = 0; i < morphClips.size(); ++i) {
        MorphClip& clip = morphClips[i];
        clip.time = manager.AdvanceClipAlone(clip.name, clip.time, step);
        float weight = morphWeights[i];
        if (d > 0.0f) weight *= d;
        addPose(points, weight);
    }

    // Sums of poses near the float limit can overflow; such a coordinate is written as 0, as
    // posing writes its own.
    constexpr float kLargest = std::numeric_limits<float>::max();
    const float* blended = morphAccum.data();
    for (std::size_t k = 0; k < floats; k += 3) {
        points[k] = std::fabs(blended[k]) <= kLargest ? blended[k] : 0.0f;
        points[k + 1] = std::fabs(blended[k + 1]) <= kLargest ? blended[k + 1] : 0.0f;
        points[k + 2] = 0.0f;
    }
    return true;
}

void MobilantMetaData::addPose(const float* points, float weight) {
    // One contiguous run, z included, which the compiler vectorises; the sum's z is dropped
    // when the blend is written back.
    float* sum = morphAccum.data();
    const std::size_t floats = morphAccum.size();
    for (std::size_t k = 0; k < floats; ++k)
        sum[k] += points[k] * weight;
}

}  // namespace MobilantModule
