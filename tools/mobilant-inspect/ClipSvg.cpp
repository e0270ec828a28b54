#include "ClipSvg.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

#include "Mobilant.h"
#include "meshBone.h"
#include "meshRenderBoneComposition.h"
#include "meshRenderRegion.h"

using namespace MobilantModule;

namespace {

constexpr double kPixels = 800.0;  // the larger side of the picture

struct Bounds {
    double minX = std::numeric_limits<double>::max();
    double minY = std::numeric_limits<double>::max();
    double maxX = std::numeric_limits<double>::lowest();
    double maxY = std::numeric_limits<double>::lowest();

    // Takes a model point; SVG's y points down, so y is negated.
    void add(double x, double y) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, -y);
        maxY = std::max(maxY, -y);
    }
    bool empty() const { return minX > maxX; }
};

// Fixed-point coordinates: values are rounded once to a grid of 10^-decimals, and path steps
// are differences of grid points, so relative moves add up exactly.
class Grid {
public:
    explicit Grid(int decimals) : decimals(decimals), scale(std::pow(10.0, decimals)) {}

    // Clamped far beyond any drawable value, so that rounding cannot overflow.
    std::int64_t snap(double value) const {
        return std::llround(std::clamp(value * scale, -1e15, 1e15));
    }

    // Appends a grid value as the shortest decimal text (no trailing zeros, no leading zero
    // before the point), preceded by a space unless it follows a command letter or is negative.
    void append(std::string& out, std::int64_t units) const {
        const bool negative = units < 0;
        std::uint64_t magnitude =
            negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
        const char last = out.empty() ? ' ' : out.back();
        if (!negative && last != ' ' && !std::isalpha(static_cast<unsigned char>(last))) out += ' ';
        if (negative) out += '-';
        const auto unit = static_cast<std::uint64_t>(std::llround(scale));
        const std::uint64_t whole = magnitude / unit;
        std::uint64_t fraction = magnitude % unit;
        if (whole != 0 || fraction == 0) out += std::to_string(whole);
        if (fraction == 0) return;
        int digits = decimals;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        std::string text = std::to_string(fraction);
        out += '.';
        out.append(static_cast<std::size_t>(digits) - text.size(), '0');
        out += text;
    }

    // A model coordinate, y negated.
    void appendX(std::string& out, double x) const { append(out, snap(x)); }
    void appendY(std::string& out, double y) const { append(out, snap(-y)); }

private:
    int decimals;
    double scale;
};

// Enough decimals that rounding moves a point by at most about 1/4000 of the picture.
int decimalsFor(double extent) {
    if (!(extent > 0.0) || !std::isfinite(extent)) return 0;
    const int decimals = static_cast<int>(std::ceil(std::log10(4000.0 / extent)));
    return std::clamp(decimals, 0, 4);
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.6g", value);
    return text;
}

// Escapes text for an SVG element or attribute.
std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
        }
    }
    return out;
}

// The pose at `time`, by the same calls a game makes every frame.
void poseAt(MobilantManager& manager, float time) {
    manager.SetRunTime(time);
    manager.Advance(0.0f);
}

template <class Visit>
void forEachBone(const Mobilant& model, Visit&& visit) {
    if (const meshBone* root = model.Composition()->getRootBone()) root->forEachInPreOrder(visit);
}

void addPose(Bounds& bounds, const Mobilant& model) {
    const float* points = model.RenderPoints();
    for (std::int32_t i = 0; i < model.PointCount(); ++i)
        bounds.add(points[3 * i], points[3 * i + 1]);
    forEachBone(model, [&](const meshBone& bone) {
        bounds.add(bone.getWorldStartPt().x, bone.getWorldStartPt().y);
        bounds.add(bone.getWorldEndPt().x, bone.getWorldEndPt().y);
    });
}

// Frame `index` of `count` is visible from index/count to (index + 1)/count of the loop.
void appendVisibility(std::string& out, std::size_t index, std::size_t count) {
    if (count <= 1) return;
    const auto at = [&](std::size_t i) { return number(static_cast<double>(i) / count); };
    std::string values;
    std::string times;
    if (index == 0) {
        values = "visible;hidden";
        times = "0;" + at(1);
    } else if (index + 1 == count) {
        values = "hidden;visible";
        times = "0;" + at(index);
    } else {
        values = "hidden;visible;hidden";
        times = "0;" + at(index) + ";" + at(index + 1);
    }
    out += "<animate attributeName=\"visibility\" calcMode=\"discrete\" values=\"" + values +
           "\" keyTimes=\"" + times + "\" dur=\"" + number(static_cast<double>(count) / 30.0) +
           "s\" repeatCount=\"indefinite\"/>\n";
}

