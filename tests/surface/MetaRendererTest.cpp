// The renderer's side of the meta data: the skin swap's index list and the index buffer that
// follows it, the morph branch of Update, the control point, and the swapped character in
// pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "AnimationSurface.h"
#include "Direct3DDevice.h"
#include "MessageBoxes.h"
#include "MobilantMetaData.h"
#include "MobilantPool.h"
#include "ReferenceRaster.h"
#include "Renderer.h"
#include "ResourcePools.h"
#include "SceneDevice.h"
#include "SurfaceModels.h"
#include "TexturePool.h"
#include "meshRenderRegion.h"
#include "meshSkinning.h"

namespace {

using MobilantRenderer::Renderer;

#if !defined(_WIN32)  // the call log is the software device's

// Three unit squares side by side, each a region of its own with four points and two
// triangles, in this model order: "left" (x 0..1, points 0..3), "middle" (1..2, points 4..7),
// "right" (2..3, points 8..11). With `overlapping`, "right" claims index entries 6..17, over
// middle's 6..11.
std::string threeSquares(bool overlapping = false) {
    std::string text = R"({"mesh": {
      "points": [0, 0, 1, 0, 1, 1, 0, 1,  1, 0, 2, 0, 2, 1, 1, 1,  2, 0, 3, 0, 3, 1, 2, 1],
      "uvs": [0, 0, 1, 0, 1, 1, 0, 1,  0, 0, 1, 0, 1, 1, 0, 1,  0, 0, 1, 0, 1, 1, 0, 1],
      "indices": [0, 1, 2, 0, 2, 3,  4, 5, 6, 4, 6, 7,  8, 9, 10, 8, 10, 11],
      "regions": {
        "left": {"id": 0, "start_pt_index": 0, "end_pt_index": 3, "start_index": 0,
                 "end_index": 5, "weights": {"root": [1, 1, 1, 1]}},
        "middle": {"id": 1, "start_pt_index": 4, "end_pt_index": 7, "start_index": 6,
                   "end_index": 11, "weights": {"root": [1, 1, 1, 1]}},
        "right": {"id": 2, "start_pt_index": 8, "end_pt_index": 11, "start_index": 12,
                  "end_index": 17, "weights": {"root": [1, 1, 1, 1]}}}},
      "skeleton": {"root": {"id": 0,
          "restParentMat": [1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1],
          "localRestStartPt": [0, 0], "localRestEndPt": [1, 0], "children": []}},
      "animation": {"default": {"bones": {"0": {"root": {"start_pt": [0, 0], "end_pt": [1, 0]}}},
                                "meshes": {}, "uv_swaps": {}}}})";
    if (overlapping) text.replace(text.find("\"start_index\": 12"), 17, "\"start_index\": 6");
    return text;
}

const std::vector<std::int32_t> kLeft = {0, 1, 2, 0, 2, 3};
const std::vector<std::int32_t> kMiddle = {4, 5, 6, 4, 6, 7};
const std::vector<std::int32_t> kRight = {8, 9, 10, 8, 10, 11};

