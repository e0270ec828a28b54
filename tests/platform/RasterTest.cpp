// Pixels of the software device against hand-computed expectations.
#if !defined(_WIN32)  // the software device exists only where Direct3D does not
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "D3DXMath.h"
#include "DeviceFixture.h"

namespace {

constexpr D3DCOLOR kCount = 0x40404040;  // one CountOverdraw unit in every channel

using Rows = std::vector<std::string>;

class RasterTest : public DeviceTest {};

TEST_F(RasterTest, TopLeftRuleDrawsSharedEdgesOnce) {
    Start(7, 6);
    CountOverdraw();
    // Two triangles of the square (1,1)-(5,5) meet on the diagonal x + y = 6,
    // which passes through pixel centres; the square's right and bottom edges
    // (x = 5, y = 5) pass through centres too and belong to the neighbours.
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, 1, {At(1, 1, kCount), At(5, 1, kCount), At(1, 5, kCount)}),
              D3D_OK);
    EXPECT_EQ(Coverage(), (Rows{".......",  //
                                ".1111..",  //
                                ".111...",  //
                                ".11....",  //
                                ".1.....",  //
                                "......."}));
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, 1, {At(5, 1, kCount), At(5, 5, kCount), At(1, 5, kCount)}),
              D3D_OK);
    EXPECT_EQ(Coverage(), (Rows{".......",  //
                                ".1111..",  //
                                ".1111..",  //
                                ".1111..",  //
                                ".1111..",  //
                                "......."}));
}

TEST_F(RasterTest, CoverageIsIndependentOfWindingAndStripOrder) {
    Start(6, 4);
    CountOverdraw();
    // A strip of four triangles over (0.5,0.5)-(5.5,3.5), wound alternately.
    ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, 4,
                   {At(0.5f, 0.5f, kCount), At(0.5f, 3.5f, kCount), At(3, 0.5f, kCount),
                    At(3, 3.5f, kCount), At(5.5f, 0.5f, kCount), At(5.5f, 3.5f, kCount)}),
              D3D_OK);
    EXPECT_EQ(Coverage(), (Rows{"......", ".11111", ".11111", ".11111"}));
}

TEST_F(RasterTest, CullModesFollowScreenWinding) {
    Start(4, 4);
    CountOverdraw();
    // Clockwise on screen (y down): right, then down-left.
    const std::vector<ScreenVertex> clockwise = {At(0, 0, kCount), At(4, 0, kCount),
                                                 At(0, 4, kCount)};
    const std::vector<ScreenVertex> counterClockwise = {clockwise[0], clockwise[2], clockwise[1]};
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);  // Direct3D's default
    Draw(D3DPT_TRIANGLELIST, 1, counterClockwise);
    EXPECT_EQ(Coverage()[0], "....");
    Draw(D3DPT_TRIANGLELIST, 1, clockwise);
    EXPECT_EQ(Coverage()[0], "1111");
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    Draw(D3DPT_TRIANGLELIST, 1, clockwise);
    EXPECT_EQ(Coverage()[0], "1111");
}

TEST_F(RasterTest, PointSamplingHitsTexelsByPixelCentres) {
    Start(4, 2);
    // Texels 0..7 in red; the quad squeezes 8 texels into 4 pixels.
    std::vector<D3DCOLOR> texels;
    for (int i = 0; i < 8; ++i)
        texels.push_back(D3DCOLOR_ARGB(255, 10 * i + 5, 0, 0));
    IDirect3DTexture9* texture = MakeTexture(8, 1, texels);
    device->SetTexture(0, texture);

    // Pixel centres at integer coordinates: pixel x samples u = x / 4, the left
    // edge of texel 2x.
    Draw(D3DPT_TRIANGLESTRIP, 2,
         {At(0, 0, ~0u, 0, 0), At(4, 0, ~0u, 1, 0), At(0, 1, ~0u, 0, 1), At(4, 1, ~0u, 1, 1)});
    // Shifted by half a pixel, pixel x samples u = (x + 0.5) / 4: texel 2x + 1.
    Draw(D3DPT_TRIANGLESTRIP, 2,
         {At(-0.5f, 0.5f, ~0u, 0, 0), At(3.5f, 0.5f, ~0u, 1, 0), At(-0.5f, 1.5f, ~0u, 0, 1),
          At(3.5f, 1.5f, ~0u, 1, 1)});
    for (UINT x = 0; x < 4; ++x) {
        EXPECT_EQ(Pixel(x, 0), texels[2 * x]) << "x = " << x;
        EXPECT_EQ(Pixel(x, 1), texels[2 * x + 1]) << "x = " << x;
    }
    texture->Release();
}

