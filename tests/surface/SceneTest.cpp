// Pictures of the sample models drawn through the pools, the animation surface and the renderer,
// with the device states of Direct3DDevice.h.
//
// On Linux they are drawn by the software device and checked against what the test works out
// for itself from the render points (ReferenceRaster.h): the pixels covered, the texel colour at
// every pixel one triangle covers, the debug lines, and the hit test at every pixel centre. They
// are also compared bit for bit with the committed images in data/scenes, which these checks
// vouch for; MOBILANT_UPDATE_SCENES=1 writes those images anew.
//
// On Windows (under Wine: Wine's own Direct3D 9) the same scenes are drawn by the real device
// and compared with the committed images: the share of pixels within 2 levels in every channel
// and the agreement of the covered pixels are printed, and at least 99 % must be within 2 levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "AnimationSurface.h"
#include "Direct3DDevice.h"
#include "ImageDecoder.h"
#include "MessageBoxes.h"
#include "MobilantPool.h"
#include "ReferenceRaster.h"
#include "ResourcePools.h"
#include "SceneDevice.h"
#include "SurfaceModels.h"
#include "TexturePool.h"
#include "meshBone.h"
#include "meshSkinning.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

namespace fs = std::filesystem;

struct Scene {
    const char* name;
    const char* model;  // sample file
    const char* clip;
    float time;
    int width, height;
    std::array<float, 4> view;  // left, right, top, bottom, as UpdateViewMatrix takes them
    bool mirrored;
    bool debug;
};

const Scene kScenes[] = {
    {"tiny", "tiny.json", "bend", 6.0f, 120, 80, {-2.0f, 2.5f, -1.5f, 1.5f}, false, false},
    {"tiny-mirrored", "tiny.json", "bend", 6.0f, 120, 80, {-2.0f, 2.5f, -1.5f, 1.5f}, true, false},
    {"tiny-offcentre", "tiny.json", "bend", 9.0f, 120, 80, {-0.5f, 3.5f, -1.0f, 1.6f}, false,
     false},
    {"tiny-reversed", "tiny.json", "bend", 3.0f, 120, 80, {2.5f, -2.0f, 1.5f, -1.5f}, false,
     false},
    {"character", "character.json", "walk", 7.5f, 128, 256, {-1.6f, 1.6f, -2.9f, 3.5f}, false,
     false},
    {"character-mirrored", "character.json", "walk", 7.5f, 128, 256, {-1.6f, 1.6f, -2.9f, 3.5f},
     true, false},
    {"character-debug", "character.json", "wave", 20.0f, 128, 256, {-1.6f, 1.6f, -2.9f, 3.5f},
     false, true},
    {"character-offcentre", "character.json", "jump", 12.0f, 128, 256, {-0.4f, 2.8f, -1.0f, 5.4f},
     true, false},
};

std::string sceneName(const ::testing::TestParamInfo<Scene>& info) {
    std::string name = info.param.name;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

fs::path committedImage(const std::string& name) {
    return fs::path(MOBILANT_SOURCE_DIR) / "tests/surface/data/scenes" / (name + ".png");
}

bool writePng(const fs::path& path, const std::vector<D3DCOLOR>& pixels, int width, int height) {
    std::vector<unsigned char> rgba;
    rgba.reserve(pixels.size() * 4);
    for (const D3DCOLOR p : pixels) {
        rgba.push_back(static_cast<unsigned char>(p >> 16));
        rgba.push_back(static_cast<unsigned char>(p >> 8));
        rgba.push_back(static_cast<unsigned char>(p));
        rgba.push_back(static_cast<unsigned char>(p >> 24));
    }
    fs::create_directories(path.parent_path());
    return stbi_write_png(path.string().c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}

bool readPng(const fs::path& path, DecodedImage& image) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in),
                                           std::istreambuf_iterator<char>()};
    return !bytes.empty() && DecodeImage(bytes, 4096, image);
}

// A 16 x 16 texture of distinct texels, its lowest four rows half transparent.
std::vector<D3DCOLOR> patternTexels() {
    std::vector<D3DCOLOR> texels;
    for (UINT y = 0; y < 16; ++y) {
        for (UINT x = 0; x < 16; ++x) {
            const D3DCOLOR alpha = y >= 12 ? 0x80 : 0xFF;
            const D3DCOLOR blue = (x + y) % 2 == 0 ? 200 : 60;
            texels.push_back(alpha << 24 | (16 * x + 8) << 16 | (16 * y + 8) << 8 | blue);
        }
    }
    return texels;
}

