#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "JsonDocument.h"
#include "JsonValue.h"
#include "meshRenderBoneComposition.h"

namespace MobilantModule {

// One loaded model: the mesh arrays read from a model document, the arrays posing writes every
// frame, the bone composition (skeleton and render regions) and the names of the document's
// clips. It poses nothing itself: the animation manager writes the render points and drives
// the composition, and the renderer draws from the arrays.
//
// Per point: rest points and render points hold x, y, z (three floats), UVs u, v (two floats),
// colours red, green, blue, alpha (four bytes); indices are three per triangle. Regions refer
// into the indices, rest points and UVs, which live as long as the model.
//
// Construction is safe from any document. It runs ValidateMobilantModel first; a document
// that does not pass (a null root, after a failed parse or a refused load, included) builds
// the empty model: no points, indices, bones, regions or clip names, null arrays, and an empty
// composition (no root bone, empty maps), which posing and drawing pass over. Nothing refers
// into the document afterwards.
class Mobilant {
public:
    explicit Mobilant(const JsonDocument& document);
    explicit Mobilant(JsonValue root);
    virtual ~Mobilant();

    Mobilant(const Mobilant&) = delete;
    Mobilant& operator=(const Mobilant&) = delete;

    // The posed points; before the first pose they hold the rest points with z = 1, as
    // skinning writes them.
    float* RenderPoints() { return renderPoints.data(); }
    const float* RenderPoints() const { return renderPoints.data(); }
    std::int32_t PointCount() const { return pointCount; }
    std::int32_t IndexCount() const { return indexCount; }
    const std::int32_t* Indices() const { return indices.data(); }
    const float* RestPoints() const { return restPoints.data(); }
    // The UVs; a region's UV warp rewrites its own.
    float* Uvs() { return uvs.data(); }
    const float* Uvs() const { return uvs.data(); }
    std::uint8_t* RenderColours() { return renderColours.data(); }
    const std::uint8_t* RenderColours() const { return renderColours.data(); }
    meshRenderBoneComposition* Composition() { return composition.get(); }
    const meshRenderBoneComposition* Composition() const { return composition.get(); }
    // The member keys of "animation", in document order.
    const std::vector<std::string>& ClipNames() const { return clipNames; }

    // Every point's colour := (red, green, blue, alpha).
    void SetAllColours(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha);

private:
    void build(JsonValue root);

    std::vector<std::int32_t> indices;
    std::vector<float> restPoints;
    std::vector<float> uvs;
    std::vector<float> renderPoints;
    std::vector<std::uint8_t> renderColours;
    std::int32_t pointCount = 0;
    std::int32_t indexCount = 0;
    // Declared after the arrays its regions refer to, so it goes first.
    std::unique_ptr<meshRenderBoneComposition> composition;
    std::vector<std::string> clipNames;
};

}  // namespace MobilantModule