std::vector<std::int32_t> joined(std::initializer_list<std::vector<std::int32_t>> parts) {
    std::vector<std::int32_t> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// A meta-data file of skin swaps, each given as its list of region names.
std::string swapFile(const std::vector<std::pair<std::string, std::vector<std::string>>>& swaps) {
    std::string text = "{\"skinSwapList\": {";
    for (std::size_t i = 0; i < swaps.size(); ++i) {
        text += (i > 0 ? ", \"" : "\"") + swaps[i].first + "\": {\"swap\": {\"swap_items\": [";
        for (std::size_t k = 0; k < swaps[i].second.size(); ++k)
            text += (k > 0 ? ", \"" : "\"") + swaps[i].second[k] + "\"";
        text += "]}}";
    }
    return text + "}}";
}

std::string narrowName(const TempFile& file) {
    return file.path.string();
}

class MetaRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxDialogs(false);
        ClearShownMessageBoxes();
        device = SoftwareDevice::Create(64, 64, D3DFMT_A8R8G8B8);
        ASSERT_NE(device, nullptr);
        d3dDevice = device;
        ApplyModelDeviceStates(device);
    }

    void TearDown() override {
        ReleaseAllPool();
        d3dDevice = nullptr;
        if (device != nullptr) {
            EXPECT_EQ(device->LiveObjects(), 0u);
            device->Release();
        }
    }

    IDirect3DTexture9** textureInSlot(int id) {
        IDirect3DTexture9** slot = TexturePool::Slot(id);
        EXPECT_EQ(device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, slot, nullptr),
                  D3D_OK);
        return slot;
    }

    int countCalls(const std::string& prefix) const {
        return static_cast<int>(std::count_if(
            device->CallLog().begin(), device->CallLog().end(),
            [&](const DeviceCall& call) { return call.call.rfind(prefix, 0) == 0; }));
    }

    // One Update, then one Draw: the index entries the draw used, read back from the index
    // buffer it bound (as many as its triangles need), and whether that was the model's own.
    struct Drawn {
        std::vector<std::int32_t> indices;
        bool modelBuffer = false;
        int created = 0;  // index buffers made by the Update
    };
    Drawn updateAndDraw(Renderer& renderer, IDirect3DIndexBuffer9* modelBuffer) {
        device->ClearCallLog();
        renderer.Update(0.0f);
        Drawn drawn;
        drawn.created = countCalls("CreateIndexBuffer");
        device->BeginScene();
        device->ClearCallLog();
        D3DMATRIX m{};
        m._11 = m._22 = m._33 = m._44 = 1;
        renderer.Draw(&m);
        device->EndScene();
        unsigned triangles = 0;
        for (const DeviceCall& call : device->CallLog()) {
            if (call.call.rfind("DrawIndexedPrimitive", 0) == 0)
                triangles = static_cast<unsigned>(
                    std::stoul(call.call.substr(call.call.rfind(", ") + 2)));
        }
        IDirect3DIndexBuffer9* bound = nullptr;
        if (triangles == 0 || device->GetIndices(&bound) != D3D_OK || bound == nullptr)
            return drawn;
        drawn.modelBuffer = bound == modelBuffer;
        drawn.indices.resize(3 * triangles);
        void* data = nullptr;
        const UINT bytes = 12 * triangles;
        if (bound->Lock(0, bytes, &data, 0) == D3D_OK) {
            std::memcpy(drawn.indices.data(), data, bytes);
            bound->Unlock();
        }
        bound->Release();
        return drawn;
    }

    // The model's index buffer, as the first draw binds it.
    IDirect3DIndexBuffer9* modelIndexBuffer(Renderer& renderer) {
        device->BeginScene();
        D3DMATRIX m{};
        m._11 = m._22 = m._33 = m._44 = 1;
        renderer.Draw(&m);
        device->EndScene();
        IDirect3DIndexBuffer9* bound = nullptr;
        EXPECT_EQ(device->GetIndices(&bound), D3D_OK);
        if (bound != nullptr) bound->Release();  // the renderer keeps its own reference
        return bound;
    }

    SoftwareDevice* device = nullptr;
};

