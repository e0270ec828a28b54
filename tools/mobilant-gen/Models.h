#pragma once

#include <string_view>
#include <vector>

#include "GenModel.h"

// The sample models. Each call builds the same model every time.

// Three bones, two regions, round numbers: small enough to check by hand.
GenModel makeTinyModel();

// A textured walking figure with idle, walk, wave and jump clips, five leaning clips for
// morphing, and meta data: three skin swaps and the leaning clips as morph targets.
GenModel makeCharacterModel();

// About 10,000 points, 100 bones and long clips keyed on every frame, for benchmarks.
GenModel makeStressModel();

// The names accepted by makeModel, in a fixed order.
const std::vector<std::string_view>& modelNames();

// The model called `name`; throws std::invalid_argument for an unknown name.
GenModel makeModel(std::string_view name);
