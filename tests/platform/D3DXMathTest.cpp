// D3DX matrix helpers against their defining formulas on hand-made cases.
#include <gtest/gtest.h>

#include <cmath>

#include "D3DXMath.h"

namespace {

D3DXMATRIX Rows(std::initializer_list<float> values) {
    D3DXMATRIX m;
    auto it = values.begin();
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j)
            m.m[i][j] = *it++;
    }
    return m;
}

D3DXVECTOR3 Transform(const D3DXMATRIX& m, float x, float y, float z) {
    D3DXVECTOR3 v(x, y, z);
    D3DXVECTOR3 out;
    EXPECT_EQ(D3DXVec3TransformCoord(&out, &v, &m), &out);
    return out;
}

TEST(D3DXMath, OrthoOffCenterMapsTheBoxToDeviceSpace) {
    D3DXMATRIX m;
    // The surface's initial view: l = -4, r = 4, b = -3, t = 3, near -1, far 1.
    EXPECT_EQ(D3DXMatrixOrthoOffCenterLH(&m, -4, 4, -3, 3, -1, 1), &m);
    EXPECT_EQ(m, Rows({0.25f, 0, 0, 0, 0, 1.0f / 3, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0.5f, 1}));
    // Off centre: l..r = 2..6 and b..t = 1..5, z 0..1.
    D3DXMatrixOrthoOffCenterLH(&m, 2, 6, 1, 5, 0, 1);
    const D3DXVECTOR3 low = Transform(m, 2, 1, 0);
    const D3DXVECTOR3 high = Transform(m, 6, 5, 1);
    EXPECT_EQ(low.x, -1.0f);
    EXPECT_EQ(low.y, -1.0f);
    EXPECT_EQ(low.z, 0.0f);
    EXPECT_EQ(high.x, 1.0f);
    EXPECT_EQ(high.y, 1.0f);
    EXPECT_EQ(high.z, 1.0f);
    // Swapped bottom and top, as the surface passes them: model y = t lands on device y = -1.
    D3DXMatrixOrthoOffCenterLH(&m, -4, 4, 3, -3, -1, 1);
    EXPECT_EQ(Transform(m, 0, -3, 0).y, 1.0f);
}

// D3DX forms the translation as _41 = -1 - 2l / (r - l) and _42 = 1 + 2t / (b - t), which
// differs from (l + r) / (l - r) and (t + b) / (b - t) at the edges of the domain.
TEST(D3DXMath, OrthoOffCenterTranslationAsD3DXFormsIt) {
    D3DXMATRIX m;
    // A symmetric box: 1 - 1 is +0, where (l + r) / (l - r) gives -0.
    D3DXMatrixOrthoOffCenterLH(&m, -4, 4, -3, 3, -1, 1);
    EXPECT_EQ(m._41, 0.0f);
    EXPECT_FALSE(std::signbit(m._41));
    EXPECT_EQ(m._42, 0.0f);
    EXPECT_FALSE(std::signbit(m._42));
    // A box of no width, l = r = 2: _11 = 2 / +0 = +inf and _41 = -1 - 4 / +0 = -inf (not
    // (2 + 2) / +0 = +inf).
    D3DXMatrixOrthoOffCenterLH(&m, 2, 2, -1, 1, 0, 1);
    EXPECT_EQ(m._11, INFINITY);
    EXPECT_EQ(m._41, -INFINITY);
    EXPECT_EQ(m._22, 1.0f);
    EXPECT_EQ(m._42, 0.0f);
    // An infinite right edge: _11 = 2 / inf = 0 and _41 = -1 - 0 / inf = -1 (not inf / -inf,
    // NaN).
    D3DXMatrixOrthoOffCenterLH(&m, 0, INFINITY, -1, 1, 0, 1);
    EXPECT_EQ(m._11, 0.0f);
    EXPECT_EQ(m._41, -1.0f);
    // A bottom at minus infinity: _22 = 2 / inf = 0 and _42 = 1 + 2 / -inf = 1 (not
    // -inf / -inf, NaN).
    D3DXMatrixOrthoOffCenterLH(&m, -1, 1, -INFINITY, 1, 0, 1);
    EXPECT_EQ(m._22, 0.0f);
    EXPECT_EQ(m._42, 1.0f);
}

TEST(D3DXMath, ProductsApplyTheLeftMatrixFirst) {
    D3DXMATRIX translate, scale, product;
    D3DXMatrixTranslation(&translate, 1, 2, 3);
    D3DXMatrixScaling(&scale, 2, 4, 8);
    // Translate, then scale: (1, 1, 1) -> (2, 3, 4) -> (4, 12, 32).
    EXPECT_EQ(D3DXMatrixMultiply(&product, &translate, &scale), &product);
    const D3DXVECTOR3 p = Transform(product, 1, 1, 1);
    EXPECT_EQ(p.x, 4.0f);
    EXPECT_EQ(p.y, 12.0f);
    EXPECT_EQ(p.z, 32.0f);
    EXPECT_EQ(product, translate * scale);
    // The output may be an input.
    D3DXMATRIX aliased = translate;
    D3DXMatrixMultiply(&aliased, &aliased, &scale);
    EXPECT_EQ(aliased, product);
}

