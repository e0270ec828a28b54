#pragma once

#include <array>
#include <string>
#include <vector>

#include "JsonDom.h"

// Reads a model file's skeleton and runs the rest pass the runtime runs on
// it: single-precision column-major 4x4 matrices, each bone's rest parent
// frame replaced by its parent's rest end frame, local rest points carried
// into model space.
struct RestBone {
    std::string name;
    int id = 0;
    std::array<float, 16> restParentMat{};      // as the rest pass leaves it
    std::array<float, 16> fileRestParentMat{};  // as the file gives it
    std::array<float, 4> localStart{};
    std::array<float, 4> localEnd{};
    std::vector<int> children;  // ids
    std::array<float, 4> worldStart{};
    std::array<float, 4> worldEnd{};
    bool reached = false;
};

struct RestSkeleton {
    std::vector<RestBone> bones;  // in document order
    int root = -1;                // index into bones

    int indexOfId(int id) const;
};

// Builds the skeleton of `model` and runs the rest pass from its root; a
// bone the root does not reach keeps reached == false.
RestSkeleton restPass(const JsonDom& model);

// Model files of the generator's three models, written now.
std::string generatedModelText(const std::string& name);