// The textures the scenes use, written as image files for the texture pool to load.
struct TextureFiles {
    TextureFiles() {
        writePng(pattern.path, patternTexels(), 16, 16);
        writePng(coverage.path, {0xFFC0C0C0}, 1, 1);
    }
    TempFile pattern{"pattern.png", ""};
    TempFile coverage{"coverage.png", ""};  // opaque: every covered pixel shows
};

// One instance showing a scene: the model of pool slot `modelId` with texture slot `textureId`,
// posed at the scene's time.
void setUp(AnimationSurface& surface, const Scene& scene, int modelId, int textureId) {
    surface.SetSurfaceSize(scene.width, scene.height);
    surface.SetMobilantData(modelId);
    surface.SetTexture(textureId);
    surface.InitAnimation(WidenNarrowString(scene.clip).c_str());
    surface.PlayAnimation(WidenNarrowString(scene.clip).c_str());
    surface.SetAnimationSpeed(0.0f);
    surface.SetAnimationTime(scene.time);
    surface.Handle();
    surface.UpdateViewMatrix(scene.view[0], scene.view[1], scene.view[2], scene.view[3]);
    surface.SetMirrorY(scene.mirrored ? 1 : 0);
    surface.SetDebugDraw(scene.debug ? 1 : 0);
}

std::vector<D3DCOLOR> draw(SceneDevice& device, std::initializer_list<AnimationSurface*> surfaces) {
    device.begin();
    for (AnimationSurface* surface : surfaces)
        surface->Display();
    device.end();
    return device.pixels();
}

// Pools, device and skinning path for one scene test; everything is given back at the end.
class SceneFixture {
public:
    SceneFixture() {
        SetMessageBoxDialogs(false);
        ClearShownMessageBoxes();
        // Bit-for-bit pictures need the same render points on every processor.
        meshSkinning::setActivePath(meshSkinPath::plain);
    }
    ~SceneFixture() {
        ReleaseAllPool();
        d3dDevice = nullptr;
        meshSkinning::setActivePath(meshSkinning::bestPath());
    }
    SceneFixture(const SceneFixture&) = delete;
    SceneFixture& operator=(const SceneFixture&) = delete;

    TextureFiles textures;
};

#ifndef _WIN32

// The texels of a texture pool slot's texture, row by row.
std::vector<D3DCOLOR> slotTexels(int id, UINT& width, UINT& height) {
    std::vector<D3DCOLOR> texels;
    IDirect3DTexture9* texture = *TexturePool::Slot(id);
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT locked;
    if (texture == nullptr || FAILED(texture->GetLevelDesc(0, &desc)) ||
        FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
        return texels;
    }
    width = desc.Width;
    height = desc.Height;
    for (UINT y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const D3DCOLOR*>(static_cast<const BYTE*>(locked.pBits) +
                                                            y * locked.Pitch);
        texels.insert(texels.end(), row, row + width);
    }
    texture->UnlockRect(0);
    return texels;
}

// The triangles of the surface's model as the test sees them drawn.
std::vector<PixelTriangle> drawnTriangles(AnimationSurface& surface, const Scene& scene,
                                          const std::array<float, 4>& view, bool mirrored) {
    const MobilantModule::Mobilant& model = surface.GetRenderer()->Model();
    const PixelMapping mapping{view[0], view[1], view[2], view[3], scene.width, scene.height,
                               mirrored};
    return pixelTriangles(mapping, model.RenderPoints(), model.Uvs(), model.RenderColours(),
                          model.Indices(), static_cast<std::size_t>(model.IndexCount()));
}

// Compares a picture with its committed image, bit for bit.
void expectCommittedImage(const std::string& name, const std::vector<D3DCOLOR>& pixels, int width,
                          int height) {
    const fs::path path = committedImage(name);
    const char* update = std::getenv("MOBILANT_UPDATE_SCENES");
    if (update != nullptr && std::string(update) == "1") {
        ASSERT_TRUE(writePng(path, pixels, width, height)) << path;
        return;
    }
    DecodedImage image;
    ASSERT_TRUE(readPng(path, image)) << path << " is missing: run with MOBILANT_UPDATE_SCENES=1";
    ASSERT_EQ(image.width, static_cast<UINT>(width));
    ASSERT_EQ(image.height, static_cast<UINT>(height));
    int differing = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] != image.texels[i] && differing++ < 5) {
            ADD_FAILURE() << name << ": pixel (" << i % width << ", " << i / width << ") is "
                          << std::hex << pixels[i] << ", the committed image has "
                          << image.texels[i];
        }
    }
    EXPECT_EQ(differing, 0) << name << ": pixels unlike the committed image";
}

