// The animation surface without a device: views, sizes, box caches, the mapping between pixels
// and model space, and the hit tests, against values worked out by hand.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "AnimationSurface.h"
#include "Direct3DDevice.h"
#include "MessageBoxes.h"
#include "MobilantPool.h"
#include "Renderer.h"
#include "ResourcePools.h"
#include "SurfaceModels.h"

namespace {

using Box = std::array<float, 4>;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

class AnimationSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        d3dDevice = nullptr;
        SetMessageBoxDialogs(false);
        ClearShownMessageBoxes();
    }
    void TearDown() override { ReleaseAllPool(); }

    // Loads model `text` into pool slot `id` through a file, as the action does.
    static void loadModel(int id, const std::string& text) {
        const TempFile file("model.json", text);
        LoadMobilantPool(id, file.wideName().c_str());
    }

    // A surface of 80 x 60 pixels with the starting view (-4, 4, -3, 3): 10 pixels per unit,
    // model (0, 0) at pixel (40, 30).
    static void useSmallSurface(AnimationSurface& surface) { surface.SetSurfaceSize(80, 60); }
};

// The box (-1, 3, -1, 1) is wider than high: the height is widened to the width, around the
// origin. Ratio 1 gives the view (-1, 3, -2, 2), ratio 2 the view (-0.5, 1.5, -1, 1); seen on a
// 100 x 100 surface through the screen box.
TEST_F(AnimationSurfaceTest, FitSquaresTheViewAroundTheBox) {
    loadModel(0, flatModel({-1, -1, 3, -1, 3, 1, -1, 1}, {0, 1, 2, 0, 2, 3}));
    AnimationSurface surface;
    surface.SetSurfaceSize(100, 100);
    surface.SetMobilantData(0);
    ASSERT_TRUE(surface.ModelReady());
    EXPECT_EQ(surface.GetBoundingBox(), (Box{-1, 3, -1, 1}));

    surface.fitMatrixtoSurface(1.0f);
    // x: (x + 1) / 4 * 100; y: (2 - y) / 4 * 100.
    EXPECT_EQ(surface.GetScreenBox(), (Box{0, 100, 25, 75}));
    D3DXMATRIX expected;
    D3DXMatrixOrthoOffCenterLH(&expected, -1, 3, -2, 2, -1, 1);
    EXPECT_EQ(surface.ViewMatrix(), expected);

    surface.fitMatrixtoSurface(2.0f);
    // x: (x + 0.5) / 2 * 100; y: (1 - y) / 2 * 100.
    EXPECT_EQ(surface.GetScreenBox(), (Box{-25, 175, 0, 100}));
}

TEST_F(AnimationSurfaceTest, FitKeepsTheViewForBoxesAndRatiosThatGiveNone) {
    loadModel(0, flatModel({}, {}));                                   // no points: box 0, 0, 0, 0
    loadModel(1, flatModel({-1, 0, 3, 0, 1, 0}, {0, 1, 2}));          // no height
    loadModel(2, flatModel({0, -1, 0, 2, 0, 1}, {0, 1, 2}));          // no width
    loadModel(3, flatModel({-1, -1, 3, -1, 3, 1, -1, 1}, {0, 1, 2}));  // a good box
    AnimationSurface surface;
    const D3DXMATRIX start = surface.ViewMatrix();
    surface.fitMatrixtoSurface(1.0f);  // no model
    EXPECT_EQ(surface.ViewMatrix(), start);
    for (int id = 0; id < 3; ++id) {
        surface.SetMobilantData(id);
        ASSERT_EQ(surface.ModelId(), id);
        surface.fitMatrixtoSurface(1.0f);
        EXPECT_EQ(surface.ViewMatrix(), start) << "model " << id;
    }
    surface.SetMobilantData(3);
    for (const float ratio : {0.0f, -1.0f, kNaN, kInf}) {
        surface.fitMatrixtoSurface(ratio);
        EXPECT_EQ(surface.ViewMatrix(), start) << ratio;
    }
}

