#include "PixelPipeline.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace {

// byte / 255.0f for every byte, looked up rather than divided per texel.
constexpr std::array<float, 256> kByteToUnit = [] {
    std::array<float, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<float>(i) / 255.0f;
    return table;
}();

void Unpack(D3DCOLOR c, float out[4]) {
    out[0] = kByteToUnit[(c >> 16) & 0xFF];
    out[1] = kByteToUnit[(c >> 8) & 0xFF];
    out[2] = kByteToUnit[c & 0xFF];
    out[3] = kByteToUnit[c >> 24];
}

// std::floor without a library call for the usual range (same result everywhere).
inline double Floor(double x) {
    if (x > -1e15 && x < 1e15) {
        const double truncated = static_cast<double>(static_cast<std::int64_t>(x));
        return truncated > x ? truncated - 1.0 : truncated;
    }
    return std::floor(x);  // huge, infinite or NaN
}

int ToByte(float v) {
    if (!(v > 0.0f)) return 0;  // also NaN
    if (v >= 1.0f) return 255;
    return static_cast<int>(v * 255.0f + 0.5f);
}

// Maps a texel index (an integer held in a double, possibly huge) into
// 0..size-1 by the address mode; false for a border texel.
bool AddressTexel(double index, int size, DWORD mode, int& out) {
    const double n = size;
    if (index >= 0.0 && index < n) {  // inside the texture: every mode agrees
        out = static_cast<int>(index);
        return true;
    }
    if (std::isnan(index)) index = 0.0;
    switch (mode) {
        case D3DTADDRESS_BORDER:
            if (index < 0.0 || index >= n) return false;
            break;
        case D3DTADDRESS_CLAMP:
            break;
        case D3DTADDRESS_MIRRORONCE:
            if (index < 0.0) index = -index - 1.0;
            break;
        case D3DTADDRESS_MIRROR: {
            const double period = 2.0 * n;
            index -= period * Floor(index / period);
            if (index >= n) index = period - 1.0 - index;
            break;
        }
        default:  // D3DTADDRESS_WRAP
            index -= n * Floor(index / n);
            break;
    }
    // Huge or infinite coordinates may leave rounding residue or NaN: clamp last.
    if (!(index >= 0.0)) index = 0.0;
    if (index > n - 1.0) index = n - 1.0;
    out = static_cast<int>(index);
    return true;
}

bool Compare(DWORD func, int value, int reference) {
    switch (func) {
        case D3DCMP_NEVER:
            return false;
        case D3DCMP_LESS:
            return value < reference;
        case D3DCMP_EQUAL:
            return value == reference;
        case D3DCMP_LESSEQUAL:
            return value <= reference;
        case D3DCMP_GREATER:
            return value > reference;
        case D3DCMP_NOTEQUAL:
            return value != reference;
        case D3DCMP_GREATEREQUAL:
            return value >= reference;
        default:
            return true;  // D3DCMP_ALWAYS
    }
}

bool SupportedOp(DWORD op) {
    switch (op) {
        case D3DTOP_DISABLE:
        case D3DTOP_SELECTARG1:
        case D3DTOP_SELECTARG2:
        case D3DTOP_MODULATE:
        case D3DTOP_MODULATE2X:
        case D3DTOP_MODULATE4X:
        case D3DTOP_ADD:
        case D3DTOP_ADDSIGNED:
        case D3DTOP_ADDSIGNED2X:
        case D3DTOP_SUBTRACT:
        case D3DTOP_ADDSMOOTH:
        case D3DTOP_BLENDDIFFUSEALPHA:
        case D3DTOP_BLENDTEXTUREALPHA:
        case D3DTOP_BLENDFACTORALPHA:
        case D3DTOP_BLENDCURRENTALPHA:
        case D3DTOP_MULTIPLYADD:
        case D3DTOP_LERP:
            return true;
        default:
            return false;
    }
}

struct StageInputs {
    const float* diffuse;
    const float* texture;
    const float* factor;
    const float* constant;
};