// Every pixel that exactly one triangle covers, away from its edges and from texel borders,
// shows the texel at the UV interpolated there, times the interpolated vertex colour, blended
// over the transparent black target (source alpha, inverse source alpha). Returns how many
// pixels were checked.
int expectTexelColours(const std::vector<PixelTriangle>& triangles,
                       const std::vector<D3DCOLOR>& pixels, int width, int height,
                       const std::vector<D3DCOLOR>& texels, UINT textureWidth,
                       UINT textureHeight) {
    std::vector<int> covering(pixels.size(), 0);
    std::vector<int> owner(pixels.size(), -1);
    for (std::size_t k = 0; k < triangles.size(); ++k) {
        const PixelRange r = pixelRange(triangles[k], width, height);
        for (int y = r.y0; y <= r.y1; ++y) {
            for (int x = r.x0; x <= r.x1; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * width + x;
                const Cover cover = coverOf(triangles[k], x, y, 0.01);
                if (cover == Cover::Near) covering[i] += 2;  // undecided: never checked
                if (cover == Cover::Inside) {
                    ++covering[i];
                    owner[i] = static_cast<int>(k);
                }
            }
        }
    }
    int checked = 0;
    int failures = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (covering[i] != 1) continue;
        const PixelTriangle& t = triangles[static_cast<std::size_t>(owner[i])];
        const double px = static_cast<double>(i % width), py = static_cast<double>(i / width);
        std::array<double, 3> w;
        if (!barycentric(t, px, py, w)) continue;
        const double u = w[0] * t.u[0] + w[1] * t.u[1] + w[2] * t.u[2];
        const double v = w[0] * t.v[0] + w[1] * t.v[1] + w[2] * t.v[2];
        // Point sampling: texel floor(u * width), wrapped; skip texel borders.
        const double column = u * textureWidth, row = v * textureHeight;
        const double fu = column - std::floor(column), fv = row - std::floor(row);
        if (fu < 0.01 || fu > 0.99 || fv < 0.01 || fv > 0.99) continue;
        const auto wrap = [](double c, UINT size) {
            const auto n = static_cast<long long>(std::floor(c)) % static_cast<long long>(size);
            return static_cast<UINT>(n < 0 ? n + static_cast<long long>(size) : n);
        };
        const D3DCOLOR texel =
            texels[wrap(row, textureHeight) * textureWidth + wrap(column, textureWidth)];
        const auto tc = channels(texel);  // a, r, g, b
        std::array<double, 4> diffuse{};  // r, g, b, a
        for (int c = 0; c < 4; ++c) {
            diffuse[c] = w[0] * t.colour[0][c] + w[1] * t.colour[1][c] + w[2] * t.colour[2][c];
        }
        const double alpha = tc[0] / 255.0 * diffuse[3];
        const double red = tc[1] / 255.0 * diffuse[0] * alpha;
        const double green = tc[2] / 255.0 * diffuse[1] * alpha;
        const double blue = tc[3] / 255.0 * diffuse[2] * alpha;
        const auto byte = [](double value) { return static_cast<D3DCOLOR>(value * 255.0 + 0.5); };
        const D3DCOLOR expected =
            byte(alpha * alpha) << 24 | byte(red) << 16 | byte(green) << 8 | byte(blue);
        ++checked;
        if (channelDistance(pixels[i], expected) > 2 && failures++ < 5) {
            ADD_FAILURE() << "pixel (" << px << ", " << py << ") is " << std::hex << pixels[i]
                          << ", expected " << expected << " from texel " << texel;
        }
    }
    EXPECT_EQ(failures, 0) << "pixels whose colour is not their texel's";
    return checked;
}

