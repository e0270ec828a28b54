#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "D3DXMath.h"
#include "Renderer.h"

// The core of one object instance: the pool ids in use, the play step, the size of the render
// surface, the orthographic view matrix, the two box caches, and the instance's renderer. The
// host's entry points and the actions and expressions reach the model only through it.
//
// Three spaces meet here: model space (the posed mesh, y up), normalised device space (after the
// view matrix) and render-surface pixels (origin top left, y down, pixel centres at whole
// numbers, as Direct3D 9 rasterises). A model point reaches a pixel through the view matrix, the
// mirror (x negated, when on) and the viewport; the hit test goes back through the exact
// inverse of that, so it answers for what is drawn.
//
// Names given by the host are narrowed with NarrowHostString, file names with NarrowFileName.
// Bad values (ids outside 0 to 254, degenerate views and sizes, non-finite numbers) change
// nothing.
class AnimationSurface {
public:
    // Surface size of a new instance until the host sets the object's own.
    static constexpr int kDefaultWidth = 240;
    static constexpr int kDefaultHeight = 320;
    // Largest render-surface width or height.
    static constexpr int kMaxSurfaceSize = 16384;

    // An instance without a model: step 0.01, no ids, view (-4, 4, -3, 3), the default size.
    AnimationSurface();
    // Destroys the renderer.
    ~AnimationSurface();

    AnimationSurface(const AnimationSurface&) = delete;
    AnimationSurface& operator=(const AnimationSurface&) = delete;

    // One game loop, with a model: the boxes go stale and the renderer advances by the step.
    void Handle();
    // Draws the model with the view matrix, with a model.
    void Display();

    // Makes the instance play the model of model pool slot `id` (0 to 254): a new renderer is
    // built and replaces the old one only when it is complete. An empty slot, a failed or
    // refused load, a renderer that could not make its Direct3D objects, or an exception while
    // building, change nothing. The texture binding is not carried over.
    void SetMobilantData(int id);
    // Binds texture pool slot `id` (0 to 254) to the renderer; nothing without one.
    void SetTexture(int id);
    // Loads clip `name` from the current model's pool slot, as it holds now; nothing when the
    // slot is empty.
    void InitAnimation(const wchar_t* name);
    // Plays clip `name` from its start.
    void PlayAnimation(const wchar_t* name);
    // The step by which each game loop advances the animation (also without a model).
    void SetAnimationSpeed(float step);
    // Cross-fades to clip `name`, the weight growing by `factor` per loop.
    void SetAnimationBlending(const wchar_t* name, float factor);
    // Mirrors the drawn model (and its hit area and screen box) in x when `flag` is not 0.
    void SetMirrorY(int flag);
    // The clip time := `t` frames.
    void SetAnimationTime(float t);
    // Bone lines and box drawn after the mesh when `flag` is not 0.
    void SetDebugDraw(int flag);
    // Loads the meta data file `fileName` for the model.
    void LoadMetaFile(const wchar_t* fileName);
    // Selects skin swap `name`; empty: the whole mesh again.
    void SetSkinSwap(const wchar_t* name);
    // Morph-target blending on when `flag` is not 0.
    void setMorphTargetFlg(int flag);
    // Places the morph control point: base pixel (bx, by) and target pixel (tx, ty) go to model
    // space without the mirror, then to the renderer with radius 1 and useZ 0.
    void setMorphTargetPos(int bx, int by, int tx, int ty);

    // View := the left-handed off-centre orthographic projection of x from `left` to `right`
    // and y from `top` to `bottom` (so model y `bottom` lands on the top pixel row), z from -1
    // to 1. Equal or non-finite bounds, or a view whose matrix would not be finite and
    // invertible, keep the previous view. Works without a model.
    void UpdateViewMatrix(float left, float right, float top, float bottom);
    // Squares the view around the model's box (the shorter side widened to the longer one,
    // measured from the model origin) and zooms by `ratio`. Without a model, with a ratio that
    // is not a finite positive number, or a box that gives no finite view, nothing changes.
    void fitMatrixtoSurface(float ratio);
    // The render surface's size, 1 to 16384 each; other sizes are ignored.
    void SetSurfaceSize(int w, int h);

    // The posed model's box in model space: minX, maxX, minY, maxY; zeros without a model.
    std::array<float, 4> GetBoundingBox();
    // The box in render-surface pixels: left, right, top, bottom, each pair ordered.
    std::array<float, 4> GetScreenBox();
    // The screen box's corners in render-surface pixels (x, y): 0 = (left, top), 1 = (right,
    // top), 2 = (left, bottom), 3 = (right, bottom).
    std::array<std::array<float, 2>, 4> GetScreenBoxCorners();
    // 1 when pixel (px, py) lies strictly inside the screen box, else 0: its border is outside.
    int HitTestBoundingBox(float px, float py);
    // Render-surface pixel (px, py) to model space through the view and the viewport, without
    // the mirror; false (and `out` untouched) when the mapping has no finite inverse.
    bool ScreenToModel(float px, float py, D3DXVECTOR3* out) const;
    // 1 when pixel (px, py) lies strictly inside a drawn triangle, else 0 (also without a model).
    int HitTestPolygons(float px, float py) const;
    // The clip time; 0 without a model.
    float GetAnimationTime() const;

    // The matrix taking device x -1..1 to pixels 0..w and device y 1..-1 to pixels 0..h.
    static D3DXMATRIX ViewportMatrix(int w, int h);

    float TimeStep() const { return timeStep; }
    int TextureId() const { return textureId; }
    int ModelId() const { return modelId; }
    bool ModelReady() const { return modelReady != 0; }
    int SurfaceWidth() const { return surfaceWidth; }
    int SurfaceHeight() const { return surfaceHeight; }
    const D3DXMATRIX& ViewMatrix() const { return viewMatrix; }
    MobilantRenderer::Renderer* GetRenderer() { return renderer.get(); }
    const MobilantRenderer::Renderer* GetRenderer() const { return renderer.get(); }

private:
    void MarkBoxesStale();
    bool SurfaceToModel(float px, float py, bool mirrored, D3DXVECTOR3* out) const;
    bool Playing() const { return modelReady != 0 && renderer != nullptr; }

    float timeStep = 0.01f;
    int textureId = -1;
    int modelId = -1;
    int modelReady = 0;
    int surfaceWidth = kDefaultWidth;
    int surfaceHeight = kDefaultHeight;
    std::array<float, 4> modelBox{};
    bool modelBoxValid = false;
    std::array<float, 4> screenBox{};
    bool screenBoxValid = false;
    D3DXMATRIX viewMatrix;
    std::unique_ptr<MobilantRenderer::Renderer> renderer;
};
