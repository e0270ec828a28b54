#include "ModelSummary.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "meshBone.h"
#include "meshRenderBoneComposition.h"
#include "meshRenderRegion.h"

using namespace MobilantModule;

namespace {

// Names wider than this do not widen the region table further.
constexpr std::size_t kMaxColumn = 32;
// Deeper bones are indented no further; their depth is written instead.
constexpr int kMaxIndentDepth = 24;

void pad(std::string& out, std::size_t width, std::size_t used) {
    out.append(width > used ? width - used : 1, ' ');
}

std::string range(std::int64_t first, std::int64_t last) {
    return std::to_string(first) + ".." + std::to_string(last);
}

std::string plural(std::int64_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

void appendRegions(std::string& out, const meshRenderBoneComposition& composition) {
    const auto& regions = composition.getRegions();
    out += "\nregions: name, id, points, index entries, bones weighing on them\n";
    std::size_t nameWidth = 0;
    for (const auto& region : regions)
        nameWidth = std::max(nameWidth, std::min(region->getName().size(), kMaxColumn));
    for (const auto& region : regions) {
        std::string line = "  " + region->getName();
        pad(line, nameWidth + 4, line.size());
        line += "id " + std::to_string(region->getTagId());
        pad(line, nameWidth + 14, line.size());
        line += range(region->getStartPtIndex(), region->getEndPtIndex()) + " (" +
                std::to_string(region->numPoints()) + ")";
        pad(line, nameWidth + 34, line.size());
        line += range(region->getStartIndex(), region->getEndIndex()) + " (" +
                plural(region->numIndices() / 3, "triangle", "triangles") + ")";
        pad(line, nameWidth + 66, line.size());
        const auto& bones = region->getSkinBones();
        if (bones.empty()) line += "(none)";
        for (std::size_t i = 0; i < bones.size(); ++i)
            line += (i > 0 ? ", " : "") + bones[i]->getKey();
        out += line + "\n";
    }
}

void appendBones(std::string& out, const meshRenderBoneComposition& composition) {
    out += "\nbones\n";
    meshBone* root = composition.getRootBone();
    if (root == nullptr) {
        out += "  (none)\n";
        return;
    }
    std::unordered_map<const meshBone*, int> depths;
    root->forEachInPreOrder([&](const meshBone& bone) {
        const auto parent = depths.find(bone.getParent());
        const int depth = parent != depths.end() ? parent->second + 1 : 0;
        depths[&bone] = depth;
        out.append(2 + 2 * static_cast<std::size_t>(std::min(depth, kMaxIndentDepth)), ' ');
        if (depth > kMaxIndentDepth) out += "[depth " + std::to_string(depth) + "] ";
        out += bone.getKey() + "  id " + std::to_string(bone.getTagId()) + "\n";
    });
}

std::string contentsText(const ClipContents& contents) {
    std::string text;
    const auto add = [&](bool present, const char* name) {
        if (!present) return;
        if (!text.empty()) text += ", ";
        text += name;
    };
    add(contents.bones, "bones");
    add(contents.localDisplacements, "local displacements");
    add(contents.postDisplacements, "post displacements");
    add(contents.uvWarps, "UV warps");
    add(contents.opacities, "opacities");
    return text.empty() ? "nothing" : text;
}

void appendClips(std::string& out, const Mobilant& model, const MobilantManager& manager) {
    out += "\nclips: frames, what they carry\n";
    std::size_t nameWidth = 0;
    for (const std::string& name : model.ClipNames())
        nameWidth = std::max(nameWidth, std::min(name.size(), kMaxColumn));
    for (const std::string& name : model.ClipNames()) {
        const auto found = manager.Clips().find(name);
        if (found == manager.Clips().end()) continue;
        const MobilantAnimation& clip = *found->second;
        const auto start = static_cast<std::int64_t>(clip.StartTime());
        const auto end = static_cast<std::int64_t>(clip.EndTime());
        std::string line = "  " + name;
        pad(line, nameWidth + 4, line.size());
        line += range(start, end) + " (" + plural(end - start + 1, "frame", "frames") + ")";
        pad(line, nameWidth + 28, line.size());
        out += line + contentsText(clipContents(clip)) + "\n";
    }
}

}  // namespace

ClipContents clipContents(const MobilantAnimation& clip) {
    ClipContents contents;
    const meshBoneCacheManager& bones = clip.BoneCaches();
    for (std::size_t slot = 0; slot < bones.frameCount(); ++slot)
        contents.bones |= bones.frameSize(slot) > 0;
    const meshDisplacementCacheManager& displacements = clip.DisplacementCaches();
    for (std::size_t slot = 0; slot < displacements.frameCount(); ++slot) {
        for (std::size_t k = 0; k < displacements.frameSize(slot); ++k) {
            contents.localDisplacements |= displacements.hasLocalDisplacements(slot, k);
            contents.postDisplacements |= displacements.hasPostDisplacements(slot, k);
        }
    }
    const meshUVWarpCacheManager& uvWarps = clip.UvWarpCaches();
    for (std::size_t slot = 0; slot < uvWarps.frameCount(); ++slot) {
        for (std::size_t k = 0; k < uvWarps.frameSize(slot); ++k)
            contents.uvWarps |= uvWarps.isEnabled(slot, k);
    }
    const meshOpacityCacheManager& opacities = clip.OpacityCaches();
    const auto& ready = opacities.frameReady();
    for (std::size_t slot = 0; slot < ready.size(); ++slot)
        contents.opacities |= ready[slot] && opacities.frameSize(slot) > 0;
    return contents;
}

std::string modelSummary(std::string_view fileName, const Mobilant& model,
                         const MobilantManager& manager) {
    const meshRenderBoneComposition& composition = *model.Composition();
    std::int64_t boneCount = 0;
    if (const meshBone* root = composition.getRootBone())
        root->forEachInPreOrder([&](const meshBone&) { ++boneCount; });
    std::string out(fileName);
    out += ": " + plural(model.PointCount(), "point", "points") + ", " +
           plural(model.IndexCount() / 3, "triangle", "triangles") + ", " +
           plural(static_cast<std::int64_t>(composition.getRegions().size()), "region", "regions") +
           ", " + plural(boneCount, "bone", "bones") + ", " +
           plural(static_cast<std::int64_t>(model.ClipNames().size()), "clip", "clips") + "\n";
    appendRegions(out, composition);
    appendBones(out, composition);
    appendClips(out, model, manager);
    return out;
}