// The covered pixels (alpha not 0 after drawing with an opaque texture) are those whose centre
// lies in a triangle, apart from centres within 0.01 pixel of an edge. Returns how many pixels
// were near an edge and left unchecked.
int expectCoverage(const std::vector<PixelTriangle>& triangles,
                   const std::vector<D3DCOLOR>& pixels, int width, int height) {
    const std::vector<int> expected = expectedCoverage(triangles, width, height, 0.01);
    int nearEdges = 0;
    int failures = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (expected[i] < 0) {
            ++nearEdges;
            continue;
        }
        const bool covered = (pixels[i] >> 24) != 0;
        if (covered != (expected[i] == 1) && failures++ < 5) {
            ADD_FAILURE() << "pixel (" << i % width << ", " << i / width << ") is "
                          << (covered ? "covered" : "not covered");
        }
    }
    EXPECT_EQ(failures, 0) << "pixels whose coverage is not the triangles'";
    return nearEdges;
}

// At every pixel centre more than 1e-3 pixel from the edges, as given and as the rasteriser
// snaps them, the surface's hit test says inside exactly when the pixel is covered.
void expectHitsWhereCovered(const AnimationSurface& surface,
                            const std::vector<PixelTriangle>& triangles,
                            const std::vector<D3DCOLOR>& pixels, int width, int height,
                            int& tested, int& excluded) {
    const std::vector<int> decided = decidedHits(triangles, width, height, 1e-3);
    const std::vector<int> nearby = expectedCoverage(triangles, width, height, 1.0);
    int failures = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            if (decided[i] < 0) {
                ++excluded;
                continue;
            }
            const bool covered = (pixels[i] >> 24) != 0;
            // More than a pixel from every triangle a hit is impossible: only ask near them.
            const int hit = nearby[i] != 0 ? surface.HitTestPolygons(static_cast<float>(x),
                                                                     static_cast<float>(y))
                                           : 0;
            ++tested;
            EXPECT_EQ(hit, decided[i]) << "pixel (" << x << ", " << y << ")";
            if ((hit == 1) != covered && failures++ < 5) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is "
                              << (covered ? "covered" : "not covered") << " but the hit test says "
                              << hit;
            }
        }
    }
    EXPECT_EQ(failures, 0) << "pixels where the hit test and the picture disagree";
}

// The debug box is red along its four sides and each bone line shows blue and green (no red)
// near its middle, over a model drawn in grey.
void expectDebugLines(const AnimationSurface& surface, const Scene& scene,
                      const std::vector<D3DCOLOR>& pixels) {
    const MobilantModule::Mobilant& model = surface.GetRenderer()->Model();
    const PixelMapping mapping{scene.view[0], scene.view[1], scene.view[2], scene.view[3],
                               scene.width,   scene.height,  scene.mirrored};
    double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
    for (std::int32_t p = 0; p < model.PointCount(); ++p) {
        const auto pixel =
            mapping.toPixel(model.RenderPoints()[3 * p], model.RenderPoints()[3 * p + 1]);
        left = std::min(left, pixel[0]);
        right = std::max(right, pixel[0]);
        top = std::min(top, pixel[1]);
        bottom = std::max(bottom, pixel[1]);
    }
    const auto at = [&](int x, int y) {
        return pixels[static_cast<std::size_t>(y) * scene.width + x];
    };
    // The pixel nearest a line at `c` across it; either one at a tie.
    const auto isRed = [&](double c, int along, bool vertical) {
        for (const int k : {static_cast<int>(std::floor(c + 0.45)), static_cast<int>(std::floor(c + 0.55))}) {
            const D3DCOLOR p = vertical ? at(k, along) : at(along, k);
            if (p == 0xFFFF0000u) return true;
        }
        return false;
    };
    int sides = 0;
    for (int y = static_cast<int>(std::ceil(top)) + 2; y <= static_cast<int>(bottom) - 2; ++y) {
        EXPECT_TRUE(isRed(left, y, true)) << "left side, row " << y;
        EXPECT_TRUE(isRed(right, y, true)) << "right side, row " << y;
        sides += 2;
    }
    for (int x = static_cast<int>(std::ceil(left)) + 2; x <= static_cast<int>(right) - 2; ++x) {
        EXPECT_TRUE(isRed(top, x, false)) << "top side, column " << x;
        EXPECT_TRUE(isRed(bottom, x, false)) << "bottom side, column " << x;
        sides += 2;
    }
    EXPECT_GT(sides, 100);

    int bones = 0;
    model.Composition()->getRootBone()->forEachInPreOrder([&](const meshBone& bone) {
        const auto a = mapping.toPixel(bone.getWorldStartPt().x, bone.getWorldStartPt().y);
        const auto b = mapping.toPixel(bone.getWorldEndPt().x, bone.getWorldEndPt().y);
        const double mx = (a[0] + b[0]) / 2, my = (a[1] + b[1]) / 2;
        if (std::hypot(b[0] - a[0], b[1] - a[1]) < 4 || mx < 2 || my < 2 ||
            mx > scene.width - 3 || my > scene.height - 3 || std::fabs(mx - left) < 3 ||
            std::fabs(mx - right) < 3 || std::fabs(my - top) < 3 || std::fabs(my - bottom) < 3) {
            return;
        }
        bool line = false;
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const auto c = channels(at(static_cast<int>(std::lround(mx)) + dx,
                                           static_cast<int>(std::lround(my)) + dy));
                line = line || (c[0] == 255 && c[1] == 0 && c[2] > 0 && c[3] > 0);
            }
        }
        EXPECT_TRUE(line) << "bone " << bone.getKey();
        ++bones;
    });
    EXPECT_GT(bones, 5);
}