TEST_F(AnimationSurfaceTest, DegenerateViewsAndSizesAreIgnored) {
    AnimationSurface surface;
    D3DXMATRIX start;
    D3DXMatrixOrthoOffCenterLH(&start, -4, 4, -3, 3, -1, 1);
    EXPECT_EQ(surface.ViewMatrix(), start);
    const float bad[][4] = {{1, 1, -3, 3},       {-4, 4, 2, 2},          {kNaN, 4, -3, 3},
                            {-4, kInf, -3, 3},   {-4, 4, -kInf, 3},      {-4, 4, -3, kNaN},
                            {-3e38f, 3e38f, -3, 3}, {0, 1e-44f, -3, 3}};
    for (const auto& b : bad) {
        surface.UpdateViewMatrix(b[0], b[1], b[2], b[3]);
        EXPECT_EQ(surface.ViewMatrix(), start) << b[0] << " " << b[1] << " " << b[2] << " " << b[3];
    }

    surface.SetSurfaceSize(80, 60);
    for (const auto& [w, h] : std::initializer_list<std::pair<int, int>>{
             {0, 60}, {80, 0}, {-5, 60}, {16385, 60}, {80, 16385}}) {
        surface.SetSurfaceSize(w, h);
        EXPECT_EQ(surface.SurfaceWidth(), 80);
        EXPECT_EQ(surface.SurfaceHeight(), 60);
    }
    surface.SetSurfaceSize(16384, 1);
    EXPECT_EQ(surface.SurfaceWidth(), 16384);
    EXPECT_EQ(surface.SurfaceHeight(), 1);
}

// The unit square on the 80 x 60 surface: corner (0, 0) at pixel (40, 30), (1, 1) at (50, 20).
// Mirrored, x goes to 80 - x; with the view reversed, (4, -4, 3, -3), x to 40 - 10 x and y to
// 30 + 10 y. Left < right and top < bottom whichever way the corners turn.
TEST_F(AnimationSurfaceTest, ScreenBoxHoldsTheMappedCornersInOrder) {
    loadModel(0, squareModel());
    AnimationSurface surface;
    useSmallSurface(surface);
    EXPECT_EQ(surface.GetScreenBox(), (Box{40, 40, 30, 30}));  // no model: the origin
    surface.SetMobilantData(0);
    EXPECT_EQ(surface.GetScreenBox(), (Box{40, 50, 20, 30}));
    surface.SetMirrorY(1);
    EXPECT_EQ(surface.GetScreenBox(), (Box{30, 40, 20, 30}));
    surface.SetMirrorY(0);
    surface.UpdateViewMatrix(4, -4, 3, -3);
    EXPECT_EQ(surface.GetScreenBox(), (Box{30, 40, 30, 40}));
    surface.SetSurfaceSize(160, 120);
    EXPECT_EQ(surface.GetScreenBox(), (Box{60, 80, 60, 80}));
}

// The unit square's screen box is (40, 50, 20, 30): its border belongs to neither side.
TEST_F(AnimationSurfaceTest, BoxTestIsStrictAndCornersRunLeftToRightTopToBottom) {
    loadModel(0, squareModel());
    AnimationSurface surface;
    useSmallSurface(surface);
    EXPECT_EQ(surface.HitTestBoundingBox(40, 30), 0);  // no model: an empty box at the origin
    surface.SetMobilantData(0);
    using Corners = std::array<std::array<float, 2>, 4>;
    EXPECT_EQ(surface.GetScreenBoxCorners(), (Corners{{{40, 20}, {50, 20}, {40, 30}, {50, 30}}}));
    EXPECT_EQ(surface.HitTestBoundingBox(45, 25), 1);
    EXPECT_EQ(surface.HitTestBoundingBox(40.001f, 29.999f), 1);
    for (const auto& [x, y] : Corners{{{40, 25}, {50, 25}, {45, 20}, {45, 30}}})
        EXPECT_EQ(surface.HitTestBoundingBox(x, y), 0) << x << ", " << y;
    EXPECT_EQ(surface.HitTestBoundingBox(kNaN, 25), 0);
    surface.UpdateViewMatrix(4, -4, 3, -3);  // reversed: the box is (30, 40, 30, 40)
    EXPECT_EQ(surface.HitTestBoundingBox(35, 35), 1);
}

// In tiny at rest, model point (0.5, -0.4) lies in drawn triangle (2, 5, 4) though in none of the
// point triples (0, 1, 2), (3, 4, 5), (6, 7, 8); points on an edge, such as (0.5, 0) on the edge
// from point 2 to point 5, are outside.
TEST_F(AnimationSurfaceTest, HitTestWalksTheDrawnTriangles) {
    LoadMobilantPool(0, wideSamplePath("tiny.json").c_str());
    MobilantRenderer::Renderer renderer(*MobilantPool::Document(0));
    const float rest[] = {-1, -0.5f, -1, 0.5f, 0, -0.5f, 0, 0.5f, 1, -0.5f, 1, 0.5f, 0.5f, 0, 0.5f, 1};
    for (int p = 0; p < 8; ++p) {
        ASSERT_EQ(renderer.Model().RenderPoints()[3 * p], rest[2 * p]) << p;
        ASSERT_EQ(renderer.Model().RenderPoints()[3 * p + 1], rest[2 * p + 1]) << p;
    }
    EXPECT_EQ(renderer.HitTestPolygons(0.5f, -0.4f), 1);
    EXPECT_EQ(renderer.HitTestPolygons(0.5f, 0.0f), 0);
    EXPECT_EQ(renderer.HitTestPolygons(-1.0f, 0.0f), 0);  // on the outline
    EXPECT_EQ(renderer.HitTestPolygons(-0.9f, 0.0f), 1);
    EXPECT_EQ(renderer.HitTestPolygons(1.4f, 0.5f), 1);   // the hand
    EXPECT_EQ(renderer.HitTestPolygons(1.6f, 0.5f), 0);
}

