// Parse throughput on generated model-like JSON of about 1 MB and 20 MB: long arrays of
// floats with 6 or 7 significant digits (mesh points, UVs, weights) and clips keyed by frame
// number holding one object per bone with two-number points.
//
// In-situ parsers destroy their input, so every iteration parses a fresh copy of the text.
// The copy is made with the timer paused, the same way for all three parsers; building and
// destroying each parser's document is timed.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <simdjson.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "JsonAllocator.h"
#include "JsonNode.h"
#include "JsonParse.h"

namespace {

class ModelTextGenerator {
public:
    explicit ModelTextGenerator(std::size_t targetBytes) : target(targetBytes) {}

    std::string make() {
        // About half of the text is mesh arrays (some 66 bytes per point), the rest
        // animation frames.
        const std::size_t points = target / 130;
        text += "{\"mesh\":{\"points\":";
        floatArray(points * 2, 500.0);
        text += ",\"uvs\":";
        floatArray(points * 2, 1.0);
        text += ",\"indices\":[";
        for (std::size_t i = 0; i < points * 3; ++i) {
            if (i != 0) text += ',';
            text += std::to_string(random() % points);
        }
        text += "],\"regions\":{\"body\":{\"id\":0,\"start_pt_index\":0,\"end_pt_index\":";
        text += std::to_string(points - 1);
        text += ",\"start_index\":0,\"end_index\":" + std::to_string(points * 3 - 1);
        text += ",\"weights\":{\"bone_0\":";
        floatArray(points, 1.0);
        text += "}}}},\n\"animation\":{\"walk\":{\"bones\":{";
        for (int frame = 0; text.size() < target; ++frame) {
            if (frame != 0) text += ",\n";
            text += '"' + std::to_string(frame) + "\":{";
            for (int bone = 0; bone < 24; ++bone) {
                if (bone != 0) text += ',';
                text += "\"bone_" + std::to_string(bone) + "\":{\"start_pt\":";
                floatArray(2, 300.0);
                text += ",\"end_pt\":";
                floatArray(2, 300.0);
                text += '}';
            }
            text += '}';
        }
        text += "}}}}\n";
        return std::move(text);
    }

private:
    void floatArray(std::size_t count, double range) {
        std::uniform_real_distribution<double> values(-range, range);
        text += '[';
        for (std::size_t i = 0; i < count; ++i) {
            char number[32];
            std::snprintf(number, sizeof(number), i % 2 ? "%.7g" : "%.6g", values(random));
            if (i != 0) text += ',';
            text += number;
        }
        text += ']';
    }

    std::size_t target;
    std::string text;
    std::mt19937_64 random{42};
};

// Number of values in `text` (every array element, member and the root), for the per-value
// cost each benchmark reports.
double countValues(const std::string& text) {
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    MobilantModule::JsonAllocator allocator;
    MobilantModule::JsonValue root;
    char* end = nullptr;
    MobilantModule::jsonParse(copy.data(), end, root, allocator);
    double count = 0;
    std::vector<MobilantModule::JsonValue> pending{root};
    while (!pending.empty()) {
        const MobilantModule::JsonValue value = pending.back();
        pending.pop_back();
        ++count;
        for (auto* node = value.getFirstNode(); node != nullptr; node = node->next) {
            pending.push_back(node->value);
        }
    }
    return count;
}

const std::string& modelText(std::size_t megabytes) {
    static std::map<std::size_t, std::string> texts;
    std::string& text = texts[megabytes];
    if (text.empty()) text = ModelTextGenerator(megabytes << 20).make();
    return text;
}

// A buffer of the text's size plus simdjson's padding, refilled before each parse.
class FreshCopy {
public:
    explicit FreshCopy(const std::string& source)
        : text(source), buffer(source.size() + 1 + simdjson::SIMDJSON_PADDING, '\0') {}

    char* refill() {
        std::memcpy(buffer.data(), text.data(), text.size() + 1);
        return buffer.data();
    }

    std::size_t size() const { return text.size(); }

    // Reports throughput and the time per parsed value.
    void report(benchmark::State& state) const {
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
        state.counters["time_per_value"] =
            benchmark::Counter(countValues(text), benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
    }

private:
    const std::string& text;
    std::vector<char> buffer;
};

void JsonParse(benchmark::State& state) {
    FreshCopy copy(modelText(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        state.PauseTiming();
        char* text = copy.refill();
        state.ResumeTiming();
        MobilantModule::JsonAllocator allocator;
        MobilantModule::JsonValue root;
        char* end = nullptr;
        const auto status = MobilantModule::jsonParse(text, end, root, allocator);
        if (status != MobilantModule::JsonStatus::Ok) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(root);
    }
    copy.report(state);
}

void RapidJsonInSitu(benchmark::State& state) {
    FreshCopy copy(modelText(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        state.PauseTiming();
        char* text = copy.refill();
        state.ResumeTiming();
        rapidjson::Document document;
        document.ParseInsitu(text);
        if (document.HasParseError()) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(document);
    }
    copy.report(state);
}

void Simdjson(benchmark::State& state) {
    FreshCopy copy(modelText(static_cast<std::size_t>(state.range(0))));
    simdjson::dom::parser parser;  // reused across parses, as the library intends
    for (auto _ : state) {
        state.PauseTiming();
        char* text = copy.refill();
        state.ResumeTiming();
        simdjson::dom::element root;
        if (parser.parse(text, copy.size(), false).get(root) != simdjson::SUCCESS) {
            state.SkipWithError("parse failed");
        }
        benchmark::DoNotOptimize(root);
    }
    copy.report(state);
}

BENCHMARK(JsonParse)->Arg(1)->Arg(20)->ArgName("MB")->Unit(benchmark::kMillisecond);
BENCHMARK(RapidJsonInSitu)->Arg(1)->Arg(20)->ArgName("MB")->Unit(benchmark::kMillisecond);
BENCHMARK(Simdjson)->Arg(1)->Arg(20)->ArgName("MB")->Unit(benchmark::kMillisecond);

}  // namespace
