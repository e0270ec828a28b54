#include "MobilantManager.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "meshRenderBoneComposition.h"
#include "meshRenderRegion.h"

namespace MobilantModule {

namespace {

// `time` kept in the clip's range; the remainder past an end is dropped, as clips loop by
// jumping to the other end.
float wrapIntoClip(float time, const MobilantAnimation& clip) {
    if (time > clip.EndTime()) return clip.StartTime();
    if (time < clip.StartTime()) return clip.EndTime();
    if (std::isnan(time)) return clip.StartTime();
    return time;
}

}  // namespace

MobilantManager::MobilantManager(Mobilant* model) : model(model) {}

MobilantManager::~MobilantManager() = default;

void MobilantManager::LoadClip(const JsonDocument& document, const std::string& name) {
    RegisterClip(std::make_shared<MobilantAnimation>(document, name));
}

void MobilantManager::RegisterClip(std::shared_ptr<MobilantAnimation> clip) {
    if (clip == nullptr) return;
    const std::string& name = clip->Name();
    blendTimes.insert_or_assign(name, clip->StartTime());
    // The key is copied before the value is moved; the clip itself stays where it is.
    clips.insert_or_assign(name, std::move(clip));
}

void MobilantManager::SelectClip(std::string_view name, bool skipIfSame) {
    if (skipIfSame && name == activeClipName) return;
    const MobilantAnimation* clip = findClip(name);
    if (clip == nullptr) return;
    // The clip's own copy of the name: `name` may view activeClipName itself.
    activeClipName = clip->Name();
    runTime = clip->StartTime();
    applySwitches(*clip);
}

void MobilantManager::Advance(float step) {
    if (!playing) return;
    const float frames = step * kTimeScale;
    if (!std::isfinite(frames)) return;
    MobilantAnimation* active = findClip(activeClipName);
    if (active != nullptr) runTime = wrapIntoClip(runTime + frames, *active);
    if (autoBlend) {
        StepBlendWeight();
        AdvanceBlendTimes(frames);
    }
    if (blendMode) {
        poseBlend();
    } else if (active != nullptr && model != nullptr) {
        pose(*active, model->RenderPoints(), runTime);
    }
}

float MobilantManager::AdvanceClipAlone(std::string_view name, float time, float step) {
    MobilantAnimation* clip = findClip(name);
    if (clip == nullptr) return time;
    SelectClip(clip->Name(), false);
    SetRunTime(time);
    const float frames = step * kTimeScale;
    if (!playing || !std::isfinite(frames)) return runTime;
    runTime = wrapIntoClip(runTime + frames, *clip);
    if (model != nullptr) pose(*clip, model->RenderPoints(), runTime);
    return runTime;
}

bool MobilantManager::PoseMobilant(std::string_view name, float* target, float time) {
    MobilantAnimation* clip = findClip(name);
    if (clip == nullptr) {
        static constexpr char prefix[] = "MobilantManager::PoseMobilant() - Animation not found: ";
        std::fwrite(prefix, 1, sizeof(prefix) - 1, stdout);
        std::fwrite(name.data(), 1, name.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        return false;
    }
    pose(*clip, target, time);
    return true;
}

float MobilantManager::WrapTime(float time, std::string_view name) const {
    const MobilantAnimation* clip = findClip(name);
    return clip != nullptr ? wrapIntoClip(time, *clip) : time;
}

void MobilantManager::ApplyClipSwitches(std::string_view name) {
    if (const MobilantAnimation* clip = findClip(name)) applySwitches(*clip);
}

void MobilantManager::SetBlendMode(bool flag) {
    blendMode = flag;
    if (flag && blendPoints[0].size() != pointFloats()) {
        blendPoints[0].assign(pointFloats(), 0.0f);
        blendPoints[1].assign(pointFloats(), 0.0f);
    }
}

void MobilantManager::SetBlendPair(std::string_view first, std::string_view second) {
    blendPair.first.assign(first);
    blendPair.second.assign(second);
}

void MobilantManager::SetAutoBlend(bool flag) {
    autoBlend = flag;
    SetBlendMode(flag);
    if (flag) BlendTo(activeClipName, kDefaultBlendStep);
}

void MobilantManager::BlendTo(std::string_view name, float step) {
    if (name == autoBlendNames.second) return;
    const MobilantAnimation* clip = findClip(name);
    if (clip == nullptr) return;
    // From here on the clip's own copy of the name: `name` may view one of the strings below.
    const std::string& target = clip->Name();
    RestartBlendTime(target);
    if (!std::isnan(step)) autoBlendStep = step;
    autoBlendNames.first = activeClipName;
    autoBlendNames.second = target;
    blendFactor = 0.0f;
    activeClipName = target;
    SetBlendPair(autoBlendNames.first, autoBlendNames.second);
}

void MobilantManager::StepBlendWeight() {
    // Kept at 0 from below too: a negative step would otherwise extrapolate past the first clip.
    blendFactor = std::clamp(blendFactor + autoBlendStep, 0.0f, 1.0f);
}

void MobilantManager::AdvanceBlendTimes(float frames) {
    if (!std::isfinite(frames)) return;
    const std::string* advanced = nullptr;
    for (const std::string* name : {&autoBlendNames.first, &autoBlendNames.second}) {
        if (advanced != nullptr && *advanced == *name) continue;
        const MobilantAnimation* clip = findClip(*name);
        float* time = findBlendTime(*name);
        if (clip == nullptr || time == nullptr) continue;
        *time = wrapIntoClip(*time + frames, *clip);
        advanced = name;
    }
}

void MobilantManager::RestartBlendTime(std::string_view name) {
    const MobilantAnimation* clip = findClip(name);
    if (clip == nullptr) return;
    if (float* time = findBlendTime(name)) {
        *time = clip->StartTime();
    } else {
        blendTimes.emplace(clip->Name(), clip->StartTime());
    }
}

void MobilantManager::SetRunTime(float time) {
    if (std::isfinite(time)) runTime = time;
}

float MobilantManager::BlendTime(std::string_view name) const {
    const auto found = blendTimes.find(name);
    return found != blendTimes.end() ? found->second : 0.0f;
}

MobilantAnimation* MobilantManager::findClip(std::string_view name) const {
    const auto found = clips.find(name);
    return found != clips.end() ? found->second.get() : nullptr;
}

float* MobilantManager::findBlendTime(std::string_view name) {
    const auto found = blendTimes.find(name);
    return found != blendTimes.end() ? &found->second : nullptr;
}

void MobilantManager::applySwitches(const MobilantAnimation& clip) {
    if (model == nullptr) return;
    const meshDisplacementCacheManager& displacements = clip.DisplacementCaches();
    const meshUVWarpCacheManager& uvWarps = clip.UvWarpCaches();
    const auto& regions = model->Composition()->getRegions();
    for (std::size_t k = 0; k < regions.size(); ++k) {
        meshRenderRegion& region = *regions[k];
        region.setUseLocalDisplacements(displacements.hasLocalDisplacements(0, k));
        region.setUsePostDisplacements(displacements.hasPostDisplacements(0, k));
        region.setUseUvWarp(uvWarps.isEnabled(0, k));
    }
}

void MobilantManager::pose(MobilantAnimation& clip, float* target, float time) {
    if (model == nullptr) return;
    meshRenderBoneComposition& composition = *model->Composition();
    clip.BoneCaches().applyAtTime(time, composition.getBoneMap());
    clip.DisplacementCaches().applyAtTime(time, composition.getRegionMap());
    clip.UvWarpCaches().applyAtTime(time, composition.getRegionMap());
    clip.OpacityCaches().applyAtTime(time, composition.getRegionMap());
    composition.updatePoseTransforms();
    if (target == nullptr) return;
    for (const auto& region : composition.getRegions())
        region->skinPoints(target + 3 * std::ptrdiff_t{region->getStartPtIndex()}, true, true,
                           true);
}

void MobilantManager::poseBlend() {
    MobilantAnimation* first = findClip(blendPair.first);
    MobilantAnimation* second = findClip(blendPair.second);
    const std::size_t count = pointFloats();
    if (first == nullptr || second == nullptr || model == nullptr) return;
    if (blendPoints[0].size() != count || blendPoints[1].size() != count) return;
    applySwitches(*first);
    pose(*first, blendPoints[0].data(), BlendTime(first->Name()));
    applySwitches(*second);
    pose(*second, blendPoints[1].data(), BlendTime(second->Name()));
    const float f = blendFactor;
    const float* a = blendPoints[0].data();
    const float* b = blendPoints[1].data();
    float* out = model->RenderPoints();
    for (std::size_t j = 0; j < count; ++j) {
        // Two poses near the float limit can round past it; such a coordinate is written as 0,
        // as skinning writes its own.
        const float mixed = (1.0f - f) * a[j] + f * b[j];
        out[j] = std::fabs(mixed) <= std::numeric_limits<float>::max() ? mixed : 0.0f;
    }
}

std::size_t MobilantManager::pointFloats() const {
    return model != nullptr ? 3 * static_cast<std::size_t>(std::max(model->PointCount(), 0)) : 0;
}

}  // namespace MobilantModule