TEST_F(RasterTest, AddressModesWrapClampAndMirror) {
    Start(8, 3);
    const std::vector<D3DCOLOR> texels = {0xFF0000AA, 0xFF0000BB};  // two texels
    IDirect3DTexture9* texture = MakeTexture(2, 1, texels);
    device->SetTexture(0, texture);
    // u runs from -1 to 3 over 8 pixels: pixel x samples u = x / 2 - 1, texel floor(x - 2).
    auto row = [&](float y) {
        return std::vector<ScreenVertex>{At(0, y, ~0u, -1, 0), At(8, y, ~0u, 3, 0),
                                         At(0, y + 1, ~0u, -1, 0), At(8, y + 1, ~0u, 3, 0)};
    };
    const DWORD modes[] = {D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP, D3DTADDRESS_MIRROR};
    for (int m = 0; m < 3; ++m) {
        device->SetSamplerState(0, D3DSAMP_ADDRESSU, modes[m]);
        Draw(D3DPT_TRIANGLESTRIP, 2, row(static_cast<float>(m)));
    }
    const char* expected[] = {"abababab", "aaabbbbb", "baabbaab"};  // texel index -2..5
    for (int m = 0; m < 3; ++m) {
        std::string got;
        for (UINT x = 0; x < 8; ++x)
            got.push_back(Pixel(x, m) == texels[0] ? 'a' : 'b');
        EXPECT_EQ(got, expected[m]) << "mode " << modes[m];
    }
    texture->Release();
}

TEST_F(RasterTest, GouraudColoursInterpolateFromPixelCentres) {
    Start(9, 9);
    // Red, green and blue corners at pixel centres (0,0), (8,0) and (0,8): at
    // pixel (x, y) the weights are green x/8, blue y/8 and red the rest.
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, 1,
                   {At(0, 0, 0xFFFF0000), At(8, 0, 0xFF00FF00), At(0, 8, 0xFF0000FF)}),
              D3D_OK);
    struct Case {
        UINT x, y;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {0, 0, 0xFFFF0000},                       // the red corner, on the top and left edges
        {1, 1, D3DCOLOR_ARGB(255, 191, 32, 32)},  // 0.75, 0.125, 0.125 of 255
        {1, 2, D3DCOLOR_ARGB(255, 159, 32, 64)},  // 0.625, 0.125, 0.25
        {5, 2, D3DCOLOR_ARGB(255, 32, 159, 64)},  // 0.125, 0.625, 0.25
        {7, 1, 0},                                // outside: x + y = 8 is the far edge
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Pixel(c.x, c.y), c.expected) << c.x << ", " << c.y;
    }
}

TEST_F(RasterTest, FlatShadingTakesTheFirstVertexColour) {
    Start(9, 9);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    Draw(D3DPT_TRIANGLELIST, 1, {At(0, 0, 0xFF102030), At(8, 0, 0xFF00FF00), At(0, 8, 0xFF0000FF)});
    EXPECT_EQ(Pixel(5, 2), 0xFF102030u);
}

