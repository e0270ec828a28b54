// A game frame of the `character` sample with morphing on: UpdateMorph poses the centre clip
// and the four leaning clips, each at its own time, and sums them with the weights of a control
// point up and to the right. Beside it, the same frame without morphing (MobilantManager::
// Advance, one clip posed), so the cost of a morph frame reads as a number of plain frames.
// Then the index list of each of the sample's skin swaps, written through an IndexWriter into
// a list like the renderer's.
//
// Counters: us_per_frame and ns_per_point for the frames, ns_per_index for the swaps. Bytes
// processed are the render points written, or the index entries.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CostClock.h"
#include "IndexWriter.h"
#include "JsonDocument.h"
#include "LoadMobilantModel.h"
#include "Mobilant.h"
#include "MobilantManager.h"
#include "MobilantMetaData.h"
#include "ReadWholeFile.h"

namespace {

using namespace MobilantModule;

struct Character {
    std::unique_ptr<Mobilant> model;
    std::unique_ptr<MobilantManager> manager;
    std::unique_ptr<MobilantMetaData> meta;
};

Character* character() {
    static Character loaded;
    if (loaded.model != nullptr) return &loaded;
    const std::string samples = std::string(MOBILANT_SOURCE_DIR) + "/samples/";
    JsonDocument document;
    std::string metaText;
    if (!LoadMobilantModel((samples + "character.json").c_str(), document).Ok() ||
        !readWholeFile((samples + "character.meta.json").c_str(), metaText))
        return nullptr;
    loaded.model = std::make_unique<Mobilant>(document);
    loaded.manager = std::make_unique<MobilantManager>(loaded.model.get());
    for (const std::string& name : loaded.model->ClipNames())
        loaded.manager->LoadClip(document, name);
    loaded.meta = std::make_unique<MobilantMetaData>(metaText);
    return &loaded;
}

void reportFrame(benchmark::State& state, const CostClock& clock, const Mobilant& model) {
    clock.report(state, "us_per_frame", 1, 1e-6);
    clock.report(state, "ns_per_point", model.PointCount(), 1e-9);
    state.SetBytesProcessed(state.iterations() * 3 * static_cast<std::int64_t>(sizeof(float)) *
                            model.PointCount());
}

void BM_AdvanceFrame(benchmark::State& state) {
    Character* loaded = character();
    if (loaded == nullptr) return state.SkipWithError("no character sample");
    MobilantManager& manager = *loaded->manager;
    manager.SelectClip("walk", false);
    manager.SetPlaying(true);
    const CostClock clock;
    for (auto _ : state) {
        manager.Advance(0.01f);
        benchmark::ClobberMemory();
    }
    reportFrame(state, clock, *loaded->model);
}

void BM_UpdateMorphFrame(benchmark::State& state) {
    Character* loaded = character();
    if (loaded == nullptr) return state.SkipWithError("no character sample");
    MobilantManager& manager = *loaded->manager;
    MobilantMetaData& meta = *loaded->meta;
    manager.SetPlaying(true);
    meta.PlaceMorphPoint({0.6f, -0.3f}, {0.0f, 0.0f}, 1.0f);
    if (!meta.UpdateMorph(manager, 0.01f)) return state.SkipWithError("morphing did not start");
    const CostClock clock;
    for (auto _ : state) {
        meta.UpdateMorph(manager, 0.01f);
        benchmark::ClobberMemory();
    }
    reportFrame(state, clock, *loaded->model);
    state.counters["clips_posed"] =
        static_cast<double>(meta.MorphClips().size() + (meta.CenterClipName().empty() ? 0 : 1));
}

void BM_BuildSkinSwapIndices(benchmark::State& state, const char* swap) {
    Character* loaded = character();
    if (loaded == nullptr) return state.SkipWithError("no character sample");
    std::vector<std::int32_t> workIndices(static_cast<std::size_t>(loaded->model->IndexCount()));
    auto store = [&](std::int32_t destination, std::int32_t value) {
        workIndices[static_cast<std::size_t>(destination)] = value;
    };
    const IndexWriter writer(store, static_cast<std::int32_t>(workIndices.size()));
    std::int32_t count = 0;
    const CostClock clock;
    for (auto _ : state) {
        loaded->meta->BuildSkinSwapIndices(swap, *loaded->model->Composition(), writer, count);
        benchmark::DoNotOptimize(workIndices.data());
        benchmark::ClobberMemory();
    }
    clock.report(state, "ns_per_index", count, 1e-9);
    state.counters["indices"] = count;
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(sizeof(std::int32_t)) *
                            count);
}

BENCHMARK(BM_AdvanceFrame);
BENCHMARK(BM_UpdateMorphFrame);
BENCHMARK_CAPTURE(BM_BuildSkinSwapIndices, full, "full");
BENCHMARK_CAPTURE(BM_BuildSkinSwapIndices, no_back_limbs, "no_back_limbs");
BENCHMARK_CAPTURE(BM_BuildSkinSwapIndices, upper_body, "upper_body");

}  // namespace
