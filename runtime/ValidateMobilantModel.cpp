#include "ValidateMobilantModel.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "JsonLookup.h"
#include "ModelChecks.h"

namespace MobilantModule {

namespace {

struct MeshCounts {
    std::int64_t points = 0;
    std::int64_t indices = 0;
    std::int64_t regions = 0;
    std::int64_t regionCost = 0;  // sum over regions of points * (1 + weight lists)
};

// A bone as the skeleton check sees it.
struct BoneEntry {
    const char* key;
    std::int32_t id;
    JsonValue children;
    std::int64_t parent = -1;  // index of the bone listing it as a child
};

std::string numberText(double number) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", number);
    return text;
}

// first..last (inclusive) lies in 0..count-1, or is the empty range last = first - 1 with first
// in 0..count.
bool rangeFits(std::int64_t first, std::int64_t last, std::int64_t count) {
    return first >= 0 && last >= first - 1 && last < count;
}

bool checkMesh(JsonValue mesh, MeshCounts& counts, ModelCheck& check) {
    const auto inMesh = [] { return std::string("mesh"); };
    JsonValue points, uvs, indices, regions;
    if (!requireMember(mesh, "points", ValueKind::FloatList, points, check, inMesh)) return false;
    if (!requireMember(mesh, "uvs", ValueKind::FloatList, uvs, check, inMesh)) return false;
    if (!requireMember(mesh, "indices", ValueKind::IntegerList, indices, check, inMesh))
        return false;
    if (!requireMember(mesh, "regions", ValueKind::Object, regions, check, inMesh)) return false;

    const auto pointValues = static_cast<std::int64_t>(childCount(points));
    const auto uvValues = static_cast<std::int64_t>(childCount(uvs));
    if (pointValues % 2 != 0) {
        check = {ModelError::OddPoints, "mesh: \"points\" holds " + std::to_string(pointValues)};
        return false;
    }
    if (uvValues % 2 != 0) {
        check = {ModelError::OddUvs, "mesh: \"uvs\" holds " + std::to_string(uvValues)};
        return false;
    }
    if (uvValues != pointValues) {
        check = {ModelError::UvsPointsMismatch, "mesh: \"points\" holds " +
                                                    std::to_string(pointValues) + ", \"uvs\" " +
                                                    std::to_string(uvValues)};
        return false;
    }
    counts.points = pointValues / 2;

    std::int64_t position = 0;
    for (const JsonNode* node = indices.getFirstNode(); node != nullptr;
         node = node->next, ++position) {
        const std::int32_t index = truncateToInt32(node->value.getNumber());
        if (index < 0 || index >= counts.points) {
            check = {ModelError::IndexOutOfRange,
                     "mesh: \"indices\"[" + std::to_string(position) + "] is " +
                         numberText(node->value.getNumber()) + ", the mesh has " +
                         std::to_string(counts.points) + " points"};
            return false;
        }
    }
    counts.indices = position;

    for (const JsonNode* member = regions.getFirstNode(); member != nullptr;
         member = member->next) {
        const auto inRegion = [member] { return "region " + quote(member->key); };
        if (!member->value.is(JsonTag::Object)) {
            check = {ModelError::WrongKind, inRegion() + " must be an object"};
            return false;
        }
        const JsonValue region = member->value;
        JsonValue id, startPoint, endPoint, startIndex, endIndex, weights;
        if (!requireMember(region, "id", ValueKind::Integer, id, check, inRegion) ||
            !requireMember(region, "start_pt_index", ValueKind::Integer, startPoint, check,
                           inRegion) ||
            !requireMember(region, "end_pt_index", ValueKind::Integer, endPoint, check, inRegion) ||
            !requireMember(region, "start_index", ValueKind::Integer, startIndex, check,
                           inRegion) ||
            !requireMember(region, "end_index", ValueKind::Integer, endIndex, check, inRegion) ||
            !requireMember(region, "weights", ValueKind::Object, weights, check, inRegion)) {
            return false;
        }
        for (const JsonNode* list = weights.getFirstNode(); list != nullptr; list = list->next) {
            const ModelError error = checkValue(list->value, ValueKind::FloatList);
            if (error != ModelError::Ok) {
                check = {error, inRegion() + ": \"weights\": " + quote(list->key) + " must be " +
                                    kindName(ValueKind::FloatList)};
                return false;
            }
        }
        const std::int64_t firstPoint = truncateToInt32(startPoint.getNumber());
        const std::int64_t lastPoint = truncateToInt32(endPoint.getNumber());
        if (!rangeFits(firstPoint, lastPoint, counts.points)) {
            check = {ModelError::RegionPointRange,
                     inRegion() + ": points " + std::to_string(firstPoint) + " to " +
                         std::to_string(lastPoint) + ", the mesh has " +
                         std::to_string(counts.points)};
            return false;
        }
        const std::int64_t firstIndex = truncateToInt32(startIndex.getNumber());
        const std::int64_t lastIndex = truncateToInt32(endIndex.getNumber());
        if (!rangeFits(firstIndex, lastIndex, counts.indices)) {
            check = {ModelError::RegionIndexRange,
                     inRegion() + ": index entries " + std::to_string(firstIndex) + " to " +
                         std::to_string(lastIndex) + ", \"indices\" has " +
                         std::to_string(counts.indices)};
            return false;
        }
        const auto lists = static_cast<std::int64_t>(childCount(weights));
        counts.regionCost += (lastPoint - firstPoint + 1) * (1 + lists);
        ++counts.regions;
        if (counts.regionCost > kMaxModelBuildCost) break;  // reported with the bone count
    }
    return true;
}

bool checkSkeleton(JsonValue skeleton, std::vector<BoneEntry>& bones, ModelCheck& check) {
    for (const JsonNode* member = skeleton.getFirstNode(); member != nullptr;
         member = member->next) {
        const auto inBone = [member] { return "bone " + quote(member->key); };
        if (!member->value.is(JsonTag::Object)) {
            check = {ModelError::WrongKind, inBone() + " must be an object"};
            return false;
        }
        const JsonValue bone = member->value;
        JsonValue id, matrix, start, end, children;
        if (!requireMember(bone, "id", ValueKind::Integer, id, check, inBone) ||
            !requireMember(bone, "restParentMat", ValueKind::Matrix, matrix, check, inBone) ||
            !requireMember(bone, "localRestStartPt", ValueKind::Point, start, check, inBone) ||
            !requireMember(bone, "localRestEndPt", ValueKind::Point, end, check, inBone) ||
            !requireMember(bone, "children", ValueKind::IntegerList, children, check, inBone)) {
            return false;
        }
        bones.push_back({member->key, truncateToInt32(id.getNumber()), children});
    }
    if (bones.empty()) {
        check = {ModelError::NoBones, "\"skeleton\" is empty"};
        return false;
    }

    // Bone indices in ascending id order: the order in which the root is chosen.
    std::vector<std::size_t> byId(bones.size());
    for (std::size_t i = 0; i < byId.size(); ++i)
        byId[i] = i;
    std::stable_sort(byId.begin(), byId.end(),
                     [&](std::size_t a, std::size_t b) { return bones[a].id < bones[b].id; });
    for (std::size_t i = 1; i < byId.size(); ++i) {
        const BoneEntry& a = bones[byId[i - 1]];
        const BoneEntry& b = bones[byId[i]];
        if (a.id == b.id) {
            check = {ModelError::DuplicateBoneId, "bones " + quote(a.key) + " and " + quote(b.key) +
                                                      " have id " + std::to_string(a.id)};
            return false;
        }
    }
    const auto findId = [&](std::int32_t id) -> std::optional<std::size_t> {
        const auto found = std::lower_bound(
            byId.begin(), byId.end(), id,
            [&](std::size_t index, std::int32_t value) { return bones[index].id < value; });
        if (found == byId.end() || bones[*found].id != id) return std::nullopt;
        return *found;
    };

    for (std::size_t parent = 0; parent < bones.size(); ++parent) {
        std::size_t position = 0;
        for (const JsonNode* node = bones[parent].children.getFirstNode(); node != nullptr;
             node = node->next, ++position) {
            const std::int32_t id = truncateToInt32(node->value.getNumber());
            const auto child = findId(id);
            if (!child) {
                check = {ModelError::UnknownChild,
                         "bone " + quote(bones[parent].key) + ": \"children\"[" +
                             std::to_string(position) + "] is " + std::to_string(id)};
                return false;
            }
            BoneEntry& entry = bones[*child];
            if (entry.parent >= 0) {
                check = {ModelError::ChildOfTwoParents,
                         "bone " + quote(entry.key) + " is a child of " +
                             quote(bones[static_cast<std::size_t>(entry.parent)].key) + " and of " +
                             quote(bones[parent].key)};
                return false;
            }
            entry.parent = static_cast<std::int64_t>(parent);
        }
    }

    const auto root = std::find_if(byId.begin(), byId.end(),
                                   [&](std::size_t index) { return bones[index].parent < 0; });
    if (root == byId.end()) {
        check = {ModelError::NoRootBone,
                 "all " + std::to_string(bones.size()) + " bones are listed as children"};
        return false;
    }

    // With one parent each, a bone that no parentless bone reaches sits on or below a cycle.
    // Walking up from each bone until a visited or parentless one keeps this linear.
    std::vector<signed char> state(bones.size(), 0);  // 0 unknown, 1 on the walk, 2 reaches a top
    std::vector<std::size_t> walk;
    for (std::size_t start = 0; start < bones.size(); ++start) {
        walk.clear();
        std::size_t bone = start;
        while (state[bone] == 0 && bones[bone].parent >= 0) {
            state[bone] = 1;
            walk.push_back(bone);
            bone = static_cast<std::size_t>(bones[bone].parent);
        }
        if (state[bone] == 1) {
            check = {ModelError::BoneCycle,
                     "bone " + quote(bones[bone].key) + " is among its own ancestors"};
            return false;
        }
        state[bone] = 2;
        for (const std::size_t below : walk)
            state[below] = 2;
    }
    return true;
}

}  // namespace

