#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

// A small valid model, written out so that tests can break one thing at a time: four points
// in one region, a two-bone chain, and one clip keyed at frames 0, 5 and 10.
inline const std::string kSmallModel = R"({
  "mesh": {
    "points": [0, 0, 1, 0, 1, 1, 0, 1],
    "uvs": [0, 0, 1, 0, 1, 1, 0, 1],
    "indices": [0, 1, 2, 0, 2, 3],
    "regions": {
      "body": {"id": 7, "start_pt_index": 0, "end_pt_index": 3, "start_index": 0, "end_index": 5,
               "weights": {"root": [1, 1, 0.5, 0.5], "tip": [0, 0, 0.5, 0.5]}}
    }
  },
  "skeleton": {
    "root": {"id": 0, "restParentMat": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1],
             "localRestStartPt": [0, 0], "localRestEndPt": [1, 0], "children": [1]},
    "tip": {"id": 1, "restParentMat": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1],
            "localRestStartPt": [0, 0], "localRestEndPt": [1, 0], "children": []}
  },
  "animation": {
    "wave": {
      "bones": {
        "0": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}, "tip": {"start_pt": [1, 0], "end_pt": [2, 0]}},
        "5": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}, "tip": {"start_pt": [1, 0], "end_pt": [1, 1]}},
        "10": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}, "tip": {"start_pt": [1, 0], "end_pt": [0, 0]}}
      },
      "meshes": {
        "0": {"body": {"use_local_displacements": false, "use_post_displacements": true,
                       "post_displacements": [0, 0, 0, 0, 0, 0, 0, 0]}},
        "10": {"body": {"use_local_displacements": false, "use_post_displacements": true,
                        "post_displacements": [1, 0, 1, 0, 1, 0, 1, 0]}}
      },
      "uv_swaps": {
        "0": {"body": {"enabled": false}},
        "5": {"body": {"enabled": true, "local_offset": [0, 0], "global_offset": [0.5, 0], "scale": [1, 1]}}
      }
    }
  }
})";

inline const char* kIdentityMatrix = "[1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1]";

// A skeleton member: bone `name` with `id`, identity rest parent, rest points (0, 0) and
// (1, 0), and the child id list `children` (JSON text).
inline std::string boneText(std::string_view name, int id, std::string_view children) {
    std::string text = "\"";
    text.append(name).append("\": {\"id\": ").append(std::to_string(id));
    text.append(", \"restParentMat\": ").append(kIdentityMatrix);
    text.append(", \"localRestStartPt\": [0, 0], \"localRestEndPt\": [1, 0], \"children\": ");
    text.append(children).append("}");
    return text;
}

// kSmallModel with its skeleton members replaced by `bones`.
inline std::string withSkeleton(std::string_view bones) {
    const std::size_t from = kSmallModel.find("\"skeleton\"");
    const std::size_t to = kSmallModel.find("\"animation\"");
    std::string text = kSmallModel.substr(0, from);
    text.append("\"skeleton\": {").append(bones).append("},\n  ");
    text.append(kSmallModel.substr(to));
    return text;
}

// kSmallModel with the members of "animation" replaced by `clips`.
inline std::string withClips(std::string_view clips) {
    std::string text = kSmallModel.substr(0, kSmallModel.find("\"animation\""));
    text.append("\"animation\": {").append(clips).append("}\n}\n");
    return text;
}

// `text` with its only occurrence of `from` replaced by `to`.
inline std::string replaced(std::string text, std::string_view from, std::string_view to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at == std::string::npos) return text;
    EXPECT_EQ(text.find(from, at + 1), std::string::npos) << "more than one " << from;
    return text.replace(at, from.size(), to);
}
