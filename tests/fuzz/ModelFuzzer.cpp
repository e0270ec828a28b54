// Takes any bytes as a model file: parses and validates them, builds the model and every clip
// of it, and poses each clip at a few times, in range and far out of it, through the caches
// and the composition as the animation manager does. Besides the sanitizers' checks it asserts
// the loader's contracts: a refused document builds the empty model, a built one holds the
// arrays it reports, a built clip has one slot per frame of its range in every cache, and
// every posed point is finite.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "../models/ModelPose.h"
#include "JsonDocument.h"
#include "Mobilant.h"
#include "MobilantAnimation.h"
#include "ValidateMobilantClip.h"
#include "ValidateMobilantModel.h"

using namespace MobilantModule;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// Poses like the animation manager and checks that every render point is finite.
void poseAndCheck(Mobilant& model, MobilantAnimation& clip, float t) {
    poseLikeTheManager(model, clip, t);
    const float* points = model.RenderPoints();
    for (std::int32_t i = 0; i < 3 * model.PointCount(); ++i)
        check(std::isfinite(points[i]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    JsonDocument document;
    document.parseText(std::string_view(reinterpret_cast<const char*>(data), size));
    const bool valid = ValidateMobilantModel(document.getRoot()).Ok();
    Mobilant model(document);
    check(model.Composition() != nullptr);
    if (!valid) {
        check(model.PointCount() == 0 && model.IndexCount() == 0);
        check(model.RenderPoints() == nullptr && model.ClipNames().empty());
        check(model.Composition()->getRootBone() == nullptr);
        check(model.Composition()->getRegions().empty());
        return 0;
    }
    check(model.Composition()->getRootBone() != nullptr);
    for (std::int32_t i = 0; i < model.IndexCount(); ++i)
        check(model.Indices()[i] >= 0 && model.Indices()[i] < model.PointCount());

    constexpr float inf = std::numeric_limits<float>::infinity();
    for (const std::string& name : model.ClipNames()) {
        // A refused clip only shows its message box: constructing it would fill the log.
        if (!ValidateMobilantClip(document.getRoot(), name).Ok()) continue;
        MobilantAnimation clip(document, name);
        check(clip.LoadCheck().Ok());
        const float start = clip.StartTime();
        const float end = clip.EndTime();
        check(start <= end);
        const auto slots =
            static_cast<std::size_t>(clip.BoneCaches().getEndTime() -
                                     std::int64_t{clip.BoneCaches().getStartTime()}) +
            1;
        check(clip.BoneCaches().frameCount() == slots);
        check(clip.DisplacementCaches().frameCount() == slots);
        check(clip.UvWarpCaches().frameCount() == slots);
        check(clip.OpacityCaches().frameReady().size() == slots);
        const float times[] = {
            start,      end,   start + 0.5f * (end - start) + 0.25f,    start - 1e6f,
            end + 1e9f, 1e30f, std::numeric_limits<float>::quiet_NaN(), inf,
            -inf};
        for (const float t : times)
            poseAndCheck(model, clip, t);
    }
    return 0;
}