TEST_F(RasterTest, HalfTransparentTexelBlendsOverTheTarget) {
    // Red texel at alpha 128 over opaque blue, blended by source alpha:
    // red = round(255 * 128 / 255) = 128, blue = round(255 * 127 / 255) = 127.
    struct Case {
        const char* name;
        bool separateAlpha;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        // Alpha blended like colour: round((128 * 128 + 255 * 127) / 255) = 191.
        {"shared", false, D3DCOLOR_ARGB(191, 128, 0, 127)},
        // Alpha by one and inverse source alpha: 128 + 255 * 127 / 255 = 255.
        {"separate", true, D3DCOLOR_ARGB(255, 128, 0, 127)},
    };
    for (const Case& c : cases) {
        Start(2, 1, 0xFF0000FF);
        IDirect3DTexture9* texture = MakeTexture(1, 1, {0x80FF0000});
        device->SetTexture(0, texture);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, c.separateAlpha);
        device->SetRenderState(D3DRS_SRCBLENDALPHA, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_DESTBLENDALPHA, D3DBLEND_INVSRCALPHA);
        Draw(D3DPT_TRIANGLESTRIP, 2,
             {At(0, 0), At(1, 0, ~0u, 1), At(0, 1, ~0u, 0, 1), At(1, 1, ~0u, 1, 1)});
        EXPECT_EQ(Pixel(0, 0), c.expected) << c.name;
        EXPECT_EQ(Pixel(1, 0), 0xFF0000FFu) << c.name;  // right of the quad: untouched
        texture->Release();
        device->Release();
        device = nullptr;
    }
}

TEST_F(RasterTest, TextureModulatesDiffuseAndAlphaTestDiscards) {
    Start(2, 1, 0xFF000000);
    IDirect3DTexture9* texture = MakeTexture(2, 1, {0xFF8040FF, 0x10FFFFFF});
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    device->SetRenderState(D3DRS_ALPHAREF, 0x08);
    // Diffuse (128, 255, 0, 255): red 0x80 * 128 / 255 = 64.25, green 0x40, blue 0.
    const D3DCOLOR diffuse = D3DCOLOR_ARGB(255, 128, 255, 0);
    Draw(D3DPT_TRIANGLESTRIP, 2,
         {At(0, 0, diffuse, 0, 0), At(2, 0, diffuse, 1, 0), At(0, 1, diffuse, 0, 1),
          At(2, 1, diffuse, 1, 1)});
    EXPECT_EQ(Pixel(0, 0), D3DCOLOR_ARGB(255, 64, 64, 0));
    // Texel alpha 0x10 times diffuse alpha 1 passes 0x08; a half-alpha diffuse fails it.
    EXPECT_EQ(Pixel(1, 0), D3DCOLOR_ARGB(0x10, 128, 255, 0));
    const D3DCOLOR faint = D3DCOLOR_ARGB(127, 0, 0, 255);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    Draw(D3DPT_TRIANGLESTRIP, 2,
         {At(0, 0, faint, 0, 0), At(2, 0, faint, 1, 0), At(0, 1, faint, 0, 1),
          At(2, 1, faint, 1, 1)});
    EXPECT_EQ(Pixel(0, 0), D3DCOLOR_ARGB(127, 0, 0, 255));
    EXPECT_EQ(Pixel(1, 0), 0xFF000000u);  // alpha 0x10 * 127/255 = 8: not greater than 8
    texture->Release();
}

TEST_F(RasterTest, LinesLightOnePixelPerMajorStep) {
    Start(8, 5);
    CountOverdraw();
    // From (1,1) to (6,3): y = 1 + 2 (x - 1) / 5 rounded at each column, the
    // last pixel included (D3DRS_LASTPIXEL is on by default).
    ASSERT_EQ(Draw(D3DPT_LINELIST, 1, {At(1, 1, kCount), At(6, 3, kCount)}), D3D_OK);
    EXPECT_EQ(Coverage(), (Rows{"........",  //
                                ".11.....",  //
                                "...11...",  //
                                ".....11.",  //
                                "........"}));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    device->SetRenderState(D3DRS_LASTPIXEL, FALSE);
    // Steep, drawn upwards: x = 1 + 2 (4 - y) / 3 rounded at rows 4, 3, 2; the
    // last pixel, (3, 1), is left out.
    Draw(D3DPT_LINELIST, 1, {At(1, 4, kCount), At(3, 1, kCount)});
    EXPECT_EQ(Coverage(), (Rows{"........",  //
                                "........",  //
                                "..1.....",  //
                                "..1.....",  //
                                ".1......"}));
}