void appendPose(std::string& out, const Mobilant& model, const Grid& grid) {
    const float* points = model.RenderPoints();
    const std::int32_t* indices = model.Indices();
    const auto& regions = model.Composition()->getRegions();
    for (std::size_t k = 0; k < regions.size(); ++k) {
        const meshRenderRegion& region = *regions[k];
        const std::int32_t triangles = region.numIndices() / 3;
        if (triangles <= 0) continue;
        out += "<path class=\"r" + std::to_string(k) + "\"";
        const float opacity = region.getOpacity();
        if (opacity < 100.0f)
            out += " opacity=\"" + number(std::clamp(opacity, 0.0f, 100.0f) / 100.0) + "\"";
        out += " d=\"";
        for (std::int32_t t = 0; t < triangles; ++t) {
            const std::int32_t* corner = indices + region.getStartIndex() + 3 * t;
            std::int64_t x = grid.snap(points[3 * corner[0]]);
            std::int64_t y = grid.snap(-points[3 * corner[0] + 1]);
            out += 'M';
            grid.append(out, x);
            grid.append(out, y);
            out += 'l';
            for (int c = 1; c < 3; ++c) {
                const std::int64_t nextX = grid.snap(points[3 * corner[c]]);
                const std::int64_t nextY = grid.snap(-points[3 * corner[c] + 1]);
                grid.append(out, nextX - x);
                grid.append(out, nextY - y);
                x = nextX;
                y = nextY;
            }
            out += 'z';
        }
        out += "\"/>\n";
    }
    out += "<path class=\"b\" d=\"";
    forEachBone(model, [&](const meshBone& bone) {
        const std::int64_t x = grid.snap(bone.getWorldStartPt().x);
        const std::int64_t y = grid.snap(-bone.getWorldStartPt().y);
        out += 'M';
        grid.append(out, x);
        grid.append(out, y);
        out += 'l';
        grid.append(out, grid.snap(bone.getWorldEndPt().x) - x);
        grid.append(out, grid.snap(-bone.getWorldEndPt().y) - y);
    });
    out += "\"/>\n";
}

}  // namespace

ClipSvg clipSvg(MobilantManager& manager, std::string_view clipName, std::string_view title,
                std::optional<float> still) {
    ClipSvg svg;
    const auto found = manager.Clips().find(clipName);
    if (found == manager.Clips().end() || manager.Model() == nullptr) return svg;
    const MobilantAnimation& clip = *found->second;
    const Mobilant& model = *manager.Model();

    std::vector<float> times;
    if (still) {
        times.push_back(*still);
    } else {
        const auto start = static_cast<std::int64_t>(clip.StartTime());
        const auto end = static_cast<std::int64_t>(clip.EndTime());
        const auto count = static_cast<std::size_t>(end - start + 1);
        svg.skipped = count > kMaxSvgFrames ? count - kMaxSvgFrames : 0;
        for (std::size_t i = 0; i < count - svg.skipped; ++i)
            times.push_back(static_cast<float>(start + static_cast<std::int64_t>(i)));
    }
    manager.SelectClip(clipName, false);
    manager.SetPlaying(true);
    manager.SetAutoBlend(false);

    // First pass: the extent of every frame, for one view of them all.
    Bounds bounds;
    for (const float time : times) {
        poseAt(manager, time);
        addPose(bounds, model);
    }
    if (bounds.empty()) bounds.add(0.0, 0.0);
    double extent = std::max(bounds.maxX - bounds.minX, bounds.maxY - bounds.minY);
    if (!(extent > 0.0)) extent = 1.0;
    const double margin = 0.05 * extent;
    const double left = bounds.minX - margin;
    const double top = bounds.minY - margin;
    const double width = bounds.maxX - bounds.minX + 2 * margin;
    const double height = bounds.maxY - bounds.minY + 2 * margin;
    const double size = std::max(width, height);
    const Grid grid(decimalsFor(extent));

    std::string& out = svg.text;
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"" + number(left) + " " +
           number(top) + " " + number(width) + " " + number(height) + "\" width=\"" +
           number(std::round(kPixels * width / size)) + "\" height=\"" +
           number(std::round(kPixels * height / size)) + "\">\n";
    out += "<title>" + escaped(title) + "</title>\n<style>\n";
    out += "path{stroke-width:" + number(extent / 600.0) +
           ";stroke-linejoin:round}\n.b{fill:none;stroke:#1b1b1b;stroke-width:" +
           number(extent / 150.0) + ";stroke-linecap:round;opacity:.8}\n";
    out += "text{font:" + number(extent / 30.0) + "px sans-serif;fill:#444}\n";
    const auto& regions = model.Composition()->getRegions();
    for (std::size_t k = 0; k < regions.size(); ++k) {
        const std::string hue = number(std::fmod(static_cast<double>(k) * 137.508, 360.0));
        out += ".r" + std::to_string(k) + "{fill:hsl(" + hue + ",55%,72%);stroke:hsl(" + hue +
               ",40%,35%)}\n";
    }
    out += "</style>\n<rect x=\"" + number(left) + "\" y=\"" + number(top) + "\" width=\"" +
           number(width) + "\" height=\"" + number(height) + "\" fill=\"#f7f7f2\"/>\n";

    // Second pass: one group per frame, shown in turn.
    const std::string label = escaped(clipName) + " ";
    for (std::size_t i = 0; i < times.size(); ++i) {
        poseAt(manager, times[i]);
        out += times.size() > 1 && i > 0 ? "<g visibility=\"hidden\">\n" : "<g>\n";
        appendVisibility(out, i, times.size());
        appendPose(out, model, grid);
        out += "<text x=\"" + number(left + margin / 2) + "\" y=\"" +
               number(top + margin / 2 + extent / 30.0) + "\">" + label +
               number(manager.RunTime()) + "</text>\n</g>\n";
    }
    out += "</svg>\n";
    svg.frames = times.size();
    return svg;
}