// The swap's list is drawn from a buffer that holds exactly that list: made on the first
// Update after a selection and again whenever the list written changes (another meta file);
// a swap naming no region, or none selected, draws the model's own list.
TEST_F(MetaRendererTest, TheSwapIndexBufferFollowsTheList) {
    const auto document = parsedModel(threeSquares());
    Renderer renderer(*document);
    renderer.SetTexture(textureInSlot(0));
    IDirect3DIndexBuffer9* const meshBuffer = modelIndexBuffer(renderer);
    const std::vector<std::int32_t> all = joined({kLeft, kMiddle, kRight});

    // Without meta data a selected swap changes nothing.
    renderer.SetSkinSwap("lr");
    Drawn drawn = updateAndDraw(renderer, meshBuffer);
    EXPECT_TRUE(drawn.modelBuffer);
    EXPECT_EQ(drawn.indices, all);

    const TempFile first("first.meta.json",
                         swapFile({{"lr", {"right", "left"}}, {"m", {"middle"}}, {"none", {"x"}}}));
    renderer.LoadMetaFile(narrowName(first));
    drawn = updateAndDraw(renderer, meshBuffer);
    EXPECT_EQ(drawn.created, 1);
    EXPECT_FALSE(drawn.modelBuffer);
    EXPECT_EQ(drawn.indices, joined({kLeft, kRight}));  // model order, not the file's
    EXPECT_EQ(renderer.DrawIndices(), joined({kLeft, kRight}));
    drawn = updateAndDraw(renderer, meshBuffer);
    EXPECT_EQ(drawn.created, 0);  // the same list: the buffer stays
    EXPECT_EQ(drawn.indices, joined({kLeft, kRight}));

    // An unknown name keeps the list on screen.
    renderer.SetSkinSwap("unknown");
    EXPECT_EQ(updateAndDraw(renderer, meshBuffer).indices, joined({kLeft, kRight}));
    renderer.SetSkinSwap("lr");
    updateAndDraw(renderer, meshBuffer);

    // A new meta file whose "lr" is longer: the buffer goes up anew, not the older, shorter one.
    const TempFile second("second.meta.json",
                          swapFile({{"lr", {"left", "middle", "right"}}, {"none", {}}}));
    renderer.LoadMetaFile(narrowName(second));
    drawn = updateAndDraw(renderer, meshBuffer);
    EXPECT_EQ(drawn.created, 1);
    EXPECT_FALSE(drawn.modelBuffer);
    EXPECT_EQ(drawn.indices, all);

    // A swap of no region of the model, or no swap, draws the whole mesh with its own buffer.
    renderer.SetSkinSwap("none");
    drawn = updateAndDraw(renderer, meshBuffer);
    EXPECT_TRUE(drawn.modelBuffer);
    EXPECT_EQ(drawn.indices, all);
    renderer.SetSkinSwap("lr");
    EXPECT_FALSE(updateAndDraw(renderer, meshBuffer).modelBuffer);
    renderer.SetSkinSwap("");
    drawn = updateAndDraw(renderer, meshBuffer);
    EXPECT_TRUE(drawn.modelBuffer);
    EXPECT_EQ(drawn.indices, all);
    EXPECT_TRUE(ShownMessageBoxes().empty());

    // A file that cannot be read gives meta data without swaps: the list drawn before stays.
    renderer.SetSkinSwap("lr");
    renderer.LoadMetaFile(narrowName(second) + ".missing");
    EXPECT_EQ(updateAndDraw(renderer, meshBuffer).indices, all);
}

// When the swap's index buffer cannot be made, the model's own list is drawn (and hit-tested)
// instead of nothing; the next list that changes tries again.
TEST_F(MetaRendererTest, AFailedSwapBufferDrawsTheModelsList) {
    const auto document = parsedModel(threeSquares());
    Renderer renderer(*document);
    renderer.SetTexture(textureInSlot(0));
    IDirect3DIndexBuffer9* const meshBuffer = modelIndexBuffer(renderer);
    const TempFile file("swaps.meta.json",
                        swapFile({{"lr", {"left", "right"}}, {"m", {"middle"}}}));
    renderer.LoadMetaFile(narrowName(file));
    renderer.SetSkinSwap("m");
    device->FailCreateCalls(CreateCall::IndexBuffer, E_OUTOFMEMORY);
    Drawn drawn = updateAndDraw(renderer, meshBuffer);
    ASSERT_EQ(ShownMessageBoxes().size(), 1u);
    EXPECT_EQ(ShownMessageBoxes()[0].text, L"E_OUTOFMEMORY");
    EXPECT_TRUE(drawn.modelBuffer);
    EXPECT_EQ(drawn.indices, joined({kLeft, kMiddle, kRight}));
    EXPECT_EQ(renderer.HitTestPolygons(0.5f, 0.25f), 1);  // in "left", drawn after all

    renderer.SetSkinSwap("lr");
    drawn = updateAndDraw(renderer, meshBuffer);
    EXPECT_EQ(drawn.created, 1);
    EXPECT_EQ(drawn.indices, joined({kLeft, kRight}));
    EXPECT_EQ(renderer.HitTestPolygons(1.5f, 0.25f), 0);  // "middle" is not drawn
    EXPECT_EQ(renderer.HitTestPolygons(2.5f, 0.25f), 1);
    ClearShownMessageBoxes();
}

