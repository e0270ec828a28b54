// The per-pixel half of Direct3D 9's fixed-function pipeline: texture sampling
// of stage 0, the stage's colour and alpha operations, the alpha test, blending
// and the colour write mask.
//
// Arithmetic is defined so that every machine gives the same bytes: the stage
// works in floats on 0..1 and its result is rounded to bytes (v * 255 + 0.5,
// truncated); blending is exact integer arithmetic on bytes,
// round((src * srcFactor + dest * destFactor) / 255) with halves rounded up.
#pragma once

#include <d3d9.h>

// The device states a draw needs, captured once per draw.
struct ShadingState {
    // Stage 0 texture as 0xAARRGGBB words, or null: no texture samples as opaque white.
    const D3DCOLOR* texels = nullptr;
    UINT textureWidth = 0;
    UINT textureHeight = 0;
    bool textureHasAlpha = true;
    DWORD addressU = D3DTADDRESS_WRAP;
    DWORD addressV = D3DTADDRESS_WRAP;
    D3DCOLOR borderColor = 0;
    DWORD magFilter = D3DTEXF_POINT;
    DWORD minFilter = D3DTEXF_POINT;

    DWORD colorOp = D3DTOP_MODULATE;
    DWORD colorArg0 = D3DTA_CURRENT;
    DWORD colorArg1 = D3DTA_TEXTURE;
    DWORD colorArg2 = D3DTA_CURRENT;
    DWORD alphaOp = D3DTOP_SELECTARG1;
    DWORD alphaArg0 = D3DTA_CURRENT;
    DWORD alphaArg1 = D3DTA_TEXTURE;
    DWORD alphaArg2 = D3DTA_CURRENT;
    D3DCOLOR textureFactor = 0xFFFFFFFF;
    D3DCOLOR stageConstant = 0;

    bool alphaTest = false;
    DWORD alphaFunc = D3DCMP_ALWAYS;
    DWORD alphaRef = 0;

    bool blend = false;
    DWORD srcBlend = D3DBLEND_ONE;
    DWORD destBlend = D3DBLEND_ZERO;
    DWORD blendOp = D3DBLENDOP_ADD;
    bool separateAlphaBlend = false;
    DWORD srcBlendAlpha = D3DBLEND_ONE;
    DWORD destBlendAlpha = D3DBLEND_ZERO;
    DWORD blendOpAlpha = D3DBLENDOP_ADD;
    D3DCOLOR blendFactor = 0xFFFFFFFF;

    DWORD writeMask = 0xF;
};

// The pixels a draw writes to, and the rectangle it may touch.
struct RenderTargetView {
    D3DCOLOR* pixels = nullptr;
    UINT width = 0;
    UINT height = 0;
    bool hasAlpha = true;  // X8R8G8B8 targets read and write alpha as 255
};

class PixelPipeline {
public:
    PixelPipeline(const ShadingState& state, const RenderTargetView& target);

    // D3DERR_UNSUPPORTED... when the stage uses an operation this pipeline lacks.
    HRESULT Validate() const;

    // Chooses the magnification or minification filter for a primitive whose
    // texture footprint is `texelsPerPixel` (magnification at 1 or less).
    void SelectFilter(double texelsPerPixel);

    bool Textured() const { return state_.texels != nullptr; }

    // Shades pixel (x, y), which the caller has clipped to the target: `diffuse`
    // is red, green, blue, alpha in 0..1, (u, v) the texture coordinates.
    void Shade(int x, int y, const float diffuse[4], double u, double v);

private:
    enum class SpriteAlpha { None, Modulate, Texture, Diffuse };
    static SpriteAlpha SpriteStage(const ShadingState& state);

    void Sample(double u, double v, float out[4]) const;
    void Texel(double column, double row, float out[4]) const;

    ShadingState state_;
    RenderTargetView target_;
    bool linear_ = false;
    // Derived from the state once per draw.
    float factor_[4];
    float constant_[4];
    int blendFactor_[4];
    DWORD srcBlend_;
    DWORD destBlend_;
    SpriteAlpha spriteStage_;
    bool sourceOver_;
    DWORD alphaBlendOp_;
    DWORD srcBlendAlpha_;
    DWORD destBlendAlpha_;
};
