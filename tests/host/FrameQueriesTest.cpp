// Box corners and hit tests between loops: they follow every action that moves the picture at
// once, and answer only for what the render surface can show.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "AnimationSurface.h"
#include "ExtensionHost.h"
#include "FramePlacement.h"
#include "MessageBoxes.h"
#include "RunData.h"
#include "RunObject.h"

namespace {

using Corners = std::array<double, 8>;

Corners AskCorners(ExtensionHost& e, int n) {
    Corners c{};
    for (int i = 0; i < 4; ++i) {
        c[2 * i] = e.Ask(n, "getBoxPoint_X", {Int(i)});
        c[2 * i + 1] = e.Ask(n, "getBoxPoint_Y", {Int(i)});
    }
    return c;
}

struct Change {
    const char* label;
    std::vector<HostValue> args;
};

// Each action, run between two queries of the same loop, gives the corners the next loop would
// give (the animation stands still, so only the action moves them) and they differ from before.
TEST(FrameQueries, CornersFollowEveryChangeWithinALoop) {
    SetMessageBoxDialogs(false);
    ExtensionHost e;
    const int n = e.host.Create(320, 240, 240, 320);
    e.Character(n);
    e.Act(n, "LoadMobilantPool", {Int(1), Text(Sample("tiny.json"))});
    e.Act(n, "InitAnimation", {Text("walk")});
    e.Act(n, "PlayAnimation", {Text("walk")});
    e.Act(n, "SetAnimationSpeed", {Num(0)});
    e.Act(n, "fitMatrixtoSurface", {Num(1.0)});
    e.Act(n, "SetHotSpot", {Int(120), Int(160)});
    e.host.Loop();

    const Change changes[] = {
        {"SetRotate", {Int(30)}},
        {"SetScaleXY", {Num(1.5), Num(0.75)}},
        {"SetHotSpot", {Int(100), Int(150)}},
        {"SetSurfaceSize", {Int(300), Int(280)}},
        {"UpdateViewMatrix", {Num(-5), Num(4), Num(-3), Num(3.5)}},
        {"SetMirrorY", {Int(1)}},
        {"fitMatrixtoSurface", {Num(0.6)}},
        {"SetMobilantData", {Int(1)}},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.label);
        const Corners before = AskCorners(e, n);
        ASSERT_TRUE(e.host.Action(n, FindActionByLabel(change.label)->code, change.args));
        const Corners within = AskCorners(e, n);
        e.host.Loop();
        const Corners next = AskCorners(e, n);
        EXPECT_EQ(within, next);
        EXPECT_NE(within, before);
    }
}

// A model bigger than its render surface is cut at the surface's edge in the frame, and so is
// its hit area: frame points the blit puts beyond the surface hit nothing, though the model's
// triangles and its box extend there.
TEST(FrameQueries, HitsStopAtTheRenderSurfacesEdge) {
    SetMessageBoxDialogs(false);
    for (const int angle : {0, 45}) {
        SCOPED_TRACE(angle);
        ExtensionHost e;
        const int n = e.host.Create(320, 240, 160, 120);
        e.Character(n);
        e.Act(n, "InitAnimation", {Text("walk")});
        e.Act(n, "PlayAnimation", {Text("walk")});
        e.Act(n, "UpdateViewMatrix", {Num(-1.5), Num(1.5), Num(-1), Num(1.5)});
        e.Act(n, "SetHotSpot", {Int(80), Int(60)});
        e.Act(n, "SetRotate", {Int(angle)});
        e.Act(n, "SetScaleXY", {Num(1.5), Num(1.5)});
        e.host.Loop();
        const std::vector<std::uint32_t> frame = e.host.Frame();
        AnimationSurface* animation = RunDataField::Animation::Get(e.Data(n));
        const FramePlacement placement = RunObject::Placement(e.Data(n));

        int outside = 0, modelThere = 0, boxThere = 0, inside = 0, insideHits = 0;
        for (int y = 1; y < e.host.FrameHeight(); y += 6) {
            for (int x = 1; x < e.host.FrameWidth(); x += 6) {
                SurfacePoint p;
                ASSERT_TRUE(FrameToSurface(placement, float(x), float(y), p));
                const bool onSurface = p.x > 0.5f && p.x < 158.5f && p.y > 0.5f && p.y < 118.5f;
                const bool offSurface = p.x < -1.5f || p.x > 160.5f || p.y < -1.5f || p.y > 120.5f;
                if (offSurface) {
                    ++outside;
                    const bool model = animation->HitTestPolygons(p.x, p.y) == 1;
                    const bool box = animation->HitTestBoundingBox(p.x, p.y) == 1;
                    modelThere += model;
                    boxThere += box;
                    if (!model && !box) continue;
                    ASSERT_EQ(e.Pixel(frame, x, y), ExtensionHost::kBackground) << x << ", " << y;
                    EXPECT_EQ(e.Ask(n, "hitTestPolygons", {Int(x), Int(y)}), 0) << x << ", " << y;
                    EXPECT_EQ(e.Ask(n, "hitTestBoundingBox", {Int(x), Int(y)}), 0)
                        << x << ", " << y;
                } else if (onSurface && animation->HitTestPolygons(p.x, p.y) == 1) {
                    ++inside;
                    insideHits += e.Ask(n, "hitTestPolygons", {Int(x), Int(y)}) == 1;
                }
            }
        }
        // The model does reach past the surface, and within it hits are still found.
        EXPECT_GT(outside, 1000);
        EXPECT_GT(modelThere, 50);
        EXPECT_GT(boxThere, modelThere);
        EXPECT_GT(inside, 50);
        EXPECT_EQ(insideHits, inside);
    }
}

}  // namespace