// Regions that overlap add up to more entries than the model has: such a swap is refused and
// the list drawn before stays; nothing is written past the renderer's list.
TEST_F(MetaRendererTest, ASwapOverOverlappingRegionsIsRefused) {
    const auto document = parsedModel(threeSquares(true));
    Renderer renderer(*document);
    renderer.SetTexture(textureInSlot(0));
    IDirect3DIndexBuffer9* const meshBuffer = modelIndexBuffer(renderer);
    const TempFile file("overlap.meta.json",
                        swapFile({{"lm", {"left", "middle"}}, {"all", {"right", "middle", "left"}}}));
    renderer.LoadMetaFile(narrowName(file));
    renderer.SetSkinSwap("lm");
    EXPECT_EQ(updateAndDraw(renderer, meshBuffer).indices, joined({kLeft, kMiddle}));
    renderer.SetSkinSwap("all");  // 6 + 6 + 12 entries of a model of 18
    EXPECT_EQ(updateAndDraw(renderer, meshBuffer).indices, joined({kLeft, kMiddle}));
    EXPECT_EQ(renderer.DrawIndices(), joined({kLeft, kMiddle}));
}

// The character's morph clips are not loaded with the model: morphing on shows the box once per
// attempt and goes off again (the buffers keep that loop's contents); with the clips loaded it
// works, and the morph blend is what gets drawn.
TEST_F(MetaRendererTest, AMissingMorphClipSwitchesMorphingOffUntilItIsLoaded) {
    LoadMobilantPool(0, wideSamplePath("character.json").c_str());
    const MobilantModule::JsonDocument& document = *MobilantPool::Document(0);
    Renderer renderer(document);
    renderer.LoadMetaFile(samplePath("character.meta.json"));
    ASSERT_NE(renderer.MetaData(), nullptr);
    ASSERT_EQ(renderer.MetaData()->WeightImages().size(), 4u);

    for (int attempt = 1; attempt <= 2; ++attempt) {
        renderer.SetMorphTargetFlg(true);
        device->ClearCallLog();
        renderer.Update(0.01f);
        ASSERT_EQ(ShownMessageBoxes().size(), static_cast<std::size_t>(attempt));
        EXPECT_EQ(ShownMessageBoxes().back().caption, L"mobilant animation ext");
        EXPECT_EQ(ShownMessageBoxes().back().text,
                  L"morphing animation is not initialized [lean_right]");
        EXPECT_FALSE(renderer.MorphOn());
        EXPECT_EQ(countCalls("VertexBuffer"), 0) << "no buffer is refilled that loop";
        // Ordinary posing from the next loop on, without a box.
        device->ClearCallLog();
        renderer.Update(0.01f);
        EXPECT_EQ(ShownMessageBoxes().size(), static_cast<std::size_t>(attempt));
        EXPECT_EQ(countCalls("VertexBuffer"), 6);
    }

    for (const char* clip : {"lean_centre", "lean_right", "lean_left", "lean_up", "lean_down"})
        renderer.InitAnimation(document, clip);
    renderer.SetMorphTargetFlg(true);
    const float base[3] = {0.0f, 0.0f, 0.0f};
    renderer.SetMorphTargetPos(base, base, 1.0f, 0);  // the centre: the centre clip alone
    renderer.Update(0.01f);
    EXPECT_TRUE(renderer.MorphOn());
    EXPECT_EQ(ShownMessageBoxes().size(), 2u);
    // The centre clip at its own time (0.3 frames in), posed apart for comparison.
    const MobilantModule::Mobilant& model = renderer.Model();
    const float time = renderer.MetaData()->CenterClipTime();
    EXPECT_NEAR(time, 0.3f, 1e-6f);
    std::vector<float> centre(model.RestPoints(), model.RestPoints() + 3 * model.PointCount());
    ASSERT_TRUE(renderer.Manager().PoseMobilant("lean_centre", centre.data(), time));
    for (std::int32_t k = 0; k < model.PointCount(); ++k) {
        ASSERT_NEAR(model.RenderPoints()[3 * k], centre[3 * k], 1e-5f) << k;
        ASSERT_NEAR(model.RenderPoints()[3 * k + 1], centre[3 * k + 1], 1e-5f) << k;
        ASSERT_EQ(model.RenderPoints()[3 * k + 2], 0.0f) << k;
    }
    ClearShownMessageBoxes();
}

