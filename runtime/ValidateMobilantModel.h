#pragma once

#include <cstdint>

#include "JsonValue.h"
#include "ModelCheck.h"

namespace MobilantModule {

// The largest build a model may ask for, in units of one region point times one weight list
// (plus one per region and bone pair): what the regions' skinning tables cost to build.
inline constexpr std::int64_t kMaxModelBuildCost = std::int64_t{1} << 25;

// Checks that a model document can be built: the root, "mesh" with its arrays and regions,
// "skeleton" and "animation" (an object; its clips are checked when they are loaded, see
// ValidateMobilantClip). Returns the first fault in document order, or Ok. A document that
// passes builds a model without further checks: every member the build reads is there with the
// right kind, every number is finite, "points" and "uvs" hold one pair per point, indices and
// region ranges lie in their arrays (an empty region, end = start - 1, is allowed), the bones
// form one tree under a root (other parentless bones and their subtrees are allowed; they are
// left out of the model), and the build stays within kMaxModelBuildCost. Any "restParentMat"
// is accepted, a singular one too: posing never inverts the root's. Weight lists may be
// shorter or longer than their region and may name bones the skeleton lacks;
// "uv_swap_items" and "anchor_points_items" are not looked at.
ModelCheck ValidateMobilantModel(JsonValue root);

}  // namespace MobilantModule
