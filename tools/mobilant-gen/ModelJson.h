#pragma once

#include <string>

#include "GenModel.h"

// The model as the exporter's JSON text: "mesh", "skeleton", "animation" and,
// when the model has them, "uv_swap_items" and "anchor_points_items".
// Each bone's local rest points are written in its rest parent frame.
std::string modelToJson(const GenModel& model);

// Throws std::runtime_error naming the first inconsistency of `model`: regions
// that are not contiguous runs, indices outside their region, weight rows or
// clip frames of the wrong length, frames out of order, posed bones whose
// length differs from the rest length.
void checkModel(const GenModel& model);