// After the game blended walking into waving (SetAnimationBlending), the morph frame draws
// (1 - d) C + sum of w_i d T_i of the leaning clips, each posed at its own time, and leaves the
// game's blend where it was.
TEST_F(MetaRendererTest, MorphingAfterBlendingDrawsTheClosedFormula) {
    LoadMobilantPool(0, wideSamplePath("character.json").c_str());
    const MobilantModule::JsonDocument& document = *MobilantPool::Document(0);
    Renderer renderer(document);
    const char* const leaning[] = {"lean_centre", "lean_right", "lean_left", "lean_up",
                                   "lean_down"};
    for (const char* clip : {"walk", "wave"})
        renderer.InitAnimation(document, clip);
    for (const char* clip : leaning)
        renderer.InitAnimation(document, clip);
    renderer.PlayAnimation("walk");
    renderer.SetAnimationBlending("wave", 0.1f);
    renderer.Update(0.01f);
    renderer.Update(0.01f);
    MobilantModule::MobilantManager& manager = renderer.Manager();
    ASSERT_TRUE(manager.BlendMode());
    const float blendFactor = manager.BlendFactor();
    EXPECT_GT(blendFactor, 0.0f);
    const float walkTime = manager.BlendTime("walk");
    const float waveTime = manager.BlendTime("wave");

    renderer.LoadMetaFile(samplePath("character.meta.json"));
    // 0.6 right of the base and 0.3 above it: grid (0.8 * 32, 0.35 * 32) = (25.6, 11.2).
    const float base[3] = {0.0f, 0.0f, 0.0f};
    const float target[3] = {0.6f, 0.3f, 0.0f};
    renderer.SetMorphTargetPos(target, base, 1.0f, 0);
    const MobilantModule::MobilantMetaData& meta = *renderer.MetaData();
    ASSERT_NEAR(meta.MorphPoint().x, 25.6f, 1e-4f);
    ASSERT_NEAR(meta.MorphPoint().y, 11.2f, 1e-4f);
    const std::vector<float> w = meta.MorphWeights();  // right, left, up, down
    ASSERT_EQ(w.size(), 4u);
    EXPECT_GT(w[0], 0.0f);
    EXPECT_EQ(w[1], 0.0f);
    EXPECT_GT(w[2], 0.0f);
    EXPECT_EQ(w[3], 0.0f);
    // half = 16, s = 16.5.
    const double d = std::hypot(9.6, -4.8) / 16.5;

    renderer.SetMorphTargetFlg(true);
    for (int frame = 0; frame < 3; ++frame)
        renderer.Update(0.01f);
    ASSERT_TRUE(renderer.MorphOn());
    EXPECT_TRUE(ShownMessageBoxes().empty());
    // Each clip 0.3 frames a loop from its start, 0; the blend as the game left it.
    EXPECT_NEAR(meta.CenterClipTime(), 0.9f, 1e-5f);
    ASSERT_EQ(meta.MorphClips().size(), 4u);
    for (const auto& clip : meta.MorphClips())
        EXPECT_NEAR(clip.time, 0.9f, 1e-5f) << clip.name;
    EXPECT_TRUE(manager.BlendMode());
    EXPECT_EQ(manager.BlendFactor(), blendFactor);
    EXPECT_EQ(manager.BlendTime("walk"), walkTime);
    EXPECT_EQ(manager.BlendTime("wave"), waveTime);
    EXPECT_EQ(manager.ActiveClipName(), "lean_down");

    const MobilantModule::Mobilant& model = renderer.Model();
    const std::size_t floats = 3 * static_cast<std::size_t>(model.PointCount());
    const std::vector<float> drawn(model.RenderPoints(), model.RenderPoints() + floats);
    std::vector<std::vector<float>> poses;
    for (const char* clip : leaning) {
        std::vector<float> pose(model.RestPoints(), model.RestPoints() + floats);
        manager.ApplyClipSwitches(clip);
        EXPECT_TRUE(manager.PoseMobilant(clip, pose.data(), 0.9f)) << clip;
        poses.push_back(std::move(pose));
    }
    for (std::size_t k = 0; k < floats; k += 3) {
        for (std::size_t axis = 0; axis < 2; ++axis) {
            double expected = (1.0 - d) * poses[0][k + axis];
            for (std::size_t i = 0; i < 4; ++i)
                expected += w[i] * d * poses[i + 1][k + axis];
            ASSERT_NEAR(drawn[k + axis], expected, 1e-5) << "point " << k / 3 << " axis " << axis;
        }
        ASSERT_EQ(drawn[k + 2], 0.0f);
    }
}

