#include "ModelJson.h"

#include <cmath>
#include <stdexcept>

#include "JsonWriter.h"
#include "Kinematics.h"

namespace {

// Bone entries of a frame sit at depth 5; everything shallower gets its own line.
constexpr int kLineDepth = 5;

void writePoint(JsonWriter& json, Vec2 p) {
    json.beginArray();
    json.number(p.x);
    json.number(p.y);
    json.endArray();
}

void writePairs(JsonWriter& json, const std::vector<Vec2>& pairs) {
    json.beginArray();
    for (const Vec2& p : pairs) {
        json.number(p.x);
        json.number(p.y);
    }
    json.endArray();
}

void writeMesh(JsonWriter& json, const GenModel& model) {
    json.key("mesh");
    json.beginObject();
    json.key("points");
    writePairs(json, model.points);
    json.key("uvs");
    writePairs(json, model.uvs);
    json.key("indices");
    json.beginArray();
    for (const std::uint32_t index : model.indices)
        json.integer(index);
    json.endArray();
    json.key("regions");
    json.beginObject();
    for (const GenRegion& region : model.regions) {
        json.key(region.name);
        json.beginObject();
        json.key("id");
        json.integer(region.id);
        json.key("start_pt_index");
        json.integer(region.firstPoint);
        json.key("end_pt_index");
        json.integer(region.firstPoint + region.pointCount - 1);
        json.key("start_index");
        json.integer(region.firstIndex);
        json.key("end_index");
        json.integer(region.firstIndex + region.indexCount - 1);
        json.key("weights");
        json.beginObject();
        for (std::size_t bone = 0; bone < model.bones.size(); ++bone) {
            const std::vector<double>& row = region.weights[bone];
            bool influences = false;
            for (const double w : row)
                influences = influences || w > 0.0;
            if (!influences && !model.writeEveryBoneWeight) continue;
            json.key(model.bones[bone].name);
            json.beginArray();
            for (const double w : row)
                json.number(w);
            json.endArray();
        }
        json.endObject();
        json.endObject();
    }
    json.endObject();
    json.endObject();
}

void writeSkeleton(JsonWriter& json, const GenModel& model) {
    json.key("skeleton");
    json.beginObject();
    for (std::size_t i = 0; i < model.bones.size(); ++i) {
        const GenBone& bone = model.bones[i];
        const Rigid2 parentFrame = restParentFrame(model, static_cast<int>(i));
        const Rigid2 toLocal = parentFrame.inverse();
        json.key(bone.name);
        json.beginObject();
        json.key("id");
        json.integer(static_cast<long long>(i));
        json.key("restParentMat");
        double matrix[16];
        parentFrame.toColumnMajor(matrix);
        json.beginArray();
        for (const double m : matrix)
            json.number(m);
        json.endArray();
        json.key("localRestStartPt");
        writePoint(json, toLocal.apply(bone.restStart));
        json.key("localRestEndPt");
        writePoint(json, toLocal.apply(bone.restEnd));
        json.key("children");
        json.beginArray();
        for (std::size_t c = 0; c < model.bones.size(); ++c) {
            if (model.bones[c].parent == static_cast<int>(i))
                json.integer(static_cast<long long>(c));
        }
        json.endArray();
        json.endObject();
    }
    json.endObject();
}

// Writes clip member `member`: per keyed frame, an object with one member per entry (a bone or
// a region, in model order), named name(i), whose fields writeFields(key, i) writes.
template <class Name, class WriteFields>
void writeFrames(JsonWriter& json, const GenClip& clip, const char* member, std::size_t count,
                 Name name, WriteFields writeFields) {
    json.key(member);
    json.beginObject();
    for (const ClipKey& key : clip.keys) {
        json.key(std::to_string(key.frame));
        json.beginObject();
        for (std::size_t i = 0; i < count; ++i) {
            json.key(name(i));
            json.beginObject();
            writeFields(key, i);
            json.endObject();
        }
        json.endObject();
    }
    json.endObject();
}

void writeClip(JsonWriter& json, const GenModel& model, const GenClip& clip) {
    json.key(clip.name);
    json.beginObject();
    const auto boneName = [&](std::size_t b) -> const std::string& { return model.bones[b].name; };
    const auto regionName = [&](std::size_t r) -> const std::string& {
        return model.regions[r].name;
    };

    writeFrames(json, clip, "bones", model.bones.size(), boneName,
                [&](const ClipKey& key, std::size_t b) {
                    json.key("start_pt");
                    writePoint(json, key.bones[b].start);
                    json.key("end_pt");
                    writePoint(json, key.bones[b].end);
                });
    writeFrames(json, clip, "meshes", model.regions.size(), regionName,
                [&](const ClipKey& key, std::size_t r) {
                    const RegionKey& region = key.regions[r];
                    json.key("use_local_displacements");
                    json.boolean(region.useLocal);
                    json.key("use_post_displacements");
                    json.boolean(region.usePost);
                    if (region.useLocal) {
                        json.key("local_displacements");
                        writePairs(json, region.localDisplacements);
                    }
                    if (region.usePost) {
                        json.key("post_displacements");
                        writePairs(json, region.postDisplacements);
                    }
                });
    writeFrames(json, clip, "uv_swaps", model.regions.size(), regionName,
                [&](const ClipKey& key, std::size_t r) {
                    const RegionKey& region = key.regions[r];
                    json.key("enabled");
                    json.boolean(region.uvEnabled);
                    if (region.uvEnabled) {
                        json.key("local_offset");
                        writePoint(json, region.localOffset);
                        json.key("global_offset");
                        writePoint(json, region.globalOffset);
                        json.key("scale");
                        writePoint(json, region.scale);
                    }
                });
    if (clip.hasOpacities) {
        writeFrames(json, clip, "mesh_opacities", model.regions.size(), regionName,
                    [&](const ClipKey& key, std::size_t r) {
                        json.key("opacity");
                        json.number(key.regions[r].opacity);
                    });
    }
    json.endObject();
}

void writeUvSwapItems(JsonWriter& json, const GenModel& model) {
    json.key("uv_swap_items");
    json.beginObject();
    for (const RegionSwapItems& entry : model.uvSwapItems) {
        json.key(model.regions[entry.region].name);
        json.beginArray();
        for (const UvSwapItem& item : entry.items) {
            json.beginObject();
            json.key("local_offset");
            writePoint(json, item.localOffset);
            json.key("global_offset");
            writePoint(json, item.globalOffset);
            json.key("scale");
            writePoint(json, item.scale);
            json.key("tag");
            json.integer(item.tag);
            json.endObject();
        }
        json.endArray();
    }
    json.endObject();
}

void writeAnchorPoints(JsonWriter& json, const GenModel& model) {
    json.key("anchor_points_items");
    json.beginObject();
    json.key("AnchorPoints");
    json.beginArray();
    for (const AnchorPoint& anchor : model.anchorPoints) {
        json.beginObject();
        json.key("point");
        writePoint(json, anchor.point);
        json.key("anim_clip_name");
        json.string(anchor.clipName);
        json.endObject();
    }
    json.endArray();
    json.endObject();
}

[[noreturn]] void fail(const GenModel& model, const std::string& what) {
    throw std::runtime_error(model.name + ": " + what);
}

void checkRegions(const GenModel& model) {
    if (model.uvs.size() != model.points.size()) fail(model, "uvs and points differ in length");
    if (model.indices.size() % 3 != 0) fail(model, "indices are not whole triangles");
    int nextPoint = 0;
    int nextIndex = 0;
    for (const GenRegion& region : model.regions) {
        if (region.firstPoint != nextPoint || region.firstIndex != nextIndex ||
            region.pointCount < 1 || region.indexCount < 3 || region.indexCount % 3 != 0) {
            fail(model, "region " + region.name + " is not the next contiguous run");
        }
        nextPoint += region.pointCount;
        nextIndex += region.indexCount;
        for (int i = region.firstIndex; i < nextIndex; ++i) {
            const auto index = static_cast<int>(model.indices[i]);
            if (index < region.firstPoint || index >= nextPoint) {
                fail(model, "region " + region.name + " indexes a point outside itself");
            }
        }
        if (region.weights.size() != model.bones.size()) fail(model, region.name + ": weight rows");
        for (int p = 0; p < region.pointCount; ++p) {
            double sum = 0.0;
            for (const std::vector<double>& row : region.weights) {
                if (static_cast<int>(row.size()) != region.pointCount) {
                    fail(model, region.name + ": weight row length");
                }
                sum += row[p];
            }
            if (std::abs(sum - 1.0) > 1e-9) fail(model, region.name + ": weights do not sum to 1");
        }
    }
    if (nextPoint != static_cast<int>(model.points.size()) ||
        nextIndex != static_cast<int>(model.indices.size())) {
        fail(model, "regions do not cover the mesh");
    }
}

void checkClips(const GenModel& model) {
    for (const GenClip& clip : model.clips) {
        if (clip.keys.empty()) fail(model, clip.name + " has no frames");
        for (std::size_t k = 0; k < clip.keys.size(); ++k) {
            const ClipKey& key = clip.keys[k];
            if (k > 0 && key.frame <= clip.keys[k - 1].frame) fail(model, clip.name + ": order");
            if (key.bones.size() != model.bones.size() ||
                key.regions.size() != model.regions.size()) {
                fail(model, clip.name + ": frame " + std::to_string(key.frame) + " is incomplete");
            }
            for (std::size_t b = 0; b < model.bones.size(); ++b) {
                const GenBone& bone = model.bones[b];
                const double rest = length(bone.restEnd - bone.restStart);
                const double posed = length(key.bones[b].end - key.bones[b].start);
                if (std::abs(rest - posed) > 1e-9)
                    fail(model, clip.name + ": " + bone.name + " stretched");
            }
            for (std::size_t r = 0; r < model.regions.size(); ++r) {
                const RegionKey& region = key.regions[r];
                const RegionKey& first = clip.keys.front().regions[r];
                const auto count = static_cast<std::size_t>(model.regions[r].pointCount);
                if (region.useLocal != first.useLocal || region.usePost != first.usePost ||
                    region.uvEnabled != first.uvEnabled) {
                    fail(model, clip.name + ": switches of " + model.regions[r].name + " change");
                }
                if ((region.useLocal && region.localDisplacements.size() != count) ||
                    (region.usePost && region.postDisplacements.size() != count)) {
                    fail(model, clip.name + ": displacements of " + model.regions[r].name);
                }
            }
        }
    }
}

}  // namespace

std::string modelToJson(const GenModel& model) {
    JsonWriter json(kLineDepth);
    json.beginObject();
    writeMesh(json, model);
    writeSkeleton(json, model);
    json.key("animation");
    json.beginObject();
    for (const GenClip& clip : model.clips)
        writeClip(json, model, clip);
    json.endObject();
    if (model.hasUvSwapItems) writeUvSwapItems(json, model);
    if (model.hasAnchorPoints) writeAnchorPoints(json, model);
    json.endObject();
    return json.text();
}

void checkModel(const GenModel& model) {
    int roots = 0;
    for (std::size_t i = 0; i < model.bones.size(); ++i) {
        const int parent = model.bones[i].parent;
        if (parent < 0) ++roots;
        if (parent >= static_cast<int>(i)) fail(model, "a bone is listed before its parent");
        const GenBone& bone = model.bones[i];
        if (length(bone.restEnd - bone.restStart) < 1e-6) fail(model, bone.name + " has no length");
    }
    if (roots != 1 || model.bones.empty() || model.bones[0].parent != -1) {
        fail(model, "the skeleton needs exactly one root, first");
    }
    checkRegions(model);
    checkClips(model);
}