TEST_F(RasterTest, LineStripDrawsInnerJointsOnce) {
    Start(7, 6);
    CountOverdraw();
    // The box outline of the debug drawing: five vertices, four segments. Each
    // inner joint is the first pixel of the next segment only; the strip's own
    // last pixel closes the loop onto its first, which is so drawn twice.
    ASSERT_EQ(Draw(D3DPT_LINESTRIP, 4,
                   {At(1, 1, kCount), At(1, 4, kCount), At(5, 4, kCount), At(5, 1, kCount),
                    At(1, 1, kCount)}),
              D3D_OK);
    EXPECT_EQ(Coverage(), (Rows{".......",  //
                                ".21111.",  //
                                ".1...1.",  //
                                ".1...1.",  //
                                ".11111.",  //
                                "......."}));
}

TEST_F(RasterTest, LineColoursInterpolateAlongTheLine) {
    Start(5, 1);
    Draw(D3DPT_LINELIST, 1, {At(0, 0, 0xFF0000FF), At(4, 0, 0xFF00FF00)});
    // Blue to green over 4 pixels: quarters of 255 rounded.
    EXPECT_EQ(Pixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(Pixel(1, 0), D3DCOLOR_ARGB(255, 0, 64, 191));
    EXPECT_EQ(Pixel(4, 0), 0xFF00FF00u);
}

// The renderer's own set-up: three streams, 32-bit indices, an orthographic
// projection from model space (y up) to a render surface (y down).
TEST_F(RasterTest, OrthographicProjectionPlacesAModelRectangle) {
    Start(16, 12);
    const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {1, 0, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        {2, 0, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        D3DDECL_END()};
    IDirect3DVertexDeclaration9* declaration = nullptr;
    ASSERT_EQ(device->CreateVertexDeclaration(elements, &declaration), D3D_OK);

    // Model x from -1 to 2 and y from -0.5 to 1.5.
    const float positions[] = {-1, -0.5f, 0, -1, 1.5f, 0, 2, 1.5f, 0, 2, -0.5f, 0};
    const float uvs[8] = {};
    const D3DCOLOR colours[] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    const std::uint32_t indices[] = {0, 1, 2, 0, 2, 3};
    IDirect3DVertexBuffer9* streams[3] = {};
    const void* sources[3] = {positions, uvs, colours};
    const UINT sizes[3] = {sizeof positions, sizeof uvs, sizeof colours};
    const UINT strides[3] = {12, 8, 4};
    for (int s = 0; s < 3; ++s) {
        ASSERT_EQ(device->CreateVertexBuffer(sizes[s], 0, 0, D3DPOOL_MANAGED, &streams[s], nullptr),
                  D3D_OK);
        void* data = nullptr;
        streams[s]->Lock(0, sizes[s], &data, 0);
        std::memcpy(data, sources[s], sizes[s]);
        streams[s]->Unlock();
        device->SetStreamSource(s, streams[s], 0, strides[s]);
    }
    IDirect3DIndexBuffer9* indexBuffer = nullptr;
    ASSERT_EQ(device->CreateIndexBuffer(sizeof indices, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED,
                                        &indexBuffer, nullptr),
              D3D_OK);
    void* data = nullptr;
    indexBuffer->Lock(0, 0, &data, 0);
    std::memcpy(data, indices, sizeof indices);
    indexBuffer->Unlock();
    device->SetVertexDeclaration(declaration);
    device->SetIndices(indexBuffer);

    // The surface's initial view: x -4..4 and y -3..3 on 16 x 12 pixels, two
    // pixels a unit. x -1..2 covers columns 6..11, y 1.5..-0.5 rows 3..6.
    D3DXMATRIX projection;
    D3DXMatrixOrthoOffCenterLH(&projection, -4, 4, -3, 3, -1, 1);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    Rows expected(12, std::string(16, '.'));
    for (int y = 3; y <= 6; ++y)
        expected[y].replace(6, 6, "######");
    auto shape = [&] {
        Rows rows;
        const auto pixels = device->ReadRenderTarget();
        for (int y = 0; y < 12; ++y) {
            std::string row;
            for (int x = 0; x < 16; ++x)
                row.push_back(pixels[y * 16 + x] ? '#' : '.');
            rows.push_back(row);
        }
        return rows;
    };
    EXPECT_EQ(shape(), expected);

    // Mirrored (projection followed by x -> -x): columns 16 - 12 .. 16 - 7.
    D3DXMATRIX mirror, mirrored;
    D3DXMatrixScaling(&mirror, -1, 1, 1);
    D3DXMatrixMultiply(&mirrored, &projection, &mirror);
    device->SetTransform(D3DTS_PROJECTION, &mirrored);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
    for (int y = 3; y <= 6; ++y)
        expected[y] = "....######......";
    EXPECT_EQ(shape(), expected);

    for (IDirect3DVertexBuffer9* s : streams)
        s->Release();
    indexBuffer->Release();
    declaration->Release();
}

TEST_F(RasterTest, ClippingKeepsEveryPixelOnceAndDropsBadVertices) {
    Start(5, 4);
    CountOverdraw();
    // A pretransformed triangle reaching a million pixels off the target still
    // covers each pixel once.
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, 1,
                   {At(-1e6f, -1e6f, kCount), At(1e6f, -1, kCount), At(-1, 1e6f, kCount)}),
              D3D_OK);
    EXPECT_EQ(Coverage(), Rows(4, "11111"));

    // The same through the transform: with identity matrices, clip space is
    // normalised device space, and a vertex a million units out is clipped to
    // the guard band into a polygon whose fan still covers each pixel once.
    struct Vertex {
        float x, y, z;
        D3DCOLOR color;
    };
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    const Vertex huge[] = {{-3, -3, 0, kCount}, {1e6f, -3, 0, kCount}, {-3, 1e6f, 0, kCount}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, huge, sizeof(Vertex)), D3D_OK);
    EXPECT_EQ(Coverage(), Rows(4, "11111"));

    // Vertices past the far plane are clipped: z = 2 lies beyond w = 1, and the
    // clipped triangle ends at z = 1.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    // x = -1..1 spans the 5 columns; z rises from 0 at the left to 2 at the right.
    const Vertex far[] = {
        {-1, 1, 0, kCount}, {1, 1, 2, kCount}, {-1, -1, 0, kCount}, {1, -1, 2, kCount}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, far, sizeof(Vertex)), D3D_OK);
    // z <= 1 holds for x <= 0: screen columns up to 2.5, pixel centres 0..2.
    EXPECT_EQ(Coverage(), Rows(4, "111.."));

    // A line from a million pixels left to a million right lights its row once.
    device->SetFVF(kScreenFvf);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    ASSERT_EQ(Draw(D3DPT_LINELIST, 1, {At(-1e6f, 2, kCount), At(1e6f, 2, kCount)}), D3D_OK);
    EXPECT_EQ(Coverage(), (Rows{".....", ".....", "11111", "....."}));
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    const Vertex bad[] = {{nan, 0, 0, kCount}, {1, 1, 0, kCount}, {-1, -1, 0, kCount}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, bad, sizeof(Vertex)), D3D_OK);
    EXPECT_EQ(Coverage(), Rows(4, "....."));
}

