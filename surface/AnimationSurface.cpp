#include "AnimationSurface.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "MobilantPool.h"
#include "TexturePool.h"
#include "WideStrings.h"

namespace {

bool Finite(const D3DXMATRIX& m) {
    for (const auto& row : m.m) {
        for (const float value : row) {
            if (!std::isfinite(value)) return false;
        }
    }
    return true;
}

D3DXMATRIX MirrorScaling(bool mirrored) {
    D3DXMATRIX scaling;
    D3DXMatrixScaling(&scaling, mirrored ? -1.0f : 1.0f, 1.0f, 1.0f);
    return scaling;
}

}  // namespace

AnimationSurface::AnimationSurface() {
    D3DXMatrixIdentity(&viewMatrix);
    UpdateViewMatrix(-4.0f, 4.0f, -3.0f, 3.0f);
}

AnimationSurface::~AnimationSurface() = default;

void AnimationSurface::MarkBoxesStale() {
    modelBoxValid = false;
    screenBoxValid = false;
}

void AnimationSurface::Handle() {
    if (!Playing()) return;
    MarkBoxesStale();
    renderer->Update(timeStep);
}

void AnimationSurface::Display() {
    if (!Playing()) return;
    renderer->Draw(&viewMatrix);
}

void AnimationSurface::SetMobilantData(int id) {
    const MobilantModule::JsonDocument* document = MobilantPool::Document(id);
    if (document == nullptr) return;
    // The new renderer is built while the old one still plays, and replaces it only whole.
    std::unique_ptr<MobilantRenderer::Renderer> next;
    try {
        next = std::make_unique<MobilantRenderer::Renderer>(*document);
    } catch (...) {
        return;
    }
    if (!next->Complete()) return;
    renderer = std::move(next);
    modelId = id;
    modelReady = 1;
    MarkBoxesStale();
}

void AnimationSurface::SetTexture(int id) {
    IDirect3DTexture9** slot = TexturePool::Slot(id);
    if (slot == nullptr || renderer == nullptr) return;
    textureId = id;
    renderer->SetTexture(slot);
}

void AnimationSurface::InitAnimation(const wchar_t* name) {
    if (!Playing()) return;
    const MobilantModule::JsonDocument* document = MobilantPool::Document(modelId);
    if (document == nullptr) return;
    renderer->InitAnimation(*document, NarrowHostString(name));
}

void AnimationSurface::PlayAnimation(const wchar_t* name) {
    if (!Playing()) return;
    renderer->PlayAnimation(NarrowHostString(name));
}

void AnimationSurface::SetAnimationSpeed(float step) {
    timeStep = step;
}

void AnimationSurface::SetAnimationBlending(const wchar_t* name, float factor) {
    if (!Playing()) return;
    renderer->SetAnimationBlending(NarrowHostString(name), factor);
}

void AnimationSurface::SetMirrorY(int flag) {
    if (renderer == nullptr) return;
    renderer->SetMirrorY(flag);
    screenBoxValid = false;
}

void AnimationSurface::SetAnimationTime(float t) {
    if (renderer != nullptr) renderer->SetAnimationTime(t);
}

void AnimationSurface::SetDebugDraw(int flag) {
    if (renderer != nullptr) renderer->SetDebugDraw(flag != 0);
}

void AnimationSurface::LoadMetaFile(const wchar_t* fileName) {
    if (renderer == nullptr) return;
    // A name the locale cannot spell would open some other file; it opens none instead.
    std::string name;
    if (!NarrowFileName(fileName, name)) name.clear();
    renderer->LoadMetaFile(name);
}

void AnimationSurface::SetSkinSwap(const wchar_t* name) {
    if (renderer != nullptr) renderer->SetSkinSwap(NarrowHostString(name));
}

void AnimationSurface::setMorphTargetFlg(int flag) {
    if (renderer != nullptr) renderer->SetMorphTargetFlg(flag != 0);
}

void AnimationSurface::setMorphTargetPos(int bx, int by, int tx, int ty) {
    if (renderer == nullptr) return;
    D3DXVECTOR3 base, target;
    if (!ScreenToModel(static_cast<float>(bx), static_cast<float>(by), &base) ||
        !ScreenToModel(static_cast<float>(tx), static_cast<float>(ty), &target)) {
        return;
    }
    const float targetPoint[3] = {target.x, target.y, 0.0f};
    const float basePoint[3] = {base.x, base.y, 0.0f};
    renderer->SetMorphTargetPos(targetPoint, basePoint, 1.0f, 0);
}

void AnimationSurface::UpdateViewMatrix(float left, float right, float top, float bottom) {
    if (!std::isfinite(left) || !std::isfinite(right) || !std::isfinite(top) ||
        !std::isfinite(bottom) || left == right || top == bottom) {
        return;
    }
    // The third bound is the projection's bottom and the fourth its top.
    D3DXMATRIX view;
    D3DXMatrixOrthoOffCenterLH(&view, left, right, top, bottom, -1.0f, 1.0f);
    // Bounds too close or too far apart for floats give infinite or zero scales.
    if (!Finite(view) || view._11 == 0.0f || view._22 == 0.0f) return;
    viewMatrix = view;
    MarkBoxesStale();
}