// The argument's four channels: the source itself, or `scratch` when modified.
const float* Argument(DWORD arg, const StageInputs& in, float scratch[4]) {
    static constexpr float kZero[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    const float* source = kZero;
    switch (arg & D3DTA_SELECTMASK) {
        case D3DTA_DIFFUSE:
        case D3DTA_CURRENT:
            source = in.diffuse;
            break;  // current is diffuse at stage 0
        case D3DTA_TEXTURE:
            source = in.texture;
            break;
        case D3DTA_TFACTOR:
            source = in.factor;
            break;
        case D3DTA_CONSTANT:
            source = in.constant;
            break;
        default:
            break;  // specular and temp are black here
    }
    if (!(arg & (D3DTA_ALPHAREPLICATE | D3DTA_COMPLEMENT))) return source;
    for (int i = 0; i < 4; ++i)
        scratch[i] = source[(arg & D3DTA_ALPHAREPLICATE) ? 3 : i];
    if (arg & D3DTA_COMPLEMENT) {
        for (int i = 0; i < 4; ++i)
            scratch[i] = 1.0f - scratch[i];
    }
    return scratch;
}

// One stage operation on channels first..last-1 of the arguments.
void Operate(DWORD op, const float* a0, const float* a1, const float* a2, int first, int last,
             const StageInputs& in, float* out) {
    switch (op) {
        case D3DTOP_SELECTARG1:
            for (int c = first; c < last; ++c)
                out[c] = a1[c];
            break;
        case D3DTOP_SELECTARG2:
            for (int c = first; c < last; ++c)
                out[c] = a2[c];
            break;
        case D3DTOP_MODULATE:
            for (int c = first; c < last; ++c)
                out[c] = a1[c] * a2[c];
            break;
        case D3DTOP_MODULATE2X:
            for (int c = first; c < last; ++c)
                out[c] = a1[c] * a2[c] * 2.0f;
            break;
        case D3DTOP_MODULATE4X:
            for (int c = first; c < last; ++c)
                out[c] = a1[c] * a2[c] * 4.0f;
            break;
        case D3DTOP_ADD:
            for (int c = first; c < last; ++c)
                out[c] = a1[c] + a2[c];
            break;
        case D3DTOP_ADDSIGNED:
            for (int c = first; c < last; ++c)
                out[c] = a1[c] + a2[c] - 0.5f;
            break;
        case D3DTOP_ADDSIGNED2X:
            for (int c = first; c < last; ++c)
                out[c] = (a1[c] + a2[c] - 0.5f) * 2.0f;
            break;
        case D3DTOP_SUBTRACT:
            for (int c = first; c < last; ++c)
                out[c] = a1[c] - a2[c];
            break;
        case D3DTOP_ADDSMOOTH:
            for (int c = first; c < last; ++c)
                out[c] = a1[c] + a2[c] - a1[c] * a2[c];
            break;
        case D3DTOP_BLENDDIFFUSEALPHA:
        case D3DTOP_BLENDCURRENTALPHA:
        case D3DTOP_BLENDTEXTUREALPHA:
        case D3DTOP_BLENDFACTORALPHA: {
            const float alpha = op == D3DTOP_BLENDTEXTUREALPHA  ? in.texture[3]
                                : op == D3DTOP_BLENDFACTORALPHA ? in.factor[3]
                                                                : in.diffuse[3];
            for (int c = first; c < last; ++c)
                out[c] = a1[c] * alpha + a2[c] * (1.0f - alpha);
            break;
        }
        case D3DTOP_MULTIPLYADD:
            for (int c = first; c < last; ++c)
                out[c] = a0[c] + a1[c] * a2[c];
            break;
        case D3DTOP_LERP:
            for (int c = first; c < last; ++c)
                out[c] = a0[c] * a1[c] + (1.0f - a0[c]) * a2[c];
            break;
        default:  // D3DTOP_DISABLE on stage 0 passes diffuse on
            for (int c = first; c < last; ++c)
                out[c] = in.diffuse[c];
            break;
    }
}

// A blend factor for channel `c` as a byte.
int Factor(DWORD blend, const int src[4], const int dest[4], const int constant[4], int c) {
    switch (blend) {
        case D3DBLEND_ZERO:
            return 0;
        case D3DBLEND_ONE:
            return 255;
        case D3DBLEND_SRCCOLOR:
            return src[c];
        case D3DBLEND_INVSRCCOLOR:
            return 255 - src[c];
        case D3DBLEND_SRCALPHA:
            return src[3];
        case D3DBLEND_INVSRCALPHA:
            return 255 - src[3];
        case D3DBLEND_DESTALPHA:
            return dest[3];
        case D3DBLEND_INVDESTALPHA:
            return 255 - dest[3];
        case D3DBLEND_DESTCOLOR:
            return dest[c];
        case D3DBLEND_INVDESTCOLOR:
            return 255 - dest[c];
        case D3DBLEND_SRCALPHASAT:
            return c == 3 ? 255 : std::min(src[3], 255 - dest[3]);
        case D3DBLEND_BLENDFACTOR:
            return constant[c];
        case D3DBLEND_INVBLENDFACTOR:
            return 255 - constant[c];
        default:
            return 255;
    }
}

int Blend(DWORD op, int src, int srcFactor, int dest, int destFactor) {
    const int s = src * srcFactor;
    const int d = dest * destFactor;
    int v = 0;
    switch (op) {
        case D3DBLENDOP_SUBTRACT:
            v = s - d;
            break;
        case D3DBLENDOP_REVSUBTRACT:
            v = d - s;
            break;
        case D3DBLENDOP_MIN:
            return std::min(src, dest);
        case D3DBLENDOP_MAX:
            return std::max(src, dest);
        default:
            v = s + d;
            break;
    }
    if (v <= 0) return 0;
    // 255 is odd, so v / 255 is never exactly a half: + 127 rounds to nearest.
    return std::min((v + 127) / 255, 255);
}

void Bytes(D3DCOLOR c, int out[4]) {
    out[0] = (c >> 16) & 0xFF;
    out[1] = (c >> 8) & 0xFF;
    out[2] = c & 0xFF;
    out[3] = c >> 24;
}

bool IsDiffuse(DWORD arg) {
    return arg == D3DTA_DIFFUSE || arg == D3DTA_CURRENT;
}

}  // namespace