TEST_F(RasterTest, LinearFilteringBlendsTheTwoNearestTexelCentres) {
    // Black and white texels stretched over 8 pixels: pixel x samples u = (x + 0.5) / 8, so
    // s = 2u - 0.5 = (x + 0.5) / 4 - 0.5 texels from the first centre. The filter takes
    // (1 - f) of texel floor(s) and f of the next, f = s - floor(s): at x = 0, s = -0.375
    // blends 0.375 of texel -1 with 0.625 of texel 0; x = 4, s = 0.625, gives 0.625 white.
    // Wrapped, texel -1 is the white one and texel 2 the black one; clamped, both repeat the
    // nearest. Bytes are round(255 v): 0.125 -> 32, 0.375 -> 96, 0.625 -> 159, 0.875 -> 223.
    Start(8, 2);
    IDirect3DTexture9* texture = MakeTexture(2, 1, {0xFF000000, 0xFFFFFFFF});
    device->SetTexture(0, texture);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    const int expected[2][8] = {{96, 32, 32, 96, 159, 223, 223, 159},  // wrap
                                {0, 0, 32, 96, 159, 223, 255, 255}};   // clamp
    const DWORD modes[2] = {D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP};
    for (int m = 0; m < 2; ++m) {
        device->SetSamplerState(0, D3DSAMP_ADDRESSU, modes[m]);
        const float y = static_cast<float>(m);
        Draw(D3DPT_TRIANGLESTRIP, 2,
             {At(-0.5f, y, ~0u, 0, 0), At(7.5f, y, ~0u, 1, 0), At(-0.5f, y + 1, ~0u, 0, 1),
              At(7.5f, y + 1, ~0u, 1, 1)});
        for (UINT x = 0; x < 8; ++x) {
            const int grey = expected[m][x];
            EXPECT_EQ(Pixel(x, m), D3DCOLOR_ARGB(255, grey, grey, grey))
                << "mode " << modes[m] << ", x = " << x;
        }
    }
    texture->Release();
}