// Both windings count; a degenerate triangle contains nothing.
TEST_F(AnimationSurfaceTest, HitTestTakesBothWindingsAndNoDegenerateTriangle) {
    const auto document = parsedModel(
        flatModel({0, 0, 1, 0, 0, 1, 3, 0, 4, 0, 3, 1, 6, 0, 7, 0, 8, 0}, {0, 1, 2, 3, 5, 4, 6, 7, 8}));
    MobilantRenderer::Renderer renderer(*document);
    EXPECT_EQ(renderer.HitTestPolygons(0.25f, 0.25f), 1);  // counter-clockwise
    EXPECT_EQ(renderer.HitTestPolygons(3.25f, 0.25f), 1);  // clockwise
    EXPECT_EQ(renderer.HitTestPolygons(7.0f, 0.0f), 0);    // on a triangle without area
    EXPECT_EQ(renderer.HitTestPolygons(0.5f, 0.5f), 0);    // on the long edge
    EXPECT_EQ(renderer.GetBoundingBox(), (Box{0, 8, 0, 1}));
}

// Each input of a box makes it stale; the model box follows the model.
TEST_F(AnimationSurfaceTest, BoxesFollowEveryChangeOfTheirInputs) {
    loadModel(0, squareModel());
    loadModel(1, flatModel({-2, -1, 2, -1, 0, 3}, {0, 1, 2}));
    AnimationSurface surface;
    useSmallSurface(surface);
    surface.SetMobilantData(0);
    EXPECT_EQ(surface.GetBoundingBox(), (Box{0, 1, 0, 1}));
    EXPECT_EQ(surface.GetScreenBox(), (Box{40, 50, 20, 30}));
    surface.UpdateViewMatrix(-8, 8, -6, 6);
    EXPECT_EQ(surface.GetScreenBox(), (Box{40, 45, 25, 30}));
    surface.SetMobilantData(1);
    EXPECT_EQ(surface.GetBoundingBox(), (Box{-2, 2, -1, 3}));
    EXPECT_EQ(surface.GetScreenBox(), (Box{30, 50, 15, 35}));
}

// The box of a posed model moves with the animation from one game loop to the next.
TEST_F(AnimationSurfaceTest, HandleMakesTheBoxesDescribeTheNewPose) {
    LoadMobilantPool(0, wideSamplePath("tiny.json").c_str());
    AnimationSurface surface;
    surface.SetMobilantData(0);
    surface.InitAnimation(L"bend");
    surface.PlayAnimation(L"bend");
    surface.SetAnimationSpeed(0.0f);
    surface.Handle();
    const Box atStart = surface.GetBoundingBox();
    const Box screenAtStart = surface.GetScreenBox();
    surface.SetAnimationTime(5.0f);
    EXPECT_EQ(surface.GetBoundingBox(), atStart);  // not posed until the next loop
    surface.Handle();
    EXPECT_NE(surface.GetBoundingBox(), atStart);
    EXPECT_NE(surface.GetScreenBox(), screenAtStart);
    EXPECT_EQ(surface.GetAnimationTime(), 5.0f);
}

TEST_F(AnimationSurfaceTest, ScreenToModelInvertsViewAndViewport) {
    AnimationSurface surface;
    useSmallSurface(surface);
    D3DXVECTOR3 point;
    ASSERT_TRUE(surface.ScreenToModel(40, 30, &point));
    EXPECT_FLOAT_EQ(point.x, 0.0f);
    EXPECT_FLOAT_EQ(point.y, 0.0f);
    ASSERT_TRUE(surface.ScreenToModel(55, 5, &point));
    EXPECT_FLOAT_EQ(point.x, 1.5f);
    EXPECT_FLOAT_EQ(point.y, 2.5f);
    EXPECT_FALSE(surface.ScreenToModel(55, 5, nullptr));
    const D3DXMATRIX viewport = AnimationSurface::ViewportMatrix(80, 60);
    EXPECT_EQ(viewport, D3DXMATRIX(40, 0, 0, 0, 0, -30, 0, 0, 0, 0, 1, 0, 40, 30, 0, 1));
}

