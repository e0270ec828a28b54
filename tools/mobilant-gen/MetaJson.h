#pragma once

#include <string>

#include "GenModel.h"

// The model's meta-data file: "meshes" (each region's index entries), "regionOrders" (none),
// "eventTriggers", "skinSwapList", and, when the model has morph targets, "MorphTargets",
// "MorphRes" and "MorphSpace" (the weight images in base64, in target order).
std::string metaToJson(const GenModel& model);

// Throws std::runtime_error naming the first inconsistency of the model's meta data: a swap
// naming a region the model lacks, a morph or event clip the model lacks, weight images that
// are not one of morphRes x morphRes bytes per target.
void checkMeta(const GenModel& model);
