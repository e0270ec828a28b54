#include "Atlas.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

Atlas::Atlas(int width, int height, double pixelsPerUnit, int padding)
    : pixelsPerUnit_(pixelsPerUnit), padding_(padding), shelfX_(padding), shelfY_(padding) {
    image_.width = width;
    image_.height = height;
    image_.pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
}

AtlasCell Atlas::place(Vec2 min, Vec2 max) {
    AtlasCell cell;
    cell.modelMin = min;
    cell.modelMax = max;
    cell.width = static_cast<int>(std::ceil((max.x - min.x) * pixelsPerUnit_));
    cell.height = static_cast<int>(std::ceil((max.y - min.y) * pixelsPerUnit_));
    if (shelfX_ + cell.width + padding_ > image_.width) {
        shelfX_ = padding_;
        shelfY_ += shelfHeight_ + padding_;
        shelfHeight_ = 0;
    }
    if (shelfX_ + cell.width + padding_ > image_.width ||
        shelfY_ + cell.height + padding_ > image_.height) {
        throw std::runtime_error("texture atlas is full");
    }
    cell.x = shelfX_;
    cell.y = shelfY_;
    shelfX_ += cell.width + padding_;
    shelfHeight_ = std::max(shelfHeight_, cell.height);
    return cell;
}

std::vector<AtlasCell> Atlas::placeRow(Vec2 min, Vec2 max, int count) {
    const int width = static_cast<int>(std::ceil((max.x - min.x) * pixelsPerUnit_));
    if (shelfX_ + count * (width + padding_) > image_.width) {
        shelfX_ = padding_;
        shelfY_ += shelfHeight_ + padding_;
        shelfHeight_ = 0;
    }
    std::vector<AtlasCell> cells;
    for (int i = 0; i < count; ++i)
        cells.push_back(place(min, max));
    return cells;
}

Vec2 Atlas::uvOf(const AtlasCell& cell, Vec2 p) const {
    return {(cell.x + (p.x - cell.modelMin.x) * pixelsPerUnit_) / image_.width,
            (cell.y + (cell.modelMax.y - p.y) * pixelsPerUnit_) / image_.height};
}

void Atlas::paint(const AtlasCell& cell, const std::function<Color(Vec2, double)>& painter) {
    const double pixel = 1.0 / pixelsPerUnit_;
    for (int py = 0; py < cell.height; ++py) {
        for (int px = 0; px < cell.width; ++px) {
            const Vec2 p = {cell.modelMin.x + (px + 0.5) * pixel,
                            cell.modelMax.y - (py + 0.5) * pixel};
            const Color c = painter(p, pixel);
            const auto byte = [](double v) {
                return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
            };
            std::uint8_t* out =
                &image_
                     .pixels[(static_cast<std::size_t>(cell.y + py) * image_.width + cell.x + px) *
                             4];
            out[0] = byte(c.r);
            out[1] = byte(c.g);
            out[2] = byte(c.b);
            out[3] = byte(c.a);
        }
    }
}

void mapRegionUvs(GenModel& model, const GenRegion& region, const Atlas& atlas,
                  const AtlasCell& cell) {
    for (int i = 0; i < region.pointCount; ++i) {
        model.uvs[region.firstPoint + i] = atlas.uvOf(cell, model.points[region.firstPoint + i]);
    }
}
