// Small models written out in the tests, files to load them from, and the sample paths.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include "JsonDocument.h"
#include "WideStrings.h"

// A model whose points never move: one region "body" over every point and index, one bone
// "root" weighing 1 on every point, and a clip "default" that keeps the bone at rest. `points`
// holds x, y pairs; the UVs are the points themselves.
inline std::string flatModel(const std::vector<float>& points, const std::vector<int>& indices) {
    auto list = [](const auto& values) {
        std::string text = "[";
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i > 0) text += ", ";
            text += std::to_string(values[i]);
        }
        return text + "]";
    };
    const std::size_t count = points.size() / 2;
    const std::vector<float> weights(count, 1.0f);
    std::string text = "{\"mesh\": {\"points\": " + list(points) + ", \"uvs\": " + list(points) +
                       ", \"indices\": " + list(indices) + ", \"regions\": {\"body\": {\"id\": 0, " +
                       "\"start_pt_index\": 0, \"end_pt_index\": " +
                       std::to_string(static_cast<long>(count) - 1) +
                       ", \"start_index\": 0, \"end_index\": " +
                       std::to_string(static_cast<long>(indices.size()) - 1) +
                       ", \"weights\": {\"root\": " + list(weights) + "}}}},";
    text += R"( "skeleton": {"root": {"id": 0, "restParentMat": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1],
                           "localRestStartPt": [0, 0], "localRestEndPt": [1, 0], "children": []}},
  "animation": {"default": {"bones": {"0": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}}},
                            "meshes": {}, "uv_swaps": {}}}})";
    return text;
}

// The unit square (0, 0) to (1, 1) as two triangles.
inline std::string squareModel() {
    return flatModel({0, 0, 1, 0, 1, 1, 0, 1}, {0, 1, 2, 0, 2, 3});
}

// `text` parsed into a new document (a failed parse leaves its root null).
inline std::unique_ptr<MobilantModule::JsonDocument> parsedModel(const std::string& text) {
    auto document = std::make_unique<MobilantModule::JsonDocument>();
    document->parseText(text);
    return document;
}

inline std::string samplePath(const char* name) {
    return std::string(MOBILANT_SOURCE_DIR) + "/samples/" + name;
}

// A file in the temporary directory, removed again at the end of the test. Its name is the
// process's own, since the tests of one program run side by side in processes of their own.
class TempFile {
public:
    TempFile(const std::string& stem, const std::string& contents) {
        static std::atomic<int> counter{0};
#ifdef _WIN32
        const int process = _getpid();
#else
        const int process = static_cast<int>(getpid());
#endif
        path = std::filesystem::temp_directory_path() /
               ("mobilant-surface-" + std::to_string(process) + "-" +
                std::to_string(counter++) + "-" + stem);
        std::ofstream(path, std::ios::binary) << contents;
    }
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // The name as the host hands it over.
    std::wstring wideName() const { return WidenNarrowString(path.string().c_str()); }

    std::filesystem::path path;
};

// A sample's path as the host hands it over.
inline std::wstring wideSamplePath(const char* name) {
    return WidenNarrowString(samplePath(name).c_str());
}