// Recognises the stage a sprite host sets, colour = texture x diffuse, and how
// its alpha is made; None for anything else.
PixelPipeline::SpriteAlpha PixelPipeline::SpriteStage(const ShadingState& s) {
    auto texturedTimesDiffuse = [](DWORD op, DWORD arg1, DWORD arg2) {
        return op == D3DTOP_MODULATE && ((arg1 == D3DTA_TEXTURE && IsDiffuse(arg2)) ||
                                         (IsDiffuse(arg1) && arg2 == D3DTA_TEXTURE));
    };
    if (!texturedTimesDiffuse(s.colorOp, s.colorArg1, s.colorArg2)) return SpriteAlpha::None;
    if (texturedTimesDiffuse(s.alphaOp, s.alphaArg1, s.alphaArg2)) return SpriteAlpha::Modulate;
    const DWORD selected = s.alphaOp == D3DTOP_SELECTARG1   ? s.alphaArg1
                           : s.alphaOp == D3DTOP_SELECTARG2 ? s.alphaArg2
                                                            : ~0u;
    if (selected == D3DTA_TEXTURE) return SpriteAlpha::Texture;
    if (IsDiffuse(selected)) return SpriteAlpha::Diffuse;
    return SpriteAlpha::None;
}

PixelPipeline::PixelPipeline(const ShadingState& state, const RenderTargetView& target)
    : state_(state), target_(target) {
    linear_ = state_.magFilter >= D3DTEXF_LINEAR;
    Unpack(state_.textureFactor, factor_);
    Unpack(state_.stageConstant, constant_);
    Bytes(state_.blendFactor, blendFactor_);
    srcBlend_ = state_.srcBlend;
    destBlend_ = state_.destBlend;
    if (srcBlend_ == D3DBLEND_BOTHSRCALPHA || srcBlend_ == D3DBLEND_BOTHINVSRCALPHA) {
        // One state for both factors: the destination takes the complement.
        const bool inverse = srcBlend_ == D3DBLEND_BOTHINVSRCALPHA;
        srcBlend_ = inverse ? D3DBLEND_INVSRCALPHA : D3DBLEND_SRCALPHA;
        destBlend_ = inverse ? D3DBLEND_SRCALPHA : D3DBLEND_INVSRCALPHA;
    }
    spriteStage_ = SpriteStage(state_);
    sourceOver_ = srcBlend_ == D3DBLEND_SRCALPHA && destBlend_ == D3DBLEND_INVSRCALPHA &&
                  state_.blendOp == D3DBLENDOP_ADD;
    // Without separate alpha blending, alpha is blended like the colour.
    alphaBlendOp_ = state_.separateAlphaBlend ? state_.blendOpAlpha : state_.blendOp;
    srcBlendAlpha_ = state_.separateAlphaBlend ? state_.srcBlendAlpha : srcBlend_;
    destBlendAlpha_ = state_.separateAlphaBlend ? state_.destBlendAlpha : destBlend_;
}

HRESULT PixelPipeline::Validate() const {
    if (!SupportedOp(state_.colorOp)) return D3DERR_UNSUPPORTEDCOLOROPERATION;
    if (!SupportedOp(state_.alphaOp)) return D3DERR_UNSUPPORTEDALPHAOPERATION;
    return D3D_OK;
}

void PixelPipeline::SelectFilter(double texelsPerPixel) {
    // Anisotropic and the other filters fall back to bilinear here.
    const DWORD filter = texelsPerPixel <= 1.0 ? state_.magFilter : state_.minFilter;
    linear_ = filter >= D3DTEXF_LINEAR;
}

