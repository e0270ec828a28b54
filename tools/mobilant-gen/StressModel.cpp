#include <cmath>
#include <numbers>
#include <string>

#include "Kinematics.h"
#include "Models.h"
#include "RegionBuilder.h"

// Nine stalks of eleven bones each on a base bone (100 bones), one strip
// region of 1,100 points per stalk plus 100 points on the base (10,000
// points), and clips keyed on every frame: a load for the benchmarks.

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kStalks = 9;
constexpr int kSegments = 11;
constexpr double kSegmentLength = 0.5;
constexpr double kBaseY = -2.8;

double stalkX(int stalk) {
    return -3.2 + 0.8 * stalk;
}

int segmentBone(int stalk, int segment) {
    return 1 + stalk * kSegments + segment;
}

Pose swayPose(std::size_t boneCount, int frame, int period, double amplitude, double baseSlide) {
    Pose pose(boneCount);
    const double t = static_cast<double>(frame % period) / period;
    pose.offsets[0] = {baseSlide * std::sin(2.0 * kPi * 2.0 * t), 0.0};
    for (int s = 0; s < kStalks; ++s) {
        for (int k = 0; k < kSegments; ++k) {
            const double wave =
                std::sin(2.0 * kPi * (2.0 * t - 0.07 * k + static_cast<double>(s) / kStalks));
            const double ripple = std::sin(2.0 * kPi * (6.0 * t + 0.19 * k));
            pose.degrees[segmentBone(s, k)] = amplitude * (wave + 0.3 * ripple);
        }
    }
    return pose;
}

}  // namespace

GenModel makeStressModel() {
    GenModel model;
    model.name = "stress";
    // A turned root frame: the root's local points are not axis-aligned.
    const Vec2 baseStart = {-3.6, kBaseY};
    model.rootParentFrame = Rigid2::frame(baseStart, {std::cos(kPi / 6.0), std::sin(kPi / 6.0)});
    model.writeEveryBoneWeight = false;
    model.bones.push_back({"base", -1, baseStart, {3.6, kBaseY}});
    for (int s = 0; s < kStalks; ++s) {
        for (int k = 0; k < kSegments; ++k) {
            const int parent = k == 0 ? 0 : segmentBone(s, k - 1);
            const Vec2 start = {stalkX(s), kBaseY + kSegmentLength * k};
            model.bones.push_back({"stalk" + std::to_string(s) + "_" + std::to_string(k), parent,
                                   start, start + Vec2{0.0, kSegmentLength}});
        }
    }

    StripRegion base;
    base.name = "base";
    base.axisStart = baseStart;
    base.axisEnd = {3.6, kBaseY};
    base.halfWidthStart = base.halfWidthEnd = 0.1;
    base.columns = 5;
    base.rows = 20;
    base.chain = {0};
    addStripRegion(model, base);
    for (int s = 0; s < kStalks; ++s) {
        StripRegion stalk;
        stalk.name = "stalk" + std::to_string(s);
        stalk.axisStart = {stalkX(s), kBaseY};
        stalk.axisEnd = {stalkX(s), kBaseY + kSegmentLength * kSegments};
        stalk.halfWidthStart = 0.18;
        stalk.halfWidthEnd = 0.06;
        stalk.extendBefore = stalk.extendAfter = 0.05;
        stalk.columns = 5;
        stalk.rows = 220;
        stalk.chain = {0};
        for (int k = 0; k < kSegments; ++k)
            stalk.chain.push_back(segmentBone(s, k));
        stalk.blendHalfWidth = 0.12;
        addStripRegion(model, stalk);
    }
    mapRegionUvsToUnitSquare(model);

    const std::size_t boneCount = model.bones.size();
    GenClip rest;
    rest.name = "default";
    rest.keys.push_back(makeClipKey(model, 0, Pose(boneCount)));
    model.clips.push_back(rest);

    GenClip sway;
    sway.name = "sway";
    for (int f = 0; f <= 300; ++f)
        sway.keys.push_back(makeClipKey(model, f, swayPose(boneCount, f, 300, 5.0, 0.0)));
    model.clips.push_back(sway);

    GenClip writhe;
    writhe.name = "writhe";
    for (int f = 0; f <= 600; ++f) {
        writhe.keys.push_back(makeClipKey(model, f, swayPose(boneCount, f, 600, 9.0, 0.3)));
    }
    model.clips.push_back(writhe);

    // Every kind of region animation at once, on every frame.
    GenClip pulse;
    pulse.name = "pulse";
    pulse.hasOpacities = true;
    const GenRegion& swollen = model.regions[5];
    const GenRegion& shaken = model.regions[6];
    for (int f = 0; f <= 120; ++f) {
        ClipKey key = makeClipKey(model, f, swayPose(boneCount, f, 120, 4.0, 0.0));
        const double beat = std::sin(2.0 * kPi * f / 30.0);
        RegionKey& local = key.regions[5];
        local.useLocal = true;
        for (int i = 0; i < swollen.pointCount; ++i) {
            const Vec2 p = model.points[swollen.firstPoint + i];
            local.localDisplacements.push_back({0.4 * beat * (p.x - stalkX(4)), 0.0});
        }
        RegionKey& post = key.regions[6];
        post.usePost = true;
        for (int i = 0; i < shaken.pointCount; ++i) {
            post.postDisplacements.push_back({0.05 * beat * std::sin(0.05 * i), 0.02 * beat});
        }
        RegionKey& warped = key.regions[7];
        warped.uvEnabled = true;
        warped.localOffset = {0.5, 0.5};
        warped.globalOffset = {0.5, 0.5 + 0.1 * beat};
        warped.scale = {1.0 + 0.2 * beat, 1.0};
        for (std::size_t r = 0; r < model.regions.size(); ++r) {
            key.regions[r].opacity = 70.0 + 30.0 * std::sin(2.0 * kPi * (f / 60.0 + r / 10.0));
        }
        pulse.keys.push_back(std::move(key));
    }
    model.clips.push_back(pulse);
    return model;
}
