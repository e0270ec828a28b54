#pragma once

#include "GenModel.h"

// A software picture of a posed model for checking the generator's output by
// eye. Points are skinned by linear blending of the bones' rigid transforms,
// with the frame's displacements, UV warps and opacities applied as the
// runtime applies them, and drawn over a light background in the view
// x -4..4, y -3..3. Models without a texture get a flat colour per region and
// their triangle edges.
RgbaImage renderPreview(const GenModel& model, const ClipKey& key, int width, int height);

// Copies `tile` into `sheet` with its top left corner at (x, y), clipped.
void pasteImage(RgbaImage& sheet, const RgbaImage& tile, int x, int y);