TEST(D3DXMath, RotationZTurnsCounterClockwise) {
    D3DXMATRIX m;
    EXPECT_EQ(D3DXMatrixRotationZ(&m, 3.14159265f / 2), &m);
    // (x, y) -> (x cos - y sin, x sin + y cos): the x axis turns onto the y axis.
    const D3DXVECTOR3 p = Transform(m, 1, 0, 5);
    EXPECT_NEAR(p.x, 0.0f, 1e-7f);
    EXPECT_NEAR(p.y, 1.0f, 1e-7f);
    EXPECT_EQ(p.z, 5.0f);
    D3DXMatrixRotationZ(&m, 3.14159265f / 6);  // 30 degrees: cos = sqrt(3) / 2, sin = 1 / 2
    EXPECT_NEAR(m._11, std::sqrt(3.0f) / 2, 1e-7f);
    EXPECT_NEAR(m._12, 0.5f, 1e-7f);
    EXPECT_NEAR(m._21, -0.5f, 1e-7f);
}

TEST(D3DXMath, InverseUndoesAndReportsTheDeterminant) {
    D3DXMATRIX translate, scale, m, inverse;
    D3DXMatrixTranslation(&translate, 1, 2, 3);
    D3DXMatrixScaling(&scale, 2, 4, 8);
    D3DXMatrixMultiply(&m, &scale, &translate);  // x -> 2x + 1, y -> 4y + 2, z -> 8z + 3
    float determinant = 0;
    ASSERT_EQ(D3DXMatrixInverse(&inverse, &determinant, &m), &inverse);
    EXPECT_EQ(determinant, 64.0f);
    EXPECT_EQ(inverse, Rows({0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0,  //
                             -0.5f, -0.5f, -0.375f, 1}));
    EXPECT_EQ(D3DXMatrixInverse(&inverse, nullptr, &m), &inverse);  // no determinant wanted

    // The surface's pixel-to-model mapping: the inverse of the viewport of a
    // 200 x 100 surface takes pixel (150, 25) to device (0.5, 0.5).
    const D3DXMATRIX viewport = Rows({100, 0, 0, 0, 0, -50, 0, 0, 0, 0, 1, 0, 100, 50, 0, 1});
    ASSERT_NE(D3DXMatrixInverse(&inverse, nullptr, &viewport), nullptr);
    const D3DXVECTOR3 device = Transform(inverse, 150, 25, 1);
    EXPECT_EQ(device.x, 0.5f);
    EXPECT_EQ(device.y, 0.5f);
}

TEST(D3DXMath, SingularInverseReturnsNullAndLeavesOutputAndDeterminantAlone) {
    D3DXMATRIX flat;
    D3DXMatrixScaling(&flat, 1, 0, 1);
    D3DXMATRIX twoEqualRows = Rows({1, 2, 3, 4, 1, 2, 3, 4, 0, 0, 1, 0, 0, 0, 0, 1});
    for (const D3DXMATRIX* singular : {&flat, &twoEqualRows}) {
        D3DXMATRIX out = Rows({7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7});
        const D3DXMATRIX before = out;
        float determinant = 5;
        EXPECT_EQ(D3DXMatrixInverse(&out, &determinant, singular), nullptr);
        EXPECT_EQ(out, before);
        EXPECT_EQ(determinant, 5.0f);  // D3DX stores the determinant only on success
    }
}

TEST(D3DXMath, TransformCoordDividesByW) {
    // w = x + 1 (column 4 holds (1, 0, 0, 1)).
    const D3DXMATRIX projective = Rows({1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    const D3DXVECTOR3 p = Transform(projective, 3, 8, -2);  // w = 4
    EXPECT_EQ(p.x, 0.75f);
    EXPECT_EQ(p.y, 2.0f);
    EXPECT_EQ(p.z, -0.5f);
    // w = 0 divides by zero, as D3DX does: +inf, NaN (0 / 0), -inf.
    const D3DXVECTOR3 degenerate = Transform(projective, -1, 0, 3);
    EXPECT_EQ(degenerate.x, -INFINITY);  // x = -1 over w = +0
    EXPECT_TRUE(std::isnan(degenerate.y));
    EXPECT_EQ(degenerate.z, INFINITY);
    // In place.
    D3DXVECTOR3 v(3, 8, -2);
    D3DXVec3TransformCoord(&v, &v, &projective);
    EXPECT_EQ(v.y, 2.0f);
}

}  // namespace