#else  // _WIN32

// The share of pixels within 2 levels in every channel of the committed picture, and the share
// whose coverage (alpha 0 or not) agrees with it.
void expectCommittedImage(const std::string& name, const std::vector<D3DCOLOR>& pixels,
                               int width, int height) {
    DecodedImage image;
    ASSERT_TRUE(readPng(committedImage(name), image)) << committedImage(name);
    ASSERT_EQ(pixels.size(), image.texels.size());
    std::size_t close = 0, agreeing = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (channelDistance(pixels[i], image.texels[i]) <= 2) ++close;
        if (((pixels[i] >> 24) != 0) == ((image.texels[i] >> 24) != 0)) ++agreeing;
    }
    const double total = static_cast<double>(pixels.size());
    std::printf("%-28s within 2 levels: %7.3f %%   coverage agreeing: %7.3f %%\n", name.c_str(),
                100.0 * static_cast<double>(close) / total,
                100.0 * static_cast<double>(agreeing) / total);
    ::testing::Test::RecordProperty("within2", std::to_string(static_cast<double>(close) / total));
    ::testing::Test::RecordProperty("coverage", std::to_string(static_cast<double>(agreeing) / total));
    writePng(fs::path(MOBILANT_BINARY_DIR) / "scenes-direct3d9" / (name + ".png"), pixels, width,
             height);
    EXPECT_GE(static_cast<double>(close) / total, 0.99) << name;
}

#endif  // _WIN32

class Scenes : public ::testing::TestWithParam<Scene> {};

#ifndef _WIN32

TEST_P(Scenes, PicturesAgreeWithTheGeometry) {
    const Scene& scene = GetParam();
    SceneFixture fixture;
    SceneDevice device(static_cast<UINT>(scene.width), static_cast<UINT>(scene.height));
    ASSERT_NE(device.get(), nullptr);
    d3dDevice = device.get();
    const bool character = std::string(scene.model) == "character.json";
    LoadMobilantPool(0, wideSamplePath(scene.model).c_str());
    LoadTexturePool(0, character ? wideSamplePath("character.png").c_str()
                                 : fixture.textures.pattern.wideName().c_str());
    AnimationSurface surface;
    setUp(surface, scene, 0, 0);
    ASSERT_TRUE(surface.ModelReady());
    ASSERT_TRUE(ShownMessageBoxes().empty());
    const std::vector<PixelTriangle> triangles =
        drawnTriangles(surface, scene, scene.view, scene.mirrored);

    // The picture with its texture.
    const std::vector<D3DCOLOR> picture = draw(device, {&surface});
    expectCommittedImage(scene.name, picture, scene.width, scene.height);
    if (!scene.debug) {
        UINT textureWidth = 0, textureHeight = 0;
        const std::vector<D3DCOLOR> texels = slotTexels(0, textureWidth, textureHeight);
        const int checked = expectTexelColours(triangles, picture, scene.width, scene.height, texels,
                                               textureWidth, textureHeight);
        EXPECT_GT(checked, character ? 2000 : 500);
    }

    // The shape alone: an opaque texture loaded into the same slot shows every covered pixel.
    LoadTexturePool(0, fixture.textures.coverage.wideName().c_str());
    surface.SetDebugDraw(0);
    const std::vector<D3DCOLOR> shape = draw(device, {&surface});
    expectCommittedImage(std::string(scene.name) + "-shape", shape, scene.width, scene.height);
    const int nearEdges = expectCoverage(triangles, shape, scene.width, scene.height);
    const auto covered = std::count_if(shape.begin(), shape.end(),
                                       [](D3DCOLOR p) { return (p >> 24) != 0; });
    EXPECT_GT(covered, 500);
    EXPECT_LT(nearEdges, covered / 5);

    int tested = 0, excluded = 0;
    expectHitsWhereCovered(surface, triangles, shape, scene.width, scene.height, tested, excluded);
    EXPECT_LT(excluded, tested / 100);

    if (scene.debug) {
        surface.SetDebugDraw(1);
        expectDebugLines(surface, scene, draw(device, {&surface}));
    }
}