// The control point is the target minus the base with y negated (grid y runs down), y from
// element 2 with useZ; without weight images nothing happens, and morphing on leaves ordinary
// posing in place.
TEST_F(MetaRendererTest, SetMorphTargetPosPlacesTheControlPoint) {
    LoadMobilantPool(0, wideSamplePath("character.json").c_str());
    Renderer renderer(*MobilantPool::Document(0));
    const float origin[3] = {0, 0, 0};
    renderer.SetMorphTargetPos(origin, origin, 1.0f, 0);  // no meta data yet: nothing
    renderer.LoadMetaFile(samplePath("character.meta.json"));
    const MobilantModule::MobilantMetaData& meta = *renderer.MetaData();
    struct Case {
        float target[3];
        std::uint8_t useZ;
        float gx, gy;
    };
    const Case cases[] = {
        {{1, 0, 0}, 0, 32, 16},   // right
        {{-1, 0, 0}, 0, 0, 16},   // left
        {{0, 1, 0}, 0, 16, 0},    // above: the top row
        {{0, -1, 5}, 0, 16, 32},  // below
        {{0, 0, 1}, 1, 16, 0},    // y from element 2
        {{0, 7, -1}, 1, 16, 32},
    };
    for (const Case& c : cases) {
        renderer.SetMorphTargetPos(c.target, origin, 1.0f, c.useZ);
        EXPECT_NEAR(meta.MorphPoint().x, c.gx, 1e-4f) << c.target[0] << ", " << c.target[1];
        EXPECT_NEAR(meta.MorphPoint().y, c.gy, 1e-4f) << c.target[0] << ", " << c.target[1];
    }
    renderer.SetMorphTargetPos(nullptr, origin, 1.0f, 0);
    EXPECT_NEAR(meta.MorphPoint().y, 32, 1e-4f);

    const TempFile swapsOnly("swaps.meta.json", swapFile({{"all", {"torso"}}}));
    renderer.LoadMetaFile(narrowName(swapsOnly));
    renderer.SetMorphTargetPos(cases[0].target, origin, 1.0f, 0);
    renderer.SetMorphTargetFlg(true);
    renderer.Update(0.01f);
    EXPECT_TRUE(ShownMessageBoxes().empty());
    EXPECT_EQ(renderer.Model().RenderPoints()[2], 1.0f);  // posed by the manager (z 1)
}

