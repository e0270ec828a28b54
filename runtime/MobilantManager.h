#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "JsonDocument.h"
#include "Mobilant.h"
#include "MobilantAnimation.h"

namespace MobilantModule {

// Plays clips on one model: keeps the clips by name, the active clip and its run time, moves
// time on every game frame, keeps times inside a clip's frame range (looping) and poses the
// model into its render points. It can also cross-fade two clips with a weight that grows by a
// fixed step per frame (auto blend). Times are frame numbers; Advance turns its time step into
// frames at 30 frames per unit.
//
// Nothing here throws and every input is safe: unknown names change nothing, a time that is not
// finite is ignored (so every stored time stays finite), and the empty model of a refused
// document is carried through every operation. A clip whose file lacked it (empty caches) poses
// the bones where they are. Advance and PoseMobilant allocate nothing once the blend arrays exist
// and each region has had its displacements switched on once.
class MobilantManager {
public:
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const {
            return std::hash<std::string_view>{}(name);
        }
    };
    using ClipTable = std::unordered_map<std::string, std::shared_ptr<MobilantAnimation>, NameHash,
                                         std::equal_to<>>;
    using TimeTable = std::unordered_map<std::string, float, NameHash, std::equal_to<>>;

    // Frames per unit of Advance's time step.
    static constexpr float kTimeScale = 30.0f;
    // The step of an auto blend until BlendTo sets one.
    static constexpr float kDefaultBlendStep = 0.1f;

    // A manager for `model`, which it poses but does not own; the model must outlive it. A null
    // model is treated as a model without points.
    explicit MobilantManager(Mobilant* model);
    virtual ~MobilantManager();

    MobilantManager(const MobilantManager&) = delete;
    MobilantManager& operator=(const MobilantManager&) = delete;

    // Builds the clip `name` from `document` and registers it. A clip the document lacks or
    // refuses shows its message box and is registered with empty caches.
    void LoadClip(const JsonDocument& document, const std::string& name);
    // Enters the clip under its name, replacing a clip of that name, and sets its blend time to
    // its start. A null clip is ignored.
    void RegisterClip(std::shared_ptr<MobilantAnimation> clip);

    // Makes the clip `name` active, its run time its start time, and switches the regions'
    // displacements and UV warps as its first frame says. With skipIfSame and `name` already
    // active, or with a name not in the table, nothing changes.
    void SelectClip(std::string_view name, bool skipIfSame);

    // One game frame: while playing, moves the active clip's run time by step * 30 frames
    // (wrapping it), steps an auto blend, then poses the model's render points with the active
    // clip or, in blend mode, with the mix of the blend pair. A clip it needs that is not in the
    // table leaves the render points as they were. A step that is not finite, or whose frames
    // are not, is ignored.
    void Advance(float step);

    // One game frame of clip `name` alone, from its own time `time`, as SelectClip(name, false),
    // SetRunTime(time) and Advance(step) would pose it with blend mode off, but leaving the blend
    // state (mode, pair, factor, auto blend, blend times) as it is: the clip becomes active with
    // its switches applied, and while playing its time moves by step * 30 frames (wrapped) and
    // the model is posed with it. Returns the run time it leaves. A name not in the table changes
    // nothing and returns `time`. Lets morphing play several clips, each at its own time.
    float AdvanceClipAlone(std::string_view name, float time, float step);

    // Poses the whole model with clip `name` at `time` and writes the points (x, y, 1 each) into
    // `target`, which holds 3 * PointCount floats. A name not in the table writes
    // "MobilantManager::PoseMobilant() - Animation not found: <name>" to standard output, poses
    // nothing and returns false.
    bool PoseMobilant(std::string_view name, float* target, float time);

    // `time` kept in clip `name`'s range: above the end it becomes the start, below the start
    // the end (the remainder is not carried); a NaN becomes the start. Unchanged for a name not
    // in the table.
    float WrapTime(float time, std::string_view name) const;

    // Region k's local and post displacements and UV warp := on or off as entry k of the first
    // frame of clip `name` has them (entries are matched to regions by position). Nothing for a
    // name not in the table.
    void ApplyClipSwitches(std::string_view name);

    // Switches blend mode; the first switch on allocates the two blend arrays.
    void SetBlendMode(bool flag);
    // The clips blend mode mixes: the result is (1 - factor) * first + factor * second.
    void SetBlendPair(std::string_view first, std::string_view second);
    // Switches auto blend and blend mode together; switching on starts a blend from the active
    // clip to itself (BlendTo with the default step).
    void SetAutoBlend(bool flag);
    // Starts an automatic blend from the active clip to clip `name`, which becomes active: its
    // blend time restarts, the factor restarts at 0 and grows by `step` per Advance. Nothing
    // happens for the clip already blended to, or a name not in the table. A NaN step keeps the
    // previous step.
    void BlendTo(std::string_view name, float step);
    // factor += step, kept within 0..1.
    void StepBlendWeight();
    // Moves the blend times of the auto blend's two clips by `frames` and wraps them; a clip
    // named in both slots moves once. Frames that are not finite are ignored.
    void AdvanceBlendTimes(float frames);
    // The blend time of clip `name` := its start time. Nothing for a name not in the table.
    void RestartBlendTime(std::string_view name);

    void SetPlaying(bool flag) { playing = flag; }
    bool Playing() const { return playing; }
    // A time that is not finite is ignored.
    void SetRunTime(float time);
    float RunTime() const { return runTime; }
    // Stored for the renderer, which mirrors what it draws.
    void SetMirrored(bool flag) { mirrored = flag; }
    bool Mirrored() const { return mirrored; }

    const ClipTable& Clips() const { return clips; }
    const std::string& ActiveClipName() const { return activeClipName; }
    Mobilant* Model() const { return model; }

    bool BlendMode() const { return blendMode; }
    bool AutoBlend() const { return autoBlend; }
    float BlendFactor() const { return blendFactor; }
    float AutoBlendStep() const { return autoBlendStep; }
    const std::pair<std::string, std::string>& BlendPair() const { return blendPair; }
    const std::pair<std::string, std::string>& AutoBlendNames() const { return autoBlendNames; }
    const TimeTable& BlendTimes() const { return blendTimes; }
    // The blend time of clip `name`; 0 when it has none.
    float BlendTime(std::string_view name) const;
    // The two per-clip poses of blend mode, 3 * PointCount floats each; empty until blend mode
    // is first switched on.
    const std::vector<float>& BlendPoints(std::size_t slot) const { return blendPoints[slot & 1]; }

private:
    MobilantAnimation* findClip(std::string_view name) const;
    float* findBlendTime(std::string_view name);
    void applySwitches(const MobilantAnimation& clip);
    void pose(MobilantAnimation& clip, float* target, float time);
    void poseBlend();
    std::size_t pointFloats() const;

    ClipTable clips;
    Mobilant* model;
    std::string activeClipName;
    bool playing = false;
    float runTime = 0.0f;
    std::vector<float> blendPoints[2];
    bool blendMode = false;
    float blendFactor = 0.0f;
    std::pair<std::string, std::string> blendPair;
    TimeTable blendTimes;
    bool mirrored = false;
    bool autoBlend = false;
    std::pair<std::string, std::string> autoBlendNames;
    float autoBlendStep = kDefaultBlendStep;
};

}  // namespace MobilantModule
