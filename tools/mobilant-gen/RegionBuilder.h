#pragma once

#include <string>
#include <vector>

#include "GenModel.h"

// A render region shaped as a tapered strip along an axis, triangulated as a
// grid, skinned to a chain of bones that runs along the same axis.
struct StripRegion {
    std::string name;
    Vec2 axisStart;
    Vec2 axisEnd;
    double halfWidthStart = 0.1;
    double halfWidthEnd = 0.1;
    double extendBefore = 0.0;  // how far the strip reaches past each end of the axis
    double extendAfter = 0.0;
    int columns = 2;              // points across the strip
    int rows = 2;                 // points along the strip
    std::vector<int> chain;       // bones along the axis, parent first
    double blendHalfWidth = 0.1;  // half the length over which two chain bones blend at a joint
};

// Appends the strip's points, triangles (clockwise with y up) and weights to
// `model` as a new region; UVs are left at zero. Returns the region's index.
int addStripRegion(GenModel& model, const StripRegion& strip);

// Weights of the chain's bones for a point at `along` (distance along the axis
// from its start): each joint blends its two bones with a smoothstep, so the
// weights sum to 1 and at most two bones share a point between distant joints.
std::vector<double> chainWeights(const GenModel& model, const std::vector<int>& chain,
                                 Vec2 axisStart, Vec2 axisDir, double blendHalfWidth, double along);

// The rest-space bounding box of a region's points.
void regionBounds(const GenModel& model, const GenRegion& region, Vec2& min, Vec2& max);

// Maps each region's UVs onto the full texture by the region's rest bounding box.
void mapRegionUvsToUnitSquare(GenModel& model);