ModelCheck ValidateMobilantModel(JsonValue root) {
    ModelCheck check;
    if (!root.is(JsonTag::Object)) {
        check.error = ModelError::RootNotObject;
        check.where = "the document";
        return check;
    }
    const auto atRoot = [] { return std::string("root"); };
    JsonValue mesh, skeleton, animation;
    if (!requireMember(root, "mesh", ValueKind::Object, mesh, check, atRoot) ||
        !requireMember(root, "skeleton", ValueKind::Object, skeleton, check, atRoot) ||
        !requireMember(root, "animation", ValueKind::Object, animation, check, atRoot)) {
        return check;
    }
    MeshCounts counts;
    if (!checkMesh(mesh, counts, check)) return check;
    std::vector<BoneEntry> bones;
    if (!checkSkeleton(skeleton, bones, check)) return check;
    // Each region's skinning tables also walk every bone once.
    const std::int64_t cost =
        counts.regionCost + counts.regions * static_cast<std::int64_t>(bones.size());
    if (cost > kMaxModelBuildCost) {
        check = {ModelError::ModelTooLarge,
                 std::to_string(counts.regions) + " regions over " + std::to_string(bones.size()) +
                     " bones cost more than " + std::to_string(kMaxModelBuildCost)};
    }
    return check;
}

}  // namespace MobilantModule