void PixelPipeline::Texel(double column, double row, float out[4]) const {
    int x = 0;
    int y = 0;
    if (!AddressTexel(column, static_cast<int>(state_.textureWidth), state_.addressU, x) ||
        !AddressTexel(row, static_cast<int>(state_.textureHeight), state_.addressV, y)) {
        Unpack(state_.borderColor, out);
    } else {
        Unpack(state_.texels[static_cast<size_t>(y) * state_.textureWidth + x], out);
    }
    if (!state_.textureHasAlpha) out[3] = 1.0f;
}

void PixelPipeline::Sample(double u, double v, float out[4]) const {
    // Texel i covers u from i / width to (i + 1) / width; its centre is at (i + 0.5) / width.
    const double s = u * state_.textureWidth;
    const double t = v * state_.textureHeight;
    if (!linear_) {
        Texel(Floor(s), Floor(t), out);
        return;
    }
    const double s0 = Floor(s - 0.5);
    const double t0 = Floor(t - 0.5);
    const float fs = std::isfinite(s) ? static_cast<float>(s - 0.5 - s0) : 0.0f;
    const float ft = std::isfinite(t) ? static_cast<float>(t - 0.5 - t0) : 0.0f;
    float c00[4], c10[4], c01[4], c11[4];
    Texel(s0, t0, c00);
    Texel(s0 + 1.0, t0, c10);
    Texel(s0, t0 + 1.0, c01);
    Texel(s0 + 1.0, t0 + 1.0, c11);
    for (int i = 0; i < 4; ++i) {
        const float top = c00[i] + (c10[i] - c00[i]) * fs;
        const float bottom = c01[i] + (c11[i] - c01[i]) * fs;
        out[i] = top + (bottom - top) * ft;
    }
}

void PixelPipeline::Shade(int x, int y, const float diffuse[4], double u, double v) {
    float texture[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    if (state_.texels != nullptr) Sample(u, v, texture);

    float stage[4];
    if (spriteStage_ != SpriteAlpha::None) {
        // Texture times diffuse, exactly as the general path computes it.
        for (int c = 0; c < 3; ++c)
            stage[c] = texture[c] * diffuse[c];
        stage[3] = spriteStage_ == SpriteAlpha::Modulate  ? texture[3] * diffuse[3]
                   : spriteStage_ == SpriteAlpha::Texture ? texture[3]
                                                          : diffuse[3];
    } else {
        const StageInputs in{diffuse, texture, factor_, constant_};
        float s0[4], s1[4], s2[4];
        Operate(state_.colorOp, Argument(state_.colorArg0, in, s0),
                Argument(state_.colorArg1, in, s1), Argument(state_.colorArg2, in, s2), 0, 3, in,
                stage);
        Operate(state_.alphaOp, Argument(state_.alphaArg0, in, s0),
                Argument(state_.alphaArg1, in, s1), Argument(state_.alphaArg2, in, s2), 3, 4, in,
                stage);
    }
    const int src[4] = {ToByte(stage[0]), ToByte(stage[1]), ToByte(stage[2]), ToByte(stage[3])};

    if (state_.alphaTest &&
        !Compare(state_.alphaFunc, src[3], static_cast<int>(state_.alphaRef & 0xFF))) {
        return;
    }

    D3DCOLOR& pixel = target_.pixels[static_cast<size_t>(y) * target_.width + x];
    int dest[4];
    Bytes(pixel, dest);
    if (!target_.hasAlpha) dest[3] = 255;

    int out[4] = {src[0], src[1], src[2], src[3]};
    if (state_.blend) {
        if (sourceOver_) {
            // The sprite case, source alpha over inverse source alpha, spelled out.
            const int a = src[3];
            for (int c = 0; c < 3; ++c)
                out[c] = (src[c] * a + dest[c] * (255 - a) + 127) / 255;
        } else {
            for (int c = 0; c < 3; ++c) {
                out[c] =
                    Blend(state_.blendOp, src[c], Factor(srcBlend_, src, dest, blendFactor_, c),
                          dest[c], Factor(destBlend_, src, dest, blendFactor_, c));
            }
        }
        out[3] = Blend(alphaBlendOp_, src[3], Factor(srcBlendAlpha_, src, dest, blendFactor_, 3),
                       dest[3], Factor(destBlendAlpha_, src, dest, blendFactor_, 3));
    }
    if (!target_.hasAlpha) out[3] = 255;

    const DWORD mask = state_.writeMask;
    const int r = (mask & D3DCOLORWRITEENABLE_RED) ? out[0] : dest[0];
    const int g = (mask & D3DCOLORWRITEENABLE_GREEN) ? out[1] : dest[1];
    const int b = (mask & D3DCOLORWRITEENABLE_BLUE) ? out[2] : dest[2];
    const int a = (mask & D3DCOLORWRITEENABLE_ALPHA) || !target_.hasAlpha ? out[3] : dest[3];
    pixel = D3DCOLOR_ARGB(a, r, g, b);
}
