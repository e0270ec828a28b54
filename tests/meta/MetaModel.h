#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "JsonDocument.h"
#include "Mobilant.h"
#include "MobilantManager.h"

// A model whose poses are worked out by hand. Three regions, in this model order: "b" (a
// triangle right of the origin), "a" (a unit square at the origin), "c" (a triangle above it),
// and one point, 10 at (5, 5), that belongs to no region. Every region point is weighed fully
// on the one bone "root" (rest (0, 0) to (1, 0)), and every clip only moves the root, so a pose
// is the rest mesh moved by the root's offset:
//   "centre" frames 0..10, offset (0, t)
//   "right"  frames 0..10, offset (t, 0)
//   "left"   frames 0..10, offset (-t, 0)
//   "late"   frames 4..20, offset (t, t)
// Index entries: b 0..2, a 3..8, c 9..11.
inline const std::string kMetaModel = R"({
  "mesh": {
    "points": [2, 0, 3, 0, 2, 1,  0, 0, 1, 0, 1, 1, 0, 1,  0, 2, 1, 2, 0, 3,  5, 5],
    "uvs": [0, 0, 1, 0, 0, 1,  0, 0, 1, 0, 1, 1, 0, 1,  0, 0, 1, 0, 0, 1,  0, 0],
    "indices": [0, 1, 2,  3, 4, 5, 3, 5, 6,  7, 8, 9],
    "regions": {
      "b": {"id": 0, "start_pt_index": 0, "end_pt_index": 2, "start_index": 0, "end_index": 2,
            "weights": {"root": [1, 1, 1]}},
      "a": {"id": 1, "start_pt_index": 3, "end_pt_index": 6, "start_index": 3, "end_index": 8,
            "weights": {"root": [1, 1, 1, 1]}},
      "c": {"id": 2, "start_pt_index": 7, "end_pt_index": 9, "start_index": 9, "end_index": 11,
            "weights": {"root": [1, 1, 1]}}
    }
  },
  "skeleton": {
    "root": {"id": 0, "restParentMat": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1],
             "localRestStartPt": [0, 0], "localRestEndPt": [1, 0], "children": []}
  },
  "animation": {
    "centre": {
      "bones": {"0": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}},
                "10": {"root": {"start_pt": [0, 10], "end_pt": [1, 10]}}},
      "meshes": {}, "uv_swaps": {}
    },
    "right": {
      "bones": {"0": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}},
                "10": {"root": {"start_pt": [10, 0], "end_pt": [11, 0]}}},
      "meshes": {}, "uv_swaps": {}
    },
    "left": {
      "bones": {"0": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}},
                "10": {"root": {"start_pt": [-10, 0], "end_pt": [-9, 0]}}},
      "meshes": {}, "uv_swaps": {}
    },
    "late": {
      "bones": {"4": {"root": {"start_pt": [4, 4], "end_pt": [5, 4]}},
                "20": {"root": {"start_pt": [20, 20], "end_pt": [21, 20]}}},
      "meshes": {}, "uv_swaps": {}
    }
  }
})";

inline constexpr int kMetaPoints = 11;
inline constexpr int kMetaIndices = 12;
inline constexpr std::array<float, 2 * kMetaPoints> kMetaRest = {
    2, 0, 3, 0, 2, 1, 0, 0, 1, 0, 1, 1, 0, 1, 0, 2, 1, 2, 0, 3, 5, 5};
// The point of no region.
inline constexpr int kLonePoint = 10;

// The model, its instance and a manager with the named clips loaded (all of them by default),
// playing, as the renderer leaves it.
struct MetaRig {
    explicit MetaRig(const std::string& text = kMetaModel) {
        EXPECT_EQ(document.parseText(text), MobilantModule::JsonStatus::Ok);
        model = std::make_unique<MobilantModule::Mobilant>(document);
        manager = std::make_unique<MobilantModule::MobilantManager>(model.get());
        for (const std::string& name : model->ClipNames())
            manager->LoadClip(document, name);
        manager->SetPlaying(true);
    }

    const float* points() const { return model->RenderPoints(); }

    MobilantModule::JsonDocument document;
    std::unique_ptr<MobilantModule::Mobilant> model;
    std::unique_ptr<MobilantModule::MobilantManager> manager;
};

// Standard base64 with "=" padding, for meta-data texts made in the tests.
inline std::string encodeBase64(const std::vector<std::uint8_t>& bytes) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t group = std::uint32_t{bytes[i]} << 16;
        if (left > 1) group |= std::uint32_t{bytes[i + 1]} << 8;
        if (left > 2) group |= bytes[i + 2];
        text += alphabet[group >> 18 & 63];
        text += alphabet[group >> 12 & 63];
        text += left > 1 ? alphabet[group >> 6 & 63] : '=';
        text += left > 2 ? alphabet[group & 63] : '=';
    }
    return text;
}

// The text of a meta-data file with morph data: centre clip `centre` ("" for none), one target
// per entry of `targets`, images of `res` x `res` bytes concatenated in `images`.
inline std::string morphMetaText(const std::string& centre, const std::vector<std::string>& targets,
                                 int res, const std::vector<std::uint8_t>& images) {
    std::string shapes;
    for (const std::string& target : targets)
        shapes += (shapes.empty() ? "" : ", ") + ("[\"" + target + "\", [0, 0]]");
    return R"({"MorphTargets": {"CenterData": [[0, 0], ")" + centre + R"("], "MorphShape": [)" +
           shapes + R"(]}, "MorphRes": )" + std::to_string(res) + R"(, "MorphSpace": ")" +
           encodeBase64(images) + "\"}";
}

// An image of `res` x `res` bytes all `value`.
inline std::vector<std::uint8_t> flatImage(int res, std::uint8_t value) {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(res) * res, value);
}