void AnimationSurface::fitMatrixtoSurface(float ratio) {
    if (renderer == nullptr || !std::isfinite(ratio) || !(ratio > 0.0f)) return;
    const std::array<float, 4> box = GetBoundingBox();
    const float minX = box[0], maxX = box[1], minY = box[2], maxY = box[3];
    const auto w = static_cast<float>(std::fabs(double{minX}) + std::fabs(double{maxX}));
    const auto h = static_cast<float>(std::fabs(double{minY}) + std::fabs(double{maxY}));
    float kx = 1.0f;
    float ky = 1.0f;
    if (w > h) {
        ky = h / w;
    } else {
        kx = w / h;
    }
    const float left = minX / kx / ratio;
    const float right = maxX / kx / ratio;
    const float top = minY / ky / ratio;
    const float bottom = maxY / ky / ratio;
    // A box without width or height divides by zero: no view comes of it.
    if (!std::isfinite(left) || !std::isfinite(right) || !std::isfinite(top) ||
        !std::isfinite(bottom)) {
        return;
    }
    UpdateViewMatrix(left, right, top, bottom);
}

void AnimationSurface::SetSurfaceSize(int w, int h) {
    if (w < 1 || h < 1 || w > kMaxSurfaceSize || h > kMaxSurfaceSize) return;
    surfaceWidth = w;
    surfaceHeight = h;
    screenBoxValid = false;
}

std::array<float, 4> AnimationSurface::GetBoundingBox() {
    if (!Playing()) return {0.0f, 0.0f, 0.0f, 0.0f};
    if (!modelBoxValid) {
        modelBox = renderer->GetBoundingBox();
        modelBoxValid = true;
    }
    return modelBox;
}

std::array<float, 4> AnimationSurface::GetScreenBox() {
    if (screenBoxValid) return screenBox;
    const std::array<float, 4> box = GetBoundingBox();
    const bool mirrored = renderer != nullptr && renderer->IsMirrorY() >= 1;
    const D3DXMATRIX scaling = MirrorScaling(mirrored);
    D3DXMATRIX toDevice;
    D3DXMatrixMultiply(&toDevice, &viewMatrix, &scaling);
    const D3DXMATRIX toPixels = ViewportMatrix(surfaceWidth, surfaceHeight);
    D3DXVECTOR3 a(box[0], box[2], 0.0f);
    D3DXVECTOR3 b(box[1], box[3], 0.0f);
    D3DXVec3TransformCoord(&a, &a, &toDevice);
    D3DXVec3TransformCoord(&a, &a, &toPixels);
    D3DXVec3TransformCoord(&b, &b, &toDevice);
    D3DXVec3TransformCoord(&b, &b, &toPixels);
    // A mirror or a reversed view turns the corners round: keep each pair in order.
    screenBox = {std::min(a.x, b.x), std::max(a.x, b.x), std::min(a.y, b.y), std::max(a.y, b.y)};
    screenBoxValid = true;
    return screenBox;
}

std::array<std::array<float, 2>, 4> AnimationSurface::GetScreenBoxCorners() {
    const std::array<float, 4> box = GetScreenBox();
    const float left = box[0], right = box[1], top = box[2], bottom = box[3];
    return {{{left, top}, {right, top}, {left, bottom}, {right, bottom}}};
}

int AnimationSurface::HitTestBoundingBox(float px, float py) {
    const std::array<float, 4> box = GetScreenBox();
    return box[0] < px && px < box[1] && box[2] < py && py < box[3] ? 1 : 0;
}

bool AnimationSurface::SurfaceToModel(float px, float py, bool mirrored, D3DXVECTOR3* out) const {
    // The inverse of what drawing does: model -> view -> mirror -> viewport.
    const D3DXMATRIX scaling = MirrorScaling(mirrored);
    const D3DXMATRIX toPixels = ViewportMatrix(surfaceWidth, surfaceHeight);
    D3DXMATRIX forward;
    D3DXMatrixMultiply(&forward, &viewMatrix, &scaling);
    D3DXMatrixMultiply(&forward, &forward, &toPixels);
    D3DXMATRIX inverse;
    if (D3DXMatrixInverse(&inverse, nullptr, &forward) == nullptr || !Finite(inverse)) {
        return false;
    }
    D3DXVECTOR3 point(px, py, 1.0f);
    D3DXVec3TransformCoord(&point, &point, &inverse);
    if (!std::isfinite(point.x) || !std::isfinite(point.y)) return false;
    *out = point;
    return true;
}

bool AnimationSurface::ScreenToModel(float px, float py, D3DXVECTOR3* out) const {
    return out != nullptr && SurfaceToModel(px, py, false, out);
}

int AnimationSurface::HitTestPolygons(float px, float py) const {
    if (renderer == nullptr) return 0;
    D3DXVECTOR3 point;
    if (!SurfaceToModel(px, py, renderer->IsMirrorY() >= 1, &point)) return 0;
    return renderer->HitTestPolygons(point.x, point.y);
}

float AnimationSurface::GetAnimationTime() const {
    return renderer != nullptr ? renderer->GetAnimationTime() : 0.0f;
}

D3DXMATRIX AnimationSurface::ViewportMatrix(int w, int h) {
    const auto width = static_cast<float>(w);
    const auto height = static_cast<float>(h);
    return D3DXMATRIX(width / 2, 0, 0, 0,     //
                      0, -height / 2, 0, 0,   //
                      0, 0, 1, 0,             //
                      width / 2, height / 2, 0, 1);
}
