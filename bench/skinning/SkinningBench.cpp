// Skinning cost per point on a generated model of 5,000 points, 50 bones and about three
// influences per point: each skinning path alone, each within a whole pose pass (bone dual
// quaternions, then every region), and the plain per-point steps for comparison.

#include <benchmark/benchmark.h>

#include <ctime>
#include <vector>

#include "CostClock.h"
#include "GeneratedRig.h"
#include "SkinReference.h"
#include "meshSkinning.h"

namespace {

GeneratedRig& benchRig() {
    static GeneratedRig rig = [] {
        GeneratedRig made = makeRig({.bones = 50, .regions = 10, .pointsPerRegion = 500});
        scramblePose(made, 5, 3.0f);
        made.composition->updatePoseTransforms();
        return made;
    }();
    return rig;
}

// Processor time per point of the timed loop, and the points and bytes processed.
class PerPoint {
public:
    explicit PerPoint(int points) : points(points) {}
    void report(benchmark::State& state) const {
        clock.report(state, "ns_per_point", points, 1e-9);
        state.SetItemsProcessed(state.iterations() * points);
        state.SetBytesProcessed(state.iterations() * points * 3 * sizeof(float));
    }

private:
    int points;
    CostClock clock;
};

bool usePath(benchmark::State& state, meshSkinPath path) {
    if (meshSkinning::setActivePath(path)) return true;
    state.SkipWithError("this processor cannot run this path");
    return false;
}

void skinEveryRegion(GeneratedRig& rig) {
    for (const auto& region : rig.composition->getRegions()) {
        region->skinPoints(rig.renderPoints.data() + 3 * region->getStartPtIndex(), true, true,
                           true);
    }
}

void BM_Skinning(benchmark::State& state, meshSkinPath path) {
    if (!usePath(state, path)) return;
    GeneratedRig& rig = benchRig();
    const PerPoint perPoint(rig.pointCount());
    for (auto _ : state) {
        skinEveryRegion(rig);
        benchmark::DoNotOptimize(rig.renderPoints.data());
        benchmark::ClobberMemory();
    }
    perPoint.report(state);
    meshSkinning::setActivePath(meshSkinning::bestPath());
}

void BM_PosePass(benchmark::State& state, meshSkinPath path) {
    if (!usePath(state, path)) return;
    GeneratedRig& rig = benchRig();
    const PerPoint perPoint(rig.pointCount());
    for (auto _ : state) {
        rig.composition->updatePoseTransforms();
        skinEveryRegion(rig);
        benchmark::DoNotOptimize(rig.renderPoints.data());
        benchmark::ClobberMemory();
    }
    perPoint.report(state);
    meshSkinning::setActivePath(meshSkinning::bestPath());
}

// The straightforward layout: per point, a list of bone indices and of their weights; per
// region, the bones' dual quaternions copied to a scratch list each pose.
struct PlainRegion {
    const meshRenderRegion* region;
    std::vector<const meshBone*> bones;
    std::vector<std::vector<std::uint32_t>> pointBones;
    std::vector<std::vector<float>> pointWeights;
    std::vector<DualQuat> scratch;
};

void BM_PlainSteps(benchmark::State& state) {
    GeneratedRig& rig = benchRig();
    std::vector<PlainRegion> plain;
    for (const auto& region : rig.composition->getRegions()) {
        PlainRegion p{region.get(), {}, {}, {}, {}};
        for (const meshBone* bone : region->getSkinBones())
            p.bones.push_back(bone);
        p.scratch.resize(p.bones.size());
        for (int i = 0; i < region->numPoints(); ++i) {
            p.pointBones.emplace_back();
            p.pointWeights.emplace_back();
            for (const auto& [bone, weight] : region->pointInfluences(i)) {
                for (std::uint32_t j = 0; j < p.bones.size(); ++j) {
                    if (p.bones[j] == bone) p.pointBones.back().push_back(j);
                }
                p.pointWeights.back().push_back(weight);
            }
        }
        plain.push_back(std::move(p));
    }
    const PerPoint perPoint(rig.pointCount());
    for (auto _ : state) {
        for (PlainRegion& p : plain) {
            for (std::size_t j = 0; j < p.bones.size(); ++j) {
                p.scratch[j] = p.bones[j]->getWorldDualQuat();
            }
            const float* rest = p.region->getRestPts();
            float* out = rig.renderPoints.data() + 3 * p.region->getStartPtIndex();
            for (std::size_t i = 0; i < p.pointBones.size(); ++i) {
                DualQuat acc;
                for (std::size_t k = 0; k < p.pointBones[i].size(); ++k) {
                    const float w = p.pointWeights[i][k];
                    acc.accumulate(p.scratch[p.pointBones[i][k]], w, w);
                }
                acc.normalize();
                const Vec4 q =
                    acc.transformPoint({rest[3 * i], rest[3 * i + 1], rest[3 * i + 2], 1});
                out[3 * i] = q.x;
                out[3 * i + 1] = q.y;
                out[3 * i + 2] = 1.0f;
            }
        }
        benchmark::DoNotOptimize(rig.renderPoints.data());
        benchmark::ClobberMemory();
    }
    perPoint.report(state);
}

BENCHMARK_CAPTURE(BM_Skinning, plain, meshSkinPath::plain);
BENCHMARK_CAPTURE(BM_Skinning, sse2, meshSkinPath::sse2);
BENCHMARK_CAPTURE(BM_Skinning, avx2, meshSkinPath::avx2);
BENCHMARK_CAPTURE(BM_Skinning, avx512, meshSkinPath::avx512);
BENCHMARK_CAPTURE(BM_PosePass, plain, meshSkinPath::plain);
BENCHMARK_CAPTURE(BM_PosePass, sse2, meshSkinPath::sse2);
BENCHMARK_CAPTURE(BM_PosePass, avx2, meshSkinPath::avx2);
BENCHMARK_CAPTURE(BM_PosePass, avx512, meshSkinPath::avx512);
BENCHMARK(BM_PlainSteps);

}  // namespace
