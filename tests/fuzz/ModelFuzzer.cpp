// Takes any bytes as a model file: parses and validates them, builds the model and every clip
// of it (refused ones too), and poses each clip at a few times, in range and far out of it,
// through the animation manager. Then it plays the clips with an animation manager, driven by
// the bytes after the JSON text (the parser stops at the end of the root value): loading clips
// from the document by name, selecting, blending, setting times and advancing by any float,
// NaN and infinities included. A refused document still gets a manager, on the empty model,
// with whatever clips its "animation" member holds.
//
// Besides the sanitizers' checks it asserts the loader's contracts (a refused document builds
// the empty model, a built one holds the arrays it reports; a clip is refused exactly when its
// check fails, and then holds no frames; a built clip has one slot per frame of its range in
// every cache) and the manager's: every posed point is finite, every stored time is finite and
// the blend factor stays within 0..1.
//
// Refusals show message boxes and write lines on standard output: run it with
// -close_fd_mask=3 to keep them out of the log.
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

#include "JsonDocument.h"
#include "JsonLookup.h"
#include "MessageBoxes.h"
#include "Mobilant.h"
#include "MobilantAnimation.h"
#include "MobilantManager.h"
#include "ValidateMobilantClip.h"
#include "ValidateMobilantModel.h"

using namespace MobilantModule;

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

void check(bool condition) {
    if (!condition) std::abort();
}

void checkFinite(const float* points, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        check(std::isfinite(points[i]));
}

// Clips whose caches would hold more than this are checked but not built: the budget allows
// 256 MiB, which would make the fuzzer crawl.
constexpr std::uint64_t kLargestBuiltClip = std::uint64_t{8} << 20;
// LoadClip steps a script may take.
constexpr int kMostLoadsPerScript = 4;

// Poses `model` with clip `name` at time t through the manager, as the game does, and checks
// that every render point is finite.
void poseAndCheck(MobilantManager& manager, Mobilant& model, const std::string& name, float t) {
    manager.ApplyClipSwitches(name);
    check(manager.PoseMobilant(name, model.RenderPoints(), t));
    checkFinite(model.RenderPoints(), 3 * static_cast<std::size_t>(model.PointCount()));
}

// Reads the manager's script: bytes, flags, names and floats, zeros once it runs out.
class Script {
public:
    explicit Script(std::string_view bytes) : bytes(bytes) {}

    bool done() const { return at >= bytes.size(); }
    std::uint8_t byte() { return at < bytes.size() ? static_cast<std::uint8_t>(bytes[at++]) : 0; }
    bool flag() { return (byte() & 1) != 0; }
    // Any float, from four raw bytes, or one of the values games and bugs produce.
    float number() {
        const std::uint8_t kind = byte();
        if (kind < 128) {
            static constexpr float usual[] = {0.0f,  0.01f,  -0.01f, 0.25f,  1.0f / 30.0f, 1.0f,
                                              -1.0f, 10.0f,  1e38f,  -1e38f, kInf,         -kInf,
                                              kNaN,  1e-45f, 3.5f,   1000.0f};
            return usual[kind % std::size(usual)];
        }
        std::uint32_t raw = 0;
        for (int i = 0; i < 4; ++i)
            raw = (raw << 8) | byte();
        float value;
        std::memcpy(&value, &raw, sizeof(value));
        return value;
    }
    // A clip name of the table or, one time in (count + 1), a name that is in no table.
    std::string_view name(const std::vector<std::string>& names) {
        const std::size_t index = byte() % (names.size() + 1);
        return index < names.size() ? std::string_view(names[index]) : std::string_view("?");
    }

private:
    std::string_view bytes;
    std::size_t at = 0;
};

