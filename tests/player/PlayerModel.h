#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "JsonDocument.h"
#include "Mobilant.h"
#include "MobilantManager.h"

// A model whose poses are easy to work out by hand: seven points in two regions ("a", a unit
// square at the origin, and "b", a triangle to its right), all weighed fully on one bone "root"
// that rests from (0, 0) to (1, 0). Every clip only moves the root, so a pose is the rest mesh
// moved by the root's offset:
//   "slide" frames 0..10, offset (t, 0) at time t
//   "rise"  frames 0..10, offset (0, 2t)
//   "late"  frames 4..20, offset (t, t)
//   "flags" frame 0 only: its first-frame entries list region "b" before "a", with local
//           displacements in the first entry and the UV warp on in the second
inline const std::string kPlayerModel = R"({
  "mesh": {
    "points": [0, 0, 1, 0, 1, 1, 0, 1, 2, 0, 3, 0, 2, 1],
    "uvs": [0, 0, 1, 0, 1, 1, 0, 1, 0, 0, 1, 0, 0, 1],
    "indices": [0, 1, 2, 0, 2, 3, 4, 5, 6],
    "regions": {
      "a": {"id": 0, "start_pt_index": 0, "end_pt_index": 3, "start_index": 0, "end_index": 5,
            "weights": {"root": [1, 1, 1, 1]}},
      "b": {"id": 1, "start_pt_index": 4, "end_pt_index": 6, "start_index": 6, "end_index": 8,
            "weights": {"root": [1, 1, 1]}}
    }
  },
  "skeleton": {
    "root": {"id": 0, "restParentMat": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1],
             "localRestStartPt": [0, 0], "localRestEndPt": [1, 0], "children": []}
  },
  "animation": {
    "slide": {
      "bones": {"0": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}},
                "10": {"root": {"start_pt": [10, 0], "end_pt": [11, 0]}}},
      "meshes": {"0": {"a": {"use_local_displacements": false, "use_post_displacements": false},
                       "b": {"use_local_displacements": false, "use_post_displacements": false}}},
      "uv_swaps": {"0": {"a": {"enabled": false}, "b": {"enabled": false}}}
    },
    "rise": {
      "bones": {"0": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}},
                "10": {"root": {"start_pt": [0, 20], "end_pt": [1, 20]}}},
      "meshes": {}, "uv_swaps": {}
    },
    "late": {
      "bones": {"4": {"root": {"start_pt": [4, 4], "end_pt": [5, 4]}},
                "20": {"root": {"start_pt": [20, 20], "end_pt": [21, 20]}}},
      "meshes": {}, "uv_swaps": {}
    },
    "flags": {
      "bones": {"0": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}}},
      "meshes": {"0": {"b": {"use_local_displacements": true, "use_post_displacements": false,
                             "local_displacements": [0, 0, 0, 0, 0, 0]},
                       "a": {"use_local_displacements": false, "use_post_displacements": false}}},
      "uv_swaps": {"0": {"b": {"enabled": false},
                         "a": {"enabled": true, "local_offset": [0, 0], "global_offset": [0, 0],
                               "scale": [1, 1]}}}
    }
  }
})";

inline constexpr int kPlayerPoints = 7;
inline constexpr std::array<float, 2 * kPlayerPoints> kPlayerRest = {0, 0, 1, 0, 1, 1, 0,
                                                                     1, 2, 0, 3, 0, 2, 1};

// The player model, its instance and a manager with every clip of the file loaded.
struct PlayerRig {
    explicit PlayerRig(const std::string& text = kPlayerModel) {
        EXPECT_EQ(document.parseText(text), MobilantModule::JsonStatus::Ok);
        model = std::make_unique<MobilantModule::Mobilant>(document);
        manager = std::make_unique<MobilantModule::MobilantManager>(model.get());
        for (const std::string& name : model->ClipNames())
            manager->LoadClip(document, name);
    }

    const float* points() const { return model->RenderPoints(); }

    MobilantModule::JsonDocument document;
    std::unique_ptr<MobilantModule::Mobilant> model;
    std::unique_ptr<MobilantModule::MobilantManager> manager;
};

// Every point of `points` is the rest point moved by (dx, dy), with z = 1.
inline void expectMoved(const float* points, float dx, float dy, const char* what = "") {
    for (int i = 0; i < kPlayerPoints; ++i) {
        EXPECT_NEAR(points[3 * i], kPlayerRest[2 * i] + dx, 1e-5f) << what << " point " << i;
        EXPECT_NEAR(points[3 * i + 1], kPlayerRest[2 * i + 1] + dy, 1e-5f)
            << what << " point " << i;
        EXPECT_EQ(points[3 * i + 2], 1.0f) << what << " point " << i;
    }
}
