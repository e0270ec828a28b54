// Takes any bytes as a meta-data file: reads them into meta data, then drives the meta data
// with the bytes after the JSON text (the parser stops at the end of the root value) on a
// small model whose regions overlap and share a name: skin swaps by the file's own names and
// by others, control points and grid points of any float (NaN and infinities included), and
// morph frames of any step, between which an animation manager plays and blends as a game
// would.
//
// Besides the sanitizers' checks it asserts the contracts: the morph data is whole or absent
// (one image of MorphRes x MorphRes bytes per target, MorphRes within 1..4096), a swap either
// writes each position of its list once or nothing at all, every written index is a point of
// the model, the weights stay within 0..1, the control point within the grid, and every drawn
// point is finite.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "IndexWriter.h"
#include "JsonDocument.h"
#include "Mobilant.h"
#include "MobilantAnimation.h"
#include "MobilantManager.h"
#include "MobilantMetaData.h"

using namespace MobilantModule;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

void check(bool condition) {
    if (!condition) std::abort();
}

// Regions in model order: "b" (entries 0..2), "a" (3..8), "c" (3..11, over a's) and a second
// "a" (9..11); point 10 belongs to no region. Every clip moves the one bone.
const char* const kModel = R"({
  "mesh": {
    "points": [2, 0, 3, 0, 2, 1, 0, 0, 1, 0, 1, 1, 0, 1, 0, 2, 1, 2, 0, 3, 5, 5],
    "uvs": [0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 1, 1, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0],
    "indices": [0, 1, 2, 3, 4, 5, 3, 5, 6, 7, 8, 9],
    "regions": {
      "b": {"id": 0, "start_pt_index": 0, "end_pt_index": 2, "start_index": 0, "end_index": 2,
            "weights": {"root": [1, 1, 1]}},
      "a": {"id": 1, "start_pt_index": 3, "end_pt_index": 6, "start_index": 3, "end_index": 8,
            "weights": {"root": [1, 1, 1, 1]}},
      "c": {"id": 2, "start_pt_index": 7, "end_pt_index": 9, "start_index": 3, "end_index": 11,
            "weights": {"root": [1, 1, 1]}},
      "a": {"id": 3, "start_pt_index": 7, "end_pt_index": 9, "start_index": 9, "end_index": 11,
            "weights": {"root": [0.5, 1, 1]}}
    }
  },
  "skeleton": {
    "root": {"id": 0, "restParentMat": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1],
             "localRestStartPt": [0, 0], "localRestEndPt": [1, 0], "children": []}
  },
  "animation": {
    "centre": {"bones": {"0": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}},
                         "10": {"root": {"start_pt": [0, 10], "end_pt": [1, 10]}}},
               "meshes": {}, "uv_swaps": {}},
    "right": {"bones": {"0": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}},
                        "10": {"root": {"start_pt": [10, 0], "end_pt": [11, 0]}}},
              "meshes": {}, "uv_swaps": {}},
    "left": {"bones": {"0": {"root": {"start_pt": [0, 0], "end_pt": [0, 1]}},
                       "10": {"root": {"start_pt": [-3e38, 0], "end_pt": [-3e38, 1]}}},
             "meshes": {}, "uv_swaps": {}},
    "late": {"bones": {"4": {"root": {"start_pt": [4, 4], "end_pt": [5, 4]}},
                       "20": {"root": {"start_pt": [20, 20], "end_pt": [21, 20]}}},
             "meshes": {}, "uv_swaps": {}}
  }
})";

// The model and its clips, built once; each input starts from the rest pose with a manager of
// its own.
struct Rig {
    Rig() {
        check(document.parseText(kModel) == JsonStatus::Ok);
        model = std::make_unique<Mobilant>(document);
        check(model->PointCount() == 11 && model->IndexCount() == 12);
        for (const std::string& name : model->ClipNames())
            clips.push_back(std::make_shared<MobilantAnimation>(document, name));
    }

