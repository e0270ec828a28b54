// One game loop of a playing instance on the sample models, through the animation surface:
// Handle (the manager's Advance, then the position, colour and texture-coordinate buffers
// refilled) and Display (the renderer's draw calls), beside MobilantManager::Advance alone on the
// same model. The device is the software device with its call log off and rasterising off: it
// checks every call as a device would but draws nothing, so Display measures what issuing the
// draw costs the renderer, not pixels.
//
// Counters: us_per_instance, microseconds of processor time per instance and loop, and
// ns_per_point. Bytes processed are those written per loop: the render points for Advance, the
// three vertex streams for Handle, the streams and indices bound for Display.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "AnimationSurface.h"
#include "CostClock.h"
#include "Direct3DDevice.h"
#include "MessageBoxes.h"
#include "MobilantPool.h"
#include "ResourcePools.h"
#include "SoftwareDevice.h"
#include "TexturePool.h"
#include "WideStrings.h"

namespace {

struct Sample {
    const char* name;
    std::string path;
    const char* clip;
};

const Sample kSamples[] = {
    {"tiny", std::string(MOBILANT_SOURCE_DIR) + "/samples/tiny.json", "bend"},
    {"character", std::string(MOBILANT_SOURCE_DIR) + "/samples/character.json", "walk"},
    {"stress", std::string(MOBILANT_BINARY_DIR) + "/samples/stress.json", "pulse"},
};

// A device, the pools and one playing instance of a sample, for one benchmark.
struct Instance {
    explicit Instance(const Sample& sample) {
        SetMessageBoxDialogs(false);
        device = SoftwareDevice::Create(256, 256, D3DFMT_A8R8G8B8);
        device->SetCallLogging(false);
        device->SetRasterizing(false);
        d3dDevice = device;
        ApplyModelDeviceStates(device);
        LoadMobilantPool(0, WidenNarrowString(sample.path.c_str()).c_str());
        // A texture of the device's own: only its binding matters here.
        device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, TexturePool::Slot(0),
                              nullptr);
        surface = std::make_unique<AnimationSurface>();
        surface->SetSurfaceSize(256, 256);
        surface->SetMobilantData(0);
        surface->SetTexture(0);
        const std::wstring clip = WidenNarrowString(sample.clip);
        surface->InitAnimation(clip.c_str());
        surface->PlayAnimation(clip.c_str());
        surface->fitMatrixtoSurface(1.0f);
        device->BeginScene();
    }
    ~Instance() {
        device->EndScene();
        surface.reset();
        ReleaseAllPool();
        d3dDevice = nullptr;
        device->Release();
    }
    bool ready() const { return surface->GetRenderer() != nullptr; }
    std::int64_t points() const { return surface->GetRenderer()->Model().PointCount(); }
    std::int64_t indices() const { return surface->GetRenderer()->Model().IndexCount(); }

    SoftwareDevice* device = nullptr;
    std::unique_ptr<AnimationSurface> surface;
};

bool skipWithoutSample(benchmark::State& state, const Sample& sample) {
    if (std::filesystem::exists(sample.path)) return false;
    state.SkipWithError(("no " + sample.path + ": build mobilant-stress-sample").c_str());
    return true;
}

void report(benchmark::State& state, const CostClock& clock, double points,
            std::int64_t bytesPerLoop) {
    clock.report(state, "us_per_instance", 1, 1e-6);
    clock.report(state, "ns_per_point", points, 1e-9);
    state.counters["points"] = points;
    state.SetBytesProcessed(state.iterations() * bytesPerLoop);
}

// The peer: the animation manager's game frame alone, on the instance's own manager.
void BM_Advance(benchmark::State& state, const Sample& sample) {
    if (skipWithoutSample(state, sample)) return;
    Instance instance(sample);
    if (!instance.ready()) return state.SkipWithError("the model did not load");
    MobilantModule::MobilantManager& manager = instance.surface->GetRenderer()->Manager();
    const CostClock clock;
    for (auto _ : state) {
        manager.Advance(0.01f);
        benchmark::ClobberMemory();
    }
    report(state, clock, static_cast<double>(instance.points()), 12 * instance.points());
}

// Advance and the refill of the three vertex streams.
void BM_Handle(benchmark::State& state, const Sample& sample) {
    if (skipWithoutSample(state, sample)) return;
    Instance instance(sample);
    if (!instance.ready()) return state.SkipWithError("the model did not load");
    const CostClock clock;
    for (auto _ : state) {
        instance.surface->Handle();
        benchmark::ClobberMemory();
    }
    report(state, clock, static_cast<double>(instance.points()), 24 * instance.points());
}

// Issuing the draw: transforms saved, set and restored, texture, streams, declaration, indices
// and one indexed triangle list.
void BM_Draw(benchmark::State& state, const Sample& sample) {
    if (skipWithoutSample(state, sample)) return;
    Instance instance(sample);
    if (!instance.ready()) return state.SkipWithError("the model did not load");
    instance.surface->Handle();
    const CostClock clock;
    for (auto _ : state) {
        instance.surface->Display();
        benchmark::ClobberMemory();
    }
    report(state, clock, static_cast<double>(instance.points()),
           24 * instance.points() + 4 * instance.indices());
}

// A hit test at the centre of the surface, over every triangle of the pose.
void BM_HitTest(benchmark::State& state, const Sample& sample) {
    if (skipWithoutSample(state, sample)) return;
    Instance instance(sample);
    if (!instance.ready()) return state.SkipWithError("the model did not load");
    instance.surface->Handle();
    // A pixel the model does not cover walks every triangle.
    const CostClock clock;
    int hits = 0;
    for (auto _ : state) {
        hits += instance.surface->HitTestPolygons(0.0f, 0.0f);
        benchmark::DoNotOptimize(hits);
    }
    report(state, clock, static_cast<double>(instance.points()), 4 * instance.indices());
}

BENCHMARK_CAPTURE(BM_Advance, tiny, kSamples[0]);
BENCHMARK_CAPTURE(BM_Advance, character, kSamples[1]);
BENCHMARK_CAPTURE(BM_Advance, stress, kSamples[2]);
BENCHMARK_CAPTURE(BM_Handle, tiny, kSamples[0]);
BENCHMARK_CAPTURE(BM_Handle, character, kSamples[1]);
BENCHMARK_CAPTURE(BM_Handle, stress, kSamples[2]);
BENCHMARK_CAPTURE(BM_Draw, tiny, kSamples[0]);
BENCHMARK_CAPTURE(BM_Draw, character, kSamples[1]);
BENCHMARK_CAPTURE(BM_Draw, stress, kSamples[2]);
BENCHMARK_CAPTURE(BM_HitTest, character, kSamples[1]);
BENCHMARK_CAPTURE(BM_HitTest, stress, kSamples[2]);

}  // namespace