#else  // _WIN32

TEST_P(Scenes, Direct3D9DrawsThePicturesOfTheSoftwareDevice) {
    if (const char* why = SceneDevice::whyUnavailable()) GTEST_SKIP() << why;
    const Scene& scene = GetParam();
    SceneFixture fixture;
    SceneDevice device(static_cast<UINT>(scene.width), static_cast<UINT>(scene.height));
    ASSERT_NE(device.get(), nullptr);
    d3dDevice = device.get();
    const bool character = std::string(scene.model) == "character.json";
    LoadMobilantPool(0, wideSamplePath(scene.model).c_str());
    LoadTexturePool(0, character ? wideSamplePath("character.png").c_str()
                                 : fixture.textures.pattern.wideName().c_str());
    AnimationSurface surface;
    setUp(surface, scene, 0, 0);
    ASSERT_TRUE(surface.ModelReady());
    expectCommittedImage(scene.name, draw(device, {&surface}), scene.width, scene.height);
    LoadTexturePool(0, fixture.textures.coverage.wideName().c_str());
    surface.SetDebugDraw(0);
    expectCommittedImage(std::string(scene.name) + "-shape", draw(device, {&surface}),
                              scene.width, scene.height);
}

#endif  // _WIN32

// Two instances bound to texture slot 3, side by side in one target: both draw the texture
// loaded into the slot later.
TEST(SceneReload, EveryInstanceBoundToTheSlotDrawsTheNewTexture) {
    if (const char* why = SceneDevice::whyUnavailable()) GTEST_SKIP() << why;
    SceneFixture fixture;
    const Scene left = {"pair", "character.json", "walk", 4.0f, 256, 256,
                            {-1.2f, 5.2f, -2.9f, 3.5f}, false, false};
    Scene right = left;  // the same view, mirrored into the right half
    right.mirrored = true;
    SceneDevice device(256, 256);
    ASSERT_NE(device.get(), nullptr);
    d3dDevice = device.get();
    LoadMobilantPool(7, wideSamplePath("character.json").c_str());
    LoadTexturePool(3, wideSamplePath("character.png").c_str());
    AnimationSurface first, second;
    setUp(first, left, 7, 3);
    setUp(second, right, 7, 3);

    const std::vector<D3DCOLOR> before = draw(device, {&first, &second});
    expectCommittedImage("pair", before, 256, 256);
    LoadTexturePool(3, fixture.textures.pattern.wideName().c_str());
    const std::vector<D3DCOLOR> after = draw(device, {&first, &second});
    expectCommittedImage("pair-reloaded", after, 256, 256);

#ifndef _WIN32
    std::vector<PixelTriangle> triangles = drawnTriangles(first, left, left.view, false);
    const std::vector<PixelTriangle> more = drawnTriangles(second, right, right.view, true);
    triangles.insert(triangles.end(), more.begin(), more.end());
    UINT textureWidth = 0, textureHeight = 0;
    const std::vector<D3DCOLOR> texels = slotTexels(3, textureWidth, textureHeight);
    ASSERT_EQ(textureWidth, 16u);
    // Each half on its own: the texel checks look at pixels one triangle covers.
    for (const int half : {0, 1}) {
        std::vector<D3DCOLOR> pixels = after;
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            if ((i % 256 < 128) != (half == 0)) pixels[i] = 0;
        }
        std::vector<PixelTriangle> own;
        for (const PixelTriangle& t : triangles) {
            const bool onLeft = t.x[0] < 128;
            if (onLeft == (half == 0)) own.push_back(t);
        }
        EXPECT_GT(expectTexelColours(own, pixels, 256, 256, texels, textureWidth, textureHeight),
                  1000)
            << "half " << half;
    }
#endif
}

INSTANTIATE_TEST_SUITE_P(Samples, Scenes, ::testing::ValuesIn(kScenes), sceneName);

}  // namespace