    Mobilant& restedModel() {
        float* points = model->RenderPoints();
        for (std::int32_t k = 0; k < model->PointCount(); ++k) {
            points[3 * k] = model->RestPoints()[3 * k];
            points[3 * k + 1] = model->RestPoints()[3 * k + 1];
            points[3 * k + 2] = 1.0f;
        }
        model->Composition()->resetToRestPose();
        return *model;
    }

    JsonDocument document;
    std::unique_ptr<Mobilant> model;
    std::vector<std::shared_ptr<MobilantAnimation>> clips;
};

Rig& rig() {
    static Rig* instance = new Rig;  // kept for the whole run
    return *instance;
}

// Reads the script: bytes, flags, floats and names, zeros once it runs out.
class Script {
public:
    explicit Script(std::string_view bytes) : bytes(bytes) {}

    bool done() const { return at >= bytes.size(); }
    std::uint8_t byte() { return at < bytes.size() ? static_cast<std::uint8_t>(bytes[at++]) : 0; }
    bool flag() { return (byte() & 1) != 0; }
    // Any float, from four raw bytes, or one of the values games and bugs produce.
    float number() {
        const std::uint8_t kind = byte();
        if (kind < 160) {
            static constexpr float usual[] = {0.0f,  0.01f, -0.01f, 0.5f,   1.0f, -1.0f,
                                              0.25f, 2.0f,  10.0f,  -10.0f, 1e38f, -1e38f,
                                              kInf,  -kInf, kNaN,   1e-45f, 3.5f, 0.1f};
            return usual[kind % std::size(usual)];
        }
        std::uint32_t raw = 0;
        for (int i = 0; i < 4; ++i)
            raw = (raw << 8) | byte();
        float value;
        std::memcpy(&value, &raw, sizeof(value));
        return value;
    }
    Vec2 point() {
        const float x = number();
        return {x, number()};
    }
    // One of `names`, or now and then a name in none of them.
    std::string_view name(const std::vector<std::string>& names) {
        const std::size_t index = byte() % (names.size() + 1);
        return index < names.size() ? std::string_view(names[index]) : std::string_view("a");
    }

private:
    std::string_view bytes;
    std::size_t at = 0;
};

void checkMeta(const MobilantMetaData& meta, const Mobilant& model) {
    const auto& images = meta.WeightImages();
    if (!images.empty()) {
        check(meta.MorphRes() >= 1 && meta.MorphRes() <= MobilantMetaData::kMaxMorphRes);
        const auto side = static_cast<std::size_t>(meta.MorphRes());
        for (const auto& image : images)
            check(image.size() == side * side);
        const float last = static_cast<float>(meta.MorphRes() - 1);
        check(meta.MorphPoint().x >= 0.0f && meta.MorphPoint().x <= last);
        check(meta.MorphPoint().y >= 0.0f && meta.MorphPoint().y <= last);
    }
    check(images.size() == meta.ShapeTargets().size());
    check(meta.MorphWeights().size() == images.size());
    // Bilinear weights of bytes within 0..255, give or take rounding.
    for (const float w : meta.MorphWeights())
        check(w >= -1e-5f && w <= 1.0f + 1e-5f);
    check(std::isfinite(meta.MorphPoint().x) && std::isfinite(meta.MorphPoint().y));
    check(meta.MorphClips().empty() || meta.MorphClips().size() == images.size());
    for (const auto& clip : meta.MorphClips())
        check(std::isfinite(clip.time));
    check(std::isfinite(meta.CenterClipTime()));
    for (std::int32_t k = 0; k < 3 * model.PointCount(); ++k)
        check(std::isfinite(model.RenderPoints()[k]));
}