// Through the animation surface, pixels to the right of the base and above it: the control
// point goes right and up on the grid, whatever the view's scale.
TEST_F(MetaRendererTest, ControlPointsFromSurfacePixels) {
    LoadMobilantPool(0, wideSamplePath("character.json").c_str());
    AnimationSurface surface;
    surface.SetSurfaceSize(128, 256);
    surface.SetMobilantData(0);
    surface.UpdateViewMatrix(-1.6f, 1.6f, -2.9f, 3.5f);
    surface.LoadMetaFile(wideSamplePath("character.meta.json").c_str());
    const MobilantModule::MobilantMetaData& meta = *surface.GetRenderer()->MetaData();
    surface.setMorphTargetPos(64, 128, 84, 128);  // 20 pixels right: 0.5 model units
    EXPECT_NEAR(meta.MorphPoint().x, 24.0f, 1e-3f);
    EXPECT_NEAR(meta.MorphPoint().y, 16.0f, 1e-3f);
    surface.setMorphTargetPos(64, 128, 64, 0);  // far above: cut to the top row
    EXPECT_NEAR(meta.MorphPoint().x, 16.0f, 1e-3f);
    EXPECT_NEAR(meta.MorphPoint().y, 0.0f, 1e-3f);
}

// A game loop with a skin swap selected and morphing on allocates nothing once running.
TEST_F(MetaRendererTest, SwappedAndMorphingLoopsAllocateNothing) {
    if (!allocationsCounted()) GTEST_SKIP() << "allocations are not counted in sanitizer builds";
    LoadMobilantPool(0, wideSamplePath("character.json").c_str());
    LoadTexturePool(0, wideSamplePath("character.png").c_str());
    AnimationSurface surface;
    surface.SetSurfaceSize(64, 64);
    surface.SetMobilantData(0);
    surface.SetTexture(0);
    for (const wchar_t* clip :
         {L"lean_centre", L"lean_right", L"lean_left", L"lean_up", L"lean_down"})
        surface.InitAnimation(clip);
    surface.LoadMetaFile(wideSamplePath("character.meta.json").c_str());
    surface.SetSkinSwap(L"upper_body");
    surface.setMorphTargetFlg(1);
    surface.setMorphTargetPos(32, 32, 40, 20);
    device->SetCallLogging(false);
    device->BeginScene();
    surface.Handle();
    surface.Display();
    ASSERT_TRUE(surface.GetRenderer()->MorphOn());
    const std::size_t before = allocationCount();
    for (int frame = 0; frame < 100; ++frame) {
        surface.setMorphTargetPos(32, 32, 32 + frame % 20, 20);
        surface.Handle();
        surface.Display();
        surface.HitTestPolygons(32, 32);
    }
    EXPECT_EQ(allocationCount(), before);
    device->EndScene();
    EXPECT_TRUE(ShownMessageBoxes().empty());
}

#endif  // !_WIN32

// An opaque 1 x 1 texture as a TGA file: every covered pixel shows.
std::string opaqueTga() {
    std::string bytes(18, '\0');
    bytes[2] = 2;    // uncompressed true colour
    bytes[12] = 1;   // width
    bytes[14] = 1;   // height
    bytes[16] = 32;  // bits per pixel
    bytes[17] = 8;   // alpha bits
    return bytes + std::string("\xC0\xC0\xC0\xFF", 4);
}