void checkManager(const MobilantManager& manager, const Mobilant& model) {
    check(std::isfinite(manager.RunTime()));
    check(manager.BlendFactor() >= 0.0f && manager.BlendFactor() <= 1.0f);
    for (const auto& [name, time] : manager.BlendTimes())
        check(std::isfinite(time));
    const auto count = 3 * static_cast<std::size_t>(model.PointCount());
    checkFinite(model.RenderPoints(), count);
    for (std::size_t slot = 0; slot < 2; ++slot) {
        const std::vector<float>& points = manager.BlendPoints(slot);
        check(points.empty() || points.size() == count);
        checkFinite(points.data(), points.size());
    }
}

// Plays `clips` on `model` as the script says: a warm-up that every input gets, then one
// operation per script step. `fileNames` are clip names of `document` that the script may load
// again.
void playScript(Mobilant& model, const JsonDocument& document,
                const std::vector<std::shared_ptr<MobilantAnimation>>& clips,
                const std::vector<std::string>& fileNames, std::string_view scriptBytes) {
    MobilantManager manager(&model);
    std::vector<std::string> names;
    for (const auto& clip : clips) {
        manager.RegisterClip(clip);
        names.push_back(clip->Name());
    }
    for (const std::string& name : names) {
        manager.SelectClip(name, false);
        manager.SetPlaying(true);
        manager.Advance(0.01f);
        manager.SetAutoBlend(true);
        manager.BlendTo(names.front(), 0.25f);
        manager.Advance(0.01f);
        manager.SetAutoBlend(false);
        checkManager(manager, model);
    }

    Script script(scriptBytes);
    int loads = 0;
    for (int step = 0; step < 512 && !script.done(); ++step) {
        switch (script.byte() % 17) {
            case 0:
                manager.SelectClip(script.name(names), script.flag());
                break;
            case 1:
                manager.SetPlaying(script.flag());
                break;
            case 2:
                manager.SetRunTime(script.number());
                break;
            case 3:
            case 4:
                manager.Advance(script.number());
                break;
            case 5:
                manager.SetAutoBlend(script.flag());
                break;
            case 6: {
                const std::string_view name = script.name(names);
                manager.BlendTo(name, script.number());
                break;
            }
            case 7:
                manager.SetBlendMode(script.flag());
                break;
            case 8: {
                const std::string_view first = script.name(names);
                manager.SetBlendPair(first, script.name(names));
                break;
            }
            case 9:
                // Only names of the table: an unknown one is reported on standard output.
                if (!names.empty()) {
                    const std::string_view name = names[script.byte() % names.size()];
                    check(manager.PoseMobilant(name, model.RenderPoints(), script.number()));
                }
                break;
            case 10:
                manager.StepBlendWeight();
                break;
            case 11:
                manager.AdvanceBlendTimes(script.number());
                break;
            case 12:
                manager.RestartBlendTime(script.name(names));
                break;
            case 13:
                manager.ApplyClipSwitches(script.name(names));
                break;
            case 14: {
                const std::string_view name = script.name(names);
                const float time = script.number();
                const float wrapped = manager.WrapTime(time, name);
                if (manager.Clips().count(name) != 0) check(std::isfinite(wrapped));
                break;
            }
            case 15:
                if (!clips.empty()) manager.RegisterClip(clips[script.byte() % clips.size()]);
                break;
            case 16: {
                // A clip of the file built again (refused, it holds no frames), or one it lacks.
                // A few times per input: building is what buildClips already did to every clip.
                if (++loads > kMostLoadsPerScript) break;
                const std::string name(script.name(fileNames));
                manager.LoadClip(document, name);
                const MobilantAnimation& loaded = *manager.Clips().at(name);
                check(loaded.LoadCheck().Ok() || loaded.BoneCaches().frameCount() == 0);
                if (std::find(names.begin(), names.end(), name) == names.end())
                    names.push_back(name);
                break;
            }
        }
        checkManager(manager, model);
    }
}

