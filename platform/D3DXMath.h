// The D3DX matrix and vector helpers the code uses, with D3DX's own semantics:
// row vectors (a point is multiplied on the left, translations sit in the
// fourth row), products in D3DX order, and the returned pointer being the
// output argument. Our own implementation, used on every platform, so no D3DX
// library is needed.
#pragma once

#include <d3d9.h>

struct D3DXVECTOR3 : D3DVECTOR {
    D3DXVECTOR3() = default;  // uninitialised, as in D3DX
    D3DXVECTOR3(float vx, float vy, float vz) : D3DVECTOR{vx, vy, vz} {}
    D3DXVECTOR3(const D3DVECTOR& v) : D3DVECTOR(v) {}
};

struct D3DXMATRIX : D3DMATRIX {
    D3DXMATRIX() = default;  // uninitialised, as in D3DX
    D3DXMATRIX(const D3DMATRIX& m) : D3DMATRIX(m) {}
    // Sixteen values, row by row.
    D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23,
               float m24, float m31, float m32, float m33, float m34, float m41, float m42,
               float m43, float m44);

    float& operator()(UINT row, UINT column) { return m[row][column]; }
    float operator()(UINT row, UINT column) const { return m[row][column]; }
    // The product this x other: this applied first.
    D3DXMATRIX operator*(const D3DXMATRIX& other) const;
    bool operator==(const D3DXMATRIX& other) const;
    bool operator!=(const D3DXMATRIX& other) const { return !(*this == other); }
};

// pOut = the identity.
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut);

// pOut = the left-handed off-centre orthographic projection mapping x from l..r
// and y from b..t to -1..1, and z from zn..zf to 0..1. The translation row is
// formed as D3DX forms it: -1 - 2l / (r - l), 1 + 2t / (b - t), zn / (zn - zf).
D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* pOut, float l, float r, float b, float t,
                                       float zn, float zf);

// pOut = the inverse of pM; stores the determinant in pDeterminant when given.
// A singular matrix (determinant 0) returns null and leaves pOut and
// pDeterminant untouched.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* pOut, float* pDeterminant, const D3DXMATRIX* pM);

// pOut = pM1 x pM2 (pM1 applied first); pOut may alias either input.
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2);

// pOut = scaling by (sx, sy, sz).
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* pOut, float sx, float sy, float sz);

// pOut = translation by (x, y, z).
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, float x, float y, float z);

// pOut = rotation about z by `angle` radians: (x, y) -> (x cos - y sin, x sin + y cos).
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, float angle);

// pOut = (pV.x, pV.y, pV.z, 1) x pM, divided by its w. A w of 0 divides by zero
// as D3DX does, giving infinities or NaN; pOut may alias pV.
D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM);
