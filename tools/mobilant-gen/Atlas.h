#pragma once

#include <functional>
#include <vector>

#include "GenModel.h"
#include "Paint.h"

// A rectangle of the atlas holding one model-space box, drawn upright.
struct AtlasCell {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    Vec2 modelMin;
    Vec2 modelMax;
};

// A texture atlas filled shelf by shelf in the order cells are placed, at a
// fixed number of pixels per model unit, with transparent gaps between cells.
class Atlas {
public:
    Atlas(int width, int height, double pixelsPerUnit, int padding);

    // Reserves a cell for the model-space box [min, max]; throws std::runtime_error when full.
    AtlasCell place(Vec2 min, Vec2 max);

    // Reserves `count` cells of the same box side by side on one shelf, so a
    // UV offset along u moves from one to the next.
    std::vector<AtlasCell> placeRow(Vec2 min, Vec2 max, int count);

    // The texture coordinate of model point `p` in `cell` (v grows downwards).
    Vec2 uvOf(const AtlasCell& cell, Vec2 p) const;

    // Paints every pixel of `cell` with `painter` (model point, pixel size in model units).
    void paint(const AtlasCell& cell, const std::function<Color(Vec2, double)>& painter);

    const RgbaImage& image() const { return image_; }
    int width() const { return image_.width; }
    int height() const { return image_.height; }

private:
    RgbaImage image_;
    double pixelsPerUnit_;
    int padding_;
    int shelfX_;
    int shelfY_;
    int shelfHeight_ = 0;
};

// Points every UV of `region` into `cell` of `atlas`.
void mapRegionUvs(GenModel& model, const GenRegion& region, const Atlas& atlas,
                  const AtlasCell& cell);