// What a textured, per-vertex coloured and translucent triangle fan must leave in the target,
// worked out here from Direct3D's rules rather than read back: a pixel is drawn when its
// centre is inside one of the fan's triangles (edge functions of one sign); its colour and
// texture coordinates are the barycentric mix of the corners'; the texture is filtered
// bilinearly between the four nearest texel centres (wrapping); the stage multiplies texel by
// colour, alpha included; and the result is blended over the target by its alpha.
class FanReference {
public:
    struct Corner {
        double x, y;
        double rgba[4];
        double u, v;
    };

    FanReference(std::vector<Corner> corners, std::vector<D3DCOLOR> texels, UINT textureWidth,
                 UINT textureHeight)
        : corners(std::move(corners)),
          texels(std::move(texels)),
          width(textureWidth),
          height(textureHeight) {}

    // Twice the signed area of (a, b, p): positive when p lies to one side of a -> b.
    static double edge(const Corner& a, const Corner& b, double px, double py) {
        return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
    }

    // Whether the centre of pixel (x, y) lies exactly on an edge of the fan, where the top-left
    // rule would decide and this reference does not.
    bool onAnEdge(int x, int y) const {
        for (std::size_t i = 1; i + 1 < corners.size(); ++i) {
            const Corner* t[3] = {&corners[0], &corners[i], &corners[i + 1]};
            for (int k = 0; k < 3; ++k) {
                if (edge(*t[k], *t[(k + 1) % 3], x, y) == 0.0) return true;
            }
        }
        return false;
    }

    // The pixel (x, y) over `target`, or `target` when no triangle covers its centre.
    D3DCOLOR shade(int x, int y, D3DCOLOR target) const {
        for (std::size_t i = 1; i + 1 < corners.size(); ++i) {
            const Corner& a = corners[0];
            const Corner& b = corners[i];
            const Corner& c = corners[i + 1];
            const double area = edge(a, b, c.x, c.y);
            const double la = edge(b, c, x, y) / area;
            const double lb = edge(c, a, x, y) / area;
            const double lc = edge(a, b, x, y) / area;
            if (la < 0 || lb < 0 || lc < 0) continue;
            double diffuse[4];
            for (int k = 0; k < 4; ++k)
                diffuse[k] = la * a.rgba[k] + lb * b.rgba[k] + lc * c.rgba[k];
            double texel[4];
            sample(la * a.u + lb * b.u + lc * c.u, la * a.v + lb * b.v + lc * c.v, texel);
            int src[4];
            for (int k = 0; k < 4; ++k)
                src[k] = static_cast<int>(texel[k] * diffuse[k] * 255.0 + 0.5);
            const int dest[4] = {static_cast<int>((target >> 16) & 0xFF),
                                 static_cast<int>((target >> 8) & 0xFF),
                                 static_cast<int>(target & 0xFF), static_cast<int>(target >> 24)};
            int out[4];
            for (int k = 0; k < 4; ++k)  // source alpha over inverse source alpha, rounded
                out[k] = (src[k] * src[3] + dest[k] * (255 - src[3]) + 127) / 255;
            return D3DCOLOR_ARGB(out[3], out[0], out[1], out[2]);
        }
        return target;
    }

private:
    // Bilinear filtering with wrapping: texel i's centre is at u = (i + 0.5) / width.
    void sample(double u, double v, double out[4]) const {
        const double s = u * width - 0.5;
        const double t = v * height - 0.5;
        const double s0 = std::floor(s);
        const double t0 = std::floor(t);
        const double fs = s - s0;
        const double ft = t - t0;
        for (int k = 0; k < 4; ++k) {
            const double top = (1 - fs) * channel(s0, t0, k) + fs * channel(s0 + 1, t0, k);
            const double bottom =
                (1 - fs) * channel(s0, t0 + 1, k) + fs * channel(s0 + 1, t0 + 1, k);
            out[k] = (1 - ft) * top + ft * bottom;
        }
    }

