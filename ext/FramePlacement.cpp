#include "FramePlacement.h"

#include <cmath>

#include "D3DXMath.h"
#include "HostNumbers.h"
#include "ImageBounds.h"

bool FrameToSurface(const FramePlacement& placement, float x, float y, SurfacePoint& out) {
    D3DXMATRIX scaling;
    D3DXMatrixScaling(&scaling, placement.scaleX, placement.scaleY, 1.0f);
    D3DXMATRIX unscale;
    if (!std::isfinite(placement.scaleX) || !std::isfinite(placement.scaleY) ||
        D3DXMatrixInverse(&unscale, nullptr, &scaling) == nullptr)
        return false;
    D3DXMATRIX turn;
    D3DXMatrixRotationZ(&turn, ObjectAngleRadians(placement.angle));
    D3DXMATRIX toSurface;
    D3DXMatrixMultiply(&toSurface, &turn, &unscale);

    const D3DXVECTOR3 d(x - static_cast<float>(placement.x), y - static_cast<float>(placement.y),
                        0.0f);
    D3DXVECTOR3 p;
    D3DXVec3TransformCoord(&p, &d, &toSurface);
    out.x = static_cast<float>(placement.hotSpotX) + p.x;
    out.y = static_cast<float>(placement.hotSpotY) + p.y;
    return true;
}

FrameCorner SurfaceToFrame(const FramePlacement& placement, float px, float py) {
    D3DXMATRIX fromHotSpot;
    D3DXMatrixTranslation(&fromHotSpot, -static_cast<float>(placement.hotSpotX),
                          -static_cast<float>(placement.hotSpotY), 0.0f);
    D3DXMATRIX scaling;
    D3DXMatrixScaling(&scaling, placement.scaleX, placement.scaleY, 1.0f);
    D3DXMATRIX turnBack;
    D3DXMatrixRotationZ(&turnBack, -ObjectAngleRadians(placement.angle));
    D3DXMATRIX toFrame;
    D3DXMatrixMultiply(&toFrame, &fromHotSpot, &scaling);
    D3DXMatrixMultiply(&toFrame, &toFrame, &turnBack);

    const D3DXVECTOR3 corner(px, py, 0.0f);
    D3DXVECTOR3 v;
    D3DXVec3TransformCoord(&v, &corner, &toFrame);
    return {SaturatingTrunc(static_cast<float>(placement.x) + v.x),
            SaturatingTrunc(static_cast<float>(placement.y) + v.y)};
}

std::array<FrameCorner, 4> BoxCornersInFrame(const FramePlacement& placement, float left,
                                             float right, float top, float bottom) {
    return {SurfaceToFrame(placement, left, top), SurfaceToFrame(placement, right, top),
            SurfaceToFrame(placement, left, bottom), SurfaceToFrame(placement, right, bottom)};
}

bool OnRenderSurface(const SurfacePoint& p, std::int32_t surfaceWidth,
                     std::int32_t surfaceHeight) {
    // Pixel k is centred on k (Direct3D 9's convention) and covers [k - 0.5, k + 0.5).
    return p.x >= -0.5f && p.x < static_cast<float>(surfaceWidth) - 0.5f && p.y >= -0.5f &&
           p.y < static_cast<float>(surfaceHeight) - 0.5f;
}
