// The stress sample (10,000 points, 100 bones, clips keyed on every frame, about 15 MB) from
// file to posed mesh: reading, parsing and validating the document, building the model,
// loading its clips, and posing a clip through its caches. Heap use is counted by replacing
// the global allocation functions: model_bytes and clip_bytes are what the model and all its
// clips hold once loaded, beside file_bytes, the size of the file they come from.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "CostClock.h"
#include "JsonDocument.h"
#include "LoadMobilantModel.h"
#include "Mobilant.h"
#include "MobilantAnimation.h"
#include "MobilantManager.h"
#include "ValidateMobilantModel.h"

namespace {

std::size_t liveBytes = 0;  // the benchmarks run on one thread

void* countedAllocate(std::size_t size) {
    void* p = std::malloc(size != 0 ? size : 1);
    if (p == nullptr) throw std::bad_alloc();
    liveBytes += malloc_usable_size(p);
    return p;
}

void countedFree(void* p) {
    if (p != nullptr) liveBytes -= malloc_usable_size(p);
    std::free(p);
}

// The over-aligned forms (the skinning tables' 64-byte arrays): glibc's aligned_alloc storage is
// measured and freed like malloc's.
void* countedAllocateAligned(std::size_t size, std::align_val_t alignment) {
    const auto align = static_cast<std::size_t>(alignment);
    const std::size_t rounded = (size + align - 1) / align * align;
    void* p = std::aligned_alloc(align, rounded != 0 ? rounded : align);
    if (p == nullptr) throw std::bad_alloc();
    liveBytes += malloc_usable_size(p);
    return p;
}

}  // namespace

void* operator new(std::size_t size) {
    return countedAllocate(size);
}
void* operator new[](std::size_t size) {
    return countedAllocate(size);
}
void operator delete(void* p) noexcept {
    countedFree(p);
}
void operator delete[](void* p) noexcept {
    countedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    countedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    countedFree(p);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return countedAllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return countedAllocateAligned(size, alignment);
}
void operator delete(void* p, std::align_val_t) noexcept {
    countedFree(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    countedFree(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    countedFree(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    countedFree(p);
}

namespace {

using namespace MobilantModule;

const std::string kStressPath = std::string(MOBILANT_BINARY_DIR) + "/samples/stress.json";

double fileBytes() {
    return static_cast<double>(std::filesystem::file_size(kStressPath));
}

std::unique_ptr<JsonDocument> loadDocument() {
    auto document = std::make_unique<JsonDocument>();
    if (!LoadMobilantModel(kStressPath.c_str(), *document).Ok()) std::abort();
    return document;
}

using Clips = std::vector<std::unique_ptr<MobilantAnimation>>;

Clips loadClips(const JsonDocument& document, const Mobilant& model) {
    Clips clips;
    for (const std::string& name : model.ClipNames())
        clips.push_back(std::make_unique<MobilantAnimation>(document, name));
    return clips;
}

void BM_ReadParseValidate(benchmark::State& state) {
    for (auto _ : state) {
        auto document = loadDocument();
        benchmark::DoNotOptimize(document->getRoot());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fileBytes()));
}
BENCHMARK(BM_ReadParseValidate)->Unit(benchmark::kMillisecond);

void BM_Validate(benchmark::State& state) {
    const auto document = loadDocument();
    // The mesh and skeleton only: clips are checked as they are loaded.
    for (auto _ : state)
        benchmark::DoNotOptimize(ValidateMobilantModel(document->getRoot()).error);
}
BENCHMARK(BM_Validate)->Unit(benchmark::kMillisecond);

void BM_BuildModel(benchmark::State& state) {
    const auto document = loadDocument();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::size_t before = liveBytes;
        Mobilant model(*document);
        bytes = liveBytes - before;
        benchmark::DoNotOptimize(model.RenderPoints());
    }
    state.counters["model_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BuildModel)->Unit(benchmark::kMillisecond);

void BM_LoadClips(benchmark::State& state) {
    const auto document = loadDocument();
    const Mobilant model(*document);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::size_t before = liveBytes;
        const Clips clips = loadClips(*document, model);
        bytes = liveBytes - before;
        benchmark::DoNotOptimize(clips.data());
    }
    state.counters["clip_bytes"] = static_cast<double>(bytes);
    state.counters["file_bytes"] = fileBytes();
}
BENCHMARK(BM_LoadClips)->Unit(benchmark::kMillisecond);

// Everything a first use of the model costs: file to model and all clips, document released.
void BM_LoadEverything(benchmark::State& state) {
    std::size_t modelBytes = 0;
    std::size_t clipBytes = 0;
    for (auto _ : state) {
        auto document = loadDocument();
        const std::size_t beforeModel = liveBytes;
        auto model = std::make_unique<Mobilant>(*document);
        const std::size_t beforeClips = liveBytes;
        const Clips clips = loadClips(*document, *model);
        clipBytes = liveBytes - beforeClips;
        modelBytes = beforeClips - beforeModel;
        document.reset();
        benchmark::DoNotOptimize(clips.data());
    }
    state.counters["file_bytes"] = fileBytes();
    state.counters["model_bytes"] = static_cast<double>(modelBytes);
    state.counters["clip_bytes"] = static_cast<double>(clipBytes);
    state.counters["bytes_per_file_byte"] =
        static_cast<double>(modelBytes + clipBytes) / fileBytes();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fileBytes()));
}
BENCHMARK(BM_LoadEverything)->Unit(benchmark::kMillisecond);

// The four caches of the longest clip applied at advancing fractional times.
void BM_ApplyCaches(benchmark::State& state) {
    const auto document = loadDocument();
    Mobilant model(*document);
    MobilantAnimation clip(*document, "pulse");
    meshRenderBoneComposition& composition = *model.Composition();
    float t = clip.StartTime();
    const CostClock clock;
    for (auto _ : state) {
        clip.BoneCaches().applyAtTime(t, composition.getBoneMap());
        clip.DisplacementCaches().applyAtTime(t, composition.getRegionMap());
        clip.UvWarpCaches().applyAtTime(t, composition.getRegionMap());
        clip.OpacityCaches().applyAtTime(t, composition.getRegionMap());
        t = t + 0.3f > clip.EndTime() ? clip.StartTime() : t + 0.3f;
    }
    const double entries =
        static_cast<double>(composition.getBoneMap().size() + 3 * composition.getRegions().size());
    clock.report(state, "ns_per_entry", entries, 1e-9);
}
BENCHMARK(BM_ApplyCaches);

// A whole pose of the stress model as the animation manager makes it: caches, pose update and
// skinning of every region, 0.3 frames further each time (the game's default step).
void BM_PoseFrame(benchmark::State& state) {
    const auto document = loadDocument();
    Mobilant model(*document);
    MobilantManager manager(&model);
    manager.LoadClip(*document, "pulse");
    manager.SelectClip("pulse", false);
    manager.SetPlaying(true);
    const CostClock clock;
    for (auto _ : state)
        manager.Advance(0.01f);
    clock.report(state, "ns_per_point", model.PointCount(), 1e-9);
}
BENCHMARK(BM_PoseFrame);

}  // namespace