// The clips named `names` in `root`'s "animation" member, built whether their check passes or
// not (a refused clip shows its message box and holds no frames), but for those too large to
// build quickly. `built` receives the names of the clips built.
std::vector<std::shared_ptr<MobilantAnimation>> buildClips(JsonValue root,
                                                           const std::vector<std::string>& names,
                                                           std::vector<std::string>& built) {
    std::vector<std::shared_ptr<MobilantAnimation>> clips;
    for (const std::string& name : names) {
        ClipCacheSizes sizes;
        const ModelCheck expected = ValidateMobilantClip(root, name, &sizes);
        if (expected.Ok() && sizes.Bytes() > kLargestBuiltClip) continue;
        built.push_back(name);
        clips.push_back(std::make_shared<MobilantAnimation>(root, name));
        const MobilantAnimation& clip = *clips.back();
        check(clip.LoadCheck().error == expected.error);
        if (!expected.Ok()) {
            check(clip.StartTime() == 0.0f && clip.EndTime() == 0.0f);
            check(clip.BoneCaches().frameCount() == 0);
            check(clip.DisplacementCaches().frameCount() == 0);
            check(clip.UvWarpCaches().frameCount() == 0);
            check(clip.OpacityCaches().frameCount() == 0);
            continue;
        }
        const auto slots = static_cast<std::size_t>(clip.BoneCaches().getEndTime() -
                                                    std::int64_t{clip.BoneCaches().getStartTime()}) +
                           1;
        check(clip.StartTime() <= clip.EndTime());
        check(clip.BoneCaches().frameCount() == slots);
        check(clip.DisplacementCaches().frameCount() == slots);
        check(clip.UvWarpCaches().frameCount() == slots);
        check(clip.OpacityCaches().frameReady().size() == slots);
    }
    return clips;
}

}  // namespace

// Forgets the message boxes an input showed: the record would otherwise keep what the input
// allocated, which libFuzzer takes for a leak and answers with a costly leak scan.
struct ForgetMessageBoxes {
    ~ForgetMessageBoxes() { ClearShownMessageBoxes(); }
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ForgetMessageBoxes forget;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    JsonDocument document;
    std::size_t end = 0;
    document.parseText(bytes, &end);
    const std::string_view script = bytes.substr(std::min(end, bytes.size()));
    const bool valid = ValidateMobilantModel(document.getRoot()).Ok();
    Mobilant model(document);
    check(model.Composition() != nullptr);
    std::vector<std::string> built;
    if (!valid) {
        check(model.PointCount() == 0 && model.IndexCount() == 0);
        check(model.RenderPoints() == nullptr && model.ClipNames().empty());
        check(model.Composition()->getRootBone() == nullptr);
        check(model.Composition()->getRegions().empty());
        const JsonValue animation = memberValue(findMember(document.getRoot(), "animation"));
        const auto clips = buildClips(document.getRoot(), memberKeys(animation), built);
        playScript(model, document, clips, built, script);
        return 0;
    }
    check(model.Composition()->getRootBone() != nullptr);
    for (std::int32_t i = 0; i < model.IndexCount(); ++i)
        check(model.Indices()[i] >= 0 && model.Indices()[i] < model.PointCount());

    // Every clip posed at times in its range and far out of it; a refused clip poses the bones
    // where they are. Clips of one name replace each other in the manager, as in a game.
    const auto clips = buildClips(document.getRoot(), model.ClipNames(), built);
    MobilantManager poser(&model);
    for (const auto& clip : clips)
        poser.RegisterClip(clip);
    for (const auto& [name, clip] : poser.Clips()) {
        const float start = clip->StartTime();
        const float end = clip->EndTime();
        const float times[] = {start,        end,        start + 0.5f * (end - start) + 0.25f,
                               start - 1e6f, end + 1e9f, 1e30f,
                               kNaN,         kInf,       -kInf};
        for (const float t : times)
            poseAndCheck(poser, model, name, t);
    }
    playScript(model, document, clips, built, script);
    return 0;
}