// The character walking, drawn whole and with the swap "no_back_limbs": the swapped picture
// covers exactly the pixels of the regions the swap keeps (worked out by the test from the
// posed points and each region's triangles), and none of the pixels only the back arm and leg
// cover.
TEST(MetaScene, TheSwappedCharacterLacksTheHiddenRegions) {
    if (const char* why = SceneDevice::whyUnavailable()) GTEST_SKIP() << why;
    SetMessageBoxDialogs(false);
    ClearShownMessageBoxes();
    meshSkinning::setActivePath(meshSkinPath::plain);
    constexpr int kWidth = 128, kHeight = 256;
    const float view[4] = {-1.6f, 1.6f, -2.9f, 3.5f};
    SceneDevice device(kWidth, kHeight);
    ASSERT_NE(device.get(), nullptr);
    d3dDevice = device.get();
    const TempFile texture("opaque.tga", opaqueTga());
    LoadMobilantPool(0, wideSamplePath("character.json").c_str());
    LoadTexturePool(0, texture.wideName().c_str());
    {
        AnimationSurface surface;
        surface.SetSurfaceSize(kWidth, kHeight);
        surface.SetMobilantData(0);
        surface.SetTexture(0);
        surface.InitAnimation(L"walk");
        surface.PlayAnimation(L"walk");
        surface.SetAnimationSpeed(0.0f);
        surface.SetAnimationTime(7.5f);
        surface.LoadMetaFile(wideSamplePath("character.meta.json").c_str());
        surface.UpdateViewMatrix(view[0], view[1], view[2], view[3]);
        const auto draw = [&] {
            surface.Handle();
            device.begin();
            surface.Display();
            device.end();
            return device.pixels();
        };
        const std::vector<D3DCOLOR> whole = draw();
        surface.SetSkinSwap(L"no_back_limbs");
        const std::vector<D3DCOLOR> swapped = draw();
        ASSERT_EQ(swapped.size(), static_cast<std::size_t>(kWidth) * kHeight);
        ASSERT_TRUE(ShownMessageBoxes().empty());

        // The test's own triangles: each region's slice of the model's indices, by name.
        const MobilantModule::Mobilant& model = surface.GetRenderer()->Model();
        const PixelMapping mapping{view[0], view[1], view[2], view[3], kWidth, kHeight, false};
        std::vector<PixelTriangle> kept, back;
        for (const auto& region : model.Composition()->getRegions()) {
            const std::string& name = region->getName();
            const bool hidden = name == "arm_back_upper" || name == "arm_back_lower" ||
                                name == "leg_back_upper" || name == "leg_back_lower" ||
                                name == "foot_back";
            const auto triangles = pixelTriangles(
                mapping, model.RenderPoints(), model.Uvs(), model.RenderColours(),
                model.Indices() + region->getStartIndex(),
                static_cast<std::size_t>(region->numIndices()));
            (hidden ? back : kept).insert((hidden ? back : kept).end(), triangles.begin(),
                                          triangles.end());
        }
        const std::vector<int> expected = expectedCoverage(kept, kWidth, kHeight, 0.01);
        const std::vector<int> behind = expectedCoverage(back, kWidth, kHeight, 0.01);
        const std::vector<int> nearby = expectedCoverage(kept, kWidth, kHeight, 1.0);
        int decided = 0, agreeing = 0, backOnly = 0, backOnlyBlank = 0;
        for (std::size_t i = 0; i < swapped.size(); ++i) {
            const bool covered = (swapped[i] >> 24) != 0;
            if (expected[i] >= 0) {
                ++decided;
                if (covered == (expected[i] == 1)) ++agreeing;
            }
            // Covered only by the back limbs, well away from what the swap keeps.
            if (behind[i] == 1 && nearby[i] == 0) {
                ++backOnly;
                EXPECT_NE(whole[i] >> 24, 0u) << "pixel " << i % kWidth << ", " << i / kWidth;
                if (!covered) ++backOnlyBlank;
            }
        }
        EXPECT_GT(backOnly, 100);
#ifdef _WIN32
        // Wine's Direct3D rounds edges its own way: nearly every decided pixel agrees.
        EXPECT_GE(agreeing, decided - decided / 100);
        EXPECT_GE(backOnlyBlank, backOnly - backOnly / 100);
#else
        EXPECT_EQ(agreeing, decided);
        EXPECT_EQ(backOnlyBlank, backOnly);
#endif
    }
    ReleaseAllPool();
    d3dDevice = nullptr;
    meshSkinning::setActivePath(meshSkinning::bestPath());
}

}  // namespace