    // Channel k (red, green, blue, alpha) of the wrapped texel (column, row), in 0..1.
    double channel(double column, double row, int k) const {
        const auto wrap = [](double i, UINT n) {
            const double m = std::fmod(i, static_cast<double>(n));
            return static_cast<UINT>(m < 0 ? m + n : m);
        };
        const D3DCOLOR texel = texels[wrap(row, height) * width + wrap(column, width)];
        const int shift[4] = {16, 8, 0, 24};
        return static_cast<double>((texel >> shift[k]) & 0xFF) / 255.0;
    }

    std::vector<Corner> corners;
    std::vector<D3DCOLOR> texels;
    UINT width, height;
};

TEST_F(RasterTest, TexturedTranslucentFanMatchesTheRulesPixelByPixel) {
    const std::vector<D3DCOLOR> texels = {0x80FF0000, 0xFF00FF00, 0x400000FF, 0xFFFFFFFF};
    // Corners on the 1/256-pixel grid the rasterizer snaps to, so both work from the same
    // positions; a fan of two triangles sharing the diagonal from corner 0 to corner 2.
    const D3DCOLOR colours[4] = {0xFFFF8040, 0x80FFFFFF, 0xFF2040FF, 0xC0FFFFFF};
    const float xy[4][2] = {{3.375f, 1.625f}, {30.125f, 5.25f}, {28.625f, 29.875f}, {0.25f, 25.5f}};
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    std::vector<ScreenVertex> vertices;
    std::vector<FanReference::Corner> corners;
    for (int i = 0; i < 4; ++i) {
        vertices.push_back(At(xy[i][0], xy[i][1], colours[i], uv[i][0], uv[i][1]));
        const D3DCOLOR c = colours[i];
        corners.push_back({xy[i][0],
                           xy[i][1],
                           {((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0,
                            (c & 0xFF) / 255.0, (c >> 24) / 255.0},
                           uv[i][0],
                           uv[i][1]});
    }
    const FanReference reference(corners, texels, 2, 2);
    const D3DCOLOR clear = 0xFF306090;

    auto render = [&] {
        Start(32, 32, clear);
        IDirect3DTexture9* texture = MakeTexture(2, 2, texels);
        device->SetTexture(0, texture);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        Draw(D3DPT_TRIANGLEFAN, 2, vertices);
        std::vector<D3DCOLOR> pixels = device->ReadRenderTarget();
        texture->Release();
        device->Release();
        device = nullptr;
        return pixels;
    };
    const std::vector<D3DCOLOR> pixels = render();
    EXPECT_EQ(render(), pixels);  // the same calls give the same bytes

    int covered = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            ASSERT_FALSE(reference.onAnEdge(x, y)) << x << ", " << y;
            const D3DCOLOR expected = reference.shade(x, y, clear);
            const D3DCOLOR got = pixels[y * 32 + x];
            if (expected == clear) {
                EXPECT_EQ(got, clear) << "outside the fan: " << x << ", " << y;
                continue;
            }
            ++covered;
            // The device works in floats, the reference in doubles: a byte may round the
            // other way.
            for (const int shift : {24, 16, 8, 0}) {
                const int a = static_cast<int>((got >> shift) & 0xFF);
                const int b = static_cast<int>((expected >> shift) & 0xFF);
                EXPECT_LE(std::abs(a - b), 1)
                    << "pixel " << x << ", " << y << " channel at bit " << shift << ": " << a
                    << " drawn, " << b << " expected";
            }
        }
    }
    EXPECT_GT(covered, 600);  // about 27 x 26 pixels
}

}  // namespace

#else

#include <gtest/gtest.h>

TEST(RasterTest, SoftwareDeviceOnly) {
    GTEST_SKIP() << "the software device stands in for Direct3D 9 where it is missing; Windows "
                    "draws with the real one";
}

#endif
