#include "RegionBuilder.h"

#include <algorithm>
#include <stdexcept>

namespace {

double smoothstep(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3.0 - 2.0 * x);
}

void appendGridTriangles(GenModel& model, int firstPoint, int columns, int rows) {
    for (int j = 0; j + 1 < rows; ++j) {
        for (int i = 0; i + 1 < columns; ++i) {
            const auto at = [&](int c, int r) {
                return static_cast<std::uint32_t>(firstPoint + r * columns + c);
            };
            // Columns run along the strip's left normal and rows along its axis,
            // a left-handed pair, so this order is clockwise in model space.
            model.indices.insert(model.indices.end(), {at(i, j), at(i + 1, j), at(i + 1, j + 1)});
            model.indices.insert(model.indices.end(), {at(i, j), at(i + 1, j + 1), at(i, j + 1)});
        }
    }
}

}  // namespace

std::vector<double> chainWeights(const GenModel& model, const std::vector<int>& chain,
                                 Vec2 axisStart, Vec2 axisDir, double blendHalfWidth,
                                 double along) {
    // s[k] is how far the point has passed joint k (between chain bones k-1 and k);
    // bone k's weight is s[k] * (1 - s[k+1]), a telescoping partition of one.
    std::vector<double> passed(chain.size() + 1, 0.0);
    passed[0] = 1.0;
    for (std::size_t k = 1; k < chain.size(); ++k) {
        const double joint = dot(model.bones[chain[k]].restStart - axisStart, axisDir);
        passed[k] = smoothstep((along - (joint - blendHalfWidth)) / (2.0 * blendHalfWidth));
    }
    std::vector<double> weights(chain.size());
    for (std::size_t k = 0; k < chain.size(); ++k)
        weights[k] = passed[k] * (1.0 - passed[k + 1]);
    return weights;
}

int addStripRegion(GenModel& model, const StripRegion& strip) {
    if (strip.columns < 2 || strip.rows < 2 || strip.chain.empty()) {
        throw std::invalid_argument("strip region " + strip.name + " is degenerate");
    }
    GenRegion region;
    region.name = strip.name;
    region.id = static_cast<int>(model.regions.size());
    region.firstPoint = static_cast<int>(model.points.size());
    region.pointCount = strip.columns * strip.rows;
    region.firstIndex = static_cast<int>(model.indices.size());
    region.weights.assign(model.bones.size(), std::vector<double>(region.pointCount, 0.0));

    const Vec2 axis = strip.axisEnd - strip.axisStart;
    const double axisLength = length(axis);
    const Vec2 dir = axis * (1.0 / axisLength);
    const Vec2 across = perp(dir);
    for (int j = 0; j < strip.rows; ++j) {
        const double f = static_cast<double>(j) / (strip.rows - 1);
        const double along =
            -strip.extendBefore + f * (axisLength + strip.extendBefore + strip.extendAfter);
        const double t = std::clamp(along / axisLength, 0.0, 1.0);
        const double halfWidth =
            strip.halfWidthStart + t * (strip.halfWidthEnd - strip.halfWidthStart);
        const std::vector<double> w =
            chainWeights(model, strip.chain, strip.axisStart, dir, strip.blendHalfWidth, along);
        for (int i = 0; i < strip.columns; ++i) {
            const double s = -1.0 + 2.0 * i / (strip.columns - 1);
            model.points.push_back(strip.axisStart + dir * along + across * (s * halfWidth));
            model.uvs.push_back({});
            for (std::size_t k = 0; k < strip.chain.size(); ++k) {
                region.weights[strip.chain[k]][j * strip.columns + i] += w[k];
            }
        }
    }
    appendGridTriangles(model, region.firstPoint, strip.columns, strip.rows);
    region.indexCount = static_cast<int>(model.indices.size()) - region.firstIndex;
    model.regions.push_back(std::move(region));
    return static_cast<int>(model.regions.size()) - 1;
}

void regionBounds(const GenModel& model, const GenRegion& region, Vec2& min, Vec2& max) {
    min = max = model.points[region.firstPoint];
    for (int i = 1; i < region.pointCount; ++i) {
        const Vec2 p = model.points[region.firstPoint + i];
        min = {std::min(min.x, p.x), std::min(min.y, p.y)};
        max = {std::max(max.x, p.x), std::max(max.y, p.y)};
    }
}

void mapRegionUvsToUnitSquare(GenModel& model) {
    for (const GenRegion& region : model.regions) {
        Vec2 lo, hi;
        regionBounds(model, region, lo, hi);
        for (int i = 0; i < region.pointCount; ++i) {
            const Vec2 p = model.points[region.firstPoint + i];
            model.uvs[region.firstPoint + i] = {(p.x - lo.x) / (hi.x - lo.x),
                                                (hi.y - p.y) / (hi.y - lo.y)};
        }
    }
}