// Swap `name`: refused with nothing written, or each position below count written once with
// an index of the model.
void buildSwap(const MobilantMetaData& meta, Mobilant& model, std::string_view name) {
    std::vector<std::int32_t> list(static_cast<std::size_t>(model.IndexCount()), -1);
    int calls = 0;
    auto store = [&](std::int32_t destination, std::int32_t value) {
        check(destination >= 0 && static_cast<std::size_t>(destination) < list.size());
        check(list[static_cast<std::size_t>(destination)] == -1);
        list[static_cast<std::size_t>(destination)] = value;
        ++calls;
    };
    const IndexWriter writer(store, model.IndexCount());
    std::int32_t count = -1;
    const bool built = meta.BuildSkinSwapIndices(name, *model.Composition(), writer, count);
    check(count >= 0 && count <= model.IndexCount() && calls == count);
    if (!built) check(count == 0);
    for (std::int32_t i = 0; i < count; ++i)
        check(list[i] >= 0 && list[i] < model.PointCount());
}

// Whether every clip morphing needs is in the manager's table.
bool clipsLoaded(const MobilantMetaData& meta, const MobilantManager& manager) {
    if (!meta.CenterClipName().empty() && manager.Clips().count(meta.CenterClipName()) == 0)
        return false;
    for (const std::string& name : meta.ShapeTargets()) {
        if (manager.Clips().count(name) == 0) return false;
    }
    return true;
}

}  // namespace

// Most of an input's time went to AddressSanitizer recycling its quarantine and recording
// deep allocation stacks; a smaller quarantine and shorter stacks triple the inputs per second.
// ASAN_OPTIONS still overrides both.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16:malloc_context_size=4";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    JsonDocument probe;
    std::size_t end = 0;
    probe.parseText(bytes, &end);
    Script script(bytes.substr(std::min(end, bytes.size())));

    MobilantMetaData meta(bytes);
    Mobilant& model = rig().restedModel();
    checkMeta(meta, model);
    MobilantManager manager(&model);
    for (const auto& clip : rig().clips)
        manager.RegisterClip(clip);
    const std::vector<std::string>& clipNames = model.ClipNames();
    manager.SelectClip("right", false);
    manager.SetPlaying(true);
    manager.Advance(0.0f);

    std::vector<std::string> swapNames;
    for (const auto& [name, regions] : meta.SkinSwaps())
        swapNames.push_back(name);
    for (const std::string& name : swapNames)
        buildSwap(meta, model, name);
    // A frame of morphing before any control point, unless it would only show the box.
    bool triedMissing = false;
    if (clipsLoaded(meta, manager)) meta.UpdateMorph(manager, 0.01f);
    checkMeta(meta, model);

    for (int step = 0; step < 128 && !script.done(); ++step) {
        switch (script.byte() % 10) {
            case 0:
                buildSwap(meta, model, script.name(swapNames));
                break;
            case 1: {
                const Vec2 a = script.point();
                const Vec2 b = script.point();
                meta.PlaceMorphPoint(a, b, script.flag() ? 1.0f : script.number());
                break;
            }
            case 2:
                meta.SampleMorphWeights(script.point());
                break;
            case 3:
            case 4: {
                const float frameStep = script.number();
                // A missing clip shows a message box each time; once per input is enough.
                if (clipsLoaded(meta, manager)) {
                    check(meta.UpdateMorph(manager, frameStep) == !meta.WeightImages().empty());
                } else if (!triedMissing) {
                    triedMissing = true;
                    check(!meta.UpdateMorph(manager, frameStep));
                    check(meta.MorphClips().empty());
                }
                break;
            }
            case 5:
                manager.Advance(script.number());
                break;
            case 6:
                manager.SetAutoBlend(script.flag());
                break;
            case 7: {
                const std::string_view name = script.name(clipNames);
                manager.BlendTo(name, script.number());
                break;
            }
            case 8:
                manager.SelectClip(script.name(clipNames), script.flag());
                break;
            case 9:
                manager.SetRunTime(script.number());
                break;
        }
        checkMeta(meta, model);
    }
    return 0;
}
