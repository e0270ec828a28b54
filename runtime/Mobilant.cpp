#include "Mobilant.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "JsonLookup.h"
#include "Mat4.h"
#include "ModelReaders.h"
#include "ValidateMobilantModel.h"
#include "Vec4.h"
#include "meshBone.h"
#include "meshRenderRegion.h"

namespace MobilantModule {

namespace {

std::int32_t readInteger(JsonValue object, std::string_view key) {
    return readInt(memberValue(object, key)).value_or(0);
}

// A bone as read from the skeleton, before the tree is linked.
struct ReadBone {
    std::unique_ptr<meshBone> bone;
    std::vector<std::int32_t> children;
    bool isChild = false;
};

}  // namespace

Mobilant::Mobilant(const JsonDocument& document) : Mobilant(document.getRoot()) {}

Mobilant::Mobilant(JsonValue root) : composition(std::make_unique<meshRenderBoneComposition>()) {
    if (ValidateMobilantModel(root).Ok()) build(root);
}

Mobilant::~Mobilant() = default;

void Mobilant::SetAllColours(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                             std::uint8_t alpha) {
    for (std::size_t i = 0; i + 3 < renderColours.size(); i += 4) {
        renderColours[i] = red;
        renderColours[i + 1] = green;
        renderColours[i + 2] = blue;
        renderColours[i + 3] = alpha;
    }
}

// The document passed ValidateMobilantModel: every member read below is there, of its kind.
void Mobilant::build(JsonValue root) {
    const JsonValue mesh = memberValue(root, "mesh");

    // The mesh arrays.
    const std::vector<float> points = readFloatArray(memberValue(mesh, "points"));
    pointCount = static_cast<std::int32_t>(points.size() / 2);
    const auto count = static_cast<std::size_t>(pointCount);
    restPoints.resize(3 * count);
    for (std::size_t i = 0; i < count; ++i) {
        restPoints[3 * i] = points[2 * i];
        restPoints[3 * i + 1] = points[2 * i + 1];
        restPoints[3 * i + 2] = 0.0f;
    }
    indices = readIntArray(memberValue(mesh, "indices"));
    indexCount = static_cast<std::int32_t>(indices.size());
    uvs = readFloatArray(memberValue(mesh, "uvs"));
    // Points no region covers are never posed: they stay where they rest.
    renderPoints = restPoints;
    for (std::size_t i = 0; i < count; ++i)
        renderPoints[3 * i + 2] = 1.0f;
    renderColours.resize(4 * count);
    SetAllColours(255, 255, 255, 255);

    // The bones, in document order, each with its local rest frame.
    std::vector<ReadBone> bones;
    const JsonValue skeleton = memberValue(root, "skeleton");
    for (const JsonNode* node = skeleton.getFirstNode(); node != nullptr; node = node->next) {
        Mat4 parentMat;
        const auto values = readMatrix(memberValue(node->value, "restParentMat"));
        if (values) std::copy(values->begin(), values->end(), parentMat.m);
        auto bone = std::make_unique<meshBone>(node->key, Vec4{}, Vec4{}, parentMat);
        bone->getLocalRestStartPt() = readVec4(memberValue(node->value, "localRestStartPt"));
        bone->getLocalRestEndPt() = readVec4(memberValue(node->value, "localRestEndPt"));
        bone->computeLocalRestFrame();
        bone->setTagId(readInteger(node->value, "id"));
        bones.push_back({std::move(bone), readIntArray(memberValue(node->value, "children"))});
    }

    // Link the tree: parents in ascending id order, each one's children in file order. The
    // ids are unique and every child id names a bone.
    std::vector<std::size_t> byId(bones.size());
    for (std::size_t i = 0; i < byId.size(); ++i)
        byId[i] = i;
    std::sort(byId.begin(), byId.end(), [&](std::size_t a, std::size_t b) {
        return bones[a].bone->getTagId() < bones[b].bone->getTagId();
    });
    const auto boneWithId = [&](std::int32_t id) -> ReadBone* {
        const auto found = std::lower_bound(byId.begin(), byId.end(), id,
                                            [&](std::size_t index, std::int32_t value) {
                                                return bones[index].bone->getTagId() < value;
                                            });
        if (found == byId.end() || bones[*found].bone->getTagId() != id) return nullptr;
        return &bones[*found];
    };
    for (const ReadBone& bone : bones) {
        for (const std::int32_t id : bone.children) {
            if (ReadBone* child = boneWithId(id)) child->isChild = true;
        }
    }
    ReadBone* rootEntry = nullptr;
    for (const std::size_t index : byId) {
        if (!bones[index].isChild) {
            rootEntry = &bones[index];
            break;
        }
    }
    if (rootEntry == nullptr) return;  // ruled out by validation
    for (const std::size_t index : byId) {
        for (const std::int32_t id : bones[index].children) {
            if (ReadBone* child = boneWithId(id)) bones[index].bone->attachChild(child->bone.get());
        }
    }

    // The regions, in document order.
    std::vector<std::unique_ptr<meshRenderRegion>> regions;
    const JsonValue regionTable = memberValue(mesh, "regions");
    for (const JsonNode* node = regionTable.getFirstNode(); node != nullptr; node = node->next) {
        const JsonValue value = node->value;
        auto region = std::make_unique<meshRenderRegion>(
            reinterpret_cast<const std::uint32_t*>(indices.data()), restPoints.data(), uvs.data(),
            readInteger(value, "start_pt_index"), readInteger(value, "end_pt_index"),
            readInteger(value, "start_index"), readInteger(value, "end_index"));
        region->setName(node->key);
        region->setTagId(readInteger(value, "id"));
        const JsonValue weights = memberValue(value, "weights");
        for (const JsonNode* list = weights.getFirstNode(); list != nullptr; list = list->next)
            region->getWeights()[list->key] = readFloatArray(list->value);
        regions.push_back(std::move(region));
    }

    // The composition takes the root's tree. Bones outside it (other parentless bones and
    // their subtrees) are not part of the model and go with `bones`.
    meshBone* rootBone = rootEntry->bone.get();
    for (ReadBone& entry : bones) {
        const meshBone* top = entry.bone.get();
        while (top->getParent() != nullptr)
            top = top->getParent();
        if (top == rootBone && entry.bone.get() != rootBone) {
            (void)entry.bone.release();  // the composition deletes the root's whole tree
        }
    }
    composition->setRootBone(std::move(rootEntry->bone));
    rootBone->prepareRestPose();
    for (auto& region : regions) {
        region->setMainBoneKey(rootBone->getKey());
        region->resolveMainBone(rootBone);
        composition->addRegion(std::move(region));
    }
    composition->buildBoneMap();
    composition->buildRegionMap();
    for (const auto& region : composition->getRegions())
        region->buildSkinningTables(composition->getBoneMap());
    composition->resetToRestPose();

    clipNames = memberKeys(memberValue(root, "animation"));
}

}  // namespace MobilantModule