// The square drawn on the 80 x 60 surface covers pixels 40..50 x 20..30; mirrored, 30..40.
// With the view (0, 8, -3, 3) it covers 0..10, mirrored 70..80: the mirror is undone after the
// view, not in model space, which would look for it a whole view width away.
TEST_F(AnimationSurfaceTest, HitTestAnswersForWhatIsDrawnWithTheMirrorOnAndOff) {
    loadModel(0, squareModel());
    AnimationSurface surface;
    useSmallSurface(surface);
    EXPECT_EQ(surface.HitTestPolygons(45, 25), 0);  // no model
    surface.SetMobilantData(0);
    EXPECT_EQ(surface.HitTestPolygons(45, 24), 1);
    EXPECT_EQ(surface.HitTestPolygons(35, 24), 0);
    surface.SetMirrorY(1);
    EXPECT_EQ(surface.HitTestPolygons(45, 24), 0);
    EXPECT_EQ(surface.HitTestPolygons(35, 24), 1);

    surface.UpdateViewMatrix(0, 8, -3, 3);
    EXPECT_EQ(surface.HitTestPolygons(75, 24), 1);
    EXPECT_EQ(surface.HitTestPolygons(5, 24), 0);
    surface.SetMirrorY(0);
    EXPECT_EQ(surface.HitTestPolygons(5, 24), 1);
    EXPECT_EQ(surface.HitTestPolygons(75, 24), 0);
    EXPECT_EQ(surface.HitTestPolygons(kNaN, 24), 0);
}

TEST_F(AnimationSurfaceTest, WithoutAModelOnlyTheStepViewAndSizeChange) {
    LoadMobilantPool(0, wideSamplePath("tiny.json").c_str());
    AnimationSurface surface;
    surface.SetTexture(0);  // before SetMobilantData: nothing
    EXPECT_EQ(surface.TextureId(), -1);
    surface.SetAnimationSpeed(0.5f);
    EXPECT_EQ(surface.TimeStep(), 0.5f);
    surface.SetMirrorY(1);
    surface.SetAnimationTime(3.0f);
    surface.PlayAnimation(L"bend");
    surface.Handle();
    surface.Display();
    EXPECT_EQ(surface.GetBoundingBox(), (Box{0, 0, 0, 0}));
    EXPECT_EQ(surface.GetAnimationTime(), 0.0f);
    EXPECT_EQ(surface.GetRenderer(), nullptr);

    surface.SetMobilantData(0);
    surface.SetTexture(0);
    EXPECT_EQ(surface.TextureId(), 0);
    surface.SetTexture(255);
    surface.SetTexture(-1);
    EXPECT_EQ(surface.TextureId(), 0);
}

// Slots that are empty, hold a file that did not parse or a model the checks refused count as
// empty; so do ids outside 0 to 254. The model in play stays.
TEST_F(AnimationSurfaceTest, SetMobilantDataWithoutAUsableModelChangesNothing) {
    loadModel(254, squareModel());
    loadModel(1, "{\"mesh\": ");
    loadModel(2, flatModel({0, 0, 1, 0, 1, 1}, {0, 1, 7}));  // index beyond the points
    LoadMobilantPool(3, L"/no/such/model.json");
    loadModel(4, squareModel());
    ReleaseMobilantPool(4);
    EXPECT_EQ(MobilantPool::Document(255), nullptr);

    AnimationSurface surface;
    for (const int id : {0, 1, 2, 3, 4, 255, -1}) {
        surface.SetMobilantData(id);
        EXPECT_FALSE(surface.ModelReady()) << id;
    }
    surface.SetMobilantData(254);
    ASSERT_TRUE(surface.ModelReady());
    const MobilantRenderer::Renderer* playing = surface.GetRenderer();
    for (const int id : {0, 1, 2, 3, 4, 255, -1}) {
        surface.SetMobilantData(id);
        EXPECT_EQ(surface.GetRenderer(), playing) << id;
        EXPECT_EQ(surface.ModelId(), 254);
    }
}

// A clip loaded later comes from the slot as it is then; an emptied slot gives no clip.
TEST_F(AnimationSurfaceTest, InitAnimationReadsTheSlotAsItIsNow) {
    LoadMobilantPool(0, wideSamplePath("tiny.json").c_str());
    AnimationSurface surface;
    surface.SetMobilantData(0);
    ReleaseMobilantPool(0);
    surface.InitAnimation(L"bend");
    EXPECT_EQ(surface.GetRenderer()->Manager().Clips().count("bend"), 0u);
    EXPECT_TRUE(ShownMessageBoxes().empty());
    LoadMobilantPool(0, wideSamplePath("tiny.json").c_str());
    surface.InitAnimation(L"bend");
    EXPECT_EQ(surface.GetRenderer()->Manager().Clips().count("bend"), 1u);
}

}  // namespace
