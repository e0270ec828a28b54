// One game frame of a playing instance, MobilantManager::Advance with the game's default step
// (0.01, 0.3 frames), on the sample models: `tiny` (10 points), `character` (about a thousand)
// and `stress` (10,000 points, 100 bones, every kind of region animation; generated into the
// build tree, skipped when absent). Playing poses one clip; blending poses two and mixes them.
//
// Counters: us_per_advance, ns_per_point, and instances_per_frame, how many instances one core
// poses in a 16.7 ms game frame. Bytes processed are the render points written. The stress runs
// also report clip_bytes, what its clips take in memory, beside file_bytes, the file's size.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "CostClock.h"
#include "JsonDocument.h"
#include "LoadMobilantModel.h"
#include "Mobilant.h"
#include "MobilantManager.h"

namespace {

using namespace MobilantModule;

constexpr double kFrameSeconds = 0.0167;

struct Sample {
    const char* name;
    std::string path;
    const char* clip;       // played, and blended from
    const char* blendClip;  // blended to
};

const Sample kSamples[] = {
    {"tiny", std::string(MOBILANT_SOURCE_DIR) + "/samples/tiny.json", "bend", "default"},
    {"character", std::string(MOBILANT_SOURCE_DIR) + "/samples/character.json", "walk", "wave"},
    {"stress", std::string(MOBILANT_BINARY_DIR) + "/samples/stress.json", "pulse", "writhe"},
};

// A loaded sample: its model with every clip in a manager. Kept for all benchmarks of a run.
struct Loaded {
    std::unique_ptr<Mobilant> model;
    std::unique_ptr<MobilantManager> manager;
    double clipBytes = 0;
    double fileBytes = 0;
};

Loaded* load(const Sample& sample) {
    static std::map<std::string, Loaded> cache;
    const auto found = cache.find(sample.name);
    if (found != cache.end()) return &found->second;
    if (!std::filesystem::exists(sample.path)) return nullptr;
    JsonDocument document;
    if (!LoadMobilantModel(sample.path.c_str(), document).Ok()) return nullptr;
    Loaded& loaded = cache[sample.name];
    loaded.model = std::make_unique<Mobilant>(document);
    loaded.manager = std::make_unique<MobilantManager>(loaded.model.get());
    for (const std::string& name : loaded.model->ClipNames())
        loaded.manager->LoadClip(document, name);
    for (const auto& [name, clip] : loaded.manager->Clips())
        loaded.clipBytes += static_cast<double>(clip->MemoryBytes());
    loaded.fileBytes = static_cast<double>(std::filesystem::file_size(sample.path));
    return &loaded;
}

void report(benchmark::State& state, const CostClock& clock, const Loaded& loaded,
            const Sample& sample) {
    const double points = loaded.model->PointCount();
    clock.report(state, "us_per_advance", 1, 1e-6);
    clock.report(state, "ns_per_point", points, 1e-9);
    const double perAdvance = clock.secondsPerIteration(state);
    state.counters["instances_per_frame"] = perAdvance > 0 ? kFrameSeconds / perAdvance : 0.0;
    state.counters["points"] = points;
    if (std::string(sample.name) == "stress") {
        state.counters["clip_bytes"] = loaded.clipBytes;
        state.counters["file_bytes"] = loaded.fileBytes;
    }
    state.SetBytesProcessed(state.iterations() * 3 * static_cast<std::int64_t>(sizeof(float)) *
                            loaded.model->PointCount());
}

Loaded* prepare(benchmark::State& state, const Sample& sample) {
    Loaded* loaded = load(sample);
    if (loaded == nullptr) {
        state.SkipWithError(("no " + sample.path + ": build mobilant-stress-sample").c_str());
        return nullptr;
    }
    MobilantManager& manager = *loaded->manager;
    manager.SetAutoBlend(false);
    manager.SelectClip(sample.clip, false);
    manager.SetPlaying(true);
    return loaded;
}

void BM_AdvancePlaying(benchmark::State& state, const Sample& sample) {
    Loaded* loaded = prepare(state, sample);
    if (loaded == nullptr) return;
    MobilantManager& manager = *loaded->manager;
    const CostClock clock;
    for (auto _ : state) {
        manager.Advance(0.01f);
        benchmark::ClobberMemory();
    }
    report(state, clock, *loaded, sample);
}

// A cross-fade that never ends: the factor is pulled back before it reaches 1, so every frame
// poses both clips.
void BM_AdvanceBlending(benchmark::State& state, const Sample& sample) {
    Loaded* loaded = prepare(state, sample);
    if (loaded == nullptr) return;
    MobilantManager& manager = *loaded->manager;
    manager.SetAutoBlend(true);
    manager.BlendTo(sample.blendClip, 0.0001f);
    const CostClock clock;
    for (auto _ : state) {
        manager.Advance(0.01f);
        benchmark::ClobberMemory();
    }
    report(state, clock, *loaded, sample);
    manager.SetAutoBlend(false);
}

BENCHMARK_CAPTURE(BM_AdvancePlaying, tiny, kSamples[0]);
BENCHMARK_CAPTURE(BM_AdvancePlaying, character, kSamples[1]);
BENCHMARK_CAPTURE(BM_AdvancePlaying, stress, kSamples[2]);
BENCHMARK_CAPTURE(BM_AdvanceBlending, tiny, kSamples[0]);
BENCHMARK_CAPTURE(BM_AdvanceBlending, character, kSamples[1]);
BENCHMARK_CAPTURE(BM_AdvanceBlending, stress, kSamples[2]);

}  // namespace
